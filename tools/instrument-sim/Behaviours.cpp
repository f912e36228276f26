#include "tools/instrument-sim/Behaviours.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <chrono>
#include <thread>

#include "library/BlockCheck.h"
#include "tools/instrument-sim/Simulator.h"

namespace veltro::sim {
namespace {

// An instrument that sends its data when told to and takes what it gets:
// the player and the store do everything (ProMark 500 coordinate output).
class Plain : public Behaviour {};

// An instrument that sends one block at a time and waits for ACK or NAK,
// and acknowledges every block it takes (the block framing is documented
// with the library's line protocols). acknak: text + byte-sum check, ends
// with EOT; gsi: GSI words, ends with SUB and the line end. Faults: the
// Options of the acknowledged protocols, --cut-line (half a block, once),
// --garbage-line (once), --hangup-line.
class Acknowledged : public Behaviour {
 public:
  explicit Acknowledged(bool gsi) : gsi_(gsi) {}
  bool StoresItself() const override { return true; }

  bool Play(Simulator& sim) override {
    if (waiting_) return true;
    const Options& o = sim.Settings();
    const std::vector<std::string>& lines = sim.Lines();
    if (next_ >= lines.size()) {
      sim.Send(gsi_ ? std::string(1, kSub) + Eol(sim) : std::string(1, kEot));
      waiting_ = endSent_ = true;
      return true;
    }
    const int number = static_cast<int>(next_) + 1;
    if (number == o.hangupLine) {
      sim.HangUp();
      return true;
    }
    const std::string text = WithoutEnd(lines[next_]);
    std::string block = gsi_ ? text : text + Sum8Hex(text);
    if (number == o.badCheckLine && badChecks_ < o.badCheckTimes) {
      ++badChecks_;
      block.back() = block.back() == 'X' ? 'Y' : 'X';  // neither a blank nor a hex digit
    }
    if (number == o.cutLine && attempts_ == 0) {
      block.resize(std::max<size_t>(1, block.size() / 2));
      sim.Event("cut");
      sim.Send(block);
    } else if (number == o.garbageLine && attempts_ == 0) {
      sim.Send(std::string(block.size(), '\xff') + Eol(sim));
    } else {
      sim.Send(block + Eol(sim));
    }
    ++attempts_;
    waiting_ = true;
    return true;
  }

  void OnReceived(Simulator& sim, const std::string& bytes) override {
    for (char c : bytes) {
      if (waiting_ && in_.empty() && (c == kAck || c == kNak)) {
        waiting_ = false;
        if (c == kNak) continue;  // sent again at the next step
        attempts_ = 0;
        if (endSent_) {
          sim.StopPlaying();
          sim.Event("played");
        } else {
          ++next_;
        }
        continue;
      }
      in_ += c;
    }
    TakeBlocks(sim);
  }

 private:
  static std::string WithoutEnd(std::string line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    return line;
  }
  static std::string Eol(const Simulator& sim) { return sim.Settings().eol.empty() ? "\r\n" : sim.Settings().eol; }

  void Reply(Simulator& sim, char byte) {
    const Options& o = sim.Settings();
    if (o.noAck) return;
    if (o.nakStorm) byte = kNak;
    // A late instrument: nothing else happens meanwhile.
    if (o.ackDelayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(o.ackDelayMs));
    sim.Send(std::string(1, byte));
  }

  // Blocks from the program: stored when they check out.
  void TakeBlocks(Simulator& sim) {
    for (;;) {
      if (!in_.empty() && (in_[0] == kEot || in_[0] == kSub)) {
        const size_t end = in_.find('\n');
        in_ = end == std::string::npos || in_[0] == kEot ? std::string() : in_.substr(end + 1);
        sim.Event("end of data");
        Reply(sim, kAck);
        continue;
      }
      const size_t lf = in_.find('\n');
      const size_t cr = in_.find('\r');
      const size_t end = std::min(lf, cr);
      if (end == std::string::npos) return;
      std::string block = in_.substr(0, end);
      size_t next = end + 1;
      if (in_[end] == '\r' && next < in_.size() && in_[next] == '\n') ++next;
      in_.erase(0, next);
      if (gsi_ && Command(sim, block)) continue;
      std::string text = block;
      const bool ok = gsi_ ? CheckGsiWords(block) : CheckSum8Hex(block, text);
      if (ok && !sim.Settings().nakStorm) sim.Store(text + "\r\n");
      Reply(sim, ok ? kAck : kNak);
    }
  }

