// The viewer's line model stepping record by record through a generated
// GSI 16 measurement file of 200,000 lines with the real GSI module, asking
// each record's kind as the record editor's navigation does. Reports lines
// per second; the whole pass should take well under a second and grow
// linearly with the file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "core/Transfer.h"
#include "instruments/TransferModules.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "platform/TextFile.h"
#include "viewer/ViewerModel.h"

using namespace veltro;

namespace {

std::string Word(const char* head, long value) {
  char data[17];
  std::snprintf(data, sizeof data, "%016ld", value);
  return std::string(head) + data + " ";
}

// Point lines with angles, distance and coordinates; a station block every
// 500 lines.
std::string GeneratedFile(size_t lines) {
  std::string text;
  text.reserve(lines * 100);
  for (size_t i = 0; i < lines; ++i) {
    const long n = static_cast<long>(i);
    if (i % 500 == 0)
      text += "*" + Word("410001+", n) + Word("42....+", 100 + n) + "\r\n";
    else
      text += "*" + Word("110001+", n) + Word("21.324+", 12345670 + n) + Word("22.324+", 9856780) +
              Word("31..00+", 45678 + n) + Word("81..00+", 2600000123 + n) + Word("82..00+", 1200000456 + n) + "\r\n";
  }
  return text;
}

void BM_StepRecords(benchmark::State& state) {
  const size_t lines = static_cast<size_t>(state.range(0));
  char folder[] = "/tmp/veltro-viewer-bench-XXXXXX";
  if (!mkdtemp(folder)) {
    state.SkipWithError("no temporary folder");
    return;
  }
  const std::string dir = folder;
  SetRegistryFile(RegistryRoot::CurrentUser, dir + "/user.ini");
  SetRegistryFile(RegistryRoot::LocalMachine, dir + "/machine.ini");
  ScriptedMessageBox box;
  ScopedMessageBox guard(&box);
  auto modules = std::make_unique<TransferModules>(dir);
  modules->geraete->WriteBackOnDestroy = false;
  TInstrument* first = nullptr;
  modules->geraete->ForEach<TInstrument>([&](TInstrument& i) {
    i.Active = false;
    if (!first) first = &i;
  });
  first->Active = true;
  first->GeraeteFormat = modules->geraete->Format("GSI16");

  const std::string file = dir + "/messung.gsi";
  SaveFileBytes(file, GeneratedFile(lines));
  ViewerModel model(*modules->geraete);
  model.OpenFile(file);

  size_t records = 0;
  for (auto _ : state) {
    model.FirstRecord();
    int kinds = 0;
    do {
      kinds += model.KindOf(model.CurrentLine());
      ++records;
    } while (model.MoveRecord(ViewerDirection::Next) && model.CurrentLine() != 0);
    benchmark::DoNotOptimize(kinds);
  }
  state.counters["lines/s"] = benchmark::Counter(static_cast<double>(records), benchmark::Counter::kIsRate);
  std::remove(file.c_str());
  modules.reset();
  std::remove((dir + "/user.ini").c_str());
  std::remove((dir + "/machine.ini").c_str());
  rmdir(folder);
}
BENCHMARK(BM_StepRecords)->Arg(50000)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
