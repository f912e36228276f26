// GSI code lists: per named list one definition per code number that says
// what each information word of a code block means, four code tables that
// turn numbers into texts, and the code-number translation used while reading
// GSI data.
//
// Definition text, every field ended by ";":
//   code;t1;t2;t3;t4;t5;t6;t7;t8;      e.g. "11;1;3|ddmmyyyy;6;2;-1;-1;-1;-1;"
// ti is the target of information word 41+i: a target number (CodeTarget),
// "-1" for none, optionally followed by "|" and a parameter.
//
// Storage (current user's settings, configuration key + ...):
//   "GSI8\Code list\" + name, values "0", "1", ...   one definition each
//   "GSI8\Jobs", "Users", "Instruments", "Codes"      tables 0 to 3 (multi-line)
//   "GSI8\Code list\" (unnamed value)                 current list name
//   "GSI8\Attributs past measuring", "GSI8\UseGSICodes"
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "platform/TextFile.h"

namespace veltro {

inline constexpr int kCodeTargetCount = 8;  // information words 42..49
inline constexpr int kCodeTableCount = 4;
inline constexpr const char* kDefaultCodeList = "Default";
inline constexpr char kCodeFieldEnd = ';';
inline constexpr char kCodeParameterMark = '|';

enum CodeTable : int {
  kTableProjekte = 0,
  kTableBeobachter = 1,
  kTableInstrumente = 2,
  kTablePunktcodes = 3,
};

// Targets: item index in the target list (text 337).
enum CodeTarget : int {
  kTargetNone = -1,
  kTargetProjekt = 0,
  kTargetBeobachter = 1,
  kTargetInstrument = 2,
  kTargetDatum = 3,      // parameter: date layout, "ddmmyyyy"
  kTargetZeit = 4,       // parameter: time layout, "hhmmss"
  kTargetDatumZeit = 5,  // parameter: layout number 0..3
  kTargetTemperatur = 6,
  kTargetLuftdruck = 7,
  kTargetTemperaturLuftdruck = 8,  // parameter: layout number 0..1
  kTargetStation = 9,
  kTargetStationCode = 10,
  kTargetInstrumentenhoehe = 11,  // parameter: scale number 0..10
  kTargetPunktcode = 12,
  kTargetPunktart = 13,
  kTargetReflektorhoehe = 14,  // 14..17 parameter: scale number
  kTargetQuerverschiebung = 15,
  kTargetLaengsverschiebung = 16,
  kTargetVertikalverschiebung = 17,
  kTargetReserve = 18,  // no effect
  kTargetAnmerkung1 = 19,
  kTargetAnmerkung2 = 20,
  kTargetMutationsnummer = 21,
  kTargetKommentar = 22,
};
inline constexpr int kCodeTargetKinds = 23;

// Process-wide code-list state.
struct CodeListState {
  TextLines Definitions;     // current list, one definition per code
  std::string StationCodes;  // codes of definitions with target 9, each + ";"
  std::string CurrentList = kDefaultCodeList;
  std::array<TextLines, kCodeTableCount> Tables;
  int AttributePosition = 0;  // 0 code block before the measurement, 1 after it
  bool UseGsiCodes = false;   // code-number translation on
};

CodeListState& CodeLists();
// Back to the start-up state (tests).
void ResetCodeLists();

// The 14 definitions used when the current list has none stored.
const TextLines& DefaultCodeDefinitions();

// ---- Field access -------------------------------------------------------------
// Field k (1 = code, 2..9 = targets): the text between the (k-1)-th and the
// k-th ";"; empty beyond the last ";".
std::string CodeField(const std::string& definition, int k);
std::string DefinitionCode(const std::string& definition);
// Target field i (1..8) with its parameter, e.g. "3|ddmmyyyy".
std::string TargetField(const std::string& definition, int i);
// Part before "|" and after it (empty without "|").
std::string TargetNumberText(const std::string& field);
std::string TargetParameter(const std::string& field);
// The target number as integer; kTargetNone for an empty or non-numeric one.
int TargetNumber(const std::string& field);

// Targets 3, 4, 5, 8, 11 and 14..17 carry a parameter.
bool TargetHasParameter(int target);
// "ddmmyyyy" (3), "hhmmss" (4), "0" (5, 8), "3" (11, 14..17), else "".
std::string DefaultTargetParameter(int target);
// The parameter a field keeps for `target`: the stored one when the field has
// a "|" and the same target, else the default.
std::string KeptParameter(const std::string& field, int target);
// "-1", "9" or "3|ddmmyyyy".
std::string TargetFieldText(int target, const std::string& parameter);

// The code followed by nine ";": a code with eight empty targets.
std::string NewCodeDefinition(const std::string& code);
// The definition with field 1 replaced by code.
std::string ReplaceDefinitionCode(const std::string& definition, const std::string& code);
// At most the code and eight targets: anything after the ninth ";" is dropped.
std::string LimitDefinition(const std::string& definition);
// Concatenation of code + ";" of every definition that assigns target 9
// (station point number) to one of its words. Targets are matched exactly,
// so target 19 or a code ending in 9 does not make a station code.
std::string BuildStationCodes(const TextLines& definitions);

// ---- Storage ------------------------------------------------------------------
// Configuration key + "GSI8\Code list" (no trailing "\").
std::string CodeListRootKey();
std::string CodeListKey(const std::string& name);
// Names of all stored code lists (sub-keys of the root key).
std::vector<std::string> CodeListNames();
bool CodeListExists(const std::string& name);
// The stored spelling of an existing list name ("" when none).
std::string StoredCodeListName(const std::string& name);
void DeleteCodeList(const std::string& name);
// List names compare as the store compares key names: without regard to case.
bool SameCodeListName(const std::string& a, const std::string& b);
// A list name becomes a settings key: it must not be empty (after trimming
// blanks) and must not hold "\" or "/", which would name another key.
bool IsValidCodeListName(const std::string& name);
// Non-empty value names of a list in numeric order ("10" after "9"); names
// that are not numbers follow in stored order.
std::vector<std::string> StoredDefinitionNames(const std::string& name);
// The stored definitions of a list in that order, each limited to eight targets.
TextLines ReadStoredDefinitions(const std::string& name);

// Loads the current list when no definitions are held (the default list when
// it has none stored); rebuilds the station codes in any case.
void LoadCodeDefinitions();
// Drops the held definitions and loads the current list again.
void ReloadCodeDefinitions();
// Writes the definitions under the current list name (replacing what was
// stored there); nothing with an empty name.
void SaveCodeDefinitions();

// Value names "Jobs", "Users", "Instruments", "Codes".
const char* CodeTableValueName(int table);
// With force or GSI coding on: reads the four tables; an empty stored value
// leaves its table unchanged.
void LoadCodeTables(bool force);
// Stores the four tables (lines joined with CR LF) and makes them current.
void SaveCodeTables(const std::array<TextLines, kCodeTableCount>& tables);
// Display name of a table: texts 367, 368, 132, 263.
std::string CodeTableName(int table);

// The code-number translation: with GSI coding off the value itself;
// otherwise line n of the table (n = value as integer, 0 when it is none).
// A missing line keeps the value, an empty line gives ""; both are noted in
// the transfer's message list (text 366).
std::string TranslateCode(const std::string& value, int table);

// The main window's code-list settings: read at start (creating the key of
// the current list when missing) and written when its options are saved.
void ReadCodeListSettings();
void WriteCodeListSettings();

// ---- Date and time patterns of targets 3 and 4 -------------------------------------
// A pattern is usable when the current date (a time of 13:47:25) formatted
// with it reads back as the same text; a pattern that cannot be read shows
// the date/time error of ParseDate/ParseTime.
bool IsUsableDatePattern(const std::string& pattern);
bool IsUsableTimePattern(const std::string& pattern);

// ---- Point-code lists ------------------------------------------------------------
// One line per code: code, entity and layer separated by "¦" (0xA6).
inline constexpr char kPointCodeSeparator = '\xA6';
using PointCodeLineTest = std::function<bool(const std::string& line)>;
// Whether a list's first line is a point-code line of the editor format.
// Until the editor format installs its own test: at least one "¦" and a
// non-empty first field.
bool IsPointCodeLine(const std::string& line);
void SetPointCodeLineTest(PointCodeLineTest test);  // nullptr: the default
// The cells of one grid row (without the number column) as a list line:
// joined with "¦"; an all-empty row gives "".
std::string PointCodeRowLine(const std::vector<std::string>& cells);
// A line is accepted when its first field is not empty and its second field,
// without blanks at either end, holds only digits, "+", "-" and ".".
bool IsValidPointCodeLine(const std::string& line);
// The manual point list holds coordinate lines and point-code lines (those
// IsPointCodeLine accepts); each input window edits only its own kind.
TextLines PointListLines(const TextLines& list, bool pointCodes);
// Replaces the lines of one kind and keeps the others: coordinates first,
// point codes after them.
void ReplacePointListLines(TextLines& list, bool pointCodes, const TextLines& lines);

// Text numbers used here.
inline constexpr int kTextCodeNotTranslated = 366;
inline constexpr int kTextTableProjekte = 367;
inline constexpr int kTextTableBeobachter = 368;
inline constexpr int kTextTableInstrumente = 132;
inline constexpr int kTextTablePunktcodes = 263;

}  // namespace veltro
