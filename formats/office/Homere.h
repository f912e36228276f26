// TdmHomere: HOMERE coordinate ("Koord*.hom") and measurement ("Mess*.cv")
// files. A point number is split from its 10-character right-aligned form
// into the commune (3 characters; blank: the option's commune number), a
// second part (3) and a third part (4).
#pragma once

#include "formats/office/OfficeFormat.h"

namespace veltro {

class TdmHomere : public TdmOfficeFormat {
 public:
  // Option fields of the page Homere_Blatt, under the format's sub-key.
  static constexpr const char* kGemeinde = "Homere\\GNumInput_HOMERE";
  static constexpr const char* kPunkttyp = "Homere\\PunkttypInput_HOMERE";
  static constexpr const char* kToleranz = "Homere\\TolWertInput_HOMERE";

  explicit TdmHomere(TDFD& dfd);

  void KoordinatenRead(const std::string& S, TDaten& Daten) override;
  std::string StationenWrite(TDaten& Daten) override;

  struct Nummer {
    std::string gemeinde, teil2, teil3;
  };
  // nullopt for a number longer than 10 characters.
  std::optional<Nummer> SplitNummer(const std::string& punktnummer) const;

 protected:
  std::optional<LayoutArgs> KoordinatenArgs(const TPunkt& p) override;
};

}  // namespace veltro
