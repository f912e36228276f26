#include "platform/SerialDevices.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "platform/Registry.h"

namespace veltro {
namespace {
std::map<int, std::string> g_overrides;

struct Group {
  const char* prefix;  // name in /dev without the number
  bool checkUart;      // ttyS nodes exist whether or not a port is fitted
};
constexpr Group kGroups[] = {{"ttyS", true}, {"ttyUSB", false}, {"ttyACM", false}};

// The number after prefix when name is prefix followed by digits only.
bool DeviceNumber(const std::string& name, const std::string& prefix, long& number) {
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return false;
  number = 0;
  for (size_t i = prefix.size(); i < name.size(); ++i) {
    char c = name[i];
    if (c < '0' || c > '9' || number > 1000000) return false;
    number = number * 10 + (c - '0');
  }
  return true;
}

// A 8250-style port without hardware reports UART type 0 in sysfs. Without
// sysfs the node is taken as it is.
bool UartPresent(const std::string& name) {
  std::ifstream in("/sys/class/tty/" + name + "/type");
  if (!in) return !std::filesystem::exists("/sys/class/tty");
  int type = 0;
  if (!(in >> type)) return true;
  return type != 0;
}
}  // namespace

std::vector<std::string> SystemSerialDevices() {
  std::vector<std::string> result;
  std::error_code ec;
  std::filesystem::directory_iterator it("/dev", ec), end;
  std::vector<std::pair<long, std::string>> found[std::size(kGroups)];
  for (; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    for (size_t g = 0; g < std::size(kGroups); ++g) {
      long number = 0;
      if (!DeviceNumber(name, kGroups[g].prefix, number)) continue;
      if (kGroups[g].checkUart && !UartPresent(name)) continue;
      found[g].emplace_back(number, "/dev/" + name);
    }
  }
  for (auto& group : found) {
    std::sort(group.begin(), group.end());
    for (auto& entry : group) result.push_back(entry.second);
  }
  return result;
}

std::string SerialDevicePath(int n) {
  if (n < 1) return {};
  if (auto o = g_overrides.find(n); o != g_overrides.end()) return o->second;
  std::string configured = ReadRegString(RegistryRoot::CurrentUser, SerialDeviceSetting(n), "");
  if (!configured.empty()) return configured.find('/') == std::string::npos ? "/dev/" + configured : configured;
  return AutomaticSerialDevicePath(n);
}

std::string AutomaticSerialDevicePath(int n) {
  if (n < 1) return {};
  std::string variable = "VELTRO_COM" + std::to_string(n);
  if (const char* env = std::getenv(variable.c_str())) return env;
  std::vector<std::string> devices = SystemSerialDevices();
  if (static_cast<size_t>(n) > devices.size()) return {};
  return devices[static_cast<size_t>(n) - 1];
}

std::string SerialDeviceSetting(int n) {
  return std::string(kConfigurationKey) + "Ports\\COM" + std::to_string(n);
}

bool SerialDeviceExists(int n) {
  std::string path = SerialDevicePath(n);
  if (path.empty()) return false;
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

std::vector<std::string> StableSerialDeviceNames(const std::vector<std::string>& devices,
                                                 const std::string& byIdFolder) {
  namespace fs = std::filesystem;
  std::error_code ec;
  std::vector<std::pair<fs::path, std::string>> links;  // resolved device, link path
  fs::directory_iterator it(byIdFolder, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    std::error_code linkError;
    fs::path target = fs::canonical(it->path(), linkError);
    if (!linkError) links.emplace_back(target, it->path().string());
  }
  std::sort(links.begin(), links.end());
  std::vector<std::string> result;
  for (const std::string& device : devices) {
    std::error_code deviceError;
    const fs::path resolved = fs::canonical(device, deviceError);
    std::string name = device;
    if (!deviceError)
      for (const auto& [target, link] : links)
        if (target == resolved) {
          name = link;
          break;
        }
    result.push_back(name);
  }
  return result;
}

void SetSerialDeviceOverride(int n, const std::string& path) { g_overrides[n] = path; }

void ClearSerialDeviceOverrides() { g_overrides.clear(); }

}  // namespace veltro
