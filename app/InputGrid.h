// The grid of the input windows (point codes, coordinates): column 0 holds
// the read-only row numbers; Enter moves on, pasting text with tabs or line
// breaks spreads it over the cells, Delete empties the selected cells. The
// grid's own changes (numbers, filling, spreading) emit no itemChanged.
#pragma once

#include <QTableWidget>
#include <functional>
#include <string>
#include <vector>

#include "platform/TextFile.h"
#include "core/TextUtils.h"

class QAction;
class QDialog;

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
  // Heads the columns from column 1 on with titles; each column is widened
  // to show its whole title.
  void SetColumnTitles(const QStringList& titles);
  // Numbers rows 1, 2, ... in column 0.
  void Renumber();
  // rows empty numbered rows.
  void Clear(int rows);
  // One row per line (its fields from column 1 on, cut at separator and shown
  // through show) and an empty last row.
  void FillRows(const TextLines& lines, char separator,
                const std::function<QString(int column, const std::string& field)>& show);
  // Enter: the next column; from the last column column 1 of the next row,
  // which is added at the end.
  void MoveToNext();
  // Tab-separated lines into the cells from (row, column) on; fields beyond
  // the last column are dropped. The grid never shrinks and keeps an empty
  // row after the lines.
  void Spread(int row, int column, const QString& text);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
};

// The frame of an input window: the grid, the open and save dialogs (filter
// of the language text, folder "DataPath"), the actions New, Open, Save,
// SaveAs and End in the "&Datei" menu and the tool bar "SpeedButtons".
struct InputFrameTexts {
  const char* grid;        // component names
  const char* openDialog;
  const char* saveDialog;
  int columns;             // number column included
  int filterText;
  const char* filter;      // while the language has no text
  const char* what;        // "Codes", "Koordinaten": in the hints
  const char* endHint;
};
struct InputFrame {
  InputGrid* grid;
  QAction* create;
  QAction* open;
  QAction* save;
  QAction* saveAs;
  QAction* end;
};
InputFrame BuildInputFrame(QDialog* window, const InputFrameTexts& texts,
                           std::function<bool(std::string& path)>& chooseOpen,
                           std::function<bool(std::string& path)>& chooseSave);

// Column title of a text number: " " + its caption without the first "&"
// and the first ":" (fallback while the language has none).
QString ColumnTitle(int number, const char* fallback);
// A path chosen in a file dialog, in the file system's encoding.
std::string LocalPath(const QString& path);

}  // namespace veltro
