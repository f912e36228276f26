#include "platform/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <type_traits>

namespace veltro {

namespace {
// Number of lines AppendTextLines makes of text.
size_t CountLines(std::string_view text) {
  size_t count = 0;
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == n || text[i + 1] != '\n'))) ++count;
  }
  return n > 0 && text[n - 1] != '\r' && text[n - 1] != '\n' ? count + 1 : count;
}

template <typename List>
void AppendLines(List& list, std::string_view text) {
  // Large texts (whole files) are counted first so the list grows once.
  if (text.size() > 4096) {
    const size_t need = list.size() + CountLines(text);
    if (need > list.capacity()) list.reserve(std::max(need, list.capacity() * 2));
  }
  // One text is one piece: the splitter's line-end rule, one scan.
  LineSplitter<List> splitter(list);
  splitter.Add(text.data(), text.size());
  splitter.Finish();
}

// A UTF-8 byte-order mark is no part of the first line.
void DropByteOrderMark(TextLines& lines) {
  if (!lines.empty() && lines[0].starts_with(kUtf8ByteOrderMark)) lines[0].erase(0, kUtf8ByteOrderMark.size());
}
void DropByteOrderMark(LineList& lines) {
  if (!lines.empty() && lines[0].starts_with(kUtf8ByteOrderMark))
    lines.Replace(0, lines[0].substr(kUtf8ByteOrderMark.size()));
}
}  // namespace

void AppendTextLines(TextLines& list, std::string_view text) { AppendLines(list, text); }
void AppendTextLines(LineList& list, std::string_view text) { AppendLines(list, text); }

TextLines SplitLines(std::string_view text) {
  TextLines lines;
  AppendTextLines(lines, text);
  return lines;
}

namespace {
template <typename List>
std::string Join(const List& lines) {
  size_t total = 0;
  for (const auto& l : lines) total += l.size() + 2;
  std::string out;
  out.reserve(total);
  size_t n = 0;
  for (const auto& l : lines) {
    if constexpr (std::is_same_v<List, LineList>) lines.ReleaseResidentAt(++n);
    out += l;
    out += "\r\n";
  }
  return out;
}
}  // namespace

std::string JoinLines(const TextLines& lines) { return Join(lines); }
std::string JoinLines(const LineList& lines) { return Join(lines); }

namespace {
// Opens a file for reading; nullptr (error set) for a folder or a failure.
std::FILE* OpenForReading(const std::string& path, std::string* error) {
  if (DirectoryExists(path)) {
    if (error) *error = path + ": is a folder";
    return nullptr;
  }
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f && error) *error = path + ": " + std::strerror(errno);
  return f;
}

}  // namespace

bool LoadFileBytes(const std::string& path, std::string& bytes, std::string* error) {
  bytes.clear();
  std::FILE* f = OpenForReading(path, error);
  if (!f) return false;
  // Read straight into the text, sized from the file; grow for files that
  // change while they are read.
  struct stat st{};
  size_t capacity = ::fstat(fileno(f), &st) == 0 && st.st_size > 0 ? static_cast<size_t>(st.st_size) + 1 : 65536;
  size_t used = 0;
  for (;;) {
    bytes.resize(capacity);
    size_t got = std::fread(bytes.data() + used, 1, capacity - used, f);
    used += got;
    if (used < capacity) break;
    capacity *= 2;
  }
  bytes.resize(used);
  bool ok = !std::ferror(f);
  if (!ok && error) *error = path + ": " + std::strerror(errno);
  std::fclose(f);
  return ok;
}

namespace {
// The lines of the file's first limit bytes (rounded up to a piece), or all
// of them (whole) when the file ends within them; a line the limit cuts is
// left out.
template <typename List>
bool LoadLines(const std::string& path, List& lines, size_t limit, bool& whole, std::string* error) {
  lines.clear();
  whole = false;
  std::FILE* f = OpenForReading(path, error);
  if (!f) return false;
  // Read in pieces and split as they come: the file's bytes are never held
  // whole beside its lines.
  constexpr size_t kPiece = 1 << 20;
  std::unique_ptr<char[]> piece(new char[kPiece]);
  LineSplitter<List> splitter(lines);
  size_t got, total = 0;
  while (total < limit && (got = std::fread(piece.get(), 1, kPiece, f)) > 0) {
    splitter.Add(piece.get(), got);
    total += got;
  }
  whole = std::feof(f) != 0 || (total < limit && !std::ferror(f));
  if (whole) splitter.Finish();
  DropByteOrderMark(lines);
  const bool ok = !std::ferror(f);
  if (!ok) {
    if (error) *error = path + ": " + std::strerror(errno);
    lines.clear();
  }
  std::fclose(f);
  return ok;
}
}  // namespace

