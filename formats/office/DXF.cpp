#include "formats/office/DXF.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "core/DecimalText.h"
#include "core/Language.h"
#include "core/Messages.h"
#include "core/Settings.h"
#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "formats/office/Layout.h"
#include "platform/CodePage1252.h"
#include "platform/FileLookup.h"
#include "platform/Registry.h"

namespace veltro {
namespace {

// Texts.
constexpr int kTextStandard = 116;        // name of the standard definition
constexpr int kTextSectionBroken = 840;   // %s section, %s line
constexpr int kTextSectionMissing = 841;  // %s section
constexpr int kTextLayerRefused = 842;    // %s layer
constexpr int kTextHeightRefused = 843;   // %s height
constexpr int kTextNoGroupCode = 844;     // %s line
constexpr int kTextNoPoints = 845;        // %s entity name

// Settings below the configuration key.
constexpr const char* kSettingLayer = "DXF\\Layer";
constexpr const char* kSettingFontSize = "DXF\\Font size";
constexpr const char* kSettingDefinition = "DXF\\Definition";

constexpr const char* kDefinitionFile = "DXF.DEF";
constexpr char kSectionMark = '#';
constexpr char kCommentMark = '*';
constexpr char kFieldSeparator = '\xA6';                  // "¦" of the point line layout
constexpr int kMaxGroupCodeDigits = 6;                    // DXF codes run from -5 to 1071
constexpr std::string_view kFirstUtf8Version = "AC1021";  // AutoCAD 2007 on: texts in UTF-8
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";    // byte-order mark some Windows tools write first

constexpr int kCoordinateDecimals = 3;
constexpr int kFineCoordinateDecimals = 4;  // Messflags 0x2000
constexpr std::uint16_t kFineCoordinates = 0x2000;

// Fields of the point line.
enum Field { kPunktnummer = 0, kY = 1, kX = 2, kZ = 3, kCode = 4, kFieldCount = 5 };

const TStringList kBuiltIn = {"  0", "POINT", "  8", "@LAY", " 10", "@Y",   " 20", "@X", " 30", "@Z",  "  0", "TEXT",
                              "  8", "@LAY",  " 10", "@Y+1", " 20", "@X+1", " 30", "@Z", " 40", "@TG", "  1", "@PNR"};

const std::string kBlank = " ";  // the value written for an empty one

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimView(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string TrimRight(const std::string& s) {
  size_t end = s.size();
  while (end > 0 && IsBlank(s[end - 1])) --end;
  return s.substr(0, end);
}

// The position of "@" + letter in any case; npos when none.
size_t FindCoordinateTag(const std::string& value, char letter) {
  const char lower = static_cast<char>(letter - 'A' + 'a');
  for (size_t i = value.find('@'); i != std::string::npos && i + 1 < value.size(); i = value.find('@', i + 1))
    if (value[i + 1] == letter || value[i + 1] == lower) return i;
  return std::string::npos;
}

bool ContainsIgnoringCase(const std::string& value, const char* tag) {
  const size_t n = std::strlen(tag);
  for (size_t i = 0; i + n <= value.size(); ++i) {
    size_t k = 0;
    while (k < n && std::toupper(static_cast<unsigned char>(value[i + k])) == tag[k]) ++k;
    if (k == n) return true;
  }
  return false;
}

// The offset a coordinate placeholder carries: the rest of the value without
// the tag; empty is 0.
std::optional<DecimalNumber> CoordinateOffset(std::string value, size_t tag) {
  value.erase(tag, 2);
  const std::string rest = std::string(TrimView(value));
  if (rest.empty()) return DecimalNumber{};
  return ParseDecimal(rest);
}

// Replaces the first occurrence of each placeholder as it stands in the
// template value, so that replaced text is never searched again.
struct Replacement {
  const char* tag;
  const std::string* text;
};
std::string ReplacePlaceholders(const std::string& value, std::initializer_list<Replacement> replacements) {
  struct Hit {
    size_t at, length;
    const std::string* text;
  };
  std::vector<Hit> hits;
  for (const Replacement& r : replacements)
    if (size_t at = value.find(r.tag); at != std::string::npos) hits.push_back({at, std::strlen(r.tag), r.text});
  if (hits.empty()) return value;
  std::sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) { return a.at < b.at; });
  std::string out;
  size_t from = 0;
  for (const Hit& h : hits) {
    if (h.at < from) continue;  // overlaps an earlier placeholder
    out.append(value, from, h.at - from);
    out += *h.text;
    from = h.at + h.length;
  }
  out.append(value, from, std::string::npos);
  return out;
}

// A coordinate value read from a file: "600000." (a point and no digits, as
// some devices write) loses its point; the template's offset is taken off.
std::string ReadCoordinate(std::string value, const std::optional<DecimalNumber>& offset) {
  if (value.size() > 1 && value.back() == '.' && value[value.size() - 2] >= '0' && value[value.size() - 2] <= '9')
    value.pop_back();
  if (offset && offset->digits != "0") {
    if (auto number = ParseDecimal(value))
      value = FormatDecimal(SubtractDecimal(*number, *offset), std::max(number->scale, offset->scale));
  }
  return value;
}

}  // namespace

