// Ending the program on a configuration error that leaves nothing to work
// with (no active office format, no instrument). Input never ends the program.
#pragma once

namespace veltro {

// Ends the program with the exit code. The handler may throw instead (tests);
// if it returns, std::exit follows.
[[noreturn]] void FatalExit(int code);
using FatalExitHandler = void (*)(int code);
void SetFatalExitHandler(FatalExitHandler handler);

}  // namespace veltro
