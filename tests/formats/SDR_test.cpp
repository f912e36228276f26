// The SDR module: the transmission checksum, value padding, reading in both
// variants and coordinate orders, writing, and whole transfers through the
// engine.
#include "formats/instrument/SDR.h"

#include <gtest/gtest.h>

#include "core/DateTime.h"
#include "core/Niederlassung.h"
#include "tests/formats/FormatFixture.h"

namespace veltro::test {
namespace {

TEST(SdrChecksum, SumsTheFramedBytesToSixteenBitsAndChecksTheLastLine) {
  SdrChecksum sum;
  sum.Add("outside");
  EXPECT_FALSE(sum.Counted());
  sum.Add("\x02");
  sum.Add("AB\r\n");  // 65 + 66; CR and LF do not count
  sum.Add(
      "C\x03"
      "D");
  EXPECT_TRUE(sum.Counted());
  EXPECT_EQ(sum.Sum(), 65 + 66 + 67);
  EXPECT_EQ(SdrTrailer(sum),
            "\x03"
            "00198");

  // Long lines: frame marks, line ends and high bytes anywhere in them.
  SdrChecksum mixed;
  mixed.Add(
      "before\x02"
      "ABCDEFGHIJ\r\nKLMNOPQR\x03"
      "xyz\x02"
      "\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0");
  EXPECT_EQ(mixed.FullSum(), 695u + 628 + 9 * 176);
  mixed.Add(std::string(16, '\xFF'));
  mixed.Add(
      "ABCDEFGHIJ\x03"
      "KLMNOPQRSTUVWXYZ");
  EXPECT_EQ(mixed.FullSum(), 695u + 628 + 9 * 176 + 16 * 255 + 695);

  // Above 65535 the sum is kept to 16 bits, in the trailer and when compared.
  SdrChecksum big;
  big.Add("\x02");
  for (int i = 0; i < 1000; ++i) big.Add(std::string(100, 'z'));  // 122 * 100000
  big.Add("A");
  EXPECT_EQ(big.FullSum(), 12200065u);
  EXPECT_EQ(big.Sum(), 12200065 % 65536);
  EXPECT_EQ(SdrTrailer(big),
            "\x03"
            "10369");
  EXPECT_EQ(CheckSdrTrailer({"x",
                             "\x03"
                             "10369",
                             "", "  "},
                            big),
            SdrTrailerCheck::Match);
  EXPECT_EQ(CheckSdrTrailer({"\x03"
                             "00065"},
                            big),
            SdrTrailerCheck::Match);  // last digits of the whole sum
  EXPECT_EQ(CheckSdrTrailer({"\x03"
                             "00000 \r"},
                            big),
            SdrTrailerCheck::NotCompared);  // no checksum given
  EXPECT_EQ(CheckSdrTrailer({"\x03"
                             "12200065"},
                            big),
            SdrTrailerCheck::Mismatch);
  EXPECT_EQ(CheckSdrTrailer({"\x03"
                             "10370"},
                            big),
            SdrTrailerCheck::Mismatch);
  EXPECT_EQ(CheckSdrTrailer({"\x03"
                             "10369",
                             "08KI"},
                            big),
            SdrTrailerCheck::Mismatch);  // cut short
  EXPECT_EQ(CheckSdrTrailer({"\x03"
                             "1O369"},
                            big),
            SdrTrailerCheck::Mismatch);
  EXPECT_EQ(CheckSdrTrailer({}, big), SdrTrailerCheck::Mismatch);
}

TEST(SdrValues, PaddingFillsTheFieldAndRefusesWhatDoesNotFit) {
  EXPECT_EQ(SdrPaddedValue("12.5", 10), "12.5000000");
  EXPECT_EQ(SdrPaddedValue("1000", 10), "1000.00000");
  EXPECT_EQ(SdrPaddedValue(" -0.5 ", 10), "-0.5000000");
  EXPECT_EQ(SdrPaddedValue("", 10), "");
  EXPECT_EQ(SdrPaddedValue("2600123.456", 10), "2600123.46");  // rounded to the room there is
  EXPECT_EQ(SdrPaddedValue("9.999999999", 10), "10.0000000");
  EXPECT_EQ(SdrPaddedValue("1234567890", 10), "1234567890");
  EXPECT_EQ(SdrPaddedValue("1200000.12345678", 16), "1200000.12345678");
  EXPECT_EQ(SdrPaddedValue("12345678901", 10), std::nullopt);
  EXPECT_EQ(SdrPaddedValue("-1234567890", 10), std::nullopt);
  EXPECT_EQ(SdrPaddedValue("12,5", 10), std::nullopt);
}

TEST(SdrRecords, TypesAndEditorFields) {
  EXPECT_EQ(SdrRecordType("08KI"), 8);
  EXPECT_EQ(SdrRecordType("\x02"), -1);
  EXPECT_EQ(SdrRecordType(" 8KI"), -1);
  EXPECT_EQ(SdrEditorFieldsFor(5)->flags, std::string("FFFTTFFF"));
  EXPECT_EQ(SdrEditorFieldsFor(9)->panel, std::string("Punkte"));
  EXPECT_FALSE(SdrEditorFieldsFor(8));
}

class SdrTest : public FormatTest {
 protected:
  SdrTest() : FormatTest("itSDR33") { UseFormat("SDR33"); }