// ---- Shared rules ------------------------------------------------------------------

std::optional<int> ParseGroupCode(std::string_view line) {
  line = TrimView(line);
  bool negative = false;
  if (!line.empty() && (line.front() == '-' || line.front() == '+')) {
    negative = line.front() == '-';
    line.remove_prefix(1);
  }
  if (line.empty() || line.size() > static_cast<size_t>(kMaxGroupCodeDigits)) return std::nullopt;
  int code = 0;
  for (char c : line) {
    if (c < '0' || c > '9') return std::nullopt;
    code = code * 10 + (c - '0');
  }
  return negative ? -code : code;
}

bool IsValidLayerName(const std::string& name) {
  if (TrimBlanks(name).empty()) return false;
  for (char c : name)
    if (static_cast<unsigned char>(c) < 0x20 || std::strchr("<>/\\\":;?*|=`", c) != nullptr) return false;
  return true;
}

std::optional<std::string> NormalisedTextHeight(const std::string& value) {
  std::string text = TrimBlanks(value);
  std::replace(text.begin(), text.end(), ',', '.');
  auto number = ParseDecimal(text);
  if (!number || number->negative || number->digits == "0") return std::nullopt;
  return FormatDecimal(*number, std::max(number->scale, 0));
}

std::vector<std::string> DefinitionSectionNames(const TextLines& def) {
  std::vector<std::string> names;
  for (const std::string& line : def)
    if (!line.empty() && line[0] == kSectionMark) names.push_back(TrimRight(line.substr(1)));
  return names;
}

DefinitionSection FindDefinitionSection(const TextLines& def, const std::string& name) {
  DefinitionSection section;
  size_t i = 0;
  while (i < def.size() && !(def[i].size() > 0 && def[i][0] == kSectionMark && TrimRight(def[i].substr(1)) == name))
    ++i;
  if (i == def.size()) return section;
  section.state = DefinitionSection::State::Found;
  std::vector<size_t> fileLines;
  for (++i; i < def.size() && (def[i].empty() || def[i][0] != kSectionMark); ++i) {
    if (TrimBlanks(def[i]).empty() || def[i][0] == kCommentMark) continue;
    section.lines.push_back(def[i]);
    fileLines.push_back(i + 1);
  }
  auto broken = [&](size_t line) {
    section.state = DefinitionSection::State::Broken;
    section.badLine = line;
    section.lines.clear();
    return section;
  };
  for (size_t k = 0; k < section.lines.size(); k += 2) {
    auto code = ParseGroupCode(section.lines[k]);
    if (!code || (k == 0 && *code != 0)) return broken(fileLines[k]);
  }
  if (section.lines.size() % 2 != 0) return broken(fileLines.back());
  return section;
}

// ---- Module ----------------------------------------------------------------------

