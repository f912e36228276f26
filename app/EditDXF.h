// TfrmEditDXF, "DXF Definitionen": plain text editors for the three files of
// the DXF directory, one page each: DXF.DEF (the entity templates), HEAD.DXF
// and END.DXF (the drawing frame). The files are found whatever the case of
// their names; a file that does not exist yet is created under its upper-case
// name.
#pragma once

#include <QDialog>
#include <string>

class QPlainTextEdit;
class QTabWidget;

namespace veltro {

class TDFD;

class TfrmEditDXF : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmEditDXF(TDFD& dfd, QWidget* parent = nullptr);

  // Reads the three files into the editors (text 51 for a file that exists
  // but cannot be read). Called when the window is shown.
  void LoadFiles();
  // "&Speichern": DXF.DEF is written when its editor is not empty; HEAD.DXF
  // and END.DXF are written when theirs are not empty and deleted when they
  // are. A failure shows text 50 and the editors stay marked as changed.
  bool SaveFiles();
  // "&Beenden": asks text 134 when something was changed and saves on Yes;
  // a failed save keeps the window open. Then the editors are emptied and
  // the window closes.
  void BeendenClick();

  bool Changed() const;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  struct Page {
    const char* file;
    QPlainTextEdit* editor;
  };
  bool Finish();

  TDFD& dfd_;
  QTabWidget* pages_ = nullptr;
  Page files_[3] = {};
};

}  // namespace veltro
