// A whole file through the transfer engine with the real modules and the
// scripted message box. The first byte picks the way:
//   0 GSI 8 -> ASCII, 1 GSI 16 -> ASCII (received lines, phase 2),
//   2 ASCII -> GSI 8, 3 ASCII -> GSI 16 (input lines, phase 1).
#include <cstdint>
#include <string>

#include "tests/fuzz/FuzzWorld.h"

using namespace veltro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 16384) return 0;
  static fuzz::World world;
  world.box.Clear();
  const int way = data[0] & 3;
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  TGeraeteFormat* format = world.Use(way == 1 || way == 3 ? "GSI16" : "GSI8");
  if (way < 2)
    world.Receive(*format, text);
  else
    world.Send(text);
  return 0;
}