TdmDXF::TdmDXF(TDFD& dfd) : TDataModule("dmDXF"), dfd_(dfd), def_(*dfd.DXF) {
  Koordinaten = AddReadWriteDaten(*this, "Koordinaten", tdaKoordinate);
  Koordinaten->OnRead = [this](const std::string& S, TDaten& D) { KoordinatenRead(S, D); };
  Koordinaten->OnWrite = [this](TDaten& D) { return KoordinatenWrite(D); };
  Koordinaten->OnStatistik = [this](const std::string& S, TTransferStatistik& St) { KoordinatenStatistik(S, St); };
  Neupunkte = AddReadWriteDaten(*this, "Neupunkte", tdaNeupunkt);
  Neupunkte->OnWrite = [this](TDaten& D) { return NeupunkteWrite(D); };
  auto nothing = [](TDaten&) { return std::string(); };
  Informationen = AddReadWriteDaten(*this, "Informationen", tdaInformation);
  Informationen->OnWrite = nothing;
  Stationen = AddReadWriteDaten(*this, "Stationen", tdaStation);
  Stationen->OnWrite = nothing;
  Anschlusspunkte = AddReadWriteDaten(*this, "Anschlusspunkte", tdaAnschlusspunkt);
  Anschlusspunkte->OnWrite = nothing;
  Kommentare = AddReadWriteDaten(*this, "Kommentare", tdaKommentar);
  Kommentare->OnWrite = nothing;

  SetTemplate(kBuiltIn);

  OfficeModuleHooks hooks;
  hooks.isKoordinate = [this](const std::string& text) { return IsKoordinatenText(text); };
  hooks.beforeLoad = [this](bool IsLevel) { DXFBeforeLoad(IsLevel); };
  hooks.transform = [this](std::string& S) { return DXFTransform(S); };
  dfd.AttachModule(def_, *this, std::move(hooks));
}

TdmDXF::~TdmDXF() { dfd_.DetachModule(def_); }

const TStringList& TdmDXF::BuiltInTemplate() { return kBuiltIn; }

// The first of @Y, @X, @Z (any case) makes the value a coordinate;
// otherwise "@PAtext" gives the default code and the other placeholders are
// replaced where they stand.
TdmDXF::WritePair::WritePair(size_t codeLine, const std::string& text) : line(codeLine), value(text) {
  const char letters[] = {'Y', 'X', 'Z'};
  for (int c = 0; c < 3 && coordinate < 0; ++c) {
    if (size_t tag = FindCoordinateTag(text, letters[c]); tag != std::string::npos) {
      coordinate = c;
      offset = CoordinateOffset(text, tag);
    }
  }
  if (coordinate >= 0) return;
  if (size_t pa = value.find("@PA"); pa != std::string::npos) {
    defaultCode = value.substr(pa + 3);
    value.erase(pa + 3);
  }
  for (const char* tag : {"@PNR", "@PA", "@LAY", "@TG"})
    placeholders = placeholders || value.find(tag) != std::string::npos;
}

// The template cut into its entities, with the fields reading takes from them.
void TdmDXF::SetTemplate(const TStringList& lines) {
  template_ = lines.empty() ? kBuiltIn : lines;
  entities_.clear();
  writes_.clear();
  for (size_t k = 0; k + 1 < template_.size(); k += 2) {
    const int code = ParseGroupCode(template_[k]).value_or(-1);
    const std::string& value = template_[k + 1];
    writes_.push_back(WritePair(k, value));
    if (code == 0) {
      entities_.push_back({std::string(TrimView(value)), {}});
      continue;
    }
    if (entities_.empty()) continue;
    Entity& e = entities_.back();
    ReadField f;
    f.code = code;
    f.occurrence = static_cast<int>(
        std::count_if(e.fields.begin(), e.fields.end(), [code](const ReadField& g) { return g.code == code; }));
    const char coordinates[] = {'Y', 'X', 'Z'};
    if (ContainsIgnoringCase(value, "@PNR")) {
      f.field = kPunktnummer;
    } else {
      for (int c = 0; c < 3 && f.field < 0; ++c) {
        if (size_t tag = FindCoordinateTag(value, coordinates[c]); tag != std::string::npos) {
          f.field = kY + c;
          f.offset = CoordinateOffset(value, tag);
        }
      }
      if (f.field < 0 && ContainsIgnoringCase(value, "@PA")) f.field = kCode;
    }
    // Every pair counts for the occurrence of its code, placeholders or not.
    e.fields.push_back(f);
  }
}

