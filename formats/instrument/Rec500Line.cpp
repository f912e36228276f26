#include "formats/instrument/Rec500Line.h"

#include <algorithm>

#include "core/TextUtils.h"

namespace veltro {
namespace {

std::string_view Trimmed(std::string_view s) {
  const size_t first = s.find_first_not_of(" \r");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \r") - first + 1);
}

// Columns [from, to) of the line; shorter when the line ends before.
std::string_view Columns(std::string_view line, size_t from, size_t to) {
  if (from >= line.size()) return {};
  return line.substr(from, std::min(to, line.size()) - from);
}

bool IsDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool StartsWithUpper(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (Upper(text[i]) != prefix[i]) return false;
  return true;
}

// "For M5|Adr ...", "R4|...": the text before the first "|" names a dialect,
// with or without a leading "For".
bool IsDialectLine(std::string_view line) {
  const size_t bar = line.find('|');
  if (bar == std::string_view::npos) return false;
  std::string_view name = Trimmed(line.substr(0, bar));
  if (StartsWithUpper(name, "FOR")) name = Trimmed(name.substr(3));
  while (!name.empty() && name.front() == '_') name.remove_prefix(1);
  for (std::string_view dialect : {"R4", "R5", "M5", "REC", "E"})
    if (StartsWithUpper(name, dialect)) return true;
  return false;
}

}  // namespace

Rec500Line ReadRec500Line(std::string_view line) {
  Rec500Line out;
  if (IsDialectLine(line)) {
    out.type = Rec500LineType::Dialect;
    return out;
  }
  if (!IsDigits(Trimmed(Columns(line, 0, kRec500LineNumberEnd)))) return out;
  if (line.size() > kRec500LineNumberEnd && line[kRec500LineNumberEnd] != ' ') return out;

  // The value after each letter runs up to the blank in front of the next
  // letter column.
  bool seen[3] = {false, false, false};
  bool bad = false;
  for (size_t i = 0; i < 3; ++i) {
    const size_t at = kRec500LetterColumns[i];
    if (at >= line.size()) break;
    const char letter = line[at];
    if (letter == ' ' || letter == '\r') continue;
    const int which = letter == 'X' ? 0 : letter == 'Y' ? 1 : letter == 'Z' ? 2 : -1;
    if (which < 0 || seen[which] || line[at - 1] != ' ') return out;
    seen[which] = true;
    std::string& value = which == 0 ? out.x : which == 1 ? out.y : out.z;
    const size_t end = i + 1 < 3 ? kRec500LetterColumns[i + 1] - 1 : line.size();
    value = std::string(Trimmed(Columns(line, at + 1, end)));
    if (!value.empty() && IsNoValue(ParseNumber(value))) bad = true;
  }
  if (!seen[0] && !seen[1] && !seen[2]) return out;
  if (bad) {
    out.type = Rec500LineType::BadValue;
  } else if (out.x.empty() || out.y.empty()) {
    out.type = Rec500LineType::NoPosition;
  } else {
    out.type = Rec500LineType::Coordinate;
  }

  const bool programPlacement = line.size() > kRec500PointStart && line[kRec500PointStart] != ' ';
  const size_t pointEnd = programPlacement ? kRec500PointStart + kRec500PointWidth : kRec500RecorderPointEnd;
  out.point = std::string(Trimmed(Columns(line, kRec500PointStart, pointEnd)));
  out.code = std::string(Trimmed(Columns(line, pointEnd, kRec500CodeEnd)));
  return out;
}

}  // namespace veltro
