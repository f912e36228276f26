#include "formats/office/TemplateDefinition.h"

#include <algorithm>

#include "core/Settings.h"
#include "core/TextUtils.h"
#include "platform/Registry.h"

namespace veltro {
namespace {

using F = TemplateFieldType;

constexpr TemplateSectionInfo kSections[kTemplateSectionCount] = {
    {"Informationen", "Informations", 0xD3, 10, tdaInformation},
    {"Stationspunkt", "Station Point", 0xD4, 8, tdaStation},
    {"Anschlusspunkt", "Backsight Point", 0xD5, 22, tdaAnschlusspunkt},
    {"Detailpunkt", "Detail", 0xD6, 21, tdaNeupunkt},
    {"Koordinaten", "Co-ordinates", 0xD7, 6, tdaKoordinate},
    {"Querprofile", "Cross sections", 0xD8, 4, tdaQuerprofil},
    {"Punktcodes", "Codes", 0xD9, 3, tdaPunktcode},
    {"Startdaten", "Start data", 0xDA, 11, tdaStartdaten},
    {"Messdaten", "Measurement data", 0xDB, 7, tdaMessdaten},
    {"R\xFC"
     "ckblick",
     "Backsight measurement data", 0xDC, 8, tdaMessdaten},
    {"Vorblick", "Foresight measurement data", 0xDD, 8, tdaMessdaten},
    {"Mittelblick", "Intermediatesight measurement data", 0xDE, 8, tdaMessdaten},
    {"Absteckung", "Setting out measurement data", 0xDF, 8, tdaMessdaten},
    {"Justierung", "Adjusting data", 0xE0, 10, tdaMessdaten},
    {"Abschlussdaten", "End data", 0xE1, 13, tdaEnddaten},
    {"Beschreibung", "Description data", 0xE2, 1, tdaNivKommentar},
    {"Koordinaten", "Niv Co-ordinates data", 0xE3, 6, tdaNivKoordinate},
};

// Field types in field order (writing). The record fields behind them are
// listed with the writer (NewFormat.cpp).
constexpr F kInfo[] = {F::Text, F::Text, F::Text, F::Date, F::Time, F::Text, F::Text, F::Text, F::Text, F::Text};
constexpr F kStation[] = {F::Text, F::Text, F::Height, F::Coordinate, F::Coordinate, F::Coordinate, F::Text, F::Text};
constexpr F kAnschluss[] = {F::Text,     F::Angle,      F::Text,       F::Text,      F::Height,   F::Text,
                            F::Distance, F::Distance,   F::Distance,   F::Text,      F::Text,     F::Text,
                            F::Distance, F::Distance,   F::Distance,   F::Distance,  F::Distance, F::Angle,
                            F::Angle,    F::Coordinate, F::Coordinate, F::Coordinate};
constexpr F kDetail[] = {F::Text,     F::Text,     F::Text,  F::Height, F::Text,       F::Distance,   F::Distance,
                         F::Distance, F::Text,     F::Text,  F::Text,   F::Distance,   F::Distance,   F::Distance,
                         F::Distance, F::Distance, F::Angle, F::Angle,  F::Coordinate, F::Coordinate, F::Coordinate};
constexpr F kKoord[] = {F::Text, F::Text, F::Coordinate, F::Coordinate, F::Coordinate, F::Text};
constexpr F kQuerWrite[] = {F::Distance, F::Text, F::Distance, F::Distance};
constexpr F kQuerRead[] = {F::Text, F::Text, F::Distance, F::Coordinate};
constexpr F kCodes[] = {F::Text, F::Text, F::Text};
constexpr F kStart[] = {F::Text, F::Text, F::Date, F::Time, F::Text, F::Text, F::Text, F::Text, F::LevelBodenhoehe,
                        F::Text, F::Plain};
constexpr F kMess[] = {F::Text, F::Date, F::Measure, F::Text, F::Deviation, F::Text, F::LevelDistanz};
// Rückblick to Absteckung: the fields in the order listed for them, then the
// benchmark number; Justierung adds its two values before it.
constexpr F kSight[] = {F::Date, F::Measure, F::Text, F::Deviation, F::Text, F::LevelDistanz, F::PointHeight, F::Text};
constexpr F kJustierung[] = {F::Date,         F::Measure,     F::Text,    F::Deviation, F::Text,
                             F::LevelDistanz, F::PointHeight, F::Measure, F::Text,      F::Text};
// Wechselpunkt (field 9) is a point number and stays text.
constexpr F kEnde[] = {
    F::Text, F::Text,          F::Date,          F::Time,         F::Text,        F::Text, F::Text, F::LevelBodenhoehe,
    F::Text, F::LevelAblesung, F::LevelAblesung, F::LevelDistanz, F::LevelDistanz};
constexpr F kBeschreibung[] = {F::Text};

constexpr const F* kWriteTypes[kTemplateSectionCount] = {
    kInfo,  kStation, kAnschluss, kDetail, kKoord,      kQuerWrite, kCodes,        kStart, kMess,
    kSight, kSight,   kSight,     kSight,  kJustierung, kEnde,      kBeschreibung, kKoord};

// Default letters: distinct per section, mnemonic where the German names allow.
constexpr const char* kDefaultLetters[kTemplateSectionCount] = {"PBIDZEUMHN",
                                                                "PCIYXHTL",
                                                                "PACDRKQLUO12SEFTMVWYXH",
                                                                "PCDRKQLUO12SEFTMVWYXH",
                                                                "PCYXHK",
                                                                "SCAH",
                                                                "CEL",
                                                                "AMDZ123BHNL",
                                                                "MDANSPE",
                                                                "DANSPEHB",
                                                                "DANSPEHB",
                                                                "DANSPEHB",
                                                                "DANSPEHB",
                                                                "DANSPEHFKB",
                                                                "AMDZ12BHWRTEG",
                                                                "B",
                                                                "PCYXHK"};

constexpr std::array<int, kTemplateSectionCount> kFileOrder = {
    tsKoordinaten, tsInformationen, tsStationspunkt,  tsAnschlusspunkt, tsDetailpunkt,   tsQuerprofile,
    tsPunktcodes,  tsStartdaten,    tsMessdaten,      tsRueckblick,     tsVorblick,      tsMittelblick,
    tsAbsteckung,  tsJustierung,    tsAbschlussdaten, tsBeschreibung,   tsNivKoordinaten};

constexpr char kFollowMark = '\xBB';   // '»'
constexpr char kCommentJoin = '\xA6';  // '¦' between comment markers in files
constexpr const char* kMarkers = "[]<>";
constexpr const char* kLineBreak = "\r\n";
constexpr const char* kUnitsLine = "Units";

// Settings names.
constexpr const char* kKey = "NewFormat\\";
constexpr const char* kFormatList = "Format list";
constexpr const char* kControlcodes = "Controlcodes";
constexpr const char* kActiveFormat = "Active Format";
constexpr const char* kDates = "Dates";
constexpr const char* kTimes = "Times";
constexpr const char* kComments = "Comments";
constexpr const char* kPosition = "Position";
constexpr const char* kTitleLines = "Lines of title";
constexpr const char* kDefinition = "Definition";
constexpr const char* kFileExtension = ".Format";

// The seven unit bytes with their settings names and upper bounds, in the
// order of the settings; the .Format order differs (see below).
struct UnitSlot {
  const char* settingsName;
  int TemplateDefinition::*member;
  int max;
};
constexpr UnitSlot kUnits[] = {
    {"Angle unit", &TemplateDefinition::AngleUnit, kMaxFineUnit},
    {"Distance unit", &TemplateDefinition::DistanceUnit, kMaxPointUnit},
    {"Height unit", &TemplateDefinition::HeightUnit, kMaxPointUnit},
    {"Co-ordinate unit", &TemplateDefinition::CoordinateUnit, kMaxPointUnit},
    {"Pointheight unit", &TemplateDefinition::PointHeightUnit, kMaxFineUnit},
    {"Measure unit", &TemplateDefinition::MeasureUnit, kMaxFineUnit},
    {"Deviation unit", &TemplateDefinition::DeviationUnit, kMaxFineUnit},
};
// .Format: angle, distance, height, co-ordinate, date, time, point height,
// measure, deviation; -1 and -2 stand for the date and time lines.
constexpr int kFileUnitOrder[] = {0, 1, 2, 3, -1, -2, 4, 5, 6};
constexpr int kMaxTitleLines = 1 << 20;

std::vector<std::string> Strings(const std::vector<std::string_view>& views) {
  return std::vector<std::string>(views.begin(), views.end());
}

constexpr std::pair<F, int TemplateDefinition::*> kUnitOfType[] = {
    {F::Angle, &TemplateDefinition::AngleUnit},
    {F::Distance, &TemplateDefinition::DistanceUnit},
    {F::Height, &TemplateDefinition::HeightUnit},
    {F::Coordinate, &TemplateDefinition::CoordinateUnit},
    {F::PointHeight, &TemplateDefinition::PointHeightUnit},
    {F::Measure, &TemplateDefinition::MeasureUnit},
    {F::Deviation, &TemplateDefinition::DeviationUnit},
};

bool UsableLetter(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return u > ' ' && u != 0x7F && c != kFollowMark && c != '.' && c != ';' &&
         std::string_view(kMarkers).find(c) == std::string_view::npos;
}

bool DistinctUsable(const std::string& letters) {
  for (size_t i = 0; i < letters.size(); ++i) {
    if (!UsableLetter(letters[i])) return false;
    if (letters.find(letters[i], i + 1) != std::string::npos) return false;
  }
  return true;
}

std::string WithMarkers(int section, const std::string& letters) {
  return letters + kMarkers + (section == tsInformationen ? "" : ".");
}

std::string Convert(const std::string& text, const std::string& from, const std::string& to) {
  std::string out = text;
  size_t i = 0;
  while (i + 1 < out.size()) {
    const char c = out[i];
    const size_t k = (c == '[' || c == '<' || c == kFollowMark) ? from.find(out[i + 1]) : std::string::npos;
    if (k == std::string::npos) {
      ++i;
      continue;
    }
    const char source = from[k];
    size_t j = i + 1;
    for (; j < out.size() && (out[j] == source || out[j] == '.'); ++j)
      if (out[j] == source) out[j] = to[k];
    i = j;
  }
  return out;
}

std::string NamePath(const std::string& name) { return ConfigPath(std::string(kKey) + name + "\\"); }
std::string SectionPath(const std::string& name, int section) {
  return NamePath(name) + SectionInfo(section).registryName + "\\";
}

std::string JoinWith(const std::vector<std::string>& parts, const std::string& separator) {
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) out += separator;
    out += parts[i];
  }
  return out;
}

