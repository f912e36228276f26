#include "library/Communication.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "platform/FakeSerialPort.h"
#include "platform/SerialDevices.h"
#include "tests/support/InstrumentSim.h"

namespace veltro::test {
namespace {

// A pump for TCommunication that runs a test's lambda on every pass. A wait
// that outlasts the simulator limit fails the test instead of hanging it.
struct Pump {
  explicit Pump(TCommunication& comm) : comm(comm) { comm.SetPump(&Pump::Run, this); }
  ~Pump() { comm.SetPump(nullptr, nullptr); }
  TCommunication& comm;
  std::function<bool()> step;
  int passes = 0;
  std::chrono::steady_clock::time_point deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kSimWaitMs);
  static bool Run(void* context) {
    auto* pump = static_cast<Pump*>(context);
    ++pump->passes;
    if (std::chrono::steady_clock::now() > pump->deadline) {
      ADD_FAILURE() << "the wait did not end";
      pump->comm.Abort();
      return false;
    }
    return pump->step ? pump->step() : true;
  }
};

class FakeLineTest : public ::testing::Test {
 protected:
  FakeLineTest() {
    SetSerialOpener(FakeSerialOpener(line));
    SetSerialDeviceOverride(1, "/dev/fake1");
  }
  ~FakeLineTest() override {
    SetSerialOpener({});
    ClearSerialDeviceOverrides();
  }
  std::shared_ptr<FakeSerialLine> line = std::make_shared<FakeSerialLine>();
};

TEST_F(FakeLineTest, WritesInQuarterBufferChunksWhileTheQueueHasRoom) {
  TCommunication comm;
  comm.SetPort(tptOne);
  ASSERT_TRUE(comm.IsOpen());
  const std::string text(5000, 'x');
  EXPECT_TRUE(comm.WriteAll(text));
  EXPECT_EQ(line->writeRequests, (std::vector<size_t>{2048, 2048, 904}));
  EXPECT_EQ(line->sent, text);

  // With 6144 bytes (three chunks) queued nothing more is written until the
  // queue drains; a driver that takes part of a chunk is no error.
  line->writeRequests.clear();
  line->sent.clear();
  line->outQueue = 6144;
  line->sendPerWait = 1000;
  line->acceptPerWrite = 700;
  EXPECT_TRUE(comm.WriteAll(text));
  EXPECT_EQ(line->sent, text);
  EXPECT_GE(line->waits, 1);
  for (size_t n : line->writeRequests) EXPECT_LE(n, 2048u);
}

TEST_F(FakeLineTest, TinyBufferAndStalledDriverNeverHangTheWrite) {
  TCommunication comm;
  comm.SetReadBufferSize(3);  // a quarter is 0: chunks of one byte
  comm.SetPort(tptOne);
  line->acceptPerWrite = 0;   // the driver takes nothing for a while
  Pump pump(comm);
  pump.step = [&] {
    if (pump.passes == 5) line->acceptPerWrite = 1;
    if (pump.passes > 1000) comm.Abort();  // no progress: fail instead of hanging
    return true;
  };
  EXPECT_TRUE(comm.WriteAll("abc"));
  EXPECT_EQ(line->sent, "abc");
  EXPECT_TRUE(comm.IsOpen());

  // A pump that closes the port (a time-out) ends a write that cannot finish.
  line->acceptPerWrite = 0;
  pump.step = [&] {
    comm.Abort();
    return true;
  };
  EXPECT_FALSE(comm.WriteAll("def"));
  EXPECT_FALSE(comm.IsOpen());
  EXPECT_FALSE(comm.WriteAll("x"));
}

TEST_F(FakeLineTest, SettingsMapAndReapplyWhileOpen) {
  TCommunication comm;
  comm.SetBaudRate(tbr2400);
  comm.SetDataBits(tdbSeven);
  comm.SetParity(tpEven);
  comm.SetStopBits(tsbTwo);
  comm.SetFlowControl(tfcCTSRTS);
  comm.SetXONChar(0x21);
  comm.SetParityErrorDetect(true);
  EXPECT_EQ(comm.BreakTime(), 2000u);  // only applying settings to an open port sets it
  comm.SetPort(tptOne);
  ASSERT_TRUE(comm.IsOpen());
  ASSERT_EQ(line->configured.size(), 1u);
  const SerialSettings s = line->configured[0];
  EXPECT_EQ(s.baudRate, 2400);
  EXPECT_EQ(s.dataBits, 7);
  EXPECT_EQ(s.parity, SerialParity::Even);
  EXPECT_EQ(s.stopBits, SerialStopBits::Two);
  EXPECT_EQ(s.flow, SerialFlow::RtsCts);
  EXPECT_EQ(s.xonChar, 0x21);
  EXPECT_EQ(s.xoffChar, 19);
  EXPECT_TRUE(s.parityCheck);
  EXPECT_EQ(comm.BreakTime(), 4u);
  EXPECT_EQ(line->inputPurges, 1);  // opening discards what was queued

  comm.SetBaudRate(tbr115200);
  ASSERT_EQ(line->configured.size(), 2u);
  SerialSettings expected = s;
  expected.baudRate = 115200;
  EXPECT_EQ(line->configured[1], expected);
  EXPECT_EQ(comm.BreakTime(), 0u);
  comm.SetBaudRate(tbr110);
  EXPECT_EQ(comm.BreakTime(), 90u);
  const TCommTimeouts t = comm.Timeouts();
  EXPECT_EQ(t.ReadInterval, 909u);
  EXPECT_EQ(t.ReadTotalMultiplier, 10u);
  EXPECT_EQ(t.WriteTotalMultiplier, 10u);
  EXPECT_EQ(t.WriteTotalConstant, 100u);
  EXPECT_EQ(TimeoutsFor(tbr9600).ReadInterval, 10u);
  EXPECT_EQ(TimeoutsFor(tbr9600).ReadTotalMultiplier, 1u);

  // Instrument protocols run in the library: the line has no handshake.
  comm.SetFlowControl(tfcGSI);
  EXPECT_EQ(line->configured.back().flow, SerialFlow::None);
  comm.SetFlowControl(tfcXONXOFF);
  EXPECT_EQ(line->configured.back().flow, SerialFlow::XonXoff);
  // Stored-only properties do not touch the line.
  const size_t applied = line->configured.size();
  comm.SetReadFull(10);
  comm.SetWaitBreakTime(5);
  comm.SetEventMask({tceRxChar});
  EXPECT_EQ(line->configured.size(), applied);
}

TEST_F(FakeLineTest, SettingsThePlatformCannotHonourAreRefused) {
  struct Case {
    std::function<void(TCommunication&)> set;
    const char* reason;
  };
  const Case cases[] = {
      {[](TCommunication& c) { c.SetDataBits(tdbFour); }, "4 data bits"},
      {[](TCommunication& c) { c.SetStopBits(tsbOnePointFive); }, "1.5 stop bits"},
      {[](TCommunication& c) { c.SetFlowControl(tfcDSRDTR); }, "DSR/DTR"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    // Before opening: the port does not open.
    TCommunication before;
    c.set(before);
    before.SetPort(tptOne);
    EXPECT_FALSE(before.IsOpen());
    EXPECT_NE(before.LastError().find(c.reason), std::string::npos) << before.LastError();
    // While open: the port closes rather than run on the old settings.
    TCommunication open;
    open.SetPort(tptOne);
    ASSERT_TRUE(open.IsOpen());
    c.set(open);
    EXPECT_FALSE(open.IsOpen());
    EXPECT_NE(open.LastError().find(c.reason), std::string::npos);
    EXPECT_EQ(open.ReadAvailable(), "");
  }
  // A device that cannot do what the platform can (a driver without mark parity).
  line->refuse = [](const SerialSettings& s) {
    return s.parity == SerialParity::Mark ? std::string("the device does not support mark parity") : std::string();
  };
  TCommunication comm;
  comm.SetParity(tpMark);
  comm.SetPort(tptOne);
  EXPECT_FALSE(comm.IsOpen());
  EXPECT_EQ(comm.LastError(), "COM1: the device does not support mark parity");
  // A port without device stays closed with a reason.
  line->openStatus = SerialStatus::NoDevice;
  comm.SetParity(tpNone);
  comm.SetPort(tptTwo);
  EXPECT_FALSE(comm.IsOpen());
  EXPECT_EQ(comm.LastError().rfind("COM2: ", 0), 0u);
}

TEST_F(FakeLineTest, CloseDrainsAbortDiscards) {
  {
    TCommunication comm;
    comm.SetPort(tptOne);
    line->outQueue = 100;
    comm.SetPort(tptNone);
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_GE(line->drains, 1);
    EXPECT_EQ(line->closes, 1);
    comm.SetPort(tptNone);  // closed already: nothing happens
    EXPECT_EQ(line->closes, 1);
  }
  line->drains = 0;
  line->paths.clear();
  TCommunication comm;
  comm.SetPort(tptOne);
  comm.SetPort(tptOne);  // the same port again: closed and reopened
  EXPECT_TRUE(comm.IsOpen());
  EXPECT_EQ(line->closes, 2);
  EXPECT_EQ(line->paths, (std::vector<std::string>{"/dev/fake1", "/dev/fake1"}));
  const int drains = line->drains;
  const int purges = line->outputPurges;
  comm.Abort();
  EXPECT_FALSE(comm.IsOpen());
  EXPECT_EQ(line->drains, drains);
  EXPECT_EQ(line->outputPurges, purges + 1);
}

TEST_F(FakeLineTest, ReadAvailableTakesTheWholeQueueAndEndsOnHangUp) {
  TCommunication comm;
  comm.SetPort(tptOne);
  const std::string big(20000, 'b');
  line->inQueue = big;
  EXPECT_EQ(comm.InQueueCount(), 20000u);
  EXPECT_EQ(comm.ReadAvailable(), big);

  // Zero bytes are stripped without ending the wait with an empty result.
  comm.SetNullStrip(true);
  line->arriving = {std::string("\0\0", 2), std::string("a\0b", 3)};
  EXPECT_EQ(comm.ReadAvailable(), "ab");

  line->hangUpWhenIdle = true;
  EXPECT_EQ(comm.ReadAvailable(), "");
  EXPECT_FALSE(comm.IsOpen());
  EXPECT_TRUE(comm.HungUp());
  EXPECT_EQ(comm.InQueueCount(), 0u);
  EXPECT_EQ(comm.OutQueueCount(), 0u);
}

// Over a real pty pair with the simulated instrument.
class PtyLineTest : public ::testing::Test {
 protected:
  ~PtyLineTest() override { ClearSerialDeviceOverrides(); }
  void Use(const SimulatedInstrument& sim) { SetSerialDeviceOverride(1, sim.Device()); }
  // Reads until n bytes arrived (or the port closed).
  static std::string ReadBytes(TCommunication& comm, size_t n) {
    std::string got;
    while (got.size() < n && comm.IsOpen()) {
      std::string chunk = comm.ReadAvailable();
      if (comm.IsOpen()) {
        EXPECT_FALSE(chunk.empty());
      }
      got += chunk;
    }
    return got;
  }
};

TEST_F(PtyLineTest, ControlBytesPassUnchangedFromACookedTty) {
  SimulatedInstrument sim({}, /*cooked=*/true);
  ASSERT_TRUE(sim.Ready());
  Use(sim);
  TCommunication comm;
  Pump watchdog(comm);
  comm.SetPort(tptOne);
  ASSERT_TRUE(comm.IsOpen()) << comm.LastError();
  const std::string bytes("A\x00\r\n\x11\x13\r\x7f\xff\x03Z", 11);
  ASSERT_TRUE(sim.Command("send 41 00 0d 0a 11 13 0d 7f ff 03 5a"));
  EXPECT_EQ(ReadBytes(comm, bytes.size()), bytes);
  EXPECT_TRUE(comm.WriteAll(bytes));
  ASSERT_TRUE(sim.WaitForReceived(bytes.size()));
  EXPECT_EQ(sim.Received(), bytes);
  // Nothing was echoed back.
  ASSERT_TRUE(sim.Command("send 2e"));
  EXPECT_EQ(ReadBytes(comm, 1), ".");

  // Parity checking marks errors in the stream; a plain 0xFF still arrives once.
  comm.SetParityErrorDetect(true);
  ASSERT_TRUE(comm.IsOpen()) << comm.LastError();
  ASSERT_TRUE(sim.Command("send ff 41 ff"));
  EXPECT_EQ(ReadBytes(comm, 3), "\xff" "A\xff");
}

TEST_F(PtyLineTest, XoffFromTheFarEndPausesTheWrite) {
  SimulatedInstrument sim;
  ASSERT_TRUE(sim.Ready());
  Use(sim);
  TCommunication comm;
  comm.SetFlowControl(tfcXONXOFF);
  comm.SetPort(tptOne);
  ASSERT_TRUE(comm.IsOpen()) << comm.LastError();
  // XOFF then a marker: once the marker is read, the XOFF has been taken.
  ASSERT_TRUE(sim.Command("xoff"));
  ASSERT_TRUE(sim.Command("send 4d"));
  Pump pump(comm);
  ASSERT_EQ(ReadBytes(comm, 1), "M");

  const std::string text(3000, 'w');
  pump.passes = 0;
  bool sawNothingWhilePaused = false;
  pump.step = [&] {
    if (pump.passes == 30) {
      sawNothingWhilePaused = sim.Received().empty();
      EXPECT_TRUE(sim.Command("xon"));
    }
    return true;
  };
  EXPECT_TRUE(comm.WriteAll(text));
  EXPECT_GE(pump.passes, 30);
  EXPECT_TRUE(sawNothingWhilePaused);
  ASSERT_TRUE(sim.WaitForReceived(text.size()));
  EXPECT_EQ(sim.Received(), text);
}

TEST_F(PtyLineTest, ReadWaitsForDataAndEndsOnHangUp) {
  SimulatedInstrument sim;
  ASSERT_TRUE(sim.Ready());
  Use(sim);
  TCommunication comm;
  comm.SetPort(tptOne);
  ASSERT_TRUE(comm.IsOpen()) << comm.LastError();

  Pump pump(comm);
  // Everything queued comes in one call.
  const std::string block(3000, 'q');
  ASSERT_TRUE(sim.Command("text " + block));
  ASSERT_TRUE(WaitUntil([&] { return comm.InQueueCount() >= block.size(); }));
  EXPECT_EQ(comm.ReadAvailable(), block);

  // A wait with nothing queued runs the pump until data comes.
  pump.passes = 0;
  pump.step = [&] {
    if (pump.passes == 10) {
      EXPECT_TRUE(sim.Command("text late"));
    }
    return true;
  };
  EXPECT_EQ(ReadBytes(comm, 4), "late");
  EXPECT_GE(pump.passes, 10);

  // The far end goes away: the wait ends and the port is closed.
  pump.step = [&] {
    if (pump.passes == 3) sim.Command("hangup");
    return true;
  };
  pump.passes = 0;
  EXPECT_EQ(comm.ReadAvailable(), "");
  EXPECT_FALSE(comm.IsOpen());
  EXPECT_TRUE(comm.HungUp());
  EXPECT_FALSE(comm.WriteAll("x"));
}

TEST_F(PtyLineTest, PortsAreExclusiveAndReopen) {
  SimulatedInstrument sim;
  ASSERT_TRUE(sim.Ready());
  Use(sim);
  TCommunication first;
  first.SetPort(tptOne);
  ASSERT_TRUE(first.IsOpen()) << first.LastError();
  TCommunication second;
  second.SetPort(tptOne);
  EXPECT_FALSE(second.IsOpen());
  EXPECT_NE(second.LastError().find("in use"), std::string::npos) << second.LastError();

  first.SetPort(tptOne);  // same port again: closed, then opened anew
  ASSERT_TRUE(first.IsOpen()) << first.LastError();
  EXPECT_TRUE(first.WriteAll("again"));
  ASSERT_TRUE(sim.WaitForReceived(5));
  first.SetPort(tptNone);
  second.SetPort(tptOne);
  EXPECT_TRUE(second.IsOpen()) << second.LastError();
}

}  // namespace
}  // namespace veltro::test
