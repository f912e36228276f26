// The GTS-7, FC-6 and OGTS7 modules: keyword groups, the classification
// and reading of record groups, the writers, statistics, the merging of
// repeated receives and of coordinates into measurements.
#include "formats/instrument/GTS7.h"

#include <gtest/gtest.h>

#include "core/DateTime.h"
#include "core/Settings.h"
#include "formats/instrument/CheckFormate.h"
#include "platform/Registry.h"
#include "tests/formats/TopconFixture.h"

namespace veltro::test {
namespace {

TEST(Gts7Keywords, SpellingsAndGroups) {
  EXPECT_EQ(Gts7Keyword("SS      P7,1.6", false), "SS");
  EXPECT_EQ(Gts7Keyword("        x", false), "GTS");
  EXPECT_EQ(Gts7Keyword("RES_OBS R1", false), "RES_OBS");
  EXPECT_EQ(Gts7Keyword("SS P7,1.6", true), "SS");
  EXPECT_EQ(Gts7Keyword("SS", true), "OGTS");
  EXPECT_EQ(Gts7GroupOf("ATMOS", true), Gts7Group::Information);
  EXPECT_EQ(Gts7GroupOf("ATMOS", false), Gts7Group::Other);
  EXPECT_EQ(Gts7GroupOf("TEMP", false), Gts7Group::Other);
  EXPECT_EQ(Gts7GroupOf("S", false), Gts7Group::Other);  // no part of "SS"
  EXPECT_EQ(Gts7GroupOf("D", false), Gts7Group::Other);  // no part of "SD" or "HD"
  EXPECT_EQ(Gts7GroupOf("RES_OBS", false), Gts7Group::Backsight);
  EXPECT_TRUE(Gts7IsRecordStart("BKB     S2,1,2"));
  EXPECT_FALSE(Gts7IsRecordStart("XYZ     1,2,3"));
  EXPECT_FALSE(Gts7IsRecordStart("NAME    X"));
}

TEST(Gts7Detection, ProgramLineDoesNotMakeAnOgts7Text) {
  EXPECT_EQ(DetectFormat("FIELD V2.1\r\nJOB     BAU7,\r\nSTN     S1,1.5,\r\n"), "dGTS7");
  EXPECT_EQ(DetectFormat("JOB BAU9,\r\nSTN S1,1.500,\r\n"), "dOGTS7");
}

TEST(Gts7Merging, RepeatedReceiveKeepsNewLines) {
  LineList lines = {"JOB     A,", "SS      P1,1,", "SD      1,2,3"};
  // Held lines, then the instrument sends them again and two new ones.
  for (std::string_view l : {"JOB     A,", "SS      P1,1,", "SD      1,2,3", "SS      P2,1,", "SD      4,5,6"})
    lines.push_back(l);
  EXPECT_EQ(MergeRepeatedLines(lines, 3), 3u);
  EXPECT_EQ(lines, (TextLines{"JOB     A,", "SS      P1,1,", "SD      1,2,3", "SS      P2,1,", "SD      4,5,6"}));
  // A line holding the first line as a part is no repeat.
  lines = {"SS      P1,1,", "SD      1", "SS      P1,1,X"};
  EXPECT_EQ(MergeRepeatedLines(lines, 2), 0u);
  EXPECT_EQ(lines.size(), 3u);
}

TEST(Gts7Merging, CoordinatesIntoSideShots) {
  LineList lines = {"SS      P7,1.6,", "SS      P7,1.6,", "SD      1,2,3", "SS      P70,1,", "SS      P7,1,",
                     "XYZ     1,2,3"};
  auto never = [] { return false; };
  EXPECT_EQ(MergeCoordinateLine(lines, "P7,100.0000,200.0000,10.0000,CODE,A,B", false, never), 1u);
  EXPECT_EQ(lines, (TextLines{"SS      P7,1.6,", "SS      P7,1.6,", "XYZ     100.0000,200.0000,10.0000",
                              "SD      1,2,3", "SS      P70,1,", "SS      P7,1,", "XYZ     1,2,3"}));
  LineList ogts = {"JOB X,", "SS P7,1,"};
  EXPECT_EQ(MergeCoordinateLine(ogts, "P7,1,2,3,C", true, never), 1u);
  EXPECT_EQ(ogts.back(), "XYZ 1,2,3");
  EXPECT_EQ(MergeCoordinateLine(ogts, "P7,1", true, never), 0u);  // no coordinates
}

class Gts7Test : public TopconTest {
 protected:
  Gts7Test() { instrument.format = &UseFormat("GTS7"); }

