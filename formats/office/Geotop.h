// TdmGeotop: Geotop coordinate ("Koord*.gco") and measurement ("Mess*.gme")
// files: as Topo Bonjour, with the point type after the plan part.
#pragma once

#include "formats/office/OfficeFormat.h"

namespace veltro {

class TdmGeotop : public TdmOfficeFormat {
 public:
  // Option fields of the page Geotop_Blatt, under the format's sub-key.
  static constexpr const char* kGemeinde = "Geotop\\GNumInput_Geotop";
  static constexpr const char* kPlan = "Geotop\\PlanInput_Geotop";
  static constexpr const char* kPunkttyp = "Geotop\\PunkttypInput_Geotop";

  explicit TdmGeotop(TDFD& dfd);

  // The point part stands in the first of the two 5-character fields when
  // written here and in the second in other files: the one not blank.
  void KoordinatenRead(const std::string& S, TDaten& Daten) override;
  std::string StationenWrite(TDaten& Daten) override;

 protected:
  std::optional<LayoutArgs> KoordinatenArgs(const TPunkt& p) override;
};

}  // namespace veltro