std::optional<int> WholeNumber(const std::string& text) {
  const std::string t = TrimBlanks(text);
  if (t.empty() || t.size() > 9) return std::nullopt;
  const size_t i = t[0] == '-' || t[0] == '+' ? 1 : 0;
  if (i == t.size()) return std::nullopt;
  for (size_t k = i; k < t.size(); ++k)
    if (t[k] < '0' || t[k] > '9') return std::nullopt;
  return std::stoi(t);
}

}  // namespace

bool IsNumericFieldType(TemplateFieldType type) { return type != F::Text && type != F::Date && type != F::Time; }

const TemplateSectionInfo& SectionInfo(int section) { return kSections[section]; }

TemplateFieldType WriteFieldType(int section, int field) { return kWriteTypes[section][field]; }

TemplateFieldType ReadFieldType(int section, int field) {
  return section == tsQuerprofile ? kQuerRead[field] : kWriteTypes[section][field];
}

std::string InternalCodes(int section) {
  const TemplateSectionInfo& s = SectionInfo(section);
  std::string codes(1, static_cast<char>(s.firstCode));
  for (int i = 2; i <= s.fieldCount; ++i) codes += static_cast<char>(0xB6 + i - 2);
  return codes;
}

const std::array<int, kTemplateSectionCount>& FileSectionOrder() { return kFileOrder; }

