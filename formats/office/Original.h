// TdmOriginal: the pass-through format "Original". Each read handler keeps
// the source line in Konstanten.Originalzeilen and each write handler answers
// exactly that text, so an instrument's lines reach the file byte for byte
// (the instrument formats' writers pass them through the same way when
// Original is the office format). Classification is the current instrument
// format's own.
#pragma once

#include <string>

#include "core/ReadWriteDaten.h"
#include "formats/office/DFDefs.h"

namespace veltro {

class TGeraete;
class TInstrument;

// The active instrument of the catalogue, or nullptr when none is active
// (never the fallback that ends the program).
TInstrument* SelectedInstrument(TGeraete& geraete);

class TdmOriginal : public TDataModule {
 public:
  TdmOriginal(TDFD& dfd, TGeraete& geraete);
  ~TdmOriginal() override;

  TReadWriteDaten* Informationen;
  TReadWriteDaten* Stationen;
  TReadWriteDaten* Anschlusspunkte;
  TReadWriteDaten* Neupunkte;
  TReadWriteDaten* Koordinaten;
  TReadWriteDaten* Punktcodes;
  TReadWriteDaten* Querprofile;
  TReadWriteDaten* Laengsprofile;
  TReadWriteDaten* Kommentare;
  TReadWriteDaten* None;
  // Levelling kinds pass through as well, so that a levelling file is copied
  // whole instead of stopping at its first line.
  TReadWriteDaten* NivKoordinaten;
  TReadWriteDaten* Startdaten;
  TReadWriteDaten* Messdaten;
  TReadWriteDaten* Enddaten;
  TReadWriteDaten* NivKommentare;

  // Every reader: the line as it is; every writer: that text.
  void OriginalRead(const std::string& S, TDaten& Daten);
  std::string OriginalWrite(TDaten& Daten);
  // Koordinaten, Punktcodes, Querprofile, Laengsprofile: the current
  // instrument format's statistics handler, when it has one.
  void InstrumentStatistik(const std::string& S, TTransferStatistik& State);
  void NeupunkteStatistik(const std::string& S, TTransferStatistik& State);
  void StationenStatistik(const std::string& S, TTransferStatistik& State);
  // OriginalFormat: the current instrument format's recognition, unchanged.
  std::string Format(const std::string& S, const std::string& Buf);

 private:
  TGeraeteFormat* InstrumentFormat();

  TDFD& dfd_;
  TGeraete& geraete_;
  TDatenformatDefinitionen& def_;
};

}  // namespace veltro