// ---- Options ------------------------------------------------------------------------

bool TdmDXF::SetOption(const std::string& name, const std::string& value) {
  if (EqualIgnoringCase(name, kSettingLayer)) {
    Layer = value;
  } else if (EqualIgnoringCase(name, kSettingFontSize)) {
    Texthoehe = value;
  } else if (EqualIgnoringCase(name, kSettingDefinition)) {
    Definition = value;
  } else {
    return false;
  }
  return true;
}

void TdmDXF::ReadOptions() {
  Layer = ReadRegString(RegistryRoot::CurrentUser, ConfigPath(kSettingLayer), Layer);
  Texthoehe = ReadRegString(RegistryRoot::CurrentUser, ConfigPath(kSettingFontSize), Texthoehe);
  Definition = ReadRegString(RegistryRoot::CurrentUser, ConfigPath(kSettingDefinition),
                             Definition.empty() ? GetText(kTextStandard) : Definition);
}

bool TdmDXF::CheckOptions() const {
  if (!IsValidLayerName(Layer)) {
    ShowMessageBox(FormatText(GetText(kTextLayerRefused), {EscapeMessageData(Layer)}), kMsgError, kBtnOk);
    return false;
  }
  if (!NormalisedTextHeight(Texthoehe)) {
    ShowMessageBox(FormatText(GetText(kTextHeightRefused), {EscapeMessageData(Texthoehe)}), kMsgError, kBtnOk);
    return false;
  }
  return true;
}

namespace {

bool LoadDefinitions(const TDFD& dfd, TextLines& lines) {
  const std::string path = dfd.DXFFile(kDefinitionFile);
  return !path.empty() && LoadTextFile(path, lines);
}

}  // namespace

std::vector<std::string> TdmDXF::DefinitionNames() const {
  TextLines lines;
  std::vector<std::string> names;
  if (LoadDefinitions(dfd_, lines)) names = DefinitionSectionNames(lines);
  if (names.empty()) names.push_back(GetText(kTextStandard));
  return names;
}

void TdmDXF::SelectTemplate() {
  const std::string name = Definition.empty() ? GetText(kTextStandard) : Definition;
  TextLines lines;
  DefinitionSection section;  // Missing when DXF.DEF cannot be read
  if (LoadDefinitions(dfd_, lines)) section = FindDefinitionSection(lines, name);
  switch (section.state) {
    case DefinitionSection::State::Found:
      SetTemplate(section.lines);
      return;
    case DefinitionSection::State::Missing:
      if (name != GetText(kTextStandard))
        ShowMessageBox(FormatText(GetText(kTextSectionMissing), {EscapeMessageData(name)}), kMsgWarning, kBtnOk);
      break;
    case DefinitionSection::State::Broken:
      ShowMessageBox(
          FormatText(GetText(kTextSectionBroken), {EscapeMessageData(name), std::to_string(section.badLine)}),
          kMsgWarning, kBtnOk);
      break;
  }
  SetTemplate(kBuiltIn);
}

bool TdmDXF::PrepareTransfer(bool writing) {
  if (writing && !CheckOptions()) return false;
  SelectTemplate();
  return true;
}

// ---- Writing -------------------------------------------------------------------------

