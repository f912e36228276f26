// Serial lines through the Linux tty driver. The termios2 interface is used
// throughout because it carries any bit rate (14400 and 56000 have no B
// constant); glibc's <termios.h> cannot be included beside it.
#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "platform/SerialPort.h"

namespace veltro {
namespace {

SerialOpener g_opener;

constexpr unsigned kPtySlaveMajorFirst = 136;  // Unix98 pty slaves: majors 136-143
constexpr unsigned kPtySlaveMajorLast = 143;
constexpr int kDrainSliceMs = 5;
// UART receivers accept a few per cent of rate error; a driver that rounds a
// rate further than this does not run the rate asked for.
constexpr int kRateTolerancePercent = 3;

struct RateCode {
  int rate;
  tcflag_t code;
};
constexpr RateCode kRates[] = {{50, B50},         {75, B75},         {110, B110},       {134, B134},
                               {150, B150},       {200, B200},       {300, B300},       {600, B600},
                               {1200, B1200},     {1800, B1800},     {2400, B2400},     {4800, B4800},
                               {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
                               {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600}};

tcflag_t RateCodeOf(int rate) {
  for (const RateCode& r : kRates)
    if (r.rate == rate) return r.code;
  return BOTHER;
}

tcflag_t SizeFlag(int dataBits) {
  switch (dataBits) {
    case 5:
      return CS5;
    case 6:
      return CS6;
    case 7:
      return CS7;
    default:
      return CS8;
  }
}

int DataBitsOf(tcflag_t cflag) {
  switch (cflag & CSIZE) {
    case CS5:
      return 5;
    case CS6:
      return 6;
    case CS7:
      return 7;
    default:
      return 8;
  }
}

SerialParity ParityOf(tcflag_t cflag) {
  if (!(cflag & PARENB)) return SerialParity::None;
  if (cflag & CMSPAR) return (cflag & PARODD) ? SerialParity::Mark : SerialParity::Space;
  return (cflag & PARODD) ? SerialParity::Odd : SerialParity::Even;
}

SerialStatus StatusOfErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
    case ENOTDIR:
      return SerialStatus::NoDevice;
    case EACCES:
    case EPERM:
    case EBUSY:
    case EWOULDBLOCK:
      return SerialStatus::NoAccess;
    case EINVAL:
    case ENOTTY:
      return SerialStatus::Unsupported;
    default:
      return SerialStatus::Io;
  }
}

void SetWhy(std::string* why, const std::string& text) {
  if (why) *why = text;
}

const char* ParityName(SerialParity p) {
  switch (p) {
    case SerialParity::None:
      return "no parity";
    case SerialParity::Odd:
      return "odd parity";
    case SerialParity::Even:
      return "even parity";
    case SerialParity::Mark:
      return "mark parity";
    case SerialParity::Space:
      return "space parity";
  }
  return "";
}

// Parity and framing errors arrive marked (PARMRK): 0xFF 0x00 b is byte b
// received with an error, 0xFF 0xFF a received 0xFF. A mark can be split
// across two reads, so the decoder keeps its state.
class MarkDecoder {
 public:
  void Reset() { state_ = 0; }
  bool Pending() const { return state_ != 0; }
  // Decodes n bytes in place; answers the decoded length.
  size_t Decode(char* data, size_t n, bool replace, char replacement) {
    size_t out = 0;
    for (size_t i = 0; i < n; ++i) {
      const unsigned char b = static_cast<unsigned char>(data[i]);
      if (state_ == 0) {
        if (b == 0xFF)
          state_ = 1;
        else
          data[out++] = static_cast<char>(b);
      } else if (state_ == 1) {
        if (b == 0x00) {
          state_ = 2;
        } else {
          data[out++] = static_cast<char>(0xFF);
          if (b != 0xFF) data[out++] = static_cast<char>(b);
          state_ = 0;
        }
      } else {
        data[out++] = replace ? replacement : static_cast<char>(b);
        state_ = 0;
      }
    }
    return out;
  }

