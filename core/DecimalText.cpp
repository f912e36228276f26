#include "core/DecimalText.h"

#include <algorithm>
#include <cstdlib>

namespace veltro {
namespace {

constexpr int kMaxExponent = 308;
// A saturated exponent: far outside anything a double or a field can hold.
constexpr int64_t kExponentLimit = int64_t{1} << 40;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string StripLeadingZeros(const std::string& digits) {
  size_t i = 0;
  while (i + 1 < digits.size() && digits[i] == '0') ++i;
  return digits.substr(i);
}

bool IsZero(const DecimalNumber& n) { return n.digits.find_first_not_of('0') == std::string::npos; }

DecimalNumber Normalised(DecimalNumber n) {
  n.digits = StripLeadingZeros(n.digits.empty() ? std::string("0") : n.digits);
  if (IsZero(n)) n.negative = false;
  return n;
}

// Digits of n with scale raised to `scale` (>= n.scale).
std::string Scaled(const DecimalNumber& n, int scale) {
  return n.digits + std::string(static_cast<size_t>(scale - n.scale), '0');
}

int CompareMagnitude(const std::string& a, const std::string& b) {
  const std::string x = StripLeadingZeros(a);
  const std::string y = StripLeadingZeros(b);
  if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
  return x.compare(y) < 0 ? -1 : (x.compare(y) > 0 ? 1 : 0);
}

std::string AddDigits(const std::string& a, const std::string& b) {
  std::string out;
  int carry = 0;
  for (size_t i = 0; i < std::max(a.size(), b.size()) || carry; ++i) {
    int s = carry;
    if (i < a.size()) s += a[a.size() - 1 - i] - '0';
    if (i < b.size()) s += b[b.size() - 1 - i] - '0';
    out.push_back(static_cast<char>('0' + s % 10));
    carry = s / 10;
  }
  std::reverse(out.begin(), out.end());
  return StripLeadingZeros(out);
}

// a - b for magnitudes a >= b.
std::string SubtractDigits(const std::string& a, const std::string& b) {
  std::string out;
  int borrow = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    int d = a[a.size() - 1 - i] - '0' - borrow;
    if (i < b.size()) d -= b[b.size() - 1 - i] - '0';
    borrow = d < 0 ? 1 : 0;
    if (d < 0) d += 10;
    out.push_back(static_cast<char>('0' + d));
  }
  std::reverse(out.begin(), out.end());
  return StripLeadingZeros(out);
}

}  // namespace

bool ReadDecimal(std::string_view text, DecimalValue& out, int64_t* writtenScale) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  out.negative = false;
  out.digits.clear();
  out.exponent = 0;
  if (i < n && (text[i] == '+' || text[i] == '-')) out.negative = text[i++] == '-';
  size_t mantissaDigits = 0;
  int64_t fractionDigits = 0;
  const size_t start = i;
  while (i < n && IsDigit(text[i])) ++i;
  mantissaDigits = i - start;
  out.digits.assign(text.data() + start, mantissaDigits);
  if (i < n && text[i] == '.') {
    const size_t fraction = ++i;
    while (i < n && IsDigit(text[i])) ++i;
    fractionDigits = static_cast<int64_t>(i - fraction);
    mantissaDigits += i - fraction;
    out.digits.append(text.data() + fraction, i - fraction);
  }
  if (mantissaDigits == 0) return false;
  int64_t exponent = 0;
  if (i < n && (text[i] == 'E' || text[i] == 'e')) {
    ++i;
    bool negativeExponent = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negativeExponent = text[i++] == '-';
    size_t expDigits = 0;
    for (; i < n && IsDigit(text[i]); ++i, ++expDigits)
      if (exponent < kExponentLimit) exponent = exponent * 10 + (text[i] - '0');
    if (expDigits == 0) return false;
    if (negativeExponent) exponent = -exponent;
  }
  if (i != n) return false;
  if (writtenScale) *writtenScale = fractionDigits - exponent;
  out.exponent = exponent - fractionDigits;
  // Normalised: no leading or trailing zeros, nothing for zero.
  const size_t lead = out.digits.find_first_not_of('0');
  if (lead == std::string::npos) {
    out.digits.clear();
    out.exponent = 0;
    return true;
  }
  const size_t last = out.digits.find_last_not_of('0');
  out.exponent += static_cast<int64_t>(out.digits.size() - 1 - last);
  out.digits.erase(last + 1);
  out.digits.erase(0, lead);
  return true;
}

