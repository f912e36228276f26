#include "app/TransVeltro.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QUrl>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <tuple>

#include "app/Anpassen.h"
#include "app/CodeInput.h"
#include "app/ComDialog.h"
#include "app/FormatChoiceDialog.h"
#include "app/FormatDef.h"
#include "app/InstrumentenWahl.h"
#include "app/Kommandos.h"
#include "app/TransModul.h"
#include "app/TransferStatistik.h"
#include "app/TranslateForm.h"
#include "core/CoordinateUnit.h"
#include "core/Language.h"
#include "core/Messages.h"
#include "core/Niederlassung.h"
#include "core/Settings.h"
#include "core/TextUtils.h"
#include "formats/office/FormatChoice.h"
#include "formats/office/TemplateDefinition.h"
#include "instruments/CoordinateSystem.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "platform/qt/QtMessageBox.h"
#include "viewer/ManualInput.h"
#include "viewer/Viewer.h"

namespace veltro {
namespace {

constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;

// Settings of the window (value names below the configuration root).
constexpr const char* kSettingRect = "Rect";
constexpr const char* kSettingTransfer = "Transfer";
constexpr const char* kSettingStdPath = "StdPath";
constexpr const char* kSettingAviPath = "AVIPath";
constexpr const char* kSettingPathLeft = "PathLeft";
constexpr const char* kSettingPathRight = "PathRight";
constexpr const char* kSettingFormatList = "NewFormat\\Format list";
constexpr const char* kSettingActiveFormat = "NewFormat\\Active Format";
constexpr const char* kSettingGsiAttribute = "GSI8\\Attributs past measuring";
constexpr const char* kSettingGsiCodes = "GSI8\\UseGSICodes";
constexpr const char* kSettingGsiCodeList = "GSI8\\Code list\\";
constexpr const char* kSettingDxfLayer = "DXF\\Layer";
constexpr const char* kSettingDxfFontSize = "DXF\\Font size";
constexpr const char* kSettingDxfDefinition = "DXF\\Definition";
constexpr const char* kDefaultPage = "ASCII_Blatt";
constexpr const char* kGeosOutput = "BATCH.TRA";
constexpr const char* kProgramVersion = "2.1.1.5";
constexpr const char* kCalcNivLibrary = "CALCNIV.DLL";

constexpr std::uint32_t kStatusRunning = 0x008000;  // RGB 0,128,0
constexpr std::uint32_t kStatusIdle = 0xFF0000;

// Texts of the window.
enum : int {
  kTextBoth = 15,
  kTextPortMenus = 62,
  kTextFlowCaption = 79,
  kTextParities = 140,
  kTextFlows = 141,
  kTextRunning = 143,
  kTextIdle = 144,
  kTextLineEnds = 146,
  kTextNoFormatName = 213,
  kTextSource = 364,
  kTextTarget = 365,
  kTextTachymeter = 400,
  kTextNivellier = 401,
  kTextFileNotLoaded = 70,
  kTextNoLevelling = 436,
  kTextCalcNotLoaded = 602,
  kTextMenuFile = 790,
  kTextMenuSettings = 791,
  kTextMenuInput = 792,
  kTextMenuCalculations = 793,
  kTextMenuHelp = 794,
  kTextStartTransfer = 795,
  kTextInstrument = 796,
  kTextConfiguration = 797,
  kTextViewer = 798,
  kTextDataFormats = 799,
  kTextStatistics = 800,
  kTextCoordinateInput = 801,
  kTextCodeInput = 802,
  kTextAbout = 803,
  kTextHelpTopics = 804,
  kTextExit = 805,
  kTextLanguage = 806,
  kTextDataFormatMenu = 807,
  kTextDirection = 808,
  kTextInstrumentSide = 809,
  kTextCoordinateUnits = 895,
  kTextLayer = 896,
  kTextTextHeight = 897,
  kTextDefinition = 898,
  kTextMutation = 899,
  kTextClass = 900,
  kTextTemperature = 901,
  kTextPressure = 902,
  kTextMunicipality = 903,
  kTextPlan = 904,
  kTextPointType = 905,
  kTextTolerance = 906,
  kTextCodeFile = 907,
  kTextTemplateName = 908,
  kTextRunTopocad = 909,
};

constexpr const char* kDefaultGpsSystem = "41;CH03";

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

std::string Items(const std::string& entry, size_t index) {
  const TextEntry e = SplitTextEntry(entry);
  return index < e.items.size() ? e.items[index] : std::string();
}

QString ColourSheet(std::uint32_t rgb) {
  return QStringLiteral("background-color: #%1; border: 1px solid #404040; border-radius: 6px;")
      .arg(rgb, 6, 16, QLatin1Char('0'));
}

template <class W>
W* Named(W* widget, const char* name, int textNumber = 0) {
  widget->setObjectName(QString::fromLatin1(name));
  if (textNumber) SetTextNumber(widget, textNumber);
  return widget;
}

QLineEdit* OptionEdit(QWidget* page, QGridLayout* grid, int row, const char* name, int textNumber,
                      const char* caption, const char* value) {
  auto* label = Named(new QLabel(FromAnsi(caption), page), (std::string(name) + "_Label").c_str(), textNumber);
  auto* edit = Named(new QLineEdit(QString::fromLatin1(value), page), name);
  grid->addWidget(label, row, 0);
  grid->addWidget(edit, row, 1);
  label->setBuddy(edit);
  return edit;
}

QString Bytes(const std::string& path) { return QFile::decodeName(path.c_str()); }
std::string PathOf(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

StartArguments ParseStartArguments(const std::vector<std::string>& arguments) {
  StartArguments a;
  if (arguments.empty()) return a;
  const std::string& first = arguments.front();
  a.newDesign = first == "NewDesign";
  a.admin = Upper(first) == "ADMIN";
  a.hint = IsHintArgument(first);
  return a;
}

bool ParseWindowRect(const std::string& text, WindowRect& rect) {
  int values[4];
  size_t at = 0;
  for (int n = 0; n < 4; ++n) {
    const size_t end = text.find(';', at);
    if ((n < 3) == (end == std::string::npos)) return false;
    const std::string part = TrimBlanks(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
    if (part.empty() || part.size() > 6) return false;
    size_t digits = part[0] == '-' ? 1 : 0;
    if (digits == part.size() || part.find_first_not_of("0123456789", digits) != std::string::npos) return false;
    values[n] = std::stoi(part);
    at = end + 1;
  }
  rect = {values[0], values[1], values[2], values[3]};
  return true;
}

WindowRect ClampToArea(WindowRect r, const WindowRect& area) {
  r.width = std::clamp(r.width, 1, std::max(1, area.width));
  r.height = std::clamp(r.height, 1, std::max(1, area.height));
  r.left = std::clamp(r.left, area.left, area.left + area.width - r.width);
  r.top = std::clamp(r.top, area.top, area.top + area.height - r.height);
  return r;
}

// ---- Construction ----------------------------------------------------------------------

TfrmSurtrans::TfrmSurtrans(TransferModules& modules, TTDM& tdm, const StartArguments& arguments, QWidget* parent)
    : QMainWindow(parent), modules_(modules), tdm_(tdm), arguments_(arguments), host_(this) {
  setObjectName(QStringLiteral("frmSurtrans"));
  pages_ = {
      {"Editor_Blatt", "Editor", modules_.dfd->Editor, 369},
      {"ASCII_Blatt", "ASCII", modules_.dfd->ASCII, 55},
      {"CADDY_Blatt", "CADdy", modules_.dfd->Caddy, 166},
      {"CPLAN_Blatt", "C-PLAN", modules_.dfd->CPlan, 16},
      {"DXF_Blatt", "DXF", modules_.dfd->DXF, 21},
      {"GEOS_Blatt", "GEOS", modules_.dfd->Geos, 23},
      {"Geotop_Blatt", "Geotop", modules_.dfd->Geotop, 625},
      {"Homere_Blatt", "HOMERE", modules_.dfd->Homere, 328},
      {"LTOP_Blatt", "LTOP", modules_.dfd->LTOP, 190},
      {"Neues_Format", "Neues Format", modules_.dfd->NewFormat, 56},
      {"NoTrans_Blatt", "Originaldaten", modules_.dfd->Original, 0},
      {"OSQUSO_Blatt", "OSQUSO", modules_.dfd->OSQUSO, 40},
      {"SBB_Blatt", "SBB CFF FFS", modules_.dfd->SBB, 171},
      {"Bonjour_Blatt", "Topo Bonjour", modules_.dfd->Bonjour, 623},
      {"Topocad_Blatt", "Topocad", modules_.dfd->TopoCad, 54},
  };
  BuildWindow();
  FormCreate();
}

TfrmSurtrans::~TfrmSurtrans() {
  if (CurrentTransferEnvironment().window == this) SetTransferEnvironment({});
}

void TfrmSurtrans::AttachWindows(TfrmStatistik& statistik, TfrmViewer& viewer) {
  statistik_ = &statistik;
  viewer_ = &viewer;
  statistik.SetMainWindow(this);
  ConnectCancel(statistik, *modules_.binding);
  SetTransferEnvironment({this, &statistik, side_.get(), &tdm_.Settings()});
}

void TfrmSurtrans::BuildWindow() {
  SetTextNumber(this, kTextWindow);
  setWindowTitle(FromAnsi("Datentransfer für Tachymeter"));
  auto* central = new QWidget(this);
  central->setObjectName(QStringLiteral("Panel"));
  setCentralWidget(central);
  auto* layout = new QVBoxLayout(central);

  auto* top = new QHBoxLayout;
  layout->addLayout(top);
  Transfermethode = Named(new QGroupBox(FromAnsi("Richtung"), central), "Transfermethode", kTextDirection);
  auto* tm = new QVBoxLayout(Transfermethode);
  rbInstrumentTo = Named(new QRadioButton(QStringLiteral("Tachymeter --> ......"), Transfermethode), "rbInstrumentTo");
  rbFromInstrument =
      Named(new QRadioButton(QStringLiteral("...... --> Tachymeter"), Transfermethode), "rbFromInstrument");
  tm->addWidget(rbInstrumentTo);
  tm->addWidget(rbFromInstrument);
  top->addWidget(Transfermethode);

  TransVon = Named(new QGroupBox(FromAnsi("Instrumentseite"), central), "TransVon", kTextInstrumentSide);
  auto* tv = new QVBoxLayout(TransVon);
  rbInstrument = Named(new QRadioButton(QStringLiteral("Tachymeter"), TransVon), "rbInstrument", 396);
  rbDatei = Named(new QRadioButton(QStringLiteral("Datei / PCMCIA"), TransVon), "rbDatei");
  tv->addWidget(rbInstrument);
  tv->addWidget(rbDatei);
  top->addWidget(TransVon);

  auto* state = new QGroupBox(central);
  state->setObjectName(QStringLiteral("Statusanzeige"));
  auto* sg = new QGridLayout(state);
  Tachymeter_Text = Named(new QLabel(QStringLiteral("Tachymeter:"), state), "Tachymeter_Text", 398);
  Tachymeter = Named(new QLabel(state), "Tachymeter");
  Datenformat_Status = Named(new QLabel(state), "Datenformat_Status");
  Status_COM = Named(new QLabel(state), "Status_COM");
  Protokoll = Named(new QLabel(state), "Protokoll");
  StatusText = Named(new QLabel(state), "StatusText");
  RxLED = Named(new QFrame(state), "RxLED");
  TxLED = Named(new QFrame(state), "TxLED");
  for (QFrame* led : {RxLED, TxLED}) led->setFixedSize(14, 14);
  auto* rx = new QLabel(QStringLiteral("Rx"), state);
  auto* tx = new QLabel(QStringLiteral("Tx"), state);
  sg->addWidget(Tachymeter_Text, 0, 0);
  sg->addWidget(Tachymeter, 0, 1, 1, 3);
  sg->addWidget(Datenformat_Status, 1, 1, 1, 3);
  sg->addWidget(Status_COM, 2, 1, 1, 3);
  sg->addWidget(Protokoll, 3, 1, 1, 3);
  sg->addWidget(rx, 4, 0);
  sg->addWidget(RxLED, 4, 1);
  sg->addWidget(tx, 4, 2);
  sg->addWidget(TxLED, 4, 3);
  sg->addWidget(StatusText, 5, 0, 1, 4);
  top->addWidget(state, 1);

  auto* buttons = new QVBoxLayout;
  Transfer_starten = Named(new QPushButton(QStringLiteral("Transfer starten"), central), "Transfer_starten",
                           kTextStartTransfer);
  ButtonKommandos = Named(new QPushButton(QStringLiteral("Tachymeter &Kommandos"), central), "ButtonKommandos", 394);
  buttons->addWidget(Transfer_starten);
  buttons->addWidget(ButtonKommandos);
  buttons->addStretch();
  top->addLayout(buttons);

  FilePanel = new QWidget(central);
  FilePanel->setObjectName(QStringLiteral("FilePanel"));
  auto* files = new QGridLayout(FilePanel);
  files->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(FilePanel);
  DateiInputText = Named(new QLabel(QStringLiteral("Quelldatei"), central), "DateiInputText");
  DateiInput = Named(new QLineEdit(central), "DateiInput");
  Laden = Named(new QPushButton(QStringLiteral("..."), central), "Laden");
  DateiOutputText = Named(new QLabel(QStringLiteral("Zieldatei"), central), "DateiOutputText");
  DateiOutput = Named(new QLineEdit(central), "DateiOutput");
  Speichern = Named(new QPushButton(QStringLiteral("..."), central), "Speichern");
  KoordUnit = Named(new QComboBox(central), "KoordUnit");
  files->addWidget(DateiInputText, 0, 0);
  files->addWidget(DateiInput, 0, 1);
  files->addWidget(Laden, 0, 2);
  files->addWidget(DateiOutputText, 1, 0);
  files->addWidget(DateiOutput, 1, 1);
  files->addWidget(Speichern, 1, 2);
  files->addWidget(KoordUnit, 2, 1);
  DateiInput->installEventFilter(this);
  DateiOutput->installEventFilter(this);

  BuildDirectoryPanel(central);
  layout->addWidget(DirectoryPanel, 2);
  PageControl = Named(new QTabWidget(central), "PageControl");
  layout->addWidget(PageControl, 1);
  BuildPages();
  BuildActions();
  BuildMenus();
  statusBar()->setObjectName(QStringLiteral("StatusBar"));

  connect(rbInstrumentTo, &QRadioButton::clicked, this, [this] { rbInstrumentToClick(); });
  connect(rbFromInstrument, &QRadioButton::clicked, this, [this] { rbFromInstrumentClick(); });
  connect(rbInstrument, &QRadioButton::clicked, this, [this] { rbInstrumentClick(); });
  connect(rbDatei, &QRadioButton::clicked, this, [this] { rbDateiClick(); });
  connect(Laden, &QPushButton::clicked, this, [this] { LadenClick(); });
  connect(Speichern, &QPushButton::clicked, this, [this] { SpeichernClick(); });
  connect(Transfer_starten, &QPushButton::clicked, this, [this] { Transfer_startenClick(); });
  connect(ButtonKommandos, &QPushButton::clicked, this, [this] { OpenKommandos(); });
  connect(KoordUnit, qOverload<int>(&QComboBox::activated), this, [this](int i) { KoordUnitChange(i); });
  connect(PageControl, &QTabWidget::currentChanged, this, [this](int i) { PageControlChange(i); });
}

// ---- Directory layout ---------------------------------------------------------------------

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kFilledRole = Qt::UserRole + 1;

bool IsFolderItem(const QTreeWidgetItem* item) {
  return item && QFileInfo(item->data(0, kPathRole).toString()).isDir();
}

// The entries of a folder node, folders first, read when first needed.
void FillNode(QTreeWidgetItem* node) {
  if (!node || node->data(0, kFilledRole).toBool()) return;
  node->setData(0, kFilledRole, true);
  qDeleteAll(node->takeChildren());
  const QDir dir(node->data(0, kPathRole).toString());
  for (const QFileInfo& info :
       dir.entryInfoList(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot, QDir::DirsFirst | QDir::Name)) {
    auto* child = new QTreeWidgetItem(node, QStringList(info.fileName()));
    child->setData(0, kPathRole, info.absoluteFilePath());
    if (info.isDir()) child->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  }
}

QTreeWidget* MakeTree(QWidget* parent, const char* name) {
  auto* tree = Named(new QTreeWidget(parent), name);
  tree->setHeaderHidden(true);
  tree->setDragEnabled(true);
  tree->setAcceptDrops(true);
  tree->setDragDropMode(QAbstractItemView::DragDrop);
  tree->setDefaultDropAction(Qt::CopyAction);
  auto* root = new QTreeWidgetItem(tree, QStringList(QStringLiteral("/")));
  root->setData(0, kPathRole, QStringLiteral("/"));
  root->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  QObject::connect(tree, &QTreeWidget::itemExpanded, tree, [](QTreeWidgetItem* item) { FillNode(item); });
  return tree;
}

}  // namespace

void TfrmSurtrans::SelectTreePath(QTreeWidgetItem* node, const std::string& path) {
  if (!node) return;
  if (path.empty()) {
    node->treeWidget()->setCurrentItem(node);
    return;
  }
  const size_t cut = path.find('\\');
  const std::string part = path.substr(0, cut);
  FillNode(node);
  for (int n = 0; n < node->childCount(); ++n) {
    QTreeWidgetItem* child = node->child(n);
    if (ToAnsi(child->text(0)) != part) continue;
    if (IsFolderItem(child)) child->setExpanded(true);
    SelectTreePath(child, cut == std::string::npos ? std::string() : path.substr(cut + 1));
    return;
  }
}

void TfrmSurtrans::BuildDirectoryPanel(QWidget* central) {
  DirectoryPanel = new QWidget(central);
  DirectoryPanel->setObjectName(QStringLiteral("DirectoryPanel"));
  auto* layout = new QHBoxLayout(DirectoryPanel);
  layout->setContentsMargins(0, 0, 0, 0);
  DirectorySplitter = Named(new QSplitter(DirectoryPanel), "DirectorySplitter");
  layout->addWidget(DirectorySplitter);
  auto side = [this](QLabel*& label, const char* labelName, QTreeWidget*& tree, const char* treeName, QLineEdit*& edit,
                     const char* editName) {
    auto* panel = new QWidget(DirectorySplitter);
    auto* v = new QVBoxLayout(panel);
    v->setContentsMargins(0, 0, 0, 0);
    label = Named(new QLabel(panel), labelName);
    tree = MakeTree(panel, treeName);
    edit = Named(new QLineEdit(panel), editName);
    v->addWidget(label);
    v->addWidget(tree, 1);
    v->addWidget(edit);
    tree->viewport()->installEventFilter(this);
    DirectorySplitter->addWidget(panel);
  };
  side(LabelDateiLeft, "LabelDateiLeft", stvLeft, "stvLeft", EditDateiLeft, "EditDateiLeft");
  auto* buttons = new QWidget(DirectorySplitter);
  buttons->setObjectName(QStringLiteral("TransferButtonPanel"));
  auto* b = new QVBoxLayout(buttons);
  b->addStretch();
  sbTransferLeftToRight = Named(new QPushButton(QStringLiteral(">>"), buttons), "sbTransferLeftToRight");
  sbTransferRightToLeft = Named(new QPushButton(QStringLiteral("<<"), buttons), "sbTransferRightToLeft");
  b->addWidget(sbTransferLeftToRight);
  b->addWidget(sbTransferRightToLeft);
  b->addStretch();
  DirectorySplitter->addWidget(buttons);
  side(LabelDateiRight, "LabelDateiRight", stvRight, "stvRight", EditDateiRight, "EditDateiRight");
  DirectorySplitter->setStretchFactor(0, 1);
  DirectorySplitter->setStretchFactor(2, 1);
  connect(stvLeft, &QTreeWidget::itemClicked, this, [this] { stvLeftClick(); });
  connect(stvRight, &QTreeWidget::itemClicked, this, [this] { stvRightClick(); });
  connect(sbTransferLeftToRight, &QPushButton::clicked, this, [this] { sbTransferLeftToRightClick(); });
  connect(sbTransferRightToLeft, &QPushButton::clicked, this, [this] { sbTransferRightToLeftClick(); });
}

void TfrmSurtrans::TreeClick(QTreeWidget* tree, QLineEdit* field) {
  QTreeWidgetItem* item = tree->currentItem();
  if (!item) return;
  QString path = item->data(0, kPathRole).toString();
  if (IsFolderItem(item) && !path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
  field->setText(path);
}

void TfrmSurtrans::stvLeftClick() {
  TreeClick(stvLeft, EditDateiLeft);
  rbDatei->setChecked(true);
  rbDateiClick();
}

void TfrmSurtrans::stvRightClick() { TreeClick(stvRight, EditDateiRight); }

void TfrmSurtrans::sbTransferLeftToRightClick() {
  SetMethode(0);
  UpdateStatus();
  Transfer_startenClick();
}

void TfrmSurtrans::sbTransferRightToLeftClick() {
  SetMethode(1);
  UpdateStatus();
  Transfer_startenClick();
}

void TfrmSurtrans::TreeDrop(QTreeWidget* tree, const QPoint& pos, int direction) {
  // Beside every node there is nothing to drop on.
  QTreeWidgetItem* target = tree->itemAt(pos);
  if (!target) return;
  tree->setCurrentItem(target);
  if (tree == stvLeft)
    stvLeftClick();
  else
    stvRightClick();
  SetMethode(direction);
  UpdateStatus();
  Transfer_startenClick();
}

void TfrmSurtrans::stvLeftDragDrop(const QPoint& pos) { TreeDrop(stvLeft, pos, 1); }
void TfrmSurtrans::stvRightDragDrop(const QPoint& pos) { TreeDrop(stvRight, pos, 0); }

std::string TfrmSurtrans::LeftFileField() const { return PathOf(EditDateiLeft->text()); }
void TfrmSurtrans::SetLeftFileField(const std::string& name) { EditDateiLeft->setText(Bytes(name)); }
std::string TfrmSurtrans::RightFileField() const { return PathOf(EditDateiRight->text()); }
void TfrmSurtrans::SetRightFileField(const std::string& name) { EditDateiRight->setText(Bytes(name)); }

std::string TfrmSurtrans::TreePath(const std::string& file) const {
  std::string path = "/";
  size_t at = 0;
  while (at < file.size()) {
    size_t end = file.find('/', at);
    if (end == std::string::npos) end = file.size();
    if (end > at) path += "\\" + file.substr(at, end - at);
    at = end + 1;
  }
  return path;
}

void TfrmSurtrans::ShowInLeftTree(const std::string& path) {
  if (QTreeWidgetItem* root = stvLeft->topLevelItem(0)) {
    root->setData(0, kFilledRole, false);
    SelectTreePath(root, path.size() > 2 ? path.substr(2) : std::string());
  }
}

void TfrmSurtrans::ShowInRightTree(const std::string& path) {
  if (QTreeWidgetItem* root = stvRight->topLevelItem(0)) {
    root->setData(0, kFilledRole, false);
    SelectTreePath(root, path.size() > 2 ? path.substr(2) : std::string());
  }
}

void TfrmSurtrans::FocusLeftTree() { stvLeft->setFocus(); }
void TfrmSurtrans::FocusRightTree() { stvRight->setFocus(); }

void TfrmSurtrans::BuildPages() {
  for (Page& p : pages_) {
    auto* page = new QWidget(PageControl);
    page->setObjectName(QString::fromLatin1(p.name));
    p.widget = page;
    PageControl->addTab(page, FromAnsi(p.definition->Caption.empty() ? p.caption : p.definition->Caption));
    if (p.definition->Tag) SetTextNumber(page, p.definition->Tag);
  }
  auto grid = [](Page& p) {
    auto* g = new QGridLayout(p.widget);
    g->setColumnStretch(2, 1);
    g->setRowStretch(10, 1);
    return g;
  };
  QGridLayout* g = grid(pages_[0]);
  KoordEingabeButton = Named(new QPushButton(FromAnsi("Koordinaten eingeben ..."), pages_[0].widget),
                             "KoordEingabeButton", kTextCoordinateInput);
  CodeEingabeButton =
      Named(new QPushButton(FromAnsi("Codes eingeben ..."), pages_[0].widget), "CodeEingabeButton", kTextCodeInput);
  g->addWidget(KoordEingabeButton, 0, 0);
  g->addWidget(CodeEingabeButton, 1, 0);
  for (int n : {1, 2, 3, 8, 10, 11}) grid(pages_[n]);

  g = grid(pages_[4]);
  Layerinput_DXF = OptionEdit(pages_[4].widget, g, 0, "Layerinput_DXF", kTextLayer, "Layer:", "1");
  TextgroesseInput_DXF = OptionEdit(pages_[4].widget, g, 1, "TextgroesseInput_DXF", kTextTextHeight, "Texthöhe:", "1.8");
  DXFDef = Named(new QComboBox(pages_[4].widget), "DXFDef");
  g->addWidget(Named(new QLabel(FromAnsi("Definition:"), pages_[4].widget), "DXFDef_Label", kTextDefinition), 2, 0);
  g->addWidget(DXFDef, 2, 1);

  g = grid(pages_[5]);
  MutInput_GEOS = OptionEdit(pages_[5].widget, g, 0, "MutInput_GEOS", kTextMutation, "Mutation Nr.:", "1");
  ClassInput_GEOS = OptionEdit(pages_[5].widget, g, 1, "ClassInput_GEOS", kTextClass, "Klasse:", "1");
  TempInput_GEOS = OptionEdit(pages_[5].widget, g, 2, "TempInput_GEOS", kTextTemperature, "Temperatur:", "20");
  DruckInput_GEOS = OptionEdit(pages_[5].widget, g, 3, "DruckInput_GEOS", kTextPressure, "Luftdruck:", "1013");

  g = grid(pages_[6]);
  GNumInput_Geotop = OptionEdit(pages_[6].widget, g, 0, "GNumInput_Geotop", kTextMunicipality, "Gemeinde:", "1");
  PlanInput_Geotop = OptionEdit(pages_[6].widget, g, 1, "PlanInput_Geotop", kTextPlan, "Plan:", "1");
  PunkttypInput_Geotop =
      OptionEdit(pages_[6].widget, g, 2, "PunkttypInput_Geotop", kTextPointType, "Punkttyp:", "0");

  g = grid(pages_[7]);
  GNumInput_HOMERE = OptionEdit(pages_[7].widget, g, 0, "GNumInput_HOMERE", kTextMunicipality, "Gemeinde:", "1");
  PunkttypInput_HOMERE =
      OptionEdit(pages_[7].widget, g, 1, "PunkttypInput_HOMERE", kTextPointType, "Punkttyp:", "0");
  TolWertInput_HOMERE = OptionEdit(pages_[7].widget, g, 2, "TolWertInput_HOMERE", kTextTolerance, "Toleranz:", "11");

  g = grid(pages_[9]);
  Formatbox = Named(new QComboBox(pages_[9].widget), "Formatbox");
  Formatbox->setEditable(true);
  Formatbox->setMinimumWidth(200);
  // A double click on the box opens the format definition editor on its name.
  Formatbox->lineEdit()->installEventFilter(this);
  g->addWidget(Named(new QLabel(FromAnsi("Format:"), pages_[9].widget), "Formatbox_Label", kTextTemplateName), 0, 0);
  g->addWidget(Formatbox, 0, 1);

  g = grid(pages_[12]);
  EditCodeliste = Named(new QLineEdit(pages_[12].widget), "EditCodeliste");
  LadenCodeliste = Named(new QPushButton(QStringLiteral("..."), pages_[12].widget), "LadenCodeliste");
  g->addWidget(Named(new QLabel(FromAnsi("Codeliste:"), pages_[12].widget), "EditCodeliste_Label", kTextCodeFile), 0, 0);
  g->addWidget(EditCodeliste, 0, 1);
  g->addWidget(LadenCodeliste, 0, 2, Qt::AlignLeft);
  connect(LadenCodeliste, &QPushButton::clicked, this, [this] {
    std::string path;
    const QStringList filters = NameFilters(kFilterCodeliste);
    if (chooseOpenFile ? chooseOpenFile(filters, path) : false) {
      EditCodeliste->setText(Bytes(path));
      return;
    }
    if (chooseOpenFile) return;
    const QString chosen = QFileDialog::getOpenFileName(this, QString(), EditCodeliste->text(), filters.join(";;"));
    if (!chosen.isEmpty()) EditCodeliste->setText(chosen);
  });

  g = grid(pages_[13]);
  GNumInput_Bonjour = OptionEdit(pages_[13].widget, g, 0, "GNumInput_Bonjour", kTextMunicipality, "Gemeinde:", "1");
  PlanInput_Bonjour = OptionEdit(pages_[13].widget, g, 1, "PlanInput_Bonjour", kTextPlan, "Plan:", "1");

  g = grid(pages_[14]);
  RunTopocad = Named(new QCheckBox(FromAnsi("Topocad nach dem Transfer starten"), pages_[14].widget), "RunTopocad",
                     kTextRunTopocad);
  g->addWidget(RunTopocad, 0, 0, 1, 2);
}

void TfrmSurtrans::BuildActions() {
  auto make = [this](QAction*& action, const char* name, int text, const char* caption, auto handler) {
    action = new QAction(FromAnsi(caption), this);
    action->setObjectName(QString::fromLatin1(name));
    SetTextNumber(action, text);
    connect(action, &QAction::triggered, this, handler);
  };
  make(StartTransfer, "StartTransfer", kTextStartTransfer, "Transfer starten", [this] { Transfer_startenClick(); });
  make(Instrument, "Instrument", kTextInstrument, "&Instrument ...", [this] { OpenInstrumentDialog(); });
  make(Configuration, "Configuration", kTextConfiguration, "&Anpassen ...", [this] { OpenConfiguration(); });
  make(Editor, "Editor", kTextViewer, "&Viewer", [this] {
    if (viewer_ && !Busy()) viewer_->ShowEditor();
  });
  make(Fremddatenformate, "Fremddatenformate", kTextDataFormats, "&Datenformate ...", [this] { OpenFormatChoice(); });
  make(ActionStatistik, "ActionStatistik", kTextStatistics, "&Statistik", [this] {
    if (statistik_ && !running_) statistik_->ShowLast();
  });
  make(Kommandos, "Kommandos", 394, "Tachymeter &Kommandos", [this] { OpenKommandos(); });
  make(KoordEingabe, "KoordEingabe", kTextCoordinateInput, "&Koordinaten eingeben ...", [this] {
    if (!Busy()) ShowManualInput(*modules_.editor, this);
  });
  make(CodeEingabe, "CodeEingabe", kTextCodeInput, "&Codes eingeben ...", [this] { OpenCodeInput(); });
  make(Calculate, "Calculate", kTextCalculationOnly, "Nivellementberechnung", [this] { CalculateClick(); });
  make(Information, "Information", kTextAbout, "&Über ...", [] {
    ShowMessageBox("Datentransfer f\xFCr Tachymeter\r\n" + std::string(kProgramVersion), kMsgInformation, kBtnOk);
  });
  make(Help, "Help", kTextHelpTopics, "&Hilfethemen", [this] {
    if (FileExists(helpFile_)) QDesktopServices::openUrl(QUrl::fromLocalFile(Bytes(helpFile_)));
  });
  make(Schluss, "Schluss", kTextExit, "B&eenden", [this] { EndeClick(); });
  connect(KoordEingabeButton, &QPushButton::clicked, KoordEingabe, &QAction::trigger);
  connect(CodeEingabeButton, &QPushButton::clicked, CodeEingabe, &QAction::trigger);
  StartTransfer->setShortcut(QKeySequence(Qt::Key_F9));

  ToolBar = addToolBar(QStringLiteral("ToolBar"));
  ToolBar->setObjectName(QStringLiteral("ToolBar"));
  for (QAction* a : {StartTransfer, Instrument, Configuration, Editor, Fremddatenformate, ActionStatistik, Kommandos,
                     KoordEingabe, CodeEingabe, Calculate, Information, Help, Schluss})
    ToolBar->addAction(a);
}

void TfrmSurtrans::BuildMenus() {
  auto* file = Named(menuBar()->addMenu(FromAnsi("&Datei")), "Datei", kTextMenuFile);
  file->addAction(StartTransfer);
  file->addAction(Editor);
  file->addAction(ActionStatistik);
  file->addSeparator();
  file->addAction(Schluss);
  auto* settings = Named(menuBar()->addMenu(FromAnsi("&Einstellungen")), "Einstellungen", kTextMenuSettings);
  settings->addAction(Instrument);
  Instrumentmenu = Named(settings->addMenu(QStringLiteral("Tachymeter")), "Instrumentmenu", 396);
  Datenformatmenu = Named(settings->addMenu(QStringLiteral("Datenformat")), "Datenformatmenu", kTextDataFormatMenu);
  Commenu = Named(settings->addMenu(QStringLiteral("Schnittstelle")), "Commenu");
  Protokollmenu = Named(settings->addMenu(QStringLiteral("Protokoll")), "Protokollmenu");
  settings->addSeparator();
  settings->addAction(Configuration);
  settings->addAction(Fremddatenformate);
  Sprachwahl = Named(settings->addMenu(QStringLiteral("Sprache")), "Sprachwahl", kTextLanguage);
  auto* input = Named(menuBar()->addMenu(FromAnsi("&Eingabe")), "Eingabe", kTextMenuInput);
  input->addAction(KoordEingabe);
  input->addAction(CodeEingabe);
  input->addAction(Kommandos);
  Berechnungen = Named(menuBar()->addMenu(FromAnsi("&Berechnungen")), "Berechnungen", kTextMenuCalculations);
  Berechnungen->addAction(Calculate);
  Berechnungen->addSeparator();
  for (auto [name, click] : {std::pair{"Berechnungsparameter", &TfrmSurtrans::BerechnungsparameterClick},
                             std::pair{"Tabellenparameter", &TfrmSurtrans::TabellenparameterClick},
                             std::pair{"Kundeninfos", &TfrmSurtrans::KundeninfosClick}}) {
    QAction* a = Berechnungen->addAction(QString::fromLatin1(name));
    a->setObjectName(QString::fromLatin1(name));
    connect(a, &QAction::triggered, this, click);
  }
  auto* help = Named(menuBar()->addMenu(FromAnsi("&Hilfe")), "Hilfe", kTextMenuHelp);
  help->addAction(Help);
  help->addAction(Information);
  BuildPortMenus();
}

void TfrmSurtrans::BuildPortMenus() {
  static const char* const kSubmenus[] = {"Anschluss", "Baudrate", "Wortlaenge", "Stopbits", "Paritaet", "Zeilenende"};
  for (const char* name : kSubmenus) portSubmenus.push_back(Named(Commenu->addMenu(FromAnsi(name)), name));
  for (int n = 1; n <= 8; ++n) {
    QAction* a = portSubmenus[0]->addAction(QStringLiteral("COM%1").arg(n));
    a->setObjectName(QStringLiteral("COM%1").arg(n));
    a->setCheckable(true);
    comItems.push_back(a);
    // The position among all eight items, hidden ones included.
    connect(a, &QAction::triggered, this, [this, n] { COMClick(n - 1); });
  }
  for (int b = 0; b < EnumCount<TBaudRate>(); ++b) {
    const int rate = BaudRateValue(static_cast<TBaudRate>(b));
    QAction* a = portSubmenus[1]->addAction(QString::number(rate));
    a->setObjectName(QStringLiteral("N%1").arg(rate));
    a->setCheckable(true);
    connect(a, &QAction::triggered, this, [this, b] { BaudrateClick(b); });
  }
  for (int d = 0; d < EnumCount<TDataBits>(); ++d) {
    QAction* a = portSubmenus[2]->addAction(QString::number(4 + d));
    a->setObjectName(QStringLiteral("N%1").arg(4 + d));
    a->setCheckable(true);
    connect(a, &QAction::triggered, this, [this, d] { WortlaengeClick(d); });
  }
  static const char* const kStops[] = {"N1", "N15", "N2"};
  for (int s = 0; s < 3; ++s) {
    QAction* a = portSubmenus[3]->addAction(QString::fromStdString(StopBitsName(static_cast<TStopBits>(s))));
    a->setObjectName(QString::fromLatin1(kStops[s]));
    a->setCheckable(true);
    connect(a, &QAction::triggered, this, [this, s] { StopbitsClick(s); });
  }
  static const char* const kParities[] = {"ParitaetNone", "ParitaetOdd", "ParitaetEven", "ParitaetMark",
                                          "ParitaetSpace"};
  for (int p = 0; p < 5; ++p) {
    QAction* a = portSubmenus[4]->addAction(QString::fromLatin1(kParities[p] + 8));
    a->setObjectName(QString::fromLatin1(kParities[p]));
    a->setCheckable(true);
    connect(a, &QAction::triggered, this, [this, p] { ParitaetClick(p); });
  }
  static const char* const kLineEnds[] = {"zeKein", "zeCR", "zeLF", "zeCRLF", "zeLFCR"};
  for (int e = 0; e < 5; ++e) {
    QAction* a = portSubmenus[5]->addAction(QString::fromLatin1(kLineEnds[e] + 2));
    a->setObjectName(QString::fromLatin1(kLineEnds[e]));
    a->setCheckable(true);
    connect(a, &QAction::triggered, this, [this, e] { ZeilenendeClick(e); });
  }
  static const char* const kFlows[] = {"None", "XONXOFF", "CTSRTS", "DSRDTR", "ACKNAK", "GSI", "REC500"};
  for (int f = 0; f < 7; ++f) {
    QAction* a = Protokollmenu->addAction(QString::fromLatin1(kFlows[f]));
    a->setObjectName(QString::fromLatin1(kFlows[f]));
    a->setCheckable(true);
    flowItems.push_back(a);
    connect(a, &QAction::triggered, this, [this, f] { ProtokollClick(f); });
  }
}

void TfrmSurtrans::BuildInstrumentMenus() {
  TGeraete& g = *modules_.geraete;
  Instrumentmenu->clear();
  TPopupMenu menu;
  g.CreatePopupMenus(menu, {});
  for (const TMenuItem& maker : menu.Items) {
    QMenu* sub = Instrumentmenu->addMenu(FromAnsi(maker.Caption));
    sub->setObjectName(QString::fromStdString(maker.Name));
    for (const TMenuItem& item : maker.Items) {
      QAction* a = sub->addAction(FromAnsi(item.Caption));
      a->setObjectName(QString::fromStdString(item.Name));
      a->setCheckable(true);
      a->setChecked(item.Caption == g.CurrentInstrument().Caption);
      const std::string caption = item.Caption;
      connect(a, &QAction::triggered, this, [this, caption] { InstClick(caption); });
    }
  }
  Datenformatmenu->clear();
  TInstrument& current = g.CurrentInstrument();
  if (current.Hersteller && current.Hersteller->OnDatenformatMenu) {
    TPopupMenu formats;
    current.Hersteller->OnDatenformatMenu(formats, {});
    for (const TMenuItem& item : formats.Items) {
      QAction* a = Datenformatmenu->addAction(FromAnsi(item.Caption));
      a->setObjectName(QString::fromStdString(item.Name));
      a->setCheckable(true);
      const std::string name = item.Name.size() > 2 ? item.Name.substr(2) : std::string();
      a->setEnabled(AcceptsGeraeteFormat(current, name) || (current.GeraeteFormat && current.GeraeteFormat->Name == name));
      a->setChecked(current.GeraeteFormat && current.GeraeteFormat->Name == name);
      connect(a, &QAction::triggered, this, [this, name] { FormatClick(name); });
    }
  }
}

void TfrmSurtrans::BuildLanguageMenu() {
  Sprachwahl->clear();
  for (const TSprache& sprache : Sprachen()) {
    if (FindLibrary(sprache.LanguageFile).empty()) continue;
    QMenu* sub = Sprachwahl->addMenu(FromAnsi(sprache.Caption));
    sub->setObjectName(QString::fromStdString(sprache.Name));
    if (sprache.Tag) SetTextNumber(sub, sprache.Tag);
    for (const TNiederlassung& entry : Niederlassungen()) {
      if (entry.Sprache != sprache.Name) continue;
      QAction* a = sub->addAction(FromAnsi(entry.Caption));
      a->setObjectName(QString::fromStdString(entry.Name));
      a->setCheckable(true);
      a->setChecked(entry.Active);
      const int id = entry.LanguageID;
      connect(a, &QAction::triggered, this, [this, id] { LanguageClick(id); });
    }
  }
}

// ---- Start-up ----------------------------------------------------------------------------

void TfrmSurtrans::FormCreate() {
  TGeraete& g = *modules_.geraete;
  // 1. Command line.
  FilePanel->setVisible(!arguments_.newDesign);
  DirectoryPanel->setVisible(arguments_.newDesign);
  if (arguments_.newDesign) resize(780, 580);
  SetShowTextNumbers(arguments_.hint);

  // 3. Language (before the texts of step 2 are used) and the instrument's library.
  const TNiederlassung& entry = ActiveNiederlassung();
  if (const TSprache* sprache = FindSprache(entry.Sprache)) {
    if (!LoadLanguage(*sprache))
      if (const TSprache* english = FindSprache("Englisch")) LoadLanguage(*english);
    helpFile_ = InstallationDirectory() + sprache->HelpFile;
  }
  LoadMessageTitles(entry.LanguageID);
  g.LoadSettings();
  side_ = std::make_unique<TInstrumentTransfer>(g, *modules_.binding, &host_);
  host_.onIndicators = [this](bool on) { ShowLedStatus(on); };
  host_.onIndicatorColour = [this](InstrumentTransferHost::Indicator i, std::uint32_t rgb) { SetIndicator(i, rgb); };
  host_.onFocusInput = [this] { DateiInput->setFocus(); };
  host_.onFormatChanged = [this] { UpdateStatus(); };
  SetTransferEnvironment({this, nullptr, side_.get(), &tdm_.Settings()});

  // 2. Installed features.
  features_ = g.AvailableInstrumentKinds();
  if (!FindLibrary(kCalcNivLibrary).empty()) features_ |= 4;
  if (features_ == 4) {
    SetTextNumber(this, kTextCalculationOnly);
    Transfer_starten->hide();
    StartTransfer->setVisible(false);
    features_ = 6;
  }
  SetInstrumentTexts();
  Berechnungen->menuAction()->setVisible(features_ & 4);
  Calculate->setVisible(features_ & 4);

  // 4. Ports.
  for (int n = 1; n <= 8; ++n) {
    const bool exists = PortExists(n);
    portMap_[static_cast<size_t>(n - 1)] = exists ? 'T' : 'F';
    comItems[static_cast<size_t>(n - 1)]->setVisible(exists);
  }
  TInstrument& current = g.CurrentInstrument();
  const size_t first = portMap_.find('T');
  if (first != std::string::npos &&
      (current.Port < 1 || current.Port > 8 || portMap_[static_cast<size_t>(current.Port - 1)] != 'T'))
    current.Port = static_cast<TPort>(first + 1);

  // 5. The decimal separator is taken care of by the locale start-up.
  InitLocale();
  // 6. Languages.
  BuildLanguageMenu();
  // 7. Settings.
  ReadSettings();
  // 8. Menus and page captions.
  TranslateMenus();
  BuildInstrumentMenus();
  for (size_t n = 0; n < pages_.size(); ++n)
    if (!pages_[n].definition->Caption.empty())
      PageControl->setTabText(static_cast<int>(n), FromAnsi(pages_[n].definition->Caption));
  created_ = true;
  ShowPage(PageControl->currentIndex());
  UpdateStatus();
}

void TfrmSurtrans::SetInstrumentTexts() {
  const bool gps = modules_.geraete->CurrentInstrument().Instrumententyp &&
                   modules_.geraete->CurrentInstrument().Instrumententyp->Kind == InstrumentKind::GPS;
  int offset = -1;
  if (!(features_ & 2) && !gps) offset = 0;
  if (!(features_ & 1)) offset = 1;
  if (offset < 0) return;
  if (TextNumber(this) != kTextCalculationOnly) SetTextNumber(this, 392 + offset);
  SetTextNumber(ButtonKommandos, 394 + offset);
  SetTextNumber(Kommandos, 394 + offset);
  SetTextNumber(rbInstrument, 396 + offset);
  SetTextNumber(Tachymeter_Text, 398 + offset);
}

void TfrmSurtrans::ReadSettings() {
  const std::string rect = ReadRegString(kUser, ConfigPath(kSettingRect), "");
  if (!rect.empty()) ApplyRect(rect);
  tdm_.SetDialogFolder(tdm_.Settings().DataPath());

  // The options of the pages: the modules read them, the fields show them.
  for (TdmOfficeFormat* m : modules_.OfficeFormats()) m->ReadOptions();
  modules_.dxf->ReadOptions();
  Layerinput_DXF->setText(FromAnsi(modules_.dxf->Layer));
  TextgroesseInput_DXF->setText(FromAnsi(modules_.dxf->Texthoehe));
  DXFDef->clear();
  for (const std::string& name : modules_.dxf->DefinitionNames()) DXFDef->addItem(FromAnsi(name));
  const std::string definition = modules_.dxf->Definition.empty() ? GetText(116) : modules_.dxf->Definition;
  const int at = DXFDef->findText(FromAnsi(definition));
  if (at >= 0) DXFDef->setCurrentIndex(at);
  auto show = [](QLineEdit* edit, const TdmOfficeFormat& m, const char* name) {
    edit->setText(FromAnsi(m.Option(name)));
  };
  show(MutInput_GEOS, *modules_.geos, TdmGEOS::kMutationsnummer);
  show(ClassInput_GEOS, *modules_.geos, TdmGEOS::kKlasse);
  show(TempInput_GEOS, *modules_.geos, TdmGEOS::kTemperatur);
  show(DruckInput_GEOS, *modules_.geos, TdmGEOS::kLuftdruck);
  if (ClassInput_GEOS->text().isEmpty()) ClassInput_GEOS->setText(QStringLiteral("1"));
  show(GNumInput_Geotop, *modules_.geotop, TdmGeotop::kGemeinde);
  show(PlanInput_Geotop, *modules_.geotop, TdmGeotop::kPlan);
  show(PunkttypInput_Geotop, *modules_.geotop, TdmGeotop::kPunkttyp);
  show(GNumInput_HOMERE, *modules_.homere, TdmHomere::kGemeinde);
  show(PunkttypInput_HOMERE, *modules_.homere, TdmHomere::kPunkttyp);
  show(TolWertInput_HOMERE, *modules_.homere, TdmHomere::kToleranz);
  show(EditCodeliste, *modules_.sbb, TdmSBB::kCodeliste);
  show(GNumInput_Bonjour, *modules_.bonjour, TdmBonjour::kGemeinde);
  show(PlanInput_Bonjour, *modules_.bonjour, TdmBonjour::kPlan);
  RunTopocad->setChecked(ReadRegBool(kUser, ConfigPath(TdmTopocad::kRunAfterTransfer), false));
  FillFormatbox();

  QStringList units;
  for (const std::string& item : SplitTextEntry(GetText(kTextCoordinateUnits)).items) units << FromAnsi(item);
  while (units.size() <= kMaxCoordinateUnit) units << QString::number(units.size());
  KoordUnit->clear();
  KoordUnit->addItems(units);
  KoordUnit->setCurrentIndex(veltro::KoordUnit());

  const int mask = ReadActivFormats();
  for (int n = 0; n < static_cast<int>(pages_.size()); ++n) PageControl->setTabVisible(n, PageOffered(mask, n));
  // The stored page; one that does not exist or is hidden gives the first shown page.
  int page = PageIndex(ReadRegString(kUser, ConfigPath(kSettingTransfer), kDefaultPage));
  if (page < 0 || !PageControl->isTabVisible(page)) {
    page = 0;
    while (page < PageControl->count() && !PageControl->isTabVisible(page)) ++page;
    if (page == PageControl->count()) page = 0;
  }
  PageControl->blockSignals(true);
  PageControl->setCurrentIndex(page);
  PageControl->blockSignals(false);
}

void TfrmSurtrans::FillFormatbox() {
  Formatbox->clear();
  const std::string list = ReadRegString(kUser, ConfigPath(kSettingFormatList), "");
  size_t at = 0;
  while (at < list.size()) {
    size_t end = list.find(';', at);
    if (end == std::string::npos) end = list.size();
    if (end > at) Formatbox->addItem(FromAnsi(list.substr(at, end - at)));
    at = end + 1;
  }
  Formatbox->setCurrentText(FromAnsi(ReadRegString(kUser, ConfigPath(kSettingActiveFormat), "")));
}

void TfrmSurtrans::ApplyRect(const std::string& text) {
  WindowRect r;
  if (!ParseWindowRect(text, r)) return;
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect a = screen->availableGeometry();
  if (!arguments_.newDesign) {
    r.width = width();
    r.height = height();
  }
  r = ClampToArea(r, {a.left(), a.top(), a.width(), a.height()});
  move(r.left, r.top);
  if (arguments_.newDesign) resize(r.width, r.height);
}

void TfrmSurtrans::TranslateMenus() {
  const TextEntry port = SplitTextEntry(GetText(kTextPortMenus));
  if (!port.caption.empty()) Commenu->setTitle(FromAnsi(port.caption));
  for (size_t n = 0; n < portSubmenus.size() && n < port.items.size(); ++n)
    portSubmenus[n]->setTitle(FromAnsi(port.items[n]));
  auto items = [](QMenu* menu, int text) {
    const TextEntry e = SplitTextEntry(GetText(text));
    const QList<QAction*> actions = menu->actions();
    for (int n = 0; n < actions.size() && n < static_cast<int>(e.items.size()); ++n)
      actions[n]->setText(FromAnsi(e.items[static_cast<size_t>(n)]));
    if (!e.caption.empty()) menu->setTitle(FromAnsi(e.caption));
  };
  items(portSubmenus[4], kTextParities);
  items(portSubmenus[5], kTextLineEnds);
  items(Protokollmenu, kTextFlows);
}

// ---- Show and activate ---------------------------------------------------------------------

void TfrmSurtrans::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  FormShow();
}

void TfrmSurtrans::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TfrmSurtrans::FormShow() {
  // With only levelling libraries no tab is shown.
  PageControl->tabBar()->setVisible(features_ != 2);
  if (arguments_.newDesign) {
    for (auto [tree, setting, field] : {std::tuple{stvLeft, kSettingPathLeft, EditDateiLeft},
                                        std::tuple{stvRight, kSettingPathRight, EditDateiRight}}) {
      const std::string path = ReadRegString(kUser, ConfigPath(setting), "");
      if (!path.empty()) SelectTreePath(tree->topLevelItem(0), path.size() > 2 ? path.substr(2) : std::string());
      QTreeWidgetItem* item = tree->currentItem();
      if (item && !IsFolderItem(item)) field->setText(item->data(0, kPathRole).toString());
    }
    stvLeft->setFocus();
  }
  UpdateStatus();
}

void TfrmSurtrans::FormActivate() {
  TranslateForm(this);
  TranslateMenus();
  const std::string caption = GetText(TextNumber(this));
  if (!caption.empty()) setWindowTitle(FromAnsi(caption));
  rbInstrumentTo->setChecked(Methode() == 0);
  rbFromInstrument->setChecked(Methode() == 1);
  rbInstrument->setChecked(TransOf() == 0);
  rbDatei->setChecked(TransOf() == 1);
  const std::string flow = GetText(kTextFlowCaption);
  if (!flow.empty()) Protokollmenu->setTitle(FromAnsi(flow + ":"));
  QApplication::setApplicationDisplayName(windowTitle());
  UpdateStatus();
}

// ---- Direction, side and pages ---------------------------------------------------------------

void TfrmSurtrans::rbInstrumentToClick() {
  SetMethode(0);
  ShowPage(PageControl->currentIndex());
  UpdateStatus();
}

void TfrmSurtrans::rbFromInstrumentClick() {
  SetMethode(1);
  ShowPage(PageControl->currentIndex());
  UpdateStatus();
}

void TfrmSurtrans::rbInstrumentClick() {
  SetTransOf(0);
  UpdateStatus();
}

void TfrmSurtrans::rbDateiClick() {
  SetTransOf(1);
  UpdateStatus();
}

int TfrmSurtrans::PageIndex(const std::string& name) const {
  for (size_t n = 0; n < pages_.size(); ++n)
    if (name == pages_[n].name) return static_cast<int>(n);
  return -1;
}

void TfrmSurtrans::StoreOptions(int index) {
  if (index < 0 || index >= static_cast<int>(pages_.size())) return;
  auto take = [](TdmOfficeFormat& m, const char* name, QLineEdit* edit) { m.SetOption(name, ToAnsi(edit->text())); };
  const std::string name = pages_[static_cast<size_t>(index)].name;
  if (name == "GEOS_Blatt") {
    take(*modules_.geos, TdmGEOS::kMutationsnummer, MutInput_GEOS);
    take(*modules_.geos, TdmGEOS::kKlasse, ClassInput_GEOS);
    take(*modules_.geos, TdmGEOS::kTemperatur, TempInput_GEOS);
    take(*modules_.geos, TdmGEOS::kLuftdruck, DruckInput_GEOS);
  } else if (name == "Geotop_Blatt") {
    take(*modules_.geotop, TdmGeotop::kGemeinde, GNumInput_Geotop);
    take(*modules_.geotop, TdmGeotop::kPlan, PlanInput_Geotop);
    take(*modules_.geotop, TdmGeotop::kPunkttyp, PunkttypInput_Geotop);
  } else if (name == "Bonjour_Blatt") {
    take(*modules_.bonjour, TdmBonjour::kGemeinde, GNumInput_Bonjour);
    take(*modules_.bonjour, TdmBonjour::kPlan, PlanInput_Bonjour);
  } else if (name == "Homere_Blatt") {
    take(*modules_.homere, TdmHomere::kGemeinde, GNumInput_HOMERE);
    take(*modules_.homere, TdmHomere::kPunkttyp, PunkttypInput_HOMERE);
    take(*modules_.homere, TdmHomere::kToleranz, TolWertInput_HOMERE);
  } else if (name == "SBB_Blatt") {
    take(*modules_.sbb, TdmSBB::kCodeliste, EditCodeliste);
  } else if (name == "DXF_Blatt") {
    modules_.dxf->Layer = ToAnsi(Layerinput_DXF->text());
    modules_.dxf->Texthoehe = ToAnsi(TextgroesseInput_DXF->text());
    modules_.dxf->Definition = ToAnsi(DXFDef->currentText());
  } else if (name == "Topocad_Blatt") {
    modules_.topocad->SetOption(TdmTopocad::kRunAfterTransfer, RunTopocad->isChecked() ? "1" : "0");
  } else if (name == "Neues_Format") {
    const std::string chosen = TrimBlanks(ToAnsi(Formatbox->currentText()));
    if (chosen.empty()) {
      ShowMessageBox(GetText(kTextNoFormatName), kMsgWarning, kBtnOk);
      Formatbox->setFocus();
      CurrentTransfer().CancelFlag = true;
      CurrentTransfer().StopFlag = true;
      return;
    }
    if (!modules_.newFormat->LoadForTransfer(chosen)) {
      CurrentTransfer().CancelFlag = true;
      CurrentTransfer().StopFlag = true;
    }
  }
}

void TfrmSurtrans::ShowPage(int index) {
  if (index < 0 || index >= static_cast<int>(pages_.size())) return;
  Page& p = pages_[static_cast<size_t>(index)];
  ActivateFormat(*p.definition);
  shownPage_ = index;
  const bool toPc = Methode() == 0;
  const std::string name = p.name;
  if (name == "DXF_Blatt") {
    Layerinput_DXF->setEnabled(toPc);
    TextgroesseInput_DXF->setEnabled(toPc);
  } else if (name == "GEOS_Blatt") {
    SetOutputFileField(kGeosOutput);
  } else if (name == "Geotop_Blatt") {
    PlanInput_Geotop->setEnabled(toPc);
    PunkttypInput_Geotop->setEnabled(toPc);
  } else if (name == "Homere_Blatt") {
    PunkttypInput_HOMERE->setEnabled(toPc);
    TolWertInput_HOMERE->setEnabled(toPc);
  } else if (name == "SBB_Blatt") {
    EditCodeliste->setVisible(toPc);
    LadenCodeliste->setVisible(toPc);
  } else if (name == "Bonjour_Blatt") {
    PlanInput_Bonjour->setEnabled(toPc);
  } else if (name == "Topocad_Blatt") {
    RunTopocad->setVisible(toPc);
  }
  SetFileLabels(p.label ? GetText(p.label) : InstrumentSideName());
}

void TfrmSurtrans::PageControlChange(int index) {
  if (!created_) return;
  const int left = shownPage_;
  if (left >= 0 && left != index) StoreOptions(left);
  if (PageIndex("GEOS_Blatt") != index && OutputFileField() == kGeosOutput) SetOutputFileField("");
  ShowPage(index);
  UpdateStatus();
}

// ---- Status --------------------------------------------------------------------------------

std::string TfrmSurtrans::InstrumentSideName() const {
  if ((features_ & 3) == 1) return GetText(kTextTachymeter);
  if ((features_ & 3) == 2) return GetText(kTextNivellier);
  return GetText(kTextBoth);
}

void TfrmSurtrans::SetFileLabels(const std::string& formatName) {
  const std::string i = InstrumentSideName();
  const bool toPc = Methode() == 0;
  DateiInputText->setText(FromAnsi(GetText(kTextSource) + " " + (toPc ? i : formatName)));
  DateiOutputText->setText(FromAnsi(GetText(kTextTarget) + " " + (toPc ? formatName : i)));
  LabelDateiLeft->setText(FromAnsi(i));
  LabelDateiRight->setText(FromAnsi(formatName));
}

void TfrmSurtrans::SetID(bool enabled) {
  Laden->setEnabled(enabled);
  DateiInputText->setEnabled(enabled);
  DateiInput->setEnabled(enabled);
}

void TfrmSurtrans::SetOD(bool enabled) {
  Speichern->setEnabled(enabled);
  DateiOutputText->setEnabled(enabled);
  DateiOutput->setEnabled(enabled);
}

void TfrmSurtrans::UpdateStatus() {
  if (!created_) return;
  TGeraete& g = *modules_.geraete;
  TInstrument& inst = g.CurrentInstrument();
  // 1. The Pentax R300 takes 2400 bit/s towards it and 9600 from it.
  if (inst.Name == "itPentaxR300") inst.BaudRate = Methode() == 1 ? tbr2400 : tbr9600;
  // 2. Levelling calculation only for levels.
  const bool level = inst.Instrumententyp && inst.Instrumententyp->Kind == InstrumentKind::Nivellier;
  Calculate->setEnabled(level);
  // 7 first: a format that cannot be sent to.
  TGeraeteFormat* format = inst.GeraeteFormat;
  if (format && format->NoTransPCtoInst && Methode() == 1) {
    if (ActivePageName() == "NoTrans_Blatt")
      SetMethode(0);
    else
      SetTransOf(1);
  }
  // 3. File fields.
  int direction = Methode();
  const std::string page = ActivePageName();
  if (page == "NoTrans_Blatt" && TransOf() == 1) SetTransOf(0);
  if (page == "Editor_Blatt" && direction != 1) {
    SetMethode(1);
    direction = 1;
  }
  rbInstrumentTo->setChecked(direction == 0);
  rbFromInstrument->setChecked(direction == 1);
  rbInstrument->setChecked(TransOf() == 0);
  rbDatei->setChecked(TransOf() == 1);
  if (TransOf() == 0) {
    SetID(direction == 1);
    SetOD(direction == 0);
  } else {
    SetID(true);
    SetOD(true);
  }
  if (page == "Editor_Blatt") SetID(CurrentTransfer().EditorLines.empty());
  if (DateiInput->isEnabled() && !DateiOutput->isEnabled()) DateiInput->setFocus();
  if (DateiOutput->isEnabled() && !DateiInput->isEnabled()) DateiOutput->setFocus();
  // 4. Coordinate unit.
  KoordUnit->setVisible(direction == 1 && format && format->KoordinatenUnit);
  if (KoordUnit->isVisible()) KoordUnit->setCurrentIndex(veltro::KoordUnit());
  // 5. Instrument, commands, menus, format.
  Tachymeter->setText(FromAnsi(inst.Caption));
  const bool commands = inst.CmdStrTag != 0;
  ButtonKommandos->setEnabled(commands);
  Kommandos->setEnabled(commands);
  for (int n = 0; n < 8; ++n) comItems[static_cast<size_t>(n)]->setChecked(inst.Port == n + 1);
  auto check = [](QMenu* menu, int position) {
    const QList<QAction*> actions = menu->actions();
    for (int n = 0; n < actions.size(); ++n) actions[n]->setChecked(n == position);
  };
  check(portSubmenus[1], inst.BaudRate);
  check(portSubmenus[2], inst.DataBits);
  check(portSubmenus[3], inst.StopBits);
  check(portSubmenus[4], inst.Parity);
  check(portSubmenus[5], inst.EndofLine);
  check(Protokollmenu, inst.FlowControl);
  for (int f = 0; f < 7; ++f)
    flowItems[static_cast<size_t>(f)]->setEnabled(inst.ValidFlowControl.Contains(static_cast<TFlowControl>(f)));
  Datenformat_Status->setText(FromAnsi(format ? format->Caption : std::string()));
  // 6. Port line.
  const std::string parity = Items(GetText(kTextParities), inst.Parity);
  const std::string lineEnd = Items(GetText(kTextLineEnds), inst.EndofLine);
  Status_COM->setText(FromAnsi("COM" + std::to_string(inst.Port) + ":" + std::to_string(BaudRateValue(inst.BaudRate)) +
                               "," + parity + "," + DataBitsName(inst.DataBits) + "," + StopBitsName(inst.StopBits) +
                               "," + lineEnd));
  Protokoll->setText(FromAnsi(Items(GetText(kTextFlows), inst.FlowControl)));
  // 8. Indicators off.
  ShowLedStatus(running_);
  SetIndicator(InstrumentTransferHost::Indicator::Receive, kIndicatorIdle);
  SetIndicator(InstrumentTransferHost::Indicator::Send, kIndicatorIdle);
  const int shown = PageControl->currentIndex();
  if (shown >= 0) {
    const Page& p = pages_[static_cast<size_t>(shown)];
    SetFileLabels(p.label ? GetText(p.label) : InstrumentSideName());
  }
}

void TfrmSurtrans::ShowLedStatus(bool on) {
  StatusText->setText(FromAnsi(GetText(on ? kTextRunning : kTextIdle)));
  StatusText->setStyleSheet(
      QStringLiteral("color: #%1;").arg(on ? kStatusRunning : kStatusIdle, 6, 16, QLatin1Char('0')));
  QCoreApplication::processEvents();
}

void TfrmSurtrans::SetIndicator(InstrumentTransferHost::Indicator indicator, std::uint32_t rgb) {
  QFrame* led = indicator == InstrumentTransferHost::Indicator::Receive ? RxLED : TxLED;
  led->setStyleSheet(ColourSheet(rgb));
  led->setProperty("rgb", static_cast<uint>(rgb));
}

// ---- TransferWindow --------------------------------------------------------------------------

std::string TfrmSurtrans::InputFileField() const { return PathOf(DateiInput->text()); }
void TfrmSurtrans::SetInputFileField(const std::string& name) { DateiInput->setText(Bytes(name)); }
std::string TfrmSurtrans::OutputFileField() const { return PathOf(DateiOutput->text()); }
void TfrmSurtrans::SetOutputFileField(const std::string& name) { DateiOutput->setText(Bytes(name)); }
void TfrmSurtrans::FocusOutputField() { DateiOutput->setFocus(); }

std::string TfrmSurtrans::ActivePageName() const {
  const int n = PageControl->currentIndex();
  return n >= 0 ? pages_[static_cast<size_t>(n)].name : std::string();
}

bool TfrmSurtrans::EditorPageActive() const { return ActivePageName() == "Editor_Blatt"; }

void TfrmSurtrans::LeaveActivePage() { StoreOptions(PageControl->currentIndex()); }

TransferWindow::PageState TfrmSurtrans::FindPage(const std::string& name) const {
  const int n = PageIndex(name);
  if (n < 0) return PageState::Missing;
  return PageControl->isTabVisible(n) ? PageState::Shown : PageState::Hidden;
}

void TfrmSurtrans::ActivatePage(const std::string& name) {
  const int n = PageIndex(name);
  if (n >= 0) PageControl->setCurrentIndex(n);
}

bool TfrmSurtrans::RunTopocadChecked() const { return RunTopocad->isChecked(); }
bool TfrmSurtrans::TopocadPageShown() const { return ActivePageName() == "Topocad_Blatt"; }

void TfrmSurtrans::SetStartTransferEnabled(bool enabled) {
  StartTransfer->setEnabled(enabled);
  Transfer_starten->setEnabled(enabled);
}

void TfrmSurtrans::SetStatusText(const std::string& text) { statusBar()->showMessage(FromAnsi(text)); }

bool TfrmSurtrans::AskSaveFileName(std::string& name) {
  const QStringList filters = DialogFilters(FormatFilter(false));
  std::string path = name;
  if (chooseSaveFile) {
    if (!chooseSaveFile(filters, FilterExtension(FormatFilter(false)), path)) return false;
  } else {
    const QString chosen = QFileDialog::getSaveFileName(this, QString(), Bytes(name), filters.join(";;"));
    if (chosen.isEmpty()) return false;
    path = PathOf(chosen);
  }
  name = path;
  return true;
}

bool TfrmSurtrans::ShowViewer(LineList& lines, const std::string&) {
  return viewer_ ? viewer_->ShowReceivedLines(lines) : false;
}

// ---- Files -------------------------------------------------------------------------------------

std::string TfrmSurtrans::InstrumentFilter() const {
  TInstrument& inst = modules_.geraete->CurrentInstrument();
  std::string instrument = GetText(inst.Dateifilter);
  if (inst.GeraeteFormat) instrument += GetText(inst.GeraeteFormat->Dateifilter);
  return instrument;
}

std::string TfrmSurtrans::FormatFilter(bool forOpen) const {
  const std::string instrument = InstrumentFilter();
  const int n = PageControl->currentIndex();
  const TDatenformatDefinitionen* office = n >= 0 ? pages_[static_cast<size_t>(n)].definition : nullptr;
  std::string officeFilter = office ? GetText(office->Dateifilter) : std::string();
  if (office == modules_.dfd->Original) officeFilter += (officeFilter.empty() ? "" : "|") + instrument;
  const bool instrumentSide = (Methode() == 0) == forOpen;
  return instrumentSide ? instrument : officeFilter;
}

QStringList TfrmSurtrans::DialogFilters(const std::string& filter) const {
  std::string f = filter;
  while (!f.empty() && f.back() == '|') f.pop_back();
  QStringList list = NameFilters(f);
  if (list.isEmpty()) list << QStringLiteral("*");
  return list;
}

bool TfrmSurtrans::ChooseOpenFile(const std::string& filter, std::string& path) {
  const QStringList filters = DialogFilters(filter);
  if (chooseOpenFile) return chooseOpenFile(filters, path);
  const QString chosen =
      QFileDialog::getOpenFileName(this, QString(), Bytes(tdm_.Settings().DataPath()), filters.join(";;"));
  if (chosen.isEmpty()) return false;
  path = PathOf(chosen);
  return true;
}

void TfrmSurtrans::LadenClick() {
  std::string path;
  if (!ChooseOpenFile(FormatFilter(true), path)) return;
  SetInputFileField(path);
  DateiOutput->setFocus();
}

void TfrmSurtrans::SpeichernClick() {
  const std::string filter = FormatFilter(false);
  const QStringList filters = DialogFilters(filter);
  const std::string suffix = FilterExtension(filter);
  std::string path;
  if (chooseSaveFile) {
    if (!chooseSaveFile(filters, suffix, path)) return;
  } else {
    QFileDialog dialog(this, QString(), Bytes(tdm_.Settings().DataPath()));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QString::fromStdString(suffix));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    path = PathOf(dialog.selectedFiles().front());
  }
  SetOutputFileField(path);
}

bool TfrmSurtrans::eventFilter(QObject* watched, QEvent* event) {
  // Events of the file fields and the format box come while the window is
  // built, before the folder trees exist.
  const bool left = stvLeft && watched == stvLeft->viewport();
  if (left || (stvRight && watched == stvRight->viewport())) {
    const QEvent::Type type = event->type();
    if (type == QEvent::DragEnter || type == QEvent::DragMove) {
      auto* drag = static_cast<QDropEvent*>(event);
      const bool fromTree = drag->source() == stvLeft || drag->source() == stvRight;
      if (fromTree)
        drag->acceptProposedAction();
      else
        drag->ignore();
      return true;
    }
    if (type == QEvent::Drop) {
      auto* drop = static_cast<QDropEvent*>(event);
      drop->acceptProposedAction();
      const QPoint pos = drop->position().toPoint();
      if (left)
        stvLeftDragDrop(pos);
      else
        stvRightDragDrop(pos);
      return true;
    }
  }
  if ((watched == DateiInput || watched == DateiOutput) && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      Transfer_startenClick();
      return true;
    }
  }
  if (Formatbox && watched == Formatbox->lineEdit() && event->type() == QEvent::MouseButtonDblClick && !Busy()) {
    std::string name = TrimBlanks(ToAnsi(Formatbox->currentText()));
    std::vector<std::string> names;
    ShowFormatDef(*modules_.newFormat, *modules_.geraete, name, names, this);
    FillFormatbox();
    if (!name.empty()) Formatbox->setCurrentText(FromAnsi(name));
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

// ---- Transfer and menus ------------------------------------------------------------------------

bool TfrmSurtrans::Busy() {
  if (!running_ && !modules_.binding->LibraryCallRunning()) return false;
  ShowMessageBox(GetText(kTextRunning), kMsgWarning, kBtnOk);
  return true;
}

void TfrmSurtrans::Transfer_startenClick() {
  if (Busy()) return;
  if (!StartTransfer->isEnabled() && StartTransfer->isVisible()) return;
  running_ = true;
  ShowLedStatus(true);
  veltro::Transfer_startenClick();
  running_ = false;
  ShowLedStatus(false);
  UpdateStatus();
}

void TfrmSurtrans::KoordUnitChange(int index) { SetKoordUnit(index); }

void TfrmSurtrans::COMClick(int position) {
  modules_.geraete->CurrentInstrument().Port = static_cast<TPort>(position + 1);
  UpdateStatus();
}
void TfrmSurtrans::BaudrateClick(int position) {
  modules_.geraete->CurrentInstrument().BaudRate = static_cast<TBaudRate>(position);
  UpdateStatus();
}
void TfrmSurtrans::WortlaengeClick(int position) {
  modules_.geraete->CurrentInstrument().DataBits = static_cast<TDataBits>(position);
  UpdateStatus();
}
void TfrmSurtrans::StopbitsClick(int position) {
  modules_.geraete->CurrentInstrument().StopBits = static_cast<TStopBits>(position);
  UpdateStatus();
}
void TfrmSurtrans::ParitaetClick(int position) {
  modules_.geraete->CurrentInstrument().Parity = static_cast<TParity>(position);
  UpdateStatus();
}
void TfrmSurtrans::ZeilenendeClick(int position) {
  modules_.geraete->CurrentInstrument().EndofLine = static_cast<TEndofLine>(position);
  UpdateStatus();
}
void TfrmSurtrans::ProtokollClick(int position) {
  modules_.geraete->CurrentInstrument().FlowControl = static_cast<TFlowControl>(position);
  UpdateStatus();
}

void TfrmSurtrans::InstClick(const std::string& caption) {
  if (Busy()) return;
  modules_.geraete->SelectInstrument(caption);
  SetInstrumentTexts();
  BuildInstrumentMenus();
  ShowPage(PageControl->currentIndex());
  UpdateStatus();
}

void TfrmSurtrans::FormatClick(const std::string& name) {
  if (TGeraeteFormat* f = modules_.geraete->Format(name)) modules_.geraete->CurrentInstrument().GeraeteFormat = f;
  BuildInstrumentMenus();
  UpdateStatus();
}

void TfrmSurtrans::LanguageClick(int languageId) {
  const TNiederlassung& entry = ActivateNiederlassung(languageId);
  if (const TSprache* sprache = FindSprache(entry.Sprache)) {
    LoadLanguage(*sprache);
    helpFile_ = InstallationDirectory() + sprache->HelpFile;
  }
  LoadMessageTitles(entry.LanguageID);
  BuildLanguageMenu();
  FormActivate();
}

void TfrmSurtrans::OpenInstrumentDialog() {
  if (Busy()) return;
  TfrmTachyWahl dialog(*modules_.geraete, this);
  dialog.SetAdministrator(arguments_.admin);
  dialog.SetAktivSystem(ReadRegString(kUser, ConfigPath(kSettingGpsSystem), kDefaultGpsSystem));
  dialog.DataMerging->setChecked(ReadRegBool(kUser, ConfigPath(kSettingDataMerging), false));
  if (dialog.exec() == QDialog::Accepted) {
    WriteRegBool(kUser, ConfigPath(kSettingDataMerging), dialog.DataMerging->isChecked(), true);
    WriteRegString(kUser, ConfigPath(kSettingGpsSystem), dialog.AktivSystem(), true);
  }
  SetInstrumentTexts();
  BuildInstrumentMenus();
  ShowPage(PageControl->currentIndex());
  UpdateStatus();
}

void TfrmSurtrans::OpenConfiguration() {
  if (Busy()) return;
  AnpassenWerte werte = ReadAnpassenWerte(tdm_.Settings().DataPath(), TemplateDirectory());
  for (int n = 1; n <= 8; ++n)
    if (portMap_[static_cast<size_t>(n - 1)] == 'T') werte.Ports.push_back(n);
  TInstrument& inst = modules_.geraete->CurrentInstrument();
  werte.Port = inst.Port;
  TfrmAnpassen dialog(werte, this);
  dialog.OnEigenschaften = [this] {
    TfrmEigenschaften port(*modules_.geraete, this);
    port.exec();
  };
  if (dialog.exec() == QDialog::Accepted) inst.Port = static_cast<TPort>(werte.Port);
  UpdateStatus();
}

void TfrmSurtrans::OpenFormatChoice() {
  std::vector<std::string> captions;
  for (const Page& p : pages_) captions.push_back(p.definition->Caption);
  TfrmDatenformate dialog(captions, ReadActivFormats(), PageControl->currentIndex(), this);
  std::vector<std::string> names;
  for (int i = 0; i < Formatbox->count(); ++i) names.push_back(ToAnsi(Formatbox->itemText(i)));
  dialog.SetTemplateFormats(TrimBlanks(ToAnsi(Formatbox->currentText())), names);
  dialog.SetDefineFormatHandler([this, &dialog](std::string& name, std::vector<std::string>& list) {
    ShowFormatDef(*modules_.newFormat, *modules_.geraete, name, list, &dialog);
  });
  if (dialog.exec() != QDialog::Accepted) return;
  WriteActivFormats(dialog.Mask());
  FillFormatbox();
  if (!dialog.TemplateFormatName().empty()) Formatbox->setCurrentText(FromAnsi(dialog.TemplateFormatName()));
  for (int n = 0; n < static_cast<int>(pages_.size()); ++n) PageControl->setTabVisible(n, PageOffered(dialog.Mask(), n));
}

void TfrmSurtrans::OpenCodeInput() {
  TfrmCodeInput dialog(this);
  dialog.exec();
  UpdateStatus();
}

void TfrmSurtrans::OpenKommandos() {
  if (Busy()) return;
  TfrmTachyKommandos dialog(*modules_.geraete, this);
  dialog.exec();
}

bool TfrmSurtrans::LoadCalcNiv() {
  if (calcNiv_.IsLoaded()) return true;
  if (!LoadLibraryByName(kCalcNivLibrary, calcNiv_)) {
    ShowMessageBox(GetText(kTextCalcNotLoaded), kMsgInformation, kBtnOk);
    return false;
  }
  using SetRect = void (*)(std::int16_t, std::int16_t, std::int16_t, std::int16_t);
  if (auto set = calcNiv_.Export<SetRect>("SetMainFormRect"))
    set(static_cast<std::int16_t>(x()), static_cast<std::int16_t>(y()), static_cast<std::int16_t>(width()),
        static_cast<std::int16_t>(height()));
  using SetLanguage = void (*)(void*);
  if (auto lang = calcNiv_.Export<SetLanguage>("SetLanguageCalcNiv")) lang(ActiveLanguageHandle());
  return true;
}

namespace {
// The settings root as the calculation library receives it.
constexpr std::int32_t kCalcRoot = static_cast<std::int32_t>(RegistryRoot::CurrentUser);
std::string CalcKey(const char* value) { return std::string(kConfigurationKey) + value; }
constexpr const char* kComputeParameter = "Compute parameter";
constexpr const char* kPrinterParameter = "Printer parameter";
}  // namespace

void TfrmSurtrans::BerechnungsparameterClick() {
  if (!LoadCalcNiv()) return;
  using Show = void (*)(std::int32_t, const char*);
  if (auto show = calcNiv_.Export<Show>("ShowBerechnungsparameter")) show(kCalcRoot, CalcKey(kComputeParameter).c_str());
}

void TfrmSurtrans::TabellenparameterClick() {
  if (!LoadCalcNiv()) return;
  using Show = void (*)(std::int32_t, const char*);
  if (auto show = calcNiv_.Export<Show>("ShowTableparameter")) show(kCalcRoot, CalcKey(kPrinterParameter).c_str());
}

void TfrmSurtrans::KundeninfosClick() {
  if (!LoadCalcNiv()) return;
  using Show = void (*)(std::int32_t, const char*, const char*);
  if (auto show = calcNiv_.Export<Show>("ShowKundenInfo"))
    show(kCalcRoot, CalcKey(kPrinterParameter).c_str(), CustomerText().c_str());
}

void TfrmSurtrans::CalculateClick() {
  if (Busy() || !LoadCalcNiv()) return;
  TransferState& t = CurrentTransfer();
  if (t.ReceivedLines.empty()) {
    std::string path;
    if (!ChooseOpenFile(InstrumentFilter(), path)) return;
    LineList lines;
    if (!LoadTextFile(path, lines)) {
      ShowMessageBox(GetText(kTextFileNotLoaded), kMsgError, kBtnOk);
      return;
    }
    t.ReceivedLines = std::move(lines);
  }
  TGeraeteFormat* format = modules_.geraete->CurrentInstrument().GeraeteFormat;
  std::string tag;
  if (format && format->OnFormat && !t.ReceivedLines.empty())
    tag = format->OnFormat(std::string(t.ReceivedLines.front()), TextFrom(t.ReceivedLines, 0, kFormatBufferSize));
  if (tag.empty()) {
    // What follows the answer is the library's business; nothing is computed here.
    ShowMessageBox(GetText(kTextNoLevelling), kMsgConfirmation, kBtnYesNo);
    return;
  }
  using Result = void (*)(std::int32_t, const char*, const char*, const char*, const char*, const char*, const char*,
                          const char*, const char*, const char*, const char*, const char*, const char*, const char*);
  auto result = calcNiv_.Export<Result>("ShowResult");
  if (!result) return;
  TDatenformatDefinitionen* previous = nullptr;
  if (modules_.dfd->Original) previous = ActivateFormat(*modules_.dfd, *modules_.dfd->Original);
  const std::string printer = CalcKey(kPrinterParameter), compute = CalcKey(kComputeParameter);
  const std::string title = ToAnsi(windowTitle()), customer = CustomerText();
  const std::string start = JoinLines(format->Startdaten), mess = JoinLines(format->Messdaten),
                    end = JoinLines(format->Enddaten), comments = JoinLines(format->Kommentare),
                    lines = JoinLines(t.ReceivedLines);
  result(kCalcRoot, tdm_.Settings().DataPath().c_str(), printer.c_str(), compute.c_str(), title.c_str(),
         customer.c_str(), start.c_str(), mess.c_str(), end.c_str(), comments.c_str(), format->Datumsformat.c_str(),
         format->Uhrzeitformat.c_str(), lines.c_str(), tag.c_str());
  if (modules_.dfd->Original) {
    if (previous)
      ActivateFormat(*modules_.dfd, *previous);
    else
      modules_.dfd->Original->Active = false;
  }
}

// ---- End -----------------------------------------------------------------------------------------

void TfrmSurtrans::EndeClick() {
  if (Busy()) return;
  LeaveActivePage();
  CurrentTransfer().CancelFlag = false;
  CurrentTransfer().StopFlag = false;
  const QRect frame = geometry();
  WriteRegString(kUser, ConfigPath(kSettingRect),
                 std::to_string(frame.left()) + ";" + std::to_string(frame.top()) + ";" +
                     std::to_string(frame.width()) + ";" + std::to_string(frame.height()),
                 true);
  WriteRegString(kUser, ConfigPath(kSettingTransfer), ActivePageName(), true);
  WriteRegString(kUser, ConfigPath(kSettingStdPath), InstallationDirectory(), true);
  WriteRegString(kUser, ConfigPath(kSettingDataPath), tdm_.Settings().DataPath(), true);
  WriteRegString(kUser, ConfigPath(kSettingFormatPath), TemplateDirectory(), true);
  WriteRegBool(kUser, ConfigPath(kSettingViewer), tdm_.Settings().Viewer(), true);
  WriteRegBool(kUser, ConfigPath(kSettingDataMerging), ReadRegBool(kUser, ConfigPath(kSettingDataMerging), false), true);
  WriteRegBool(kUser, ConfigPath(kSettingSaveSource), tdm_.Settings().SaveSource(), true);
  WriteRegInteger(kUser, ConfigPath(kSettingCoordinateUnit), veltro::KoordUnit(), true);
  WriteRegInteger(kUser, ConfigPath(kSettingWaitForRemote), WaitForRemote(), true);
  WriteRegString(kUser, ConfigPath(kSettingAviPath),
                 ReadRegString(kUser, ConfigPath(kSettingAviPath), InstallationDirectory() + "COOL.AVI"), true);
  WriteActivFormats(ReadActivFormats());
  WriteRegString(kUser, ConfigPath(kSettingGpsSystem),
                 ReadRegString(kUser, ConfigPath(kSettingGpsSystem), kDefaultGpsSystem), true);
  // The tree paths of the directory layout, empty when the field is.
  WriteRegString(kUser, ConfigPath(kSettingPathLeft),
                 EditDateiLeft->text().isEmpty() ? std::string() : TreePath(LeftFileField()), true);
  WriteRegString(kUser, ConfigPath(kSettingPathRight),
                 EditDateiRight->text().isEmpty() ? std::string() : TreePath(RightFileField()), true);
  if (features_ & 1) {
    WriteRegString(kUser, ConfigPath(kSettingDxfLayer), ToAnsi(Layerinput_DXF->text()), true);
    WriteRegString(kUser, ConfigPath(kSettingDxfFontSize), ToAnsi(TextgroesseInput_DXF->text()), true);
    WriteRegString(kUser, ConfigPath(kSettingDxfDefinition), ToAnsi(DXFDef->currentText()), true);
    WriteRegString(kUser, ConfigPath(TdmGEOS::kLuftdruck), ToAnsi(DruckInput_GEOS->text()), true);
    WriteRegString(kUser, ConfigPath(TdmGEOS::kTemperatur), ToAnsi(TempInput_GEOS->text()), true);
    WriteRegString(kUser, ConfigPath(TdmGEOS::kMutationsnummer), ToAnsi(MutInput_GEOS->text()), true);
    WriteRegString(kUser, ConfigPath(TdmGEOS::kKlasse), ToAnsi(ClassInput_GEOS->text()), true);
    WriteRegString(kUser, ConfigPath(TdmSBB::kCodeliste), ToAnsi(EditCodeliste->text()), true);
    WriteRegBool(kUser, ConfigPath(TdmTopocad::kRunAfterTransfer), RunTopocad->isChecked(), true);
  }
  // The options of the pages the settings table leaves to their formats.
  for (auto [edit, name] : std::initializer_list<std::pair<QLineEdit*, const char*>>{
           {GNumInput_Geotop, TdmGeotop::kGemeinde},     {PlanInput_Geotop, TdmGeotop::kPlan},
           {PunkttypInput_Geotop, TdmGeotop::kPunkttyp}, {GNumInput_HOMERE, TdmHomere::kGemeinde},
           {PunkttypInput_HOMERE, TdmHomere::kPunkttyp}, {TolWertInput_HOMERE, TdmHomere::kToleranz},
           {GNumInput_Bonjour, TdmBonjour::kGemeinde},   {PlanInput_Bonjour, TdmBonjour::kPlan}})
    WriteRegString(kUser, ConfigPath(name), ToAnsi(edit->text()), true);
  WriteRegString(kUser, ConfigPath(kSettingActiveFormat), TrimBlanks(ToAnsi(Formatbox->currentText())), true);
  WriteRegInteger(kUser, ConfigPath(kSettingGsiAttribute), ReadRegInteger(kUser, ConfigPath(kSettingGsiAttribute), 0),
                  true);
  WriteRegBool(kUser, ConfigPath(kSettingGsiCodes), ReadRegBool(kUser, ConfigPath(kSettingGsiCodes), false), true);
  const std::string list = ReadRegString(kUser, ConfigPath(kSettingGsiCodeList), "");
  WriteRegString(kUser, ConfigPath(kSettingGsiCodeList), list.empty() ? "Default" : list, true);
  tdm_.SaveLanguage();
  close();
}

void TfrmSurtrans::closeEvent(QCloseEvent* event) {
  // Never while a transfer runs.
  if (running_ || modules_.binding->LibraryCallRunning()) {
    event->ignore();
    ShowMessageBox(GetText(kTextRunning), kMsgWarning, kBtnOk);
    return;
  }
  // FormClose: the language and coordinate-system libraries go; errors are ignored.
  modules_.binding->CoordinateSystem().Free();
  UnloadLanguage();
  QMainWindow::closeEvent(event);
}

}  // namespace veltro
