// Files looked up by name the Windows way: letter case does not matter.
#pragma once

#include <string>

namespace veltro {

// ASCII letters compared without regard to case.
bool EqualIgnoringCase(const std::string& a, const std::string& b);

// A readable regular file (a link counts as what it points to).
bool IsReadableFile(const std::string& path);

// Full path of the readable file name in directory (which ends with "/"):
// the exact name first, else the first entry equal to it but for letter
// case; "" when there is none.
std::string FindFileIgnoringCase(const std::string& directory, const std::string& name);

}  // namespace veltro
