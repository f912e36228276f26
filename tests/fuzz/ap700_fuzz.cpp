// AP 700 raw files: the line readers, then the whole input through the engine
// in the direction its first byte picks (FuzzInstrumentFormat).
#include <cstdint>
#include <string>

#include "formats/instrument/AP700.h"
#include "tests/fuzz/FuzzWorld.h"

using namespace veltro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz::FuzzInstrumentFormat(data, size, "AP700", nullptr, [](const std::string& line) {
    (void)Ap700LineKind(line);
    (void)LeadingNumber(line);
  });
}
