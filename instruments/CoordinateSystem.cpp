#include "instruments/CoordinateSystem.h"

#include <limits>

#include "core/Settings.h"
#include "platform/Registry.h"
#include "platform/TextFile.h"
#include "wgsxyz/WGSXYZ.h"

namespace veltro {
namespace {

TCoordinateSystem* g_active = nullptr;
// The result fields before a call: a library that writes none gives no
// finite result, never the previous position or zeros.
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

TCoordinateSystem* ActiveCoordinateSystem() { return g_active; }
void SetActiveCoordinateSystem(TCoordinateSystem* system) { g_active = system; }

TCoordinateSystem::State TCoordinateSystem::Activate(const std::string& directory, const std::string& system,
                                                     bool administrator) {
  block_.Clear();
  state_ = State::NoLibrary;
  toGrid_ = toGeographic_ = nullptr;
  if (disabled_) return state_;
  if (!library_.IsLoaded()) {
    const std::string dir = directory_.empty() ? InstallationDirectory() : directory_;
    const std::string path = FindLibrary(kCoordinateSystemLibrary, dir);
    if (path.empty() || !library_.Load(path)) return state_;
  }
  auto get = library_.Export<WGSXYZGetAktivSystemFn>("GetAktivSystem");
  if (!get) return state_;
  get(block_.Data(), directory.c_str(), system.c_str(), administrator ? 1 : 0);
  toGrid_ = library_.Export<WGSXYZConvertFn>("WGS84ToXYZ");
  toGeographic_ = library_.Export<WGSXYZConvertFn>("XYZToWGS84");
  state_ = block_.Unusable() ? State::Unusable : State::Usable;
  return state_;
}

TCoordinateSystem::State TCoordinateSystem::ActivateFromSettings() {
  const std::string dir = directory_.empty() ? InstallationDirectory() : directory_;
  const std::string gpsPath =
      ReadRegString(RegistryRoot::CurrentUser, ConfigPath(kSettingGpsPath), IncludeTrailingSeparator(dir) + kGpsFolder);
  const std::string system =
      override_ ? *override_ : ReadRegString(RegistryRoot::CurrentUser, ConfigPath(kSettingGpsSystem), wgsxyz::kDefaultSystem);
  return Activate(gpsPath, system, administrator_);
}

void TCoordinateSystem::Free() {
  toGrid_ = toGeographic_ = nullptr;
  library_.Free();
  block_.Clear();
  state_ = State::NoLibrary;
}

bool TCoordinateSystem::Convert(bool toGrid, std::int32_t mode, const wgsxyz::Triple& in, wgsxyz::Triple& out) {
  if (state_ != State::Usable || !library_.IsLoaded()) return false;
  const ConvertFn convert = toGrid ? toGrid_ : toGeographic_;
  if (!convert) return false;
  block_.SetMode(mode);
  if (toGrid) {
    block_.SetGeographic(in.a, in.b, in.c);
    block_.SetGrid(kNaN, kNaN, kNaN);
  } else {
    block_.SetGrid(in.a, in.b, in.c);
    block_.SetGeographic(kNaN, kNaN, kNaN);
  }
  convert(block_.Data());
  const wgsxyz::Triple result = toGrid ? block_.Grid() : block_.Geographic();
  if (!result.Finite()) return false;
  out = result;
  return true;
}

bool TCoordinateSystem::ToGrid(std::int32_t mode, const wgsxyz::Triple& geographic, wgsxyz::Triple& grid) {
  return Convert(true, mode, geographic, grid);
}

namespace {

GpsConversion Through(bool toGrid, std::int32_t mode, const wgsxyz::Triple& in, wgsxyz::Triple& out) {
  if (!GpsConversionActive()) return GpsConversion::Unchanged;
  TCoordinateSystem* system = ActiveCoordinateSystem();
  out = {kNaN, kNaN, kNaN};
  const bool ok = toGrid ? system->ToGrid(mode, in, out) : system->ToGeographic(mode, in, out);
  if (ok && out.Finite()) return GpsConversion::Converted;
  out = {kNaN, kNaN, kNaN};
  return GpsConversion::Failed;
}

}  // namespace

bool GpsConversionActive() {
  const TCoordinateSystem* system = ActiveCoordinateSystem();
  return system && system->Current() != TCoordinateSystem::State::NoLibrary && system->Loaded();
}

GpsConversion ConvertToGrid(std::int32_t mode, const wgsxyz::Triple& geographic, wgsxyz::Triple& grid) {
  return Through(true, mode, geographic, grid);
}

GpsConversion ConvertToGeographic(std::int32_t mode, const wgsxyz::Triple& grid, wgsxyz::Triple& geographic) {
  return Through(false, mode, grid, geographic);
}

bool TCoordinateSystem::ToGeographic(std::int32_t mode, const wgsxyz::Triple& grid, wgsxyz::Triple& geographic) {
  return Convert(false, mode, grid, geographic);
}

}  // namespace veltro
