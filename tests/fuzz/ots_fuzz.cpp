// OTS records: the line readers, then the whole input through the engine in
// the direction its first byte picks (FuzzInstrumentFormat).
#include <cstdint>
#include <string>

#include "formats/instrument/OTS.h"
#include "tests/fuzz/FuzzWorld.h"

using namespace veltro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz::FuzzInstrumentFormat(data, size, "OTS", nullptr, [](const std::string& line) {
    (void)OtsLineKind(line);
    (void)OtsPointNumber(line);
  });
}
