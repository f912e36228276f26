// TdmAP700: the raw files of Nikon total stations and the AP 700 data
// collector. A record is a line of comma-separated fields after a
// two-letter record code:
//
//   CO,Nikon RAW data format V2.00                 header notes, one block
//   CO,Coord Order: NEZ                            order of coordinate fields 3 and 4
//   CO,Temp:18C Press:760mmHg Prism:-30mm 09-Dec-2026 08:15:02
//   ST,S1,MARK,S2,,1.5500,0.0000,0.0000            station
//   CP,S2,1.6000,25.4310,0.0000,89.5430,08:17:11,  backsight
//   SS,1001,1.6000,25.4320,45.3020,89.5540,08:20:45,BAUM   side shot
//   UP,1001,,2600123.4560,1200456.7890,456.1230,BAUM       coordinate
//
// Face-one observations (F1) and other records are not read; a file may
// end with a line of 0x1A.
#pragma once

#include <string>

#include "core/Components.h"
#include "core/ReadWriteDaten.h"
#include "core/TransDef.h"

namespace veltro {

class TGeraete;
class TGeraeteFormat;

// Kind of a line by its whole record code.
TTransferDatenart Ap700LineKind(const std::string& line);
// The number at the start of a field ("-30mm 09-Dec-2026" gives "-30");
// "" when it begins with none.
std::string LeadingNumber(const std::string& field);

class TdmAP700 : public TDataModule {
 public:
  explicit TdmAP700(TGeraete& geraete);
  ~TdmAP700() override;

  TReadWriteDaten* Koordinaten;
  TReadWriteDaten* Informationen;
  TReadWriteDaten* Stationen;
  TReadWriteDaten* Anschlusspunkte;
  TReadWriteDaten* Neupunkte;

  void KoordinatenRead(const std::string& S, TDaten& Daten);
  std::string KoordinatenWrite(TDaten& Daten);
  // Reads the whole block of "CO" lines from S on.
  void InformationenRead(const std::string& S, TDaten& Daten);
  void StationenRead(const std::string& S, TDaten& Daten);
  void AnschlusspunkteRead(const std::string& S, TDaten& Daten);
  void NeupunkteRead(const std::string& S, TDaten& Daten);
  void PunktStatistik(const std::string& S, TTransferStatistik& State);
  void StationenStatistik(const std::string& S, TTransferStatistik& State);

  // Runs the AP 700 recogniser only.
  std::string AP700Format(const std::string& S, const std::string& Buf);
  TTransferDatenart AP700GetDatenart(std::string& S);
  std::string AP700SetTDA(TTransferDatenart kind);

 private:
  void ReadNote(const std::string& line, TDaten& Daten);
  void ReadObservation(const std::string& S, TDaten& Daten);

  TGeraete& geraete_;
  TGeraeteFormat* format_;
  bool northFirst_ = false;  // "Coord Order: NEZ"
  // Temperature and pressure of the header notes, for the next station
  // (a station record starts with an empty one).
  std::string temperature_;
  std::string pressure_;
};

}  // namespace veltro