int TemplateDefinition::UnitOf(TemplateFieldType type) const {
  for (const auto& [t, member] : kUnitOfType)
    if (t == type) return this->*member;
  return 0;
}

std::vector<std::string_view> SplitText(std::string_view text, std::string_view separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(separator, start);
    if (end == std::string_view::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, end - start));
    start = end + separator.size();
  }
}

std::vector<std::string> TemplateLines(const std::string& text) {
  if (text.empty()) return {};
  return Strings(SplitText(text, kLineBreak));
}

// ---- Field letters ------------------------------------------------------------------

FieldLetters FieldLetters::Default() {
  FieldLetters f;
  for (int s = 0; s < kTemplateSectionCount; ++s)
    f.strings_[static_cast<size_t>(s)] = WithMarkers(s, kDefaultLetters[s]);
  return f;
}

std::optional<FieldLetters> FieldLetters::FromControlcodes(const std::string& text) {
  std::vector<std::string> parts = Strings(SplitText(text, ";"));
  if (parts.size() == kTemplateSectionCount + 1 && parts.back().empty()) parts.pop_back();
  if (parts.size() != kTemplateSectionCount) return std::nullopt;
  FieldLetters f;
  for (int s = 0; s < kTemplateSectionCount; ++s) {
    const std::string& part = parts[static_cast<size_t>(s)];
    const size_t n = static_cast<size_t>(SectionInfo(s).fieldCount);
    if (part.size() < n || !f.SetLetters(s, part.substr(0, n))) return std::nullopt;
  }
  return f;
}

