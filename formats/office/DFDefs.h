// TDFD: the data module of the office and CAD format descriptions. It holds
// one TDatenformatDefinitionen per format, in this component order (the
// order in which lists and recognition walk them):
//
//   Editor, ASCII, CPlan, DXF, Geos, Geotop, Homere, LTOP, NewFormat, OSQUSO,
//   SBB, TopoCad, Bonjour, Caddy, Original, CSV, GeoJSON, GPX, KML, LandXML
//
// and binds their events to its handlers: <Name>Attribute answers the option
// page and caption, <Name>Format recognises a source line through the format
// module's recogniser, <Name>SetTDA applies the common SetTDA rule to the
// format module, plus the file hooks of DXF, NewFormat, SBB and TopoCad.
//
// Each format module attaches itself to its definition when it is created
// (AttachModule). A definition without its module recognises nothing and
// has no reader or writer, which the engine reports as "not supported".
#pragma once

#include <functional>
#include <map>
#include <string>

#include "core/DatenformatDefinitionen.h"
#include "platform/TextFile.h"

namespace veltro {

// What a definition asks of its format module. Every hook is optional.
struct OfficeModuleHooks {
  // The module's recogniser: the line is a coordinate line of the format.
  // DXF gets the text (the source from the line on) instead of the line.
  std::function<bool(const std::string& line)> isKoordinate;
  // Instead of isKoordinate, for recognisers that also look at the source
  // text handed to the Format handler.
  std::function<bool(const std::string& line, const std::string& text)> isKoordinateIn;
  // Editor only: the line is a point-code line.
  std::function<bool(const std::string& line)> isPunktcode;
  // NewFormat, Original: the whole classification (answers the name or "").
  TNotifyFormatEvent format;
  // DXF, NewFormat: before the source is read.
  TNotifyBeforeLoadEvent beforeLoad;
  // DXF: the next line generated from the source.
  TNotifyTransformEvent transform;
  // NewFormat: the line begins with one of the comment markers.
  std::function<bool(const std::string& line)> isComment;
  // Document formats (CSV, GeoJSON, GPX, KML, LandXML): the head before the
  // first record and the end after the last.
  std::function<void()> beforeSave;
  std::function<void()> afterSave;
};

class TDFD : public TDataModule {
 public:
  // Creates the twenty definitions and registers the module as DFD().
  TDFD();
  ~TDFD() override;

  TDatenformatDefinitionen* Editor;
  TDatenformatDefinitionen* ASCII;
  TDatenformatDefinitionen* CPlan;
  TDatenformatDefinitionen* DXF;
  TDatenformatDefinitionen* Geos;
  TDatenformatDefinitionen* Geotop;
  TDatenformatDefinitionen* Homere;
  TDatenformatDefinitionen* LTOP;
  TDatenformatDefinitionen* NewFormat;
  TDatenformatDefinitionen* OSQUSO;
  TDatenformatDefinitionen* SBB;
  TDatenformatDefinitionen* TopoCad;
  TDatenformatDefinitionen* Bonjour;
  TDatenformatDefinitionen* Caddy;
  TDatenformatDefinitionen* Original;
  TDatenformatDefinitionen* CSV;
  TDatenformatDefinitionen* GeoJSON;
  TDatenformatDefinitionen* GPX;
  TDatenformatDefinitionen* KML;
  TDatenformatDefinitionen* LandXML;

  // Binds a format module (not owned; it outlives its use here).
  void AttachModule(TDatenformatDefinitionen& definition, TDataModule& module, OfficeModuleHooks hooks);
  // Unbinds a module that goes away before TDFD.
  void DetachModule(TDatenformatDefinitionen& definition);
  TDataModule* ModuleOf(const TDatenformatDefinitionen& definition) const;

  // ---- Operations -----------------------------------------------------------
  // Component names, each followed by CR LF.
  std::string FormatList() const;
  // OnAttribute of the definition of exactly that name; false when none.
  bool Attribute(const std::string& name, std::string& page, std::string& caption) const;
  // The last active definition; none: "Es ist kein Transferformat aktiv!"
  // and the program ends with exit code 1.
  TDatenformatDefinitionen& Active() const;
  // Makes definition the only active one; answers the previous (or nullptr).
  TDatenformatDefinitionen* Activate(TDatenformatDefinitionen& definition);
  void Remember();
  void Restore();
  // The definition's OnFormat on lines 0 to 49 of the source with the first
  // 1024 characters of the source text; the first non-empty answer.
  std::string Recognise(TDatenformatDefinitionen& definition, const TextLines& source) const;
  // Recognise with each definition in component order; the first answer.
  std::string RecogniseSource(const TextLines& source) const;
  // The template format's comment markers.
  bool IsComment(const std::string& line) const;
  // Stores GetText(Dateifilter) of every definition as "<path><Name>\File filter".
  void RegisterFileFilters(const std::string& path) const;

  // The common SetTDA rule: ReadWrite := the module's TReadWriteDaten of
  // kind (kind follows when one is found), Init := dmInit's TInitDaten of
  // kind; answers the definition's name.
  std::string SetTDA(TDatenformatDefinitionen& definition, TTransferDatenart kind);

  // ---- Handlers that differ from their family ---------------------------------
  std::string EditorFormat(const std::string& S, const std::string& Buf);
  std::string CPlanFormat(const std::string& S, const std::string& Buf);
  std::string DXFFormat(const std::string& S, const std::string& Buf);
  std::string NewFormatFormat(const std::string& S, const std::string& Buf);
  std::string OriginalFormat(const std::string& S, const std::string& Buf);

  // The DXF file frame from HEAD.DXF and END.DXF of the DXF directory.
  void DXFBeforeSave();
  void DXFAfterSave();
  void DXFBeforeLoad(bool IsLevel);
  bool DXFTransform(std::string& S);
  void NewFormatBeforeLoad(bool IsLevel);
  // Reads the SBB code file into the code string.
  void SBBBeforeSave();
  // The Topocad header (Start) for coordinate files.
  void TopoCadBeforeSave();
  void TopoCadBeforeLoad(bool IsLevel);

  // The DXF directory: setting "DXFPath", default installation directory + "DXF".
  std::string DXFDirectory() const;
  // A file of the DXF directory by its name in any letter case; "" when
  // there is none.
  std::string DXFFile(const std::string& name) const;

  // ---- SBB code list ----------------------------------------------------------
  // The code file named on the SBB option page.
  std::string SBBCodeFile;
  // Upper-cased codes, each followed by ";" (filled by SBBBeforeSave).
  std::string SBBCodes;
  // code, trimmed and upper-cased, is one of the codes (whole codes only).
  bool IsSBBCode(const std::string& code) const;

 private:
  struct Binding {
    TDataModule* module = nullptr;
    OfficeModuleHooks hooks;
  };
  const Binding* BindingOf(const TDatenformatDefinitionen& definition) const;
  std::string GenericFormat(TDatenformatDefinitionen& definition, const std::string& line,
                            const std::string& text = {});
  static bool IsKoordinate(const Binding& b, const std::string& line, const std::string& text);
  std::string TopoCadHeader() const;
  // Binds the file events of a document format to its module's hooks.
  void BindDocumentEvents(TDatenformatDefinitionen& definition);

  std::map<const TDatenformatDefinitionen*, Binding> bindings_;
  TDataModule noModule_;
  TDatenformatDefinitionen* remembered_ = nullptr;
};

}  // namespace veltro
