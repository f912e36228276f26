#include "platform/SystemLocale.h"

#include <langinfo.h>

#include <cctype>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <locale>
#include <string>

namespace veltro {
namespace {
// The locale name the environment gives a category, as setlocale(cat, "")
// would resolve it.
std::string EnvironmentLocale(const char* category) {
  for (const char* name : {"LC_ALL", category, "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) return value;
  }
  return {};
}

bool IsPlainLocale(const std::string& name) {
  return name.empty() || name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0;
}

// First character of a strftime layout that is neither a conversion nor a
// letter or digit: "%d.%m.%Y" gives '.'.
char LayoutSeparator(const char* layout, char fallback) {
  if (!layout) return fallback;
  for (const char* p = layout; *p; ++p) {
    if (*p == '%') {
      if (p[1] == 'E' || p[1] == 'O') ++p;
      if (p[1]) ++p;
      continue;
    }
    unsigned char c = static_cast<unsigned char>(*p);
    if (c > ' ' && c < 0x80 && !std::isalnum(c)) return *p;
  }
  return fallback;
}
}  // namespace

SystemSeparators ReadSystemSeparators() {
  SystemSeparators result;
  std::string numeric = EnvironmentLocale("LC_NUMERIC");
  if (!IsPlainLocale(numeric)) {
    if (locale_t loc = ::newlocale(LC_NUMERIC_MASK, numeric.c_str(), nullptr)) {
      const char* radix = ::nl_langinfo_l(RADIXCHAR, loc);
      if (radix && radix[0] && !radix[1]) result.decimal = radix[0];
      ::freelocale(loc);
    }
  }
  std::string time = EnvironmentLocale("LC_TIME");
  if (!IsPlainLocale(time)) {
    if (locale_t loc = ::newlocale(LC_TIME_MASK, time.c_str(), nullptr)) {
      result.date = LayoutSeparator(::nl_langinfo_l(D_FMT, loc), result.date);
      result.time = LayoutSeparator(::nl_langinfo_l(T_FMT, loc), result.time);
      ::freelocale(loc);
    }
  }
  return result;
}

void UseDotDecimalLocale() {
  std::setlocale(LC_NUMERIC, "C");
  try {
    std::locale current;
    if (current.name() != "C")
      std::locale::global(std::locale(current, std::locale::classic(), std::locale::numeric));
  } catch (const std::exception&) {
    // The C++ streams keep their locale; number text in this program does
    // not go through them.
  }
}

}  // namespace veltro
