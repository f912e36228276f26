// TdmDL100: the line format of Topcon digital levels. Each line is one
// record, a letter and comma-separated fields; the level closes every line
// with a check character and ",":
//
//   b,011,JOB1,BM1,0412345,2603121405,,,,G,     start: key, job, benchmark, ground height, date-time
//   g,011,01500,02345,,3,2,P12,,1432,',         backsight: reading, distance, ..., time
//   v,011,BM2,TP4,2603121530,,,,,0412045,,,(,   end: ..., end height in field 9
//   y,Nordseite,^,                              comment
//   z,011,P1,123456,654321,1000,K               coordinate (no check character)
//
// Letters: a to c start, f to n readings (g backsight, h its second reading,
// i foresight, j its second reading, k intermediate sight, l setting out,
// m and n adjustment), t to w end, y comment, z coordinate. The record key
// (field 1) carries the unit code as its second character and the levelling
// method in its first. Dates are "YYMMDD" directly followed by the time
// "HHMM"; readings carry the time only.
//
// The statistics run the levelling line while it is received: the running
// height, the last backsight and the last foresight reading stay in the
// first three Konstanten.Hilfswerte cells, in reading units.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/Components.h"
#include "core/EditorPanels.h"
#include "core/ReadWriteDaten.h"
#include "core/TransDef.h"

namespace veltro {

class TGeraete;
class TGeraeteFormat;

// The kind of a line by its first character.
TTransferDatenart Dl100LineKind(const std::string& line);

// Text numbers of the module's notes.
enum : int {
  kTextDl100Integer = 850,     // %s field number, %s line: no integer the running height can take
  kTextDl100PointCut = 851,    // %s point number, %s width, %s as written
  kTextDl100CodeCut = 852,     // %s code, %s width, %s as written
  kTextDl100Separator = 854,   // %s value holding the field separator
};
// Captions of the levelling method of a record key (method codes 1 to 3).
enum : int {
  kTextDl100MethodBF = 487,
  kTextDl100MethodBFFB = 596,
  kTextDl100MethodBBFF = 496,
};

// ---- Record editor ----------------------------------------------------------------------

// The editor's panels for DL-100 records; date and time pictures follow the
// format's Datumsformat and Uhrzeitformat.
std::vector<EditorPanelSpec> Dl100EditorPanels(const TGeraeteFormat& format);

// The fields the editor offers for a record letter: per label "0" unchanged,
// "F" disabled, "T" enabled, on that panel; for a reading also the caption
// text of the window (0: the caption stays). nullopt for other letters.
struct Dl100EditorFields {
  const char* panel;
  const char* flags;
  int caption;
};
std::optional<Dl100EditorFields> Dl100EditorFieldsFor(char letter);

// ---- The module ---------------------------------------------------------------------------

class TdmDL100 : public TDataModule {
 public:
  // Creates the components, fills the templates of the catalogue's DL100 and
  // binds its handlers. The catalogue must outlive the module.
  explicit TdmDL100(TGeraete& geraete);
  ~TdmDL100() override;

  TReadWriteDaten* Koordinaten;
  TReadWriteDaten* NivKoordinaten;
  TReadWriteDaten* Startdaten;
  TReadWriteDaten* Messdaten;
  TReadWriteDaten* Enddaten;
  TReadWriteDaten* NivKommentare;
  TReadWriteDaten* Kommentare;

  // Dl100LineKind; remembers the editor's fields for the line's letter and,
  // while the editor is being prepared, enables them and sets the caption.
  TTransferDatenart LineKind(const std::string& line);
  const std::optional<Dl100EditorFields>& EditorFields() const { return editorFields_; }

  void KoordinatenRead(const std::string& S, TDaten& Daten);
  std::string KoordinatenWrite(TDaten& Daten);
  void KoordinatenStatistik(const std::string& S, TTransferStatistik& State);
  void StartdatenRead(const std::string& S, TDaten& Daten);
  std::string StartdatenWrite(TDaten& Daten);
  void StartdatenStatistik(const std::string& S, TTransferStatistik& State);
  void MessdatenRead(const std::string& S, TDaten& Daten);
  std::string MessdatenWrite(TDaten& Daten);
  void MessdatenStatistik(const std::string& S, TTransferStatistik& State);
  void EnddatenRead(const std::string& S, TDaten& Daten);
  std::string EnddatenWrite(TDaten& Daten);
  void EnddatenStatistik(const std::string& S, TTransferStatistik& State);
  void NivKommentareRead(const std::string& S, TDaten& Daten);
  std::string NivKommentareWrite(TDaten& Daten);
  std::string KommentareWrite(TDaten&) { return {}; }

  // Catalogue handlers.
  std::string DL100Format(const std::string& S, const std::string& Buf);
  void DefaultSetup();
  TTransferDatenart DL100GetDatenart(std::string& S) { return LineKind(S); }
  std::string DL100SetTDA(TTransferDatenart kind);
  void DL100InitEditor();
  // The editor stops at every line.
  bool DL100EditNext(const std::string&) { return true; }

  // A record layout: the template of a letter cut at its ",", and the
  // positions of its conversions among the line's fields.
  struct Layout {
    std::vector<std::string> parts;
    std::vector<size_t> conversions;
  };

 private:
  const Layout* LayoutOf(char letter) const;
  std::string Record(char letter, const std::vector<std::string>& values) const;
  std::string Closed(const std::string& record) const;
  void ShowMethod(const std::string& key) const;

  TGeraete& geraete_;
  TGeraeteFormat* format_;
  std::vector<std::pair<char, Layout>> layouts_;
  std::optional<Dl100EditorFields> editorFields_;
};

}  // namespace veltro
