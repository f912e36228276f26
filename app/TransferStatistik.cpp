#include "app/TransferStatistik.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <climits>

#include "app/TransModul.h"
#include "core/Messages.h"
#include "platform/qt/QtMessageBox.h"

namespace veltro {
namespace {

// Text numbers of the window.
constexpr int kTextZustandStart = 39;
constexpr int kTextBloeckePunkte = 128;
constexpr int kTextBloeckeNivellier = 381;
constexpr int kTextMethodeEinfach = 390;
constexpr int kTextMethodeDoppelt = 391;

const QString kMethodeCaption = QStringLiteral("Nivellmentmethode:");

// The accents of capitals ("Ü") rise above the font's ascent, which is all
// a label reserves above its text: room for them on top.
void ReserveAccentRoom(QLabel* label) {
  const QFontMetrics fm(label->font());
  const int above = -fm.tightBoundingRect(QStringLiteral("\u00C4\u00D6\u00DC")).top() - fm.ascent();
  if (above > 0) label->setContentsMargins(0, above, 0, 0);
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text = {}) {
  auto* label = new QLabel(text, parent);
  if (name) label->setObjectName(QString::fromLatin1(name));
  ReserveAccentRoom(label);
  return label;
}

// A caption and its value label in the next row of grid.
QLabel* AddRow(QGridLayout* grid, QWidget* panel, const QString& caption, const char* name) {
  int row = grid->rowCount();
  grid->addWidget(MakeLabel(panel, nullptr, caption), row, 0);
  QLabel* value = MakeLabel(panel, name);
  value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  value->setMinimumWidth(90);
  grid->addWidget(value, row, 1);
  return value;
}

QFrame* MakePanel(QWidget* parent, const char* name, QGridLayout*& grid) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(QString::fromLatin1(name));
  panel->setFrameShape(QFrame::StyledPanel);
  grid = new QGridLayout(panel);
  grid->setContentsMargins(8, 4, 8, 4);
  grid->setVerticalSpacing(4);
  grid->setColumnStretch(0, 1);
  return panel;
}

QString Number(int n) { return QString::number(n); }

}  // namespace

