// The simulated instrument for serial tests: starts instrument-sim on a
// fresh socat pty pair, steers it through its command input, and stops both
// at the end of the test. Waits poll for a condition with a generous limit;
// nothing depends on how fast the machine is.
#pragma once

#include <sys/types.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/TransferFixture.h"

namespace veltro::test {

// Limit of every wait for the simulator, in ms.
constexpr int kSimWaitMs = 30000;

// Polls condition every few ms until it holds; false when timeoutMs passed.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = kSimWaitMs);

class SimulatedInstrument {
 public:
  // args: further instrument-sim options ("--play", path, ...). cooked
  // leaves the program's end a fresh tty (echo, line editing, XON/XOFF).
  explicit SimulatedInstrument(const std::vector<std::string>& args = {}, bool cooked = false);
  ~SimulatedInstrument();
  SimulatedInstrument(const SimulatedInstrument&) = delete;
  SimulatedInstrument& operator=(const SimulatedInstrument&) = delete;

  // The pair exists and the simulator listens.
  bool Ready() const { return ready_; }
  // The program's end of the line.
  const std::string& Device() const { return device_; }
  // Sends one command and waits for its answer; false on an error answer
  // or when none comes.
  bool Command(const std::string& line);
  // Waits for an event line that starts with prefix (consuming the events
  // before it).
  bool WaitForEvent(const std::string& prefix, int timeoutMs = kSimWaitMs);
  // Everything the simulator received so far.
  std::string Received() const;
  bool WaitForReceived(size_t bytes, int timeoutMs = kSimWaitMs);
  // A folder of the test for play files.
  const TempDir& Dir() const { return dir_; }

 private:
  void ReadEvents(int timeoutMs);
  void Stop();

  TempDir dir_;
  std::string device_;
  std::string store_;
  pid_t pid_ = -1;
  int commands_ = -1;
  int events_ = -1;
  std::string pending_;
  std::deque<std::string> lines_;
  bool ready_ = false;
};

}  // namespace veltro::test
