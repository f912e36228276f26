// The controller and GPS formats: their lines, whole transfers through the
// engine, and GPS positions through a coordinate-system library (a double
// of plain arithmetic, and the PROJ stand-in).
#include <gtest/gtest.h>

#include <cmath>

#include "formats/instrument/AP700.h"
#include "formats/instrument/CheckFormate.h"
#include "formats/instrument/DC1.h"
#include "formats/instrument/NMEA.h"
#include "formats/instrument/OTS.h"
#include "formats/instrument/RW5.h"
#include "formats/instrument/TAVRIN.h"
#include "instruments/CoordinateSystem.h"
#include "tests/formats/FormatFixture.h"

namespace veltro::test {
namespace {

const std::string kDoubleDir = VELTRO_TEST_LIBS "/gps-double/";
const std::string kStandInDir = VELTRO_BUILD_DIR "/app/";

std::string Sentence(const std::string& body) { return "$" + body + "*" + NmeaChecksum(body); }

TEST(PlainNumbers, SignsZerosAndWhatIsNoPlainNumber) {
  const std::pair<const char*, const char*> cases[] = {
      {"00512", "512"}, {"+1.50", "1.50"}, {"-0.000", "0.000"}, {"-000", "0"}, {"-00720.01000", "-720.01000"},
      {"5.", "5"},      {".5", "0.5"},     {"1e2", "100"},      {" 12 ", "12"}, {"abc", "abc"}, {"", ""}};
  for (const auto& [text, plain] : cases) EXPECT_EQ(PlainNumber(text), plain) << text;
  // Far more decimals than a field holds stay as written.
  const std::string many = "+1." + std::string(5000, '5');
  EXPECT_EQ(PlainNumber(many), many);
  EXPECT_EQ(PlainNumber("+1." + std::string(1001, '5')), "1." + std::string(1001, '5'));
}

TEST(WaypointLines, FieldsEndAtCommaAndStarAndChecksumsAreChecked) {
  Waypoint w;
  // 3 decimals, zero-padded altitude, an empty comment, no checksum.
  ASSERT_EQ(ReadWaypoint("$PMGNWPL,4723.123,N,00826.543,E,0000512,M,P1,,a", w), WaypointLine::Waypoint);
  EXPECT_EQ(w.latitude, "4723.123");
  EXPECT_EQ(w.longitude, "826.543");
  EXPECT_EQ(w.altitude, "512");
  EXPECT_EQ(w.name, "P1");
  EXPECT_EQ(w.comment, "");
  EXPECT_EQ(w.code, "a");

  // South and west; a multi-word comment; the checksum covers neither "$" nor "*".
  const std::string body = "PMGNWPL,4723.12345,S,07012.34500,W,3,M,SUED,am Hang unten,";
  const std::string sum = NmeaChecksum(body);
  ASSERT_EQ(ReadWaypoint("$" + body + "*" + sum + "\r", w), WaypointLine::Waypoint);
  EXPECT_EQ(w.latitude, "-4723.12345");
  EXPECT_EQ(w.longitude, "-7012.34500");
  EXPECT_EQ(w.comment, "am Hang unten");
  EXPECT_EQ(w.code, "");
  std::string upper = sum;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(ReadWaypoint("$" + body + "*" + upper, w), WaypointLine::Waypoint);
  EXPECT_EQ(ReadWaypoint("$" + body + "*" + (sum == "00" ? "01" : "00"), w), WaypointLine::BadChecksum);
  EXPECT_EQ(ReadWaypoint("$" + body + "*7", w), WaypointLine::BadChecksum);
  EXPECT_EQ(NmeaChecksum("PMGNCMD,END"), "3d");

  for (const char* other : {"$PMGNRTE,2,1,c,1,P1,a*25", "$PMGNWPLX,1", "$PMGNWPL", "# Log", "", "$GPGGA,1,2"})
    EXPECT_EQ(ReadWaypoint(other, w), WaypointLine::NoWaypoint) << other;
}

TEST(ControllerLines, RecordCodesAndKeysCompareWhole) {
  EXPECT_EQ(Ap700LineKind("CO,Job A"), tdaInformation);
  EXPECT_EQ(Ap700LineKind("UP,1,,1,2,3,"), tdaKoordinate);
  EXPECT_EQ(Ap700LineKind("ST,S1,,S2"), tdaStation);
  EXPECT_EQ(Ap700LineKind("CP,S2,1.6"), tdaAnschlusspunkt);
  EXPECT_EQ(Ap700LineKind("SO,1,1.6"), tdaNeupunkt);
  for (const char* none : {"P,1004,x", "S,1005,y", "F1,S2,1.6", "\x1a", "SSX,1", "C,1"})
    EXPECT_EQ(Ap700LineKind(none), tdaNone) << none;

  EXPECT_EQ(Dc1LineKind("kDC1", "00011:BAU12:"), tdaNone);
  EXPECT_EQ(Dc1LineKind("kDC1", "00022:P1:+1:+2:+3:"), tdaKoordinate);
  EXPECT_EQ(Dc1LineKind("dDC1", "STA:"), tdaStation);
  EXPECT_EQ(Dc1LineKind("dDC1", "STAX:1"), tdaNone);

  EXPECT_EQ(TavrinLineKind("P1;1;2;3;C"), tdaKoordinate);
  EXPECT_EQ(TavrinLineKind("P1;1;2;3"), tdaNone);
  EXPECT_EQ(TavrinLineKind("P1;1;2;3;C;D"), tdaNone);

  EXPECT_EQ(OtsPointNumber("000012"), "12");
  EXPECT_EQ(OtsPointNumber("A00012"), "A00012");
  EXPECT_EQ(OtsPointNumber("00A012"), "A012");
  EXPECT_EQ(OtsPointNumber("000000"), "0");

  EXPECT_EQ(LeadingNumber("-30mm 09-Dec-2026"), "-30");
  EXPECT_EQ(LeadingNumber("1013hPa"), "1013");
  EXPECT_EQ(LeadingNumber("C"), "");

  // Tags in any order; "--" runs to the end, commas and all.
  const Rw5Record r = ReadRw5Record("SS,FP3,OP1,ZE89.5,SD,AR90,--Baum, Eiche\r\n");
  EXPECT_EQ(r.code, "SS");
  EXPECT_EQ(r.Value("OP"), "1");
  EXPECT_EQ(r.Value("AR"), "90");
  EXPECT_TRUE(r.Has("SD"));
  EXPECT_EQ(r.Value("SD"), "");
  EXPECT_EQ(r.Value("PN"), "");
  EXPECT_EQ(r.note, "Baum, Eiche");
  EXPECT_EQ(Rw5LineKind("GPS,PN1"), tdaKoordinate);
  EXPECT_EQ(Rw5LineKind("BP,PN100"), tdaNone);
}

// ---- Whole transfers -------------------------------------------------------------

class ControllerTest : public FormatTest {
 protected:
  explicit ControllerTest(const char* instrument, const char* format) : FormatTest(instrument) { UseFormat(format); }
  // Errors shown at the end of the transfer.
  std::string Receive(const std::string& name, const std::string& text) {
    WriteFile(tmp / name, text);
    Run(0, name, name + ".asc");
    return Output(name + ".asc");
  }
  std::string Send(const std::string& ascii) {
    WriteFile(tmp / "send.asc", ascii);
    Run(1, "send.asc", "sent.out");
    return Output("sent.out");
  }
};

class Ap700Test : public ControllerTest {
 protected:
  Ap700Test() : ControllerTest("itDTM700", "AP700") {}
  TdmAP700 ap700{*geraete};
};

TEST_F(Ap700Test, HeaderNotesGiveNumbersWithoutUnitsAndTheCoordinateOrder) {
  TDaten d;
  ap700.InformationenRead("CO,Temp:20C Press:1013hPa Prism:-30", d);
  EXPECT_EQ(d.Station.Temperatur, "20");
  EXPECT_EQ(d.Station.Luftdruck, "1013");
  EXPECT_EQ(d.Konstanten.Prismenkonstante, "-30");
  ap700.InformationenRead("CO,Temp:18C Press:750mmHg Prism:17mm 09-Dec-2026 08:15:02", d);
  EXPECT_EQ(d.Station.Luftdruck, "999.9");
  EXPECT_EQ(d.Konstanten.Prismenkonstante, "17");
  d.Info.Beschreibung = "Hang";
  ap700.InformationenRead("CO,Comments: near wall", d);
  EXPECT_EQ(d.Info.Beschreibung, "Hang near wall");
  ap700.InformationenRead("CO,Job A", d);
  EXPECT_EQ(d.Info.Projekt, "Job A");

  const std::string out = Receive("order.raw",
                                  "CO,Nikon RAW data format V2.00\nCO,Coord Order: NEZ\n"
                                  "SS,1002,1.6000,,50.1000,91.0000,08:21:30,\n"
                                  "UP,1001,,1200456.7890,2600123.4560,456.1230,BAUM\nP,1004,x\n\x1a\n");
  EXPECT_NE(out.find("1001|BAUM|2600123.4560|1200456.7890|456.1230|"), std::string::npos) << out;
  EXPECT_EQ(statistics.Statistik().Punkte, 2);
  // The observation without distance.
  TDaten o;
  ap700.NeupunkteRead("SS,1002,1.6000,,50.1000,91.0000,08:21:30,", o);
  EXPECT_EQ(o.Punkt.Schraegdistanz, "");
  EXPECT_EQ(o.Punkt.Messflags, 0x0260);
  ap700.NeupunkteRead("SS,1001,1.6000,25.4320,45.3020,89.5540,08:20:45,BAUM", o);
  EXPECT_EQ(o.Punkt.Messflags, 0x00E0);
  EXPECT_EQ(o.Punkt.Code1, "BAUM");
}

class Dc1Test : public ControllerTest {
 protected:
  Dc1Test() : ControllerTest("itPentaxR300", "DC1") {}
  TdmDC1 dc1{*geraete};
};

TEST_F(Dc1Test, GroupsPassStationValuesAndEndAtTheLastLine) {
  const std::string out =
      Receive("m.dc1",
              "ENQ:DC1\r\nSTA:\r\nSTS:S1\r\nINH:1.55\r\nPPM:7\r\nPSM:-30\r\n"
              "PPT:\r\nPPD:1001\r\nPPH:1.6\r\nRTD:25.432\r\nSTA:\r\nSTS:S2\r\nPPT:\r\nPPD:1002\r\nRTH:200");
  TDaten& d = CurrentTransfer().Daten;
  EXPECT_EQ(d.Punkt.Punktnummer, "1002");
  EXPECT_EQ(d.Punkt.Horizontalwinkel, "200");
  EXPECT_EQ(d.Punkt.Atmosphaerenkorrektur, "0");  // the second station has none
  EXPECT_EQ(d.Punkt.Messflags, 0x0060);
  EXPECT_EQ(statistics.Statistik().Stationen, 2);
  EXPECT_EQ(statistics.Statistik().Punkte, 2);

  TDaten g;
  CurrentTransfer().ActiveLines = nullptr;
  dc1.StationenRead("STA:", g);
  EXPECT_EQ(g.Konstanten.Zeile, 0);
  LineList lines = {"STA:", "STS:S1", "PPM:7", "PSM:-30", "PPT:", "PPD:1", "PPH:1.6", "RTD:25.4"};
  CurrentTransfer().ActiveLines = &lines;
  dc1.StationenRead(std::string(lines[0]), g);
  EXPECT_EQ(g.Konstanten.Zeile, 3);
  g.Konstanten.Zeile = 4;
  dc1.NeupunkteRead(std::string(lines[4]), g);
  EXPECT_EQ(g.Konstanten.Zeile, 7);
  EXPECT_EQ(g.Punkt.Atmosphaerenkorrektur, "7.0000");
  EXPECT_EQ(g.Punkt.Prismenkonstante, "-30.0000");
  EXPECT_EQ(g.Punkt.Reflektorhoehe, "1.6000");
  EXPECT_EQ(g.Punkt.Messflags, 0x00E0);
  CurrentTransfer().ActiveLines = nullptr;
}

TEST_F(Dc1Test, UploadsStartWithTheFileNameAndNumberTheirLines) {
  WriteFile(tmp / "Baustelle-Nord-Etappe2.asc", "P1||1234.5|-20|0|\r\n");
  Run(1, "Baustelle-Nord-Etappe2.asc", "out.dc1");
  EXPECT_EQ(Output("out.dc1"), "00011:BAUSTELLE-NORD-:\r\n00022:P1:+00001234.500:-00000020.000:+00000000.000:\r\n");
  TDaten d;
  d.Konstanten.Zeile = 1;
  d.Punkt.Punktnummer = "P1";
  d.Punkt.Y = "1234.5";
  d.Punkt.X = "-20";
  d.Punkt.Hoehe = "0";
  EXPECT_EQ(dc1.KoordinatenWrite(d), "00032:P1:+00001234.500:-00000020.000:+00000000.000:\r\n");
  d.Punkt.Y = "1234567890123";
  EXPECT_EQ(dc1.KoordinatenWrite(d), "Error");
}

class OtsTest : public ControllerTest {
 protected:
  OtsTest() : ControllerTest("itOTS", "OTS") {}
  TdmOTS ots{*geraete};
};

TEST_F(OtsTest, PointNumbersAndValuesThatDoNotFitGiveError) {
  TDaten d;
  ots.KoordinatenRead("SD 000012 0001234567 +002345678 +000456123 +000001500           \x01\x03", d);
  EXPECT_EQ(d.Punkt.Punktnummer, "12");
  EXPECT_EQ(d.Punkt.X, "1234.567");
  EXPECT_EQ(d.Punkt.Reflektorhoehe, "1.500");
  ots.KoordinatenRead("SD A00012 +001234567 -000000500 +000456123 +000000000", d);
  EXPECT_EQ(d.Punkt.Punktnummer, "A00012");
  EXPECT_EQ(d.Punkt.Y, "-0.500");
  EXPECT_EQ(Send("12||2345.678|1234.567|456.123|\r\n1234567||1|2|3|\r\nBIG||1000000|2|3|\r\n"),
            "SD 000012 +001234567 +002345678 +000456123 +000000000           \x01\x03\r\n");
  EXPECT_NE(Shown().find("1234567||1|2|3|"), std::string::npos);
  EXPECT_NE(Shown().find("BIG||1000000|2|3|"), std::string::npos);
}

class Rw5Test : public ControllerTest {
 protected:
  Rw5Test() : ControllerTest("itSurvCE", "RW5") {}
  TdmRW5 rw5{*geraete};
};

TEST_F(Rw5Test, FieldsFollowTheirTagsAndRoundTripsKeepTheAxes) {
  TDaten d;
  d.Station.Instrumentenhoehe = "1.55";
  rw5.InformationenRead("LS,HR1.5", d);
  EXPECT_EQ(d.Station.Instrumentenhoehe, "1.55");
  EXPECT_EQ(d.Konstanten.Reflektorhoehe, "1.5");
  rw5.KoordinatenRead("OC,OP1,E 2600000.000,N 1200000.000,EL500.000,--Stand, Nord", d);
  EXPECT_EQ(d.Punkt.Punktnummer, "1");
  EXPECT_EQ(d.Punkt.Y, "2600000.000");
  EXPECT_EQ(d.Punkt.X, "1200000.000");
  EXPECT_EQ(d.Punkt.Code1, "Stand, Nord");
  rw5.KoordinatenRead("GPS,PN7,LA47.230741000,LN-8.263259000,EL551.234,--", d);
  EXPECT_EQ(d.Punkt.X, "47.230741000");
  EXPECT_EQ(d.Punkt.Y, "-8.263259000");
  rw5.AnschlusspunkteRead("BK,OP1,BP2,BS,BC0.0000", d);
  EXPECT_EQ(d.Punkt.Horizontalwinkel, "");
  EXPECT_EQ(d.Punkt.Reflektorhoehe, "1.5");

  ASSERT_TRUE(Instrument().SetOffsetX("2600000"));
  ASSERT_TRUE(Instrument().SetOffsetY("1200000"));
  const std::string sent = Send("1001|BAUM|2600123.45600|1200456.78900|456.123|\r\n");
  EXPECT_EQ(sent, "OC,PN1001,N 456.78900,E 123.45600,EL456.123,--BAUM\r\n");
  WriteFile(tmp / "back.rw5", sent);
  Run(0, "back.rw5", "back.asc");
  EXPECT_EQ(Output("back.asc"), "1001|BAUM|2600123.45600|1200456.78900|456.123|\r\n");
}

class TavrinTest : public ControllerTest {
 protected:
  TavrinTest() : ControllerTest("itTavrin", "TAVRIN") {}
  ~TavrinTest() override { SetSystemSeparators('.', '.', ':'); }
  TdmTAVRIN tavrin{*geraete};
};

TEST_F(TavrinTest, EitherSeparatorIsReadAndTheSystemsIsWritten) {
  EXPECT_EQ(Receive("p.txt", "P17;2600012.345;1200034.567;512.300;MAUER\r\nP18;1,5;2,25;3;\r\nK;1;2;3\r\n"),
            "P17|MAUER|2600012.345|1200034.567|512.300|\r\nP18||1.5|2.25|3|\r\n");
  SetSystemSeparators(',', '.', ':');
  EXPECT_EQ(Send("P1|C|1.5|2|3.25|\r\nP2||1|2||\r\n"), "P1;1,500;2,000;3,250;C\r\nP2;1,000;2,000;;\r\n");
}

// ---- GPS positions through a coordinate-system library ----------------------------

class GpsTest : public ControllerTest {
 protected:
  GpsTest() : ControllerTest("itProMark2", "NMEA") {}
  ~GpsTest() override { SetActiveCoordinateSystem(nullptr); }
  void UseLibrary(const std::string& folder, const std::string& system) {
    coordinates.SetInstallationDirectory(folder);
    ASSERT_EQ(coordinates.Activate("", system, false), TCoordinateSystem::State::Usable);
    SetActiveCoordinateSystem(&coordinates);
  }
  TCoordinateSystem coordinates;
  TdmNMEA nmea{*geraete};
  TdmRW5 rw5{*geraete};
};

TEST_F(GpsTest, WithoutALibraryOnlyWaypointsAreReadAndTheAxesStay) {
  // The closing command of an upload is no record and no line left unread.
  EXPECT_EQ(Receive("up.wpt", Sentence("PMGNWPL,0002.00000,N,00001.00000,E,4,M,Q,,") + "\r\n$PMGNCMD,END*3D\r\n"),
            "Q||1.00000|2.00000|4|\r\n");
  EXPECT_EQ(Shown().find("T741"), std::string::npos) << Shown();

  const std::string log = "# Log\n" +
                          Sentence("GPGGA,101530.00,4723.12345678,N,00826.54321012,E,2,09,0.9,512.3,M,47.4,M,,") +
                          "\n" + Sentence("PMGNWPL,4723.12345,S,00826.54321,W,0000512,M,P 1,Mast,a") + "\n" +
                          Sentence("PMGNRTE,2,1,c,1,P 1,a") + "\n$PMGNWPL,4723.1,N,00826.5,E,1,M,BAD,,a*00\n";
  EXPECT_EQ(Receive("log.txt", log), "P 1|a|-826.54321|-4723.12345|512|Mast\r\n");
  EXPECT_EQ(statistics.Statistik().Punkte, 1);
  EXPECT_NE(Shown().find("T855:5::"), std::string::npos) << Shown();

  const std::string sent = Send("P 1|a|-826.54321|-4723.12345|512|\r\nQ||1|2|3.6|\r\n");
  EXPECT_EQ(sent, Sentence("PMGNWPL,4723.12345,S,00826.54321,W,512,M,P 1,,a") + "\r\n" +
                      Sentence("PMGNWPL,0002.00000,N,00001.00000,E,4,M,Q,,") + "\r\n$PMGNCMD,END*3D\r\n");
}

TEST_F(GpsTest, ModesOneAndTwoGoThroughTheLibraryAndFailuresAreSkipped) {
  UseLibrary(kDoubleDir, "DOUBLE");
  ASSERT_TRUE(Instrument().SetOffsetX("10"));
  // Waypoint: ddmm.mmmmm / 100 into the block, grid back with 5 decimals.
  const std::string out = Receive("w.txt", Sentence("PMGNWPL,4723.12345,N,00826.54321,E,500,M,A,,") + "\r\n" +
                                               Sentence("PMGNWPL,8500.00000,N,00826.54321,E,500,M,B,,") + "\r\n");
  EXPECT_EQ(out, "A||8265.43210|47231.23450|501.00000|\r\n");
  EXPECT_NE(Shown().find("T856:2::"), std::string::npos) << Shown();
  EXPECT_EQ(Send("A||8265.4321|47231.2345|501|\r\nN||1|90000|1|\r\n"),
            Sentence("PMGNWPL,4723.12345,N,00826.54321,E,500,M,A,,") + "\r\n$PMGNCMD,END*3D\r\n");
  EXPECT_NE(Shown().find("N||1|90000|1|"), std::string::npos);
  // Minutes without degrees, south and west, and values without a point: the same exact shift.
  EXPECT_EQ(Receive("k.txt", Sentence("PMGNWPL,0005.50000,S,00000.00100,W,500,M,C,,") + "\r\n" +
                                 Sentence("PMGNWPL,12,N,826,E,500,M,D,,") + "\r\n"),
            "C||-0.01000|-55.00000|501.00000|\r\nD||8260.00000|120.00000|501.00000|\r\n");

  // RW5 GPS record: packed degrees as written, mode 2, the offset onto the grid value.
  UseFormat("RW5");
  EXPECT_EQ(Receive("g.rw5",
                    "GPS,PN7,LA47.230741000,LN8.263259000,EL551.234,--Mast\r\n"
                    "GPS,PN8,LA88.0,LN8.0,EL1,--\r\nGS,PN9,N 1,E 2,EL3,--\r\n"),
            "7|Mast|8273.25900|47230.74100|553.23400|\r\n9||12|1|3|\r\n");
  const std::string shown = Shown();
  EXPECT_NE(shown.find("T856:2::", shown.find("T856:2::") + 1), std::string::npos) << shown;
}

TEST_F(GpsTest, OnePointThroughTheStandIn) {
  UseLibrary(kStandInDir, "EPSG:2056");
  // 46.95108 N, 7.43864 E as degrees and minutes.
  const std::string out = Receive("w.txt", Sentence("PMGNWPL,4657.06480,N,00726.31840,E,500,M,BE,,") + "\r\n");
  const std::vector<std::string> f = SplitFields(RemoveLineEnds(out), '|');
  ASSERT_GE(f.size(), 5u) << out;
  EXPECT_NEAR(ParseNumber(f[2]), 2600000.571, 0.01) << out;
  EXPECT_NEAR(ParseNumber(f[3]), 1199999.679, 0.01) << out;
  const std::string back = Send(out);
  EXPECT_EQ(back.substr(0, 42), "$PMGNWPL,4657.06480,N,00726.31840,E,500,M,") << back;
}

}  // namespace
}  // namespace veltro::test