TfrmStatistik::TfrmStatistik(QWidget* parent) : QWidget(parent, Qt::Dialog) {
  setObjectName(QStringLiteral("frmStatistik"));
  setWindowTitle(QStringLiteral("Statistik des Transfers"));
  resize(360, kHeightPunkte);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->setSpacing(4);
  // The window height is set by rule; the content does not force it larger.
  layout->setSizeConstraint(QLayout::SetNoConstraint);

  Zustand = MakeLabel(this, "Zustand");
  layout->addWidget(Zustand);
  Bloecke = MakeLabel(this, "Bloecke");
  layout->addWidget(Bloecke);
  ProgressBar = new QProgressBar(this);
  ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
  ProgressBar->setTextVisible(false);
  layout->addWidget(ProgressBar);
  auto* scale = new QHBoxLayout;
  TP0 = MakeLabel(this, "TP0", QStringLiteral("0"));
  TP5 = MakeLabel(this, "TP5");
  TP10 = MakeLabel(this, "TP10");
  TP5->setAlignment(Qt::AlignHCenter);
  TP10->setAlignment(Qt::AlignRight);
  scale->addWidget(TP0, 1);
  scale->addWidget(TP5, 1);
  scale->addWidget(TP10, 1);
  layout->addLayout(scale);

  QGridLayout* grid = nullptr;
  PanelTediStatistik = MakePanel(this, "PanelTediStatistik", grid);
  TransCodes = AddRow(grid, PanelTediStatistik, QStringLiteral("Transferierte Codes:"), "TransCodes");
  TransStationen = AddRow(grid, PanelTediStatistik, QStringLiteral("Anzahl Stationen:"), "TransStationen");
  TransPunkte = AddRow(grid, PanelTediStatistik, QStringLiteral("Transformierte Punkte:"), "TransPunkte");
  layout->addWidget(PanelTediStatistik);

  PanelNivStatistik = MakePanel(this, "PanelNivStatistik", grid);
  StartHoehe = AddRow(grid, PanelNivStatistik, QStringLiteral("Starthöhe:"), "StartHoehe");
  Hoehe = AddRow(grid, PanelNivStatistik, QStringLiteral("Berechnete Höhe:"), "Hoehe");
  Endhoehe = AddRow(grid, PanelNivStatistik, QStringLiteral("Endhöhe:"), "Endhoehe");
  Differenz = AddRow(grid, PanelNivStatistik, QStringLiteral("Differenz:"), "Differenz");
  Rueckblicke = AddRow(grid, PanelNivStatistik, QStringLiteral("Anzahl Rückblicke:"), "Rueckblicke");
  Vorblicke = AddRow(grid, PanelNivStatistik, QStringLiteral("Anzahl Vorblicke:"), "Vorblicke");
  Mittelblicke = AddRow(grid, PanelNivStatistik, QStringLiteral("Anzahl Mittelblicke:"), "Mittelblicke");
  Methode = AddRow(grid, PanelNivStatistik, kMethodeCaption, "Methode");
  LabelMethode = qobject_cast<QLabel*>(grid->itemAtPosition(grid->rowCount() - 1, 0)->widget());
  LabelMethode->setObjectName(QStringLiteral("LabelMethode"));
  layout->addWidget(PanelNivStatistik);
  PanelNivStatistik->hide();
  layout->addStretch(1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  Abbrechen = new QPushButton(QStringLiteral("&Abbrechen"), this);
  Abbrechen->setObjectName(QStringLiteral("Abbrechen"));
  Ok = new QPushButton(QStringLiteral("&Ok"), this);
  Ok->setObjectName(QStringLiteral("Ok"));
  buttons->addWidget(Abbrechen);
  buttons->addWidget(Ok);
  buttons->addStretch(1);
  layout->addLayout(buttons);
  connect(Abbrechen, &QPushButton::clicked, this, &TfrmStatistik::AbbrechenClick);
  connect(Ok, &QPushButton::clicked, this, &TfrmStatistik::OkClick);

  catchUp_.setSingleShot(true);
  connect(&catchUp_, &QTimer::timeout, this, [this] {
    if (pending_) ShowCounts();
  });
  Reset();
}

TfrmStatistik::~TfrmStatistik() {
  if (modalLoop_) modalLoop_->quit();
  if (transferHold_ || isVisible()) ReleaseMainWindow();
}

bool TfrmStatistik::LevellingInstrument() const {
  return CurrentTransferEnvironment().instrument->CurrentInstrumentKind() == InstrumentKind::Nivellier;
}

void TfrmStatistik::Reset() {
  StatisticsView::Reset();
  Zustand->setText(FromAnsi(GetText(kTextZustandStart)));
  maximum_ = 10;
  ProgressBar->setRange(0, maximum_);
  ProgressBar->setValue(0);
  TP5->setText(QStringLiteral("5"));
  TP10->setText(QStringLiteral("10"));
  resize(width(), LevellingInstrument() ? kHeightNivellier : kHeightPunkte);
  for (QLabel* counter : {TransCodes, TransStationen, TransPunkte, Rueckblicke, Vorblicke, Mittelblicke})
    counter->setText(QStringLiteral("0"));
  for (QLabel* text : {StartHoehe, Hoehe, Endhoehe, Differenz, Methode}) text->clear();
  LabelMethode->setText(kMethodeCaption);
  Abbrechen->setVisible(true);
  Ok->setVisible(false);
  counted_ = false;
  pending_ = false;
  catchUp_.stop();
  sinceShown_.start();
}

void TfrmStatistik::Update() {
  // The scale grows until the position fits: 0-5-10, 0-50-100, ... A handler
  // may count many points for one line, so one step may not be enough.
  const int position = stat_.Fortschritt;
  while (position >= maximum_ && maximum_ <= INT_MAX / 10) maximum_ *= 10;
  counted_ = true;
  pending_ = true;
  if (!sinceShown_.isValid() || sinceShown_.elapsed() >= kRepaintIntervalMs) {
    ShowCounts();
  } else if (!catchUp_.isActive()) {
    catchUp_.start(kRepaintIntervalMs);
  }
}

void TfrmStatistik::ShowCounts() {
  const TTransferStatistik& s = stat_;
  if (ProgressBar->maximum() != maximum_) ProgressBar->setRange(0, maximum_);
  ProgressBar->setValue(std::min(std::max(s.Fortschritt, 0), maximum_));
  TP5->setText(Number(maximum_ / 2));
  TP10->setText(Number(maximum_));
  if (!counted_) {
    // Nothing counted since Reset: the panels keep their reset texts.
  } else if (nivPanel_) {
    StartHoehe->setText(FromAnsi(s.Starthoehe));
    Hoehe->setText(FromAnsi(s.BerechneteHoehe));
    Endhoehe->setText(FromAnsi(s.Endhoehe));
    Differenz->setText(FromAnsi(s.Differenz));
    Rueckblicke->setText(Number(s.Rueckblicke));
    Vorblicke->setText(Number(s.Vorblicke));
    Mittelblicke->setText(Number(s.Mittelblicke));
    Methode->setText(FromAnsi(GetText(s.Methode ? kTextMethodeDoppelt : kTextMethodeEinfach)));
  } else {
    TransCodes->setText(Number(s.Codes));
    TransStationen->setText(Number(s.Stationen));
    TransPunkte->setText(Number(s.Punkte));
  }
  pending_ = false;
  catchUp_.stop();
  sinceShown_.start();
}

void TfrmStatistik::SetStatusText(const std::string& text) { Zustand->setText(FromAnsi(text)); }

void TfrmStatistik::SetMethodCaption(const std::string& caption) {
  StatisticsView::SetMethodCaption(caption);
  LabelMethode->setText(FromAnsi(caption));
}

void TfrmStatistik::FormActivate() {
  TranslateForm(*this);
  const bool toInstrument = CurrentTransferEnvironment().settings->Methode() == 1;
  nivPanel_ = LevellingInstrument() && !toInstrument;
  PanelTediStatistik->setVisible(!nivPanel_);
  PanelNivStatistik->setVisible(nivPanel_);
  Bloecke->setText(FromAnsi(GetText(nivPanel_ ? kTextBloeckeNivellier : kTextBloeckePunkte)));
}

void TfrmStatistik::Show() {
  transferHold_ = true;
  if (!isVisible()) show();
  ShowCounts();
}

void TfrmStatistik::Close() {
  transferHold_ = false;
  ShowCounts();
  if (isVisible())
    close();
  else
    ReleaseMainWindow();
}

bool TfrmStatistik::IsVisible() const { return isVisible() || transferHold_; }

void TfrmStatistik::ShowLast() {
  if (isVisible()) return;
  Abbrechen->setVisible(false);
  Ok->setVisible(true);
  setWindowModality(Qt::ApplicationModal);
  show();
  ShowCounts();
  QEventLoop loop;
  modalLoop_ = &loop;
  if (isVisible()) loop.exec();
  modalLoop_ = nullptr;
  setWindowModality(Qt::NonModal);
}

void TfrmStatistik::AbbrechenClick() {
  TransferState& t = CurrentTransfer();
  if (t.StopFlag && isVisible()) close();
  if (LibSetBreak) LibSetBreak();
  t.StopFlag = true;
}

void TfrmStatistik::OkClick() { close(); }

void TfrmStatistik::showEvent(QShowEvent* event) {
  FormActivate();
  ShowCounts();
  if (mainWindow_ && mainWindow_ != this) mainWindow_->setEnabled(false);
  QWidget::showEvent(event);
}

void TfrmStatistik::closeEvent(QCloseEvent* event) {
  // Closed by the user while the transfer runs: that is a cancel too.
  if (transferHold_ && !CurrentTransfer().StopFlag) {
    if (LibSetBreak) LibSetBreak();
    CurrentTransfer().StopFlag = true;
  }
  ShowCounts();
  if (!transferHold_) ReleaseMainWindow();
  event->accept();
}

void TfrmStatistik::hideEvent(QHideEvent* event) {
  if (modalLoop_) modalLoop_->quit();
  QWidget::hideEvent(event);
}

void TfrmStatistik::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    if (Ok->isVisible())
      OkClick();
    else
      AbbrechenClick();
    return;
  }
  QWidget::keyPressEvent(event);
}

void TfrmStatistik::ReleaseMainWindow() {
  if (mainWindow_ && mainWindow_ != this) mainWindow_->setEnabled(true);
}

}  // namespace veltro
