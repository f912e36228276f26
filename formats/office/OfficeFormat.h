// The shared base of the office and CAD program formats (CADdy, C-Plan,
// Editor, GEOS, Homere, LTOP, OSQUSO, SBB, Topocad, Topo Bonjour, Geotop).
// Each member formats records with the layouts of its definition on TDFD and
// cuts coordinate lines with its Koordinaten layout:
//
//   recogniser         the line fits the Koordinaten layout
//   KoordinatenRead    the cut fields go into Punkt by the member's field map
//   KoordinatenWrite   the Koordinaten layout with the member's arguments, in
//                      fixed columns: a value wider than its field, or a
//                      line the member's own recogniser would not take
//                      back, is "Error"
//   NeupunkteWrite     the observation line, then the coordinate line when
//                      the point carries coordinates (0x0800)
//
// Options are plain named values (the option page copies its fields into
// them); each has the settings name it is stored under.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/ReadWriteDaten.h"
#include "formats/office/DFDefs.h"
#include "formats/office/Layout.h"

namespace veltro {

// Field indexes of the cut coordinate line; -1: not read.
struct CoordinateFieldMap {
  int Punktnummer = -1;
  int Code1 = -1;
  int Y = -1;
  int X = -1;
  int Hoehe = -1;
  int Kommentar = -1;
};

struct OfficeOption {
  std::string Name;   // settings name below the configuration key ("Geos\Class")
  std::string Value;  // starts as the page's default
};

// An option list of a format module, looked up by settings name in any case.
std::string OptionValue(const std::vector<OfficeOption>& options, const std::string& name);
// False when the list has no option of that name.
bool SetOptionValue(std::vector<OfficeOption>& options, const std::string& name, const std::string& value);

class TdmOfficeFormat : public TDataModule {
 public:
  ~TdmOfficeFormat() override;

  TReadWriteDaten* Koordinaten = nullptr;
  TReadWriteDaten* Informationen = nullptr;
  TReadWriteDaten* Stationen = nullptr;
  TReadWriteDaten* Anschlusspunkte = nullptr;
  TReadWriteDaten* Neupunkte = nullptr;
  TReadWriteDaten* Kommentare = nullptr;

  TDatenformatDefinitionen& Definition() const { return def_; }

  // The recogniser used by the definition's Format handler: the line fits
  // the test layout and holds numbers in its Y and X fields (a layout whose
  // literals are only blanks fits any long line).
  virtual bool IsKoordinatenLine(const std::string& line) const;

  virtual void KoordinatenRead(const std::string& S, TDaten& Daten);
  std::string KoordinatenWrite(TDaten& Daten);
  void KoordinatenStatistik(const std::string& S, TTransferStatistik& State);
  virtual std::string InformationenWrite(TDaten&) { return {}; }
  virtual std::string StationenWrite(TDaten&) { return {}; }
  virtual std::string AnschlusspunkteWrite(TDaten& Daten);
  virtual std::string NeupunkteWrite(TDaten& Daten);
  virtual std::string KommentareWrite(TDaten&) { return {}; }

  // ---- Options ----------------------------------------------------------------
  const std::vector<OfficeOption>& Options() const { return options_; }
  // The value of the option of that settings name (any case); "" when none.
  std::string Option(const std::string& name) const;
  // False when the module has no option of that name.
  virtual bool SetOption(const std::string& name, const std::string& value);
  // Reads every option from the settings, the current value as default.
  void ReadOptions();

 protected:
  enum class Parts { Standard, CoordinatesOnly };
  TdmOfficeFormat(const char* moduleName, TDFD& dfd, TDatenformatDefinitionen& definition, Parts parts,
                  CoordinateFieldMap fields);
  // Binds the module to its definition; called by the member's constructor.
  void Attach(OfficeModuleHooks hooks = {});
  void AddOption(std::string name, std::string value);

  // The arguments of the coordinate layout; nullopt when the point cannot be
  // written in this format.
  virtual std::optional<LayoutArgs> KoordinatenArgs(const TPunkt& p) = 0;
  // The observation line(s) of a new point, "" for none, "Error".
  virtual std::string NeupunktBeobachtung(TDaten& Daten);
  // The layout lines are tested against (the Koordinaten layout).
  virtual const std::string& TestLayout() const { return def_.Koordinaten; }
  // The coordinate layout used for writing a point.
  virtual const std::string& KoordinatenLayout(const TPunkt&) const { return def_.Koordinaten; }

  // One line of a layout in fixed columns; nullopt: the record is "Error".
  static std::optional<std::string> Line(const std::string& layout, const LayoutArgs& args);
  static std::optional<std::string> Line(const TStringList& layouts, size_t index, const LayoutArgs& args);
  // For a point with observations, a note once per transfer that this member
  // has no observation layout for them. Answers "" (nothing written).
  std::string ObservationsNotWritten(const TPunkt& p) const;

  TDFD& dfd_;
  TDatenformatDefinitionen& def_;
  CoordinateFieldMap fields_;
  // The width of the point number column of the coordinate line (0: none);
  // a longer number would be cut into another point's number.
  size_t punktnummerBreite_ = 0;
  // The member has no observation lines: backsights and new points write
  // none and note it (ObservationsNotWritten).
  bool ohneBeobachtungen_ = false;
  std::vector<OfficeOption> options_;
};

// ---- Shared rules -------------------------------------------------------------

// The point carries a direction, an angle or a distance.
bool HasObservation(const TPunkt& p);
// The field at index of a cut line ("" out of range or for -1).
std::string FieldOf(const std::vector<std::string>& fields, int index);
// The decimal text with 3 decimals ("1.5" -> "1.500"); nullopt when no number.
std::optional<std::string> ThreeDecimals(const std::string& value);
// The opposite face of a direction in gon: + 200, minus 400 from 400 on,
// exactly on the decimal text with its own decimals; nullopt for no number.
std::optional<std::string> OppositeFace(const std::string& direction);
// Two directions in gon lie less than tolerance apart on the circle
// (399.9995 and 0.0003 are 0.0008 apart). False when either is no number.
bool DirectionsWithin(const std::string& a, const std::string& b, double tolerance);
// The plan and point parts of a point number (Topo Bonjour, Geotop): with at
// least pointLength + 1 characters the plan part is all but the last
// pointLength characters and the point part is those; otherwise the plan part
// is the option's plan number and the point part the whole number.
struct PlanPoint {
  std::string plan;
  std::string point;
};
PlanPoint SplitPlanPoint(const std::string& punktnummer, const std::string& optionPlan, size_t pointLength = 5);
// The reverse: the plan part followed by the trimmed point part padded on the
// left with '0' to pointLength characters.
std::string JoinPlanPoint(const std::string& plan, const std::string& point, size_t pointLength = 5);

}  // namespace veltro
