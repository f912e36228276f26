#include "app/CodeInput.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenuBar>
#include <QShowEvent>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/CodeListTexts.h"
#include "app/TranslateForm.h"
#include "core/Messages.h"
#include "core/Settings.h"
#include "core/Transfer.h"
#include "instruments/CodeListen.h"
#include "platform/Registry.h"
#include "platform/qt/QtMessageBox.h"

namespace veltro {
namespace {

using codetexts::TextOr;

constexpr int kTextCaption = 572;
constexpr int kTextCode = 235;
constexpr int kTextEntity = 260;
constexpr int kTextLayer = 261;
constexpr int kTextFilter = 592;
constexpr int kTextNotACodeList = 590;
constexpr int kTextBadRow = 589;
constexpr int kTextSaveChanges = 568;
constexpr int kTextSaveNew = 537;
constexpr int kTextCannotOpen = 70;
constexpr int kTextCannotSave = 72;

constexpr int kColumns = 4;  // number column + code, entity, layer
constexpr int kNewRows = 10;
constexpr int kNumberWidth = 40;

// The grid: Enter moves on, pasting tab- or line-separated text spreads it.
class CodeGrid : public QTableWidget {
 public:
  using QTableWidget::QTableWidget;
  std::function<void()> nextCell;
  std::function<void(const QString&)> spread;

  void CommitEdit() {
    QWidget* editor = indexWidget(currentIndex());
    if (state() == QAbstractItemView::EditingState && editor) {
      commitData(editor);
      closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && nextCell) {
      nextCell();
      return;
    }
    if (event->matches(QKeySequence::Paste) && spread) {
      const QString text = QApplication::clipboard()->text();
      if (text.contains('\t') || text.contains('\n') || text.contains('\r')) {
        spread(text);
        return;
      }
      if (currentColumn() > 0 && currentItem()) {
        currentItem()->setText(text);
        return;
      }
    }
    QTableWidget::keyPressEvent(event);
  }

  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override {
    QTableWidget::closeEditor(editor,
                              hint == QAbstractItemDelegate::SubmitModelCache ? QAbstractItemDelegate::NoHint : hint);
    if (hint == QAbstractItemDelegate::SubmitModelCache && nextCell) nextCell();
  }
};

// Column title: " " + the text without its first "&" and first ":".
QString ColumnTitle(int number, const char* fallback) {
  std::string text = TextOr(number, fallback);
  for (char c : {'&', ':'}) {
    size_t p = text.find(c);
    if (p != std::string::npos) text.erase(p, 1);
  }
  return " " + FromAnsi(text);
}

std::string PathOf(const QString& path) { return QFile::encodeName(path).toStdString(); }

// All fields of text, empty ones included.
std::vector<std::string> SplitAt(const std::string& text, char separator) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    size_t p = text.find(separator, start);
    fields.push_back(text.substr(start, p == std::string::npos ? std::string::npos : p - start));
    if (p == std::string::npos) return fields;
    start = p + 1;
  }
}

}  // namespace

