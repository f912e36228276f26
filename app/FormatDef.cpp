#include "app/FormatDef.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSplitter>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QVBoxLayout>
#include <optional>

#include "app/CodeListTexts.h"
#include "app/Einheiten.h"
#include "app/InputGrid.h"
#include "app/TranslateForm.h"
#include "core/Messages.h"
#include "core/Niederlassung.h"
#include "core/Settings.h"
#include "core/TextUtils.h"
#include "formats/office/NewFormat.h"
#include "formats/office/Original.h"
#include "core/Transfer.h"
#include "instruments/InstrumentenModul.h"
#include "platform/Registry.h"
#include "platform/qt/QtMessageBox.h"

namespace veltro {
namespace {

using codetexts::TextOr;

constexpr int kTextSaveChanges = 208;
constexpr int kTextClear = 600;
constexpr int kTextDelete = 601;
constexpr int kTextCannotOpen = 70;
constexpr int kTextTitleLinesInvalid = 940;  // %s section

constexpr const char* kSettingToolbars = "tbPosi";
constexpr const char* kSettingAlignLeft = "NewFormat\\Alignment left";
constexpr const char* kSettingAlignRight = "NewFormat\\Alignment right";
constexpr int kPlaceValues = 5;  // left, top, width, height, state per tool bar
constexpr int kDocked = 0, kFloatWhenEntered = 1, kFloating = 2;

constexpr char kFollowMark = '\xBB';  // '»'
constexpr const char* kY = "&Y-Koordinate";
constexpr const char* kX = "&X-Koordinate";

// A field button: caption (its accelerator letter is the field's letter) and
// the default run, integer positions (opening marker included) and decimal
// positions (closing marker included; 0: no '.').
struct Field {
  const char* caption;
  int integers;
  int decimals;
};
constexpr Field Text(const char* c) { return {c, 10, 0}; }
constexpr Field Coord(const char* c) { return {c, 6, 3}; }
constexpr Field Short(const char* c) { return {c, 4, 3}; }  // instrument and reflector heights, shifts
constexpr Field Dist(const char* c) { return {c, 5, 3}; }
constexpr Field Angle(const char* c) { return {c, 3, 4}; }
constexpr Field Small(const char* c) { return {c, 2, 3}; }  // prism constant, atmospheric correction

const std::vector<Field> kInfo = {Text("&Projekt"),           Text("&Beobachter"),      Text("&Instrument"),
                                  Text("&Datum"),             Text("&Zeit"),            Text("B&eschreibung"),
                                  Text("&Umrechnungsfaktor"), Text("&Massstabsfaktor"), Text("Meeres&h\xF6he"),
                                  Text("Mutations&nummer")};
const std::vector<Field> kStation = {Text("&Punktnummer"), Text("&Code"),        Short("&Instrumentenh\xF6he"),
                                     Coord(kY),            Coord(kX),            Coord("&H\xF6he"),
                                     Text("&Temperatur"),  Text("&Luftdruck")};
const std::vector<Field> kBacksight = {
    Text("&Punktnummer"),        Angle("&Azimut"),           Text("&Code 1"),          Text("Co&de 2"),
    Short("&Reflektorh\xF6he"),  Text("&Kommentar"),         Short("&Querverschiebung"), Short("&L\xE4ngsverschiebung"),
    Short("Vertikalverschieb&ung"), Text("K&ontrollkodierung"), Text("Anmerkung &1"),  Text("Anmerkung &2"),
    Dist("&Schr\xE4gdistanz"),   Dist("Horizontaldistanz (&E)"), Dist("Vertikaldistanz (&F)"),
    Small("A&tmosph\xE4renkorrektur"), Small("Pris&menkonstante"), Angle("&Vertikalwinkel"),
    Angle("Horizontal&winkel"),  Coord(kY),                  Coord(kX),                Coord("&H\xF6he")};
const std::vector<Field> kKoord = {Text("&Punktnummer"), Text("&Code"),     Coord(kY),
                                   Coord(kX),            Coord("&H\xF6he"), Text("&Kommentar")};
const std::vector<Field> kQuer = {Dist("&Stationierung"), Text("&Code"), Dist("Seiten&abstand"), Coord("&H\xF6he")};
const std::vector<Field> kCodes = {Text("&Code"), {"&Entity", 3, 0}, Text("&Layer")};
const std::vector<Field> kStart = {Text("&Auftragsnummer"), Text("&Messnummer"),     Text("&Datum"),
                                   Text("&Zeit"),           Text("Anmerkung &1"),    Text("Anmerkung &2"),
                                   Text("Anmerkung &3"),    Text("H\xF6hen&bezug"),  Coord("Boden&h\xF6he"),
                                   Text("Anzahl &Nivellements"), Dist("&Limite")};
const std::vector<Field> kMess = {Text("&Messnummer"),        Text("&Datum"),       Dist("Latten&ablesung"),
                                  Text("A&nzahl Messungen"),  Short("&Standardabweichung"), Text("&Punktnummer"),
                                  Dist("&Entfernung")};
const std::vector<Field> kSight = {Text("&Datum"),       Dist("Latten&ablesung"), Text("A&nzahl Messungen"),
                                   Short("&Standardabweichung"), Text("&Punktnummer"), Dist("&Entfernung"),
                                   Coord("Boden&h\xF6he"), Text("H\xF6hen&bezug")};
const std::vector<Field> kJustierung = {
    Text("&Datum"),       Dist("Latten&ablesung"), Text("A&nzahl Messungen"), Short("&Standardabweichung"),
    Text("&Punktnummer"), Dist("&Entfernung"),     Coord("Boden&h\xF6he"),   Dist("Datendi&fferenz"),
    Text("&Korrekturparameter"), Text("H\xF6hen&bezug")};
const std::vector<Field> kEnde = {Text("&Auftragsnummer"), Text("&Messnummer"),  Text("&Datum"),
                                  Text("&Zeit"),           Text("Anmerkung &1"), Text("Anmerkung &2"),
                                  Text("H\xF6hen&bezug"),  Coord("Boden&h\xF6he"), Text("&Wechselpunkt"),
                                  Coord("&Relative H\xF6hendifferenz"), Coord("&Totale H\xF6hendifferenz"),
                                  Dist("&Entfernung"),     Dist("&Gesamtdistanz")};
const std::vector<Field> kBeschreibung = {{"&Beschreibung", 20, 0}};

struct SectionPage {
  const char* key;  // component names: "ts" + key, "me" + key, ...
  int toolbar;
  const std::vector<Field>* fields;
};
// Tool bars in settings order.
constexpr const char* kToolbarNames[TfrmFormatDef::kToolbarCount] = {
    "tbPunkt",     "tbInformationen", "tbStationspunkt", "tbQuerprofile",     "tbPunktcodes",    "tbStartdaten",
    "tbMessdaten", "tbEnddaten",      "tbKoordinaten",   "tbNivBeschreibung", "tbNivKoordinaten"};
const SectionPage kPages[kTemplateSectionCount] = {
    {"Informationen", 1, &kInfo},     {"Stationspunkt", 2, &kStation},   {"Anschlusspunkt", 0, &kBacksight},
    {"Detailpunkt", 0, nullptr},      {"Koordinaten", 8, &kKoord},       {"Querprofile", 3, &kQuer},
    {"Punktcodes", 4, &kCodes},       {"Startdaten", 5, &kStart},        {"Messdaten", 6, &kMess},
    {"Rueckblick", 6, &kSight},       {"Vorblick", 6, &kSight},          {"Mittelblick", 6, &kSight},
    {"Absteckung", 6, &kSight},       {"Justierung", 6, &kJustierung},   {"Abschlussdaten", 7, &kEnde},
    {"Beschreibung", 9, &kBeschreibung}, {"NivKoordinaten", 10, &kKoord}};

constexpr int kPointSections[] = {tsInformationen, tsStationspunkt, tsAnschlusspunkt, tsDetailpunkt,
                                  tsKoordinaten,   tsQuerprofile,   tsPunktcodes};
constexpr int kLevelSections[] = {tsStartdaten, tsMessdaten,      tsRueckblick,   tsVorblick,       tsMittelblick,
                                  tsAbsteckung, tsJustierung,     tsAbschlussdaten, tsBeschreibung, tsNivKoordinaten};

// The fields of a section; Detailpunkt is Anschlusspunkt without Azimut.
std::vector<Field> FieldsOf(int section) {
  if (section != tsDetailpunkt) return *kPages[section].fields;
  std::vector<Field> fields = kBacksight;
  fields.erase(fields.begin() + 1);
  return fields;
}

bool IsLevelSection(int section) { return section >= tsStartdaten; }

// The accelerator letter of a caption, upper-cased; 0 without one.
char AcceleratorLetter(const QString& caption) {
  const int at = caption.indexOf('&');
  if (at < 0 || at + 1 >= caption.size()) return 0;
  const std::string letter = ToAnsi(caption.mid(at + 1, 1).toUpper());
  return letter.size() == 1 ? letter[0] : 0;
}

// "&Punktnummer" -> "(P)unktnummer".
QString HintOf(const QString& caption) {
  const int at = caption.indexOf('&');
  if (at < 0 || at + 1 >= caption.size()) return caption;
  return caption.left(at) + "(" + caption.mid(at + 1, 1) + ")" + caption.mid(at + 2);
}

// The run of a field: opening marker, letters, '.', letters, closing marker.
std::string FieldRun(char letter, const Field& f, char open, char close) {
  if (f.decimals == 0) return open + std::string(static_cast<size_t>(std::max(f.integers - 2, 0)), letter) + close;
  return open + std::string(static_cast<size_t>(f.integers - 1), letter) + '.' +
         std::string(static_cast<size_t>(f.decimals - 1), letter) + close;
}

// Editor text (LF) and stored text (CR LF) of a template or marker list.
std::string StoredText(const QString& text) {
  std::string s = ToAnsi(text);
  if (!s.empty() && s.back() == '\n') s.pop_back();
  std::string out;
  for (char c : s) {
    if (c == '\n') out += '\r';
    if (c != '\r') out += c;
  }
  return out;
}
QString EditorText(const std::string& stored) {
  std::string s;
  for (char c : stored)
    if (c != '\r') s += c;
  return FromAnsi(s);
}

// A whole number of 0 or more; an empty text counts as 0.
std::optional<int> TitleCount(const QString& text) {
  const QString t = text.trimmed();
  if (t.isEmpty()) return 0;
  bool ok = false;
  const int n = t.toInt(&ok);
  if (!ok || n < 0) return std::nullopt;
  return n;
}

QFont FixedFont() {
  QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  f.setStyleHint(QFont::TypeWriter);
  return f;
}

// The movable column line over the editors: snaps to whole characters of
// the editor font, counted from the editor's first text column.
class ColumnLine : public QWidget {
 public:
  ColumnLine(QWidget* parent, std::function<int()> origin, int charWidth)
      : QWidget(parent), origin_(std::move(origin)), charWidth_(std::max(charWidth, 1)) {
    setObjectName("ColumnLine");
    setCursor(Qt::SizeHorCursor);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::red);
    setPalette(p);
    setFixedWidth(2);
  }
  // Column (from 0) the line stands before.
  int Column() const { return column_; }
  void SetColumn(int column) {
    column_ = std::max(column, 0);
    move(origin_() + column_ * charWidth_, 0);
    resize(width(), parentWidget()->height());
  }

