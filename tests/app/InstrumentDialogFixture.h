// The instrument dialogs over a catalogue whose installation folder holds
// empty files for the libraries of the instruments a test names (only their
// existence counts), with temporary settings and scripted messages.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>
#include <string>
#include <vector>

#include "core/Messages.h"
#include "instruments/CodeListen.h"
#include "instruments/InstrumentenModul.h"
#include "platform/DynamicLibrary.h"
#include "platform/MessageBox.h"
#include "tests/app/QtTestApp.h"
#include "tests/support/TempSettings.h"
#include "tests/support/TransferFixture.h"

namespace veltro::test {

class InstrumentDialogTest : public ::testing::Test {
 protected:
  InstrumentDialogTest() {
    QtTestApp();
    ResetCodeLists();
    SetInstallationDirectory(programDir.path() + "/");
  }
  ~InstrumentDialogTest() override {
    geraete.reset();
    SetInstallationDirectory("");
    SetTextProvider(nullptr);
    ResetCodeLists();
  }

  // A catalogue in which the libraries of these instruments are installed.
  TGeraete& Make(const std::vector<std::string>& instruments) {
    TGeraete probe(install.path() + "/");
    probe.WriteBackOnDestroy = false;
    for (const std::string& name : instruments)
      WriteFile(install / LibraryFileName(TGeraete::InstrumentLibraryName(probe.Instrument(name)->InstrumentDLL)), "");
    geraete = std::make_unique<TGeraete>(install.path() + "/");
    geraete->WriteBackOnDestroy = false;
    return *geraete;
  }
  TInstrument& It(const std::string& name) { return *geraete->Instrument(name); }
  TGeraeteFormat& Fmt(const std::string& name) { return *geraete->Format(name); }

  TempSettings settings;
  TempDir install;     // instrument libraries
  TempDir programDir;  // the program's folder (coordinate-system library)
  ScriptedMessageBox box;
  ScopedMessageBox guard{&box};
  std::unique_ptr<TGeraete> geraete;
};

}  // namespace veltro::test
