// TdmGSI: the word format of Leica total stations and levels, in its two
// widths GSI 8 and GSI 16. A line is a sequence of words, each followed by
// one blank; GSI 16 lines begin with "*":
//
//   110001+00001234 81..10+00012345 82..10+00067890 83..10+00000500
//   |  |   |       word = index (2) + information (4) + sign (1) + data (N)
//   |  |   data: N = 8 (GSI 8) or 16 (GSI 16) characters, right-aligned,
//   |  |         zero-filled; "-" characters for a value not measured
//   |  information: "." where unused; the 4th is the units digit
//   word index: 11 point number, 21 Hz, 22 V, 31 slope distance,
//               32 horizontal distance, 33 height difference, 41-49 code
//               block, 51 ppm/prism constant, 71 point code, 81 E, 82 N,
//               83 height, 87 reflector height, 88 instrument height
//
// The line layouts are the templates of the catalogue's formats GSI8 and
// GSI16, which this module fills: a template names the words to take (the
// index before each field) and their order. A line is cut into its words at
// their fixed width, so a text word may contain blanks and words may come in
// any order; a word that is absent gives an empty field.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Components.h"
#include "core/DatenformatDefinitionen.h"
#include "core/ReadWriteDaten.h"
#include "core/TransDef.h"

namespace veltro {

class TGeraete;

inline constexpr int kGsi8Width = 8;
inline constexpr int kGsi16Width = 16;
// Information characters and sign in front of the data of a word field.
inline constexpr int kGsiFieldHead = 5;

// ---- Words -----------------------------------------------------------------------

// Number of decimals of a units digit (information position 6): "0", "1" 3
// (mm, 1/1000 ft); "2", "3", "4" 5 (angles); "6", "7" 4; "8" 5; else 3.
int GsiUnitDecimals(char unit);

// Text of a word field (information, sign, data) of a line of data width
// width: the data when the field is width + 5 long, else the whole field;
// blanks at either end and leading "0" removed. Data of dashes (a value not
// measured) gives "". The sign is not part of the text.
std::string GsiTextValue(std::string_view field, int width);

// Number of a word field of exactly width + 5 characters: the data divided by
// 10^decimals of its units digit, negative with sign "-", written with those
// decimals. Any other length, and data that is not digits (dashes, blanks),
// give "".
std::string GsiNumberValue(std::string_view field, int width);

// "-" when the field has the full length and its sign is "-", else "".
std::string GsiSign(std::string_view field, int width);

// The word indices a template asks for, one per "%" field: the first two
// characters of the literal in front of it once blanks and brackets are
// removed ("41", "82").
std::vector<std::string> GsiTemplateWords(const std::string& layout);

// Cuts a line by key: one field per template word, the field of the first
// word of that index in the line ("" when there is none). A leading "*" is
// skipped. A word field is width + 5 characters when a blank or the line's
// end follows there, otherwise it runs up to the next blank.
std::vector<std::string> GsiCutFields(const std::string& layout, const std::string& line, int width);

// The line without a leading "*" (GSI 16).
std::string GsiLineBody(const std::string& line);
// The line is a code block (word 41 first) or a point line (word 11 first).
bool IsGsiCodeBlockLine(const std::string& line);
bool IsGsiPointLine(const std::string& line);

// The data of a coordinate word: |value| in units of 10^-decimals, truncated
// toward zero on the value's decimal digits, zero-filled to width, with its
// sign ("+" for 0). nullopt for a value that is empty, not a number, or whose
// digits do not fit the width.
std::optional<std::string> GsiNumberWord(const std::string& value, int decimals, int width);

// Decimals (the factor as a power of ten) and units digit of written
// coordinates for the coordinate unit index of the main window: 4 m/10000,
// 5 m/100000, 6 to 9 ft/1000, 10 ft/10000, any other m/1000. The data always
// has the decimals its units digit says.
struct GsiWriteUnit {
  int decimals;
  char unit;
};
GsiWriteUnit GsiCoordinateUnit(int koordUnit);

// Templates of the two formats (properties of GSI8 and GSI16).
struct GsiTemplates {
  const char* Informationen;
  const char* Detailpunkt;
  const char* Koordinaten;
  const char* Punktcodes;
  const char* Ende;
};
const GsiTemplates& Gsi8Templates();
const GsiTemplates& Gsi16Templates();

// ---- Record editor -------------------------------------------------------------------

// Picture of a numeric word's value: a sign, then the data's digits with the
// decimals of the word's units digit ("\xB1" "99999.999" for GSI 8, mm).
std::string GsiNumberPicture(char unit, int width);

// Text number of the message that refuses a value too wide for its word.
inline constexpr int kTextGsiWordTooNarrow = 830;
// Note on a text cut to the word width: %s format, %s text, %s written.
inline constexpr int kTextCutToWord = 747;

// ---- The module --------------------------------------------------------------------

class TdmGSI : public TDataModule {
 public:
  // Creates the components, fills the templates of the catalogue's formats
  // GSI8 and GSI16 and binds the catalogue's GSI handlers to them. The
  // catalogue must outlive the module.
  explicit TdmGSI(TGeraete& geraete);
  ~TdmGSI() override;