  // Reads lines as phase 2 of a receive does; answers the record after each
  // line that was read.
  std::vector<TDaten> ReadAll(const TextLines& lines) {
    TransferState& t = CurrentTransfer();
    t.ReceivedLines = lines;
    t.ActiveLines = &t.ReceivedLines;
    TDaten& d = t.Daten;
    InitialiseAll(d);
    std::vector<TDaten> records;
    for (d.Konstanten.Zeile = 0; d.Konstanten.Zeile < static_cast<int>(lines.size()); ++d.Konstanten.Zeile) {
      std::string s(t.ReceivedLines[static_cast<size_t>(d.Konstanten.Zeile)]);
      TGeraeteFormat& f = geraete->CurrentGeraeteFormat();
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
  std::string Write(TTransferDatenart kind, TDaten& d) {
    TGeraeteFormat& f = geraete->CurrentGeraeteFormat();
    f.OnSetTDA(kind);
    return f.ReadWrite->OnWrite(d);
  }

  TdmSDR sdr{*geraete};
};

TEST_F(SdrTest, CoordinateOrderOfTheLastHeaderHoldsForEveryRecord) {
  UseFormat("SDR2x");
  const std::string coordinate = "08KI   1  1000.000  2000.000   100.000PEG             ";
  auto records = ReadAll({"00NMSDR20     V03-05000008-DEC-26 14:30 111111", coordinate});
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1].Punkt.Punktnummer, "1");
  EXPECT_EQ(records[1].Punkt.X, "1000.000");
  EXPECT_EQ(records[1].Punkt.Y, "2000.000");
  EXPECT_EQ(records[1].Punkt.Hoehe, "100.000");
  EXPECT_EQ(records[1].Punkt.Code1, "PEG");
  EXPECT_EQ(records[1].Punkt.Messflags, mfKoordinaten);

  // Easting first, also after an instrument record and a station.
  records = ReadAll({"00NMSDR20     V03-05000008-DEC-26 14:30 111121", coordinate, "01NM3SET3030R        123456SOKKIA",
                     coordinate, "02NM   15000.000  1000.000  400.000   1.500     BOLZEN"});
  ASSERT_EQ(records.size(), 5u);
  for (size_t i : {1u, 3u}) {
    EXPECT_EQ(records[i].Punkt.Y, "1000.000") << i;
    EXPECT_EQ(records[i].Punkt.X, "2000.000") << i;
  }
  EXPECT_EQ(records[2].Info.Instrument, "SOKKIA");
  EXPECT_EQ(records[4].Station.Y, "5000.000");
  EXPECT_EQ(records[4].Station.X, "1000.000");
}

TEST_F(SdrTest, OnlyAHeaderSwitchesTheVariantBeforeItsLineIsRead) {
  UseFormat("SDR2x");
  const std::string abutting = "08KI             P172600000.500000001200000.12345678400.000         GRENZE          ";
  ReadAll({"13NMDaten eines SDR33 folgen"});
  EXPECT_EQ(Instrument().GeraeteFormat, geraete->Format("SDR2x"));
  const auto records = ReadAll({"00NMSDR33    V04    000008-DEC-26 14:30 111111", abutting});
  EXPECT_EQ(Instrument().GeraeteFormat, geraete->Format("SDR33"));
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1].Punkt.Punktnummer, "P17");
  EXPECT_EQ(records[1].Punkt.X, "2600000.50000000");
  EXPECT_EQ(records[1].Punkt.Y, "1200000.12345678");
  EXPECT_EQ(records[1].Punkt.Code1, "GRENZE");
}