 protected:
  void mouseMoveEvent(QMouseEvent* event) override {
    const int x = mapToParent(event->position().toPoint()).x() - origin_();
    SetColumn((x + charWidth_ / 2) / charWidth_);
  }

 private:
  std::function<int()> origin_;
  int charWidth_;
  int column_ = 0;
};

}  // namespace

TfrmFormatDef::TfrmFormatDef(TdmNewFormat& module, const std::string& name, QWidget* parent)
    : QDialog(parent), module_(module), initialName_(name) {
  setObjectName("frmFormatDef");
  setWindowTitle("Formatdefinition");
  levellingInstrument = [] { return false; };
  const std::string dataPath = ReadRegString(RegistryRoot::CurrentUser, ConfigPath(kSettingDataPath), "");
  chooseSampleFile = [this, dataPath](std::string& path) {
    const QString file = QFileDialog::getOpenFileName(this, QString(), FromAnsi(dataPath), "Alle Dateien (*)");
    path = LocalPath(file);
    return !file.isEmpty();
  };
  chooseFormatFile = [this](std::string& path) {
    const QString file = QFileDialog::getOpenFileName(this, QString(), FromAnsi(TemplateDirectory()),
                                                      "Formatdefinitionen (*.format *.Format);;Alle Dateien (*)");
    path = LocalPath(file);
    return !file.isEmpty();
  };

  auto* layout = new QVBoxLayout(this);
  // Name box and actions.
  auto* top = new QHBoxLayout;
  auto* nameLabel = new QLabel("&Formatname:", this);
  nameLabel->setObjectName("lbFormatname");
  nameBox_ = new QComboBox(this);
  nameBox_->setObjectName("cbFormatname");
  nameBox_->setEditable(true);
  nameBox_->setInsertPolicy(QComboBox::NoInsert);
  nameBox_->setMinimumWidth(200);
  nameLabel->setBuddy(nameBox_);
  connect(nameBox_, &QComboBox::activated, this, &TfrmFormatDef::NameChosen);
  top->addWidget(nameLabel);
  top->addWidget(nameBox_);
  auto* actions = new QToolBar(this);
  actions->setObjectName("tbAktionen");
  auto action = [&](const char* objectName, const char* text, auto slot) {
    auto* a = new QAction(FromAnsi(text), this);
    a->setObjectName(objectName);
    actions->addAction(a);
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  action("ActionNew", "&Neu", [this] { NewClick(); });
  action("ActionClear", "&Leeren", [this] { ClearClick(); });
  action("ActionDelete", "L\xF6s&chen", [this] { DeleteClick(); });
  actSave_ = action("ActionSave", "&Speichern", [this] { SaveClick(); });
  action("ActionSaveToFile", "In &Datei speichern", [this] { SaveToFileClick(); });
  action("ActionLoadFromFile", "Aus Datei &laden", [this] { LoadFromFileClick(); });
  actions->addSeparator();
  action("ActionLoadMuster", "&Musterdaten", [this] {
    std::string path;
    if (chooseSampleFile && chooseSampleFile(path)) LoadSample(path);
  });
  action("ActionEinheiten", "&Einheiten", [this] { UnitsClick(); });
  action("ActionWechsel", "Tachymeter / &Nivellement", [this] { SwitchPageSet(); });
  actions->addSeparator();
  actLeft_ = action("ActionLinks", "Linksb\xFCndig", [] {});
  actRight_ = action("ActionRechts", "Rechtsb\xFCndig", [] {});
  actLeft_->setCheckable(true);
  actRight_->setCheckable(true);
  actLeft_->setChecked(ReadRegBool(RegistryRoot::CurrentUser, ConfigPath(kSettingAlignLeft), false));
  actRight_->setChecked(ReadRegBool(RegistryRoot::CurrentUser, ConfigPath(kSettingAlignRight), false));
  action("ActionFolgecode", "Markierung f\xFCr Folgecode", [this] {
    if (section_ >= 0) pages_[static_cast<size_t>(section_)].editor->insertPlainText(FromAnsi(std::string(1, kFollowMark)));
  });
  actColumnLine_ = action("ActionSpaltenlinie", "Spaltenlinie anzeigen", [this](bool on) {
    auto* line = static_cast<ColumnLine*>(columnLine_);
    line->SetColumn(line->Column());
    line->setVisible(on);
    line->raise();
  });
  actColumnLine_->setCheckable(true);
  top->addWidget(actions, 1);
  layout->addLayout(top);

  // Field tool bars around the sample view and the editors.
  host_ = new QMainWindow(this);
  host_->setWindowFlags(Qt::Widget);  // a part of the window, not a window of its own
  host_->setObjectName("FieldHost");
  host_->show();
  splitter_ = new QSplitter(Qt::Vertical, host_);
  splitter_->setObjectName("Splitter");
  splitter_->setChildrenCollapsible(false);
  host_->setCentralWidget(splitter_);
  layout->addWidget(host_, 1);

  auto* samplePanel = new QWidget(splitter_);
  samplePanel->setObjectName("pnMuster");
  samplePanel->setMinimumHeight(kMinSampleHeight);
  auto* sampleLayout = new QVBoxLayout(samplePanel);
  sampleLayout->setContentsMargins(0, 0, 0, 0);
  sampleLayout->setSpacing(0);
  const QFont fixed = FixedFont();
  const char* rulers[] = {"         1         2         3         4         5         6         7         8",
                          "123456789012345678901234567890123456789012345678901234567890123456789012345678901234"};
  for (int i = 0; i < 2; ++i) {
    auto* ruler = new QLabel(rulers[i], samplePanel);
    ruler->setObjectName(i == 0 ? "lbLineal10" : "lbLineal1");
    ruler->setFont(fixed);
    sampleLayout->addWidget(ruler);
  }
  sample_ = new QTextEdit(samplePanel);
  sample_->setObjectName("reMuster");
  sample_->setReadOnly(true);
  sample_->setLineWrapMode(QTextEdit::NoWrap);
  sample_->setFont(fixed);
  sampleLayout->addWidget(sample_);

  auto* editorPanel = new QWidget(splitter_);
  editorPanel->setObjectName("pnEditor");
  editorPanel->setMinimumHeight(kMinEditorHeight);
  auto* editorLayout = new QHBoxLayout(editorPanel);
  editorLayout->setContentsMargins(0, 0, 0, 0);
  auto* pageArea = new QWidget(editorPanel);
  auto* pageLayout = new QVBoxLayout(pageArea);
  pageLayout->setContentsMargins(0, 0, 0, 0);
  pointPages_ = new QTabWidget(pageArea);
  pointPages_->setObjectName("pcPunkt");
  levelPages_ = new QTabWidget(pageArea);
  levelPages_->setObjectName("pcNivellement");
  pageLayout->addWidget(pointPages_);
  pageLayout->addWidget(levelPages_);
  editorLayout->addWidget(pageArea, 1);
  auto* commentArea = new QVBoxLayout;
  auto* commentLabel = new QLabel("Kommentarzeilen:", editorPanel);
  commentLabel->setObjectName("lbKommentare");
  comments_ = new QPlainTextEdit(editorPanel);
  comments_->setObjectName("meKommentare");
  comments_->setFont(fixed);
  comments_->setMaximumWidth(160);
  connect(comments_, &QPlainTextEdit::textChanged, this, [this] {
    if (!filling_) SetChanged(true);
  });
  commentArea->addWidget(commentLabel);
  commentArea->addWidget(comments_);
  editorLayout->addLayout(commentArea);

  for (int s = 0; s < kTemplateSectionCount; ++s) {
    Page& p = pages_[static_cast<size_t>(s)];
    const std::string key = kPages[s].key;
    QTabWidget* set = IsLevelSection(s) ? levelPages_ : pointPages_;
    p.tab = new QWidget(set);
    p.tab->setObjectName(QString::fromLatin1(("ts" + key).c_str()));
    auto* tabLayout = new QVBoxLayout(p.tab);
    p.editor = new QPlainTextEdit(p.tab);
    p.editor->setObjectName(QString::fromLatin1(("me" + key).c_str()));
    p.editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    p.editor->setFont(fixed);
    connect(p.editor, &QPlainTextEdit::textChanged, this, [this] {
      if (!filling_) SetChanged(true);
    });
    auto* row = new QHBoxLayout;
    p.fixed = new QCheckBox("feste Position", p.tab);
    p.fixed->setObjectName(QString::fromLatin1(("cbPosition" + key).c_str()));
    connect(p.fixed, &QCheckBox::toggled, this, [this] {
      if (!filling_) SetChanged(true);
    });
    auto* titleLabel = new QLabel("&Titelzeilen:", p.tab);
    p.titleLines = new QLineEdit("0", p.tab);
    p.titleLines->setObjectName(QString::fromLatin1(("edTitel" + key).c_str()));
    p.titleLines->setMaximumWidth(60);
    titleLabel->setBuddy(p.titleLines);
    QLineEdit* titleEdit = p.titleLines;
    connect(p.titleLines, &QLineEdit::textEdited, this, [this] { SetChanged(true); });
    connect(p.titleLines, &QLineEdit::editingFinished, this, [titleEdit] {
      if (titleEdit->text().trimmed().isEmpty()) titleEdit->setText("0");
    });
    row->addWidget(p.fixed);
    row->addStretch();
    row->addWidget(titleLabel);
    row->addWidget(p.titleLines);
    tabLayout->addWidget(p.editor, 1);
    tabLayout->addLayout(row);
    set->addTab(p.tab, FromAnsi(SectionInfo(s).tab));
  }
  auto tabChanged = [this](QTabWidget* set, const int* sections) {
    return [this, set, sections](int index) {
      if (filling_ || index < 0 || set->isHidden()) return;
      const int target = sections[index];
      if (target == section_) return;
      if (!ShowSection(target)) {
        filling_ = true;
        const int* own = IsLevelSection(section_) ? kLevelSections : kPointSections;
        const size_t count = IsLevelSection(section_) ? std::size(kLevelSections) : std::size(kPointSections);
        set->setCurrentIndex(static_cast<int>(std::find(own, own + count, section_) - own));
        filling_ = false;
      }
    };
  };
  connect(pointPages_, &QTabWidget::currentChanged, this, tabChanged(pointPages_, kPointSections));
  connect(levelPages_, &QTabWidget::currentChanged, this, tabChanged(levelPages_, kLevelSections));

  const int charWidth = QFontMetrics(fixed).horizontalAdvance('0');
  auto* line = new ColumnLine(
      pageArea,
      [this, pageArea] {
        const int s = std::max(section_, 0);
        QPlainTextEdit* e = pages_[static_cast<size_t>(s)].editor;
        return e->viewport()->mapTo(pageArea, QPoint(0, 0)).x() + static_cast<int>(e->document()->documentMargin());
      },
      charWidth);
  line->hide();
  columnLine_ = line;

  BuildFieldToolbars();

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  auto* ok = new QPushButton("&Ok", this);
  ok->setObjectName("btOk");
  auto* cancel = new QPushButton("Ab&brechen", this);
  cancel->setObjectName("btAbbrechen");
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, &TfrmFormatDef::OkClick);
  connect(cancel, &QPushButton::clicked, this, &TfrmFormatDef::CancelClick);

  ReadToolbarPlaces();
  RefreshNames();
  nameBox_->setEditText(FromAnsi(name));
  resize(780, 560);
  SetChanged(false);
}

