#include "formats/office/OSQUSO.h"

#include <cmath>

#include "core/TextUtils.h"
#include "core/Transfer.h"

namespace veltro {
namespace {

constexpr std::string_view kInformation = "D00";
constexpr const char* kDatum = "DD.MM.YYYY";
constexpr const char* kUhrzeit = "HH:NN";
constexpr const char* kHoeheLeer = "0.000";
constexpr size_t kPunktnummerBreite = 4;

}  // namespace

TdmOSQUSO::TdmOSQUSO(TDFD& dfd)
    : TdmOfficeFormat("dmOSQUSO", dfd, *dfd.OSQUSO, Parts::Standard,
                      {.Punktnummer = 2, .Code1 = 0, .Y = 3, .X = 4, .Hoehe = 5}) {
  punktnummerBreite_ = kPunktnummerBreite;
  ohneBeobachtungen_ = true;
  Attach();
}

std::optional<LayoutArgs> TdmOSQUSO::KoordinatenArgs(const TPunkt& p) {
  return LayoutArgs{p.Code1, "", p.Punktnummer, p.Y, p.X, p.Hoehe};
}

std::string TdmOSQUSO::InformationenWrite(TDaten& Daten) {
  const TInfo& info = Daten.Info;
  const bool day = std::trunc(info.Zeitpunkt) != 0;
  auto line = Line(def_.Informationen, 0,
                   {info.Beobachter, info.Projekt, day ? FormatDate(kDatum, info.Zeitpunkt) : std::string(),
                    info.Zeitpunkt != 0 ? FormatTime(kUhrzeit, info.Zeitpunkt) : std::string(), info.Instrument});
  if (!line) return kWriteError;
  LineList& output = CurrentTransfer().OutputLines;
  if (!output.empty() && output.back().compare(0, kInformation.size(), kInformation) == 0) output.pop_back();
  return *line;
}

// The instrument height in millimetres, rounded on its decimal text.
std::string TdmOSQUSO::StationenWrite(TDaten& Daten) {
  const TStation& s = Daten.Station;
  auto millimetres = FormatDecimalText(s.Instrumentenhoehe.empty() ? kHoeheLeer : s.Instrumentenhoehe, 0, 3);
  if (!millimetres) return kWriteError;
  auto line = Line(def_.Stationspunkt, 0, {s.Luftdruck, s.Temperatur, s.Code, s.Punktnummer, *millimetres});
  return line ? *line : std::string(kWriteError);
}

}  // namespace veltro
