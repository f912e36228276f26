// The Tavrin library as the program meets it: loaded by name from the
// installation folder, called through its C exports.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>

#include "library/InstrumentLibrary.h"
#include "platform/DynamicLibrary.h"
#include "tests/support/InstrumentSim.h"
#include "tests/support/LibraryExports.h"

namespace veltro::test {
namespace {

using namespace std::string_literals;

const std::string kProgramDir = VELTRO_BUILD_DIR "/app/";
constexpr int32_t kTavrin = 14;  // format number of TAVRIN
// Ordinals: COM1, 9600 bit/s, 8 data bits, 1 stop bit, no parity, no handshake, line ends.
constexpr int32_t kCom1 = 1, kBaud9600 = 6, kBaud115200 = 12, kEight = 4, kOne = 0, kNoParity = 0, kNoFlow = 0;
constexpr int32_t kXonXoff = 1, kEolNone = 0, kEolCR = 1, kEolCRLF = 3;
constexpr int32_t kLong = 60000;  // ms; a time-out that must not fire

struct Api {
  veltro_open_comm_fn OpenComm;
  veltro_code_fn CloseComm, TachyOn, TachyOff;
  veltro_code_int_fn ReadComm, StartRemoteTransfer;
  veltro_write_comm_fn WriteComm;
  veltro_text_fn GetReadBuf, GetWriteBuf, GetErrorBuf, GetOriginalDaten, GetTFFormat;
  veltro_void_fn SetNoTrans;
  veltro_set_break_fn SetBreak;
  veltro_set_message_pump_fn SetMessagePump;
};

// The host's pump: runs the test's step; a wait that outlasts the simulator
// limit is cancelled and fails the test instead of hanging it.
std::function<void()> g_step;
int g_passes = 0;
std::chrono::steady_clock::time_point g_deadline;
Api* g_api = nullptr;
void HostPump() {
  ++g_passes;
  if (std::chrono::steady_clock::now() > g_deadline) {
    ADD_FAILURE() << "the library's wait did not end";
    g_api->SetBreak(14);
    g_api->SetBreak(14);
    return;
  }
  if (g_step) g_step();
}

class TavrinTest : public ::testing::Test {
 protected:
  TavrinTest() {
    ::setenv("XDG_CONFIG_HOME", settingsHome.path().c_str(), 1);  // no user settings name a port
    SetInstallationDirectory(kProgramDir);
    if (!LoadLibraryByName("TAVRIN.DLL", library)) {
      ADD_FAILURE() << "TAVRIN.DLL not found in " << kProgramDir;
      return;
    }
    Bind(api.OpenComm, "OpenComm");
    Bind(api.CloseComm, "CloseComm");
    Bind(api.TachyOn, "TachyOn");
    Bind(api.TachyOff, "TachyOff");
    Bind(api.ReadComm, "ReadComm");
    Bind(api.StartRemoteTransfer, "StartRemoteTransfer");
    Bind(api.WriteComm, "WriteComm");
    Bind(api.GetReadBuf, "GetReadBuf");
    Bind(api.GetWriteBuf, "GetWriteBuf");
    Bind(api.GetErrorBuf, "GetErrorBuf");
    Bind(api.GetOriginalDaten, "GetOriginalDaten");
    Bind(api.GetTFFormat, "GetTFFormat");
    Bind(api.SetNoTrans, "SetNoTrans");
    Bind(api.SetBreak, "SetBreak");
    Bind(api.SetMessagePump, "SetMessagePump");
    g_api = &api;
    g_step = nullptr;
    g_passes = 0;
    g_deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kSimWaitMs);
    api.SetMessagePump(&HostPump);
  }
  ~TavrinTest() override {
    if (api.CloseComm) {
      api.CloseComm();
      api.SetMessagePump(nullptr);
    }
    g_step = nullptr;
    ::unsetenv("VELTRO_COM1");
    ::unsetenv("XDG_CONFIG_HOME");
    SetInstallationDirectory("");
  }
  template <class F>
  void Bind(F& f, const char* name) {
    f = library.Export<F>(name);
    if (!f) ADD_FAILURE() << name << " is not exported";
  }
  int32_t OpenFile(const std::string& name, int32_t eol = kEolCRLF) {
    return api.OpenComm(kCom1, kBaud9600, kEight, kOne, kNoParity, kNoFlow, eol, kLong, kLong, kLong, name.c_str());
  }
  int32_t OpenPort(const SimulatedInstrument& sim, int32_t readTime = kLong, int32_t writeTime = kLong,
                   int32_t waitTime = kLong, int32_t flow = kNoFlow, int32_t eol = kEolCRLF) {
    ::setenv("VELTRO_COM1", sim.Device().c_str(), 1);
    return api.OpenComm(kCom1, kBaud115200, kEight, kOne, kNoParity, flow, eol, readTime, writeTime, waitTime, "");
  }
  std::string Read(int32_t expected = VELTRO_OK) {
    EXPECT_EQ(api.ReadComm(kTavrin), expected);
    return api.GetReadBuf();
  }

