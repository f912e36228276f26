#include "instruments/CodeListen.h"

#include <algorithm>
#include <climits>

#include "core/DateTime.h"
#include "core/Language.h"
#include "core/Messages.h"
#include "core/Settings.h"
#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "platform/Clock.h"
#include "platform/Registry.h"

namespace veltro {
namespace {

constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;

// Below the configuration key.
constexpr const char* kGsiKey = "GSI8\\";
constexpr const char* kCodeListSubKey = "GSI8\\Code list";
constexpr const char* kAttributePositionValue = "GSI8\\Attributs past measuring";
constexpr const char* kUseGsiCodesValue = "GSI8\\UseGSICodes";

constexpr const char* kTableValueNames[kCodeTableCount] = {"Jobs", "Users", "Instruments", "Codes"};
constexpr int kTableTexts[kCodeTableCount] = {kTextTableProjekte, kTextTableBeobachter, kTextTableInstrumente,
                                              kTextTablePunktcodes};

CodeListState g_state;

bool IsDigits(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Numeric order of two digit strings of any length.
bool NumericLess(const std::string& a, const std::string& b) {
  std::string x = a.substr(std::min(a.find_first_not_of('0'), a.size()));
  std::string y = b.substr(std::min(b.find_first_not_of('0'), b.size()));
  if (x.size() != y.size()) return x.size() < y.size();
  return x < y;
}

// Leading blanks, an optional sign and decimal digits; false for anything
// else and for a number outside int.
bool ParseInteger(const std::string& text, int& value) {
  size_t i = text.find_first_not_of(' ');
  if (i == std::string::npos) return false;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
  if (i >= text.size()) return false;
  long long v = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
    if (v > static_cast<long long>(INT_MAX) + 1) return false;
  }
  if (negative) v = -v;
  if (v > INT_MAX || v < INT_MIN) return false;
  value = static_cast<int>(v);
  return true;
}

std::string TrimmedName(const std::string& name) {
  size_t b = name.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  return name.substr(b, name.find_last_not_of(' ') - b + 1);
}

// Code page 1252 letters without regard to case, as the settings store
// compares key names.
unsigned char FoldChar(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  switch (c) {
    case 0x8A:
      return 0x9A;
    case 0x8C:
      return 0x9C;
    case 0x8E:
      return 0x9E;
    case 0x9F:
      return 0xFF;
    default:
      return c;
  }
}

bool SameListName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldChar(static_cast<unsigned char>(a[i])) != FoldChar(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

}  // namespace

CodeListState& CodeLists() { return g_state; }

void ResetCodeLists() { g_state = CodeListState{}; }

const TextLines& DefaultCodeDefinitions() {
  static const TextLines kDefaults = {
      "01;1;0;5|0;2;-1;-1;-1;-1;",        "02;9;10;11|3;8|0;-1;-1;-1;-1;",   "03;12;14|3;16|3;15|3;-1;-1;-1;-1;",
      "11;1;3|ddmmyyyy;6;2;-1;-1;-1;-1;", "21;9;10;18;11|3;-1;-1;-1;-1;",    "22;6;7;-1;-1;-1;-1;-1;-1;",
      "23;9;-1;-1;-1;-1;-1;-1;-1;",       "31;12;-1;-1;-1;-1;-1;-1;-1;",     "32;18;-1;-1;-1;-1;-1;-1;-1;",
      "33;14|3;-1;-1;-1;-1;-1;-1;-1;",    "34;15|3;-1;-1;-1;-1;-1;-1;-1;",   "35;16|3;-1;-1;-1;-1;-1;-1;-1;",
      "36;12;15|3;16|3;-1;-1;-1;-1;-1;",  "37;15|3;16|3;-1;-1;-1;-1;-1;-1;",
  };
  return kDefaults;
}

// ---- Field access -------------------------------------------------------------

std::string CodeField(const std::string& definition, int k) {
  if (k < 1) return {};
  size_t start = 0;
  for (int i = 1; i < k; ++i) {
    size_t p = definition.find(kCodeFieldEnd, start);
    if (p == std::string::npos) return {};
    start = p + 1;
  }
  size_t end = definition.find(kCodeFieldEnd, start);
  if (end == std::string::npos) return {};
  return definition.substr(start, end - start);
}

std::string DefinitionCode(const std::string& definition) { return CodeField(definition, 1); }

std::string TargetField(const std::string& definition, int i) {
  if (i < 1 || i > kCodeTargetCount) return {};
  return CodeField(definition, i + 1);
}

std::string TargetNumberText(const std::string& field) { return field.substr(0, field.find(kCodeParameterMark)); }

std::string TargetParameter(const std::string& field) {
  size_t p = field.find(kCodeParameterMark);
  return p == std::string::npos ? std::string() : field.substr(p + 1);
}

int TargetNumber(const std::string& field) {
  int value = kTargetNone;
  if (!ParseInteger(TargetNumberText(field), value) || value < kTargetNone) return kTargetNone;
  return value;
}

bool TargetHasParameter(int target) {
  switch (target) {
    case kTargetDatum:
    case kTargetZeit:
    case kTargetDatumZeit:
    case kTargetTemperaturLuftdruck:
    case kTargetInstrumentenhoehe:
    case kTargetReflektorhoehe:
    case kTargetQuerverschiebung:
    case kTargetLaengsverschiebung:
    case kTargetVertikalverschiebung:
      return true;
    default:
      return false;
  }
}

std::string DefaultTargetParameter(int target) {
  switch (target) {
    case kTargetDatum:
      return "ddmmyyyy";
    case kTargetZeit:
      return "hhmmss";
    case kTargetDatumZeit:
    case kTargetTemperaturLuftdruck:
      return "0";
    default:
      return TargetHasParameter(target) ? "3" : "";
  }
}

std::string KeptParameter(const std::string& field, int target) {
  if (field.find(kCodeParameterMark) == std::string::npos || TargetNumber(field) != target)
    return DefaultTargetParameter(target);
  return TargetParameter(field);
}

std::string TargetFieldText(int target, const std::string& parameter) {
  std::string text = std::to_string(target < kTargetNone ? kTargetNone : target);
  if (TargetHasParameter(target)) text += kCodeParameterMark + parameter;
  return text;
}

std::string NewCodeDefinition(const std::string& code) {
  return code + std::string(kCodeTargetCount + 1, kCodeFieldEnd);
}

std::string ReplaceDefinitionCode(const std::string& definition, const std::string& code) {
  size_t p = definition.find(kCodeFieldEnd);
  if (p == std::string::npos) return code + kCodeFieldEnd;
  return code + definition.substr(p);
}

std::string LimitDefinition(const std::string& definition) {
  size_t pos = 0;
  for (int i = 0; i < kCodeTargetCount + 1; ++i) {
    size_t p = definition.find(kCodeFieldEnd, pos);
    if (p == std::string::npos) return definition;
    pos = p + 1;
  }
  return definition.substr(0, pos);
}

std::string BuildStationCodes(const TextLines& definitions) {
  std::string codes;
  for (const std::string& d : definitions) {
    for (int i = 1; i <= kCodeTargetCount; ++i) {
      if (TargetNumber(TargetField(d, i)) == kTargetStation) {
        codes += DefinitionCode(d) + kCodeFieldEnd;
        break;
      }
    }
  }
  return codes;
}

// ---- Storage ------------------------------------------------------------------

std::string CodeListRootKey() { return ConfigPath(kCodeListSubKey); }

std::string CodeListKey(const std::string& name) { return CodeListRootKey() + "\\" + name; }

std::vector<std::string> CodeListNames() { return RegSubKeyNames(kUser, CodeListRootKey()); }

bool CodeListExists(const std::string& name) { return !StoredCodeListName(name).empty(); }

std::string StoredCodeListName(const std::string& name) {
  if (!IsValidCodeListName(name)) return {};
  const std::string wanted = TrimmedName(name);
  for (const std::string& n : CodeListNames())
    if (SameListName(n, wanted)) return n;
  return {};
}

void DeleteCodeList(const std::string& name) {
  if (!IsValidCodeListName(name)) return;
  const std::string key = CodeListKey(TrimmedName(name));
  if (RegKeyExists(kUser, key)) RegDeleteKey(kUser, key);
}

bool SameCodeListName(const std::string& a, const std::string& b) {
  return SameListName(TrimmedName(a), TrimmedName(b));
}

bool IsValidCodeListName(const std::string& name) {
  return !TrimmedName(name).empty() && name.find('\\') == std::string::npos && name.find('/') == std::string::npos;
}

std::vector<std::string> StoredDefinitionNames(const std::string& name) {
  std::vector<std::string> names;
  if (!IsValidCodeListName(name)) return names;
  for (std::string& n : RegValueNames(kUser, CodeListKey(TrimmedName(name))))
    if (!n.empty()) names.push_back(std::move(n));
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    bool da = IsDigits(a), db = IsDigits(b);
    if (da != db) return da;
    return da && NumericLess(a, b);
  });
  return names;
}

