// TdmDC1: the data of Pentax R-300 total stations. Measurement downloads
// hold one value per line, "KEY:value", in groups that begin with STA (a
// station) and PPT (an observed point); coordinate files hold one point per
// line behind a header line:
//
//   STL:BAU 12              job          STA:            station group
//   STS:S1                  station      STC:MARK        code
//   INH:1.550               instrument height; TMP, PRS, PPM, PSM
//   PPT:                    point group  PPD:1001        point number
//   PPC:BAUM  PPH:1.600  RTH:123.4567  RTV:89.1234  RTD:25.432
//
//   00011:BAU12:                                                 header
//   00022:P1:+00001234.500:-00000020.000:+00000000.000:          number, point, Y, X, height
#pragma once

#include <string>

#include "core/Components.h"
#include "core/ReadWriteDaten.h"
#include "core/TransDef.h"

namespace veltro {

class TGeraete;
class TGeraeteFormat;

// Kind of a line under a file tag ("kDC1" a coordinate file): coordinate
// lines need more than three ":"-separated parts, so the header is none.
TTransferDatenart Dc1LineKind(const std::string& tag, const std::string& line);

class TdmDC1 : public TDataModule {
 public:
  explicit TdmDC1(TGeraete& geraete);
  ~TdmDC1() override;

  TReadWriteDaten* Koordinaten;
  TReadWriteDaten* Informationen;
  TReadWriteDaten* Stationen;
  TReadWriteDaten* Neupunkte;

  void KoordinatenRead(const std::string& S, TDaten& Daten);
  std::string KoordinatenWrite(TDaten& Daten);
  void KoordinatenStatistik(const std::string& S, TTransferStatistik& State);
  void InformationenRead(const std::string& S, TDaten& Daten);
  // Group readers: the lines of the group that follow are consumed.
  void StationenRead(const std::string& S, TDaten& Daten);
  void NeupunkteRead(const std::string& S, TDaten& Daten);
  void StationenStatistik(const std::string& S, TTransferStatistik& State);
  void NeupunkteStatistik(const std::string& S, TTransferStatistik& State);

  std::string DC1Format(const std::string& S, const std::string& Buf);
  TTransferDatenart DC1GetDatenart(std::string& S);
  std::string DC1SetTDA(TTransferDatenart kind);
  // The header of a coordinate upload, named after the input file.
  void DC1InitWrite();
  // A send cut short still gets the end mark, after a pause.
  void DC1AfterWrite();

 private:
  TGeraete& geraete_;
  TGeraeteFormat* format_;
  // Atmospheric correction and prism constant of the last station.
  std::string ppm_ = "0";
  std::string prism_ = "0";
};

}  // namespace veltro
