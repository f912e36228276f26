// Test library: loads, but lacks the export "LoadStrRes".
#include <cstdint>

extern "C" __attribute__((visibility("default"))) const char* LoadStrResource(int32_t) noexcept { return "x"; }