TEST_F(SdrTest, ObservationsCarryTheTargetHeightAndTellWhatWasMeasured) {
  const TextLines lines = {
      "01NM3SET3030R        123456SOKKIA                                                  -30",
      "03NM           1.600",
      "09NM            1001            2002                100.00000       200.00000       ZAUN",
      "09MD            1001            200312.3456         99.00000        300.12345",
      "11NM              MD            2004350.00000                                       KANTE",
      "02NM            1001",
      "05NM         1013.25            12.5",
  };
  const auto records = ReadAll(lines);
  ASSERT_EQ(records.size(), 6u);  // the station lines are one record
  const TPunkt& angles = records[2].Punkt;
  EXPECT_EQ(angles.Messflags, (mfHzVzSd & ~mfSchraegdistanz) | mfOhneDistanz);
  EXPECT_EQ(angles.Reflektorhoehe, "1.600");
  EXPECT_EQ(angles.Prismenkonstante, "-30");
  EXPECT_EQ(angles.Horizontalwinkel, "200.00000");
  const TPunkt& md = records[3].Punkt;
  EXPECT_EQ(md.Azimut, "300.12345");
  EXPECT_EQ(md.Horizontalwinkel, "");
  EXPECT_EQ(md.Schraegdistanz, "12.3456");
  const TPunkt& reduced = records[4].Punkt;  // a station named "MD" is a station
  EXPECT_EQ(reduced.Azimut, "350.00000");
  EXPECT_EQ(reduced.Messflags, (mfHzHdDh & ~mfHorizontaldistanz & ~mfVertikaldistanz) | mfOhneDistanz);
  EXPECT_EQ(reduced.Reflektorhoehe, "1.600");
  EXPECT_EQ(records.back().Station.Luftdruck, "1013.25");

  TTransferStatistik stat;
  for (const std::string& line : lines) {
    sdr.NeupunkteStatistik(line, stat);
    sdr.StationenStatistik(line, stat);
  }
  EXPECT_EQ(stat.Punkte, 3);  // 09 and 11, not the 03 target height
  EXPECT_EQ(stat.Stationen, 1);
}

TEST_F(SdrTest, OffsetsAreAddedOnReadingAndRemovedOnWriting) {
  ASSERT_TRUE(Instrument().SetOffsetX("2600000"));
  ASSERT_TRUE(Instrument().SetOffsetY("1200000"));
  const std::string station = "02KI            1001456.789         123.456         456.123";
  const std::string coordinate = "08KI             P17456.789         123.456         400.000";
  auto records = ReadAll({"00NMSDR33    V04    000008-DEC-26 14:30 111111", station, coordinate});
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[1].Station.X, "1200456.789");
  EXPECT_EQ(records[1].Station.Y, "2600123.456");
  EXPECT_EQ(records[2].Punkt.X, "1200456.789");
  EXPECT_EQ(records[2].Punkt.Y, "2600123.456");
  EXPECT_EQ(Write(tdaKoordinate, records[2]),
            "08KI             P17456.789000000000123.456000000000400.000000000000                ");
}

TEST_F(SdrTest, HeaderDatesAreReadOnlyFromWhatTheFieldHolds) {
  auto records = ReadAll({"00NMSDR33    V04    000000-000-00 00:00 111111"});
  EXPECT_EQ(records.at(0).Info.Zeitpunkt, 0);
  records = ReadAll({"00NMSDR33    V04    000008-DEC-26 14:30 111111"});
  EXPECT_DOUBLE_EQ(records.at(0).Info.Zeitpunkt, EncodeDate(2026, 12, 8) + (14 * 60 + 30) / 1440.0);
  records =
      ReadAll({"08KI", "00NMSDR33    V04    000008-DIC-26 14:30 111111", "08KI", "00NMSDR33    V04    000008-DE"});
  EXPECT_EQ(records.at(1).Info.Zeitpunkt, 0);
  EXPECT_EQ(records.at(3).Info.Zeitpunkt, 0);
  ASSERT_EQ(CurrentTransfer().Messages.size(), 2u);
  EXPECT_EQ(CurrentTransfer().Messages[0], "T880:2:08-DIC-26 14:30:");
  EXPECT_EQ(CurrentTransfer().Messages[1], "T880:4:08-DE:");
  EXPECT_TRUE(MessageTexts().empty());  // no message box while reading
}

