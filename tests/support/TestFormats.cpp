#include "tests/support/TestFormats.h"

#include <sstream>
#include <vector>

#include "core/Transfer.h"

namespace veltro::test {
namespace {

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> out;
  std::string field;
  std::istringstream in(s);
  while (std::getline(in, field, sep)) out.push_back(field);
  if (!s.empty() && s.back() == sep) out.emplace_back();
  return out;
}

std::string At(const std::vector<std::string>& v, size_t i) { return i < v.size() ? v[i] : std::string(); }

TReadWriteDaten& Rw(TDataModule& m, const std::string& name, TTransferDatenart tda) {
  auto& rw = m.Add<TReadWriteDaten>(name);
  rw.TransferDatenart = tda;
  return rw;
}

}  // namespace

TestFormats::TestFormats() {
  // dmInit: one reset per kind in ordinal order; Laengsprofile has none.
  for (int k = 0; k <= tdaKonstanten; ++k) {
    auto& i = init.Add<TInitDaten>(std::string("Init") + TransferDatenartName(static_cast<TTransferDatenart>(k)));
    i.TransferDatenart = static_cast<TTransferDatenart>(k);
    if (k == tdaLaengsprofil) continue;
    i.OnInit = [this, k](TDaten& d) {
      ++initCalls[k];
      switch (k) {
        case tdaInformation: d.Info = TInfo{}; break;
        case tdaStation: d.Station = TStation{}; break;
        case tdaAnschlusspunkt:
        case tdaNeupunkt:
        case tdaKoordinate:
        case tdaNivKoordinate: d.Punkt = TPunkt{}; break;
        case tdaQuerprofil: d.Querprofil = TQuerprofil{}; break;
        case tdaPunktcode: d.Punktcode = TPunktcode{}; break;
        case tdaKommentar:
        case tdaNivKommentar: d.Kommentar = TKommentar{}; break;
        case tdaStartdaten: d.Start = TStart{}; break;
        case tdaMessdaten: d.Messung = TMessung{}; break;
        case tdaEnddaten: d.Ende = TEnde{}; break;
        case tdaKonstanten: d.Konstanten = TKonstanten{}; break;
        default: break;
      }
    };
  }
  SetDmInit(&init);

  // Office format "Lines".
  lines = &dfd.Add<TDatenformatDefinitionen>("Lines");
  lines->Caption = "Zeilen";
  lines->Start = "BEGIN";
  lines->Ende = "END";
  lines->KoordinatenDateiname = "Koord*.asc";
  lines->MessungenDateiname = "Mess*.asc";
  lines->Active = true;
  lines->OnSetTDA = [this](TTransferDatenart tda) { return SelectKind(*lines, linesModule, tda); };
  lines->OnAttribute = [](std::string& page) {
    page = "Lines_Blatt";
    return std::string("Zeilen");
  };
  lines->OnFormat = [this](const std::string& s, const std::string&) -> std::string {
    if (s.size() < 2 || s[1] != ';') return {};
    switch (s[0]) {
      case 'P': return lines->OnSetTDA(tdaKoordinate);
      case 'C': return lines->OnSetTDA(tdaKommentar);
      case 'M': return lines->OnSetTDA(tdaNeupunkt);
      case 'S': return lines->OnSetTDA(tdaStation);
      case 'X': return lines->OnSetTDA(tdaInformation);
      default: return {};
    }
  };
  auto& k = Rw(linesModule, "Koordinaten", tdaKoordinate);
  k.OnRead = [](const std::string& s, TDaten& d) {
    auto f = Split(s, ';');
    d.Punkt.Punktnummer = At(f, 1);
    d.Punkt.Y = At(f, 2);
    d.Punkt.X = At(f, 3);
    d.Punkt.Hoehe = At(f, 4);
    d.Konstanten.Originalzeilen = s;
  };
  k.OnWrite = [](TDaten& d) {
    return "P;" + d.Punkt.Punktnummer + ";" + d.Punkt.Y + ";" + d.Punkt.X + ";" + d.Punkt.Hoehe + "\r\n";
  };
  k.OnStatistik = [](const std::string&, TTransferStatistik& st) {
    ++st.Punkte;
    ++st.Fortschritt;
  };
  auto& c = Rw(linesModule, "Kommentare", tdaKommentar);
  c.OnRead = [](const std::string& s, TDaten& d) { d.Kommentar.Beschreibung = s.substr(2); };
  c.OnWrite = [](TDaten& d) { return "C;" + d.Kommentar.Beschreibung + "\r\n"; };
  auto& m = Rw(linesModule, "Neupunkte", tdaNeupunkt);
  m.OnRead = [](const std::string& s, TDaten& d) {
    auto f = Split(s, ';');
    d.Punkt.Punktnummer = At(f, 1);
    d.Punkt.Anmerkung1 = At(f, 2);
  };
  m.OnWrite = [](TDaten& d) { return "M;" + d.Punkt.Punktnummer + ";" + d.Punkt.Anmerkung1 + "\r\n"; };
  auto& st = Rw(linesModule, "Stationen", tdaStation);
  st.OnRead = [](const std::string& s, TDaten& d) { d.Station.Punktnummer = s.substr(2); };
  st.OnWrite = [](TDaten& d) { return "S;" + d.Station.Punktnummer + "\r\n"; };

  // Office format "Other".
  other = &dfd.Add<TDatenformatDefinitionen>("Other");
  other->Caption = "Anderes";
  other->OnSetTDA = [this](TTransferDatenart tda) { return SelectKind(*other, otherModule, tda); };
  other->OnAttribute = [](std::string& page) {
    page = "Other_Blatt";
    return std::string("Anderes");
  };
  other->OnFormat = [this](const std::string& s, const std::string&) -> std::string {
    return s.rfind("O;", 0) == 0 ? other->OnSetTDA(tdaKommentar) : std::string();
  };
  auto& oc = Rw(otherModule, "Kommentare", tdaKommentar);
  oc.OnRead = [](const std::string& s, TDaten& d) { d.Kommentar.Beschreibung = s.substr(2); };
  oc.OnWrite = [](TDaten& d) { return "O;" + d.Kommentar.Beschreibung + "\r\n"; };
  SetDFD(&dfd);

  // Instrument format "Inst".
  inst = &catalogue.Add<TGeraeteFormat>("Inst");
  inst->Caption = "Instrument";
  inst->KoordinatenDateiname = "Inst*.txt";
  inst->OnSetTDA = [this](TTransferDatenart tda) { return SelectKind(*inst, instModule, tda); };
  inst->OnGetDatenart = [](std::string& s) -> TTransferDatenart {
    if (s.size() < 2 || s[1] != ' ') return tdaNone;
    switch (s[0]) {
      case 'K': return tdaKoordinate;
      case 'N': return tdaKommentar;
      case 'M': return tdaNeupunkt;
      case 'B': return tdaStation;
      case 'Z': return tdaPunktcode;
      default: return tdaNone;
    }
  };
  auto& ik = Rw(instModule, "Koordinaten", tdaKoordinate);
  ik.OnRead = [](const std::string& s, TDaten& d) {
    auto f = Split(s, ' ');
    d.Punkt.Punktnummer = At(f, 1);
    d.Punkt.Y = At(f, 2);
    d.Punkt.X = At(f, 3);
    d.Punkt.Hoehe = At(f, 4);
  };
  ik.OnWrite = [](TDaten& d) -> std::string {
    if (d.Punkt.Y.empty() || d.Punkt.X.empty()) return "Error";
    return "K " + d.Punkt.Punktnummer + " " + d.Punkt.Y + " " + d.Punkt.X + " " + d.Punkt.Hoehe;
  };
  auto& in = Rw(instModule, "Kommentare", tdaKommentar);
  in.OnRead = [](const std::string& s, TDaten& d) { d.Kommentar.Beschreibung = s.substr(2); };
  in.OnWrite = [](TDaten& d) { return "N " + d.Kommentar.Beschreibung; };
  auto& im = Rw(instModule, "Neupunkte", tdaNeupunkt);
  im.OnRead = [](const std::string& s, TDaten& d) {
    d.Punkt.Punktnummer = s.substr(2);
    TransferState& t = CurrentTransfer();
    const LineList& list = *t.ActiveLines;
    d.Konstanten.Startzeile = d.Konstanten.Zeile;
    while (static_cast<size_t>(d.Konstanten.Zeile) + 1 < list.size() &&
           list[static_cast<size_t>(d.Konstanten.Zeile) + 1].rfind("+ ", 0) == 0) {
      ++d.Konstanten.Zeile;
      d.Punkt.Anmerkung1 += list[static_cast<size_t>(d.Konstanten.Zeile)].substr(2);
    }
  };
  im.OnWrite = [](TDaten& d) { return "M " + d.Punkt.Punktnummer; };
  auto& ib = Rw(instModule, "Stationen", tdaStation);
  ib.OnRead = [](const std::string& s, TDaten& d) {
    d.Station.Punktnummer = s.substr(2);
    if (d.Konstanten.Zeile > 0) --d.Konstanten.Zeile;
  };
  ib.OnWrite = [](TDaten& d) { return "B " + d.Station.Punktnummer; };
  Rw(instModule, "Punktcodes", tdaPunktcode);  // no handlers
}

TestFormats::~TestFormats() {
  SetDmInit(nullptr);
  SetDFD(nullptr);
}

}  // namespace veltro::test
