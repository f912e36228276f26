#include "formats/instrument/GTS7.h"

#include <array>
#include <initializer_list>
#include <optional>
#include <string_view>

#include "core/Settings.h"
#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "formats/instrument/InstrumentFormat.h"
#include "formats/office/Layout.h"
#include "instruments/InstrumentenModul.h"
#include "platform/MessagePump.h"
#include "platform/Registry.h"

namespace veltro {
namespace {

constexpr size_t kKeywordWidth = 8;       // GTS-7 keywords are padded to 8 characters
constexpr size_t kPumpEveryLines = 4096;  // long walks over lines let messages run

// Template indices.
enum : size_t { kJob = 0, kDate = 1, kName = 2, kInst = 3, kUnits = 4, kScale = 5, kTemp = 6 };
enum : size_t { kStn = 0, kStnXyz = 1 };
enum : size_t { kBkb = 0, kBkbXyz = 1, kBs = 2, kFs = 3, kResObs = 4 };
enum : size_t { kSs = 0, kSsXyz = 1, kCtl = 2, kHv = 3, kSd = 4, kHd = 5, kOffset = 6, kNote = 7 };

constexpr const char* kDefaultMassstab = "1.000000";
constexpr const char* kDefaultMeereshoehe = "0.000000";

// Messflags set by the readers.
constexpr std::uint16_t kFlagsBkb = 0x0031;
constexpr std::uint16_t kBitAnschluss[4] = {0x0001, 0x0002, 0x0004, 0x0008};

struct Gts7Templates {
  std::array<const char*, 7> Informationen;
  std::array<const char*, 2> Stationspunkt;
  std::array<const char*, 5> Anschlusspunkt;
  std::array<const char*, 8> Detailpunkt;
  const char* Koordinaten;
  const char* Querprofile;
  const char* Punktcodes;
};

// clang-format off
const Gts7Templates kGts7 = {
    {"JOB     %s,%s", "DATE    %s,%s", "NAME    %s", "INST    %s", "UNITS   %s", "SCALE   %1.6f,%1.6f,%1.6f",
     "TEMP    %d,%d"},
    {"STN     %s,%1.3f,%s", "XYZ     %1.3f,%1.3f,%1.3f"},
    {"BKB     %s,%1.4f,%1.4f", "XYZ     %1.3f,%1.3f,%1.3f", "BS      %s[,%1.3f]", "FS      %s,%1.3f,%s[,%s]",
     "RES_OBS %s[,%1.3f[,%s]]"},
    {"SS      %s,%1.3f,%s[,%s]", "XYZ     %1.3f,%1.3f,%1.3f", "CTL     %s[,%s[,%s]]", "HV      %1.4f,%1.4f",
     "SD      %1.5f,%1.5f,%1.4f", "HD      %1.5f,%1.4f,%1.4f", "OFFSET  %1.3f,%1.3f,%1.3f", "NOTE    %s"},
    "%s,%1.4f,%1.4f,%1.4f,%s[,%s,%s]",
    "%1.4f,%1.4f,%1.4f[,%s]",
    "%s[,%s[,%s]]",
};
const Gts7Templates kFc6 = {
    kGts7.Informationen, kGts7.Stationspunkt, kGts7.Anschlusspunkt,
    {"SS      %s,%1.3f,%s[,%s]", "XYZ     %1.3f,%1.3f,%1.3f", "CTL     %s[,%s[,%s]]", "HV      %1.4f,%1.4f",
     "SD      %1.5f,%1.5f,%1.4f", "HD      %1.5f,%1.4f,%1.4f", "OFFSET  %1.4f,%1.4f,%1.4f", "NOTE    %s"},
    "%s,%1.4f,%1.4f,%1.4f,%s",
    kGts7.Querprofile,
    kGts7.Punktcodes,
};
const Gts7Templates kOgts7 = {
    {"JOB %s,%s", "DATE %s,%s", "NAME %s", "INST %s", "UNITS %s", "SCALE %1.6f,%1.6f,%1.6f", "ATMOS %d,%d"},
    {"STN %s,%1.3f,%s", "XYZ %1.3f,%1.3f,%1.3f"},
    {"BKB %s,%1.4f,%1.4f", "XYZ %1.3f,%1.3f,%1.3f", "BS %s[,%1.3f]", "FS %s,%1.3f,%s[,%s]", "RES_OBS %s[,%1.3f[,%s]]"},
    {"SS %s,%1.3f,%s[,%s]", "XYZ %1.3f,%1.3f,%1.3f", "CTL %s[,%s[,%s]]", "HV %1.4f,%1.4f", "SD %1.5f,%1.5f,%1.4f",
     "HD %1.5f,%1.4f,%1.4f", "OFFSET %1.3f,%1.3f,%1.3f", "NOTE %s"},
    kGts7.Koordinaten,
    "",
    kGts7.Punktcodes,
};
// clang-format on

template <size_t N>
TStringList ListOf(const std::array<const char*, N>& a) {
  return TStringList(a.begin(), a.end());
}

void FillTemplates(TGeraeteFormat& f, const Gts7Templates& t) {
  f.Informationen = ListOf(t.Informationen);
  f.Stationspunkt = ListOf(t.Stationspunkt);
  f.Anschlusspunkt = ListOf(t.Anschlusspunkt);
  f.Detailpunkt = ListOf(t.Detailpunkt);
  f.Koordinaten = t.Koordinaten;
  f.Querprofile = t.Querprofile;
  f.Punktcodes = t.Punktcodes;
}

bool OneOf(std::string_view keyword, std::initializer_list<std::string_view> list) {
  for (std::string_view k : list)
    if (k == keyword) return true;
  return false;
}

// The continuation keywords but XYZ (the same in both dialects).
bool IsObservationKeyword(std::string_view k) {
  return k != "XYZ" && Gts7GroupOf(k, false) == Gts7Group::Continuation;
}

std::string Field(const std::vector<std::string>& f, size_t i) { return i < f.size() ? f[i] : std::string(); }
std::string_view Field(const std::vector<std::string_view>& f, size_t i) {
  return i < f.size() ? f[i] : std::string_view();
}

// A written line with its CR LF, or nothing when it cannot be formatted.
std::optional<std::string> Line(const std::string& layout, const LayoutArgs& args) {
  auto text = FormatLayout(layout, args);
  if (!text) return std::nullopt;
  return *text + "\r\n";
}

// A temperature or pressure as an integer; nullopt for an empty or
// non-numeric text.
std::optional<std::string> Integer(const std::string& text) {
  if (TrimBlanks(text).empty()) return std::nullopt;
  return FormatDecimalText(TrimBlanks(text), 0);
}

bool DataMergingSetting() { return ReadRegBool(RegistryRoot::CurrentUser, ConfigPath(kSettingDataMerging), false); }

}  // namespace

// ---- Free functions -------------------------------------------------------------------

std::string_view Gts7Keyword(std::string_view line, bool ogts7) {
  if (ogts7) {
    const size_t blank = line.find(' ');
    return blank == std::string_view::npos ? std::string_view("OGTS") : line.substr(0, blank);
  }
  const std::string_view keyword = TrimBlanksView(line.substr(0, kKeywordWidth));
  return keyword.empty() ? std::string_view("GTS") : keyword;
}

// Every line is classified, often several times: a switch on the first
// letter, then whole keywords.
Gts7Group Gts7GroupOf(std::string_view k, bool ogts7) {
  using G = Gts7Group;
  if (k.empty()) return G::Other;
  switch (k[0]) {
    case 'A': return ogts7 && k == "ATMOS" ? G::Information : G::Other;
    case 'B': return k == "BKB" || k == "BS" ? G::Backsight : G::Other;
    case 'C': return k == "CTL" ? G::Continuation : G::Other;
    case 'D': return k == "DATE" ? G::Information : G::Other;
    case 'F': return k == "FS" ? G::Backsight : G::Other;
    case 'H': return k == "HV" || k == "HD" ? G::Continuation : G::Other;
    case 'I': return k == "INST" ? G::Information : G::Other;
    case 'J': return k == "JOB" ? G::Information : G::Other;
    case 'N': return k == "NAME" ? G::Information : k == "NOTE" ? G::Continuation : G::Other;
    case 'O': return k == "OFFSET" ? G::Continuation : G::Other;
    case 'R': return k == "RES_OBS" ? G::Backsight : G::Other;
    case 'S':
      if (k == "SS") return G::SideShot;
      if (k == "SD") return G::Continuation;
      if (k == "STN") return G::Station;
      return k == "SCALE" ? G::Information : G::Other;
    case 'U': return k == "UNITS" ? G::Information : G::Other;
    case 'X': return k == "XYZ" ? G::Continuation : G::Other;
    default: return G::Other;
  }
}

bool Gts7IsRecordStart(const std::string& line) {
  return OneOf(Gts7Keyword(line, false), {"JOB", "STN", "SS", "BKB", "BS", "RES_OBS", "FS"});
}

size_t MergeRepeatedLines(LineList& lines, size_t held) {
  if (held == 0 || held >= lines.size()) return 0;
  size_t start = held;
  while (start < lines.size() && lines[start] != lines[0]) ++start;
  size_t n = 0;
  while (start + n < lines.size() && n < held && lines[start + n] == lines[n]) ++n;
  lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(start),
              lines.begin() + static_cast<std::ptrdiff_t>(start + n));
  return n;
}

