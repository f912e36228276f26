// TAVRIN coordinate lists: the line readers, then the whole input through the
// engine in the direction its first byte picks (FuzzInstrumentFormat).
#include <cstdint>
#include <string>

#include "formats/instrument/TAVRIN.h"
#include "tests/fuzz/FuzzWorld.h"

using namespace veltro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz::FuzzInstrumentFormat(data, size, "TAVRIN", nullptr,
                                    [](const std::string& line) { (void)TavrinLineKind(line); });
}
