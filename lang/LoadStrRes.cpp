// The one export of a language library:
//
//   const char* LoadStrRes(int32_t number)
//
// answers the code page 1252 text with that number, "" for a number the
// library does not hold. The text stays valid as long as the library is
// loaded. A text that does not fit code page 1252 is served as "" (the tests
// of the libraries catch that).
#include <cstdint>
#include <map>
#include <string>

#include "lang/LanguageTable.h"

#define VELTRO_LANG_EXPORT extern "C" __attribute__((visibility("default")))

namespace veltro::lang {
namespace {

// Code page 1252 bytes 0x80-0x9F; the rest of the page equals Latin-1.
constexpr char32_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool ToCp1252(char32_t c, std::string& out) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
    out += static_cast<char>(c);
    return true;
  }
  for (int i = 0; i < 32; ++i)
    if (kCp1252High[i] == c) {
      out += static_cast<char>(0x80 + i);
      return true;
    }
  return false;
}

// UTF-8 to code page 1252; false for malformed input or a character the
// code page lacks.
bool Utf8ToCp1252(const char* text, std::string& out) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  while (*p) {
    char32_t c = *p;
    int more = 0;
    if (c >= 0xF0) {
      c &= 0x07;
      more = 3;
    } else if (c >= 0xE0) {
      c &= 0x0F;
      more = 2;
    } else if (c >= 0xC0) {
      c &= 0x1F;
      more = 1;
    } else if (c >= 0x80) {
      return false;
    }
    ++p;
    for (int i = 0; i < more; ++i, ++p) {
      if ((*p & 0xC0) != 0x80) return false;
      c = (c << 6) | (*p & 0x3F);
    }
    if (!ToCp1252(c, out)) return false;
  }
  return true;
}

const std::map<int, std::string>& Texts() {
  static const std::map<int, std::string> texts = [] {
    std::map<int, std::string> m;
    for (std::size_t i = 0; i < kLanguageTextCount; ++i) {
      std::string converted;
      if (!Utf8ToCp1252(kLanguageTexts[i].text, converted)) converted.clear();
      m.emplace(kLanguageTexts[i].number, std::move(converted));
    }
    return m;
  }();
  return texts;
}

}  // namespace
}  // namespace veltro::lang

VELTRO_LANG_EXPORT const char* LoadStrRes(int32_t number) noexcept {
  try {
    const auto& texts = veltro::lang::Texts();
    auto it = texts.find(number);
    return it == texts.end() ? "" : it->second.c_str();
  } catch (...) {
    return "";
  }
}
