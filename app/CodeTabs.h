// TfrmCodeTabellen: edits the four GSI code tables (projects, observers,
// instruments, point codes), one memo each; line n is the text of code n.
// A label beside each memo shows the code number of the caret's line.
#pragma once

#include <QDialog>
#include <array>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace veltro {

class TfrmCodeTabellen : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmCodeTabellen(QWidget* parent = nullptr);

  void Translate();
  // Reads the stored tables and shows them.
  void ShowTables();
  // Stores the four memos as the tables and closes.
  void OkClick();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void UpdateIndicator(int table);

  std::array<QPlainTextEdit*, 4> memos_;
  std::array<QLabel*, 4> labels_;
  std::array<QLabel*, 4> indicators_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

}  // namespace veltro
