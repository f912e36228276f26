// The program's side of the instrument library interface: the one loaded
// library of the current instrument, the connection flag that guards every
// call, the wrappers through which a transfer talks to the instrument, and
// the reaction to every result code.
//
// Exports are looked up by their exact name at every call (ReadCommLine
// once per loaded library), so a library may lack any of them: a missing OpenComm or ReadComm counts as code 0, a
// missing WriteComm as 0, a missing CloseComm as 8, a missing
// StartRemoteTransfer fails the start; the others are skipped. Result codes
// are the low byte of what the library answers; returned texts are copied
// at once (NULL is "").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "instruments/CoordinateSystem.h"
#include "instruments/InstrumentenModul.h"
#include "platform/DynamicLibrary.h"
#include "platform/TextFile.h"

namespace veltro {

// Tag of a failed read or of a receive that has to end.
inline constexpr const char* kTagEnd = "End";
// File name for OpenComm that collects written lines without an input file.
inline constexpr const char* kNoOpenFile = "NoOpen";
// Start code of a send: added to the transfer option code.
inline constexpr int kSendStartOffset = 10;

// Result codes the program reacts to in its own way.
enum : int {
  kLibOpenFailed = 0,
  kLibOk = 2,
  kLibWrongFormat = 4,
  kLibFileCloseFailed = 8,
  kLibFormatChanged = 9,
  kLibCancelled = 14,
  kLibLastKnownCode = 23,
};

// Text numbers of the binding.
enum : int {
  kTextNoLibrary = 113,
  kTextLibraryMessages = 546,
};

// One line to the open instrument library of the program's binding, for the
// format hooks that send past the transfer's own lines; false without a
// binding or connection.
bool WriteLineToInstrument(const std::string& line);

class TLibraryBinding : public InstrumentLibraryHooks {
 public:
  // Registers itself as the catalogue's library hooks.
  explicit TLibraryBinding(TGeraete& geraete);
  // Closes an open connection and frees both libraries.
  ~TLibraryBinding() override;
  TLibraryBinding(const TLibraryBinding&) = delete;
  TLibraryBinding& operator=(const TLibraryBinding&) = delete;

  // ---- What the catalogue asks (LoadSettings, SelectInstrument) ----
  void CloseConnection() override { LibClose(); }
  void FreeCoordinateSystemLibrary() override { coordinates_.Free(); }
  // Unregisters the message pump and frees the library.
  void FreeInstrumentLibrary() override;
  // Loads the library at path (a failure leaves no handle) and registers the
  // program's message pump with its optional SetMessagePump.
  void LoadInstrumentLibrary(const std::string& path) override;
  bool LibraryCallRunning() const override { return depth_ > 0; }

  bool LibraryLoaded() const { return library_.IsLoaded(); }
  const DynamicLibrary& Library() const { return library_; }
  bool Connected() const { return connected_; }
  // The main window may close: no library call is on the stack.
  bool CanClose() const { return depth_ == 0; }

  // ---- Wrappers ----
  // Opens the connection with the current instrument's settings. fileName:
  // "" the serial port (its settings are checked first), an instrument file
  // for an offline receive, kNoOpenFile for an offline send.
  bool LibOpen(int waitTime, const std::string& fileName);
  // TachyOff and CloseComm, each result shown; the connection is closed.
  void LibClose();
  bool LibStartReceive();
  bool LibStartSend();
  // One line and the library's format tag; the tag is kTagEnd when the read
  // failed or the connection is not open.
  void LibReadLine(std::string& tag, std::string& line) { line = LibReadLineView(tag); }
  // The same line as a view into the library's buffer (or the binding's),
  // valid until the next call of the binding.
  std::string_view LibReadLineView(std::string& tag);
  bool LibWriteLine(const std::string& line);
  // The lines the library collected in its write buffer (an offline send),
  // into lines; false (lines untouched) without a connection or export.
  bool LibTakeWriteBuf(TextLines& lines);
  // The same collected text as it is, not split into lines.
  bool LibTakeWriteText(std::string& text);
  // Offline send: the library writes every line to a new file beside target
  // as it goes (its optional SetWriteFile) instead of collecting them. The
  // file's name, or "" (lines are then collected) without the export or a
  // connection, or when the file cannot be made.
  std::string LibWriteToFileBeside(const std::string& target);
  // Closes that file; true when it holds every line written.
  bool LibCloseWriteFile();
  // Every line written to that file ended with CR LF and held no other CR
  // or LF: the file is in the form SaveTextFile writes.
  bool WriteFileInSavedForm() const { return writeFileSavedForm_; }
  std::string LibGetOriginalDaten();
  // The library's error text, headed by text 546; "" when there is none.
  // Also after LibClose: the end of a transfer asks for it after closing.
  std::string LibGetErrorBuf();
  // Asks a running read or write to break off (the cancel button).
  void LibSetBreak();
  std::string LibGetInstrument();
  std::string LibGetProjects();
  std::string LibGetCodeLists();
  bool LibClearProject(int number);
  bool LibSetProject(int number, const std::string& name);
  bool LibClearCodeList(int number);
  bool LibSetCodeList(int number, const std::string& name);

  // The user-facing reaction to a result code (low byte). Code 9 switches
  // the instrument to the format the tag names when the instrument accepts
  // it; otherwise it is refused like code 4 and tag becomes kTagEnd.
  void ShowLibraryResult(int code, std::string& tag);

  // The coordinate-system library and block of the program.
  TCoordinateSystem& CoordinateSystem() { return coordinates_; }

 private:
  class Call;
  template <class Function>
  Function Export(const char* name) const {
    return library_.Export<Function>(name);
  }
  TInstrument& Instrument() { return geraete_.CurrentInstrument(); }
  int FormatNumber();
  void NoTransWhenPassThrough();
  void ReadLineByParts(int& code, std::string& tag, std::string& line);
  bool StartRemote(int code);
  std::string Text(const char* exportName);
  bool Flag(const char* exportName, int number);
  bool Flag(const char* exportName, int number, const std::string& name);

  TGeraete& geraete_;
  DynamicLibrary library_;
  // ReadCommLine of the loaded library (nullptr without it), found once:
  // a line's read is the one call made for every line of a receive.
  using ReadCommLineFn = std::int32_t (*)(std::int32_t, const char**, std::int32_t*, const char**);
  ReadCommLineFn readCommLine_ = nullptr;
  // The pass-through check (SetNoTrans) ran for this connection's reads.
  bool noTransChecked_ = false;
  std::string readLine_;  // a line read by parts, or kept past a result shown
  TCoordinateSystem coordinates_;
  bool connected_ = false;
  int depth_ = 0;  // library calls on the stack
  bool writingFile_ = false;  // SetWriteFile is on
  bool writeFileSavedForm_ = true;
  // WriteComm of the loaded library, looked up once (it is called per line).
  std::int32_t (*writeComm_)(std::int32_t, const char*) = nullptr;
};

// The result code in the low byte of what a library answered.
inline int LibraryCode(std::int32_t answer) { return static_cast<int>(static_cast<std::uint32_t>(answer) & 0xFFu); }

}  // namespace veltro