// ---- The module ------------------------------------------------------------------------

TdmGTS7::TdmGTS7(TGeraete& geraete) : TdmGTS7(geraete, Dialect::Gts7) {}

TdmGTS7::TdmGTS7(TGeraete& geraete, Dialect dialect)
    : TDataModule(dialect == Dialect::Ogts7 ? "dmOGTS7" : "dmGTS7"),
      geraete_(geraete),
      ogts7_(dialect == Dialect::Ogts7) {
  auto add = [this](const char* name, TTransferDatenart kind) { return AddReadWriteDaten(*this, name, kind); };
  Koordinaten = add("Koordinaten", tdaKoordinate);
  Koordinaten->OnRead = [this](const std::string& S, TDaten& D) { KoordinatenRead(S, D); };
  Koordinaten->OnWrite = [this](TDaten& D) { return KoordinatenWrite(D); };
  Koordinaten->OnStatistik = [this](const std::string& S, TTransferStatistik& St) { KoordinatenStatistik(S, St); };
  Punktcodes = add("Punktcodes", tdaPunktcode);
  Punktcodes->OnRead = [this](const std::string& S, TDaten& D) { PunktcodesRead(S, D); };
  Punktcodes->OnWrite = [this](TDaten& D) { return PunktcodesWrite(D); };
  Punktcodes->OnStatistik = [this](const std::string& S, TTransferStatistik& St) { PunktcodesStatistik(S, St); };
  if (!ogts7_) {
    Querprofile = add("Querprofile", tdaQuerprofil);
    Querprofile->OnRead = [this](const std::string& S, TDaten& D) { QuerprofileRead(S, D); };
    Querprofile->OnWrite = [this](TDaten& D) { return QuerprofileWrite(D); };
    Querprofile->OnStatistik = [this](const std::string& S, TTransferStatistik& St) { QuerprofileStatistik(S, St); };
  }
  Informationen = add("Informationen", tdaInformation);
  Informationen->OnRead = [this](const std::string& S, TDaten& D) { InformationenRead(S, D); };
  Informationen->OnWrite = [this](TDaten& D) { return InformationenWrite(D); };
  Stationen = add("Stationen", tdaStation);
  Stationen->OnRead = [this](const std::string& S, TDaten& D) { StationenRead(S, D); };
  Stationen->OnWrite = [this](TDaten& D) { return StationenWrite(D); };
  Stationen->OnStatistik = [this](const std::string& S, TTransferStatistik& St) { StationenStatistik(S, St); };
  Anschlusspunkte = add("Anschlusspunkte", tdaAnschlusspunkt);
  Anschlusspunkte->OnRead = [this](const std::string& S, TDaten& D) { AnschlusspunkteRead(S, D); };
  Anschlusspunkte->OnWrite = [this](TDaten& D) { return AnschlusspunkteWrite(D); };
  Anschlusspunkte->OnStatistik = [this](const std::string& S, TTransferStatistik& St) {
    AnschlusspunkteStatistik(S, St);
  };
  Neupunkte = add("Neupunkte", tdaNeupunkt);
  Neupunkte->OnRead = [this](const std::string& S, TDaten& D) { NeupunkteRead(S, D); };
  Neupunkte->OnWrite = [this](TDaten& D) { return NeupunkteWrite(D); };
  Neupunkte->OnStatistik = [this](const std::string& S, TTransferStatistik& St) { NeupunkteStatistik(S, St); };
  Kommentare = add("Kommentare", tdaKommentar);
  Kommentare->OnWrite = [this](TDaten& D) { return KommentareWrite(D); };
  if (!ogts7_) {
    Laengsprofile = add("Laengsprofile", tdaLaengsprofil);
    Laengsprofile->OnRead = [this](const std::string& S, TDaten& D) { LaengsprofileRead(S, D); };
    Laengsprofile->OnWrite = [this](TDaten& D) { return LaengsprofileWrite(D); };
    Laengsprofile->OnStatistik = [this](const std::string& S, TTransferStatistik& St) {
      LaengsprofileStatistik(S, St);
    };
  }

  auto bind = [this, &geraete](TGeraeteFormat* f, const Gts7Templates& t) {
    if (!f) return;
    FillTemplates(*f, t);
    GeraeteFormatHandlers h;
    h.OnFormat = [this, f](const std::string& S, const std::string& Buf) { return Format(*f, S, Buf); };
    h.OnSetup = [this] { Setup(); };
    h.OnAfterTrans = [this] { AfterTrans(); };
    if (!ogts7_) {
      h.OnAfterRead = [this, f] { AfterRead(*f); };
      h.OnEditNext = [this, f](const std::string& S) { return EditNext(*f, S); };
      h.OnInitEditor = [this, f] { InitEditor(*f); };
    }
    h.OnGetDatenart = [this, f](std::string& S) { return GetDatenart(*f, S); };
    // The version line ("FIELD V2.1", "FC-6 V1.0 JOB") and the temperature
    // lines, which the station after them reads.
    h.OnFrameLine = [this](const std::string& S) {
      const std::string_view keyword = Gts7Keyword(S, ogts7_);
      return S.rfind("FIELD ", 0) == 0 || S.rfind("FC-", 0) == 0 || keyword == (ogts7_ ? "ATMOS" : "TEMP");
    };
    h.OnSetTDA = [this, f](TTransferDatenart kind) { return SetTDA(*f, kind); };
    geraete.BindFormatHandlers(f->Name, h);
  };
  if (ogts7_) {
    ogts7Format_ = geraete.Format("OGTS7");
    bind(ogts7Format_, kOgts7);
  } else {
    gts7_ = geraete.Format("GTS7");
    fc6_ = geraete.Format("FC6");
    bind(gts7_, kGts7);
    bind(fc6_, kFc6);
  }
}

