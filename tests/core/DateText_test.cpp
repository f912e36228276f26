#include <gtest/gtest.h>

#include <limits>

#include "core/DateTime.h"
#include "core/Messages.h"
#include "core/TextUtils.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"

namespace veltro::test {
namespace {

// Frozen on 8 December 2026, system separators "." and ":", texts "T<n>".
class DateTextTest : public ::testing::Test {
 protected:
  DateTextTest() {
    SetTextProvider([](int n) { return "T" + std::to_string(n); });
    FreezeClock(EncodeDate(2026, 12, 8));
    SetSystemSeparators('.', '.', ':');
  }
  ~DateTextTest() override {
    SetTextProvider(nullptr);
    FreezeClock(0);
    SetSystemSeparators('.', '.', ':');
  }

  // Expects exactly one date/time error box since the last check.
  void ExpectOneError() {
    ASSERT_EQ(box.Messages().size(), 1u);
    // The program's own text, never the language library's (the provider).
    EXPECT_EQ(box.Messages()[0].text, DateTimeErrorText());
    EXPECT_FALSE(box.Messages()[0].text.empty());
    EXPECT_EQ(box.Messages()[0].kind, kMsgError);
    EXPECT_EQ(box.Messages()[0].buttons, kBtnOk);
    box.Clear();
  }
  void ExpectNoMessage() { EXPECT_TRUE(box.Messages().empty()); }

  static double Day(int y, int m, int d) { return EncodeDate(y, m, d); }
  static double Time(int h, int m, int s) {
    double t = 0;
    EncodeTime(h, m, s, t);
    return t;
  }