 private:
  int state_ = 0;
};

class PosixSerialPort : public SerialPort {
 public:
  PosixSerialPort(int fd, bool pty) : fd_(fd), pty_(pty) {}
  ~PosixSerialPort() override { ::close(fd_); }

  SerialStatus Configure(const SerialSettings& s, std::string* why) override {
    std::string refusal = SerialSettingsRefusal(s);
    if (!refusal.empty()) {
      SetWhy(why, refusal);
      return SerialStatus::Unsupported;
    }
    termios2 t{};
    if (ioctl(fd_, TCGETS2, &t) != 0) return Failed(why, "cannot read the line settings");
    // Raw line: every byte passes unchanged in both directions.
    t.c_iflag &= ~(IGNBRK | BRKINT | IGNPAR | PARMRK | INPCK | ISTRIP | INLCR | IGNCR | ICRNL | IUCLC | IXON | IXANY |
                   IXOFF | IMAXBEL | IUTF8);
    t.c_oflag &= ~(OPOST | OLCUC | ONLCR | OCRNL | ONOCR | ONLRET | OFILL | OFDEL);
    t.c_lflag &= ~(ISIG | ICANON | XCASE | ECHO | ECHOE | ECHOK | ECHONL | ECHOCTL | ECHOPRT | ECHOKE | FLUSHO | NOFLSH |
                   TOSTOP | PENDIN | IEXTEN);
    t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT) | CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS);
    t.c_cflag |= CREAD | CLOCAL | SizeFlag(s.dataBits) | RateCodeOf(s.baudRate);
    t.c_ispeed = t.c_ospeed = static_cast<speed_t>(s.baudRate);
    switch (s.parity) {
      case SerialParity::None:
        break;
      case SerialParity::Odd:
        t.c_cflag |= PARENB | PARODD;
        break;
      case SerialParity::Even:
        t.c_cflag |= PARENB;
        break;
      case SerialParity::Mark:
        t.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
      case SerialParity::Space:
        t.c_cflag |= PARENB | CMSPAR;
        break;
    }
    if (s.stopBits == SerialStopBits::Two) t.c_cflag |= CSTOPB;
    if (s.flow == SerialFlow::XonXoff) t.c_iflag |= IXON | IXOFF;
    if (s.flow == SerialFlow::RtsCts) t.c_cflag |= CRTSCTS;
    if (s.parityCheck) t.c_iflag |= INPCK | PARMRK;
    t.c_cc[VSTART] = s.xonChar;
    t.c_cc[VSTOP] = s.xoffChar;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (ioctl(fd_, TCSETS2, &t) != 0) return Failed(why, "the driver refuses the line settings");
    settings_ = s;
    decoder_.Reset();

