// TfrmViewer ("Dateiviewer"): shows an instrument file or the received lines
// of a transfer as plain text, read-only and unwrapped, recognises their
// instrument format, steps through them by line, record and station, saves
// them, and opens the record editor on the selected line. The text and its
// rules are the ViewerModel; this window shows it and turns clicks and keys
// into its operations.
//
// One viewer exists for the program's lifetime, and with it its record
// editor (TfrmEditDaten), created once and shown modally on the selected
// line. While the viewer is visible the
// catalogue reports the viewer's format as the format in force, the
// viewer's lines are the list readers read ahead in, and the office format
// in force when it was shown is restored when it hides.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "platform/TextFile.h"
#include "viewer/ViewerModel.h"

class QAction;
class QLabel;
class QPlainTextEdit;

namespace veltro {

class TDatenformatDefinitionen;
class TGeraete;
class TdmEditDaten;
class TfrmEditDaten;

class TfrmViewer : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmViewer(TGeraete& geraete, QWidget* parent = nullptr);
  ~TfrmViewer() override;

  ViewerModel& Model() { return model_; }

  // The file questions; true and the chosen path when confirmed. Default:
  // the dialogs OpenDialog and SaveDialog with the model's filter, starting
  // in "DataPath".
  std::function<bool(std::string& path)> chooseOpenFile;
  std::function<bool(std::string& path)> chooseSaveFile;

  // The engine's viewer hook and the main window's Editor action: shows
  // lines modally (recognised, OnInitEditor called) and, when the text was
  // changed while shown, replaces them by the viewer's text (answer true).
  bool ShowReceivedLines(LineList& lines);
  // The main window's Editor action: the last transfer's received lines
  // when there are any, else the viewer with its file (empty without one).
  void ShowEditor();

  // The record editor's entry points: each moves the caret (true when it
  // moved) and selects the new line.
  bool NextRecord();
  bool PreviousRecord();
  bool FirstRecord();
  bool LastRecord();
  bool NextStation();
  bool PreviousStation();
  bool PrepareEdit();
  bool WriteBack();

 public slots:
  // "Öffnen": asks before dropping unsaved changes, then opens the chosen file.
  void OpenClick();
  // "Speichern" and "Speichern unter ...".
  bool SaveClick();
  bool SaveAsClick();
  // "Selektierte Zeile editieren".
  void EditClick();
  // "Viewer schliessen" (asks before dropping unsaved changes).
  void CloseClick();

 public:
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void ShowAllLines();
  void ReplaceShownLines(int first, int removed, int added);
  // Selects the model's current line in the text box and shows it.
  void SelectCurrentLine();
  // Shows the current line selected and answers result.
  bool ShowCaret(bool result);
  // The caret was put somewhere by a click or a key: its line is selected.
  void TakeCaretLine();
  void UpdateState();
  bool ChooseFile(bool save, std::string& path);

  TGeraete& geraete_;
  ViewerModel model_;
  QPlainTextEdit* text_;
  QLabel* status_;
  QAction* actOpen_;
  QAction* actSave_;
  QAction* actSaveAs_;
  QAction* actEdit_;
  QAction* actClose_;
  TDatenformatDefinitionen* officeFormat_ = nullptr;
  const LineList* previousActiveLines_ = nullptr;
  bool selecting_ = false;
  // The record editor's kinds (when no other TdmEditDaten is installed)
  // and its window; declared after the model, they go before it.
  std::unique_ptr<TdmEditDaten> ownEditors_;
  std::unique_ptr<TfrmEditDaten> recordEditor_;
};

}  // namespace veltro
