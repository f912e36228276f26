#include "core/CoordinateUnit.h"

#include "core/Settings.h"
#include "platform/Registry.h"

namespace veltro {
namespace {
int g_holdDepth = 0;
int g_heldUnit = 0;  // while g_holdDepth > 0

int StoredKoordUnit() {
  return ReadRegIntegerInRange(RegistryRoot::CurrentUser, ConfigPath(kSettingCoordinateUnit), 0, 0, kMaxCoordinateUnit);
}
}  // namespace

int KoordUnit() { return g_holdDepth > 0 ? g_heldUnit : StoredKoordUnit(); }

void SetKoordUnit(int index) {
  WriteRegInteger(RegistryRoot::CurrentUser, ConfigPath(kSettingCoordinateUnit), index, true);
  if (g_holdDepth > 0) g_heldUnit = StoredKoordUnit();
}

KoordUnitHold::KoordUnitHold() {
  if (g_holdDepth++ == 0) g_heldUnit = StoredKoordUnit();
}

KoordUnitHold::~KoordUnitHold() { --g_holdDepth; }

}  // namespace veltro
