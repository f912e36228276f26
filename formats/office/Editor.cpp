#include "formats/office/Editor.h"

#include "core/Transfer.h"

namespace veltro {

TdmEditor::TdmEditor(TDFD& dfd)
    : TdmOfficeFormat("dmEditor", dfd, *dfd.Editor, Parts::CoordinatesOnly,
                      {.Punktnummer = 0, .Code1 = 4, .Y = 1, .X = 2, .Hoehe = 3, .Kommentar = 5}) {
  Punktcodes = AddReadWriteDaten(*this, "Punktcodes", tdaPunktcode);
  Punktcodes->OnRead = [this](const std::string& S, TDaten& D) { PunktcodesRead(S, D); };
  Punktcodes->OnStatistik = [this](const std::string& S, TTransferStatistik& St) { PunktcodesStatistik(S, St); };
  OfficeModuleHooks hooks;
  hooks.isPunktcode = [this](const std::string& line) { return IsPunktcodeLine(line); };
  Attach(std::move(hooks));
}

TextLines& TdmEditor::Punktliste() { return CurrentTransfer().EditorLines; }

bool TdmEditor::IsPunktcodeLine(const std::string& line) const { return FitsLayout(def_.Punktcodes, line); }

void TdmEditor::PunktcodesRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  const std::vector<std::string> f = CutFields(def_.Punktcodes, S);
  Daten.Punktcode.Code = FieldOf(f, 0);
  Daten.Punktcode.Entity = FieldOf(f, 1);
  Daten.Punktcode.Layer = FieldOf(f, 2);
}

void TdmEditor::PunktcodesStatistik(const std::string&, TTransferStatistik& State) {
  ++State.Codes;
  ++State.Fortschritt;
}

}  // namespace veltro
