// TfrmTachyKommandos: the key sequence to press on the current instrument
// for a transfer. The memo shows the language text named by the
// instrument's CmdStrTag; for the GTS-210 the sequences of the old and the
// new firmware stand side by side.
#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace veltro {

class TGeraete;

class TfrmTachyKommandos : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmTachyKommandos(TGeraete& geraete, QWidget* parent = nullptr);

  void FormActivate();

  QLabel* Kommandos;
  QPlainTextEdit* Kommandoliste;
  QPlainTextEdit* KommandolisteNeu;
  QLabel* OldVersion;
  QLabel* NewVersion;
  QPushButton* OKButton;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  TGeraete& geraete_;
  QString shippedOld_;
  QString shippedNew_;
};

}  // namespace veltro
