// The dynamic symbols a shared library defines, as `nm -D` lists them,
// without the hooks of sanitizer runtimes and the loader's _init/_fini.
#pragma once

#include <set>
#include <string>

namespace veltro::test {

std::set<std::string> DefinedExports(const std::string& path);

}  // namespace veltro::test
