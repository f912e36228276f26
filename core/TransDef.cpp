#include "core/TransDef.h"

namespace veltro {

const char* TransferDatenartName(TTransferDatenart tda) {
  static const char* const kNames[kTransferDatenartCount] = {
      "tdaInformation", "tdaStation",      "tdaAnschlusspunkt", "tdaNeupunkt",   "tdaKoordinate", "tdaNivKoordinate",
      "tdaLaengsprofil", "tdaQuerprofil",  "tdaPunktcode",      "tdaKommentar",  "tdaStartdaten", "tdaMessdaten",
      "tdaEnddaten",    "tdaNivKommentar", "tdaKonstanten",     "tdaNone"};
  unsigned i = tda;
  return i < kTransferDatenartCount ? kNames[i] : "";
}

}  // namespace veltro
