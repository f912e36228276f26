// Waypoint sentences of NMEA and MMW logs: the line readers on every line of
// the input, then the whole input through the engine. The first byte picks the
// way: bit 0 even receive (received lines, phase 2), odd ASCII -> the format
// (phase 1); bit 1 the twin format.
#include <cstdint>
#include <string>

#include "formats/instrument/NMEA.h"
#include "tests/fuzz/FuzzWorld.h"

using namespace veltro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 16384) return 0;
  static fuzz::World world;
  world.box.Clear();
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  for (const std::string& line : SplitLines(text)) {
    Waypoint w;
    (void)ReadWaypoint(line, w);
  }
  TGeraeteFormat* format = world.Use((data[0] & 2) == 0 ? "NMEA" : "MMW");
  if ((data[0] & 1) == 0)
    world.Receive(*format, text);
  else
    world.Send(text);
  return 0;
}
