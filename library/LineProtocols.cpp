// The line protocols of the family libraries, chosen by the flow control of
// the open connection. Time-outs are the connection's: the waiting time
// limits the first call, the read time (restarted by every byte) and the
// write time the later ones.
//
// Plain lines (no handshake, XON/XOFF, RTS/CTS; the port applies the flow
// control). The instrument sends lines ending with the chosen line end (with
// none: CR LF, LF or CR). The transmission ends at one of the profile's end
// marks (EOT 04 or SUB 1A), or, once data has arrived, after the read time
// without a byte; a line cut off by either is kept. Example, GTS-6 at 9600:
//   instrument: "_+P1 _ x0001234567_ y0000765432\r\n" ... 04
// Sending writes each line with the line end; the end marker becomes an
// empty line, and its write answers only once the driver queue has drained.
//
// GPS receivers that send only on request (Magellan): at the first read the
// library sends the request sentence, the receiver answers with waypoint
// sentences and ends with the end sentence, which is not data. Checksums are
// the NMEA ones (XOR of the characters between "$" and "*", two hex digits):
//   PC:       "$PMGNCMD,WAYPOINT*71" CR LF
//   receiver: "$PMGNWPL,4657.0000,N,00726.0000,E,0000512,M,P1,MAUER,a*7E" CR LF ...
//   receiver: "$PMGNCMD,END*3D" CR LF
// Silence after data also ends the receive, as for plain lines.
//
// REC 500 (Zeiss): the recorder sends when the computer is ready; the user
// starts the transfer on the computer first, then the output on the
// recorder (MENU, DATA OUTPUT, memory area, start). At the first read the
// library sends DC1 (11, "ready"); the recorder's lines then come as plain
// lines. To send, the library waits for the recorder's DC1 (its data input
// started) within the waiting time, then sends plain lines:
//   PC: 11          recorder: "   0001 KOORDINATEN" CR LF ... 04
// Public descriptions say no more about the handshake: this is the simplest
// one the recorder accepts.
//
// Acknowledged blocks (ACK/NAK of the Topcon, DL-100 and Pentax
// instruments; GSI of the Leica instruments). The sender sends one block and
// waits for the answer: ACK (06) takes it, NAK (15) asks for it again. A
// block is a line with the line end; the check is the profile's:
//   Sum8Hex:  the text, then two upper-case hex digits of the byte sum of
//             the text modulo 256: "A,12.5" + "0F" + CR LF;
//   GsiWords: GSI words of 16 characters (24 after a leading "*"), each with
//             two digits first and a blank last.
// The end of the data is a block starting with EOT or SUB (GSI: SUB CR LF),
// also acknowledged. Example exchange (instrument to PC):
//   instrument: "P1,100.000,200.000,10.000,CODE" "5C" CR LF     PC: 06
//   instrument: (a block with a bad check)                       PC: 15
//   instrument: (the block again)                                PC: 06
//   instrument: 04                                               PC: 06
// A block that fails its check, or stops half-way for the read time, is
// dropped and asked for again, at most `retries` times; then the receive
// stops with 12 and the line number. Silence after an acknowledged block is
// the end of the data. Sending waits the write time for each answer and
// repeats the block on NAK or silence, at most `retries` times; then 13.
// Public descriptions of these instruments leave the exact block check
// open: these are the simplest checks such an instrument accepts.
#include <chrono>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <thread>

#include "library/BlockCheck.h"
#include "library/LibraryEngine.h"

