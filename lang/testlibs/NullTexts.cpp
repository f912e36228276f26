// Test library: a "LoadStrRes" that answers NULL for every number but 1.
#include <cstdint>

extern "C" __attribute__((visibility("default"))) const char* LoadStrRes(int32_t number) noexcept {
  return number == 1 ? "eins" : nullptr;
}
