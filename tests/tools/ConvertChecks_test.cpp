// veltro-convert on inputs that must not be taken at face value: settings
// that change the reading, files of another kind than asked, runs that write
// nothing, bytes that belong in no instrument word.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "platform/TextFile.h"
#include "tests/support/ConvertRun.h"

namespace veltro::test {
namespace {

const std::string kData = VELTRO_TEST_DATA;
const std::string kSection = "[Software\\VELTRO Marten\\Surtrans\\2.1.1.5\\Configuration\\GSI8]\n";

class ConvertChecks : public ::testing::Test {
 protected:
  int Run(const std::string& args) {
    const ConvertRun run = RunConverter(tmp, args);
    err = run.stderrText;
    out = run.stdoutText;
    return run.status;
  }
  std::string At(const std::string& name) const { return ShellQuote(tmp / name); }
  static std::string Data(const std::string& name) { return ShellQuote(kData + "/" + name); }
  size_t Count(const std::string& text, const std::string& what) const {
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
  }

  TempDir tmp;
  std::string err;
  std::string out;
};

TEST_F(ConvertChecks, CodeListOptionsComeFromTheSettingsFile) {
  // Code blocks after the measurement: the code 31 belongs to point 201.
  WriteFile(tmp / "settings.ini", kSection + "Attributs past measuring=1\n");
  ASSERT_EQ(Run("--from GSI8 " + Data("gsi/messung-gsi8-nachher.gsi") + " " + At("after.asc")), 0) << err;
  EXPECT_NE(ReadFile(tmp / "after.asc").find("|201|31|"), std::string::npos) << ReadFile(tmp / "after.asc");
  // Before the measurement (the default), it is carried to the next point.
  WriteFile(tmp / "settings.ini", kSection + "Attributs past measuring=0\n");
  ASSERT_EQ(Run("--from GSI8 " + Data("gsi/messung-gsi8-nachher.gsi") + " " + At("before.asc")), 0) << err;
  EXPECT_NE(ReadFile(tmp / "before.asc").find("|201||"), std::string::npos) << ReadFile(tmp / "before.asc");
}

TEST_F(ConvertChecks, TrailingCodeBlockOfACoordinateFileWritesNoRecord) {
  WriteFile(tmp / "k.gsi",
            "110001+00001234 81..10+00012345 82..10+00067890 83..10+00000500 \r\n"
            "410002+0000MARK \r\n");
  ASSERT_EQ(Run(At("k.gsi") + " " + At("k.asc")), 0) << err;
  EXPECT_EQ(ReadFile(tmp / "k.asc"), "1234||12.345|67.890|0.500|\r\n");
}

// A receive detects its file from the first lines only: a file beyond that
// head (with a byte-order mark) still converts every line.
TEST_F(ConvertChecks, AFileLargerThanTheDetectionHeadConvertsWhole) {
  std::string gsi = std::string(kUtf8ByteOrderMark), expected;
  for (int i = 1; i <= 25000; ++i) {
    char line[96];
    std::snprintf(line, sizeof line, "110001+%08d 81..10+00012345 82..10+00067890 83..10+00000500 \r\n", i);
    gsi += line;
    expected += std::to_string(i) + "||12.345|67.890|0.500|\r\n";
  }
  ASSERT_GT(gsi.size(), 1u << 20);
  WriteFile(tmp / "big.gsi", gsi);
  ASSERT_EQ(Run(At("big.gsi") + " " + At("big.asc")), 0) << err;
  EXPECT_EQ(ReadFile(tmp / "big.asc"), expected);
}

TEST_F(ConvertChecks, MeasurementOutputIsNoCoordinateFile) {
  // The program's own measurement listing, read back, is refused as a
  // whole, never sent as points named "Station".
  ASSERT_EQ(Run(Data("gsi/messung-gsi16.gsi") + " " + At("m.asc")), 0) << err;
  EXPECT_EQ(Run("--to GSI16 " + At("m.asc") + " " + At("m.gsi")), 2);
  EXPECT_FALSE(FileExists(tmp / "m.gsi"));
  // Coordinate fields that are no numbers are errors, listed and not written.
  WriteFile(tmp / "k.asc", "1|A|10.000|20.000|1.000|\r\n2|B|Hz|V|1.000|\r\n3|C|30.000|40.000||\r\n");
  EXPECT_EQ(Run("--from ASCII --to GSI8 " + At("k.asc") + " " + At("k.gsi")), 1) << err;
  EXPECT_NE(err.find("2|B|Hz|V|1.000|"), std::string::npos) << err;
  const std::string gsi = ReadFile(tmp / "k.gsi");
  EXPECT_EQ(Count(gsi, "\r\n"), 2u) << gsi;
}

TEST_F(ConvertChecks, BytesThatBelongInNoWord) {
  // A byte-order mark is dropped; a tab inside a field refuses its line.
  WriteFile(tmp / "k.asc", "\xEF\xBB\xBF" "1|A|10.000|20.000|1.000|\r\n2|B\tC|30.000|40.000||\r\n");
  EXPECT_EQ(Run("--from ASCII --to GSI8 " + At("k.asc") + " " + At("k.gsi")), 1) << err;
  EXPECT_EQ(ReadFile(tmp / "k.gsi"), "11....+00000001 71....+0000000A 81...0+00010000 82...0+00020000 83...0+00001000 \r\n");
  WriteFile(tmp / "t.gsi", "\xEF\xBB\xBF" "110001+00001234 81..10+00012345 82..10+00067890 \r\n"
                                          "110002+00000002 81..10+0001\t345 82..10+00067890 \r\n");
  EXPECT_EQ(Run("--from GSI8 " + At("t.gsi") + " " + At("t.asc")), 1) << err;
  EXPECT_EQ(ReadFile(tmp / "t.asc"), "1234||12.345|67.890||\r\n");
  // A point number or code longer than a word is cut and listed.
  WriteFile(tmp / "long.asc", "1234567890|CODE-TOO-LONG|1.000|2.000||\r\n");
  EXPECT_EQ(Run("--from ASCII --to GSI8 " + At("long.asc") + " " + At("long.gsi")), 0) << err;
  EXPECT_EQ(ReadFile(tmp / "long.gsi").substr(0, 32), "11....+34567890 71....+CODE-TOO ");
  EXPECT_NE(err.find("1234567890"), std::string::npos) << err;
  EXPECT_NE(err.find("CODE-TOO-LONG"), std::string::npos) << err;
}

TEST_F(ConvertChecks, ARunWithoutRecordsKeepsTheOutput) {
  WriteFile(tmp / "good.asc", "kept\r\n");
  WriteFile(tmp / "refused.gsi", "110001+00001234 81..10+00012\t45 82..10+00067890 \r\n");
  EXPECT_EQ(Run("--yes --from GSI8 --force " + At("refused.gsi") + " " + At("good.asc")), 2) << err;
  EXPECT_EQ(ReadFile(tmp / "good.asc"), "kept\r\n");
  // Refused lines are counted in all, beyond those listed.
  std::string many;
  for (int i = 0; i < 30; ++i) many += std::to_string(i + 1) + "|A|x|y||\r\n";
  many += "99|A|1.000|2.000||\r\n";
  WriteFile(tmp / "many.asc", many);
  EXPECT_EQ(Run("--from ASCII --to GSI8 --force " + At("many.asc") + " " + At("many.gsi")), 1) << err;
  EXPECT_NE(err.find("30 entries in all, the first 20"), std::string::npos) << err;
}

TEST_F(ConvertChecks, FromMustMatchWhatTheFileHolds) {
  // ASCII coordinates named GSI8, a GSI file named ASCII.
  EXPECT_EQ(Run("--from GSI8 " + Data("ascii/koordinaten.asc") + " " + At("a.asc")), 2);
  EXPECT_NE(err.find("GSI 8 (recognised: ASCII)"), std::string::npos) << err;
  EXPECT_EQ(Run("--from ASCII --to GSI8 " + Data("gsi/sample-messung.gsi") + " " + At("b.gsi")), 2);
  EXPECT_NE(err.find("ASCII (recognised: GSI8)"), std::string::npos) << err;
  EXPECT_FALSE(FileExists(tmp / "a.asc") || FileExists(tmp / "b.gsi"));
  // The pass-through needs lines of the target format.
  EXPECT_EQ(Run("--from Original --to GSI16 " + Data("gsi/sample-messung.gsi") + " " + At("c.gsi")), 2);
  // Lines the reader takes for nothing are counted.
  WriteFile(tmp / "junk.gsi", "110001+00001234 81..10+00012345 82..10+00067890 \r\nnot a word\r\nnor this\r\n");
  EXPECT_EQ(Run("--from GSI8 " + At("junk.gsi") + " " + At("junk.asc")), 0) << err;
  EXPECT_NE(err.find("2 lines not read"), std::string::npos) << err;
}

TEST_F(ConvertChecks, FrameAndVersionLinesCountAsRead) {
  for (const char* sample : {"gts6/koordinaten-gts6.gt6", "gts7/messung-gts7.gt7", "gts7/messung-fc6.gt7",
                             "sdr/job-sdr33.sdr", "sdr/job-sdr2x.sdr"}) {
    ASSERT_EQ(Run("--yes " + Data(sample) + " " + At("o.asc")), 0) << sample << "\n" << err;
    EXPECT_EQ(err.find("not read"), std::string::npos) << sample << "\n" << err;
  }
}

TEST_F(ConvertChecks, DetectionFollowsTheTarget) {
  // LF-only ASCII coordinates with an office target are no instrument data.
  EXPECT_EQ(Run("--to ASCII " + Data("gsi/koordinaten.asc") + " " + At("a.asc")), 2);
  EXPECT_FALSE(FileExists(tmp / "a.asc"));
  ASSERT_EQ(Run("--to GSI16 " + Data("gsi/koordinaten.asc") + " " + At("k.gsi")), 0) << err;
  EXPECT_EQ(ReadFile(tmp / "k.gsi").rfind("*11", 0), 0u);
}

TEST_F(ConvertChecks, ArgumentsAndFilesAreChecked) {
  const std::string input = Data("gsi/sample-messung.gsi");
  WriteFile(tmp / "same.gsi", ReadFile(kData + "/gsi/sample-messung.gsi"));
  EXPECT_EQ(Run(At("same.gsi") + " " + At("same.gsi")), 64);
  EXPECT_NE(err.find("same file"), std::string::npos) << err;
  EXPECT_EQ(ReadFile(tmp / "same.gsi"), ReadFile(kData + "/gsi/sample-messung.gsi"));
  // A usage error names the argument and shows the usage line only.
  EXPECT_EQ(Run("--from"), 64);
  EXPECT_NE(err.find("--from"), std::string::npos) << err;
  EXPECT_EQ(Run("--bogus " + input + " " + At("x.asc")), 64);
  EXPECT_NE(err.find("Wrong argument: --bogus"), std::string::npos) << err;
  EXPECT_EQ(Count(err, "\n"), 2u) << err;
  // A settings file that does not exist.
  const std::string conv = ShellQuote(InstalledConverter());
  const std::string missing = At("none.ini");
  EXPECT_EQ(std::system((conv + " --settings " + missing + " " + input + " " + At("y.asc") + " 2>/dev/null").c_str()) >> 8,
            64);
  EXPECT_FALSE(FileExists(tmp / "y.asc") || FileExists(tmp / "none.ini"));
  EXPECT_EQ(std::system((conv + " --create-settings --settings " + missing + " " + input + " " + At("y.asc") +
                         " 2>/dev/null").c_str()) >> 8,
            0);
  EXPECT_TRUE(FileExists(tmp / "none.ini") && FileExists(tmp / "y.asc"));
  // The system's reason.
  ::mkdir((tmp / "ro").c_str(), 0555);
  if (::geteuid() != 0) {
    EXPECT_EQ(Run(input + " " + At("ro/z.asc")), 2);
    EXPECT_NE(err.find("Permission denied"), std::string::npos) << err;
  }
  EXPECT_EQ(Run(At("nothing-here.gsi") + " " + At("z.asc")), 2);
  EXPECT_NE(err.find("No such file or directory"), std::string::npos) << err;
  // Every format name the options take, with its caption.
  ASSERT_EQ(Run("--list"), 0);
  EXPECT_NE(out.find("  GSI16 | "), std::string::npos) << out;
  EXPECT_NE(out.find("  ASCII"), std::string::npos) << out;
}

TEST_F(ConvertChecks, OfficeToOfficeRunsThroughAnInstrumentFormat) {
  WriteFile(tmp / "k.asc", "1001|MAUER|2600123.456|1200456.789|456.123|\r\nA-VERY-LONG-POINT-NAME|X|1.000|2.000||\r\n");
  ASSERT_EQ(Run("--from ASCII --to ASCII " + At("k.asc") + " " + At("back.asc")), 0) << err;
  EXPECT_EQ(ReadFile(tmp / "back.asc"),
            "1001|MAUER|2600123.456|1200456.789|456.123|\r\n-LONG-POINT-NAME|X|1.000|2.000||\r\n");
  EXPECT_NE(err.find("A-VERY-LONG-POINT-NAME"), std::string::npos) << err;
  EXPECT_EQ(Run("--from ASCII --to ASCII --via ASCII " + At("k.asc") + " " + At("x.asc")), 64);
}

}  // namespace
}  // namespace veltro::test
