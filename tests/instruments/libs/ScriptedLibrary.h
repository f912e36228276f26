// An instrument library for binding tests, built in three variants: all
// exports of the interface ("ScriptedFull"), only OpenComm, GetReadBuf and
// SetBreak ("ScriptedBare"), none at all ("ScriptedNone"). Every variant
// exports ScriptedState, through which a test scripts the answers and reads
// the calls the program made.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace veltro::test {

struct ScriptedRead {
  std::int32_t code = 2;
  std::string line;
  std::string tag;
};

struct ScriptedLibraryState {
  std::int32_t openCode = 2, tachyOnCode = 2, tachyOffCode = 2, closeCode = 2, startCode = 2, writeCode = 2;
  // ReadComm answers in order; after them "\x04", or endlessLine for ever.
  std::vector<ScriptedRead> reads;
  size_t nextRead = 0;
  bool endless = false;
  std::string endlessLine = "P1;1.000;2.000;3.000;C";
  bool nullTexts = false;  // every text export answers NULL
  std::string errorText, instrument, projects, codeLists, raw;
  std::int32_t clearResult = 1, setResult = 1;
  std::vector<std::string> calls;  // every export called, with its arguments
  std::string writeBuf;            // lines written, each with CR LF
  void (*pump)() = nullptr;        // what SetMessagePump registered
  bool pumpInRead = false;         // ReadComm runs the registered pump, as a waiting library does
  std::function<void()> duringRead;

  // Text buffers the exports answer from.
  std::string readBuf, tag;
  void Reset() { *this = ScriptedLibraryState{}; }
};

using ScriptedStateFn = ScriptedLibraryState* (*)();

}  // namespace veltro::test
