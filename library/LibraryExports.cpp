// The C exports of an instrument library over the engine and the library's
// profile. Nothing throws across the boundary; a call made from inside a
// running call (through the host's message pump) is refused, except SetBreak.
#include <exception>
#include <string>

#include "library/InstrumentLibrary.h"
#include "library/LibraryEngine.h"
#include "library/LibraryExportGuard.h"

namespace veltro {
namespace {

template <class Call>
int32_t Code(Call call) noexcept {
  return Guarded<int32_t>(VELTRO_WRITE_FAILED, VELTRO_OPEN_FAILED, call);
}

const char* Text(const std::string& (*get)()) noexcept {
  return Guarded<const char*>("", "", [get] { return get().c_str(); });
}

std::string Argument(const char* text) { return text ? std::string(text) : std::string(); }

}  // namespace
}  // namespace veltro

using veltro::Library;

extern "C" {

int32_t OpenComm(int32_t port, int32_t baudRate, int32_t dataBits, int32_t stopBits, int32_t parity,
                 int32_t flowControl, int32_t endOfLine, int32_t readTime, int32_t writeTime, int32_t waitTime,
                 const char* fileName) noexcept {
  return veltro::Guarded<int32_t>(VELTRO_WRITE_FAILED, VELTRO_OPEN_FAILED, [&] {
    return Library().OpenComm(port, baudRate, dataBits, stopBits, parity, flowControl, endOfLine, readTime,
                              writeTime, waitTime, veltro::Argument(fileName));
  });
}

int32_t CloseComm(void) noexcept {
  return veltro::Code([] { return Library().CloseComm(); });
}

int32_t TachyOn(void) noexcept {
  return veltro::Code([] { return static_cast<int>(VELTRO_OK); });
}

int32_t TachyOff(void) noexcept {
  return veltro::Code([] { return static_cast<int>(VELTRO_OK); });
}

int32_t StartRemoteTransfer(int32_t) noexcept {
  return veltro::Code([] { return static_cast<int>(VELTRO_OK); });
}

int32_t ReadComm(int32_t formatNumber) noexcept {
  return veltro::Guarded<int32_t>(VELTRO_WRITE_FAILED, VELTRO_READ_TIMEOUT,
                                  [&] { return Library().ReadComm(formatNumber); });
}

int32_t WriteComm(int32_t formatNumber, const char* line) noexcept {
  return veltro::Guarded<int32_t>(VELTRO_WRITE_FAILED, VELTRO_WRITE_FAILED,
                                  [&] { return Library().WriteComm(formatNumber, line ? line : ""); });
}

const char* GetReadBuf(void) noexcept {
  return veltro::Text([]() -> const std::string& { return Library().ReadBuf(); });
}

const char* GetWriteBuf(void) noexcept {
  return veltro::Text([]() -> const std::string& { return Library().WriteBuf(); });
}

const char* GetErrorBuf(void) noexcept {
  return veltro::Text([]() -> const std::string& { return Library().ErrorBuf(); });
}

const char* GetOriginalDaten(void) noexcept {
  return veltro::Text([]() -> const std::string& { return Library().OriginalDaten(); });
}

const char* GetTFFormat(void) noexcept {
  return veltro::Text([]() -> const std::string& { return Library().TFFormat(); });
}

void SetNoTrans(void) noexcept {
  veltro::Code([] {
    Library().SetNoTrans();
    return static_cast<int>(VELTRO_OK);
  });
}

void SetBreak(int32_t code) noexcept {
  // Allowed while another export runs: the host's cancel button calls it
  // from inside the pump.
  try {
    Library().SetBreak(code);
  } catch (...) {
  }
}

int32_t ReadCommLine(int32_t formatNumber, const char** line, int32_t* length, const char** tag) noexcept {
  const std::string* read = nullptr;
  const std::string* format = nullptr;
  const int32_t code = veltro::Guarded<int32_t>(VELTRO_WRITE_FAILED, VELTRO_READ_TIMEOUT, [&] {
    const int result = Library().ReadComm(formatNumber);
    read = &Library().ReadBuf();
    format = &Library().TFFormat();
    return result;
  });
  if (line) *line = read ? read->c_str() : "";
  if (length) *length = read ? static_cast<int32_t>(read->size()) : 0;
  if (tag) *tag = format ? format->c_str() : "";
  return code;
}

int32_t SetWriteFile(const char* fileName) noexcept {
  return veltro::Code([fileName] { return Library().SetWriteFile(veltro::Argument(fileName)); });
}

void SetMessagePump(void (*pump)(void)) noexcept {
  veltro::Code([pump] {
    Library().SetMessagePump(pump);
    return static_cast<int>(VELTRO_OK);
  });
}

}  // extern "C"
