// The coordinate-system library "WGSXYZ.DLL" as the program uses it: loaded
// once from the installation directory before a GPS transfer and kept until
// the instrument library is swapped or the program ends; the 256-byte block
// filled by GetAktivSystem; the conversions of the GPS formats.
//
// No coordinate is converted while the library is missing (values stay as
// they are) or while the active system is not usable (status byte 1): a
// conversion then answers false and the transfer stops before it writes a
// coordinate of the wrong system.
#pragma once

#include <optional>
#include <string>

#include "platform/DynamicLibrary.h"
#include "wgsxyz/CoordinateBlock.h"

namespace veltro {

inline constexpr const char* kCoordinateSystemLibrary = "WGSXYZ.DLL";
// Settings below the configuration root.
inline constexpr const char* kSettingGpsPath = "GPSPath";      // folder of grids and geoid models
inline constexpr const char* kSettingGpsSystem = "GPSSystem";  // active system text
inline constexpr const char* kGpsFolder = "GPS/";               // default: installation directory + this

// Text number of "the chosen coordinate system is not usable".
inline constexpr int kTextSystemUnusable = 630;

class TCoordinateSystem {
 public:
  enum class State { NoLibrary, Usable, Unusable };

  // Loads the library on first use (again after a failed load) and fills the
  // block from GetAktivSystem: zeroed first, then the directory, the system
  // text and the administrator flag. Without the library or its export the
  // block stays zero and the state is NoLibrary.
  State Activate(const std::string& directory, const std::string& system, bool administrator);
  // Activate with the settings GPSPath (default installation directory +
  // "GPS/") and GPSSystem (default "41;CH03"), or the system of this run.
  State ActivateFromSettings();
  void Free();

  bool Loaded() const { return library_.IsLoaded(); }
  State Current() const { return state_; }
  const wgsxyz::CoordinateBlock& Block() const { return block_; }
  const DynamicLibrary& Library() const { return library_; }

  // The system text of this run instead of the setting; nullopt: the setting.
  // Disabled: no library is loaded at all.
  void SetSystemOverride(std::optional<std::string> system) { override_ = std::move(system); }
  void SetDisabled(bool disabled) { disabled_ = disabled; }
  bool Disabled() const { return disabled_; }
  // The program was started with "ADMIN".
  void SetAdministrator(bool administrator) { administrator_ = administrator; }
  // Where the library lies; "" the program's installation directory.
  void SetInstallationDirectory(std::string directory) { directory_ = std::move(directory); }

  // Geographic (longitude, latitude, height in the angle form of mode) to
  // grid (Y, X, height) and back. False, result untouched, when the system
  // is not usable, the library or its export is missing, or the library
  // answers no finite triple.
  bool ToGrid(std::int32_t mode, const wgsxyz::Triple& geographic, wgsxyz::Triple& grid);
  bool ToGeographic(std::int32_t mode, const wgsxyz::Triple& grid, wgsxyz::Triple& geographic);

 private:
  bool Convert(bool toGrid, std::int32_t mode, const wgsxyz::Triple& in, wgsxyz::Triple& out);

  DynamicLibrary library_;
  // The conversion exports, looked up once per activation.
  using ConvertFn = void (*)(unsigned char*);
  ConvertFn toGrid_ = nullptr;
  ConvertFn toGeographic_ = nullptr;
  wgsxyz::CoordinateBlock block_;
  State state_ = State::NoLibrary;
  std::optional<std::string> override_;
  bool disabled_ = false;
  bool administrator_ = false;
  std::string directory_;
};

// The program's coordinate system (set by the library binding), for the GPS
// formats; nullptr when none is installed.
TCoordinateSystem* ActiveCoordinateSystem();
void SetActiveCoordinateSystem(TCoordinateSystem* system);

// A GPS position through the active coordinate system. Unchanged: no
// library is active (none installed, not loaded, or disabled for the run),
// so values pass as they are; Failed: the library gave no finite triple
// (the result is then NaN, never an earlier position).
enum class GpsConversion { Unchanged, Converted, Failed };
// False when every conversion answers Unchanged.
bool GpsConversionActive();
GpsConversion ConvertToGrid(std::int32_t mode, const wgsxyz::Triple& geographic, wgsxyz::Triple& grid);
GpsConversion ConvertToGeographic(std::int32_t mode, const wgsxyz::Triple& grid, wgsxyz::Triple& geographic);

}  // namespace veltro