TfrmFormatDef::~TfrmFormatDef() = default;

void TfrmFormatDef::BuildFieldToolbars() {
  for (int t = 0; t < kToolbarCount; ++t) {
    auto* bar = new QToolBar(FromAnsi(kToolbarNames[t]), host_);
    bar->setObjectName(kToolbarNames[t]);
    bar->setFloatable(true);
    bar->setMovable(true);
    bar->hide();
    host_->addToolBar(Qt::TopToolBarArea, bar);
    toolbars_[static_cast<size_t>(t)] = bar;
  }
  for (int s = 0; s < kTemplateSectionCount; ++s) {
    QToolBar* bar = toolbars_[static_cast<size_t>(kPages[s].toolbar)];
    const std::vector<Field> fields = FieldsOf(s);
    for (size_t f = 0; f < fields.size(); ++f) {
      const QString caption = FromAnsi(fields[f].caption);
      QAction* button = nullptr;
      for (QAction* a : bar->actions())
        if (a->property("design").toString() == caption) button = a;
      if (!button) {
        button = bar->addAction(caption);
        button->setProperty("design", caption);
        button->setToolTip(HintOf(caption));
        connect(button, &QAction::triggered, this, [this, button] {
          if (section_ < 0) return;
          const auto& own = buttons_[static_cast<size_t>(section_)];
          const auto at = std::find(own.begin(), own.end(), button);
          if (at != own.end()) InsertField(static_cast<int>(at - own.begin()));
        });
      }
      buttons_[static_cast<size_t>(s)].push_back(button);
    }
  }
}

