// A coordinate-system library for the dialog tests: records what the
// program passes and answers ShowParams from a script instead of showing a
// dialog. The Fake* exports let the test set the answer and read the record
// (the test keeps the library loaded, so the record outlives the dialog's
// own load and free).
#include <cstdint>
#include <cstring>
#include <string>

#include "wgsxyz/CoordinateBlock.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
std::string g_language;
std::string g_getSystem;
std::string g_getDirectory;
std::string g_shownSystem;
std::string g_answer;
bool g_answerNull = false;
bool g_unusable = false;
int g_calls[3] = {0, 0, 0};  // SetLanguageStrings, GetAktivSystem, ShowParams
int32_t g_centreX = 0;
int32_t g_top = 0;
}  // namespace

FAKE_EXPORT void SetLanguageStrings(const char* texts) noexcept {
  ++g_calls[0];
  g_language = texts ? texts : "";
}

FAKE_EXPORT void GetAktivSystem(unsigned char* block, const char* directory, const char* activeSystem,
                                unsigned char) noexcept {
  ++g_calls[1];
  g_getDirectory = directory ? directory : "";
  g_getSystem = activeSystem ? activeSystem : "";
  std::memset(block, 0, veltro::wgsxyz::kBlockSize);
  block[veltro::wgsxyz::kStatusOffset] = g_unusable ? veltro::wgsxyz::kStatusUnusable : 0;
}

FAKE_EXPORT const char* ShowParams(const char* activeSystem, int32_t centreX, int32_t top, int32_t,
                                   int32_t) noexcept {
  ++g_calls[2];
  g_shownSystem = activeSystem ? activeSystem : "";
  g_centreX = centreX;
  g_top = top;
  return g_answerNull ? nullptr : g_answer.c_str();
}

FAKE_EXPORT void FakeSetAnswer(const char* answer, int unusable) noexcept {
  g_answerNull = answer == nullptr;
  g_answer = answer ? answer : "";
  g_unusable = unusable != 0;
  g_language.clear();
  g_calls[0] = g_calls[1] = g_calls[2] = 0;
}

// 0 language text, 1 system given to GetAktivSystem, 2 its directory,
// 3 system given to ShowParams.
FAKE_EXPORT const char* FakeRecord(int which) noexcept {
  switch (which) {
    case 0:
      return g_language.c_str();
    case 1:
      return g_getSystem.c_str();
    case 2:
      return g_getDirectory.c_str();
    default:
      return g_shownSystem.c_str();
  }
}

FAKE_EXPORT int FakeCalls(int which) noexcept { return which >= 0 && which < 3 ? g_calls[which] : 0; }
FAKE_EXPORT int32_t FakePosition(int which) noexcept { return which == 0 ? g_centreX : g_top; }
