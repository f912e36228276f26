// One exchange-format reader on any bytes: the whole file is parsed, every
// point read into the record and written again. Notes are dropped after
// each input, so that a long run keeps no memory.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/Transfer.h"
#include "tests/fuzz/FuzzModules.h"

namespace veltro::fuzz {

inline int RunGisReader(TdmGisFormat& (*module)(TransferModules&), const uint8_t* data, size_t size) {
  if (size > 262144) return 0;
  static FuzzModules world;
  world.box.Clear();
  TdmGisFormat& format = module(*world.modules);
  TransferState& t = CurrentTransfer();
  t.Messages.clear();
  t.StopFlag = false;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TDaten d;
  for (const GisPoint& p : format.ReadDocument(bytes)) {
    const std::string line = GisPointLine(p);
    if (!IsGisPointLine(line)) std::abort();
    format.KoordinatenRead(line, d);
    // A point read back is a point line again, field for field.
    if (ParseGisPointLine(line).Y != d.Punkt.Y) std::abort();
    d.Punkt.Messflags = 0x0800;
    format.KoordinatenWrite(d);
  }
  t.Messages.clear();
  return 0;
}

}  // namespace veltro::fuzz