TfrmCodeInput::TfrmCodeInput(QWidget* parent, TextLines* list)
    : QDialog(parent), list_(list ? list : &CurrentTransfer().EditorLines) {
  setObjectName("TfrmCodeInput");
  SetTextNumber(this, kTextCaption);
  setWindowTitle("Eingabe von Codes");

  auto* grid = new CodeGrid(kNewRows, kColumns, this);
  grid->nextCell = [this] { MoveToNextCell(); };
  grid->spread = [this](const QString& text) { PasteText(grid_->currentRow(), grid_->currentColumn(), text); };
  grid_ = grid;
  grid_->setObjectName("InputCodes");
  grid_->verticalHeader()->hide();
  grid_->setColumnWidth(0, kNumberWidth);
  grid_->horizontalHeader()->setStretchLastSection(true);
  connect(grid_, &QTableWidget::itemChanged, this, [this] {
    if (!filling_) modified_ = true;
  });

  const std::string dataPath = ReadRegString(RegistryRoot::CurrentUser, ConfigPath(kSettingDataPath), "");
  const QStringList filters =
      codetexts::FileFilters(TextOr(kTextFilter, "Codedateien (*.cod)|*.cod|Alle Dateien (*.*)|*.*"));
  ladeCode_ = new QFileDialog(this);
  ladeCode_->setObjectName("LadeCode");
  ladeCode_->setAcceptMode(QFileDialog::AcceptOpen);
  ladeCode_->setFileMode(QFileDialog::ExistingFile);
  ladeCode_->setNameFilters(filters);
  saveCode_ = new QFileDialog(this);
  saveCode_->setObjectName("SaveCode");
  saveCode_->setAcceptMode(QFileDialog::AcceptSave);
  saveCode_->setNameFilters(filters);
  if (!dataPath.empty()) {
    ladeCode_->setDirectory(QFile::decodeName(dataPath.c_str()));
    saveCode_->setDirectory(QFile::decodeName(dataPath.c_str()));
  }
  chooseOpenFile = [this](std::string& path) {
    if (ladeCode_->exec() != QDialog::Accepted || ladeCode_->selectedFiles().isEmpty()) return false;
    path = PathOf(ladeCode_->selectedFiles().front());
    return true;
  };
  chooseSaveFile = [this](std::string& path) {
    if (saveCode_->exec() != QDialog::Accepted || saveCode_->selectedFiles().isEmpty()) return false;
    path = PathOf(saveCode_->selectedFiles().front());
    return true;
  };

  auto action = [this](const char* name, const char* text, const char* hint) {
    auto* a = new QAction(FromAnsi(text), this);
    a->setObjectName(name);
    a->setToolTip(FromAnsi(hint));
    return a;
  };
  actNew_ = action("New", "&Neu", "Leert die Maske f\xFCr Neueingaben");
  actOpen_ = action("Open", "\xD6&ffnen...",
                    "\xD6"
                    "ffnet eine Datei mit Codes");
  actSave_ = action("Save", "&Speichern", "Speichert die Codes in einer Datei");
  actSaveAs_ = action("SaveAs", "Speichern &unter...", "Speichert die Codes in einer neuen Datei");
  actEnd_ = action("End", "&Beenden", "Beendet die Codeeingabe");
  connect(actNew_, &QAction::triggered, this, &TfrmCodeInput::NewClick);
  connect(actOpen_, &QAction::triggered, this, &TfrmCodeInput::OpenClick);
  connect(actSave_, &QAction::triggered, this, [this] { SaveClick(); });
  connect(actSaveAs_, &QAction::triggered, this, [this] { SaveAsClick(); });
  connect(actEnd_, &QAction::triggered, this, &TfrmCodeInput::EndClick);

  auto* menuBar = new QMenuBar(this);
  QMenu* file = menuBar->addMenu(FromAnsi("&Datei"));
  file->addActions({actNew_, actOpen_, actSave_, actSaveAs_});
  file->addSeparator();
  file->addAction(actEnd_);
  auto* tools = new QToolBar(this);
  tools->setObjectName("SpeedButtons");
  tools->addActions({actNew_, actOpen_, actSave_, actSaveAs_, actEnd_});
  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(menuBar);
  layout->addWidget(tools);
  layout->addWidget(grid_);
  resize(480, 360);

  Translate();
  ShowHeldList();
}

void TfrmCodeInput::ShowHeldList() {
  NewClick();
  // A point-code list held already is shown; any other list is left alone.
  if (!list_->empty() && IsPointCodeLine(list_->front())) ShowList();
}

void TfrmCodeInput::Translate() {
  TranslateForm(this);
  grid_->setHorizontalHeaderLabels({QString(), ColumnTitle(kTextCode, "Code"), ColumnTitle(kTextEntity, "Symbolnummer"),
                                    ColumnTitle(kTextLayer, "Layer")});
}

void TfrmCodeInput::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  Translate();
  // Shown again later: the list may have changed meanwhile.
  if (!modified_) ShowHeldList();
}

QString TfrmCodeInput::Cell(int row, int column) const {
  const QTableWidgetItem* item = grid_->item(row, column);
  return item ? item->text() : QString();
}

void TfrmCodeInput::SetCell(int row, int column, const QString& text) {
  QTableWidgetItem* item = grid_->item(row, column);
  if (!item) {
    item = new QTableWidgetItem(text);
    if (column == 0) item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    grid_->setItem(row, column, item);
  } else {
    item->setText(text);
  }
}

void TfrmCodeInput::SetRows(int rows) {
  grid_->setRowCount(rows);
  Renumber();
}

void TfrmCodeInput::Renumber() {
  const bool filling = filling_;
  filling_ = true;
  for (int r = 0; r < grid_->rowCount(); ++r) SetCell(r, 0, QString::number(r + 1));
  filling_ = filling;
}

void TfrmCodeInput::NewClick() {
  filling_ = true;
  grid_->clearContents();
  SetRows(kNewRows);
  filling_ = false;
  modified_ = false;
}

void TfrmCodeInput::ShowList() {
  if (!list_->empty() && !IsPointCodeLine(list_->front())) {
    ShowMessageBox(TextOr(kTextNotACodeList, "Die Datei enth\xE4lt keine g\xFCltige Codeliste."), kMsgError, kBtnOk);
    list_->clear();
    return;
  }
  filling_ = true;
  grid_->clearContents();
  SetRows(static_cast<int>(list_->size()) + 1);
  for (size_t r = 0; r < list_->size(); ++r) {
    const std::vector<std::string> fields = SplitAt((*list_)[r], kPointCodeSeparator);
    for (size_t c = 0; c < fields.size() && c + 1 < kColumns; ++c)
      SetCell(static_cast<int>(r), static_cast<int>(c) + 1, FromAnsi(fields[c]));
  }
  filling_ = false;
}

