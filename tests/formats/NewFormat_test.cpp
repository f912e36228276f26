#include "formats/office/NewFormat.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "core/DateTime.h"
#include "core/Fatal.h"
#include "core/TextUtils.h"
#include "instruments/TransferModules.h"
#include "tests/support/TempSettings.h"
#include "tests/support/TransferFixture.h"

namespace veltro::test {
namespace {

// Templates below use the default letters, e.g. Koordinaten P C Y X H K
// (Punktnummer, Code1, Y, X, Hoehe, Kommentar).
class NewFormatTest : public TransferFixture {
 protected:
  NewFormatTest() {
    SetFatalExitHandler([](int code) { throw std::runtime_error("exit " + std::to_string(code)); });
    SetSystemSeparators('.', '.', ':');
    Select("itTPS1100");
  }
  ~NewFormatTest() override { SetFatalExitHandler(nullptr); }

  void Select(const char* instrument) {
    modules.geraete->ForEach<TInstrument>([&](TInstrument& i) { i.Active = i.Name == instrument; });
  }
  TemplateSection& Section(int s) { return nf.Definition.Sections[static_cast<size_t>(s)]; }
  void Koordinaten(const std::string& tmpl, bool fixed = true) {
    Section(tsKoordinaten).Template = tmpl;
    Section(tsKoordinaten).FixedPosition = fixed;
  }
  std::string Write(const std::string& nr, const std::string& y, const std::string& x, const std::string& h = "") {
    daten.Punkt = TPunkt{};
    daten.Punkt.Punktnummer = nr;
    daten.Punkt.Y = y;
    daten.Punkt.X = x;
    daten.Punkt.Hoehe = h;
    return nf.KoordinatenWrite(daten);
  }
  TPunkt Read(const std::string& line) {
    daten.Punkt = TPunkt{};
    nf.KoordinatenRead(line, daten);
    return daten.Punkt;
  }

