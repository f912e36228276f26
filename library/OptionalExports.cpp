// The optional exports of the libraries whose instruments keep projects and
// code lists. Same rules as the interface: nothing throws across, a call
// from inside a running call is refused (answers "" or false).
#include <string>

#include "library/InstrumentLibrary.h"
#include "library/LibraryEngine.h"
#include "library/LibraryExportGuard.h"

using veltro::Library;

namespace {

std::string Name(const char* name) { return name ? std::string(name) : std::string(); }

const char* ListText(const char* command) noexcept {
  return veltro::Guarded<const char*>("", "", [command] { return Library().CommandText(command, true).c_str(); });
}

int32_t Change(const std::string& command) noexcept {
  return veltro::Guarded<int32_t>(0, 0, [&] { return Library().CommandDone(command) ? 1 : 0; });
}

}  // namespace

extern "C" {

const char* GetInstrument(void) noexcept {
  return veltro::Guarded<const char*>("", "", [] {
    const std::string& text = Library().CommandText("GET INSTRUMENT", false);
    return text.c_str();
  });
}
const char* GetProjects(void) noexcept { return ListText("GET PROJECTS"); }
const char* GetCodeLists(void) noexcept { return ListText("GET CODELISTS"); }
int32_t ClearProject(int32_t number) noexcept {
  return Change("CLEAR PROJECT " + std::to_string(number));
}
int32_t SetProject(int32_t number, const char* name) noexcept {
  return Change("SET PROJECT " + std::to_string(number) + "," + Name(name));
}
int32_t ClearCodeList(int32_t number) noexcept {
  return Change("CLEAR CODELIST " + std::to_string(number));
}
int32_t SetCodeList(int32_t number, const char* name) noexcept {
  return Change("SET CODELIST " + std::to_string(number) + "," + Name(name));
}

}  // extern "C"