bool LoadTextFile(const std::string& path, TextLines& lines, std::string* error) {
  bool whole;
  return LoadLines(path, lines, SIZE_MAX, whole, error);
}

bool LoadTextFile(const std::string& path, LineList& lines, std::string* error) {
  bool whole;
  return LoadLines(path, lines, SIZE_MAX, whole, error);
}

bool LoadTextHead(const std::string& path, TextLines& lines, size_t maxBytes, bool& whole, std::string* error) {
  return LoadLines(path, lines, maxBytes, whole, error);
}
bool LoadTextHead(const std::string& path, LineList& lines, size_t maxBytes, bool& whole, std::string* error) {
  return LoadLines(path, lines, maxBytes, whole, error);
}

namespace {
// Writes all bytes to fd; false (errno set) on a failure.
bool WriteAll(int fd, const char* p, size_t left) {
  while (left > 0) {
    ssize_t w = ::write(fd, p, left);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += w;
    left -= static_cast<size_t>(w);
  }
  return true;
}

// Keeps the permissions of a file being replaced, else the usual 0666 & ~umask.
void TakeModeOf(const std::string& path, int fd) {
  struct stat st{};
  if (::stat(path.c_str(), &st) == 0) {
    ::fchmod(fd, st.st_mode & 07777);
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
  }
}

// A new empty file ".NAME.XXXXXX" beside path, open as fd; "" when none can be made.
std::string MakeFileBeside(const std::string& path, int& fd) {
  std::string tmpl = ExtractFilePath(path) + "." + ExtractFileName(path) + ".XXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  fd = mkstemp(name.data());
  return fd < 0 ? std::string() : std::string(name.data());
}

// Writes a file through a temporary file beside it, which replaces it once
// complete: write(fd) writes the content, false (errno set) on a failure.
template <typename Write>
bool ReplaceFile(const std::string& path, Write write, std::string* error) {
  if (path.empty() || DirectoryExists(path)) {
    if (error) *error = path + ": not a file name";
    return false;
  }
  int fd = -1;
  const std::string name = MakeFileBeside(path, fd);
  if (fd < 0) {
    if (error) *error = path + ": " + std::strerror(errno);
    return false;
  }
  bool ok = write(fd);
  int savedErrno = errno;
  if (ok && ::fsync(fd) != 0) { ok = false; savedErrno = errno; }
  TakeModeOf(path, fd);
  if (::close(fd) != 0 && ok) { ok = false; savedErrno = errno; }
  if (ok && std::rename(name.c_str(), path.c_str()) != 0) { ok = false; savedErrno = errno; }
  if (!ok) {
    std::remove(name.c_str());
    if (error) *error = path + ": " + std::strerror(savedErrno);
  }
  return ok;
}
}  // namespace

bool SaveFileBytes(const std::string& path, std::string_view bytes, std::string* error) {
  return ReplaceFile(path, [bytes](int fd) { return WriteAll(fd, bytes.data(), bytes.size()); }, error);
}

namespace {
template <typename List>
bool SaveLines(const std::string& path, const List& lines, std::string* error) {
  // The lines go out in chunks, not joined into a second copy of the file.
  constexpr size_t kChunk = 1 << 20;
  return ReplaceFile(
      path,
      [&lines](int fd) {
        std::string chunk;
        chunk.reserve(kChunk);
        size_t n = 0;
        for (const auto& l : lines) {
          if constexpr (std::is_same_v<List, LineList>) lines.ReleaseResidentAt(++n);
          // Flushed before it would grow past its reserve.
          if (chunk.size() + l.size() + 2 > kChunk && !chunk.empty()) {
            if (!WriteAll(fd, chunk.data(), chunk.size())) return false;
            chunk.clear();
          }
          chunk += l;
          chunk += "\r\n";
        }
        return WriteAll(fd, chunk.data(), chunk.size());
      },
      error);
}

}  // namespace

