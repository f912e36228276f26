#include "formats/office/ASCII.h"

#include <gtest/gtest.h>

#include "core/DateTime.h"
#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "platform/TextFile.h"
#include "tests/support/TestFormats.h"
#include "tests/support/TransferFixture.h"

namespace veltro::test {
namespace {

class ASCIITest : public TransferFixture {
 protected:
  ASCIITest() {
    SetSystemSeparators('.', '.', ':');
    instrument.format = formats.inst;
  }

  static TDateTime At(int y, int mo, int d, int h, int mi, int s) {
    double time = 0;
    EncodeTime(h, mi, s, time);
    return EncodeDate(y, mo, d) + time;
  }

  TestFormats formats;  // dmInit and the instrument format "Inst"
  TDFD dfd;
  TdmASCII ascii{dfd};
  TDaten daten;
};

const std::string kLabel202 = "T202           ";  // "%-15.15s" of the information label

// ---- Module ------------------------------------------------------------------------

TEST_F(ASCIITest, ComponentsInOrderWithTheirHandlers) {
  struct Row {
    const char* name;
    TTransferDatenart kind;
    bool read;
  };
  const Row rows[] = {{"Koordinaten", tdaKoordinate, true},      {"NivKoordinaten", tdaNivKoordinate, true},
                      {"Informationen", tdaInformation, false},  {"Stationen", tdaStation, false},
                      {"Anschlusspunkte", tdaAnschlusspunkt, false}, {"Neupunkte", tdaNeupunkt, false},
                      {"Kommentare", tdaKommentar, false},       {"Startdaten", tdaStartdaten, false},
                      {"Messdaten", tdaMessdaten, false},        {"Enddaten", tdaEnddaten, false},
                      {"NivKommentare", tdaNivKommentar, false}};
  ASSERT_EQ(ascii.ComponentCount(), static_cast<int>(std::size(rows)));
  for (size_t i = 0; i < std::size(rows); ++i) {
    auto* rw = dynamic_cast<TReadWriteDaten*>(ascii.Components()[i].get());
    ASSERT_NE(rw, nullptr);
    SCOPED_TRACE(rows[i].name);
    EXPECT_EQ(rw->Name, rows[i].name);
    EXPECT_EQ(rw->TransferDatenart, rows[i].kind);
    EXPECT_TRUE(rw->OnWrite);
    EXPECT_EQ(static_cast<bool>(rw->OnRead), rows[i].read);
    EXPECT_EQ(static_cast<bool>(rw->OnStatistik), rows[i].read);
  }
  EXPECT_EQ(dfd.ModuleOf(*dfd.ASCII), &ascii);
}

TEST_F(ASCIITest, FormatHandlerSelectsTheCoordinateReader) {
  EXPECT_EQ(dfd.ASCII->OnFormat("100|12|600000.000|200000.000|450.00|", ""), "ASCII");
  EXPECT_EQ(dfd.ASCII->ReadWrite, ascii.Koordinaten);
  EXPECT_EQ(dfd.ASCII->TransferDatenart, tdaKoordinate);
  EXPECT_EQ(dfd.ASCII->OnFormat("100|12|600000.000|200000.000|450.00", ""), "");
  std::string page;
  EXPECT_EQ(dfd.ASCII->OnAttribute(page), "ASCII");
  EXPECT_EQ(page, "ASCII_Blatt");
}

// ---- Coordinates ----------------------------------------------------------------------

TEST_F(ASCIITest, CoordinateRoundTrip) {
  TPunkt& p = daten.Punkt;
  p.Punktnummer = "100";
  p.Code1 = "12";
  p.Y = "600000.000";
  p.X = "200000.000";
  p.Hoehe = "450.00";
  const std::string line = ascii.KoordinatenWrite(daten);
  EXPECT_EQ(line, "100|12|600000.000|200000.000|450.00|");

  TDaten back;
  back.Punkt.Kommentar = "stale";
  ascii.Koordinaten->OnRead(line, back);
  EXPECT_EQ(back.Punkt.Punktnummer, "100");
  EXPECT_EQ(back.Punkt.Code1, "12");
  EXPECT_EQ(back.Punkt.Y, "600000.000");
  EXPECT_EQ(back.Punkt.X, "200000.000");
  EXPECT_EQ(back.Punkt.Hoehe, "450.00");
  EXPECT_EQ(back.Punkt.Kommentar, "");
  EXPECT_EQ(back.Konstanten.Originalzeilen, line);
}

TEST_F(ASCIITest, ValuesAreTakenAsTheyStand) {
  ascii.NivKoordinatenRead(" 7 | A |1,5|x|| Rest|mit|Strichen", daten);
  EXPECT_EQ(daten.Punkt.Punktnummer, " 7 ");
  EXPECT_EQ(daten.Punkt.Code1, " A ");
  EXPECT_EQ(daten.Punkt.Y, "1,5");
  EXPECT_EQ(daten.Punkt.X, "x");
  EXPECT_EQ(daten.Punkt.Hoehe, "");
  EXPECT_EQ(daten.Punkt.Kommentar, " Rest|mit|Strichen");
  daten.Punkt.Kommentar = "K";
  EXPECT_EQ(ascii.NivKoordinatenWrite(daten), " 7 | A |1,5|x||K");
}

// The reader takes the fields the recogniser cut only for the same line
// and layout: a line buffer refilled in place or a changed layout is cut anew.
TEST_F(ASCIITest, ReaderCutsAnotherLineOrLayoutAnew) {
  std::string line = "1|A|10|20|30|";
  ASSERT_TRUE(ascii.IsKoordinatenLine(line));
  line = "2|B|11|21|31|";
  ascii.KoordinatenRead(line, daten);
  EXPECT_EQ(daten.Punkt.Punktnummer, "2");
  EXPECT_EQ(daten.Punkt.Hoehe, "31");
  const std::string layout = dfd.ASCII->Koordinaten;
  dfd.ASCII->Koordinaten = "%s;%s;%s;%s;%s;%s";
  ascii.KoordinatenRead(line, daten);
  EXPECT_EQ(daten.Punkt.Punktnummer, line);
  dfd.ASCII->Koordinaten = layout;
  ascii.KoordinatenRead(line, daten);
  EXPECT_EQ(daten.Punkt.Code1, "B");
}

TEST_F(ASCIITest, RecogniserNeedsFiveBars) {
  EXPECT_TRUE(ascii.IsKoordinatenLine("|||||"));
  EXPECT_TRUE(ascii.IsKoordinatenLine("1|2|3|4|5|6|7"));
  EXPECT_FALSE(ascii.IsKoordinatenLine("100|12|600000.000|200000.000|450.00"));
  EXPECT_FALSE(ascii.IsKoordinatenLine(""));
}

TEST_F(ASCIITest, StatisticsCountPoints) {
  TTransferStatistik st;
  ascii.Koordinaten->OnStatistik("x", st);
  ascii.NivKoordinaten->OnStatistik("x", st);
  EXPECT_EQ(st.Punkte, 2);
  EXPECT_EQ(st.Fortschritt, 2);
  EXPECT_EQ(st.Codes, 0);
}

// ---- Information, stations, points, comments -------------------------------------------

TEST_F(ASCIITest, InformationLinesForTheItemsPresent) {
  TInfo& i = daten.Info;
  i.Projekt = "P1";
  i.Instrument = "TC";
  i.Zeitpunkt = At(2026, 12, 8, 14, 30, 5);
  i.Beschreibung = "B";
  i.Massstabsfaktor = "1.0";
  i.Mutationsnummer = "M";
  i.Einheiten = "UNITS";
  EXPECT_EQ(ascii.InformationenWrite(daten), kLabel202 + "T155P1\r\n" + kLabel202 + "T157TC\r\n" + kLabel202 +
                                                 "T15808.12.2026\r\n" + kLabel202 + "T16114:30:05\r\n" + kLabel202 +
                                                 "T162B\r\n" + kLabel202 + "T1641.0");
}

TEST_F(ASCIITest, InformationWithoutTimeOfDayOrDate) {
  daten.Info.Zeitpunkt = EncodeDate(2026, 12, 8);
  EXPECT_EQ(ascii.InformationenWrite(daten), kLabel202 + "T15808.12.2026");
  daten.Info.Zeitpunkt = 0;
  EXPECT_EQ(ascii.InformationenWrite(daten), "");
}

TEST_F(ASCIITest, TemperatureIsWrittenOnceBeforeTheStation) {
  TStation& s = daten.Station;
  s.Punktnummer = "S1";
  s.Code = "7";
  s.Instrumentenhoehe = "1.550";
  s.Y = "600000.000";
  s.X = "200000.000";
  s.Hoehe = "450.000";
  s.Temperatur = "20";
  const std::string station = "T203           |S1|7|1.550|600000.000|200000.000|450.000";
  EXPECT_EQ(ascii.StationenWrite(daten), kLabel202 + "T15920\r\n" + station);
  EXPECT_TRUE(s.Temperatur.empty());
  EXPECT_EQ(ascii.StationenWrite(daten), station);
  s.Temperatur = "18";
  s.Luftdruck = "950";
  EXPECT_EQ(ascii.StationenWrite(daten), kLabel202 + "T15918\r\n" + kLabel202 + "T160950\r\n" + station);
  EXPECT_TRUE(s.Luftdruck.empty());
}

TEST_F(ASCIITest, BacksightLineHas23Fields) {
  EXPECT_EQ(ascii.AnschlusspunkteWrite(daten), "T204           " + std::string(22, '|'));
  TPunkt& p = daten.Punkt;
  std::string* fields[] = {&p.Punktnummer,      &p.Code1,          &p.Horizontalwinkel, &p.Vertikalwinkel,
                           &p.Schraegdistanz,   &p.Horizontaldistanz, &p.Vertikaldistanz, &p.Reflektorhoehe,
                           &p.Atmosphaerenkorrektur, &p.Prismenkonstante, &p.Y,          &p.X,
                           &p.Hoehe,            &p.Querverschiebung, &p.Laengsverschiebung, &p.Vertikalverschiebung,
                           &p.Code2,            &p.Kontrollkodierung, &p.Anmerkung1,     &p.Anmerkung2,
                           &p.Kommentar,        &p.Azimut};
  for (size_t i = 0; i < std::size(fields); ++i) *fields[i] = "v" + std::to_string(i + 1);
  p.Zusatzwert2 = "not written";
  const std::string line = ascii.AnschlusspunkteWrite(daten);
  EXPECT_EQ(FieldAt(line, '|', 0), "T204           ");
  for (size_t i = 0; i < std::size(fields); ++i)
    EXPECT_EQ(FieldAt(line, '|', static_cast<int>(i) + 1), "v" + std::to_string(i + 1));
  EXPECT_EQ(TokenCount(line, '|'), 23);
}

TEST_F(ASCIITest, NewPointLineCarriesZusatzwert2) {
  TPunkt& p = daten.Punkt;
  std::string* fields[] = {&p.Punktnummer,      &p.Code1,          &p.Horizontalwinkel, &p.Vertikalwinkel,
                           &p.Schraegdistanz,   &p.Horizontaldistanz, &p.Vertikaldistanz, &p.Reflektorhoehe,
                           &p.Atmosphaerenkorrektur, &p.Prismenkonstante, &p.Y,          &p.X,
                           &p.Hoehe,            &p.Querverschiebung, &p.Laengsverschiebung, &p.Vertikalverschiebung,
                           &p.Zusatzwert2,      &p.Code2,          &p.Kontrollkodierung, &p.Anmerkung1,
                           &p.Anmerkung2,       &p.Kommentar};
  for (size_t i = 0; i < std::size(fields); ++i) *fields[i] = "n" + std::to_string(i + 1);
  p.Azimut = "not written";
  const std::string line = ascii.NeupunkteWrite(daten);
  EXPECT_EQ(FieldAt(line, '|', 0), "T205           ");
  for (size_t i = 0; i < std::size(fields); ++i)
    EXPECT_EQ(FieldAt(line, '|', static_cast<int>(i) + 1), "n" + std::to_string(i + 1));
  EXPECT_EQ(CountChar(line, '|'), 22);
}

TEST_F(ASCIITest, CommentsAreLabelledSoThatTheyFormat) {
  daten.Kommentar.Beschreibung = "Hallo Welt";
  EXPECT_EQ(ascii.KommentareWrite(daten), "T162           |Hallo Welt");
  EXPECT_EQ(ascii.NivKommentareWrite(daten), "T162Hallo Welt");
}

TEST_F(ASCIITest, FormattingFailureWritesError) {
  dfd.ASCII->Koordinaten = "%s|%s|%s|%s|%s|%s|%s";
  EXPECT_EQ(ascii.KoordinatenWrite(daten), "Error");
  dfd.ASCII->Kommentare.clear();
  EXPECT_EQ(ascii.KommentareWrite(daten), "Error");
  dfd.ASCII->Informationen = {"%s%s%s"};
  daten.Info.Projekt = "P";
  EXPECT_EQ(ascii.InformationenWrite(daten), "Error");
}

// ---- Levelling ---------------------------------------------------------------------------

TEST_F(ASCIITest, StartDataFourLines) {
  SetTextProvider([](int n) { return n == 472 ? std::string("&Punkt:nummer:") : "T" + std::to_string(n); });
  TStart& s = daten.Start;
  s.Satzkennung = "x1";
  s.Auftragsnummer = "A7";
  s.Zeitpunkt = At(2026, 12, 8, 14, 30, 5);
  s.Hoehenbezugnummer = "HB";
  s.Messnummer = "3";
  s.Bodenhoehe = "450123";
  EXPECT_EQ(ascii.StartdatenWrite(daten),
            "T467 \tA7\r\n"
            "T349 \t08.12.2026\t14:30:05\r\n"
            "Punktnummer:\tT509\tT473\tT475\tT474\tT510\r\n"
            "HB3\t\t\t\t\t     450.123");
}

TEST_F(ASCIITest, StartDataWithoutDateTimeWritesEmptyFields) {
  daten.Start.Bodenhoehe = "";
  const TextLines lines = SplitLines(ascii.StartdatenWrite(daten));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1], "T349 \t\t");
  EXPECT_EQ(lines[3], "\t\t\t\t\t" + std::string(12, ' '));
}

