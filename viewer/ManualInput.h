// TfrmManualInput: points typed or pasted into a grid (point number, Y, X,
// height, code, comment), loaded from and saved to ".xyz" point lists, and
// kept as the coordinate lines of the manual point list, which a transfer
// from the editor page reads through the keyboard-input format:
//
//   1001;600123.456;200654.321;456.789;21;Mauer Nord
//
// The grid shows numbers with the system's decimal separator; the list and
// the files always hold ".". The list's point-code lines belong to the
// point-code input and are left as they are.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "platform/TextFile.h"

class QAction;
class QFileDialog;

namespace veltro {

class InputGrid;
class TdmEditor;

class TfrmManualInput : public QDialog {
  Q_OBJECT

 public:
  // Edits the coordinate lines of `list`; nullptr edits the transfer's editor
  // lines. editor supplies the line test of opened files.
  explicit TfrmManualInput(TdmEditor& editor, QWidget* parent = nullptr, TextLines* list = nullptr);

  // File choice; true and the chosen path when confirmed. Default: the
  // dialogs OpenDialog and SaveDialog.
  std::function<bool(std::string& path)> chooseOpenFile;
  std::function<bool(std::string& path)> chooseSaveFile;

  void Translate();
  // New: asks 568/537 first when rows are unsaved, then 10 empty rows.
  void NewClick();
  // The grid as list lines; false when a row is invalid (each one reported
  // with text 569 naming its row; the other rows are still tested).
  bool CollectRows(TextLines& lines);
  // The lines into the grid, one row each plus an empty last row.
  void FillGrid(const TextLines& lines);
  // Open: asks first like New; a file whose first line is no point line is
  // refused with text 570 and the grid keeps its rows.
  void OpenClick();
  // Save: a valid grid becomes the list's coordinate lines and the file.
  bool SaveClick();
  bool SaveAsClick();
  // End: a valid grid becomes the list's coordinate lines; changes are
  // offered for saving. Stays open on an invalid row or a save that did not
  // happen after Yes.
  void EndClick();
  // Spreads tab-separated lines over the cells from (row, column) on.
  void PasteText(int row, int column, const QString& text);
  // Enter: the next column; from the last column the next row, a new one at
  // the end.
  void MoveToNextCell();

  bool Modified() const { return modified_; }
  const std::string& FileName() const { return fileName_; }
  TextLines& List() { return *list_; }

  // Escape and the title bar run End.
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void ShowHeldList();
  // Unsaved rows: asks 568/537; true when they may be dropped.
  bool MayDropRows();
  bool WriteFile(const TextLines& lines);

  TdmEditor& editor_;
  TextLines* list_;
  InputGrid* grid_;
  std::string fileName_;
  bool modified_ = false;
  bool closing_ = false;
};

// Opens the window modally on the transfer's editor lines (the
// "KoordEingabe" button of the editor page).
void ShowManualInput(TdmEditor& editor, QWidget* parent = nullptr);

}  // namespace veltro