    // tcsetattr succeeds when any part was taken: compare what the driver holds.
    SerialSettings held;
    if (ReadBack(held) != SerialStatus::Ok) return Failed(why, "cannot read the line settings back");
    std::string missing = Missing(s, held);
    if (!missing.empty()) {
      SetWhy(why, "the device does not support " + missing);
      return SerialStatus::Unsupported;
    }
    return SerialStatus::Ok;
  }

  SerialStatus ReadBack(SerialSettings& s) override {
    termios2 t{};
    if (ioctl(fd_, TCGETS2, &t) != 0) return StatusOfErrno(errno);
    s.baudRate = static_cast<int>(t.c_ospeed);
    s.dataBits = DataBitsOf(t.c_cflag);
    s.parity = ParityOf(t.c_cflag);
    s.stopBits = (t.c_cflag & CSTOPB) ? SerialStopBits::Two : SerialStopBits::One;
    if (t.c_cflag & CRTSCTS)
      s.flow = SerialFlow::RtsCts;
    else if ((t.c_iflag & (IXON | IXOFF)) == (IXON | IXOFF))
      s.flow = SerialFlow::XonXoff;
    else
      s.flow = SerialFlow::None;
    s.xonChar = t.c_cc[VSTART];
    s.xoffChar = t.c_cc[VSTOP];
    s.parityCheck = (t.c_iflag & (INPCK | PARMRK)) == (INPCK | PARMRK);
    s.replaceErrors = settings_.replaceErrors;
    s.parityChar = settings_.parityChar;
    return SerialStatus::Ok;
  }

  SerialStatus InQueue(size_t& count) override { return Count(FIONREAD, count); }
  SerialStatus OutQueue(size_t& count) override { return Count(TIOCOUTQ, count); }

  SerialStatus Read(char* buffer, size_t size, size_t& got) override {
    got = 0;
    if (size == 0) return SerialStatus::Ok;
    for (;;) {
      ssize_t n = ::read(fd_, buffer, size);
      if (n > 0) {
        got = static_cast<size_t>(n);
        if (settings_.parityCheck)
          got = decoder_.Decode(buffer, got, settings_.replaceErrors, static_cast<char>(settings_.parityChar));
        return SerialStatus::Ok;
      }
      if (n == 0) return SerialStatus::Ok;  // VMIN 0: nothing waiting (a hang-up shows in Wait)
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) return SerialStatus::Ok;
      return StatusOfErrno(errno);
    }
  }

  SerialStatus Write(const char* data, size_t size, size_t& written) override {
    written = 0;
    if (size == 0) return SerialStatus::Ok;
    for (;;) {
      ssize_t n = ::write(fd_, data, size);
      if (n >= 0) {
        written = static_cast<size_t>(n);
        return SerialStatus::Ok;
      }
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) return SerialStatus::Ok;
      return StatusOfErrno(errno);
    }
  }

  SerialStatus Drain(int timeoutMs) override {
    // tcdrain can block for ever behind XOFF or CTS; poll the queue instead.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      size_t queued = 0;
      SerialStatus st = OutQueue(queued);
      if (st != SerialStatus::Ok) return st;
      if (queued == 0) return SerialStatus::Ok;
      if (std::chrono::steady_clock::now() >= deadline) return SerialStatus::Timeout;
      ::poll(nullptr, 0, kDrainSliceMs);
    }
  }

  SerialStatus Purge(bool input, bool output) override {
    if (!input && !output) return SerialStatus::Ok;
    const int which = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
    if (ioctl(fd_, TCFLSH, which) != 0) return StatusOfErrno(errno);
    if (input) decoder_.Reset();
    return SerialStatus::Ok;
  }

  SerialStatus SetDtr(bool on) override { return ModemLine(TIOCM_DTR, on); }
  SerialStatus SetRts(bool on) override { return ModemLine(TIOCM_RTS, on); }

  SerialWaitResult Wait(bool forWrite, int timeoutMs) override {
    SerialWaitResult result;
    pollfd p{fd_, static_cast<short>(forWrite ? POLLOUT : POLLIN), 0};
    int n = ::poll(&p, 1, timeoutMs < 0 ? 0 : timeoutMs);
    if (n <= 0) return result;
    result.readable = (p.revents & POLLIN) != 0;
    result.writable = (p.revents & POLLOUT) != 0;
    result.hungUp = (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    return result;
  }

  void Sleep(int timeoutMs) override { ::poll(nullptr, 0, timeoutMs < 0 ? 0 : timeoutMs); }

  int Descriptor() const override { return fd_; }

 private:
  SerialStatus Failed(std::string* why, const char* what) {
    const int error = errno;
    SetWhy(why, std::string(what) + ": " + std::strerror(error));
    return StatusOfErrno(error);
  }

  SerialStatus Count(unsigned long request, size_t& count) {
    count = 0;
    int n = 0;
    if (ioctl(fd_, request, &n) != 0) return StatusOfErrno(errno);
    count = n > 0 ? static_cast<size_t>(n) : 0;
    return SerialStatus::Ok;
  }

  SerialStatus ModemLine(int line, bool on) {
    if (ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line) == 0) return SerialStatus::Ok;
    // A pty has no modem lines.
    if (errno == ENOTTY || errno == EINVAL) return SerialStatus::Ok;
    return StatusOfErrno(errno);
  }

  // What of wanted the driver did not take, as words for a message. A pty
  // has no framing: the kernel keeps it at 8N1 whatever was asked.
  std::string Missing(const SerialSettings& wanted, const SerialSettings& held) const {
    const long difference = std::labs(static_cast<long>(held.baudRate) - wanted.baudRate);
    if (difference * 100 > static_cast<long>(wanted.baudRate) * kRateTolerancePercent)
      return std::to_string(wanted.baudRate) + " bit/s (it runs " + std::to_string(held.baudRate) + ")";
    if (!pty_) {
      if (held.dataBits != wanted.dataBits) return std::to_string(wanted.dataBits) + " data bits";
      if (held.parity != wanted.parity) return ParityName(wanted.parity);
      if (held.stopBits != wanted.stopBits) return "2 stop bits";
    }
    if (held.flow != wanted.flow)
      return wanted.flow == SerialFlow::RtsCts    ? "RTS/CTS handshake"
             : wanted.flow == SerialFlow::XonXoff ? "XON/XOFF handshake"
                                                  : "switching the handshake off";
    if (held.xonChar != wanted.xonChar || held.xoffChar != wanted.xoffChar) return "these XON/XOFF characters";
    if (held.parityCheck != wanted.parityCheck) return "parity checking";
    return {};
  }

  int fd_;
  bool pty_;
  SerialSettings settings_;
  MarkDecoder decoder_;
};

