// The coordinate systems the library offers and their conversion from and to
// WGS 84 through PROJ. Only operations with a stated accuracy, without
// ballpark steps and with every grid at hand are used; a system without such
// an operation is not usable.
#pragma once

#include <proj.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "wgsxyz/CoordinateBlock.h"

namespace veltro::wgsxyz {

enum class Group { Switzerland, Germany, EtrsUtm, WgsUtmNorth, WgsUtmSouth, Epsg };

struct CatalogueEntry {
  std::string text;      // system text, "41;CH03"
  std::string name;      // short system text (code page 1252)
  int epsg = 0;          // projected system
  int verticalEpsg = 0;  // heights above this system when its geoid model is installed
  bool officialGrid = false;  // only a grid-based transformation gives the official frame
  Group group = Group::Epsg;
};

// The built-in systems in the order the dialog lists them.
const std::vector<CatalogueEntry>& Catalogue();

// Blanks trimmed; catalogue texts and "EPSG:<digits>" in their own spelling
// whatever the letter case; anything else as given.
std::string NormaliseSystemText(const std::string& text);

enum class Problem { None, UnknownSystem, NoTransformation };

struct SystemInfo {
  std::string text;           // normalised system text
  std::string name;           // short system text (code page 1252)
  Group group = Group::Epsg;
  Problem problem = Problem::UnknownSystem;
  double accuracy = -1;       // metres, as stated for the operation used
  std::string heightName;     // vertical system of the heights; empty: ellipsoidal
  bool Usable() const { return problem == Problem::None; }
};

class CoordinateSystems {
 public:
  // slimOperations: steps that only keep the height aside are left out of
  // the plane conversion (false: PROJ's operation as it is, for comparison).
  explicit CoordinateSystems(bool slimOperations = true);
  ~CoordinateSystems();
  CoordinateSystems(const CoordinateSystems&) = delete;
  CoordinateSystems& operator=(const CoordinateSystems&) = delete;

  // Starts afresh (new PROJ context, nothing cached); grid and geoid files
  // are looked for in directory first, then where PROJ keeps them, and a
  // file found only under another letter case counts as present.
  void Reset(const std::string& directory);

  const SystemInfo& Describe(const std::string& text);

  // Longitude, latitude (degrees) and ellipsoidal height to Y (easting),
  // X (northing) and height; false when the system is not usable or the
  // position lies outside its area of use.
  bool ToGrid(std::string_view text, const Triple& geographic, Triple& grid);
  // The inverse; the result converts back to the given grid triple.
  bool ToGeographic(std::string_view text, const Triple& grid, Triple& geographic);

  // Resource look-up for PROJ (public for the C callback).
  const char* FindFile(const char* name);

 private:
  struct Prepared;
  struct Vertical;
  // The prepared system of a text; the text of the previous call is
  // recognised as given, without normalising it again.
  Prepared& Prepare(std::string_view text);
  void PrepareSystem(const std::string& normalised, Prepared& prepared);
  std::shared_ptr<Vertical> PrepareVertical(PJ* verticalCrs);
  void EnsureContext();

  bool slimOperations_;
  PJ_CONTEXT* context_ = nullptr;
  std::vector<std::string> searchDirectories_;
  std::string foundFile_;
  std::map<std::string, std::unique_ptr<Prepared>> prepared_;
  std::map<std::string, std::shared_ptr<Vertical>> verticals_;
  std::string lastText_;
  Prepared* last_ = nullptr;
};

// The library's one instance.
CoordinateSystems& Systems();

}  // namespace veltro::wgsxyz