TdmGTS7::~TdmGTS7() {
  for (TGeraeteFormat* f : {gts7_, fc6_, ogts7Format_})
    if (f) UnbindFormatHandlers(*f, *this);
}

TGeraeteFormat& TdmGTS7::CurrentFormat() const {
  TGeraeteFormat& current = geraete_.CurrentGeraeteFormat();
  if (ogts7_) return ogts7Format_ ? *ogts7Format_ : current;
  if (&current == gts7_ || &current == fc6_ || !gts7_) return current;
  return *gts7_;
}

const std::string& TdmGTS7::Layout(const TStringList& list, size_t index) const {
  static const std::string kNone;
  return index < list.size() ? list[index] : kNone;
}

Gts7Group TdmGTS7::GroupOf(std::string_view line) const { return Gts7GroupOf(Gts7Keyword(line, ogts7_), ogts7_); }

// Last line of the record that the head at `head` reads: its coordinate
// line (station, BKB, side shot) and its observation lines (not station).
long TdmGTS7::GroupEnd(const LineList& lines, size_t head) const {
  const Gts7Group group = GroupOf(lines[head]);
  const std::string_view keyword = Gts7Keyword(lines[head], ogts7_);
  const bool ogts = ogts7_;
  auto keywordAt = [&](size_t i) { return i < lines.size() ? Gts7Keyword(lines[i], ogts) : std::string_view(); };
  size_t end = head;
  const bool takesXyz = group == Gts7Group::Station || group == Gts7Group::SideShot || keyword == "BKB";
  if (takesXyz && keywordAt(end + 1) == "XYZ") ++end;
  if (group == Gts7Group::Backsight || group == Gts7Group::SideShot)
    while (end + 1 < lines.size() && IsObservationKeyword(keywordAt(end + 1))) ++end;
  return static_cast<long>(end);
}

TTransferDatenart TdmGTS7::Gts7LineKind(const std::string& tag, const std::string& line) {
  return LineKind(CurrentFormat(), tag, line);
}

