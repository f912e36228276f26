// TdmSDR: the fixed-column records of Sokkia data recorders, in the two
// variants SDR 2x (point numbers of 4 characters, values of 10) and SDR 33
// (fields of 16). A line is a two-digit record type, a two-character
// derivation code and the fields of the type's template, without separators
// (SDR 33 fields abut: a right-aligned point number runs into the value):
//
//   00NMSDR33    V04    000008-DEC-26 14:30 111111   header: version, counter, date, unit flags
//   02NM            10011200456.789     2600123.456     456.123         1.550 ...   station (SDR 33)
//   08KI   1  1000.000  2000.000   100.000PEG              coordinate (SDR 2x)
//
// Record types: 00 header, 01 instrument, 10 job, 06 scale factor (the
// information); 02 station, 05 atmosphere; 07 backsight; 03 target height,
// 09 observation, 11 reduced observation (new points); 08 coordinate; 13 note.
// The fifth unit flag of the header says the order of the two horizontal
// coordinates of the records up to the next header: "2" easting first, else
// northing first.
//
// A serial transfer is framed: a line holding only STX (0x02), the records,
// and a last line ETX (0x03) followed by five digits, the transmission
// checksum. Files saved from a job have no framing.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Components.h"
#include "core/EditorPanels.h"
#include "core/ReadWriteDaten.h"
#include "core/TransDef.h"
#include "platform/TextFile.h"

namespace veltro {

class TGeraete;
class TGeraeteFormat;

// ---- Transmission checksum -----------------------------------------------------------

inline constexpr char kSdrStx = '\x02';
inline constexpr char kSdrEtx = '\x03';
inline constexpr int kSdrChecksumDigits = 5;

// The byte sum of everything between STX and ETX except STX, ETX, CR and LF,
// kept to 16 bits. Lines are added in the order they were received.
class SdrChecksum {
 public:
  void Add(std::string_view line);
  std::uint16_t Sum() const { return static_cast<std::uint16_t>(sum_ & 0xFFFF); }
  // The whole sum: writers that kept its last five decimal digits as the
  // trailer are recognised too.
  std::uint64_t FullSum() const { return sum_; }
  // A byte has entered the sum (the text was framed and held data).
  bool Counted() const { return counted_; }

 private:
  std::uint64_t sum_ = 0;
  bool inBlock_ = false;
  bool counted_ = false;
};

// The last line of a framed text: ETX and the 16-bit sum as five digits.
std::string SdrTrailer(const SdrChecksum& checksum);

enum class SdrTrailerCheck {
  Match,        // the digits after the ETX of the last line are the sum
  Mismatch,     // other digits, none, or no ETX on the last line
  NotCompared,  // zeros: the writer gave no checksum
};
// Compares the checksum with the last line of lines that is not blank.
SdrTrailerCheck CheckSdrTrailer(const LineList& lines, const SdrChecksum& checksum);

// ---- Records --------------------------------------------------------------------------

// The first two characters as a decimal number; -1 when they are not digits.
int SdrRecordType(std::string_view line);

// A value for a left-aligned numeric field of width characters: rounded to
// the decimals the field has room for and filled with trailing zeros
// ("12.5" in 10 characters is "12.5000000", "1000" is "1000.00000"). An
// empty value stays empty; nullopt for a text that is not a number and for
// a number whose integer digits do not fit.
std::optional<std::string> SdrPaddedValue(const std::string& value, int width);

// Templates of the two variants, in the lists of the format definition.
struct SdrTemplates {
  std::array<const char*, 4> Informationen;   // 00, 01, 10, 06
  std::array<const char*, 2> Stationspunkt;   // 02, 05
  std::array<const char*, 1> Anschlusspunkt;  // 07
  std::array<const char*, 3> Detailpunkt;     // 03, 09, 11
  const char* Koordinaten;                    // 08
  std::array<const char*, 1> Kommentare;      // 13
};
const SdrTemplates& Sdr2xTemplates();
const SdrTemplates& Sdr33Templates();

// ---- Record editor ----------------------------------------------------------------------

// The set-up of the editor's panels: enabled and required flags per label,
// and the pictures of the fields in label order (the date and time items
// are the pictures of the format's Datumsformat and Uhrzeitformat).
using SdrEditorPanel = EditorPanelSpec;
std::vector<SdrEditorPanel> SdrEditorPanels(bool sdr33, const TGeraeteFormat& format);
// Edit picture of coordinates: "±99999.999" (SDR 2x), "±9999999999.9999" (SDR 33).
std::string SdrCoordinatePicture(bool sdr33);

// The fields the editor offers for a record type: per label "0" unchanged,
// "F" disabled, "T" enabled, on that panel. nullopt for other types.
struct SdrEditorFields {
  const char* panel;
  const char* flags;
};
std::optional<SdrEditorFields> SdrEditorFieldsFor(int recordType);

// ---- The module ---------------------------------------------------------------------------

// Text numbers of the module's notes.
enum : int {
  kTextSdrHeaderDate = 880,  // %s line number, %s date and time as written
  kTextSdrPointCut = 881,    // %s point number, %s field width, %s as written
  kTextSdrCodeCut = 882,     // the same for a code
  kTextSdrTextCut = 883,     // the same for a note, job or instrument name
};
// Text numbers of the transfer hooks.
enum : int {
  kTextSdrChecksum = 610,
  kTextSdrReceived = 611,
  kTextSdrSetToReceive = 612,
  kTextSdrSent = 613,
};

class TdmSDR : public TDataModule {
 public:
  // Creates the components, fills the templates of the catalogue's SDR2x
  // and SDR33 and binds their handlers. The catalogue must outlive the module.
  explicit TdmSDR(TGeraete& geraete);
  ~TdmSDR() override;

