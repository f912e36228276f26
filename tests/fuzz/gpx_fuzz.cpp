// The gpx reader on any bytes (tests/fuzz/GisFuzz.h).
#include "tests/fuzz/GisFuzz.h"

using namespace veltro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz::RunGisReader([](TransferModules& m) -> TdmGisFormat& { return *m.gpx; }, data, size);
}
