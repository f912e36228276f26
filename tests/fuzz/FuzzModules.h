// The program's modules for a fuzz target: settings files and an
// installation folder that do not exist, and the scripted message box.
#pragma once

#include <memory>

#include "instruments/TransferModules.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"

namespace veltro::fuzz {

struct FuzzModules {
  FuzzModules() {
    SetRegistryFile(RegistryRoot::CurrentUser, "/nonexistent-veltro-fuzz/user.ini");
    SetRegistryFile(RegistryRoot::LocalMachine, "/nonexistent-veltro-fuzz/machine.ini");
    SetMessageBoxBackend(&box);
    modules = std::make_unique<TransferModules>("/nonexistent-veltro-fuzz");
    modules->geraete->WriteBackOnDestroy = false;
  }
  ScriptedMessageBox box;
  std::unique_ptr<TransferModules> modules;
};

}  // namespace veltro::fuzz
