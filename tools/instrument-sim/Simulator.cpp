#include "tools/instrument-sim/Simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "tools/instrument-sim/Behaviours.h"

namespace veltro::sim {
namespace {

volatile std::sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

constexpr char kXon = 0x11;
constexpr char kXoff = 0x13;
constexpr int kIdleSliceMs = 100;
constexpr int kBehaviourSliceMs = 2;  // a behaviour that waits is asked again this soon
constexpr int kPairWaitMs = 20000;
constexpr size_t kReadChunk = 4096;

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// Lines with their own line ends: a piece ends after LF, or after a CR not
// followed by LF; the last piece may have none.
std::vector<std::string> SplitKeepingEnds(const std::string& text) {
  std::vector<std::string> lines;
  std::string current;
  for (size_t i = 0; i < text.size(); ++i) {
    current += text[i];
    const bool lf = text[i] == '\n';
    const bool loneCr = text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n');
    if (lf || loneCr) {
      lines.push_back(current);
      current.clear();
    }
  }
  if (!current.empty()) lines.push_back(current);
  return lines;
}

std::string WithoutEnd(std::string line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  return line;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "0d 0a" or "0d0a" -> bytes; false for anything else.
bool ParseHex(const std::string& text, std::string& bytes) {
  bytes.clear();
  int high = -1;
  for (char c : text) {
    if (c == ' ' || c == '\t') continue;
    int d = HexDigit(c);
    if (d < 0) return false;
    if (high < 0) {
      high = d;
    } else {
      bytes += static_cast<char>(high * 16 + d);
      high = -1;
    }
  }
  return high < 0;
}

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

}  // namespace

Simulator::Simulator(Options options) : options_(std::move(options)) {}

Simulator::~Simulator() {
  port_.reset();
  StopPair();
  if (store_ >= 0) ::close(store_);
}

bool Simulator::LoadLines() {
  lines_.clear();
  next_ = 0;
  if (options_.playFile.empty()) return true;
  std::ifstream in(options_.playFile, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "instrument-sim: cannot read %s\n", options_.playFile.c_str());
    return false;
  }
  std::ostringstream all;
  all << in.rdbuf();
  lines_ = SplitKeepingEnds(all.str());
  if (!options_.eol.empty())
    for (std::string& l : lines_) l = WithoutEnd(l) + options_.eol;
  return true;
}

bool Simulator::CreatePair() {
  const std::string programEnd = options_.pairLink;
  const std::string simEnd = options_.pairLink + ".sim";
  ::unlink(programEnd.c_str());
  ::unlink(simEnd.c_str());
  const std::string a = (options_.cooked ? "pty,link=" : "pty,raw,echo=0,link=") + programEnd;
  const std::string b = "pty,raw,echo=0,link=" + simEnd;
  const pid_t parent = ::getpid();
  socat_ = ::fork();
  if (socat_ < 0) {
    std::perror("instrument-sim: fork");
    return false;
  }
  if (socat_ == 0) {
    // socat must not outlive the simulator.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(1);
    int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
      ::dup2(null, 0);
      ::dup2(null, 1);
      ::dup2(null, 2);
    }
    ::execlp("socat", "socat", a.c_str(), b.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  const auto deadline = Clock::now() + std::chrono::milliseconds(kPairWaitMs);
  while (!(Exists(programEnd) && Exists(simEnd))) {
    int status = 0;
    if (::waitpid(socat_, &status, WNOHANG) == socat_) {
      socat_ = -1;
      std::fprintf(stderr, "instrument-sim: socat ended before the pair existed\n");
      return false;
    }
    if (Clock::now() >= deadline) {
      std::fprintf(stderr, "instrument-sim: socat created no pair\n");
      return false;
    }
    ::poll(nullptr, 0, 10);
  }
  options_.device = simEnd;
  return true;
}

void Simulator::StopPair() {
  if (socat_ <= 0) return;
  ::kill(socat_, SIGTERM);
  int status = 0;
  ::waitpid(socat_, &status, 0);
  socat_ = -1;
  ::unlink(options_.pairLink.c_str());
  ::unlink((options_.pairLink + ".sim").c_str());
}

bool Simulator::Start() {
  std::signal(SIGTERM, OnSignal);
  std::signal(SIGINT, OnSignal);
  std::signal(SIGHUP, OnSignal);
  std::signal(SIGPIPE, SIG_IGN);
  behaviour_ = MakeBehaviour(options_.protocol);
  if (!behaviour_) {
    std::fprintf(stderr, "instrument-sim: unknown protocol %s\n", options_.protocol.c_str());
    return false;
  }
  if (!LoadLines()) return false;
  if (!options_.storeFile.empty()) {
    store_ = ::open(options_.storeFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
    if (store_ < 0) {
      std::fprintf(stderr, "instrument-sim: cannot write %s: %s\n", options_.storeFile.c_str(), std::strerror(errno));
      return false;
    }
  }
  if (!options_.pairLink.empty() && !CreatePair()) return false;
  std::string why;
  SerialSettings line = options_.line;
  line.flow = SerialFlow::None;  // XON/XOFF is honoured here, so that the bytes can also be stored
  if (OpenSerialPort(options_.device, port_, &why) != SerialStatus::Ok ||
      port_->Configure(line, &why) != SerialStatus::Ok) {
    std::fprintf(stderr, "instrument-sim: %s\n", why.c_str());
    return false;
  }
  reading_ = !options_.noRead;
  if (!options_.hold) PlayFrom(0);
  Event("ready " + (options_.pairLink.empty() ? options_.device : options_.pairLink));
  behaviour_->OnStart(*this);
  return true;
}

void Simulator::Event(const std::string& text) {
  std::fprintf(stdout, "%s\n", text.c_str());
  std::fflush(stdout);
}

int Simulator::LineTimeMs(size_t bytes) const {
  const SerialSettings& s = options_.line;
  const int bits = 1 + s.dataBits + (s.parity == SerialParity::None ? 0 : 1) +
                   (s.stopBits == SerialStopBits::One ? 1 : 2);
  const long long ms = (static_cast<long long>(bytes) * bits * 1000 + s.baudRate - 1) / std::max(1, s.baudRate);
  return static_cast<int>(std::min<long long>(ms, 1 << 30));
}

void Simulator::Send(const std::string& bytes) {
  if (options_.silent || !port_) return;
  size_t done = 0;
  // The program may not read: give up after a while rather than hang.
  const auto deadline = Clock::now() + std::chrono::seconds(30);
  while (done < bytes.size() && Clock::now() < deadline) {
    size_t written = 0;
    if (port_->Write(bytes.data() + done, bytes.size() - done, written) != SerialStatus::Ok) return;
    done += written;
    if (written == 0) port_->Wait(true, 10);
  }
}

void Simulator::Store(const std::string& bytes) {
  if (store_ >= 0 && ::write(store_, bytes.data(), bytes.size()) < 0)
    std::fprintf(stderr, "instrument-sim: storing failed: %s\n", std::strerror(errno));
}

void Simulator::PlayFrom(size_t first) {
  next_ = first;
  playing_ = next_ < lines_.size();
  nextSend_ = Clock::now() + std::chrono::milliseconds(options_.delayMs);
}

void Simulator::HangUp() {
  Event("hangup");
  hungUp_ = true;
  done_ = true;
  port_.reset();
  StopPair();
}

void Simulator::PlayStep() {
  const int number = static_cast<int>(next_) + 1;
  if (number == options_.hangupLine) {
    HangUp();
    return;
  }
  const std::string& text = lines_[next_++];
  if (number == options_.cutLine) {
    Send(text.substr(0, std::max<size_t>(1, text.size() / 2)));
    playing_ = false;
    Event("cut");
    return;
  }
  if (number == options_.garbageLine) {
    std::string garbage;
    for (size_t i = 0; i < text.size(); ++i) {
      garbageSeed_ = garbageSeed_ * 1103515245u + 12345u;
      garbage += static_cast<char>(0x80 | ((garbageSeed_ >> 16) & 0x7F));
    }
    Send(garbage);
  } else {
    Send(text);
  }
  if (options_.paceMs >= 0) {
    nextSend_ = Clock::now() + std::chrono::milliseconds(options_.paceMs);
  } else {
    // At the line rate: the exact time of each line, counted on from the
    // previous deadline so that rounding and wake-up delays do not add up.
    const SerialSettings& l = options_.line;
    const int bits = 1 + l.dataBits + (l.parity == SerialParity::None ? 0 : 1) +
                     (l.stopBits == SerialStopBits::One ? 1 : 2);
    const auto lineTime = std::chrono::microseconds(static_cast<long long>(text.size()) * bits * 1000000 /
                                                    std::max(1, l.baudRate));
    const auto now = Clock::now();
    nextSend_ = (nextSend_ + lineTime < now - std::chrono::milliseconds(kIdleSliceMs) ? now : nextSend_) + lineTime;
  }
  if (next_ >= lines_.size()) {
    playing_ = false;
    Event("played");
  }
}

int Simulator::NextTimeoutMs() const {
  if (!playing_ || xoff_ || options_.silent) return kIdleSliceMs;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(nextSend_ - Clock::now()).count();
  return static_cast<int>(std::clamp<long long>(left, 0, kIdleSliceMs));
}

size_t Simulator::OnReadable() {
  char buffer[kReadChunk];
  size_t got = 0;
  if (port_->Read(buffer, sizeof buffer, got) != SerialStatus::Ok || got == 0) return 0;
  std::string data;
  for (size_t i = 0; i < got; ++i) {
    const char c = buffer[i];
    if (options_.xonxoff && (c == kXon || c == kXoff)) {
      xoff_ = c == kXoff;
      continue;
    }
    data += c;
  }
  if (data.empty()) return got;
  if (!behaviour_->StoresItself()) Store(data);
  if (options_.echo) Send(data);
  behaviour_->OnReceived(*this, data);
  return got;
}

void Simulator::OnCommand(const std::string& line) {
  const std::vector<std::string> words = Words(line);
  if (words.empty()) return;
  const std::string& verb = words[0];
  const size_t afterVerb = line.find(verb) + verb.size();
  const std::string rest = afterVerb < line.size() ? line.substr(afterVerb + 1) : "";
  const bool on = words.size() < 2 || words[1] != "off";
  if (verb == "start") {
    PlayFrom(next_ < lines_.size() ? next_ : 0);
  } else if (verb == "send") {
    std::string bytes;
    if (!ParseHex(rest, bytes)) {
      Event("error bad hex");
      return;
    }
    Send(bytes);
  } else if (verb == "text") {
    Send(rest);
  } else if (verb == "xoff" || verb == "xon") {
    const bool silent = options_.silent;
    options_.silent = false;
    Send(std::string(1, verb == "xoff" ? kXoff : kXon));
    options_.silent = silent;
  } else if (verb == "read") {
    reading_ = on;
  } else if (verb == "echo") {
    options_.echo = on;
  } else if (verb == "silent") {
    options_.silent = on;
  } else if (verb == "play" && words.size() == 2) {
    options_.playFile = words[1];
    if (!LoadLines()) {
      Event("error cannot read " + words[1]);
      return;
    }
    PlayFrom(0);
  } else if (verb == "hangup") {
    HangUp();
  } else if (verb == "quit") {
    done_ = true;
  } else if (verb != "ping" && !behaviour_->OnCommand(*this, words)) {
    Event("error unknown command " + verb);
    return;
  }
  Event("ok " + verb);
}

int Simulator::Run() {
  bool stdinOpen = true;
  while (!done_ && !g_stop) {
    // A closed standard input would report POLLHUP for ever: leave it out.
    pollfd fds[2] = {{stdinOpen ? 0 : -1, POLLIN, 0},
                     {port_->Descriptor(), static_cast<short>(reading_ ? POLLIN : 0), 0}};
    int n = ::poll(fds, 2, NextTimeoutMs());
    if (n < 0 && errno != EINTR) break;
    const size_t got = n > 0 && (fds[1].revents & POLLIN) && reading_ ? OnReadable() : 0;
    if (n > 0 && (fds[1].revents & (POLLHUP | POLLERR)) && got == 0) {
      Event("hangup");  // socat or the device went away
      break;
    }
    if (n > 0 && (fds[0].revents & (POLLIN | POLLHUP))) {
      char buffer[1024];
      ssize_t got = ::read(0, buffer, sizeof buffer);
      if (got <= 0) {
        stdinOpen = false;
      } else {
        stdinBuffer_.append(buffer, static_cast<size_t>(got));
        size_t end;
        while (!done_ && (end = stdinBuffer_.find('\n')) != std::string::npos) {
          std::string command = stdinBuffer_.substr(0, end);
          stdinBuffer_.erase(0, end + 1);
          if (!command.empty() && command.back() == '\r') command.pop_back();
          OnCommand(command);
        }
      }
    }
    if (!done_) behaviour_->OnIdle(*this);
    if (!done_ && playing_ && !xoff_ && !options_.silent && Clock::now() >= nextSend_) {
      if (behaviour_->Play(*this))
        nextSend_ = Clock::now() + std::chrono::milliseconds(kBehaviourSliceMs);
      else
        PlayStep();
    }
  }
  return 0;
}

}  // namespace veltro::sim
