#include "formats/office/Original.h"

#include "instruments/InstrumentenModul.h"

namespace veltro {

TInstrument* SelectedInstrument(TGeraete& geraete) {
  TInstrument* active = nullptr;
  geraete.ForEach<TInstrument>([&](TInstrument& i) {
    if (i.Active) active = &i;
  });
  return active;
}

TdmOriginal::TdmOriginal(TDFD& dfd, TGeraete& geraete)
    : TDataModule("dmOriginal"), dfd_(dfd), geraete_(geraete), def_(*dfd.Original) {
  auto add = [this](const char* name, TTransferDatenart kind) {
    TReadWriteDaten* rw = AddReadWriteDaten(*this, name, kind);
    rw->OnRead = [this](const std::string& S, TDaten& D) { OriginalRead(S, D); };
    rw->OnWrite = [this](TDaten& D) { return OriginalWrite(D); };
    return rw;
  };
  auto instrumentStatistik = [this](const std::string& S, TTransferStatistik& St) { InstrumentStatistik(S, St); };
  Informationen = add("Informationen", tdaInformation);
  Stationen = add("Stationen", tdaStation);
  Stationen->OnStatistik = [this](const std::string& S, TTransferStatistik& St) { StationenStatistik(S, St); };
  Anschlusspunkte = add("Anschlusspunkte", tdaAnschlusspunkt);
  Neupunkte = add("Neupunkte", tdaNeupunkt);
  Neupunkte->OnStatistik = [this](const std::string& S, TTransferStatistik& St) { NeupunkteStatistik(S, St); };
  Koordinaten = add("Koordinaten", tdaKoordinate);
  Koordinaten->OnStatistik = instrumentStatistik;
  Punktcodes = add("Punktcodes", tdaPunktcode);
  Punktcodes->OnStatistik = instrumentStatistik;
  Querprofile = add("Querprofile", tdaQuerprofil);
  Querprofile->OnStatistik = instrumentStatistik;
  Laengsprofile = add("Laengsprofile", tdaLaengsprofil);
  Laengsprofile->OnStatistik = instrumentStatistik;
  Kommentare = add("Kommentare", tdaKommentar);
  None = add("None", tdaNone);
  None->OnWrite = nullptr;
  NivKoordinaten = add("NivKoordinaten", tdaNivKoordinate);
  Startdaten = add("Startdaten", tdaStartdaten);
  Messdaten = add("Messdaten", tdaMessdaten);
  Enddaten = add("Enddaten", tdaEnddaten);
  NivKommentare = add("NivKommentare", tdaNivKommentar);

  OfficeModuleHooks hooks;
  hooks.format = [this](const std::string& S, const std::string& Buf) { return Format(S, Buf); };
  dfd.AttachModule(def_, *this, std::move(hooks));
}

TdmOriginal::~TdmOriginal() { dfd_.DetachModule(def_); }

TGeraeteFormat* TdmOriginal::InstrumentFormat() {
  return SelectedInstrument(geraete_) ? &geraete_.CurrentGeraeteFormat() : nullptr;
}

void TdmOriginal::OriginalRead(const std::string& S, TDaten& Daten) { Daten.Konstanten.Originalzeilen = S; }

std::string TdmOriginal::OriginalWrite(TDaten& Daten) { return Daten.Konstanten.Originalzeilen; }

void TdmOriginal::InstrumentStatistik(const std::string& S, TTransferStatistik& State) {
  TGeraeteFormat* format = InstrumentFormat();
  if (format && format->ReadWrite && format->ReadWrite->OnStatistik) format->ReadWrite->OnStatistik(S, State);
}

void TdmOriginal::NeupunkteStatistik(const std::string&, TTransferStatistik& State) { CountPoint(State); }

void TdmOriginal::StationenStatistik(const std::string&, TTransferStatistik& State) { ++State.Stationen; }

std::string TdmOriginal::Format(const std::string& S, const std::string& Buf) {
  TGeraeteFormat* format = InstrumentFormat();
  return format && format->OnFormat ? format->OnFormat(S, Buf) : std::string();
}

}  // namespace veltro