void TfrmFormatDef::Translate() {
  TranslateForm(this);
  // The Y and X buttons change places where the axes are named the other way.
  const bool swapped = ActiveNiederlassung().ShowXY;
  for (QToolBar* bar : toolbars_)
    for (QAction* a : bar->actions()) {
      const QString design = a->property("design").toString();
      QString caption = design;
      if (swapped && design == kY) caption = kX;
      if (swapped && design == kX) caption = kY;
      a->setText(caption);
      a->setToolTip(HintOf(caption));
    }
}

void TfrmFormatDef::RebuildLetters() {
  FieldLetters letters = module_.Letters;
  for (int s = 0; s < kTemplateSectionCount; ++s) {
    std::string own;
    for (QAction* a : buttons_[static_cast<size_t>(s)]) own += AcceleratorLetter(a->text());
    letters.SetLetters(s, own);  // unusable letters (a repeat, a marker) keep the section's previous ones
  }
  if (letters == module_.Letters) return;
  // Templates in memory follow the new letters.
  const bool filling = filling_;
  filling_ = true;
  for (int s = 0; s < kTemplateSectionCount; ++s) {
    std::string& t = module_.Definition.Sections[static_cast<size_t>(s)].Template;
    t = CodesToLetters(LettersToCodes(t, s, module_.Letters), s, letters);
    if (s == section_) {
      QPlainTextEdit* e = pages_[static_cast<size_t>(s)].editor;
      e->setPlainText(EditorText(CodesToLetters(LettersToCodes(StoredText(e->toPlainText()), s, module_.Letters), s, letters)));
    }
  }
  filling_ = filling;
  module_.Letters = letters;
}

