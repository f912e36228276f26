// DC1 downloads and coordinate lists: the line readers, then the whole input
// through the engine in the direction its first byte picks
// (FuzzInstrumentFormat).
#include <cstdint>
#include <string>

#include "formats/instrument/DC1.h"
#include "tests/fuzz/FuzzWorld.h"

using namespace veltro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz::FuzzInstrumentFormat(data, size, "DC1", nullptr, [](const std::string& line) {
    (void)Dc1LineKind("kDC1", line);
    (void)Dc1LineKind("dDC1", line);
  });
}
