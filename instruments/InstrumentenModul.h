// The instrument catalogue TGeraete: every maker, instrument type, instrument
// model and instrument data format the program serves, as components with
// their shipped property values, in a fixed creation order (makers, types,
// instruments, formats). That order is the order of menus and lists, of the
// search for the current instrument and of the per-maker TabOrder numbering.
//
// The catalogue also owns the choice of the current instrument, the
// persistence of each instrument's settings (one settings key per
// instrument), the menus and selection lists grouped by maker (as plain data
// that the windows show), the coordinate offsets and the OEM conversion.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/Components.h"
#include "core/DatenformatDefinitionen.h"
#include "core/Transfer.h"
#include "instruments/Communication.h"

namespace veltro {

// A picture stored with a component. Only its resource name is kept here;
// the windows supply the image. Empty: no picture of its own.
struct TPicture {
  std::string Resource;
  bool Empty() const { return Resource.empty(); }
};

// Instrument type: total station, level, GPS receiver.
class TInstrumententyp : public TComponent {
 public:
  std::string Caption;
  InstrumentKind Kind = InstrumentKind::Tachymeter;
  TPicture OriginalPicture;  // shown on the main window's source side
  TPicture TransferPicture;  // shown on the transfer side
};

// ---- Menus and selection lists as plain data ---------------------------------

struct TMenuItem;
using TMenuClick = std::function<void(const TMenuItem& item)>;

struct TMenuItem {
  std::string Name;
  std::string Caption;
  bool Enabled = true;
  TMenuClick OnClick;
  std::vector<TMenuItem> Items;  // a submenu when not empty
};

struct TPopupMenu {
  std::vector<TMenuItem> Items;
};

struct TRadioButton;
using TRadioClick = std::function<void(const TRadioButton& button)>;

struct TRadioButton {
  std::string Name;
  std::string Caption;
  TRadioClick OnClick;
  int TabOrder = 0;
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

struct TGroupBox {
  std::string Name;
  std::vector<TRadioButton> Controls;
};

struct TTabSheet {
  std::string Name;
  bool TabVisible = true;
  std::vector<TGroupBox> GroupBoxes;
};

struct TPageControl {
  std::vector<TTabSheet> Pages;
};

// The pages of the instrument selection dialog in maker Order: "tsTopcon"
// with the group boxes "IWTopcon" (instruments) and "DFTopcon" (formats), and
// so on; the Magellan page holds "IWTavrin" and "DFTavrin".
TPageControl MakeSelectionPages();

// Maker. Its three events are bound to the hs<Maker>... handlers of TGeraete.
class THersteller : public TComponent {
 public:
  std::string MenuName;     // component name of the maker's submenu
  std::string MenuCaption;  // caption of that submenu; finds the maker of a clicked item
  int Order = 0;            // page of the maker in the selection dialog
  std::function<void(TPopupMenu& PopupMenu, const TMenuClick& OnClick)> OnCreatePopupMenu;
  std::function<void(TPopupMenu& DatenformatMenu, const TMenuClick& OnClick)> OnDatenformatMenu;
  std::function<void(TGroupBox& gbInstrument, TGroupBox& gbDatenformat, const TRadioClick& itOnClick,
                     const TRadioClick& dfOnClick)>
      OnCreateTWListen;
};

// The mark of the current instrument: a bool that counts its changes, so
// that the catalogue keeps the current instrument from one change to the next.
class TActiveMark {
 public:
  TActiveMark() = default;
  TActiveMark(const TActiveMark&) = default;
  TActiveMark& operator=(bool on) {
    if (on != on_) {
      on_ = on;
      ++changes_;
    }
    return *this;
  }
  TActiveMark& operator=(const TActiveMark& other) { return *this = other.on_; }
  operator bool() const { return on_; }
  // Changes of any mark so far.
  static std::uint64_t Changes() { return changes_; }

