#include "core/Fatal.h"

#include <cstdlib>

namespace veltro {
namespace {
FatalExitHandler g_handler = nullptr;
}

void SetFatalExitHandler(FatalExitHandler handler) { g_handler = handler; }

void FatalExit(int code) {
  if (g_handler) g_handler(code);
  std::exit(code);
}

}  // namespace veltro
