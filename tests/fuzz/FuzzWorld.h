// The program's modules for fuzz targets that run whole files through the
// transfer engine: scripted message box, settings and output in a folder that
// does not exist (nothing is ever saved), offline mode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/Transfer.h"
#include "formats/instrument/CheckFormate.h"
#include "instruments/TransferModules.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "platform/TextFile.h"
#include "tests/fuzz/FuzzModules.h"

namespace veltro::fuzz {

class EditorWindow : public TransferWindow {
 public:
  bool EditorPageActive() const override { return true; }
};

class OfflineSettings : public TransferSettings {
 public:
  int methode = 0;
  int Methode() const override { return methode; }
  bool TransOf() const override { return true; }
};

struct World : FuzzModules {
  World() {
    side = std::make_unique<CatalogueInstrumentSide>(*modules->geraete);
    window.SetOutputFileField("/nonexistent-veltro-fuzz/out.txt");
    SetTransferEnvironment({&window, &statistics, side.get(), &settings});
  }

  // Makes the first instrument current with the format of that name and
  // ASCII the office format.
  TGeraeteFormat* Use(const char* formatName) {
    TGeraete& g = *modules->geraete;
    TGeraeteFormat* format = g.Format(formatName);
    TInstrument* first = nullptr;
    g.ForEach<TInstrument>([&](TInstrument& i) {
      i.Active = false;
      if (!first) first = &i;
    });
    first->Active = true;
    first->GeraeteFormat = format;
    ActivateFormat(*modules->dfd->ASCII);
    return format;
  }

  // Phase 2 of a receive of text (as received lines).
  void Receive(TGeraeteFormat& format, const std::string& text) {
    TransferState& t = CurrentTransfer();
    t.OutputFileName.clear();
    settings.methode = 0;
    const std::string tag = DetectFormat(text.substr(0, 1024));
    t.FormatTag = tag.empty() ? "d" + format.Name : tag;
    t.StopFlag = false;
    if (format.OnSetup) format.OnSetup();
    t.ReceivedLines = SplitLines(text);
    if (format.OnAfterRead) format.OnAfterRead();
    TransferPhase2();
  }

  // Phase 1 of a send of text (as the editor page's lines).
  void Send(const std::string& text) {
    TransferState& t = CurrentTransfer();
    t.OutputFileName.clear();
    settings.methode = 1;
    t.EditorLines = SplitLines(text);
    t.ReceivedLines.clear();
    TransferPhase1(false);
  }

  std::unique_ptr<CatalogueInstrumentSide> side;
  EditorWindow window;
  StatisticsView statistics;
  OfflineSettings settings;
};

// One input for an instrument format: readLine on every line, then the
// whole text through the engine. The first byte picks the way: bit 0 clear a
// receive (phase 2), set a send from ASCII (phase 1); bit 1 the twin format
// when there is one.
template <class ReadLine>
int FuzzInstrumentFormat(const uint8_t* data, size_t size, const char* format, const char* twin, ReadLine&& readLine) {
  if (size < 1 || size > 16384) return 0;
  static World world;
  world.box.Clear();
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  for (const std::string& line : SplitLines(text)) readLine(line);
  TGeraeteFormat* chosen = world.Use(twin && (data[0] & 2) ? twin : format);
  if ((data[0] & 1) == 0)
    world.Receive(*chosen, text);
  else
    world.Send(text);
  return 0;
}

}  // namespace veltro::fuzz
