// TdmOTS: the fixed-column records of Foif OTS total stations. A record is a
// two-letter code and a blank, then fields separated by one blank; numbers
// are signed integers with implied decimals, the line ends in 11 blanks and
// the control bytes 0x01 0x03 (coordinates, stations) or 0x03:
//
//   SD 000012 +001234567 +002345678 +000456123 +000001500           coordinate: point, X, Y, height, rod height
//   ST 000001 +001000000 +002000000 +000400000 +000001550           station: point, X, Y, height, instrument height
//   BS 000002 +001100000 +002100000                                 backsight: point, X, Y
//   SA 000007 09012345 12345678 00025432 00001500                   observation: point, V, Hz, SD, rod height
//
// Angles have 4 implied decimals, lengths and coordinates 3.
#pragma once

#include <string>

#include "core/Components.h"
#include "core/ReadWriteDaten.h"
#include "core/TransDef.h"

namespace veltro {

class TGeraete;
class TGeraeteFormat;

TTransferDatenart OtsLineKind(const std::string& line);
// A point number field: integers without leading zeros; other texts as
// they stand, without leading zeros ("A00012" stays, "0A12" is "A12").
std::string OtsPointNumber(const std::string& field);

class TdmOTS : public TDataModule {
 public:
  explicit TdmOTS(TGeraete& geraete);
  ~TdmOTS() override;

  TReadWriteDaten* Koordinaten;
  TReadWriteDaten* Stationen;
  TReadWriteDaten* Anschlusspunkte;
  TReadWriteDaten* Neupunkte;

  void KoordinatenRead(const std::string& S, TDaten& Daten);
  // "Error" for a point number of more than 6 characters or a value beyond
  // the field ("±999999.999").
  std::string KoordinatenWrite(TDaten& Daten);
  void StationenRead(const std::string& S, TDaten& Daten);
  void AnschlusspunkteRead(const std::string& S, TDaten& Daten);
  void NeupunkteRead(const std::string& S, TDaten& Daten);
  void PunktStatistik(const std::string& S, TTransferStatistik& State);
  void StationenStatistik(const std::string& S, TTransferStatistik& State);

  std::string OTSFormat(const std::string& S, const std::string& Buf);
  TTransferDatenart OTSGetDatenart(std::string& S);
  std::string OTSSetTDA(TTransferDatenart kind);

 private:
  std::vector<std::string> Fields(const std::string& layout, const std::string& S);

  TGeraete& geraete_;
  TGeraeteFormat* format_;
};

}  // namespace veltro
