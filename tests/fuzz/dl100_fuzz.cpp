// DL-100 lines: the line classifier, every reader, writer and the levelling
// statistics on each line of the input, then the whole input through the
// engine. The first byte picks the direction: bit 0 clear DL-100 -> ASCII as
// received lines, set ASCII -> DL-100 coordinates.
#include <cstdint>
#include <string>

#include "formats/instrument/DL100.h"
#include "formats/instrument/DL100TransferUtil.h"
#include "tests/fuzz/FuzzWorld.h"

using namespace veltro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 16384) return 0;
  static fuzz::World world;
  world.box.Clear();
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  TGeraeteFormat* format = world.Use("DL100");
  TdmDL100& dl = *world.modules->dl100;
  TransferState& t = CurrentTransfer();
  InitialiseAll(t.Daten);
  TTransferStatistik stat;
  for (const std::string& line : SplitLines(text)) {
    (void)Dl100Fields(line);
    std::string s = line;
    const TTransferDatenart kind = format->OnGetDatenart(s);
    if (kind == tdaNone) continue;
    format->OnSetTDA(kind);
    if (TReadWriteDaten* rw = format->ReadWrite) {
      if (rw->OnStatistik) rw->OnStatistik(line, stat);
      TDaten record = t.Daten;
      if (rw->OnRead) rw->OnRead(line, record);
      if (rw->OnWrite) (void)rw->OnWrite(record);
    }
    (void)dl.EditorFields();
  }
  t.Messages.clear();
  if ((data[0] & 1) == 0)
    world.Receive(*format, text);
  else
    world.Send(text);
  return 0;
}
