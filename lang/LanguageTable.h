// The texts of one language library: text number and text. The texts are
// written in UTF-8 for editing and served in code page 1252.
#pragma once

#include <cstddef>

namespace veltro::lang {

struct LanguageText {
  int number;
  const char* text;
};

extern const LanguageText kLanguageTexts[];
extern const std::size_t kLanguageTextCount;

}  // namespace veltro::lang
