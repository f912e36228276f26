#include "formats/office/Topocad.h"

#include <cmath>

#include "core/TextUtils.h"
#include "core/Transfer.h"

namespace veltro {
namespace {

constexpr size_t kPunktnummerBreite = 12;
constexpr const char* kHoeheLeer = "0.000";
constexpr const char* kStationCodeLeer = "1";
constexpr const char* kDatum = "YYYYYMMDD";
// The two counts of the station line are not known to the transfer.
constexpr long long kStationCount = 0;
constexpr long long kObservationCount = 0;

}  // namespace

TdmTopocad::TdmTopocad(TDFD& dfd)
    : TdmOfficeFormat("dmTopocad", dfd, *dfd.TopoCad, Parts::Standard,
                      {.Punktnummer = 0, .Code1 = 4, .Y = 2, .X = 1, .Hoehe = 3}) {
  punktnummerBreite_ = kPunktnummerBreite;
  AddOption(kRunAfterTransfer, "0");
  Attach();
}

bool TdmTopocad::RunAfterTransfer() const {
  const std::string v = TrimBlanks(Option(kRunAfterTransfer));
  return !v.empty() && v != "0" && v != "false" && v != "False" && v != "FALSE";
}

std::optional<LayoutArgs> TdmTopocad::KoordinatenArgs(const TPunkt& p) {
  return LayoutArgs{p.Punktnummer, p.X, p.Y, p.Hoehe, p.Code1, "", p.Kommentar};
}

std::string TdmTopocad::InformationenWrite(TDaten& Daten) {
  if (!CurrentTransfer().OutputLines.empty()) return {};
  auto line = Line(def_.Informationen, 0, {Daten.Info.Beobachter});
  return line ? *line : std::string(kWriteError);
}

std::string TdmTopocad::StationenWrite(TDaten& Daten) {
  const TStation& s = Daten.Station;
  const TInfo& info = Daten.Info;
  const std::string datum = std::trunc(info.Zeitpunkt) != 0 ? FormatDate(kDatum, info.Zeitpunkt) : std::string();
  auto line = Line(def_.Stationspunkt, 0,
                   {s.Punktnummer, s.Instrumentenhoehe.empty() ? std::string(kHoeheLeer) : s.Instrumentenhoehe,
                    s.Temperatur, s.Luftdruck, LayoutArg::Integer(kStationCount),
                    LayoutArg::Integer(kObservationCount), info.Projekt, info.Beobachter, datum,
                    s.Code.empty() ? std::string(kStationCodeLeer) : s.Code});
  return line ? *line : std::string(kWriteError);
}

// Only complete observations (direction, zenith angle, slope distance).
std::string TdmTopocad::Beobachtung(const TPunkt& p, const TStringList& layouts) const {
  if (!HasFlags(p.Messflags, mfHzVzSd)) return {};
  auto line = Line(layouts, 0,
                   {LayoutArg::Integer(0), p.Punktnummer, p.Horizontalwinkel, p.Vertikalwinkel, p.Schraegdistanz,
                    p.Reflektorhoehe.empty() ? std::string(kHoeheLeer) : p.Reflektorhoehe, p.Code1,
                    p.Kontrollkodierung, p.Laengsverschiebung, p.Querverschiebung, p.Vertikalverschiebung,
                    p.Kommentar, p.Code2, p.Anmerkung1, p.Anmerkung2});
  return line ? *line : std::string(kWriteError);
}

std::string TdmTopocad::AnschlusspunkteWrite(TDaten& Daten) { return Beobachtung(Daten.Punkt, def_.Anschlusspunkt); }

std::string TdmTopocad::NeupunktBeobachtung(TDaten& Daten) { return Beobachtung(Daten.Punkt, def_.Detailpunkt); }

}  // namespace veltro
