// TInitDaten, TReadWriteDaten and the statistics record: the components that
// bind a record kind to its reset, reader, writer and statistics handlers.
// Every handler is optional; callers test it for presence before each call.
#pragma once

#include <functional>
#include <string>

#include "core/Components.h"
#include "core/TransDef.h"

namespace veltro {

struct TTransferStatistik {
  int Codes = 0;
  int Stationen = 0;
  int Punkte = 0;
  int Rueckblicke = 0;
  int Vorblicke = 0;
  int Mittelblicke = 0;
  int Fortschritt = 0;
  std::string Starthoehe;
  std::string BerechneteHoehe;
  std::string Endhoehe;
  std::string Differenz;
  bool Methode = false;
};

using TNotifyInitEvent = std::function<void(TDaten& Daten)>;
using TNotifyReadEvent = std::function<void(const std::string& S, TDaten& Daten)>;
using TNotifyWriteEvent = std::function<std::string(TDaten& Daten)>;
using TNotifyStatistikEvent = std::function<void(const std::string& S, TTransferStatistik& State)>;
// Rewrites a record edited in the file viewer into its own lines: Lines are
// the lines the record was read from (CR LF between them, none after the last), Read the record
// as the reader filled it from them, Daten the edited record. Answers the
// lines that replace them, or kWriteError, after telling the user why, to
// keep them.
using TNotifyWriteBackEvent = std::function<std::string(const std::string& Lines, const TDaten& Read, TDaten& Daten)>;

class TInitDaten : public TComponent {
 public:
  TTransferDatenart TransferDatenart = tdaInformation;
  TNotifyInitEvent OnInit;
};

class TReadWriteDaten : public TComponent {
 public:
  TTransferDatenart TransferDatenart = tdaInformation;
  TNotifyReadEvent OnRead;
  TNotifyWriteEvent OnWrite;
  TNotifyStatistikEvent OnStatistik;
  // A format whose writer cannot reproduce the lines it reads (it writes
  // only some kinds, or normalises what it does not read) edits them
  // through this instead of OnWrite.
  TNotifyWriteBackEvent OnWriteBack;
};

// Creates a TReadWriteDaten for kind as the module's last component.
inline TReadWriteDaten* AddReadWriteDaten(TDataModule& module, const char* name, TTransferDatenart kind) {
  TReadWriteDaten& rw = module.Add<TReadWriteDaten>(name);
  rw.TransferDatenart = kind;
  return &rw;
}

// The measurement kinds of an office format, in their fixed order, each
// written by the module's writer of the same name; a module without a
// comment writer writes no comments.
template <class Module>
void AddMeasurementWriters(Module& m) {
  m.Informationen = AddReadWriteDaten(m, "Informationen", tdaInformation);
  m.Informationen->OnWrite = [&m](TDaten& D) { return m.InformationenWrite(D); };
  m.Stationen = AddReadWriteDaten(m, "Stationen", tdaStation);
  m.Stationen->OnWrite = [&m](TDaten& D) { return m.StationenWrite(D); };
  m.Anschlusspunkte = AddReadWriteDaten(m, "Anschlusspunkte", tdaAnschlusspunkt);
  m.Anschlusspunkte->OnWrite = [&m](TDaten& D) { return m.AnschlusspunkteWrite(D); };
  m.Neupunkte = AddReadWriteDaten(m, "Neupunkte", tdaNeupunkt);
  m.Neupunkte->OnWrite = [&m](TDaten& D) { return m.NeupunkteWrite(D); };
  m.Kommentare = AddReadWriteDaten(m, "Kommentare", tdaKommentar);
  if constexpr (requires(TDaten& D) { m.KommentareWrite(D); })
    m.Kommentare->OnWrite = [&m](TDaten& D) { return m.KommentareWrite(D); };
  else
    m.Kommentare->OnWrite = [](TDaten&) { return std::string(); };
}

// A point line counted: one more point, one more step of the progress.
inline void CountPoint(TTransferStatistik& State) {
  ++State.Punkte;
  ++State.Fortschritt;
}

// The exact text a writer answers when a record cannot be written.
inline constexpr const char* kWriteError = "Error";

}  // namespace veltro
