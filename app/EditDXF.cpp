#include "app/EditDXF.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cstdio>

#include "core/Messages.h"
#include "formats/office/DFDefs.h"
#include "platform/FileLookup.h"
#include "platform/TextFile.h"
#include "platform/qt/QtMessageBox.h"

namespace veltro {
namespace {

constexpr int kTextCannotSave = 50;
constexpr int kTextCannotRead = 51;
constexpr int kTextSaveChanges = 134;

struct PageRow {
  const char* file;
  const char* caption;
  const char* page;
  const char* editor;
  bool keptWhenEmpty;  // DXF.DEF: an empty editor leaves the file alone
};
constexpr PageRow kPages[] = {
    {"DXF.DEF", "&Definitionen editieren", "tsDefinitionen", "MemoDefinitionen", true},
    {"HEAD.DXF", "&Vorspann editieren", "tsVorspann", "MemoVorspann", false},
    {"END.DXF", "&Nachspann editieren", "tsNachspann", "MemoNachspann", false},
};

constexpr int kWidth = 640;  // pixels
constexpr int kHeight = 480;

QString EditorText(const TextLines& lines) {
  QString text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) text += '\n';
    text += FromAnsi(lines[i]);
  }
  return text;
}

}  // namespace

TfrmEditDXF::TfrmEditDXF(TDFD& dfd, QWidget* parent) : QDialog(parent), dfd_(dfd) {
  setObjectName("frmEditDXF");
  setWindowTitle("DXF Definitionen");
  resize(kWidth, kHeight);

  auto* layout = new QVBoxLayout(this);
  pages_ = new QTabWidget(this);
  pages_->setObjectName("PageControl");
  layout->addWidget(pages_);
  for (size_t i = 0; i < std::size(kPages); ++i) {
    auto* page = new QWidget(pages_);
    page->setObjectName(kPages[i].page);
    auto* pageLayout = new QVBoxLayout(page);
    auto* editor = new QPlainTextEdit(page);
    editor->setObjectName(kPages[i].editor);
    editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont fixed("Monospace");
    fixed.setStyleHint(QFont::TypeWriter);
    editor->setFont(fixed);
    pageLayout->addWidget(editor);
    pages_->addTab(page, kPages[i].caption);
    files_[i] = {kPages[i].file, editor};
  }

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  auto* speichern = new QPushButton("&Speichern", this);
  speichern->setObjectName("Speichern");
  auto* beenden = new QPushButton("&Beenden", this);
  beenden->setObjectName("Beenden");
  buttons->addWidget(speichern);
  buttons->addWidget(beenden);
  layout->addLayout(buttons);
  connect(speichern, &QPushButton::clicked, this, [this] { SaveFiles(); });
  connect(beenden, &QPushButton::clicked, this, [this] { BeendenClick(); });
}

void TfrmEditDXF::showEvent(QShowEvent* event) {
  LoadFiles();
  QDialog::showEvent(event);
}

void TfrmEditDXF::LoadFiles() {
  bool failed = false;
  for (Page& p : files_) {
    TextLines lines;
    const std::string path = dfd_.DXFFile(p.file);
    const std::string expected = dfd_.DXFDirectory() + p.file;
    if (!path.empty() && !LoadTextFile(path, lines)) failed = true;
    if (path.empty() && FileExists(expected)) failed = true;  // there, but not readable
    p.editor->setPlainText(EditorText(lines));
    p.editor->document()->setModified(false);
  }
  if (failed) ShowMessageBox(GetText(kTextCannotRead), kMsgError, kBtnOk);
}

bool TfrmEditDXF::Changed() const {
  for (const Page& p : files_)
    if (p.editor->document()->isModified()) return true;
  return false;
}

bool TfrmEditDXF::SaveFiles() {
  bool ok = true;
  for (size_t i = 0; i < std::size(files_); ++i) {
    const Page& p = files_[i];
    std::string path = dfd_.DXFFile(p.file);
    if (path.empty()) path = dfd_.DXFDirectory() + p.file;
    const QString text = p.editor->toPlainText();
    if (text.isEmpty()) {
      if (!kPages[i].keptWhenEmpty && FileExists(path) && std::remove(path.c_str()) != 0) ok = false;
      continue;
    }
    if (!SaveTextFile(path, SplitLines(ToAnsi(text)))) ok = false;
  }
  if (!ok) {
    ShowMessageBox(GetText(kTextCannotSave), kMsgError, kBtnOk);
    return false;
  }
  for (const Page& p : files_) p.editor->document()->setModified(false);
  return true;
}

bool TfrmEditDXF::Finish() {
  if (Changed() && ShowMessageBox(GetText(kTextSaveChanges), kMsgConfirmation, kBtnYesNo) == kAnsYes && !SaveFiles())
    return false;
  for (const Page& p : files_) {
    p.editor->clear();
    p.editor->document()->setModified(false);
  }
  return true;
}

void TfrmEditDXF::BeendenClick() {
  if (Finish()) QDialog::reject();
}

void TfrmEditDXF::reject() { BeendenClick(); }

// Closing from the title bar is "&Beenden".
void TfrmEditDXF::closeEvent(QCloseEvent* event) {
  BeendenClick();
  if (isVisible())
    event->ignore();
  else
    event->accept();
}

}  // namespace veltro
