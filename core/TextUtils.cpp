#include "core/TextUtils.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/MessagePump.h"
#include "platform/SerialDevices.h"
#include "platform/SystemLocale.h"

namespace veltro {
namespace {
SystemSeparators g_separators;

size_t Count(int n) { return n > 0 ? static_cast<size_t>(n) : 0; }

// Upper case in code page 1252: a-z, the accented small letters 0xE0-0xFE
// (without the division sign 0xF7) and š, œ, ž, ÿ.
char AnsiUpper(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  if (u >= 'a' && u <= 'z') return static_cast<char>(u - 0x20);
  if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<char>(u - 0x20);
  switch (u) {
    case 0x9A: return static_cast<char>(0x8A);
    case 0x9C: return static_cast<char>(0x8C);
    case 0x9E: return static_cast<char>(0x8E);
    case 0xFF: return static_cast<char>(0x9F);
    default: return c;
  }
}

std::string AnsiUpperText(const std::string& text) {
  std::string out = text;
  for (char& c : out) c = AnsiUpper(c);
  return out;
}
}  // namespace

// ---- Text -------------------------------------------------------------------

std::string TrimBlanks(const std::string& text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

std::string_view TrimBlanksView(std::string_view text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

std::string TrimLeftChar(const std::string& text, char c) {
  size_t first = text.find_first_not_of(c);
  return first == std::string::npos ? std::string() : text.substr(first);
}

std::string TrimRightChar(const std::string& text, char c) {
  size_t last = text.find_last_not_of(c);
  return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

std::string LeftText(const std::string& text, int n) { return text.substr(0, std::min(Count(n), text.size())); }

std::string RightText(const std::string& text, int n) {
  size_t k = std::min(Count(n), text.size());
  return text.substr(text.size() - k);
}

std::string CharString(char c, int n) { return std::string(Count(n), c); }

std::string Blanks(int n) { return CharString(' ', n); }

std::string PadLeft(const std::string& text, char c, int n) {
  if (text.size() >= Count(n)) return text;
  return std::string(Count(n) - text.size(), c) + text;
}

std::string PadRight(const std::string& text, char c, int n) {
  if (text.size() >= Count(n)) return text;
  return text + std::string(Count(n) - text.size(), c);
}

std::string PadLeftBlanks(const std::string& text, int n) { return PadLeft(text, ' ', n); }

std::string PadRightBlanks(const std::string& text, int n) { return PadRight(text, ' ', n); }

std::string ZeroPad(const std::string& text, int n) { return PadLeft(TrimBlanks(text), '0', n); }

std::string AddBackslash(const std::string& path) {
  if (!path.empty() && path.back() == '\\') return path;
  return path + '\\';
}

std::string RemoveBackslash(const std::string& path) {
  if (!path.empty() && path.back() == '\\') return path.substr(0, path.size() - 1);
  return path;
}

std::string RemoveLineEnds(const std::string& text) {
  size_t end = text.size();
  while (end > 0 && (text[end - 1] == '\r' || text[end - 1] == '\n')) --end;
  return text.substr(0, end);
}

char LastChar(const std::string& text) { return text.empty() ? '\0' : text.back(); }

std::string CutToken(std::string& text, char c) {
  size_t pos = text.find(c);
  std::string token;
  if (pos == std::string::npos) {
    token.swap(text);
  } else {
    token = text.substr(0, pos);
    text.erase(0, pos + 1);
  }
  return token;
}

int TokenCount(const std::string& text, char c) {
  // Every c cuts one token; a text that does not end in c has one more.
  if (text.empty()) return 0;
  int count = CountChar(text, c);
  return text.back() == c ? count : count + 1;
}

std::string FieldAt(const std::string& text, char c, int n) {
  if (n < 0) return {};
  size_t start = 0;
  for (int i = 0; i < n; ++i) {
    size_t pos = text.find(c, start);
    if (pos == std::string::npos) return {};
    start = pos + 1;
  }
  size_t end = text.find(c, start);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

void SplitToList(const std::string& text, char c, std::vector<std::string>& list) {
  list.clear();
  std::string rest = text;
  while (!rest.empty()) {
    std::string token = CutToken(rest, c);
    if (token.empty()) break;
    list.push_back(std::move(token));
  }
}

std::string ReplaceField(const std::string& value, const std::string& text, char c, int n) {
  if (n < 0) return text;
  size_t start = 0;
  for (int i = 0; i < n; ++i) {
    size_t pos = text.find(c, start);
    if (pos == std::string::npos) return text + std::string(static_cast<size_t>(n - i), c) + value;
    start = pos + 1;
  }
  size_t end = text.find(c, start);
  return text.substr(0, start) + value + (end == std::string::npos ? std::string() : text.substr(end));
}

int CountChar(const std::string& text, char c) { return static_cast<int>(std::count(text.begin(), text.end(), c)); }

std::string ReplaceChar(const std::string& text, char c, const std::string& s) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    if (ch == c)
      out += s;
    else
      out += ch;
  }
  return out;
}

int PosFrom(const std::string& sub, const std::string& text, int start) {
  if (sub.empty()) return 0;
  size_t from = start > 1 ? static_cast<size_t>(start) - 1 : 0;
  if (from >= text.size()) return 0;
  size_t pos = text.find(sub, from);
  return pos == std::string::npos ? 0 : static_cast<int>(pos) + 1;
}

void ReplaceAll(std::string& text, const std::string& sub, const std::string& s) {
  if (sub.empty()) return;
  size_t pos = 0;
  while ((pos = text.find(sub, pos)) != std::string::npos) {
    text.replace(pos, sub.size(), s);
    pos += s.size();
  }
}

std::string ReplaceText(const std::string& text, const std::string& sub, const std::string& s, int flags) {
  if (sub.empty()) return text;
  const bool matchCase = (flags & kReplaceMatchCase) != 0;
  const bool all = (flags & kReplaceAll) != 0;
  const std::string haystack = matchCase ? text : AnsiUpperText(text);
  const std::string needle = matchCase ? sub : AnsiUpperText(sub);
  std::string out;
  size_t from = 0;
  for (;;) {
    size_t pos = haystack.find(needle, from);
    if (pos == std::string::npos) break;
    out.append(text, from, pos - from);
    out += s;
    from = pos + needle.size();
    if (!all) break;
  }
  out.append(text, from, std::string::npos);
  return out;
}

// ---- Numbers (text only; the decimal arithmetic is in NumberText.cpp) ---------

int PowerOfTen(int n) {
  int result = 1;
  for (int i = 0; i < std::min(n, 9); ++i) result *= 10;
  return result;
}

std::string RemoveDecimalPoint(const std::string& text) {
  std::string out = text;
  size_t pos = out.find('.');
  if (pos != std::string::npos) out.erase(pos, 1);
  return out;
}

bool IsNumericText(const std::string& text) {
  for (char c : TrimBlanks(text))
    if (!(c == '+' || c == '-' || c == '.' || (c >= '0' && c <= '9'))) return false;
  return true;
}

// ---- Locale -----------------------------------------------------------------

void InitLocale() {
  g_separators = ReadSystemSeparators();
  UseDotDecimalLocale();
}

char SystemDecimalSeparator() { return g_separators.decimal; }
char SystemDateSeparator() { return g_separators.date; }
char SystemTimeSeparator() { return g_separators.time; }

void SetSystemSeparators(char decimal, char date, char time) { g_separators = SystemSeparators{decimal, date, time}; }

// ---- Other ------------------------------------------------------------------

bool PortExists(int n) { return SerialDeviceExists(n); }

void WaitMilliseconds(int ms) {
  using Clock = std::chrono::steady_clock;
  constexpr auto kStep = std::chrono::milliseconds(1);
  const auto end = Clock::now() + std::chrono::milliseconds(std::max(ms, 0));
  // The pump runs at once and then every kPumpIntervalMs, so that even a
  // short wait lets pending window messages run.
  auto nextPump = Clock::now();
  for (;;) {
    auto now = Clock::now();
    if (now >= nextPump) {
      PumpMessagesNow();
      nextPump = Clock::now() + std::chrono::milliseconds(kPumpIntervalMs);
      now = Clock::now();
    }
    if (now >= end) break;
    std::this_thread::sleep_for(std::min<Clock::duration>(kStep, end - now));
  }
}

std::string FilterExtension(const std::string& filter) {
  size_t bar = filter.find('|');
  if (bar == std::string::npos) return {};
  size_t star = filter.find("*.", bar + 1);
  if (star == std::string::npos) return {};
  size_t start = star + 2;
  size_t end = filter.find_first_of(";|", start);
  std::string ext = filter.substr(start, end == std::string::npos ? std::string::npos : end - start);
  return ext == "*" ? std::string() : ext;
}

std::vector<std::string> SplitFields(const std::string& text, char separator) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    const size_t at = text.find(separator, start);
    fields.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos) return fields;
    start = at + 1;
  }
}

}  // namespace veltro
