#include "core/DecimalText.h"

#include <algorithm>
#include <cstdlib>

namespace veltro {
namespace {

constexpr int kMaxExponent = 308;

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

std::optional<DecimalNumber> ParseDecimal(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  DecimalNumber n;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) n.negative = text[i++] == '-';
  std::string digits;
  int scale = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      digits.push_back(c);
      if (point) ++scale;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits.empty()) return std::nullopt;
  long exponent = 0;
  if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
    ++i;
    bool negativeExponent = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negativeExponent = text[i++] == '-';
    const size_t start = i;
    while (i < text.size() && IsDigit(text[i]) && exponent <= kMaxExponent)
      exponent = exponent * 10 + (text[i++] - '0');
    if (i == start || exponent > kMaxExponent) return std::nullopt;
    if (negativeExponent) exponent = -exponent;
  }
  if (i != text.size()) return std::nullopt;
  long s = scale - exponent;
  if (s < 0) {
    digits.append(static_cast<size_t>(-s), '0');
    s = 0;
  }
  n.digits = digits;
  n.scale = static_cast<int>(s);
  return Normalised(n);
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
  std::string digits;
  if (value.scale <= decimals) {
    digits = Scaled(value, decimals);
  } else {
    const size_t cut = static_cast<size_t>(value.scale - decimals);
    std::string kept = value.digits.size() > cut ? value.digits.substr(0, value.digits.size() - cut) : "0";
    const char first = value.digits.size() >= cut ? value.digits[value.digits.size() - cut] : '0';
    digits = first >= '5' ? AddDigits(kept, "1") : StripLeadingZeros(kept);
  }
  if (digits.size() <= static_cast<size_t>(decimals))
    digits.insert(0, static_cast<size_t>(decimals) + 1 - digits.size(), '0');
  std::string out = digits.substr(0, digits.size() - static_cast<size_t>(decimals));
  if (decimals > 0) out += "." + digits.substr(digits.size() - static_cast<size_t>(decimals));
  const bool zero = digits.find_first_not_of('0') == std::string::npos;
  return (value.negative && !zero ? "-" : "") + out;
}

int DecimalsAfterPoint(const std::string& text) {
  const size_t p = text.find('.');
  return p == std::string::npos ? 0 : static_cast<int>(text.size() - p - 1);
}

}  // namespace veltro
