// GTS-7, FC-6 and OGTS7 text through the group readers: every line is
// classified and converted into ASCII by phase 2 of the engine, so the
// readers walk the lines as in a transfer; then each record read is written
// back. The first byte picks the format (0 GTS7, 1 FC6, 2 OGTS7) and the
// tag's kind letter (bits 2-4: d, k, p, q, l). Inputs are capped, so one
// input takes milliseconds.
#include <cstdint>
#include <memory>

#include "core/Transfer.h"
#include "formats/instrument/GTS7.h"
#include "instruments/TransferModules.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "platform/TextFile.h"

using namespace veltro;

namespace {

class Settings : public TransferSettings {
 public:
  bool TransOf() const override { return true; }
};

struct World {
  World() {
    SetRegistryFile(RegistryRoot::CurrentUser, "/nonexistent-veltro-fuzz/user.ini");
    SetRegistryFile(RegistryRoot::LocalMachine, "/nonexistent-veltro-fuzz/machine.ini");
    SetMessageBoxBackend(&box);
    modules = std::make_unique<TransferModules>("/nonexistent-veltro-fuzz");
    modules->geraete->WriteBackOnDestroy = false;
    side = std::make_unique<CatalogueInstrumentSide>(*modules->geraete);
    window.SetOutputFileField("/nonexistent-veltro-fuzz/out.txt");
    SetTransferEnvironment({&window, &statistics, side.get(), &settings});
    ActivateFormat(*modules->dfd->ASCII);
  }
  ScriptedMessageBox box;
  std::unique_ptr<TransferModules> modules;
  std::unique_ptr<CatalogueInstrumentSide> side;
  TransferWindow window;
  StatisticsView statistics;
  Settings settings;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 16384) return 0;
  static World world;
  world.box.Clear();
  static const char* kFormats[] = {"GTS7", "FC6", "OGTS7", "GTS7"};
  static const char kKinds[] = {'d', 'k', 'p', 'q', 'l', 'd', 'd', 'd'};
  TGeraete& g = *world.modules->geraete;
  TGeraeteFormat* format = g.Format(kFormats[data[0] & 3]);
  // No instrument library is installed here: the first instrument speaks the format.
  TInstrument* first = nullptr;
  g.ForEach<TInstrument>([&](TInstrument& i) {
    i.Active = false;
    if (!first) first = &i;
  });
  first->Active = true;
  first->GeraeteFormat = format;

  TransferState& t = CurrentTransfer();
  t.FormatTag = std::string(1, kKinds[(data[0] >> 2) & 7]) + format->Name;
  t.StopFlag = false;
  t.MergeFlag = false;
  t.OutputFileName.clear();
  t.ReceivedLines = SplitLines(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
  TransferPhase2();

  // Each group read on its own, positioned anywhere in it, and written back.
  t.ActiveLines = &t.ReceivedLines;
  TdmGTS7& m = format->Name == "OGTS7" ? *world.modules->ogts7 : *world.modules->gts7;
  for (size_t i = 0; i < t.ReceivedLines.size(); ++i) {
    TDaten d;
    d.Konstanten.Zeile = static_cast<int>(i);
    t.Daten.Konstanten.Zeile = static_cast<int>(i);
    const std::string line(t.ReceivedLines[i]);
    std::string s = line;
    switch (format->OnGetDatenart ? format->OnGetDatenart(s) : tdaNone) {
      case tdaInformation: m.InformationenRead(line, d); m.InformationenWrite(d); break;
      case tdaStation: m.StationenRead(line, d); m.StationenWrite(d); break;
      case tdaAnschlusspunkt: m.AnschlusspunkteRead(line, d); m.AnschlusspunkteWrite(d); break;
      case tdaNeupunkt: m.NeupunkteRead(line, d); m.NeupunkteWrite(d); break;
      case tdaKoordinate: m.KoordinatenRead(line, d); m.KoordinatenWrite(d); break;
      case tdaPunktcode: m.PunktcodesRead(line, d); m.PunktcodesWrite(d); break;
      case tdaQuerprofil: m.QuerprofileRead(line, d); m.QuerprofileWrite(d); break;
      default: break;
    }
  }
  t.ActiveLines = nullptr;
  t.Errors.clear();
  return 0;
}
