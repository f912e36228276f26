// Numbers as decimal text. Values in records are decimal texts; wherever a
// binary double would change a digit, the work is done on the digits.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "core/DecimalText.h"
#include "core/TextUtils.h"

namespace veltro {
namespace {
// Decimals beyond this are not produced; no file format uses more.
constexpr int kMaxDecimals = 64;

// Powers of ten a double holds exactly: 15 digits and a shift of two places.
constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,
                              1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17};
constexpr int kMostShift = 2;

int ClampDecimals(int decimals) { return decimals < 0 ? 0 : decimals > kMaxDecimals ? kMaxDecimals : decimals; }

// The text as a decimal, provided ParseNumber would give it a value.
bool NumericValue(const std::string& text, DecimalValue& d) {
  return ReadDecimal(text, d) && !IsNoValue(ParseNumber(text));
}

}  // namespace

// The digits as an integer are exact in a double, and one division by an
// exact power of ten rounds as correctly as from_chars does.
bool ParsePlainDecimal(std::string_view text, int shift, double& value) {
  constexpr size_t kMaxDigits = 15;
  auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const size_t first = i;
  while (i < n && text[i] == '0') ++i;
  const size_t significant = i;
  std::uint64_t digits = 0;  // wraps only beyond kMaxDigits, which is refused
  for (; i < n && isDigit(text[i]); ++i) digits = digits * 10 + static_cast<std::uint64_t>(text[i] - '0');
  size_t count = i - significant;
  bool any = i > first;
  size_t fraction = 0;
  if (i < n && text[i] == '.') {
    const size_t start = ++i;
    for (; i < n && isDigit(text[i]); ++i) digits = digits * 10 + static_cast<std::uint64_t>(text[i] - '0');
    fraction = i - start;
    count += fraction;
    any = any || fraction > 0;
  }
  if (i != n || !any || count > kMaxDigits || shift < 0 || shift > kMostShift) return false;
  const double magnitude = static_cast<double>(digits) / kPowers[fraction + static_cast<size_t>(shift)];
  value = negative ? -magnitude : magnitude;
  return true;
}

