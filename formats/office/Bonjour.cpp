#include "formats/office/Bonjour.h"

namespace veltro {
namespace {

constexpr const char* kMassstabLeer = "1.000000";

}  // namespace

TdmBonjour::TdmBonjour(TDFD& dfd)
    : TdmOfficeFormat("dmBonjour", dfd, *dfd.Bonjour, Parts::Standard, {.Code1 = 3, .Y = 4, .X = 5, .Hoehe = 6}) {
  AddOption(kGemeinde, "1");
  AddOption(kPlan, "1");
  ohneBeobachtungen_ = true;
  Attach();
}

std::optional<LayoutArgs> TdmBonjour::KoordinatenArgs(const TPunkt& p) {
  const PlanPoint n = SplitPlanPoint(p.Punktnummer, Option(kPlan));
  return LayoutArgs{Option(kGemeinde), n.plan, n.point, p.Code1, p.Y, p.X, p.Hoehe};
}

void TdmBonjour::KoordinatenRead(const std::string& S, TDaten& Daten) {
  TdmOfficeFormat::KoordinatenRead(S, Daten);
  const std::vector<std::string> f = CutFields(def_.Koordinaten, S);
  Daten.Punkt.Punktnummer = JoinPlanPoint(FieldOf(f, 1), FieldOf(f, 2));
}

std::string TdmBonjour::StationenWrite(TDaten& Daten) {
  const TStation& s = Daten.Station;
  const PlanPoint n = SplitPlanPoint(s.Punktnummer, Option(kPlan));
  const std::string& massstab = Daten.Info.Massstabsfaktor;
  auto line = Line(def_.Stationspunkt, 0,
                   {Option(kGemeinde), n.plan, n.point, s.Code, massstab.empty() ? std::string(kMassstabLeer) : massstab,
                    s.Instrumentenhoehe});
  return line ? *line : std::string(kWriteError);
}

}  // namespace veltro
