// TfrmCodeInput: types, loads and saves a point-code list in a grid with the
// columns code, entity and layer. The list edited is a line list owned by
// the caller (the program's point-code list, by default the editor lines of
// the transfer); its lines hold the three fields separated by "¦".
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "platform/TextFile.h"


namespace veltro {

class InputGrid;

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
  // Fills the grid from the list's point-code lines.
  void ShowList();
  // A valid grid replaces the list's point-code lines; false (list
  // unchanged) when a row was refused (each is reported).
  bool TakeOver();
  void OpenClick();
  bool SaveClick();
  bool SaveAsClick();
  // Open: a file that is no point-code list is refused (text 590) and the
  // grid keeps its rows.
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
  void FillRows(const TextLines& lines);

  TextLines* list_;
  InputGrid* grid_;
  std::string fileName_;
  bool modified_ = false;
};

}  // namespace veltro
