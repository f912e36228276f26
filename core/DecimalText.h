// Exact arithmetic on decimal number texts. National-grid coordinates such
// as 2600000.123 carry more digits than a double keeps exactly after an
// addition; sums of texts are therefore done digit by digit.
#pragma once

#include <optional>
#include <string>

namespace veltro {

// A decimal value: (negative ? -1 : 1) * digits * 10^-scale, digits without
// leading zeros ("0" for zero), scale >= 0.
struct DecimalNumber {
  bool negative = false;
  std::string digits = "0";
  int scale = 0;
};

// Reads a number text with the grammar of ParseNumber: leading blanks, an
// optional sign, digits with an optional fraction (at least one digit), an
// optional exponent "E"/"e" with optional sign and digits. Anything else,
// trailing blanks included, answers nullopt. Exponents beyond +-308 (outside
// what a double holds) answer nullopt too.
std::optional<DecimalNumber> ParseDecimal(const std::string& text);

// Exact sum and difference.
DecimalNumber AddDecimal(const DecimalNumber& a, const DecimalNumber& b);
DecimalNumber SubtractDecimal(const DecimalNumber& a, const DecimalNumber& b);

// Fixed-point text with exactly `decimals` decimals ("." as separator, "-" for
// negatives, never "-0"); halves are rounded away from zero.
std::string FormatDecimal(const DecimalNumber& value, int decimals);

// The number of characters after the first "." of text; 0 without ".".
int DecimalsAfterPoint(const std::string& text);

}  // namespace veltro