QToolBar* TfrmFormatDef::FieldToolbar(int section) const {
  return toolbars_[static_cast<size_t>(kPages[section].toolbar)];
}

QAction* TfrmFormatDef::FieldButton(int section, int field) const {
  return buttons_[static_cast<size_t>(section)][static_cast<size_t>(field)];
}

std::string TfrmFormatDef::Name() const { return TrimBlanks(ToAnsi(nameBox_->currentText())); }

QTabWidget* TfrmFormatDef::Pages() const { return levelling_ ? levelPages_ : pointPages_; }

void TfrmFormatDef::SetChanged(bool changed) {
  changed_ = changed;
  actSave_->setEnabled(changed);
}

void TfrmFormatDef::RefreshNames() {
  const QString text = nameBox_->currentText();
  nameBox_->clear();
  for (const std::string& n : StoredTemplateNames()) nameBox_->addItem(FromAnsi(n));
  nameBox_->setEditText(text);
}

void TfrmFormatDef::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  Translate();
  RebuildLetters();
  if (const QScreen* screen = this->screen()) {
    const QSize available = screen->availableGeometry().size();
    if (available.width() >= 800 && available.height() >= 600) setFixedSize(size());
  }
  // Opening loads the definition named in the box; later activations keep
  // the edits.
  if (section_ >= 0) LeavePage(section_);
  section_ = -1;
  levelling_ = levellingInstrument && levellingInstrument();
  pointPages_->setVisible(!levelling_);
  levelPages_->setVisible(levelling_);
  Load(Name());
  filling_ = true;
  Pages()->setCurrentIndex(0);
  filling_ = false;
  EnterPage(levelling_ ? tsStartdaten : tsInformationen);
}

