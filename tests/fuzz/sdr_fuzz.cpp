// SDR records: the line classifier and checksum on every line of the input,
// then the whole input through the engine. The first byte picks the way:
// bit 0 the variant (SDR 2x, SDR 33), bit 1 the direction (SDR -> ASCII as
// received lines with the trailer check, or ASCII -> SDR framed).
#include <cstdint>
#include <string>

#include "formats/instrument/SDR.h"
#include "tests/fuzz/FuzzWorld.h"

using namespace veltro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 16384) return 0;
  static fuzz::World world;
  world.box.Clear();
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  TGeraeteFormat* format = world.Use((data[0] & 1) ? "SDR33" : "SDR2x");
  const TextLines lines = SplitLines(text);
  SdrChecksum sum;
  for (const std::string& line : lines) {
    (void)world.modules->sdr->SdrLineKind(line);
    sum.Add(line);
  }
  (void)CheckSdrTrailer(LineList(lines), sum);
  if ((data[0] & 2) == 0)
    world.Receive(*format, text);
  else
    world.Send(text);
  return 0;
}
