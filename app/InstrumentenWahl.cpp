#include "app/InstrumentenWahl.h"

#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/CodeDefinitionen.h"
#include "app/CodeTabs.h"
#include "app/NamedWidget.h"
#include "app/RadioGroup.h"
#include "app/TranslateForm.h"
#include "core/Messages.h"
#include "core/Niederlassung.h"
#include "core/Settings.h"
#include "instruments/CodeListen.h"
#include "instruments/CoordinateSystem.h"
#include "platform/DynamicLibrary.h"
#include "platform/Registry.h"
#include "platform/TextFile.h"
#include "platform/qt/QtMessageBox.h"
#include "wgsxyz/CoordinateBlock.h"
#include "wgsxyz/WGSXYZ.h"

namespace veltro {
namespace {

enum : int {
  kTextCaption = 132,
  kTextDatenformate = 65,
  kTextOk = 98,
  kTextOffsets = 219,
  kTextDataMerging = 278,
  kTextInstrumentenwahl = 301,
  kTextCodeTab = 327,
  kTextEditCode = 336,
  kTextAttribute = 341,
  kTextGSICodierung = 358,
  kTextZeichensatz = 595,
  kTextSystemwahl = 631,
};

// Geometry of the list buttons the catalogue lays out (left 17, top 20 +
// 20 k, 200 x 17) and of the boxes that hold them.
constexpr int kListBoxWidth = 232;
constexpr int kListBoxMargin = 10;

constexpr size_t kLeicaPage = 1;
constexpr size_t kMagellanPage = 5;

// Checks or clears a radio button without its siblings taking part, so a
// list may show no selection at all.
void SetChecked(QRadioButton* button, bool checked) {
  if (button->isChecked() == checked) return;
  button->setAutoExclusive(false);
  button->setChecked(checked);
  button->setAutoExclusive(true);
}

}  // namespace

TfrmTachyWahl::TfrmTachyWahl(TGeraete& geraete, QWidget* parent)
    : QDialog(parent), geraete_(geraete), pages_(MakeSelectionPages()) {
  setObjectName(QStringLiteral("TfrmTachyWahl"));
  SetTextNumber(this, kTextCaption);
  setWindowTitle(QStringLiteral("Instrumente"));
  aktivSystem_ = ReadRegString(RegistryRoot::CurrentUser, ConfigPath(kSettingGpsSystem), wgsxyz::kDefaultSystem);

  Hersteller = new QTabWidget(this);
  Hersteller->setObjectName(QStringLiteral("Hersteller"));

  EditCode = MakeNamed<QPushButton>(this, "EditCode", kTextEditCode, "GSI Codes defin.");
  CodeTab = MakeNamed<QPushButton>(this, "CodeTab", kTextCodeTab, "Codetabellen defin.");
  Attribute = new RadioGroup(QStringLiteral("&Attributierung"), {"&vor Messung", "&nach Messung"}, this);
  Attribute->setObjectName(QStringLiteral("Attribute"));
  SetTextNumber(Attribute, kTextAttribute);
  GSICodierung = MakeNamed<QCheckBox>(this, "GSICodierung", kTextGSICodierung, "Codierung f\xFCr GSI Format benutzen");
  btSystemwahl = MakeNamed<QPushButton>(this, "btSystemwahl", kTextSystemwahl, "Systemwahl");
  connect(EditCode, &QPushButton::clicked, this, [this] {
    TfrmGSICodeTabelle dialog(this);
    dialog.exec();
  });
  connect(CodeTab, &QPushButton::clicked, this, [this] {
    TfrmCodeTabellen dialog(this);
    dialog.exec();
  });
  connect(btSystemwahl, &QPushButton::clicked, this, &TfrmTachyWahl::SystemwahlClick);

  BuildLists();

  Offsets = MakeNamed<QLabel>(this, "Offsets", kTextOffsets, "Koordinatenoff&sets in m:");
  EditY = new QLineEdit(this);
  EditY->setObjectName(QStringLiteral("EditY"));
  EditX = new QLineEdit(this);
  EditX->setObjectName(QStringLiteral("EditX"));
  Offsets->setBuddy(EditY);
  for (QLineEdit* edit : {EditY, EditX}) {
    edit->setMaximumWidth(110);
    edit->installEventFilter(this);
  }
  DataMerging = MakeNamed<QCheckBox>(this, "DataMerging", kTextDataMerging, "Daten und Koordinaten verbinden");
  Zeichensatz = new QGroupBox(QStringLiteral("Zeichensatz"), this);
  Zeichensatz->setObjectName(QStringLiteral("Zeichensatz"));
  SetTextNumber(Zeichensatz, kTextZeichensatz);
  ASCII = new QRadioButton(QStringLiteral("ASCII"), Zeichensatz);
  ASCII->setObjectName(QStringLiteral("ASCII"));
  Ansi = new QRadioButton(QStringLiteral("Ansi"), Zeichensatz);
  Ansi->setObjectName(QStringLiteral("Ansi"));
  Ansi->setChecked(true);
  auto* charset = new QHBoxLayout(Zeichensatz);
  charset->addWidget(ASCII);
  charset->addWidget(Ansi);
  connect(ASCII, &QRadioButton::clicked, this, &TfrmTachyWahl::ZeichensatzClick);
  connect(Ansi, &QRadioButton::clicked, this, &TfrmTachyWahl::ZeichensatzClick);
  Ende = MakeNamed<QPushButton>(this, "Ende", kTextOk, "&Ok");
  Ende->setDefault(true);
  connect(Ende, &QPushButton::clicked, this, &TfrmTachyWahl::EndeClick);

  auto* offsets = new QHBoxLayout;
  offsets->addWidget(Offsets);
  offsets->addWidget(new QLabel(QStringLiteral("Y"), this));
  offsets->addWidget(EditY);
  offsets->addWidget(new QLabel(QStringLiteral("X"), this));
  offsets->addWidget(EditX);
  offsets->addStretch(1);
  offsets->addWidget(Zeichensatz);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(DataMerging);
  bottom->addStretch(1);
  bottom->addWidget(Ende);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Hersteller);
  layout->addLayout(offsets);
  layout->addLayout(bottom);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  SyncFormatLists();
  SyncInstrumentLists();
}

