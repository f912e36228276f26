// TCommunication: the instrument library's serial port component. Setting
// Port opens "COM"n (the device that platform/SerialDevices maps it to) with
// the stored settings; settings set while open are applied at once.
// ReadAvailable and WriteAll wait in short poll() slices and run the pump
// between them, so the host's timers and cancel button keep working.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "instruments/Communication.h"
#include "platform/SerialPort.h"

namespace veltro {

enum TEvent : std::uint8_t {
  tceBreak,
  tceCts,
  tceDsr,
  tceErr,
  tceRing,
  tceRlsd,
  tceRxChar,
  tceRxFlag,
  tceTxEmpty,
};
using TEvents = TEnumSet<TEvent, std::uint16_t>;

// Runs once per pass of every wait: pending window messages, timers. Code it
// runs may close the port, which ends the wait; answering false ends the wait
// with the port left open (a cancelled read).
using TPumpFunction = bool (*)(void* context);

// Wait slice between two pump passes, in ms.
inline constexpr int kCommPollSliceMs = 10;

// Time-outs of the line in ms, derived from the bit rate.
struct TCommTimeouts {
  unsigned ReadInterval = 0;          // between two received bytes
  unsigned ReadTotalMultiplier = 0;   // per byte of a read
  unsigned ReadTotalConstant = 0;
  unsigned WriteTotalMultiplier = 0;  // per byte of a write
  unsigned WriteTotalConstant = 0;
};
TCommTimeouts TimeoutsFor(TBaudRate baudRate);

class TCommunication {
 public:
  TCommunication() = default;
  ~TCommunication();
  TCommunication(const TCommunication&) = delete;
  TCommunication& operator=(const TCommunication&) = delete;

  // Opens "COM"n after closing what is open; tptNone only closes. The close
  // drains what is still queued for sending (bounded by the write time-out).
  TPort Port() const { return port_; }
  void SetPort(TPort port);
  // Closes at once, discarding both queues (time-out, cancel).
  void Abort();

  TBaudRate BaudRate() const { return baudRate_; }
  void SetBaudRate(TBaudRate v) { Store(baudRate_, v); }
  TParity Parity() const { return parity_; }
  void SetParity(TParity v) { Store(parity_, v); }
  TDataBits DataBits() const { return dataBits_; }
  void SetDataBits(TDataBits v) { Store(dataBits_, v); }
  TStopBits StopBits() const { return stopBits_; }
  void SetStopBits(TStopBits v) { Store(stopBits_, v); }
  unsigned ReadBufferSize() const { return readBufferSize_; }
  void SetReadBufferSize(unsigned v) { readBufferSize_ = v; }
  unsigned WriteBufferSize() const { return writeBufferSize_; }
  void SetWriteBufferSize(unsigned v) { writeBufferSize_ = v; }
  // 10000 / bit rate, set whenever the settings are applied to an open port.
  unsigned BreakTime() const { return breakTime_; }
  void SetBreakTime(unsigned v) { breakTime_ = v; }
  unsigned WaitBreakTime() const { return waitBreakTime_; }
  void SetWaitBreakTime(unsigned v) { waitBreakTime_ = v; }
  TEvents EventMask() const { return eventMask_; }
  void SetEventMask(TEvents v) { eventMask_ = v; }
  std::uint8_t XONChar() const { return xonChar_; }
  void SetXONChar(std::uint8_t v) { Store(xonChar_, v); }
  std::uint8_t XOFFChar() const { return xoffChar_; }
  void SetXOFFChar(std::uint8_t v) { Store(xoffChar_, v); }
  std::uint16_t Resume() const { return resume_; }
  void SetResume(std::uint16_t v) { Store(resume_, v); }
  std::uint16_t Pause() const { return pause_; }
  void SetPause(std::uint16_t v) { Store(pause_, v); }
  std::uint8_t EventChar() const { return eventChar_; }
  void SetEventChar(std::uint8_t v) { Store(eventChar_, v); }
  bool ParityErrorDetect() const { return parityErrorDetect_; }
  void SetParityErrorDetect(bool v) { Store(parityErrorDetect_, v); }
  bool ParityReplacement() const { return parityReplacement_; }
  void SetParityReplacement(bool v) { Store(parityReplacement_, v); }
  std::uint8_t ParityChar() const { return parityChar_; }
  void SetParityChar(std::uint8_t v) { Store(parityChar_, v); }
  // Received zero bytes are discarded.
  bool NullStrip() const { return nullStrip_; }
  void SetNullStrip(bool v) { Store(nullStrip_, v); }
  unsigned ReadFull() const { return readFull_; }
  void SetReadFull(unsigned v) { readFull_ = v; }
  TFlowControl FlowControl() const { return flowControl_; }
  void SetFlowControl(TFlowControl v) { Store(flowControl_, v); }
  TEndofLine EndofLine() const { return endofLine_; }
  void SetEndofLine(TEndofLine v) { Store(endofLine_, v); }

