// Calendar arithmetic on date-times (days since 30 December 1899, the
// fraction being the time of day), proleptic Gregorian.
#pragma once

namespace veltro {

struct CivilDate {
  int year = 1899;
  int month = 12;
  int day = 30;
};

bool IsValidDate(int year, int month, int day);
// Day number of a valid date; 0 for an invalid one (which is also 1899-12-30).
double EncodeDate(int year, int month, int day);
CivilDate DecodeDate(double dateTime);
// Fraction of a day; false for values outside 0:00:00 to 23:59:59.
bool EncodeTime(int hour, int minute, int second, double& fraction);
void DecodeTime(double dateTime, int& hour, int& minute, int& second);

}  // namespace veltro