bool IsPtySlave(int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
  const unsigned m = major(st.st_rdev);
  return m >= kPtySlaveMajorFirst && m <= kPtySlaveMajorLast;
}

SerialStatus OpenDevice(const std::string& path, std::unique_ptr<SerialPort>& port, std::string* why) {
  port.reset();
  if (path.empty()) {
    SetWhy(why, "no device is configured for this port");
    return SerialStatus::NoDevice;
  }
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    SetWhy(why, path + ": " + std::strerror(error));
    return StatusOfErrno(error);
  }
  if (!isatty(fd)) {
    ::close(fd);
    SetWhy(why, path + " is not a serial device");
    return SerialStatus::NoDevice;
  }
  // The advisory lock also holds against root, whom TIOCEXCL does not stop.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    SetWhy(why, path + " is in use by another program");
    return SerialStatus::NoAccess;
  }
  ioctl(fd, TIOCEXCL);
  auto posix = std::make_unique<PosixSerialPort>(fd, IsPtySlave(fd));
  SerialStatus st = posix->Configure(SerialSettings{}, why);
  if (st != SerialStatus::Ok) return st;
  port = std::move(posix);
  return SerialStatus::Ok;
}

}  // namespace

const char* SerialStatusName(SerialStatus status) {
  switch (status) {
    case SerialStatus::Ok:
      return "Ok";
    case SerialStatus::Unsupported:
      return "Unsupported";
    case SerialStatus::InvalidArgument:
      return "InvalidArgument";
    case SerialStatus::NoDevice:
      return "NoDevice";
    case SerialStatus::NoAccess:
      return "NoAccess";
    case SerialStatus::Io:
      return "Io";
    case SerialStatus::Timeout:
      return "Timeout";
  }
  return "";
}

std::string SerialSettingsRefusal(const SerialSettings& s) {
  if (s.baudRate <= 0) return "a bit rate of " + std::to_string(s.baudRate);
  if (s.dataBits < 5 || s.dataBits > 8) return std::to_string(s.dataBits) + " data bits are not supported";
  if (s.stopBits == SerialStopBits::OnePointFive) return "1.5 stop bits are not supported";
  if (s.flow == SerialFlow::DsrDtr) return "the DSR/DTR handshake is not supported";
  return {};
}

SerialStatus OpenSerialPort(const std::string& path, std::unique_ptr<SerialPort>& port, std::string* why) {
  if (g_opener) return g_opener(path, port, why);
  return OpenDevice(path, port, why);
}

void SetSerialOpener(SerialOpener opener) { g_opener = std::move(opener); }

}  // namespace veltro
