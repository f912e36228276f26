// The instrument's projects and code lists, for the libraries that offer the
// optional exports. Public descriptions of the instruments' own job
// commands are not to be had, so this is the simplest exchange of text lines
// (each ending with CR LF, every answer line within the write time; a
// connection opened by OpenComm on the instrument's port):
//   PC: "GET INSTRUMENT"        instrument: "TPS110 1234567"
//   PC: "GET PROJECTS"          instrument: "JOB1,1" "BAU,2" ... "END"
//   PC: "CLEAR PROJECT 2"       instrument: "OK" (or "ERROR")
//   PC: "SET PROJECT 2,BAU"     instrument: "OK"
//   PC: "GET CODELISTS", "CLEAR CODELIST n", "SET CODELIST n,name" alike.
// A list answers "" and a change false when the instrument does not answer.
#include "library/LibraryEngine.h"

namespace veltro {
namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr const char* kListEnd = "END";
constexpr const char* kDone = "OK";

}  // namespace

bool TInstrumentLibrary::Command(const std::string& command, bool list, std::vector<std::string>& answer) {
  answer.clear();
  if (!comm_ || !timers_ || !comm_->IsOpen() || fileMode_) {
    NoteError("the instrument is not connected");
    return false;
  }
  timers_->start.Disable();
  comm_->PurgeInput();
  if (!comm_->WriteAll(command + kLineEnd)) {
    NoteHangUp(lrWriteFailed);
    return false;
  }
  std::string in;
  for (;;) {
    size_t length = 0;
    if (const size_t p = FindLineEnd(in, "", length); p != std::string::npos) {
      std::string line = in.substr(0, p);
      in.erase(0, p + length);
      if (line.empty()) continue;
      if (!list) {
        answer.push_back(line);
        return true;
      }
      if (line == kListEnd) return true;
      answer.push_back(line);
      continue;
    }
    timers_->write.Enable();
    silence_ = false;
    softWait_ = true;
    const std::string bytes = comm_->ReadAvailable();
    softWait_ = false;
    timers_->write.Disable();
    if (bytes.empty()) {
      silence_ = false;
      NoteError("no answer to \"" + command + "\"");
      return false;
    }
    in += DropZeros(bytes);
  }
}

const std::string& TInstrumentLibrary::CommandText(const std::string& command, bool list) {
  std::vector<std::string> lines;
  commandText_.clear();
  if (Command(command, list, lines))
    for (const std::string& l : lines) commandText_ += (commandText_.empty() ? "" : kLineEnd) + l;
  return commandText_;
}

bool TInstrumentLibrary::CommandDone(const std::string& command) {
  std::vector<std::string> lines;
  if (!Command(command, false, lines)) return false;
  if (lines.front() == kDone) return true;
  NoteError("\"" + command + "\" answered \"" + lines.front() + "\"");
  return false;
}

}  // namespace veltro
