// Wall-clock date for file names and "current year" rules. Tests freeze it.
#pragma once

namespace veltro {

// Local date and time as days since 30 December 1899 (fraction = time of day).
double NowDateTime();

// Freezes NowDateTime() at the given value; 0 releases it. The environment
// variable VELTRO_FREEZE_TIME (YYYY-MM-DD) freezes it at start-up too.
void FreezeClock(double dateTime);

}  // namespace veltro