TEST_F(SdrTest, WritersKeepTheFieldsOfTheLineReadAndOfficeDataGetsKI) {
  auto right = [](const std::string& s) { return std::string(16 - s.size(), ' ') + s; };
  const TextLines lines = {
      "07NM" + right("1001") + right("1002") + "0.00000000000000" + "12.3456000000000",
      "09NM" + right("1001") + right("2001") + "45.6789000000000" + "98.7654000000000" + "123.456700000000" +
          "BAUM            ",
      "02NM" + right("1001") + "1200456.78900000" + "2600123.45600000" + "456.123000000000" + "1.55000000000000" +
          "MAUER           " + "\r\n05NM" + right("1013.25") + right("12.5"),
      "13NMEnde der Messung",
  };
  TextLines read;
  for (const std::string& line : lines) {
    size_t at = 0;
    for (size_t end; (end = line.find("\r\n", at)) != std::string::npos; at = end + 2)
      read.push_back(line.substr(at, end - at));
    read.push_back(line.substr(at));
  }
  auto records = ReadAll(read);
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(Write(tdaAnschlusspunkt, records[0]), lines[0]);
  EXPECT_EQ(Write(tdaNeupunkt, records[1]), lines[1]);
  EXPECT_EQ(Write(tdaStation, records[2]), lines[2]);
  EXPECT_EQ(Write(tdaKommentar, records[3]), lines[3] + std::string(60 - 16, ' '));

  // Data from an office file: no SDR line was read since the set-up.
  sdr.SDR33Setup();
  TDaten office;
  office.Station.Punktnummer = "S1";
  office.Station.Luftdruck = "950";
  EXPECT_EQ(Write(tdaStation, office),
            "02KI              S1                                                                                "
            "\r\n05KI             950                ");
  office.Punkt.Punktnummer = "7";
  office.Punkt.Horizontalwinkel = "10.5";
  office.Punkt.Azimut = "20.5";
  office.Punkt.Schraegdistanz = "3";
  EXPECT_EQ(Write(tdaNeupunkt, office).substr(0, 84),
            "09KI                               73.00000000000000                10.5000000000000");
  office.Punkt.Horizontalwinkel.clear();
  EXPECT_EQ(Write(tdaNeupunkt, office).substr(68, 16), "20.5000000000000");
  office.Punkt.Schraegdistanz.clear();
  office.Punkt.Horizontaldistanz = "4";
  EXPECT_EQ(Write(tdaNeupunkt, office).substr(0, 52), "11KI                               720.5000000000000");
}

TEST_F(SdrTest, SendIsFramedWithHeaderAndChecksumAndReadsBackWithoutComplaint) {
  UseFormat("SDR2x");
  WriteFile(tmp / "in.asc",
            "1|MAUER|12.5|1000|-0.5|\r\n"
            "12345|LANGERCODE123456789|1|2|3|\r\n"
            "3||123456789012|2|3|\r\n");
  for (const bool showXY : {true, false}) {
    ActiveNiederlassung().ShowXY = showXY;
    const std::string sent = showXY ? "xy.sdr" : "yx.sdr";
    Run(1, "in.asc", sent);
    const TextLines out = SplitLines(Output(sent));
    ASSERT_EQ(out.size(), 5u);
    EXPECT_EQ(out[0], "\x02");
    EXPECT_EQ(out[1], std::string("00EDSDR20     V03-05000008-DEC-26 00:00 1111") + (showXY ? "1" : "2") + "1");
    EXPECT_EQ(out[2], showXY ? "08KI   11000.0000012.5000000-0.5000000MAUER           "
                             : "08KI   112.50000001000.00000-0.5000000MAUER           ");
    EXPECT_EQ(out[3].substr(0, 8), "08KI1234");
    EXPECT_EQ(out[4][0], '\x03');
    const std::string shown = Shown();
    EXPECT_NE(shown.find("T881:12345:4:1234"), std::string::npos) << shown;
    EXPECT_NE(shown.find("T882:LANGERCODE123456789:16:LANGERCODE123456"), std::string::npos) << shown;
    EXPECT_NE(shown.find("3||123456789012|"), std::string::npos) << shown;  // too wide: listed

    box.Clear();
    UseFormat("SDR33");  // the header switches back to SDR 2x
    Run(0, sent, sent + ".asc");
    EXPECT_EQ(Instrument().GeraeteFormat, geraete->Format("SDR2x"));
    EXPECT_NE(Output(sent + ".asc").find("1|MAUER|12.5000000|1000.00000|-0.5000000|"), std::string::npos)
        << Output(sent + ".asc");
    EXPECT_EQ(Shown().find("T610"), std::string::npos) << Shown();
    box.Clear();
  }
}

TEST_F(SdrTest, ReceivedChecksumIsComparedWithTheTrailerOnce) {
  TextLines lines = {"\x02", "00NMSDR33    V04    000008-DEC-26 14:30 111111"};
  for (int i = 0; i < 100; ++i) lines.push_back("08KI" + std::string(16, ' ') + std::to_string(i) + "   1.000");
  SdrChecksum sum;
  for (const std::string& line : lines) sum.Add(line);
  ASSERT_GT(sum.FullSum(), 65535u);
  int runs = 0;
  auto receive = [&](const std::string& trailer) {
    TextLines file = lines;
    file.push_back(trailer);
    file.push_back("");
    WriteFile(tmp / "in.sdr", JoinLines(file));
    box.Clear();
    Run(0, "in.sdr", "out" + std::to_string(++runs) + ".asc");
    return Shown().find("T610") != std::string::npos;
  };
  EXPECT_FALSE(receive(SdrTrailer(sum)));
  EXPECT_TRUE(
      receive("\x03"
              "00001"));
  EXPECT_FALSE(
      receive("\x03"
              "00000"));
  EXPECT_EQ(sdr.ReceivedChecksum().Sum(), sum.Sum());  // each line counted once
}

}  // namespace
}  // namespace veltro::test