void TfrmFormatDef::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
    Translate();
    RebuildLetters();
  }
}

void TfrmFormatDef::Load(const std::string& name) {
  const auto stored = name.empty() ? std::nullopt : FindStoredTemplate(name);
  if (stored) {
    module_.Definition = ReadStoredTemplate(*stored, module_.Letters);
    module_.DefinitionName = *stored;
    nameBox_->setEditText(FromAnsi(*stored));
  } else {
    module_.Definition.Clear();
    module_.DefinitionName = name;
  }
  loadedName_ = module_.DefinitionName;
  if (section_ >= 0) FillPage(section_);
  SetChanged(false);
}

void TfrmFormatDef::FillPage(int section) {
  const TemplateSection& d = module_.Definition.Sections[static_cast<size_t>(section)];
  Page& p = pages_[static_cast<size_t>(section)];
  const bool filling = filling_;
  filling_ = true;
  comments_->setPlainText(EditorText(module_.Definition.CommentMarkers));
  p.fixed->setChecked(d.FixedPosition);
  p.titleLines->setText(QString::number(d.TitleLines));
  p.editor->setPlainText(EditorText(d.Template));
  filling_ = filling;
}

bool TfrmFormatDef::StorePage(int section) {
  if (section < 0) return true;
  Page& p = pages_[static_cast<size_t>(section)];
  const auto count = TitleCount(p.titleLines->text());
  if (!count) {
    ShowMessageBox(FormatText(TextOr(kTextTitleLinesInvalid,
                                     "Die Anzahl der Titelzeilen der Seite %s muss eine ganze Zahl ab 0 sein."),
                              {SectionInfo(section).tab}),
                   kMsgError, kBtnOk);
    p.titleLines->setFocus();
    return false;
  }
  TemplateSection& d = module_.Definition.Sections[static_cast<size_t>(section)];
  module_.Definition.CommentMarkers = StoredText(comments_->toPlainText());
  d.FixedPosition = p.fixed->isChecked();
  d.TitleLines = *count;
  p.titleLines->setText(QString::number(*count));
  d.Template = StoredText(p.editor->toPlainText());
  return true;
}

void TfrmFormatDef::EnterPage(int section) {
  section_ = section;
  FillPage(section);
  // Only the buttons of the section's own fields are shown (Azimut on the
  // Anschlusspunkt page only).
  QToolBar* bar = FieldToolbar(section);
  const auto& own = buttons_[static_cast<size_t>(section)];
  for (QAction* a : bar->actions()) a->setVisible(std::find(own.begin(), own.end(), a) != own.end());
  bar->show();
  RestoreToolbar(kPages[section].toolbar);
  static_cast<ColumnLine*>(columnLine_)->SetColumn(static_cast<ColumnLine*>(columnLine_)->Column());
  columnLine_->raise();
}

void TfrmFormatDef::LeavePage(int section) {
  NoteToolbar(kPages[section].toolbar);
  FieldToolbar(section)->hide();
}

bool TfrmFormatDef::ShowSection(int section) {
  if (section == section_) return true;
  if (IsLevelSection(section) != levelling_) return false;
  if (!StorePage(section_)) return false;
  if (section_ >= 0) LeavePage(section_);
  const int* own = levelling_ ? kLevelSections : kPointSections;
  const size_t count = levelling_ ? std::size(kLevelSections) : std::size(kPointSections);
  filling_ = true;
  Pages()->setCurrentIndex(static_cast<int>(std::find(own, own + count, section) - own));
  filling_ = false;
  EnterPage(section);
  return true;
}

