// The office and CAD program formats, record by record.
#include <gtest/gtest.h>

#include <memory>

#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "formats/office/Bonjour.h"
#include "formats/office/CPlan.h"
#include "formats/office/Caddy.h"
#include "formats/office/Editor.h"
#include "formats/office/Geos.h"
#include "formats/office/Geotop.h"
#include "formats/office/Homere.h"
#include "formats/office/LTOP.h"
#include "formats/office/OSQUSO.h"
#include "formats/office/SBB.h"
#include "formats/office/Topocad.h"
#include "tests/support/TestFormats.h"
#include "tests/support/TransferFixture.h"

namespace veltro::test {
namespace {

class OfficeFormatsTest : public TransferFixture {
 protected:
  OfficeFormatsTest() { CurrentTransfer() = TransferState{}; }

  TestFormats formats;  // dmInit
  TDFD dfd;
  TdmCADDY caddy{dfd};
  TdmCPLAN cplan{dfd};
  TdmEditor editor{dfd};
  TdmGEOS geos{dfd};
  TdmHomere homere{dfd};
  TdmLTOP ltop{dfd};
  TdmOSQUSO osquso{dfd};
  TdmSBB sbb{dfd};
  TdmTopocad topocad{dfd};
  TdmBonjour bonjour{dfd};
  TdmGeotop geotop{dfd};
  TDaten daten;

