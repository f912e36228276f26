// dmInit: one TInitDaten per record kind whose handler puts that kind's part
// of the transfer record back to its initial values. The engine runs all of
// them, in creation order, at the start of each transfer phase, and the one of
// a line's kind before the line is read. The four point kinds share the reset
// of the whole Punkt, the two comment kinds that of the whole Kommentar.
// Laengsprofile has no handler; there is no component for tdaNone.
#pragma once

#include "core/Components.h"
#include "core/ReadWriteDaten.h"
#include "core/TransDef.h"

namespace veltro {

class TdmInit : public TDataModule {
 public:
  // Creates the components and registers the module as dmInit (SetDmInit).
  TdmInit();
  ~TdmInit() override;

  TInitDaten* Informationen;
  TInitDaten* Stationen;
  TInitDaten* Anschlusspunkte;
  TInitDaten* Neupunkte;
  TInitDaten* Kommentare;
  TInitDaten* Koordinaten;
  TInitDaten* Querprofile;
  TInitDaten* Punktcodes;
  TInitDaten* StartDaten;
  TInitDaten* Messdaten;
  TInitDaten* Enddaten;
  TInitDaten* NivKoordinaten;
  TInitDaten* NivKommentare;
  TInitDaten* Laengsprofile;
  TInitDaten* Konstanten;

  static void InformationenInit(TDaten& Daten);
  static void StationenInit(TDaten& Daten);
  static void AnschlusspunkteInit(TDaten& Daten);
  static void NeupunkteInit(TDaten& Daten);
  static void KommentareInit(TDaten& Daten);
  static void KoordinatenInit(TDaten& Daten);
  static void QuerprofileInit(TDaten& Daten);
  static void PunktcodesInit(TDaten& Daten);
  static void StartDatenInit(TDaten& Daten);
  static void MessdatenInit(TDaten& Daten);
  static void EnddatenInit(TDaten& Daten);
  static void NivKoordinatenInit(TDaten& Daten);
  static void NivKommentareInit(TDaten& Daten);
  static void KonstantenInit(TDaten& Daten);

 private:
  TInitDaten* Create(const char* name, TTransferDatenart tda, TNotifyInitEvent handler);
};

}  // namespace veltro
