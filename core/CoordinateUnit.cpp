#include "core/CoordinateUnit.h"

#include "core/Settings.h"
#include "platform/Registry.h"

namespace veltro {

int KoordUnit() {
  return ReadRegIntegerInRange(RegistryRoot::CurrentUser, ConfigPath(kSettingCoordinateUnit), 0, 0, kMaxCoordinateUnit);
}

void SetKoordUnit(int index) {
  WriteRegInteger(RegistryRoot::CurrentUser, ConfigPath(kSettingCoordinateUnit), index, true);
}

}  // namespace veltro
