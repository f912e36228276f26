#include "viewer/Viewer.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QTextBlock>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/CodeListTexts.h"
#include "app/TranslateForm.h"
#include "core/DatenformatDefinitionen.h"
#include "core/Settings.h"
#include "core/Transfer.h"
#include "instruments/InstrumentenModul.h"
#include "platform/CodePage1252.h"
#include "platform/Registry.h"
#include "platform/qt/QtMessageBox.h"
#include "viewer/EditDaten.h"
#include "viewer/dmEditDaten.h"

namespace veltro {
namespace {

// Text numbers of the window's captions.
constexpr int kTextCaption = 821;
constexpr int kTextOpen = 822;
constexpr int kTextSave = 823;
constexpr int kTextSaveAs = 824;
constexpr int kTextEdit = 825;
constexpr int kTextClose = 826;
constexpr int kTextFileMenu = 827;

// The text box: a left click or a key moves the caret and selects its line,
// the right button and (once a file is loaded) Enter edit the line.
class ViewerText : public QPlainTextEdit {
 public:
  using QPlainTextEdit::QPlainTextEdit;
  std::function<void()> caretPlaced;
  std::function<void()> editRequested;
  std::function<bool()> enterEdits;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    QPlainTextEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && caretPlaced) caretPlaced();
  }
  void contextMenuEvent(QContextMenuEvent* event) override {
    setTextCursor(cursorForPosition(event->pos()));
    if (caretPlaced) caretPlaced();
    if (editRequested) editRequested();
  }
  void keyPressEvent(QKeyEvent* event) override {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && enterEdits && enterEdits()) {
      if (editRequested) editRequested();
      return;
    }
    QPlainTextEdit::keyPressEvent(event);
  }
  void keyReleaseEvent(QKeyEvent* event) override {
    QPlainTextEdit::keyReleaseEvent(event);
    if (caretPlaced && !event->isAutoRepeat()) caretPlaced();
  }
};

// A line as shown: code page 1252, control bytes as their visible symbols
// (0x1A as U+241A), so that every byte keeps one character.
QString ShownLine(std::string_view line) {
  QString shown;
  shown.reserve(static_cast<qsizetype>(line.size()));
  for (unsigned char c : line) {
    if (c < 0x20 && c != '\t')
      shown += QChar(0x2400 + c);
    else if (c == 0x7F)
      shown += QChar(0x2421);
    else
      shown += QChar(static_cast<char16_t>(Cp1252ToUnicode(c)));
  }
  return shown;
}

QString ShownLines(const LineList& lines, size_t first, size_t count) {
  QString shown;
  for (size_t i = first; i < first + count && i < lines.size(); ++i) {
    if (i > first) shown += QLatin1Char('\n');
    shown += ShownLine(lines[i]);
  }
  return shown;
}

