#include "platform/MessagePump.h"

#include <chrono>

namespace veltro {
namespace {
std::function<void()> g_pump;
std::chrono::steady_clock::time_point g_last;
long g_runs = 0;
unsigned g_calls = 0;
}  // namespace

void SetMessagePump(std::function<void()> pump) {
  g_pump = std::move(pump);
  g_last = std::chrono::steady_clock::time_point{};
}

void PumpMessagesNow() {
  if (!g_pump) return;
  g_last = std::chrono::steady_clock::now();
  ++g_runs;
  g_pump();
}

void PumpMessages() {
  if (!g_pump) return;
  // Reading the clock costs more than a line of a trivial format; look at
  // it only every 64 calls.
  if ((++g_calls & 63u) != 0) return;
  auto now = std::chrono::steady_clock::now();
  if (now - g_last < std::chrono::milliseconds(kPumpIntervalMs)) return;
  g_last = now;
  ++g_runs;
  g_pump();
}

long PumpRunCount() { return g_runs; }

}  // namespace veltro