  TReadWriteDaten* Koordinaten;
  TReadWriteDaten* Informationen;
  TReadWriteDaten* Stationen;
  TReadWriteDaten* Neupunkte;
  TReadWriteDaten* Kommentare;
  TReadWriteDaten* Punktcodes;

  // 16 when the transfer's format tag is a GSI 16 tag or the current
  // instrument's data format is GSI16, else 8.
  int GsiDataWidth() const;

  // Kind of a line under a format tag: coordinate tags give tdaKoordinate for
  // point lines and code blocks, point-code tags tdaPunktcode for code
  // blocks; otherwise a code block is a station when its code is a station
  // code, else information, and a point line is a new point. Other lines
  // (end marks, empty lines) are tdaNone.
  TTransferDatenart GsiLineKind(const std::string& tag, const std::string& line);

  // Decodes the code block of fields (words 41 to 49 in this order) into the
  // record by the definition of its code in the GSI code list.
  void GsiCodeBlockRead(const std::vector<std::string>& fields, TDaten& Daten);
  // The code of word 41 names a station definition.
  bool IsStationCode(const std::string& code) const;

  void KoordinatenRead(const std::string& S, TDaten& Daten);
  std::string KoordinatenWrite(TDaten& Daten);
  void KoordinatenStatistik(const std::string& S, TTransferStatistik& State);
  void InformationenRead(const std::string& S, TDaten& Daten);
  void StationenRead(const std::string& S, TDaten& Daten);
  void StationenStatistik(const std::string& S, TTransferStatistik& State);
  void NeupunkteRead(const std::string& S, TDaten& Daten);
  void NeupunkteStatistik(const std::string& S, TTransferStatistik& State);
  std::string KommentareWrite(TDaten& Daten);
  void PunktcodesRead(const std::string& S, TDaten& Daten);
  std::string PunktcodesWrite(TDaten& Daten);
  void PunktcodesStatistik(const std::string& S, TTransferStatistik& State);

  // Catalogue handlers of the formats GSI8 and GSI16.
  std::string GSI8Format(const std::string& S, const std::string& Buf);
  std::string GSI16Format(const std::string& S, const std::string& Buf);
  void GSI8Setup();
  void GSI16Setup() { GSI8Setup(); }
  void GSI8InitWrite();
  void GSI16InitWrite() { GSI8InitWrite(); }
  void GSI8AfterRead();
  void GSI16AfterRead() { GSI8AfterRead(); }
  void GSI8BeforeWrite();
  void GSI16BeforeWrite();
  TTransferDatenart GSI8GetDatenart(std::string& S);
  TTransferDatenart GSI16GetDatenart(std::string& S);
  std::string GSI8SetTDA(TTransferDatenart kind);
  std::string GSI16SetTDA(TTransferDatenart kind);
  // Editor: points and code lines are edited, information and station
  // lines shown; a coordinate file stops at its point lines only.
  void GSI8InitEditor();
  void GSI16InitEditor() { GSI8InitEditor(); }
  bool GSI8EditNext(const std::string& S);
  bool GSI16EditNext(const std::string& S) { return GSI8EditNext(S); }

  // The write-back of an edited point, coordinate or point-code record
  // (OnWriteBack of Neupunkte, Koordinaten and Punktcodes): only the words
  // whose value was changed get new data, in the word's own width, units
  // digit, information characters and fill; every other character and
  // line stays. A value that does not fit its word is refused (message
  // 830) and the lines are kept.
  std::string NeupunkteWriteBack(const std::string& Lines, const TDaten& Read, TDaten& Daten);
  std::string KoordinatenWriteBack(const std::string& Lines, const TDaten& Read, TDaten& Daten);
  std::string PunktcodesWriteBack(const std::string& Lines, const TDaten& Read, TDaten& Daten);

 private:
  TGeraeteFormat& CurrentFormat() const;
  // GsiDataWidth and CurrentFormat for the current format looked up once.
  int DataWidthFor(const TGeraeteFormat& current) const;
  TGeraeteFormat& FormatFor(TGeraeteFormat& current, int width) const;
  std::string Recognise(TGeraeteFormat& format, const char* candidate, const std::string& S, const std::string& Buf);
  void BeforeWrite(const TGeraeteFormat& format);
  void LookAhead(TDaten& Daten);
  void ReadCodeBlockLine(const std::string& line, TDaten& Daten);
  void ReadKoordinatenLine(const std::string& line, TDaten& Daten);
  std::string PointCode(std::string_view field, int width);
  std::string Translated(const std::string& value, int table);
  // Code 1 as written: ANSI to OEM, trimmed, a code of table 3 as its index
  // when GSI coding is on.
  std::string WrittenCode(const std::string& code);
  std::string CutToWord(const std::string& text, int width, bool keepRight);
  // Sets up the editor's panel for the record just read from lines.
  void ConfigureEditor(TTransferDatenart kind, const std::string& lines);
  std::string WriteBack(TTransferDatenart kind, const std::string& Lines, const TDaten& Read, const TDaten& Daten);

  TGeraete& geraete_;
  std::array<std::string, 5> writeWords_;  // the writer's word buffers, kept from line to line
  TGeraeteFormat* gsi8_;
  TGeraeteFormat* gsi16_;
};

}  // namespace veltro
