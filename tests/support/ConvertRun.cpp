#include "tests/support/ConvertRun.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "instruments/InstrumentenModul.h"
#include "platform/DynamicLibrary.h"

namespace veltro::test {
namespace {

const std::string kProgramDir = VELTRO_BUILD_DIR "/app/";
const std::string kFamilyLibrary = VELTRO_TEST_LIBS "/libTestFamily.so";

// The converter installed in a folder of its own: a copy of the program
// (it finds its libraries beside itself), the program folder's files, and
// for every instrument of the catalogue whose library is not built the test
// family library under that library's name.
}  // namespace

const std::string& InstalledConverter() {
  static TempDir folder;
  static std::string program;
  if (!program.empty()) return program;
  namespace fs = std::filesystem;
  for (const fs::directory_entry& e : fs::directory_iterator(kProgramDir)) {
    if (e.path().filename() == "veltro-convert") continue;
    fs::create_symlink(e.path(), fs::path(folder.path()) / e.path().filename());
  }
  program = folder / "veltro-convert";
  fs::copy_file(kProgramDir + "veltro-convert", program);
  TGeraete catalogue(folder.path() + "/");
  catalogue.WriteBackOnDestroy = false;
  catalogue.ForEach<TInstrument>([&](const TInstrument& i) {
    const std::string name = folder / LibraryFileName(TGeraete::InstrumentLibraryName(i.InstrumentDLL));
    if (!fs::exists(name) && FindLibrary(TGeraete::InstrumentLibraryName(i.InstrumentDLL), kProgramDir).empty())
      fs::create_symlink(kFamilyLibrary, name);
  });
  return program;
}

namespace {

std::string LineAt(const std::string& s, size_t at) {
  const size_t start = s.rfind('\n', at == 0 ? 0 : at - 1);
  const size_t from = start == std::string::npos || at == 0 ? 0 : start + 1;
  size_t end = s.find('\n', at);
  if (end == std::string::npos) end = s.size();
  if (end > from && s[end - 1] == '\r') --end;
  return s.substr(from, end - from);
}

std::string Hex(const std::string& s, size_t from) {
  std::string out;
  char buf[4];
  for (size_t i = from; i < s.size() && i < from + 32; ++i) {
    std::snprintf(buf, sizeof buf, "%02X ", static_cast<unsigned char>(s[i]));
    out += buf;
  }
  return out;
}

}  // namespace

std::string ShellQuote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

ConvertRun RunConverter(const TempDir& tmp, const std::string& args) {
  // The converter refuses a settings file that does not exist.
  if (!FileExists(tmp / "settings.ini")) WriteFile(tmp / "settings.ini", "");
  const std::string cmd = "VELTRO_FREEZE_TIME=2026-12-08 XDG_CONFIG_HOME=" + ShellQuote(tmp.path()) + " " +
                          ShellQuote(InstalledConverter()) + " --settings " + ShellQuote(tmp / "settings.ini") + " " + args + " >" +
                          ShellQuote(tmp / "stdout.txt") + " 2>" + ShellQuote(tmp / "stderr.txt");
  const int status = std::system(cmd.c_str());
  ConvertRun run;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.stdoutText = ReadFile(tmp / "stdout.txt");
  run.stderrText = ReadFile(tmp / "stderr.txt");
  return run;
}

::testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
  return ::testing::AssertionFailure() << "first difference at byte " << at
                                       << "\n  expected line: " << LineAt(expected, at)
                                       << "\n  actual line:   " << LineAt(actual, at)
                                       << "\n  expected hex: " << Hex(expected, at)
                                       << "\n  actual hex:   " << Hex(actual, at);
}

}  // namespace veltro::test
