// The behaviour behind the instrument library exports: one connection (a
// serial port or an instrument file), three time-outs, the line reader with
// format recognition, the line writer. A family library is this engine with
// its own profile: which format numbers and tags it takes, how its data is
// recognised, which flow control its instruments use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
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
  lrBlockRefused = 12,   // a received block never checked out
  lrNotAcknowledged = 13,  // a sent line was never acknowledged
  lrCancelled = 14,
};

// How a received block of an acknowledged protocol is checked.
enum class TBlockCheck : std::uint8_t {
  Sum8Hex,   // the text, then two upper-case hex digits of its byte sum modulo 256
  GsiWords,  // GSI words of 16 characters ("*" first: 24), each ending with a blank
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
  // The recognition looks at the first lines up to this many characters; a
  // tag of a format not accepted is final only when they are read (or the
  // data ended). 0: the first read decides.
  std::size_t recognitionChars = 0;
  // Once data arrived, the read time without a byte ends the transmission.
  bool silenceEndsData = false;
  std::string endMarks;  // bytes that end a plain-line transmission
  // Acknowledged protocols (ACK/NAK, GSI): the answer bytes, the check of a
  // block, how often a block is asked for again or sent again.
  char ack = '\x06';
  char nak = '\x15';
  TBlockCheck blockCheck = TBlockCheck::Sum8Hex;
  int retries = 3;
  unsigned linePauseMs = 0;  // pause after each line sent
  // Formats whose data the instrument sends only on request (the GPS
  // receivers' command protocol).
  std::vector<int> requestFormats;
};

// Position of the first line end of text: eol, or with no eol chosen CR LF,
// LF or CR; length receives its size.
std::size_t FindLineEnd(const std::string& text, const std::string& eol, std::size_t& length);

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
  int WriteComm(int formatNumber, std::string_view line);
  // Written lines go to the file name instead of the write buffer ("" closes
  // it); a file-mode connection only.
  int SetWriteFile(const std::string& fileName);
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
  // The instrument's projects and code lists (InstrumentCommands.cpp): a
  // command and its answer lines, up to "END" for a list.
  bool Command(const std::string& command, bool list, std::vector<std::string>& answer);
  // The answer lines joined with CR LF; "" when there was none.
  const std::string& CommandText(const std::string& command, bool list);
  // The command answered "OK".
  bool CommandDone(const std::string& command);
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
  void RecogniseLines(int& result);
  bool SoftTimers() const;
  bool TagAccepted(const std::string& tag) const;
  int ReceiveFamily();
  int SendFamily(const std::string& line);
  bool Acknowledged() const;
  bool Answer(char byte);
  enum class TWait { Bytes, Silence, Cancelled, Closed };
  TWait WaitForBytes();
  int WaitStopped(TWait w);
  int ReceivePlain();
  bool OnRequest() const;
  int ReceiveAcknowledged();
  int SendAcknowledged(const std::string& line);
  int SendPlain(const std::string& text, bool last);
  TWait WaitForAnswer(char& answer, const std::string& answers);
  bool CheckBlock(const std::string& block, std::string& text) const;
  std::string FrameBlock(const std::string& text) const;
  std::string EndOfDataBlock() const;
  int WriteStep(std::string_view line);
  int SendToPort(const std::string& text);
  void NoteHangUp(int code);
  std::string DropZeros(std::string bytes);
  void DropZerosInPlace(std::string& bytes);
  // EOF at the end of the file or on an error.
  int NextFileByte() {
    return filePos_ < fileBuf_.size() ? static_cast<unsigned char>(fileBuf_[filePos_++]) : NextFileChunk();
  }
  int NextFileChunk();
  int CloseWriteFile();
  void CleanUp(int& result);

  const TLibraryProfile& profile_;
  mutable int acceptedFormat_ = -1;  // the format number found accepted last
  std::unique_ptr<TCommunication> comm_;
  std::unique_ptr<TTransferTimer> timers_;
  void (*hostPump_)() = nullptr;
  bool fileMode_ = false;
  std::FILE* input_ = nullptr;
  std::string inputName_;
  long inputLine_ = 0;
  // The input file is read in chunks; filePos_ is the next byte of fileBuf_.
  static constexpr size_t kFileChunk = 1 << 16;
  std::string fileBuf_;
  size_t filePos_ = 0;
  std::string fileLine_;  // the line being read, kept from line to line
  std::string pending_;
  std::string readBuf_;
  std::string writeBuf_;
  std::FILE* output_ = nullptr;  // the file written lines go to (SetWriteFile)
  // output_'s buffer of kFileChunk bytes: glibc ignores a size given without
  // a buffer and writes in 4 KB pieces.
  std::unique_ptr<char[]> outputBuf_;
  std::string outputName_;
  bool outputFailed_ = false;  // a write to output_ failed: its content is incomplete
  std::string raw_;
  std::string tag_;
  int status_ = lrOk;
  bool noTrans_ = false;
  bool userBreak_ = false;
  bool reading_ = false;
  std::string error_;
  std::string recognition_;  // the first lines of the data, for the recognition
  bool tagFinal_ = false;
  bool dataArrived_ = false;  // a byte came since the connection opened
  bool softWait_ = false;     // a read or write time-out ends the running wait only
  bool silence_ = false;      // a time-out ended the wait with the port open
  bool ended_ = false;        // the end of the data was seen: reads answer "\x04"
  long blockNumber_ = 0;      // blocks received or sent in this connection
  int formatNumber_ = -1;     // of the running read
  bool requested_ = false;    // the data were asked for
  long zerosDropped_ = 0;
  std::string errorReport_;
  std::string commandText_;
};

}  // namespace veltro