  TempDir settingsHome;
  TempDir tmp;
  DynamicLibrary library;
  Api api{};
};

TEST_F(TavrinTest, ExportsExactlyTheInterface) {
  const std::set<std::string> names = DefinedExports(library.Path());
  const std::set<std::string> expected = {"OpenComm",   "CloseComm",        "ReadComm",   "WriteComm",
                                          "GetReadBuf", "GetWriteBuf",      "GetErrorBuf", "GetOriginalDaten",
                                          "GetTFFormat", "SetNoTrans",      "SetBreak",   "TachyOn",
                                          "TachyOff",   "StartRemoteTransfer", "SetMessagePump",
                                          "ReadCommLine", "SetWriteFile"};
  EXPECT_EQ(names, expected);
  EXPECT_EQ(api.TachyOn(), VELTRO_OK);
  EXPECT_EQ(api.TachyOff(), VELTRO_OK);
  EXPECT_EQ(api.StartRemoteTransfer(11), VELTRO_OK);
}

TEST_F(TavrinTest, NoOpenCollectsWrittenLinesAndHasNothingToRead) {
  ASSERT_EQ(OpenFile("NoOpen"), VELTRO_OK);
  EXPECT_EQ(api.WriteComm(kTavrin, "P1;1.000;2.000;3.000;A"), VELTRO_OK);
  EXPECT_EQ(api.WriteComm(kTavrin, "P2;4.000;5.000;6.000;B\r\ncut off"), VELTRO_OK);
  EXPECT_EQ(api.WriteComm(kTavrin, "\x04"), VELTRO_OK);
  EXPECT_EQ(api.WriteComm(6, "GSI"), VELTRO_WRONG_FORMAT);
  EXPECT_STREQ(api.GetWriteBuf(), "P1;1.000;2.000;3.000;A\r\nP2;4.000;5.000;6.000;B\r\n\r\n");
  // No input file: the end at once, with the read error.
  EXPECT_EQ(Read(VELTRO_FILE_READ_FAILED), "\x04");
  EXPECT_STRNE(api.GetErrorBuf(), "");
  // Opening again starts afresh.
  ASSERT_EQ(OpenFile("NoOpen", kEolCR), VELTRO_OK);
  EXPECT_STREQ(api.GetWriteBuf(), "");
  EXPECT_STREQ(api.GetErrorBuf(), "");
  EXPECT_EQ(api.WriteComm(kTavrin, "X"), VELTRO_OK);
  EXPECT_STREQ(api.GetWriteBuf(), "X\r");
}

TEST_F(TavrinTest, FileModeReadsLinesWithAnyLineEnd) {
  const std::string file = tmp / "promark.txt";
  WriteFile(file,
            "P1;2600000.000;1200000.000;500.000;MAUER\r\n"
            "P2;2600001.000;1200001.000;501.000;ZAUN\n"
            "\x02" "F00F000\x03P3;2600002.000;1200002.000;502.000;BAUM\r"
            "\x02TOPCON    +00001.000000100000-00123456789P4;1;2;3;X\r\n"
            "P5;1;2\0;3;Y"s);
  // The port's line end (CR) does not split file lines.
  ASSERT_EQ(OpenFile(file, kEolCR), VELTRO_OK);
  EXPECT_EQ(Read(), "P1;2600000.000;1200000.000;500.000;MAUER");
  EXPECT_STREQ(api.GetTFFormat(), "kTAVRIN");
  EXPECT_EQ(api.ReadComm(6), VELTRO_WRONG_FORMAT);  // reads nothing
  EXPECT_EQ(Read(), "P2;2600001.000;1200001.000;501.000;ZAUN");
  EXPECT_EQ(Read(), "P3;2600002.000;1200002.000;502.000;BAUM");
  EXPECT_EQ(Read(), "P4;1;2;3;X");
  EXPECT_EQ(Read(), "P5;1;2;3;Y");
  EXPECT_NE(std::string(api.GetErrorBuf()).find("1 zero byte"), std::string::npos) << api.GetErrorBuf();
  EXPECT_EQ(Read(), "\x04");
  EXPECT_EQ(Read(), "\x04");
  EXPECT_EQ(api.CloseComm(), VELTRO_OK);
  EXPECT_EQ(api.CloseComm(), VELTRO_OK);
  EXPECT_NE(std::string(api.GetErrorBuf()).find("zero byte"), std::string::npos);

  // Three or five separators are no TAVRIN record; other formats are refused.
  for (const char* first : {"a;b;c;d\r\n", "a;b;c;d;e;f\r\n"}) {
    WriteFile(file, std::string(first) + "P1;1;2;3;A\r\n");
    ASSERT_EQ(OpenFile(file), VELTRO_OK);
    api.ReadComm(kTavrin);
    EXPECT_STRNE(api.GetTFFormat(), "kTAVRIN") << first;
  }
  ASSERT_EQ(OpenFile(VELTRO_TEST_DATA "/gsi/sample-messung.gsi"), VELTRO_OK);
  EXPECT_EQ(api.ReadComm(kTavrin), VELTRO_WRONG_FORMAT);
  EXPECT_STRNE(api.GetTFFormat(), "");
  EXPECT_STRNE(api.GetErrorBuf(), "");

  EXPECT_EQ(OpenFile(tmp / "missing.txt"), VELTRO_FILE_OPEN_FAILED);
  EXPECT_NE(std::string(api.GetErrorBuf()).find("missing.txt"), std::string::npos);
}

TEST_F(TavrinTest, EveryArgumentIsCheckedAndClosedCallsAreHarmless) {
  // Port, bit rate, data bits, stop bits, parity, flow control, line end.
  const int32_t bad[][7] = {{9, 6, 4, 0, 0, 0, 3},  {-1, 6, 4, 0, 0, 0, 3}, {1, 16, 4, 0, 0, 0, 3},
                            {1, 6, 5, 0, 0, 0, 3},  {1, 6, 4, 3, 0, 0, 3},  {1, 6, 4, 0, 5, 0, 3},
                            {1, 6, 4, 0, 0, 7, 3},  {1, 6, 4, 0, 0, 0, 5},  {1, -6, 4, 0, 0, 0, 3}};
  for (const auto& a : bad) {
    EXPECT_EQ(api.OpenComm(a[0], a[1], a[2], a[3], a[4], a[5], a[6], 1000, 1000, 1000, ""), VELTRO_OPEN_FAILED);
    EXPECT_EQ(api.OpenComm(a[0], a[1], a[2], a[3], a[4], a[5], a[6], 1000, 1000, 1000, "NoOpen"),
              VELTRO_FILE_OPEN_FAILED);
    EXPECT_STRNE(api.GetErrorBuf(), "");
  }
  // No port chosen, or no device behind it.
  EXPECT_EQ(api.OpenComm(0, 6, 4, 0, 0, 0, 3, 1000, 1000, 1000, ""), VELTRO_OPEN_FAILED);
  ::setenv("VELTRO_COM1", (tmp / "no-such-device").c_str(), 1);
  EXPECT_EQ(api.OpenComm(1, 6, 4, 0, 0, 0, 3, 1000, 1000, 1000, ""), VELTRO_OPEN_FAILED);
  EXPECT_NE(std::string(api.GetErrorBuf()).find("no-such-device"), std::string::npos);
  // Closed: every export answers, nothing crashes.
  EXPECT_EQ(api.CloseComm(), VELTRO_OK);
  EXPECT_EQ(api.CloseComm(), VELTRO_OK);
  EXPECT_EQ(api.ReadComm(kTavrin), VELTRO_OPEN_FAILED);
  EXPECT_STREQ(api.GetReadBuf(), "\x04");
  EXPECT_EQ(api.WriteComm(kTavrin, nullptr), VELTRO_OPEN_FAILED);
  api.SetBreak(14);
  api.SetNoTrans();
  EXPECT_STREQ(api.GetWriteBuf(), "");
  EXPECT_STREQ(api.GetOriginalDaten(), "");
  EXPECT_STREQ(api.GetTFFormat(), "");
  EXPECT_EQ(api.OpenComm(1, 6, 4, 0, 0, 0, 3, 1000, 1000, 1000, nullptr), VELTRO_OPEN_FAILED);
}

TEST_F(TavrinTest, LinesOfOneChunkComeOneByOneAndAHangUpIsNoNormalEnd) {
  SimulatedInstrument sim;
  ASSERT_TRUE(sim.Ready());
  ASSERT_EQ(OpenPort(sim), VELTRO_OK) << api.GetErrorBuf();
  // Both lines in one write: "P1;1;2;3;A\r\nP2;4;5;6;B\r\n".
  ASSERT_TRUE(sim.Command("send 50313b313b323b333b410d0a 50323b343b353b363b420d0a"));
  EXPECT_EQ(Read(), "P1;1;2;3;A");
  EXPECT_STREQ(api.GetTFFormat(), "kTAVRIN");
  // The far end is gone; the second line is taken without the port.
  ASSERT_TRUE(sim.Command("hangup"));
  EXPECT_EQ(Read(), "P2;4;5;6;B");
  EXPECT_EQ(Read(VELTRO_READ_TIMEOUT), "\x04");
  EXPECT_NE(std::string(api.GetErrorBuf()).find("hung up"), std::string::npos) << api.GetErrorBuf();
  EXPECT_EQ(api.WriteComm(kTavrin, "late"), VELTRO_READ_TIMEOUT);
}

TEST_F(TavrinTest, TimeOutsEndSilentAndStalledTransfers) {
  // Start time-out: a waiting time of 70000 ms acts as 4464 ms.
  {
    SimulatedInstrument sim({"--silent"});
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(OpenPort(sim, kLong, kLong, 70000), VELTRO_OK) << api.GetErrorBuf();
    EXPECT_EQ(Read(VELTRO_NO_ANSWER), "\x04");
    EXPECT_EQ(Read(VELTRO_NO_ANSWER), "\x04");  // the port stays closed
    // 65536 ms is 0 ms: it times out at once instead of never.
    ASSERT_EQ(api.CloseComm(), VELTRO_OK);
    ASSERT_EQ(OpenPort(sim, kLong, kLong, 65536), VELTRO_OK) << api.GetErrorBuf();
    EXPECT_EQ(Read(VELTRO_NO_ANSWER), "\x04");
  }
  // Read time-out: the instrument stops in the middle of a line, which is dropped.
  {
    SimulatedInstrument sim({"--hold", "--pace", "20", "--cut-line", "2"});
    ASSERT_TRUE(sim.Ready());
    WriteFile(tmp / "play.txt", "P1;1;2;3;A\r\nP2;4;5;6;B\r\nP3;7;8;9;C\r\n");
    ASSERT_EQ(OpenPort(sim, 3000), VELTRO_OK) << api.GetErrorBuf();
    ASSERT_TRUE(sim.Command("play " + tmp / "play.txt"));
    EXPECT_EQ(Read(), "P1;1;2;3;A");
    EXPECT_EQ(Read(VELTRO_READ_TIMEOUT), "\x04");
    EXPECT_EQ(Read(VELTRO_READ_TIMEOUT), "\x04");
  }
  // Write time-out: the instrument takes nothing more.
  {
    SimulatedInstrument sim({"--no-read"});
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(OpenPort(sim, kLong, 2000, 1000), VELTRO_OK) << api.GetErrorBuf();
    ASSERT_EQ(api.ReadComm(6), VELTRO_WRONG_FORMAT);  // ends the start time
    const std::string line(1 << 20, 'w');
    EXPECT_EQ(api.WriteComm(kTavrin, line.c_str()), VELTRO_WRITE_FAILED);
    EXPECT_NE(std::string(api.GetErrorBuf()).find("write time-out"), std::string::npos) << api.GetErrorBuf();
  }
}

TEST_F(TavrinTest, CancelsFromThePump) {
  SimulatedInstrument sim({"--hold"});
  ASSERT_TRUE(sim.Ready());
  ASSERT_EQ(OpenPort(sim), VELTRO_OK) << api.GetErrorBuf();
  ASSERT_TRUE(sim.Command("send 50313b313b323b333b410d0a"));
  EXPECT_EQ(Read(), "P1;1;2;3;A");

  // One cancel while the instrument is silent: the read ends with 14 at
  // once and the port stays open.
  g_step = [&] {
    if (g_passes == 5) api.SetBreak(14);
  };
  EXPECT_EQ(Read(VELTRO_CANCELLED), "\x04");
  g_step = [&] {
    EXPECT_EQ(api.ReadComm(kTavrin), VELTRO_WRITE_FAILED);  // no nested calls
    EXPECT_STREQ(api.GetReadBuf(), "");
  };
  EXPECT_EQ(api.WriteComm(kTavrin, "still open"), VELTRO_OK);
  ASSERT_TRUE(sim.WaitForReceived(12));
  EXPECT_EQ(sim.Received(), "still open\r\n");

  // Two cancels: the port closes.
  ASSERT_EQ(OpenPort(sim), VELTRO_OK) << api.GetErrorBuf();
  ASSERT_TRUE(sim.Command("send 50313b313b323b333b410d0a"));
  EXPECT_EQ(Read(), "P1;1;2;3;A");
  g_passes = 0;
  g_step = [&] {
    if (g_passes == 5) {
      api.SetBreak(14);
      api.SetBreak(14);
    }
  };
  EXPECT_EQ(Read(VELTRO_CANCELLED), "\x04");
  EXPECT_EQ(api.WriteComm(kTavrin, "closed"), VELTRO_CANCELLED);

  // A cancel outside a read closes the port; the next read reports it.
  ASSERT_EQ(OpenPort(sim), VELTRO_OK) << api.GetErrorBuf();
  api.SetBreak(14);
  EXPECT_EQ(Read(VELTRO_CANCELLED), "\x04");

  // A cancel during a send is a cancel, not a write error.
  ASSERT_TRUE(sim.Command("read off"));
  ASSERT_EQ(OpenPort(sim), VELTRO_OK) << api.GetErrorBuf();
  g_passes = 0;
  g_step = [&] {
    if (g_passes == 5) api.SetBreak(14);
  };
  const std::string line(1 << 20, 's');
  EXPECT_EQ(api.WriteComm(kTavrin, line.c_str()), VELTRO_CANCELLED);
}

TEST_F(TavrinTest, RawCaptureAndRefusedSettings) {
  SimulatedInstrument sim;
  ASSERT_TRUE(sim.Ready());
  ASSERT_EQ(OpenPort(sim), VELTRO_OK) << api.GetErrorBuf();
  api.SetNoTrans();
  // "P1;1;2;3;A\r\nP2;4;5;6;B\r\n" then the end of transmission.
  ASSERT_TRUE(sim.Command("send 50313b313b323b333b410d0a 50323b343b353b363b420d0a"));
  EXPECT_EQ(Read(), "P1;1;2;3;A");
  EXPECT_EQ(Read(), "P2;4;5;6;B");
  ASSERT_TRUE(sim.Command("send 04"));
  EXPECT_EQ(Read(), "\x04");
  EXPECT_STREQ(api.GetOriginalDaten(), "P1;1;2;3;A\r\nP2;4;5;6;B\r\n\x04");

  // Only without handshake and with a line end.
  ASSERT_EQ(OpenPort(sim, kLong, kLong, kLong, kXonXoff), VELTRO_OK) << api.GetErrorBuf();
  EXPECT_EQ(api.ReadComm(kTavrin), VELTRO_FLOW_UNSUPPORTED);
  EXPECT_EQ(api.WriteComm(kTavrin, "x"), VELTRO_FLOW_UNSUPPORTED);
  ASSERT_EQ(OpenPort(sim, kLong, kLong, kLong, kNoFlow, kEolNone), VELTRO_OK) << api.GetErrorBuf();
  EXPECT_EQ(api.ReadComm(kTavrin), VELTRO_FLOW_UNSUPPORTED);
  // A setting the port cannot run (4 data bits) leaves it closed, with the reason.
  EXPECT_EQ(api.OpenComm(kCom1, kBaud9600, 0, kOne, kNoParity, kNoFlow, kEolCRLF, kLong, kLong, kLong, ""),
            VELTRO_OPEN_FAILED);
  EXPECT_NE(std::string(api.GetErrorBuf()).find("4 data bits"), std::string::npos) << api.GetErrorBuf();
}

}  // namespace
}  // namespace veltro::test
