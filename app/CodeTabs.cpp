#include "app/CodeTabs.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTextBlock>
#include <QVBoxLayout>

#include "app/CodeListTexts.h"
#include "app/TranslateForm.h"
#include "core/Messages.h"
#include "instruments/CodeListen.h"
#include "platform/qt/QtMessageBox.h"

namespace veltro {
namespace {

constexpr int kTextCaption = 363;
constexpr int kTextLine = 340;

struct MemoLayout {
  const char* name;
  const char* indicator;
  int text;
  const char* label;
};
// In table order: 0 projects, 1 observers, 2 instruments, 3 point codes.
constexpr MemoLayout kMemos[4] = {
    {"Projekte", "ZZProjekte", 300, "&Projekte:"},
    {"Beobachter", "ZZBeobachter", 317, "B&eobachter:"},
    {"Instrumente", "ZZInstrumente", 308, "&Instrumente:"},
    {"Punktcodes", "ZZPunktcodes", 315, "Punkt&codes:"},
};

QString TableText(const TextLines& lines) {
  QStringList list;
  for (const auto& line : lines) list << FromAnsi(line);
  return list.join('\n');
}

}  // namespace

TfrmCodeTabellen::TfrmCodeTabellen(QWidget* parent) : QDialog(parent) {
  setObjectName("TfrmCodeTabellen");
  SetTextNumber(this, kTextCaption);
  setWindowTitle("Codetabellen editieren");
  auto* grid = new QGridLayout;
  for (int t = 0; t < 4; ++t) {
    memos_[t] = new QPlainTextEdit(this);
    memos_[t]->setObjectName(kMemos[t].name);
    memos_[t]->setLineWrapMode(QPlainTextEdit::NoWrap);
    memos_[t]->installEventFilter(this);
    memos_[t]->viewport()->installEventFilter(this);
    labels_[t] = new QLabel(FromAnsi(kMemos[t].label), this);
    labels_[t]->setObjectName(QString("Label") + kMemos[t].name);
    labels_[t]->setBuddy(memos_[t]);
    SetTextNumber(labels_[t], kMemos[t].text);
    indicators_[t] = new QLabel(this);
    indicators_[t]->setObjectName(kMemos[t].indicator);
    auto* head = new QHBoxLayout;
    head->addWidget(labels_[t]);
    head->addStretch();
    head->addWidget(indicators_[t]);
    grid->addLayout(head, (t / 2) * 2, t % 2);
    grid->addWidget(memos_[t], (t / 2) * 2 + 1, t % 2);
  }
  ok_ = new QPushButton("&Ok", this);
  ok_->setObjectName("OK");
  ok_->setAutoDefault(false);
  cancel_ = new QPushButton(FromAnsi("Ab&brechen"), this);
  cancel_->setObjectName("Abbrechen");
  cancel_->setAutoDefault(false);
  connect(ok_, &QPushButton::clicked, this, &TfrmCodeTabellen::OkClick);
  connect(cancel_, &QPushButton::clicked, this, &TfrmCodeTabellen::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);
}

void TfrmCodeTabellen::Translate() { TranslateForm(this); }

void TfrmCodeTabellen::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  Translate();
  ShowTables();
}

void TfrmCodeTabellen::ShowTables() {
  LoadCodeTables(true);
  for (int t = 0; t < 4; ++t) {
    memos_[t]->setPlainText(TableText(CodeLists().Tables[t]));
    memos_[t]->moveCursor(QTextCursor::Start);
    UpdateIndicator(t);
  }
}

void TfrmCodeTabellen::UpdateIndicator(int table) {
  // The number of line breaks before the caret: the code number of its line.
  const int line = memos_[table]->textCursor().blockNumber();
  indicators_[table]->setText(codetexts::Caption(kTextLine, "Code-Nr.:") + "  " + QString::number(line));
}

void TfrmCodeTabellen::OkClick() {
  std::array<TextLines, kCodeTableCount> tables;
  for (int t = 0; t < 4; ++t) tables[t] = SplitLines(ToAnsi(memos_[t]->toPlainText()));
  SaveCodeTables(tables);
  accept();
}

bool TfrmCodeTabellen::eventFilter(QObject* watched, QEvent* event) {
  for (int t = 0; t < 4; ++t) {
    if (watched != memos_[t] && watched != memos_[t]->viewport()) continue;
    if (event->type() == QEvent::KeyRelease || event->type() == QEvent::MouseButtonRelease) {
      UpdateIndicator(t);
    } else if (event->type() == QEvent::FocusIn && watched == memos_[t]) {
      memos_[t]->moveCursor(QTextCursor::Start);
      UpdateIndicator(t);
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace veltro
