// TdmNewFormat: the template format "NewFormat". Records are written into and
// read from the user's line templates (formats/office/TemplateDefinition.h):
//
//   template  [PPPPPPPP];[YYYYY.YY];[XXXXX.XX]
//   fixed     12        ;600000.500;200000.250
//   free      12;600000.500;200000.250
//
// Every record kind is written (the section by kind, measurements by their
// letter 'f' to 'n'); coordinates, levelling coordinates, cross sections and
// point codes are read back. A fixed-position template keeps its columns
// (unused positions become blanks); a free one removes them, so the literal
// text between fields separates the values. Numbers are scaled by 10^unit
// as a decimal shift and rounded half away from zero.
#pragma once

#include <string>
#include <vector>

#include "core/ReadWriteDaten.h"
#include "formats/office/DFDefs.h"
#include "formats/office/TemplateDefinition.h"

namespace veltro {

class TGeraete;

// The outcome of loading a .Format file.
enum class TemplateLoad { Loaded, Declined, Failed };

class TdmNewFormat : public TDataModule {
 public:
  // Creates the components and attaches the module to the NewFormat
  // definition; geraete answers whether a levelling instrument is selected.
  TdmNewFormat(TDFD& dfd, TGeraete& geraete);
  ~TdmNewFormat() override;

  TReadWriteDaten* Koordinaten;
  TReadWriteDaten* Querprofile;
  TReadWriteDaten* Punktcodes;
  TReadWriteDaten* NivKoordinaten;
  TReadWriteDaten* Informationen;
  TReadWriteDaten* Stationen;
  TReadWriteDaten* Anschlusspunkte;
  TReadWriteDaten* Neupunkte;
  TReadWriteDaten* Kommentare;
  TReadWriteDaten* Enddaten;
  TReadWriteDaten* Startdaten;
  TReadWriteDaten* Messdaten;
  TReadWriteDaten* NivKommentare;

  // The current definition, its name and the field letters, shared with the
  // format definition editor. Writing and reading take title lines off the
  // templates once they are written or skipped.
  TemplateDefinition Definition;
  std::string DefinitionName;
  FieldLetters Letters = FieldLetters::Default();

  // ---- Operations of the main window, the editor and the converter ----------------
  // Before a transfer: the letters from "Controlcodes" and the definition of
  // that name from the settings. No name: text 213; an unusable or unknown
  // name: its message; false in each case (the transfer does not start).
  bool LoadForTransfer(const std::string& name);
  // Reads a .Format file with the current letters. A damaged file, an unusable
  // name or a refused replacement (text 266) loads nothing; otherwise the
  // definition becomes current and is stored in the settings under its name.
  // A stored definition that equals the file's is taken without asking.
  // name (optional) receives the definition's name as the file holds it.
  TemplateLoad LoadFromFile(const std::string& path, std::string* name = nullptr);
  // Writes "<name>.Format" into directory (the format directory when empty)
  // and shows text 33; no name: text 213.
  bool SaveToFile(const std::string& directory = {});
  // Stores the current definition under its name (text 213 without one).
  bool SaveToSettings();

  // ---- Handlers ------------------------------------------------------------------
  void KoordinatenRead(const std::string& S, TDaten& Daten);
  void NivKoordinatenRead(const std::string& S, TDaten& Daten);
  void QuerprofileRead(const std::string& S, TDaten& Daten);
  void PunktcodesRead(const std::string& S, TDaten& Daten);
  void KommentareRead(const std::string& S, TDaten& Daten);
  std::string KoordinatenWrite(TDaten& Daten);
  std::string QuerprofileWrite(TDaten& Daten);
  std::string PunktcodesWrite(TDaten& Daten);
  std::string InformationenWrite(TDaten& Daten);
  std::string StationenWrite(TDaten& Daten);
  std::string AnschlusspunkteWrite(TDaten& Daten);
  std::string NeupunkteWrite(TDaten& Daten);
  std::string StartdatenWrite(TDaten& Daten);
  std::string MessdatenWrite(TDaten& Daten);
  std::string EnddatenWrite(TDaten& Daten);
  std::string NivKommentareWrite(TDaten& Daten);
  std::string KommentareWrite(TDaten& Daten);
  void KoordinatenStatistik(const std::string& S, TTransferStatistik& State);
  void NivKoordinatenStatistik(const std::string& S, TTransferStatistik& State);
  void QuerprofileStatistik(const std::string& S, TTransferStatistik& State);
  void PunktcodesStatistik(const std::string& S, TTransferStatistik& State);

  // NewFormatFormat: the kind of a source line (comment, or the first
  // template that matches text), bound through SetTDA; the definition's
  // name, or "" when nothing matches.
  std::string Format(const std::string& line, const std::string& text);
  // A non-empty comment marker begins the line.
  bool IsComment(const std::string& line);
  // Whether the section's template matches the first data line of text.
  bool Matches(int section, const std::string& text);
  // NewFormatBeforeLoad: the title lines of the section that is read are
  // taken off the source lines and off the template.
  void BeforeLoad(bool IsLevel);

 private:
  struct Run {
    std::vector<unsigned> positions;  // offsets in the record template, follow pieces included
    int decimals = 0;                 // positions after the '.'
    bool left = false;                // opened with '<'
    bool right = false;               // closed with '>'
  };
  struct Token {
    int field = -1;  // -1: literal text
    int occurrence = 0;
    std::string text;  // literal
  };
  // A section's template parsed once per definition.
  struct Parsed {
    bool valid = false;
    std::string source;  // the template and letters it was parsed from
    std::string letters;
    int titleLines = 0;
    std::string title;  // the title lines, CR LF between them ("" when all are empty)
    std::string text;   // the record template, CR LF between its lines
    int lineCount = 0;
    std::vector<unsigned> lineOf;  // line of each offset
    std::vector<unsigned> lineStart;
    std::vector<char> fill;                  // offsets blanked before the values are placed
    std::vector<std::vector<Run>> runs;      // per field, every occurrence
    std::vector<std::vector<Token>> tokens;  // per line, for the free layout
  };

  const Parsed& ParsedSection(int section);
  void Parse(int section, Parsed& p) const;
  // The output of one record of the section ("" nothing, "Error" failure).
  std::string WriteSection(int section, const TDaten& Daten);
  // Cuts the record's field texts out of the source text (lines CR LF separated).
  std::vector<std::string> ReadSection(int section, const std::string& S);
  // Joins the continuation lines of a multi-line template to S.
  std::string WithContinuation(int section, const std::string& S, TDaten& Daten);
  void ReadPunkt(int section, const std::string& S, TDaten& Daten);
  void TakeTitleLines(int section);
  bool LevellingInstrument() const;

  TDFD& dfd_;
  TGeraete& geraete_;
  TDatenformatDefinitionen& def_;
  std::vector<Parsed> parsed_;
  std::string markerSource_;  // the comment markers split once
  std::vector<std::string> markers_;
  // Per-record buffers of the writer.
  std::string outBuf_;
  std::vector<char> fillBuf_;
};

}  // namespace veltro
