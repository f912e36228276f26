#define WGSXYZ_BUILDING_LIBRARY
#include "wgsxyz/WGSXYZ.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "wgsxyz/Angles.h"
#include "wgsxyz/CoordinateBlock.h"
#include "wgsxyz/CoordinateSystems.h"
#include "wgsxyz/Texts.h"
#if WGSXYZ_WITH_DIALOG
#include "wgsxyz/SystemDialog.h"
#endif

using namespace veltro::wgsxyz;

namespace {

std::string g_chosen;  // the text ShowParams returned last

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

void WriteTriple(unsigned char* block, std::size_t a, std::size_t b, std::size_t c, const Triple& t) {
  WriteExtended(block, a, t.a);
  WriteExtended(block, b, t.b);
  WriteExtended(block, c, t.c);
}

bool BlockUsable(const unsigned char* block) { return block[kStatusOffset] == kStatusUsable; }

// The active system text in place (zero-terminated within its field).
std::string_view SystemText(const unsigned char* block) {
  const auto* text = reinterpret_cast<const char*>(block + kSystemTextOffset);
  return std::string_view(text, strnlen(text, kSystemTextSize));
}

}  // namespace

extern "C" {

void SetLanguageStrings(const char* texts) noexcept {
  try {
    SetLanguageLines(texts);
  } catch (...) {
  }
}

void GetAktivSystem(unsigned char* block, const char* directory, const char* activeSystem,
                    unsigned char administrator) noexcept {
  if (!block) return;
  std::memset(block, 0, kBlockSize);
  block[kStatusOffset] = kStatusUnusable;
  try {
    std::string text = activeSystem ? NormaliseSystemText(activeSystem) : std::string();
    if (text.empty()) text = kDefaultSystem;
    Systems().Reset(directory ? directory : "");
    const SystemInfo& info = Systems().Describe(text);
    const bool stored = WriteText(block, kSystemTextOffset, kSystemTextSize, info.text);
    WriteText(block, kSystemNameOffset, kSystemNameSize, info.name.substr(0, kSystemNameSize - 1));
    block[kGeoidHeightsOffset] = info.heightName.empty() ? 0 : 1;
    block[kAdministratorOffset] = administrator ? 1 : 0;
    block[kStatusOffset] = info.Usable() && stored ? kStatusUsable : kStatusUnusable;
  } catch (...) {
    block[kStatusOffset] = kStatusUnusable;
  }
}

const char* ShowParams(const char* activeSystem, int32_t centreX, int32_t top, int32_t, int32_t) noexcept {
  try {
    g_chosen = activeSystem ? activeSystem : "";
#if WGSXYZ_WITH_DIALOG
    std::string chosen;
    if (ChooseSystem(g_chosen.empty() ? std::string(kDefaultSystem) : g_chosen, centreX, top, chosen))
      g_chosen = chosen;
#else
    (void)centreX;
    (void)top;
#endif
  } catch (...) {
  }
  return g_chosen.c_str();
}

void WGS84ToXYZ(unsigned char* block) noexcept {
  if (!block) return;
  Triple grid{kNaN, kNaN, kNaN};
  try {
    const int32_t mode = ReadInt32(block, kModeOffset);
    Triple geographic{0, 0, ReadExtended(block, kGeoHeightOffset)};
    Triple result;
    if (BlockUsable(block) && UnpackAngle(ReadExtended(block, kLongitudeOffset), mode, geographic.a) &&
        UnpackAngle(ReadExtended(block, kLatitudeOffset), mode, geographic.b) &&
        Systems().ToGrid(SystemText(block), geographic, result))
      grid = result;
  } catch (...) {
  }
  WriteTriple(block, kGridYOffset, kGridXOffset, kGridHeightOffset, grid);
}

void XYZToWGS84(unsigned char* block) noexcept {
  if (!block) return;
  Triple packed{kNaN, kNaN, kNaN};
  try {
    const int32_t mode = ReadInt32(block, kModeOffset);
    const Triple grid{ReadExtended(block, kGridYOffset), ReadExtended(block, kGridXOffset),
                      ReadExtended(block, kGridHeightOffset)};
    Triple geographic, result;
    if (BlockUsable(block) &&
        Systems().ToGeographic(SystemText(block), grid, geographic) &&
        PackAngle(geographic.a, mode, result.a) && PackAngle(geographic.b, mode, result.b)) {
      result.c = geographic.c;
      packed = result;
    }
  } catch (...) {
  }
  WriteTriple(block, kLongitudeOffset, kLatitudeOffset, kGeoHeightOffset, packed);
}

}  // extern "C"
