// TdmEditDaten: one TEditor per record kind. A TEditor binds its kind to the
// record editor's panel for it and to the copy between the panel's fields
// and the working record; an instrument format's OnSetTDA points the
// format's Edit property at the editor of the kind it selects (SelectKind).
//
// The data module itself has no window: the record editor (TfrmEditDaten)
// attaches itself as the EditorFieldCopy that the editors' OnLoad and
// OnSave copy with.
#pragma once

#include <functional>
#include <string>

#include "core/Components.h"
#include "core/EditorPanels.h"
#include "core/TransDef.h"

namespace veltro {

class TEditor;
using TNotifyShowEditEvent = std::function<void(TEditor& Sender, std::string& Panel, std::string& Caption)>;
using TNotifySaveEvent = std::function<void(TEditor& Sender)>;
using TNotifyLoadEvent = std::function<void(TEditor& Sender)>;

class TEditor : public TComponent {
 public:
  TTransferDatenart TransferDatenart = tdaNone;
  // Names the panel to show ("" for none) and sets the window caption
  // (left as it is when the kind keeps it).
  TNotifyShowEditEvent OnShowEdit;
  // Copies the panel's fields into the working record.
  TNotifySaveEvent OnSave;
  // Copies the working record into the panel's fields.
  TNotifyLoadEvent OnLoad;
};

// The copy between a panel's fields and the working record.
class EditorFieldCopy {
 public:
  virtual ~EditorFieldCopy() = default;
  virtual void LoadPanel(const std::string& panel) = 0;
  virtual void SavePanel(const std::string& panel) = 0;
};

class TdmEditDaten : public TDataModule {
 public:
  // Creates the editors and becomes the module instrument formats bind
  // their Edit property from; the destructor undoes that.
  TdmEditDaten();
  ~TdmEditDaten() override;

  void SetFields(EditorFieldCopy* fields) { fields_ = fields; }

  TEditor* Informationen;
  TEditor* Station;
  TEditor* Anschlusspunkte;
  TEditor* Neupunkte;
  TEditor* Querprofile;
  TEditor* Punktcodes;
  TEditor* Koordinaten;
  TEditor* NivKoordinaten;
  TEditor* Startdaten;
  TEditor* Enddaten;
  TEditor* Messdaten;
  TEditor* Kommentar;
  TEditor* NivKommentar;
  TEditor* None;

 private:
  // An editor of kind on panel; caption 0 keeps the window's caption.
  TEditor* AddEditor(const char* name, TTransferDatenart kind, const char* panel, int caption);

  EditorFieldCopy* fields_ = nullptr;
};

}  // namespace veltro
