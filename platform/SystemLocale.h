// The system's own number and date conventions, read from the environment's
// locale (LANG, LC_ALL, LC_NUMERIC, LC_TIME).
#pragma once

namespace veltro {

struct SystemSeparators {
  char decimal = '.';
  char date = '.';
  char time = ':';
};

// The separators of the environment's locale. Without a configured locale
// ("C", "POSIX" or nothing) the defaults above stand. Changes no global state.
SystemSeparators ReadSystemSeparators();

// Makes the C library and the C++ global locale format and parse numbers
// with "." whatever the environment says.
void UseDotDecimalLocale();

}  // namespace veltro