TextLines ReadStoredDefinitions(const std::string& name) {
  TextLines definitions;
  const std::string key = CodeListKey(TrimmedName(name));
  for (const std::string& n : StoredDefinitionNames(name))
    definitions.push_back(LimitDefinition(ReadRegString(kUser, key + "\\" + n, "")));
  return definitions;
}

void LoadCodeDefinitions() {
  CodeListState& s = g_state;
  if (s.Definitions.empty()) {
    s.Definitions = ReadStoredDefinitions(s.CurrentList);
    if (s.Definitions.empty()) s.Definitions = DefaultCodeDefinitions();
  }
  s.StationCodes = BuildStationCodes(s.Definitions);
}

void ReloadCodeDefinitions() {
  g_state.Definitions.clear();
  LoadCodeDefinitions();
}

void SaveCodeDefinitions() {
  const CodeListState& s = g_state;
  if (!IsValidCodeListName(s.CurrentList)) return;
  const std::string key = CodeListKey(TrimmedName(s.CurrentList));
  RegistryBatch batch(kUser);
  if (RegKeyExists(kUser, key)) RegDeleteKey(kUser, key);
  RegCreateKey(kUser, key);
  for (size_t i = 0; i < s.Definitions.size(); ++i)
    WriteRegString(kUser, key + "\\" + std::to_string(i), s.Definitions[i], true);
}