bool TfrmFormatDef::SwitchPageSet() {
  if (!StorePage(section_)) return false;
  if (section_ >= 0) LeavePage(section_);
  levelling_ = !levelling_;
  pointPages_->setVisible(!levelling_);
  levelPages_->setVisible(levelling_);
  const int* own = levelling_ ? kLevelSections : kPointSections;
  EnterPage(own[std::max(Pages()->currentIndex(), 0)]);
  return true;
}

void TfrmFormatDef::InsertField(int field) {
  if (section_ < 0) return;
  const std::string letters = module_.Letters.Letters(section_);
  if (field < 0 || static_cast<size_t>(field) >= letters.size()) return;
  const Field f = FieldsOf(section_)[static_cast<size_t>(field)];
  const char open = actLeft_->isChecked() ? '<' : '[';
  const char close = actRight_->isChecked() ? '>' : ']';
  QPlainTextEdit* editor = pages_[static_cast<size_t>(section_)].editor;
  editor->insertPlainText(FromAnsi(FieldRun(letters[static_cast<size_t>(field)], f, open, close)));
  editor->setFocus();
}

bool TfrmFormatDef::CheckedName(std::string& name) {
  name = Name();
  if (name.empty()) {
    ShowMessageBox(GetText(kTextNoTemplateName), kMsgWarning, kBtnOk);
    nameBox_->setFocus();
    return false;
  }
  if (!IsValidTemplateName(name)) {
    ShowMessageBox(FormatText(GetText(kTextTemplateNameInvalid), {name}), kMsgError, kBtnOk);
    nameBox_->setFocus();
    return false;
  }
  if (const auto stored = FindStoredTemplate(name)) name = *stored;
  return true;
}

bool TfrmFormatDef::SaveClick() {
  if (!StorePage(section_)) return false;
  std::string name;
  if (!CheckedName(name)) return false;
  module_.DefinitionName = name;
  if (!module_.SaveToSettings()) return false;
  RefreshNames();
  nameBox_->setEditText(FromAnsi(name));
  loadedName_ = name;
  SetChanged(false);
  return true;
}

bool TfrmFormatDef::SaveToFileClick() {
  if (!StorePage(section_)) return false;
  std::string name;
  if (!CheckedName(name)) return false;
  module_.DefinitionName = name;
  return module_.SaveToFile();
}

bool TfrmFormatDef::OfferToSave() {
  if (!changed_) return true;
  if (ShowMessageBox(GetText(kTextSaveChanges), kMsgConfirmation, kBtnYesNo) != kAnsYes) return true;
  return SaveClick();
}

void TfrmFormatDef::LoadFromFileClick() {
  if (!StorePage(section_) || !OfferToSave()) return;
  std::string path;
  if (!chooseFormatFile || !chooseFormatFile(path)) return;
  if (module_.LoadFromFile(path) != TemplateLoad::Loaded) return;
  RefreshNames();
  nameBox_->setEditText(FromAnsi(module_.DefinitionName));
  loadedName_ = module_.DefinitionName;
  if (section_ >= 0) FillPage(section_);
  SetChanged(false);
}

void TfrmFormatDef::NameChosen(int index) {
  const std::string chosen = ToAnsi(nameBox_->itemText(index));
  if (SameRegistryName(chosen, loadedName_)) return;
  if (changed_) {
    // The changes belong to the definition shown so far.
    if (!StorePage(section_)) {
      nameBox_->setEditText(FromAnsi(loadedName_));
      return;
    }
    if (ShowMessageBox(GetText(kTextSaveChanges), kMsgConfirmation, kBtnYesNo) == kAnsYes) {
      nameBox_->setEditText(FromAnsi(loadedName_));
      if (!SaveClick()) return;
    }
  }
  nameBox_->setEditText(FromAnsi(chosen));
  Load(chosen);
}

void TfrmFormatDef::NewClick() {
  if (!StorePage(section_) || !OfferToSave()) return;
  nameBox_->setEditText(QString());
  module_.Definition.Clear();  // every section at a fixed position
  module_.DefinitionName.clear();
  loadedName_.clear();
  if (section_ >= 0) FillPage(section_);
  SetChanged(false);
}

void TfrmFormatDef::ClearClick() {
  if (ShowMessageBox(GetText(kTextClear), kMsgConfirmation, kBtnYesNo) != kAnsYes) return;
  module_.Definition.Clear();
  if (section_ >= 0) FillPage(section_);
  SetChanged(true);
}

void TfrmFormatDef::DeleteClick() {
  std::string name = Name();
  if (const auto stored = FindStoredTemplate(name)) name = *stored;
  if (name.empty()) {
    // Without a name the whole "NewFormat" key would go.
    ShowMessageBox(GetText(kTextNoTemplateName), kMsgWarning, kBtnOk);
    nameBox_->setFocus();
    return;
  }
  if (ShowMessageBox(GetText(kTextDelete), kMsgConfirmation, kBtnYesNo) != kAnsYes) return;
  module_.Definition.Clear();
  DeleteStoredTemplate(name);
  module_.DefinitionName.clear();
  loadedName_.clear();
  RefreshNames();
  nameBox_->setEditText(QString());
  if (section_ >= 0) FillPage(section_);
  SetChanged(false);
}

