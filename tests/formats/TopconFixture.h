// The Topcon format modules (GTS-6/FC-5 and GTS-7/FC-6/OGTS7) on a real
// catalogue with the ASCII and pass-through office formats, dmInit and
// temporary settings.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "core/Fatal.h"
#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "core/dmInitDaten.h"
#include "formats/office/ASCII.h"
#include "formats/office/DFDefs.h"
#include "instruments/InstrumentenModul.h"
#include "tests/support/TempSettings.h"
#include "tests/support/TransferFixture.h"

namespace veltro::test {

class TopconTest : public TransferFixture {
 protected:
  TopconTest() {
    SetFatalExitHandler([](int code) { throw std::runtime_error("exit " + std::to_string(code)); });
    SetSystemSeparators('.', '.', ':');
    geraete->ForEach<TInstrument>([](TInstrument& i) { i.Active = false; });
    Topcon().Active = true;
    SetTransferEnvironment({&window, &statistics, &instrument, &settings});
    Office("ASCII");
  }
  ~TopconTest() override {
    CurrentTransfer().ActiveLines = nullptr;
    SetFatalExitHandler(nullptr);
  }

  TInstrument& Topcon() { return *geraete->Instrument("itGTS700"); }
  TGeraeteFormat& UseFormat(const std::string& name) {
    Topcon().GeraeteFormat = geraete->Format(name);
    return *Topcon().GeraeteFormat;
  }
  void Office(const std::string& name) {
    ActivateFormat(*static_cast<TDatenformatDefinitionen*>(dfd.FindComponent(name)));
  }
  // The reader sees lines as the engine's list, positioned on line `at`.
  void OnLines(const TextLines& lines, int at = 0) {
    list = lines;
    active = LineList(lines);
    CurrentTransfer().ActiveLines = &active;
    daten.Konstanten.Zeile = at;
    CurrentTransfer().Daten.Konstanten.Zeile = at;  // the line classifiers look there
  }
  void Tag(const std::string& tag) { CurrentTransfer().FormatTag = tag; }

  TempSettings store;  // before everything that reads settings
  TdmInit init;
  TDFD dfd;
  TdmASCII ascii{dfd};
  std::unique_ptr<TGeraete> geraete = std::make_unique<TGeraete>(tmp.path() + "/");
  TextLines list;
  LineList active;  // the engine's view of list
  TDaten daten;
};

}  // namespace veltro::test