// Each template pair with the point's values. A pair whose value holds @Z is
// left out for a point without height (readers take z = 0); a point whose Y
// or X is missing or not a number, or whose height is not a number, is
// "Error", as is a coordinate placeholder followed by text that is no number.
std::string TdmDXF::KoordinatenWrite(TDaten& Daten) {
  const TPunkt& p = Daten.Punkt;
  const auto height = NormalisedTextHeight(Texthoehe);
  if (!height || !IsValidLayerName(Layer)) return kWriteError;
  const int decimals = (p.Messflags & kFineCoordinates) ? kFineCoordinateDecimals : kCoordinateDecimals;
  const std::string* coordinates[] = {&p.Y, &p.X, &p.Hoehe};

  std::string out;
  out.reserve(template_.size() * 12);
  std::string line;
  for (const WritePair& w : writes_) {
    if (w.coordinate >= 0) {
      if (!w.offset) return kWriteError;
      const std::string number = TrimBlanks(*coordinates[w.coordinate]);
      if (number.empty() && w.coordinate == kZ - kY) continue;
      auto parsed = ParseDecimal(number);
      if (!parsed) return kWriteError;
      line = FormatDecimal(AddDecimal(*parsed, *w.offset), decimals);
    } else if (w.placeholders) {
      const std::string& code = !p.Code1.empty() ? p.Code1 : !w.defaultCode.empty() ? w.defaultCode : kBlank;
      line =
          ReplacePlaceholders(w.value, {{"@PNR", &p.Punktnummer}, {"@PA", &code}, {"@LAY", &Layer}, {"@TG", &*height}});
    } else {
      line = w.value;
    }
    // An empty value line would end every reader's parse of the drawing.
    if (line.empty()) line = kBlank;
    if (!out.empty()) out += "\r\n";
    out += template_[w.line];
    out += "\r\n";
    out += line;
  }
  return out;
}

std::string TdmDXF::NeupunkteWrite(TDaten& Daten) {
  return HasFlags(Daten.Punkt.Messflags, mfKoordinaten) ? KoordinatenWrite(Daten) : std::string();
}

// ---- Reading ------------------------------------------------------------------------

bool TdmDXF::IsKoordinatenText(const std::string& text) const {
  const size_t end = text.find_first_of("\r\n");
  if (FitsLayout(def_.Koordinaten, end == std::string::npos ? text : text.substr(0, end))) return true;
  return text.find("SECTION") != std::string::npos;
}

void TdmDXF::KoordinatenRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  ++Daten.Konstanten.Punktzaehler;
  std::vector<std::string> f = CutFields(def_.Koordinaten, S);
  f.resize(kFieldCount);
  for (std::string& field : f) field = TrimBlanks(field);
  TPunkt& p = Daten.Punkt;
  p.Punktnummer = f[kPunktnummer].empty() ? std::to_string(Daten.Konstanten.Punktzaehler) : f[kPunktnummer];
  p.Y = f[kY];
  p.X = f[kX];
  p.Hoehe = f[kZ];
  p.Code1 = f[kCode];
}

void TdmDXF::KoordinatenStatistik(const std::string&, TTransferStatistik& State) { CountPoint(State); }

TdmDXF::PairState TdmDXF::PairAt(size_t index, int& code, std::string_view& value) const {
  const size_t line = base_ + 2 * index;
  if (line + 1 >= work_.size()) return PairState::End;
  auto parsed = ParseGroupCode(work_[line]);
  if (!parsed) return PairState::Bad;
  code = *parsed;
  value = TrimView(work_[line + 1]);
  return PairState::Ok;
}

size_t TdmDXF::NextEntity(size_t at) const {
  int code = 0;
  std::string_view value;
  size_t i = at + 1;
  while (PairAt(i, code, value) == PairState::Ok && code != 0) ++i;
  return i;
}

void TdmDXF::ReportBadPair(size_t index) {
  const size_t line = base_ + 2 * index + 1;
  ShowMessageBox(FormatText(GetText(kTextNoGroupCode), {std::to_string(line)}), kMsgError, kBtnOk);
}