  // Classifies the line at `at` of lines.
  TTransferDatenart KindAt(const TextLines& lines, int at, const std::string& tag = "dGTS7") {
    OnLines(lines, at);
    return gts7.Gts7LineKind(tag, list[static_cast<size_t>(at)]);
  }

  // Phase 2 of a receive over lines into the ASCII format.
  TextLines Convert(const TextLines& lines, const std::string& tag = "dGTS7") {
    TransferState& t = CurrentTransfer();
    t.ReceivedLines = lines;
    t.FormatTag = tag;
    t.OutputFileName = tmp / "out.asc";
    settings.methode = 0;
    TransferPhase2();
    return SplitLines(ReadFile(tmp / "out.asc"));
  }

  TdmGTS7 gts7{*geraete};
};

TEST_F(Gts7Test, SideShotGroupIsOneNewPoint) {
  const TextLines lines = {"STN     S1,1.5,", "SS      P7,1.600,CODE", "XYZ     100.000,200.000,10.000",
                           "SD      123.45670,95.12340,45.1230", "SS      P8,1.6,"};
  EXPECT_EQ(KindAt(lines, 3), tdaNeupunkt);  // the SD line steps back to SS
  EXPECT_EQ(KindAt(lines, 2), tdaNeupunkt);
  EXPECT_TRUE(geraete->Format("GTS7")->MoreLine);
  OnLines(lines, 3);
  gts7.NeupunkteRead(list[3], daten);
  EXPECT_EQ(daten.Punkt.Punktnummer, "P7");
  EXPECT_EQ(daten.Punkt.Reflektorhoehe, "1.600");
  EXPECT_EQ(daten.Punkt.Y, "100.000");
  EXPECT_EQ(daten.Punkt.X, "200.000");
  EXPECT_EQ(daten.Punkt.Messflags, 0x08E0);
  EXPECT_EQ(daten.Konstanten.Zeile, 3);
  EXPECT_EQ(daten.Konstanten.Startzeile, 1);
  EXPECT_EQ(daten.Konstanten.Originalzeilen, lines[1] + "\r\n" + lines[2] + "\r\n" + lines[3]);
  // Written back: the same three lines.
  EXPECT_EQ(gts7.NeupunkteWrite(daten), daten.Konstanten.Originalzeilen + "\r\n");
  daten.Punkt.Reflektorhoehe.clear();
  EXPECT_EQ(gts7.NeupunkteWrite(daten), "Error");
  // Coordinate tags decide alone.
  EXPECT_EQ(KindAt(lines, 3, "kGTS7"), tdaKoordinate);
  EXPECT_FALSE(geraete->Format("GTS7")->MoreLine);
  EXPECT_EQ(KindAt(lines, 0, "qFC6"), tdaQuerprofil);
  EXPECT_EQ(KindAt(lines, 0, "lGTS7"), tdaLaengsprofil);
  EXPECT_EQ(KindAt(lines, 0, "pGTS7"), tdaPunktcode);
}

TEST_F(Gts7Test, ContinuationLinesNoHeadTakesAreNeverReadTwice) {
  const TextLines lines = {
      "HD      1.00000,2.0000,3.0000",           // no head above
      "STN     S1,1.550,",  "NOTE    AT STN",  // NOTE after STN
      "SS      P1,1.6,",    "SD      1.00000,2.00000,3.0000",
      "XYZ     1.000,2.000,3.000",              // XYZ after the observations
      "BS      S2,1.600",   "XYZ     4.000,5.000,6.000",  // XYZ after BS
      "SS      P2,1.6,",    "SD      4.00000,5.00000,6.0000",
  };
  EXPECT_EQ(KindAt(lines, 0), tdaNone);
  EXPECT_EQ(KindAt(lines, 2), tdaNone);
  EXPECT_EQ(KindAt(lines, 4), tdaNeupunkt);
  EXPECT_EQ(KindAt(lines, 5), tdaNone);
  EXPECT_EQ(KindAt(lines, 7), tdaNone);
  OnLines(lines, 5);  // a reader positioned on an orphan takes nothing
  gts7.NeupunkteRead(list[5], daten);
  EXPECT_EQ(daten.Punkt.Punktnummer, "");

  const TextLines out = Convert(lines);
  int p1 = 0, p2 = 0, s2 = 0;
  for (const std::string& l : out) {
    p1 += l.find("|P1|") != std::string::npos;
    p2 += l.find("|P2|") != std::string::npos;
    s2 += l.find("|S2|") != std::string::npos;
  }
  EXPECT_EQ(p1, 1);
  EXPECT_EQ(p2, 1);
  EXPECT_EQ(s2, 1);
  // The three lines no record takes are listed, once each.
  std::string shown;
  for (const std::string& m : MessageTexts()) shown += m;
  for (const char* orphan : {"NOTE    AT STN", "XYZ     1.000,2.000,3.000", "XYZ     4.000,5.000,6.000"}) {
    const size_t at = shown.find(orphan);
    EXPECT_NE(at, std::string::npos) << orphan;
    EXPECT_EQ(shown.find(orphan, at + 1), std::string::npos) << orphan;
  }
}

TEST_F(Gts7Test, StatisticsCountEachRecordOnceByItsHead) {
  const TextLines lines = {"STN     S1,1.5,",  "XYZ     1,2,3",  "BS      S2,1.6", "HV      1,2",
                           "SS      P1,1.6,",   "XYZ     1,2,3",  "SD      1,2,3",  "NOTE    X",
                           "SS      P2,1.6,",   "HD      1,2,3"};
  TGeraeteFormat& f = *geraete->Format("GTS7");
  TTransferStatistik s;
  OnLines(lines);
  for (size_t i = 0; i < lines.size(); ++i) {
    daten.Konstanten.Zeile = static_cast<int>(i);
    CurrentTransfer().Daten.Konstanten.Zeile = static_cast<int>(i);
    std::string line = lines[i];
    f.OnSetTDA(f.OnGetDatenart(line));
    if (f.ReadWrite && f.ReadWrite->OnStatistik) f.ReadWrite->OnStatistik(line, s);
  }
  EXPECT_EQ(s.Stationen, 1);
  EXPECT_EQ(s.Punkte, 3);
  EXPECT_EQ(s.Fortschritt, 3);
}

TEST_F(Gts7Test, InformationBlock) {
  const TextLines lines = {"FIELD V2.1", "JOB     BAU7,", "DATE    08/12/26,14:30:00", "UNITS   M,G",
                           "SCALE   0.999950", "TEMP    12,1013", "STN     S1,1.5,"};
  EXPECT_EQ(KindAt(lines, 0), tdaNone);
  EXPECT_EQ(KindAt(lines, 3), tdaInformation);
  OnLines(lines, 3);  // positioned inside the block: the whole block is read
  gts7.InformationenRead(list[3], daten);
  EXPECT_EQ(daten.Info.Projekt, "BAU7");
  EXPECT_EQ(daten.Info.Beschreibung, "");
  EXPECT_EQ(daten.Info.Einheiten, "UNITS   M,G");
  EXPECT_EQ(daten.Info.Umrechnungsfaktor, "0.999950");
  EXPECT_EQ(daten.Info.Massstabsfaktor, "1.000000");
  EXPECT_EQ(daten.Info.Meereshoehe, "0.000000");
  EXPECT_EQ(FormatDate("DD.MM.YYYY", daten.Info.Zeitpunkt) + " " + FormatTime("HH:MM:SS", daten.Info.Zeitpunkt),
            "08.12.2026 14:30:00");
  EXPECT_EQ(daten.Konstanten.Startzeile, 1);
  EXPECT_EQ(daten.Konstanten.Zeile, 4);
  EXPECT_EQ(daten.Konstanten.Originalzeilen, lines[1] + "\r\n" + lines[2] + "\r\n" + lines[3] + "\r\n" + lines[4]);
  EXPECT_EQ(gts7.InformationenWrite(daten),
            "JOB     BAU7,\r\nUNITS   M,G\r\nSCALE   0.999950,1.000000,0.000000\r\nDATE    08/12/26,14:30:00\r\n");
  daten.Info.Meereshoehe = "hoch";  // a head line that cannot be written fails the record
  EXPECT_EQ(gts7.InformationenWrite(daten), "Error");
}

TEST_F(Gts7Test, Stations) {
  const TextLines lines = {"TEMP    12,1013", "STN     S1,1.550,MARK", "XYZ     600000.000,200000.000,450.000",
                           "SS      P1,1.6,", "HD      1.00000,2.0000,3.0000", "STN     S2,1.600,"};
  OnLines(lines, 1);
  gts7.StationenRead(list[1], daten);
  EXPECT_EQ(daten.Station.Temperatur, "12");
  EXPECT_EQ(daten.Station.Luftdruck, "1013");
  EXPECT_EQ(daten.Station.Y, "600000.000");
  EXPECT_EQ(daten.Station.X, "200000.000");
  EXPECT_EQ(daten.Punkt.Messflags, 0x0D20);  // HD before the next STN, coordinates
  EXPECT_EQ(daten.Konstanten.Startzeile, 0);
  EXPECT_EQ(daten.Konstanten.Zeile, 2);
  EXPECT_EQ(gts7.StationenWrite(daten), lines[0] + "\r\n" + lines[1] + "\r\n" + lines[2] + "\r\n");
  // Temperatures with decimals are rounded; without a pressure the line is left out.
  daten.Station.Temperatur = "12.5";
  daten.Station.Luftdruck = "1013.4";
  EXPECT_EQ(gts7.StationenWrite(daten).substr(0, 17), "TEMP    13,1013\r\n");
  daten.Station.Luftdruck.clear();
  EXPECT_EQ(gts7.StationenWrite(daten), lines[1] + "\r\n" + lines[2] + "\r\n");
  daten.Station.Instrumentenhoehe.clear();
  EXPECT_EQ(gts7.StationenWrite(daten), "Error");
}

TEST_F(Gts7Test, BacksightsReadAndWrittenBack) {
  const TextLines lines = {"BKB     S2,123.4567,0.0000", "XYZ     600100.000,200050.000,451.000",
                           "BS      S2,1.600",          "HV      0.0000,100.0000",
                           "FS      P9,1.500,PFAHL,NEU", "HD      50.00000,30.0000,-1.2500",
                           "RES_OBS R1,1.400,7",        "CTL     5,BAUM,ALT",
                           "SD      300.00000,99.00000,20.0000"};
  for (int head : {0, 2, 4, 6}) {
    daten = TDaten{};
    OnLines(lines, head);
    gts7.AnschlusspunkteRead(list[static_cast<size_t>(head)], daten);
    EXPECT_EQ(gts7.AnschlusspunkteWrite(daten), daten.Konstanten.Originalzeilen + "\r\n") << head;
  }
  EXPECT_EQ(daten.Konstanten.Hilfswerte[3], 1);
  EXPECT_EQ(daten.Punkt.Kontrollkodierung, "5");
  daten.Punkt.Messflags = 0x00E0;  // no backsight variant: not dropped silently
  EXPECT_EQ(gts7.AnschlusspunkteWrite(daten), "Error");
}

TEST_F(Gts7Test, OneLineKinds) {
  Tag("kGTS7");
  gts7.KoordinatenRead("P1,100.0000,200.0000,10.0000,KERB,A,B", daten);
  EXPECT_EQ(daten.Punkt.Y, "100.0000");
  EXPECT_EQ(daten.Punkt.Code1, "KERB");
  daten.Punkt.Punktnummer = "p1";
  EXPECT_EQ(gts7.KoordinatenWrite(daten), "P1,100.0000,200.0000,10.0000,KERB\r\n");
  UseFormat("FC6");  // FC-6 coordinates use the GTS-7 layout
  EXPECT_EQ(gts7.KoordinatenWrite(daten), "P1,100.0000,200.0000,10.0000,KERB\r\n");
  gts7.QuerprofileRead("100.0,2.5,400.1,RAND", daten);
  EXPECT_EQ(gts7.QuerprofileWrite(daten), "100.0000,2.5000,400.1000,RAND\r\n");
  gts7.PunktcodesRead("KERB,LINE", daten);
  EXPECT_EQ(gts7.PunktcodesWrite(daten), "KERB,LINE\r\n");
  gts7.LaengsprofileRead("START 0.0,0.0", daten);
  EXPECT_EQ(gts7.LaengsprofileWrite(daten), "Error");
  Office("Original");
  EXPECT_EQ(gts7.LaengsprofileWrite(daten), "START 0.0,0.0");
  // FC-6 writes offsets with four decimals.
  Office("ASCII");
  daten.Punkt = TPunkt{};
  daten.Punkt.Punktnummer = "P1";
  daten.Punkt.Reflektorhoehe = "1.6";
  daten.Punkt.Laengsverschiebung = "0.1";
  daten.Punkt.Querverschiebung = "0.2";
  daten.Punkt.Vertikalverschiebung = "x";  // a line that cannot be written is left out
  EXPECT_EQ(gts7.NeupunkteWrite(daten), "SS      P1,1.600,\r\n");
  daten.Punkt.Vertikalverschiebung = "0.3";
  EXPECT_EQ(gts7.NeupunkteWrite(daten), "SS      P1,1.600,\r\nOFFSET  0.1000,0.2000,0.3000\r\n");
}

TEST_F(Gts7Test, MergingOfReceivesWithDataMergingOn) {
  WriteRegBool(RegistryRoot::CurrentUser, ConfigPath(kSettingDataMerging), true, true);
  TGeraeteFormat& f = *geraete->Format("GTS7");
  TransferState& t = CurrentTransfer();
  const TextLines first = {"JOB     A,", "SS      P7,1.6,", "SD      1,2,3"};
  auto receive = [&](const TextLines& lines, const std::string& tag) {
    f.OnSetup();
    t.FormatTag = tag;
    for (const std::string& l : lines) {
      std::string s = l;
      f.OnSetTDA(f.OnGetDatenart(s));
      if (f.ReadWrite && f.ReadWrite->OnStatistik) f.ReadWrite->OnStatistik(l, statistics.Statistik());
      t.ReceivedLines.push_back(l);
    }
    f.OnAfterRead();
  };
  t.ReceivedLines = {"old"};
  receive(first, "dGTS7");
  EXPECT_TRUE(t.MergeFlag);
  EXPECT_EQ(t.ReceivedLines, first);
  // The instrument sends everything again with one new point.
  receive({"JOB     A,", "SS      P7,1.6,", "SD      1,2,3", "SS      P8,1.6,", "SD      4,5,6"}, "dGTS7");
  EXPECT_EQ(t.ReceivedLines.size(), 5u);
  // Coordinates end the merging; they are merged into the side shots.
  receive({"P7,10.0000,20.0000,30.0000,K"}, "kGTS7");
  EXPECT_FALSE(t.MergeFlag);
  EXPECT_EQ(t.FormatTag, "dGTS7");
  EXPECT_EQ(t.ReceivedLines[2], "XYZ     10.0000,20.0000,30.0000");
  t.MergeFlag = false;
}

class Ogts7Test : public TopconTest {
 protected:
  Ogts7Test() { UseFormat("OGTS7"); }
  TdmOGTS7 ogts7{*geraete};
};

TEST_F(Ogts7Test, SpellingsAndNoProfiles) {
  EXPECT_EQ(ogts7.Querprofile, nullptr);
  EXPECT_EQ(ogts7.Laengsprofile, nullptr);
  const TextLines lines = {"ATMOS 15,1010", "STN S1,1.500,", "XYZ 1000.000,2000.000,300.000", "SS P1,1.500,KERB",
                           "SD 45.00000,91.00000,10.0000"};
  OnLines(lines, 0);
  EXPECT_EQ(ogts7.Ogts7LineKind(list[0]), tdaInformation);
  OnLines(lines, 4);
  EXPECT_EQ(ogts7.Ogts7LineKind(list[4]), tdaNeupunkt);
  ogts7.NeupunkteRead(list[4], daten);
  EXPECT_EQ(ogts7.NeupunkteWrite(daten), "SS P1,1.500,KERB\r\nSD 45.00000,91.00000,10.0000\r\n");
  OnLines(lines, 1);
  ogts7.StationenRead(list[1], daten);
  EXPECT_EQ(daten.Station.Temperatur, "15");
  EXPECT_EQ(ogts7.StationenWrite(daten), "ATMOS 15,1010\r\nSTN S1,1.500,\r\nXYZ 1000.000,2000.000,300.000\r\n");
  daten.Punkt.Punktnummer = "P1";
  daten.Punkt.Y = "1";
  daten.Punkt.X = "2";
  daten.Punkt.Hoehe = "3";
  EXPECT_EQ(ogts7.KoordinatenWrite(daten), "P1,1.0000,2.0000,3.0000,KERB\r\n");
}

}  // namespace
}  // namespace veltro::test
