#include "instruments/LibraryBinding.h"

#include <chrono>
#include <cstring>
#include <type_traits>

#include "core/Language.h"
#include "core/Messages.h"
#include "formats/instrument/InstrumentFormat.h"
#include "instruments/FormatChange.h"
#include "library/InstrumentLibrary.h"
#include "platform/MessagePump.h"

namespace veltro {
namespace {

constexpr const char* kCrLf = "\r\n";
// The binding whose library WriteLineToInstrument uses (the program has one).
TLibraryBinding* g_lineWriter = nullptr;

// Optional exports beside those of InstrumentLibrary.h.
using NumberFlagFn = std::int32_t (*)(std::int32_t);
using NamedFlagFn = std::int32_t (*)(std::int32_t, const char*);

std::string Copy(const char* text) { return text ? std::string(text) : std::string(); }

// The program's pump as the library runs it once per pass of its waits:
// at most every kPumpIntervalMs, by the clock alone (a pass may itself wait).
void HostPump() {
  static std::chrono::steady_clock::time_point last;
  const auto now = std::chrono::steady_clock::now();
  if (now - last < std::chrono::milliseconds(kPumpIntervalMs)) return;
  last = now;
  PumpMessagesNow();
}

void Warn(int number) { ShowMessageBox(GetText(number), kMsgWarning, kBtnOk); }

// GetText(first), two line ends, then the hints 283, 284 and 287.
std::string WithConnectionHints(int first) {
  return GetText(first) + kCrLf + kCrLf + GetText(283) + kCrLf + GetText(284) + kCrLf + GetText(287);
}

// Codes whose reaction is one warning with one text.
int WarningText(int code) {
  switch (code) {
    case 0: return 153;
    case 1: return 220;
    case 5: return 68;
    case 6: return 47;
    case 7: return 51;
    case 8: return 48;
    case 10: return 60;
    case 11: return 117;
    case 12: return 66;
    case 13: return 67;
    case 16: return 356;
    case 17: return 187;
    case 18: return 635;
    case 19: return 644;
    case 20: return 645;
    case 21: return 646;
    case 22: return 647;
    case 23: return 648;
    default: return code > kLibLastKnownCode ? 649 : 0;
  }
}

}  // namespace

// Counts a library call on the stack for as long as it runs.
class TLibraryBinding::Call {
 public:
  explicit Call(TLibraryBinding& binding) : binding_(binding) { ++binding_.depth_; }
  ~Call() { --binding_.depth_; }
  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;

