// TdmREC500: the coordinate listing of the Zeiss REC 500 recorder, one
// coordinate per line (columns in Rec500Line.h):
//
//         1 P1                        K Y     1234.500 X      2345.600 Z   400.000
//
// Written with the catalogue's template "   %4d %-14.14s%13.13s Y %12.3f X
// %13.3f Z %9.3f" and read by the letters in front of the values, so that
// the recorders' own lines (northing first, point number right-aligned) read
// too. Lines of the related dialects (R4, R5, Rec E) are noted, not read.
#pragma once

#include <string>

#include "core/Components.h"
#include "core/ReadWriteDaten.h"
#include "core/TransDef.h"

namespace veltro {

class TGeraete;
class TGeraeteFormat;

// Kind of a line: tdaKoordinate for a coordinate line, else tdaNone.
TTransferDatenart Rec500LineKind(const std::string& line);

// Text numbers of the module's notes.
enum : int {
  kTextRec500Dialect = 910,     // %s line number
  kTextRec500NoPosition = 911,  // %s line number
  kTextRec500BadValue = 912,    // %s line number
  kTextRec500PointCut = 913,    // %s point number, %s as written
  kTextRec500CodeCut = 914,     // %s code, %s as written
};

class TdmREC500 : public TDataModule {
 public:
  // Creates the components, fills the template of the catalogue's REC500
  // and binds its handlers. The catalogue must outlive the module.
  explicit TdmREC500(TGeraete& geraete);
  ~TdmREC500() override;

  TReadWriteDaten* Koordinaten;
  TReadWriteDaten* Kommentare;

  void KoordinatenRead(const std::string& S, TDaten& Daten);
  std::string KoordinatenWrite(TDaten& Daten);
  void KoordinatenStatistik(const std::string& S, TTransferStatistik& State);
  std::string KommentareWrite(TDaten& Daten);

  // Catalogue handlers of REC500. GetDatenart notes the lines it passes over
  // while phase 2 converts the received lines (once per line).
  std::string REC500Format(const std::string& S, const std::string& Buf);
  TTransferDatenart REC500GetDatenart(std::string& S);
  std::string REC500SetTDA(TTransferDatenart kind);

 private:
  TGeraete& geraete_;
  TGeraeteFormat* format_;
  TGeraeteFormat* rece_;
};

}  // namespace veltro
