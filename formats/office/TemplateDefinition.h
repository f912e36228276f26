// The user-defined line templates of the template format "NewFormat": the
// definition (17 sections, units, date and time formats, comment markers),
// the field letters, and the two stored forms (settings and ".Format" files).
//
// A section's template is one or more sample lines (CR LF between them). A
// field is a run of its letter framed by alignment markers:
//
//   [PPPPPPPP];[YYYYY.YY];[XXXXX.XX]
//   |        | |     |  |
//   |        | |     |  closing marker, also a position: 10 wide, 3 decimals
//   |        | |     '.': integer positions before, decimals after it
//   |        | opening marker: '[' neutral, '<' left-aligned
//   |        closing marker: ']' neutral, '>' right-aligned
//   text field, 10 positions
//
// '»' (0xBB) inside a run continues the field at the next '»' followed by the
// same letter. Every other character is literal text. In memory, templates
// use the field letters; stored definitions use fixed internal codes (field 1
// of section s: 0xD3 + s, field i >= 2: 0xB6 + i - 2 in every section).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/TransDef.h"
#include "platform/TextFile.h"

namespace veltro {

// ---- Sections and fields -------------------------------------------------------------

inline constexpr int kTemplateSectionCount = 17;

enum TemplateSectionIndex : int {
  tsInformationen = 0,
  tsStationspunkt = 1,
  tsAnschlusspunkt = 2,
  tsDetailpunkt = 3,
  tsKoordinaten = 4,
  tsQuerprofile = 5,
  tsPunktcodes = 6,
  tsStartdaten = 7,
  tsMessdaten = 8,
  tsRueckblick = 9,
  tsVorblick = 10,
  tsMittelblick = 11,
  tsAbsteckung = 12,
  tsJustierung = 13,
  tsAbschlussdaten = 14,
  tsBeschreibung = 15,
  tsNivKoordinaten = 16,
};

// How a field's value is written or read. Numeric kinds are scaled by the
// definition's unit of that kind; Plain is numeric without a unit; the
// levelling kinds are instrument integers converted as in the ASCII format.
enum class TemplateFieldType : std::uint8_t {
  Text,
  Date,  // date of Zeitpunkt, in the definition's date format
  Time,  // time of Zeitpunkt, in the definition's time format
  Angle,
  Distance,
  Height,
  Coordinate,
  PointHeight,
  Measure,
  Deviation,
  Plain,
  LevelAblesung,
  LevelDistanz,
  LevelBodenhoehe,
};

bool IsNumericFieldType(TemplateFieldType type);

struct TemplateSectionInfo {
  const char* tab;           // editor tab
  const char* registryName;  // settings sub-key
  unsigned char firstCode;   // internal code of field 1
  int fieldCount;
  TTransferDatenart kind;
};

const TemplateSectionInfo& SectionInfo(int section);
// Field types on writing and on reading (they differ for cross sections).
TemplateFieldType WriteFieldType(int section, int field);
TemplateFieldType ReadFieldType(int section, int field);
// The section's internal codes, field 1 first: the header line of .Format files.
std::string InternalCodes(int section);
// The order of the sections in .Format files.
const std::array<int, kTemplateSectionCount>& FileSectionOrder();

// ---- Definition -------------------------------------------------------------------

struct TemplateSection {
  std::string Template;  // lines separated by CR LF, no trailing line break
  bool FixedPosition = true;
  int TitleLines = 0;  // leading template lines written once, skipped on reading
  bool operator==(const TemplateSection&) const = default;
};

// Unit bytes: a value v (m or gon) is written as v × 10^unit.
inline constexpr int kMaxPointUnit = 4;  // "1 m" .. "0.1 mm"
inline constexpr int kMaxFineUnit = 5;   // "1 gon" .. "0.01 mgon", levelling "1 m" .. "0.01mm"
inline constexpr const char* kDefaultDateFormat = "DD.MM.YYYY";
inline constexpr const char* kDefaultTimeFormat = "HH:MM:SS";

struct TemplateDefinition {
  std::array<TemplateSection, kTemplateSectionCount> Sections{};
  int AngleUnit = 0;        // 0..5
  int DistanceUnit = 0;     // 0..4
  int HeightUnit = 0;       // 0..4, instrument and reflector heights
  int CoordinateUnit = 0;   // 0..4, Y, X, Z
  int PointHeightUnit = 0;  // 0..5, levelling point heights
  int MeasureUnit = 0;      // 0..5, levelling readings and distances
  int DeviationUnit = 0;    // 0..5
  std::string DateFormat = kDefaultDateFormat;
  std::string TimeFormat = kDefaultTimeFormat;
  std::string CommentMarkers;  // line prefixes, CR LF between them

