#include "tests/support/LibraryExports.h"

#include <cstdio>

namespace veltro::test {

std::set<std::string> DefinedExports(const std::string& path) {
  std::set<std::string> names;
  FILE* nm = ::popen(("nm -D --defined-only '" + path + "'").c_str(), "r");
  if (!nm) return names;
  char line[512];
  while (std::fgets(line, sizeof line, nm)) {
    std::string name = line;
    name = name.substr(name.find_last_of(' ') + 1);
    name.erase(name.find_last_not_of("\r\n") + 1);
    if (name.find("san") != std::string::npos || name == "_init" || name == "_fini") continue;
    names.insert(name);
  }
  if (::pclose(nm) != 0) names.insert("(nm failed)");
  return names;
}

}  // namespace veltro::test
