#include "formats/office/SBB.h"

#include <algorithm>

#include "core/TextUtils.h"
#include "formats/office/ASCII.h"
#include "formats/office/RecordText.h"

namespace veltro {
namespace {

constexpr size_t kPunktnummerBreite = 4;
constexpr size_t kCodeColumn = 2;  // from 0
constexpr size_t kCodeWidth = 4;

}  // namespace

TdmSBB::TdmSBB(TDFD& dfd)
    : TdmOfficeFormat("dmSBB", dfd, *dfd.SBB, Parts::Standard, {.Punktnummer = 1, .Y = 2, .X = 3, .Hoehe = 4}) {
  punktnummerBreite_ = kPunktnummerBreite;
  AddOption(kCodeliste, dfd.SBBCodeFile);
  ohneBeobachtungen_ = true;
  Attach();
}

bool TdmSBB::SetOption(const std::string& name, const std::string& value) {
  if (!TdmOfficeFormat::SetOption(name, value)) return false;
  dfd_.SBBCodeFile = Option(kCodeliste);
  return true;
}

std::optional<LayoutArgs> TdmSBB::KoordinatenArgs(const TPunkt& p) {
  std::string code = p.Code1;
  std::replace(code.begin(), code.end(), '_', ' ');
  std::string hoehe;
  if (!dfd_.IsSBBCode(p.Code1)) {
    auto text = ThreeDecimals(p.Hoehe);
    if (!text) return std::nullopt;
    hoehe = *text;
  }
  return LayoutArgs{code, p.Punktnummer, p.Y, p.X, hoehe};
}

// The code is taken as it stands in its columns: a leading '_' (blank)
// is kept, the padding is not.
void TdmSBB::KoordinatenRead(const std::string& S, TDaten& Daten) {
  TdmOfficeFormat::KoordinatenRead(S, Daten);
  std::string code = kCodeColumn < S.size() ? S.substr(kCodeColumn, kCodeWidth) : std::string();
  code = TrimRightChar(code, ' ');
  std::replace(code.begin(), code.end(), ' ', '_');
  Daten.Punkt.Code1 = code;
}

std::string TdmSBB::InformationenWrite(TDaten& Daten) {
  RecordText out(true);
  for (const std::string& item : InformationItems(Daten.Info)) out.Add(def_.Informationen, 0, {item});
  return out.Result();
}

std::string TdmSBB::StationenWrite(TDaten& Daten) {
  const TStation& s = Daten.Station;
  auto line = Line(def_.Stationspunkt, 0, {s.Code, s.Punktnummer, s.Instrumentenhoehe, s.Temperatur, s.Luftdruck});
  return line ? *line : std::string(kWriteError);
}

}  // namespace veltro