std::string FieldLetters::ToControlcodes() const {
  return JoinWith(std::vector<std::string>(strings_.begin(), strings_.end()), ";");
}

std::string FieldLetters::Letters(int section) const {
  return Full(section).substr(0, static_cast<size_t>(SectionInfo(section).fieldCount));
}

bool FieldLetters::SetLetters(int section, const std::string& letters) {
  if (letters.size() != static_cast<size_t>(SectionInfo(section).fieldCount) || !DistinctUsable(letters)) return false;
  strings_[static_cast<size_t>(section)] = WithMarkers(section, letters);
  return true;
}

std::string CodesToLetters(const std::string& text, int section, const FieldLetters& letters) {
  return Convert(text, InternalCodes(section), letters.Letters(section));
}

std::string LettersToCodes(const std::string& text, int section, const FieldLetters& letters) {
  return Convert(text, letters.Letters(section), InternalCodes(section));
}

// ---- Settings ----------------------------------------------------------------------

bool IsValidTemplateName(const std::string& name) {
  if (name.find_first_not_of('.') == std::string::npos) return false;  // empty or dots only
  for (char c : name)
    if (static_cast<unsigned char>(c) < ' ' || c == ';' || c == '\\' || c == '/') return false;
  return true;
}

std::vector<std::string> StoredTemplateNames() {
  const std::string list = ReadRegString(RegistryRoot::CurrentUser, ConfigPath(std::string(kKey) + kFormatList), "");
  std::vector<std::string> names;
  for (std::string_view name : SplitText(list, ";"))
    if (!name.empty()) names.emplace_back(name);
  return names;
}

std::optional<std::string> FindStoredTemplate(const std::string& name) {
  for (const std::string& stored : StoredTemplateNames())
    if (SameRegistryName(stored, name)) return stored;
  return std::nullopt;
}

FieldLetters ReadFieldLetters() {
  const std::string stored =
      ReadRegString(RegistryRoot::CurrentUser, ConfigPath(std::string(kKey) + kControlcodes), "");
  auto letters = FieldLetters::FromControlcodes(stored);
  return letters ? *letters : FieldLetters::Default();
}

