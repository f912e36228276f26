// An instrument format module on a real catalogue, with the ASCII office
// format, dmInit, temporary settings and an instrument side that reads and
// writes instrument files offline. Texts are "T<n>:%s:%s:%s", so that notes
// show what they were filled with.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "core/Fatal.h"
#include "core/Messages.h"
#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "core/dmInitDaten.h"
#include "formats/office/ASCII.h"
#include "formats/office/DFDefs.h"
#include "instruments/InstrumentenModul.h"
#include "platform/TextFile.h"
#include "tests/support/FileInstrument.h"
#include "tests/support/TempSettings.h"
#include "tests/support/TransferFixture.h"

namespace veltro::test {

class FormatTest : public TransferFixture {
 protected:
  explicit FormatTest(const char* instrument) : instrument_(instrument) {
    SetFatalExitHandler([](int code) { throw std::runtime_error("exit " + std::to_string(code)); });
    SetSystemSeparators('.', '.', ':');
    SetTextProvider([](int n) { return n == 608 ? std::string("T608 %s") : "T" + std::to_string(n) + ":%s:%s:%s"; });
    geraete->ForEach<TInstrument>([&](TInstrument& i) { i.Active = i.Name == instrument_; });
    SetTransferEnvironment({&window, &statistics, &side, &settings});
  }
  ~FormatTest() override { SetFatalExitHandler(nullptr); }

  TInstrument& Instrument() { return *geraete->Instrument(instrument_); }
  void UseFormat(const std::string& name) { Instrument().GeraeteFormat = geraete->Format(name); }

  // Runs a whole transfer between files in tmp (methode 0 receive, 1 send).
  void Run(int methode, const std::string& input, const std::string& output) {
    settings.methode = methode;
    window.SetInputFileField(tmp / input);
    window.SetOutputFileField(tmp / output);
    Transfer_startenClick();
  }
  std::string Output(const std::string& name) { return ReadFile(tmp / name); }
  // All message boxes shown, joined by CR LF.
  std::string Shown() const {
    std::string all;
    for (const std::string& m : MessageTexts()) all += m + "\r\n";
    return all;
  }

  TempSettings store;  // before everything that reads settings
  TdmInit init;
  TDFD dfd;
  TdmASCII ascii{dfd};
  std::unique_ptr<TGeraete> geraete = std::make_unique<TGeraete>(tmp.path() + "/");
  FileInstrument side{*geraete};

 private:
  std::string instrument_;
};

}  // namespace veltro::test