TTransferDatenart TdmGTS7::LineKind(TGeraeteFormat& format, const std::string& tag, const std::string& line) {
  format.MoreLine = false;
  if (!ogts7_ && tag.size() > 1) {
    const std::string_view name = std::string_view(tag).substr(1);
    if (name == "GTS7" || name == "FC6") {
      switch (tag[0]) {
        case 'k': return tdaKoordinate;
        case 'p': return tdaPunktcode;
        case 'l': return tdaLaengsprofil;
        case 'q': return tdaQuerprofil;
        default: break;
      }
    }
  }
  format.MoreLine = true;
  const Gts7Group own = GroupOf(line);
  auto kindOf = [](Gts7Group g) {
    switch (g) {
      case Gts7Group::Station: return tdaStation;
      case Gts7Group::Backsight: return tdaAnschlusspunkt;
      case Gts7Group::SideShot: return tdaNeupunkt;
      default: return tdaNone;
    }
  };
  if (own == Gts7Group::Information) return tdaInformation;
  if (own != Gts7Group::Continuation) return kindOf(own);

  // A continuation line: the head above the run of continuation lines, when
  // its record takes this line.
  const LineList* lines = CurrentTransfer().ActiveLines;
  const int zeile = CurrentTransfer().Daten.Konstanten.Zeile;
  if (!lines || zeile < 0 || static_cast<size_t>(zeile) >= lines->size()) return tdaNone;
  const size_t i = static_cast<size_t>(zeile);
  HeadCache& c = cache_;
  // Consecutive lines of one run share the search (the engine and the
  // receive classify line after line).
  const bool cached = c.lines == lines && c.size == lines->size() && static_cast<long>(i) > c.head && i <= c.to + 1 &&
                      (c.head < 0 || (*lines)[static_cast<size_t>(c.head)] == c.headLine);
  if (!cached) {
    long j = static_cast<long>(i) - 1;
    for (size_t steps = 1; j >= 0 && GroupOf((*lines)[static_cast<size_t>(j)]) == Gts7Group::Continuation; --j)
      if (++steps % kPumpEveryLines == 0) PumpMessages();
    c.lines = lines;
    c.size = lines->size();
    c.head = j;
    if (j >= 0)
      c.headLine = (*lines)[static_cast<size_t>(j)];  // into the buffer held
    else
      c.headLine.clear();
    c.to = i;
    c.groupEnd = j >= 0 ? GroupEnd(*lines, static_cast<size_t>(j)) : -1;
    c.headKind = j >= 0 ? kindOf(GroupOf((*lines)[static_cast<size_t>(j)])) : tdaNone;
  }
  c.to = std::max(c.to, i);
  if (c.head < 0 || c.groupEnd < static_cast<long>(i)) return tdaNone;
  return c.headKind;
}

// ---- Walking the lines of a record -----------------------------------------------------------

// The lines a reader walks: the transfer's active lines with Zeile on the
// line read, or the line alone.
struct TdmGTS7::Walk {
  Walk(const std::string& S, TDaten& Daten) : daten(Daten) {
    const LineList* active = CurrentTransfer().ActiveLines;
    const int z = Daten.Konstanten.Zeile;
    if (active && z >= 0 && static_cast<size_t>(z) < active->size()) {
      lines = active;
      at = static_cast<size_t>(z);
    } else {
      own.push_back(S);
      lines = &own;
    }
    first = last = at;
  }
  bool Engine() const { return lines != &own; }
  // Views into the line list, valid as long as the list is not cleared.
  std::string_view Line() const { return (*lines)[last]; }
  bool HasNext() const { return last + 1 < lines->size(); }
  std::string_view Next() const { return (*lines)[last + 1]; }
  std::string_view Advance() { return (*lines)[++last]; }

  TDaten& daten;
  const LineList* lines = nullptr;
  LineList own;
  size_t at = 0;
  size_t first = 0;  // first and last line of the record
  size_t last = 0;
};

// Moves the walk back over continuation lines onto the head of the record
// at the current line; false (nothing read) when the line reached is not a
// head of that group, or its record does not take the current line.
bool TdmGTS7::ReadHead(Walk& w, Gts7Group group) {
  size_t h = w.at;
  for (size_t steps = 1; h > 0 && GroupOf((*w.lines)[h]) == Gts7Group::Continuation; --h)
    if (++steps % kPumpEveryLines == 0) PumpMessages();
  if (GroupOf((*w.lines)[h]) != group) return false;
  if (h < w.at && GroupEnd(*w.lines, h) < static_cast<long>(w.at)) return false;
  w.first = w.last = h;
  w.daten.Konstanten.Startzeile = static_cast<int>(h);
  return true;
}

void TdmGTS7::Finish(Walk& w, TDaten& Daten) {
  std::string& text = Daten.Konstanten.Originalzeilen;
  text.clear();
  for (size_t i = w.first; i <= w.last; ++i) {
    if (i > w.first) text += "\r\n";
    text += (*w.lines)[i];
  }
  if (!w.Engine()) return;
  Daten.Konstanten.Zeile = static_cast<int>(w.last);
  // Continuation lines that no record takes are listed, once, here.
  for (size_t i = w.last + 1; i < w.lines->size() && GroupOf((*w.lines)[i]) == Gts7Group::Continuation; ++i)
    AddErrorLine((*w.lines)[i]);
}

void TdmGTS7::ReadCoordinates(Walk& w, const std::string& layout, std::string& y, std::string& x, std::string& h) {
  std::vector<std::string_view>& f = cut_;
  CutFieldViews(layout, w.Advance(), f);
  y = geraete_.ApplyOffset(std::string(Field(f, 0)), kOffsetAddX);
  x = geraete_.ApplyOffset(std::string(Field(f, 1)), kOffsetAddY);
  h = Field(f, 2);
}

