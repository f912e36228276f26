// Whole transfers of the sample files in tests/data/gsi through the engine:
// GSI measurement and coordinate files to the ASCII format, and ASCII
// coordinates to GSI 8 and GSI 16 and back. Every value is checked.
#include <gtest/gtest.h>

#include "core/CoordinateUnit.h"
#include "tests/formats/GsiFixture.h"

namespace veltro::test {
namespace {

class GsiFilesTest : public GsiTest {
 protected:
  // Instrument file to ASCII; answers the lines of the output file.
  TextLines ToAscii(const std::string& sample, const std::string& output = "out.asc") {
    Run(0, Data(sample), output);
    return OutputFile(output);
  }

  void ExpectNoMessages() {
    EXPECT_TRUE(MessageTexts().empty()) << (MessageTexts().empty() ? "" : MessageTexts().front());
  }
};

TEST_F(GsiFilesTest, Gsi16MeasurementFileToAscii) {
  UseFormat("GSI16");
  const TextLines out = ToAscii("messung-gsi16.gsi");
  const TextLines expected = {
      InfoLine(155, "PROJEKT7"),
      InfoLine(156, "12"),
      InfoLine(157, "TS02"),
      InfoLine(158, "08.12.2026"),
      InfoLine(161, "14:30:00"),
      InfoLine(159, "12"),
      InfoLine(160, "1013"),
      Label("T203") + "|S100|5|1.567|||",
      AsciiLine({.nr = "A101",
                 .code = "21",
                 .hz = "123.45670",
                 .v = "98.76540",
                 .sd = "45.6789",
                 .hd = "45.67890",
                 .refl = "1.6000"}),
      AsciiLine({.nr = "A102", .code = "MAUER NORD", .hz = "200.00000", .refl = "1.600"}),
      AsciiLine({.nr = "103",
                 .code = "21",
                 .hz = "359.59999",
                 .v = "90.00000",
                 .sd = "12.345",
                 .vd = "-1.234",
                 .refl = "1.600"}),
      AsciiLine({.nr = "104", .code = "21", .refl = "1.600", .y = "2600123.456", .x = "1200654.321", .h = "-1.250"}),
      AsciiLine({.nr = "105", .code = "21", .hz = "64.000", .sd = "12.3456", .refl = "1.300"}),
  };
  EXPECT_EQ(out, expected);
  EXPECT_EQ(CurrentTransfer().FormatTag, "dGSI16");
  EXPECT_EQ(statistics.Statistik().Punkte, 5);
  EXPECT_EQ(statistics.Statistik().Stationen, 1);
  ExpectNoMessages();
}

TEST_F(GsiFilesTest, Gsi8SampleMeasurementFileToAscii) {
  const TextLines out = ToAscii("sample-messung.gsi");
  const TextLines expected = {
      InfoLine(155, "7"),
      InfoLine(156, "12"),
      InfoLine(157, "3"),
      InfoLine(158, "08.12.2026"),
      InfoLine(161, "14:30:00"),
      InfoLine(159, "12"),
      InfoLine(160, "1013"),
      Label("T203") + "|100|5|1.567|||",
      AsciiLine({.nr = "1001",
                 .code = "21",
                 .hz = "185.12340",
                 .v = "98.56780",
                 .sd = "45.678",
                 .refl = "1.600",
                 .ppm = "15",
                 .pc = "34"}),
      AsciiLine({.nr = "1002",
                 .code = "21",
                 .hz = "270.00000",
                 .v = "90.00000",
                 .sd = "12.400",
                 .hd = "12.345",
                 .refl = "1.600"}),
      AsciiLine({.nr = "1003",
                 .code = "22",
                 .hz = "0.12000",
                 .v = "101.00000",
                 .sd = "101.010",
                 .refl = "2.000",
                 .y = "123.456",
                 .x = "654.321",
                 .h = "0.457"}),
  };
  EXPECT_EQ(out, expected);
  EXPECT_EQ(CurrentTransfer().FormatTag, "dGSI8");
  EXPECT_EQ(statistics.Statistik().Punkte, 3);
  ExpectNoMessages();
}

TEST_F(GsiFilesTest, Gsi8FileWithLfEndsAndBlocksAfterTheMeasurement) {
  CodeLists().AttributePosition = 1;
  const TextLines out = ToAscii("messung-gsi8-nachher.gsi");
  const TextLines expected = {
      AsciiLine({.nr = "201", .code = "31", .hz = "123.45678", .v = "95.00000", .sd = "10.000", .refl = "1.500"}),
      AsciiLine({.nr = "202", .code = "31", .hz = "0.00000", .v = "100.00000", .refl = "1.700"}),
      InfoLine(159, "20"),
      InfoLine(160, "950"),
      Label("T203") + "|300|KOTE|1.450|||",
      AsciiLine({.nr = "203", .code = "33", .hz = "200.00000", .v = "100.00000", .sd = "5.000", .refl = "1.700"}),
  };
  EXPECT_EQ(out, expected);
  ExpectNoMessages();
}

TEST_F(GsiFilesTest, Gsi8FileWithBlocksBeforeTheMeasurementReadsThemAsInformation) {
  CodeLists().AttributePosition = 0;
  const TextLines out = ToAscii("messung-gsi8-nachher.gsi");
  // Without the look-ahead the blocks carry to the points after them.
  ASSERT_EQ(out.size(), 6u);
  EXPECT_EQ(out[0], AsciiLine({.nr = "201", .hz = "123.45678", .v = "95.00000", .sd = "10.000", .refl = "1.500"}));
  EXPECT_EQ(out[1], AsciiLine({.nr = "202", .code = "31", .hz = "0.00000", .v = "100.00000", .refl = "1.700"}));
  EXPECT_EQ(
      out[5],
      AsciiLine({.nr = "203", .code = "31", .hz = "200.00000", .v = "100.00000", .sd = "5.000", .refl = "1.700"}));
}

TEST_F(GsiFilesTest, Gsi8CoordinateFileWithCrEndsToAscii) {
  ASSERT_TRUE(Leica().SetOffsetX("2600000"));
  ASSERT_TRUE(Leica().SetOffsetY("1200000"));
  const TextLines out = ToAscii("koordinaten-gsi8-cr.gsi");
  const TextLines expected = {
      "1234||2600012.345|1200067.890|0.500|",
      "P200|MARK|2599997.500|1212345.678||",
      "300||2600012.3456|1200065.4321|0.1000|",
      "400||2600123.45678|1200876.54321||",
  };
  EXPECT_EQ(out, expected);
  EXPECT_EQ(CurrentTransfer().FormatTag, "kGSI8");
  EXPECT_EQ(statistics.Statistik().Punkte, 4);
  ExpectNoMessages();
}

class GsiRoundTripTest : public GsiFilesTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(GsiRoundTripTest, AsciiCoordinatesToGsiAndBack) {
  const std::string format = GetParam();
  UseFormat(format);
  ASSERT_TRUE(Leica().SetOffsetX("2600000"));
  ASSERT_TRUE(Leica().SetOffsetY("1200000"));
  Run(1, Data("koordinaten.asc"), "koord.gsi");
  const TextLines gsiLines = OutputFile("koord.gsi");
  ExpectNoMessages();
  EXPECT_EQ(Leica().TransferMethode % 100, 2);

