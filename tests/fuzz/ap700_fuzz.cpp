// AP 700 raw files: the line readers on every line of the input, then the
// whole input through the engine. The first byte picks the way: even receive
// (received lines, phase 2), odd ASCII -> the format (phase 1).
#include <cstdint>
#include <string>

#include "formats/instrument/AP700.h"
#include "tests/fuzz/FuzzWorld.h"

using namespace veltro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 16384) return 0;
  static fuzz::World world;
  world.box.Clear();
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  for (const std::string& line : SplitLines(text)) {
    (void)Ap700LineKind(line);
    (void)LeadingNumber(line);
  }
  TGeraeteFormat* format = world.Use("AP700");
  if ((data[0] & 1) == 0)
    world.Receive(*format, text);
  else
    world.Send(text);
  return 0;
}
