// Format descriptions: TDatenformatDefinitionen for office and CAD formats
// (all on the module TDFD) and TGeraeteFormat for instrument data formats
// (on the catalogue TGeraete). Both bind a record kind the same way: the
// description points at its module's TReadWriteDaten and at dmInit's
// TInitDaten for the selected kind.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/Components.h"
#include "core/ReadWriteDaten.h"
#include "core/TransDef.h"
#include "platform/LineList.h"

namespace veltro {

using TStringList = std::vector<std::string>;

using TNotifyFormatEvent = std::function<std::string(const std::string& S, const std::string& Buf)>;
using TNotifyAttributeEvent = std::function<std::string(std::string& Page)>;
using TNotifyTransformEvent = std::function<bool(std::string& S)>;
using TNotifyBeforeLoadEvent = std::function<void(bool IsLevel)>;
using TNotifyEvent = std::function<void()>;
using TNotifySetTDAEvent = std::function<std::string(TTransferDatenart TDA)>;

// What both kinds of description share: templates, file-name patterns and
// the currently bound kind.
class FormatDescriptor : public TComponent {
 public:
  std::string Caption;
  TStringList Informationen;
  TStringList Stationspunkt;
  TStringList Anschlusspunkt;
  TStringList Detailpunkt;
  TStringList Kommentare;
  std::string Koordinaten;
  std::string Punktcodes;
  TStringList Startdaten;
  TStringList Enddaten;
  TStringList Messdaten;
  std::string Ende;
  int Dateifilter = 0;
  bool Active = false;
  TTransferDatenart TransferDatenart = tdaInformation;
  TReadWriteDaten* ReadWrite = nullptr;  // not owned
  TInitDaten* Init = nullptr;            // not owned
  std::string KoordinatenDateiname;
  std::string MessungenDateiname;
  std::string PunktcodeDateiname;
  std::string QuerprofileDateiname;
  TNotifyFormatEvent OnFormat;
  TNotifySetTDAEvent OnSetTDA;

  // Where the editor component of the bound kind is kept; nullptr for
  // descriptions without one.
  virtual TComponent** EditBinding() { return nullptr; }
};

class TDatenformatDefinitionen : public FormatDescriptor {
 public:
  std::string Start;
  bool ListBox = false;
  bool UsedForLevels = false;
  TNotifyAttributeEvent OnAttribute;
  TNotifyTransformEvent OnTransform;
  TNotifyBeforeLoadEvent OnBeforeLoad;
  TNotifyEvent OnBeforeSave;
  TNotifyEvent OnAfterSave;
  // OnFormat reads its text argument (the source from the line on); when
  // false, the transfer hands it an empty text instead of building one per line.
  bool FormatReadsText = true;
};

class THersteller;  // maker, defined by the instrument catalogue

class TGeraeteFormat : public FormatDescriptor {
 public:
  std::string Datumsformat;
  std::string Uhrzeitformat;
  THersteller* Hersteller = nullptr;
  std::string Querprofile;
  bool KoordinatenUnit = false;
  bool NoTransPCtoInst = false;
  int Order = 0;
  TComponent* Edit = nullptr;  // editor component of the bound kind, not owned
  bool Modify = false;
  bool OEMConvert = false;
  bool MoreLine = false;
  std::string MainElement;
  TNotifyEvent OnSetup;
  TNotifyEvent OnInitWrite;
  TNotifyEvent OnAfterTrans;
  TNotifyEvent OnAfterRead;
  TNotifyEvent OnAfterWrite;
  TNotifyEvent OnBeforeWrite;
  TNotifyEvent OnInitEditor;
  std::function<TTransferDatenart(std::string& S)> OnGetDatenart;
  std::function<std::string(const std::string& Buffer)> OnPrepEditor;
  std::function<bool(const std::string& S)> OnEditNext;
  // A line that makes no record but belongs to the format (a header, a
  // version or frame line): it is read, not reported as "not read".
  std::function<bool(const std::string& S)> OnFrameLine;

  TComponent** EditBinding() override { return &Edit; }
};

// The process-wide data modules the transfer components are looked up on.
// They are created at start-up and live until the program ends; tests set
// their own.
TDataModule* DmInit();
void SetDmInit(TDataModule* module);
TDataModule* DFD();
void SetDFD(TDataModule* module);
TDataModule* DmEditDaten();
void SetDmEditDaten(TDataModule* module);

// The selection rule behind every OnSetTDA: binds ReadWrite to the last
// TReadWriteDaten of module for tda (TransferDatenart follows only when one
// matches) and Init to the last TInitDaten of dmInit for tda. With an editor
// module, Edit of an instrument format is bound the same way by the editor's
// own kind test. Returns the description's component name.
std::string SelectKind(FormatDescriptor& description, const TDataModule& module, TTransferDatenart tda);

// Binding test for editor components; installed by the record editor.
using EditorKindOf = bool (*)(const TComponent& component, TTransferDatenart tda);
void SetEditorKindTest(EditorKindOf test);

// The format-description operations. Each works on a module of
// descriptions; the forms without one use TDFD (DFD()).

// The last active TDatenformatDefinitionen. None active: the error box
// "Es ist kein Transferformat aktiv!" and the program ends with code 1.
TDatenformatDefinitionen& ActiveFormat();
TDatenformatDefinitionen& ActiveFormat(const TDataModule& dfd);
// Like ActiveFormat() but answers nullptr instead of ending the program.
TDatenformatDefinitionen* FindActiveFormat();
TDatenformatDefinitionen* FindActiveFormat(const TDataModule& dfd);
// Deactivates the active description, activates the given one, answers the
// one that was active (nullptr when none).
TDatenformatDefinitionen* ActivateFormat(TDatenformatDefinitionen& format);
TDatenformatDefinitionen* ActivateFormat(const TDataModule& dfd, TDatenformatDefinitionen& format);
// The description of that component name; its OnAttribute fills page and
// caption (both empty when not found or without handler).
TDatenformatDefinitionen* FindFormatByName(const std::string& name, std::string* page, std::string* caption);
TDatenformatDefinitionen* FindFormatByName(const TDataModule& dfd, const std::string& name, std::string* page,
                                           std::string* caption);
// Calls OnInit of every TInitDaten on dmInit in creation order.
void InitialiseAll(TDaten& daten);
// Component names of all descriptions, each followed by CR LF.
std::string ListFormats();
std::string ListFormats(const TDataModule& dfd);

// Recognition of a source: lines 0 to kRecognitionLines - 1 are offered to
// the description's OnFormat with the first kFormatBufferSize characters of
// the source; the first non-empty answer wins.
constexpr size_t kRecognitionLines = 50;
constexpr size_t kFormatBufferSize = 1024;
// Text of lines from index `from` on, joined with CR LF, cut to `limit` characters.
std::string TextFrom(const std::vector<std::string>& lines, size_t from, size_t limit);
std::string TextFrom(const LineList& lines, size_t from, size_t limit);
// The same text into buf, whose capacity is kept (a text per line read).
void TextFrom(const std::vector<std::string>& lines, size_t from, size_t limit, std::string& buf);
void TextFrom(const LineList& lines, size_t from, size_t limit, std::string& buf);
std::string RecogniseFormat(TDatenformatDefinitionen& format, const std::vector<std::string>& source);
std::string RecogniseFormat(TDatenformatDefinitionen& format, const LineList& source);
// RecogniseFormat with every description in component order; the first answer.
std::string RecogniseSource(const TDataModule& dfd, const std::vector<std::string>& source);
std::string RecogniseSource(const TDataModule& dfd, const LineList& source);

}  // namespace veltro
