// veltro-convert end to end: the built program on files on disk.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <string>

#include "tests/support/TransferFixture.h"

namespace veltro::test {
namespace {

const std::string kConvert = VELTRO_BUILD_DIR "/app/veltro-convert";
const std::string kData = VELTRO_TEST_DATA;

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

class ConvertTest : public ::testing::Test {
 protected:
  // Runs the converter with its own settings file; answers the exit status.
  int Run(const std::string& args) {
    std::string cmd = "XDG_CONFIG_HOME=" + Quote(tmp.path()) + " " + Quote(kConvert) + " --settings " +
                      Quote(tmp / "settings.ini") + " " + args + " >" + Quote(tmp / "stdout.txt") + " 2>" +
                      Quote(tmp / "stderr.txt");
    int status = std::system(cmd.c_str());
    stderrText = ReadFile(tmp / "stderr.txt");
    stdoutText = ReadFile(tmp / "stdout.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string In(const std::string& name) const { return Quote(tmp / name); }

  TempDir tmp;
  std::string stderrText;
  std::string stdoutText;
};

TEST_F(ConvertTest, HelpAndUsage) {
  EXPECT_EQ(Run("--help"), 0);
  EXPECT_NE(stdoutText.find("--from"), std::string::npos);
  EXPECT_EQ(Run(""), 64);
  EXPECT_NE(stderrText.find("--settings"), std::string::npos);
  EXPECT_EQ(Run("--bogus a b"), 64);
  WriteFile(tmp / "a.asc", "100|12|600000.000|200000.000|450.00|\r\n");
  EXPECT_EQ(Run("--from NOSUCH " + In("a.asc") + " " + In("out")), 64);
  EXPECT_EQ(Run("--from ASCII --to ASCII " + In("a.asc") + " " + In("out")), 64);
  EXPECT_EQ(Run(In("a.asc") + " " + In("out")), 64);  // office input needs --to
  EXPECT_FALSE(FileExists(tmp / "out"));
}

TEST_F(ConvertTest, UnreadableOrUnrecognisedInputWritesNothing) {
  EXPECT_EQ(Run(In("missing.gsi") + " " + In("out.asc")), 2);
  EXPECT_FALSE(stderrText.empty());
  WriteFile(tmp / "empty.gsi", "");
  EXPECT_EQ(Run(In("empty.gsi") + " " + In("out.asc")), 2);
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919) & 0xFF);
  WriteFile(tmp / "binary.gsi", binary);
  EXPECT_EQ(Run(In("binary.gsi") + " " + In("out.asc")), 2);
  EXPECT_FALSE(FileExists(tmp / "out.asc"));
}

}  // namespace
}  // namespace veltro::test
