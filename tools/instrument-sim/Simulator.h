// The simulated instrument: one end of a serial line (a device, or a pty
// pair it creates with socat), a player that sends a file's lines, a store of
// what it receives, and injectable faults. Instrument protocols are
// behaviours (Behaviours.h) that react to received bytes and commands.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/SerialPort.h"

namespace veltro::sim {

using Clock = std::chrono::steady_clock;

struct Options {
  std::string device;    // the simulator's end of an existing line
  std::string pairLink;  // create a pty pair; the program's end is linked here
  bool cooked = false;   // leave the program's end of the pair as a fresh tty (cooked, echo, IXON)
  SerialSettings line;   // the simulator's end; bit rate and framing also set the pace
  std::string playFile;
  int paceMs = -1;       // pause after each line; -1 = the time the line takes at the bit rate
  std::string eol;       // "" keeps the file's line ends, else every line ends with this
  bool hold = false;     // play only after the command "start"
  int delayMs = 0;       // answer late: the first line (and each protocol answer) waits this long
  bool xonxoff = false;  // honour XON/XOFF from the program
  bool echo = false;
  std::string storeFile;  // received bytes are appended here
  std::string protocol = "plain";
  bool silent = false;    // never send anything
  int cutLine = 0;        // send only the first half of this line (from 1), then go silent
  int garbageLine = 0;    // send garbage bytes instead of this line
  int hangupLine = 0;     // hang up instead of sending this line
  bool noRead = false;    // start without reading the line
  // Faults of the acknowledged protocols.
  bool nakStorm = false;    // answer every block with NAK
  bool noAck = false;       // never answer a block
  int ackDelayMs = 0;       // answer this late
  int badCheckLine = 0;     // send this line (from 1) with a wrong check ...
  int badCheckTimes = 1;    // ... this many times
};

class Behaviour;

class Simulator {
 public:
  explicit Simulator(Options options);
  ~Simulator();
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  // Opens the line (creating the pair); false with a message on stderr.
  bool Start();
  // Runs until "quit", a hang-up, or a signal; answers the exit status.
  int Run();

  // For behaviours.
  const Options& Settings() const { return options_; }
  void Send(const std::string& bytes);
  const std::vector<std::string>& Lines() const { return lines_; }
  // Queues lines for the player from index first (0-based).
  void PlayFrom(size_t first);
  bool Playing() const { return playing_; }
  void StopPlaying() { playing_ = false; }
  // Milliseconds a text takes on the line at the configured rate and framing.
  int LineTimeMs(size_t bytes) const;
  void Event(const std::string& text);  // one line on stdout
  void HangUp();
  // Adds bytes to the store file.
  void Store(const std::string& bytes);

 private:
  bool CreatePair();
  bool LoadLines();
  size_t OnReadable();  // bytes read from the line
  void OnCommand(const std::string& line);
  void PlayStep();
  int NextTimeoutMs() const;
  void StopPair();

  Options options_;
  std::unique_ptr<SerialPort> port_;
  std::unique_ptr<Behaviour> behaviour_;
  std::vector<std::string> lines_;
  pid_t socat_ = -1;
  int store_ = -1;
  bool playing_ = false;
  bool xoff_ = false;
  bool reading_ = true;
  bool done_ = false;
  bool hungUp_ = false;
  size_t next_ = 0;
  Clock::time_point nextSend_;
  std::string stdinBuffer_;
  unsigned garbageSeed_ = 12345;
};

// Parses the command line; false with a message for a bad one.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error);
std::string Usage();

}  // namespace veltro::sim
