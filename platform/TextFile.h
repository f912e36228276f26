// 8-bit text files as line lists. Loading accepts CR LF, LF and lone CR line
// ends and keeps every byte 0x00-0xFF; a final line end does not add an empty
// line. Saving writes each line followed by CR LF into a temporary file in the
// same folder and renames it over the target, so a failed save never destroys
// an existing file.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/LineList.h"

namespace veltro {

using TextLines = std::vector<std::string>;

// Splits text into lines with the loading rules above.
TextLines SplitLines(std::string_view text);
// Appends the lines of text to list with the loading rules above.
void AppendTextLines(TextLines& list, std::string_view text);
void AppendTextLines(LineList& list, std::string_view text);
// Splits a text that arrives in pieces into lines as AppendTextLines splits
// the whole text: a line end ("\r\n", "\r" or "\n") may fall between pieces.
template <typename List>
class LineSplitter {
 public:
  explicit LineSplitter(List& lines) : lines_(lines) {}

  void Add(const char* data, size_t n) {
    size_t i = 0;
    if (skipLineFeed_ && n > 0) {
      if (data[0] == '\n') i = 1;
      skipLineFeed_ = false;
    }
    // The next CR and the next LF are sought with memchr and each kept until
    // the scan passes it, so a file of one kind of line end is read once.
    const char* const end = data + n;
    auto next = [end](const char* from, char c) {
      const void* at = std::memchr(from, c, static_cast<size_t>(end - from));
      return at ? static_cast<const char*>(at) : end;
    };
    const char* start = data + i;
    const char* cr = next(start, '\r');
    const char* lf = next(start, '\n');
    for (const char* e = std::min(cr, lf); e != end; e = std::min(cr, lf)) {
      if (partial_.empty()) {
        lines_.emplace_back(std::string_view(start, static_cast<size_t>(e - start)));
      } else {
        partial_.append(start, static_cast<size_t>(e - start));
        lines_.emplace_back(partial_);
        partial_.clear();
      }
      start = e + 1;
      if (*e == '\r') {
        if (start == end)
          skipLineFeed_ = true;
        else if (*start == '\n')
          ++start;
      }
      if (cr < start) cr = next(start, '\r');
      if (lf < start) lf = next(start, '\n');
    }
    partial_.append(start, static_cast<size_t>(end - start));
  }

  // A last line without a line end.
  void Finish() {
    if (!partial_.empty()) lines_.emplace_back(partial_);
    partial_.clear();
  }

 private:
  List& lines_;
  std::string partial_;  // the line begun at the end of the last piece
  bool skipLineFeed_ = false;
};

// Joins lines, each followed by CR LF (the text of a line list).
std::string JoinLines(const TextLines& lines);
std::string JoinLines(const LineList& lines);

// The lines of a file; a UTF-8 byte-order mark at its start is dropped.
bool LoadTextFile(const std::string& path, TextLines& lines, std::string* error = nullptr);
bool LoadTextFile(const std::string& path, LineList& lines, std::string* error = nullptr);
// The complete lines of the file's first maxBytes bytes (about), as
// LoadTextFile loads them; whole is set when they are all of the file.
bool LoadTextHead(const std::string& path, TextLines& lines, size_t maxBytes, bool& whole,
                  std::string* error = nullptr);
bool LoadTextHead(const std::string& path, LineList& lines, size_t maxBytes, bool& whole,
                  std::string* error = nullptr);
// The UTF-8 byte-order mark some editors put at the start of a text file.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

bool LoadFileBytes(const std::string& path, std::string& bytes, std::string* error = nullptr);
bool SaveTextFile(const std::string& path, const TextLines& lines, std::string* error = nullptr);
bool SaveTextFile(const std::string& path, const LineList& lines, std::string* error = nullptr);
bool SaveFileBytes(const std::string& path, std::string_view bytes, std::string* error = nullptr);
// A new empty file with a hidden unique name in the folder of path, for
// content that is to replace path later; its name, or "" when none can be
// created.
std::string CreateFileBeside(const std::string& path, std::string* error = nullptr);
// Moves the complete file from (synced first) to path, replacing what is
// there; it takes the permissions of the file it replaces. Across file
// systems it is copied as SaveFileBytes writes, then removed. On failure
// path is untouched and from stays.
bool PlaceFile(const std::string& from, const std::string& path, std::string* error = nullptr);
bool RemoveFile(const std::string& path);

bool FileExists(const std::string& path);       // a regular file (a folder is not)
bool DirectoryExists(const std::string& path);

// Path parts. "/" separates folders; "\" is accepted too, as in names read
// from settings. ":" is not a separator.
std::string ExtractFilePath(const std::string& path);  // up to and including the last separator
std::string ExtractFileName(const std::string& path);  // after the last separator
bool HasDirectoryPart(const std::string& path);
std::string IncludeTrailingSeparator(const std::string& dir);

// Opens a file with the desktop's associated program (xdg-open on the
// PATH); false when the opener cannot be started.
bool ShellOpen(const std::string& path);

}  // namespace veltro
