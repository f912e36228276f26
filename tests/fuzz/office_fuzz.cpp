// Every office and CAD program member's recogniser and reader over arbitrary
// lines, and its writers over what was read. The first byte sets the
// observation flags; the earlier lines stand as the output written so far, so
// that writers looking back at it (the GEOS two-face merge, the OSQUSO
// information line) meet lines of any length.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "core/Transfer.h"
#include "platform/TextFile.h"
#include "tests/fuzz/FuzzModules.h"

using namespace veltro;

namespace {

using World = fuzz::FuzzModules;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 16384) return 0;
  static World world;
  world.box.Clear();
  const std::uint16_t flags = static_cast<std::uint16_t>(data[0] << 4);
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  TransferState& t = CurrentTransfer();
  t.InputLines = SplitLines(text);
  const std::string head = TextFrom(t.InputLines, 0, kFormatBufferSize);
  for (TdmOfficeFormat* module : world.modules->OfficeFormats()) {
    TDatenformatDefinitionen& def = module->Definition();
    t.OutputLines.clear();
    t.Messages.clear();
    for (std::string_view stored : t.InputLines) {
      const std::string line(stored);
      if (def.OnFormat && !def.OnFormat(line, head).empty() && def.ReadWrite && def.ReadWrite->OnRead) {
        TDaten& d = t.Daten;
        def.ReadWrite->OnRead(line, d);
        d.Punkt.Messflags = flags | mfKoordinaten;
        d.Punkt.Horizontalwinkel = d.Punkt.Y;
        d.Station.Punktnummer = d.Punkt.Code1;
        module->ForEach<TReadWriteDaten>([&](TReadWriteDaten& rw) {
          if (rw.OnWrite) rw.OnWrite(d);
        });
      }
      t.OutputLines.push_back(line);
    }
  }
  return 0;
}