TEST_F(ASCIITest, EndDataIsFollowedByABlankLine) {
  daten.Ende.Hoehenbezugnummer = "HB";
  daten.Ende.Satzkennung = "x3";
  daten.Ende.Bodenhoehe = "4501234";
  EXPECT_EQ(ascii.EnddatenWrite(daten), "HB\t\t\t\t\t    450.1234\r\n ");
}

TEST_F(ASCIITest, MeasurementLinesBySatzart) {
  TMessung& m = daten.Messung;
  m.Satzkennung = "x3";
  m.Punktnummer = "P5";
  m.Distanz = "12345";
  m.Lattenablesung = "123456";
  const std::string dist = "      12.345";
  const std::string reading = "     1.23456";
  for (const char* letter : {"g", "h"}) {
    m.Satzart = letter;
    EXPECT_EQ(ascii.MessdatenWrite(daten), "P5\t" + dist + "\t" + reading) << letter;
  }
  for (const char* letter : {"i", "j"}) {
    m.Satzart = letter;
    EXPECT_EQ(ascii.MessdatenWrite(daten), "P5\t" + dist + "\t\t\t" + reading) << letter;
  }
  for (const char* letter : {"f", "k"}) {
    m.Satzart = letter;
    EXPECT_EQ(ascii.MessdatenWrite(daten), "P5\t" + dist + "\t\t" + reading) << letter;
  }
  for (const char* letter : {"l", "m", "", "G"}) {
    m.Satzart = letter;
    EXPECT_EQ(ascii.MessdatenWrite(daten), "") << letter;
  }
}

