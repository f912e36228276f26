#include "platform/Clock.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace veltro {
namespace {
double g_frozen = 0;
bool g_envChecked = false;

constexpr double kUnixEpochDay = 25569;  // 1970-01-01 as days since 1899-12-30

// Day number of a civil date, through the C library's UTC calendar.
double DayNumber(int year, int month, int day) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  return static_cast<double>(timegm(&tm) / 86400) + kUnixEpochDay;
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
        g_frozen = DayNumber(y, m, d);
    }
  }
  if (g_frozen != 0) return g_frozen;
  std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  double days = DayNumber(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  return days + (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) / 86400.0;
}

}  // namespace veltro