TemplateDefinition ReadStoredTemplate(const std::string& name, const FieldLetters& letters) {
  constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
  TemplateDefinition d;
  if (!IsValidTemplateName(name)) return d;
  const std::string base = NamePath(name);
  for (const UnitSlot& u : kUnits) d.*u.member = ReadRegIntegerInRange(kUser, base + u.settingsName, 0, 0, u.max);
  d.DateFormat = ReadRegString(kUser, base + kDates, d.DateFormat);
  d.TimeFormat = ReadRegString(kUser, base + kTimes, d.TimeFormat);
  d.CommentMarkers = ReadRegString(kUser, base + kComments, "");
  for (int s = 0; s < kTemplateSectionCount; ++s) {
    TemplateSection& section = d.Sections[static_cast<size_t>(s)];
    const std::string path = SectionPath(name, s);
    section.FixedPosition = ReadRegInteger(kUser, path + kPosition, 1) == 1;
    section.TitleLines = ReadRegIntegerInRange(kUser, path + kTitleLines, 0, 0, kMaxTitleLines);
    section.Template = CodesToLetters(ReadRegString(kUser, path + kDefinition, ""), s, letters);
  }
  return d;
}

bool WriteStoredTemplate(const std::string& name, const TemplateDefinition& d, const FieldLetters& letters) {
  if (!IsValidTemplateName(name)) return false;
  constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
  RegistryBatch batch(kUser);
  std::vector<std::string> names = StoredTemplateNames();
  if (!FindStoredTemplate(name)) names.push_back(name);
  std::string list;
  for (const std::string& n : names) list += n + ";";
  WriteRegString(kUser, ConfigPath(std::string(kKey) + kFormatList), list, true);
  WriteRegString(kUser, ConfigPath(std::string(kKey) + kControlcodes), letters.ToControlcodes(), true);
  const std::string base = NamePath(name);
  for (const UnitSlot& u : kUnits) WriteRegInteger(kUser, base + u.settingsName, d.*u.member, true);
  WriteRegString(kUser, base + kDates, d.DateFormat, true);
  WriteRegString(kUser, base + kTimes, d.TimeFormat, true);
  WriteRegString(kUser, base + kComments, d.CommentMarkers, true);
  for (int s = 0; s < kTemplateSectionCount; ++s) {
    const TemplateSection& section = d.Sections[static_cast<size_t>(s)];
    const std::string path = SectionPath(name, s);
    WriteRegInteger(kUser, path + kPosition, section.FixedPosition ? 1 : 0, true);
    WriteRegInteger(kUser, path + kTitleLines, section.TitleLines, true);
    WriteRegString(kUser, path + kDefinition, LettersToCodes(section.Template, s, letters), true);
  }
  return true;
}

void DeleteStoredTemplate(const std::string& name) {
  constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
  RegistryBatch batch(kUser);
  std::string list;
  for (const std::string& n : StoredTemplateNames())
    if (!SameRegistryName(n, name)) list += n + ";";
  WriteRegString(kUser, ConfigPath(std::string(kKey) + kFormatList), list, true);
  if (IsValidTemplateName(name)) RegDeleteKey(kUser, ConfigPath(std::string(kKey) + name));
}

std::string ActiveTemplateName() {
  return ReadRegString(RegistryRoot::CurrentUser, ConfigPath(std::string(kKey) + kActiveFormat), "");
}

void SetActiveTemplateName(const std::string& name) {
  WriteRegString(RegistryRoot::CurrentUser, ConfigPath(std::string(kKey) + kActiveFormat), name, true);
}

// ---- .Format files -----------------------------------------------------------------

TextLines TemplateFileLines(const std::string& name, const TemplateDefinition& d, const FieldLetters& letters) {
  TextLines lines{name};
  for (int s : kFileOrder) {
    const TemplateSection& section = d.Sections[static_cast<size_t>(s)];
    lines.push_back(InternalCodes(s));
    lines.push_back(section.FixedPosition ? "1" : "0");
    lines.push_back(std::to_string(section.TitleLines));
    for (const std::string& line : TemplateLines(LettersToCodes(section.Template, s, letters))) lines.push_back(line);
  }
  lines.push_back(kUnitsLine);
  for (int slot : kFileUnitOrder) {
    if (slot == -1)
      lines.push_back(d.DateFormat);
    else if (slot == -2)
      lines.push_back(d.TimeFormat);
    else
      lines.push_back(std::to_string(d.*kUnits[slot].member));
  }
  std::vector<std::string> markers = TemplateLines(d.CommentMarkers);
  lines.push_back(JoinWith(markers, std::string(1, kCommentJoin)));
  return lines;
}

