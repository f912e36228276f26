#include "core/DecimalText.h"

#include <gtest/gtest.h>

#include "core/TextUtils.h"
#include "formats/office/Layout.h"

namespace veltro {
namespace {

std::string Sum(const std::string& a, const std::string& b, int decimals) {
  return FormatDecimal(AddDecimal(*ParseDecimal(a), *ParseDecimal(b)), decimals);
}

std::string Difference(const std::string& a, const std::string& b, int decimals) {
  return FormatDecimal(SubtractDecimal(*ParseDecimal(a), *ParseDecimal(b)), decimals);
}

TEST(DecimalTextTest, ReadsTheGrammarOfParseNumber) {
  EXPECT_TRUE(ParseDecimal("12"));
  EXPECT_TRUE(ParseDecimal("  -12.50"));
  EXPECT_TRUE(ParseDecimal("+.5"));
  EXPECT_TRUE(ParseDecimal("5."));
  EXPECT_TRUE(ParseDecimal("1.5E3"));
  EXPECT_TRUE(ParseDecimal("1e-2"));
  for (const char* bad : {"", " ", "-", ".", "1,5", "1.5 ", "1.2.3", "E3", "1E", "1E+", "0x10", "1E309"})
    EXPECT_FALSE(ParseDecimal(bad)) << bad;
  const DecimalNumber n = *ParseDecimal("-0012.500");
  EXPECT_TRUE(n.negative);
  EXPECT_EQ(n.digits, "12500");
  EXPECT_EQ(n.scale, 3);
  EXPECT_FALSE(ParseDecimal("-0.0")->negative);
  EXPECT_EQ(ParseDecimal("1.5E3")->digits, "1500");
  EXPECT_EQ(ParseDecimal("1.5E3")->scale, 0);
}

TEST(DecimalTextTest, SumsAreExact) {
  EXPECT_EQ(Sum("2600000.123", "0.1", 3), "2600000.223");
  EXPECT_EQ(Sum("0.1", "0.2", 1), "0.3");
  EXPECT_EQ(Sum("9007199254740993", "1", 0), "9007199254740994");
  EXPECT_EQ(Sum("-5", "3", 0), "-2");
  EXPECT_EQ(Sum("5", "-7.25", 2), "-2.25");
  EXPECT_EQ(Sum("999.99", "0.01", 2), "1000.00");
  EXPECT_EQ(Difference("1000", "0.001", 3), "999.999");
  EXPECT_EQ(Difference("-1", "-1", 2), "0.00");
}

TEST(DecimalTextTest, FormattingRoundsHalvesAwayFromZero) {
  EXPECT_EQ(FormatDecimal(*ParseDecimal("12.3445"), 3), "12.345");
  EXPECT_EQ(FormatDecimal(*ParseDecimal("-12.3445"), 3), "-12.345");
  EXPECT_EQ(FormatDecimal(*ParseDecimal("12.3444"), 3), "12.344");
  EXPECT_EQ(FormatDecimal(*ParseDecimal("0.5"), 0), "1");
  EXPECT_EQ(FormatDecimal(*ParseDecimal("0.45"), 0), "0");
  EXPECT_EQ(FormatDecimal(*ParseDecimal("0.004"), 2), "0.00");
  EXPECT_EQ(FormatDecimal(*ParseDecimal("-0.004"), 2), "0.00");
  EXPECT_EQ(FormatDecimal(*ParseDecimal("9.995"), 2), "10.00");
  EXPECT_EQ(FormatDecimal(*ParseDecimal("7"), 2), "7.00");
  EXPECT_EQ(FormatDecimal(*ParseDecimal("0.07"), 3), "0.070");
}

TEST(DecimalTextTest, DecimalsCountEverythingAfterTheFirstPoint) {
  EXPECT_EQ(DecimalsAfterPoint("12"), 0);
  EXPECT_EQ(DecimalsAfterPoint("12."), 0);
  EXPECT_EQ(DecimalsAfterPoint("12.50"), 2);
  EXPECT_EQ(DecimalsAfterPoint("1.5E3"), 3);
}

// ParseNumber, the layout's "f" and the sums read one grammar and round
// alike: a text one of them takes is taken by all, with the same digits.
TEST(DecimalTextTest, EveryCallerReadsAndRoundsTheSameWay) {
  for (const char* text : {"12", " -12.50", "+.5", "5.", "1.5E3", "1e-2", "2.675", "-2.675", "0.0005", "-0.0",
                           "99.995", "", " ", "-", ".", "1,5", "1.5 ", "1.2.3", "E3", "1E", "1E+", "0x10", "12a"}) {
    const std::string t = text;
    const bool number = !IsNoValue(ParseNumber(t));
    EXPECT_EQ(ParseDecimal(t).has_value(), number) << t;
    EXPECT_EQ(FormatDecimalText(t, 2).has_value(), number) << t;
    DecimalValue v;
    EXPECT_EQ(ReadDecimal(t, v), number) << t;
    if (!number) continue;
    EXPECT_EQ(*FormatDecimalText(t, 2), ReformatNumber(t, 2)) << t;
    EXPECT_EQ(FormatDecimal(*ParseDecimal(t), 2), ReformatNumber(t, 2)) << t;
  }
  EXPECT_EQ(ReformatNumber("2.675", 2), "2.68");  // the decimal text, not the double 2.67499...
  EXPECT_EQ(*FormatDecimalText("-0.0005", 3), "-0.001");
}

TEST(DecimalTextTest, HalvesGoToEvenOnlyWhereAskedFor) {
  DecimalValue v;
  ASSERT_TRUE(ReadDecimal("2.5", v));
  RoundDecimal(v, 0, DecimalRounding::HalfEven);
  EXPECT_EQ(FixedDecimalText(v, 0), "2");
  ASSERT_TRUE(ReadDecimal("2.5", v));
  RoundDecimal(v, 0, DecimalRounding::HalfAwayFromZero);
  EXPECT_EQ(FixedDecimalText(v, 0), "3");
  ASSERT_TRUE(ReadDecimal("-999.96", v));
  RoundDecimal(v, 1, DecimalRounding::HalfEven);
  EXPECT_EQ(FixedDecimalText(v, 1), "-1000.0");
  int64_t written = 0;
  ASSERT_TRUE(ReadDecimal("1.500", v, &written));
  EXPECT_EQ(written, 3);
  EXPECT_EQ(v.digits, "15");
  ASSERT_TRUE(ReadDecimal("5E2", v, &written));
  EXPECT_EQ(written, -2);
}

}  // namespace
}  // namespace veltro
