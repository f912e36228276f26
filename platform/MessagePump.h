// "Let pending window messages run." Long loops call PumpMessages() after
// every line; the call is cheap and hands control to the installed pump at
// most every kPumpIntervalMs, so a million-line transfer is not slowed by
// event dispatch. Headless there is no pump and the call does nothing.
#pragma once

#include <functional>

namespace veltro {

constexpr int kPumpIntervalMs = 20;

// Installs the pump (the GUI passes QCoreApplication::processEvents).
void SetMessagePump(std::function<void()> pump);

// Runs the pump when kPumpIntervalMs have passed since it last ran.
void PumpMessages();

// Runs the pump now (before a modal step, after showing a window).
void PumpMessagesNow();

// Number of times the pump actually ran (for tests and benchmarks).
long PumpRunCount();

}  // namespace veltro
