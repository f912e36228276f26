#include "formats/office/CPlan.h"

#include "core/Messages.h"
#include "core/TextUtils.h"
#include "formats/office/ASCII.h"
#include "formats/office/RecordText.h"

namespace veltro {
namespace {

constexpr int kTextTemperatur = 159;
constexpr int kTextLuftdruck = 160;
constexpr const char* kKlasse = "9";
constexpr const char* kHoeheLeer = "0.000";
constexpr const char* kStationCodeLeer = "1";
constexpr const char* kStation = "ST";
constexpr const char* kFestpunktStation = "FS";
constexpr const char* kFestpunktArt = "2";

// The layout without the alternative positions that stand in front of a
// text conversion.
std::string WithoutTextAlternatives(const std::string& layout) {
  std::string out;
  size_t i = 0;
  while (i < layout.size()) {
    if (layout[i] == '{') {
      const size_t close = layout.find('}', i);
      if (close != std::string::npos && close + 1 < layout.size() && layout[close + 1] == '%') {
        size_t j = close + 2;
        while (j < layout.size() && (layout[j] == '-' || layout[j] == '.' || layout[j] == kKeepLastMark ||
                                     (layout[j] >= '0' && layout[j] <= '9')))
          ++j;
        if (j < layout.size() && (layout[j] == 's' || layout[j] == 'S')) {
          i = close + 1;
          continue;
        }
      }
    }
    out += layout[i++];
  }
  return out;
}

}  // namespace

TdmCPLAN::TdmCPLAN(TDFD& dfd)
    : TdmOfficeFormat("dmCPLAN", dfd, *dfd.CPlan, Parts::Standard,
                      {.Punktnummer = 1, .Code1 = 2, .Y = 4, .X = 5, .Hoehe = 7}),
      testLayout_(WithoutTextAlternatives(dfd.CPlan->Koordinaten)) {
  Kommentare->OnRead = [this](const std::string& S, TDaten& D) { KommentareRead(S, D); };
  Attach();
}

void TdmCPLAN::KoordinatenRead(const std::string& S, TDaten& Daten) {
  TdmOfficeFormat::KoordinatenRead(S, Daten);
  if (Daten.Punkt.Hoehe.empty()) Daten.Punkt.Hoehe = kHoeheLeer;
}

void TdmCPLAN::KommentareRead(const std::string& S, TDaten& Daten) {
  Daten.Konstanten.Originalzeilen = S;
  std::string text = S.empty() ? S : S.substr(1);
  if (!text.empty() && text[0] == ' ') text.erase(0, 1);
  Daten.Kommentar.Beschreibung = TrimRightChar(text, ' ');
}

std::optional<LayoutArgs> TdmCPLAN::KoordinatenArgs(const TPunkt& p) {
  return LayoutArgs{"", p.Punktnummer, p.Code1, kKlasse, p.Y, p.X, "", p.Hoehe};
}

std::string TdmCPLAN::InformationenWrite(TDaten& Daten) {
  RecordText out(true);
  for (const std::string& item : InformationItems(Daten.Info)) out.Add(def_.Informationen, 0, {item});
  return out.Result();
}

std::string TdmCPLAN::KommentareWrite(TDaten& Daten) {
  RecordText out(true);
  out.Add(def_.Kommentare, 0, {Daten.Kommentar.Beschreibung});
  return out.Result();
}

// A station is written with the first observation that follows it.
std::string TdmCPLAN::StationenWrite(TDaten& Daten) {
  Daten.Station.StationOffen = true;
  return {};
}

std::string TdmCPLAN::OffeneStation(TDaten& Daten) {
  TStation& s = Daten.Station;
  if (!s.StationOffen) return {};
  RecordText out(true);
  if (!s.Temperatur.empty()) out.Add(def_.Kommentare, 0, {GetText(kTextTemperatur) + s.Temperatur});
  if (!s.Luftdruck.empty()) out.Add(def_.Kommentare, 0, {GetText(kTextLuftdruck) + s.Luftdruck});
  s.Temperatur.clear();
  s.Luftdruck.clear();
  out.Add(def_.Stationspunkt, 0,
          {s.Punktart == kFestpunktArt ? kFestpunktStation : kStation, s.Punktnummer,
           s.Code.empty() ? std::string(kStationCodeLeer) : s.Code,
           s.Instrumentenhoehe.empty() ? std::string(kHoeheLeer) : s.Instrumentenhoehe, "", ""});
  s.StationOffen = false;
  return out.Result();
}

// The observation layouts of C-Plan are not known: the station and the
// coordinates of the point are written, the observation itself is not.
std::string TdmCPLAN::NeupunktBeobachtung(TDaten& Daten) {
  ObservationsNotWritten(Daten.Punkt);
  return OffeneStation(Daten);
}

std::string TdmCPLAN::AnschlusspunkteWrite(TDaten& Daten) { return NeupunkteWrite(Daten); }

}  // namespace veltro
