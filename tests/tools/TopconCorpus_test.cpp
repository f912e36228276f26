// The sample corpus of the Topcon formats through veltro-convert, compared
// byte for byte. In tests/data/<folder>/ every instrument file X with an
// X.asc beside it converts to exactly X.asc (format detected); every office
// file S with files S.<FORMAT> beside it converts to exactly S.<FORMAT>
// with --to FORMAT (and S.<FORMAT> itself converts back to S.<FORMAT>.asc).
#include <gtest/gtest.h>

#include "tests/support/ConvertRun.h"
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/TransferFixture.h"

namespace veltro::test {
namespace {

namespace fs = std::filesystem;



std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// The first line where the texts differ, with both lines in hex.
std::string FirstDifference(const std::string& want, const std::string& got) {
  size_t i = 0;
  while (i < want.size() && i < got.size() && want[i] == got[i]) ++i;
  const size_t start = want.rfind('\n', i == 0 ? 0 : i - 1);
  const size_t from = start == std::string::npos ? 0 : start + 1;
  auto lineAt = [from](const std::string& s) {
    const size_t end = s.find('\n', from);
    return from >= s.size() ? std::string() : s.substr(from, end == std::string::npos ? std::string::npos : end - from + 1);
  };
  auto hex = [](const std::string& s) {
    std::string h;
    char b[4];
    for (unsigned char c : s) {
      std::snprintf(b, sizeof b, "%02X ", c);
      h += b;
    }
    return h;
  };
  const std::string w = lineAt(want), g = lineAt(got);
  return "first difference at byte " + std::to_string(i) + "\n  expected: " + w + "\n            " + hex(w) +
         "\n  actual:   " + g + "\n            " + hex(g);
}

class TopconCorpus : public ::testing::Test {
 protected:
  int Convert(const std::string& args, const std::string& out) {
    if (!FileExists(tmp / "settings.ini")) WriteFile(tmp / "settings.ini", "");
    const std::string cmd = "XDG_CONFIG_HOME=" + Quote(tmp.path()) + " " + Quote(InstalledConverter()) + " --settings " +
                            Quote(tmp / "settings.ini") + " --quiet --yes " + args + " " + Quote(out) + " 2>" +
                            Quote(tmp / "stderr.txt");
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  void ExpectSame(const std::string& expectedFile, const std::string& out) {
    const std::string want = ReadFile(expectedFile);
    const std::string got = ReadFile(out);
    EXPECT_TRUE(want == got) << expectedFile << ": " << FirstDifference(want, got) << "\n"
                             << ReadFile(tmp / "stderr.txt");
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
        EXPECT_EQ(Convert(Quote(path), out), 0) << f << "\n" << ReadFile(tmp / "stderr.txt");
        ExpectSame(path + ".asc", out);
        ++cases;
      }
      // Office sources: S.<FORMAT> beside S, FORMAT without a further dot.
      const size_t dot = f.rfind('.');
      if (dot == std::string::npos || f.substr(dot) == ".asc") continue;
      const std::string source = f.substr(0, dot), format = f.substr(dot + 1);
      if (!has(source) || source.size() < 4 || source.substr(source.size() - 4) != ".asc") continue;
      const int status = Convert("--to " + format + " " + Quote(dir + "/" + source), out);
      EXPECT_TRUE(status == 0 || status == 1) << f << " " << status << "\n" << ReadFile(tmp / "stderr.txt");
      ExpectSame(path, out);
      ++cases;
    }
    return cases;
  }

  TempDir tmp;
};

TEST_F(TopconCorpus, Gts6) { EXPECT_GE(RunFolder("gts6"), 14); }

}  // namespace
}  // namespace veltro::test

namespace veltro::test {
namespace {

TEST_F(TopconCorpus, NamedFormatsAndRefusals) {
  const std::string dir = std::string(VELTRO_TEST_DATA) + "/gts6/";
  EXPECT_EQ(Convert("--from GTS6 " + Quote(dir + "messung-gts6-bloecke.gt6"), tmp / "a.asc"), 0);
  ExpectSame(dir + "messung-gts6.gt6.asc", tmp / "a.asc");
  EXPECT_EQ(Convert("--from fc5 " + Quote(dir + "koordinaten-fc5.fc5"), tmp / "b.asc"), 0);
  // A GTS-6 file is no GTS-6x file.
  EXPECT_EQ(Convert("--from GTS6x " + Quote(dir + "messung-gts6.gt6"), tmp / "c.asc"), 2);
  EXPECT_FALSE(FileExists(tmp / "c.asc"));
}

}  // namespace
}  // namespace veltro::test

namespace veltro::test {
namespace {

TEST_F(TopconCorpus, Gts7) { EXPECT_GE(RunFolder("gts7"), 10); }

TEST_F(TopconCorpus, Fc6AcceptsGts7Text) {
  const std::string dir = std::string(VELTRO_TEST_DATA) + "/gts7/";
  EXPECT_EQ(Convert("--from FC6 " + Quote(dir + "messung-fc6.gt7"), tmp / "a.asc"), 0);
  ExpectSame(dir + "messung-fc6.gt7.asc", tmp / "a.asc");
  EXPECT_EQ(Convert("--from OGTS7 " + Quote(dir + "messung-gts7.gt7"), tmp / "b.asc"), 2);
}

}  // namespace
}  // namespace veltro::test
