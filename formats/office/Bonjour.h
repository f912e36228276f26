// TdmBonjour: Topo Bonjour coordinate ("Koord*.yx") and measurement
// ("Mess*.de") files. A point number is a plan part and a point part of 5
// characters (SplitPlanPoint); the commune comes from the options.
#pragma once

#include "formats/office/OfficeFormat.h"

namespace veltro {

class TdmBonjour : public TdmOfficeFormat {
 public:
  // Option fields of the page Bonjour_Blatt, under the format's sub-key.
  static constexpr const char* kGemeinde = "Bonjour\\GNumInput_Bonjour";
  static constexpr const char* kPlan = "Bonjour\\PlanInput_Bonjour";

  explicit TdmBonjour(TDFD& dfd);

  void KoordinatenRead(const std::string& S, TDaten& Daten) override;
  std::string StationenWrite(TDaten& Daten) override;

 protected:
  std::optional<LayoutArgs> KoordinatenArgs(const TPunkt& p) override;
};

}  // namespace veltro
