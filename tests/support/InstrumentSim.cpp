#include "tests/support/InstrumentSim.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>

namespace veltro::test {
namespace {

const std::string kSimulator = VELTRO_BUILD_DIR "/app/instrument-sim";
constexpr int kQuitWaitMs = 10000;

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

bool WaitForExit(pid_t pid, int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (Clock::now() >= deadline) return false;
    ::poll(nullptr, 0, 10);
  }
  return true;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition()) {
    if (Clock::now() >= deadline) return false;
    ::poll(nullptr, 0, 5);
  }
  return true;
}

SimulatedInstrument::SimulatedInstrument(const std::vector<std::string>& args, bool cooked) {
  device_ = dir_ / "com";
  store_ = dir_ / "received";
  std::vector<std::string> argv = {kSimulator, "--pair", device_, "--store", store_};
  if (cooked) argv.push_back("--cooked");
  argv.insert(argv.end(), args.begin(), args.end());
  int in[2], out[2];
  if (::pipe2(in, O_CLOEXEC) != 0) return;
  if (::pipe2(out, O_CLOEXEC) != 0) {
    ::close(in[0]);
    ::close(in[1]);
    return;
  }
  pid_ = ::fork();
  if (pid_ == 0) {
    ::dup2(in[0], 0);
    ::dup2(out[1], 1);
    std::vector<char*> cargv;
    for (std::string& a : argv) cargv.push_back(a.data());
    cargv.push_back(nullptr);
    ::execv(kSimulator.c_str(), cargv.data());
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  commands_ = in[1];
  events_ = out[0];
  if (pid_ < 0) return;
  ::signal(SIGPIPE, SIG_IGN);
  ready_ = WaitForEvent("ready");
}

SimulatedInstrument::~SimulatedInstrument() { Stop(); }

void SimulatedInstrument::Stop() {
  if (pid_ > 0) {
    if (commands_ >= 0) {
      const char quit[] = "quit\n";
      (void)!::write(commands_, quit, sizeof quit - 1);
    }
    if (!WaitForExit(pid_, kQuitWaitMs)) {
      ::kill(pid_, SIGTERM);
      if (!WaitForExit(pid_, kQuitWaitMs)) {
        ::kill(pid_, SIGKILL);
        WaitForExit(pid_, kQuitWaitMs);
      }
    }
    pid_ = -1;
  }
  if (commands_ >= 0) ::close(commands_);
  if (events_ >= 0) ::close(events_);
  commands_ = events_ = -1;
}

void SimulatedInstrument::ReadEvents(int timeoutMs) {
  if (events_ < 0) return;
  pollfd p{events_, POLLIN, 0};
  if (::poll(&p, 1, timeoutMs) <= 0) return;
  char buffer[4096];
  ssize_t n = ::read(events_, buffer, sizeof buffer);
  if (n <= 0) {
    ::close(events_);
    events_ = -1;
    return;
  }
  pending_.append(buffer, static_cast<size_t>(n));
  for (size_t end; (end = pending_.find('\n')) != std::string::npos;) {
    lines_.push_back(pending_.substr(0, end));
    pending_.erase(0, end + 1);
  }
}

bool SimulatedInstrument::WaitForEvent(const std::string& prefix, int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    while (!lines_.empty()) {
      std::string line = lines_.front();
      lines_.pop_front();
      if (line.compare(0, prefix.size(), prefix) == 0) return true;
      if (line.compare(0, 6, "error ") == 0) return false;
    }
    if (events_ < 0 || Clock::now() >= deadline) return false;
    ReadEvents(MsLeft(deadline));
  }
}

bool SimulatedInstrument::Command(const std::string& line) {
  if (commands_ < 0) return false;
  const std::string text = line + "\n";
  if (::write(commands_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) return false;
  const std::string verb = line.substr(0, line.find(' '));
  return WaitForEvent("ok " + verb);
}

std::string SimulatedInstrument::Received() const { return ReadFile(store_); }

bool SimulatedInstrument::WaitForReceived(size_t bytes, int timeoutMs) {
  return WaitUntil([&] { return Received().size() >= bytes; }, timeoutMs);
}

}  // namespace veltro::test
