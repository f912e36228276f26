#include <algorithm>
#include "core/Settings.h"

#include <charconv>
#include <climits>

namespace veltro {
namespace {

constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;

std::string LanguagePath() { return std::string(kProgramKey) + "\\" + kSettingLanguage; }

}  // namespace

std::string ConfigPath(const std::string& name) { return kConfigurationKey + name; }

void StartUserConfiguration() {
  if (!RegKeyExists(kUser, kConfigurationKey)) {
    RegistryBatch batch(kUser);
    for (const std::string& name : RegValueNames(kMachine, kConfigurationKey)) {
      const std::string path = ConfigPath(name);
      if (!RegValueExists(kMachine, path)) continue;
      WriteRegString(kUser, path, ReadRegString(kMachine, path, ""), true);
    }
  }
  RegistryBatch batch(kUser);
  WriteRegInteger(kUser, ConfigPath(kSettingTransOf), 0, false);
  WriteRegInteger(kUser, ConfigPath(kSettingMethode), 0, false);
}

int StartLanguageId() {
  if (!RegKeyExists(kUser, kProgramKey))
    WriteRegInteger(kUser, LanguagePath(), ReadRegInteger(kMachine, LanguagePath(), 0), false);
  return ReadRegInteger(kUser, LanguagePath(), 0);
}

void WriteLanguageId(int id) { WriteRegInteger(kUser, LanguagePath(), id, true); }

int Methode() { return ReadRegIntegerInRange(kUser, ConfigPath(kSettingMethode), 0, 0, 1); }
void SetMethode(int methode) { WriteRegInteger(kUser, ConfigPath(kSettingMethode), methode, true); }
int TransOf() { return ReadRegIntegerInRange(kUser, ConfigPath(kSettingTransOf), 0, 0, 1); }
void SetTransOf(int transOf) { WriteRegInteger(kUser, ConfigPath(kSettingTransOf), transOf, true); }

int WaitForRemote() {
  return std::clamp(ReadRegInteger(kUser, ConfigPath(kSettingWaitForRemote), kMinWaitForRemote), kMinWaitForRemote,
                    kMaxWaitForRemote);
}

std::optional<int> ParseWaitForRemote(const std::string& text) {
  size_t b = text.find_first_not_of(' ');
  size_t e = text.find_last_not_of(' ');
  if (b == std::string::npos) return std::nullopt;
  const char* first = text.data() + b;
  const char* last = text.data() + e + 1;
  if (*first == '+' && ++first != last && *first == '-') return std::nullopt;
  int value = 0;
  auto [ptr, ec] = std::from_chars(first, last, value);
  if (first == last || ec != std::errc() || ptr != last) return std::nullopt;
  return std::clamp(value, kMinWaitForRemote, kMaxWaitForRemote);
}

int RegistryTransferSettings::Methode() const { return veltro::Methode(); }

bool RegistryTransferSettings::TransOf() const { return veltro::TransOf() != 0; }

std::string RegistryTransferSettings::DataPath() const {
  return ReadRegString(kUser, ConfigPath(kSettingDataPath), defaultDataPath_);
}

bool RegistryTransferSettings::Viewer() const { return ReadRegBool(kUser, ConfigPath(kSettingViewer), false); }

bool RegistryTransferSettings::SaveSource() const { return ReadRegBool(kUser, ConfigPath(kSettingSaveSource), false); }

}  // namespace veltro
