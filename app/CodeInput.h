// TfrmCodeInput: types, loads and saves a point-code list in a grid with the
// columns code, entity and layer. The list edited is a line list owned by
// the caller (the program's point-code list, by default the editor lines of
// the transfer); its lines hold the three fields separated by "¦".
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "platform/TextFile.h"

class QAction;
class QFileDialog;
class QTableWidget;
class QTableWidgetItem;

namespace veltro {

class TfrmCodeInput : public QDialog {
  Q_OBJECT

 public:
  // Edits `list`; nullptr edits the transfer's editor lines.
  explicit TfrmCodeInput(QWidget* parent = nullptr, TextLines* list = nullptr);

  // File choice; true and the chosen path when confirmed. Default: the
  // dialogs LadeCode and SaveCode.
  std::function<bool(std::string& path)> chooseOpenFile;
  std::function<bool(std::string& path)> chooseSaveFile;

  void Translate();
  void NewClick();
  // Fills the grid from the list (clears a list that is no point-code list).
  void ShowList();
  // The grid into the list; false when a row was refused (each is reported).
  bool TakeOver();
  void OpenClick();
  bool SaveClick();
  bool SaveAsClick();
  // End: take over, offer to save changes, close; stays open when the
  // take-over fails.
  void EndClick();
  // Spreads text with tabs and line breaks over the cells from (row, column).
  void PasteText(int row, int column, const QString& text);
  // Enter: the next cell, from the last column to the next row.
  void MoveToNextCell();

  bool Modified() const { return modified_; }
  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& name) { fileName_ = name; }
  TextLines& List() { return *list_; }

  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  bool FinishInput();
  void ShowHeldList();
  void SetRows(int rows);
  void Renumber();
  QString Cell(int row, int column) const;
  void SetCell(int row, int column, const QString& text);

  TextLines* list_;
  QTableWidget* grid_;
  QFileDialog* ladeCode_;
  QFileDialog* saveCode_;
  QAction* actNew_;
  QAction* actOpen_;
  QAction* actSave_;
  QAction* actSaveAs_;
  QAction* actEnd_;
  std::string fileName_;
  bool modified_ = false;
  bool filling_ = false;
};

}  // namespace veltro
