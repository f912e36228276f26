// Small formats for driving the engine in tests.
//
// Office format "Lines" (on the test TDFD), one record per line:
//   P;<nr>;<y>;<x>;<h>   coordinate          C;<text>   comment
//   M;<nr>;<remark>      new point           S;<nr>     station
//   X;...                recognised, no reader (kind tdaInformation)
//   Start "BEGIN", Ende "END"; page "Lines_Blatt".
// Office format "Other": lines "O;..." as comments; page "Other_Blatt".
//
// Instrument format "Inst" (a TGeraeteFormat), blank separated:
//   K <nr> <y> <x> <h>   coordinate          N <text>   comment
//   M <nr>               new point; following "+ <text>" lines are
//                        continuation lines read with it
//   B <nr>               station; its reader steps Zeile back by one
//   Z ...                point code: kind without reader
//   anything else        tdaNone
#pragma once

#include <memory>

#include "core/DatenformatDefinitionen.h"

namespace veltro::test {

struct TestFormats {
  TestFormats();
  ~TestFormats();

  TDataModule init{"dmInit"};
  TDataModule dfd{"TDFD"};
  TDataModule linesModule{"dmLines"};
  TDataModule otherModule{"dmOther"};
  TDataModule instModule{"dmInst"};
  TDataModule catalogue{"TGeraete"};
  TDatenformatDefinitionen* lines = nullptr;
  TDatenformatDefinitionen* other = nullptr;
  TGeraeteFormat* inst = nullptr;
  int initCalls[16] = {};
};

}  // namespace veltro::test
