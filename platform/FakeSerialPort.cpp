#include "platform/FakeSerialPort.h"

#include <algorithm>

namespace veltro {
namespace {

class FakeSerialPort : public SerialPort {
 public:
  explicit FakeSerialPort(std::shared_ptr<FakeSerialLine> line) : line_(std::move(line)) { line_->open = true; }
  ~FakeSerialPort() override {
    line_->open = false;
    ++line_->closes;
  }

  SerialStatus Configure(const SerialSettings& s, std::string* why) override {
    std::string refusal = SerialSettingsRefusal(s);
    if (refusal.empty() && line_->refuse) refusal = line_->refuse(s);
    if (!refusal.empty()) {
      if (why) *why = refusal;
      return SerialStatus::Unsupported;
    }
    line_->configured.push_back(s);
    return SerialStatus::Ok;
  }

  SerialStatus ReadBack(SerialSettings& s) override {
    if (line_->configured.empty()) return SerialStatus::Io;
    s = line_->configured.back();
    return SerialStatus::Ok;
  }

  SerialStatus InQueue(size_t& count) override {
    count = line_->inQueue.size();
    return line_->hungUp && count == 0 ? SerialStatus::Io : SerialStatus::Ok;
  }

  SerialStatus OutQueue(size_t& count) override {
    count = line_->outQueue;
    return SerialStatus::Ok;
  }

  SerialStatus Read(char* buffer, size_t size, size_t& got) override {
    got = std::min(size, line_->inQueue.size());
    std::copy_n(line_->inQueue.data(), got, buffer);
    line_->inQueue.erase(0, got);
    return SerialStatus::Ok;
  }

  SerialStatus Write(const char* data, size_t size, size_t& written) override {
    written = 0;
    if (line_->hungUp) return SerialStatus::Io;
    if (size == 0) return SerialStatus::Ok;
    line_->writeRequests.push_back(size);
    written = std::min(size, line_->acceptPerWrite);
    line_->sent.append(data, written);
    line_->outQueue += written;
    return SerialStatus::Ok;
  }

  SerialStatus Drain(int) override {
    ++line_->drains;
    line_->outQueue = 0;
    return SerialStatus::Ok;
  }

  SerialStatus Purge(bool input, bool output) override {
    if (input) {
      ++line_->inputPurges;
      line_->inQueue.clear();
    }
    if (output) {
      ++line_->outputPurges;
      line_->outQueue = 0;
    }
    return SerialStatus::Ok;
  }

  SerialStatus SetDtr(bool on) override {
    line_->dtr = on;
    return SerialStatus::Ok;
  }
  SerialStatus SetRts(bool on) override {
    line_->rts = on;
    return SerialStatus::Ok;
  }

  void Sleep(int) override { Pass(); }

  SerialWaitResult Wait(bool forWrite, int) override {
    Pass();
    SerialWaitResult r;
    r.readable = !line_->inQueue.empty();
    r.writable = forWrite && line_->acceptPerWrite > 0;
    r.hungUp = line_->hungUp;
    return r;
  }

 private:
  // Time passes: bytes leave, the next chunk arrives.
  void Pass() {
    ++line_->waits;
    line_->outQueue -= std::min(line_->outQueue, line_->sendPerWait);
    if (!line_->arriving.empty()) {
      line_->inQueue += line_->arriving.front();
      line_->arriving.pop_front();
    } else if (line_->hangUpWhenIdle) {
      line_->hungUp = true;
    }
  }

  std::shared_ptr<FakeSerialLine> line_;
};

}  // namespace

SerialOpener FakeSerialOpener(std::shared_ptr<FakeSerialLine> line) {
  return [line](const std::string& path, std::unique_ptr<SerialPort>& port, std::string* why) {
    port.reset();
    line->paths.push_back(path);
    if (line->openStatus != SerialStatus::Ok) {
      if (why) *why = path + ": " + SerialStatusName(line->openStatus);
      return line->openStatus;
    }
    if (line->open) {
      if (why) *why = path + " is in use by another program";
      return SerialStatus::NoAccess;
    }
    port = std::make_unique<FakeSerialPort>(line);
    return SerialStatus::Ok;
  };
}

}  // namespace veltro
