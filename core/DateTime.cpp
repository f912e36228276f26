#include "core/DateTime.h"

#include <cmath>

namespace veltro {
namespace {
constexpr long kUnixEpochDay = 25569;  // 1970-01-01 as day number

long DaysFromCivil(long y, long m, long d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

CivilDate CivilFromDays(long z) {
  z += 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const long doe = z - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long y = yoe + era * 400;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  const long d = doy - (153 * mp + 2) / 5 + 1;
  const long m = mp + (mp < 10 ? 3 : -9);
  return CivilDate{static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}
}  // namespace

bool IsValidDate(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  int max = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
  return day <= max;
}

double EncodeDate(int year, int month, int day) {
  if (!IsValidDate(year, month, day)) return 0;
  return static_cast<double>(DaysFromCivil(year, month, day) + kUnixEpochDay);
}

CivilDate DecodeDate(double dateTime) {
  if (!std::isfinite(dateTime) || std::fabs(dateTime) > 3.0e6) return CivilDate{};
  long days = static_cast<long>(std::floor(dateTime));
  return CivilFromDays(days - kUnixEpochDay);
}

bool EncodeTime(int hour, int minute, int second, double& fraction) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) return false;
  fraction = (hour * 3600 + minute * 60 + second) / 86400.0;
  return true;
}

void DecodeTime(double dateTime, int& hour, int& minute, int& second) {
  hour = minute = second = 0;
  if (!std::isfinite(dateTime)) return;
  double frac = dateTime - std::floor(dateTime);
  long secs = std::lround(frac * 86400.0);
  if (secs >= 86400) secs = 86399;
  hour = static_cast<int>(secs / 3600);
  minute = static_cast<int>(secs / 60 % 60);
  second = static_cast<int>(secs % 60);
}

}  // namespace veltro