double ParseNumber(std::string_view text) {
  if (double fast; ParsePlainDecimal(text, 0, fast)) return fast;
  DecimalValue d;
  if (!ReadDecimal(text, d)) return kNoValue;
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

namespace {
// The rounding below, done on the binary value scaled by 10^decimals, for a
// value whose scaled text lies clearly off the half of the last place: the
// shortest text of the value is within half a binary unit of it, and so is
// the product, so both round to the same integer. Values near a half (a
// text such as 1.000005 at five places) and large products take the
// digit way. False when the value takes another way.
bool FormatScaled(int decimals, double value, std::string& out) {
  constexpr double kLargest = 1e15;
  constexpr double kLargestScaled = 0x1p50;
  // Both errors are below |scaled| * 2^-52; the margin is sixteen times that.
  constexpr double kMargin = 0x1p-48;
  if (decimals < 0 || decimals > 15 || !(std::fabs(value) < kLargest)) return false;
  const double scaled = std::fabs(value) * kPowers[decimals];
  if (!(scaled < kLargestScaled)) return false;
  const double whole = std::floor(scaled);
  const double fraction = scaled - whole;  // exact below 2^52
  if (std::fabs(fraction - 0.5) <= scaled * kMargin) return false;
  const std::uint64_t units = static_cast<std::uint64_t>(whole) + (fraction > 0.5 ? 1 : 0);
  char buffer[48];
  char* end = buffer + sizeof buffer;
  char* p = end;
  std::uint64_t rest = units;
  for (int k = 0; k < decimals; ++k) {
    *--p = static_cast<char>('0' + rest % 10);
    rest /= 10;
  }
  if (decimals > 0) *--p = '.';
  do {
    *--p = static_cast<char>('0' + rest % 10);
    rest /= 10;
  } while (rest > 0);
  if (value < 0 && units > 0) *--p = '-';
  out.assign(p, static_cast<size_t>(end - p));
  return true;
}

// The rounding below, done on the digits of the shortest fixed text, for the
// values whose fixed text holds just the shortest significant digits
// (magnitude below 1e15, integers exact) and a short decimals count. False
// when the value takes the general way.
bool FormatShortFixed(int decimals, double value, std::string& out) {
  constexpr double kLargest = 1e15;
  constexpr int kMostDecimals = 20;
  if (!(std::fabs(value) < kLargest) || decimals < 0 || decimals > kMostDecimals) return false;
  char buffer[48];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  if (ec != std::errc()) return false;  // far below a unit of the last place: many zeros
  const char* p = buffer;
  const bool negative = *p == '-';
  if (negative) ++p;
  const char* point = std::find(p, static_cast<const char*>(end), '.');
  const char* fraction = point == end ? end : point + 1;
  const size_t fractionDigits = static_cast<size_t>(end - fraction);
  const size_t places = static_cast<size_t>(decimals);
  // Integer digits, then exactly places decimals.
  char digits[64];
  size_t n = 0;
  for (const char* q = p; q < point; ++q) digits[n++] = *q;
  const size_t whole = n;
  for (size_t k = 0; k < places; ++k) digits[n++] = k < fractionDigits ? fraction[k] : '0';
  // Shortest digits end in a non-zero digit, so a dropped 5 is a half only
  // when it is the last one: half away from zero rounds up either way.
  if (fractionDigits > places && fraction[places] >= '5') {
    size_t k = n;
    while (k > 0 && digits[k - 1] == '9') digits[--k] = '0';
    if (k == 0) {
      out.assign(1, '1');
    } else {
      ++digits[k - 1];
      out.clear();
    }
  } else {
    out.clear();
  }
  out.append(digits, whole);
  if (places > 0) {
    out += '.';
    out.append(digits + whole, places);
  }
  if (negative && out.find_first_not_of("0.") != std::string::npos) out.insert(out.begin(), '-');
  return true;
}
}  // namespace

std::string FormatNumber(int decimals, double value) {
  if (IsNoValue(value) || !std::isfinite(value)) return {};
  if (std::string fast; FormatScaled(decimals, value, fast) || FormatShortFixed(decimals, value, fast)) return fast;
  // The shortest text that reads back as this double is the decimal value
  // the caller meant; rounding it avoids the binary neighbour (1.0005 is
  // stored as 1.000499999...). The scientific form keeps only the shortest
  // significant digits also for large values, where the fixed form would
  // spell out the binary integer.
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
  if (ec != std::errc()) return {};
  DecimalValue d;
  if (!ReadDecimal(std::string_view(buffer, static_cast<size_t>(end - buffer)), d)) return {};
  const int places = ClampDecimals(decimals);
  RoundDecimal(d, places, DecimalRounding::HalfAwayFromZero);
  return FixedDecimalText(d, places);
}

std::string ReformatNumber(const std::string& text, int decimals) {
  DecimalValue d;
  if (!NumericValue(text, d)) return {};
  const int places = ClampDecimals(decimals);
  RoundDecimal(d, places, DecimalRounding::HalfAwayFromZero);
  return FixedDecimalText(d, places);
}

std::string ScaleNumber(const std::string& text, int n) {
  DecimalValue d;
  if (!NumericValue(text, d)) return {};
  if (n < 0) {
    const int64_t places = -static_cast<int64_t>(n);
    if (places > kMaxDecimals) return {};
    if (!d.IsZero()) d.exponent -= places;
    RoundDecimal(d, places, DecimalRounding::HalfAwayFromZero);
    return FixedDecimalText(d, places);
  }
  if (!d.IsZero()) d.exponent += n;
  RoundDecimal(d, 0, DecimalRounding::HalfEven);
  if (d.IsZero()) return "0";
  // Counts of units must fit a signed 64-bit integer.
  if (d.Magnitude() > 19) return {};
  std::string units = FixedDecimalText(d, 0);
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
