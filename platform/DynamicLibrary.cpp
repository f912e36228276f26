#include "platform/DynamicLibrary.h"

#include <dlfcn.h>
#include <unistd.h>

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/FileLookup.h"

namespace veltro {
namespace {

std::string g_installationDirectory;

// Exports already looked up, per loaded handle: callers look an export up by
// name at every call (once per received line), dlsym need not.
std::unordered_map<void*, std::unordered_map<std::string, void*>>& SymbolCache() {
  static std::unordered_map<void*, std::unordered_map<std::string, void*>> cache;
  return cache;
}

std::string WithSlash(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

std::string ExecutableDirectory() {
  std::vector<char> buffer(4096);
  ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return "./";
  std::string path(buffer.data(), static_cast<size_t>(n));
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

}  // namespace

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), path_(std::move(other.path_)), error_(std::move(other.error_)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
  if (this != &other) {
    Free();
    handle_ = std::exchange(other.handle_, nullptr);
    path_ = std::move(other.path_);
    error_ = std::move(other.error_);
  }
  return *this;
}

bool DynamicLibrary::Load(const std::string& path) {
  Free();
  error_.clear();
  // RTLD_LOCAL keeps each library's symbols to itself: two instrument or
  // language libraries export the same names.
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    const char* why = dlerror();
    error_ = why ? why : "cannot load " + path;
    return false;
  }
  path_ = path;
  return true;
}

void DynamicLibrary::Free() {
  if (handle_) {
    SymbolCache().erase(handle_);
    dlclose(handle_);
  }
  handle_ = nullptr;
  path_.clear();
}

void* DynamicLibrary::Symbol(const char* name) const {
  if (!handle_ || !name) return nullptr;
  auto& symbols = SymbolCache()[handle_];
  if (auto found = symbols.find(name); found != symbols.end()) return found->second;
  void* address = dlsym(handle_, name);
  symbols.emplace(name, address);
  return address;
}

std::string InstallationDirectory() {
  if (!g_installationDirectory.empty()) return g_installationDirectory;
  static const std::string exeDir = ExecutableDirectory();
  return exeDir;
}

void SetInstallationDirectory(const std::string& directory) {
  g_installationDirectory = directory.empty() ? std::string() : WithSlash(directory);
}

std::string LibraryFileName(const std::string& dllName) {
  std::string base = dllName;
  size_t slash = base.rfind('/');
  if (slash != std::string::npos) base = base.substr(slash + 1);
  if (base.size() > 4 && EqualIgnoringCase(base.substr(base.size() - 4), ".dll")) base.resize(base.size() - 4);
  return "lib" + base + ".so";
}

std::string FindLibrary(const std::string& dllName) { return FindLibrary(dllName, InstallationDirectory()); }

std::string FindLibrary(const std::string& dllName, const std::string& directory) {
  if (dllName.empty()) return {};
  std::string dir = directory;
  size_t slash = dllName.rfind('/');
  if (slash != std::string::npos) dir = dllName.substr(0, slash + 1);
  dir = WithSlash(dir);
  return FindFileIgnoringCase(dir, LibraryFileName(dllName));
}

bool LoadLibraryByName(const std::string& dllName, DynamicLibrary& library) {
  std::string path = FindLibrary(dllName);
  if (path.empty()) return false;
  DynamicLibrary fresh;
  if (!fresh.Load(path)) return false;
  library = std::move(fresh);
  return true;
}

}  // namespace veltro