 private:
  bool on_ = false;
  static inline std::uint64_t changes_ = 0;
};

// Instrument model. Defaults are the construction defaults; the catalogue
// sets what differs.
class TInstrument : public TComponent {
 public:
  std::string Caption;       // shown in menus and lists; the key by which the user selects it
  TPicture OriginalPicture;  // replace the type's pictures when not empty
  TPicture TransferPicture;
  int CmdStrTag = 0;  // text number of the key-sequence instructions; 0 = none
  THersteller* Hersteller = nullptr;
  TInstrumententyp* Instrumententyp = nullptr;
  std::string InstrumentDLL;  // base name of the instrument library; "" = "Dummy"
  TPort Port = tptNone;
  TBaudRate BaudRate = tbr9600;
  TParity Parity = tpNone;
  TDataBits DataBits = tdbEight;
  TStopBits StopBits = tsbOne;
  TFlowControl FlowControl = tfcNone;
  TEndofLine EndofLine = teolCRLF;
  TGeraeteFormat* GeraeteFormat = nullptr;  // current data format
  std::uint32_t Lesezeit = 2000;            // read time-out, ms
  std::uint32_t Schreibzeit = 2000;         // write time-out, ms
  std::uint32_t WaitAfterCmd = 0;           // pause after opening before the first command, ms
  TValidBaudRate ValidBaudRate;             // the settings the instrument accepts
  TValidDataBits ValidDataBits;
  TValidStopBits ValidStopBits;
  TValidParity ValidParity;
  TValidFlowControl ValidFlowControl;
  TValidEndofLine ValidEndofLine;
  std::string ValidGeraeteFormate;  // ";"-separated names of the formats it may switch to
  // Transfer option code: the last two decimal digits select the operation
  // (2 projects, 3 code lists); added to the start code of a remote transfer.
  int TransferMethode = 0;
  int Dateifilter = 0;      // text number of the file-dialog filter
  int TabOrder = 0;         // position among the instruments of its maker
  TActiveMark Active;       // the current instrument
  bool NoNewTrans = false;  // an announced change of format does not end a receive
  TNotifyEvent OnSetup;     // instrument-specific set-up before a transfer

  // Decimal offsets added to Y and X coordinates ("0" as shipped).
  const std::string& OffsetY() const { return offsetY_; }
  const std::string& OffsetX() const { return offsetX_; }
  // Stores an offset: blanks trimmed, an empty text becomes "0". A text that
  // is not a plain decimal number (optional sign, digits, at most one ".")
  // is refused: the stored offset stays and the answer is false.
  bool SetOffsetY(const std::string& text);
  bool SetOffsetX(const std::string& text);
  static bool IsValidOffset(const std::string& text);

  // The pictures to show: the model's own, else the type's.
  const TPicture& ShownOriginalPicture() const;
  const TPicture& ShownTransferPicture() const;

