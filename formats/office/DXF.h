// TdmDXF: points into AutoCAD DXF drawings, and points read back from DXF
// files of this program and of other programs and devices.
//
// A point is written as the current entity template: group code / value
// line pairs, as in a DXF file, whose value lines hold placeholders. The
// built-in template (24 lines) is a POINT at (Y, X, Z) and a TEXT with the
// point number 1 up and 1 right of it:
//
//     0  POINT    8 @LAY   10 @Y    20 @X    30 @Z
//     0  TEXT     8 @LAY   10 @Y+1  20 @X+1  30 @Z   40 @TG   1 @PNR
//
// @Y, @X, @Z (any case) make the whole value the coordinate plus the number
// left on the line (3 decimals, 4 with Messflags 0x2000); @PNR, @PA (the
// code; "@PAtext": text is the code of a point without one), @LAY and @TG
// (layer and text height of the options) are replaced where they stand.
// Templates are named sections of DXF.DEF in the DXF directory:
//
//     #Standard                a line beginning with '#' starts a section
//     * comment                '*' lines and empty lines are left out
//       0
//     POINT
//     ...
//
// Reading walks the ENTITIES section entity by entity: an entity of the
// template's first type starts a point, and each next entity of the
// template counts when it directly follows (the TEXT with the number). The
// values under the template's placeholder group codes become the point line
// "Punktnummer¦Y¦X¦Z¦Code" (the DXF Koordinaten layout) that KoordinatenRead
// reads; a point without number gets the running point counter.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/DecimalText.h"
#include "core/ReadWriteDaten.h"
#include "formats/office/DFDefs.h"

namespace veltro {

// A group code line: an integer with any blanks around it ("  0", "0",
// " 10 "); nullopt for anything else.
std::optional<int> ParseGroupCode(std::string_view line);

// The layer names DXF refuses: empty, or holding a control character or one
// of < > / \ " : ; ? * | = `.
bool IsValidLayerName(const std::string& name);
// A text height as written into the drawing: a positive number with '.' as
// separator ("1,8" gives "1.8"); nullopt for anything else.
std::optional<std::string> NormalisedTextHeight(const std::string& value);

// The section names of a DXF.DEF text: every line beginning with '#',
// without the '#' and trailing blanks.
std::vector<std::string> DefinitionSectionNames(const TextLines& def);

// A template read from a DXF.DEF section.
struct DefinitionSection {
  enum class State { Found, Missing, Broken };
  State state = State::Missing;
  TStringList lines;   // without empty and '*' lines
  size_t badLine = 0;  // Broken: the 1-based line of the file at fault
};
// The section whose marker line is exactly "#" + name (trailing blanks
// aside). Broken: an odd number of lines, a group code line that is no
// integer, or a first pair that does not start an entity (group 0).
DefinitionSection FindDefinitionSection(const TextLines& def, const std::string& name);

class TdmDXF : public TDataModule {
 public:
  // Creates the components and attaches the module to the DXF definition.
  explicit TdmDXF(TDFD& dfd);
  ~TdmDXF() override;

  TReadWriteDaten* Koordinaten;
  TReadWriteDaten* Neupunkte;
  TReadWriteDaten* Informationen;
  TReadWriteDaten* Stationen;
  TReadWriteDaten* Anschlusspunkte;
  TReadWriteDaten* Kommentare;

  // ---- Options (page "DXF_Blatt"; settings "DXF\Layer", "DXF\Font size",
  // "DXF\Definition") ------------------------------------------------------
  std::string Layer = "1";
  std::string Texthoehe = "1.8";
  std::string Definition;  // section of DXF.DEF; "" until read: GetText(116)

  // Sets the option of that settings name (any case); false when unknown.
  bool SetOption(const std::string& name, const std::string& value);
  // Reads the three options from the settings, the current values as default.
  void ReadOptions();
  // Layer and text height can be written; otherwise a message and false.
  bool CheckOptions() const;
  // The choices of the page: the section names of DXF.DEF, or GetText(116)
  // alone when it has none or cannot be read.
  std::vector<std::string> DefinitionNames() const;
  // Makes the chosen section the current template. A section that cannot be
  // used, or a chosen name DXF.DEF lacks, is reported; the built-in template
  // then applies.
  void SelectTemplate();
  // Options checked (writing) and template chosen: what a transfer needs.
  bool PrepareTransfer(bool writing);

  const TStringList& Template() const { return template_; }
  void SetTemplate(const TStringList& lines);
  static const TStringList& BuiltInTemplate();

  // ---- Handlers -------------------------------------------------------------
  std::string KoordinatenWrite(TDaten& Daten);
  std::string NeupunkteWrite(TDaten& Daten);
  void KoordinatenRead(const std::string& S, TDaten& Daten);
  void KoordinatenStatistik(const std::string& S, TTransferStatistik& State);
  // DXFFormat's test: the text fits the point line layout or holds "SECTION".
  bool IsKoordinatenText(const std::string& text) const;
  // Takes the loaded source as the work list and finds its ENTITIES section.
  void DXFBeforeLoad(bool IsLevel);
  // The next point of the work list as a point line; false at the end.
  bool DXFTransform(std::string& S);

 private:
  // A template pair reading takes a field from: the occurrence-th pair of
  // its code in the entity; field -1 for pairs without placeholder.
  struct ReadField {
    int code = 0;
    int occurrence = 0;
    int field = -1;
    std::optional<DecimalNumber> offset;  // of @Y+1 and the like
  };
  struct Entity {
    std::string name;  // the value of its group 0
    std::vector<ReadField> fields;
  };
  // A template pair as writing fills it in.
  struct WritePair {
    WritePair(size_t codeLine, const std::string& text);
    size_t line;                          // index of the group code line in the template
    int coordinate = -1;                  // 0 Y, 1 X, 2 Z
    std::optional<DecimalNumber> offset;  // nullopt: no number after the tag
    bool placeholders = false;            // @PNR, @PA, @LAY or @TG to replace
    std::string value;                    // "@PAtext" cut after "@PA"
    std::string defaultCode;              // that text
  };
  enum class PairState { Ok, End, Bad };
  // Pair index of the work list (after leading empty lines): its code and
  // trimmed value. Bad: the code line is no integer.
  PairState PairAt(size_t index, int& code, std::string_view& value) const;
  // The pair index of the next group 0 after the one at `at`.
  size_t NextEntity(size_t at) const;
  // Reads the entity at pair `at` with template entity e into the still
  // empty fields; answers the next entity's index.
  size_t ReadEntity(size_t at, const Entity& e, std::string (&fields)[5]) const;
  void ReportBadPair(size_t index);
  // The next point of the work list; false at the end of the entities.
  bool NextPoint(std::string& S);

  TDFD& dfd_;
  TDatenformatDefinitionen& def_;
  TStringList template_;
  std::vector<Entity> entities_;  // the template cut at its group 0 pairs
  std::vector<WritePair> writes_;

  // Reading state: the source lines, the first line of pair 0 and the pair
  // the next entity starts at.
  LineList work_;
  size_t base_ = 0;
  size_t next_ = 0;
  size_t points_ = 0;    // point lines answered since DXFBeforeLoad
  bool loaded_ = false;  // DXFBeforeLoad ran, the end not reached yet
  bool reading_ = false;
  bool utf8_ = false;  // the drawing's texts are UTF-8 ($ACADVER AC1021 and later)
};

}  // namespace veltro