namespace veltro {
namespace {

constexpr const char* kEndOfTransmission = "\x04";
// A block for a message: printable, cut to a readable length.
std::string Shown(const std::string& block) {
  std::string out;
  for (unsigned char c : block.substr(0, 40)) {
    if (c >= 0x20 && c < 0x7f) {
      out += static_cast<char>(c);
    } else {
      char buf[5];
      std::snprintf(buf, sizeof buf, "<%02X>", c);
      out += buf;
    }
  }
  return block.size() > 40 ? out + "..." : out;
}

}  // namespace

bool TInstrumentLibrary::Acknowledged() const {
  return comm_->FlowControl() == tfcACKNAK || comm_->FlowControl() == tfcGSI;
}

bool TInstrumentLibrary::Answer(char byte) { return comm_->IsOpen() && comm_->WriteAll(std::string(1, byte)); }

bool TInstrumentLibrary::CheckBlock(const std::string& block, std::string& text) const {
  if (comm_->FlowControl() == tfcGSI || profile_.blockCheck == TBlockCheck::GsiWords) {
    text = block;
    return CheckGsiWords(block);
  }
  return CheckSum8Hex(block, text);
}

std::string TInstrumentLibrary::FrameBlock(const std::string& text) const {
  const bool gsi = comm_->FlowControl() == tfcGSI || profile_.blockCheck == TBlockCheck::GsiWords;
  return (gsi ? text : text + Sum8Hex(text)) + EndofLineText(comm_->EndofLine());
}

std::string TInstrumentLibrary::EndOfDataBlock() const {
  if (comm_->FlowControl() == tfcGSI || profile_.blockCheck == TBlockCheck::GsiWords)
    return std::string(1, kSub) + EndofLineText(comm_->EndofLine());
  return kEndOfTransmission;
}

TInstrumentLibrary::TWait TInstrumentLibrary::WaitForBytes() {
  silence_ = false;
  softWait_ = true;
  const std::string bytes = comm_->IsOpen() ? comm_->ReadAvailable() : std::string();
  softWait_ = false;
  if (!bytes.empty()) {
    const std::string clean = DropZeros(bytes);
    if (noTrans_) raw_ += clean;
    readBuf_ += clean;
    dataArrived_ = true;
    // Something happened: from now on silence is counted from the last byte.
    if (timers_) {
      timers_->start.Disable();
      timers_->read.Enable();
    }
    return TWait::Bytes;
  }
  if (silence_) {
    silence_ = false;
    return TWait::Silence;
  }
  if (userBreak_ && comm_->IsOpen()) return TWait::Cancelled;
  NoteHangUp(lrReadTimeout);
  return TWait::Closed;
}

// A wait ended by a cancel, or by a time-out, break or hang-up that closed
// the port (its stored code is the answer): the end of the read.
int TInstrumentLibrary::WaitStopped(TWait w) {
  readBuf_ = kEndOfTransmission;
  return w == TWait::Cancelled ? lrCancelled : Substitute(lrOk);
}

int TInstrumentLibrary::ReceiveFamily() {
  if (comm_->FlowControl() == tfcREC500 && !requested_) {
    requested_ = true;
    Answer(kDc1);
  }
  if (Acknowledged() && EndofLineText(comm_->EndofLine()).empty()) {
    NoteError("a line end must be chosen for acknowledged blocks");
    return lrFlowUnsupported;
  }
  return Acknowledged() ? ReceiveAcknowledged() : ReceivePlain();
}

bool TInstrumentLibrary::OnRequest() const {
  return std::find(profile_.requestFormats.begin(), profile_.requestFormats.end(), formatNumber_) !=
         profile_.requestFormats.end();
}

int TInstrumentLibrary::ReceivePlain() {
  const std::string eol = EndofLineText(comm_->EndofLine());
  const bool onRequest = OnRequest();
  if (onRequest && !requested_) {
    requested_ = true;
    if (!comm_->WriteAll(NmeaSentence(kGpsRequest) + "\r\n")) {
      NoteHangUp(lrReadTimeout);
      readBuf_ = kEndOfTransmission;
      return Substitute(lrOk);
    }
  }
  // Ends the data after text (kept as the last line when not empty).
  auto endData = [&](const std::string& text) {
    ended_ = true;
    readBuf_ = text.empty() ? std::string(kEndOfTransmission) : text + (eol.empty() ? "\r\n" : eol);
    return Substitute(lrOk);
  };
  for (;;) {
    if (userBreak_) {
      readBuf_ = kEndOfTransmission;
      return lrCancelled;
    }
    size_t length = 0;
    const size_t lineEnd = FindLineEnd(readBuf_, eol, length);
    const size_t mark = profile_.endMarks.empty() ? std::string::npos : readBuf_.find_first_of(profile_.endMarks);
    if (mark != std::string::npos && (lineEnd == std::string::npos || mark < lineEnd))
      return endData(readBuf_.substr(0, mark));
    if (lineEnd != std::string::npos) {
      if (onRequest && readBuf_.compare(0, std::strlen(kGpsEnd) + 1, std::string("$") + kGpsEnd) == 0)
        return endData("");
      return Substitute(lrOk);
    }
    switch (const TWait w = WaitForBytes()) {
      case TWait::Bytes:
        break;
      case TWait::Silence:
        return endData(readBuf_);
      case TWait::Cancelled:
      case TWait::Closed:
        return WaitStopped(w);
    }
    if (hostPump_) hostPump_();
    CheckTimers();
  }
}

int TInstrumentLibrary::ReceiveAcknowledged() {
  const std::string eol = EndofLineText(comm_->EndofLine());
  int refusals = 0;
  auto refuse = [&](const std::string& why) {
    if (++refusals <= profile_.retries) {
      Answer(profile_.nak);
      return false;
    }
    NoteError("line " + std::to_string(blockNumber_ + 1) + ": " + why + ", " + std::to_string(refusals) +
              " times; the transfer stops");
    return true;
  };
  for (;;) {
    if (userBreak_) {
      readBuf_ = kEndOfTransmission;
      return lrCancelled;
    }
    if (!readBuf_.empty() && profile_.endMarks.find(readBuf_[0]) != std::string::npos) {
      Answer(profile_.ack);
      ended_ = true;
      readBuf_ = kEndOfTransmission;
      return Substitute(lrOk);
    }
    size_t length = 0;
    if (const size_t p = FindLineEnd(readBuf_, eol, length); p != std::string::npos) {
      const std::string block = readBuf_.substr(0, p);
      const std::string rest = readBuf_.substr(p + length);
      std::string text;
      if (CheckBlock(block, text)) {
        ++blockNumber_;
        Answer(profile_.ack);
        readBuf_ = text + eol + rest;
        return Substitute(lrOk);
      }
      // Never stored: asked for again.
      readBuf_ = rest;
      if (refuse("the block failed its check (\"" + Shown(block) + "\")")) {
        readBuf_ = kEndOfTransmission;
        return Substitute(lrBlockRefused);
      }
      continue;
    }
    switch (const TWait w = WaitForBytes()) {
      case TWait::Bytes:
        break;
      case TWait::Silence:
        if (readBuf_.empty()) {
          // Silence after an acknowledged block: the end of the data.
          ended_ = true;
          readBuf_ = kEndOfTransmission;
          return Substitute(lrOk);
        }
        readBuf_.clear();
        if (refuse("the block stopped half-way")) {
          readBuf_ = kEndOfTransmission;
          return Substitute(lrBlockRefused);
        }
        if (timers_) timers_->read.Enable();
        break;
      case TWait::Cancelled:
      case TWait::Closed:
        return WaitStopped(w);
    }
    if (hostPump_) hostPump_();
    CheckTimers();
  }
}

TInstrumentLibrary::TWait TInstrumentLibrary::WaitForAnswer(char& answer, const std::string& answers) {
  for (;;) {
    silence_ = false;
    softWait_ = true;
    const std::string bytes = comm_->IsOpen() ? comm_->ReadAvailable() : std::string();
    softWait_ = false;
    if (!bytes.empty()) {
      // Anything but an answer (an echo, noise) is passed over.
      for (char c : bytes)
        if (answers.find(c) != std::string::npos) {
          answer = c;
          return TWait::Bytes;
        }
      continue;
    }
    if (silence_) {
      silence_ = false;
      return TWait::Silence;
    }
    NoteHangUp(lrWriteFailed);
    return TWait::Closed;
  }
}

int TInstrumentLibrary::SendFamily(const std::string& line) {
  if (!AcceptsFlow()) {
    NoteError(std::string(profile_.name) + " does not work with flow control " +
              std::to_string(comm_->FlowControl()));
    return lrFlowUnsupported;
  }
  if (comm_->FlowControl() == tfcREC500 && !requested_) {
    // The recorder's "ready" first; only the waiting time limits it.
    char ready = 0;
    if (timers_) timers_->write.Disable();
    while (ready != kDc1) {
      if (WaitForAnswer(ready, std::string(1, kDc1)) == TWait::Closed) {
        if (status_ == lrOk) NoteError("the line closed while waiting for the recorder");
        return status_ == lrOk ? lrWriteFailed : status_;
      }
    }
    requested_ = true;
    if (timers_ && !timers_->start.Enabled()) timers_->write.Enable();
  }
  const bool last = line == kEndOfTransmission;
  std::string text = last ? std::string() : line;
  if (const size_t p = text.find("\r\n"); p != std::string::npos) text.resize(p);
  if (Acknowledged()) return SendAcknowledged(last ? std::string(kEndOfTransmission) : text);
  // The end marker goes out as an empty line.
  return SendPlain(text + EndofLineText(comm_->EndofLine()), last);
}

int TInstrumentLibrary::SendPlain(const std::string& text, bool last) {
  bool sent = text.empty() || comm_->WriteAll(text);
  // Success only for bytes that left the driver: the last write drains.
  if (sent && last) sent = comm_->Drain();
  if (sent && profile_.linePauseMs > 0 && !last) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(profile_.linePauseMs);
    while (comm_->IsOpen() && std::chrono::steady_clock::now() < until) {
      if (hostPump_) hostPump_();
      CheckTimers();
      std::this_thread::sleep_for(std::chrono::milliseconds(kCommPollSliceMs));
    }
    sent = comm_->IsOpen();
  }
  if (sent) return lrOk;
  NoteHangUp(lrWriteFailed);
  if (status_ == lrOk) NoteError("writing to the port failed");
  return lrWriteFailed;
}

