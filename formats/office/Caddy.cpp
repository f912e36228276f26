#include "formats/office/Caddy.h"

namespace veltro {
namespace {

constexpr const char* kKlassePunkt = "5";
constexpr const char* kKlasseAnschluss = "0";

enum Variante : size_t { kMitDistanz = 0, kOhneDistanz = 1, kNurRichtung = 2 };

}  // namespace

TdmCADDY::TdmCADDY(TDFD& dfd)
    : TdmOfficeFormat("dmCADDY", dfd, *dfd.Caddy, Parts::Standard,
                      {.Punktnummer = 0, .Code1 = 4, .Y = 1, .X = 2, .Hoehe = 3, .Kommentar = 6}) {
  Attach();
}

std::optional<LayoutArgs> TdmCADDY::KoordinatenArgs(const TPunkt& p) {
  return LayoutArgs{p.Punktnummer, p.Y, p.X, p.Hoehe, p.Code1, kKlassePunkt, p.Kommentar};
}

std::string TdmCADDY::StationenWrite(TDaten& Daten) {
  const TStation& s = Daten.Station;
  auto line = Line(def_.Stationspunkt, 0, {"-" + s.Punktnummer, s.Instrumentenhoehe, s.Code, kKlassePunkt});
  return line ? *line : std::string(kWriteError);
}

std::string TdmCADDY::Beobachtung(const TPunkt& p, const char* klasse, bool backsight) const {
  const TStringList& layouts = backsight ? def_.Anschlusspunkt : def_.Detailpunkt;
  std::optional<std::string> line;
  if (HasFlags(p.Messflags, mfHzVzSd) || HasFlags(p.Messflags, mfHzVzHd)) {
    const std::string& distanz = HasFlags(p.Messflags, mfHzVzSd) ? p.Schraegdistanz : p.Horizontaldistanz;
    line = Line(layouts, kMitDistanz,
                {p.Punktnummer, p.Horizontalwinkel, distanz, p.Vertikalwinkel, p.Reflektorhoehe, p.Code1, klasse,
                 p.Kommentar});
  } else if (HasFlags(p.Messflags, mfHzVz)) {
    line = Line(layouts, kOhneDistanz,
                {p.Punktnummer, p.Horizontalwinkel, p.Vertikalwinkel, p.Reflektorhoehe, p.Code1, klasse, p.Kommentar});
  } else if (backsight && HasFlags(p.Messflags, mfHorizontalwinkel)) {
    line = Line(layouts, kNurRichtung, {p.Punktnummer, p.Horizontalwinkel, p.Code1, klasse, p.Kommentar});
  } else {
    return {};
  }
  return line ? *line : std::string(kWriteError);
}

std::string TdmCADDY::AnschlusspunkteWrite(TDaten& Daten) {
  return Beobachtung(Daten.Punkt, kKlasseAnschluss, true);
}

std::string TdmCADDY::NeupunktBeobachtung(TDaten& Daten) { return Beobachtung(Daten.Punkt, kKlassePunkt, false); }

}  // namespace veltro
