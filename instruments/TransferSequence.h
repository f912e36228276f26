// The instrument side of a transfer: receiving an instrument's lines (phase
// 1 of instrument -> PC) and sending prepared lines (phase 2 of PC ->
// instrument) through the one loaded instrument library, in offline mode
// from and into instrument files; the GPS preparation; the set-up of the
// instruments with projects and code lists.
//
// The engine (core/Transfer) calls this side; the statistics window, the
// status texts and the cancel button work through the engine's environment,
// the rest of the main window through InstrumentTransferHost.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/Transfer.h"
#include "instruments/InstrumentenModul.h"
#include "instruments/LibraryBinding.h"

namespace veltro {

// The transfer-options dialog as the set-up handlers use it (the window
// lives in the GUI; tests script it).
class TransferOptionsDialog {
 public:
  virtual ~TransferOptionsDialog() = default;
  virtual void SetSelection(int value) = 0;
  virtual void SetPcToInstrument(bool pcToInstrument) = 0;
  virtual void SetProjectsSupported(bool supported) = 0;
  virtual void SetTitle(const std::string& title) = 0;
  virtual void SetInstrument(const std::string& identification) = 0;
  virtual void SetProjects(const std::vector<std::string>& lines) = 0;   // "name,number"
  virtual void SetCodeLists(const std::vector<std::string>& lines) = 0;  // "name,number"
  // Modal; true when the user confirmed.
  virtual bool Execute() = 0;
  virtual int Selection() const = 0;
  virtual std::string TargetName() const = 0;
  virtual std::vector<std::string> SelectedLines() const = 0;
  virtual int ProjectCount() const = 0;
  virtual int CodeListCount() const = 0;
};

// What the sequence needs of the main window beyond the engine's interfaces.
class InstrumentTransferHost {
 public:
  enum class Indicator { Receive, Send };
  virtual ~InstrumentTransferHost() = default;
  virtual void SetIndicatorsOn(bool /*on*/) {}
  virtual void SetIndicatorColour(Indicator, std::uint32_t /*rgb*/) {}
  virtual void FocusInputField() {}
  // The instrument's format changed during a receive.
  virtual void FormatChanged() {}
  // nullptr: no dialog can be shown (headless); the set-up then keeps the
  // instrument's transfer option code.
  virtual std::unique_ptr<TransferOptionsDialog> CreateTransferOptionsDialog() { return nullptr; }
};

inline constexpr std::uint32_t kIndicatorBusy = 0x00FF00;  // RGB 0,255,0
inline constexpr std::uint32_t kIndicatorIdle = 0xFF0000;  // RGB 255,0,0

// Text numbers of the sequence.
enum : int {
  kTextReading = 39,
  kTextWriting = 44,
  kTextFormatNotRecognised = 172,
  kTextConnecting = 650,
  kTextOverwriteOne = 639,
  kTextOverwriteSeveral = 640,
  kTextProjectNotSet = 641,
  kTextProjectNotCleared = 642,
  kTextClearingProject = 651,
  kTextSettingProject = 652,
  kTextReadingProjects = 653,
  kTextReadingCodeLists = 655,
  kTextClearingCodeList = 658,
  kTextSettingCodeList = 659,
  kTextCodeListNotSet = 660,
  kTextCodeListNotCleared = 661,
  kTextNothingReadable = 915,  // %s format caption
  kTextListLineWithoutNumber = 770,  // %s the line
};

class TInstrumentTransfer : public CatalogueInstrumentSide {
 public:
  // Binds the set-up handlers of itTC600, itTPS700, itTPS100 and itTPS110.
  // host may be nullptr (headless).
  TInstrumentTransfer(TGeraete& geraete, TLibraryBinding& binding, InstrumentTransferHost* host = nullptr);
  ~TInstrumentTransfer() override;
  TInstrumentTransfer(const TInstrumentTransfer&) = delete;
  TInstrumentTransfer& operator=(const TInstrumentTransfer&) = delete;

  // InstrumentSide.
  void PrepareCoordinateSystem() override;
  int ReceiveLines(bool cont) override;
  void SendLines() override;
  std::string LibGetErrorBuf() override { return binding_.LibGetErrorBuf(); }

  // Loads and activates the coordinate system (GPS); false when the active
  // system is not usable (message 630 shown, the transfer stops).
  bool LoadCoordinateSystem();

  // The tag to take when neither the library nor the received text names
  // one: the user named the instrument format (the converter's --from).
  void SetAssumedTag(std::string tag) { assumedTag_ = std::move(tag); }
  // The last send wrote every line (and its end mark over the line).
  bool SentAll() const { return sentAll_; }

  // Set-up handlers of the instruments.
  void itTC600Setup();
  void itTPS700Setup();
  void itTPS100Setup();

 private:
  enum class ListKind { Projects, CodeLists };
  InstrumentTransferHost& Host() { return host_ ? *host_ : noHost_; }
  bool Offline() const;
  void OptionsSetup(const char* title);
  void ProcessList(TransferOptionsDialog& dialog, ListKind kind);
  void TakeLine(std::string_view line, TGeraeteFormat& format);
  void SettleTag(TGeraeteFormat& format);
  void ClassifyPending(TGeraeteFormat& format);
  void PrepareGtsLines(TGeraeteFormat& format);
  bool HasReadableLine(TGeraeteFormat& format);
  void EndIndicators();
  void CloseStale();

  TLibraryBinding& binding_;
  InstrumentTransferHost* host_;
  InstrumentTransferHost noHost_;
  bool coordinatesPrepared_ = false;  // this phase 1 already activated them
  bool coordinatesUnusable_ = false;
  bool restartPending_ = false;       // a format change left the connection open
  bool hasPendingLine_ = false;       // the line that came with the format change
  std::string pendingLine_;
  std::string pendingTag_;
  // The receive running: where its lines start, how far they are
  // classified, how much text came, and the tag once settled.
  size_t receiveStart_ = 0;
  size_t classified_ = 0;
  size_t receivedChars_ = 0;
  bool settled_ = false;
  std::string settledTag_;
  // Copies of the line being classified, kept from line to line.
  std::string classifiedLine_, classifiedText_;
  KindSelection classifiedKind_;
  std::string assumedTag_;
  bool sentAll_ = false;
};

}  // namespace veltro
