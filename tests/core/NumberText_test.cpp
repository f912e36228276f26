#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "core/TextUtils.h"

namespace veltro::test {
namespace {

const std::string kSign = "\xB1";  // "±" in code page 1252

TEST(ParseNumber, AcceptsSignDigitsFractionAndExponent) {
  EXPECT_EQ(ParseNumber("12.345"), 12.345);
  EXPECT_EQ(ParseNumber("-12.5"), -12.5);
  EXPECT_EQ(ParseNumber("+7"), 7.0);
  EXPECT_EQ(ParseNumber(".5"), 0.5);
  EXPECT_EQ(ParseNumber("-.5"), -0.5);
  EXPECT_EQ(ParseNumber("5."), 5.0);
  EXPECT_EQ(ParseNumber("1E3"), 1000.0);
  EXPECT_EQ(ParseNumber("1.5e-2"), 0.015);
  EXPECT_EQ(ParseNumber("2E+2"), 200.0);
  EXPECT_EQ(ParseNumber("007"), 7.0);
  EXPECT_EQ(ParseNumber("2600000.123"), 2600000.123);
}

TEST(ParseNumber, LeadingBlanksOnlyAreSkipped) {
  EXPECT_EQ(ParseNumber(" 2.5"), 2.5);
  EXPECT_EQ(ParseNumber("   -2.5"), -2.5);
  EXPECT_TRUE(IsNoValue(ParseNumber("2.5 ")));
  EXPECT_TRUE(IsNoValue(ParseNumber("\t2.5")));
  EXPECT_TRUE(IsNoValue(ParseNumber("- 2.5")));
}

TEST(ParseNumber, EverythingElseIsTheNoValueNumber) {
  for (const char* text : {"", " ", "abc", "1,5", "+", "-", ".", "+.", "-.", "E", "E5", ".E5", "1E", "1E+", "1e-",
                           "1..2", "1.2.3", "--1", "+-1", "1-", "0x10", "$FF", "inf", "nan", "Infinity", "1 000",
                           "12a", "1E5.0", "1E400", "-1E400", "1E999999999999999999999"}) {
    EXPECT_TRUE(IsNoValue(ParseNumber(text))) << '"' << text << '"';
  }
}

TEST(ParseNumber, UnderflowIsZeroNotNoValue) {
  EXPECT_EQ(ParseNumber("1E-400"), 0.0);
  EXPECT_TRUE(std::signbit(ParseNumber("-1E-400")));
  EXPECT_EQ(ParseNumber("0E999999"), 0.0);
}

// Plain decimals take a short way; each must give the very double (sign of
// zero included) that the correctly rounding standard reader gives.
TEST(ParseNumber, PlainDecimalsReadAsTheStandardReaderReadsThem) {
  std::mt19937 random(2026);
  auto digits = [&](int n) {
    std::string d;
    for (int i = 0; i < n; ++i) d += static_cast<char>('0' + random() % 10);
    return d;
  };
  for (int k = 0; k < 50000; ++k) {
    const int sign = static_cast<int>(random() % 3);
    std::string body = std::string(random() % 4 == 0 ? random() % 3 : 0, '0') + digits(static_cast<int>(random() % 17));
    if (random() % 4 != 0) body += "." + digits(static_cast<int>(random() % 17));
    const std::string text = std::string(random() % 2, ' ') + (sign == 1 ? "+" : sign == 2 ? "-" : "") + body;
    double expected = kNoValue;
    const std::string standard = (sign == 2 ? "-" : "") + body;
    if (body.find_first_of("0123456789") != std::string::npos) {
      const auto [end, ec] = std::from_chars(standard.data(), standard.data() + standard.size(), expected);
      ASSERT_TRUE(ec == std::errc() && end == standard.data() + standard.size()) << standard;
    }
    const double value = ParseNumber(text);
    EXPECT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << "\"" << text << "\" " << value << " " << expected;
  }
  EXPECT_TRUE(std::signbit(ParseNumber("-0.000")));
  EXPECT_EQ(ParseNumber("123456789012345.6"), 123456789012345.6);  // 16 digits: the general way
  EXPECT_TRUE(IsNoValue(ParseNumber("2147483647")));
  EXPECT_TRUE(IsNoValue(ParseNumber("1.2.3")));
  EXPECT_TRUE(IsNoValue(ParseNumber("-.")));
}

TEST(FormatNumber, FixedDecimalsWithPoint) {
  EXPECT_EQ(FormatNumber(3, 12.3456), "12.346");
  EXPECT_EQ(FormatNumber(2, 7), "7.00");
  EXPECT_EQ(FormatNumber(0, 7.4), "7");
  EXPECT_EQ(FormatNumber(0, 1234567.0), "1234567");
  EXPECT_EQ(FormatNumber(3, -0.25), "-0.250");
  EXPECT_EQ(FormatNumber(4, 0.00012), "0.0001");
  EXPECT_EQ(FormatNumber(2, 1e22), "10000000000000000000000.00");
  EXPECT_EQ(FormatNumber(3, 2600000.123), "2600000.123");
}

TEST(FormatNumber, RoundsTheDecimalValueHalfAwayFromZero) {
  EXPECT_EQ(FormatNumber(3, 1.0005), "1.001");  // the double is 1.000499999...
  EXPECT_EQ(FormatNumber(2, 2.675), "2.68");
  EXPECT_EQ(FormatNumber(2, -2.675), "-2.68");
  EXPECT_EQ(FormatNumber(0, 0.5), "1");
  EXPECT_EQ(FormatNumber(0, 2.5), "3");
  EXPECT_EQ(FormatNumber(1, 9.95), "10.0");
  EXPECT_EQ(FormatNumber(2, 999.995), "1000.00");
}

TEST(FormatNumber, LargeValuesKeepTheirShortestDigits) {
  // The double nearest 4102703307715366098 is 4102703307715365888.
  EXPECT_EQ(FormatNumber(1, 4102703307715366098.0), "4102703307715366000.0");
  EXPECT_EQ(FormatNumber(0, 1e17), "100000000000000000");
  EXPECT_EQ(FormatNumber(0, 123456789012345678.0), "123456789012345680");
}

// Every value is rounded as its shortest text is, whatever way it takes:
// magnitudes from 1e-9 to 1e18, ties of the shortest text and their binary
// neighbours, 0 to 16 decimals.
TEST(FormatNumber, AgreesWithRoundingTheShortestText) {
  std::mt19937_64 random(29);
  std::uniform_real_distribution<double> mantissa(-10, 10);
  std::uniform_int_distribution<int> exponent(-9, 17), places(0, 16);
  for (int i = 0; i < 300000; ++i) {
    double value = mantissa(random) * std::pow(10.0, exponent(random));
    const int decimals = places(random);
    if (i % 3 != 2) {  // a tie: ...5 just after the last written decimal
      value = ParseNumber(FormatNumber(decimals, value) + (decimals == 0 ? ".5" : "5"));
      if (IsNoValue(value)) continue;
      if (i % 3 == 1) value = std::nextafter(value, i % 2 ? 0.0 : value * 2);
    }
    char shortest[64];
    const auto end = std::to_chars(shortest, shortest + sizeof shortest, value, std::chars_format::scientific).ptr;
    ASSERT_EQ(FormatNumber(decimals, value), ReformatNumber(std::string(shortest, end), decimals))
        << std::string(shortest, end) << " to " << decimals;
  }
}

TEST(FormatNumber, NegativeRoundingToZeroHasNoSign) {
  EXPECT_EQ(FormatNumber(3, -0.0004), "0.000");
  EXPECT_EQ(FormatNumber(0, -0.4), "0");
  EXPECT_EQ(FormatNumber(2, -0.0), "0.00");
  EXPECT_EQ(FormatNumber(3, -0.0005), "-0.001");
}

TEST(FormatNumber, NoValueAndNonFiniteGiveEmptyText) {
  EXPECT_EQ(FormatNumber(3, kNoValue), "");
  EXPECT_EQ(FormatNumber(3, std::numeric_limits<double>::infinity()), "");
  EXPECT_EQ(FormatNumber(3, -std::numeric_limits<double>::infinity()), "");
  EXPECT_EQ(FormatNumber(3, std::numeric_limits<double>::quiet_NaN()), "");
  EXPECT_EQ(FormatNumber(3, ParseNumber("abc")), "");
}

TEST(FormatNumber, OddDecimalCountsAreClamped) {
  EXPECT_EQ(FormatNumber(-2, 12.6), "13");
  EXPECT_EQ(FormatNumber(1000000, 1.5).size(), 66u);  // "1." and 64 decimals
}

TEST(ReformatNumber, EmptyNonNumericAndRounded) {
  EXPECT_EQ(ReformatNumber("", 3), "");
  EXPECT_EQ(ReformatNumber("abc", 3), "");
  EXPECT_EQ(ReformatNumber("1.23456", 3), "1.235");
  EXPECT_EQ(ReformatNumber("7", 2), "7.00");
}

TEST(ReformatNumber, WorksOnTheTextsDigits) {
  EXPECT_EQ(ReformatNumber("1.0005", 3), "1.001");
  EXPECT_EQ(ReformatNumber("2.675", 2), "2.68");
  EXPECT_EQ(ReformatNumber("-2.675", 2), "-2.68");
  EXPECT_EQ(ReformatNumber("123456789012345678.25", 1), "123456789012345678.3");
  EXPECT_EQ(ReformatNumber("0.1234567890123456789", 19), "0.1234567890123456789");
  EXPECT_EQ(ReformatNumber(" 2.5", 2), "2.50");
  EXPECT_EQ(ReformatNumber("+3.14159", 0), "3");
  EXPECT_EQ(ReformatNumber("-0.0004", 3), "0.000");
  EXPECT_EQ(ReformatNumber("-0", 1), "0.0");
  EXPECT_EQ(ReformatNumber("1.5E3", 1), "1500.0");
  EXPECT_EQ(ReformatNumber("15E-4", 4), "0.0015");
}

TEST(ReformatNumber, WhatParseNumberRejectsStaysEmpty) {
  EXPECT_EQ(ReformatNumber("1,5", 3), "");
  EXPECT_EQ(ReformatNumber("2.5 ", 3), "");
  EXPECT_EQ(ReformatNumber("1E400", 3), "");
  EXPECT_EQ(ReformatNumber("-", 3), "");
  EXPECT_EQ(ReformatNumber("2147483647", 3), "");  // the no-value number itself
}

TEST(ScaleNumber, DividesOrCountsUnits) {
  EXPECT_EQ(ScaleNumber("123456", -3), "123.456");
  EXPECT_EQ(ScaleNumber("1.234", 3), "1234");
  EXPECT_EQ(ScaleNumber("0.125", 2), "12");
  EXPECT_EQ(ScaleNumber("0.375", 2), "38");
}

TEST(ScaleNumber, ExactHalvesGoToEven) {
  EXPECT_EQ(ScaleNumber("2.675", 2), "268");
  EXPECT_EQ(ScaleNumber("2.665", 2), "266");
  EXPECT_EQ(ScaleNumber("0.5", 0), "0");
  EXPECT_EQ(ScaleNumber("1.5", 0), "2");
  EXPECT_EQ(ScaleNumber("2.5", 0), "2");
  EXPECT_EQ(ScaleNumber("-0.5", 0), "0");
  EXPECT_EQ(ScaleNumber("-1.5", 0), "-2");
  EXPECT_EQ(ScaleNumber("-2.5", 0), "-2");
  EXPECT_EQ(ScaleNumber("2.5000000000000000001", 0), "3");  // not an exact half
  EXPECT_EQ(ScaleNumber("0.0049", 2), "0");
  EXPECT_EQ(ScaleNumber("9.995", 2), "1000");
}

TEST(ScaleNumber, SignsAndManyDecimals) {
  EXPECT_EQ(ScaleNumber("+12.3456", 3), "12346");
  EXPECT_EQ(ScaleNumber("-12.3456", 3), "-12346");
  EXPECT_EQ(ScaleNumber("-0.0004", 3), "0");
  EXPECT_EQ(ScaleNumber("0.123456789012345678901234567890", 10), "1234567890");
  EXPECT_EQ(ScaleNumber(" 5", 1), "50");
  EXPECT_EQ(ScaleNumber("0", 5), "0");
  EXPECT_EQ(ScaleNumber("1.5E2", 1), "1500");
}

TEST(ScaleNumber, WorksInSixtyFourBits) {
  EXPECT_EQ(ScaleNumber("2600000.123", 3), "2600000123");
  EXPECT_EQ(ScaleNumber("9223372036854775807", 0), "9223372036854775807");
  EXPECT_EQ(ScaleNumber("-9223372036854775808", 0), "-9223372036854775808");
  EXPECT_EQ(ScaleNumber("9223372036854775808", 0), "");
  EXPECT_EQ(ScaleNumber("-9223372036854775809", 0), "");
  EXPECT_EQ(ScaleNumber("12345678901234567890", 0), "");
  EXPECT_EQ(ScaleNumber("1E300", 0), "");
  EXPECT_EQ(ScaleNumber("1", 19), "");
  EXPECT_EQ(ScaleNumber("1", 18), "1000000000000000000");
  EXPECT_EQ(ScaleNumber("1", 2147483647), "");
  EXPECT_EQ(ScaleNumber("0", 2147483647), "0");
}

TEST(ScaleNumber, NegativeNDivides) {
  EXPECT_EQ(ScaleNumber("-123456", -3), "-123.456");
  EXPECT_EQ(ScaleNumber("5", -3), "0.005");
  EXPECT_EQ(ScaleNumber("0", -2), "0.00");
  EXPECT_EQ(ScaleNumber("15", -1), "1.5");
  EXPECT_EQ(ScaleNumber("1.25", -1), "0.1");  // 0.125 to one decimal, half away
  EXPECT_EQ(ScaleNumber("123456789012345678901234", -3), "123456789012345678901.234");
  EXPECT_EQ(ScaleNumber("1", -65), "");
  EXPECT_EQ(ScaleNumber("1", -2147483647 - 1), "");
}

TEST(ScaleNumber, MissingOrNonNumericNeverBecomesANumber) {
  for (int n : {-3, 0, 3}) {
    EXPECT_EQ(ScaleNumber("", n), "") << n;
    EXPECT_EQ(ScaleNumber("abc", n), "") << n;
    EXPECT_EQ(ScaleNumber("-", n), "") << n;
    EXPECT_EQ(ScaleNumber(".", n), "") << n;
    EXPECT_EQ(ScaleNumber("1E400", n), "") << n;
    EXPECT_EQ(ScaleNumber("2147483647", n), "") << n;
  }
}

TEST(PowerOfTen, RangeAndClamping) {
  EXPECT_EQ(PowerOfTen(0), 1);
  EXPECT_EQ(PowerOfTen(3), 1000);
  EXPECT_EQ(PowerOfTen(9), 1000000000);
  EXPECT_EQ(PowerOfTen(-1), 1);
  EXPECT_EQ(PowerOfTen(12), 1000000000);
}

TEST(NumericText, RemoveDecimalPointAndIsNumericText) {
  EXPECT_EQ(RemoveDecimalPoint("12.345"), "12345");
  EXPECT_EQ(RemoveDecimalPoint("1.2.3"), "12.3");
  EXPECT_EQ(RemoveDecimalPoint("12"), "12");
  EXPECT_TRUE(IsNumericText(""));
  EXPECT_TRUE(IsNumericText("  -12.5 "));
  EXPECT_TRUE(IsNumericText("+-.."));
  EXPECT_FALSE(IsNumericText("1E5"));
  EXPECT_FALSE(IsNumericText("1 2"));
  EXPECT_FALSE(IsNumericText("1,5"));
}

TEST(FormatPicture, NegativeValueWithSignedPicture) {
  EXPECT_EQ(FormatPicture("-12.3456", kSign + "0000.000"), "-0012346");
}

TEST(FormatPicture, SignedPictures) {
  EXPECT_EQ(FormatPicture("12.3456", kSign + "999.9999"), "+0123456");
  EXPECT_EQ(FormatPicture("2600000.123", kSign + "9999999.999"), "+2600000123");
  EXPECT_EQ(FormatPicture("-0.0004", kSign + "999.999"), "+000000");
  EXPECT_EQ(FormatPicture(" -1.5 ", kSign + "99.9"), "-015");
  EXPECT_EQ(FormatPicture("+7", kSign + "9999"), "+0007");
  EXPECT_EQ(FormatPicture("0.125", kSign + "9.99"), "+012");  // half to even
}

TEST(FormatPicture, UnsignedPicturesUseTheirWholeWidth) {
  EXPECT_EQ(FormatPicture("12.3456", "0000.000"), "0012346");
  EXPECT_EQ(FormatPicture("42", "99999"), "00042");
  EXPECT_EQ(FormatPicture("12.5", "999"), "012");  // rounded to the picture
}

TEST(FormatPicture, DigitsThatDoNotFitGiveNothing) {
  // 2600000.123 needs ten digits; the picture has nine.
  EXPECT_EQ(FormatPicture("2600000.123", kSign + "999999.999"), std::nullopt);
  EXPECT_EQ(FormatPicture("1000", kSign + "999"), std::nullopt);
  EXPECT_EQ(FormatPicture("100000", "9999"), std::nullopt);
  EXPECT_EQ(FormatPicture("999.9996", kSign + "999.999"), std::nullopt);  // rounds up to 1000.000
  EXPECT_EQ(FormatPicture("1", ""), std::nullopt);
  EXPECT_EQ(FormatPicture("1", kSign), std::nullopt);
  EXPECT_EQ(FormatPicture("1E300", kSign + "999.999"), std::nullopt);
}

TEST(FormatPicture, MissingOrNegativeWithoutSignGiveNothing) {
  EXPECT_EQ(FormatPicture("", kSign + "999.999"), std::nullopt);
  EXPECT_EQ(FormatPicture("   ", kSign + "999.999"), std::nullopt);
  EXPECT_EQ(FormatPicture("abc", kSign + "999.999"), std::nullopt);
  EXPECT_EQ(FormatPicture("1.2.3", kSign + "999.999"), std::nullopt);
  EXPECT_EQ(FormatPicture("-1", "999.999"), std::nullopt);
  EXPECT_EQ(FormatPicture("-0.0001", "999.999"), "000000");  // rounds to zero
}

}  // namespace
}  // namespace veltro::test
