#include "core/dmInitDaten.h"

#include "core/DatenformatDefinitionen.h"

namespace veltro {

TdmInit::TdmInit() : TDataModule("dmInit") {
  Informationen = Create("Informationen", tdaInformation, InformationenInit);
  Stationen = Create("Stationen", tdaStation, StationenInit);
  Anschlusspunkte = Create("Anschlusspunkte", tdaAnschlusspunkt, AnschlusspunkteInit);
  Neupunkte = Create("Neupunkte", tdaNeupunkt, NeupunkteInit);
  Kommentare = Create("Kommentare", tdaKommentar, KommentareInit);
  Koordinaten = Create("Koordinaten", tdaKoordinate, KoordinatenInit);
  Querprofile = Create("Querprofile", tdaQuerprofil, QuerprofileInit);
  Punktcodes = Create("Punktcodes", tdaPunktcode, PunktcodesInit);
  StartDaten = Create("StartDaten", tdaStartdaten, StartDatenInit);
  Messdaten = Create("Messdaten", tdaMessdaten, MessdatenInit);
  Enddaten = Create("Enddaten", tdaEnddaten, EnddatenInit);
  NivKoordinaten = Create("NivKoordinaten", tdaNivKoordinate, NivKoordinatenInit);
  NivKommentare = Create("NivKommentare", tdaNivKommentar, NivKommentareInit);
  Laengsprofile = Create("Laengsprofile", tdaLaengsprofil, nullptr);
  Konstanten = Create("Konstanten", tdaKonstanten, KonstantenInit);
  SetDmInit(this);
}

TdmInit::~TdmInit() {
  if (DmInit() == this) SetDmInit(nullptr);
}

TInitDaten* TdmInit::Create(const char* name, TTransferDatenart tda, TNotifyInitEvent handler) {
  TInitDaten& init = Add<TInitDaten>(name);
  init.TransferDatenart = tda;
  init.OnInit = std::move(handler);
  return &init;
}

// Each reset assigns a fresh part: its defaults are the initial values
// ("0" for the levelling values, 0 for date-times, empty texts, no flags).

void TdmInit::InformationenInit(TDaten& Daten) { Daten.Info = TInfo{}; }

void TdmInit::StationenInit(TDaten& Daten) { Daten.Station = TStation{}; }

void TdmInit::AnschlusspunkteInit(TDaten& Daten) { NeupunkteInit(Daten); }

void TdmInit::NeupunkteInit(TDaten& Daten) { Daten.Punkt = TPunkt{}; }

void TdmInit::KommentareInit(TDaten& Daten) { Daten.Kommentar = TKommentar{}; }

void TdmInit::KoordinatenInit(TDaten& Daten) { NeupunkteInit(Daten); }

void TdmInit::QuerprofileInit(TDaten& Daten) { Daten.Querprofil = TQuerprofil{}; }

void TdmInit::PunktcodesInit(TDaten& Daten) { Daten.Punktcode = TPunktcode{}; }

void TdmInit::StartDatenInit(TDaten& Daten) { Daten.Start = TStart{}; }

void TdmInit::MessdatenInit(TDaten& Daten) { Daten.Messung = TMessung{}; }

void TdmInit::EnddatenInit(TDaten& Daten) { Daten.Ende = TEnde{}; }

void TdmInit::NivKoordinatenInit(TDaten& Daten) { NeupunkteInit(Daten); }

void TdmInit::NivKommentareInit(TDaten& Daten) { KommentareInit(Daten); }

void TdmInit::KonstantenInit(TDaten& Daten) { Daten.Konstanten = TKonstanten{}; }

}  // namespace veltro