 private:
  std::string offsetY_ = "0";
  std::string offsetX_ = "0";
};

// ---- Library binding seam ------------------------------------------------------

// What the catalogue asks of the instrument library binding when the current
// instrument changes. Default: nothing is loaded.
class InstrumentLibraryHooks {
 public:
  virtual ~InstrumentLibraryHooks() = default;
  virtual void CloseConnection() {}
  virtual void FreeCoordinateSystemLibrary() {}
  virtual void FreeInstrumentLibrary() {}
  // path: the library file, or the unresolved name when it is missing (the
  // load then fails and leaves no handle).
  virtual void LoadInstrumentLibrary(const std::string& /*path*/) {}
  // A library call is on the stack (its wait runs the message pump): the
  // instrument must not change now.
  virtual bool LibraryCallRunning() const { return false; }
};

// ---- Handler bindings ------------------------------------------------------------

enum class FormatEvent {
  OnFormat,
  OnSetup,
  OnInitWrite,
  OnAfterTrans,
  OnAfterRead,
  OnAfterWrite,
  OnBeforeWrite,
  OnGetDatenart,
  OnSetTDA,
  OnPrepEditor,
  OnInitEditor,
  OnEditNext,
};
constexpr int kFormatEventCount = 12;
const char* FormatEventName(FormatEvent event);

// Handlers an instrument format module binds to its TGeraeteFormat; empty
// members are left alone.
struct GeraeteFormatHandlers {
  TNotifyFormatEvent OnFormat;
  TNotifyEvent OnSetup;
  TNotifyEvent OnInitWrite;
  TNotifyEvent OnAfterTrans;
  TNotifyEvent OnAfterRead;
  TNotifyEvent OnAfterWrite;
  TNotifyEvent OnBeforeWrite;
  std::function<TTransferDatenart(std::string& S)> OnGetDatenart;
  TNotifySetTDAEvent OnSetTDA;
  std::function<std::string(const std::string& Buffer)> OnPrepEditor;
  TNotifyEvent OnInitEditor;
  std::function<bool(const std::string& S)> OnEditNext;
  // Not a catalogue event: bound whenever given.
  std::function<bool(const std::string& S)> OnFrameLine;
};

// ---- The catalogue -----------------------------------------------------------------

// Kinds of ApplyOffset.
enum : int { kOffsetAddY = 0, kOffsetAddX = 1, kOffsetRemoveY = 2, kOffsetRemoveX = 3 };

// Shown when no instrument library is installed at all.
inline constexpr const char* kNoInstrumentText = "Es ist kein Instrument aktiv!";

// Component name of the pass-through format, whose file filter follows the
// current instrument's format.
inline constexpr const char* kNativeFormatComponent = "Original";

// Value names of the per-instrument settings, in reading and writing order.
inline constexpr const char* kRegPort = "Port";
inline constexpr const char* kRegBaud = "Baud";
inline constexpr const char* kRegParity = "Parity";
inline constexpr const char* kRegDatabits = "Databits";
inline constexpr const char* kRegStopbits = "Stopbits";
inline constexpr const char* kRegProtocol = "Protocol";
inline constexpr const char* kRegTerminate = "Terminate";
inline constexpr const char* kRegDataFormat = "Data format";
inline constexpr const char* kRegOffsetY = "OffsetY";
inline constexpr const char* kRegOffsetX = "OffsetX";
inline constexpr const char* kRegTransferOptions = "Transfer Options";
inline constexpr const char* kRegActive = "Active";
inline constexpr const char* kRegOEMConvert = "OEMConvert";
inline constexpr const char* kRegReadTime = "ReadTime";
inline constexpr const char* kRegWriteTime = "WriteTime";
inline constexpr const char* kRegFileFilter = "File filter";

// Read and write time-outs accepted from the settings, ms.
constexpr std::uint32_t kMaxTimeoutMs = 3600000;
// Largest transfer option code accepted from the settings.
constexpr int kMaxTransferMethode = 999999;

// Text numbers of the port-settings explanation.
enum : int {
  kTextPortSettingsTitle = 63,
  kTextPortSettingsHint = 221,
  kTextPortSettingsInstrument = 348,
  kTextValidBaudRates = 342,
  kTextValidDataBits = 343,
  kTextValidStopBits = 344,
  kTextValidParities = 345,
  kTextValidFlowControls = 346,
  kTextValidLineEnds = 347,
  kTextParityNames = 140,
  kTextFlowControlNames = 141,
  kTextLineEndNames = 146,
};

class TGeraete : public TDataModule {
 public:
  // Creates every component with its shipped values. installationDirectory
  // is where the instrument libraries lie; empty: the program's installation
  // directory.
  explicit TGeraete(std::string installationDirectory = {});
  // Writes the settings back (GeraeteDestroy).
  ~TGeraete() override;

  std::string InstallationDirectory() const;
  void SetInstallationDirectory(std::string directory) { installationDirectory_ = std::move(directory); }

  // Components by name (nullptr when there is none of that class).
  THersteller* Maker(const std::string& name) const;
  TInstrumententyp* Type(const std::string& name) const;
  TInstrument* Instrument(const std::string& name) const;
  TGeraeteFormat* Format(const std::string& name) const;

  // The last active instrument in creation order; with none active,
  // ActivateFirstInstrument().
  TInstrument& CurrentInstrument();
  // Activates and answers the first instrument whose library is installed.
  // With none: the error box kNoInstrumentText, then the program ends with 1.
  TInstrument& ActivateFirstInstrument();
  bool IsCurrentInstrument(const TInstrument& instrument);

  // "X.DLL" for X, "Dummy.DLL" for "".
  static std::string InstrumentLibraryName(const std::string& instrumentDLL);
  // The instrument's library file in the installation directory (the
  // platform's file for that name, see platform/DynamicLibrary.h); "" when it
  // is not installed.
  std::string LibraryFile(const TInstrument& instrument) const;
  bool LibraryInstalled(const TInstrument& instrument) const { return !LibraryFile(instrument).empty(); }

