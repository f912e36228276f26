// TfrmEigenschaften: the port settings of the current instrument (bit rate,
// data bits, stop bits, parity, flow control, line end, read and write
// time-outs) and the device that stands behind its port on this machine,
// with a test that opens that device with the chosen settings.
#pragma once

#include <QDialog>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace veltro {

class TGeraete;

// Time-outs the dialog takes, ms.
inline constexpr int kMinPortTimeMs = 1;
inline constexpr int kMaxPortTimeMs = 65535;

class TfrmEigenschaften : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmEigenschaften(TGeraete& geraete, QWidget* parent = nullptr);

  void FormActivate();
  // Takes the settings over and closes; a refused time keeps the dialog
  // open with the stored value shown again and takes nothing.
  void EndeClick();
  // Opens the device with the chosen settings and tells whether it could.
  void TestClick();

  QComboBox* BaudCombo;
  QComboBox* DataBitsCombo;
  QComboBox* StopBitsCombo;
  QComboBox* ParityCombo;
  QComboBox* FlowCombo;
  QComboBox* EndofLineCombo;
  QLineEdit* EditReadTime;
  QLineEdit* EditWriteTime;
  QComboBox* PortDevice;  // editable: the device of the instrument's port
  QPushButton* PortTest;
  QPushButton* Ende;
  QPushButton* Abbrechen;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // The device the test opens: the field's text, else the automatic one.
  std::string ChosenDevice() const;

  TGeraete& geraete_;
};

}  // namespace veltro
