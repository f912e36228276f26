// A levelling-calculation library for the main-window tests: records every
// call with its arguments instead of showing anything. FakeCalls answers
// the record, one call a line: its name and arguments separated by "|"
// (CR and LF of the arguments written as \r and \n).
#include <cstdint>
#include <string>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
std::string g_calls;

void Arg(const std::string& text) {
  g_calls += '|';
  for (char c : text) {
    if (c == '\r')
      g_calls += "\\r";
    else if (c == '\n')
      g_calls += "\\n";
    else
      g_calls += c;
  }
}
void Arg(const char* text) { Arg(std::string(text ? text : "(null)")); }
void Arg(std::int32_t n) { Arg(std::to_string(n)); }

template <class... Args>
void Record(const char* name, Args... args) {
  g_calls += name;
  (Arg(args), ...);
  g_calls += '\n';
}
}  // namespace

FAKE_EXPORT void SetMainFormRect(std::int16_t left, std::int16_t top, std::int16_t width, std::int16_t height) noexcept {
  Record("SetMainFormRect", std::int32_t{left}, std::int32_t{top}, std::int32_t{width}, std::int32_t{height});
}

FAKE_EXPORT void SetLanguageCalcNiv(void* language) noexcept {
  Record("SetLanguageCalcNiv", language ? "handle" : "none");
}

FAKE_EXPORT void ShowBerechnungsparameter(std::int32_t root, const char* key) noexcept {
  Record("ShowBerechnungsparameter", root, key);
}

FAKE_EXPORT void ShowTableparameter(std::int32_t root, const char* key) noexcept {
  Record("ShowTableparameter", root, key);
}

FAKE_EXPORT void ShowKundenInfo(std::int32_t root, const char* key, const char* customer) noexcept {
  Record("ShowKundenInfo", root, key, customer);
}

FAKE_EXPORT void ShowResult(std::int32_t root, const char* dataDir, const char* printerKey, const char* computeKey,
                            const char* windowText, const char* customer, const char* start, const char* mess,
                            const char* end, const char* comments, const char* dateFormat, const char* timeFormat,
                            const char* lines, const char* tag) noexcept {
  Record("ShowResult", root, dataDir, printerKey, computeKey, windowText, customer, start, mess, end, comments,
         dateFormat, timeFormat, lines, tag);
}

FAKE_EXPORT const char* FakeCalls() noexcept { return g_calls.c_str(); }
FAKE_EXPORT void FakeClear() noexcept { g_calls.clear(); }
