// The instrument library's three time-outs as monotonic deadlines. A timer
// "fires" only when Check() runs (every pass of a wait, every export entry),
// as a window-message timer fires only while messages are dispatched: it
// then disables itself and reports its code.
#pragma once

#include <chrono>
#include <cstdint>

namespace veltro {

class TDeadlineTimer {
 public:
  using Clock = std::chrono::steady_clock;

  explicit TDeadlineTimer(int code) : code_(code) {}
  int Code() const { return code_; }
  std::uint32_t Interval() const { return intervalMs_; }
  void SetInterval(std::uint32_t ms) { intervalMs_ = ms; }
  bool Enabled() const { return enabled_; }
  // Enabling restarts the full interval.
  void Enable() {
    enabled_ = true;
    deadline_ = Clock::now() + std::chrono::milliseconds(intervalMs_);
  }
  void Disable() { enabled_ = false; }
  // True (once) when the deadline has passed; the timer is then disabled.
  bool Expired(Clock::time_point now) {
    if (!enabled_ || now < deadline_) return false;
    enabled_ = false;
    return true;
  }

 private:
  int code_;
  std::uint32_t intervalMs_ = 0;
  bool enabled_ = false;
  Clock::time_point deadline_{};
};

// The timer holder of an open connection: start (no answer), read and write.
struct TTransferTimer {
  TDeadlineTimer start;
  TDeadlineTimer read;
  TDeadlineTimer write;
  TTransferTimer(int startCode, int readCode, int writeCode) : start(startCode), read(readCode), write(writeCode) {}
  void DisableAll() {
    start.Disable();
    read.Disable();
    write.Disable();
  }
};

// Interval of a time-out: breakTime·100 + the low 16 bits of timeMs. A
// result of 0 would never fire, so it becomes 1 ms.
constexpr std::uint32_t TimerInterval(unsigned breakTime, std::int32_t timeMs) {
  const std::uint32_t ms = breakTime * 100u + static_cast<std::uint16_t>(timeMs);
  return ms == 0 ? 1 : ms;
}

}  // namespace veltro
