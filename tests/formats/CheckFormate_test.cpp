#include "formats/instrument/CheckFormate.h"

#include "core/TextUtils.h"

#include <gtest/gtest.h>

namespace veltro {
namespace {

const std::string kGsi8Koord = "110001+00001234 81..10+00012345 82..10+00067890 ";
const std::string kGsi8Mess = "110001+00000011 21.324+12345678 22.324+09000000 31..00+00012345 ";
const std::string kGsi16Mess = "*110001+0000000000000011 21.324+0000000012345678 ";

TEST(DetectGsi, CoordinateAndMeasurementLines) {
  EXPECT_EQ(DetectFormat(kGsi8Koord + "\r"), "kGSI8");
  EXPECT_EQ(DetectFormat(kGsi8Mess + "\r\n"), "dGSI8");
  EXPECT_EQ(DetectFormat(kGsi16Mess + "\r\n"), "dGSI16");
  EXPECT_EQ(DetectFormat("*110001+0000000000001234 81..10+0000000000012345 \r\n"), "kGSI16");
}

TEST(DetectGsi, MoreThanFiveWordsIsMeasurement) {
  std::string six = kGsi8Koord + "83..10+00000450 84..10+00000001 85..10+00000002 ";
  EXPECT_EQ(DetectFormat(six + "\r\n"), "dGSI8");
}

TEST(DetectGsi, PartialTrailingWordIsIgnored) {
  // 17 characters: one whole word and one stray character.
  EXPECT_EQ(DetectFormat("110001+00001234 8\r\n"), "dGSI8");
  EXPECT_EQ(GsiCodes("110001+00001234 8", 16).Anzahl, 1);
  EXPECT_EQ(GsiCodes("110001+00001234 81..10+0001", 16).Codes, "11");
  EXPECT_EQ(GsiCodes("", 16).Anzahl, 0);
}

TEST(DetectGts6, MeasurementsCoordinatesAndCodes) {
  EXPECT_EQ(DetectFormat("_ ?+00012_ (-0001\r\n"), "dGTS6");
  // "_ [" marks GTS-6x measurements.
  EXPECT_EQ(DetectFormat("_ [W001_ ?+00012\r\n"), "dGTS6x");
  std::string x15 = "_ x000001234567_ y000009876543";  // "_ y" 15 after "_ x"
  EXPECT_EQ(DetectFormat(x15 + "\r\n"), "kGTS6x");
  EXPECT_EQ(DetectFormat("_ x00012_ y00034\r\n"), "kGTS6");
  EXPECT_EQ(DetectFormat("_:CODE1\r\n"), "pGTS6");
  EXPECT_EQ(DetectFormat("_ a001\r\n"), "dFC5");
  EXPECT_EQ(DetectFormat("_ f001\r\n"), "kFC5");
}

TEST(DetectGts7, OneLinersNeedALineEnd) {
  EXPECT_EQ(DetectFormat("P1,100.0,200.0,10.0,CODE\r\n"), "kGTS7");
  EXPECT_EQ(DetectFormat("100.0,2.5,400.1\r\n"), "qGTS7");
  EXPECT_EQ(DetectFormat("KERB,LINE\r\n"), "pGTS7");
  EXPECT_EQ(DetectFormat("P1,100.0,200.0,10.0,CODE"), "");
  EXPECT_EQ(DetectFormat("100.0,2.5,400.1"), "");
  EXPECT_EQ(DetectFormat("KERB,LINE"), "");
}

TEST(DetectGts7, RecordGroupsAndAlignments) {
  EXPECT_EQ(DetectFormat("GTS-7 job\r\n"), "dGTS7");
  EXPECT_EQ(DetectFormat("JOB     MYJOB\r\n"), "dGTS7");
  EXPECT_EQ(DetectFormat("START 100.0,200.0\r\n"), "lGTS7");
  EXPECT_EQ(DetectFormat("START 100.0,200.0"), "lGTS7");
  // Not numeric: the code-list rule takes the line.
  EXPECT_EQ(DetectFormat("START X,200.0\r\n"), "pGTS7");
  EXPECT_EQ(DetectFormat("START"), "");  // no text after a blank
  EXPECT_EQ(DetectFormat("JOB MYJOB\r\nSTN 1\r\n"), "dOGTS7");
}

TEST(DetectOthers, ByTheirMarks) {
  EXPECT_EQ(DetectFormat("$PMGNWPL,4728.123,N\r\n"), "kNMEA");
  EXPECT_EQ(DetectFormat("a,1,2\r\n"), "dDL100");
  EXPECT_EQ(DetectFormat("JB,NMjob\r\n"), "dRW5");
  EXPECT_EQ(DetectFormat("--Notiz, TM14:30:00\n--CH1903+\nJB,NMjob,DT12-08-2026,TM14:30:00\n"), "dRW5");
  EXPECT_NE(DetectFormat("--Notiz\r\nOC,OP1\r\n"), "dRW5");
  EXPECT_EQ(DetectFormat("00NMSDR20 V03-05\r\n"), "dSDR2x");
  EXPECT_EQ(DetectFormat("00NMSDR33 V04\r\n"), "dSDR33");
  EXPECT_EQ(DetectFormat("1;2;3;4;5\r\n"), "kTAVRIN");
  EXPECT_EQ(DetectFormat("ST 1 1.5\r\n"), "dOTS");
  // In the fixed order the GTS-7 code-list rule comes first and takes it.
  EXPECT_EQ(DetectFormat("CO,Job\r\n"), "pGTS7");
  EXPECT_EQ(DetectCandidate("AP700", "CO,Job\r\n"), "dAP700");
  EXPECT_EQ(DetectFormat("ENQ:DC1\r\n"), "dDC1");
  EXPECT_EQ(DetectFormat("a:b:c:d:e"), "kDC1");
}

TEST(DetectFormat, NothingRecognised) {
  EXPECT_EQ(DetectFormat(""), "");
  EXPECT_EQ(DetectFormat("Hello world this is prose.\r\n"), "");
  EXPECT_EQ(DetectFormat(std::string(3000, 'x')), "");
  EXPECT_EQ(DetectFormat(std::string("\x00\x01\xff\xfe", 4)), "");
}

TEST(DetectFormat, LeadingEmptyLinesAreSkipped) {
  EXPECT_EQ(DetectFormat("\r\n" + kGsi8Koord + "\r\n"), "kGSI8");
  EXPECT_EQ(DetectFormat("\n\n" + kGsi8Mess + "\n"), "dGSI8");
}

TEST(DetectFormat, LfAndCrOnlyFilesAreDetectedLikeCrLf) {
  const std::vector<std::string> texts = {kGsi8Koord + "\r\n" + kGsi8Koord + "\r\n", kGsi16Mess + "\r\n",
                                          "P1,100.0,200.0,10.0,CODE\r\n", "100.0,2.5,400.1\r\n",
                                          "KERB,LINE\r\nCURB,LINE\r\n", "$PMGNWPL,1\r\n", "1;2;3;4;5\r\n",
                                          "00NMSDR33 V04\r\n"};
  for (const std::string& crlf : texts) {
    std::string lf, cr;
    for (size_t i = 0; i < crlf.size(); ++i) {
      if (crlf.compare(i, 2, "\r\n") == 0) {
        lf += '\n';
        cr += '\r';
        ++i;
      } else {
        lf += crlf[i];
        cr += crlf[i];
      }
    }
    const std::string tag = DetectFormat(crlf);
    EXPECT_FALSE(tag.empty()) << crlf;
    EXPECT_EQ(DetectFormat(lf), tag) << crlf;
    EXPECT_EQ(DetectFormat(cr), tag) << crlf;
  }
}

TEST(DetectFormat, PreferredCandidatesComeFirst) {
  // A "$PMGNWPL" text is NMEA in the fixed order, MMW when MMW is preferred.
  EXPECT_EQ(DetectFormat("$PMGNWPL,1\r\n"), "kNMEA");
  EXPECT_EQ(DetectFormat("$PMGNWPL,1\r\n", "MMW"), "kMMW");
  EXPECT_EQ(DetectFormat("$PMGNWPL,1\r\n", "NOSUCH;;MMW"), "kMMW");
}

TEST(DetectFormat, Rec500LinesFitTheirLayout) {
  // "   %4d %-14.14s%13.13s Y %12.3f X %13.3f Z %9.3f"
  const std::string line = "     12 P12                    CODE Y   600000.000 X    200000.000 Z   450.000";
  EXPECT_EQ(DetectCandidate("REC500", line + "\r\n"), "dREC500");
  EXPECT_EQ(DetectCandidate("REC500", line), "");  // needs a line end
  EXPECT_EQ(DetectCandidate("REC500", "     12 P12 Y 1 X 2 Z 3\r\n"), "");
}

TEST(DetectFormat, NumericFields) {
  EXPECT_TRUE(IsNumericText(""));
  EXPECT_TRUE(IsNumericText(" -12.5 "));
  EXPECT_FALSE(IsNumericText("1e5"));
  EXPECT_FALSE(IsNumericText("1 2"));
}

}  // namespace
}  // namespace veltro
