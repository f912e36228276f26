// RW5 raw files: the line readers, then the whole input through the engine in
// the direction its first byte picks (FuzzInstrumentFormat).
#include <cstdint>
#include <string>

#include "formats/instrument/RW5.h"
#include "tests/fuzz/FuzzWorld.h"

using namespace veltro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz::FuzzInstrumentFormat(data, size, "RW5", nullptr, [](const std::string& line) {
    (void)ReadRw5Record(line);
    (void)Rw5LineKind(line);
  });
}