bool SaveTextFile(const std::string& path, const TextLines& lines, std::string* error) {
  return SaveLines(path, lines, error);
}
bool SaveTextFile(const std::string& path, const LineList& lines, std::string* error) {
  return SaveLines(path, lines, error);
}

std::string CreateFileBeside(const std::string& path, std::string* error) {
  if (path.empty() || DirectoryExists(path)) {
    if (error) *error = path + ": not a file name";
    return {};
  }
  int fd = -1;
  std::string name = MakeFileBeside(path, fd);
  if (fd < 0) {
    if (error) *error = path + ": " + std::strerror(errno);
    return {};
  }
  ::close(fd);
  return name;
}

bool PlaceFile(const std::string& from, const std::string& path, std::string* error) {
  if (path.empty() || DirectoryExists(path)) {
    if (error) *error = path + ": not a file name";
    return false;
  }
  const int fd = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (error) *error = from + ": " + std::strerror(errno);
    return false;
  }
  bool ok = ::fsync(fd) == 0;
  int savedErrno = errno;
  if (ok) {
    TakeModeOf(path, fd);
    ok = std::rename(from.c_str(), path.c_str()) == 0;
    savedErrno = errno;
    if (!ok && savedErrno == EXDEV) {
      // Another file system: copied through a temporary beside path.
      ok = ReplaceFile(
          path,
          [fd](int out) {
            std::vector<char> chunk(1 << 20);
            for (;;) {
              const ssize_t n = ::read(fd, chunk.data(), chunk.size());
              if (n < 0 && errno == EINTR) continue;
              if (n <= 0) return n == 0;
              if (!WriteAll(out, chunk.data(), static_cast<size_t>(n))) return false;
            }
          },
          error);
      if (ok) std::remove(from.c_str());
      ::close(fd);
      return ok;
    }
  }
  ::close(fd);
  if (!ok && error) *error = path + ": " + std::strerror(savedErrno);
  return ok;
}

bool RemoveFile(const std::string& path) { return !path.empty() && std::remove(path.c_str()) == 0; }

bool FileExists(const std::string& path) {
  struct stat st{};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st{};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

static size_t LastSeparator(const std::string& path) { return path.find_last_of("/\\"); }

std::string ExtractFilePath(const std::string& path) {
  size_t p = LastSeparator(path);
  return p == std::string::npos ? std::string() : path.substr(0, p + 1);
}

std::string ExtractFileName(const std::string& path) {
  size_t p = LastSeparator(path);
  return p == std::string::npos ? path : path.substr(p + 1);
}

bool HasDirectoryPart(const std::string& path) { return LastSeparator(path) != std::string::npos; }

std::string IncludeTrailingSeparator(const std::string& dir) {
  if (dir.empty() || dir.back() == '/' || dir.back() == '\\') return dir;
  return dir + "/";
}

bool ShellOpen(const std::string& path) {
  // The exec failure of the opener comes back through a pipe that closes
  // on a successful exec.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return false;
  // Double fork: the opener is adopted by init and leaves no zombie behind.
  pid_t pid = ::fork();
  if (pid < 0) {
    ::close(report[0]);
    ::close(report[1]);
    return false;
  }
  if (pid == 0) {
    ::close(report[0]);
    ::setsid();
    pid_t inner = ::fork();
    if (inner == 0) {
      ::execlp("xdg-open", "xdg-open", path.c_str(), static_cast<char*>(nullptr));
      const int error = errno;
      [[maybe_unused]] ssize_t written = ::write(report[1], &error, sizeof error);
      ::_exit(127);
    }
    ::_exit(inner < 0 ? 1 : 0);
  }
  ::close(report[1]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  int error = 0;
  ssize_t n;
  while ((n = ::read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
  }
  ::close(report[0]);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 && n == 0;
}

}  // namespace veltro
