// The catalogue and the library binding over a temporary installation folder
// and temporary settings, with texts "T<n>" (pattern texts end with " %s")
// and the scripted library of libs/ScriptedLibrary.h.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/Fatal.h"
#include "instruments/LibraryBinding.h"
#include "tests/instruments/libs/ScriptedLibrary.h"
#include "tests/support/TempSettings.h"
#include "tests/support/TransferFixture.h"

namespace veltro::test {

inline const std::string kTestLibs = VELTRO_TEST_LIBS "/";

inline std::string PatternText(int n) {
  static const std::set<int> kPatterns = {34, 608, 639, 640, 641, 642, 660, 661, 770, 915};
  return "T" + std::to_string(n) + (kPatterns.count(n) ? " %s" : "");
}

class BindingTest : public TransferFixture {
 protected:
  BindingTest() {
    SetFatalExitHandler([](int code) { throw std::runtime_error("exit " + std::to_string(code)); });
    SetTextProvider(PatternText);
    geraete = std::make_unique<TGeraete>(install.path() + "/");
    geraete->WriteBackOnDestroy = false;
    binding = std::make_unique<TLibraryBinding>(*geraete);
  }
  ~BindingTest() override {
    binding.reset();
    geraete.reset();
    SetFatalExitHandler(nullptr);
  }

  // Makes the instrument current and loads the scripted variant ("Full",
  // "Bare", "None"); answers its script.
  ScriptedLibraryState& UseScripted(const std::string& instrument, const std::string& variant = "Full") {
    geraete->ForEach<TInstrument>([&](TInstrument& i) { i.Active = i.Name == instrument; });
    binding->LoadInstrumentLibrary(kTestLibs + "libScripted" + variant + ".so");
    auto state = binding->Library().Export<ScriptedStateFn>("ScriptedState");
    if (!state) throw std::runtime_error("no scripted library");
    ScriptedLibraryState& s = *state();
    auto pump = s.pump;
    s.Reset();
    s.pump = pump;
    return s;
  }

  TInstrument& Current() { return geraete->CurrentInstrument(); }

  // The texts of the messages shown since the last call.
  std::vector<std::string> TakeMessages() {
    std::vector<std::string> out = MessageTexts();
    box.Clear();
    return out;
  }

  TempSettings store;
  TempDir install;
  std::unique_ptr<TGeraete> geraete;
  std::unique_ptr<TLibraryBinding> binding;
};

}  // namespace veltro::test
