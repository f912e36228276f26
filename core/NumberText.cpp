// Numbers as decimal text. Values in records are decimal texts; wherever a
// binary double would change a digit, the work is done on the digits.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "core/TextUtils.h"

namespace veltro {
namespace {
// Decimals beyond this are not produced; no file format uses more.
constexpr int kMaxDecimals = 64;
// A saturated exponent: far outside anything a double or a field can hold.
constexpr int64_t kExponentLimit = int64_t{1} << 40;

// value = (negative ? -1 : 1) * digits * 10^exponent; digits has neither
// leading nor trailing zeros, and is empty for zero.
struct Decimal {
  bool negative = false;
  std::string digits;
  int64_t exponent = 0;

  bool IsZero() const { return digits.empty(); }
  // Number of digits before the decimal point (may be zero or negative).
  int64_t Magnitude() const { return static_cast<int64_t>(digits.size()) + exponent; }

  void Normalise() {
    size_t lead = digits.find_first_not_of('0');
    if (lead == std::string::npos) {
      digits.clear();
      exponent = 0;
      return;
    }
    digits.erase(0, lead);
    size_t last = digits.find_last_not_of('0');
    exponent += static_cast<int64_t>(digits.size() - 1 - last);
    digits.erase(last + 1);
  }
};

// Reads [blanks][sign]digits[.digits][(E|e)[sign]digits] with at least one
// mantissa digit and nothing after it. A lone sign, point or exponent fails.
bool ParseDecimal(const std::string& text, Decimal& out) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  out = Decimal{};
  if (i < n && (text[i] == '+' || text[i] == '-')) out.negative = text[i++] == '-';
  size_t mantissaDigits = 0;
  int64_t fractionDigits = 0;
  for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i, ++mantissaDigits) out.digits += text[i];
  if (i < n && text[i] == '.') {
    for (++i; i < n && text[i] >= '0' && text[i] <= '9'; ++i, ++mantissaDigits, ++fractionDigits)
      out.digits += text[i];
  }
  if (mantissaDigits == 0) return false;
  int64_t exponent = 0;
  if (i < n && (text[i] == 'E' || text[i] == 'e')) {
    ++i;
    bool negativeExponent = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negativeExponent = text[i++] == '-';
    size_t expDigits = 0;
    for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i, ++expDigits)
      if (exponent < kExponentLimit) exponent = exponent * 10 + (text[i] - '0');
    if (expDigits == 0) return false;
    if (negativeExponent) exponent = -exponent;
  }
  if (i != n) return false;
  out.exponent = exponent - fractionDigits;
  out.Normalise();
  return true;
}

enum class Rounding { HalfEven, HalfAwayFromZero };

// Rounds to a multiple of 10^-decimals.
void RoundTo(Decimal& d, int64_t decimals, Rounding mode) {
  if (d.IsZero() || d.exponent >= -decimals) return;
  const int64_t drop = -decimals - d.exponent;
  const int64_t size = static_cast<int64_t>(d.digits.size());
  if (drop > size) {  // below half a unit of the last place
    d = Decimal{d.negative, {}, 0};
    return;
  }
  std::string kept = d.digits.substr(0, static_cast<size_t>(size - drop));
  const char first = d.digits[static_cast<size_t>(size - drop)];
  const bool more = drop > 1;  // normalised: any further digit is non-zero
  bool up = false;
  if (first > '5' || (first == '5' && more)) {
    up = true;
  } else if (first == '5') {
    up = mode == Rounding::HalfAwayFromZero || (!kept.empty() && (kept.back() - '0') % 2 == 1);
  }
  if (up) {
    size_t k = kept.size();
    while (k > 0 && kept[k - 1] == '9') kept[--k] = '0';
    if (k == 0)
      kept.insert(kept.begin(), '1');
    else
      ++kept[k - 1];
  }
  d.digits = kept;
  d.exponent = -decimals;
  d.Normalise();
}