  void Clear() { *this = TemplateDefinition{}; }
  // The unit exponent of a field type (0 for text and plain numbers).
  int UnitOf(TemplateFieldType type) const;
  bool operator==(const TemplateDefinition&) const = default;
};

// text cut at every separator (n separators give n + 1 parts).
std::vector<std::string_view> SplitText(std::string_view text, std::string_view separator);
// The template split at CR LF; an empty template has no lines.
std::vector<std::string> TemplateLines(const std::string& text);

// ---- Field letters ---------------------------------------------------------------

// Per section: the letter of field i at position i, then the markers
// "[]<>" and, except for Informationen, ".". The editor builds them from its
// button captions; a transfer reads them from "Controlcodes".
class FieldLetters {
 public:
  // Distinct letters per section (used when none are stored).
  static FieldLetters Default();
  // The 17 strings separated by ';'. nullopt when a section is missing, has
  // too few letters, repeats a letter or uses a marker, ';' or a control byte.
  static std::optional<FieldLetters> FromControlcodes(const std::string& text);
  std::string ToControlcodes() const;

  // The letters of the section's fields, without the markers.
  std::string Letters(int section) const;
  // The whole string (letters and markers).
  const std::string& Full(int section) const { return strings_[static_cast<size_t>(section)]; }
  // Replaces the letters of a section; false (unchanged) when they are unusable.
  bool SetLetters(int section, const std::string& letters);
  bool operator==(const FieldLetters&) const = default;

 private:
  std::array<std::string, kTemplateSectionCount> strings_;
};

// The conversion between stored codes and letters. It touches only the
// characters of a run: after '[', '<' or '»' directly followed by a code
// (letter), that code (letter) and the '.' characters following it.
std::string CodesToLetters(const std::string& text, int section, const FieldLetters& letters);
std::string LettersToCodes(const std::string& text, int section, const FieldLetters& letters);

// ---- Stored forms ------------------------------------------------------------------

// A name usable as a settings key and a file name: not empty, not made of
// dots only, without ';', '\', '/' or control bytes.
bool IsValidTemplateName(const std::string& name);

// Settings below the configuration root, key "NewFormat".
std::vector<std::string> StoredTemplateNames();
// The stored spelling of name (compared without regard to case), or nullopt.
std::optional<std::string> FindStoredTemplate(const std::string& name);
// "Controlcodes", or the default letters when they are missing or malformed.
FieldLetters ReadFieldLetters();
// The definition stored under name (cleared first; a value that is missing
// or out of range keeps its cleared state).
TemplateDefinition ReadStoredTemplate(const std::string& name, const FieldLetters& letters);
// Stores the definition under name, adds the name to "Format list" when it is
// not there (any case) and writes "Controlcodes". False for an invalid name.
bool WriteStoredTemplate(const std::string& name, const TemplateDefinition& definition, const FieldLetters& letters);
// Removes the name from "Format list" and deletes its key.
void DeleteStoredTemplate(const std::string& name);
// "NewFormat\Active Format": the definition chosen on the "Neues_Format" page.
std::string ActiveTemplateName();
void SetActiveTemplateName(const std::string& name);

// .Format files: the name, the sections in file order (header line of codes,
// "1"/"0", title count, template lines), "Units" with nine lines, and the
// comment markers joined by '¦'.
TextLines TemplateFileLines(const std::string& name, const TemplateDefinition& definition, const FieldLetters& letters);

struct TemplateFileError {
  int text = 0;  // language text to show
  int line = 0;  // 1-based line of the file
};
// Parses the lines of a .Format file; nullopt and the error when they are not one.
std::optional<TemplateDefinition> ParseTemplateFile(const TextLines& lines, const FieldLetters& letters,
                                                    std::string& name, TemplateFileError& error);

// The format directory (setting "FormatPath"), with a trailing separator.
std::string TemplateDirectory();
// "<name>.Format" in the directory.
std::string TemplateFileName(const std::string& directory, const std::string& name);

// Text numbers of the stored forms.
inline constexpr int kTextTemplateSaved = 33;
inline constexpr int kTextNoTemplateName = 213;
inline constexpr int kTextReplaceTemplate = 266;
inline constexpr int kTextTitleCountNotInteger = 319;
inline constexpr int kTextTemplateNotStored = 810;       // %s name
inline constexpr int kTextTemplateNameInvalid = 811;     // %s name
inline constexpr int kTextTemplateFileDamaged = 812;     // %s file, %s line
inline constexpr int kTextTemplateFileUnreadable = 813;  // %s file
inline constexpr int kTextTemplateNotLoaded = 814;       // %s name, %s file

}  // namespace veltro
