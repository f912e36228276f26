// Splits a fuzzer input into NUL-separated parts, so one input can carry a
// layout and a line, or a date layout and a text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace veltro::fuzz {

inline std::vector<std::string> Parts(const uint8_t* data, size_t size, size_t count) {
  std::vector<std::string> parts(count);
  size_t part = 0;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0 && part + 1 < count) {
      ++part;
      continue;
    }
    parts[part] += static_cast<char>(data[i]);
  }
  return parts;
}

}  // namespace veltro::fuzz
