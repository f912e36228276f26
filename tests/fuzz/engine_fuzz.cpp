// A whole file through the transfer engine with the real modules and the
// scripted message box. The first byte picks the way:
//   0 GSI 8 -> ASCII, 1 GSI 16 -> ASCII (received lines, phase 2),
//   2 ASCII -> GSI 8, 3 ASCII -> GSI 16 (input lines, phase 1).
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "core/Transfer.h"
#include "formats/instrument/CheckFormate.h"
#include "instruments/TransferModules.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "platform/TextFile.h"
#include "tests/fuzz/FuzzModules.h"

using namespace veltro;

namespace {

class EditorWindow : public TransferWindow {
 public:
  bool EditorPageActive() const override { return true; }
};

class Settings : public TransferSettings {
 public:
  int methode = 0;
  int Methode() const override { return methode; }
  bool TransOf() const override { return true; }
};

struct World : fuzz::FuzzModules {
  World() {
    side = std::make_unique<CatalogueInstrumentSide>(*modules->geraete);
    window.SetOutputFileField("/nonexistent-veltro-fuzz/out.txt");
    SetTransferEnvironment({&window, &statistics, side.get(), &settings});
  }
  std::unique_ptr<CatalogueInstrumentSide> side;
  EditorWindow window;
  StatisticsView statistics;
  Settings settings;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 16384) return 0;
  static World world;
  world.box.Clear();
  const int way = data[0] & 3;
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  TGeraete& g = *world.modules->geraete;
  TGeraeteFormat* format = g.Format(way == 1 || way == 3 ? "GSI16" : "GSI8");
  TInstrument* first = nullptr;
  g.ForEach<TInstrument>([&](TInstrument& i) {
    i.Active = false;
    if (!first) first = &i;
  });
  first->Active = true;
  first->GeraeteFormat = format;
  ActivateFormat(*world.modules->dfd->ASCII);

  TransferState& t = CurrentTransfer();
  t.OutputFileName.clear();
  if (way < 2) {
    world.settings.methode = 0;
    std::string tag = DetectFormat(text.substr(0, 1024));
    t.FormatTag = tag.empty() ? "d" + format->Name : tag;
    t.StopFlag = false;
    if (format->OnSetup) format->OnSetup();
    t.ReceivedLines = SplitLines(text);
    TransferPhase2();
  } else {
    world.settings.methode = 1;
    t.EditorLines = SplitLines(text);
    t.ReceivedLines.clear();
    TransferPhase1(false);
  }
  return 0;
}
