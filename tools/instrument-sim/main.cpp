// instrument-sim: a simulated instrument on a serial line, for the serial
// tests and for trying the program without an instrument.
//
//   instrument-sim --pair /tmp/com1 --play tests/data/tavrin/koordinaten.txt
//
// creates a pty pair whose program end is /tmp/com1 (point the setting
// Ports\COM1 or VELTRO_COM1 at it) and sends the file's lines at the pace of
// 9600 bit/s. Commands on standard input (one per line) steer it while it
// runs; every command is answered "ok <command>" on standard output.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/instrument-sim/Behaviours.h"
#include "tools/instrument-sim/Simulator.h"

namespace veltro::sim {
namespace {

bool ToInt(const char* text, int& value) {
  char* end = nullptr;
  long v = std::strtol(text, &end, 10);
  if (!end || *end || end == text || v < 0 || v > 1 << 30) return false;
  value = static_cast<int>(v);
  return true;
}

}  // namespace

std::string Usage() {
  std::string text =
      "usage: instrument-sim [options] (--pair LINK | DEVICE)\n"
      "  --pair LINK        create a pty pair; the program opens LINK\n"
      "  --cooked           leave LINK a fresh tty (cooked, echo, XON/XOFF)\n"
      "  --baud N           bit rate (default 9600); with the framing it sets the pace\n"
      "  --data-bits N      5 to 8 (default 8)\n"
      "  --parity P         none, odd, even, mark, space (default none)\n"
      "  --stop-bits N      1 or 2 (default 1)\n"
      "  --play FILE        send the lines of FILE\n"
      "  --pace MS          pause after each line (default: the line's time at the bit rate)\n"
      "  --eol cr|lf|crlf   end every line so (default: as in the file)\n"
      "  --hold             play only after the command \"start\"\n"
      "  --delay MS         answer late: wait MS before the first line\n"
      "  --xonxoff          pause while the program sends XOFF\n"
      "  --echo             send back what is received\n"
      "  --store FILE       write what is received to FILE\n"
      "  --protocol NAME    instrument protocol (default plain)\n"
      "  --silent           never answer\n"
      "  --cut-line N       send half of line N, then nothing more\n"
      "  --garbage-line N   send garbage bytes instead of line N\n"
      "  --hangup-line N    hang up instead of sending line N\n"
      "  --no-read          do not read the line (until \"read on\")\n"
      "  --nak-storm        (acknak, gsi) answer every block with NAK\n"
      "  --no-ack           (acknak, gsi) never answer a block\n"
      "  --ack-delay MS     (acknak, gsi) answer every block MS late\n"
      "  --bad-check-line N (acknak, gsi) send line N with a wrong check\n"
      "  --bad-check-times K  ... K times (default 1)\n"
      "commands: start, send HEX, text TEXT, xon, xoff, read on|off, echo on|off,\n"
      "  silent on|off, play FILE, hangup, ping, quit\n"
      "protocols:\n";
  for (const BehaviourEntry& e : Behaviours()) text += std::string("  ") + e.name + "  " + e.description + "\n";
  return text;
}

bool ParseOptions(int argc, char** argv, Options& o, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](const char*& out) {
      if (i + 1 >= argc) {
        error = arg + " needs a value";
        return false;
      }
      out = argv[++i];
      return true;
    };
    auto number = [&](int& out) {
      const char* v = nullptr;
      if (!value(v)) return false;
      if (!ToInt(v, out)) {
        error = arg + ": not a number: " + v;
        return false;
      }
      return true;
    };
    const char* v = nullptr;
    if (arg == "--pair") {
      if (!value(v)) return false;
      o.pairLink = v;
    } else if (arg == "--cooked") {
      o.cooked = true;
    } else if (arg == "--baud") {
      if (!number(o.line.baudRate)) return false;
    } else if (arg == "--data-bits") {
      if (!number(o.line.dataBits)) return false;
    } else if (arg == "--parity") {
      if (!value(v)) return false;
      const std::string p = v;
      if (p == "none") o.line.parity = SerialParity::None;
      else if (p == "odd") o.line.parity = SerialParity::Odd;
      else if (p == "even") o.line.parity = SerialParity::Even;
      else if (p == "mark") o.line.parity = SerialParity::Mark;
      else if (p == "space") o.line.parity = SerialParity::Space;
      else {
        error = "unknown parity " + p;
        return false;
      }
    } else if (arg == "--stop-bits") {
      int n = 0;
      if (!number(n)) return false;
      if (n != 1 && n != 2) {
        error = "--stop-bits takes 1 or 2";
        return false;
      }
      o.line.stopBits = n == 1 ? SerialStopBits::One : SerialStopBits::Two;
    } else if (arg == "--play") {
      if (!value(v)) return false;
      o.playFile = v;
    } else if (arg == "--pace") {
      if (!number(o.paceMs)) return false;
    } else if (arg == "--eol") {
      if (!value(v)) return false;
      const std::string e = v;
      if (e == "cr") o.eol = "\r";
      else if (e == "lf") o.eol = "\n";
      else if (e == "crlf") o.eol = "\r\n";
      else {
        error = "unknown line end " + e;
        return false;
      }
    } else if (arg == "--hold") {
      o.hold = true;
    } else if (arg == "--delay") {
      if (!number(o.delayMs)) return false;
    } else if (arg == "--xonxoff") {
      o.xonxoff = true;
    } else if (arg == "--echo") {
      o.echo = true;
    } else if (arg == "--store") {
      if (!value(v)) return false;
      o.storeFile = v;
    } else if (arg == "--protocol") {
      if (!value(v)) return false;
      o.protocol = v;
    } else if (arg == "--silent") {
      o.silent = true;
    } else if (arg == "--cut-line") {
      if (!number(o.cutLine)) return false;
    } else if (arg == "--garbage-line") {
      if (!number(o.garbageLine)) return false;
    } else if (arg == "--hangup-line") {
      if (!number(o.hangupLine)) return false;
    } else if (arg == "--no-read") {
      o.noRead = true;
    } else if (arg == "--nak-storm") {
      o.nakStorm = true;
    } else if (arg == "--no-ack") {
      o.noAck = true;
    } else if (arg == "--ack-delay") {
      if (!number(o.ackDelayMs)) return false;
    } else if (arg == "--bad-check-line") {
      if (!number(o.badCheckLine)) return false;
    } else if (arg == "--bad-check-times") {
      if (!number(o.badCheckTimes)) return false;
    } else if (!arg.empty() && arg[0] != '-' && o.device.empty()) {
      o.device = arg;
    } else {
      error = "unknown option " + arg;
      return false;
    }
  }
  if (o.device.empty() == o.pairLink.empty()) {
    error = "give either --pair LINK or a DEVICE";
    return false;
  }
  if (!SerialSettingsRefusal(o.line).empty()) {
    error = SerialSettingsRefusal(o.line);
    return false;
  }
  return true;
}

}  // namespace veltro::sim

int main(int argc, char** argv) {
  using namespace veltro::sim;
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(Usage().c_str(), stdout);
    return 0;
  }
  Options options;
  std::string error;
  if (!ParseOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "instrument-sim: %s\n%s", error.c_str(), Usage().c_str());
    return 64;
  }
  Simulator simulator(std::move(options));
  if (!simulator.Start()) return 1;
  return simulator.Run();
}
