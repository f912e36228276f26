#include "platform/CodePage1252.h"

namespace veltro {
namespace {
// Positions 0x80-0x9F; the rest of the page equals Latin-1.
constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                                0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t u) {
  if (u < 0x80) {
    out += static_cast<char>(u);
  } else if (u < 0x800) {
    out += static_cast<char>(0xC0 | (u >> 6));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else if (u < 0x10000) {
    out += static_cast<char>(0xE0 | (u >> 12));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (u >> 18));
    out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  }
}
}  // namespace

char32_t Cp1252ToUnicode(unsigned char c) { return c >= 0x80 && c < 0xA0 ? kHigh[c - 0x80] : c; }

int UnicodeToCp1252(char32_t u) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<int>(u);
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == u) return 0x80 + i;
  return 0;
}

std::string AnsiToUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (unsigned char c : text) AppendUtf8(out, Cp1252ToUnicode(c));
  return out;
}

namespace {
// Decodes text; bad bytes and unmappable characters go to onBad, which
// answers whether to go on.
template <class OnBad>
bool DecodeUtf8(const std::string& text, std::string& out, OnBad onBad) {
  out.clear();
  out.reserve(text.size());
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    char32_t u = c;
    size_t len = 1;
    if (c >= 0xC2 && c <= 0xDF)
      len = 2, u = c & 0x1F;
    else if (c >= 0xE0 && c <= 0xEF)
      len = 3, u = c & 0x0F;
    else if (c >= 0xF0 && c <= 0xF4)
      len = 4, u = c & 0x07;
    bool valid = len == 1 ? c < 0x80 : i + len <= n;
    for (size_t k = 1; valid && k < len; ++k) {
      unsigned char cc = static_cast<unsigned char>(text[i + k]);
      if ((cc & 0xC0) != 0x80) valid = false;
      u = (u << 6) | (cc & 0x3F);
    }
    if (!valid) {
      if (!onBad(out, static_cast<char>(c), false)) return false;
      ++i;
      continue;
    }
    int b = UnicodeToCp1252(u);
    if (b) {
      out += static_cast<char>(b);
    } else if (!onBad(out, '?', true)) {
      return false;
    }
    i += len;
  }
  return true;
}
}  // namespace

std::string Utf8ToAnsi(const std::string& text) {
  std::string out;
  // Not UTF-8: the byte is taken as Latin-1; not in the code page: '?'.
  DecodeUtf8(text, out, [](std::string& o, char c, bool) {
    o += c;
    return true;
  });
  return out;
}

bool Utf8ToAnsiExact(const std::string& text, std::string& out) {
  return DecodeUtf8(text, out, [](std::string&, char, bool) { return false; });
}

std::string AnsiUpperCase(std::string text) {
  for (char& ch : text) {
    const unsigned char u = static_cast<unsigned char>(ch);
    if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7))
      ch = static_cast<char>(u - 0x20);
    else if (u == 0x9A || u == 0x9C || u == 0x9E)  // š œ ž
      ch = static_cast<char>(u - 0x10);
    else if (u == 0xFF)  // ÿ
      ch = static_cast<char>(0x9F);
  }
  return text;
}

}  // namespace veltro
