#include "instruments/InstrumentenModul.h"

#include <algorithm>

#include "formats/instrument/CheckFormate.h"

#include "core/DecimalText.h"
#include "core/Fatal.h"
#include "core/Language.h"
#include "core/Messages.h"
#include "core/Settings.h"
#include "core/TextUtils.h"
#include "platform/DynamicLibrary.h"
#include "platform/Registry.h"
#include "platform/TextFile.h"

namespace veltro {
namespace {

TGeraete* g_geraete = nullptr;

constexpr const char* kCrLf = "\r\n";

// Radio buttons of the selection lists, pixels.
constexpr int kListLeft = 17;
constexpr int kListTop = 20;
constexpr int kListRowHeight = 20;
constexpr int kListWidth = 200;
constexpr int kListHeight = 17;

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Item n of a language text, item 0 being the caption part.
std::string TextItem(const std::string& text, int n) {
  const TextEntry entry = SplitTextEntry(text);
  if (n == 0) return entry.caption;
  return n <= static_cast<int>(entry.items.size()) ? entry.items[static_cast<size_t>(n - 1)] : std::string();
}

// " " followed by the names joined with ", "; empty for no names.
std::string NameList(const std::vector<std::string>& names) {
  if (names.empty()) return {};
  std::string out = " ";
  for (size_t i = 0; i < names.size(); ++i) out += (i ? ", " : "") + names[i];
  return out;
}

template <class E, class Set, class NameOf>
std::string SetList(const Set& set, NameOf nameOf) {
  std::vector<std::string> names;
  for (int n = 0; n < EnumCount<E>(); ++n)
    if (set.Contains(static_cast<E>(n))) names.push_back(nameOf(static_cast<E>(n)));
  return NameList(names);
}

std::string InstrumentKey(const TInstrument& instrument) {
  return std::string(kConfigurationKey) + instrument.Name + "\\";
}

// A persisted ordinal is taken when it names a value of E and, when the
// instrument accepts any value of that setting at all, an accepted one;
// otherwise the current value stays.
template <class E>
E ReadSetting(const std::string& path, E current) {
  return static_cast<E>(
      ReadRegIntegerInRange(RegistryRoot::CurrentUser, path, static_cast<int>(current), 0, EnumCount<E>() - 1));
}

template <class E, class Set>
E ReadSetting(const std::string& path, E current, const Set& accepted) {
  const E value = ReadSetting(path, current);
  return accepted.Empty() || accepted.Contains(value) ? value : current;
}

std::uint32_t ReadTime(const std::string& path, std::uint32_t current) {
  return static_cast<std::uint32_t>(ReadRegIntegerInRange(RegistryRoot::CurrentUser, path, static_cast<int>(current), 0,
                                                          static_cast<int>(kMaxTimeoutMs)));
}

}  // namespace

// ---- TInstrument ------------------------------------------------------------------

bool TInstrument::IsValidOffset(const std::string& text) {
  const std::string t = Trimmed(text);
  if (t.empty()) return true;
  size_t i = (t[0] == '+' || t[0] == '-') ? 1 : 0;
  bool digit = false;
  bool point = false;
  for (; i < t.size(); ++i) {
    if (t[i] >= '0' && t[i] <= '9') {
      digit = true;
    } else if (t[i] == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digit;
}

bool TInstrument::SetOffsetY(const std::string& text) {
  if (!IsValidOffset(text)) return false;
  offsetY_ = Trimmed(text).empty() ? "0" : Trimmed(text);
  return true;
}

bool TInstrument::SetOffsetX(const std::string& text) {
  if (!IsValidOffset(text)) return false;
  offsetX_ = Trimmed(text).empty() ? "0" : Trimmed(text);
  return true;
}

const TPicture& TInstrument::ShownOriginalPicture() const {
  if (!OriginalPicture.Empty() || !Instrumententyp) return OriginalPicture;
  return Instrumententyp->OriginalPicture;
}

const TPicture& TInstrument::ShownTransferPicture() const {
  if (!TransferPicture.Empty() || !Instrumententyp) return TransferPicture;
  return Instrumententyp->TransferPicture;
}

// ---- Selection pages ----------------------------------------------------------------

TPageControl MakeSelectionPages() {
  // Page suffix and list suffix per maker, in maker Order.
  static const std::pair<const char*, const char*> kPages[] = {
      {"Topcon", "Topcon"}, {"Leica", "Leica"},     {"Zeiss", "Zeiss"}, {"Nikon", "Nikon"},
      {"Sokkia", "Sokkia"}, {"Magellan", "Tavrin"}, {"Foif", "Foif"},   {"Pentax", "Pentax"},
  };
  TPageControl pages;
  for (const auto& [page, list] : kPages) {
    TTabSheet sheet;
    sheet.Name = std::string("ts") + page;
    sheet.GroupBoxes.push_back(TGroupBox{std::string("IW") + list, {}});
    sheet.GroupBoxes.push_back(TGroupBox{std::string("DF") + list, {}});
    pages.Pages.push_back(std::move(sheet));
  }
  return pages;
}

// ---- TGeraete: set-up -----------------------------------------------------------------

TGeraete::TGeraete(std::string installationDirectory)
    : TDataModule("Geraete"), installationDirectory_(std::move(installationDirectory)) {
  CreateComponents();
  BindMakerEvents();
  NumberTabOrders();
}

TGeraete::~TGeraete() {
  if (WriteBackOnDestroy) GeraeteDestroy();
  if (g_geraete == this) g_geraete = nullptr;
}

TGeraete* Geraete() { return g_geraete; }
void SetGeraete(TGeraete* geraete) { g_geraete = geraete; }

THersteller* TGeraete::Maker(const std::string& name) const { return dynamic_cast<THersteller*>(FindComponent(name)); }
TInstrumententyp* TGeraete::Type(const std::string& name) const {
  return dynamic_cast<TInstrumententyp*>(FindComponent(name));
}
TInstrument* TGeraete::Instrument(const std::string& name) const {
  return dynamic_cast<TInstrument*>(FindComponent(name));
}
TGeraeteFormat* TGeraete::Format(const std::string& name) const {
  return dynamic_cast<TGeraeteFormat*>(FindComponent(name));
}

void TGeraete::BindMakerEvents() {
  using namespace std::placeholders;
  struct Binding {
    const char* maker;
    void (TGeraete::*popup)(TPopupMenu&, const TMenuClick&);
    void (TGeraete::*formats)(TPopupMenu&, const TMenuClick&);
    void (TGeraete::*lists)(TGroupBox&, TGroupBox&, const TRadioClick&, const TRadioClick&);
  };
  static const Binding kBindings[] = {
      {"hsTopcon", &TGeraete::hsTopconCreatePopupMenu, &TGeraete::hsTopconDatenformatMenu,
       &TGeraete::hsTopconCreateTWListen},
      {"hsLeica", &TGeraete::hsLeicaCreatePopupMenu, &TGeraete::hsLeicaDatenformatMenu,
       &TGeraete::hsLeicaCreateTWListen},
      {"hsZeiss", &TGeraete::hsZeissCreatePopupMenu, &TGeraete::hsZeissDatenformatMenu,
       &TGeraete::hsZeissCreateTWListen},
      {"hsNikon", &TGeraete::hsNikonCreatePopupMenu, &TGeraete::hsNikonDatenformatMenu,
       &TGeraete::hsNikonCreateTWListen},
      {"hsSokkia", &TGeraete::hsSokkiaCreatePopupMenu, &TGeraete::hsSokkiaDatenformatMenu,
       &TGeraete::hsSokkiaCreateTWListen},
      {"hsMagellan", &TGeraete::hsMagellanCreatePopupMenu, &TGeraete::hsMagellanDatenformatMenu,
       &TGeraete::hsMagellanCreateTWListen},
      {"hsFoif", &TGeraete::hsFoifCreatePopupMenu, &TGeraete::hsFoifDatenformatMenu, &TGeraete::hsFoifCreateTWListen},
      {"hsPentax", &TGeraete::hsPentaxCreatePopupMenu, &TGeraete::hsPentaxDatenformatMenu,
       &TGeraete::hsPentaxCreateTWListen},
  };
  for (const Binding& b : kBindings) {
    THersteller* maker = Maker(b.maker);
    maker->OnCreatePopupMenu = std::bind(b.popup, this, _1, _2);
    maker->OnDatenformatMenu = std::bind(b.formats, this, _1, _2);
    maker->OnCreateTWListen = std::bind(b.lists, this, _1, _2, _3, _4);
  }
}

// Numbers the instruments of each maker from 0 in creation order; the count
// restarts whenever the maker differs from the previous instrument's.
void TGeraete::NumberTabOrders() {
  const THersteller* previous = nullptr;
  int counter = 0;
  ForEach<TInstrument>([&](TInstrument& i) {
    if (i.Hersteller != previous) counter = 0;
    previous = i.Hersteller;
    i.TabOrder = counter++;
  });
}

// ---- Current instrument ----------------------------------------------------------------

std::string TGeraete::InstrumentLibraryName(const std::string& instrumentDLL) {
  return (instrumentDLL.empty() ? std::string("Dummy") : instrumentDLL) + ".DLL";
}

std::string TGeraete::InstallationDirectory() const {
  return installationDirectory_.empty() ? veltro::InstallationDirectory() : installationDirectory_;
}

std::string TGeraete::LibraryFile(const TInstrument& instrument) const {
  return FindLibrary(InstrumentLibraryName(instrument.InstrumentDLL), InstallationDirectory());
}

std::string TGeraete::LibraryPathToLoad(const TInstrument& instrument) const {
  const std::string file = LibraryFile(instrument);
  if (!file.empty()) return file;
  return IncludeTrailingSeparator(InstallationDirectory()) +
         LibraryFileName(InstrumentLibraryName(instrument.InstrumentDLL));
}

TInstrument& TGeraete::CurrentInstrument() {
  if (current_ && currentChanges_ == TActiveMark::Changes() && currentComponents_ == ComponentCount())
    return *current_;
  TInstrument* current = FindLast<TInstrument>([](const TInstrument& i) { return i.Active; });
  if (!current) current = &ActivateFirstInstrument();
  current_ = current;
  currentChanges_ = TActiveMark::Changes();
  currentComponents_ = ComponentCount();
  return *current;
}

TInstrument& TGeraete::ActivateFirstInstrument() {
  for (const auto& c : Components()) {
    auto* i = dynamic_cast<TInstrument*>(c.get());
    if (i && LibraryInstalled(*i)) {
      i->Active = true;
      return *i;
    }
  }
  ShowMessageBox(kNoInstrumentText, kMsgError, kBtnOk);
  FatalExit(1);
}

bool TGeraete::IsCurrentInstrument(const TInstrument& instrument) { return &CurrentInstrument() == &instrument; }

bool TGeraete::SelectInstrument(const std::string& caption) {
  if (hooks_->LibraryCallRunning()) return false;
  CurrentInstrument().Active = false;
  ForEach<TInstrument>([&](TInstrument& i) {
    i.Active = i.Caption == caption;
    if (!i.Active) return;
    // The open connection belongs to the library about to be freed.
    hooks_->CloseConnection();
    hooks_->FreeCoordinateSystemLibrary();
    hooks_->FreeInstrumentLibrary();
    hooks_->LoadInstrumentLibrary(LibraryPathToLoad(i));
  });
  return true;
}

void TGeraete::DefaultSetup() { CurrentTransfer().ReceivedLines.clear(); }

bool AcceptsGeraeteFormat(const TInstrument& instrument, const std::string& name) {
  if (name.empty()) return false;
  std::vector<std::string> names;
  SplitToList(instrument.ValidGeraeteFormate, ';', names);
  for (const std::string& n : names)
    if (Trimmed(n) == name) return true;
  return false;
}

// ---- Persistence --------------------------------------------------------------------------

void TGeraete::ReadInstrumentSettings(TInstrument& i) {
  const std::string key = InstrumentKey(i);
  i.Port = ReadSetting(key + kRegPort, i.Port);
  i.BaudRate = ReadSetting(key + kRegBaud, i.BaudRate, i.ValidBaudRate);
  i.Parity = ReadSetting(key + kRegParity, i.Parity, i.ValidParity);
  i.DataBits = ReadSetting(key + kRegDatabits, i.DataBits, i.ValidDataBits);
  i.StopBits = ReadSetting(key + kRegStopbits, i.StopBits, i.ValidStopBits);
  i.FlowControl = ReadSetting(key + kRegProtocol, i.FlowControl, i.ValidFlowControl);
  i.EndofLine = ReadSetting(key + kRegTerminate, i.EndofLine, i.ValidEndofLine);
  const std::string caption = i.GeraeteFormat ? i.GeraeteFormat->Caption : std::string();
  i.GeraeteFormat = &FindGeraeteFormat(ReadRegString(RegistryRoot::CurrentUser, key + kRegDataFormat, caption), false);
  i.SetOffsetY(ReadRegString(RegistryRoot::CurrentUser, key + kRegOffsetY, i.OffsetY()));
  i.SetOffsetX(ReadRegString(RegistryRoot::CurrentUser, key + kRegOffsetX, i.OffsetX()));
  i.TransferMethode = ReadRegIntegerInRange(RegistryRoot::CurrentUser, key + kRegTransferOptions, i.TransferMethode, 0,
                                            kMaxTransferMethode);
  i.Active = ReadRegBool(RegistryRoot::CurrentUser, key + kRegActive, i.Active);
  i.GeraeteFormat->OEMConvert =
      ReadRegBool(RegistryRoot::CurrentUser, key + kRegOEMConvert, i.GeraeteFormat->OEMConvert);
  i.Lesezeit = ReadTime(key + kRegReadTime, i.Lesezeit);
  i.Schreibzeit = ReadTime(key + kRegWriteTime, i.Schreibzeit);
}

void TGeraete::LoadSettings() {
  ReadSettingsOnly();
  hooks_->LoadInstrumentLibrary(LibraryPathToLoad(CurrentInstrument()));
}

void TGeraete::ReadSettingsOnly() {
  NumberTabOrders();
  ForEach<TInstrument>([&](TInstrument& i) { ReadInstrumentSettings(i); });
}

void TGeraete::WriteInstrumentSettings(const TInstrument& i) {
  const std::string key = InstrumentKey(i);
  constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
  WriteRegInteger(kUser, key + kRegPort, i.Port, true);
  WriteRegInteger(kUser, key + kRegBaud, i.BaudRate, true);
  WriteRegInteger(kUser, key + kRegParity, i.Parity, true);
  WriteRegInteger(kUser, key + kRegDatabits, i.DataBits, true);
  WriteRegInteger(kUser, key + kRegStopbits, i.StopBits, true);
  WriteRegInteger(kUser, key + kRegProtocol, i.FlowControl, true);
  WriteRegInteger(kUser, key + kRegTerminate, i.EndofLine, true);
  WriteRegString(kUser, key + kRegDataFormat, i.GeraeteFormat ? i.GeraeteFormat->Caption : std::string(), true);
  WriteRegString(kUser, key + kRegOffsetY, i.OffsetY(), true);
  WriteRegString(kUser, key + kRegOffsetX, i.OffsetX(), true);
  WriteRegInteger(kUser, key + kRegTransferOptions, i.TransferMethode, true);
  WriteRegBool(kUser, key + kRegActive, i.Active, true);
  WriteRegBool(kUser, key + kRegOEMConvert, i.GeraeteFormat && i.GeraeteFormat->OEMConvert, true);
  WriteRegInteger(kUser, key + kRegReadTime, static_cast<int>(i.Lesezeit), true);
  WriteRegInteger(kUser, key + kRegWriteTime, static_cast<int>(i.Schreibzeit), true);
}

void TGeraete::GeraeteDestroy() {
  if (!RegKeyExists(RegistryRoot::CurrentUser, kProgramKey)) return;
  RegistryBatch batch(RegistryRoot::CurrentUser);
  ForEach<TInstrument>([&](const TInstrument& i) { WriteInstrumentSettings(i); });
}

void TGeraete::SeedFileFilters() {
  const std::string root = kConfigurationKey;
  RegistryBatch batch(RegistryRoot::CurrentUser);
  WriteRegString(RegistryRoot::CurrentUser, root + kNativeFormatComponent + "\\" + kRegFileFilter,
                 GetText(CurrentInstrument().GeraeteFormat->Dateifilter), true);
  ForEach<TGeraeteFormat>([&](const TGeraeteFormat& f) {
    if (RegKeyExists(RegistryRoot::CurrentUser, root + f.Name)) return;
    WriteRegString(RegistryRoot::CurrentUser, root + f.Name + "\\" + kRegFileFilter, GetText(f.Dateifilter), true);
  });
}

// ---- Formats and port settings ---------------------------------------------------------------

TGeraeteFormat& TGeraete::FindGeraeteFormat(const std::string& name, bool byComponentName) {
  TGeraeteFormat* found = nullptr;
  ForEach<TGeraeteFormat>([&](TGeraeteFormat& f) {
    if ((byComponentName ? f.Name : f.Caption) == name) found = &f;
  });
  return found ? *found : *Format("FC5");
}

TGeraeteFormat& TGeraete::CurrentGeraeteFormat() {
  if (viewerFormat_)
    if (TGeraeteFormat* shown = viewerFormat_()) return *shown;
  return *CurrentInstrument().GeraeteFormat;
}

bool TGeraete::CheckPortSettings(std::string& message) {
  const TInstrument& i = CurrentInstrument();
  const bool valid = i.ValidBaudRate.Contains(i.BaudRate) && i.ValidDataBits.Contains(i.DataBits) &&
                     i.ValidStopBits.Contains(i.StopBits) && i.ValidParity.Contains(i.Parity) &&
                     i.ValidFlowControl.Contains(i.FlowControl) && i.ValidEndofLine.Contains(i.EndofLine);
  if (valid) return true;

  const std::string parities = GetText(kTextParityNames);
  const std::string flows = GetText(kTextFlowControlNames);
  const std::string lineEnds = GetText(kTextLineEndNames);
  message = GetText(kTextPortSettingsTitle) + kCrLf + kCrLf + GetText(kTextPortSettingsHint) + kCrLf + kCrLf +
            GetText(kTextPortSettingsInstrument) + " " + i.Caption + kCrLf + GetText(kTextValidBaudRates) +
            SetList<TBaudRate>(i.ValidBaudRate, [](TBaudRate b) { return std::to_string(BaudRateValue(b)); }) + kCrLf +
            GetText(kTextValidDataBits) + SetList<TDataBits>(i.ValidDataBits, DataBitsName) + kCrLf +
            GetText(kTextValidStopBits) + SetList<TStopBits>(i.ValidStopBits, StopBitsName) + kCrLf +
            GetText(kTextValidParities) +
            SetList<TParity>(i.ValidParity, [&](TParity p) { return TextItem(parities, p + 1); }) + kCrLf +
            GetText(kTextValidFlowControls) +
            SetList<TFlowControl>(i.ValidFlowControl, [&](TFlowControl f) { return TextItem(flows, f + 1); }) + kCrLf +
            GetText(kTextValidLineEnds) +
            SetList<TEndofLine>(i.ValidEndofLine, [&](TEndofLine e) { return TextItem(lineEnds, e + 1); });
  return false;
}

void TGeraete::AdjustPortSettings() {
  TInstrument& i = CurrentInstrument();
  if (&i == Instrument("itGTS700")) {
    i.EndofLine = teolCRLF;
    const bool toInstrument = Methode() == 1;
    i.FlowControl = (i.GeraeteFormat == Format("FC5") && toInstrument) ? tfcACKNAK : tfcXONXOFF;
  } else if (&i == Instrument("itFS2")) {
    i.EndofLine = teolCRLF;
  } else if (&i == Instrument("itDL100")) {
    i.EndofLine = teolCRLF;
    i.FlowControl = tfcACKNAK;
  }
}

// ---- Texts ---------------------------------------------------------------------------------------

namespace {
// "-"? digits ("." digits)?, without superfluous leading zeros: the form
// FormatDecimal writes, so adding a zero offset gives the text back.
bool IsCanonicalDecimal(const std::string& text) {
  size_t i = text.empty() || text[0] != '-' ? 0 : 1;
  const size_t digits = i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  if (i == digits || (text[digits] == '0' && i - digits > 1)) return false;
  if (i < text.size()) {
    if (text[i] != '.' || i + 1 == text.size()) return false;
    for (size_t k = i + 1; k < text.size(); ++k)
      if (text[k] < '0' || text[k] > '9') return false;
  }
  return true;
}

bool IsZeroOffset(const std::string& offset) { return offset.empty() || offset == "0"; }
}  // namespace

std::string TGeraete::ApplyOffset(const std::string& text, int kind) {
  if (text.empty() || kind < kOffsetAddY || kind > kOffsetRemoveX) return text;
  {
    const TInstrument& i = CurrentInstrument();
    const bool isY = kind == kOffsetAddY || kind == kOffsetRemoveY;
    if (IsZeroOffset(isY ? i.OffsetY() : i.OffsetX()) && IsCanonicalDecimal(text) && text != "-0" &&
        text.rfind("-0.", 0) != 0)
      return text;
  }
  // Whatever ParseNumber does not take for a value stays as it is: a
  // missing value stays missing and never becomes the no-value number.
  const auto value = ParseDecimal(text);
  if (!value || IsNoValue(ParseNumber(text))) return text;
  const TInstrument& i = CurrentInstrument();
  const bool isY = kind == kOffsetAddY || kind == kOffsetRemoveY;
  const auto offset = ParseDecimal(isY ? i.OffsetY() : i.OffsetX());
  const DecimalNumber o = offset ? *offset : DecimalNumber{};
  const bool add = kind == kOffsetAddY || kind == kOffsetAddX;
  // The sum keeps every decimal of both terms: a stake-out coordinate is
  // never rounded to the decimals of the value it was computed from.
  return FormatDecimal(add ? AddDecimal(*value, o) : SubtractDecimal(*value, o), std::max(value->scale, o.scale));
}

std::string TGeraete::OemToAnsiText(const std::string& text) {
  if (text.empty() || !CurrentGeraeteFormat().OEMConvert) return text;
  return OemToAnsi(text);
}

std::string TGeraete::AnsiToOemText(const std::string& text) {
  if (text.empty() || !CurrentGeraeteFormat().OEMConvert) return text;
  return AnsiToOem(text);
}

// ---- Menus ----------------------------------------------------------------------------------------

void TGeraete::CreatePopupMenus(TPopupMenu& popupMenu, const TMenuClick& onClick) {
  ForEach<THersteller>([&](THersteller& m) {
    if (m.OnCreatePopupMenu) m.OnCreatePopupMenu(popupMenu, onClick);
  });
}

void TGeraete::BuildInstrumentMenu(TPopupMenu& popupMenu, THersteller& maker, const std::string& itemPrefix,
                                   const TMenuClick& onClick) {
  TMenuItem submenu;
  submenu.Name = maker.MenuName;
  submenu.Caption = maker.MenuCaption;
  ForEach<TInstrument>([&](const TInstrument& i) {
    if (i.Hersteller != &maker || !LibraryInstalled(i)) return;
    TMenuItem item;
    item.Name = itemPrefix + std::to_string(i.TabOrder);
    item.Caption = i.Caption;
    item.Enabled = true;
    item.OnClick = onClick;
    submenu.Items.push_back(std::move(item));
  });
  if (!submenu.Items.empty()) popupMenu.Items.push_back(std::move(submenu));
}

void TGeraete::BuildDatenformatMenu(TPopupMenu& menu, THersteller& maker, const TMenuClick& onClick) {
  menu.Items.clear();
  ForEach<TGeraeteFormat>([&](const TGeraeteFormat& f) {
    if (f.Hersteller != &maker) return;
    TMenuItem item;
    item.Name = "df" + f.Name;
    item.Caption = f.Caption;
    item.OnClick = onClick;
    menu.Items.push_back(std::move(item));
  });
}

void TGeraete::InstrumentMenuClick(const std::string& parentCaption, const std::string& itemCaption,
                                   TPopupMenu& formatMenu, const TMenuClick& onClick) {
  ForEach<THersteller>([&](THersteller& m) {
    if (m.MenuCaption != parentCaption) return;
    SelectInstrument(itemCaption);
    if (m.OnDatenformatMenu) m.OnDatenformatMenu(formatMenu, onClick);
  });
}

// ---- Selection lists ---------------------------------------------------------------------------

void TGeraete::CreateTWListen(TPageControl& pageControl, const TRadioClick& itOnClick, const TRadioClick& dfOnClick) {
  ForEach<THersteller>([&](THersteller& m) {
    if (m.Order < 0 || m.Order >= static_cast<int>(pageControl.Pages.size())) return;
    TTabSheet& page = pageControl.Pages[static_cast<size_t>(m.Order)];
    TGroupBox* iw = nullptr;
    TGroupBox* df = nullptr;
    for (TGroupBox& box : page.GroupBoxes) {
      if (box.Name.find("IW") != std::string::npos) iw = &box;
      if (box.Name.find("DF") != std::string::npos) df = &box;
    }
    if (!iw || !df) return;
    if (m.OnCreateTWListen) m.OnCreateTWListen(*iw, *df, itOnClick, dfOnClick);
    if (iw->Controls.empty()) page.TabVisible = false;
  });
}

void TGeraete::BuildTWListen(TGroupBox& gbInstrument, TGroupBox& gbDatenformat, THersteller& maker,
                             const TRadioClick& itOnClick, const TRadioClick& dfOnClick) {
  int k = 0;
  int m = 0;
  for (const auto& c : Components()) {
    if (const auto* i = dynamic_cast<const TInstrument*>(c.get())) {
      if (i->Hersteller != &maker || !LibraryInstalled(*i)) continue;
      gbInstrument.Controls.push_back(TRadioButton{i->Name, i->Caption, itOnClick, i->TabOrder, kListLeft,
                                                   kListTop + kListRowHeight * k, kListWidth, kListHeight});
      ++k;
    } else if (const auto* f = dynamic_cast<const TGeraeteFormat*>(c.get())) {
      if (f->Hersteller != &maker) continue;
      gbDatenformat.Controls.push_back(TRadioButton{f->Name, f->Caption, dfOnClick, 0, kListLeft,
                                                    kListTop + kListRowHeight * m, kListWidth, kListHeight});
      ++m;
    }
  }
}

void TGeraete::ClearTWListen(TPageControl& pageControl) {
  ForEach<THersteller>([&](const THersteller& m) {
    if (m.Order < 0 || m.Order >= static_cast<int>(pageControl.Pages.size())) return;
    for (TGroupBox& box : pageControl.Pages[static_cast<size_t>(m.Order)].GroupBoxes)
      if (box.Name.find("IW") != std::string::npos || box.Name.find("DF") != std::string::npos) box.Controls.clear();
  });
}

// ---- Listings ------------------------------------------------------------------------------------

int TGeraete::AvailableInstrumentKinds() const {
  int kinds = 0;
  ForEach<TInstrument>([&](const TInstrument& i) {
    if (!LibraryInstalled(i)) return;
    const bool levelling = i.Instrumententyp && i.Instrumententyp->Kind == InstrumentKind::Nivellier;
    kinds |= levelling ? 2 : 1;
  });
  return kinds;
}

std::string TGeraete::ComponentNameList() const {
  std::string out;
  for (const auto& c : Components())
    if (dynamic_cast<const TInstrument*>(c.get()) || dynamic_cast<const TGeraeteFormat*>(c.get()))
      out += c->Name + kCrLf;
  return out;
}

// ---- Handler binding ------------------------------------------------------------------------------

bool TGeraete::BindFormatHandlers(const std::string& formatName, const GeraeteFormatHandlers& h) {
  TGeraeteFormat* f = Format(formatName);
  if (!f) return false;
  bool allBound = true;
  auto bind = [&](auto& target, const auto& handler, FormatEvent event) {
    if (!handler) return;
    if (FormatHandlerName(formatName, event).empty()) {
      allBound = false;
      return;
    }
    target = handler;
  };
  bind(f->OnFormat, h.OnFormat, FormatEvent::OnFormat);
  bind(f->OnSetup, h.OnSetup, FormatEvent::OnSetup);
  bind(f->OnInitWrite, h.OnInitWrite, FormatEvent::OnInitWrite);
  bind(f->OnAfterTrans, h.OnAfterTrans, FormatEvent::OnAfterTrans);
  bind(f->OnAfterRead, h.OnAfterRead, FormatEvent::OnAfterRead);
  bind(f->OnAfterWrite, h.OnAfterWrite, FormatEvent::OnAfterWrite);
  bind(f->OnBeforeWrite, h.OnBeforeWrite, FormatEvent::OnBeforeWrite);
  bind(f->OnGetDatenart, h.OnGetDatenart, FormatEvent::OnGetDatenart);
  bind(f->OnSetTDA, h.OnSetTDA, FormatEvent::OnSetTDA);
  bind(f->OnPrepEditor, h.OnPrepEditor, FormatEvent::OnPrepEditor);
  bind(f->OnInitEditor, h.OnInitEditor, FormatEvent::OnInitEditor);
  bind(f->OnEditNext, h.OnEditNext, FormatEvent::OnEditNext);
  if (h.OnFrameLine) f->OnFrameLine = h.OnFrameLine;
  return allBound;
}

bool TGeraete::BindInstrumentSetup(const std::string& instrumentName, TNotifyEvent handler) {
  TInstrument* i = Instrument(instrumentName);
  if (!i || InstrumentSetupName(instrumentName).empty()) return false;
  i->OnSetup = std::move(handler);
  return true;
}

// ---- Maker handlers ----------------------------------------------------------------------------------

void TGeraete::hsTopconCreatePopupMenu(TPopupMenu& m, const TMenuClick& c) {
  BuildInstrumentMenu(m, *Maker("hsTopcon"), "miTopcon", c);
}
void TGeraete::hsTopconDatenformatMenu(TPopupMenu& m, const TMenuClick& c) {
  BuildDatenformatMenu(m, *Maker("hsTopcon"), c);
}
void TGeraete::hsTopconCreateTWListen(TGroupBox& iw, TGroupBox& df, const TRadioClick& it, const TRadioClick& dfc) {
  BuildTWListen(iw, df, *Maker("hsTopcon"), it, dfc);
}
void TGeraete::hsLeicaCreatePopupMenu(TPopupMenu& m, const TMenuClick& c) {
  BuildInstrumentMenu(m, *Maker("hsLeica"), "miLeica", c);
}
void TGeraete::hsLeicaDatenformatMenu(TPopupMenu& m, const TMenuClick& c) {
  BuildDatenformatMenu(m, *Maker("hsLeica"), c);
}
void TGeraete::hsLeicaCreateTWListen(TGroupBox& iw, TGroupBox& df, const TRadioClick& it, const TRadioClick& dfc) {
  BuildTWListen(iw, df, *Maker("hsLeica"), it, dfc);
}
void TGeraete::hsZeissCreatePopupMenu(TPopupMenu& m, const TMenuClick& c) {
  BuildInstrumentMenu(m, *Maker("hsZeiss"), "miZeiss", c);
}
void TGeraete::hsZeissDatenformatMenu(TPopupMenu& m, const TMenuClick& c) {
  BuildDatenformatMenu(m, *Maker("hsZeiss"), c);
}
void TGeraete::hsZeissCreateTWListen(TGroupBox& iw, TGroupBox& df, const TRadioClick& it, const TRadioClick& dfc) {
  BuildTWListen(iw, df, *Maker("hsZeiss"), it, dfc);
}
void TGeraete::hsNikonCreatePopupMenu(TPopupMenu& m, const TMenuClick& c) {
  BuildInstrumentMenu(m, *Maker("hsNikon"), "miNikon", c);
}
void TGeraete::hsNikonDatenformatMenu(TPopupMenu& m, const TMenuClick& c) {
  BuildDatenformatMenu(m, *Maker("hsNikon"), c);
}
void TGeraete::hsNikonCreateTWListen(TGroupBox& iw, TGroupBox& df, const TRadioClick& it, const TRadioClick& dfc) {
  BuildTWListen(iw, df, *Maker("hsNikon"), it, dfc);
}
void TGeraete::hsSokkiaCreatePopupMenu(TPopupMenu& m, const TMenuClick& c) {
  BuildInstrumentMenu(m, *Maker("hsSokkia"), "miSokkia", c);
}
void TGeraete::hsSokkiaDatenformatMenu(TPopupMenu& m, const TMenuClick& c) {
  BuildDatenformatMenu(m, *Maker("hsSokkia"), c);
}
void TGeraete::hsSokkiaCreateTWListen(TGroupBox& iw, TGroupBox& df, const TRadioClick& it, const TRadioClick& dfc) {
  BuildTWListen(iw, df, *Maker("hsSokkia"), it, dfc);
}
void TGeraete::hsMagellanCreatePopupMenu(TPopupMenu& m, const TMenuClick& c) {
  BuildInstrumentMenu(m, *Maker("hsMagellan"), "miTavrin", c);
}
void TGeraete::hsMagellanDatenformatMenu(TPopupMenu& m, const TMenuClick& c) {
  BuildDatenformatMenu(m, *Maker("hsMagellan"), c);
}
void TGeraete::hsMagellanCreateTWListen(TGroupBox& iw, TGroupBox& df, const TRadioClick& it, const TRadioClick& dfc) {
  BuildTWListen(iw, df, *Maker("hsMagellan"), it, dfc);
}
void TGeraete::hsFoifCreatePopupMenu(TPopupMenu& m, const TMenuClick& c) {
  BuildInstrumentMenu(m, *Maker("hsFoif"), "miFoif", c);
}
void TGeraete::hsFoifDatenformatMenu(TPopupMenu& m, const TMenuClick& c) {
  BuildDatenformatMenu(m, *Maker("hsFoif"), c);
}
void TGeraete::hsFoifCreateTWListen(TGroupBox& iw, TGroupBox& df, const TRadioClick& it, const TRadioClick& dfc) {
  BuildTWListen(iw, df, *Maker("hsFoif"), it, dfc);
}
void TGeraete::hsPentaxCreatePopupMenu(TPopupMenu& m, const TMenuClick& c) {
  BuildInstrumentMenu(m, *Maker("hsPentax"), "miPentax", c);
}
void TGeraete::hsPentaxDatenformatMenu(TPopupMenu& m, const TMenuClick& c) {
  BuildDatenformatMenu(m, *Maker("hsPentax"), c);
}
void TGeraete::hsPentaxCreateTWListen(TGroupBox& iw, TGroupBox& df, const TRadioClick& it, const TRadioClick& dfc) {
  BuildTWListen(iw, df, *Maker("hsPentax"), it, dfc);
}

// ---- Engine side -----------------------------------------------------------------------------------------

InstrumentKind CatalogueInstrumentSide::CurrentInstrumentKind() const {
  const TInstrument& i = geraete_.CurrentInstrument();
  return i.Instrumententyp ? i.Instrumententyp->Kind : InstrumentKind::Tachymeter;
}

std::string CatalogueInstrumentSide::DetectFormatTag(const std::string& text) { return DetectFormat(text); }

}  // namespace veltro
