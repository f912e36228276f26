// The behaviour behind the instrument library exports: one connection (a
// serial port or an instrument file), three time-outs, the line reader with
// format recognition, the line writer. A family library is this engine with
// its own profile: which format numbers and tags it takes, how its data is
// recognised, which flow control its instruments use.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "instruments/Communication.h"
#include "library/Communication.h"
#include "library/TransferTimer.h"

namespace veltro {

// Result codes of the exports.
enum TLibraryResult : int {
  lrOpenFailed = 0,
  lrReadTimeout = 1,
  lrOk = 2,
  lrNoAnswer = 3,
  lrWrongFormat = 4,
  lrFlowUnsupported = 5,
  lrFileOpenFailed = 6,
  lrFileReadFailed = 7,
  lrFileCloseFailed = 8,
  lrWriteFailed = 11,
  lrCancelled = 14,
};

struct TLibraryProfile {
  const char* name;                // the library's name in messages
  std::vector<int> formatNumbers;  // format numbers (`Order`) ReadComm and WriteComm take
  // The tag the shape of the received text gives at once, "" when it gives
  // none; general recognition runs then.
  std::string (*shapeTag)(const std::string& text);
  std::string preferredFormats;  // ";"-separated, tried first by the general recognition
  std::string acceptedTags;      // a recognised tag must occur inside this text
  TValidFlowControl flowControls;  // flow controls reads and writes work with
};

// The profile of the library being built (one definition per library).
const TLibraryProfile& LibraryProfile();

class TInstrumentLibrary {
 public:
  explicit TInstrumentLibrary(const TLibraryProfile& profile) : profile_(profile) {}
  ~TInstrumentLibrary();
  TInstrumentLibrary(const TInstrumentLibrary&) = delete;
  TInstrumentLibrary& operator=(const TInstrumentLibrary&) = delete;

  int OpenComm(int port, int baudRate, int dataBits, int stopBits, int parity, int flowControl, int endOfLine,
               std::int32_t readTime, std::int32_t writeTime, std::int32_t waitTime, const std::string& fileName);
  int CloseComm();
  int ReadComm(int formatNumber);
  int WriteComm(int formatNumber, const std::string& line);
  void SetNoTrans();
  void SetBreak(int code);
  void SetMessagePump(void (*pump)()) { hostPump_ = pump; }
  // Fires the timers whose time has come.
  void CheckTimers();

  const std::string& ReadBuf() const { return readBuf_; }
  const std::string& WriteBuf() const { return writeBuf_; }
  const std::string& OriginalDaten() const { return raw_; }
  const std::string& TFFormat() const { return tag_; }
  const std::string& ErrorBuf();
  // Records why a call failed (GetErrorBuf).
  void NoteError(const std::string& text) { error_ = text; }

 private:
  static bool PumpPass(void* self);
  bool AcceptsFormat(int formatNumber) const;
  bool AcceptsFlow() const;
  int Substitute(int result) const { return result == lrOk ? status_ : result; }
  int ReadStep();
  int ReadFileLine();
  int ReceiveFromPort();
  void Recognise(int& result);
  int WriteStep(const std::string& line);
  int SendToPort(const std::string& text);
  void NoteHangUp(int code);
  std::string DropZeros(std::string bytes);
  void CleanUp(int& result);

  const TLibraryProfile& profile_;
  std::unique_ptr<TCommunication> comm_;
  std::unique_ptr<TTransferTimer> timers_;
  void (*hostPump_)() = nullptr;
  bool fileMode_ = false;
  std::FILE* input_ = nullptr;
  std::string inputName_;
  long inputLine_ = 0;
  std::string pending_;
  std::string readBuf_;
  std::string writeBuf_;
  std::string raw_;
  std::string tag_;
  int status_ = lrOk;
  bool noTrans_ = false;
  bool userBreak_ = false;
  bool reading_ = false;
  std::string error_;
  long zerosDropped_ = 0;
  std::string errorReport_;
};

}  // namespace veltro
