// The family libraries' line protocols against the simulated instrument
// over a pty pair, through dlopen of the installed library files.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>

#include "library/InstrumentLibrary.h"
#include "platform/DynamicLibrary.h"
#include "tests/support/ConvertRun.h"
#include "tests/support/InstrumentSim.h"

namespace veltro::test {
namespace {

const std::string kProgramDir = VELTRO_BUILD_DIR "/app/";
constexpr int32_t kGts6 = 2, kGsi8 = 6;  // format numbers
constexpr int32_t kNone = 0, kAckNak = 4, kGsi = 5;  // flow controls
constexpr int32_t kCom1 = 1, kBaud115200 = 12, kEight = 4, kOne = 0, kNoParity = 0, kEolCRLF = 3;
constexpr int32_t kLong = 60000;
constexpr int kManyLines = 2000;

std::function<void()> g_step;
std::chrono::steady_clock::time_point g_deadline;
veltro_set_break_fn g_break = nullptr;
void HostPump() {
  if (std::chrono::steady_clock::now() > g_deadline) {
    ADD_FAILURE() << "the library's wait did not end";
    g_break(14);
    g_break(14);
    return;
  }
  if (g_step) g_step();
}

// "_+P1      _ x0000001001_ y0000002001_ z0000000501" ... (GTS-6 coordinates).
std::string Gts6Lines(int count) {
  std::string text;
  char line[96];
  for (int i = 1; i <= count; ++i) {
    std::snprintf(line, sizeof line, "_+P%-7d_ x%010d_ y%010d_ z%010d\r\n", i, 1000 + i, 2000 + i, 500 + i % 7);
    text += line;
  }
  return text;
}

// "110001+00000001 81..10+00001001 82..10+00002001 " ... (GSI 8 coordinates).
std::string Gsi8Lines(int count) {
  std::string text;
  char line[96];
  for (int i = 1; i <= count; ++i) {
    std::snprintf(line, sizeof line, "11%04d+%08d 81..10+%08d 82..10+%08d \r\n", i % 10000, i, 1000 + i, 2000 + i);
    text += line;
  }
  return text;
}

std::string Hex(const std::string& bytes) {
  std::string hex;
  char buf[4];
  for (unsigned char c : bytes) {
    std::snprintf(buf, sizeof buf, "%02x", c);
    hex += buf;
  }
  return hex;
}

class FamilyProtocolTest : public ::testing::Test {
 protected:
  void Load(const std::string& name) {
    ASSERT_TRUE(library.Load(FindLibrary(name, kProgramDir))) << name;
    open = library.Export<veltro_open_comm_fn>("OpenComm");
    close = library.Export<veltro_code_fn>("CloseComm");
    read = library.Export<veltro_code_int_fn>("ReadComm");
    write = library.Export<veltro_write_comm_fn>("WriteComm");
    readBuf = library.Export<veltro_text_fn>("GetReadBuf");
    errorBuf = library.Export<veltro_text_fn>("GetErrorBuf");
    g_break = library.Export<veltro_set_break_fn>("SetBreak");
    library.Export<veltro_set_message_pump_fn>("SetMessagePump")(&HostPump);
    g_step = nullptr;
    g_deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kSimWaitMs);
  }
  ~FamilyProtocolTest() override {
    if (close) close();
    g_step = nullptr;
    ::unsetenv("VELTRO_COM1");
  }
  int32_t OpenPort(const SimulatedInstrument& sim, int32_t flow, int32_t readTime = kLong,
                   int32_t writeTime = kLong, int32_t waitTime = kLong) {
    ::setenv("VELTRO_COM1", sim.Device().c_str(), 1);
    return open(kCom1, kBaud115200, kEight, kOne, kNoParity, flow, kEolCRLF, readTime, writeTime, waitTime, "");
  }
  // Lines until the end of the transmission or a failure (its code in result).
  std::vector<std::string> ReadAll(int32_t format, int32_t& result) {
    std::vector<std::string> lines;
    while ((result = read(format)) == VELTRO_OK && std::string(readBuf()) != "\x04") lines.push_back(readBuf());
    return lines;
  }
  // The same file read offline: the reference of every receive.
  std::vector<std::string> Offline(const std::string& file, int32_t format) {
    EXPECT_EQ(open(kCom1, kBaud115200, kEight, kOne, kNoParity, kNone, kEolCRLF, kLong, kLong, kLong, file.c_str()),
              VELTRO_OK);
    int32_t result = 0;
    std::vector<std::string> lines = ReadAll(format, result);
    EXPECT_EQ(result, VELTRO_OK) << errorBuf();
    close();
    return lines;
  }
  std::string Error() const { return errorBuf(); }

