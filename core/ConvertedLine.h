// Which received line phase 2 of a receive is converting. Line classifiers
// run more than once per line (during the receive, in recognition, when a
// tool looks for data, and in phase 2); a format that notes the lines it
// passes over does so only in phase 2, so that each line is noted once.
#pragma once

#include "core/Transfer.h"

namespace veltro {

// The number (from 1) of the received line being converted; 0 at any other time.
inline int ConvertedLineNumber() {
  const TransferState& t = CurrentTransfer();
  if (t.Receiving || t.ActiveLines == nullptr || t.ActiveLines != &t.ReceivedLines || t.Daten.Konstanten.Zeile < 0) return 0;
  return t.Daten.Konstanten.Zeile + 1;
}

}  // namespace veltro
