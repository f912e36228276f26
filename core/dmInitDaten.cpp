#include "core/dmInitDaten.h"

#include <string>

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

namespace {
// Each reset copies a fresh part: its defaults are the initial values ("0"
// for the levelling values, 0 for date-times, empty texts, no flags).
// Copying, not moving, keeps the texts' buffers, so a reset per record
// allocates nothing.
template <typename Part>
void Reset(Part& part) {
  static const Part kInitial{};
  part = kInitial;
}

// A point is reset once per record of most transfers: its texts, all empty
// at first, are cleared in place rather than assigned one by one.
void Reset(TPunkt& p) {
  static_assert(sizeof(TPunkt) == alignof(std::string) + 26 * sizeof(std::string), "a member of TPunkt is not reset here");
  p.Messflags = 0;
  for (std::string* text : {&p.Satzkennung, &p.Punktnummer, &p.Code1, &p.Code2, &p.Punktart, &p.Reflektorhoehe,
                            &p.Zusatzwert1, &p.Zusatzwert2, &p.Kommentar, &p.Querverschiebung, &p.Laengsverschiebung,
                            &p.Vertikalverschiebung, &p.Kontrollkodierung, &p.Anmerkung1, &p.Anmerkung2,
                            &p.Schraegdistanz, &p.Horizontaldistanz, &p.Vertikaldistanz, &p.Atmosphaerenkorrektur,
                            &p.Prismenkonstante, &p.Vertikalwinkel, &p.Horizontalwinkel, &p.Azimut, &p.Y, &p.X,
                            &p.Hoehe})
    text->clear();
}
}  // namespace

void TdmInit::InformationenInit(TDaten& Daten) { Reset(Daten.Info); }

void TdmInit::StationenInit(TDaten& Daten) { Reset(Daten.Station); }

void TdmInit::AnschlusspunkteInit(TDaten& Daten) { NeupunkteInit(Daten); }

void TdmInit::NeupunkteInit(TDaten& Daten) { Reset(Daten.Punkt); }

void TdmInit::KommentareInit(TDaten& Daten) { Reset(Daten.Kommentar); }

void TdmInit::KoordinatenInit(TDaten& Daten) { NeupunkteInit(Daten); }

void TdmInit::QuerprofileInit(TDaten& Daten) { Reset(Daten.Querprofil); }

void TdmInit::PunktcodesInit(TDaten& Daten) { Reset(Daten.Punktcode); }

void TdmInit::StartDatenInit(TDaten& Daten) { Reset(Daten.Start); }

void TdmInit::MessdatenInit(TDaten& Daten) { Reset(Daten.Messung); }

void TdmInit::EnddatenInit(TDaten& Daten) { Reset(Daten.Ende); }

void TdmInit::NivKoordinatenInit(TDaten& Daten) { NeupunkteInit(Daten); }

void TdmInit::NivKommentareInit(TDaten& Daten) { KommentareInit(Daten); }

void TdmInit::KonstantenInit(TDaten& Daten) { Reset(Daten.Konstanten); }

}  // namespace veltro