const char* CodeTableValueName(int table) {
  return table >= 0 && table < kCodeTableCount ? kTableValueNames[table] : "";
}

void LoadCodeTables(bool force) {
  if (!force && !g_state.UseGsiCodes) return;
  for (int t = 0; t < kCodeTableCount; ++t) {
    std::string text = ReadRegString(kUser, ConfigPath(std::string(kGsiKey) + kTableValueNames[t]), "");
    if (!text.empty()) g_state.Tables[t] = SplitLines(text);
  }
}

void SaveCodeTables(const std::array<TextLines, kCodeTableCount>& tables) {
  RegistryBatch batch(kUser);
  for (int t = 0; t < kCodeTableCount; ++t) {
    WriteRegString(kUser, ConfigPath(std::string(kGsiKey) + kTableValueNames[t]), JoinLines(tables[t]), true);
    g_state.Tables[t] = tables[t];
  }
}

std::string CodeTableName(int table) {
  return table >= 0 && table < kCodeTableCount ? GetText(kTableTexts[table]) : std::string();
}

std::string TranslateCode(const std::string& value, int table) {
  if (!g_state.UseGsiCodes || table < 0 || table >= kCodeTableCount) return value;
  int n = 0;
  if (!ParseInteger(value, n)) n = 0;
  const TextLines& lines = g_state.Tables[table];
  std::string result = value;
  bool note = false;
  if (n < 0 || static_cast<size_t>(n) >= lines.size()) {
    note = true;
  } else {
    result = lines[n];
    note = result.empty();
  }
  if (note)
    CurrentTransfer().Messages.push_back(
        FormatText(GetText(kTextCodeNotTranslated), {EscapeMessageData(value), CodeTableName(table)}));
  return result;
}