  TempDir tmp;
  DynamicLibrary library;
  veltro_open_comm_fn open = nullptr;
  veltro_code_fn close = nullptr;
  veltro_code_int_fn read = nullptr;
  veltro_write_comm_fn write = nullptr;
  veltro_text_fn readBuf = nullptr, errorBuf = nullptr;
};

TEST_F(FamilyProtocolTest, PlainLinesEndAtSilenceOrEndMarkAndSendsDrain) {
  Load("GTS6.DLL");
  const std::string file = tmp / "many.gt6";
  WriteFile(file, Gts6Lines(kManyLines));
  const std::vector<std::string> offline = Offline(file, kGts6);
  ASSERT_EQ(offline.size(), static_cast<size_t>(kManyLines));
  int32_t result = 0;
  {
    // No end mark: the read time of silence after the data ends it, nothing is lost.
    SimulatedInstrument sim({"--hold", "--play", file, "--pace", "0"});
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(OpenPort(sim, kNone, 500), VELTRO_OK) << Error();
    ASSERT_TRUE(sim.Command("start"));
    EXPECT_EQ(ReadAll(kGts6, result), offline);
    EXPECT_EQ(result, VELTRO_OK) << Error();
    EXPECT_EQ(read(kGts6), VELTRO_OK);
    EXPECT_STREQ(readBuf(), "\x04");
  }
  {
    // EOT ends it at once; a line cut off by it is kept, what follows is not data.
    SimulatedInstrument sim({"--hold"});
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(OpenPort(sim, kNone), VELTRO_OK) << Error();
    ASSERT_TRUE(sim.Command("send " + Hex("_+P1      _ x0000001001\r\n_+P2\x04" "AB\r\n")));
    EXPECT_EQ(ReadAll(kGts6, result), (std::vector<std::string>{"_+P1      _ x0000001001", "_+P2"}));
    EXPECT_EQ(result, VELTRO_OK) << Error();
    // A send answers its end only once the line took everything.
    const std::string lines = Gts6Lines(300);
    size_t from = 0;
    for (size_t to; (to = lines.find("\r\n", from)) != std::string::npos; from = to + 2)
      ASSERT_EQ(write(kGts6, lines.substr(from, to - from).c_str()), VELTRO_OK);
    EXPECT_EQ(write(kGts6, "\x04"), VELTRO_OK);
    ASSERT_TRUE(sim.WaitForReceived(lines.size() + 2));
    EXPECT_EQ(sim.Received(), lines + "\r\n");
  }
  {
    // Silence before any data is no end but the waiting time (3); a cancel ends a wait.
    SimulatedInstrument sim({"--silent"});
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(OpenPort(sim, kNone, 300, kLong, 500), VELTRO_OK) << Error();
    EXPECT_EQ(read(kGts6), VELTRO_NO_ANSWER);
    ASSERT_EQ(OpenPort(sim, kNone), VELTRO_OK) << Error();
    int passes = 0;
    g_step = [&] {
      if (++passes == 20) g_break(14);
    };
    EXPECT_EQ(read(kGts6), VELTRO_CANCELLED);
  }
}

TEST_F(FamilyProtocolTest, AckNakReceiveRepeatsBadBlocksAndNeverStoresThem) {
  Load("GTS210.DLL");
  const std::string file = tmp / "many.gt6";
  WriteFile(file, Gts6Lines(kManyLines));
  const std::vector<std::string> offline = Offline(file, kGts6);
  int32_t result = 0;
  {
    // A bad check, half a block then silence, and garbage: each asked for again.
    SimulatedInstrument sim({"--protocol", "acknak", "--hold", "--play", file, "--bad-check-line", "5", "--cut-line", "9",
                             "--garbage-line", "12"});
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(OpenPort(sim, kAckNak, 500), VELTRO_OK) << Error();
    ASSERT_TRUE(sim.Command("start"));
    EXPECT_EQ(ReadAll(kGts6, result), offline);
    EXPECT_EQ(result, VELTRO_OK) << Error();
    EXPECT_TRUE(sim.WaitForEvent("played"));
  }
  {
    // A block that never checks out stops the transfer, naming its line.
    SimulatedInstrument sim({"--protocol", "acknak", "--hold", "--play", file, "--bad-check-line", "3", "--bad-check-times",
                             "100"});
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(OpenPort(sim, kAckNak, 500), VELTRO_OK) << Error();
    ASSERT_TRUE(sim.Command("start"));
    EXPECT_EQ(ReadAll(kGts6, result), std::vector<std::string>(offline.begin(), offline.begin() + 2));
    EXPECT_EQ(result, VELTRO_BLOCK_REFUSED);
    EXPECT_NE(Error().find("line 3"), std::string::npos) << Error();
    EXPECT_STREQ(readBuf(), "\x04");
  }
  {
    // A hang-up mid-transfer is a failure; a cancel ends the wait for a block.
    SimulatedInstrument sim({"--protocol", "acknak", "--hold", "--play", file, "--hangup-line", "4"});
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(OpenPort(sim, kAckNak, 500), VELTRO_OK) << Error();
    ASSERT_TRUE(sim.Command("start"));
    ReadAll(kGts6, result);
    EXPECT_EQ(result, VELTRO_READ_TIMEOUT) << Error();
  }
  {
    SimulatedInstrument sim({"--protocol", "acknak", "--hold"});
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(OpenPort(sim, kAckNak), VELTRO_OK) << Error();
    int passes = 0;
    g_step = [&] {
      if (++passes == 20) g_break(14);
    };
    EXPECT_EQ(read(kGts6), VELTRO_CANCELLED);
  }
}

TEST_F(FamilyProtocolTest, AckNakSendSucceedsOnlyForAcknowledgedLines) {
  Load("GTS210.DLL");
  const std::string lines = Gts6Lines(200);
  auto sendAll = [&]() {
    size_t from = 0;
    for (size_t to; (to = lines.find("\r\n", from)) != std::string::npos; from = to + 2)
      if (const int32_t r = write(kGts6, lines.substr(from, to - from).c_str()); r != VELTRO_OK) return r;
    return write(kGts6, "\x04");
  };
  {
    // Late answers within the write time are fine; everything arrives once.
    SimulatedInstrument sim({"--protocol", "acknak", "--ack-delay", "5"});
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(OpenPort(sim, kAckNak, kLong, 1000), VELTRO_OK) << Error();
    EXPECT_EQ(sendAll(), VELTRO_OK) << Error();
    EXPECT_TRUE(sim.WaitForEvent("end of data"));
    EXPECT_EQ(sim.Received(), lines);
  }
  {
    // NAK for ever: the line was not taken.
    SimulatedInstrument sim({"--protocol", "acknak", "--nak-storm"});
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(OpenPort(sim, kAckNak, kLong, 1000), VELTRO_OK) << Error();
    EXPECT_EQ(write(kGts6, "_+P1      _ x0000001001"), VELTRO_NOT_ACKNOWLEDGED);
    EXPECT_NE(Error().find("line 1 was not acknowledged (4 NAK"), std::string::npos) << Error();
  }
  {
    // No answer at all: the first line meets the waiting time, later ones the write time.
    SimulatedInstrument sim({"--protocol", "acknak", "--no-ack"});
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(OpenPort(sim, kAckNak, kLong, 200, 500), VELTRO_OK) << Error();
    EXPECT_EQ(write(kGts6, "_+P1"), VELTRO_NO_ANSWER);
    ASSERT_EQ(OpenPort(sim, kAckNak, kLong, 200, 500), VELTRO_OK) << Error();
    EXPECT_EQ(read(kGsi8), VELTRO_WRONG_FORMAT);  // ends the waiting time
    EXPECT_EQ(write(kGts6, "_+P1"), VELTRO_NOT_ACKNOWLEDGED);
    EXPECT_NE(Error().find("4 without answer"), std::string::npos) << Error();
    // A cancel while waiting for the answer.
    ASSERT_EQ(OpenPort(sim, kAckNak, kLong, kLong, 500), VELTRO_OK) << Error();
    EXPECT_EQ(read(kGsi8), VELTRO_WRONG_FORMAT);
    int passes = 0;
    g_step = [&] {
      if (++passes == 20) g_break(14);
    };
    EXPECT_EQ(write(kGts6, "_+P1"), VELTRO_CANCELLED);
  }
}

TEST_F(FamilyProtocolTest, GsiBlocksBothWays) {
  Load("TC600.DLL");
  const std::string file = tmp / "many.gsi";
  WriteFile(file, Gsi8Lines(kManyLines));
  const std::vector<std::string> offline = Offline(file, kGsi8);
  ASSERT_EQ(offline.size(), static_cast<size_t>(kManyLines));
  int32_t result = 0;
  {
    SimulatedInstrument sim({"--protocol", "gsi", "--hold", "--play", file, "--bad-check-line", "7", "--cut-line", "8"});
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(OpenPort(sim, kGsi, 500), VELTRO_OK) << Error();
    ASSERT_TRUE(sim.Command("start"));
    EXPECT_EQ(ReadAll(kGsi8, result), offline);
    EXPECT_EQ(result, VELTRO_OK) << Error();
    EXPECT_TRUE(sim.WaitForEvent("played"));
  }
  {
    SimulatedInstrument sim({"--protocol", "gsi", "--hold", "--play", file, "--bad-check-line", "2", "--bad-check-times",
                             "100"});
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(OpenPort(sim, kGsi, 500), VELTRO_OK) << Error();
    ASSERT_TRUE(sim.Command("start"));
    EXPECT_EQ(ReadAll(kGsi8, result), std::vector<std::string>{offline[0]});
    EXPECT_EQ(result, VELTRO_BLOCK_REFUSED);
    EXPECT_NE(Error().find("line 2"), std::string::npos) << Error();
  }
  {
    const std::string lines = Gsi8Lines(50);
    SimulatedInstrument sim({"--protocol", "gsi"});
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(OpenPort(sim, kGsi, kLong, 1000), VELTRO_OK) << Error();
    size_t from = 0;
    for (size_t to; (to = lines.find("\r\n", from)) != std::string::npos; from = to + 2)
      ASSERT_EQ(write(kGsi8, lines.substr(from, to - from).c_str()), VELTRO_OK) << Error();
    EXPECT_EQ(write(kGsi8, "\x04"), VELTRO_OK) << Error();
    EXPECT_TRUE(sim.WaitForEvent("end of data"));
    EXPECT_EQ(sim.Received(), lines);
    // Other flow controls than the family's are refused.
    ASSERT_EQ(OpenPort(sim, kAckNak), VELTRO_OK) << Error();
    EXPECT_EQ(read(kGsi8), VELTRO_FLOW_UNSUPPORTED);
  }
}

TEST_F(FamilyProtocolTest, GpsReceiversSendOnRequestUntilTheEndSentence) {
  Load("ProMark2.DLL");
  constexpr int32_t kNmea = 13;
  std::string text;
  char line[96];
  for (int i = 1; i <= kManyLines; ++i) {
    std::snprintf(line, sizeof line, "$PMGNWPL,4657.%04d,N,00726.%04d,E,0000512,M,P%d,MAUER,a\r\n", i % 10000,
                  i % 10000, i);
    text += line;
  }
  const std::string file = tmp / "waypoints.txt";
  WriteFile(file, text);
  const std::vector<std::string> offline = Offline(file, kNmea);
  int32_t result = 0;
  {
    SimulatedInstrument sim({"--protocol", "gps", "--hold", "--play", file, "--pace", "0"});
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(OpenPort(sim, kNone), VELTRO_OK) << Error();
    EXPECT_EQ(ReadAll(kNmea, result), offline);
    EXPECT_EQ(result, VELTRO_OK) << Error();
    EXPECT_TRUE(sim.WaitForEvent("request"));
  }
  {
    // A receiver that never answers the request: the waiting time.
    SimulatedInstrument sim({"--silent"});
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(OpenPort(sim, kNone, kLong, kLong, 300), VELTRO_OK) << Error();
    EXPECT_EQ(read(kNmea), VELTRO_NO_ANSWER);
    ASSERT_TRUE(sim.WaitForReceived(1));
    EXPECT_EQ(sim.Received(), "$PMGNCMD,WAYPOINT*71\r\n");
  }
}

TEST_F(FamilyProtocolTest, Rec500RecorderWaitsForTheComputer) {
  Load("REC500.DLL");
  constexpr int32_t kRec500 = 8, kRec500Flow = 6;
  const std::string file = VELTRO_TEST_DATA "/rec500/recorder.rec";
  const std::vector<std::string> offline = Offline(file, kRec500);
  int32_t result = 0;
  SimulatedInstrument sim({"--protocol", "rec500", "--hold", "--play", file, "--pace", "0"});
  ASSERT_TRUE(sim.Ready());
  ASSERT_EQ(OpenPort(sim, kRec500Flow, 500), VELTRO_OK) << Error();
  EXPECT_EQ(ReadAll(kRec500, result), offline);
  EXPECT_EQ(result, VELTRO_OK) << Error();
  EXPECT_TRUE(sim.WaitForEvent("asked"));
  // Sending waits for the recorder's "ready"; without it, the waiting time.
  ASSERT_EQ(OpenPort(sim, kRec500Flow, kLong, kLong, 300), VELTRO_OK) << Error();
  EXPECT_EQ(write(kRec500, offline[0].c_str()), VELTRO_NO_ANSWER);
  ASSERT_EQ(OpenPort(sim, kRec500Flow), VELTRO_OK) << Error();
  ASSERT_TRUE(sim.Command("ready"));
  for (const std::string& line : offline) ASSERT_EQ(write(kRec500, line.c_str()), VELTRO_OK) << Error();
  EXPECT_EQ(write(kRec500, "\x04"), VELTRO_OK) << Error();
  // The DC1 of the receive first.
  const std::string expected = "\x11" + ReadFile(file) + "\r\n";
  ASSERT_TRUE(sim.WaitForReceived(expected.size()));
  EXPECT_TRUE(SameBytes(expected, sim.Received()));
}

TEST_F(FamilyProtocolTest, ProjectsAndCodeListsComeFromTheInstrument) {
  Load("TPS110.DLL");
  auto text = [&](const char* name) { return std::string(library.Export<veltro_text_fn>(name)()); };
  auto clear = library.Export<veltro_code_int_fn>("ClearProject");
  auto set = library.Export<veltro_set_named_fn>("SetProject");
  auto setCodes = library.Export<veltro_set_named_fn>("SetCodeList");
  ASSERT_TRUE(clear && set && setCodes);
  // Without a connection: nothing, and no wait.
  EXPECT_EQ(text("GetProjects"), "");
  EXPECT_EQ(clear(1), 0);
  SimulatedInstrument sim({"--protocol", "gsi"});
  ASSERT_TRUE(sim.Ready());
  ASSERT_EQ(OpenPort(sim, kGsi, kLong, 1000), VELTRO_OK) << Error();
  EXPECT_EQ(text("GetInstrument"), "TPS110 1234567");
  EXPECT_EQ(text("GetProjects"), "JOB1,1\r\nBAU,2");
  EXPECT_EQ(text("GetCodeLists"), "CODES,1");
  EXPECT_EQ(clear(2), 1);
  EXPECT_TRUE(sim.WaitForEvent("CLEAR PROJECT 2"));
  EXPECT_EQ(set(2, "NEU"), 1);
  EXPECT_TRUE(sim.WaitForEvent("SET PROJECT 2 NEU"));
  EXPECT_EQ(clear(7), 0);  // no such project
  EXPECT_NE(Error().find("ERROR"), std::string::npos) << Error();
  EXPECT_EQ(setCodes(3, "BAUM"), 1);
  EXPECT_EQ(text("GetProjects"), "JOB1,1\r\nNEU,2");
  // The transfer goes on over the same connection.
  const std::string lines = Gsi8Lines(3);
  EXPECT_EQ(write(kGsi8, lines.substr(0, lines.find("\r\n")).c_str()), VELTRO_OK) << Error();
  // An instrument that does not answer: "" and false within the write time.
  ASSERT_TRUE(sim.Command("silent on"));
  EXPECT_EQ(text("GetCodeLists"), "");
  EXPECT_EQ(set(1, "X"), 0);
  EXPECT_NE(Error().find("no answer"), std::string::npos) << Error();
}

}  // namespace
}  // namespace veltro::test
