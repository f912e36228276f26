// A coordinate-system library for the GPS format tests, installed as WGSXYZ
// in a folder of its own. Its "grid" is plain arithmetic that shows the
// mode the caller set: Y = 1000 * longitude, X = 1000 * latitude, height =
// ellipsoidal height + mode. Latitudes beyond 80 (X beyond 80000) cannot be
// converted: the result triple is left as the caller set it.
#include <cmath>
#include <cstdint>

#include "wgsxyz/CoordinateBlock.h"

#define DOUBLE_EXPORT extern "C" __attribute__((visibility("default")))

using namespace veltro::wgsxyz;

namespace {
constexpr double kScale = 1000;
constexpr double kLatitudeLimit = 80;
}  // namespace

DOUBLE_EXPORT void SetLanguageStrings(const char*) noexcept {}

DOUBLE_EXPORT void GetAktivSystem(unsigned char* block, const char*, const char* activeSystem, unsigned char) noexcept {
  CoordinateBlock b;
  WriteText(b.Data(), kSystemTextOffset, kSystemTextSize, activeSystem ? activeSystem : "");
  for (std::size_t i = 0; i < kBlockSize; ++i) block[i] = b.Data()[i];
}

DOUBLE_EXPORT const char* ShowParams(const char* activeSystem, int32_t, int32_t, int32_t, int32_t) noexcept {
  return activeSystem;
}

DOUBLE_EXPORT void WGS84ToXYZ(unsigned char* block) noexcept {
  const double mode = ReadInt32(block, kModeOffset);
  const double lon = ReadExtended(block, kLongitudeOffset), lat = ReadExtended(block, kLatitudeOffset);
  if (!(std::fabs(lat) <= kLatitudeLimit)) return;
  WriteExtended(block, kGridYOffset, lon * kScale);
  WriteExtended(block, kGridXOffset, lat * kScale);
  WriteExtended(block, kGridHeightOffset, ReadExtended(block, kGeoHeightOffset) + mode);
}

DOUBLE_EXPORT void XYZToWGS84(unsigned char* block) noexcept {
  const double mode = ReadInt32(block, kModeOffset);
  const double y = ReadExtended(block, kGridYOffset), x = ReadExtended(block, kGridXOffset);
  if (!(std::fabs(x) <= kLatitudeLimit * kScale)) return;
  WriteExtended(block, kLongitudeOffset, y / kScale);
  WriteExtended(block, kLatitudeOffset, x / kScale);
  WriteExtended(block, kGeoHeightOffset, ReadExtended(block, kGridHeightOffset) - mode);
}
