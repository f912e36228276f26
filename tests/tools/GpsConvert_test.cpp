// veltro-convert with the controller and GPS formats: the named format as
// the detection's first candidate, the coordinate system of the run, and a
// log that holds no waypoint.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/ConvertRun.h"

namespace veltro::test {
namespace {

const std::string kData = VELTRO_TEST_DATA "/";

TEST(GpsConvert, ANamedFormatIsTriedFirstButAnotherFormatsFileStaysRefused) {
  TempDir tmp;
  const std::string raw = ShellQuote(kData + "ap700/rohdaten.raw");
  // The fixed order takes the "CO," header for GTS-7 point codes.
  ConvertRun run = RunConverter(tmp, "--from AP700 " + raw + " " + ShellQuote(tmp / "a.asc"));
  EXPECT_EQ(run.status, 0) << run.stderrText;
  EXPECT_NE(ReadFile(tmp / "a.asc").find("1001|BAUM|2600123.4560|1200456.7890|456.1230|"), std::string::npos);
  run = RunConverter(tmp, "--from AP700 " + ShellQuote(kData + "rw5/hang7.rw5") + " " + ShellQuote(tmp / "b.asc"));
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.stderrText.find("RW5"), std::string::npos) << run.stderrText;
  EXPECT_FALSE(std::filesystem::exists(tmp / "b.asc"));
}

TEST(GpsConvert, TheRunsSystemConvertsWaypointsAndNoneLeavesThem) {
  TempDir tmp;
  const std::string wpt = ShellQuote(tmp / "w.wpt");
  WriteFile(tmp / "w.wpt", "$PMGNWPL,4657.06480,N,00726.31840,E,500,M,BE,,*30\r\n");
  ConvertRun run = RunConverter(tmp, "--gps-system none " + wpt + " " + ShellQuote(tmp / "none.asc"));
  EXPECT_EQ(run.status, 0) << run.stderrText;
  EXPECT_EQ(ReadFile(tmp / "none.asc"), "BE||726.31840|4657.06480|500|\r\n");
  run = RunConverter(tmp, "--gps-system EPSG:2056 " + wpt + " " + ShellQuote(tmp / "lv95.asc"));
  EXPECT_EQ(run.status, 0) << run.stderrText;
  EXPECT_EQ(ReadFile(tmp / "lv95.asc").substr(0, 13), "BE||2600000.5") << ReadFile(tmp / "lv95.asc");
}

// Fixes, routes and comments are the log's own lines, not data left unread;
// a line of no sentence and a waypoint whose checksum fails are.
TEST(GpsConvert, OnlyLinesOfNoUseCountAsNotRead) {
  TempDir tmp;
  ConvertRun run = RunConverter(tmp, "--from NMEA --gps-system none " + ShellQuote(kData + "nmea/empfaenger.log") + " " +
                                         ShellQuote(tmp / "a.asc"));
  EXPECT_EQ(run.status, 0) << run.stderrText;
  EXPECT_EQ(run.stderrText.find("not read"), std::string::npos) << run.stderrText;
  WriteFile(tmp / "j.log",
            "$GPGGA,101530.00,4723.1,N,00826.5,E,2,09,0.9,512.3,M,47.4,M,,*6F\r\n# Notiz\r\n"
            "$PMGNWPL,4723.123,N,00826.543,E,0000512,M,P1,,a*3f\r\nkein Satz\r\n"
            "$PMGNWPL,4723.123,N,00826.543,E,0000512,M,P2,,a*00\r\n$PMGNRTE,1,1,c,1,P1,a*0B\r\n");
  run = RunConverter(tmp, "--from NMEA --gps-system none " + ShellQuote(tmp / "j.log") + " " + ShellQuote(tmp / "j.asc"));
  EXPECT_EQ(run.status, 1) << run.stderrText;
  EXPECT_NE(run.stderrText.find("2 lines not read"), std::string::npos) << run.stderrText;
  EXPECT_EQ(ReadFile(tmp / "j.asc"), "P1|a|826.543|4723.123|512|\r\n");
}

TEST(GpsConvert, ALogWithoutWaypointsHoldsNoData) {
  TempDir tmp;
  for (const char* from : {"--from NMEA", "--from MMW"}) {
    const ConvertRun run =
        RunConverter(tmp, std::string(from) + " --gps-system none " + ShellQuote(kData + "nmea/ohne-wegpunkte.log") +
                              " " + ShellQuote(tmp / "out.asc"));
    EXPECT_EQ(run.status, 2) << from;
    EXPECT_FALSE(std::filesystem::exists(tmp / "out.asc")) << from;
  }
}

}  // namespace
}  // namespace veltro::test
