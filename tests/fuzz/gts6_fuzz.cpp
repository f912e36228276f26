// Received GTS-6, GTS-6x and FC-5 text through the stream preparation, then
// every line through the reader of its kind and back through the writer.
// The first byte picks the format (bits 0-1) and the file kind (bit 2:
// coordinates instead of measurements).
#include <cstdint>
#include <memory>

#include "core/Transfer.h"
#include "formats/instrument/GTS6.h"
#include "instruments/TransferModules.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "platform/TextFile.h"

using namespace veltro;

namespace {

struct World {
  World() {
    SetRegistryFile(RegistryRoot::CurrentUser, "/nonexistent-veltro-fuzz/user.ini");
    SetRegistryFile(RegistryRoot::LocalMachine, "/nonexistent-veltro-fuzz/machine.ini");
    SetMessageBoxBackend(&box);
    modules = std::make_unique<TransferModules>("/nonexistent-veltro-fuzz");
    modules->geraete->WriteBackOnDestroy = false;
    ActivateFormat(*modules->dfd->ASCII);
  }
  ScriptedMessageBox box;
  std::unique_ptr<TransferModules> modules;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 65536) return 0;
  static World world;
  world.box.Clear();
  static const char* kFormats[] = {"GTS6", "GTS6x", "FC5", "GTS6"};
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
  const std::string tag = std::string(data[0] & 4 ? "k" : "d") + format->Name;
  CurrentTransfer().FormatTag = tag;

  TdmGTS6& m = *world.modules->gts6;
  const std::string text = GtsPrepareStream(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
  for (const std::string& line : SplitLines(text)) {
    TDaten d;
    switch (GtsLineKind(tag, line)) {
      case tdaInformation:
        m.InformationenRead(line, d);
        m.InformationenWrite(d);
        break;
      case tdaStation:
        m.StationenRead(line, d);
        m.StationenWrite(d);
        break;
      case tdaNeupunkt:
        m.NeupunkteRead(line, d);
        m.NeupunkteWrite(d);
        break;
      case tdaKoordinate:
        m.KoordinatenRead(line, d);
        m.KoordinatenWrite(d);
        break;
      default:
        m.PunktcodesRead(line, d);
        m.PunktcodesWrite(d);
        break;
    }
  }
  return 0;
}