  TempSettings store;
  TransferModules modules{tmp.path() + "/"};
  TdmNewFormat& nf = *modules.newFormat;
  TDaten daten;
};

TEST_F(NewFormatTest, FieldsArePouredIntoTheirRunsAndCutOutAgain) {
  Koordinaten("[PPPPPPPP];[YYYYY.YY];[XXXXX.XX]", false);
  EXPECT_EQ(Write("12", "600000.5", "200000.25"), "12;600000.500;200000.250");
  TPunkt p = Read("12;600000.500;200000.250");
  EXPECT_EQ(p.Punktnummer, "12");
  EXPECT_EQ(p.Y, "600000.50000");
  EXPECT_EQ(p.X, "200000.25000");

  Koordinaten("[PPPPPPPP];[YYYYY.YY];[XXXXX.XX]");
  EXPECT_EQ(Write("12", "600000.5", "200000.25"), "12        ;600000.500;200000.250");
  EXPECT_EQ(Read("12        ;600000.500;200000.250").Y, "600000.50000");
  // Neither rounding direction loses a digit: halves go away from zero.
  EXPECT_EQ(Write("1", "-0.0005", "200000.0005"), "1         ;    -0.001;200000.001");

  nf.Definition.CoordinateUnit = 3;  // 1 mm: 12 positions, no decimal point
  Koordinaten("[PPP] [YYYYYYYYYY]");
  EXPECT_EQ(Write("7", "600000.5", ""), "7" + Blanks(8) + "600000500");
  EXPECT_EQ(Read("7" + Blanks(8) + "600000500").Y, "600000.50000");

  // '<' with '>': numeric texts right, others left; numbers honour '<'.
  Koordinaten("<CCCC>|<YYYY.Y]");
  nf.Definition.CoordinateUnit = 0;
  daten.Punkt = TPunkt{};
  daten.Punkt.Code1 = "123";
  daten.Punkt.Y = "1.25";
  EXPECT_EQ(nf.KoordinatenWrite(daten), "   123|1.25    ");
  daten.Punkt.Code1 = "A12";
  EXPECT_EQ(nf.KoordinatenWrite(daten), "A12   |1.25    ");

  // Every occurrence is filled; a follow piece continues the field elsewhere.
  Koordinaten("[PP\xBB-[YY.Y]-\xBBPPP] ([PPP])");
  daten.Punkt = TPunkt{};
  daten.Punkt.Punktnummer = "ABCDEFGHI";
  daten.Punkt.Y = "3.14159";
  const std::string line = nf.KoordinatenWrite(daten);
  EXPECT_EQ(line, "ABCD-  3.14-EFGHI (ABCDE)");
  EXPECT_EQ(Read(line).Punktnummer, "ABCDEFGHI");
  EXPECT_EQ(Read(line).Y, "3.14000");

  // A record without any value writes nothing.
  EXPECT_EQ(Write("", "", ""), "");
}

TEST_F(NewFormatTest, MissingNumbersStayMissing) {
  nf.Definition.CoordinateUnit = 3;
  Koordinaten("[PPPP];[YYYYYYYY];[XXXXXXXX];[HHHHHH]", false);
  // No arithmetic on the no-value: empty or non-numeric values write nothing.
  EXPECT_EQ(Write("5", "", "abc", ""), "5;;;");
  TPunkt p = Read("5;2147483647;x1;");
  EXPECT_EQ(p.Y, "2147483.64700");  // a real number is read as such
  EXPECT_EQ(p.X, "");
  EXPECT_EQ(p.Hoehe, "");  // a height not measured, not 0.000
  EXPECT_EQ(Read("5;1;2").Hoehe, "");
}

TEST_F(NewFormatTest, ValuesWiderThanTheirRun) {
  Koordinaten("[PPPP]|[YYYY.YY]|[CCC>");
  daten.Punkt = TPunkt{};
  daten.Punkt.Punktnummer = "1";
  daten.Punkt.Y = "2600000.5";  // LV95: never cut to a plausible 600000.500
  EXPECT_EQ(nf.KoordinatenWrite(daten), "Error");
  Section(tsKoordinaten).FixedPosition = false;
  EXPECT_EQ(nf.KoordinatenWrite(daten), "1|2600000.500|");
  TPunkt back = Read("1|2600000.500|");
  EXPECT_EQ(back.Y, "2600000.50000");
  // Text fields are cut: left-aligned keep their start, right-aligned their end.
  Section(tsKoordinaten).FixedPosition = true;
  daten.Punkt.Y.clear();
  daten.Punkt.Punktnummer = "ABCDEFG";
  daten.Punkt.Code1 = "xyz12345";
  EXPECT_EQ(nf.KoordinatenWrite(daten), "ABCDEF|" + Blanks(9) + "|12345");
}

TEST_F(NewFormatTest, FillPositionsAreTrackedNotTheFillByte) {
  Koordinaten("[PPPP]/<KKKKKKK]", false);
  daten.Punkt = TPunkt{};
  daten.Punkt.Punktnummer = "1\xB4";
  daten.Punkt.Kommentar = "a\xB4 b";
  EXPECT_EQ(nf.KoordinatenWrite(daten), "1\xB4/a\xB4 b");
  Section(tsKoordinaten).FixedPosition = true;
  EXPECT_EQ(nf.KoordinatenWrite(daten), "1\xB4    /a\xB4 b     ");
}

TEST_F(NewFormatTest, TitleLinesOnceBeforeTheFirstRecordAndSkippedOnReading) {
  Koordinaten("Nr   Y\r\n---- ------\r\n[PPP] [YY.Y]");
  Section(tsKoordinaten).TitleLines = 2;
  EXPECT_EQ(Write("1", "2", ""), "Nr   Y\r\n---- ------\r\n1" + Blanks(7) + "2.00");
  EXPECT_EQ(Write("2", "3", ""), "2" + Blanks(7) + "3.00");
  EXPECT_EQ(Section(tsKoordinaten).TitleLines, 0);

  Koordinaten("Nr   Y\r\n---- ------\r\n[PPP] [YY.Y]");
  Section(tsKoordinaten).TitleLines = 2;
  // Recognition looks past the title lines of the file; the transfer then
  // drops them before reading.
  const std::string record = "1" + Blanks(7) + "2.00";
  const std::string head = "Nr   Y\r\n---- ------\r\n" + record + "\r\n";
  EXPECT_EQ(modules.dfd->NewFormat->OnFormat("Nr   Y", head), "NewFormat");
  CurrentTransfer().InputLines = {"Nr   Y", "---- ------", record};
  modules.dfd->NewFormat->OnBeforeLoad(false);
  EXPECT_EQ(CurrentTransfer().InputLines, TextLines{record});
  EXPECT_EQ(Section(tsKoordinaten).Template, "[PPP] [YY.Y]");
  // More title lines than the source has: only what there is goes.
  Koordinaten("T1\r\nT2\r\nT3\r\n[PPP]");
  Section(tsKoordinaten).TitleLines = 3;
  CurrentTransfer().InputLines = {"x"};
  modules.dfd->NewFormat->OnBeforeLoad(false);
  EXPECT_TRUE(CurrentTransfer().InputLines.empty());
}

TEST_F(NewFormatTest, Classification) {
  TDatenformatDefinitionen& def = *modules.dfd->NewFormat;
  auto kind = [&](const std::string& line) {
    def.TransferDatenart = tdaInformation;
    return def.OnFormat(line, line).empty() ? tdaNone : def.TransferDatenart;
  };
  Koordinaten("[PPPP] [YYYY.YY] [XXXX.XX] [HHH.HH] <KKKKKK]");
  nf.Definition.CommentMarkers = "#\r\n\r\n//";
  auto line = [&](const char* nr, const char* h, const char* k) {
    daten.Punkt = TPunkt{};
    daten.Punkt.Punktnummer = nr;
    daten.Punkt.Y = "1234";
    daten.Punkt.X = "5678";
    daten.Punkt.Hoehe = h;
    daten.Punkt.Kommentar = k;
    return TrimRightChar(nf.KoordinatenWrite(daten), ' ');
  };
  const std::string full = line("1", "12", "Mauer");
  EXPECT_EQ(kind(full), tdaKoordinate);
  // An empty height or comment, or a line shorter than the last run, does
  // not reject the line (the last field used to decide).
  EXPECT_EQ(kind(line("1", "", "")), tdaKoordinate);
  EXPECT_EQ(kind(line("1", "", "Mauer")), tdaKoordinate);
  EXPECT_EQ(kind(line("", "12", "")), tdaNone);  // no point number
  std::string bad = full;
  bad[10] = 'x';
  EXPECT_EQ(kind(bad), tdaNone);  // a coordinate that is not a number
  EXPECT_EQ(kind(""), tdaNone);
  // A comment marker wins over a matching template; empty markers never match.
  EXPECT_EQ(kind("#" + full.substr(1)), tdaKommentar);
  EXPECT_EQ(kind("// Messung 2"), tdaKommentar);
  EXPECT_TRUE(modules.dfd->IsComment("// x"));
  EXPECT_FALSE(modules.dfd->IsComment("/ x"));

  Koordinaten("[PPPP];[YYYY.YY];[XXXX.XX]", false);
  EXPECT_EQ(kind("1;2;3"), tdaKoordinate);
  EXPECT_EQ(kind("1;"), tdaKoordinate);  // used up before ';' is missed
  EXPECT_EQ(kind("1 2 3"), tdaNone);
  EXPECT_EQ(kind("   "), tdaNone);  // a blank line is no point without coordinates
  // A follow piece is a field, not literal text to look for: the template
  // recognises and reads back what it wrote.
  Koordinaten("[PPP\xBB;\xBBPP];[YYY.Y]", false);
  daten.Punkt = TPunkt{};
  daten.Punkt.Punktnummer = "ABCDEFG";
  daten.Punkt.Y = "1";
  const std::string pieces = nf.KoordinatenWrite(daten);
  EXPECT_EQ(pieces, "ABCDE;FG;1.00");
  EXPECT_EQ(kind(pieces), tdaKoordinate);
  EXPECT_EQ(Read(pieces).Punktnummer, "ABCDEFG");
  // Other sections in their order; the levelling section only for levels.
  Section(tsQuerprofile).Template = "Q[SSSSS]/[AAA.AA]";
  Section(tsQuerprofile).FixedPosition = false;
  Koordinaten("[PPPP]", false);
  EXPECT_EQ(kind("Q100/2.5 abc"), tdaKoordinate);
  Koordinaten("");
  EXPECT_EQ(kind("Q100/2.5 abc"), tdaQuerprofil);
  const std::string level = "1" + Blanks(9) + "12.345";
  Section(tsNivKoordinaten).Template = "[PPPP] [HHH.HHH]";
  EXPECT_EQ(kind(level), tdaNone);
  Select("itDiNi10");
  EXPECT_EQ(kind(level), tdaNivKoordinate);
  EXPECT_EQ(kind("Q100/2.5 abc"), tdaNone);
  daten.Punkt = TPunkt{};
  nf.NivKoordinatenRead(level, daten);
  EXPECT_EQ(daten.Punkt.Hoehe, "12.34500");
}

TEST_F(NewFormatTest, MultiLineRecordsReadTheirContinuationLines) {
  Koordinaten("[PPPPP]\r\n[YYYY.YY] [XXXX.XX]\r\n");
  const LineList lines = {"17", " 1234.500  9876.250", "", "18", "    1.5"};
  CurrentTransfer().ActiveLines = &lines;
  daten.Konstanten.Zeile = 0;
  TPunkt p = Read(std::string(lines[0]));
  EXPECT_EQ(p.Y, "1234.50000");
  EXPECT_EQ(p.X, "9876.25000");
  EXPECT_EQ(daten.Konstanten.Zeile, 2);
  EXPECT_EQ(daten.Konstanten.Originalzeilen, "17\r\n 1234.500  9876.250\r\n");
  daten.Konstanten.Zeile = 3;
  p = Read(std::string(lines[3]));  // a short line and the end of the source
  EXPECT_EQ(p.Y, "1.50000");
  EXPECT_EQ(p.X, "");
  EXPECT_EQ(daten.Konstanten.Zeile, 4);
  CurrentTransfer().ActiveLines = nullptr;
  // A lone LF (from a hand-edited settings file) is text, not a line break.
  Koordinaten("[PPP]\n[YY.Y]", false);
  EXPECT_EQ(Write("1", "2", ""), "1\n2.00");
  EXPECT_EQ(Read("1\n2.00").Y, "2.00000");
  Koordinaten("[PPPPP]\r\n[YYYY.YY] [XXXX.XX]\r\n");
  // The written record keeps the template's empty last line.
  EXPECT_EQ(Write("17", "1234.5", "9876.25"), "17     \r\n 1234.500  9876.250\r\n\r\n");
}

TEST_F(NewFormatTest, OtherSectionsAndTheirValues) {
  nf.Definition.DateFormat = "MM.DD.YY";
  nf.Definition.TimeFormat = "HH:MM";
  Section(tsInformationen).Template = "[PPPPPP] [DDDDDDDD] [ZZZZZ]";
  double t = 0;
  EncodeTime(14, 5, 9, t);
  daten.Info.Projekt = "Bahnhof";
  daten.Info.Zeitpunkt = EncodeDate(2026, 12, 8) + t;
  EXPECT_EQ(nf.InformationenWrite(daten), "Bahnhof  12.08.26   14:05  ");
  daten.Info.Zeitpunkt = 0;  // not set: no 30.12.1899
  EXPECT_EQ(nf.InformationenWrite(daten), "Bahnhof" + Blanks(20));

  nf.Definition.AngleUnit = 3;  // mgon
  Section(tsDetailpunkt).Template = "[PPP] [WWWWWWWW] [VVVVVVVV]";
  daten.Punkt = TPunkt{};
  daten.Punkt.Punktnummer = "9";
  daten.Punkt.Horizontalwinkel = "123.4567";
  daten.Punkt.Vertikalwinkel = "99.9995";
  EXPECT_EQ(nf.NeupunkteWrite(daten), "9" + Blanks(9) + "123457" + Blanks(5) + "100000");

  // Levelling: the section by the measurement letter; distances converted
  // from the instrument's unit digit (Satzkennung "x1": 2 decimals).
  Section(tsRueckblick).Template = "R [PPPP] [EEE.EE]";
  Section(tsAbsteckung).Template = "A [PPPP]";
  daten.Messung = TMessung{};
  daten.Messung.Satzkennung = "11";
  daten.Messung.Punktnummer = "N1";
  daten.Messung.Distanz = "1234";
  daten.Messung.Satzart = "h";
  EXPECT_EQ(nf.MessdatenWrite(daten), "R N1" + Blanks(7) + "12.340");
  daten.Messung.Satzart = "l";
  EXPECT_EQ(nf.MessdatenWrite(daten), "A N1    ");
  daten.Messung.Satzart = "z";
  EXPECT_EQ(nf.MessdatenWrite(daten), "");
  Section(tsAbschlussdaten).Template = "E [WWWWW]";
  daten.Ende.Wechselpunkt = "WP12";  // a point number, not a value to convert
  EXPECT_EQ(nf.EnddatenWrite(daten), "E WP12   ");

  Section(tsQuerprofile).Template = "[SSSSSS.SS];[AAA.AA];[HHH.HH]";
  Section(tsQuerprofile).FixedPosition = false;
  nf.QuerprofileRead("0+120.5;-3.25;412.1", daten);
  EXPECT_EQ(daten.Querprofil.Stationierung, "0+120.5");  // as read, not scaled
  EXPECT_EQ(daten.Querprofil.Seitenabstand, "-3.25000");
  EXPECT_EQ(daten.Querprofil.Hoehe, "412.10000");
}

}  // namespace
}  // namespace veltro::test