TfrmTachyWahl::~TfrmTachyWahl() {
  EditY->removeEventFilter(this);
  EditX->removeEventFilter(this);
  geraete_.ClearTWListen(pages_);
}

void TfrmTachyWahl::BuildLists() {
  geraete_.CreateTWListen(
      pages_, [this](const TRadioButton& b) { InstrumentClick(b.Caption); },
      [this](const TRadioButton& b) { FormatClick(b.Caption); });

  int boxHeight = 0;
  for (const TTabSheet& sheet : pages_.Pages)
    for (const TGroupBox& box : sheet.GroupBoxes)
      for (const TRadioButton& b : box.Controls) boxHeight = std::max(boxHeight, b.Top + b.Height);
  boxHeight = std::max(boxHeight, 40) + kListBoxMargin;

  for (size_t p = 0; p < pages_.Pages.size(); ++p) {
    const TTabSheet& sheet = pages_.Pages[p];
    auto* page = new QWidget;
    page->setObjectName(FromAnsi(sheet.Name));
    auto* row = new QHBoxLayout(page);
    for (const TGroupBox& box : sheet.GroupBoxes) {
      const bool instruments = box.Name.compare(0, 2, "IW") == 0;
      auto* group = new QGroupBox(instruments ? FromAnsi("&Instrumentenwahl") : QStringLiteral("Datenformate"), page);
      group->setObjectName(FromAnsi(box.Name));
      SetTextNumber(group, instruments ? kTextInstrumentenwahl : kTextDatenformate);
      const size_t first = buttons_.size();
      int boxWidth = kListBoxWidth;
      for (const TRadioButton& b : box.Controls) {
        auto* radio = new QRadioButton(FromAnsi(b.Caption), group);
        radio->setObjectName(FromAnsi(b.Name));
        // The catalogue's width suits its own font; a caption wider in
        // this one widens its button rather than being cut.
        const int width = std::max(b.Width, radio->sizeHint().width());
        radio->setGeometry(b.Left, b.Top, width, b.Height);
        boxWidth = std::max(boxWidth, b.Left + width + kListBoxMargin);
        connect(radio, &QRadioButton::clicked, this, [b] {
          if (b.OnClick) b.OnClick(b);
        });
        buttons_.push_back({radio, static_cast<int>(p), instruments, b.Name, b.Caption});
      }
      group->setFixedSize(boxWidth, boxHeight);
      // Tab order: the catalogue's TabOrder, which is creation order.
      for (size_t k = first + 1; k < buttons_.size(); ++k)
        QWidget::setTabOrder(buttons_[k - 1].widget, buttons_[k].widget);
      row->addWidget(group, 0, Qt::AlignTop);
    }
    if (p == kLeicaPage) {
      auto* options = new QVBoxLayout;
      options->addWidget(EditCode);
      options->addWidget(CodeTab);
      options->addWidget(Attribute);
      options->addWidget(GSICodierung);
      options->addStretch(1);
      row->addLayout(options);
    } else if (p == kMagellanPage) {
      auto* options = new QVBoxLayout;
      options->addWidget(btSystemwahl);
      options->addStretch(1);
      row->addLayout(options);
    }
    row->addStretch(1);
    QString tab = FromAnsi(sheet.Name);
    if (tab.startsWith(QLatin1String("ts"))) tab = tab.mid(2);
    Hersteller->addTab(page, tab);
    Hersteller->setTabVisible(static_cast<int>(p), sheet.TabVisible);
  }
}

