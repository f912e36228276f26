// The one library instance of a shared object and the guard every export
// runs its call through: nothing throws across the boundary, and a call made
// from inside a running call (through the host's message pump) is refused.
#pragma once

#include <exception>
#include <string>

#include "library/LibraryEngine.h"

namespace veltro {

inline TInstrumentLibrary& Library() {
  static TInstrumentLibrary library(LibraryProfile());
  return library;
}

inline bool g_exportRunning = false;

// Runs call unless another export is running (answers refused then);
// answers failed when it throws.
template <class Result, class Call>
Result Guarded(Result refused, Result failed, Call call) noexcept {
  if (g_exportRunning) return refused;
  g_exportRunning = true;
  Result result = failed;
  try {
    Library().CheckTimers();
    result = call();
  } catch (const std::exception& e) {
    try {
      Library().NoteError(std::string("internal error: ") + e.what());
    } catch (...) {
    }
  } catch (...) {
  }
  g_exportRunning = false;
  return result;
}

}  // namespace veltro
