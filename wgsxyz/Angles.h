// Packed angle forms of the geographic triple (modes of the block).
#pragma once

#include <cstdint>

namespace veltro::wgsxyz {

// Degrees from a packed value in the given mode; false for an unknown mode,
// a value that is not finite, or minutes or seconds of 60 and more.
bool UnpackAngle(double packed, int32_t mode, double& degrees);

// Packed value of degrees in the given mode. Mode 1 is rounded to 0.00001
// minute (the waypoint sentence's resolution) and mode 2 to 0.000001
// second, carrying into minutes and degrees, so that no written value shows
// 60 minutes or seconds. False for an unknown mode or a value not finite.
bool PackAngle(double degrees, int32_t mode, double& packed);

}  // namespace veltro::wgsxyz