 private:
  TLibraryBinding& binding_;
};

TLibraryBinding::TLibraryBinding(TGeraete& geraete) : geraete_(geraete) {
  geraete_.SetLibraryHooks(this);
  coordinates_.SetInstallationDirectory(geraete_.InstallationDirectory());
  SetActiveCoordinateSystem(&coordinates_);
  g_lineWriter = this;
}

TLibraryBinding::~TLibraryBinding() {
  LibClose();
  FreeInstrumentLibrary();
  coordinates_.Free();
  if (ActiveCoordinateSystem() == &coordinates_) SetActiveCoordinateSystem(nullptr);
  if (g_lineWriter == this) g_lineWriter = nullptr;
  geraete_.SetLibraryHooks(nullptr);
}

void TLibraryBinding::FreeInstrumentLibrary() {
  if (!library_.IsLoaded()) return;
  if (auto pump = Export<veltro_set_message_pump_fn>("SetMessagePump")) {
    Call call(*this);
    pump(nullptr);
  }
  connected_ = false;
  readCommLine_ = nullptr;
  writeComm_ = nullptr;
  library_.Free();
}

void TLibraryBinding::LoadInstrumentLibrary(const std::string& path) {
  FreeInstrumentLibrary();
  coordinates_.SetInstallationDirectory(geraete_.InstallationDirectory());
  if (!library_.Load(path)) return;
  static_assert(std::is_same_v<ReadCommLineFn, veltro_read_comm_line_fn>);
  readCommLine_ = Export<veltro_read_comm_line_fn>("ReadCommLine");
  writeComm_ = Export<veltro_write_comm_fn>("WriteComm");
  if (auto pump = Export<veltro_set_message_pump_fn>("SetMessagePump")) {
    Call call(*this);
    pump(&HostPump);
  }
}

int TLibraryBinding::FormatNumber() {
  const TInstrument& i = Instrument();
  return i.GeraeteFormat ? i.GeraeteFormat->Order : 0;
}

void TLibraryBinding::NoTransWhenPassThrough() {
  if (!OfficeIsPassThrough()) return;
  if (auto f = Export<veltro_void_fn>("SetNoTrans")) {
    Call call(*this);
    f();
  }
}

bool TLibraryBinding::LibOpen(int waitTime, const std::string& fileName) {
  if (connected_) return true;
  if (fileName.empty()) {
    std::string message;
    if (!geraete_.CheckPortSettings(message)) {
      ShowMessageBox(message, kMsgWarning, kBtnOk);
      return false;
    }
  }
  if (!library_.IsLoaded()) {
    Warn(kTextNoLibrary);
    return false;
  }
  const TInstrument& i = Instrument();
  int code = kLibOpenFailed;
  if (auto open = Export<veltro_open_comm_fn>("OpenComm")) {
    Call call(*this);
    code = LibraryCode(open(i.Port, i.BaudRate, i.DataBits, i.StopBits, i.Parity, i.FlowControl, i.EndofLine,
                            static_cast<std::int32_t>(i.Lesezeit), static_cast<std::int32_t>(i.Schreibzeit), waitTime,
                            fileName.c_str()));
  }
  if (code == kLibOk) {
    if (auto on = Export<veltro_code_fn>("TachyOn")) {
      Call call(*this);
      code = LibraryCode(on());
      // The library is open although the instrument refused: release the port.
      if (code != kLibOk)
        if (auto close = Export<veltro_code_fn>("CloseComm")) close();
    }
  }
  std::string tag;
  ShowLibraryResult(code, tag);
  connected_ = code == kLibOk;
  noTransChecked_ = false;
  return connected_;
}

void TLibraryBinding::LibClose() {
  if (connected_) {
    std::string tag;
    if (auto off = Export<veltro_code_fn>("TachyOff")) {
      int code;
      {
        Call call(*this);
        code = LibraryCode(off());
      }
      ShowLibraryResult(code, tag);
    }
    int code = kLibFileCloseFailed;
    if (auto close = Export<veltro_code_fn>("CloseComm")) {
      Call call(*this);
      code = LibraryCode(close());
    }
    ShowLibraryResult(code, tag);
  }
  connected_ = false;
  writingFile_ = false;
}

bool TLibraryBinding::StartRemote(int startCode) {
  if (!connected_) return false;
  auto start = Export<veltro_code_int_fn>("StartRemoteTransfer");
  if (!start) return false;
  int code;
  {
    Call call(*this);
    code = LibraryCode(start(startCode));
  }
  if (code == kLibOk) return true;
  std::string tag;
  ShowLibraryResult(code, tag);
  return false;
}

bool TLibraryBinding::LibStartReceive() { return StartRemote(Instrument().TransferMethode); }
bool TLibraryBinding::LibStartSend() { return StartRemote(kSendStartOffset + Instrument().TransferMethode); }

std::string_view TLibraryBinding::LibReadLineView(std::string& tag) {
  if (!connected_) {
    // Nothing more can come from a closed connection.
    tag = kTagEnd;
    return {};
  }
  tag.clear();
  // The office format stays the same for the whole connection: the
  // library is told once, before its first read.
  if (!noTransChecked_) NoTransWhenPassThrough();
  noTransChecked_ = true;
  int code = kLibOpenFailed;
  std::string_view line;
  if (auto readLine = readCommLine_) {
    // Line and tag in one call; the line stays in the library's buffer.
    const char* text = nullptr;
    const char* format = nullptr;
    std::int32_t length = 0;
    {
      Call call(*this);
      code = LibraryCode(readLine(FormatNumber(), &text, &length, &format));
    }
    if (text && length > 0) line = std::string_view(text, static_cast<size_t>(length));
    if (format) tag.assign(format);
  } else {
    readLine_.clear();
    ReadLineByParts(code, tag, readLine_);
    line = readLine_;
  }
  if (code != kLibOk && line.data() != readLine_.data()) {
    // A result shown may call the library again.
    readLine_.assign(line);
    line = readLine_;
  }
  ShowLibraryResult(code, tag);
  if (code != kLibOk && code != kLibFormatChanged) tag = kTagEnd;
  return line;
}

// ReadComm, GetReadBuf and GetTFFormat, each when exported.
void TLibraryBinding::ReadLineByParts(int& code, std::string& tag, std::string& line) {
  if (auto read = Export<veltro_code_int_fn>("ReadComm")) {
    Call call(*this);
    code = LibraryCode(read(FormatNumber()));
  }
  if (auto buf = Export<veltro_text_fn>("GetReadBuf")) {
    Call call(*this);
    // Into the caller's line, which keeps its capacity from line to line.
    if (const char* text = buf()) line.assign(text);
  }
  if (auto format = Export<veltro_text_fn>("GetTFFormat")) {
    Call call(*this);
    tag = Copy(format());
  }
}

bool WriteLineToInstrument(const std::string& line) { return g_lineWriter && g_lineWriter->LibWriteLine(line); }

bool TLibraryBinding::LibWriteLine(const std::string& line) {
  if (!connected_) return false;
  // Whether the office side passes lines through is settled once per connection.
  if (!noTransChecked_) NoTransWhenPassThrough();
  noTransChecked_ = true;
  int code = kLibOpenFailed;
  if (writeComm_) {
    Call call(*this);
    code = LibraryCode(writeComm_(FormatNumber(), line.c_str()));
  }
  if (writingFile_ && writeFileSavedForm_) {
    // The library writes the line up to its first CR LF: any CR or LF before
    // that would be a line end of another form.
    const char* text = line.data();
    const char* lf = static_cast<const char*>(std::memchr(text, '\n', line.size()));
    const char* cr = static_cast<const char*>(std::memchr(text, '\r', lf ? lf - text : line.size()));
    if (cr ? cr + 1 != lf : lf != nullptr) writeFileSavedForm_ = false;
  }
  if (code == kLibOk) return true;
  std::string tag;
  ShowLibraryResult(code, tag);
  return false;
}

bool TLibraryBinding::LibTakeWriteBuf(TextLines& lines) {
  if (!connected_) return false;
  auto buf = Export<veltro_text_fn>("GetWriteBuf");
  if (!buf) return false;
  // Split straight from the library's text (valid until the next call), not
  // from a copy of the whole output.
  Call call(*this);
  const char* text = buf();
  lines.clear();
  if (text) AppendTextLines(lines, text);
  return true;
}

bool TLibraryBinding::LibTakeWriteText(std::string& text) {
  text.clear();
  if (!connected_) return false;
  auto buf = Export<veltro_text_fn>("GetWriteBuf");
  if (!buf) return false;
  Call call(*this);
  if (const char* written = buf()) text.assign(written);
  return true;
}

std::string TLibraryBinding::LibWriteToFileBeside(const std::string& target) {
  if (!connected_ || target.empty()) return {};
  auto set = Export<veltro_set_write_file_fn>("SetWriteFile");
  if (!set) return {};
  const std::string file = CreateFileBeside(target);
  if (file.empty()) return {};
  int code;
  {
    Call call(*this);
    code = LibraryCode(set(file.c_str()));
  }
  if (code != kLibOk) {
    // The lines are collected as without the export.
    RemoveFile(file);
    return {};
  }
  writingFile_ = true;
  writeFileSavedForm_ = EndofLineText(static_cast<TEndofLine>(Instrument().EndofLine)) == kCrLf;
  return file;
}

bool TLibraryBinding::LibCloseWriteFile() {
  if (!writingFile_) return false;
  writingFile_ = false;
  auto set = Export<veltro_set_write_file_fn>("SetWriteFile");
  if (!connected_ || !set) return false;
  Call call(*this);
  return LibraryCode(set(nullptr)) == kLibOk;
}

std::string TLibraryBinding::Text(const char* exportName) {
  if (!connected_) return {};
  auto f = Export<veltro_text_fn>(exportName);
  if (!f) return {};
  Call call(*this);
  return Copy(f());
}

std::string TLibraryBinding::LibGetOriginalDaten() { return Text("GetOriginalDaten"); }
std::string TLibraryBinding::LibGetInstrument() { return Text("GetInstrument"); }
std::string TLibraryBinding::LibGetProjects() { return Text("GetProjects"); }
std::string TLibraryBinding::LibGetCodeLists() { return Text("GetCodeLists"); }

std::string TLibraryBinding::LibGetErrorBuf() {
  auto f = Export<veltro_text_fn>("GetErrorBuf");
  if (!f) return {};
  std::string text;
  {
    Call call(*this);
    text = Copy(f());
  }
  if (text.empty()) return {};
  return kCrLf + GetText(kTextLibraryMessages) + kCrLf + kCrLf + text;
}

void TLibraryBinding::LibSetBreak() {
  if (!connected_) return;
  if (auto f = Export<veltro_set_break_fn>("SetBreak")) {
    Call call(*this);
    f(kLibCancelled);
  }
}

bool TLibraryBinding::Flag(const char* exportName, int number) {
  if (!connected_) return false;
  auto f = Export<NumberFlagFn>(exportName);
  if (!f) return false;
  Call call(*this);
  return LibraryCode(f(number)) != 0;
}

bool TLibraryBinding::Flag(const char* exportName, int number, const std::string& name) {
  if (!connected_) return false;
  auto f = Export<NamedFlagFn>(exportName);
  if (!f) return false;
  Call call(*this);
  return LibraryCode(f(number, name.c_str())) != 0;
}

bool TLibraryBinding::LibClearProject(int number) { return Flag("ClearProject", number); }
bool TLibraryBinding::LibSetProject(int number, const std::string& name) { return Flag("SetProject", number, name); }
bool TLibraryBinding::LibClearCodeList(int number) { return Flag("ClearCodeList", number); }
bool TLibraryBinding::LibSetCodeList(int number, const std::string& name) { return Flag("SetCodeList", number, name); }

void TLibraryBinding::ShowLibraryResult(int code, std::string& tag) {
  code = LibraryCode(code);
  if (code == kLibOk || code == kLibCancelled) return;
  const std::string name = tag.empty() ? std::string() : tag.substr(1);
  switch (code) {
    case 3:
      ShowMessageBox(WithConnectionHints(286), kMsgError, kBtnOk);
      return;
    case 15:
      ShowMessageBox(WithConnectionHints(177), kMsgWarning, kBtnOk);
      return;
    case kLibWrongFormat:
      ShowMessageBox(FormatText(GetText(kTextFormatNotSupported), {name}), kMsgWarning, kBtnOk);
      return;
    case kLibFormatChanged: {
      // Only a format the instrument may switch to; anything else would
      // read the rest of the data with the wrong format.
      TInstrument& i = Instrument();
      TGeraeteFormat* format = name.empty() ? nullptr : geraete_.Format(name);
      if (format && (format == i.GeraeteFormat || AcceptsGeraeteFormat(i, name))) {
        i.GeraeteFormat = format;
      } else {
        ShowMessageBox(FormatText(GetText(kTextFormatNotSupported), {name}), kMsgWarning, kBtnOk);
        tag = kTagEnd;
      }
      return;
    }
    default:
      if (const int text = WarningText(code)) Warn(text);
      return;
  }
}

}  // namespace veltro