// Fixed-point text with exactly `decimals` decimals; the value must already
// be rounded to them. A value that is zero gets no sign.
std::string FormatFixed(const Decimal& d, int64_t decimals) {
  std::string units = d.digits;  // the value times 10^decimals, as an integer
  if (!d.IsZero()) units.append(static_cast<size_t>(d.exponent + decimals), '0');
  if (static_cast<int64_t>(units.size()) <= decimals)
    units.insert(0, static_cast<size_t>(decimals) + 1 - units.size(), '0');
  if (decimals > 0) units.insert(units.size() - static_cast<size_t>(decimals), 1, '.');
  return d.IsZero() ? units : (d.negative ? "-" : "") + units;
}

int ClampDecimals(int decimals) { return decimals < 0 ? 0 : decimals > kMaxDecimals ? kMaxDecimals : decimals; }

// The text as a decimal, provided ParseNumber would give it a value.
bool NumericValue(const std::string& text, Decimal& d) {
  return ParseDecimal(text, d) && !IsNoValue(ParseNumber(text));
}
}  // namespace

double ParseNumber(const std::string& text) {
  Decimal d;
  if (!ParseDecimal(text, d)) return kNoValue;
  size_t start = text.find_first_not_of(' ');
  if (text[start] == '+') ++start;  // from_chars takes "-" but not "+"
  double value = 0;
  auto [end, ec] = std::from_chars(text.data() + start, text.data() + text.size(), value);
  if (ec == std::errc::result_out_of_range) {
    if (d.IsZero() || d.Magnitude() < 0) return d.negative ? -0.0 : 0.0;  // underflow
    return kNoValue;
  }
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return kNoValue;
  return value;
}

std::string FormatNumber(int decimals, double value) {
  if (IsNoValue(value) || !std::isfinite(value)) return {};
  // The shortest text that reads back as this double is the decimal value
  // the caller meant; rounding it avoids the binary neighbour (1.0005 is
  // stored as 1.000499999...).
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (ec != std::errc()) return {};
  Decimal d;
  if (!ParseDecimal(std::string(buffer, end), d)) return {};
  const int places = ClampDecimals(decimals);
  RoundTo(d, places, Rounding::HalfAwayFromZero);
  return FormatFixed(d, places);
}

std::string ReformatNumber(const std::string& text, int decimals) {
  Decimal d;
  if (!NumericValue(text, d)) return {};
  const int places = ClampDecimals(decimals);
  RoundTo(d, places, Rounding::HalfAwayFromZero);
  return FormatFixed(d, places);
}

std::string ScaleNumber(const std::string& text, int n) {
  Decimal d;
  if (!NumericValue(text, d)) return {};
  if (n < 0) {
    const int64_t places = -static_cast<int64_t>(n);
    if (places > kMaxDecimals) return {};
    if (!d.IsZero()) d.exponent -= places;
    RoundTo(d, places, Rounding::HalfAwayFromZero);
    return FormatFixed(d, places);
  }
  if (!d.IsZero()) d.exponent += n;
  RoundTo(d, 0, Rounding::HalfEven);
  if (d.IsZero()) return "0";
  // Counts of units must fit a signed 64-bit integer.
  if (d.Magnitude() > 19) return {};
  std::string units = FormatFixed(d, 0);
  std::string magnitude = d.negative ? units.substr(1) : units;
  if (magnitude.size() == 19 && magnitude > (d.negative ? "9223372036854775808" : "9223372036854775807")) return {};
  return units;
}

std::optional<std::string> FormatPicture(const std::string& value, const std::string& picture) {
  constexpr char kSignMark = static_cast<char>(0xB1);  // "±"
  const bool signed_ = !picture.empty() && picture[0] == kSignMark;
  std::string body = signed_ ? picture.substr(1) : picture;
  int decimals = 0;
  if (size_t point = body.find('.'); point != std::string::npos) {
    decimals = static_cast<int>(body.size() - point - 1);
    body.erase(point, 1);
  }
  // Digits only ever come from the scaled value, so a field never holds a
  // stray point, sign or blank of the input.
  std::string digits = ScaleNumber(TrimBlanks(value), decimals);
  if (digits.empty()) return std::nullopt;
  const bool negative = digits[0] == '-';
  if (negative) {
    if (!signed_) return std::nullopt;
    digits.erase(0, 1);
  }
  if (digits.size() > body.size()) return std::nullopt;
  std::string field = PadLeft(digits, '0', static_cast<int>(body.size()));
  if (signed_) field.insert(0, 1, negative ? '-' : '+');
  return field;
}

}  // namespace veltro
