#include "platform/SerialPort.h"

#include <gtest/gtest.h>
#include <termios.h>

#include "tests/support/InstrumentSim.h"

namespace veltro::test {
namespace {

// The kernel's BOTHER: the rate is given as a number, not as a B constant.
constexpr speed_t kRateAsNumber = 0010000;

termios DriverSettings(const SerialPort& port) {
  termios t{};
  EXPECT_EQ(tcgetattr(port.Descriptor(), &t), 0);
  return t;
}

TEST(SerialPortTest, OpensRawAndTheDriverHoldsWhatWasSet) {
  SimulatedInstrument sim({}, /*cooked=*/true);
  ASSERT_TRUE(sim.Ready());
  std::unique_ptr<SerialPort> port;
  std::string why;
  ASSERT_EQ(OpenSerialPort(sim.Device(), port, &why), SerialStatus::Ok) << why;

  termios t = DriverSettings(*port);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
  EXPECT_EQ(t.c_iflag & (ICRNL | INLCR | IGNCR | IXON | IXOFF | ISTRIP | INPCK), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL), static_cast<tcflag_t>(CREAD | CLOCAL));
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B9600));

  struct Case {
    int rate;
    speed_t code;  // kRateAsNumber: a rate without B constant
    SerialFlow flow;
    bool parityCheck;
  };
  const Case cases[] = {{110, B110, SerialFlow::None, false},           {2400, B2400, SerialFlow::RtsCts, true},
                        {14400, kRateAsNumber, SerialFlow::XonXoff, false},    {56000, kRateAsNumber, SerialFlow::None, true},
                        {115200, B115200, SerialFlow::XonXoff, false}, {921600, B921600, SerialFlow::RtsCts, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rate);
    SerialSettings s;
    s.baudRate = c.rate;
    s.flow = c.flow;
    s.parityCheck = c.parityCheck;
    s.xonChar = 0x01;
    s.xoffChar = 0x02;
    s.stopBits = SerialStopBits::Two;
    ASSERT_EQ(port->Configure(s, &why), SerialStatus::Ok) << why;
    t = DriverSettings(*port);
    EXPECT_EQ(t.c_cflag & CBAUD, c.code);
    EXPECT_EQ((t.c_cflag & CRTSCTS) != 0, c.flow == SerialFlow::RtsCts);
    EXPECT_EQ((t.c_iflag & IXON) != 0, c.flow == SerialFlow::XonXoff);
    EXPECT_EQ((t.c_iflag & IXOFF) != 0, c.flow == SerialFlow::XonXoff);
    EXPECT_EQ((t.c_iflag & INPCK) != 0, c.parityCheck);
    EXPECT_EQ(t.c_cc[VSTART], 0x01);
    EXPECT_EQ(t.c_cc[VSTOP], 0x02);
    EXPECT_NE(t.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);
    SerialSettings held;
    ASSERT_EQ(port->ReadBack(held), SerialStatus::Ok);
    EXPECT_EQ(held.baudRate, c.rate);
    EXPECT_EQ(held.flow, c.flow);
  }
}

TEST(SerialPortTest, OnlySerialDevicesOpen) {
  TempDir tmp;
  WriteFile(tmp / "plain", "");
  std::unique_ptr<SerialPort> port;
  std::string why;
  EXPECT_EQ(OpenSerialPort(tmp / "plain", port, &why), SerialStatus::NoDevice);
  EXPECT_NE(why.find("not a serial device"), std::string::npos);
  EXPECT_EQ(OpenSerialPort(tmp / "missing", port, &why), SerialStatus::NoDevice);
  EXPECT_EQ(OpenSerialPort("", port, &why), SerialStatus::NoDevice);
  EXPECT_FALSE(port);
}

}  // namespace
}  // namespace veltro::test
