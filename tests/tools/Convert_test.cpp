// veltro-convert end to end: the built program on files on disk.
#include <gtest/gtest.h>

#include <string>

#include "platform/TextFile.h"
#include "tests/support/ConvertRun.h"

namespace veltro::test {
namespace {

const std::string kData = VELTRO_TEST_DATA;

std::string Quote(const std::string& s) { return ShellQuote(s); }

class ConvertTest : public ::testing::Test {
 protected:
  // Runs the converter with its own settings file; answers the exit status.
  int Run(const std::string& args) {
    const ConvertRun run = RunConverter(tmp, args);
    stderrText = run.stderrText;
    stdoutText = run.stdoutText;
    return run.status;
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
  EXPECT_EQ(Run("--from ASCII --to ASCII --via NOSUCH " + In("a.asc") + " " + In("out")), 64);
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

namespace veltro::test {
namespace {

const std::string kGsi = VELTRO_TEST_DATA "/gsi/";

TEST_F(ConvertTest, Gsi8MeasurementsToAsciiWithAutoDetection) {
  ASSERT_EQ(Run(Quote(kGsi + "sample-messung.gsi") + " " + In("m.asc")), 0) << stderrText;
  std::string out = ReadFile(tmp / "m.asc");
  EXPECT_NE(out.find("|1001|21|185.12340|98.56780|45.678|"), std::string::npos) << out;
  EXPECT_NE(out.find("|123.456|654.321|0.457|"), std::string::npos) << out;
  EXPECT_EQ(out.find('\n'), out.find("\r\n") + 1);  // CR LF line ends
}

TEST_F(ConvertTest, CoordinatesRoundTripThroughGsi16) {
  ASSERT_EQ(Run("--to GSI16 " + Quote(kGsi + "koordinaten.asc") + " " + In("k.gsi")), 0) << stderrText;
  EXPECT_EQ(ReadFile(tmp / "k.gsi")[0], '*');
  ASSERT_EQ(Run(In("k.gsi") + " " + In("back.asc")), 0) << stderrText;
  EXPECT_EQ(ReadFile(tmp / "back.asc"),
            "1001|MAUER|2600123.456|1200456.789|456.123|\r\n"
            "1002||2600124.500|1200457.000|457.000|\r\n"
            "P17|BAUM|2599987.655|1199999.999|-0.500|\r\n"
            "2001|31|2600000.000|1200000.000||\r\n");
}

TEST_F(ConvertTest, CoordinatesRoundTripThroughGsi8) {
  // GSI 8 words hold 8 digits: local coordinates in millimetres.
  const std::string ascii =
      "1|MAUER|12345.678|54321.001|456.123|\r\n"
      "2||0.001|99999.999|-0.500|\r\n";
  WriteFile(tmp / "k.asc", ascii);
  ASSERT_EQ(Run("--to gsi8 " + In("k.asc") + " " + In("k.gsi")), 0) << stderrText;
  EXPECT_NE(ReadFile(tmp / "k.gsi")[0], '*');
  ASSERT_EQ(Run("--from GSI8 " + In("k.gsi") + " " + In("back.asc")), 0) << stderrText;
  EXPECT_EQ(ReadFile(tmp / "back.asc"), ascii);
}

TEST_F(ConvertTest, ExistingOutputIsKeptUnlessYes) {
  WriteFile(tmp / "out.asc", "alt\r\n");
  EXPECT_EQ(Run(Quote(kGsi + "sample-messung.gsi") + " " + In("out.asc")), 2);
  EXPECT_EQ(ReadFile(tmp / "out.asc"), "alt\r\n");
  EXPECT_EQ(Run("--no " + Quote(kGsi + "sample-messung.gsi") + " " + In("out.asc")), 2);
  EXPECT_EQ(ReadFile(tmp / "out.asc"), "alt\r\n");
  EXPECT_EQ(Run("--yes " + Quote(kGsi + "sample-messung.gsi") + " " + In("out.asc")), 0);
  EXPECT_NE(ReadFile(tmp / "out.asc"), "alt\r\n");
}

TEST_F(ConvertTest, FileOfAnotherFormatThanFromSaysIsRefused) {
  EXPECT_EQ(Run("--from GSI16 " + Quote(kGsi + "sample-messung.gsi") + " " + In("out.asc")), 2);
  EXPECT_NE(stderrText.find("GSI8"), std::string::npos) << stderrText;
  EXPECT_FALSE(FileExists(tmp / "out.asc"));
  WriteFile(tmp / "prose.txt", "Dies ist kein Messprotokoll.\r\n");
  EXPECT_EQ(Run("--from GSI8 " + In("prose.txt") + " " + In("out.asc")), 2);
  EXPECT_FALSE(FileExists(tmp / "out.asc"));
}

TEST_F(ConvertTest, LinesThatCannotBeWrittenGiveStatusOne) {
  WriteFile(tmp / "k.asc",
            "1|A|100.000|200.000|1.000|\r\n"
            "2|B|123456.789|200.000|1.000|\r\n");  // too wide for a GSI 8 word
  EXPECT_EQ(Run("--to GSI8 " + In("k.asc") + " " + In("k.gsi")), 1) << stderrText;
  EXPECT_NE(stderrText.find("123456.789"), std::string::npos) << stderrText;
  EXPECT_EQ(SplitLines(ReadFile(tmp / "k.gsi")).size(), 1u);
}

}  // namespace
}  // namespace veltro::test

// ---- Office and CAD program formats -------------------------------------------------

namespace veltro::test {
namespace {

const std::string kOffice = VELTRO_TEST_DATA "/office/";

struct OfficeSample {
  const char* format;
  const char* coordinates;  // tests/data/<dir>/..., written from punkte-<source>.gsi
  const char* source;
  const char* measurements;  // written from messung-gsi16.gsi; "" for none
};

const OfficeSample kOfficeSamples[] = {
    {"Caddy", "caddy/koordinaten.kor", "kurz", "caddy/messung.mes"},
    {"CPlan", "cplan/koordinaten.cplan", "kurz", "cplan/messung.inroh"},
    {"Geos", "geos/koordinaten.tra", "kurz", "geos/messung.tra"},
    {"Homere", "homere/koordinaten.hom", "kurz", "homere/messung.cv"},
    {"LTOP", "ltop/koordinaten.ltop", "kurz", ""},
    {"OSQUSO", "osquso/koordinaten.osq", "kurz", "osquso/messung.osq"},
    {"SBB", "sbb/koordinaten.sbb", "kurz", "sbb/messung.sbb"},
    {"TopoCad", "topocad/koordinaten.pxy", "kurz", "topocad/messung.tsx"},
    {"Bonjour", "bonjour/koordinaten.yx", "lang", "bonjour/messung.de"},
    {"Geotop", "geotop/koordinaten.gco", "lang", "geotop/messung.gme"},
};

// Each member: GSI 16 coordinates into the member's file byte for byte, that
// file recognised and sent back into the same GSI 16 lines, and a GSI 16
// measurement file into the member's measurement file.
TEST_F(ConvertTest, OfficeFormatsWriteTheirFilesAndReadThemBack) {
  setenv("VELTRO_FREEZE_TIME", "2026-12-08", 1);  // the date of the Topocad header
  for (const OfficeSample& s : kOfficeSamples) {
    SCOPED_TRACE(s.format);
    const std::string source = kOffice + "punkte-" + s.source + ".gsi";
    const std::string out = std::string(s.format) + ".out";
    ASSERT_EQ(Run(std::string("--from GSI16 --to ") + s.format + " " + Quote(source) + " " + In(out)), 0) << stderrText;
    EXPECT_EQ(ReadFile(tmp / out), ReadFile(VELTRO_TEST_DATA "/" + std::string(s.coordinates)));
    ASSERT_EQ(Run("--to GSI16 " + Quote(VELTRO_TEST_DATA "/" + std::string(s.coordinates)) + " " + In(out + ".gsi")), 0)
        << stderrText;
    EXPECT_EQ(ReadFile(tmp / (out + ".gsi")), ReadFile(source));
    if (*s.measurements == '\0') continue;
    const int status = Run(std::string("--from GSI16 --to ") + s.format + " " + Quote(kOffice + "messung-gsi16.gsi") +
                           " " + In(out + ".m"));
    ASSERT_EQ(status, 0) << stderrText;
    EXPECT_EQ(ReadFile(tmp / (out + ".m")), ReadFile(VELTRO_TEST_DATA "/" + std::string(s.measurements)));
  }
}

TEST_F(ConvertTest, EditorFilesAreReadOnly) {
  ASSERT_EQ(Run("--to GSI16 " + Quote(kData + "/editor/koordinaten.nez") + " " + In("k.gsi")), 0) << stderrText;
  EXPECT_EQ(ReadFile(tmp / "k.gsi"), ReadFile(kOffice + "punkte-kurz.gsi"));
  ASSERT_EQ(Run("--from Editor --to GSI16 " + Quote(kData + "/editor/codes.cod") + " " + In("c.gsi")), 0)
      << stderrText;
  EXPECT_EQ(ReadFile(tmp / "c.gsi"), ReadFile(kData + "/editor/codes.gsi"));
  EXPECT_EQ(Run("--from GSI16 --to Editor " + Quote(kOffice + "punkte-kurz.gsi") + " " + In("e.nez")), 64);
  EXPECT_FALSE(FileExists(tmp / "e.nez"));
}

TEST_F(ConvertTest, OfficeOptionsFromSettingsAndCommandLine) {
  WriteFile(tmp / "settings.ini",
            "[Software\\VELTRO Marten\\Surtrans\\2.1.1.5\\Configuration\\Geos]\r\nClass=4\r\n"
            "[Software\\VELTRO Marten\\Surtrans\\2.1.1.5\\Configuration\\Homere]\r\nGNumInput_HOMERE=9\r\n");
  const std::string source = Quote(kOffice + "punkte-kurz.gsi");
  ASSERT_EQ(Run("--from GSI16 --to Geos " + source + " " + In("g.tra")), 0) << stderrText;
  EXPECT_EQ(ReadFile(tmp / "g.tra").substr(0, 18), "PT         1001 4 ");
  ASSERT_EQ(Run("--from GSI16 --to Homere --option Homere\\\\TolWertInput_HOMERE=7 " + source + " " + In("h.hom")), 0)
      << stderrText;
  EXPECT_EQ(ReadFile(tmp / "h.hom").substr(0, 24), "  9      0 1001   21  7 ");
  EXPECT_EQ(Run("--from GSI16 --to Homere --option Homere\\\\Nothing=7 " + source + " " + In("x.hom")), 64);
  EXPECT_NE(stderrText.find("Homere\\Nothing"), std::string::npos) << stderrText;
}

TEST_F(ConvertTest, FilesThatAreNoMemberCoordinateFiles) {
  // An LTOP measurement file is not read, and the user hears why.
  WriteFile(tmp / "m.ltop", "$$ME\r\nST1      1.500\r\nRI2      123.4567\r\n");
  EXPECT_EQ(Run("--from LTOP --to GSI16 " + In("m.ltop") + " " + In("m.gsi")), 2);
  EXPECT_NE(stderrText.find("$$ME"), std::string::npos) << stderrText;
  // LTOP lines without "$$PK" are not LTOP.
  const std::string coordinates = ReadFile(kData + "/ltop/koordinaten.ltop");
  WriteFile(tmp / "k.ltop", coordinates.substr(coordinates.find("\r\n") + 2));
  EXPECT_EQ(Run("--to GSI16 " + In("k.ltop") + " " + In("k.gsi")), 2);
  // A DXF table name beginning with '*' does not make a file C-Plan.
  WriteFile(tmp / "z.dxf", "  0\r\nSECTION\r\n  2\r\nTABLES\r\n  0\r\nTABLE\r\n  2\r\nVPORT\r\n  0\r\nVPORT\r\n  2\r\n"
                           "*ACTIVE\r\n  0\r\nENDTAB\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n");
  EXPECT_EQ(Run("--to GSI16 " + In("z.dxf") + " " + In("z.gsi")), 2);
  EXPECT_EQ(stderrText.find("C-Plan"), std::string::npos) << stderrText;
}

TEST_F(ConvertTest, StatisticsOfALevellingLineOnStandardOutput) {
  const std::string line = Quote(kData + "/dl100/nivellement-rvvr.l");
  ASSERT_EQ(Run("--statistics " + line + " " + In("n.asc")), 0) << stderrText;
  EXPECT_EQ(stdoutText,
            "TransCodes=0\nTransStationen=0\nTransPunkte=0\nStartHoehe=123.4567 m\nHoehe=123.74079 m\n"
            "Endhoehe=123.7407 m\nDifferenz=-0.00009 m\nRueckblicke=4\nVorblicke=4\nMittelblicke=0\n"
            "Methode=Double reading\n");
  ASSERT_EQ(Run("--help"), 0);
  EXPECT_NE(stdoutText.find("--statistics"), std::string::npos);

  // A reading that is no number is noted; the line goes on without it.
  WriteFile(tmp / "l.l", "b,011,J,BM,0100000,,,,,\ng,011,0150O,,,,,,,,\ng,011,01500,,,,,,,,\n");
  ASSERT_EQ(Run("--statistics " + In("l.l") + " " + In("l.asc")), 0) << stderrText;
  EXPECT_NE(stdoutText.find("Hoehe=101.500 m\n"), std::string::npos) << stdoutText;
  EXPECT_NE(stdoutText.find("Rueckblicke=2\n"), std::string::npos) << stdoutText;
  EXPECT_NE(stderrText.find("g,011,0150O,"), std::string::npos) << stderrText;
}

}  // namespace
}  // namespace veltro::test
