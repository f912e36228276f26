// Where the running program lies: the default of the installation directory
// (setting "StdPath"), below which the DXF, format and data folders live.
#pragma once

#include <string>

namespace veltro {

// The folder of the running executable, ending with "/"; "" when the system
// does not tell.
std::string ProgramDirectory();

}  // namespace veltro