  std::vector<TdmOfficeFormat*> Writers() {
    return {&caddy, &cplan, &geos, &homere, &ltop, &osquso, &sbb, &topocad, &bonjour, &geotop};
  }
  void Point(const std::string& nr, const std::string& y, const std::string& x, const std::string& h,
             const std::string& code = "") {
    daten.Punkt = TPunkt{};
    daten.Punkt.Punktnummer = nr;
    daten.Punkt.Y = y;
    daten.Punkt.X = x;
    daten.Punkt.Hoehe = h;
    daten.Punkt.Code1 = code;
  }
  // An observation to nr with direction hz and slope distance.
  void Observation(const std::string& nr, const std::string& hz) {
    daten.Punkt = TPunkt{};
    daten.Punkt.Punktnummer = nr;
    daten.Punkt.Horizontalwinkel = hz;
    daten.Punkt.Vertikalwinkel = "100.0000";
    daten.Punkt.Schraegdistanz = "12.345";
    daten.Punkt.Messflags = mfHzVzSd;
  }
  // Appends what a writer answered, as the engine does.
  void Emit(const std::string& text) {
    ASSERT_NE(text, kWriteError);
    for (const std::string& line : SplitLines(text)) CurrentTransfer().OutputLines.push_back(line);
  }
  TPunkt Read(TdmOfficeFormat& module, const std::string& line) {
    EXPECT_TRUE(module.IsKoordinatenLine(line)) << module.Name << ": " << line;
    TDaten d;
    module.KoordinatenRead(line, d);
    return d.Punkt;
  }
};

TEST_F(OfficeFormatsTest, CaddyColumnsAndEveryMemberRoundTrip) {
  Point("1001", "600000.5", "200000.25", "450", "12");
  const std::string line = caddy.KoordinatenWrite(daten);
  EXPECT_EQ(line, std::string(11, ' ') + "1001" + "     600000.500" + "     200000.250" + "    450.000" + " 125" +
                      std::string(16, ' ') + std::string(10, ' '));
  // Every member takes its own coordinate line back (point numbers of 7
  // characters carry the plan part of Topo Bonjour and Geotop).
  for (TdmOfficeFormat* m : Writers()) {
    Point(m == &osquso || m == &sbb ? "A12" : "1234567", "600123.456", "200654.321", "-456.789", "21");
    const std::string written = m->KoordinatenWrite(daten);
    ASSERT_NE(written, kWriteError) << m->Name;
    const TPunkt p = Read(*m, written);
    EXPECT_EQ(p.Punktnummer, daten.Punkt.Punktnummer) << m->Name;
    EXPECT_EQ(p.Code1, "21") << m->Name;
    EXPECT_DOUBLE_EQ(ParseNumber(p.Y), 600123.456) << m->Name;
    EXPECT_DOUBLE_EQ(ParseNumber(p.X), 200654.321) << m->Name;
    EXPECT_DOUBLE_EQ(ParseNumber(p.Hoehe), -456.789) << m->Name;
  }
}

TEST_F(OfficeFormatsTest, ValuesThatDoNotFitAreErrors) {
  for (TdmOfficeFormat* m : Writers()) {
    Point("17", "6000x0.000", "200000.000", "400.000", "1");
    EXPECT_EQ(m->KoordinatenWrite(daten), kWriteError) << m->Name;
    // A height the format's column needs: listed, except in LTOP.
    Point("17", "600000.000", "200000.000", "", "1");
    EXPECT_EQ(m->KoordinatenWrite(daten) == kWriteError, m != &ltop) << m->Name;
  }
  // LV95 eastings do not fit 10 columns (nor C-Plan's sign column); a wider
  // field would move the columns the reader cuts.
  Point("17", "2600000.000", "1200000.000", "400.000");
  for (TdmOfficeFormat* m : Writers()) {
    const bool holds = m == &caddy || m == &geos || m == &ltop || m == &topocad;
    EXPECT_EQ(m->KoordinatenWrite(daten) != kWriteError, holds) << m->Name;
  }
  // A point number longer than its column would become another point.
  Point("10001", "600000.000", "200000.000", "400.000");
  EXPECT_EQ(osquso.KoordinatenWrite(daten), kWriteError);
  EXPECT_EQ(sbb.KoordinatenWrite(daten), kWriteError);
  Point("12345678901", "600000.000", "200000.000", "400.000");
  EXPECT_EQ(homere.KoordinatenWrite(daten), kWriteError);
}

TEST_F(OfficeFormatsTest, GeosTwoFaceMerge) {
  daten.Station.Punktnummer = "S1";
  Observation("A1", "100.0000");
  Emit(geos.AnschlusspunkteWrite(daten));
  ASSERT_EQ(CurrentTransfer().OutputLines.size(), 1u);
  auto first = [] { return std::string(CurrentTransfer().OutputLines[0]); };
  EXPECT_EQ(first().substr(62, 17), "100.0000 300.0000");
  // The second face replaces the stored one; a third 3 gon away as well.
  Observation("A1", "300.0020");
  EXPECT_EQ(geos.AnschlusspunkteWrite(daten), "");
  EXPECT_EQ(first().substr(71, 8), "300.0020");
  Observation("A1", "303.0000");
  EXPECT_EQ(geos.AnschlusspunkteWrite(daten), "");
  EXPECT_EQ(first().substr(71, 8), "303.0000");
  EXPECT_EQ(CurrentTransfer().OutputLines.size(), 1u);

  // Across the zero direction: 199.9995 + 200 is 399.9995, and 0.0003 is
  // 0.0008 away from it. A new point with coordinates merges over its
  // coordinate line (shorter than the face column) and writes nothing.
  Observation("N7", "199.9995");
  daten.Punkt.Messflags |= mfKoordinaten;
  daten.Punkt.Y = "600000.000";
  daten.Punkt.X = "200000.000";
  daten.Punkt.Hoehe = "400.000";
  Emit(geos.NeupunkteWrite(daten));
  ASSERT_EQ(CurrentTransfer().OutputLines.size(), 3u);
  EXPECT_EQ(CurrentTransfer().OutputLines[1].substr(71, 8), "399.9995");
  Observation("N7", "0.0003");
  daten.Punkt.Messflags |= mfKoordinaten;
  EXPECT_EQ(geos.NeupunkteWrite(daten), "");
  EXPECT_EQ(CurrentTransfer().OutputLines[1].substr(71, 8), "  0.0003");
  // Another station starts afresh.
  daten.Station.Punktnummer = "S2";
  Observation("A1", "100.0000");
  EXPECT_NE(geos.AnschlusspunkteWrite(daten), "");
}

TEST_F(OfficeFormatsTest, GeosOptionsAndPointClasses) {
  geos.SetOption(TdmGEOS::kMutationsnummer, "42");
  EXPECT_EQ(geos.InformationenWrite(daten), "");
  EXPECT_EQ(daten.Info.Mutationsnummer, "42");
  Point("5", "600000.000", "200000.000", "400.000", "12");
  EXPECT_EQ(geos.KoordinatenWrite(daten).substr(0, 23), "PT            5 1   12 ");
  geos.SetOption("geos\\class", "3");
  Point("5", "600000.000", "200000.000", "400.000", "AB");
  EXPECT_EQ(geos.KoordinatenWrite(daten).substr(0, 23), "PT            5 3 AB   ");
  daten.Station.Punktnummer = "S1";
  Observation("9", "10.0000");
  daten.Punkt.Punktart = "7";
  daten.Punkt.Messflags = mfHzSdDh;
  daten.Punkt.Vertikaldistanz = "-1.2345";
  EXPECT_EQ(geos.NeupunkteWrite(daten).substr(0, 19), "N           S1 X13 ");
}

TEST_F(OfficeFormatsTest, PlanAndPointParts) {
  Point("1234567", "600000.000", "200000.000", "400.000", "1");
  EXPECT_EQ(bonjour.KoordinatenWrite(daten).substr(0, 13), "  1  12 34567");
  EXPECT_EQ(geotop.KoordinatenWrite(daten).substr(0, 22), "01   1  12 0 34567    ");
  bonjour.SetOption(TdmBonjour::kPlan, "8");
  Point("17", "600000.000", "200000.000", "400.000", "1");
  const std::string line = bonjour.KoordinatenWrite(daten);
  EXPECT_EQ(line.substr(0, 13), "  1   8    17");
  EXPECT_EQ(Read(bonjour, line).Punktnummer, "800017");
  // Geotop files of other programs carry the point part in the second field.
  std::string other = geotop.KoordinatenWrite(daten);
  other.replace(13, 11, "      00017");
  EXPECT_EQ(Read(geotop, other).Punktnummer, "100017");
}

TEST_F(OfficeFormatsTest, HomereCommuneAndStationHeight) {
  homere.SetOption(TdmHomere::kGemeinde, "205");
  Point("1231234", "600000.000", "200000.000", "400.000", "7");
  const std::string line = homere.KoordinatenWrite(daten);
  EXPECT_EQ(line.substr(0, 16), "205 123  0 1234 ");
  EXPECT_EQ(Read(homere, line).Punktnummer, "1231234");
  std::string other = line;
  other.replace(0, 3, "206");
  EXPECT_EQ(Read(homere, other).Punktnummer, "2061231234");
  // The station height in millimetres keeps its point's digits.
  daten.Station.Punktnummer = "1001";
  for (const auto& [height, written] : {std::pair{"1.5", "1500"}, {"1.015", "1015"}, {"", "    "}}) {
    daten.Station.Instrumentenhoehe = height;
    EXPECT_EQ(homere.StationenWrite(daten), std::string("11205    01001 ") + written) << height;
  }
  daten.Station.Instrumentenhoehe = "12.5";
  EXPECT_EQ(homere.StationenWrite(daten), kWriteError);
}

TEST_F(OfficeFormatsTest, SbbCodesAndHeights) {
  WriteFile(tmp / "codes.txt", "ZA,Zaun\r\nBM,Baum H\r\nSO_A,Schacht\r\n");
  sbb.SetOption(TdmSBB::kCodeliste, tmp / "codes.txt");
  dfd.SBBBeforeSave();
  Point("12", "600000.000", "200000.000", "", "za");
  EXPECT_EQ(sbb.KoordinatenWrite(daten), "5 za    12   600000.000 200000.000         ");
  Point("12", "600000.000", "200000.000", "", "BM");
  EXPECT_EQ(sbb.KoordinatenWrite(daten), kWriteError);
  Point("12", "600000.000", "200000.000", "4", "_O_A");
  const std::string line = sbb.KoordinatenWrite(daten);
  EXPECT_EQ(line, "5  O A  12   600000.000 200000.000    4.000");
  EXPECT_EQ(Read(sbb, line).Code1, "_O_A");
}

TEST_F(OfficeFormatsTest, LtopNeedsItsStartAndNumbers) {
  Point("P1", "600000.000", "200000.000", "", "K");
  const std::string line = ltop.KoordinatenWrite(daten);
  ASSERT_EQ(line.size(), 160u);
  EXPECT_EQ(line.substr(56, 14), std::string(14, ' '));  // no height: blank, not 0
  TDatenformatDefinitionen& def = *dfd.LTOP;
  const std::string blank(160, ' ');
  EXPECT_EQ(def.OnFormat(line, "$$PK\r\n" + line), "LTOP");
  EXPECT_EQ(def.OnFormat(blank, "$$PK\r\n" + blank), "");
  EXPECT_EQ(def.OnFormat(line, line), "");  // no "$$PK" anywhere
  // In a transfer "$$PK" is searched in the whole source.
  CurrentTransfer().InputLines = {"$$PK", line, line};
  EXPECT_EQ(def.OnFormat(line, line), "LTOP");
  CurrentTransfer().InputLines = {line, line};
  EXPECT_EQ(def.OnFormat(line, line), "");
  // A measurement file is not read, and the user is told once.
  const std::string me = "$$ME\r\n" + line;
  EXPECT_EQ(def.OnFormat("$$ME", me), "");
  EXPECT_EQ(def.OnFormat(line, me), "");
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"T891"});
}

