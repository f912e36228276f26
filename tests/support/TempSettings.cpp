#include "tests/support/TempSettings.h"

namespace veltro::test {

TempSettings::TempSettings() : user_(dir_ / "user/Surtrans.ini"), machine_(dir_ / "machine/Surtrans.ini") {
  SetRegistryFile(RegistryRoot::CurrentUser, user_);
  SetRegistryFile(RegistryRoot::LocalMachine, machine_);
}

TempSettings::~TempSettings() {
  SetRegistryFile(RegistryRoot::CurrentUser, "");
  SetRegistryFile(RegistryRoot::LocalMachine, "");
}

}  // namespace veltro::test
