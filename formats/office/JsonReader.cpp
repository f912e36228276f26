#include "formats/office/JsonReader.h"

#include <cstdio>

namespace veltro {

std::string JsonQuoted(const std::string& utf8) {
  std::string out = "\"";
  for (char ch : utf8) {
    const unsigned char c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\u%04x", c);
          out += hex;
        } else {
          out += ch;
        }
    }
  }
  return out + "\"";
}

namespace json_detail {

std::string Unexpected(int c) {
  const unsigned char u = static_cast<unsigned char>(c);
  if (u > 0x20 && u < 0x7F) return std::string("unexpected '") + static_cast<char>(u) + "'";
  char hex[8];
  std::snprintf(hex, sizeof hex, "0x%02X", u);
  return std::string("unexpected byte ") + hex;
}

bool ValidNumber(const std::string& raw, std::string& reason) {
  reason = "not a number: " + raw;
  size_t i = 0;
  const auto digits = [&] {
    const size_t from = i;
    while (i < raw.size() && raw[i] >= '0' && raw[i] <= '9') ++i;
    return i - from;
  };
  if (i < raw.size() && raw[i] == '-') ++i;
  const size_t intStart = i;
  const size_t intDigits = digits();
  if (intDigits == 0 || (intDigits > 1 && raw[intStart] == '0')) return false;
  bool simple = true;
  if (i < raw.size() && raw[i] == '.') {
    ++i;
    if (digits() == 0) return false;
    simple = false;
  }
  if (i < raw.size() && (raw[i] == 'e' || raw[i] == 'E')) {
    ++i;
    if (i < raw.size() && (raw[i] == '+' || raw[i] == '-')) ++i;
    if (digits() == 0) return false;
    simple = false;
  }
  if (i != raw.size()) return false;
  if (simple && intDigits <= 18) return true;
  // Too large for a double is refused; too small is zero, as in any reader.
  double value = 0;
  const auto [end, ec] = std::from_chars(raw.data(), raw.data() + raw.size(), value);
  if (ec == std::errc::result_out_of_range) {
    const bool tiny = raw.find("e-") != std::string::npos || raw.find("E-") != std::string::npos;
    if (!tiny) {
      reason = "number overflow: " + raw;
      return false;
    }
  } else if (ec != std::errc() || end != raw.data() + raw.size()) {
    return false;
  }
  return true;
}

void AppendUtf8(std::string& out, unsigned cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool ValidUtf8(const std::string& text) {
  size_t i = 0;
  const size_t n = text.size();
  const auto at = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const auto tail = [&](size_t k) { return k < n && (at(k) & 0xC0) == 0x80; };
  while (i < n) {
    const unsigned char c = at(i);
    if (c < 0x80) {
      ++i;
    } else if (c >= 0xC2 && c <= 0xDF) {
      if (!tail(i + 1)) return false;
      i += 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      if (!tail(i + 1) || !tail(i + 2)) return false;
      if ((c == 0xE0 && at(i + 1) < 0xA0) || (c == 0xED && at(i + 1) > 0x9F)) return false;  // overlong, surrogate
      i += 3;
    } else if (c >= 0xF0 && c <= 0xF4) {
      if (!tail(i + 1) || !tail(i + 2) || !tail(i + 3)) return false;
      if ((c == 0xF0 && at(i + 1) < 0x90) || (c == 0xF4 && at(i + 1) > 0x8F)) return false;  // overlong, > U+10FFFF
      i += 4;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace json_detail
}  // namespace veltro