  // The job commands of an instrument with projects and code lists
  // (documented with the library's InstrumentCommands.cpp).
  bool Command(Simulator& sim, const std::string& line) {
    std::map<int, std::string>* lists[] = {&projects_, &codeLists_};
    const char* names[] = {"PROJECT", "CODELIST"};
    if (line == "GET INSTRUMENT") {
      sim.Send("TPS110 1234567\r\n");
      return true;
    }
    for (int k = 0; k < 2; ++k) {
      const std::string name = names[k];
      std::map<int, std::string>& list = *lists[k];
      if (line == "GET " + name + "S") {
        for (const auto& [number, title] : list) sim.Send(title + "," + std::to_string(number) + "\r\n");
        sim.Send("END\r\n");
        return true;
      }
      for (const std::string verb : {"CLEAR ", "SET "}) {
        if (line.rfind(verb + name + " ", 0) != 0) continue;
        const std::string args = line.substr(verb.size() + name.size() + 1);
        const int number = std::atoi(args.c_str());
        const size_t comma = args.find(',');
        const bool known = list.count(number) > 0 || verb == "SET ";
        if (known) {
          if (verb == "CLEAR ") list[number].clear();
          else list[number] = comma == std::string::npos ? std::string() : args.substr(comma + 1);
          sim.Event(verb + name + " " + std::to_string(number) + " " + list[number]);
        }
        sim.Send(known ? "OK\r\n" : "ERROR\r\n");
        return true;
      }
    }
    return false;
  }

  bool gsi_;
  std::map<int, std::string> projects_ = {{1, "JOB1"}, {2, "BAU"}};
  std::map<int, std::string> codeLists_ = {{1, "CODES"}};
  size_t next_ = 0;
  int attempts_ = 0;
  int badChecks_ = 0;
  bool waiting_ = false;
  bool endSent_ = false;
  std::string in_;
};

// A GPS receiver that sends its waypoints (the played lines) only when
// asked with the request sentence, and then the end sentence.
class GpsReceiver : public Behaviour {
 public:
  void OnReceived(Simulator& sim, const std::string& bytes) override {
    in_ += bytes;
    const std::string request = NmeaSentence(kGpsRequest);
    if (const size_t p = in_.find(request); p != std::string::npos && in_.find('\n', p) != std::string::npos) {
      in_.clear();
      sim.Event("request");
      sim.PlayFrom(0);
      sending_ = true;
    }
  }
  void OnIdle(Simulator& sim) override {
    if (!sending_ || sim.Playing()) return;
    sending_ = false;
    sim.Send(NmeaSentence(kGpsEnd) + "\r\n");
  }

 private:
  std::string in_;
  bool sending_ = false;
};

// A REC 500 recorder: plays its lines once the program sent DC1 (ready);
// the command "ready" sends its own DC1 (data input started).
class Rec500Recorder : public Behaviour {
 public:
  void OnReceived(Simulator& sim, const std::string& bytes) override {
    if (asked_ || bytes.find(kDc1) == std::string::npos) return;
    asked_ = true;
    sim.Event("asked");
    sim.PlayFrom(0);
  }
  bool OnCommand(Simulator& sim, const std::vector<std::string>& words) override {
    if (words[0] != "ready") return false;
    sim.Send(std::string(1, kDc1));
    return true;
  }

 private:
  bool asked_ = false;
};

}  // namespace

const std::vector<BehaviourEntry>& Behaviours() {
  static const std::vector<BehaviourEntry> table = {
      {"plain", "sends the played lines, stores what it receives",
       []() -> std::unique_ptr<Behaviour> { return std::make_unique<Plain>(); }},
      {"acknak", "one block at a time with a byte-sum check, ACK/NAK answers, EOT at the end",
       []() -> std::unique_ptr<Behaviour> { return std::make_unique<Acknowledged>(false); }},
      {"gsi", "one GSI block at a time, ACK/NAK answers, SUB at the end",
       []() -> std::unique_ptr<Behaviour> { return std::make_unique<Acknowledged>(true); }},
      {"gps", "sends the played lines when asked with $PMGNCMD,WAYPOINT, then $PMGNCMD,END",
       []() -> std::unique_ptr<Behaviour> { return std::make_unique<GpsReceiver>(); }},
      {"rec500", "plays once it receives DC1; the command \"ready\" sends DC1",
       []() -> std::unique_ptr<Behaviour> { return std::make_unique<Rec500Recorder>(); }},
  };
  return table;
}

std::unique_ptr<Behaviour> MakeBehaviour(const std::string& name) {
  for (const BehaviourEntry& e : Behaviours())
    if (name == e.name) return e.make();
  return nullptr;
}

}  // namespace veltro::sim
