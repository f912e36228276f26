// TdmASCII: the plain-text exchange format. One readable line per record,
// introduced by a label (a language text), fields separated by '|' (points)
// or tabs (levelling). Coordinates, also those of a levelling, are read back;
// every other kind is written only. The line layouts are those of the ASCII
// definition on TDFD; values go into them exactly as the record holds them.
//
//   coordinate   100|12|600000.000|200000.000|450.00|
//   station      Station        |S1|1|1.550|600000.000|200000.000|450.000
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/ReadWriteDaten.h"
#include "formats/office/DFDefs.h"

namespace veltro {

class TdmASCII : public TDataModule {
 public:
  // Creates the components and attaches the module to the ASCII definition.
  explicit TdmASCII(TDFD& dfd);
  ~TdmASCII() override;

  TReadWriteDaten* Koordinaten;
  TReadWriteDaten* NivKoordinaten;
  TReadWriteDaten* Informationen;
  TReadWriteDaten* Stationen;
  TReadWriteDaten* Anschlusspunkte;
  TReadWriteDaten* Neupunkte;
  TReadWriteDaten* Kommentare;
  TReadWriteDaten* Startdaten;
  TReadWriteDaten* Messdaten;
  TReadWriteDaten* Enddaten;
  TReadWriteDaten* NivKommentare;

  // The recogniser: the line fits the coordinate layout (at least five '|').
  bool IsKoordinatenLine(const std::string& line) const;

  void KoordinatenRead(const std::string& S, TDaten& Daten);
  std::string KoordinatenWrite(TDaten& Daten);
  void KoordinatenStatistik(const std::string& S, TTransferStatistik& State);
  void NivKoordinatenRead(const std::string& S, TDaten& Daten);
  std::string NivKoordinatenWrite(TDaten& Daten);
  void NivKoordinatenStatistik(const std::string& S, TTransferStatistik& State);
  std::string InformationenWrite(TDaten& Daten);
  std::string StationenWrite(TDaten& Daten);
  std::string AnschlusspunkteWrite(TDaten& Daten);
  std::string NeupunkteWrite(TDaten& Daten);
  std::string KommentareWrite(TDaten& Daten);
  std::string StartdatenWrite(TDaten& Daten);
  std::string MessdatenWrite(TDaten& Daten);
  std::string EnddatenWrite(TDaten& Daten);
  std::string NivKommentareWrite(TDaten& Daten);

 private:
  // The fields of the coordinate line being looked at, as views into a
  // copy of it (cutLine_, cut by cutLayout_).
  void CutKoordinaten(const std::string& line) const;

  TDFD& dfd_;
  TDatenformatDefinitionen& def_;
  mutable std::vector<std::string_view> fields_;
  mutable std::string cutLine_;
  mutable std::string cutLayout_;
  mutable bool cutValid_ = false;
};

// The information items in their order, each its label text directly
// followed by the value; empty items and an unset date or time are left out.
// Mutationsnummer and Einheiten are not items.
std::vector<std::string> InformationItems(const TInfo& info);

// Levelling values are integer texts in the unit of the source instrument;
// the unit digit is the second character of the record's Satzkennung.
enum class LevelValue {
  Ablesung,    // Lattenablesung, RelHoehendiff, TotHoehendiff
  Distanz,     // Distanz, Totaldistanz
  Bodenhoehe,  // Bodenhoehe
};

// The value divided by 10^d and written with d decimals, d by value kind and
// unit digit. An empty or non-numeric value gives the empty text.
std::string ConvertLevelValue(const std::string& value, const std::string& satzkennung, LevelValue kind);
// The number of decimals d of that conversion.
int LevelDecimals(const std::string& satzkennung, LevelValue kind);

}  // namespace veltro
