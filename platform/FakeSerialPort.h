// A scripted serial line for unit tests: what a pty cannot show (framing,
// parity, modem lines, queue counts, partial writes, refusals). The test
// keeps the FakeSerialLine, installs FakeSerialOpener(line) with
// SetSerialOpener, and reads back what the code under test did.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/SerialPort.h"

namespace veltro {

struct FakeSerialLine {
  // Script.
  SerialStatus openStatus = SerialStatus::Ok;  // what opening answers
  // Answers a reason to refuse settings ("" = take them); the platform's own
  // refusals apply first.
  std::function<std::string(const SerialSettings&)> refuse;
  // One chunk per Wait() moves into the input queue.
  std::deque<std::string> arriving;
  size_t acceptPerWrite = std::numeric_limits<size_t>::max();  // the driver takes at most this per write
  size_t sendPerWait = 0;     // bytes that leave the output queue per Wait()
  bool hangUpWhenIdle = false;  // hang up once nothing is left to arrive

  // State and record.
  std::string inQueue;
  size_t outQueue = 0;
  bool hungUp = false;
  bool open = false;
  std::string sent;                     // every byte the driver took
  std::vector<size_t> writeRequests;    // size of every Write() call that passed bytes
  std::vector<SerialSettings> configured;  // every accepted Configure()
  std::vector<std::string> paths;       // every opened path
  int inputPurges = 0;
  int outputPurges = 0;
  int drains = 0;
  int waits = 0;
  int closes = 0;
  bool dtr = true;
  bool rts = true;
};

SerialOpener FakeSerialOpener(std::shared_ptr<FakeSerialLine> line);

}  // namespace veltro