std::optional<TemplateDefinition> ParseTemplateFile(const TextLines& lines, const FieldLetters& letters,
                                                    std::string& name, TemplateFileError& error) {
  std::array<std::string, kTemplateSectionCount> headers;
  for (int s = 0; s < kTemplateSectionCount; ++s) headers[static_cast<size_t>(s)] = InternalCodes(s);
  auto sectionOf = [&](const std::string& line) -> int {
    for (int s = 0; s < kTemplateSectionCount; ++s)
      if (line == headers[static_cast<size_t>(s)]) return s;
    return -1;
  };
  auto fail = [&](size_t index, int text) -> std::optional<TemplateDefinition> {
    error.text = text;
    error.line = static_cast<int>(index) + 1;
    return std::nullopt;
  };

  TemplateDefinition d;
  if (lines.empty()) return fail(0, kTextTemplateFileDamaged);
  name = lines[0];
  size_t i = 1;
  while (i < lines.size() && lines[i] != kUnitsLine) {
    const int s = sectionOf(lines[i]);
    if (s < 0) return fail(i, kTextTemplateFileDamaged);
    if (i + 2 >= lines.size()) return fail(lines.size(), kTextTemplateFileDamaged);
    TemplateSection& section = d.Sections[static_cast<size_t>(s)];
    const std::string& flag = lines[i + 1];
    if (flag != "1" && flag != "0") return fail(i + 1, kTextTemplateFileDamaged);
    section.FixedPosition = flag == "1";
    const auto count = WholeNumber(lines[i + 2]);
    if (!count) return fail(i + 2, kTextTitleCountNotInteger);
    if (*count < 0 || *count > kMaxTitleLines) return fail(i + 2, kTextTemplateFileDamaged);
    section.TitleLines = *count;
    i += 3;
    std::vector<std::string> templateLines;
    while (i < lines.size() && lines[i] != kUnitsLine && sectionOf(lines[i]) < 0) templateLines.push_back(lines[i++]);
    section.Template = CodesToLetters(JoinWith(templateLines, kLineBreak), s, letters);
  }
  if (i >= lines.size()) return fail(i, kTextTemplateFileDamaged);
  ++i;  // "Units"
  for (int slot : kFileUnitOrder) {
    if (i >= lines.size()) return fail(i, kTextTemplateFileDamaged);
    const std::string& line = lines[i];
    if (slot == -1) {
      d.DateFormat = line;
    } else if (slot == -2) {
      d.TimeFormat = line;
    } else {
      const auto unit = WholeNumber(line);
      if (!unit || *unit < 0 || *unit > kUnits[slot].max) return fail(i, kTextTemplateFileDamaged);
      d.*kUnits[slot].member = *unit;
    }
    ++i;
  }
  if (i < lines.size()) {
    std::vector<std::string> markers = Strings(SplitText(lines[i], std::string_view(&kCommentJoin, 1)));
    markers.erase(std::remove(markers.begin(), markers.end(), std::string()), markers.end());
    d.CommentMarkers = JoinWith(markers, kLineBreak);
  }
  return d;
}

std::string TemplateDirectory() {
  const std::string dir = ReadRegString(RegistryRoot::CurrentUser, ConfigPath(kSettingFormatPath), "");
  return dir.empty() ? dir : IncludeTrailingSeparator(dir);
}

std::string TemplateFileName(const std::string& directory, const std::string& name) {
  return (directory.empty() ? std::string() : IncludeTrailingSeparator(directory)) + name + kFileExtension;
}

}  // namespace veltro
