// Phase 2 of the engine over generated received lines with trivial formats:
// measures the engine's own cost per line (binding, reset, read, write,
// appending output) and reports lines per second and peak memory.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include "core/DatenformatDefinitionen.h"
#include "core/Transfer.h"
#include "platform/MessageBox.h"

using namespace veltro;

namespace {

class BenchInstrument : public InstrumentSide {
 public:
  TGeraeteFormat* format = nullptr;
  TGeraeteFormat* CurrentGeraeteFormat() override { return format; }
};

class BenchSettings : public TransferSettings {};

void BM_Phase2(benchmark::State& state) {
  const size_t lines = static_cast<size_t>(state.range(0));
  TDataModule init("dmInit"), dfd("TDFD"), office("office"), instruments("inst"), catalogue("cat");
  auto& reset = init.Add<TInitDaten>("Koordinaten");
  reset.TransferDatenart = tdaKoordinate;
  reset.OnInit = [](TDaten& d) { d.Punkt = TPunkt{}; };
  SetDmInit(&init);
  auto& out = dfd.Add<TDatenformatDefinitionen>("Out");
  out.Active = true;
  out.OnSetTDA = [&](TTransferDatenart tda) { return SelectKind(out, office, tda); };
  auto& w = office.Add<TReadWriteDaten>("Koordinaten");
  w.TransferDatenart = tdaKoordinate;
  w.OnWrite = [](TDaten& d) { return d.Punkt.Punktnummer + "\r\n"; };
  SetDFD(&dfd);
  auto& f = catalogue.Add<TGeraeteFormat>("In");
  f.OnSetTDA = [&](TTransferDatenart tda) { return SelectKind(f, instruments, tda); };
  f.OnGetDatenart = [](std::string&) { return tdaKoordinate; };
  auto& r = instruments.Add<TReadWriteDaten>("Koordinaten");
  r.TransferDatenart = tdaKoordinate;
  r.OnRead = [](const std::string& s, TDaten& d) { d.Punkt.Punktnummer = s; };

  ScriptedMessageBox box;
  ScopedMessageBox guard(&box);
  BenchInstrument instrument;
  instrument.format = &f;
  BenchSettings settings;
  TransferWindow window;
  StatisticsView statistics;
  SetTransferEnvironment({&window, &statistics, &instrument, &settings});

  TransferState& t = CurrentTransfer();
  LineList received;
  received.reserve(lines);
  for (size_t i = 0; i < lines; ++i) received.push_back("110001+000000000000" + std::to_string(i));
  for (auto _ : state) {
    t.ReceivedLines = received;
    t.OutputFileName.clear();  // nothing is saved: the engine alone is measured
    TransferPhase2();
    benchmark::DoNotOptimize(t.OutputLines.size());
  }
  state.counters["lines/s"] = benchmark::Counter(static_cast<double>(lines) * static_cast<double>(state.iterations()),
                                                 benchmark::Counter::kIsRate);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
  SetTransferEnvironment({});
  SetDmInit(nullptr);
  SetDFD(nullptr);
}
BENCHMARK(BM_Phase2)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