void TfrmTachyWahl::showEvent(QShowEvent* event) {
  FormActivate();
  QDialog::showEvent(event);
}

bool TfrmTachyWahl::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut && (watched == EditY || watched == EditX))
    OffsetExit(static_cast<QLineEdit*>(watched));
  return QDialog::eventFilter(watched, event);
}

void TfrmTachyWahl::FormActivate() {
  TranslateForm(this);
  // The instrument may have changed since the lists were last shown.
  SyncFormatLists();
  SyncInstrumentLists();
  ShowOffsets();
  const CodeListState& codes = CodeLists();
  Attribute->SetItemIndex(codes.AttributePosition == 1 ? 1 : 0);
  GSICodierung->setChecked(codes.UseGsiCodes);
  // Without the coordinate-system library the button could do nothing.
  btSystemwahl->setEnabled(!FindLibrary(kCoordinateSystemLibrary).empty());
}

void TfrmTachyWahl::SyncFormatLists() {
  TInstrument& i = geraete_.CurrentInstrument();
  for (const ListButton& b : buttons_) {
    if (b.instrument) continue;
    // Exact members only: "GTS7" is not a format of an instrument that
    // takes "OGTS7".
    b.widget->setEnabled(AcceptsGeraeteFormat(i, b.name));
    const bool selected = &geraete_.FindGeraeteFormat(b.caption, false) == i.GeraeteFormat;
    SetChecked(b.widget, selected);
    if (selected) chosenFormat_ = b.caption;
  }
}

void TfrmTachyWahl::SyncInstrumentLists() {
  TInstrument& i = geraete_.CurrentInstrument();
  const int page = i.Hersteller ? i.Hersteller->Order : -1;
  if (page >= 0 && page < Hersteller->count()) Hersteller->setCurrentIndex(page);
  for (const ListButton& b : buttons_)
    if (b.instrument) SetChecked(b.widget, b.caption == i.Caption && b.page == page);
  UpdateDataMerging();
  ShowZeichensatz();
}

void TfrmTachyWahl::ShowOffsets() {
  const TInstrument& i = geraete_.CurrentInstrument();
  EditY->setText(FromAnsi(i.OffsetY()));
  EditX->setText(FromAnsi(i.OffsetX()));
}

