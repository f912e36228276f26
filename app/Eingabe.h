// TfrmEingabe: asks the parameter of a code target. Three modes: a date
// pattern (keys D, M, Y), a time pattern (keys H, M, S), or a choice from a
// list whose answer is the chosen index. A pattern that cannot represent the
// current date (time) cannot be confirmed.
#pragma once

#include <QDialog>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace veltro {

class TfrmEingabe : public QDialog {
  Q_OBJECT

 public:
  enum class Mode { DatePattern, TimePattern, Choice };

  explicit TfrmEingabe(QWidget* parent = nullptr);

  void SetupPattern(Mode mode, const QString& label, const QString& hint, const std::string& pattern);
  void SetupChoice(const QString& label, const QStringList& items, int index);

  Mode CurrentMode() const { return mode_; }
  // The edit's text (pattern modes) or the chosen index in decimal.
  std::string Value() const;
  // Tests the edit's pattern once per text; false marks the entry invalid.
  bool CheckPattern();

  void accept() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Mode mode_ = Mode::Choice;
  QLabel* label_;
  QLineEdit* edit_;
  QComboBox* choice_;
  QPushButton* ok_;
  QPushButton* cancel_;
  QString checkedText_;
  bool checked_ = false;
  bool valid_ = false;
};

// The parameter dialog for a target (3, 4, 5, 8, 11, 14..17), preset with
// parameter; true and the new parameter on OK. Other targets answer false.
bool AskTargetParameter(QWidget* parent, int target, std::string& parameter);

}  // namespace veltro
