// TdmCADDY: CADdy coordinate ("Koord*.kor") and measurement ("Mess*.mes")
// files in fixed columns.
//
//   coordinate   point number right-aligned in 15, Y, X (14 columns) and
//                height (10) with 3 decimals, code (2), class '5', comment
//   station      "-" and the station number, instrument height, code, '5'
//   observation  point number, direction, distance, zenith angle, reflector
//                height, code, class ('0' backsight, '5' new point), comment
#pragma once

#include "formats/office/OfficeFormat.h"

namespace veltro {

class TdmCADDY : public TdmOfficeFormat {
 public:
  explicit TdmCADDY(TDFD& dfd);

  std::string StationenWrite(TDaten& Daten) override;
  std::string AnschlusspunkteWrite(TDaten& Daten) override;

 protected:
  std::optional<LayoutArgs> KoordinatenArgs(const TPunkt& p) override;
  std::string NeupunktBeobachtung(TDaten& Daten) override;

 private:
  // The observation line of the class; "" when the flags fit no variant.
  std::string Beobachtung(const TPunkt& p, const char* klasse, bool backsight) const;
};

}  // namespace veltro
