#include "library/Communication.h"

#include <algorithm>
#include <chrono>

#include "platform/SerialDevices.h"

namespace veltro {
namespace {

constexpr unsigned kBreakTimeBase = 10000;      // BreakTime = this / bit rate
constexpr unsigned kReadIntervalBase = 100000;  // ms between bytes = this / bit rate
constexpr unsigned kMsPerSecond = 1000;
constexpr unsigned kTotalTimeoutConstantMs = 100;

// Every failure of an open device: on Linux the far end closing, a pulled
// adapter and a failing driver all look alike.
constexpr const char* kLineGone = ": the line was hung up (device removed or far end closed)";

std::string PortName(TPort port) { return "COM" + std::to_string(static_cast<int>(port)); }

SerialFlow FlowOf(TFlowControl flow) {
  switch (flow) {
    case tfcXONXOFF:
      return SerialFlow::XonXoff;
    case tfcCTSRTS:
      return SerialFlow::RtsCts;
    case tfcDSRDTR:
      return SerialFlow::DsrDtr;
    default:
      // ACK/NAK, GSI and REC 500 are run by the instrument library itself.
      return SerialFlow::None;
  }
}

}  // namespace

TCommTimeouts TimeoutsFor(TBaudRate baudRate) {
  TCommTimeouts t;
  const unsigned rate = static_cast<unsigned>(BaudRateValue(baudRate));
  if (rate == 0) return t;
  t.ReadInterval = kReadIntervalBase / rate;
  t.ReadTotalMultiplier = kMsPerSecond / rate + 1;
  t.ReadTotalConstant = kTotalTimeoutConstantMs;
  t.WriteTotalMultiplier = kMsPerSecond / rate + 1;
  t.WriteTotalConstant = kTotalTimeoutConstantMs;
  return t;
}

TCommunication::~TCommunication() {
  pump_ = nullptr;
  Close(true);
}

SerialSettings TCommunication::PlatformSettings() const {
  SerialSettings s;
  s.baudRate = BaudRateValue(baudRate_);
  s.dataBits = IsOrdinalOf<TDataBits>(dataBits_) ? 4 + dataBits_ : 0;
  s.parity = static_cast<SerialParity>(parity_);
  s.stopBits = static_cast<SerialStopBits>(stopBits_);
  s.flow = FlowOf(flowControl_);
  s.xonChar = xonChar_;
  s.xoffChar = xoffChar_;
  s.parityCheck = parityErrorDetect_;
  s.replaceErrors = parityReplacement_;
  s.parityChar = parityChar_;
  return s;
}

void TCommunication::SetPort(TPort port) {
  Close(true);
  port_ = port;
  if (port == tptNone) return;
  lastError_.clear();
  hungUp_ = false;
  const std::string path = IsOrdinalOf<TPort>(port) ? SerialDevicePath(port) : std::string();
  std::string why;
  std::unique_ptr<SerialPort> device;
  if (OpenSerialPort(path, device, &why) != SerialStatus::Ok || !device) {
    lastError_ = PortName(port) + ": " + (why.empty() ? "cannot be opened" : why);
    return;
  }
  device_ = std::move(device);
  device_->Purge(true, true);
  // The Linux tty driver sizes its own queues: ReadBufferSize and
  // WriteBufferSize only shape the write chunks.
  ApplySettings();
}

void TCommunication::Abort() { Close(false); }

void TCommunication::ApplySettings() {
  if (!device_) return;
  const int rate = BaudRateValue(baudRate_);
  if (rate > 0) breakTime_ = kBreakTimeBase / static_cast<unsigned>(rate);
  std::string why;
  if (!IsOrdinalOf<TBaudRate>(baudRate_) || !IsOrdinalOf<TParity>(parity_) || !IsOrdinalOf<TDataBits>(dataBits_) ||
      !IsOrdinalOf<TStopBits>(stopBits_) || !IsOrdinalOf<TFlowControl>(flowControl_)) {
    why = "a setting is out of range";
  } else if (device_->Configure(PlatformSettings(), &why) == SerialStatus::Ok) {
    return;
  }
  // Never run a line with other settings than the ones chosen.
  Fail(PortName(port_) + ": " + (why.empty() ? "the settings are refused" : why), false);
}

void TCommunication::Close(bool drain) {
  if (!device_) return;
  bool drained = false;
  if (drain) {
    // write() returns before the bytes leave: let the queue empty first.
    const TCommTimeouts t = Timeouts();
    size_t queued = 0;
    device_->OutQueue(queued);
    const auto bound = std::chrono::milliseconds(t.WriteTotalMultiplier * queued + t.WriteTotalConstant);
    const auto deadline = std::chrono::steady_clock::now() + bound;
    SerialStatus st;
    while ((st = device_->Drain(kCommPollSliceMs)) == SerialStatus::Timeout &&
           std::chrono::steady_clock::now() < deadline) {
      RunPump();
      if (!device_) return;
    }
    drained = st == SerialStatus::Ok;
  }
  // Bytes that left the queue may still wait at the far end of a pty or an
  // adapter: flushing the output then would drop the tail of a send.
  device_->Purge(true, !drained);
  device_.reset();
}

void TCommunication::Fail(const std::string& why, bool hangUp) {
  lastError_ = why;
  hungUp_ = hangUp;
  Close(false);
}

bool TCommunication::RunPump() { return pump_ ? pump_(pumpContext_) : true; }

unsigned TCommunication::QueueCount(bool input) {
  if (!device_) return 0;
  size_t n = 0;
  if ((input ? device_->InQueue(n) : device_->OutQueue(n)) != SerialStatus::Ok) {
    Fail(PortName(port_) + kLineGone, true);
    return 0;
  }
  return static_cast<unsigned>(std::min<size_t>(n, 0xFFFFFFFFu));
}

std::string TCommunication::ReadAvailable() {
  while (device_) {
    const unsigned queued = InQueueCount();
    if (!device_) break;
    if (queued > 0) {
      std::string bytes(queued, '\0');
      size_t got = 0;
      if (device_->Read(bytes.data(), bytes.size(), got) != SerialStatus::Ok) {
        Fail(PortName(port_) + kLineGone, true);
        break;
      }
      bytes.resize(got);
      if (nullStrip_) bytes.erase(std::remove(bytes.begin(), bytes.end(), '\0'), bytes.end());
      if (!bytes.empty()) return bytes;
    }
    if (!RunPump() || !device_) break;
    const SerialWaitResult w = device_->Wait(false, kCommPollSliceMs);
    size_t left = 0;
    if (w.hungUp && (device_->InQueue(left) != SerialStatus::Ok || left == 0)) {
      Fail(PortName(port_) + kLineGone, true);
      break;
    }
  }
  return {};
}

bool TCommunication::WriteAll(const std::string& text) {
  if (!device_) return false;
  // A quarter of the input buffer per write, at least one byte.
  const size_t chunk = std::max<size_t>(1, readBufferSize_ / 4);
  size_t done = 0;
  while (device_ && done < text.size()) {
    bool queueFull = OutQueueCount() >= 3 * chunk;
    if (!device_) break;
    size_t written = 0;
    if (!queueFull &&
        device_->Write(text.data() + done, std::min(chunk, text.size() - done), written) != SerialStatus::Ok) {
      Fail(PortName(port_) + kLineGone, true);
      break;
    }
    done += written;
    if (!RunPump() || !device_) break;
    if (done == text.size()) break;
    if (queueFull) {
      device_->Sleep(kCommPollSliceMs);
    } else if (written == 0 && device_->Wait(true, kCommPollSliceMs).hungUp) {
      Fail(PortName(port_) + kLineGone, true);
      break;
    }
  }
  return done == text.size();
}

bool TCommunication::Drain() {
  while (device_) {
    const SerialStatus st = device_->Drain(kCommPollSliceMs);
    if (st == SerialStatus::Ok) return true;
    if (st != SerialStatus::Timeout) {
      Fail(PortName(port_) + kLineGone, true);
      return false;
    }
    if (!RunPump()) return false;
  }
  return false;
}

}  // namespace veltro