TEST_F(OfficeFormatsTest, CplanStationWaitsForItsFirstObservation) {
  TStation& s = daten.Station;
  s.Punktnummer = "100";
  s.Temperatur = "12";
  s.Luftdruck = "950";
  EXPECT_EQ(cplan.StationenWrite(daten), "");
  EXPECT_TRUE(s.StationOffen);
  Observation("7", "1.0000");
  daten.Punkt.Messflags |= mfKoordinaten;
  daten.Punkt.Y = "600000.000";
  daten.Punkt.X = "200000.000";
  daten.Punkt.Hoehe = "400.000";
  const std::vector<std::string> lines = SplitLines(cplan.NeupunkteWrite(daten));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "* T15912" + std::string(72, ' '));
  EXPECT_EQ(lines[1], "* T160950" + std::string(71, ' '));
  EXPECT_EQ(lines[2], " ST!      100!         !  1! !  ih:0.000 !      dc: !        !   hc: !        ");
  EXPECT_EQ(lines[3].substr(0, 24), " K !         !        7!");
  EXPECT_FALSE(s.StationOffen);
  EXPECT_TRUE(s.Temperatur.empty());
  // The next observation: no station, no observation line, one note.
  Observation("8", "2.0000");
  EXPECT_EQ(cplan.NeupunkteWrite(daten), "");
  EXPECT_EQ(CurrentTransfer().Messages, TextLines{"T890"});
  s.Punktart = "2";
  cplan.StationenWrite(daten);
  EXPECT_EQ(cplan.AnschlusspunkteWrite(daten).substr(0, 3), " FS");
}

