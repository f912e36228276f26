// The grid of the input windows (point codes, coordinates): column 0 holds
// the read-only row numbers; Enter moves on, pasting text with tabs or line
// breaks spreads it over the cells, Delete empties the selected cells.
#pragma once

#include <QTableWidget>
#include <functional>
#include <string>
#include <vector>

namespace veltro {

class InputGrid : public QTableWidget {
 public:
  using QTableWidget::QTableWidget;

  std::function<void()> nextCell;
  std::function<void(const QString&)> spread;
  std::function<void()> edited;  // cells emptied by Delete

  // Ends a running cell edit and keeps its text.
  void CommitEdit();
  QString Cell(int row, int column) const;
  void SetCell(int row, int column, const QString& text);
  // Numbers rows 1, 2, ... in column 0.
  void Renumber();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
};

// Column title of a text number: " " + its caption without the first "&"
// and the first ":" (fallback while the language has none).
QString ColumnTitle(int number, const char* fallback);
// Every field of text, empty ones included.
std::vector<std::string> SplitFields(const std::string& text, char separator);
// A path chosen in a file dialog, in the file system's encoding.
std::string LocalPath(const QString& path);

}  // namespace veltro
