// Exact arithmetic on decimal number texts. National-grid coordinates such
// as 2600000.123 carry more digits than a double keeps exactly after an
// addition; sums of texts are therefore done digit by digit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace veltro {

// ---- The engine: one grammar, one rounding -------------------------------------
// Every reader of number texts (ParseNumber and its relatives, the layout
// conversions, the sums below) goes through these.

// value = (negative ? -1 : 1) * digits * 10^exponent; digits has neither
// leading nor trailing zeros and is empty for zero.
struct DecimalValue {
  bool negative = false;
  std::string digits;
  int64_t exponent = 0;

  bool IsZero() const { return digits.empty(); }
  // Number of digits before the decimal point (may be zero or negative).
  int64_t Magnitude() const { return static_cast<int64_t>(digits.size()) + exponent; }
};

// Reads [blanks][sign]digits[.digits][(E|e)[sign]digits] with at least one
// mantissa digit and nothing after it; a lone sign, point or exponent fails.
// Exponents far beyond any field saturate instead of overflowing.
// writtenScale, when given, receives the decimals the text spells out
// (fraction digits minus exponent: 3 for "1.500", -2 for "5E2").
bool ReadDecimal(std::string_view text, DecimalValue& out, int64_t* writtenScale = nullptr);

// The value of [blanks][sign]digits[.digits] with at most 15 significant
// digits, divided by 10^shift (0 to 2), rounded once as reading the shifted
// text would round it. False for any other text or shift.
bool ParsePlainDecimal(std::string_view text, int shift, double& value);

enum class DecimalRounding { HalfEven, HalfAwayFromZero };

// Rounds to a multiple of 10^-decimals.
void RoundDecimal(DecimalValue& value, int64_t decimals, DecimalRounding mode);

// Fixed-point text with exactly `decimals` decimals of a value already rounded
// to them; a value that is zero gets no sign.
std::string FixedDecimalText(const DecimalValue& value, int64_t decimals);

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