TEST_F(OfficeFormatsTest, CplanCommentsOnlyWithCoordinates) {
  Point("1", "600000.000", "200000.000", "400.000");
  const std::string coordinate = cplan.KoordinatenWrite(daten);
  TDatenformatDefinitionen& def = *dfd.CPlan;
  EXPECT_EQ(def.OnFormat("* Messung", "* Messung\r\n" + coordinate), "CPlan");
  EXPECT_EQ(def.TransferDatenart, tdaKommentar);
  // A DXF table name begins with '*' too; the file is not taken for C-Plan.
  const TextLines dxf = {"  0", "TABLE", "  2", "VPORT", "  0", "VPORT", "  2", "*ACTIVE", " 70", "     0"};
  EXPECT_EQ(dfd.Recognise(def, dxf), "");
  // While a transfer reads a C-Plan file, '*' lines are comments.
  CurrentTransfer().ActiveLines = &CurrentTransfer().InputLines;
  EXPECT_EQ(def.OnFormat("* Ende", "* Ende\r\n"), "CPlan");
  CurrentTransfer().ActiveLines = nullptr;
  TDaten d;
  cplan.KommentareRead("* Messung Nord   ", d);
  EXPECT_EQ(d.Kommentar.Beschreibung, "Messung Nord");
  // A line without height reads "0.000".
  std::string noHeight = coordinate;
  noHeight.replace(63, 8, std::string(8, ' '));
  EXPECT_EQ(Read(cplan, noHeight).Hoehe, "0.000");
}

