// An instrument side that reads and writes instrument files as the
// instrument library does offline, through the catalogue's current format.
#pragma once

#include "core/Transfer.h"
#include "formats/instrument/CheckFormate.h"
#include "instruments/InstrumentenModul.h"
#include "platform/TextFile.h"

namespace veltro::test {

// Receive: the lines of the input file, each classified, bound and counted
// like a received line (the statistics window updated), empty lines left
// out; the tag from the detection.
// Send: the converted lines saved as the output file.
class FileInstrument : public CatalogueInstrumentSide {
 public:
  using CatalogueInstrumentSide::CatalogueInstrumentSide;
  int ReceiveLines(bool) override {
    TransferState& t = CurrentTransfer();
    TextLines lines;
    if (!LoadTextFile(t.InputFileName, lines)) return 1;
    t.FormatTag = DetectFormat(JoinLines(lines));
    TGeraeteFormat& f = geraete_.CurrentGeraeteFormat();
    StatisticsView& statistics = *CurrentTransferEnvironment().statistics;
    TTransferStatistik& stat = statistics.Statistik();
    for (const std::string& line : lines) {
      if (line.empty() || line == "\x04") continue;
      std::string s = line;
      if (f.OnGetDatenart && f.OnSetTDA) f.OnSetTDA(f.OnGetDatenart(s));
      if (f.ReadWrite && f.ReadWrite->OnStatistik) {
        f.ReadWrite->OnStatistik(line, stat);
        statistics.Refresh();
      }
      t.ReceivedLines.push_back(line);
    }
    if (f.OnAfterRead) f.OnAfterRead();
    return t.ReceivedLines.empty() ? 1 : 0;
  }
  void SendLines() override {
    TGeraeteFormat& f = geraete_.CurrentGeraeteFormat();
    if (f.OnBeforeWrite) f.OnBeforeWrite();
    TransferState& t = CurrentTransfer();
    t.OutputLines = t.ReceivedLines;
    SaveOutputFile();
    if (f.OnAfterWrite) f.OnAfterWrite();
  }
};

}  // namespace veltro::test
