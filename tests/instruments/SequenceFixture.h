// Whole transfers through the transfer sequence and a real instrument
// library: the program's modules over a temporary installation folder into
// which a test installs libraries under an instrument's library name, the
// German texts, temporary settings, and the engine's fakes.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "core/Language.h"
#include "core/Messages.h"
#include "core/Niederlassung.h"
#include "core/Settings.h"
#include "formats/instrument/InstrumentFormat.h"
#include "instruments/TransferModules.h"
#include "instruments/TransferSequence.h"
#include "platform/DynamicLibrary.h"
#include "platform/MessagePump.h"
#include "platform/Registry.h"
#include "tests/instruments/libs/ScriptedLibrary.h"
#include "tests/support/InstrumentSim.h"
#include "tests/support/TempSettings.h"
#include "tests/support/TransferFixture.h"

namespace veltro::test {

inline const std::string kSequenceTestLibs = VELTRO_TEST_LIBS "/";
inline const std::string kProgramFolder = VELTRO_BUILD_DIR "/app/";
inline const std::string kData = VELTRO_TEST_DATA "/";

class RecordingHost : public InstrumentTransferHost {
 public:
  int indicatorsOn = 0, indicatorsOff = 0, formatChanges = 0, focusInput = 0;
  std::function<std::unique_ptr<TransferOptionsDialog>()> dialogs;
  std::function<void(bool on)> onIndicators;
  void SetIndicatorsOn(bool on) override {
    ++(on ? indicatorsOn : indicatorsOff);
    if (onIndicators) onIndicators(on);
  }
  void FocusInputField() override { ++focusInput; }
  void FormatChanged() override { ++formatChanges; }
  std::unique_ptr<TransferOptionsDialog> CreateTransferOptionsDialog() override {
    return dialogs ? dialogs() : nullptr;
  }
};

class SequenceTest : public TransferFixture {
 protected:
  SequenceTest() {
    // The libraries read their own settings: none name a port.
    ::setenv("XDG_CONFIG_HOME", libraryHome.path().c_str(), 1);
    SetTextProvider(nullptr);
    SetInstallationDirectory(kProgramFolder);
    // The language the converter starts with, so outputs compare.
    TNiederlassung& entry = ActivateNiederlassung(StartLanguageId());
    if (const TSprache* sprache = FindSprache(entry.Sprache)) LoadLanguage(*sprache);
    SetInstallationDirectory(install.path() + "/");
    WriteRegInteger(RegistryRoot::CurrentUser, ConfigPath(kSettingWaitForRemote), 60000, true);
    modules = std::make_unique<TransferModules>(install.path() + "/");
    modules->geraete->WriteBackOnDestroy = false;
    side = std::make_unique<TInstrumentTransfer>(*modules->geraete, *modules->binding, &host);
    SetTransferEnvironment({&window, &statistics, side.get(), &settings});
  }
  ~SequenceTest() override {
    SetMessagePump(nullptr);
    SetTransferEnvironment({});
    side.reset();
    modules.reset();
    UnloadLanguage();
    SetInstallationDirectory("");
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("VELTRO_COM1");
  }

  // Installs the library file under the instrument's library name and makes
  // the instrument current with its format and the office format.
  TInstrument& Use(const std::string& instrumentName, const std::string& format, const std::string& office = "ASCII",
                   const std::string& library = kSequenceTestLibs + "libTestFamily.so") {
    TGeraete& g = *modules->geraete;
    TInstrument& i = *g.Instrument(instrumentName);
    const std::string name = install / LibraryFileName(TGeraete::InstrumentLibraryName(i.InstrumentDLL));
    std::filesystem::remove(name);
    std::filesystem::create_symlink(library, name);
    EXPECT_TRUE(g.SelectInstrument(i.Caption));
    i.GeraeteFormat = g.Format(format);
    i.Lesezeit = i.Schreibzeit = 60000;  // no time-out on a loaded machine
    ActivateFormat(office == "Original" ? *OriginalFormat() : *Office(office));
    if (library.find("Scripted") != std::string::npos) Script();
    return i;
  }
  void InstallCoordinateLibrary() {
    std::filesystem::create_symlink(kProgramFolder + LibraryFileName("WGSXYZ.DLL"),
                                    install / LibraryFileName("WGSXYZ.DLL"));
  }
  TDatenformatDefinitionen* Office(const std::string& name) {
    TDatenformatDefinitionen* found = nullptr;
    modules->dfd->ForEach<TDatenformatDefinitionen>([&](TDatenformatDefinitionen& d) {
      if (d.Name == name) found = &d;
    });
    return found;
  }
  // The scripted library's state, fresh (it may outlive an unload).
  ScriptedLibraryState& Script() {
    ScriptedLibraryState& s = *modules->binding->Library().Export<ScriptedStateFn>("ScriptedState")();
    auto pump = s.pump;
    s.Reset();
    s.pump = pump;
    return s;
  }

  // n coordinate records of the ProMark 500, one a line.
  static std::string TavrinLines(int n) {
    std::string text;
    for (int i = 1; i <= n; ++i) text += "P" + std::to_string(i) + ";1.000;2.000;3.000;C\r\n";
    return text;
  }
  // A step of the message pump: the simulator plays text (and the end
  // mark) once the program has opened the line.
  std::function<void()> PlayWhenConnected(SimulatedInstrument& sim, std::string text) {
    if (!text.empty() && text.back() != '\n') text += "\r\n";
    WriteFile(sim.Dir() / "play", text + "\x04\r\n");
    auto started = std::make_shared<bool>(false);
    return [this, &sim, started] {
      if (!*started && modules->binding->Connected()) *started = sim.Command("play " + (sim.Dir() / "play"));
    };
  }

  // A whole transfer; false when the output was not written.
  bool Receive(const std::string& input, const std::string& output) {
    settings.methode = 0;
    window.SetInputFileField(input);
    window.SetOutputFileField(output);
    Transfer_startenClick();
    return FileExists(output);
  }
  std::vector<std::string> Texts(int kind) const {
    std::vector<std::string> out;
    for (const auto& m : box.Messages())
      if (m.kind == kind) out.push_back(m.text);
    return out;
  }
  std::vector<std::string> Errors() const { return Texts(kMsgError); }
  std::vector<std::string> Informations() const { return Texts(kMsgInformation); }

  bool Send(const std::string& input, const std::string& output) {
    settings.methode = 1;
    window.SetInputFileField(input);
    window.SetOutputFileField(output);
    Transfer_startenClick();
    return FileExists(output);
  }

  TempDir libraryHome;
  TempSettings store;
  TempDir install;
  RecordingHost host;
  std::unique_ptr<TransferModules> modules;
  std::unique_ptr<TInstrumentTransfer> side;
};

}  // namespace veltro::test
