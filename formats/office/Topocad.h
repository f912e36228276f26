// TdmTopocad: Topocad coordinate files ("Koord*.pxy", X before Y, after the
// header "XYZ-COORD-FILE ...") and tab-separated measurement files
// ("Mess*.tsx": "HDR", "STN", "OBS" records).
#pragma once

#include "formats/office/OfficeFormat.h"

namespace veltro {

class TdmTopocad : public TdmOfficeFormat {
 public:
  // The check box "Topocad nach dem Transfer starten" of the page Topocad_Blatt.
  static constexpr const char* kRunAfterTransfer = "TopoCad\\RunAfterTransfer";

  explicit TdmTopocad(TDFD& dfd);

  bool RunAfterTransfer() const;

  // "HDR" only into an empty output.
  std::string InformationenWrite(TDaten& Daten) override;
  std::string StationenWrite(TDaten& Daten) override;
  std::string AnschlusspunkteWrite(TDaten& Daten) override;

 protected:
  std::optional<LayoutArgs> KoordinatenArgs(const TPunkt& p) override;
  std::string NeupunktBeobachtung(TDaten& Daten) override;

 private:
  std::string Beobachtung(const TPunkt& p, const TStringList& layouts) const;
};

}  // namespace veltro