std::string PathOf(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

TfrmViewer::TfrmViewer(TGeraete& geraete, QWidget* parent) : QDialog(parent), geraete_(geraete), model_(geraete) {
  setObjectName("TfrmViewer");
  SetTextNumber(this, kTextCaption);
  setWindowTitle("Dateiviewer");
  setSizeGripEnabled(true);

  auto* text = new ViewerText(this);
  text_ = text;
  text_->setObjectName("ViewerText");
  text_->setReadOnly(true);
  text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setWordWrapMode(QTextOption::NoWrap);
  text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  text_->setUndoRedoEnabled(false);
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  text->caretPlaced = [this] { TakeCaretLine(); };
  text->editRequested = [this] { EditClick(); };
  text->enterEdits = [this] { return model_.Loaded(); };

  status_ = new QLabel(this);
  status_->setObjectName("StatusZeile");

  auto action = [this](const char* name, const char* caption, int number, const QKeySequence& key) {
    auto* a = new QAction(FromAnsi(caption), this);
    a->setObjectName(name);
    SetTextNumber(a, number);
    if (!key.isEmpty()) a->setShortcut(key);
    return a;
  };
  actOpen_ = action("Oeffnen",
                    "\xD6"
                    "ffnen",
                    kTextOpen, QKeySequence::Open);
  actSave_ = action("Speichern", "Speichern", kTextSave, QKeySequence::Save);
  actSaveAs_ = action("SpeichernUnter", "Speichern unter ...", kTextSaveAs, QKeySequence());
  actEdit_ = action("ZeileEditieren", "Selektierte Zeile editieren", kTextEdit, QKeySequence());
  actClose_ = action("ViewerSchliessen", "Viewer schliessen", kTextClose, QKeySequence());
  connect(actOpen_, &QAction::triggered, this, &TfrmViewer::OpenClick);
  connect(actSave_, &QAction::triggered, this, [this] { SaveClick(); });
  connect(actSaveAs_, &QAction::triggered, this, [this] { SaveAsClick(); });
  connect(actEdit_, &QAction::triggered, this, &TfrmViewer::EditClick);
  connect(actClose_, &QAction::triggered, this, &TfrmViewer::CloseClick);

  auto* menuBar = new QMenuBar(this);
  menuBar->setObjectName("ViewerMenu");
  QMenu* file = menuBar->addMenu(FromAnsi("&Datei"));
  file->setObjectName("Datei");
  SetTextNumber(file, kTextFileMenu);
  file->addActions({actOpen_, actSave_, actSaveAs_});
  file->addSeparator();
  file->addAction(actEdit_);
  file->addSeparator();
  file->addAction(actClose_);
  auto* tools = new QToolBar(this);
  tools->setObjectName("SpeedButtons");
  tools->addActions({actOpen_, actSave_, actSaveAs_, actEdit_, actClose_});

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setMenuBar(menuBar);
  layout->addWidget(tools);
  layout->addWidget(text_, 1);
  layout->addWidget(status_);
  resize(720, 480);

  chooseOpenFile = [this](std::string& path) { return ChooseFile(false, path); };
  chooseSaveFile = [this](std::string& path) { return ChooseFile(true, path); };
  model_.askSaveName = [this](std::string& name) { return chooseSaveFile && chooseSaveFile(name); };
  model_.onLinesChanged = [this](int first, int removed, int added) {
    if (removed < 0)
      ShowAllLines();
    else
      ReplaceShownLines(first, removed, added);
  };
  geraete_.SetViewerFormat([this] { return isVisible() ? model_.Format() : nullptr; });
  auto* editors = dynamic_cast<TdmEditDaten*>(DmEditDaten());
  if (!editors) {
    ownEditors_ = std::make_unique<TdmEditDaten>();
    editors = ownEditors_.get();
  }
  recordEditor_ = std::make_unique<TfrmEditDaten>(*this, *editors, geraete_, this);
  UpdateState();
}

TfrmViewer::~TfrmViewer() {
  geraete_.SetViewerFormat(nullptr);
  if (CurrentTransfer().ActiveLines == &model_.Lines()) CurrentTransfer().ActiveLines = previousActiveLines_;
}

bool TfrmViewer::ChooseFile(bool save, std::string& path) {
  QFileDialog dialog(this);
  dialog.setObjectName(save ? "SaveDialog" : "OpenDialog");
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilters(codetexts::FileFilters(model_.FileFilter()));
  if (save) dialog.setDefaultSuffix(FromAnsi(model_.DefaultExtension()));
  const std::string dataPath = ReadRegString(RegistryRoot::CurrentUser, ConfigPath(kSettingDataPath), "");
  if (!path.empty())
    dialog.selectFile(QFile::decodeName(path.c_str()));
  else if (!dataPath.empty())
    dialog.setDirectory(QFile::decodeName(dataPath.c_str()));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  path = PathOf(dialog.selectedFiles().front());
  return true;
}

// ---- Showing the text ---------------------------------------------------------------

void TfrmViewer::ShowAllLines() {
  const LineList& lines = model_.Lines();
  text_->setPlainText(ShownLines(lines, 0, lines.size()));
  SelectCurrentLine();
}

void TfrmViewer::ReplaceShownLines(int first, int removed, int added) {
  QTextDocument* document = text_->document();
  const QTextBlock from = document->findBlockByNumber(first);
  const QTextBlock to = document->findBlockByNumber(first + removed - 1);
  if (!from.isValid() || !to.isValid()) {
    ShowAllLines();
    return;
  }
  QTextCursor cursor(document);
  cursor.setPosition(from.position());
  cursor.setPosition(to.position() + to.length() - 1, QTextCursor::KeepAnchor);
  cursor.insertText(ShownLines(model_.Lines(), static_cast<size_t>(first), static_cast<size_t>(added)));
  SelectCurrentLine();
}

void TfrmViewer::SelectCurrentLine() {
  selecting_ = true;
  QTextCursor cursor(text_->document());
  if (model_.LineCount() > 0) {
    const QTextBlock block = text_->document()->findBlockByNumber(model_.CurrentLine());
    const std::string_view line = model_.Lines()[static_cast<size_t>(model_.CurrentLine())];
    // The caret at the line's start keeps the start in view.
    cursor.setPosition(block.position() + static_cast<int>(ViewerModel::SelectionLength(line)));
    cursor.setPosition(block.position(), QTextCursor::KeepAnchor);
  }
  text_->setTextCursor(cursor);
  text_->ensureCursorVisible();
  selecting_ = false;
  UpdateState();
}

void TfrmViewer::TakeCaretLine() {
  if (selecting_) return;
  model_.SetCurrentLine(text_->textCursor().blockNumber());
  SelectCurrentLine();
}

void TfrmViewer::UpdateState() {
  const bool haveLines = model_.LineCount() > 0;
  actEdit_->setEnabled(haveLines);
  QString state = FromAnsi(model_.FileName());
  if (const TGeraeteFormat* format = model_.Format()) {
    if (!state.isEmpty()) state += QStringLiteral("  \u2013  ");
    state += FromAnsi(format->Caption);
  }
  if (haveLines) {
    if (!state.isEmpty()) state += QStringLiteral("  \u2013  ");
    state += QStringLiteral("%1 / %2").arg(model_.CurrentLine() + 1).arg(model_.LineCount());
  }
  status_->setText(state);
}

// ---- Entry points ----------------------------------------------------------------------

bool TfrmViewer::ShowReceivedLines(LineList& lines) {
  model_.ShowLines(lines);
  exec();
  if (!model_.Modified()) return false;
  lines = model_.Lines();
  return true;
}

void TfrmViewer::ShowEditor() {
  TransferState& t = CurrentTransfer();
  if (!t.ReceivedLines.empty()) {
    ShowReceivedLines(t.ReceivedLines);
    return;
  }
  if (model_.FileName().empty()) model_.ShowLines({});
  exec();
}

bool TfrmViewer::ShowCaret(bool result) {
  SelectCurrentLine();
  return result;
}

bool TfrmViewer::NextRecord() { return ShowCaret(model_.MoveRecord(ViewerDirection::Next)); }
bool TfrmViewer::PreviousRecord() { return ShowCaret(model_.MoveRecord(ViewerDirection::Previous)); }
bool TfrmViewer::FirstRecord() { return ShowCaret(model_.FirstRecord()); }
bool TfrmViewer::LastRecord() { return ShowCaret(model_.LastRecord()); }
bool TfrmViewer::NextStation() { return ShowCaret(model_.MoveStation(ViewerDirection::Next)); }
bool TfrmViewer::PreviousStation() { return ShowCaret(model_.MoveStation(ViewerDirection::Previous)); }

bool TfrmViewer::PrepareEdit() { return model_.PrepareEdit(); }

bool TfrmViewer::WriteBack() { return model_.WriteBack(); }

// ---- Actions --------------------------------------------------------------------------------

void TfrmViewer::OpenClick() {
  if (!model_.ConfirmDiscard()) return;
  std::string path;
  if (!chooseOpenFile || !chooseOpenFile(path)) return;
  model_.OpenFile(path);
  SelectCurrentLine();
}

bool TfrmViewer::SaveClick() { return ShowCaret(model_.Save()); }

bool TfrmViewer::SaveAsClick() { return ShowCaret(model_.SaveAs()); }

void TfrmViewer::EditClick() {
  if (model_.LineCount() == 0) return;
  if (PrepareEdit() && model_.Editor()) model_.Editor()->EditRecord();
  SelectCurrentLine();
}

void TfrmViewer::CloseClick() { close(); }

void TfrmViewer::reject() {
  if (model_.ConfirmDiscard()) QDialog::reject();
}

void TfrmViewer::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  TranslateForm(this);
  model_.ClearModified();
  officeFormat_ = FindActiveFormat();
  previousActiveLines_ = CurrentTransfer().ActiveLines;
  CurrentTransfer().ActiveLines = &model_.Lines();
  model_.SetCurrentLine(0);
  model_.FirstRecord();
  SelectCurrentLine();
}

void TfrmViewer::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  if (event->spontaneous()) return;
  if (officeFormat_ && FindActiveFormat() != officeFormat_) ActivateFormat(*officeFormat_);
  officeFormat_ = nullptr;
  if (CurrentTransfer().ActiveLines == &model_.Lines()) CurrentTransfer().ActiveLines = previousActiveLines_;
}

}  // namespace veltro
