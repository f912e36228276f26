// TfrmSurtrans, the main window: direction and instrument side of a
// transfer, one tab page per office format with the format's options, the
// input and output files, the current instrument with its port settings, the
// connection state, and the actions that open every other window. It is the
// engine's TransferWindow; a transfer is a synchronous call into the engine.
//
// Settings are read once when the window is created (FormCreate) and written
// by EndeClick; "Methode" and "TransOf" are written at each click.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/InstrumentTransferHost.h"
#include "core/Transfer.h"
#include "instruments/TransferModules.h"
#include "platform/DynamicLibrary.h"

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QSplitter;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace veltro {

class TTDM;
class TfrmStatistik;
class TfrmViewer;

// The first command-line argument.
struct StartArguments {
  bool newDesign = false;  // "NewDesign", exact case
  bool admin = false;      // "ADMIN", any case
  bool hint = false;       // "HINT", any case
};
StartArguments ParseStartArguments(const std::vector<std::string>& arguments);

// "left;top;width;height" as four integers, else nothing.
struct WindowRect {
  int left = 0, top = 0, width = 0, height = 0;
};
bool ParseWindowRect(const std::string& text, WindowRect& rect);
// The rectangle moved (and shrunk) into the available area.
WindowRect ClampToArea(WindowRect rect, const WindowRect& area);

class TfrmSurtrans : public QMainWindow, public TransferWindow {
  Q_OBJECT

 public:
  // The window's text numbers by installed instrument kinds.
  static constexpr int kTextWindow = 392;
  static constexpr int kTextCalculationOnly = 540;

  TfrmSurtrans(TransferModules& modules, TTDM& tdm, const StartArguments& arguments, QWidget* parent = nullptr);
  ~TfrmSurtrans() override;

  // The statistics window and the viewer, created after the window (not owned).
  void AttachWindows(TfrmStatistik& statistik, TfrmViewer& viewer);

  // ---- TransferWindow --------------------------------------------------------
  std::string InputFileField() const override;
  void SetInputFileField(const std::string& name) override;
  std::string OutputFileField() const override;
  void SetOutputFileField(const std::string& name) override;
  void FocusOutputField() override;
  std::string ActivePageName() const override;
  bool EditorPageActive() const override;
  void LeaveActivePage() override;
  PageState FindPage(const std::string& name) const override;
  void ActivatePage(const std::string& name) override;
  bool RunTopocadChecked() const override;
  bool TopocadPageShown() const override;
  void SetStartTransferEnabled(bool enabled) override;
  void SetStatusText(const std::string& text) override;
  bool AskSaveFileName(std::string& name) override;
  bool TreeLayout() const override { return arguments_.newDesign; }
  std::string LeftFileField() const override;
  void SetLeftFileField(const std::string& name) override;
  std::string RightFileField() const override;
  void SetRightFileField(const std::string& name) override;
  std::string TreePath(const std::string& file) const override;
  void ShowInLeftTree(const std::string& path) override;
  void ShowInRightTree(const std::string& path) override;
  void FocusLeftTree() override;
  void FocusRightTree() override;
  bool ShowViewer(LineList& lines, const std::string& tag) override;

  // ---- Handlers ----------------------------------------------------------------
  void FormShow();
  void FormActivate();
  void Transfer_startenClick();
  void rbInstrumentToClick();
  void rbFromInstrumentClick();
  void rbInstrumentClick();
  void rbDateiClick();
  void PageControlChange(int index);
  void LadenClick();
  void SpeichernClick();
  void KoordUnitChange(int index);
  void COMClick(int position);
  void BaudrateClick(int position);
  void WortlaengeClick(int position);
  void StopbitsClick(int position);
  void ParitaetClick(int position);
  void ZeilenendeClick(int position);
  void ProtokollClick(int position);
  void InstClick(const std::string& caption);
  void FormatClick(const std::string& name);
  void EndeClick();
  void ShowLedStatus(bool on);
  void SetID(bool enabled);
  void SetOD(bool enabled);
  void UpdateStatus();
  void SetFileLabels(const std::string& formatName);
  // The directory layout.
  void stvLeftClick();
  void stvRightClick();
  void sbTransferLeftToRightClick();
  void sbTransferRightToLeftClick();
  // A drop at pos of the tree's viewport; a drop beside every node is ignored.
  void stvLeftDragDrop(const QPoint& pos);
  void stvRightDragDrop(const QPoint& pos);
  // Opens the tree below node on a stored path (captions joined with "\").
  static void SelectTreePath(QTreeWidgetItem* node, const std::string& path);

  // The file dialogs; tests answer them (true and the chosen path).
  std::function<bool(const QStringList& filters, std::string& path)> chooseOpenFile;
  std::function<bool(const QStringList& filters, const std::string& defaultSuffix, std::string& path)> chooseSaveFile;

  // State for tests and the start-up.
  int FeatureMask() const { return features_; }
  bool Administrator() const { return arguments_.admin; }
  bool DirectoryLayout() const { return arguments_.newDesign; }
  bool TransferRunning() const { return running_; }
  const std::string& PortMap() const { return portMap_; }
  QTabWidget* Pages() const { return PageControl; }

  // The levelling calculation and its settings.
  void CalculateClick();
  void BerechnungsparameterClick();
  void TabellenparameterClick();
  void KundeninfosClick();
  // The customer text of the about box; none is set in this program.
  static std::string CustomerText() { return {}; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Page {
    const char* name;
    const char* caption;  // design caption, code page 1252
    TDatenformatDefinitionen* definition;
    int label;  // text number of the format in the file labels; 0: the instrument side
    QWidget* widget = nullptr;
  };
  void BuildWindow();
  void BuildDirectoryPanel(QWidget* central);
  void TreeClick(QTreeWidget* tree, QLineEdit* field);
  void TreeDrop(QTreeWidget* tree, const QPoint& pos, int direction);
  void BuildPages();
  void BuildActions();
  void BuildMenus();
  void BuildPortMenus();
  void BuildInstrumentMenus();
  void BuildLanguageMenu();
  void FormCreate();
  void ReadSettings();
  void ApplyRect(const std::string& text);
  void TranslateMenus();
  void ShowPage(int index);
  void StoreOptions(int index);
  void FillFormatbox();
  std::string InstrumentSideName() const;
  std::string FormatFilter(bool forOpen) const;
  QStringList DialogFilters(const std::string& filter) const;
  // The current instrument's filter followed by its format's.
  std::string InstrumentFilter() const;
  // The open-file dialog on filter (tests answer it).
  bool ChooseOpenFile(const std::string& filter, std::string& path);
  int PageIndex(const std::string& name) const;
  bool Busy();
  void SetIndicator(InstrumentTransferHost::Indicator indicator, std::uint32_t rgb);
  void SetInstrumentTexts();
  void LanguageClick(int languageId);
  // The levelling-calculation library, loaded on first use.
  bool LoadCalcNiv();
  void OpenInstrumentDialog();
  void OpenConfiguration();
  void OpenFormatChoice();
  void OpenCodeInput();
  void OpenKommandos();

  TransferModules& modules_;
  TTDM& tdm_;
  StartArguments arguments_;
  QPointer<TfrmStatistik> statistik_;
  QPointer<TfrmViewer> viewer_;
  std::unique_ptr<TInstrumentTransfer> side_;
  QtInstrumentTransferHost host_;
  int features_ = 0;
  std::string portMap_ = "FFFFFFFF";
  bool running_ = false;
  bool created_ = false;
  int shownPage_ = -1;
  std::vector<Page> pages_;
  DynamicLibrary calcNiv_;
  std::string helpFile_;

 public:
  // Components by their names.
  QGroupBox* Transfermethode;
  QRadioButton* rbInstrumentTo;
  QRadioButton* rbFromInstrument;
  QGroupBox* TransVon;
  QRadioButton* rbInstrument;
  QRadioButton* rbDatei;
  QLabel* DateiInputText;
  QLineEdit* DateiInput;
  QPushButton* Laden;
  QLabel* DateiOutputText;
  QLineEdit* DateiOutput;
  QPushButton* Speichern;
  QTabWidget* PageControl;
  QComboBox* KoordUnit;
  QFrame* RxLED;
  QFrame* TxLED;
  QLabel* StatusText;
  QLabel* Tachymeter_Text;
  QLabel* Tachymeter;
  QLabel* Datenformat_Status;
  QLabel* Status_COM;
  QLabel* Protokoll;
  QPushButton* ButtonKommandos;
  QPushButton* Transfer_starten;
  // The directory layout.
  QWidget* DirectoryPanel;
  QSplitter* DirectorySplitter;
  QLabel* LabelDateiLeft;
  QLabel* LabelDateiRight;
  QTreeWidget* stvLeft = nullptr;
  QTreeWidget* stvRight = nullptr;
  QLineEdit* EditDateiLeft;
  QLineEdit* EditDateiRight;
  QPushButton* sbTransferLeftToRight;
  QPushButton* sbTransferRightToLeft;
  QWidget* FilePanel;
  // Options of the format pages.
  QPushButton* KoordEingabeButton;
  QPushButton* CodeEingabeButton;
  QLineEdit* Layerinput_DXF;
  QLineEdit* TextgroesseInput_DXF;
  QComboBox* DXFDef;
  QLineEdit* MutInput_GEOS;
  QLineEdit* ClassInput_GEOS;
  QLineEdit* TempInput_GEOS;
  QLineEdit* DruckInput_GEOS;
  QLineEdit* GNumInput_Geotop;
  QLineEdit* PlanInput_Geotop;
  QLineEdit* PunkttypInput_Geotop;
  QLineEdit* GNumInput_HOMERE;
  QLineEdit* PunkttypInput_HOMERE;
  QLineEdit* TolWertInput_HOMERE;
  QComboBox* Formatbox = nullptr;
  QLineEdit* EditCodeliste;
  QPushButton* LadenCodeliste;
  QLineEdit* GNumInput_Bonjour;
  QLineEdit* PlanInput_Bonjour;
  QCheckBox* RunTopocad;
  // Actions and menus.
  QAction* StartTransfer;
  QAction* Instrument;
  QAction* Configuration;
  QAction* Editor;
  QAction* Fremddatenformate;
  QAction* ActionStatistik;
  QAction* Kommandos;
  QAction* KoordEingabe;
  QAction* CodeEingabe;
  QAction* Calculate;
  QAction* Information;
  QAction* Help;
  QAction* Schluss;
  QToolBar* ToolBar;
  QMenu* Berechnungen;
  QMenu* Commenu;
  QMenu* Protokollmenu;
  QMenu* Instrumentmenu;
  QMenu* Datenformatmenu;
  QMenu* Sprachwahl;
  std::vector<QAction*> comItems;     // COM1 ... COM8
  std::vector<QMenu*> portSubmenus;   // port, baud rate, word length, stop bits, parity, line end
  std::vector<QAction*> flowItems;    // None ... REC500
};

}  // namespace veltro
