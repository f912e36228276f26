#include "formats/office/LTOP.h"

#include "core/Messages.h"
#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "platform/MessageBox.h"

namespace veltro {
namespace {

constexpr int kTextMeasurementFile = 891;
constexpr std::string_view kMeasurementStart = "$$ME";
constexpr const char* kHeightConversion = "%10.4f";
constexpr const char* kBlankHeight = "%10s";
constexpr int kFieldY = 5;
constexpr int kFieldX = 6;

}  // namespace

TdmLTOP::TdmLTOP(TDFD& dfd)
    : TdmOfficeFormat("dmLTOP", dfd, *dfd.LTOP, Parts::Standard,
                      {.Punktnummer = 0, .Code1 = 1, .Y = kFieldY, .X = kFieldX, .Hoehe = 8}) {
  noHeightLayout_ = def_.Koordinaten;
  if (size_t at = noHeightLayout_.find(kHeightConversion); at != std::string::npos)
    noHeightLayout_.replace(at, std::string_view(kHeightConversion).size(), kBlankHeight);
  OfficeModuleHooks hooks;
  hooks.isKoordinateIn = [this](const std::string& line, const std::string& text) { return IsLTOPLine(line, text); };
  Attach(std::move(hooks));
}

std::optional<LayoutArgs> TdmLTOP::KoordinatenArgs(const TPunkt& p) {
  const std::string z = "0.0", n = "0";
  return LayoutArgs{p.Punktnummer, p.Code1, "", "", "", p.Y, p.X, "", p.Hoehe, "", "", z, "", "",
                    z, z, "", z, z, "", "", n, "", n, n, p.Kommentar};
}

const std::string& TdmLTOP::KoordinatenLayout(const TPunkt& p) const {
  return p.Hoehe.empty() ? noHeightLayout_ : def_.Koordinaten;
}

bool TdmLTOP::IsLTOPLine(const std::string& line, const std::string& buf) {
  if (buf.compare(0, kMeasurementStart.size(), kMeasurementStart) == 0) {
    if (told_ != buf) ShowMessageBox(GetText(kTextMeasurementFile), kMsgWarning, kBtnOk);
    told_ = buf;
    return false;
  }
  told_.clear();
  if (!IsKoordinatenLine(line)) return false;
  return buf.find(def_.Start) != std::string::npos || SourceHasStart();
}

bool TdmLTOP::SourceHasStart() {
  const LineList& source = CurrentTransfer().InputLines;
  SourceKey key{source.empty() ? nullptr : source.front().data(), source.size(),
                source.empty() ? std::string() : std::string(source.front())};
  if (key == searched_) return hasStart_;
  searched_ = std::move(key);
  hasStart_ = false;
  for (std::string_view line : source) {
    if (line.find(def_.Start) != std::string_view::npos) {
      hasStart_ = true;
      break;
    }
  }
  return hasStart_;
}

}  // namespace veltro
