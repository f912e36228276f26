// REC 500 listings through veltro-convert: long files, and files or formats
// that hold nothing the program reads.
#include <gtest/gtest.h>

#include <string>

#include "platform/TextFile.h"
#include "tests/support/ConvertRun.h"

namespace veltro::test {
namespace {

TEST(ConvertRec500, TenThousandPointsWrapTheLineNumberAndReadBackWhole) {
  TempDir tmp;
  std::string ascii;
  for (int i = 1; i <= 10001; ++i)
    ascii += std::to_string(i) + "|C|" + std::to_string(i) + ".125|-" + std::to_string(i) + ".500|1.000|\r\n";
  WriteFile(tmp / "k.asc", ascii);
  ASSERT_EQ(RunConverter(tmp, "--to REC500 " + ShellQuote(tmp / "k.asc") + " " + ShellQuote(tmp / "k.rec")).status, 0);
  const std::string rec = ReadFile(tmp / "k.rec");
  EXPECT_NE(rec.find("\r\n   9999 9999 "), std::string::npos);
  EXPECT_NE(rec.find("\r\n      0 10000 "), std::string::npos);
  EXPECT_NE(rec.find("\r\n      1 10001 "), std::string::npos);
  ASSERT_EQ(RunConverter(tmp, ShellQuote(tmp / "k.rec") + " " + ShellQuote(tmp / "back.asc")).status, 0);
  EXPECT_TRUE(SameBytes(ascii, ReadFile(tmp / "back.asc")));
}

TEST(ConvertRec500, NothingReadableMeansAMessageAndNoFile) {
  TempDir tmp;
  const std::string dialect = std::string(VELTRO_TEST_DATA) + "/rec500/nur-dialekt.rec";
  ConvertRun run = RunConverter(tmp, "--from REC500 " + ShellQuote(dialect) + " " + ShellQuote(tmp / "out.asc"));
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.stderrText.find("Rec 500"), std::string::npos) << run.stderrText;
  EXPECT_FALSE(FileExists(tmp / "out.asc"));

  // Rec E has no reader: refused before anything is read or written.
  run = RunConverter(tmp, "--from RECE " + ShellQuote(dialect) + " " + ShellQuote(tmp / "out.asc"));
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.stderrText.find("Rec E"), std::string::npos) << run.stderrText;
  WriteFile(tmp / "k.asc", "1|C|1.000|2.000|3.000|\r\n");
  run = RunConverter(tmp, "--to RECE " + ShellQuote(tmp / "k.asc") + " " + ShellQuote(tmp / "out.rec"));
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.stderrText.find("Rec E"), std::string::npos) << run.stderrText;
  EXPECT_FALSE(FileExists(tmp / "out.asc"));
  EXPECT_FALSE(FileExists(tmp / "out.rec"));
}

}  // namespace
}  // namespace veltro::test
