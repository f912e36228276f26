// The transfer-options dialog "Transferoptionen" of the TC600/TC800, TPS700
// and TPS100 set-up: what to receive or send, and which instrument projects
// and code lists to overwrite. The rules live in core/TransferOptionsCode.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "core/TransferOptionsCode.h"

class QButtonGroup;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace veltro {

class TfrmTransferOptions : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmTransferOptions(QWidget* parent = nullptr);

  // Inputs, set before the dialog is shown.
  // A value that cannot be decoded is refused: false, and the dialog opens
  // with the first item and the first rows.
  bool SetSelection(int value);
  void SetProjects(const std::vector<std::string>& lines) { projects_ = lines; }    // "name,number"
  void SetCodeLists(const std::vector<std::string>& lines) { codeLists_ = lines; }  // "name,number"
  void SetPcToInstrument(bool pcToInstrument) { pcToInstrument_ = pcToInstrument; }
  void SetProjectsSupported(bool supported) { projectsSupported_ = supported; }
  void SetTitle(const std::string& title) { title_ = title; }

  // Outputs, valid after the dialog closed.
  int Selection() const { return selection_; }
  const std::string& TargetName() const { return targetName_; }
  const std::vector<std::string>& SelectedLines() const { return selectedLines_; }
  // List rows whose first cell is not blank.
  int ProjectCount() const { return projectCount_; }
  int CodeListCount() const { return codeListCount_; }

  void FormActivate();
  void FormClose();

 public slots:
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FillGrid(QTableWidget* grid, int headerText, const std::vector<int>& widths,
                const std::vector<std::string>& lines, int encodedRow);
  void OptionsClick(int item);
  int CheckedItem() const;

  QGroupBox* OptionsTCx;
  QButtonGroup* optionGroup_;
  QRadioButton* options_[kOptionItemCount];
  QTableWidget* sgProjects;
  QTableWidget* sgCodeLists;
  QPushButton* Ok;
  QPushButton* Abbrechen;

  TransferOptionsSelection input_;
  std::vector<std::string> projects_;
  std::vector<std::string> codeLists_;
  bool pcToInstrument_ = false;
  bool projectsSupported_ = true;
  std::string title_;
  int itemCount_ = kOptionItemCount;

  int selection_ = 0;
  std::string targetName_;
  std::vector<std::string> selectedLines_;
  int projectCount_ = 0;
  int codeListCount_ = 0;
};

}  // namespace veltro
