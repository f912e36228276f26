#include "library/LibraryEngine.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "formats/instrument/CheckFormate.h"
#include "platform/TextFile.h"

namespace veltro {
namespace {

constexpr const char* kEndOfTransmission = "\x04";
constexpr const char* kLineEnd = "\r\n";
constexpr const char* kNoInputFile = "NoOpen";
// Framing some receivers put around a line of an instrument file.
constexpr const char kF00Frame[] = "\x02" "F00F000\x03";                    // removed where it first occurs
constexpr const char kTopconHeader[] = "\x02TOPCON    +00001.000000100000-00";  // 33 characters
constexpr size_t kTopconHeaderCut = 42;  // the header and the 9 characters after it

// The first CR or LF of text from start on; text.size() when there is none.
size_t LineBreakIn(const std::string& text, size_t start) {
  const char* begin = text.data() + start;
  const size_t n = text.size() - start;
  const void* lf = std::memchr(begin, '\n', n);
  const size_t limit = lf ? static_cast<size_t>(static_cast<const char*>(lf) - begin) : n;
  const void* cr = std::memchr(begin, '\r', limit);
  return start + (cr ? static_cast<size_t>(static_cast<const char*>(cr) - begin) : limit);
}

template <class E>
bool Valid(int ordinal) {
  return IsOrdinalOf<E>(ordinal);
}

}  // namespace

size_t FindLineEnd(const std::string& text, const std::string& eol, size_t& length) {
  if (!eol.empty()) {
    length = eol.size();
    return text.find(eol);
  }
  const size_t p = text.find_first_of("\r\n");
  if (p == std::string::npos) return p;
  length = text.compare(p, 2, "\r\n") == 0 ? 2 : 1;
  return p;
}

bool TInstrumentLibrary::TagAccepted(const std::string& tag) const {
  // A list of tags is ";"-separated; otherwise a tag must occur inside the text.
  if (profile_.acceptedTags.find(';') == std::string::npos) return profile_.acceptedTags.find(tag) != std::string::npos;
  return (";" + profile_.acceptedTags + ";").find(";" + tag + ";") != std::string::npos;
}

bool TInstrumentLibrary::SoftTimers() const { return softWait_ && profile_.silenceEndsData; }

TInstrumentLibrary::~TInstrumentLibrary() {
  hostPump_ = nullptr;
  int ignored = lrOk;
  CleanUp(ignored);
}

bool TInstrumentLibrary::PumpPass(void* self) {
  auto* lib = static_cast<TInstrumentLibrary*>(self);
  if (lib->hostPump_) lib->hostPump_();
  lib->CheckTimers();
  // A cancelled read does not wait for an instrument that sends nothing more;
  // a soft time-out ends the wait and leaves the port open.
  return !(lib->reading_ && lib->userBreak_) && !lib->silence_;
}

void TInstrumentLibrary::CheckTimers() {
  if (!timers_) return;
  // Only a running timer can fire: the clock is not read for none.
  if (!timers_->start.Enabled() && !timers_->read.Enabled() && !timers_->write.Enabled()) return;
  const auto now = TDeadlineTimer::Clock::now();
  for (TDeadlineTimer* t : {&timers_->start, &timers_->read, &timers_->write}) {
    if (!timers_) return;  // a break freed nothing, but stay safe
    if (t->Expired(now)) {
      if (SoftTimers() && ((t == &timers_->read && dataArrived_) || t == &timers_->write)) {
        silence_ = true;
        continue;
      }
      if (t == &timers_->start) NoteError("no answer within the waiting time after opening");
      if (t == &timers_->read) NoteError("read time-out: the instrument stopped sending");
      if (t == &timers_->write) NoteError("write time-out: the instrument took nothing more");
      SetBreak(t->Code());
    }
  }
}

int TInstrumentLibrary::CloseWriteFile() {
  if (!output_) return lrOk;
  const bool closed = std::fclose(output_) == 0;
  output_ = nullptr;
  if (!closed && !outputFailed_) NoteError("closing " + outputName_ + " failed: " + std::strerror(errno));
  const bool complete = closed && !outputFailed_;
  outputFailed_ = false;
  return complete ? lrOk : lrFileCloseFailed;
}

int TInstrumentLibrary::SetWriteFile(const std::string& fileName) {
  int result = CloseWriteFile();
  if (fileName.empty()) return result;
  if (!comm_ || !fileMode_) {
    NoteError("no file-mode connection is open");
    return lrOpenFailed;
  }
  output_ = std::fopen(fileName.c_str(), "wb");
  if (!output_) {
    NoteError("cannot create " + fileName + ": " + std::strerror(errno));
    return lrFileOpenFailed;
  }
  if (!outputBuf_) outputBuf_ = std::make_unique<char[]>(kFileChunk);
  std::setvbuf(output_, outputBuf_.get(), _IOFBF, kFileChunk);
  outputName_ = fileName;
  return result;
}

void TInstrumentLibrary::CleanUp(int& result) {
  if (const int closed = CloseWriteFile(); closed != lrOk) result = closed;
  if (comm_) {
    comm_->SetPort(tptNone);
    comm_.reset();
  }
  if (input_) {
    if (std::fclose(input_) != 0) {
      NoteError("closing " + inputName_ + " failed: " + std::strerror(errno));
      result = lrFileCloseFailed;
    }
    input_ = nullptr;
  }
  timers_.reset();
  fileMode_ = false;
}

int TInstrumentLibrary::OpenComm(int port, int baudRate, int dataBits, int stopBits, int parity, int flowControl,
                                 int endOfLine, std::int32_t readTime, std::int32_t writeTime,
                                 std::int32_t waitTime, const std::string& fileName) {
  int ignored = lrOk;
  CleanUp(ignored);
  error_.clear();
  zerosDropped_ = 0;
  pending_.clear();
  readBuf_.clear();
  writeBuf_.clear();
  raw_.clear();
  tag_.clear();
  status_ = lrOk;
  noTrans_ = false;
  userBreak_ = false;
  recognition_.clear();
  tagFinal_ = false;
  dataArrived_ = false;
  softWait_ = false;
  silence_ = false;
  ended_ = false;
  blockNumber_ = 0;
  requested_ = false;

  const bool fileMode = !fileName.empty();
  const int refused = fileMode ? lrFileOpenFailed : lrOpenFailed;
  if (!Valid<TPort>(port) || !Valid<TBaudRate>(baudRate) || !Valid<TDataBits>(dataBits) ||
      !Valid<TStopBits>(stopBits) || !Valid<TParity>(parity) || !Valid<TFlowControl>(flowControl) ||
      !Valid<TEndofLine>(endOfLine)) {
    NoteError("a port setting is out of range (port " + std::to_string(port) + ", bit rate " +
              std::to_string(baudRate) + ", data bits " + std::to_string(dataBits) + ", stop bits " +
              std::to_string(stopBits) + ", parity " + std::to_string(parity) + ", flow control " +
              std::to_string(flowControl) + ", line end " + std::to_string(endOfLine) + ")");
    return refused;
  }

  comm_ = std::make_unique<TCommunication>();
  comm_->SetPump(&TInstrumentLibrary::PumpPass, this);
  comm_->SetBaudRate(static_cast<TBaudRate>(baudRate));
  comm_->SetDataBits(static_cast<TDataBits>(dataBits));
  comm_->SetStopBits(static_cast<TStopBits>(stopBits));
  comm_->SetParity(static_cast<TParity>(parity));
  comm_->SetFlowControl(static_cast<TFlowControl>(flowControl));
  comm_->SetEndofLine(static_cast<TEndofLine>(endOfLine));
  comm_->SetBreakTime(0);

  fileMode_ = fileMode;
  int result = lrOk;
  if (fileMode_) {
    if (fileName != kNoInputFile) {
      input_ = std::fopen(fileName.c_str(), "rb");
      inputName_ = fileName;
      inputLine_ = 0;
      fileBuf_.clear();
      filePos_ = 0;
      if (!input_) {
        NoteError("cannot open " + fileName + ": " + std::strerror(errno));
        result = lrFileOpenFailed;
      }
    }
  } else {
    comm_->SetPort(static_cast<TPort>(port));
    if (!comm_->IsOpen()) {
      NoteError(port == tptNone ? std::string("no port chosen") : comm_->LastError());
      result = lrOpenFailed;
    }
  }

  if (result == lrOk) {
    timers_ = std::make_unique<TTransferTimer>(lrNoAnswer, lrReadTimeout, lrWriteFailed);
    timers_->start.SetInterval(TimerInterval(0, waitTime));
    timers_->start.Enable();
    timers_->read.SetInterval(TimerInterval(comm_->BreakTime(), readTime));
    timers_->write.SetInterval(TimerInterval(comm_->BreakTime(), writeTime));
  } else {
    comm_->SetPort(tptNone);
    comm_.reset();
    fileMode_ = false;
  }
  return result;
}

int TInstrumentLibrary::CloseComm() {
  int result = lrOk;
  CleanUp(result);
  return result;
}

void TInstrumentLibrary::SetNoTrans() { noTrans_ = true; }

void TInstrumentLibrary::SetBreak(int code) {
  if (!comm_) return;
  const bool readRunning = timers_ && timers_->read.Enabled();
  int stored = code;
  if (code == lrCancelled && readRunning) {
    // The running read ends with 14 itself; the port stays open.
    userBreak_ = true;
    stored = lrOk;
  } else {
    comm_->Abort();
  }
  if (code == lrCancelled) NoteError("cancelled by the user");
  if (timers_) timers_->DisableAll();
  status_ = stored;
}

bool TInstrumentLibrary::AcceptsFormat(int formatNumber) const {
  // Asked for every line: the profile stays, so does its answer.
  if (formatNumber == acceptedFormat_ && formatNumber >= 0) return true;
  const bool accepted = std::find(profile_.formatNumbers.begin(), profile_.formatNumbers.end(), formatNumber) !=
                        profile_.formatNumbers.end();
  if (accepted) acceptedFormat_ = formatNumber;
  return accepted;
}

bool TInstrumentLibrary::AcceptsFlow() const { return profile_.flowControls.Contains(comm_->FlowControl()); }

void TInstrumentLibrary::DropZerosInPlace(std::string& bytes) {
  // A zero byte would end the text at the C boundary.
  if (bytes.find('\0') == std::string::npos) return;
  zerosDropped_ += std::count(bytes.begin(), bytes.end(), '\0');
  bytes.erase(std::remove(bytes.begin(), bytes.end(), '\0'), bytes.end());
}

std::string TInstrumentLibrary::DropZeros(std::string bytes) {
  DropZerosInPlace(bytes);
  return bytes;
}

void TInstrumentLibrary::NoteHangUp(int code) {
  // The line went away (adapter pulled): that is no normal end.
  if (comm_ && comm_->HungUp() && status_ == lrOk) {
    NoteError(comm_->LastError());
    status_ = code;
  }
}

const std::string& TInstrumentLibrary::ErrorBuf() {
  errorReport_ = error_;
  if (zerosDropped_ > 0) {
    if (!errorReport_.empty()) errorReport_ += "; ";
    errorReport_ += std::to_string(zerosDropped_) + " zero byte(s) dropped from the received data";
  }
  return errorReport_;
}

int TInstrumentLibrary::ReadComm(int formatNumber) {
  if (!comm_ || !timers_) {
    readBuf_ = kEndOfTransmission;
    NoteError("the connection is not open");
    return lrOpenFailed;
  }
  // A file is read without a wait, and no timer is checked during its
  // read: its read timer could never fire and is not started.
  if (!timers_->start.Enabled() && !fileMode_) timers_->read.Enable();
  int result = lrWrongFormat;
  if (AcceptsFormat(formatNumber)) {
    formatNumber_ = formatNumber;
    reading_ = true;
    result = ReadStep();
    reading_ = false;
  } else {
    NoteError("format " + std::to_string(formatNumber) + " is not handled by " + profile_.name);
  }
  if (timers_) {
    timers_->start.Disable();
    timers_->read.Disable();
  }
  return result;
}

int TInstrumentLibrary::NextFileChunk() {
  fileBuf_.resize(kFileChunk);
  fileBuf_.resize(std::fread(fileBuf_.data(), 1, kFileChunk, input_));
  filePos_ = 0;
  if (fileBuf_.empty()) return EOF;
  return static_cast<unsigned char>(fileBuf_[filePos_++]);
}

int TInstrumentLibrary::ReadFileLine() {
  std::string& line = fileLine_;
  line.clear();
  bool ended = true;
  int result = lrOk;
  if (!input_) {
    NoteError("no input file is open");
    result = lrFileReadFailed;
  } else {
    int c = NextFileByte();
    if (c != EOF) {
      ended = false;
      ++inputLine_;
      // A line ends at CR LF, LF or CR; it is taken from the chunk in one piece.
      for (;;) {
        const size_t start = filePos_ - 1;
        const size_t end = LineBreakIn(fileBuf_, start);
        line.append(fileBuf_, start, end - start);
        filePos_ = end;
        c = NextFileByte();
        if (c == EOF || c == '\n' || c == '\r') break;
      }
      if (c == '\r') {
        c = NextFileByte();
        if (c != '\n' && c != EOF) --filePos_;
      }
    }
    if (std::ferror(input_)) {
      NoteError("reading " + inputName_ + " failed: " + std::strerror(errno));
      result = lrFileReadFailed;
    }
    // A UTF-8 byte-order mark is no part of the first line.
    if (inputLine_ == 1 && line.rfind(kUtf8ByteOrderMark, 0) == 0) line.erase(0, kUtf8ByteOrderMark.size());
    // Both frames start with STX: a line without one holds neither.
    if (line.find('\x02') != std::string::npos) {
      if (size_t p = line.find(kF00Frame); p != std::string::npos) line.erase(p, sizeof kF00Frame - 1);
      if (size_t p = line.find(kTopconHeader); p != std::string::npos) {
        if (line.size() - p < kTopconHeaderCut)
          NoteError(inputName_ + " line " + std::to_string(inputLine_) + ": TOPCON header cut short");
        line.erase(p, kTopconHeaderCut);
      }
    }
    DropZerosInPlace(line);
  }
  if (ended) line = kEndOfTransmission;
  // The line itself when nothing is held (a file line never leaves any).
  if (readBuf_.empty())
    readBuf_.swap(line);
  else
    readBuf_ += line;
  readBuf_ += kLineEnd;
  if (readBuf_ == "\x04\r\n") readBuf_ = kEndOfTransmission;
  return result;
}

int TInstrumentLibrary::ReceiveFromPort() {
  if (!AcceptsFlow()) {
    NoteError(std::string(profile_.name) + " works without handshake only (flow control " +
              std::to_string(comm_->FlowControl()) + ")");
    return lrFlowUnsupported;
  }
  const std::string eol = EndofLineText(comm_->EndofLine());
  if (eol.empty() && !profile_.silenceEndsData) {
    // No line end: a read could only end by time-out.
    NoteError("a line end must be chosen to read from the port");
    return lrFlowUnsupported;
  }
  if (profile_.silenceEndsData) return ReceiveFamily();
  int result = lrOk;
  for (;;) {
    if (readBuf_.find(eol) != std::string::npos || readBuf_ == kEndOfTransmission) break;
    const std::string bytes = comm_->ReadAvailable();
    if (bytes.empty()) {
      // The port closed (time-out, break, hang-up) or the read was cancelled:
      // a partial line is dropped.
      readBuf_ = kEndOfTransmission;
      NoteHangUp(lrReadTimeout);
    } else {
      const std::string clean = DropZeros(bytes);
      if (noTrans_) raw_ += clean;
      readBuf_ += clean;
    }
    result = Substitute(result);
    if (result != lrOk) return result;
    if (hostPump_) hostPump_();
    CheckTimers();
    if (userBreak_) result = lrCancelled;
  }
  return result;
}

void TInstrumentLibrary::Recognise(int& result) {
  std::string tag = profile_.shapeTag ? profile_.shapeTag(readBuf_) : std::string();
  if (tag.empty()) {
    // The recognition takes its time: the time-outs do not run meanwhile.
    const bool start = timers_ && timers_->start.Enabled();
    const bool read = timers_ && timers_->read.Enabled();
    if (timers_) {
      timers_->start.Disable();
      timers_->read.Disable();
    }
    tag = DetectFormat(readBuf_, profile_.preferredFormats);
    if (timers_ && start) timers_->start.Enable();
    if (timers_ && read) timers_->read.Enable();
  }
  if (!tag.empty() && !TagAccepted(tag)) {
    // A cancel or a refused handshake stays the answer; the next read reports the format.
    if (result != lrOk) return;
    NoteError("received data are " + tag + ", which " + profile_.name + " does not handle");
    result = lrWrongFormat;
  }
  tag_ = tag;
}

// The tag from the first lines, as the program recognises a text: the
// library's own formats first. Lines are added until a tag of an accepted
// format appears; any other tag stands only once recognitionChars are read
// or the data ended, for later lines may still decide.
void TInstrumentLibrary::RecogniseLines(int& result) {
  const bool end = readBuf_ == kEndOfTransmission;
  if (!end && recognition_.size() < profile_.recognitionChars) recognition_ += readBuf_ + kLineEnd;
  const bool start = timers_ && timers_->start.Enabled();
  const bool read = timers_ && timers_->read.Enabled();
  if (timers_) {
    timers_->start.Disable();
    timers_->read.Disable();
  }
  const std::string tag = recognition_.empty() ? std::string() : DetectFormat(recognition_, profile_.preferredFormats);
  if (timers_ && start) timers_->start.Enable();
  if (timers_ && read) timers_->read.Enable();
  if (tag.empty()) {
    // Once the head is full no later line changes the answer.
    if (end || recognition_.size() >= profile_.recognitionChars) tagFinal_ = true;
    return;
  }
  const bool accepted = TagAccepted(tag);
  if (!accepted && !end && recognition_.size() < profile_.recognitionChars) return;
  tagFinal_ = true;
  tag_ = tag;
  if (accepted || result != lrOk) return;
  NoteError("received data are " + tag + ", which " + profile_.name + " does not handle");
  result = lrWrongFormat;
}

int TInstrumentLibrary::ReadStep() {
  readBuf_.swap(pending_);
  pending_.clear();
  int result = lrOk;
  if (ended_ && readBuf_.empty()) {
    readBuf_ = kEndOfTransmission;
    if (!tagFinal_ && profile_.recognitionChars > 0) RecogniseLines(result);
    return Substitute(result);
  }
  // Text held from the previous read (a file line never leaves any).
  const bool nothingHeld = readBuf_.empty();
  if (fileMode_) {
    result = Substitute(ReadFileLine());
    if (result != lrOk) return result;
  } else {
    result = ReceiveFromPort();
    if (result != lrOk && result != lrCancelled && result != lrFlowUnsupported) return result;
    if (result == lrCancelled && readBuf_ == kEndOfTransmission) return result;
  }
  const bool byLines = profile_.recognitionChars > 0;
  if (tag_.empty() && !byLines) Recognise(result);
  if (!readBuf_.empty() && readBuf_ != kEndOfTransmission) {
    if (fileMode_ && nothingHeld) {
      // One file line, which holds no CR or LF, and the CR LF added to it.
      readBuf_.resize(readBuf_.size() - 2);
    } else {
      // Files are read as lines ending with CR LF whatever the port uses.
      const std::string eol = fileMode_ ? std::string(kLineEnd) : EndofLineText(comm_->EndofLine());
      size_t length = 0;
      if (const size_t p = FindLineEnd(readBuf_, eol, length); p != std::string::npos) {
        pending_.assign(readBuf_, p + length);
        readBuf_.resize(p);
      }
    }
  }
  if (byLines && !tagFinal_) RecogniseLines(result);
  return Substitute(result);
}

int TInstrumentLibrary::WriteComm(int formatNumber, std::string_view line) {
  if (!comm_ || !timers_) {
    NoteError("the connection is not open");
    return lrOpenFailed;
  }
  // Writing to a file waits for no instrument: no write time-out.
  if (!timers_->start.Enabled() && !fileMode_) timers_->write.Enable();
  int result = lrWrongFormat;
  if (AcceptsFormat(formatNumber))
    result = WriteStep(line);
  else
    NoteError("format " + std::to_string(formatNumber) + " is not handled by " + profile_.name);
  if (timers_) {
    timers_->start.Disable();
    timers_->write.Disable();
  }
  return result;
}

int TInstrumentLibrary::SendToPort(const std::string& text) {
  if (!AcceptsFlow()) {
    NoteError(std::string(profile_.name) + " works without handshake only (flow control " +
              std::to_string(comm_->FlowControl()) + ")");
    return lrFlowUnsupported;
  }
  if (comm_->WriteAll(text)) return lrOk;
  NoteHangUp(lrWriteFailed);
  if (status_ == lrOk) NoteError("writing to the port failed");
  return lrWriteFailed;
}

int TInstrumentLibrary::WriteStep(std::string_view line) {
  // The line up to its first CR LF, then the port's line end; in file mode
  // written to the write file, or collected in place without one.
  std::string_view data = line == kEndOfTransmission ? std::string_view() : line;
  data = data.substr(0, data.find(kLineEnd));
  const std::string eol = EndofLineText(comm_->EndofLine());
  int result = lrOk;
  if (fileMode_ && output_) {
    if (!outputFailed_ && ((!data.empty() && std::fwrite(data.data(), 1, data.size(), output_) != data.size()) ||
                           std::fwrite(eol.data(), 1, eol.size(), output_) != eol.size())) {
      outputFailed_ = true;
      NoteError("writing " + outputName_ + " failed: " + std::strerror(errno));
    }
    if (outputFailed_) result = lrWriteFailed;
  } else if (fileMode_) {
    writeBuf_ += data;
    writeBuf_ += eol;
  } else if (comm_->IsOpen()) {
    result = profile_.silenceEndsData ? SendFamily(std::string(line)) : SendToPort(std::string(data) + eol);
  } else {
    NoteHangUp(lrWriteFailed);
  }
  // A break or time-out stored meanwhile is the reason the write failed.
  if (result == lrWriteFailed && status_ != lrOk) return status_;
  return Substitute(result);
}

}  // namespace veltro