  // Reads the persisted settings of every instrument (numbering TabOrder on
  // the way) and loads the current instrument's library.
  void LoadSettings();
  // Writes the settings of every instrument back, when the program's own
  // settings key exists.
  void GeraeteDestroy();
  // Reads the persisted settings of every instrument without touching any
  // library (tools that choose the format themselves).
  void ReadSettingsOnly();
  // False: the destructor leaves the settings store alone (tools).
  bool WriteBackOnDestroy = true;

  // Makes the instrument with exactly that caption current: closes an open
  // connection, frees the coordinate-system and instrument libraries and
  // loads the new one. A caption that matches nothing leaves none active.
  // Refused (false, nothing changed) while a library call is running.
  bool SelectInstrument(const std::string& caption);

  // The last format whose component name (or Caption) equals name; FC5 when
  // none does.
  TGeraeteFormat& FindGeraeteFormat(const std::string& name, bool byComponentName);
  // The current instrument's format, or the viewer's while it is shown.
  TGeraeteFormat& CurrentGeraeteFormat();
  // Installs the viewer's answer: its format while shown, else nullptr.
  void SetViewerFormat(std::function<TGeraeteFormat*()> viewerFormat) { viewerFormat_ = std::move(viewerFormat); }

  // Whether the current settings lie in the accepted sets; when not,
  // message holds the explanation for the user.
  bool CheckPortSettings(std::string& message);
  // Settings three instruments force (itGTS700, itFS2, itDL100).
  void AdjustPortSettings();

  // Adds (kind 0 Y, 1 X) or removes (2 Y, 3 X) the current instrument's
  // offset on a coordinate text; the result has the decimals of whichever
  // term has more, an exponent form is read as its value. An empty or
  // non-numeric text comes back unchanged.
  std::string ApplyOffset(const std::string& text, int kind);
  // Code-page conversion when the current format's OEMConvert is set.
  std::string OemToAnsiText(const std::string& text);
  std::string AnsiToOemText(const std::string& text);

  // Menus of the main window.
  void CreatePopupMenus(TPopupMenu& popupMenu, const TMenuClick& onClick);
  void BuildInstrumentMenu(TPopupMenu& popupMenu, THersteller& maker, const std::string& itemPrefix,
                           const TMenuClick& onClick);
  void BuildDatenformatMenu(TPopupMenu& menu, THersteller& maker, const TMenuClick& onClick);
  // A click on an instrument item: parentCaption is the caption of the
  // maker submenu holding it.
  void InstrumentMenuClick(const std::string& parentCaption, const std::string& itemCaption, TPopupMenu& formatMenu,
                           const TMenuClick& onClick);

  // Lists of the instrument selection dialog.
  void CreateTWListen(TPageControl& pageControl, const TRadioClick& itOnClick, const TRadioClick& dfOnClick);
  void BuildTWListen(TGroupBox& gbInstrument, TGroupBox& gbDatenformat, THersteller& maker,
                     const TRadioClick& itOnClick, const TRadioClick& dfOnClick);
  void ClearTWListen(TPageControl& pageControl);

  // Bit 0: a surveying (non-levelling) instrument is installed; bit 1: a
  // levelling instrument is.
  int AvailableInstrumentKinds() const;
  // Component names of all instruments and formats, each followed by CR LF.
  std::string ComponentNameList() const;
  // Default file-filter texts under the configuration key.
  void SeedFileFilters();

  // Binds a format module's handlers to the format of that component name.
  // Only events the catalogue names a handler for are bound; any other is
  // refused. False when the format is unknown or a handler was refused.
  bool BindFormatHandlers(const std::string& formatName, const GeraeteFormatHandlers& handlers);
  // The handler name the catalogue binds to event of that format; "" = none.
  static std::string FormatHandlerName(const std::string& formatName, FormatEvent event);
  // Binds OnSetup of that instrument, when the catalogue names one for it.
  bool BindInstrumentSetup(const std::string& instrumentName, TNotifyEvent handler);
  static std::string InstrumentSetupName(const std::string& instrumentName);

  void SetLibraryHooks(InstrumentLibraryHooks* hooks) { hooks_ = hooks ? hooks : &noHooks_; }

  // OnSetup of the formats without a set-up of their own: the received
  // lines of the last transfer are cleared.
  void DefaultSetup();

