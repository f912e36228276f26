#include "app/InputGrid.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

#include "app/CodeListTexts.h"
#include "core/Settings.h"
#include "platform/Registry.h"
#include "platform/qt/QtMessageBox.h"

namespace veltro {

void InputGrid::CommitEdit() {
  QWidget* editor = indexWidget(currentIndex());
  if (state() == QAbstractItemView::EditingState && editor) {
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
  }
}

QString InputGrid::Cell(int row, int column) const {
  const QTableWidgetItem* it = item(row, column);
  return it ? it->text() : QString();
}

void InputGrid::SetCell(int row, int column, const QString& text) {
  if (QTableWidgetItem* it = item(row, column)) {
    it->setText(text);
    return;
  }
  auto* it = new QTableWidgetItem(text);
  if (column == 0) it->setFlags(it->flags() & ~Qt::ItemIsEditable);
  setItem(row, column, it);
}

void InputGrid::Renumber() {
  const QSignalBlocker quiet(this);
  for (int r = 0; r < rowCount(); ++r) SetCell(r, 0, QString::number(r + 1));
}

void InputGrid::Clear(int rows) {
  const QSignalBlocker quiet(this);
  clearContents();
  setRowCount(rows);
  Renumber();
}

void InputGrid::FillRows(const TextLines& lines, char separator,
                         const std::function<QString(int column, const std::string& field)>& show) {
  const QSignalBlocker quiet(this);
  Clear(static_cast<int>(lines.size()) + 1);
  for (size_t r = 0; r < lines.size(); ++r) {
    const std::vector<std::string> fields = SplitFields(lines[r], separator);
    for (size_t c = 0; c < fields.size() && static_cast<int>(c) + 1 < columnCount(); ++c)
      SetCell(static_cast<int>(r), static_cast<int>(c) + 1, show(static_cast<int>(c) + 1, fields[c]));
  }
}

void InputGrid::MoveToNext() {
  int row = std::max(currentRow(), 0);
  int column = currentColumn();
  if (column < columnCount() - 1) {
    column = std::max(column + 1, 1);
  } else {
    column = 1;
    if (++row >= rowCount()) {
      insertRow(rowCount());
      Renumber();
    }
  }
  setCurrentCell(row, column);
}

void InputGrid::Spread(int row, int column, const QString& text) {
  const QSignalBlocker quiet(this);
  const TextLines lines = SplitLines(ToAnsi(text));
  row = std::max(row, 0);
  column = std::max(column, 1);
  const int needed = row + static_cast<int>(lines.size()) + 1;
  if (rowCount() < needed) setRowCount(needed);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::vector<std::string> fields = SplitFields(lines[i], '\t');
    for (size_t j = 0; j < fields.size() && column + static_cast<int>(j) < columnCount(); ++j)
      SetCell(row + static_cast<int>(i), column + static_cast<int>(j), FromAnsi(fields[j]));
  }
  Renumber();
}

void InputGrid::keyPressEvent(QKeyEvent* event) {
  // Enter in a cell editor reaches the grid too: the edit ends here, once.
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && nextCell) {
    CommitEdit();
    nextCell();
    return;
  }
  if (event->key() == Qt::Key_Delete && state() != QAbstractItemView::EditingState) {
    for (QTableWidgetItem* it : selectedItems())
      if (it->column() > 0) it->setText(QString());
    if (edited) edited();
    return;
  }
  if (event->matches(QKeySequence::Paste) && spread) {
    const QString text = QApplication::clipboard()->text();
    if (text.contains('\t') || text.contains('\n') || text.contains('\r')) {
      spread(text);
      return;
    }
    if (currentColumn() > 0) {
      SetCell(currentRow(), currentColumn(), text);
      return;
    }
  }
  QTableWidget::keyPressEvent(event);
}

void InputGrid::SetColumnTitles(const QStringList& titles) {
  setHorizontalHeaderLabels(QStringList{QString()} + titles);
  for (int c = 1; c < columnCount(); ++c)
    setColumnWidth(c, std::max(columnWidth(c), horizontalHeader()->sectionSizeHint(c)));
}

void InputGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  // A commit that arrives after the edit has ended moves nowhere.
  const bool open = state() == QAbstractItemView::EditingState && indexWidget(currentIndex()) == editor;
  QTableWidget::closeEditor(editor,
                            hint == QAbstractItemDelegate::SubmitModelCache ? QAbstractItemDelegate::NoHint : hint);
  if (open && hint == QAbstractItemDelegate::SubmitModelCache && nextCell) nextCell();
}

InputFrame BuildInputFrame(QDialog* window, const InputFrameTexts& texts,
                           std::function<bool(std::string& path)>& chooseOpen,
                           std::function<bool(std::string& path)>& chooseSave) {
  constexpr int kNewRows = 10;
  constexpr int kNumberWidth = 40;  // pixels
  InputFrame frame{};
  frame.grid = new InputGrid(kNewRows, texts.columns, window);
  InputGrid* grid = frame.grid;
  grid->setObjectName(texts.grid);
  grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                        QAbstractItemView::AnyKeyPressed);
  grid->verticalHeader()->hide();
  grid->setColumnWidth(0, kNumberWidth);
  grid->nextCell = [grid] { grid->MoveToNext(); };
  grid->Renumber();

  const std::string dataPath = ReadRegString(RegistryRoot::CurrentUser, ConfigPath(kSettingDataPath), "");
  const QStringList filters = codetexts::FileFilters(codetexts::TextOr(texts.filterText, texts.filter));
  auto dialog = [&](const char* name, QFileDialog::AcceptMode mode) {
    auto* d = new QFileDialog(window);
    d->setObjectName(name);
    d->setAcceptMode(mode);
    if (mode == QFileDialog::AcceptOpen) d->setFileMode(QFileDialog::ExistingFile);
    d->setNameFilters(filters);
    if (!dataPath.empty()) d->setDirectory(QFile::decodeName(dataPath.c_str()));
    return [d](std::string& path) {
      if (d->exec() != QDialog::Accepted || d->selectedFiles().isEmpty()) return false;
      path = LocalPath(d->selectedFiles().front());
      return true;
    };
  };
  chooseOpen = dialog(texts.openDialog, QFileDialog::AcceptOpen);
  chooseSave = dialog(texts.saveDialog, QFileDialog::AcceptSave);

  auto action = [window](const char* name, const char* text, const std::string& hint) {
    auto* a = new QAction(FromAnsi(text), window);
    a->setObjectName(name);
    a->setToolTip(FromAnsi(hint));
    return a;
  };
  const std::string what = texts.what;
  frame.create = action("New", "&Neu", "Leert die Maske f\xFCr Neueingaben");
  frame.open = action("Open", "\xD6&ffnen...", "\xD6" "ffnet eine Datei mit " + what);
  frame.save = action("Save", "&Speichern", "Speichert die " + what + " in einer Datei");
  frame.saveAs = action("SaveAs", "Speichern &unter...", "Speichert die " + what + " in einer neuen Datei");
  frame.end = action("End", "&Beenden", texts.endHint);

  auto* menuBar = new QMenuBar(window);
  QMenu* file = menuBar->addMenu(FromAnsi("&Datei"));
  file->addActions({frame.create, frame.open, frame.save, frame.saveAs});
  file->addSeparator();
  file->addAction(frame.end);
  auto* tools = new QToolBar(window);
  tools->setObjectName("SpeedButtons");
  tools->addActions({frame.create, frame.open, frame.save, frame.saveAs, frame.end});
  auto* layout = new QVBoxLayout(window);
  layout->setMenuBar(menuBar);
  layout->addWidget(tools);
  layout->addWidget(grid);
  return frame;
}

QString ColumnTitle(int number, const char* fallback) {
  std::string text = codetexts::TextOr(number, fallback);
  for (char c : {'&', ':'}) {
    size_t p = text.find(c);
    if (p != std::string::npos) text.erase(p, 1);
  }
  return " " + FromAnsi(text);
}

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace veltro
