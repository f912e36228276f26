#include "platform/FileLookup.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>

namespace veltro {

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

bool IsReadableFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), R_OK) == 0;
}

std::string FindFileIgnoringCase(const std::string& directory, const std::string& name) {
  if (name.empty()) return {};
  if (IsReadableFile(directory + name)) return directory + name;
  DIR* d = opendir(directory.c_str());
  if (!d) return {};
  std::string found;
  while (dirent* e = readdir(d)) {
    const std::string entry = e->d_name;
    if (EqualIgnoringCase(entry, name) && IsReadableFile(directory + entry)) {
      found = directory + entry;
      break;
    }
  }
  closedir(d);
  return found;
}

}  // namespace veltro
