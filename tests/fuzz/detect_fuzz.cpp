// Format detection on any received or loaded text.
#include <cstdint>
#include <string>

#include "formats/instrument/CheckFormate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 8192) return 0;
  std::string text(reinterpret_cast<const char*>(data), size);
  (void)veltro::DetectFormat(text);
  (void)veltro::DetectFormat(text, "MMW;AP700;GSI16");
  (void)veltro::GsiCodes(text, 16);
  return 0;
}