  if (format == "GSI8") {
    const TextLines expected = {
        "11....+00001001 71....+000MAUER 81...0+00123456 82...0+00456789 83...0+00456123 ",
        "11....+00001002 71....+00000000 81...0+00124500 82...0+00457000 83...0+00457000 ",
        "11....+00000P17 71....+0000BAUM 81...0-00012345 82...0-00000001 83...0-00000500 ",
        "11....+00002001 71....+00000031 81...0+00000000 82...0+00000000 ",
    };
    EXPECT_EQ(gsiLines, expected);
  } else {
    ASSERT_EQ(gsiLines.size(), 4u);
    EXPECT_EQ(gsiLines[0],
              "*11....+0000000000001001 71....+00000000000MAUER 81...0+0000000000123456 82...0+0000000000456789 "
              "83...0+0000000000456123 ");
    EXPECT_EQ(gsiLines[3],
              "*11....+0000000000002001 71....+0000000000000031 81...0+0000000000000000 "
              "82...0+0000000000000000 ");
  }

  box.Clear();
  settings.methode = 0;
  Run(0, tmp / "koord.gsi", "zurueck.asc");
  const TextLines back = OutputFile("zurueck.asc");
  const TextLines expected = {
      "1001|MAUER|2600123.456|1200456.789|456.123|",
      "1002||2600124.500|1200457.000|457.000|",
      "P17|BAUM|2599987.655|1199999.999|-0.500|",
      "2001|31|2600000.000|1200000.000||",
  };
  EXPECT_EQ(back, expected);
  EXPECT_EQ(CurrentTransfer().FormatTag, "k" + format);
  ExpectNoMessages();
}

INSTANTIATE_TEST_SUITE_P(BothWidths, GsiRoundTripTest, ::testing::Values("GSI8", "GSI16"));

TEST_F(GsiFilesTest, CoordinatesTooWideForGsi8AreListedAsErrors) {
  WriteFile(tmp / "national.asc", "1|A|2600123.456|1200456.789|456.123|\r\n2|B|123.4|56.7|8.9|\r\n");
  Run(1, tmp / "national.asc", "koord.gsi");
  EXPECT_EQ(OutputFile("koord.gsi"),
            TextLines{"11....+00000002 71....+0000000B 81...0+00123400 82...0+00056700 83...0+00008900 "});
  ASSERT_EQ(MessageTexts().size(), 1u);
  EXPECT_EQ(MessageTexts()[0], "T188\r\n1|A|2600123.456|1200456.789|456.123|");
}

TEST_F(GsiFilesTest, CoordinatesInFeet) {
  SetKoordUnit(9);
  WriteFile(tmp / "fuss.asc", "7||1234.567|-89.01|2|\r\n");
  Run(1, tmp / "fuss.asc", "fuss.gsi");
  EXPECT_EQ(OutputFile("fuss.gsi"),
            TextLines{"11....+00000007 71....+00000000 81...1+01234567 82...1-00089010 83...1+00002000 "});
  Run(0, tmp / "fuss.gsi", "fuss-zurueck.asc");
  EXPECT_EQ(OutputFile("fuss-zurueck.asc"), TextLines{"7||1234.567|-89.010|2.000|"});
}

}  // namespace
}  // namespace veltro::test
