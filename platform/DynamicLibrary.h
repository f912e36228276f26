// Dynamic libraries (language, instrument and helper libraries) loaded by
// name from the installation directory.
//
// The program names its libraries the Windows way, "LANGDES.DLL". On this
// platform such a name means the shared object "lib" + base name + ".so"
// ("LANGDES.DLL" -> "libLANGDES.so"), looked up in the installation
// directory without regard to letter case, so "CR1.DLL" also finds
// "libcr1.so". The installation directory is the folder of the running
// program unless set otherwise (tests, the headless converter).
#pragma once

#include <string>

namespace veltro {

class DynamicLibrary {
 public:
  DynamicLibrary() = default;
  ~DynamicLibrary() { Free(); }
  DynamicLibrary(DynamicLibrary&& other) noexcept;
  DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  // Loads the shared object at path (any library loaded before is freed
  // first). False when it cannot be loaded; Error() then says why.
  bool Load(const std::string& path);
  // Frees the library; harmless when none is loaded.
  void Free();
  bool IsLoaded() const { return handle_ != nullptr; }

  // Address of the export with exactly that name, nullptr when missing or
  // when no library is loaded.
  void* Symbol(const char* name) const;
  template <class Function>
  Function Export(const char* name) const {
    return reinterpret_cast<Function>(Symbol(name));
  }

  // The platform handle (passed on to libraries that want it) and the path.
  void* Handle() const { return handle_; }
  const std::string& Path() const { return path_; }
  const std::string& Error() const { return error_; }

 private:
  void* handle_ = nullptr;
  std::string path_;
  std::string error_;
};

// The installation directory, ending with "/". Defaults to the folder of the
// running executable; SetInstallationDirectory("") restores that default.
std::string InstallationDirectory();
void SetInstallationDirectory(const std::string& directory);

// File name of a library on this platform: "X.DLL" (any case of the
// extension) and "X" give "libX.so".
std::string LibraryFileName(const std::string& dllName);

// Full path of the library dllName in directory (default: the installation
// directory), matching the file name without regard to case; "" when there is
// no such file. A dllName holding "/" names its own directory.
std::string FindLibrary(const std::string& dllName);
std::string FindLibrary(const std::string& dllName, const std::string& directory);
inline bool LibraryExists(const std::string& dllName) { return !FindLibrary(dllName).empty(); }

// Loads dllName from the installation directory into library; false (and
// library untouched) when it is missing or does not load.
bool LoadLibraryByName(const std::string& dllName, DynamicLibrary& library);

}  // namespace veltro
