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
#include "platform/CodePage1252.h"

#define VELTRO_LANG_EXPORT extern "C" __attribute__((visibility("default")))

namespace veltro::lang {
namespace {

const std::map<int, std::string>& Texts() {
  static const std::map<int, std::string> texts = [] {
    std::map<int, std::string> m;
    for (std::size_t i = 0; i < kLanguageTextCount; ++i) {
      std::string converted;
      if (!Utf8ToAnsiExact(kLanguageTexts[i].text, converted)) converted.clear();
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
