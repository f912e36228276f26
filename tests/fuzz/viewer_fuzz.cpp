// The viewer's line model under random text, moves and write-backs. The
// input is three NUL-separated parts: the operations (one byte each), the
// text, and what the record writer answers ("%" stands for the point
// number; it may hold line breaks, be empty or be "Error"), which is also
// the value an edit puts into the prepared record's fields. A first
// operation byte with its low bit set shows the text in the format "Fuzz"
// below, otherwise in what the detection recognises (GSI, or the default).
//
// Format "Fuzz": lines starting with "S" are stations (markers "S" and
// "ST"), "P" coordinates, "N" new points that take the following lines
// starting with a blank as part of their record; others are no record.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "core/Transfer.h"
#include "formats/instrument/CheckFormate.h"
#include "instruments/TransferModules.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "platform/TextFile.h"
#include "tests/fuzz/FuzzInput.h"
#include "viewer/ViewerModel.h"

using namespace veltro;

namespace {

TTransferDatenart FuzzKind(const std::string& s) {
  if (s.empty()) return tdaNone;
  switch (s[0]) {
    case 'S':
      return tdaStation;
    case 'P':
      return tdaKoordinate;
    case 'N':
      return tdaNeupunkt;
    default:
      return tdaNone;
  }
}

struct World {
  World() {
    SetRegistryFile(RegistryRoot::CurrentUser, "/nonexistent-veltro-fuzz/user.ini");
    SetRegistryFile(RegistryRoot::LocalMachine, "/nonexistent-veltro-fuzz/machine.ini");
    SetMessageBoxBackend(&box);
    modules = std::make_unique<TransferModules>("/nonexistent-veltro-fuzz");
    modules->geraete->WriteBackOnDestroy = false;
    modules->geraete->ForEach<TInstrument>([](TInstrument& i) { i.Active = false; });
    modules->geraete->Instrument("itTPS1100")->Active = true;

    format = &modules->geraete->Add<TGeraeteFormat>("Fuzz");
    format->MainElement = "S;ST;";
    format->OnGetDatenart = [](std::string& s) { return FuzzKind(s); };
    format->OnEditNext = [](const std::string& s) { return FuzzKind(s) != tdaNone; };
    format->OnSetTDA = [this](TTransferDatenart tda) { return SelectKind(*format, module, tda); };
    for (TTransferDatenart kind : {tdaStation, tdaKoordinate, tdaNeupunkt}) {
      TReadWriteDaten* rw = AddReadWriteDaten(module, TransferDatenartName(kind), kind);
      rw->OnRead = [kind](const std::string& s, TDaten& d) {
        d.Punkt.Punktnummer = s.substr(1, 8);
        const LineList* lines = CurrentTransfer().ActiveLines;
        if (kind != tdaNeupunkt || !lines) return;
        while (d.Konstanten.Zeile >= 0 && static_cast<size_t>(d.Konstanten.Zeile) + 1 < lines->size() &&
               (*lines)[static_cast<size_t>(d.Konstanten.Zeile) + 1].rfind(" ", 0) == 0)
          ++d.Konstanten.Zeile;
      };
      rw->OnWrite = [this](TDaten& d) {
        std::string out;
        for (char c : answer) out += c == '%' ? d.Punkt.Punktnummer : std::string(1, c);
        return out;
      };
    }
    model = std::make_unique<ViewerModel>(*modules->geraete);
  }

  ScriptedMessageBox box;
  std::unique_ptr<TransferModules> modules;
  TDataModule module{"dmFuzz"};
  TGeraeteFormat* format = nullptr;
  std::string answer;
  std::unique_ptr<ViewerModel> model;
};

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 16384) return 0;
  static World world;
  world.box.Clear();
  const std::vector<std::string> parts = fuzz::Parts(data, size, 3);
  const std::string& ops = parts[0];
  world.answer = parts[2];
  world.format->Modify = true;
  world.format->MoreLine = true;
  ViewerModel& m = *world.model;
  const bool fuzzFormat = !ops.empty() && (ops[0] & 1);
  m.detect = [fuzzFormat](const std::string& text) { return fuzzFormat ? std::string("dFuzz") : DetectFormat(text); };
  m.ShowLines(LineList(SplitLines(parts[1])));

  for (size_t i = 0; i < ops.size(); ++i) {
    const unsigned char op = static_cast<unsigned char>(ops[i]);
    const auto direction = op & 0x80 ? ViewerDirection::Previous : ViewerDirection::Next;
    switch ((op & 0x7F) % 10) {
      case 0:
        m.MoveLine(direction);
        break;
      case 1:
        m.MoveRecord(direction);
        break;
      case 2:
        op & 0x80 ? m.LastRecord() : m.FirstRecord();
        break;
      case 3:
        m.MoveStation(direction);
        break;
      case 4:
        m.PrepareEdit();
        break;
      case 5:
        m.WriteBack();
        break;
      case 6:
        m.SetCurrentLine((op & 0x80 ? -1 : 1) * static_cast<int>(i * 7 % 101));
        break;
      case 7:
        world.format->MoreLine = !world.format->MoreLine;
        break;
      case 8:
        world.format->Modify = !world.format->Modify;
        break;
      case 9: {  // an edit, written back by the next write-back (GSI rewrites its words)
        TPunkt& p = m.Record().Punkt;
        for (std::string* field : {&p.Punktnummer, &p.Code1, &p.Y, &p.Hoehe, &p.Reflektorhoehe, &p.Vertikalwinkel,
                                   &m.Record().Punktcode.Entity})
          if (op & 0x80 || field == &p.Hoehe) *field = world.answer;
        break;
      }
    }
    const int n = m.LineCount();
    Check(m.CurrentLine() >= 0 && (n == 0 ? m.CurrentLine() == 0 : m.CurrentLine() < n));
    if (m.RecordPrepared())
      Check(m.RecordFirstLine() <= m.RecordLastLine() && m.RecordLastLine() < n && m.RecordFirstLine() >= 0);
  }
  CurrentTransfer().FormatTag.clear();
  return 0;
}
