// The program's settings on top of the settings store: names, start-up rules
// (a new user's configuration, the interface language), the settings read at
// every use, and their valid ranges. Readers check ranges: a stored value
// that is out of range or not a number answers the default.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "core/Transfer.h"
#include "platform/Registry.h"

namespace veltro {

// Value names below the configuration root.
inline constexpr const char* kSettingMethode = "Methode";
inline constexpr const char* kSettingTransOf = "TransOf";
inline constexpr const char* kSettingDataPath = "DataPath";
inline constexpr const char* kSettingFormatPath = "FormatPath";
inline constexpr const char* kSettingViewer = "Viewer";
inline constexpr const char* kSettingSaveSource = "Save Source";
inline constexpr const char* kSettingDataMerging = "Data Merging";
inline constexpr const char* kSettingWaitForRemote = "WaitForRemote";
// Directly below the program key.
inline constexpr const char* kSettingLanguage = "language";

// Wait time handed to the instrument library, in ms. The library counts it
// in 16 bits, so a larger value would wrap into a short or no start time-out.
inline constexpr int kMinWaitForRemote = 10000;
inline constexpr int kMaxWaitForRemote = 65535;

// Path of a configuration value: configuration root + name ("GSI8\Code list\"
// addresses the unnamed value of the sub-key "GSI8\Code list").
std::string ConfigPath(const std::string& name);

// Start of a user's configuration: when the user's configuration key does not
// exist, every value of the machine's configuration key is copied into it as
// text; then "TransOf" and "Methode" are seeded with 0 where missing.
void StartUserConfiguration();

// The interface language identifier at start: when the user's program key
// does not exist yet, the machine's "language" (default 0) is copied there
// first; then the user's "language" (default 0). Run before
// StartUserConfiguration, which creates the program key.
int StartLanguageId();
void WriteLanguageId(int id);

// "Methode": 0 instrument -> PC, 1 PC -> instrument. "TransOf": 0 the
// instrument over the serial port, 1 an instrument-format file (offline).
// Read at every use (default 0), written at once.
int Methode();
void SetMethode(int methode);
int TransOf();
void SetTransOf(int transOf);

// "WaitForRemote" (default kMinWaitForRemote), brought into
// kMinWaitForRemote to kMaxWaitForRemote.
int WaitForRemote();
// The settings dialog's rule: the trimmed text as integer, raised to
// kMinWaitForRemote and lowered to kMaxWaitForRemote; nullopt when the text is not an integer.
std::optional<int> ParseWaitForRemote(const std::string& text);

// The engine's settings, read from the user's configuration at each use.
class RegistryTransferSettings : public TransferSettings {
 public:
  // defaultDataPath answers "DataPath" while it is not set.
  explicit RegistryTransferSettings(std::string defaultDataPath = {}) : defaultDataPath_(std::move(defaultDataPath)) {}
  int Methode() const override;
  bool TransOf() const override;
  std::string DataPath() const override;
  bool Viewer() const override;
  bool SaveSource() const override;

 private:
  std::string defaultDataPath_;
};

}  // namespace veltro
