// TdmGTS6: the field-computer formats of Topcon GTS-6, GTS-6x (wider
// coordinate fields) and FC-5. A record is one line of fields, each opened by
// "_" and a mark character:
//
//   _!JOB1_"MEIER_#GTS6_$08/12/26_%12_&1013        job information
//   _'S1_(MARK_)1.550                                station, code, instrument height
//   _+P7_ ?000123456m0981234045678 ..._*KERB_,1.600  observation: point, block, code, reflector
//   _+P7        _ x0001234567_ y0000765432_ z0000001000   coordinates (GTS-6)
//   _:001KERB                                        point code 1
//
// The observation block after "_ " starts with a letter that selects a
// fixed-width layout (templates 1 to 6 and 8 to 10 of the catalogue's
// Detailpunkt list); FC-5 also writes whole lines "_+P7_ a..._ b..._ c...".
// Numbers are integers whose last digits are decimals. A "`" erases the
// field text before it. Downloads may come framed in blocks:
//
//   STX <data, cutting records anywhere> <4-char block check> ETX LF STX ... EOT
//
// GtsPrepareStream turns such a text into one record per line.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

#include "core/Components.h"
#include "core/DatenformatDefinitionen.h"
#include "core/EditorPanels.h"
#include "core/ReadWriteDaten.h"
#include "core/TransDef.h"

namespace veltro {

class TGeraete;

// Templates of the three formats.
struct Gts6Templates {
  const char* Informationen;
  const char* Stationspunkt;
  const char* Koordinaten;
  const char* Punktcodes;
  const char* Detailpunkt[11];
};
const Gts6Templates& Gts6FormatTemplates();
const Gts6Templates& Gts6xFormatTemplates();
const Gts6Templates& Fc5FormatTemplates();

// Record kind of a line under a file tag: coordinate tags ("kGTS6",
// "kGTS6x", "kFC5") take only "_+" lines, the point-code tag "pGTS6" only
// "_:" lines; otherwise the second character decides: "!" information,
// "'" station, "+" new point. Everything else is tdaNone.
TTransferDatenart GtsLineKind(const std::string& tag, const std::string& line);

// One record per line out of a received text whose detected tag is a
// GTS-6, GTS-6x or FC-5 coordinate or measurement tag (any other text comes
// back unchanged): noise before the first STX dropped; block frames (block
// check, ETX, line feed, STX) removed; the last block ended at its fill
// ("_" and blanks) or its block check; a line break before every "_!",
// "_'", "_+" and EOT that does not start a line already. Linear in the text.
std::string GtsPrepareStream(std::string text);
// The same, handing the prepared text to piece part by part, in order; the
// text is worked on in place, so no second copy of it is made.
void GtsPrepareStream(std::string text, const std::function<void(std::string_view)>& piece);
// The formats whose received text GtsPrepareStream prepares: FC5, GTS6, GTS6x.
bool IsGtsStreamFormat(const std::string& formatName);

// A line as the readers take it: a trailing CR and LF removed, then every
// erase mark "`" removed with the text before it back to the field mark
// ("_" and its character) of its field, or back to the line start when no
// field mark precedes it.
std::string GtsCleanLine(const std::string& line);

// The record editor's panels for a text of this family: the coordinate and
// observation pictures follow the file tag ("kFC5" takes a code, "kGTS6x"
// and "dGTS6x" wider coordinates, "dFC5" an unsigned slope distance).
std::vector<EditorPanelSpec> Gts6EditorPanels(const std::string& tag, const TGeraeteFormat& format);

class TdmGTS6 : public TDataModule {
 public:
  // Creates the components, fills the templates of the catalogue's formats
  // FC5, GTS6 and GTS6x and binds their handlers. The catalogue must outlive
  // the module.
  explicit TdmGTS6(TGeraete& geraete);
  ~TdmGTS6() override;

  TReadWriteDaten* Koordinaten;
  TReadWriteDaten* Punktcodes;
  TReadWriteDaten* Informationen;
  TReadWriteDaten* Stationen;
  TReadWriteDaten* Neupunkte;
  TReadWriteDaten* Kommentare;

  void KoordinatenRead(const std::string& S, TDaten& Daten);
  std::string KoordinatenWrite(TDaten& Daten);
  void KoordinatenStatistik(const std::string& S, TTransferStatistik& State);
  void PunktcodesRead(const std::string& S, TDaten& Daten);
  std::string PunktcodesWrite(TDaten& Daten);
  void PunktcodesStatistik(const std::string& S, TTransferStatistik& State);
  void InformationenRead(const std::string& S, TDaten& Daten);
  std::string InformationenWrite(TDaten& Daten);
  void StationenRead(const std::string& S, TDaten& Daten);
  std::string StationenWrite(TDaten& Daten);
  void StationenStatistik(const std::string& S, TTransferStatistik& State);
  void NeupunkteRead(const std::string& S, TDaten& Daten);
  std::string NeupunkteWrite(TDaten& Daten);
  void NeupunkteStatistik(const std::string& S, TTransferStatistik& State);
  std::string KommentareWrite(TDaten& Daten);

  // Catalogue handlers (the GTS6x and FC5 ones act on their own format).
  std::string Format(TGeraeteFormat& format, const std::string& S, const std::string& Buf);
  // Coordinate upload: the header lines "F00F000" and
  // "TOPCON    +00001.000000100000-00" before the first coordinate.
  void InitWrite(TGeraeteFormat& format);
  // Coordinate upload: the header line gets the count of coordinate lines
  // after it (4 digits) and "S"; pass-through: a last EOT line removed.
  void AfterTrans(TGeraeteFormat& format);
  TTransferDatenart GetDatenart(std::string& S);
  std::string SetTDA(TGeraeteFormat& format, TTransferDatenart kind);
  std::string PrepEditor(const std::string& Buffer) { return GtsPrepareStream(Buffer); }
  bool EditNext(const std::string&) { return true; }
  // FC5InitEditor, GTS6InitEditor, GTS6xInitEditor.
  void InitEditor(TGeraeteFormat& format);

 private:
  // The last observation block this module cut: its template index, fields
  // and the unit letters at the template's letter positions.
  struct LastBlock {
    int templ = -1;
    std::vector<std::string> fields;
    std::string letters;
    // The block text and its template; fields and letters not yet taken
    // from them while pending.
    std::string block;
    std::string layout;
    bool pending = false;
  };

  // The current format's observation templates as the readers and writers
  // use them: template 0 without GTS-6x's "[", blocks without their "[",
  // and the block template of each block letter.
  struct Layouts {
    const TGeraeteFormat* format = nullptr;
    TStringList source;
    std::string outer;
    std::vector<std::string> blocks;
    // Offsets and widths of the fields of each block of sized fields only.
    std::vector<std::optional<std::vector<std::pair<size_t, size_t>>>> spans;
    std::array<int, 256> rowOfLetter{};
  };

  TGeraeteFormat& CurrentFormat() const;
  bool IsGts6x() const;
  const std::string& Template(int index) const;
  const Layouts& CurrentLayouts();
  void ReadBlock(const Layouts& layouts, std::string_view block, TPunkt& p);
  std::optional<std::string> WriteBlock(TDaten& Daten, int row);
  void TakeLastBlock();

  TGeraete& geraete_;
  TGeraeteFormat* fc5_;
  TGeraeteFormat* gts6_;
  TGeraeteFormat* gts6x_;
  LastBlock last_;
  Layouts layouts_;
  struct ReadScratch;
  std::unique_ptr<ReadScratch> scratch_;
};

}  // namespace veltro
