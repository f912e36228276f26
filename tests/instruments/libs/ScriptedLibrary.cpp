// The scripted instrument library of ScriptedLibrary.h. SCRIPTED_EXPORTS
// selects the variant: 0 none of the interface, 1 bare, 2 full.
#include "tests/instruments/libs/ScriptedLibrary.h"

#include <string>

#define SCRIPTED_API extern "C" __attribute__((visibility("default")))

using veltro::test::ScriptedLibraryState;

namespace {

ScriptedLibraryState& State() {
  static ScriptedLibraryState state;
  return state;
}

[[maybe_unused]] const char* Answer(const std::string& text) { return State().nullTexts ? nullptr : text.c_str(); }

[[maybe_unused]] void Log(const std::string& call) { State().calls.push_back(call); }

}  // namespace

SCRIPTED_API ScriptedLibraryState* ScriptedState() { return &State(); }

#if SCRIPTED_EXPORTS >= 1

SCRIPTED_API int32_t OpenComm(int32_t port, int32_t baud, int32_t dataBits, int32_t stopBits, int32_t parity,
                              int32_t flow, int32_t eol, int32_t readTime, int32_t writeTime, int32_t waitTime,
                              const char* fileName) {
  Log("OpenComm " + std::to_string(port) + "," + std::to_string(baud) + "," + std::to_string(dataBits) + "," +
      std::to_string(stopBits) + "," + std::to_string(parity) + "," + std::to_string(flow) + "," +
      std::to_string(eol) + "," + std::to_string(readTime) + "," + std::to_string(writeTime) + "," +
      std::to_string(waitTime) + "," + (fileName ? fileName : "(null)"));
  State().nextRead = 0;
  State().writeBuf.clear();
  return State().openCode;
}

SCRIPTED_API const char* GetReadBuf() { return Answer(State().readBuf); }

SCRIPTED_API void SetBreak(int32_t code) { Log("SetBreak " + std::to_string(code)); }

#endif

#if SCRIPTED_EXPORTS >= 2

SCRIPTED_API int32_t CloseComm() {
  Log("CloseComm");
  return State().closeCode;
}
SCRIPTED_API int32_t TachyOn() {
  Log("TachyOn");
  return State().tachyOnCode;
}
SCRIPTED_API int32_t TachyOff() {
  Log("TachyOff");
  return State().tachyOffCode;
}
SCRIPTED_API int32_t StartRemoteTransfer(int32_t code) {
  Log("StartRemoteTransfer " + std::to_string(code));
  return State().startCode;
}

SCRIPTED_API int32_t ReadComm(int32_t format) {
  ScriptedLibraryState& s = State();
  Log("ReadComm " + std::to_string(format));
  if (s.pumpInRead && s.pump) s.pump();
  if (s.duringRead) s.duringRead();
  if (s.nextRead < s.reads.size()) {
    const auto& r = s.reads[s.nextRead++];
    s.readBuf = r.line;
    s.tag = r.tag;
    return r.code;
  }
  s.readBuf = s.endless ? s.endlessLine : std::string("\x04");
  return 2;
}

SCRIPTED_API const char* GetTFFormat() { return Answer(State().tag); }

SCRIPTED_API int32_t WriteComm(int32_t format, const char* line) {
  ScriptedLibraryState& s = State();
  const std::string text = line ? line : "(null)";
  Log("WriteComm " + std::to_string(format) + "," + text);
  if (s.writeCode == 2 && text != "\x04") s.writeBuf += text + "\r\n";
  return s.writeCode;
}

SCRIPTED_API const char* GetWriteBuf() {
  Log("GetWriteBuf");
  return Answer(State().writeBuf);
}

SCRIPTED_API const char* GetErrorBuf() {
  Log("GetErrorBuf");
  return Answer(State().errorText);
}

SCRIPTED_API const char* GetOriginalDaten() {
  Log("GetOriginalDaten");
  return Answer(State().raw);
}

SCRIPTED_API void SetNoTrans() { Log("SetNoTrans"); }

SCRIPTED_API void SetMessagePump(void (*pump)()) {
  Log(pump ? "SetMessagePump set" : "SetMessagePump clear");
  State().pump = pump;
}

SCRIPTED_API const char* GetInstrument() { return Answer(State().instrument); }
SCRIPTED_API const char* GetProjects() { return Answer(State().projects); }
SCRIPTED_API const char* GetCodeLists() { return Answer(State().codeLists); }

SCRIPTED_API int32_t ClearProject(int32_t number) {
  Log("ClearProject " + std::to_string(number));
  return State().clearResult;
}
SCRIPTED_API int32_t SetProject(int32_t number, const char* name) {
  Log("SetProject " + std::to_string(number) + "," + (name ? name : "(null)"));
  return State().setResult;
}
SCRIPTED_API int32_t ClearCodeList(int32_t number) {
  Log("ClearCodeList " + std::to_string(number));
  return State().clearResult;
}
SCRIPTED_API int32_t SetCodeList(int32_t number, const char* name) {
  Log("SetCodeList " + std::to_string(number) + "," + (name ? name : "(null)"));
  return State().setResult;
}

#endif
