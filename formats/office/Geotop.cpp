#include "formats/office/Geotop.h"

namespace veltro {
namespace {

constexpr const char* kMassstabLeer = "1.000000";

}  // namespace

TdmGeotop::TdmGeotop(TDFD& dfd)
    : TdmOfficeFormat("dmGeotop", dfd, *dfd.Geotop, Parts::Standard, {.Code1 = 5, .Y = 6, .X = 7, .Hoehe = 8}) {
  AddOption(kGemeinde, "1");
  AddOption(kPlan, "1");
  AddOption(kPunkttyp, "0");
  ohneBeobachtungen_ = true;
  Attach();
}

std::optional<LayoutArgs> TdmGeotop::KoordinatenArgs(const TPunkt& p) {
  const PlanPoint n = SplitPlanPoint(p.Punktnummer, Option(kPlan));
  return LayoutArgs{Option(kGemeinde), n.plan, Option(kPunkttyp), n.point, "", p.Code1, p.Y, p.X, p.Hoehe};
}

void TdmGeotop::KoordinatenRead(const std::string& S, TDaten& Daten) {
  TdmOfficeFormat::KoordinatenRead(S, Daten);
  const std::vector<std::string> f = CutFields(def_.Koordinaten, S);
  const std::string second = FieldOf(f, 4);
  Daten.Punkt.Punktnummer = JoinPlanPoint(FieldOf(f, 1), second.empty() ? FieldOf(f, 3) : second);
}

std::string TdmGeotop::StationenWrite(TDaten& Daten) {
  const TStation& s = Daten.Station;
  const PlanPoint n = SplitPlanPoint(s.Punktnummer, Option(kPlan));
  const std::string& massstab = Daten.Info.Massstabsfaktor;
  auto line = Line(def_.Stationspunkt, 0,
                   {Option(kGemeinde), n.plan, Option(kPunkttyp), n.point, s.Code,
                    massstab.empty() ? std::string(kMassstabLeer) : massstab, s.Instrumentenhoehe});
  return line ? *line : std::string(kWriteError);
}

}  // namespace veltro