TEST_F(ASCIITest, NonNumericLevellingValueStaysEmpty) {
  daten.Messung.Satzart = "g";
  daten.Messung.Satzkennung = "x1";
  daten.Messung.Punktnummer = "P";
  daten.Messung.Distanz = "abc";
  daten.Messung.Lattenablesung = "";
  EXPECT_EQ(ascii.MessdatenWrite(daten), "P\t" + std::string(12, ' ') + "\t" + std::string(12, ' '));
}

TEST(LevelValue, DecimalsByUnitDigit) {
  const std::string digits = "123456789A0B";
  const int ablesung[] = {3, 4, 5, 2, 3, 4, 4, 5, 3, 4, 0, 0};
  const int distanz[] = {2, 2, 3, 2, 2, 2, 2, 3, 2, 2, 0, 0};
  const int boden[] = {3, 3, 4, 2, 2, 3, 4, 5, 3, 4, 3, 3};
  for (size_t i = 0; i < digits.size(); ++i) {
    const std::string kennung = std::string("x") + digits[i];
    SCOPED_TRACE(kennung);
    EXPECT_EQ(LevelDecimals(kennung, LevelValue::Ablesung), ablesung[i]);
    EXPECT_EQ(LevelDecimals(kennung, LevelValue::Distanz), distanz[i]);
    EXPECT_EQ(LevelDecimals(kennung, LevelValue::Bodenhoehe), boden[i]);
  }
}