bool TfrmFormatDef::LoadSample(const std::string& path) {
  TextLines lines;
  if (!LoadTextFile(path, lines)) {
    ShowMessageBox(FormatText(GetText(kTextCannotOpen), {path}), kMsgError, kBtnOk);
    return false;
  }
  if (lines.size() > kSampleLines) lines.resize(kSampleLines);
  QString text;
  for (size_t i = 0; i < lines.size(); ++i) text += (i ? "\n" : "") + FromAnsi(lines[i]);
  sample_->setPlainText(text);
  return true;
}

void TfrmFormatDef::UnitsClick() {
  TfrmEinheiten units(module_.Definition, Name(), levelling_, this);
  units.exec();
  SetChanged(true);
}

void TfrmFormatDef::OkClick() {
  if (!StorePage(section_)) return;
  if (changed_ && ShowMessageBox(GetText(kTextSaveChanges), kMsgConfirmation, kBtnYesNo) == kAnsYes &&
      !SaveClick())
    return;  // saving was refused: the window stays
  accept();
}

void TfrmFormatDef::CancelClick() { reject(); }

void TfrmFormatDef::done(int result) {
  if (section_ >= 0) LeavePage(section_);
  section_ = -1;
  WriteWindowSettings();
  QDialog::done(result);
}

// ---- Tool bar places ---------------------------------------------------------------

void TfrmFormatDef::ReadToolbarPlaces() {
  const std::string text = ReadRegString(RegistryRoot::CurrentUser, ConfigPath(kSettingToolbars), "");
  std::vector<int> values;
  for (const std::string& part : SplitFields(text, ';')) {
    const QString t = FromAnsi(part).trimmed();
    bool ok = false;
    const int v = t.toInt(&ok);
    values.push_back(ok ? v : 0);  // missing or not a number: 0
  }
  values.resize(kToolbarCount * kPlaceValues, 0);
  for (int t = 0; t < kToolbarCount; ++t) {
    const int* v = &values[static_cast<size_t>(t * kPlaceValues)];
    ToolbarPlace& p = places_[static_cast<size_t>(t)];
    p = {v[0], v[1], v[2], v[3], v[4] == kFloatWhenEntered || v[4] == kFloating ? kFloatWhenEntered : kDocked};
  }
}

void TfrmFormatDef::RestoreToolbar(int toolbar) {
  ToolbarPlace& p = places_[static_cast<size_t>(toolbar)];
  if (p.state != kFloatWhenEntered) return;
  QToolBar* bar = toolbars_[static_cast<size_t>(toolbar)];
  const QRect place(frameGeometry().topLeft() + QPoint(p.left, p.top),
                    QSize(std::max(p.width, 1), std::max(p.height, 1)));
  bool onScreen = false;
  for (const QScreen* screen : QGuiApplication::screens())
    onScreen = onScreen || screen->availableGeometry().intersects(place);
  if (!onScreen) {  // it would float where nobody sees it: docked
    p.state = kDocked;
    return;
  }
  bar->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
  bar->setGeometry(place);
  bar->show();
  p.state = kFloating;
}

void TfrmFormatDef::NoteToolbar(int toolbar) {
  QToolBar* bar = toolbars_[static_cast<size_t>(toolbar)];
  ToolbarPlace& p = places_[static_cast<size_t>(toolbar)];
  if (!bar->isFloating()) {
    if (bar->isVisible()) p.state = kDocked;
    return;
  }
  const QRect g = bar->geometry();
  const QPoint origin = frameGeometry().topLeft();
  p = {g.left() - origin.x(), g.top() - origin.y(), g.width(), g.height(), kFloating};
}

void TfrmFormatDef::WriteWindowSettings() {
  std::string text;
  for (int t = 0; t < kToolbarCount; ++t) {
    ToolbarPlace p = places_[static_cast<size_t>(t)];
    if (p.state == kFloating) p.state = kFloatWhenEntered;
    for (int v : {p.left, p.top, p.width, p.height, p.state}) text += (text.empty() ? "" : ";") + std::to_string(v);
  }
  constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
  WriteRegString(kUser, ConfigPath(kSettingToolbars), text, true);
  WriteRegBool(kUser, ConfigPath(kSettingAlignLeft), actLeft_->isChecked(), true);
  WriteRegBool(kUser, ConfigPath(kSettingAlignRight), actRight_->isChecked(), true);
}

void ShowFormatDef(TdmNewFormat& module, TGeraete& geraete, std::string& name, std::vector<std::string>& names,
                   QWidget* parent) {
  TfrmFormatDef window(module, name, parent);
  window.levellingInstrument = [&geraete] {
    const TInstrument* i = SelectedInstrument(geraete);
    return i && i->Instrumententyp && i->Instrumententyp->Kind == InstrumentKind::Nivellier;
  };
  window.exec();
  name = window.Name();
  names = StoredTemplateNames();
}

}  // namespace veltro