void RoundDecimal(DecimalValue& d, int64_t decimals, DecimalRounding mode) {
  if (d.IsZero() || d.exponent >= -decimals) return;
  const int64_t drop = -decimals - d.exponent;
  const int64_t size = static_cast<int64_t>(d.digits.size());
  if (drop > size) {  // below half a unit of the last place
    d.digits.clear();
    d.exponent = 0;
    return;
  }
  const char first = d.digits[static_cast<size_t>(size - drop)];
  const bool more = drop > 1;  // normalised: any further digit is non-zero
  d.digits.resize(static_cast<size_t>(size - drop));
  bool up = false;
  if (first > '5' || (first == '5' && more)) {
    up = true;
  } else if (first == '5') {
    up = mode == DecimalRounding::HalfAwayFromZero || (!d.digits.empty() && (d.digits.back() - '0') % 2 == 1);
  }
  if (up) {
    size_t k = d.digits.size();
    while (k > 0 && d.digits[k - 1] == '9') d.digits[--k] = '0';
    if (k == 0)
      d.digits.insert(d.digits.begin(), '1');
    else
      ++d.digits[k - 1];
  }
  d.exponent = -decimals;
  const size_t last = d.digits.find_last_not_of('0');
  if (last == std::string::npos) {
    d.digits.clear();
    d.exponent = 0;
    return;
  }
  d.exponent += static_cast<int64_t>(d.digits.size() - 1 - last);
  d.digits.erase(last + 1);
}

std::string FixedDecimalText(const DecimalValue& d, int64_t decimals) {
  std::string out;
  if (!d.IsZero() && d.negative) out += '-';
  // The value times 10^decimals as an integer, at least decimals + 1 digits.
  const size_t zeros = d.IsZero() ? 0 : static_cast<size_t>(d.exponent + decimals);
  const size_t units = (d.IsZero() ? 1 : d.digits.size()) + zeros;
  const size_t d10 = static_cast<size_t>(decimals);
  const size_t lead = units <= d10 ? d10 + 1 - units : 0;
  out.reserve(out.size() + lead + units + 1);
  out.append(lead, '0');
  if (d.IsZero())
    out += '0';
  else
    out += d.digits;
  out.append(zeros, '0');
  if (decimals > 0) out.insert(out.size() - d10, 1, '.');
  return out;
}

std::optional<DecimalNumber> ParseDecimal(const std::string& text) {
  DecimalValue v;
  int64_t written = 0;
  if (!ReadDecimal(text, v, &written)) return std::nullopt;
  // An exponent beyond what a double holds.
  if (const size_t e = text.find_first_of("Ee"); e != std::string::npos) {
    size_t i = e + 1;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    int64_t exponent = 0;
    for (; i < text.size() && exponent <= kMaxExponent; ++i) exponent = exponent * 10 + (text[i] - '0');
    if (exponent > kMaxExponent) return std::nullopt;
  }
  DecimalNumber n;
  n.negative = v.negative && !v.IsZero();
  n.scale = static_cast<int>(std::max<int64_t>(written, 0));
  if (v.IsZero()) {
    n.digits = "0";
  } else {
    n.digits = std::move(v.digits);
    n.digits.append(static_cast<size_t>(v.exponent + n.scale), '0');
  }
  return n;
}

DecimalNumber AddDecimal(const DecimalNumber& a, const DecimalNumber& b) {
  const int scale = std::max(a.scale, b.scale);
  const std::string x = Scaled(a, scale);
  const std::string y = Scaled(b, scale);
  DecimalNumber r;
  r.scale = scale;
  if (a.negative == b.negative) {
    r.digits = AddDigits(x, y);
    r.negative = a.negative;
  } else if (CompareMagnitude(x, y) >= 0) {
    r.digits = SubtractDigits(x, y);
    r.negative = a.negative;
  } else {
    r.digits = SubtractDigits(y, x);
    r.negative = b.negative;
  }
  return Normalised(r);
}

DecimalNumber SubtractDecimal(const DecimalNumber& a, const DecimalNumber& b) {
  DecimalNumber negated = b;
  negated.negative = !b.negative;
  return AddDecimal(a, negated);
}

std::string FormatDecimal(const DecimalNumber& value, int decimals) {
  decimals = std::max(decimals, 0);
  DecimalValue v;
  v.negative = value.negative;
  const size_t lead = value.digits.find_first_not_of('0');
  if (lead != std::string::npos) {
    const size_t last = value.digits.find_last_not_of('0');
    v.digits = value.digits.substr(lead, last + 1 - lead);
    v.exponent = static_cast<int64_t>(value.digits.size() - 1 - last) - value.scale;
  }
  RoundDecimal(v, decimals, DecimalRounding::HalfAwayFromZero);
  return FixedDecimalText(v, decimals);
}

int DecimalsAfterPoint(const std::string& text) {
  const size_t p = text.find('.');
  return p == std::string::npos ? 0 : static_cast<int>(text.size() - p - 1);
}

}  // namespace veltro