TEST(LevelValue, ShortSatzkennungIsAnyOtherUnit) {
  EXPECT_EQ(LevelDecimals("1", LevelValue::Ablesung), 0);
  EXPECT_EQ(LevelDecimals("", LevelValue::Distanz), 0);
  EXPECT_EQ(LevelDecimals("", LevelValue::Bodenhoehe), 3);
  EXPECT_EQ(ConvertLevelValue("12345", "", LevelValue::Bodenhoehe), "12.345");
}

TEST(LevelValue, Conversion) {
  EXPECT_EQ(ConvertLevelValue("123456", "x2", LevelValue::Ablesung), "12.3456");
  EXPECT_EQ(ConvertLevelValue("-5", "x4", LevelValue::Ablesung), "-0.05");
  EXPECT_EQ(ConvertLevelValue("15", "x0", LevelValue::Ablesung), "15");
  EXPECT_EQ(ConvertLevelValue("", "x1", LevelValue::Ablesung), "");
  EXPECT_EQ(ConvertLevelValue("2147483647x", "x1", LevelValue::Ablesung), "");
  EXPECT_EQ(ConvertLevelValue("n/a", "x1", LevelValue::Bodenhoehe), "");
}

// ---- Through the engine -------------------------------------------------------------------

TEST_F(ASCIITest, AsciiFileToInstrumentLines) {
  settings.methode = 1;
  std::string input;
  ASSERT_TRUE(LoadFileBytes(std::string(VELTRO_TEST_DATA) + "/ascii/koordinaten.asc", input));
  WriteFile(tmp / "koordinaten.asc", input);
  window.SetInputFileField("koordinaten.asc");
  window.SetOutputFileField("inst.txt");
  Transfer_startenClick();
  EXPECT_EQ(ReadFile(tmp / "inst.txt"), ReadFile(std::string(VELTRO_TEST_DATA) + "/ascii/koordinaten.inst"));
  // The title line and the line with four '|' are no coordinate lines.
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"T188\r\nKoordinatenliste Test\r\nT188\r\n103|1|2|3|4"});
}

TEST_F(ASCIITest, InstrumentLinesToAsciiFile) {
  settings.methode = 0;
  TextLines received;
  ASSERT_TRUE(LoadTextFile(std::string(VELTRO_TEST_DATA) + "/ascii/koordinaten.inst", received));
  instrument.toReceive = received;
  window.SetOutputFileField("out.asc");
  Transfer_startenClick();
  EXPECT_EQ(ReadFile(tmp / "out.asc"), ReadFile(std::string(VELTRO_TEST_DATA) + "/ascii/koordinaten-zurueck.asc"));
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"T46"});  // the fake instrument counts nothing
}

}  // namespace
}  // namespace veltro::test
