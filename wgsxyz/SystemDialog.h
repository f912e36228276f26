// The dialog in which the user chooses the active coordinate system.
#pragma once

#include <string>

namespace veltro::wgsxyz {

// Shows the systems, their stated accuracy and heights; true, with chosen
// set, when the user confirms a usable system. Without a Qt application a
// temporary one is made when a display is available; false when none is.
bool ChooseSystem(const std::string& active, int centreX, int top, std::string& chosen);

}  // namespace veltro::wgsxyz
