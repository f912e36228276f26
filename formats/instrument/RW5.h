// TdmRW5: the raw files of field software on Magellan receivers and total
// stations. A record is a line of comma-separated fields after a record
// code; each field begins with its two-character tag ("N " and "E " end in a
// blank), in any order; a field "--" runs to the end of the line (notes may
// hold commas), and a line beginning "--" is a note of its own:
//
//   JB,NMHANG7,DT12-08-2026,TM14:30:00           job, date, time
//   MO,AD0,UN2,SF1.00000000,EC0,EO0.0,AU0        units, scale factor
//   OC,OP1,N 1200000.000,E 2600000.000,EL500.000,--Stand  occupied point
//   LS,HI1.550000,HR1.800000                     instrument and rod height
//   BK,OP1,BP2,BS0.0000,BC0.0000                 backsight
//   SS,OP1,FP3,AR90.1234,ZE89.5432,SD25.432100,--Baum     side shot
//   GPS,PN7,LA47.230741000,LN8.263259000,EL551.234,--     position, packed DD.MMSSsss
//   --GS,PN7,N 1200010.000,E 2600020.000,EL503.000        the grid of it, commented
//
// GPS positions go through the coordinate-system library (mode 2) when it
// is loaded; offsets apply to the grid values afterwards.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/Components.h"
#include "core/ReadWriteDaten.h"
#include "core/TransDef.h"
#include "formats/instrument/InstrumentFormat.h"

namespace veltro {

class TGeraete;
class TGeraeteFormat;

// A record as views into the line it was read from.
struct Rw5Record {
  std::string_view code;                                              // text before the first ","
  std::vector<std::pair<std::string_view, std::string_view>> fields;  // tag, trimmed value
  std::string_view note;                                              // after "--"
  // The value of the first field with that tag; "" when there is none.
  std::string_view Value(std::string_view tag) const;
  bool Has(std::string_view tag) const;
};

Rw5Record ReadRw5Record(std::string_view line);
// The same into a record whose field list is reused.
void ReadRw5Record(std::string_view line, Rw5Record& record);
TTransferDatenart Rw5LineKind(const std::string& line);

class TdmRW5 : public TDataModule {
 public:
  explicit TdmRW5(TGeraete& geraete);
  ~TdmRW5() override;

  TReadWriteDaten* Koordinaten;
  TReadWriteDaten* Informationen;
  TReadWriteDaten* Stationen;
  TReadWriteDaten* Anschlusspunkte;
  TReadWriteDaten* Neupunkte;
  TReadWriteDaten* Kommentare;

  void KoordinatenRead(const std::string& S, TDaten& Daten);
  std::string KoordinatenWrite(TDaten& Daten);
  void InformationenRead(const std::string& S, TDaten& Daten);
  void StationenRead(const std::string& S, TDaten& Daten);
  void AnschlusspunkteRead(const std::string& S, TDaten& Daten);
  void NeupunkteRead(const std::string& S, TDaten& Daten);
  void KommentareRead(const std::string& S, TDaten& Daten);
  void PunktStatistik(const std::string& S, TTransferStatistik& State);
  void StationenStatistik(const std::string& S, TTransferStatistik& State);

  std::string RW5Format(const std::string& S, const std::string& Buf);
  // While phase 2 converts the received lines, a GPS position the
  // coordinate system cannot convert is listed as an error and skipped.
  TTransferDatenart RW5GetDatenart(std::string& S);
  std::string RW5SetTDA(TTransferDatenart kind);

 private:
  // The point of a coordinate record; false when its GPS position could
  // not be converted.
  bool PointOf(const Rw5Record& r, TPunkt& p);
  // The record of a line, valid until the next call.
  const Rw5Record& Record(const std::string& S);

  TGeraete& geraete_;
  TGeraeteFormat* format_;
  ConvertedPoint converted_;
  Rw5Record record_;
};

}  // namespace veltro
