// Runs one instrument -> PC transfer through the engine without a window:
// the lines of a text file "K <nr> <y> <x> <h>" are taken as received lines and
// converted into semicolon-separated coordinate lines, which are printed.
// This shows the transfer spine at work until the real formats exist.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/DatenformatDefinitionen.h"
#include "core/Messages.h"
#include "core/Transfer.h"
#include "platform/MessageBox.h"
#include "platform/TextFile.h"

using namespace veltro;

namespace {

std::string Word(const std::string& line, int n) {
  size_t pos = 0;
  for (int i = 0; i < n; ++i) {
    pos = line.find(' ', pos);
    if (pos == std::string::npos) return {};
    ++pos;
  }
  return line.substr(pos, line.find(' ', pos) - pos);
}

class FileInstrument : public InstrumentSide {
 public:
  TGeraeteFormat* format = nullptr;
  std::string path;
  TGeraeteFormat* CurrentGeraeteFormat() override { return format; }
  int ReceiveLines(bool) override {
    TransferState& t = CurrentTransfer();
    if (!LoadTextFile(path, t.ReceivedLines)) return 1;
    t.FormatTag = "kDEMO";
    CurrentTransferEnvironment().statistics->Statistik().Fortschritt = static_cast<int>(t.ReceivedLines.size());
    return 0;
  }
};

class DemoSettings : public TransferSettings {
 public:
  bool TransOf() const override { return true; }
};

void Echo(const RecordedMessage& m) { std::fprintf(stderr, "%s\n", m.text.c_str()); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: spine-demo FILE\n");
    return 64;
  }
  TDataModule init("dmInit"), dfd("TDFD"), office("dmDemo"), instruments("dmInstrument"), catalogue("TGeraete");
  auto& reset = init.Add<TInitDaten>("Koordinaten");
  reset.TransferDatenart = tdaKoordinate;
  reset.OnInit = [](TDaten& d) { d.Punkt = TPunkt{}; };
  SetDmInit(&init);

  auto& csv = dfd.Add<TDatenformatDefinitionen>("Demo");
  csv.Caption = "Demo";
  csv.Active = true;
  csv.OnSetTDA = [&](TTransferDatenart tda) { return SelectKind(csv, office, tda); };
  auto& write = office.Add<TReadWriteDaten>("Koordinaten");
  write.TransferDatenart = tdaKoordinate;
  write.OnWrite = [](TDaten& d) {
    return d.Punkt.Punktnummer + ";" + d.Punkt.Y + ";" + d.Punkt.X + ";" + d.Punkt.Hoehe + "\r\n";
  };
  SetDFD(&dfd);

  auto& format = catalogue.Add<TGeraeteFormat>("DEMO");
  format.Caption = "Demo";
  format.OnSetTDA = [&](TTransferDatenart tda) { return SelectKind(format, instruments, tda); };
  format.OnGetDatenart = [](std::string& s) { return s.rfind("K ", 0) == 0 ? tdaKoordinate : tdaNone; };
  auto& read = instruments.Add<TReadWriteDaten>("Koordinaten");
  read.TransferDatenart = tdaKoordinate;
  read.OnRead = [](const std::string& s, TDaten& d) {
    d.Punkt.Punktnummer = Word(s, 1);
    d.Punkt.Y = Word(s, 2);
    d.Punkt.X = Word(s, 3);
    d.Punkt.Hoehe = Word(s, 4);
  };
  read.OnStatistik = [](const std::string&, TTransferStatistik& st) { ++st.Punkte; ++st.Fortschritt; };

  ScriptedMessageBox box;
  box.echo = Echo;
  SetMessageBoxBackend(&box);
  SetTextProvider([](int n) { return "Meldung " + std::to_string(n); });

  FileInstrument instrument;
  instrument.format = &format;
  instrument.path = argv[1];
  DemoSettings settings;
  TransferWindow window;
  const char* tmp = std::getenv("TMPDIR");
  std::string out = std::string(tmp && *tmp ? tmp : "/tmp") + "/spine-demo-" + std::to_string(getpid()) + ".txt";
  std::remove(out.c_str());
  window.SetOutputFileField(out);
  StatisticsView statistics;
  SetTransferEnvironment({&window, &statistics, &instrument, &settings});

  Transfer_startenClick();
  TextLines result;
  if (!LoadTextFile(out, result)) {
    std::fprintf(stderr, "nothing written\n");
    return 2;
  }
  std::printf("Converted %s into %s:\n", argv[1], out.c_str());
  for (const auto& l : result) std::printf("  %s\n", l.c_str());
  std::remove(out.c_str());
  return 0;
}