void TdmGTS7::ReadObservations(Walk& w, const TStringList& d) {
  TPunkt& p = w.daten.Punkt;
  while (w.HasNext()) {
    const std::string_view next = w.Next();
    const std::string_view keyword = Gts7Keyword(next, ogts7_);
    if (!IsObservationKeyword(keyword)) break;
    const std::string_view line = w.Advance();
    auto fields = [&](size_t templ) -> const std::vector<std::string_view>& {
      CutFieldViews(Layout(d, templ), line, cut_);
      return cut_;
    };
    if (keyword == "CTL") {
      const auto& f = fields(kCtl);
      p.Kontrollkodierung = Field(f, 0);
      p.Code2 = geraete_.OemToAnsiText(std::string(Field(f, 1)));
      p.Anmerkung2 = Field(f, 2);
    } else if (keyword == "HV") {
      const auto& f = fields(kHv);
      p.Messflags |= mfHzVz;
      p.Horizontalwinkel = Field(f, 0);
      p.Vertikalwinkel = Field(f, 1);
    } else if (keyword == "SD") {
      const auto& f = fields(kSd);
      p.Messflags |= mfHzVzSd;
      p.Horizontalwinkel = Field(f, 0);
      p.Vertikalwinkel = Field(f, 1);
      p.Schraegdistanz = Field(f, 2);
    } else if (keyword == "HD") {
      const auto& f = fields(kHd);
      p.Messflags |= mfHzHdDh;
      p.Horizontalwinkel = Field(f, 0);
      p.Horizontaldistanz = Field(f, 1);
      p.Vertikaldistanz = Field(f, 2);
    } else if (keyword == "OFFSET") {
      const auto& f = fields(kOffset);
      p.Laengsverschiebung = Field(f, 0);
      p.Querverschiebung = Field(f, 1);
      p.Vertikalverschiebung = Field(f, 2);
    } else {
      p.Kommentar = Field(fields(kNote), 0);
    }
  }
}

// ---- Reading ------------------------------------------------------------------------------

void TdmGTS7::InformationenRead(const std::string& S, TDaten& Daten) {
  Walk w(S, Daten);
  auto isInfo = [this](std::string_view line) { return GroupOf(line) == Gts7Group::Information; };
  size_t i = w.at;
  for (size_t steps = 1; i > 0 && isInfo((*w.lines)[i - 1]); --i)
    if (++steps % kPumpEveryLines == 0) PumpMessages();
  if (!isInfo((*w.lines)[i]) && i + 1 < w.lines->size()) ++i;
  w.first = w.last = i;
  Daten.Konstanten.Startzeile = static_cast<int>(i);
  if (!isInfo((*w.lines)[i])) {
    Finish(w, Daten);
    return;
  }
  const TGeraeteFormat& format = CurrentFormat();
  const TStringList& t = format.Informationen;
  TInfo& info = Daten.Info;
  for (bool first = true;; first = false) {
    if (!first) {
      if (!w.HasNext() || !isInfo(w.Next())) break;
      w.Advance();
    }
    const std::string_view line = w.Line();
    const std::string_view keyword = Gts7Keyword(line, ogts7_);
    auto f = [&](size_t templ) { return CutFields(Layout(t, templ), line); };
    if (keyword == "JOB") {
      const auto v = f(kJob);
      info.Projekt = Field(v, 0);
      info.Beschreibung = Field(v, 1);
    } else if (keyword == "NAME") {
      info.Beobachter = Field(f(kName), 0);
    } else if (keyword == "INST") {
      info.Instrument = Field(f(kInst), 0);
    } else if (keyword == "SCALE") {
      const auto v = f(kScale);
      info.Umrechnungsfaktor = Field(v, 0);
      info.Massstabsfaktor = Field(v, 1).empty() ? kDefaultMassstab : Field(v, 1);
      info.Meereshoehe = Field(v, 2).empty() ? kDefaultMeereshoehe : Field(v, 2);
    } else if (keyword == "DATE") {
      const auto v = f(kDate);
      info.Zeitpunkt = ParseDate(format.Datumsformat, Field(v, 0)) + ParseTime(format.Uhrzeitformat, Field(v, 1));
    } else if (keyword == "UNITS") {
      info.Einheiten = line;
    } else if (keyword == "ATMOS") {
      const auto v = f(kTemp);
      Daten.Station.Temperatur = Field(v, 0);
      Daten.Station.Luftdruck = Field(v, 1);
    }
  }
  Finish(w, Daten);
}

void TdmGTS7::StationenRead(const std::string& S, TDaten& Daten) {
  Walk w(S, Daten);
  if (!ReadHead(w, Gts7Group::Station)) {
    Daten.Konstanten.Originalzeilen = S;
    return;
  }
  const TGeraeteFormat& format = CurrentFormat();
  TStation& s = Daten.Station;
  const std::string temp = ogts7_ ? "ATMOS" : "TEMP";
  // Temperature lines directly before the station, the earliest first.
  while (w.first > 0 && Gts7Keyword((*w.lines)[w.first - 1], ogts7_) == temp) --w.first;
  for (size_t i = w.first; i < w.last; ++i) {
    const auto v = CutFields(Layout(format.Informationen, kTemp), std::string((*w.lines)[i]));
    s.Temperatur = Field(v, 0);
    s.Luftdruck = Field(v, 1);
  }
  Daten.Konstanten.Startzeile = static_cast<int>(w.first);

  const auto v = CutFields(Layout(format.Stationspunkt, kStn), w.Line());
  s.Punktnummer = Field(v, 0);
  s.Instrumentenhoehe = Field(v, 1);
  s.Code = geraete_.OemToAnsiText(Field(v, 2));

  // The station's observations tell whether distances are horizontal.
  TPunkt& p = Daten.Punkt;
  p.Messflags = mfHzVzSd;
  for (size_t i = w.last + 1; i < w.lines->size(); ++i) {
    const std::string_view keyword = Gts7Keyword((*w.lines)[i], ogts7_);
    if (keyword == "STN") break;
    if (keyword == "HD") {
      p.Messflags = mfHzHdDh;
      break;
    }
    if ((i - w.last) % kPumpEveryLines == 0) PumpMessages();
  }

  if (w.HasNext() && Gts7Keyword(w.Next(), ogts7_) == "XYZ") {
    p.Messflags |= mfKoordinaten;
    ReadCoordinates(w, Layout(format.Stationspunkt, kStnXyz), s.Y, s.X, s.Hoehe);
  }
  Finish(w, Daten);
}

