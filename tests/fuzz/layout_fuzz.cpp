// The layout language: a layout from a user or file against lines and
// arguments from instruments. Input: layout NUL line NUL arg1 NUL arg2 ...
#include <cstdint>

#include "formats/office/Layout.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  auto parts = veltro::fuzz::Parts(data, size, 8);
  const std::string& layout = parts[0];
  const std::string& line = parts[1];
  veltro::LayoutArgs args;
  for (size_t i = 2; i < parts.size(); ++i) {
    if (i % 2) args.push_back(veltro::LayoutArg::Number(parts[i]));
    else args.emplace_back(parts[i]);
  }
  (void)veltro::FormatLayout(layout, args);
  (void)veltro::FitsLayout(layout, line);
  (void)veltro::CutFields(layout, line);
  (void)veltro::CutFieldsByKey(layout, line);
  (void)veltro::FormatDecimalText(line, static_cast<int>(size % 20), static_cast<int>(size % 7) - 3);
  return 0;
}
