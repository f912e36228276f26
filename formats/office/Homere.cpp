#include "formats/office/Homere.h"

#include <algorithm>

#include "core/TextUtils.h"

namespace veltro {
namespace {

constexpr size_t kNummerBreite = 10;
constexpr size_t kHoeheBreite = 4;  // instrument height in mm without point

}  // namespace

TdmHomere::TdmHomere(TDFD& dfd)
    : TdmOfficeFormat("dmHomere", dfd, *dfd.Homere, Parts::Standard, {.Code1 = 4, .Y = 6, .X = 7, .Hoehe = 8}) {
  AddOption(kGemeinde, "1");
  AddOption(kPunkttyp, "0");
  AddOption(kToleranz, "11");
  ohneBeobachtungen_ = true;
  Attach();
}

std::optional<TdmHomere::Nummer> TdmHomere::SplitNummer(const std::string& punktnummer) const {
  if (punktnummer.size() > kNummerBreite) return std::nullopt;
  const std::string n = PadLeftBlanks(punktnummer, static_cast<int>(kNummerBreite));
  Nummer parts{n.substr(0, 3), n.substr(3, 3), n.substr(6, 4)};
  if (TrimBlanks(parts.gemeinde).empty()) parts.gemeinde = Option(kGemeinde);
  return parts;
}

std::optional<LayoutArgs> TdmHomere::KoordinatenArgs(const TPunkt& p) {
  auto n = SplitNummer(p.Punktnummer);
  if (!n) return std::nullopt;
  return LayoutArgs{n->gemeinde, n->teil2, Option(kPunkttyp), n->teil3, p.Code1, Option(kToleranz), p.Y, p.X, p.Hoehe};
}

void TdmHomere::KoordinatenRead(const std::string& S, TDaten& Daten) {
  TdmOfficeFormat::KoordinatenRead(S, Daten);
  const std::vector<std::string> f = CutFields(def_.Koordinaten, S);
  std::string gemeinde = FieldOf(f, 0);
  if (gemeinde == TrimBlanks(Option(kGemeinde))) gemeinde.clear();
  std::string nummer = gemeinde + FieldOf(f, 1) + FieldOf(f, 3);
  std::replace(nummer.begin(), nummer.end(), ' ', '0');
  Daten.Punkt.Punktnummer = nummer;
}

// The instrument height in millimetres: its 3-decimal text without the point.
std::string TdmHomere::StationenWrite(TDaten& Daten) {
  const TStation& s = Daten.Station;
  auto n = SplitNummer(s.Punktnummer);
  if (!n) return kWriteError;
  std::string hoehe;
  if (!s.Instrumentenhoehe.empty()) {
    auto text = ThreeDecimals(s.Instrumentenhoehe);
    if (!text) return kWriteError;
    hoehe = *text;
    hoehe.erase(hoehe.find('.'), 1);
    if (hoehe.size() > kHoeheBreite) return kWriteError;
  }
  auto line = Line(def_.Stationspunkt, 0, {n->gemeinde, n->teil2, Option(kPunkttyp), n->teil3, hoehe});
  return line ? *line : std::string(kWriteError);
}

}  // namespace veltro