void TfrmTachyWahl::UpdateDataMerging() {
  const TGeraeteFormat* format = geraete_.CurrentInstrument().GeraeteFormat;
  DataMerging->setEnabled(format && (format == geraete_.Format("GTS7") || format == geraete_.Format("FC6")));
}

void TfrmTachyWahl::ShowZeichensatz() {
  const TGeraeteFormat* format = geraete_.CurrentInstrument().GeraeteFormat;
  const bool oem = format && format->OEMConvert;
  ASCII->setChecked(oem);
  Ansi->setChecked(!oem);
}

void TfrmTachyWahl::InstrumentClick(const std::string& caption) {
  geraete_.SelectInstrument(caption);
  SyncFormatLists();
  SyncInstrumentLists();
  ShowOffsets();
}

void TfrmTachyWahl::FormatClick(const std::string& caption) {
  chosenFormat_ = caption;
  geraete_.CurrentInstrument().GeraeteFormat = &geraete_.FindGeraeteFormat(chosenFormat_, false);
  geraete_.AdjustPortSettings();
  UpdateDataMerging();
  ShowZeichensatz();
}

void TfrmTachyWahl::ZeichensatzClick() {
  if (TGeraeteFormat* format = geraete_.CurrentInstrument().GeraeteFormat) format->OEMConvert = ASCII->isChecked();
}

void TfrmTachyWahl::OffsetExit(QLineEdit* edit) {
  TInstrument& i = geraete_.CurrentInstrument();
  const std::string text = ToAnsi(edit->text());
  const bool taken = edit == EditY ? i.SetOffsetY(text) : i.SetOffsetX(text);
  if (!taken) edit->setText(FromAnsi(edit == EditY ? i.OffsetY() : i.OffsetX()));
}

void TfrmTachyWahl::SystemwahlClick() {
  DynamicLibrary library;
  if (!LoadLibraryByName(kCoordinateSystemLibrary, library)) return;
  if (auto set = library.Export<WGSXYZSetLanguageStringsFn>("SetLanguageStrings")) {
    const std::string texts =
        wgsxyz::LanguageStrings([](int n) { return GetText(n); }, ActiveNiederlassung().ShowXY);
    set(texts.c_str());
  }
  if (auto get = library.Export<WGSXYZGetAktivSystemFn>("GetAktivSystem")) {
    const std::string directory = ReadRegString(RegistryRoot::CurrentUser, ConfigPath(kSettingGpsPath),
                                                IncludeTrailingSeparator(InstallationDirectory()) + kGpsFolder);
    wgsxyz::CoordinateBlock block;
    get(block.Data(), directory.c_str(), aktivSystem_.c_str(), administrator_ ? 1 : 0);
    if (block.Unusable()) ShowMessageBox(GetText(kTextSystemUnusable), kMsgError, kBtnOk);
  }
  if (auto show = library.Export<WGSXYZShowParamsFn>("ShowParams")) {
    const QRect frame = frameGeometry();
    const char* chosen = show(aktivSystem_.c_str(), frame.left() + frame.width() / 2, frame.top(), 0, 0);
    // Nothing returned: the choice was cancelled, the system stays.
    if (chosen && *chosen) aktivSystem_ = chosen;
  }
  library.Free();
}

void TfrmTachyWahl::EndeClick() {
  OffsetExit(EditY);
  OffsetExit(EditX);
  TInstrument& i = geraete_.CurrentInstrument();
  if (!chosenFormat_.empty()) i.GeraeteFormat = &geraete_.FindGeraeteFormat(chosenFormat_, false);
  geraete_.AdjustPortSettings();
  CodeListState& codes = CodeLists();
  if (Attribute->ItemIndex() >= 0) codes.AttributePosition = Attribute->ItemIndex();
  codes.UseGsiCodes = GSICodierung->isChecked();
  accept();
}

}  // namespace veltro
