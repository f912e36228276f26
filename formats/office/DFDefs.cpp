#include "formats/office/DFDefs.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "core/Fatal.h"
#include "core/Messages.h"
#include "core/Settings.h"
#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "formats/office/Layout.h"
#include "platform/Clock.h"
#include "platform/CodePage1252.h"
#include "platform/FileLookup.h"
#include "platform/ProgramDirectory.h"
#include "platform/Registry.h"

namespace veltro {
namespace {

// The published values of each definition, in component order.
struct DefinitionRow {
  const char* name;
  const char* caption;  // "" for none
  int captionText;      // text number of the caption when there is none
  int dateifilter;      // text number of the file-dialog filter
  bool active;
  bool listBox;
  bool usedForLevels;
  TTransferDatenart transferDatenart;
  const char* koordinatenDateiname;
  const char* messungenDateiname;
  const char* punktcodeDateiname;
  const char* querprofileDateiname;
  const char* page;  // option page of the main window
};

constexpr DefinitionRow kDefinitions[] = {
    {"Editor", "Editor", 0, 370, false, false, false, tdaInformation, "Koord*.nez", "", "Code*.cod", "",
     "Editor_Blatt"},
    {"ASCII", "ASCII", 0, 58, true, false, true, tdaInformation, "Koord*.asc", "Mess*.asc", "Code*.asc",
     "Profil*.asc", "ASCII_Blatt"},
    {"CPlan", "C-Plan", 0, 20, false, false, false, tdaKoordinate, "Koordi*", "Inroh*", "", "", "CPLAN_Blatt"},
    {"DXF", "DXF", 0, 22, false, true, false, tdaInformation, "Koord*.dxf", "Mess*.dxf", "Code*.dxf", "Profil*.dxf",
     "DXF_Blatt"},
    {"Geos", "Geos", 0, 24, false, false, false, tdaInformation, "Batch.tra", "Batch.tra", "", "", "GEOS_Blatt"},
    {"Geotop", "Geotop", 0, 624, false, false, false, tdaInformation, "Koord*.gco", "Mess*.gme", "", "",
     "Geotop_Blatt"},
    {"Homere", "Homere", 0, 26, false, false, false, tdaInformation, "Koord*.hom", "Mess*.cv", "", "",
     "Homere_Blatt"},
    {"LTOP", "LTOP", 0, 359, false, false, false, tdaInformation, "Koord*.ltop", "", "", "", "LTOP_Blatt"},
    {"NewFormat", "", 216, 59, false, false, true, tdaInformation, "Koord*.dat", "Mess*.dat", "Code*.dat",
     "Profil*.dat", "Neues_Format"},
    {"OSQUSO", "OSQUSO", 0, 372, false, false, false, tdaInformation, "Koord*.osq", "Mess*.osq", "Code*.osq",
     "Profil*.osq", "OSQUSO_Blatt"},
    {"SBB", "SBB CFF FFS", 0, 178, false, false, false, tdaInformation, "Koord*.sbb", "Mess*.sbb", "Code*.sbb",
     "Profil*.sbb", "SBB_Blatt"},
    {"TopoCad", "Topocad", 0, 57, false, false, false, tdaInformation, "Koord*.pxy", "Mess*.tsx", "", "",
     "Topocad_Blatt"},
    {"Bonjour", "Topo Bonjour", 0, 622, false, false, false, tdaInformation, "Koord*.yx", "Mess*.de", "", "",
     "Bonjour_Blatt"},
    {"Caddy", "CADdy", 0, 167, false, false, false, tdaInformation, "Koord*.kor", "Mess*.mes", "", "",
     "CADDY_Blatt"},
    {"Original", "", 307, 19, false, false, false, tdaInformation, "", "", "", "", "NoTrans_Blatt"},
    {"CSV", "CSV", 0, 870, false, false, false, tdaInformation, "Koord*.csv", "Mess*.csv", "", "", "CSV_Blatt"},
    {"GeoJSON", "GeoJSON", 0, 871, false, false, false, tdaInformation, "Koord*.geojson", "Mess*.geojson", "", "",
     "GeoJSON_Blatt"},
    {"GPX", "GPX", 0, 872, false, false, false, tdaInformation, "Koord*.gpx", "Mess*.gpx", "", "", "GPX_Blatt"},
    {"KML", "KML", 0, 873, false, false, false, tdaInformation, "Koord*.kml", "Mess*.kml", "", "", "KML_Blatt"},
    {"LandXML", "LandXML", 0, 874, false, false, false, tdaInformation, "Koord*.xml", "Mess*.xml", "", "",
     "LandXML_Blatt"},
};

// Settings and files of the DXF frame.
constexpr const char* kSettingDXFPath = "DXFPath";
constexpr const char* kSettingStdPath = "StdPath";
constexpr const char* kDXFFolder = "DXF";
constexpr const char* kHeadFile = "HEAD.DXF";
constexpr const char* kEndFile = "END.DXF";
const TextLines kBuiltInHead = {"  0", "SECTION", "  2", "ENTITIES"};
const TextLines kBuiltInEnd = {"  0", "ENDSEC", "  0", "EOF"};

constexpr const char* kFileFilterValue = "File filter";
constexpr size_t kTopoCadKeyLength = 10;   // header lines are matched by their first 10 characters

// The line layouts of the formats. Values are exact (blanks count); "«" is
// the byte 0xAB, "¦" 0xA6.
void SetLayouts(TDFD& dfd) {
  const std::string bar = "\xA6";  // "¦"
  dfd.Editor->Koordinaten = "%s;%1.4f;%1.4f;%1.4f;%s;%s";
  dfd.Editor->Punktcodes = "%s" + bar + "%d" + bar + "%s";

  TDatenformatDefinitionen& a = *dfd.ASCII;
  std::string point = "%-15.15s";
  for (int i = 0; i < 22; ++i) point += "|%s";
  a.Informationen = {"%-15.15s%s"};
  a.Stationspunkt = {"%-15.15s|%s|%s|%s|%s|%s|%s"};
  a.Anschlusspunkt = {point};
  a.Detailpunkt = {point};
  a.Kommentare = {"%-15.15s|%s", "%s"};
  a.Koordinaten = "%s|%s|%s|%s|%s|%s";
  a.Startdaten = {"%s \t%s", "%s \t%s\t%s", "%s\t%s\t%s\t%s\t%s\t%s", "%s\t\t\t\t\t%s"};
  a.Enddaten = {"%s\t\t\t\t\t%s"};
  a.Messdaten = {"%s\t%s\t%s", "%s\t%s\t\t\t%s", "%s\t%s\t\t%s"};

  TDatenformatDefinitionen& c = *dfd.CPlan;
  c.Koordinaten = " K !{ -}%9s!{ -}%9.9s!{ -}%3.3s!{ -}%1s!{ -}%11.3f!{ -}%11.3f!{ -}%8s!{ -}%8.3f!{ -}        ";
  c.Informationen = {"* %-78.78s"};
  c.Kommentare = {"* %-78.78s"};
  c.Stationspunkt = {" %2s!%9.9s!         !%3.3s! !  ih:%5.5s !      dc:%s !        !   hc:%s !        "};
  c.Ende = "999" + std::string(77, ' ');

  dfd.DXF->Koordinaten = "%s" + bar + "%s" + bar + "%s" + bar + "%s" + bar + "%s";

  TDatenformatDefinitionen& g = *dfd.Geos;
  g.Koordinaten = "PT %12.12s %1s %-4.4s %11.3f %11.3f %11.3f      0.0000";
  g.Anschlusspunkt = {
      "N %12.12s A11 %12.12s                               %8.4f %8.4f          %6.6s         %3.3s %4.4s %5.5s"};
  for (const char* variant : {"11", "21", "13", "23"})
    g.Detailpunkt.push_back(std::string("N %12.12s %1s") + variant +
                            " %12.12s %-4.4s %7.7s %8.3f %7.7s %8.4f %8.4f %8.4f %6.6s %7.7s %3.3s %4.4s %5.5s");

  dfd.Geotop->Koordinaten = "01 %3.3s%\xAB" "4.4s%2.2s %5.5s %5.5s %4.4s      %10.3f   %10.3f  %8.3f";
  dfd.Geotop->Stationspunkt = {"10 %3.3s%\xAB" "4.4s%2.2s %5.5s %4.4s %8.8s                    %6.6s"};

  dfd.Homere->Koordinaten = "%3.3s %3.3s%3.3s %4.4s %4.4s %2.2s %10.3f %10.3f %8.3f";
  dfd.Homere->Stationspunkt = {"11%3.3s%3.3s%2.2s%4.4s %4.4s"};

  dfd.LTOP->Koordinaten =
      "%-10.10s%-4.4s%8.8s%4.4s%6.6s%12.4f%12.4f%4.4s%10.4f%4.4s%2s%8.4f%4.4s%2s%6.1f%6.1f%4.4s%6.1f%6.1f%4.4s%4.4s%3d"
      "%-2.2s%4d%3d%-22.22s";
  dfd.LTOP->Start = "$$PK";

  TDatenformatDefinitionen& o = *dfd.OSQUSO;
  o.Koordinaten = "D42  %2.2s%18.18s%4.4s %10.3f %10.3f %8.3f";
  o.Informationen = {"D00%14.14s       %5.5s%10.10s%5.5s%10.10s"};
  o.Stationspunkt = {"D23%\xAB" "3.3s%3.3s2        %4.4s%8.8s                                     %5d"};

  TDatenformatDefinitionen& s = *dfd.SBB;
  s.Koordinaten = "5 %-4.4s%4.4s   %10.3f %10.3f %8s";
  s.Informationen = {"1    %-56.56s"};
  s.Stationspunkt = {"2 %-4.4s%\xAB" "4.4s S                            %5.5s %6.6s %6.6s "};

  TDatenformatDefinitionen& t = *dfd.TopoCad;
  t.Koordinaten = "%-12.12s  %12.4f%12.4f%12.4f %-8.8s %-2.2s%-12.12s,";
  // The second layout is the coordinate file header: date, then a line end.
  t.Informationen = {"HDR\t1\t%s", "XYZ-COORD-FILE  ,V1.00,%s,%s"};
  t.Stationspunkt = {"STN\t1\t%s\t%s\t%s\t%s\t%d\t%d\t%s\t%s\t%s\t%s"};
  const std::string obs =
      "\t%d\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\tRemark\tAttr1=%s\tAttr2=%s\tAttr3=%s\tAttr4=%s";
  t.Anschlusspunkt = {"OBS\t1\t1" + obs};
  t.Detailpunkt = {"OBS\t1\t0" + obs};

  dfd.Bonjour->Koordinaten = "%3.3s%\xAB" "4.4s %5.5s %2.2s     %10.3f  %10.3f  %8.3f";
  dfd.Bonjour->Stationspunkt = {"1  %3.3s%\xAB" "4.4s %5.5s %2.2s %8.8s                   %6.6s"};

  TDatenformatDefinitionen& k = *dfd.Caddy;
  k.Koordinaten = "%15.15s %14.3f %14.3f %10.3f %2.2s%1s                %-10.10s";
  k.Stationspunkt = {"%15.15s %7.7s  %2.2s%1s       "};
  k.Anschlusspunkt = {"%15.15s %8.4f %10.3f %8.4f %8.8s %2.2s%1s        %-10.10s",
                      "%15.15s %8.4f            %8.4f %8.8s %2.2s%1s        %-10.10s",
                      "%15.15s %8.4f                              %2.2s%1s        %-10.10s"};
  k.Detailpunkt = k.Anschlusspunkt;
}

template <typename List>
void RemoveTrailingBlankLines(List& lines) {
  while (!lines.empty() && TrimBlanks(std::string(lines.back())).empty()) lines.pop_back();
}

}  // namespace

TDFD::TDFD() : TDataModule("DFD") {
  TDatenformatDefinitionen** slots[] = {&Editor, &ASCII,  &CPlan, &DXF,     &Geos,    &Geotop, &Homere,  &LTOP,
                                        &NewFormat, &OSQUSO, &SBB, &TopoCad, &Bonjour, &Caddy,  &Original,
                                        &CSV,   &GeoJSON, &GPX, &KML,  &LandXML};
  static_assert(std::size(kDefinitions) == std::size(slots));
  for (size_t i = 0; i < std::size(kDefinitions); ++i) {
    const DefinitionRow& row = kDefinitions[i];
    TDatenformatDefinitionen& d = Add<TDatenformatDefinitionen>(row.name);
    *slots[i] = &d;
    d.Caption = row.caption;
    d.Dateifilter = row.dateifilter;
    d.Active = row.active;
    d.ListBox = row.listBox;
    d.UsedForLevels = row.usedForLevels;
    d.TransferDatenart = row.transferDatenart;
    d.KoordinatenDateiname = row.koordinatenDateiname;
    d.MessungenDateiname = row.messungenDateiname;
    d.PunktcodeDateiname = row.punktcodeDateiname;
    d.QuerprofileDateiname = row.querprofileDateiname;
    const std::string page = row.page;
    const int captionText = row.captionText;
    TDatenformatDefinitionen* self = &d;
    d.OnAttribute = [self, page, captionText](std::string& Page) {
      Page = page;
      return self->Caption.empty() && captionText != 0 ? GetText(captionText) : self->Caption;
    };
    d.OnSetTDA = [this, self](TTransferDatenart TDA) { return SetTDA(*self, TDA); };
    d.OnFormat = [this, self](const std::string& S, const std::string& Buf) { return GenericFormat(*self, S, Buf); };
  }
  SetLayouts(*this);

  Editor->OnFormat = [this](const std::string& S, const std::string& Buf) { return EditorFormat(S, Buf); };
  CPlan->OnFormat = [this](const std::string& S, const std::string& Buf) { return CPlanFormat(S, Buf); };
  DXF->OnFormat = [this](const std::string& S, const std::string& Buf) { return DXFFormat(S, Buf); };
  DXF->OnTransform = [this](std::string& S) { return DXFTransform(S); };
  DXF->OnBeforeLoad = [this](bool IsLevel) { DXFBeforeLoad(IsLevel); };
  DXF->OnBeforeSave = [this] { DXFBeforeSave(); };
  DXF->OnAfterSave = [this] { DXFAfterSave(); };
  NewFormat->OnFormat = [this](const std::string& S, const std::string& Buf) { return NewFormatFormat(S, Buf); };
  NewFormat->OnBeforeLoad = [this](bool IsLevel) { NewFormatBeforeLoad(IsLevel); };
  SBB->OnBeforeSave = [this] { SBBBeforeSave(); };
  TopoCad->OnBeforeLoad = [this](bool IsLevel) { TopoCadBeforeLoad(IsLevel); };
  TopoCad->OnBeforeSave = [this] { TopoCadBeforeSave(); };
  Original->OnFormat = [this](const std::string& S, const std::string& Buf) { return OriginalFormat(S, Buf); };
  for (TDatenformatDefinitionen* d : {CSV, GeoJSON, GPX, KML, LandXML}) BindDocumentEvents(*d);

  SetDFD(this);
}

TDFD::~TDFD() {
  if (veltro::DFD() == this) SetDFD(nullptr);
}

void TDFD::AttachModule(TDatenformatDefinitionen& definition, TDataModule& module, OfficeModuleHooks hooks) {
  Binding& b = bindings_[&definition];
  b.module = &module;
  b.hooks = std::move(hooks);
  // The generic and the editor handlers hand the text on to isKoordinateIn
  // only; the other handlers of their own read it.
  const bool ownHandler = &definition == CPlan || &definition == DXF || &definition == NewFormat ||
                          &definition == Original;
  definition.FormatReadsText = ownHandler || static_cast<bool>(b.hooks.isKoordinateIn);
}

void TDFD::DetachModule(TDatenformatDefinitionen& definition) {
  bindings_.erase(&definition);
  definition.FormatReadsText = true;
}

TDataModule* TDFD::ModuleOf(const TDatenformatDefinitionen& definition) const {
  const Binding* b = BindingOf(definition);
  return b ? b->module : nullptr;
}

const TDFD::Binding* TDFD::BindingOf(const TDatenformatDefinitionen& definition) const {
  auto it = bindings_.find(&definition);
  return it == bindings_.end() ? nullptr : &it->second;
}

// ---- Operations ----------------------------------------------------------------

std::string TDFD::FormatList() const { return ListFormats(*this); }

bool TDFD::Attribute(const std::string& name, std::string& page, std::string& caption) const {
  return FindFormatByName(*this, name, &page, &caption) != nullptr;
}

TDatenformatDefinitionen& TDFD::Active() const { return ActiveFormat(*this); }

TDatenformatDefinitionen* TDFD::Activate(TDatenformatDefinitionen& definition) {
  return ActivateFormat(*this, definition);
}

void TDFD::Remember() { remembered_ = &Active(); }

void TDFD::Restore() {
  if (remembered_) Activate(*remembered_);
}

std::string TDFD::Recognise(TDatenformatDefinitionen& definition, const TextLines& source) const {
  return RecogniseFormat(definition, source);
}

std::string TDFD::RecogniseSource(const TextLines& source) const { return veltro::RecogniseSource(*this, source); }

bool TDFD::IsComment(const std::string& line) const {
  const Binding* b = BindingOf(*NewFormat);
  return b && b->hooks.isComment && b->hooks.isComment(line);
}

void TDFD::RegisterFileFilters(const std::string& path) const {
  ForEach<TDatenformatDefinitionen>([&](const TDatenformatDefinitionen& d) {
    WriteRegString(RegistryRoot::CurrentUser, path + d.Name + "\\" + kFileFilterValue, GetText(d.Dateifilter), true);
  });
}

std::string TDFD::SetTDA(TDatenformatDefinitionen& definition, TTransferDatenart kind) {
  const TDataModule* module = ModuleOf(definition);
  return SelectKind(definition, module ? *module : noModule_, kind);
}

// ---- Format handlers -------------------------------------------------------------

bool TDFD::IsKoordinate(const Binding& b, const std::string& line, const std::string& text) {
  if (b.hooks.isKoordinateIn) return b.hooks.isKoordinateIn(line, text);
  return b.hooks.isKoordinate && b.hooks.isKoordinate(line);
}

std::string TDFD::GenericFormat(TDatenformatDefinitionen& definition, const std::string& line,
                                const std::string& text) {
  const Binding* b = BindingOf(definition);
  if (!b || !IsKoordinate(*b, line, text)) return {};
  return definition.OnSetTDA ? definition.OnSetTDA(tdaKoordinate) : std::string();
}

std::string TDFD::EditorFormat(const std::string& S, const std::string&) {
  if (std::string answer = GenericFormat(*Editor, S); !answer.empty()) return answer;
  const Binding* b = BindingOf(*Editor);
  if (!b || !b->hooks.isPunktcode || !b->hooks.isPunktcode(S)) return {};
  return Editor->OnSetTDA ? Editor->OnSetTDA(tdaPunktcode) : std::string();
}

std::string TDFD::CPlanFormat(const std::string& S, const std::string& Buf) {
  if (std::string answer = GenericFormat(*CPlan, S, Buf); !answer.empty()) return answer;
  // A comment line begins with the first character of the comment layout
  // ('*'); an empty line is no comment.
  const Binding* b = BindingOf(*CPlan);
  if (!b || S.empty() || CPlan->Kommentare.empty() || CPlan->Kommentare[0].empty()) return {};
  if (S[0] != CPlan->Kommentare[0][0]) return {};
  // While a transfer reads its source, such lines are comments. A guess needs
  // a C-Plan coordinate line in the text as well: other files have lines
  // that begin with '*' too (DXF table names).
  if (!CurrentTransfer().ActiveLines) {
    bool coordinates = false;
    for (const std::string& line : SplitLines(Buf))
      if ((coordinates = IsKoordinate(*b, line, Buf))) break;
    if (!coordinates) return {};
  }
  return CPlan->OnSetTDA ? CPlan->OnSetTDA(tdaKommentar) : std::string();
}

std::string TDFD::DXFFormat(const std::string&, const std::string& Buf) { return GenericFormat(*DXF, Buf, Buf); }

std::string TDFD::NewFormatFormat(const std::string& S, const std::string& Buf) {
  const Binding* b = BindingOf(*NewFormat);
  return b && b->hooks.format ? b->hooks.format(S, Buf) : std::string();
}

std::string TDFD::OriginalFormat(const std::string& S, const std::string& Buf) {
  const Binding* b = BindingOf(*Original);
  return b && b->hooks.format ? b->hooks.format(S, Buf) : std::string();
}

// ---- File hooks --------------------------------------------------------------------

std::string TDFD::DXFDirectory() const {
  std::string install = ReadRegString(RegistryRoot::CurrentUser, ConfigPath(kSettingStdPath), ProgramDirectory());
  std::string fallback = install.empty() ? std::string() : IncludeTrailingSeparator(install) + kDXFFolder;
  std::string dir = ReadRegString(RegistryRoot::CurrentUser, ConfigPath(kSettingDXFPath), fallback);
  return dir.empty() ? dir : IncludeTrailingSeparator(dir);
}

std::string TDFD::DXFFile(const std::string& name) const {
  const std::string dir = DXFDirectory();
  return dir.empty() ? std::string() : FindFileIgnoringCase(dir, name);
}

void TDFD::DXFBeforeSave() {
  TextLines head;
  const std::string headFile = DXFFile(kHeadFile);
  if (!headFile.empty() && LoadTextFile(headFile, head)) RemoveTrailingBlankLines(head);
  if (head.empty()) head = kBuiltInHead;
  CurrentTransfer().OutputLines = head;
}

void TDFD::DXFAfterSave() {
  LineList& output = CurrentTransfer().OutputLines;
  std::string end;
  const std::string endFile = DXFFile(kEndFile);
  if (!endFile.empty() && LoadFileBytes(endFile, end))
    AppendTextLines(output, end);
  else
    for (const std::string& line : kBuiltInEnd) output.push_back(line);
  RemoveTrailingBlankLines(output);
}

void TDFD::DXFBeforeLoad(bool IsLevel) {
  const Binding* b = BindingOf(*DXF);
  if (b && b->hooks.beforeLoad) b->hooks.beforeLoad(IsLevel);
}

void TDFD::BindDocumentEvents(TDatenformatDefinitionen& definition) {
  TDatenformatDefinitionen* d = &definition;
  d->OnBeforeLoad = [this, d](bool IsLevel) {
    const Binding* b = BindingOf(*d);
    if (b && b->hooks.beforeLoad) b->hooks.beforeLoad(IsLevel);
  };
  d->OnTransform = [this, d](std::string& S) {
    const Binding* b = BindingOf(*d);
    return b && b->hooks.transform && b->hooks.transform(S);
  };
  d->OnBeforeSave = [this, d] {
    const Binding* b = BindingOf(*d);
    if (b && b->hooks.beforeSave) b->hooks.beforeSave();
  };
  d->OnAfterSave = [this, d] {
    const Binding* b = BindingOf(*d);
    if (b && b->hooks.afterSave) b->hooks.afterSave();
  };
}

bool TDFD::DXFTransform(std::string& S) {
  const Binding* b = BindingOf(*DXF);
  return b && b->hooks.transform && b->hooks.transform(S);
}

void TDFD::NewFormatBeforeLoad(bool IsLevel) {
  const Binding* b = BindingOf(*NewFormat);
  if (b && b->hooks.beforeLoad) b->hooks.beforeLoad(IsLevel);
}

// The code file is read again for every transfer, so that a changed file or
// another file chosen on the option page takes effect.
void TDFD::SBBBeforeSave() {
  SBBCodes.clear();
  TextLines lines;
  if (SBBCodeFile.empty() || !FileExists(SBBCodeFile) || !LoadTextFile(SBBCodeFile, lines)) return;
  for (const std::string& line : lines) {
    const std::string trimmed = AnsiUpperCase(TrimBlanks(line));
    if (trimmed.empty() || trimmed.back() == 'H') continue;
    const std::string code = TrimBlanks(AnsiUpperCase(line.substr(0, line.find(','))));
    if (!code.empty()) SBBCodes += code + ";";
  }
}

bool TDFD::IsSBBCode(const std::string& code) const {
  const std::string probe = TrimBlanks(AnsiUpperCase(code));
  if (probe.empty()) return false;
  size_t start = 0;
  while (start < SBBCodes.size()) {
    size_t end = SBBCodes.find(';', start);
    if (end == std::string::npos) end = SBBCodes.size();
    if (SBBCodes.compare(start, end - start, probe) == 0 && end - start == probe.size()) return true;
    start = end + 1;
  }
  return false;
}

std::string TDFD::TopoCadHeader() const {
  if (TopoCad->Informationen.size() < 2) return {};
  const std::string today = FormatDate("YYYY-MM-DD", NowDateTime());
  auto header = FormatLayout(TopoCad->Informationen[1], {today, "\r\n"});
  return header ? *header : std::string();
}

void TDFD::TopoCadBeforeSave() {
  TransferState& t = CurrentTransfer();
  TopoCad->Start.clear();
  t.Daten.Info.Zeitpunkt = std::floor(NowDateTime());
  if (!t.FormatTag.empty() && t.FormatTag[0] == 'k') TopoCad->Start = TopoCadHeader();
}

// The header is not data: each of its lines that the first source line
// carries (by its first 10 characters) takes that source line away.
void TDFD::TopoCadBeforeLoad(bool) {
  TopoCad->Start = TopoCadHeader();
  LineList& source = CurrentTransfer().InputLines;
  for (const std::string& headerLine : SplitLines(TopoCad->Start)) {
    const std::string key = headerLine.substr(0, kTopoCadKeyLength);
    if (TrimBlanks(key).empty()) continue;
    if (source.empty()) break;
    if (source.front().find(key) != std::string::npos) source.erase(source.begin());
  }
}

}  // namespace veltro
