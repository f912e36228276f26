// The GSI module on a real catalogue, with the ASCII office format, dmInit
// and temporary settings, plus an instrument side that reads and writes
// instrument files as the instrument library does offline.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/DateTime.h"
#include "core/Fatal.h"
#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "core/dmInitDaten.h"
#include "formats/instrument/CheckFormate.h"
#include "formats/instrument/GSI.h"
#include "formats/office/ASCII.h"
#include "formats/office/DFDefs.h"
#include "instruments/CodeListen.h"
#include "instruments/InstrumentenModul.h"
#include "platform/TextFile.h"
#include "tests/support/FileInstrument.h"
#include "tests/support/TempSettings.h"
#include "tests/support/TransferFixture.h"

namespace veltro::test {

using GsiFileInstrument = FileInstrument;

class GsiTest : public TransferFixture {
 protected:
  GsiTest() {
    SetFatalExitHandler([](int code) { throw std::runtime_error("exit " + std::to_string(code)); });
    SetSystemSeparators('.', '.', ':');
    ResetCodeLists();
    geraete->ForEach<TInstrument>([](TInstrument& i) { i.Active = false; });
    Leica().Active = true;
    UseFormat("GSI8");
    SetTransferEnvironment({&window, &statistics, &side, &settings});
  }
  ~GsiTest() override {
    gsi.reset();
    geraete.reset();
    ResetCodeLists();
    SetFatalExitHandler(nullptr);
  }

  TInstrument& Leica() { return *geraete->Instrument("itTPS1100"); }
  TGeraeteFormat& Gsi8() { return *geraete->Format("GSI8"); }
  TGeraeteFormat& Gsi16() { return *geraete->Format("GSI16"); }
  void UseFormat(const std::string& name) { Leica().GeraeteFormat = geraete->Format(name); }

  // Lets the reader see lines as the engine's list, positioned on line `at`.
  void OnLines(const TextLines& lines, int at = 0) {
    list = lines;
    active = LineList(lines);
    CurrentTransfer().ActiveLines = &active;
    daten.Konstanten.Zeile = at;
  }

  static std::string Data(const std::string& path) { return std::string(VELTRO_TEST_DATA) + "/gsi/" + path; }

  // Runs a whole transfer from an input to an output file name in tmp.
  void Run(int methode, const std::string& input, const std::string& output) {
    settings.methode = methode;
    window.SetInputFileField(input);
    window.SetOutputFileField(tmp / output);
    Transfer_startenClick();
  }

  TextLines OutputFile(const std::string& name) { return SplitLines(ReadFile(tmp / name)); }

  TempSettings store;  // before everything that reads settings
  TdmInit init;
  TDFD dfd;
  TdmASCII ascii{dfd};
  std::unique_ptr<TGeraete> geraete = std::make_unique<TGeraete>(tmp.path() + "/");
  std::unique_ptr<TdmGSI> gsi = std::make_unique<TdmGSI>(*geraete);
  GsiFileInstrument side{*geraete};
  TextLines list;
  LineList active;  // the engine's view of list
  TDaten daten;
};

// One line of the ASCII format's new points ("T205" as the label text).
struct AsciiPoint {
  std::string nr{}, code{}, hz{}, v{}, sd{}, hd{}, vd{}, refl{}, ppm{}, pc{}, y{}, x{}, h{}, quer{}, laengs{}, vert{},
      anm1{}, anm2{}, komm{};
};

inline std::string Label(const std::string& text) { return text + std::string(15 - text.size(), ' '); }

inline std::string AsciiLine(const AsciiPoint& p) {
  const std::vector<std::string> values = {p.nr,  p.code, p.hz, p.v,    p.sd,   p.hd,   p.vd,     p.refl,
                                           p.ppm, p.pc,   p.y,  p.x,    p.h,    p.quer, p.laengs, p.vert,
                                           "",    "",     "",   p.anm1, p.anm2, p.komm};
  std::string line = Label("T205");
  for (const std::string& v : values) line += "|" + v;
  return line;
}

inline std::string InfoLine(int text, const std::string& value) {
  return Label("T202") + "T" + std::to_string(text) + value;
}

}  // namespace veltro::test
