#include "viewer/dmEditDaten.h"

#include "core/DatenformatDefinitionen.h"
#include "core/Messages.h"

namespace veltro {
namespace {

constexpr int kTextInformationen = 94;
constexpr int kTextStation = 95;
constexpr int kTextAnschlusspunkt = 76;
constexpr int kTextNeupunkt = 77;
constexpr int kTextQuerprofil = 74;
constexpr int kTextPunktcode = 75;
constexpr int kTextKoordinaten = 73;
constexpr int kTextStartdaten = 445;
constexpr int kTextEnddaten = 446;
constexpr int kTextKommentar = 448;
constexpr int kTextNone = 302;

bool IsEditorOfKind(const TComponent& component, TTransferDatenart tda) {
  const auto* editor = dynamic_cast<const TEditor*>(&component);
  return editor && editor->TransferDatenart == tda;
}

}  // namespace

TdmEditDaten::TdmEditDaten() : TDataModule("dmEditDaten") {
  Informationen = AddEditor("Informationen", tdaInformation, kPanelInfos, kTextInformationen);
  Station = AddEditor("Station", tdaStation, kPanelStationen, kTextStation);
  Anschlusspunkte = AddEditor("Anschlusspunkte", tdaAnschlusspunkt, kPanelPunkte, kTextAnschlusspunkt);
  Neupunkte = AddEditor("Neupunkte", tdaNeupunkt, kPanelPunkte, kTextNeupunkt);
  Querprofile = AddEditor("Querprofile", tdaQuerprofil, kPanelQuerprofile, kTextQuerprofil);
  Punktcodes = AddEditor("Punktcodes", tdaPunktcode, kPanelPunktcodes, kTextPunktcode);
  Koordinaten = AddEditor("Koordinaten", tdaKoordinate, kPanelKoordinaten, kTextKoordinaten);
  NivKoordinaten = AddEditor("NivKoordinaten", tdaNivKoordinate, kPanelKoordinaten, kTextKoordinaten);
  Startdaten = AddEditor("Startdaten", tdaStartdaten, kPanelStartdaten, kTextStartdaten);
  Enddaten = AddEditor("Enddaten", tdaEnddaten, kPanelEnddaten, kTextEnddaten);
  Messdaten = AddEditor("Messdaten", tdaMessdaten, kPanelMessdaten, 0);
  Kommentar = AddEditor("Kommentar", tdaKommentar, kPanelBeschreibung, kTextKommentar);
  NivKommentar = AddEditor("NivKommentar", tdaNivKommentar, kPanelBeschreibung, kTextKommentar);
  None = AddEditor("None", tdaNone, "", kTextNone);
  SetDmEditDaten(this);
  SetEditorKindTest(&IsEditorOfKind);
}

TdmEditDaten::~TdmEditDaten() {
  if (DmEditDaten() == this) {
    SetDmEditDaten(nullptr);
    SetEditorKindTest(nullptr);
  }
}

TEditor* TdmEditDaten::AddEditor(const char* name, TTransferDatenart kind, const char* panel, int caption) {
  TEditor& editor = Add<TEditor>(name);
  editor.TransferDatenart = kind;
  const std::string panelName = panel;
  editor.OnShowEdit = [panelName, caption](TEditor&, std::string& Panel, std::string& Caption) {
    Panel = panelName;
    if (caption != 0) Caption = GetText(caption);
  };
  // Editors of one panel share its copy (Anschlusspunkte that of Neupunkte,
  // NivKoordinaten that of Koordinaten, NivKommentar that of Kommentar).
  if (!panelName.empty()) {
    editor.OnLoad = [this, panelName](TEditor&) {
      if (fields_) fields_->LoadPanel(panelName);
    };
    editor.OnSave = [this, panelName](TEditor&) {
      if (fields_) fields_->SavePanel(panelName);
    };
  }
  return &editor;
}

}  // namespace veltro