void TdmGTS7::AnschlusspunkteRead(const std::string& S, TDaten& Daten) {
  Walk w(S, Daten);
  if (!ReadHead(w, Gts7Group::Backsight)) {
    Daten.Konstanten.Originalzeilen = S;
    return;
  }
  const TStringList& t = CurrentFormat().Anschlusspunkt;
  TPunkt& p = Daten.Punkt;
  const std::string_view current = w.Line();
  const std::string_view keyword = Gts7Keyword(current, ogts7_);
  if (keyword == "BKB") {
    const auto v = CutFields(Layout(t, kBkb), w.Line());
    p.Messflags = kFlagsBkb;
    p.Punktnummer = Field(v, 0);
    p.Azimut = Field(v, 1);
    p.Horizontalwinkel = Field(v, 2);
    if (w.HasNext() && Gts7Keyword(w.Next(), ogts7_) == "XYZ") {
      p.Messflags |= mfKoordinaten;
      ReadCoordinates(w, Layout(t, kBkbXyz), p.Y, p.X, p.Hoehe);
    }
  } else if (keyword == "BS") {
    const auto v = CutFields(Layout(t, kBs), w.Line());
    p.Messflags = kBitAnschluss[1];
    p.Punktnummer = Field(v, 0);
    p.Reflektorhoehe = Field(v, 1);
  } else if (keyword == "FS") {
    const auto v = CutFields(Layout(t, kFs), w.Line());
    p.Messflags = kBitAnschluss[2];
    p.Punktnummer = Field(v, 0);
    p.Reflektorhoehe = Field(v, 1);
    p.Code1 = geraete_.OemToAnsiText(Field(v, 2));
    p.Anmerkung1 = Field(v, 3);
  } else {
    const auto v = CutFields(Layout(t, kResObs), w.Line());
    ++Daten.Konstanten.Hilfswerte[3];
    p.Messflags = kBitAnschluss[3];
    p.Punktnummer = Field(v, 0);
    p.Reflektorhoehe = Field(v, 1);
    p.Zusatzwert1 = Field(v, 2);
  }
  ReadObservations(w, CurrentFormat().Detailpunkt);
  Finish(w, Daten);
}

void TdmGTS7::NeupunkteRead(const std::string& S, TDaten& Daten) {
  Walk w(S, Daten);
  if (!ReadHead(w, Gts7Group::SideShot)) {
    Daten.Konstanten.Originalzeilen = S;
    return;
  }
  const TStringList& t = CurrentFormat().Detailpunkt;
  TPunkt& p = Daten.Punkt;
  const std::vector<std::string_view>& v = cut_;
  CutFieldViews(Layout(t, kSs), w.Line(), cut_);
  p.Punktnummer = Field(v, 0);
  p.Reflektorhoehe = Field(v, 1);
  p.Code1 = geraete_.OemToAnsiText(std::string(Field(v, 2)));
  p.Anmerkung1 = Field(v, 3);
  if (w.HasNext() && Gts7Keyword(w.Next(), ogts7_) == "XYZ") {
    p.Messflags |= mfKoordinaten;
    ReadCoordinates(w, Layout(t, kSsXyz), p.Y, p.X, p.Hoehe);
  }
  ReadObservations(w, t);
  Finish(w, Daten);
}

void TdmGTS7::KoordinatenRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  const auto v = CutFields(CurrentFormat().Koordinaten, S);
  TPunkt& p = Daten.Punkt;
  p.Punktnummer = Field(v, 0);
  p.Y = geraete_.ApplyOffset(Field(v, 1), kOffsetAddX);
  p.X = geraete_.ApplyOffset(Field(v, 2), kOffsetAddY);
  p.Hoehe = Field(v, 3);
  p.Code1 = geraete_.OemToAnsiText(Field(v, 4));
}

void TdmGTS7::PunktcodesRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  const auto v = CutFields(CurrentFormat().Punktcodes, S);
  Daten.Punktcode.Code = geraete_.OemToAnsiText(Field(v, 0));
  Daten.Punktcode.Entity = Field(v, 1);
  Daten.Punktcode.Layer = Field(v, 2);
}

void TdmGTS7::QuerprofileRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  const auto v = CutFields(CurrentFormat().Querprofile, S);
  TQuerprofil& q = Daten.Querprofil;
  q.Stationierung = Field(v, 0);
  q.Seitenabstand = Field(v, 1);
  q.Hoehe = Field(v, 2);
  q.Code = geraete_.OemToAnsiText(Field(v, 3));
}

void TdmGTS7::LaengsprofileRead(const std::string& S, TDaten& Daten) { Daten.Konstanten.Originalzeilen = S; }

// ---- Writing ------------------------------------------------------------------------------

std::string TdmGTS7::InformationenWrite(TDaten& Daten) {
  const TGeraeteFormat& format = CurrentFormat();
  const TStringList& t = format.Informationen;
  const TInfo& i = Daten.Info;
  std::string text;
  auto add = [&](size_t templ, const LayoutArgs& args) {
    const auto line = Line(Layout(t, templ), args);
    if (line) text += *line;
    return line.has_value();
  };
  if (!(i.Projekt.empty() && i.Beschreibung.empty()) && !add(kJob, {i.Projekt, i.Beschreibung})) return kWriteError;
  if (!i.Beobachter.empty() && !add(kName, {i.Beobachter})) return kWriteError;
  if (!i.Instrument.empty() && !add(kInst, {i.Instrument})) return kWriteError;
  if (!i.Einheiten.empty()) text += i.Einheiten + "\r\n";
  if (!(i.Umrechnungsfaktor.empty() && i.Massstabsfaktor.empty() && i.Meereshoehe.empty()) &&
      !add(kScale, {i.Umrechnungsfaktor, i.Massstabsfaktor, i.Meereshoehe}))
    return kWriteError;
  if (i.Zeitpunkt != 0 && !add(kDate, {FormatDate(format.Datumsformat, i.Zeitpunkt),
                                       FormatTime(format.Uhrzeitformat, i.Zeitpunkt)}))
    return kWriteError;
  return text;
}

