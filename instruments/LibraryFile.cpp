#include "instruments/LibraryFile.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/TextFile.h"

namespace veltro {
namespace {

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

}  // namespace

std::string FindLibraryFile(const std::string& directory, const std::string& libraryName) {
  if (libraryName.empty()) return {};
  std::string base = libraryName;
  if (Lower(base).ends_with(".dll")) base.resize(base.size() - 4);
  const std::vector<std::string> candidates = {Lower("lib" + base + ".so"), Lower(base + ".so"), Lower(libraryName)};

  const std::string dir = directory.empty() ? std::string("./") : IncludeTrailingSeparator(directory);
  std::error_code ec;
  std::vector<std::string> names;
  for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code fileEc;
    if (it->is_regular_file(fileEc)) names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());  // several spellings of one name: a stable choice
  for (const auto& wanted : candidates)
    for (const auto& name : names)
      if (Lower(name) == wanted) return dir + name;
  return {};
}

}  // namespace veltro
