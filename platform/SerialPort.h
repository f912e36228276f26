// A serial line: a device (/dev/ttyS*, /dev/ttyUSB*, /dev/ttyACM*), a
// pseudo-terminal, or a scripted fake. Every call returns at once: reads and
// writes move what the driver takes without blocking, and Wait() is the one
// short sleep, so callers build their own waits that pump messages.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace veltro {

enum class SerialStatus { Ok, Unsupported, InvalidArgument, NoDevice, NoAccess, Io, Timeout };

const char* SerialStatusName(SerialStatus status);

enum class SerialParity { None, Odd, Even, Mark, Space };
enum class SerialStopBits { One, OnePointFive, Two };
enum class SerialFlow { None, XonXoff, RtsCts, DsrDtr };

struct SerialSettings {
  int baudRate = 9600;  // bit/s
  int dataBits = 8;
  SerialParity parity = SerialParity::None;
  SerialStopBits stopBits = SerialStopBits::One;
  SerialFlow flow = SerialFlow::None;
  unsigned char xonChar = 0x11;
  unsigned char xoffChar = 0x13;
  // Received bytes are checked for parity and framing errors; a byte with an
  // error is delivered as received, or as parityChar with replaceErrors.
  bool parityCheck = false;
  bool replaceErrors = false;
  unsigned char parityChar = 0;

  friend bool operator==(const SerialSettings&, const SerialSettings&) = default;
};

// Why the platform cannot run these settings exactly (4 data bits, 1.5 stop
// bits, DSR/DTR handshake, a rate of 0); "" when it can try.
std::string SerialSettingsRefusal(const SerialSettings& settings);

// What a Wait() saw.
struct SerialWaitResult {
  bool readable = false;
  bool writable = false;
  bool hungUp = false;  // the far end went away (adapter pulled, pty closed)
};

class SerialPort {
 public:
  virtual ~SerialPort() = default;

  // Applies every setting from a raw line: no echo, no line editing, no
  // translation of CR or LF, no flow control but the one chosen. A setting
  // the device does not take exactly is refused (Unsupported) with the
  // reason in *why.
  virtual SerialStatus Configure(const SerialSettings& settings, std::string* why) = 0;
  // The settings as the device holds them now.
  virtual SerialStatus ReadBack(SerialSettings& settings) = 0;

  // Bytes waiting in the driver's input and output queues.
  virtual SerialStatus InQueue(size_t& count) = 0;
  virtual SerialStatus OutQueue(size_t& count) = 0;
  // Moves up to size received bytes into buffer; got 0 when none is waiting.
  virtual SerialStatus Read(char* buffer, size_t size, size_t& got) = 0;
  // Hands up to size bytes to the driver; written 0 when it takes none now
  // (queue full, stopped by XOFF or CTS).
  virtual SerialStatus Write(const char* data, size_t size, size_t& written) = 0;
  // Waits for the output queue to empty, at most timeoutMs; Timeout when the
  // bytes are still queued.
  virtual SerialStatus Drain(int timeoutMs) = 0;
  // Discards what is queued.
  virtual SerialStatus Purge(bool input, bool output) = 0;
  // Modem lines; a line without them (pty) answers Ok.
  virtual SerialStatus SetDtr(bool on) = 0;
  virtual SerialStatus SetRts(bool on) = 0;
  // Sleeps up to timeoutMs until the line is readable (or writable, with
  // forWrite) or hung up.
  virtual SerialWaitResult Wait(bool forWrite, int timeoutMs) = 0;
  // Sleeps timeoutMs whatever the line does.
  virtual void Sleep(int timeoutMs) = 0;
  // Descriptor for poll() beside other files; -1 for the fake.
  virtual int Descriptor() const { return -1; }
};

// Opens path for reading and writing, exclusively: a second opener (this or
// another program) is refused with NoAccess. The line starts raw at 9600 8N1.
using SerialOpener =
    std::function<SerialStatus(const std::string& path, std::unique_ptr<SerialPort>& port, std::string* why)>;
SerialStatus OpenSerialPort(const std::string& path, std::unique_ptr<SerialPort>& port, std::string* why);

// Replaces the device access of OpenSerialPort (tests use the fake); an empty
// opener restores the devices.
void SetSerialOpener(SerialOpener opener);

}  // namespace veltro