  TReadWriteDaten* Koordinaten;
  TReadWriteDaten* Informationen;
  TReadWriteDaten* Stationen;
  TReadWriteDaten* Anschlusspunkte;
  TReadWriteDaten* Neupunkte;
  TReadWriteDaten* Kommentare;

  // Kind of a line by its record type under the current format's templates.
  // A 00 header naming "SDR2" or "SDR33" first makes that variant the current
  // instrument's format. Remembers the editor's fields for the record type.
  TTransferDatenart SdrLineKind(const std::string& line);
  const std::optional<SdrEditorFields>& EditorFields() const { return editorFields_; }

  void KoordinatenRead(const std::string& S, TDaten& Daten);
  std::string KoordinatenWrite(TDaten& Daten);
  void KoordinatenStatistik(const std::string& S, TTransferStatistik& State);
  void InformationenRead(const std::string& S, TDaten& Daten);
  std::string InformationenWrite(TDaten& Daten);
  void StationenRead(const std::string& S, TDaten& Daten);
  std::string StationenWrite(TDaten& Daten);
  void StationenStatistik(const std::string& S, TTransferStatistik& State);
  void AnschlusspunkteRead(const std::string& S, TDaten& Daten);
  std::string AnschlusspunkteWrite(TDaten& Daten);
  void NeupunkteRead(const std::string& S, TDaten& Daten);
  std::string NeupunkteWrite(TDaten& Daten);
  void NeupunkteStatistik(const std::string& S, TTransferStatistik& State);
  void KommentareRead(const std::string& S, TDaten& Daten);
  std::string KommentareWrite(TDaten& Daten);

  // Catalogue handlers (the SDR33 twins behave alike on their format).
  std::string SDR2xFormat(const std::string& S, const std::string& Buf);
  std::string SDR33Format(const std::string& S, const std::string& Buf);
  // Clears the received lines, the checksum and what was read; the lines
  // classified from now until the end of the receive enter the checksum.
  void SDR2xSetup();
  void SDR33Setup() { SDR2xSetup(); }
  void SDR2xInitWrite();
  void SDR33InitWrite();
  void SDR2xAfterTrans();
  void SDR33AfterTrans() { SDR2xAfterTrans(); }
  void SDR2xAfterRead();
  void SDR33AfterRead();
  void SDR2xBeforeWrite();
  void SDR33BeforeWrite() { SDR2xBeforeWrite(); }
  void SDR2xAfterWrite();
  void SDR33AfterWrite() { SDR2xAfterWrite(); }
  TTransferDatenart SDR2xGetDatenart(std::string& S);
  TTransferDatenart SDR33GetDatenart(std::string& S) { return SDR2xGetDatenart(S); }
  std::string SDR2xSetTDA(TTransferDatenart kind);
  std::string SDR33SetTDA(TTransferDatenart kind);
  // Editor: the panels of the variant (SdrEditorPanels); the kind-of-line
  // handler then enables the fields of each record type.
  void SDR2xInitEditor();
  void SDR33InitEditor();
  // The editor stops at every line.
  bool SDR2xEditNext(const std::string&) { return true; }
  bool SDR33EditNext(const std::string&) { return true; }

  // The checksum of the lines received since the last set-up.
  const SdrChecksum& ReceivedChecksum() const { return checksum_; }

 private:
  // A record type under one format: a copy of its template, its kind and
  // the positions of its fields (start, width), when the template is
  // fixed-width. Taken from the format when first used after a set-up.
  struct RecordLayout {
    std::optional<std::string> layout;
    TTransferDatenart kind = tdaNone;
    std::vector<int> widths;
    std::vector<std::pair<size_t, size_t>> spans;
  };
  struct FormatTables {
    const TGeraeteFormat* format = nullptr;
    std::array<RecordLayout, 100> records;
  };
  using Fields = std::vector<std::string_view>;

  TGeraeteFormat& CurrentFormat() const;
  bool IsSdr33() const;
  const RecordLayout& Layout(int type);
  TTransferDatenart KindOf(int type) { return Layout(type).kind; }
  void SwitchVariant(const std::string& line);
  // The fields of line (views into it, trimmed) by the template of its type.
  void CutInto(std::string_view line, int type, Fields& fields);
  const Fields& Cut(const std::string& line, int type);
  std::string Kept(int type, size_t field);
  std::string Derivation(int type) const;
  bool WriteEastingFirst() const;
  void ReadInformation(const std::string& line, TDaten& Daten);
  void ReadHeaderTime(std::string_view field, TDaten& Daten);
  void ReadStation(const std::string& line, TDaten& Daten);
  std::string Record(int type, const std::vector<std::string>& values);
  std::string Fit(const std::string& text, int type, size_t field, int note);
  void InitWrite(const TGeraeteFormat& format, const char* version);
  void AfterRead(bool checkOffline);
  std::string Recognise(TGeraeteFormat& format, const char* candidate, const std::string& S, const std::string& Buf);

  TGeraete& geraete_;
  TGeraeteFormat* sdr2x_;
  TGeraeteFormat* sdr33_;
  std::array<FormatTables, 2> tables_;  // SDR 2x, SDR 33
  Fields fields_;                       // of the line being read
  SdrChecksum checksum_;
  bool counting_ = false;
  // Read since the last set-up: the coordinate order of the last header
  // (true: easting first), the last line of each record type, the types of
  // the last station record and of the last new point.
  std::optional<bool> headerEastingFirst_;
  std::array<std::optional<std::string>, 100> kept_;
  std::vector<int> stationTypes_;
  int neupunktType_ = -1;
  std::optional<SdrEditorFields> editorFields_;
};

}  // namespace veltro
