// Finding an instrument library file in the installation directory. The
// catalogue names libraries the way the instrument family always has
// ("GTS700.DLL", "Dummy.DLL"); on this platform the file is a shared object.
// Names compare without regard to case, as on the file systems the names
// come from.
#pragma once

#include <string>

namespace veltro {

// The path of the library file for libraryName ("X.DLL") in directory, or ""
// when there is none. Tried in this order, each without regard to case:
// "libX.so", "X.so", then "X.DLL" itself.
std::string FindLibraryFile(const std::string& directory, const std::string& libraryName);

}  // namespace veltro