bool TfrmCodeInput::TakeOver() {
  static_cast<CodeGrid*>(grid_)->CommitEdit();
  list_->clear();
  bool ok = true;
  for (int r = 0; r < grid_->rowCount(); ++r) {
    std::vector<std::string> cells;
    for (int c = 1; c < kColumns; ++c) cells.push_back(ToAnsi(Cell(r, c)));
    const std::string line = PointCodeRowLine(cells);
    if (line.empty()) continue;
    if (IsValidPointCodeLine(line)) {
      list_->push_back(line);
    } else {
      ok = false;
      ShowMessageBox(FormatText(TextOr(kTextBadRow, "Zeile %d: der Code fehlt oder die Symbolnummer ist keine Zahl."),
                                {std::to_string(r + 1)}),
                     kMsgError, kBtnOk);
    }
  }
  return ok;
}

void TfrmCodeInput::OpenClick() {
  std::string path;
  if (!chooseOpenFile || !chooseOpenFile(path)) return;
  TextLines lines;
  if (!LoadTextFile(path, lines)) {
    ShowMessageBox(FormatText(TextOr(kTextCannotOpen,
                                     "Die Datei kann nicht ge\xF6"
                                     "ffnet werden."),
                              {path}),
                   kMsgError, kBtnOk);
    return;
  }
  *list_ = std::move(lines);
  fileName_ = path;
  NewClick();
  ShowList();
}

bool TfrmCodeInput::SaveClick() {
  if (fileName_.empty()) {
    std::string path;
    if (!chooseSaveFile || !chooseSaveFile(path) || path.empty()) return false;
    fileName_ = path;
  }
  if (!TakeOver()) return false;
  if (!SaveTextFile(fileName_, *list_)) {
    ShowMessageBox(FormatText(TextOr(kTextCannotSave, "Die Datei kann nicht gespeichert werden."), {fileName_}),
                   kMsgError, kBtnOk);
    return false;
  }
  modified_ = false;
  ShowList();
  return true;
}

bool TfrmCodeInput::SaveAsClick() {
  std::string path;
  if (!chooseSaveFile || !chooseSaveFile(path) || path.empty()) return false;
  fileName_ = path;
  return SaveClick();
}

bool TfrmCodeInput::FinishInput() {
  static_cast<CodeGrid*>(grid_)->CommitEdit();
  // An unchanged grid leaves the list as it is: the list is shared with the
  // other inputs of the editor page.
  if (!modified_) return true;
  if (!TakeOver()) return false;
  const int question = fileName_.empty() ? kTextSaveNew : kTextSaveChanges;
  const char* fallback = fileName_.empty()
                             ? "Die Daten wurden noch nicht gespeichert. Sollen sie in einer Datei gespeichert werden?"
                             : "Die Daten wurden ge\xE4ndert. Sollen die \xC4nderungen gespeichert werden?";
  if (ShowMessageBox(TextOr(question, fallback), kMsgConfirmation, kBtnYesNo) == kAnsYes) SaveClick();
  return true;
}

void TfrmCodeInput::EndClick() {
  if (FinishInput()) accept();
}

void TfrmCodeInput::reject() {
  if (FinishInput()) QDialog::reject();
}

void TfrmCodeInput::MoveToNextCell() {
  int row = std::max(grid_->currentRow(), 0);
  int column = grid_->currentColumn();
  if (column < kColumns - 1) {
    column = std::max(column + 1, 1);
  } else {
    column = 1;
    ++row;
    if (row >= grid_->rowCount()) {
      const bool filling = filling_;
      filling_ = true;
      grid_->insertRow(grid_->rowCount());
      Renumber();
      filling_ = filling;
    }
  }
  grid_->setCurrentCell(row, column);
}

void TfrmCodeInput::PasteText(int row, int column, const QString& text) {
  const TextLines lines = SplitLines(ToAnsi(text));
  row = std::max(row, 0);
  column = std::max(column, 1);
  const int needed = row + static_cast<int>(lines.size()) + 1;
  if (grid_->rowCount() < needed) grid_->setRowCount(needed);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::vector<std::string> fields = SplitAt(lines[i], '\t');
    for (size_t j = 0; j < fields.size() && column + static_cast<int>(j) < kColumns; ++j)
      SetCell(row + static_cast<int>(i), column + static_cast<int>(j), FromAnsi(fields[j]));
  }
  Renumber();
  modified_ = true;
}

}  // namespace veltro
