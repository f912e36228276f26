// ASCII -> GeoJSON and GeoJSON -> ASCII of generated points through the
// record model, as a transfer runs them: the source file loaded as the
// engine loads it, every point read into TDaten and written by the other
// format, the output saved. GeoJSON with grid coordinates (no coordinate
// system involved). Reports MB/s of the larger file and the peak resident
// memory as a multiple of it; run one benchmark per process for the peak:
//
//   build/bench/gis_bench --benchmark_filter=AsciiToGeoJson
//   build/bench/gis_bench --benchmark_filter=GeoJsonToAscii
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "core/Transfer.h"
#include "instruments/TransferModules.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "platform/TextFile.h"

using namespace veltro;

namespace {

constexpr int64_t kPoints = 1000000;

std::string TempPath(const char* name) { return "/tmp/veltro-gis-bench-" + std::to_string(::getpid()) + "-" + name; }

double FileMB(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<double>(st.st_size) / 1e6 : 0;
}

double PeakMB() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_maxrss) / 1e3;  // kB on Linux
}

// MB/s of the larger file, peak memory as a multiple of it; the files go.
void Report(benchmark::State& state, const std::string& in, const std::string& out) {
  const double larger = std::max(FileMB(in), FileMB(out));
  state.SetBytesProcessed(static_cast<int64_t>(larger * 1e6) * state.iterations());
  state.counters["larger_file_MB"] = larger;
  state.counters["peak_MB"] = PeakMB();
  state.counters["peak_x_file"] = PeakMB() / larger;
  std::remove(in.c_str());
  std::remove(out.c_str());
}

// Points in the Swiss grid with codes, heights (every tenth missing) and
// comments.
void WriteAscii(const std::string& path, int64_t n) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  for (int64_t i = 1; i <= n; ++i) {
    const long y = 2600000000L + (i * 7919) % 100000000L, x = 1200000000L + (i * 104729) % 100000000L;
    if (i % 10 == 0)
      std::fprintf(f, "P%lld|%lld|%ld.%03ld|%ld.%03ld||Mauer\r\n", static_cast<long long>(i),
                   static_cast<long long>(i % 50), y / 1000, y % 1000, x / 1000, x % 1000);
    else
      std::fprintf(f, "P%lld|%lld|%ld.%03ld|%ld.%03ld|%ld.%03ld|\r\n", static_cast<long long>(i),
                   static_cast<long long>(i % 50), y / 1000, y % 1000, x / 1000, x % 1000, 400 + i % 300,
                   static_cast<long>(i % 1000));
  }
  std::fclose(f);
}

// The same points as this program writes them in GeoJSON with grid values,
// written straight to the file (the set-up must not raise the peak).
void WriteGeoJson(const std::string& path, int64_t n) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fputs("{\r\n\"type\": \"FeatureCollection\",\r\n\"features\": [\r\n", f);
  for (int64_t i = 1; i <= n; ++i) {
    const long y = 2600000000L + (i * 7919) % 100000000L, x = 1200000000L + (i * 104729) % 100000000L;
    std::fprintf(f,
                 "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":[%ld.%03ld,%ld.%03ld,%ld.%03ld]},"
                 "\"properties\":{\"id\":\"P%lld\",\"code\":\"%lld\",\"comment\":\"\"}}%s\r\n",
                 y / 1000, y % 1000, x / 1000, x % 1000, 400 + i % 300, static_cast<long>(i % 1000),
                 static_cast<long long>(i), static_cast<long long>(i % 50), i < n ? "," : "");
  }
  std::fputs("]\r\n}\r\n", f);
  std::fclose(f);
}

struct World {
  World() {
    SetRegistryFile(RegistryRoot::CurrentUser, TempPath("settings.ini"));
    SetMessageBoxBackend(&box);
    modules.geraete->WriteBackOnDestroy = false;
    modules.geoJson->SetOption("GeoJSON\\Grid coordinates", "1");
  }
  ScriptedMessageBox box;
  TransferModules modules{"/nonexistent-veltro-bench"};
};

// One conversion: reader of `from` over the loaded lines, writer of `to`.
void Convert(TReadWriteDaten& reader, TReadWriteDaten& writer, TDatenformatDefinitionen& target) {
  TransferState& t = CurrentTransfer();
  TDaten d;
  if (target.OnBeforeSave) target.OnBeforeSave();
  std::string line;
  for (std::string_view stored : t.InputLines) {
    line = stored;
    d.Punkt = TPunkt{};
    reader.OnRead(line, d);
    d.Punkt.Messflags = mfKoordinaten;
    t.OutputLines.push_back(writer.OnWrite(d));
  }
  if (target.OnAfterSave) target.OnAfterSave();
}

void BM_AsciiToGeoJson(benchmark::State& state) {
  World w;
  const std::string in = TempPath("in.asc"), out = TempPath("out.geojson");
  WriteAscii(in, state.range(0));
  TransferState& t = CurrentTransfer();
  for (auto _ : state) {
    LoadTextFile(in, t.InputLines);
    Convert(*w.modules.ascii->Koordinaten, *w.modules.geoJson->Koordinaten, *w.modules.dfd->GeoJSON);
    t.InputLines.clear();
    SaveTextFile(out, t.OutputLines);
    t.OutputLines.clear();
  }
  Report(state, in, out);
}

void BM_GeoJsonToAscii(benchmark::State& state) {
  World w;
  const std::string in = TempPath("in.geojson"), out = TempPath("out.asc");
  WriteGeoJson(in, state.range(0));
  TransferState& t = CurrentTransfer();
  TDatenformatDefinitionen& geo = *w.modules.dfd->GeoJSON;
  for (auto _ : state) {
    // As the engine: the file as lines, then the format's own loading.
    LoadTextFile(in, t.InputLines);
    t.InputFileName = in;
    geo.OnBeforeLoad(false);
    TDaten d;
    std::string line;
    while (geo.OnTransform(line)) {
      d.Punkt = TPunkt{};
      w.modules.geoJson->Koordinaten->OnRead(line, d);
      t.OutputLines.push_back(w.modules.ascii->Koordinaten->OnWrite(d));
    }
    SaveTextFile(out, t.OutputLines);
    t.OutputLines.clear();
  }
  Report(state, in, out);
  std::remove(TempPath("settings.ini").c_str());
}

}  // namespace

BENCHMARK(BM_AsciiToGeoJson)->Arg(kPoints)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_GeoJsonToAscii)->Arg(kPoints)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
