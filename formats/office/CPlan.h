// TdmCPLAN: C-Plan coordinate ("Koordi*") and raw measurement ("Inroh*")
// files: 80-column lines of '!'-separated fields, a record code in front
// (" K" coordinates, "ST"/"FS" stations), '*' comment lines and the end line
// "999". A station is held back and written with its first observation,
// after its temperature and pressure comments.
#pragma once

#include "formats/office/OfficeFormat.h"

namespace veltro {

class TdmCPLAN : public TdmOfficeFormat {
 public:
  explicit TdmCPLAN(TDFD& dfd);

  void KoordinatenRead(const std::string& S, TDaten& Daten) override;
  void KommentareRead(const std::string& S, TDaten& Daten);
  std::string InformationenWrite(TDaten& Daten) override;
  std::string StationenWrite(TDaten& Daten) override;
  std::string AnschlusspunkteWrite(TDaten& Daten) override;
  std::string KommentareWrite(TDaten& Daten) override;

 protected:
  std::optional<LayoutArgs> KoordinatenArgs(const TPunkt& p) override;
  // Own lines carry the class '9' where the layout has a sign position, so
  // positions in front of text fields are not tested.
  const std::string& TestLayout() const override { return testLayout_; }
  std::string NeupunktBeobachtung(TDaten& Daten) override;

 private:
  // The held-back station (with its comments) in front of the first
  // observation; "" when none is open.
  std::string OffeneStation(TDaten& Daten);
  std::string testLayout_;
};

}  // namespace veltro