void TdmDXF::DXFBeforeLoad(bool) {
  TransferState& t = CurrentTransfer();
  work_ = std::move(t.InputLines);
  t.InputLines.clear();
  base_ = 0;
  while (base_ < work_.size() && TrimView(work_[base_]).empty()) ++base_;
  if (base_ < work_.size() && work_[base_].rfind(kUtf8Mark, 0) == 0) work_.Replace(base_, work_[base_].substr(kUtf8Mark.size()));
  next_ = 0;
  points_ = 0;
  loaded_ = true;
  reading_ = false;
  utf8_ = false;
  int code = 0;
  std::string_view value;
  for (size_t i = 0;; ++i) {
    const PairState state = PairAt(i, code, value);
    if (state == PairState::Bad) ReportBadPair(i);
    if (state != PairState::Ok) break;
    if (code == 9 && value == "$ACADVER" && PairAt(i + 1, code, value) == PairState::Ok && code == 1)
      utf8_ = value >= kFirstUtf8Version;
    if (code != 0 || value != "SECTION") continue;
    if (PairAt(i + 1, code, value) == PairState::Ok && code == 2 && value == "ENTITIES") {
      next_ = i + 2;
      reading_ = true;
      break;
    }
  }
  if (!reading_) work_.clear();
}

size_t TdmDXF::ReadEntity(size_t at, const Entity& e, std::string (&fields)[5]) const {
  const size_t end = NextEntity(at);
  int code = 0;
  std::string_view value;
  for (const ReadField& f : e.fields) {
    if (f.field < 0 || !fields[f.field].empty()) continue;
    int seen = 0;
    for (size_t i = at + 1; i < end; ++i) {
      if (PairAt(i, code, value) != PairState::Ok || code != f.code || seen++ != f.occurrence) continue;
      std::string text = AnsiUpperCase(utf8_ ? Utf8ToAnsi(std::string(value)) : std::string(value));
      std::replace(text.begin(), text.end(), kFieldSeparator, '|');
      if (f.field >= kY && f.field <= kZ) text = ReadCoordinate(std::move(text), f.offset);
      fields[f.field] = std::move(text);
      break;
    }
  }
  return end;
}

bool TdmDXF::DXFTransform(std::string& S) {
  if (reading_ && NextPoint(S)) {
    ++points_;
    return true;
  }
  // The end: the work list goes, and a drawing without points is reported.
  if (loaded_ && points_ == 0) {
    const std::string entity = entities_.empty() ? std::string() : entities_[0].name;
    ShowMessageBox(FormatText(GetText(kTextNoPoints), {EscapeMessageData(entity)}), kMsgWarning, kBtnOk);
  }
  loaded_ = false;
  reading_ = false;
  work_.clear();
  return false;
}

bool TdmDXF::NextPoint(std::string& S) {
  if (entities_.empty()) return false;
  int code = 0;
  std::string_view value;
  while (true) {
    const PairState state = PairAt(next_, code, value);
    if (state != PairState::Ok) {
      if (state == PairState::Bad) ReportBadPair(next_);
      break;
    }
    if (code != 0) {
      next_ = NextEntity(next_);
      continue;
    }
    if (value == "ENDSEC" || value == "EOF") break;
    if (value != entities_[0].name) {
      next_ = NextEntity(next_);
      continue;
    }
    std::string fields[kFieldCount];
    size_t at = ReadEntity(next_, entities_[0], fields);
    for (size_t k = 1; k < entities_.size(); ++k) {
      if (PairAt(at, code, value) != PairState::Ok || code != 0 || value != entities_[k].name) break;
      at = ReadEntity(at, entities_[k], fields);
    }
    next_ = at;
    if (std::all_of(std::begin(fields), std::end(fields), [](const std::string& f) { return f.empty(); })) continue;
    std::string line;
    for (int i = 0; i < kFieldCount; ++i) {
      if (i > 0) line += kFieldSeparator;
      line += fields[i].empty() ? std::string(" ") : fields[i];
    }
    S = TrimBlanks(line);
    return true;
  }
  return false;
}

}  // namespace veltro