TEST_F(OfficeFormatsTest, OsqusoAndTopocadRecords) {
  daten.Info.Beobachter = "MK";
  Emit(osquso.InformationenWrite(daten));
  daten.Info.Projekt = "P1";
  Emit(osquso.InformationenWrite(daten));
  ASSERT_EQ(CurrentTransfer().OutputLines.size(), 1u);
  EXPECT_EQ(CurrentTransfer().OutputLines[0], "D00" + std::string(12, ' ') + "MK" + std::string(10, ' ') + "P1" + std::string(25, ' '));
  daten.Station = TStation{};
  daten.Station.Punktnummer = "S9";
  daten.Station.Instrumentenhoehe = "1.0155";
  EXPECT_EQ(osquso.StationenWrite(daten).substr(67), " 1016");
  daten.Station.Instrumentenhoehe = "";
  EXPECT_EQ(osquso.StationenWrite(daten).substr(67), "    0");

  // Topocad: "HDR" only into an empty output, "OBS" only for complete observations.
  EXPECT_EQ(topocad.InformationenWrite(daten), "");
  CurrentTransfer().OutputLines.clear();
  EXPECT_EQ(topocad.InformationenWrite(daten), "HDR\t1\tMK");
  EXPECT_EQ(topocad.StationenWrite(daten), "STN\t1\tS9\t0.000\t\t\t0\t0\tP1\tMK\t\t1");
  Observation("3", "1.0000");
  EXPECT_EQ(topocad.AnschlusspunkteWrite(daten),
            "OBS\t1\t1\t0\t3\t1.0000\t100.0000\t12.345\t0.000\t\t\t\t\t\tRemark\tAttr1=\tAttr2=\tAttr3=\tAttr4=");
  daten.Punkt.Messflags = mfHzVz;
  EXPECT_EQ(topocad.NeupunkteWrite(daten), "");
}

TEST_F(OfficeFormatsTest, EditorReadsCoordinatesAndCodes) {
  TDatenformatDefinitionen& def = *dfd.Editor;
  EXPECT_EQ(def.OnFormat("1001;600000.1;200000.2;400;21;Mauer", ""), "Editor");
  EXPECT_EQ(def.TransferDatenart, tdaKoordinate);
  EXPECT_EQ(def.OnFormat("MAUER\xA6" "1\xA6Mauern", ""), "Editor");
  EXPECT_EQ(def.TransferDatenart, tdaPunktcode);
  EXPECT_EQ(def.OnFormat("1001;;;;;", ""), "");
  TDaten d;
  editor.Punktcodes->OnRead("MAUER\xA6" "1\xA6Mauern", d);
  EXPECT_EQ(d.Punktcode.Entity, "1");
  EXPECT_EQ(d.Punktcode.Layer, "Mauern");
  editor.KoordinatenRead("1001;600000.1;200000.2;;21;Mauer Nord", d);
  EXPECT_EQ(d.Punkt.Kommentar, "Mauer Nord");
  EXPECT_FALSE(editor.Koordinaten->OnWrite);
  TdmEditor::Punktliste() = {"1;2;3;4;;"};
  EXPECT_EQ(CurrentTransfer().EditorLines, TextLines{"1;2;3;4;;"});
}

}  // namespace
}  // namespace veltro::test
