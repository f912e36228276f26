// TfrmGSICodeTabelle: edits the GSI code definitions of the named code lists.
// A list box of codes, eight target choices for the selected code, the list
// name with its stored lists, and add/change/delete of codes and lists. It
// works on the process-wide code-list state and the settings store.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace veltro {

class TfrmGSICodeTabelle : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmGSICodeTabelle(QWidget* parent = nullptr);

  // Asks the parameter of the target chosen in a combo box (preset with the
  // kept parameter); false keeps it. Defaults to the TfrmEingabe dialog.
  std::function<bool(int target, std::string& parameter)> askParameter;

  void Translate();
  // Loads and shows the current list, the first code selected.
  void ShowCodeList();
  void ShowDefinition(int index);

  void AddCodeClick();
  void EditCodeClick();
  // Leaving the code field: adds or renames the code typed there.
  void FinishCodeEdit();
  void DeleteCodeClick();
  // Rebuilds the selected definition after combo box `info` (1..8) changed.
  void InfoChanged(int info);
  // Another stored list chosen from the name box.
  void CodeListChosen(const QString& name);
  // Leaving the name box; false when the typed name was refused.
  bool LeaveCodeListName();
  void DeleteCodeListClick();
  void OkClick();

  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class CodeEditMode { None, Add, Change };

  void ReloadListNames();
  void ClearInfos();
  void HideCodeEdit();

  QListWidget* codeListe_;
  std::array<QComboBox*, 8> editInfo_;
  std::array<QLabel*, 8> infoLabel_;
  QComboBox* editCodelist_;
  QLabel* codelistLabel_;
  QLineEdit* codeEdit_;
  QLabel* newCode_;
  QLabel* changeCode_;
  QPushButton* addCode_;
  QPushButton* editCode_;
  QPushButton* deleteCode_;
  QPushButton* deleteCodeList_;
  QPushButton* ende_;
  QPushButton* abbrechen_;
  std::string rememberedName_;
  CodeEditMode mode_ = CodeEditMode::None;
  bool finishing_ = false;
};

}  // namespace veltro
