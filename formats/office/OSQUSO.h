// TdmOSQUSO: OSQUSO files ("Koord*.osq", "Mess*.osq", ...): records in fixed
// columns introduced by a record code, "D42" coordinates, "D00" information,
// "D23" stations.
#pragma once

#include "formats/office/OfficeFormat.h"

namespace veltro {

class TdmOSQUSO : public TdmOfficeFormat {
 public:
  explicit TdmOSQUSO(TDFD& dfd);

  // A new information line replaces one that is the last line so far.
  std::string InformationenWrite(TDaten& Daten) override;
  std::string StationenWrite(TDaten& Daten) override;

 protected:
  std::optional<LayoutArgs> KoordinatenArgs(const TPunkt& p) override;
};

}  // namespace veltro
