// TfrmEditDaten ("Koordinaten Editieren"): the record editor. The viewer
// prepares the selected line (its format reads it into the working record
// and binds the kind's TEditor); the editor shows the panel of that kind
// with the record's values, steps through the file with the viewer, and on
// saving copies the fields into the record and has the viewer write it back
// in the file's own format.
//
// Ten panels ("Infos" ... "Beschreibung") hold one TFormatEdit per record
// field, each beside its label (the label's buddy), in the label order that
// the panel set-up of the formats walks (core/EditorPanels.h).
//
// Copy rules beyond the plain texts: coordinates are shown without the
// instrument offsets, which saving adds again; a date and a time field
// share one date-time in the format's Datumsformat and Uhrzeitformat; a
// field's value goes into the record only when the user changed its text,
// so an unchanged record is written back unchanged.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "core/EditorPanels.h"
#include "core/TransDef.h"
#include "viewer/FormatEdit.h"
#include "viewer/ViewerModel.h"
#include "viewer/dmEditDaten.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace veltro {

class TGeraete;
class TGeraeteFormat;
class TfrmViewer;
struct EditFieldDef;

class TfrmEditDaten : public QDialog, public ViewerEditor, public EditorPanelSetup, public EditorFieldCopy {
  Q_OBJECT

 public:
  // Becomes the viewer's record editor and the editors' field copy.
  TfrmEditDaten(TfrmViewer& viewer, TdmEditDaten& editors, TGeraete& geraete, QWidget* parent = nullptr);
  ~TfrmEditDaten() override;

  // ---- The viewer's side ------------------------------------------------------------
  void ClearRemark() override;
  // The prepared line is no record: no panel, caption 302, nothing to save.
  void ShowNoData() override;
  // Shows the prepared record and runs the window modally.
  void EditRecord() override;
  EditorPanelSetup* Panels() override { return this; }

  // ---- Panel set-up (core/EditorPanels.h) ---------------------------------------------
  void ConfigurePanel(const std::string& panel, const std::string& enabled, const std::string& pictures,
                      const std::string& required) override;
  void EnablePanel(const std::string& panel, const std::string& flags) override;
  void SetDecimals(const std::string& panel, const std::string& digits) override;
  void SetCaption(const std::string& caption) override;
  void SetRemark(const std::string& remark) override;

  // ---- The editors' copy ----------------------------------------------------------------
  void LoadPanel(const std::string& panel) override;
  void SavePanel(const std::string& panel) override;

  // A field of the shown record differs from what was loaded into it.
  bool Modified() const;
  // The panel shown, nullptr when none.
  QWidget* ShownPanel() const;

 public slots:
  // "&Speichern": checks every enabled field, copies the panel into the
  // record and has the viewer write it back. True when written.
  bool SaveClick();
  // "&Beenden" (also Escape and the title bar): asks to save a changed
  // record first.
  void CloseClick();
  void PreviousClick();
  void NextClick();
  void StartFileClick();
  void EndFileClick();
  void PreviousStationClick();
  void NextStationClick();

 public:
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Field {
    const EditFieldDef* def = nullptr;
    QLabel* label = nullptr;
    TFormatEdit* edit = nullptr;
    std::string loaded;  // the text the record put into the field
  };
  struct Panel {
    std::string name;
    QWidget* widget = nullptr;
    std::vector<Field*> fields;  // in label order
  };
  enum class Leave { Stay, Saved, Discarded, Unchanged };

  void BuildPanels();
  Panel* FindPanel(const std::string& name);
  const Panel* FindPanel(const std::string& name) const;
  TGeraeteFormat* Format() const;
  // Loads and shows the prepared record.
  void ShowRecord();
  void ShowPanel(const Panel* panel, const std::string& caption);
  void LoadField(Field& field, const std::string& value);
  bool FieldChanged(const Field& field) const;
  // Question 32 for a changed record; Yes saves.
  Leave LeaveRecord();
  void Navigate(bool (TfrmViewer::*move)());
  // The enabled fields of the shown panel pass their checks; else the
  // focus is in the first failing one.
  bool CheckFields();
  void ShowFieldError(TFormatEdit& field, TErrorMsg msg);
  bool DateTimeReads(const Field& field);

  TfrmViewer& viewer_;
  TdmEditDaten& editors_;
  TGeraete& geraete_;
  std::vector<Field> fields_;
  std::vector<Panel> panels_;
  const Panel* shown_ = nullptr;
  bool writable_ = false;
  std::string remark_;
  QPlainTextEdit* remarkMemo_ = nullptr;
  QLabel* note_ = nullptr;
  QPushButton* save_ = nullptr;
  std::vector<QPushButton*> buttons_;
};

}  // namespace veltro
