#include "wgsxyz/Angles.h"

#include <cmath>

#include "wgsxyz/CoordinateBlock.h"

namespace veltro::wgsxyz {
namespace {

// Packed values are split in whole units of 1e-10 of the packed number, so
// that 47.30 is 47 degrees 30 minutes and not 29.999999... minutes.
constexpr double kPackedScale = 1e10;
constexpr int64_t kPackedUnitsPerDegree = 10000000000LL;
constexpr int64_t kPackedUnitsPerMinute = 100000000LL;  // DD.MM
constexpr double kPackedUnitsPerSecond = 1000000.0;     // DD.MMSS
constexpr double kLargestAngle = 1000.0;                // far beyond any longitude

constexpr int64_t kMinuteSteps = 100000;   // mode 1 resolution: 1e-5 minute
constexpr int64_t kSecondSteps = 1000000;  // mode 2 resolution: 1e-6 second

}  // namespace

bool UnpackAngle(double packed, int32_t mode, double& degrees) {
  if (!std::isfinite(packed)) return false;
  if (mode == kModeDegrees) {
    degrees = packed;
    return true;
  }
  if (mode != kModeDegreesMinutes && mode != kModeDegreesMinutesSeconds) return false;
  const double magnitude = std::fabs(packed);
  if (magnitude > kLargestAngle) return false;
  const int64_t units = std::llround(magnitude * kPackedScale);
  const int64_t whole = units / kPackedUnitsPerDegree;
  const int64_t rest = units % kPackedUnitsPerDegree;
  double value;
  if (mode == kModeDegreesMinutes) {
    const double minutes = static_cast<double>(rest) / kPackedUnitsPerMinute;
    if (minutes >= 60) return false;
    value = static_cast<double>(whole) + minutes / 60;
  } else {
    const int64_t minutes = rest / kPackedUnitsPerMinute;
    const double seconds = static_cast<double>(rest % kPackedUnitsPerMinute) / kPackedUnitsPerSecond;
    if (minutes >= 60 || seconds >= 60) return false;
    value = static_cast<double>(whole) + static_cast<double>(minutes) / 60 + seconds / 3600;
  }
  degrees = std::signbit(packed) ? -value : value;
  return true;
}

bool PackAngle(double degrees, int32_t mode, double& packed) {
  if (!std::isfinite(degrees)) return false;
  if (mode == kModeDegrees) {
    packed = degrees;
    return true;
  }
  if (mode != kModeDegreesMinutes && mode != kModeDegreesMinutesSeconds) return false;
  const double magnitude = std::fabs(degrees);
  if (magnitude > kLargestAngle) return false;
  double value;
  if (mode == kModeDegreesMinutes) {
    const int64_t steps = std::llround(magnitude * 60 * kMinuteSteps);
    const int64_t whole = steps / (60 * kMinuteSteps);
    const double minutes = static_cast<double>(steps % (60 * kMinuteSteps)) / kMinuteSteps;
    value = static_cast<double>(whole) + minutes / 100;
  } else {
    const int64_t steps = std::llround(magnitude * 3600 * kSecondSteps);
    const int64_t whole = steps / (3600 * kSecondSteps);
    const int64_t rest = steps % (3600 * kSecondSteps);
    const int64_t minutes = rest / (60 * kSecondSteps);
    const double seconds = static_cast<double>(rest % (60 * kSecondSteps)) / kSecondSteps;
    value = static_cast<double>(whole) + static_cast<double>(minutes) / 100 + seconds / 10000;
  }
  packed = degrees < 0 ? -value : value;
  return true;
}

}  // namespace veltro::wgsxyz
