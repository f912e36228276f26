#include "tests/support/EditFormat.h"

#include <sstream>
#include <vector>

#include "core/TextUtils.h"
#include "core/Transfer.h"

namespace veltro::test {
namespace {

bool Begins(std::string_view s, const char* prefix) { return s.starts_with(prefix); }

std::vector<std::string> Words(const std::string& s) {
  std::vector<std::string> words;
  std::istringstream in(s);
  std::string w;
  while (in >> w) words.push_back(w);
  return words;
}

std::string At(const std::vector<std::string>& v, size_t i) { return i < v.size() ? v[i] : std::string(); }

TTransferDatenart KindOf(const std::string& s) {
  if (Begins(s, "ST ") || Begins(s, "STATION ")) return tdaStation;
  if (Begins(s, "PT ")) return tdaKoordinate;
  if (Begins(s, "NP ")) return tdaNeupunkt;
  if (Begins(s, "REM ")) return tdaKommentar;
  if (Begins(s, "IN ")) return tdaInformation;
  if (Begins(s, "QP ")) return tdaQuerprofil;
  if (Begins(s, "MD ")) return tdaMessdaten;
  if (Begins(s, "LP ")) return tdaLaengsprofil;
  return tdaNone;
}

}  // namespace

std::string EditFormat::Detect(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line))
    if (Begins(line, "ST ") || Begins(line, "PT ")) return "dEdit";
  return {};
}

EditFormat::EditFormat(TDataModule& catalogue) {
  format = &catalogue.Add<TGeraeteFormat>("Edit");
  format->Caption = "Edit";
  format->Modify = true;
  format->MoreLine = true;
  format->MainElement = "ST ;STATION ";
  format->Datumsformat = "DD.MM.YY";
  format->Uhrzeitformat = "HH:MM";
  format->OnGetDatenart = [](std::string& s) { return KindOf(s); };
  format->OnSetTDA = [this](TTransferDatenart tda) { return SelectKind(*format, module, tda); };
  format->OnEditNext = [](const std::string& s) { return KindOf(s) != tdaNone; };
  format->OnInitEditor = [this] { ++initEditorCalls; };
  format->OnPrepEditor = [this](const std::string& buffer) {
    ++prepEditorCalls;
    std::string out;
    for (char c : buffer) out += c == '|' ? std::string("\r\n") : std::string(1, c);
    return out;
  };

  auto& st = *AddReadWriteDaten(module, "Stationen", tdaStation);
  st.OnRead = [](const std::string& s, TDaten& d) {
    d.Station.Punktnummer = At(Words(s), 1);
    d.Konstanten.Originalzeilen = s;
  };
  st.OnWrite = [](TDaten& d) { return "ST " + d.Station.Punktnummer + "\r\n"; };

  auto& pt = *AddReadWriteDaten(module, "Koordinaten", tdaKoordinate);
  pt.OnRead = [](const std::string& s, TDaten& d) {
    const auto w = Words(s);
    d.Punkt.Punktnummer = At(w, 1);
    d.Punkt.Y = At(w, 2);
    d.Punkt.X = At(w, 3);
    d.Punkt.Hoehe = At(w, 4);
    d.Konstanten.Originalzeilen = s;
  };
  pt.OnWrite = [](TDaten& d) -> std::string {
    if (d.Punkt.Y.empty() || d.Punkt.X.empty()) return "Error";
    return "PT " + d.Punkt.Punktnummer + " " + d.Punkt.Y + " " + d.Punkt.X + " " + d.Punkt.Hoehe + "\r\n";
  };

  // The remarks are kept in Kommentar, separated by "|".
  Neupunkte = AddReadWriteDaten(module, "Neupunkte", tdaNeupunkt);
  Neupunkte->OnRead = [](const std::string& s, TDaten& d) {
    d.Punkt.Punktnummer = At(Words(s), 1);
    d.Konstanten.Originalzeilen = s;
    d.Konstanten.Startzeile = d.Konstanten.Zeile;
    if (!CurrentTransfer().ActiveLines) return;
    const LineList& lines = *CurrentTransfer().ActiveLines;
    while (static_cast<size_t>(d.Konstanten.Zeile) + 1 < lines.size() &&
           Begins(lines[static_cast<size_t>(d.Konstanten.Zeile) + 1], "  ")) {
      const std::string next(lines[static_cast<size_t>(++d.Konstanten.Zeile)]);
      if (!d.Punkt.Kommentar.empty()) d.Punkt.Kommentar += "|";
      d.Punkt.Kommentar += next.substr(2);
      d.Konstanten.Originalzeilen += "\r\n" + next;
    }
  };
  Neupunkte->OnWrite = [](TDaten& d) {
    std::string out = "NP " + d.Punkt.Punktnummer + "\r\n";
    std::istringstream remarks(d.Punkt.Kommentar);
    std::string remark;
    while (std::getline(remarks, remark, '|')) out += "  " + remark + "\r\n";
    return out;
  };

  auto& rem = *AddReadWriteDaten(module, "Kommentare", tdaKommentar);
  rem.OnRead = [](const std::string& s, TDaten& d) { d.Kommentar.Beschreibung = s.substr(4); };

  auto& in = *AddReadWriteDaten(module, "Informationen", tdaInformation);
  in.OnRead = [](const std::string& s, TDaten& d) {
    const auto w = Words(s);
    d.Info.Projekt = At(w, 1);
    d.Info.Zeitpunkt = ParseDate("DD.MM.YY", At(w, 2)) + ParseTime("HH:MM", At(w, 3));
  };
  in.OnWrite = [](TDaten& d) {
    const double t = d.Info.Zeitpunkt;
    return "IN " + d.Info.Projekt + " " + (t != 0 ? FormatDate("DD.MM.YY", t) + " " + FormatTime("HH:MM", t) : "") +
           "\r\n";
  };
  auto& qp = *AddReadWriteDaten(module, "Querprofile", tdaQuerprofil);
  qp.OnRead = [](const std::string& s, TDaten& d) {
    const auto w = Words(s);
    d.Querprofil = {At(w, 1), At(w, 2), At(w, 3), At(w, 4)};
  };
  qp.OnWrite = [](TDaten& d) {
    const TQuerprofil& q = d.Querprofil;
    return "QP " + q.Stationierung + " " + q.Code + " " + q.Seitenabstand + " " + q.Hoehe + "\r\n";
  };
  auto& md = *AddReadWriteDaten(module, "Messdaten", tdaMessdaten);
  md.OnRead = [](const std::string& s, TDaten& d) {
    const auto w = Words(s);
    d.Messung.Punktnummer = At(w, 1);
    d.Messung.Lattenablesung = At(w, 2);
    d.Messung.Bodenhoehe = At(w, 3);
  };
  md.OnWrite = [](TDaten& d) {
    const TMessung& m = d.Messung;
    return "MD " + m.Punktnummer + " " + m.Lattenablesung + " " + m.Bodenhoehe + "\r\n";
  };
  auto& lp = *AddReadWriteDaten(module, "Laengsprofile", tdaLaengsprofil);
  lp.OnRead = [](const std::string& s, TDaten& d) { d.Punkt.Punktnummer = At(Words(s), 1); };
}

}  // namespace veltro::test
