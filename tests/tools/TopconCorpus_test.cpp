// The sample corpus of the Topcon formats through veltro-convert, compared
// byte for byte. In tests/data/<folder>/ every instrument file X with an
// X.asc beside it converts to exactly X.asc (format detected); every office
// file S with files S.<FORMAT> beside it converts to exactly S.<FORMAT>
// with --to FORMAT (and S.<FORMAT> itself converts back to S.<FORMAT>.asc).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/ConvertRun.h"

namespace veltro::test {
namespace {

namespace fs = std::filesystem;

class TopconCorpus : public ::testing::Test {
 protected:
  int Convert(const std::string& args, const std::string& out) {
    last_ = RunConverter(tmp, "--quiet --yes " + args + " " + ShellQuote(out));
    return last_.status;
  }

  void ExpectSame(const std::string& expectedFile, const std::string& out) {
    EXPECT_TRUE(SameBytes(ReadFile(expectedFile), ReadFile(out))) << expectedFile << "\n" << last_.stderrText;
  }

  // Runs the corpus of one folder; answers the number of cases.
  int RunFolder(const std::string& folder) {
    const std::string dir = std::string(VELTRO_TEST_DATA) + "/" + folder;
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(dir)) files.push_back(e.path().filename().string());
    std::sort(files.begin(), files.end());
    auto has = [&](const std::string& name) { return std::find(files.begin(), files.end(), name) != files.end(); };
    int cases = 0;
    for (const std::string& f : files) {
      const std::string path = dir + "/" + f;
      const std::string out = tmp / ("out-" + f);
      if (has(f + ".asc") && f.size() > 4 && f.substr(f.size() - 4) != ".asc") {
        EXPECT_EQ(Convert(ShellQuote(path), out), 0) << f << "\n" << last_.stderrText;
        ExpectSame(path + ".asc", out);
        ++cases;
      }
      // Office sources: S.<FORMAT> beside S, FORMAT without a further dot.
      const size_t dot = f.rfind('.');
      if (dot == std::string::npos || f.substr(dot) == ".asc") continue;
      const std::string source = f.substr(0, dot), format = f.substr(dot + 1);
      if (!has(source) || source.size() < 4 || source.substr(source.size() - 4) != ".asc") continue;
      const int status = Convert("--to " + format + " " + ShellQuote(dir + "/" + source), out);
      EXPECT_TRUE(status == 0 || status == 1) << f << " " << status << "\n" << last_.stderrText;
      ExpectSame(path, out);
      ++cases;
    }
    return cases;
  }

  TempDir tmp;
  ConvertRun last_;
};

TEST_F(TopconCorpus, Gts6) { EXPECT_GE(RunFolder("gts6"), 14); }

TEST_F(TopconCorpus, NamedFormatsAndRefusals) {
  const std::string dir = std::string(VELTRO_TEST_DATA) + "/gts6/";
  EXPECT_EQ(Convert("--from GTS6 " + ShellQuote(dir + "messung-gts6-bloecke.gt6"), tmp / "a.asc"), 0);
  ExpectSame(dir + "messung-gts6.gt6.asc", tmp / "a.asc");
  EXPECT_EQ(Convert("--from fc5 " + ShellQuote(dir + "koordinaten-fc5.fc5"), tmp / "b.asc"), 0);
  // A GTS-6 file is no GTS-6x file.
  EXPECT_EQ(Convert("--from GTS6x " + ShellQuote(dir + "messung-gts6.gt6"), tmp / "c.asc"), 2);
  EXPECT_FALSE(FileExists(tmp / "c.asc"));
}

TEST_F(TopconCorpus, Gts7) { EXPECT_GE(RunFolder("gts7"), 10); }

TEST_F(TopconCorpus, Fc6AcceptsGts7Text) {
  const std::string dir = std::string(VELTRO_TEST_DATA) + "/gts7/";
  EXPECT_EQ(Convert("--from FC6 " + ShellQuote(dir + "messung-fc6.gt7"), tmp / "a.asc"), 0);
  ExpectSame(dir + "messung-fc6.gt7.asc", tmp / "a.asc");
  EXPECT_EQ(Convert("--from OGTS7 " + ShellQuote(dir + "messung-gts7.gt7"), tmp / "b.asc"), 2);
}

}  // namespace
}  // namespace veltro::test
