#include "platform/Clock.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace veltro {
namespace {
double g_frozen = 0;
bool g_envChecked = false;

// Days from 1899-12-30 to the given civil date (proleptic Gregorian).
long DaysFromCivil(int y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long>(doe) - 719468 + 25569;  // 1970-01-01 is day 25569
}
}  // namespace

void FreezeClock(double dateTime) {
  g_frozen = dateTime;
  g_envChecked = true;
}

double NowDateTime() {
  if (!g_envChecked) {
    g_envChecked = true;
    if (const char* env = std::getenv("VELTRO_FREEZE_TIME")) {
      int y = 0, m = 0, d = 0;
      if (std::sscanf(env, "%d-%d-%d", &y, &m, &d) == 3 && m >= 1 && m <= 12 && d >= 1 && d <= 31)
        g_frozen = static_cast<double>(DaysFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d)));
    }
  }
  if (g_frozen != 0) return g_frozen;
  std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  double days = static_cast<double>(DaysFromCivil(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                                                  static_cast<unsigned>(local.tm_mday)));
  return days + (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) / 86400.0;
}

}  // namespace veltro
