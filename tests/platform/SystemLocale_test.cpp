#include "platform/SystemLocale.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <optional>
#include <string>

namespace veltro::test {
namespace {

// Replaces the locale variables of the environment for one test.
class LocaleEnvironment {
 public:
  LocaleEnvironment() {
    for (size_t i = 0; i < std::size(kNames); ++i) {
      if (const char* v = std::getenv(kNames[i])) saved_[i] = v;
      ::unsetenv(kNames[i]);
    }
  }
  ~LocaleEnvironment() {
    for (size_t i = 0; i < std::size(kNames); ++i) {
      if (saved_[i])
        ::setenv(kNames[i], saved_[i]->c_str(), 1);
      else
        ::unsetenv(kNames[i]);
    }
  }

 private:
  static constexpr const char* kNames[] = {"LC_ALL", "LC_NUMERIC", "LC_TIME", "LANG"};
  std::optional<std::string> saved_[std::size(kNames)];
};

bool Installed(const char* name) {
  locale_t loc = ::newlocale(LC_ALL_MASK, name, nullptr);
  if (loc) ::freelocale(loc);
  return loc != nullptr;
}

TEST(SystemLocale, WithoutLocaleTheDefaultsStand) {
  LocaleEnvironment env;
  SystemSeparators s = ReadSystemSeparators();
  EXPECT_EQ(s.decimal, '.');
  EXPECT_EQ(s.date, '.');
  EXPECT_EQ(s.time, ':');
  ::setenv("LANG", "C.UTF-8", 1);
  s = ReadSystemSeparators();
  EXPECT_EQ(s.date, '.');
}

TEST(SystemLocale, AnUnknownLocaleKeepsTheDefaults) {
  LocaleEnvironment env;
  ::setenv("LANG", "xx_YY.NOPE", 1);
  SystemSeparators s = ReadSystemSeparators();
  EXPECT_EQ(s.decimal, '.');
  EXPECT_EQ(s.date, '.');
  EXPECT_EQ(s.time, ':');
}

TEST(SystemLocale, GermanLocaleUsesCommaAndPoint) {
  const char* name = Installed("de_DE.UTF-8") ? "de_DE.UTF-8" : Installed("de_DE") ? "de_DE" : nullptr;
  if (!name) GTEST_SKIP() << "no German locale installed";
  LocaleEnvironment env;
  ::setenv("LANG", "C", 1);
  ::setenv("LC_NUMERIC", name, 1);
  ::setenv("LC_TIME", name, 1);
  SystemSeparators s = ReadSystemSeparators();
  EXPECT_EQ(s.decimal, ',');
  EXPECT_EQ(s.date, '.');
  EXPECT_EQ(s.time, ':');
}

TEST(SystemLocale, UseDotDecimalLocaleSetsTheCNumericLocale) {
  UseDotDecimalLocale();
  EXPECT_STREQ(std::localeconv()->decimal_point, ".");
  EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
}

}  // namespace
}  // namespace veltro::test
