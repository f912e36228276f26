// The REC 500 listing: its lines in both placements and letter orders, the
// lines it passes over, and whole transfers through the engine.
#include "formats/instrument/REC500.h"

#include <gtest/gtest.h>

#include <memory>

#include "formats/instrument/CheckFormate.h"
#include "formats/instrument/Rec500Line.h"
#include "tests/formats/FormatFixture.h"

namespace veltro::test {
namespace {

// Columns as in Rec500Line.h.
const std::string kProgramLine = "      1 P1                        K Y     1234.500 X      2345.600 Z   400.000";
const std::string kRecorderLine = "   0003                1001 MAUER   X  1200456.789 Y   2600123.456 Z   456.123 ";

TEST(Rec500Lines, LettersDecideWhichValueIsWhichInBothPlacements) {
  const Rec500Line program = ReadRec500Line(kProgramLine);
  EXPECT_EQ(program.type, Rec500LineType::Coordinate);
  EXPECT_EQ(program.point, "P1");
  EXPECT_EQ(program.code, "K");
  EXPECT_EQ(program.y, "1234.500");
  EXPECT_EQ(program.x, "2345.600");
  EXPECT_EQ(program.z, "400.000");

  // Northing first, point number right-aligned up to column 27.
  const Rec500Line recorder = ReadRec500Line(kRecorderLine + "\r");
  EXPECT_EQ(recorder.type, Rec500LineType::Coordinate);
  EXPECT_EQ(recorder.point, "1001");
  EXPECT_EQ(recorder.code, "MAUER");
  EXPECT_EQ(recorder.x, "1200456.789");
  EXPECT_EQ(recorder.y, "2600123.456");

  // Code straight after the point number, and a 15-character point number.
  const Rec500Line abutting =
      ReadRec500Line("   0004                 A17ZAUN     X  1200460.001 Y   2600130.250 Z   455.870");
  EXPECT_EQ(abutting.point, "A17");
  EXPECT_EQ(abutting.code, "ZAUN");
  const Rec500Line longNumber =
      ReadRec500Line("   0008     123456789012345 K1      Y      -12.345 X        -6.780 Z    -0.500 ");
  EXPECT_EQ(longNumber.point, "123456789012345");
  EXPECT_EQ(longNumber.y, "-12.345");
  EXPECT_EQ(longNumber.z, "-0.500");
}

TEST(Rec500Lines, LinesWithoutACompletePositionAreTold) {
  const Rec500Line noHeight = ReadRec500Line("   0005                1003         X  1200470.500 Y   2600140.000 ");
  EXPECT_EQ(noHeight.type, Rec500LineType::Coordinate);
  EXPECT_EQ(noHeight.z, "");
  EXPECT_EQ(ReadRec500Line("   0007                1004 BAUM    Z      457.010 ").type, Rec500LineType::NoPosition);
  EXPECT_EQ(ReadRec500Line("   0007                1004 BAUM    X      457.010 ").type, Rec500LineType::NoPosition);
  EXPECT_EQ(ReadRec500Line("   0007                1004 BAUM    X      457,010 Y         1.000").type,
            Rec500LineType::BadValue);
  for (const char* other :
       {"   0001 KOORDINATEN ", "   0009 END ", "END", "", "\r", "       ", "   0006 ZIELHOEHE        1.600 ",
        // X twice, a letter that is no coordinate, text in the line number
        "   0007                1004 BAUM    X        1.000 X         2.000",
        "   0007                1004 BAUM    A        1.000 X         2.000",
        "   00A7                1004 BAUM    Y        1.000 X         2.000"})
    EXPECT_EQ(ReadRec500Line(other).type, Rec500LineType::Other) << other;
  for (const char* dialect : {"For M5|Adr 00002|PI1   1001|X   1200456.789 m  |", "For R4|Adr 00004|PI1 2002|",
                              "R5|Adr 1|", "Rec E|Adr 00005|", "For_M5|Adr 1|"})
    EXPECT_EQ(ReadRec500Line(dialect).type, Rec500LineType::Dialect) << dialect;
}

TEST(Rec500Lines, ShortLinesAreNeverReadPastTheirEnd) {
  // Each prefix in a buffer of exactly its length, so a sanitizer sees any
  // read beyond it.
  for (const std::string& full : {kProgramLine, kRecorderLine + " \r"}) {
    for (size_t n = 0; n <= full.size(); ++n) {
      std::unique_ptr<char[]> buffer(new char[n == 0 ? 1 : n]);
      full.copy(buffer.get(), n);
      const Rec500Line line = ReadRec500Line(std::string_view(buffer.get(), n));
      // A position needs both values: not before the second value column.
      if (n < 54) {
        EXPECT_NE(line.type, Rec500LineType::Coordinate) << n;
      }
    }
  }
}

TEST(Rec500Lines, DetectorTakesAnyCoordinateLineAndNoDialect) {
  EXPECT_EQ(DetectFormat("   0001 KOORDINATEN \r\n   0002 MASSSTAB 1.0 \r\n" + kRecorderLine + "\r\n"), "dREC500");
  EXPECT_EQ(DetectFormat(kProgramLine + "\n"), "dREC500");
  EXPECT_EQ(DetectCandidate("REC500", kProgramLine), "");  // a line counts with its line end
  EXPECT_EQ(DetectCandidate("REC500", "For M5|Adr 00001|PI1 1|X 1.0 m|Y 2.0 m|\r\n"), "");
  EXPECT_EQ(Rec500LineKind(kRecorderLine), tdaKoordinate);
  EXPECT_EQ(Rec500LineKind("   0001 KOORDINATEN"), tdaNone);
}

class Rec500Test : public FormatTest {
 protected:
  Rec500Test() : FormatTest("itREC500") { UseFormat("REC500"); }
  TdmREC500 rec500{*geraete};
};

TEST_F(Rec500Test, ReceivedLinesPassedOverAreNotedOnceWithTheirLineNumbers) {
  WriteFile(tmp / "in.rec",
            "For M5|Adr 00001|PI1  1|X 1.0 m|Y 2.0 m|\r\n"
            "   0001 KOORDINATEN\r\n" +
                kRecorderLine +
                "\r\n"
                "   0003                1004 BAUM    Z      457.010\r\n"
                "R5|Adr 00004|\r\n");
  Run(0, "in.rec", "out.asc");
  EXPECT_EQ(Output("out.asc"), "1001|MAUER|2600123.456|1200456.789|456.123|\r\n");
  const std::string shown = Shown();
  EXPECT_NE(shown.find("T910:1::\r\nT911:4::\r\nT910:5::"), std::string::npos) << shown;
  EXPECT_EQ(shown.find("T910:1::", shown.find("T910:1::") + 1), std::string::npos) << shown;
  EXPECT_EQ(statistics.Statistik().Punkte, 1);
}

TEST_F(Rec500Test, OffsetsAreAddedOnReadingAndRemovedOnWriting) {
  ASSERT_TRUE(Instrument().SetOffsetX("2600000"));
  ASSERT_TRUE(Instrument().SetOffsetY("1200000"));
  WriteFile(tmp / "in.rec", "   0001                1001 MAUER   X      456.789 Y       123.456 Z   456.123\r\n");
  Run(0, "in.rec", "out.asc");
  EXPECT_EQ(Output("out.asc"), "1001|MAUER|2600123.456|1200456.789|456.123|\r\n");
  Run(1, "out.asc", "back.rec");
  EXPECT_EQ(Output("back.rec"), "      1 1001                  MAUER Y      123.456 X       456.789 Z   456.123\r\n");
}

TEST_F(Rec500Test, WritingCutsLongPointNumbersWithANoteAndRefusesWhatWouldNotReadBack) {
  WriteFile(tmp / "in.asc",
            "P1|K|1234.5|2345.6|400|\r\n"
            "123456789012345|LANGERCODE1234|1|2|3|\r\n"
            "OHNEHOEHE||1|2||\r\n"
            "|LEER|1|2|3|\r\n"
            "BREIT||123456789.001|2|3|\r\n"
            "HOCH||1|2|123456.001|\r\n"
            "NEG||-9999999.999|-99999999.999|-9999.999|\r\n");
  Run(1, "in.asc", "out.rec");
  EXPECT_EQ(Output("out.rec"),
            "      1 P1                        K Y     1234.500 X      2345.600 Z   400.000\r\n"
            "      2 12345678901234LANGERCODE123 Y        1.000 X         2.000 Z     3.000\r\n"
            "      3 NEG                         Y -9999999.999 X -99999999.999 Z -9999.999\r\n");
  const std::string shown = Shown();
  EXPECT_NE(shown.find("T913:123456789012345:12345678901234:"), std::string::npos) << shown;
  EXPECT_NE(shown.find("T914:LANGERCODE1234:LANGERCODE123:"), std::string::npos) << shown;
  for (const char* refused : {"OHNEHOEHE||1|2||", "|LEER|1|2|3|", "BREIT|", "HOCH|"})
    EXPECT_NE(shown.find(refused), std::string::npos) << refused;
}

}  // namespace
}  // namespace veltro::test