std::string TdmGTS7::CoordinateLine(const std::string& layout, const std::string& y, const std::string& x,
                                    const std::string& h) {
  if (y.empty()) return {};
  const auto line = Line(layout, {geraete_.ApplyOffset(TrimBlanks(y), kOffsetRemoveX),
                                  geraete_.ApplyOffset(TrimBlanks(x), kOffsetRemoveY), TrimBlanks(h)});
  return line ? *line : std::string();
}

std::string TdmGTS7::StationenWrite(TDaten& Daten) {
  const TGeraeteFormat& format = CurrentFormat();
  const TStation& s = Daten.Station;
  std::string text;
  // Temperature and pressure are whole numbers in the file; without both
  // the line is left out.
  if (const auto t = Integer(s.Temperatur), p = Integer(s.Luftdruck); t && p)
    if (const auto line = Line(Layout(format.Informationen, kTemp), {*t, *p})) text += *line;
  if (!s.Punktnummer.empty()) {
    const auto line =
        Line(Layout(format.Stationspunkt, kStn), {s.Punktnummer, s.Instrumentenhoehe, geraete_.AnsiToOemText(s.Code)});
    if (!line) return kWriteError;
    text += *line + CoordinateLine(Layout(format.Stationspunkt, kStnXyz), s.Y, s.X, s.Hoehe);
  }
  return text;
}

std::string TdmGTS7::ObservationBlock(const TDaten& Daten) {
  const TStringList& t = CurrentFormat().Detailpunkt;
  const TPunkt& p = Daten.Punkt;
  std::string text = CoordinateLine(Layout(t, kSsXyz), p.Y, p.X, p.Hoehe);
  auto add = [&](size_t templ, const LayoutArgs& args) {
    if (const auto line = Line(Layout(t, templ), args)) text += *line;
  };
  if (!p.Kontrollkodierung.empty()) add(kCtl, {p.Kontrollkodierung, geraete_.AnsiToOemText(p.Code2), p.Anmerkung2});
  if (!p.Horizontalwinkel.empty() && !p.Vertikalwinkel.empty() && p.Schraegdistanz.empty())
    add(kHv, {p.Horizontalwinkel, p.Vertikalwinkel});
  if (!p.Schraegdistanz.empty()) add(kSd, {p.Horizontalwinkel, p.Vertikalwinkel, p.Schraegdistanz});
  if (!p.Horizontaldistanz.empty()) add(kHd, {p.Horizontalwinkel, p.Horizontaldistanz, p.Vertikaldistanz});
  if (!p.Laengsverschiebung.empty())
    add(kOffset, {p.Laengsverschiebung, p.Querverschiebung, p.Vertikalverschiebung});
  if (!p.Kommentar.empty()) add(kNote, {p.Kommentar});
  return text;
}

std::string TdmGTS7::NeupunkteWrite(TDaten& Daten) {
  const TPunkt& p = Daten.Punkt;
  const auto head = Line(Layout(CurrentFormat().Detailpunkt, kSs),
                         {p.Punktnummer, p.Reflektorhoehe, geraete_.AnsiToOemText(p.Code1), p.Anmerkung1});
  if (!head) return kWriteError;
  return *head + ObservationBlock(Daten);
}

std::string TdmGTS7::AnschlusspunkteWrite(TDaten& Daten) {
  const TStringList& t = CurrentFormat().Anschlusspunkt;
  const TPunkt& p = Daten.Punkt;
  if ((p.Messflags & 0x000F) == 0) return kWriteError;
  std::string text;
  if (p.Messflags & kBitAnschluss[0]) {
    const auto line = Line(Layout(t, kBkb), {p.Punktnummer, p.Azimut, p.Horizontalwinkel});
    if (!line) return kWriteError;
    text += *line + CoordinateLine(Layout(t, kBkbXyz), p.Y, p.X, p.Hoehe);
  }
  struct Variant {
    std::uint16_t bit;
    size_t templ;
    LayoutArgs args;
  };
  const Variant variants[] = {
      {kBitAnschluss[1], kBs, {p.Punktnummer, p.Reflektorhoehe}},
      {kBitAnschluss[2], kFs, {p.Punktnummer, p.Reflektorhoehe, geraete_.AnsiToOemText(p.Code1), p.Anmerkung1}},
      {kBitAnschluss[3], kResObs, {p.Punktnummer, p.Reflektorhoehe, p.Zusatzwert1}},
  };
  for (const Variant& v : variants) {
    if (!(p.Messflags & v.bit)) continue;
    const auto line = Line(Layout(t, v.templ), v.args);
    if (!line) return kWriteError;
    text += *line + ObservationBlock(Daten);
  }
  return text;
}

std::string TdmGTS7::KoordinatenWrite(TDaten& Daten) {
  if (OfficeIsPassThrough()) return Daten.Konstanten.Originalzeilen;
  const TPunkt& p = Daten.Punkt;
  const auto line = Line(ogts7_ ? kOgts7.Koordinaten : kGts7.Koordinaten,
                         {UpperAscii(p.Punktnummer), geraete_.ApplyOffset(TrimBlanks(p.Y), kOffsetRemoveX),
                          geraete_.ApplyOffset(TrimBlanks(p.X), kOffsetRemoveY), TrimBlanks(p.Hoehe),
                          geraete_.AnsiToOemText(p.Code1), "", ""});
  return line ? *line : kWriteError;
}

std::string TdmGTS7::PunktcodesWrite(TDaten& Daten) {
  if (OfficeIsPassThrough()) return Daten.Konstanten.Originalzeilen;
  const TPunktcode& c = Daten.Punktcode;
  const auto line = Line(kGts7.Punktcodes, {geraete_.AnsiToOemText(c.Code), c.Entity, c.Layer});
  return line ? *line : kWriteError;
}