bool IsUsableDatePattern(const std::string& pattern) {
  if (pattern.empty()) return false;
  const double today = static_cast<double>(static_cast<long long>(NowDateTime()));
  const std::string text = FormatDate(pattern, today);
  return !text.empty() && FormatDate(pattern, ParseDate(pattern, text)) == text;
}

bool IsUsableTimePattern(const std::string& pattern) {
  if (pattern.empty()) return false;
  // Hours, minutes and seconds that differ from each other and from 0, so
  // that a pattern mixing them up does not read back.
  double probe = 0;
  if (!EncodeTime(13, 47, 25, probe)) return false;
  const std::string text = FormatTime(pattern, probe);
  return !text.empty() && FormatTime(pattern, ParseTime(pattern, text)) == text;
}

namespace {
PointCodeLineTest g_pointCodeLineTest;
}

bool IsPointCodeLine(const std::string& line) {
  if (g_pointCodeLineTest) return g_pointCodeLineTest(line);
  size_t p = line.find(kPointCodeSeparator);
  return p != std::string::npos && p > 0;
}

void SetPointCodeLineTest(PointCodeLineTest test) { g_pointCodeLineTest = std::move(test); }

std::string PointCodeRowLine(const std::vector<std::string>& cells) {
  std::string line;
  bool content = false;
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) line += kPointCodeSeparator;
    line += cells[i];
    content = content || !cells[i].empty();
  }
  return content ? line : std::string();
}

bool IsValidPointCodeLine(const std::string& line) {
  size_t first = line.find(kPointCodeSeparator);
  if (line.substr(0, first).empty()) return false;
  if (first == std::string::npos) return true;
  size_t second = line.find(kPointCodeSeparator, first + 1);
  std::string entity =
      TrimBlanks(line.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1));
  return std::all_of(entity.begin(), entity.end(),
                     [](char c) { return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'; });
}

TextLines PointListLines(const TextLines& list, bool pointCodes) {
  TextLines own;
  for (const std::string& line : list)
    if (IsPointCodeLine(line) == pointCodes) own.push_back(line);
  return own;
}

void ReplacePointListLines(TextLines& list, bool pointCodes, const TextLines& lines) {
  TextLines others = PointListLines(list, !pointCodes);
  TextLines joined = pointCodes ? std::move(others) : lines;
  const TextLines& tail = pointCodes ? lines : others;
  joined.insert(joined.end(), tail.begin(), tail.end());
  list = std::move(joined);
}

void ReadCodeListSettings() {
  CodeListState& s = g_state;
  std::string name = ReadRegString(kUser, ConfigPath(std::string(kCodeListSubKey) + "\\"), kDefaultCodeList);
  if (!IsValidCodeListName(name)) name = kDefaultCodeList;
  s.CurrentList = TrimmedName(name);
  if (!RegKeyExists(kUser, CodeListKey(s.CurrentList))) RegCreateKey(kUser, CodeListKey(s.CurrentList));
  s.AttributePosition = ReadRegIntegerInRange(kUser, ConfigPath(kAttributePositionValue), 0, 0, 1);
  s.UseGsiCodes = ReadRegBool(kUser, ConfigPath(kUseGsiCodesValue), false);
}

void WriteCodeListSettings() {
  const CodeListState& s = g_state;
  RegistryBatch batch(kUser);
  WriteRegString(kUser, ConfigPath(std::string(kCodeListSubKey) + "\\"), s.CurrentList, true);
  WriteRegInteger(kUser, ConfigPath(kAttributePositionValue), s.AttributePosition, true);
  WriteRegBool(kUser, ConfigPath(kUseGsiCodesValue), s.UseGsiCodes, true);
}

}  // namespace veltro