int TInstrumentLibrary::SendAcknowledged(const std::string& line) {
  const bool last = line == kEndOfTransmission;
  const std::string block = last ? EndOfDataBlock() : FrameBlock(line);
  int nak = 0, silent = 0;
  for (;;) {
    comm_->PurgeInput();
    if (!comm_->WriteAll(block)) {
      NoteHangUp(lrWriteFailed);
      if (status_ == lrOk) NoteError("writing to the port failed");
      return lrWriteFailed;
    }
    // Each attempt has the full write time (the first call: the waiting time).
    if (timers_ && !timers_->start.Enabled()) timers_->write.Enable();
    char answer = 0;
    const TWait w = WaitForAnswer(answer, std::string{profile_.ack, profile_.nak});
    if (w == TWait::Closed) {
      if (status_ == lrOk) NoteError("the line closed while waiting for the acknowledgement");
      return status_ == lrOk ? lrWriteFailed : status_;
    }
    if (w == TWait::Bytes && answer == profile_.ack) {
      if (!last) ++blockNumber_;
      return Substitute(lrOk);
    }
    (w == TWait::Silence ? silent : nak)++;
    if (nak + silent > profile_.retries) {
      NoteError((last ? std::string("the end of the data") : "line " + std::to_string(blockNumber_ + 1)) +
                " was not acknowledged (" + std::to_string(nak) + " NAK, " + std::to_string(silent) +
                " without answer); the transfer stops");
      return lrNotAcknowledged;
    }
  }
}

}  // namespace veltro
