// The DL-100 module: units, check characters and fields; every record letter
// read and written back; coordinates with their units and offsets; the
// levelling computation on whole lines.
#include "formats/instrument/DL100.h"

#include <gtest/gtest.h>

#include "core/CoordinateUnit.h"
#include "core/DateTime.h"
#include "formats/instrument/DL100TransferUtil.h"
#include "tests/formats/FormatFixture.h"

namespace veltro::test {
namespace {

// The line as the level closes it, the check character computed here on its own.
std::string Closed(const std::string& record) {
  int sum = 0;
  for (const unsigned char c : record) sum += c;
  return record + static_cast<char>(sum % 256 % 64 + 32) + ",";
}

TEST(Dl100Units, ScalesCheckCharactersFieldsAndIntegers) {
  EXPECT_EQ(Dl100CheckChar("a,"), '-');  // (97 + 44) and 0x3F = 13, + 32
  EXPECT_EQ(Closed("a,"), "a,-,");
  EXPECT_EQ(Dl100ScaleA("123456", '1'), "123.456");
  EXPECT_EQ(Dl100ScaleA("123456", '3'), "1.23456");
  EXPECT_EQ(Dl100ScaleB("123456", '3'), "12.3456");
  EXPECT_EQ(Dl100ScaleA("-000500", '4'), "-5.00");
  EXPECT_EQ(Dl100ScaleA("123456", 'X'), "123456");  // an unknown code: 0 and 3 decimals
  EXPECT_EQ(Dl100ScaleB("123456", 'X'), "123.456");
  EXPECT_EQ(Dl100ScaleC("1234", '3'), "1.234");
  EXPECT_EQ(Dl100ScaleD("1234", 'A'), "0.1234");
  EXPECT_EQ(Dl100ScaleD("1234", 'B'), "1234");
  EXPECT_EQ(Dl100ScaleA("12.5", '1'), "0.0125");  // decimals of its own are kept
  EXPECT_EQ(Dl100ScaleA("", '1'), "");
  EXPECT_EQ(Dl100ScaleA("12a", '1'), "");  // not the no-value number 2147483.647
  EXPECT_EQ(Dl100UnitName('5'), " foots");
  EXPECT_EQ(Dl100UnitName('8'), " m");
  EXPECT_EQ(Dl100UnitName('0'), "");
  EXPECT_EQ(Dl100UnitCode("031"), '3');
  EXPECT_EQ(Dl100UnitCode("07"), '7');
  EXPECT_EQ(Dl100UnitCode("5"), '1');
  EXPECT_EQ(Dl100MethodCode("011"), 0);
  EXPECT_EQ(Dl100MethodCode("411"), 1);
  EXPECT_EQ(Dl100MethodCode("811"), 2);
  EXPECT_EQ(Dl100MethodCode("<11"), 3);
  EXPECT_EQ(Dl100MethodCode(""), 0);

  using Fields = std::vector<std::string_view>;
  EXPECT_EQ(Dl100Fields(Closed("a,")), Fields{"a"});
  EXPECT_EQ(Dl100Fields(Closed("g,011,,1432,")), (Fields{"g", "011", "", "1432"}));  // the time without ",X,"
  EXPECT_EQ(Dl100Fields("g,011,1500,Q,\r\n"), (Fields{"g", "011", "1500", "Q"}));    // "Q" is no check character
  EXPECT_EQ(Dl100Fields("y,Text"), (Fields{"y", "Text"}));
  EXPECT_EQ(Dl100Fields(Closed("z,011,P1,1,2,3,K,")), (Fields{"z", "011", "P1", "1", "2", "3", "K", "B"}));
  EXPECT_TRUE(Dl100Fields("").empty());

  EXPECT_EQ(Dl100Integer("0001500"), 1500);
  EXPECT_EQ(Dl100Integer(" -25 "), -25);
  EXPECT_EQ(Dl100Integer("+7"), 7);
  EXPECT_EQ(Dl100Integer("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(Dl100Integer("2147483648"), std::nullopt);
  EXPECT_EQ(Dl100Integer(""), std::nullopt);
  EXPECT_EQ(Dl100Integer("15.0"), std::nullopt);
  EXPECT_EQ(Dl100Integer("-"), std::nullopt);
}

TEST(Dl100Units, LineKindsAndEditorFieldsByLetter) {
  EXPECT_EQ(Dl100LineKind(""), tdaNone);
  EXPECT_EQ(Dl100LineKind("c,"), tdaStartdaten);
  EXPECT_EQ(Dl100LineKind("n,"), tdaMessdaten);
  EXPECT_EQ(Dl100LineKind("w,"), tdaEnddaten);
  EXPECT_EQ(Dl100LineKind("y,"), tdaNivKommentar);
  EXPECT_EQ(Dl100LineKind("z,"), tdaKoordinate);
  EXPECT_EQ(Dl100LineKind("d,"), tdaNone);
  EXPECT_EQ(Dl100LineKind("A,"), tdaNone);
  EXPECT_EQ(Dl100EditorFieldsFor('g')->caption, 512);
  EXPECT_EQ(Dl100EditorFieldsFor('m')->flags, std::string("0FFFF000FFFF0"));
  EXPECT_EQ(Dl100EditorFieldsFor('n')->caption, 518);
  EXPECT_EQ(Dl100EditorFieldsFor('u')->panel, std::string("Enddaten"));
  EXPECT_FALSE(Dl100EditorFieldsFor('y'));
}

class Dl100Test : public FormatTest {
 protected:
  Dl100Test() : FormatTest("itDL100") { CurrentTransfer().Messages.clear(); }

  // Reads lines as phase 2 of a receive does; the record after each line read.
  std::vector<TDaten> ReadAll(const TextLines& lines) {
    TransferState& t = CurrentTransfer();
    t.ReceivedLines = lines;
    t.ActiveLines = &t.ReceivedLines;
    TDaten& d = t.Daten;
    InitialiseAll(d);
    std::vector<TDaten> records;
    TGeraeteFormat& f = Format();
    for (const std::string& line : lines) {
      std::string s = line;
      const TTransferDatenart kind = f.OnGetDatenart(s);
      if (kind == tdaNone) continue;
      f.OnSetTDA(kind);
      if (f.Init && f.Init->OnInit) f.Init->OnInit(d);
      f.ReadWrite->OnRead(s, d);
      records.push_back(d);
    }
    t.ActiveLines = nullptr;
    return records;
  }
  TDaten Read(const std::string& line) {
    auto records = ReadAll({line});
    return records.empty() ? TDaten{} : records[0];
  }
  std::string Write(TTransferDatenart kind, TDaten& d) {
    Format().OnSetTDA(kind);
    return Format().ReadWrite->OnWrite(d);
  }
  // The statistics of lines as a receive counts them, from a fresh start.
  TTransferStatistik Count(const TextLines& lines) {
    InitialiseAll(CurrentTransfer().Daten);
    CurrentTransfer().Messages.clear();
    TTransferStatistik stat;
    for (const std::string& line : lines) {
      std::string s = line;
      Format().OnSetTDA(Format().OnGetDatenart(s));
      Format().ReadWrite->OnStatistik(line, stat);
    }
    return stat;
  }
  TGeraeteFormat& Format() { return *geraete->Format("DL100"); }
  const TextLines& Notes() { return CurrentTransfer().Messages; }

  TdmDL100 dl{*geraete};
};

TEST_F(Dl100Test, EveryRecordLetterIsReadIntoItsFields) {
  const TDaten a = Read(Closed("a,011,JOB1,M1,,2603121432,N1,N2,N3,"));
  EXPECT_EQ(a.Start.Satzart, "a");
  EXPECT_EQ(a.Start.Satzkennung, "011");
  EXPECT_EQ(a.Start.Auftragsnummer, "JOB1");
  EXPECT_EQ(a.Start.Messnummer, "M1");
  EXPECT_EQ(a.Start.Anmerkung3, "N3");
  EXPECT_DOUBLE_EQ(a.Start.Zeitpunkt, EncodeDate(2026, 3, 12) + (14 * 60 + 32) / 1440.0);
  EXPECT_EQ(a.Start.Bodenhoehe, "0");  // no such field: the initial value
  EXPECT_EQ(a.Konstanten.Originalzeilen, Closed("a,011,JOB1,M1,,2603121432,N1,N2,N3,"));

  const TDaten c = Read(Closed("c,031,JOB2,2,0.0030,,,,,,,,,,,,,,BM7,1234567,2603131000,,,X,"));
  EXPECT_EQ(c.Start.AnzahlNivellements, "2");
  EXPECT_EQ(c.Start.Limite, "0.0030");
  EXPECT_EQ(c.Start.Hoehenbezugnummer, "BM7");
  EXPECT_EQ(c.Start.Bodenhoehe, "1234567");
  EXPECT_EQ(c.Start.Anmerkung3, "X");

  // "f" carries a time only: its date part stays 0.
  const TDaten f = Read(Closed("f,011,01500,02345,,3,2,P12,M4,1432,"));
  EXPECT_EQ(f.Messung.Satzart, "f");
  EXPECT_EQ(f.Messung.Lattenablesung, "01500");
  EXPECT_EQ(f.Messung.AnzahlMessungen, "3");
  EXPECT_EQ(f.Messung.Standardabweichung, "2");
  EXPECT_EQ(f.Messung.Messnummer, "M4");
  EXPECT_DOUBLE_EQ(f.Messung.Zeitpunkt, (14 * 60 + 32) / 1440.0);

  // "h" to "l" read with the "g" layout; the time is the last field, not "1432,X,".
  const TDaten k = Read(Closed("k,011,00854,01502,12,3,3,Z1,BM1,1413,"));
  EXPECT_EQ(k.Messung.Satzart, "k");
  EXPECT_EQ(k.Messung.Bodenhoehe, "12");
  EXPECT_EQ(k.Messung.Punktnummer, "Z1");
  EXPECT_EQ(k.Messung.Hoehenbezugnummer, "BM1");
  EXPECT_DOUBLE_EQ(k.Messung.Zeitpunkt, (14 * 60 + 13) / 1440.0);

  const TDaten n = Read(Closed("n,011,01500,02345,-3,5,1,K7,,2603121432,"));
  EXPECT_EQ(n.Messung.Datendifferenz, "-3");
  EXPECT_EQ(n.Messung.Korrekturparameter, "K7");
  EXPECT_DOUBLE_EQ(n.Messung.Zeitpunkt, EncodeDate(2026, 3, 12) + (14 * 60 + 32) / 1440.0);

  // A short line keeps the initial "0" of what it omits; an empty field is empty.
  const TDaten m = Read("m,011");
  EXPECT_EQ(m.Messung.Lattenablesung, "0");
  EXPECT_EQ(Read(Closed("m,011,,")).Messung.Lattenablesung, "");

  // "u" keeps its last two fields.
  const TDaten u = Read(Closed("u,011,JOB1,M1,2603121500,,,,,,Ende,gut,"));
  EXPECT_EQ(u.Ende.Satzart, "u");
  EXPECT_EQ(u.Ende.Anmerkung1, "Ende");
  EXPECT_EQ(u.Ende.Anmerkung2, "gut");

  const TDaten v = Read(Closed("v,011,BM2,TP4,2603121530,00468,01268,04245,08585,0412814,A1,A2,"));
  EXPECT_EQ(v.Ende.Hoehenbezugnummer, "BM2");
  EXPECT_EQ(v.Ende.Wechselpunkt, "TP4");
  EXPECT_EQ(v.Ende.TotHoehendiff, "01268");
  EXPECT_EQ(v.Ende.Totaldistanz, "08585");
  EXPECT_EQ(v.Ende.Bodenhoehe, "0412814");
  EXPECT_EQ(v.Ende.Anmerkung2, "A2");

  const TDaten y = Read(Closed("y,Nordseite,"));
  EXPECT_EQ(y.Kommentar.Satzart, "y");
  EXPECT_EQ(y.Kommentar.Beschreibung, "Nordseite");
}

TEST_F(Dl100Test, RecordsAreWrittenBackAsTheyWereReadWithTheirCheckCharacter) {
  const TextLines lines = {
      Closed("a,011,JOB1,M1,,2603121432,N1,N2,N3,"),
      Closed("b,011,JOB1,BM1,0412345,2603121405,,,,"),
      Closed("c,031,JOB2,2,0.0030,,,,,,,,,,,,,,BM7,1234567,2603131000,,,,"),
      Closed("f,011,01500,02345,,3,2,P12,M4,1432,"),
      Closed("g,411,01523,02345,,3,2,BM1,,1410,"),
      Closed("j,811,152298,2346,,2,1,BM7,,1002,"),
      Closed("l,011,01500,,,,,,,,"),
      Closed("m,011,01500,02345,,3,2,,,1432,"),
      Closed("n,011,01500,02345,-3,5,1,K7,,2603121432,"),
      Closed("t,011,JOB1,M1,2603121431,,,,,,,,"),
      Closed("u,011,JOB1,M1,2603121500,,,,,,Ende,gut,"),
      Closed("v,011,BM2,TP4,2603121530,00468,01268,04245,08585,0412814,A1,A2,"),
      Closed("w,031,JOB2,BM8,2603131100,,,,,1237567,,,"),
      Closed("y,Nordseite,"),
      Closed("y,Pfeiler4,"),  // its check character is ","
  };
  ASSERT_EQ(lines.back(), "y,Pfeiler4,,,");
  const auto records = ReadAll(lines);
  EXPECT_EQ(records.back().Kommentar.Beschreibung, "Pfeiler4");
  ASSERT_EQ(records.size(), lines.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    TDaten d = records[i];
    EXPECT_EQ(Write(Dl100LineKind(lines[i]), d), lines[i]) << i;
  }

  // Limite with four decimals; an unset date-time is an empty field.
  TDaten start;
  start.Start.Satzart = "c";
  start.Start.Satzkennung = " 011 ";
  start.Start.Limite = "1.5";
  EXPECT_EQ(Write(tdaStartdaten, start), Closed("c,011,,,1.5000,,,,,,,,,,,,,,,0,,,,,"));
  start.Start.Limite = "viel";
  EXPECT_EQ(Write(tdaStartdaten, start), "Error");
  // A value holding the separator would shift every field after it.
  TDaten comment;
  comment.Kommentar.Satzart = "y";
  comment.Kommentar.Beschreibung = "links, rechts";
  EXPECT_EQ(Write(tdaNivKommentar, comment), "Error");
  ASSERT_EQ(Notes().size(), 1u);
  EXPECT_EQ(Notes()[0], "T854:links, rechts::");
  // Nothing for a record without type, "Error" for a type the format lacks.
  TDaten reading;
  EXPECT_EQ(Write(tdaMessdaten, reading), "");
  reading.Messung.Satzart = "x";
  EXPECT_EQ(Write(tdaMessdaten, reading), "Error");
  EXPECT_EQ(Write(tdaKommentar, reading), "");
}

TEST_F(Dl100Test, CoordinatesFollowTheUnitOfTheirKeyAndTheInstrumentOffsets) {
  TDaten p = Read("z,011,P1,123456,654321,1000,K,");
  EXPECT_EQ(p.Punkt.Satzkennung, "011");
  EXPECT_EQ(p.Punkt.Punktnummer, "P1");
  EXPECT_EQ(p.Punkt.Y, "123.456");
  EXPECT_EQ(p.Punkt.X, "654.321");
  EXPECT_EQ(p.Punkt.Hoehe, "1.000");
  EXPECT_EQ(p.Punkt.Code1, "K");
  EXPECT_EQ(p.Punkt.Messflags, mfKoordinaten);
  p = Read("z,031,P1,123456,654321,1000,K,");
  EXPECT_EQ(p.Punkt.Y, "1.23456");
  EXPECT_EQ(p.Punkt.Hoehe, "0.01000");
  EXPECT_EQ(Read("z,07,P1,123456,654321,,").Punkt.Y, "12.3456");  // the unit this program writes for index 4
  EXPECT_EQ(Read("z,07,P1,123456,654321,,").Punkt.Hoehe, "");
  EXPECT_EQ(Read("z,3,P1,123456,654321,1000").Punkt.Y, "123.456");
  EXPECT_EQ(Read(Closed("z,011,P1,123456,654321,1000,K,")).Punkt.Code1, "K");

  // Writing: the factor of the key's unit, or of the coordinate unit chosen.
  TDaten office;
  office.Punkt.Punktnummer = "P1";
  office.Punkt.Y = "12.3456";
  office.Punkt.X = "-7.5";
  office.Punkt.Code1 = "MAUER";
  SetKoordUnit(0);
  EXPECT_EQ(Write(tdaKoordinate, office), "z,01,P1,12346,-7500,,MAUER");
  SetKoordUnit(5);
  EXPECT_EQ(Write(tdaKoordinate, office), "z,08,P1,1234560,-750000,,MAUER");
  SetKoordUnit(4);
  office.Punkt.Hoehe = "400";
  const std::string written = Write(tdaKoordinate, office);
  EXPECT_EQ(written, "z,07,P1,123456,-75000,4000000,MAUER");
  EXPECT_EQ(Read(written).Punkt.Y, "12.3456");
  EXPECT_EQ(Read(written).Punkt.Hoehe, "400.0000");
  office.Punkt.Satzkennung = "031";  // a key read from a level: its own unit
  EXPECT_EQ(Write(tdaKoordinate, office), "z,031,P1,1234560,-750000,40000000,MAUER");

  // Offsets: added on reading, removed on writing.
  ASSERT_TRUE(Instrument().SetOffsetX("600000"));
  ASSERT_TRUE(Instrument().SetOffsetY("200000"));
  TDaten shifted = Read("z,011,P1,123456,654321,1000,K");
  EXPECT_EQ(shifted.Punkt.Y, "600123.456");
  EXPECT_EQ(shifted.Punkt.X, "200654.321");
  EXPECT_EQ(Write(tdaKoordinate, shifted), "z,011,P1,123456,654321,1000,K");

  // Empty easting and northing become 0; what does not fit is refused or cut.
  ASSERT_TRUE(Instrument().SetOffsetX("0"));
  ASSERT_TRUE(Instrument().SetOffsetY("0"));
  TDaten bare;
  bare.Punkt.Satzkennung = "011";
  bare.Punkt.Punktnummer = "ABCDEFGHIJ";
  EXPECT_EQ(Write(tdaKoordinate, bare), "z,011,ABCDEFGH,0,0,,");
  EXPECT_EQ(bare.Punkt.Y, "0.000");
  ASSERT_EQ(Notes().size(), 1u);
  EXPECT_EQ(Notes()[0], "T851:ABCDEFGHIJ:8:ABCDEFGH");
  bare.Punkt.Y = "1000000";  // 10 digits in its unit
  EXPECT_EQ(Write(tdaKoordinate, bare), "Error");
  bare.Punkt.Y = "12a";
  EXPECT_EQ(Write(tdaKoordinate, bare), "Error");
}

TEST_F(Dl100Test, RunningHeightInMillimetresWithDoubleReadingsAndMisclosures) {
  const TextLines line = {
      Closed("b,011,JOB1,BM1,0412345,2603121405,,,,"),
      Closed("g,011,01500,02345,,3,2,BM1,,1410,"),  // + 1500
      Closed("i,011,01200,02210,,3,2,TP1,,1412,"),  // - 1200: 300 units higher
      Closed("h,011,01520,02345,,3,2,BM1,,1411,"),  // + (1520 - 1500) div 2 = 10
      Closed("j,011,01195,02210,,3,2,TP1,,1413,"),  // - (1195 - 1200) div 2: -5 div 2 = -2, so + 2
      Closed("k,011,00854,01502,,3,3,Z1,,1414,"),   // intermediate sight: no change
      Closed("f,011,00854,01502,,3,3,Z1,,1415,"),   // a reading without a sight role
  };
  TextLines below = line;
  below.push_back(Closed("v,011,BM2,TP1,2603121530,,,,,0412650,,,"));
  TTransferStatistik s = Count(below);
  EXPECT_EQ(s.Starthoehe, "412.345 m");
  EXPECT_EQ(s.BerechneteHoehe, "412.657 m");
  EXPECT_EQ(s.Endhoehe, "412.650 m");
  EXPECT_EQ(s.Differenz, "-0.007 m");
  EXPECT_EQ(s.Rueckblicke, 2);
  EXPECT_EQ(s.Vorblicke, 2);
  EXPECT_EQ(s.Mittelblicke, 1);
  EXPECT_EQ(s.Fortschritt, 6);
  EXPECT_TRUE(s.Methode);
  EXPECT_EQ(CurrentTransfer().Daten.Konstanten.Hilfswerte[0], 412657);
  EXPECT_EQ(CurrentTransfer().Daten.Konstanten.Hilfswerte[1], 1500);
  EXPECT_EQ(CurrentTransfer().Daten.Konstanten.Hilfswerte[2], 1200);

  TextLines above(line.begin(), line.begin() + 3);
  above.push_back(Closed("w,011,JOB1,BM2,2603121530,,,,,0412660,,,"));
  s = Count(above);
  EXPECT_EQ(s.BerechneteHoehe, "412.645 m");
  EXPECT_EQ(s.Differenz, "0.015 m");
  EXPECT_FALSE(s.Methode);
  EXPECT_TRUE(Notes().empty());
}

TEST_F(Dl100Test, StartAndEndHeightsEnterTheRunningHeightInReadingUnits) {
  // Unit code "3": readings and computed heights with 5 decimals, start and
  // end heights with 4.
  const TTransferStatistik s = Count({
      Closed("c,031,JOB2,2,0.0030,,,,,,,,,,,,,,BM7,1234567,2603131000,,,,"),
      Closed("g,031,150000,2345,,2,1,BM7,,1001,"),
      Closed("i,031,120005,2210,,2,1,TP1,,1003,"),
      Closed("v,031,BM8,TP1,2603131100,,,,,1237567,,,"),
  });
  EXPECT_EQ(s.Starthoehe, "123.4567 m");
  EXPECT_EQ(s.BerechneteHoehe, "123.75665 m");
  EXPECT_EQ(s.Endhoehe, "123.7567 m");
  EXPECT_EQ(s.Differenz, "0.00005 m");

  // Feet with the same decimals; an unknown code keeps the arithmetic as written.
  EXPECT_EQ(Count({Closed("b,051,J,BM,12345,,,,,"), Closed("w,051,J,BM,,,,,,12346,,,")}).Differenz, "0.010 foots");
  const TTransferStatistik unknown = Count({Closed("b,0X1,J,BM,12345,,,,,"), Closed("g,0X1,500,,,,,,,,")});
  EXPECT_EQ(unknown.Starthoehe, "12.345");
  EXPECT_EQ(unknown.BerechneteHoehe, "12845");
}

TEST_F(Dl100Test, AReadingThatIsNoIntegerLeavesTheRunningValuesAndIsNoted) {
  const TTransferStatistik s = Count({
      Closed("b,011,JOB1,BM1,0412345,,,,,"),
      Closed("g,011,,02345,,3,2,BM1,,1410,"),          // empty
      Closed("g,011,15.00,02345,,3,2,BM1,,1410,"),     // not an integer
      Closed("i,011,99999999999,02210,,,,,,,"),         // too large for the cell
      Closed("g,1,01500,,,,,,,,"),                      // a one-character key: unit "1"
      Closed("g,011,2147483000,,,,,,,,"),               // the sum would not fit the cell
      Closed("g,,00100,,,,,,,,"),                       // no key: computed, not shown
  });
  EXPECT_EQ(s.Rueckblicke, 5);
  EXPECT_EQ(s.Vorblicke, 1);
  EXPECT_EQ(s.BerechneteHoehe, "413.845 m");
  EXPECT_EQ(CurrentTransfer().Daten.Konstanten.Hilfswerte[0], 413945);
  ASSERT_EQ(Notes().size(), 4u);
  EXPECT_EQ(Notes()[0], "T850:2:" + Closed("g,011,,02345,,3,2,BM1,,1410,") + ":");
  EXPECT_EQ(Notes()[3].substr(0, 21), "T850:2:g,011,21474830");
  EXPECT_TRUE(MessageTexts().empty());  // the transfer goes on without a box
}

TEST_F(Dl100Test, TheKeyOfAReadingNamesTheLevellingMethod) {
  Read(Closed("g,411,01523,02345,,3,2,BM1,,1410,"));
  EXPECT_EQ(statistics.MethodCaption(), "T487:%s:%s:%s");
  Read(Closed("g,811,01523,02345,,3,2,BM1,,1410,"));
  EXPECT_EQ(statistics.MethodCaption(), "T596:%s:%s:%s");
  Read(Closed("g,<11,01523,02345,,3,2,BM1,,1410,"));
  EXPECT_EQ(statistics.MethodCaption(), "T496:%s:%s:%s");
  Read(Closed("g,011,01523,02345,,3,2,BM1,,1410,"));
  EXPECT_EQ(statistics.MethodCaption(), "");

  // The editor learns the fields of the letter classified last.
  std::string s = "i,011,";
  Format().OnGetDatenart(s);
  ASSERT_TRUE(dl.EditorFields());
  EXPECT_EQ(dl.EditorFields()->caption, 514);
  EXPECT_EQ(Dl100EditorPanels(Format()).size(), 5u);
  EXPECT_TRUE(Format().OnInitEditor);
  EXPECT_TRUE(Format().OnEditNext(s));
}

}  // namespace
}  // namespace veltro::test