  bool IsOpen() const { return device_ != nullptr; }
  // Waits until bytes are queued and answers all of them. Empty when the
  // port is closed or closes during the wait, or when the pump ends it.
  std::string ReadAvailable();
  // Sends text in chunks of ReadBufferSize / 4 while the output queue holds
  // less than three chunks; true when every byte was taken. Ends early when
  // the port closes or the pump ends the wait.
  bool WriteAll(const std::string& text);
  // Waits until every queued byte has left the driver; false when the port
  // closes meanwhile or the pump ends the wait.
  bool Drain();
  // Discards what has arrived and not been read.
  void PurgeInput() {
    if (device_) device_->Purge(true, false);
  }
  unsigned InQueueCount() { return QueueCount(true); }
  unsigned OutQueueCount() { return QueueCount(false); }

  void SetPump(TPumpFunction pump, void* context) {
    pump_ = pump;
    pumpContext_ = context;
  }
  // Why the port is not open (device missing, in use, a setting refused),
  // or why it closed; "" while nothing failed.
  const std::string& LastError() const { return lastError_; }
  // The port closed itself because the far end hung up or the device failed.
  bool HungUp() const { return hungUp_; }
  TCommTimeouts Timeouts() const { return TimeoutsFor(baudRate_); }
  // The platform settings the enumerated properties stand for.
  SerialSettings PlatformSettings() const;

 private:
  template <class T>
  void Store(T& field, T value) {
    field = value;
    if (IsOpen()) ApplySettings();
  }
  void ApplySettings();
  void Close(bool drain);
  void Fail(const std::string& why, bool hangUp);
  bool RunPump();
  unsigned QueueCount(bool input);

  TPort port_ = tptNone;
  TBaudRate baudRate_ = tbr9600;
  TParity parity_ = tpNone;
  TDataBits dataBits_ = tdbEight;
  TStopBits stopBits_ = tsbOne;
  unsigned readBufferSize_ = 8192;
  unsigned writeBufferSize_ = 8192;
  unsigned breakTime_ = 2000;
  unsigned waitBreakTime_ = 10000;
  TEvents eventMask_;
  std::uint8_t xonChar_ = 17;
  std::uint8_t xoffChar_ = 19;
  std::uint16_t resume_ = 1024;
  std::uint16_t pause_ = 2048;
  std::uint8_t eventChar_ = 0;
  bool parityErrorDetect_ = false;
  bool parityReplacement_ = false;
  std::uint8_t parityChar_ = 0;
  bool nullStrip_ = false;
  unsigned readFull_ = 7168;
  TFlowControl flowControl_ = tfcNone;
  TEndofLine endofLine_ = teolNone;

  std::unique_ptr<SerialPort> device_;
  TPumpFunction pump_ = nullptr;
  void* pumpContext_ = nullptr;
  std::string lastError_;
  bool hungUp_ = false;
};

}  // namespace veltro
