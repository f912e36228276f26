#include "app/InputGrid.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QKeyEvent>

#include "app/CodeListTexts.h"
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
  for (int r = 0; r < rowCount(); ++r) SetCell(r, 0, QString::number(r + 1));
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

void InputGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  // A commit that arrives after the edit has ended moves nowhere.
  const bool open = state() == QAbstractItemView::EditingState && indexWidget(currentIndex()) == editor;
  QTableWidget::closeEditor(editor,
                            hint == QAbstractItemDelegate::SubmitModelCache ? QAbstractItemDelegate::NoHint : hint);
  if (open && hint == QAbstractItemDelegate::SubmitModelCache && nextCell) nextCell();
}

QString ColumnTitle(int number, const char* fallback) {
  std::string text = codetexts::TextOr(number, fallback);
  for (char c : {'&', ':'}) {
    size_t p = text.find(c);
    if (p != std::string::npos) text.erase(p, 1);
  }
  return " " + FromAnsi(text);
}

std::vector<std::string> SplitFields(const std::string& text, char separator) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    size_t p = text.find(separator, start);
    fields.push_back(text.substr(start, p == std::string::npos ? std::string::npos : p - start));
    if (p == std::string::npos) return fields;
    start = p + 1;
  }
}

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace veltro
