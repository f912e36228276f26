// A catalogue over a temporary installation directory and temporary
// settings files. Library files are empty files: only their existence counts.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/Fatal.h"
#include "instruments/InstrumentenModul.h"
#include "platform/DynamicLibrary.h"
#include "platform/Registry.h"
#include "tests/support/TempSettings.h"
#include "tests/support/TransferFixture.h"

namespace veltro::test {

// Records what the catalogue asks of the library binding, in order.
class RecordingHooks : public InstrumentLibraryHooks {
 public:
  std::vector<std::string> calls;
  void CloseConnection() override { calls.push_back("close"); }
  void FreeCoordinateSystemLibrary() override { calls.push_back("free coordinate system"); }
  void FreeInstrumentLibrary() override { calls.push_back("free library"); }
  void LoadInstrumentLibrary(const std::string& path) override { calls.push_back("load " + path); }
};

class CatalogueTest : public TransferFixture {
 protected:
  CatalogueTest() {
    SetFatalExitHandler([](int code) { throw std::runtime_error("exit " + std::to_string(code)); });
  }
  ~CatalogueTest() override {
    geraete.reset();
    SetFatalExitHandler(nullptr);
  }

  // Installs library files: a library name ("GTS700.DLL") as the platform's
  // file for it, any other name ("libgts700.so") as it stands.
  void Install(const std::vector<std::string>& files) {
    for (const auto& f : files) {
      const bool dll = f.size() > 4 && f.substr(f.size() - 4) == ".DLL";
      WriteFile(install / (dll ? LibraryFileName(f) : f), "");
    }
  }

  // A fresh catalogue over the installation directory (the previous one is
  // destroyed first, writing its settings back).
  TGeraete& Make() {
    geraete.reset();
    geraete = std::make_unique<TGeraete>(install.path() + "/");
    geraete->SetLibraryHooks(&hooks);
    return *geraete;
  }

  TInstrument& It(const std::string& name) { return *geraete->Instrument(name); }
  TGeraeteFormat& Fmt(const std::string& name) { return *geraete->Format(name); }

  static std::string Key(const std::string& instrument, const std::string& value) {
    return std::string(kConfigurationKey) + instrument + "\\" + value;
  }

  TempSettings store;  // declared before the catalogue: it outlives it
  TempDir install;
  RecordingHooks hooks;
  std::unique_ptr<TGeraete> geraete;
};

}  // namespace veltro::test