  ScriptedMessageBox box;
  ScopedMessageBox guard{&box};
};

TEST_F(DateTextTest, ReplaceMonthNamesUpperCasesAndReplacesFirstOccurrences) {
  EXPECT_EQ(ReplaceMonthNames("08-dec-26"), "08-12-26");
  EXPECT_EQ(ReplaceMonthNames("1.Mai.2026"), "1.05.2026");
  EXPECT_EQ(ReplaceMonthNames("fev oct okt dez"), "02 10 10 12");
  EXPECT_EQ(ReplaceMonthNames("JAN JAN"), "01 JAN");
  EXPECT_EQ(ReplaceMonthNames("abc"), "ABC");
  EXPECT_EQ(ReplaceMonthNames(""), "");
}

TEST_F(DateTextTest, ParseDateWithAndWithoutSeparators) {
  EXPECT_EQ(ParseDate("DD.MM.YY", "08.DEZ.26"), Day(2026, 12, 8));
  EXPECT_EQ(ParseDate("YYMMDD", "261208"), Day(2026, 12, 8));
  ExpectNoMessage();
  EXPECT_EQ(ParseDate("DDMMYY", "8122"), 0);
  ExpectOneError();
  EXPECT_EQ(ParseDate("DDMMYY", "0812266"), 0);  // a digit more than the layout
  ExpectOneError();
  EXPECT_EQ(ParseTime("HHNNSS", "1430001"), 0);
  ExpectOneError();
}

TEST_F(DateTextTest, ParseDateLayouts) {
  EXPECT_EQ(ParseDate("DD/MM/YY", "08/12/26"), Day(2026, 12, 8));
  EXPECT_EQ(ParseDate("MM-DD-YY", "12-08-26"), Day(2026, 12, 8));
  EXPECT_EQ(ParseDate("MM-DD-YYYY", "12-08-2026"), Day(2026, 12, 8));
  EXPECT_EQ(ParseDate("dd.mm.yyyy", "8.12.2026"), Day(2026, 12, 8));
  EXPECT_EQ(ParseDate("ddmmyyyy", "08122026"), Day(2026, 12, 8));
  EXPECT_EQ(ParseDate("YYYY-MM-DD", "2026-12-08"), Day(2026, 12, 8));
  EXPECT_EQ(ParseDate("DD-MMM-YY", "08-DEC-26"), Day(2026, 12, 8));
  EXPECT_EQ(ParseDate("DD.MMM.YY", "29.feb.28"), Day(2028, 2, 29));
  EXPECT_EQ(ParseDate("DDMMYY", "08DEZ26"), Day(2026, 12, 8));  // names go first
  EXPECT_EQ(ParseDate("DD.MM.YY", " 8. 12. 26"), Day(2026, 12, 8));
  ExpectNoMessage();
}

TEST_F(DateTextTest, LettersOnlyLayoutsUseTheSystemSeparator) {
  SetSystemSeparators('.', '/', ':');
  EXPECT_EQ(ParseDate("DDMMYY", "081226"), Day(2026, 12, 8));
  EXPECT_EQ(ParseDate("YYYYMMDD", "20261208"), Day(2026, 12, 8));
  // The layout's own separator wins over the system's.
  EXPECT_EQ(ParseDate("DD.MM.YY", "08.12.26"), Day(2026, 12, 8));
  EXPECT_EQ(ParseDate("DD.MM.YY", "08/12/26"), 0);
  ExpectOneError();
}

TEST_F(DateTextTest, TwoDigitYearsLieInTheWindowFromTenYearsAgo) {
  EXPECT_EQ(ParseDate("DD.MM.YY", "01.01.26"), Day(2026, 1, 1));
  EXPECT_EQ(ParseDate("DD.MM.YY", "01.01.16"), Day(2016, 1, 1));
  EXPECT_EQ(ParseDate("DD.MM.YY", "01.01.15"), Day(2115, 1, 1));
  EXPECT_EQ(ParseDate("DD.MM.YY", "01.01.99"), Day(2099, 1, 1));
  EXPECT_EQ(ParseDate("DD.MM.YY", "01.01.0"), Day(2100, 1, 1));
  EXPECT_EQ(ParseDate("DD.MM.YYYY", "01.01.1995"), Day(1995, 1, 1));  // four digits are taken as written
  EXPECT_EQ(ParseDate("DD.MM.YY", "01.01.1995"), Day(1995, 1, 1));
  FreezeClock(Day(2095, 6, 1));
  EXPECT_EQ(ParseDate("DD.MM.YY", "01.01.84"), Day(2184, 1, 1));
  EXPECT_EQ(ParseDate("DD.MM.YY", "01.01.85"), Day(2085, 1, 1));
  EXPECT_EQ(ParseDate("DD.MM.YY", "01.01.05"), Day(2105, 1, 1));
  ExpectNoMessage();
}

TEST_F(DateTextTest, AMissingYearIsTheCurrentYear) {
  EXPECT_EQ(ParseDate("DD.MM.YY", "24.12"), Day(2026, 12, 24));
  EXPECT_EQ(ParseDate("YY.MM.DD", "12.24"), Day(2026, 12, 24));
  EXPECT_EQ(ParseDate("DD.MM", "24.12"), Day(2026, 12, 24));
  EXPECT_EQ(ParseDate("ddmm", "2412"), Day(2026, 12, 24));
  ExpectNoMessage();
}

TEST_F(DateTextTest, EmptyLayoutOrTextIsZeroWithoutMessage) {
  EXPECT_EQ(ParseDate("", "08.12.26"), 0);
  EXPECT_EQ(ParseDate("DD.MM.YY", ""), 0);
  EXPECT_EQ(ParseTime("", "14:30"), 0);
  EXPECT_EQ(ParseTime("HH:MM", ""), 0);
  ExpectNoMessage();
}

TEST_F(DateTextTest, UnreadableDatesShowTheErrorAndGiveZero) {
  for (const char* text : {"0812", "31.02.26", "00.12.26", "08.13.26", "08.12.26.", "08..26", "08.12.2x",
                           "8.12.26.1", "xx.yy.zz", "   ", "08.12.00000"}) {
    const std::string layout = std::string(text).find('.') == std::string::npos ? "DDMMYY" : "DD.MM.YY";
    EXPECT_EQ(ParseDate(layout, text), 0) << text;
    ExpectOneError();
  }
  EXPECT_EQ(ParseDate("DDMMYY", "0812"), 0);  // shorter than its layout
  ExpectOneError();
  EXPECT_EQ(ParseDate("HH:MM", "14:30"), 0);  // no day or month in the layout
  ExpectOneError();
  EXPECT_EQ(ParseDate("DD.MM.YY", "08.12.0000"), 0);  // year 0
  ExpectOneError();
}

TEST_F(DateTextTest, ParseTime) {
  EXPECT_EQ(ParseTime("HH:MM", "14:30"), Time(14, 30, 0));
  EXPECT_EQ(ParseTime("HH:MM:SS", "14:30:15"), Time(14, 30, 15));
  EXPECT_EQ(ParseTime("hh:nn", "7:05"), Time(7, 5, 0));
  EXPECT_EQ(ParseTime("HHMM", "1430"), Time(14, 30, 0));
  EXPECT_EQ(ParseTime("HHMMSS", "143015"), Time(14, 30, 15));
  EXPECT_EQ(ParseTime("HH:MM", "14:30:15"), Time(14, 30, 15));  // optional seconds
  EXPECT_EQ(ParseTime("HH:MM", "00:00"), 0);
  ExpectNoMessage();
  SetSystemSeparators('.', '.', '-');
  EXPECT_EQ(ParseTime("HHMM", "1430"), Time(14, 30, 0));
  ExpectNoMessage();
}

TEST_F(DateTextTest, UnreadableTimesShowTheErrorAndGiveZero) {
  for (const char* text : {"24:00", "12:60", "12:30:60", "14", "14:", ":30", "1:2:3:4", "ab:cd", "14.30"}) {
    EXPECT_EQ(ParseTime("HH:MM", text), 0) << text;
    ExpectOneError();
  }
  EXPECT_EQ(ParseTime("HHMM", "143"), 0);
  ExpectOneError();
}

TEST_F(DateTextTest, FormatDate) {
  const double day = Day(2026, 12, 8) + Time(14, 30, 15);
  EXPECT_EQ(FormatDate("DDMMYY", day), "081226");
  EXPECT_EQ(FormatDate("DD.MM.YYYY", day), "08.12.2026");
  EXPECT_EQ(FormatDate("D.M.YY", Day(2026, 3, 5)), "5.3.26");
  EXPECT_EQ(FormatDate("YYYY-MM-DD", day), "2026-12-08");
  EXPECT_EQ(FormatDate("MM-DD-YY", day), "12-08-26");
  EXPECT_EQ(FormatDate("dd-mmm-yy", day), "08-DEC-26");
  EXPECT_EQ(FormatDate("YYYYYMMDD", day), "20261208");
  EXPECT_EQ(FormatDate("DDD DD.MM.YY", day), "TUE 08.12.26");
  EXPECT_EQ(FormatDate("DD.MM.YY", Day(2005, 1, 2)), "02.01.05");
  EXPECT_EQ(FormatDate("", day), "");
  ExpectNoMessage();
}

TEST_F(DateTextTest, FormatTime) {
  const double value = Day(2026, 12, 8) + Time(7, 5, 9);
  EXPECT_EQ(FormatTime("HH:MM", value), "07:05");
  EXPECT_EQ(FormatTime("HH:MM:SS", value), "07:05:09");
  EXPECT_EQ(FormatTime("hh:nn:ss", value), "07:05:09");
  EXPECT_EQ(FormatTime("HHMM", value), "0705");
  EXPECT_EQ(FormatTime("H:N", value), "7:5");
  ExpectNoMessage();
}

TEST_F(DateTextTest, FormattingAnImpossibleValueShowsTheError) {
  EXPECT_EQ(FormatDate("DD.MM.YY", std::numeric_limits<double>::quiet_NaN()), "");
  ExpectOneError();
  EXPECT_EQ(FormatDate("DD.MM.YY", kNoValue), "");
  ExpectOneError();
  EXPECT_EQ(FormatTime("HH:MM", std::numeric_limits<double>::infinity()), "");
  ExpectOneError();
  EXPECT_EQ(FormatDate("DD.MM.YYYY", -693593.0), "01.01.0001");
  ExpectNoMessage();
  EXPECT_EQ(FormatDate("DD.MM.YYYY", -693594.0), "");
  ExpectOneError();
}

TEST_F(DateTextTest, FormattedDatesReadBack) {
  for (const char* layout : {"DDMMYY", "YYMMDD", "DD.MM.YYYY", "MM-DD-YY", "DD-MMM-YY", "YYYY/MM/DD"}) {
    for (double day : {Day(2016, 1, 1), Day(2026, 12, 8), Day(2028, 2, 29), Day(2115, 12, 31)}) {
      EXPECT_EQ(ParseDate(layout, FormatDate(layout, day)), day) << layout;
    }
  }
  ExpectNoMessage();
}

}  // namespace
}  // namespace veltro::test
