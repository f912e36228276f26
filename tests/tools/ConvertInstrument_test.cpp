// veltro-convert's instrument side: the instrument chosen by caption, the
// listing, receives and sends over a pty with the simulated instrument, port
// settings of the run, and Ctrl-C.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/TextFile.h"
#include "tests/support/ConvertRun.h"
#include "tests/support/InstrumentSim.h"

extern char** environ;

namespace veltro::test {
namespace {

const std::string kData = VELTRO_TEST_DATA "/";
const std::string kGts700 = "Topcon GTS-500 / 600 / 700 / 800A";

std::string PlayFile(const TempDir& dir, const std::string& file) {
  WriteFile(dir / "play", ReadFile(kData + file) + "\x04\r\n");
  return dir / "play";
}

// The converter's open descriptors include the device.
bool HasOpen(pid_t pid, const std::string& device) {
  namespace fs = std::filesystem;
  const fs::path target = fs::canonical(device);
  std::error_code ec;
  for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec)) {
    std::error_code e;
    if (fs::read_symlink(fd.path(), e) == target) return true;
  }
  return false;
}

// The converter itself as a child (so that a signal reaches it), standard
// error into tmp/stderr.txt.
pid_t SpawnConverter(const TempDir& tmp, std::vector<std::string> args) {
  if (!FileExists(tmp / "settings.ini")) WriteFile(tmp / "settings.ini", "");
  args.insert(args.begin(), {InstalledConverter(), "--settings", tmp / "settings.ini"});
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env = {"XDG_CONFIG_HOME=" + tmp.path(), "VELTRO_FREEZE_TIME=2026-12-08"};
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, (tmp / "stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// The exit status of the child; -1 when it did not exit normally.
int Finish(pid_t pid) {
  int status = 0;
  if (!WaitUntil([&] { return ::waitpid(pid, &status, WNOHANG) == pid; })) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ConvertInstrument, ListNamesInstrumentsLibrariesAndFormats) {
  TempDir tmp;
  const ConvertRun run = RunConverter(tmp, "--list");
  ASSERT_EQ(run.status, 0) << run.stderrText;
  for (const char* expected : {"  Topcon GTS-500 / 600 / 700 / 800A | GTS700.DLL | FC5;GTS6;GTS7\n",
                               "  ProMark 500 | TAVRIN.DLL | TAVRIN\n", "  GSI16 | GSI 16\n", "  ASCII | ASCII\n",
                               "  Original\n"})
    EXPECT_NE(run.stdoutText.find(expected), std::string::npos) << expected << run.stdoutText;
}

TEST(ConvertInstrument, TheNamedInstrumentMustTakeTheFormat) {
  TempDir tmp;
  const std::string gts7 = ShellQuote(kData + "gts7/messung-gts7.gt7");
  ConvertRun run = RunConverter(tmp, "--instrument 'Topcon GTS-6' " + gts7 + " " + ShellQuote(tmp / "a.asc"));
  EXPECT_EQ(run.status, 64);
  EXPECT_NE(run.stderrText.find("Topcon GTS-6"), std::string::npos) << run.stderrText;
  run = RunConverter(tmp, "--instrument 'No such one' " + gts7 + " " + ShellQuote(tmp / "a.asc"));
  EXPECT_EQ(run.status, 64);
  run = RunConverter(tmp, "--instrument '" + kGts700 + "' " + gts7 + " " + ShellQuote(tmp / "a.asc"));
  EXPECT_EQ(run.status, 0) << run.stderrText;
  EXPECT_TRUE(SameBytes(ReadFile(kData + "gts7/messung-gts7.gt7.asc"), ReadFile(tmp / "a.asc")));
}

TEST(ConvertInstrument, ReceivesAndSendsOverThePort) {
  TempDir tmp;
  {
    SimulatedInstrument sim({"--xonxoff", "--eol", "crlf", "--hold"});
    ASSERT_TRUE(sim.Ready());
    const pid_t pid = SpawnConverter(tmp, {"--receive", "--instrument", kGts700, "--port", sim.Device(), tmp / "line.asc"});
    ASSERT_GT(pid, 0);
    // The instrument starts once the converter listens.
    ASSERT_TRUE(WaitUntil([&] { return HasOpen(pid, sim.Device()); }));
    ASSERT_TRUE(sim.Command("play " + PlayFile(tmp, "gts7/messung-gts7.gt7")));
    ASSERT_EQ(Finish(pid), 0) << ReadFile(tmp / "stderr.txt");
    EXPECT_TRUE(SameBytes(ReadFile(kData + "gts7/messung-gts7.gt7.asc"), ReadFile(tmp / "line.asc")));
  }
  {
    SimulatedInstrument sim({"--xonxoff"});
    ASSERT_TRUE(sim.Ready());
    const std::string expected = ReadFile(kData + "sdr/koordinaten.asc.sdr33");
    const ConvertRun run = RunConverter(tmp, "--send --instrument SDR-33 --port " +
                                                 ShellQuote(sim.Device()) + " " +
                                                 ShellQuote(kData + "sdr/koordinaten.asc"));
    ASSERT_EQ(run.status, 0) << run.stderrText;
    ASSERT_TRUE(sim.WaitForReceived(expected.size() + 2));
    EXPECT_TRUE(SameBytes(expected + "\r\n", sim.Received()));
  }
  // A setting the instrument does not take: the catalogue's explanation.
  const ConvertRun refused = RunConverter(tmp, "--receive --instrument '" + kGts700 +
                                                   "' --port COM1 --flow none " + ShellQuote(tmp / "x.asc"));
  EXPECT_EQ(refused.status, 64);
  EXPECT_NE(refused.stderrText.find(kGts700), std::string::npos) << refused.stderrText;
  EXPECT_EQ(RunConverter(tmp, "--receive --instrument '" + kGts700 + "' --port COM1 --parity sometimes " +
                                  ShellQuote(tmp / "x.asc"))
                .status,
            64);
}

TEST(ConvertInstrument, CtrlCCancelsAReceive) {
  TempDir tmp;
  std::string many;
  for (int i = 1; i <= 20000; ++i) many += "SS      P" + std::to_string(i) + ",1.600,KERB\r\n";
  WriteFile(tmp / "play", many);
  SimulatedInstrument sim({"--xonxoff", "--hold", "--pace", "2"});
  ASSERT_TRUE(sim.Ready());
  const std::string out = tmp / "cancelled.asc";
  const pid_t pid = SpawnConverter(tmp, {"--receive", "--instrument", kGts700, "--port", sim.Device(), out});
  ASSERT_GT(pid, 0);
  ASSERT_TRUE(WaitUntil([&] { return HasOpen(pid, sim.Device()); }));
  ASSERT_TRUE(sim.Command("play " + (tmp / "play")));
  ::kill(pid, SIGINT);
  EXPECT_EQ(Finish(pid), 2) << ReadFile(tmp / "stderr.txt");
  EXPECT_FALSE(FileExists(out));
}

}  // namespace
}  // namespace veltro::test