std::string TdmGTS7::QuerprofileWrite(TDaten& Daten) {
  if (OfficeIsPassThrough()) return Daten.Konstanten.Originalzeilen;
  const TQuerprofil& q = Daten.Querprofil;
  const auto line =
      Line(kGts7.Querprofile, {q.Stationierung, q.Seitenabstand, q.Hoehe, geraete_.AnsiToOemText(q.Code)});
  return line ? *line : kWriteError;
}

std::string TdmGTS7::LaengsprofileWrite(TDaten& Daten) {
  return OfficeIsPassThrough() ? Daten.Konstanten.Originalzeilen : std::string(kWriteError);
}

std::string TdmGTS7::KommentareWrite(TDaten&) { return {}; }

// ---- Statistics: a record counts once, by its head line -----------------------------------------

void TdmGTS7::NeupunkteStatistik(const std::string& S, TTransferStatistik& State) {
  if (GroupOf(S) == Gts7Group::SideShot) CountPoint(State);
}

void TdmGTS7::AnschlusspunkteStatistik(const std::string& S, TTransferStatistik& State) {
  if (GroupOf(S) == Gts7Group::Backsight) CountPoint(State);
}

void TdmGTS7::StationenStatistik(const std::string& S, TTransferStatistik& State) {
  if (GroupOf(S) == Gts7Group::Station) ++State.Stationen;
}

void TdmGTS7::QuerprofileStatistik(const std::string&, TTransferStatistik& State) { CountPoint(State); }
void TdmGTS7::LaengsprofileStatistik(const std::string&, TTransferStatistik& State) { CountPoint(State); }

void TdmGTS7::PunktcodesStatistik(const std::string&, TTransferStatistik& State) {
  ++State.Codes;
  ++State.Fortschritt;
}

void TdmGTS7::KoordinatenStatistik(const std::string& S, TTransferStatistik& State) {
  CountPoint(State);
  TransferState& t = CurrentTransfer();
  if (t.MergeFlag) MergeCoordinateLine(t.ReceivedLines, S, ogts7_, [&t] { return t.StopFlag; });
}

// ---- Catalogue handlers -------------------------------------------------------------------

std::string TdmGTS7::Format(TGeraeteFormat& format, const std::string& S, const std::string& Buf) {
  return RecogniseFormatLine(geraete_, format, ogts7_ ? "OGTS7" : "GTS7", S, Buf,
                             [this, &format, &S](const std::string& tag) { return LineKind(format, tag, S); });
}

void TdmGTS7::Setup() {
  TransferState& t = CurrentTransfer();
  if (ogts7_ || !t.MergeFlag) t.ReceivedLines.clear();
  held_ = t.ReceivedLines.size();
}

void TdmGTS7::AfterTrans() {
  if (OfficeIsPassThrough()) RemoveTrailingEndMark(CurrentTransfer().ReceivedLines);
}

void TdmGTS7::AfterRead(TGeraeteFormat& format) {
  TransferState& t = CurrentTransfer();
  const std::string measurements = "d" + format.Name;
  if (!t.MergeFlag && t.FormatTag == measurements && DataMergingSetting()) t.MergeFlag = true;
  if (!t.MergeFlag) return;
  if (t.FormatTag == measurements) {
    MergeRepeatedLines(t.ReceivedLines, held_);
  } else if (t.FormatTag == "k" + format.Name) {
    t.MergeFlag = false;
    t.FormatTag = measurements;
  }
}

TTransferDatenart TdmGTS7::GetDatenart(TGeraeteFormat& format, std::string& S) {
  return LineKind(format, CurrentTransfer().FormatTag, S);
}

std::string TdmGTS7::SetTDA(TGeraeteFormat& format, TTransferDatenart kind) {
  return SelectKind(format, *this, kind);
}

std::vector<EditorPanelSpec> Gts7EditorPanels(const TGeraeteFormat& format) {
  const std::string pm = "\xB1";
  const std::string a8(8, 'A');
  const std::string a16(16, 'A');
  const std::string code = std::string(10, 'A') + "\xE4\xF6\xFC\xC4\xD6\xDC";
  const std::string coordinate = pm + "9999999.9999";
  const std::string height = pm + "9999.9999";
  const std::string offset = pm + "9.999";
  const std::string distance = pm + "9999.9999";
  const std::string angle = pm + "999.99999";
  return {
      {kPanelKoordinaten, "TTTTTF", "TFTTTF", PictureItems({a8, code, coordinate, coordinate, height})},
      {kPanelInfos, "TTTTTTTTTFF", "FFFFFFFFFFF",
       PictureItems({std::string(14, 'A') + ":\\", a16, a16, PictureFromDateFormat(format.Datumsformat),
                     PictureFromDateFormat(format.Uhrzeitformat), std::string(32, 'A'), pm + "9.999999",
                     pm + "9.999999", height})},
      {kPanelStationen, "TTTTTTTT", "TFTFFFFF",
       PictureItems({a8, code, offset, pm + "99", pm + "9999", coordinate, coordinate, height})},
      {kPanelPunkte, "TTTTTTTTTTTTTTTTTTTT", "TTFTFFFFFFFTTTTTTFFF",
       PictureItems({a8,  code,     code,     offset,   a16,   offset, offset, offset,     a16,        a16,
                     a16, distance, distance, distance, angle, angle,  angle,  coordinate, coordinate, height})},
      {kPanelQuerprofile, "TTTT", "TFTT", PictureItems({pm + "99999.9999", code, pm + "999.9999", height})},
      {kPanelPunktcodes, "TTT", "TFF", PictureItems({code, "9", a16})},
  };
}

bool TdmGTS7::EditNext(TGeraeteFormat& format, const std::string& S) {
  std::string line = S;
  const TTransferDatenart kind = GetDatenart(format, line);
  SetTDA(format, kind);
  if (kind == tdaKoordinate || kind == tdaQuerprofil || kind == tdaPunktcode) return true;
  return Gts7IsRecordStart(S);
}

}  // namespace veltro
