// TdmSBB: SBB CFF FFS files ("Koord*.sbb", ...): record type in column 1
// ("5" coordinates, "1" information, "2" stations), codes with blanks for
// '_'. Points whose code is in the code file's list (no height measured) are
// written without height.
#pragma once

#include "formats/office/OfficeFormat.h"

namespace veltro {

class TdmSBB : public TdmOfficeFormat {
 public:
  // The code definition file of the page SBB_Blatt.
  static constexpr const char* kCodeliste = "SBB\\Code list";

  explicit TdmSBB(TDFD& dfd);

  // The code file also goes to TDFD, which reads it before each save.
  bool SetOption(const std::string& name, const std::string& value) override;

  void KoordinatenRead(const std::string& S, TDaten& Daten) override;
  std::string InformationenWrite(TDaten& Daten) override;
  std::string StationenWrite(TDaten& Daten) override;

 protected:
  std::optional<LayoutArgs> KoordinatenArgs(const TPunkt& p) override;
};

}  // namespace veltro
