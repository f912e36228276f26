// TdmGEOS: the GEOS batch file "Batch.tra" for coordinates and measurements.
//
//   PT <point> <class> <code> <Y> <X> <height>      0.0000
//   N <station> A11 <target> ... <direction> <second face> ...    backsight
//   N <station> <letter>11|21|13|23 <target> ...                  new point
//
// An observation of a target already observed from the same station, whose
// stored second face lies within 5 gon of the new direction, updates that
// field instead of writing a line (two-face merge).
#pragma once

#include "formats/office/OfficeFormat.h"

namespace veltro {

class TdmGEOS : public TdmOfficeFormat {
 public:
  // Settings names of the options (page GEOS_Blatt).
  static constexpr const char* kMutationsnummer = "Geos\\Mutation Nr.";
  static constexpr const char* kKlasse = "Geos\\Class";
  static constexpr const char* kTemperatur = "Geos\\Temperature";
  static constexpr const char* kLuftdruck = "Geos\\Pressure";

  explicit TdmGEOS(TDFD& dfd);

  std::string InformationenWrite(TDaten& Daten) override;
  std::string StationenWrite(TDaten& Daten) override;
  std::string AnschlusspunkteWrite(TDaten& Daten) override;
  std::string NeupunkteWrite(TDaten& Daten) override;

 protected:
  std::optional<LayoutArgs> KoordinatenArgs(const TPunkt& p) override;
  const std::string& KoordinatenLayout(const TPunkt& p) const override;
  std::string NeupunktBeobachtung(TDaten& Daten) override;

 private:
  struct Variante;
  static std::optional<Variante> NeupunktVariante(const TPunkt& p);
  // The two-face merge: true when an earlier line took the direction.
  bool MergeSecondFace(const TDaten& Daten) const;
  std::string numericCodeLayout_;
};

}  // namespace veltro