  // Maker handlers: each forwards to the common operation with its maker and
  // its menu item prefix.
  void hsTopconCreatePopupMenu(TPopupMenu& m, const TMenuClick& c);
  void hsTopconDatenformatMenu(TPopupMenu& m, const TMenuClick& c);
  void hsTopconCreateTWListen(TGroupBox& iw, TGroupBox& df, const TRadioClick& it, const TRadioClick& dfc);
  void hsLeicaCreatePopupMenu(TPopupMenu& m, const TMenuClick& c);
  void hsLeicaDatenformatMenu(TPopupMenu& m, const TMenuClick& c);
  void hsLeicaCreateTWListen(TGroupBox& iw, TGroupBox& df, const TRadioClick& it, const TRadioClick& dfc);
  void hsZeissCreatePopupMenu(TPopupMenu& m, const TMenuClick& c);
  void hsZeissDatenformatMenu(TPopupMenu& m, const TMenuClick& c);
  void hsZeissCreateTWListen(TGroupBox& iw, TGroupBox& df, const TRadioClick& it, const TRadioClick& dfc);
  void hsNikonCreatePopupMenu(TPopupMenu& m, const TMenuClick& c);
  void hsNikonDatenformatMenu(TPopupMenu& m, const TMenuClick& c);
  void hsNikonCreateTWListen(TGroupBox& iw, TGroupBox& df, const TRadioClick& it, const TRadioClick& dfc);
  void hsSokkiaCreatePopupMenu(TPopupMenu& m, const TMenuClick& c);
  void hsSokkiaDatenformatMenu(TPopupMenu& m, const TMenuClick& c);
  void hsSokkiaCreateTWListen(TGroupBox& iw, TGroupBox& df, const TRadioClick& it, const TRadioClick& dfc);
  void hsMagellanCreatePopupMenu(TPopupMenu& m, const TMenuClick& c);
  void hsMagellanDatenformatMenu(TPopupMenu& m, const TMenuClick& c);
  void hsMagellanCreateTWListen(TGroupBox& iw, TGroupBox& df, const TRadioClick& it, const TRadioClick& dfc);
  void hsFoifCreatePopupMenu(TPopupMenu& m, const TMenuClick& c);
  void hsFoifDatenformatMenu(TPopupMenu& m, const TMenuClick& c);
  void hsFoifCreateTWListen(TGroupBox& iw, TGroupBox& df, const TRadioClick& it, const TRadioClick& dfc);
  void hsPentaxCreatePopupMenu(TPopupMenu& m, const TMenuClick& c);
  void hsPentaxDatenformatMenu(TPopupMenu& m, const TMenuClick& c);
  void hsPentaxCreateTWListen(TGroupBox& iw, TGroupBox& df, const TRadioClick& it, const TRadioClick& dfc);

 private:
  void CreateComponents();
  void BindMakerEvents();
  void NumberTabOrders();
  void ReadInstrumentSettings(TInstrument& instrument);
  void WriteInstrumentSettings(const TInstrument& instrument);
  // The file LoadInstrumentLibrary gets for instrument.
  std::string LibraryPathToLoad(const TInstrument& instrument) const;

  std::string installationDirectory_;
  // CurrentInstrument's answer, while no mark has changed and no instrument
  // has been added since.
  TInstrument* current_ = nullptr;
  std::uint64_t currentChanges_ = 0;
  int currentComponents_ = 0;
  std::function<TGeraeteFormat*()> viewerFormat_;
  InstrumentLibraryHooks noHooks_;
  InstrumentLibraryHooks* hooks_ = &noHooks_;
};

// The instrument may switch to the format of that component name: an exact
// member of its ";"-separated ValidGeraeteFormate ("GTS7" is no member of
// "OGTS7").
bool AcceptsGeraeteFormat(const TInstrument& instrument, const std::string& name);

// The program's one catalogue (created at start-up); tests set their own.
TGeraete* Geraete();
void SetGeraete(TGeraete* geraete);

// The engine's instrument side as far as the catalogue answers it: the
// current format and the kind of the current instrument. Receiving and
// sending belong to the library binding.
class CatalogueInstrumentSide : public InstrumentSide {
 public:
  explicit CatalogueInstrumentSide(TGeraete& geraete) : geraete_(geraete) {}
  TGeraeteFormat* CurrentGeraeteFormat() override { return &geraete_.CurrentGeraeteFormat(); }
  InstrumentKind CurrentInstrumentKind() const override;
  std::string DetectFormatTag(const std::string& text) override;

 protected:
  TGeraete& geraete_;
};

}  // namespace veltro
