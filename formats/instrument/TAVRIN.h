// TdmTAVRIN: the coordinate list of the Magellan ProMark 500 receiver, one
// point per line of five ";"-separated fields, numbers with the decimal
// separator of the system that wrote them:
//
//   P17;2600012.345;1200034.567;512.300;MAUER      point;Y;X;height;code
//   P18;2600013,500;1200035,250;512,125;           (a system with ",")
//
// A line with another number of ";" is no point. No offsets apply.
#pragma once

#include <string>

#include "core/Components.h"
#include "core/ReadWriteDaten.h"
#include "core/TransDef.h"

namespace veltro {

class TGeraete;
class TGeraeteFormat;

// Kind of a line: tdaKoordinate with exactly four ";", else tdaNone.
TTransferDatenart TavrinLineKind(const std::string& line);

class TdmTAVRIN : public TDataModule {
 public:
  explicit TdmTAVRIN(TGeraete& geraete);
  ~TdmTAVRIN() override;

  TReadWriteDaten* Koordinaten;

  void KoordinatenRead(const std::string& S, TDaten& Daten);
  // Numbers with the system's decimal separator; the program's own
  // separator is left as it is.
  std::string KoordinatenWrite(TDaten& Daten);
  void KoordinatenStatistik(const std::string& S, TTransferStatistik& State);

  std::string TAVRINFormat(const std::string& S, const std::string& Buf);
  TTransferDatenart TAVRINGetDatenart(std::string& S);
  std::string TAVRINSetTDA(TTransferDatenart kind);

 private:
  TGeraete& geraete_;
  TGeraeteFormat* format_;
};

}  // namespace veltro
