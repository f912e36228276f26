// The transfer engine: one transfer from set-up to report, always in two
// phases through the received lines (instrument-format lines).
//
//   direction 0, instrument -> PC: phase 1 receives instrument lines,
//                                  phase 2 converts them into the office file;
//   direction 1, PC -> instrument: phase 1 converts the office file into
//                                  instrument lines, phase 2 sends them.
//
// The engine reaches the main window, the statistics window, the instrument
// side and the settings only through the small interfaces below, so that it
// runs headless (tests, converter) exactly as under the GUI.
#pragma once

#include <string>
#include <string_view>

#include "core/DatenformatDefinitionen.h"
#include "core/TransDef.h"
#include "platform/TextFile.h"

namespace veltro {

// Process-wide state of the one running transfer. The lists keep their
// contents after a transfer until the next one starts (the viewer uses them).
struct TransferState {
  TDaten Daten;               // the transfer record
  LineList InputLines;        // office input file (direction 1) or editor page
  LineList ReceivedLines;     // instrument-format lines
  LineList OutputLines;       // destination being built
  TextLines Messages;         // notes added by formats during a transfer
  TextLines Errors;           // one entry per line that could not be converted
  TextLines EditorLines;      // lines typed on the editor page
  std::string InputFileName;
  std::string OutputFileName;
  // The file whose whole lines a caller loaded into InputLines (as
  // LoadTextFile loads them): LoadInputFile of that file keeps them instead
  // of reading it again. Cleared at that use.
  std::string LoadedInputFile;
  std::string FormatTag;      // kind letter + format name; "End" after a failure
  bool CancelFlag = false;    // instrument set-up cancelled / connection failed
  bool StopFlag = false;      // cancel button, or a kind without reader/writer
  bool AutoNameFlag = false;  // tree layout: the engine names the output file
  bool MergeFlag = false;     // consecutive receives are merged
  // The list whose lines are being read; Daten.Konstanten.Zeile indexes it.
  // Readers that consume continuation lines read ahead in it.
  const LineList* ActiveLines = nullptr;
  // Phase 1 of a receive is classifying the lines as they arrive (no line
  // is being converted yet).
  bool Receiving = false;
  // Set by a reader whose lines make no record of their own (code blocks
  // that no point follows): the engine writes nothing for them. Cleared
  // before every read.
  bool NoRecord = false;
  // Records the writers produced since the transfer started (phase 1 of a
  // send, phase 2 of a receive); without one no output file is replaced.
  int RecordsWritten = 0;
  // Lines of phase 2 that the instrument format took for no record and no
  // frame line.
  int LinesNotRead = 0;
};

TransferState& CurrentTransfer();

// Instrument types as the engine distinguishes them.
enum class InstrumentKind { Tachymeter = 0, Nivellier = 1, GPS = 2 };

// The main window (and the main data module's dialogs) as the engine uses them.
class TransferWindow {
 public:
  enum class PageState { Missing, Hidden, Shown };
  virtual ~TransferWindow() = default;
  virtual bool TreeLayout() const { return false; }
  virtual std::string InputFileField() const { return input_; }
  virtual void SetInputFileField(const std::string& name) { input_ = name; }
  virtual std::string OutputFileField() const { return output_; }
  virtual void SetOutputFileField(const std::string& name) { output_ = name; }
  virtual std::string LeftFileField() const { return {}; }
  virtual void SetLeftFileField(const std::string&) {}
  virtual std::string RightFileField() const { return {}; }
  virtual void SetRightFileField(const std::string&) {}
  virtual std::string TreePath(const std::string& file) const { return file; }
  virtual void ShowInLeftTree(const std::string&) {}
  virtual void ShowInRightTree(const std::string&) {}
  virtual void FocusOutputField() {}
  virtual void FocusLeftTree() {}
  virtual void FocusRightTree() {}
  virtual std::string ActivePageName() const { return {}; }
  virtual bool EditorPageActive() const { return false; }
  virtual void LeaveActivePage() {}
  virtual PageState FindPage(const std::string&) const { return PageState::Missing; }
  virtual void ActivatePage(const std::string&) {}
  virtual bool RunTopocadChecked() const { return false; }
  virtual bool TopocadPageShown() const { return false; }
  virtual void SetStartTransferEnabled(bool) {}
  virtual void SetStatusText(const std::string&) {}
  // The save-file dialog with name preset; true and the chosen name when confirmed.
  virtual bool AskSaveFileName(std::string&) { return false; }
  // The viewer, modal, on lines; true when the user accepted changes (lines changed).
  virtual bool ShowViewer(LineList&, const std::string&) { return false; }

 private:
  std::string input_;
  std::string output_;
};

// The statistics window.
class StatisticsView {
 public:
  virtual ~StatisticsView() = default;
  virtual void Reset() {
    stat_ = TTransferStatistik{};
    methodCaption_.clear();
  }
  virtual void Show() { visible_ = true; }
  virtual void Close() { visible_ = false; }
  virtual bool IsVisible() const { return visible_; }
  virtual TTransferStatistik& Statistik() { return stat_; }
  // Shows the current counts (throttled by the window itself).
  virtual void Refresh() {}
  virtual int Position() const { return stat_.Fortschritt; }
  virtual void SetStatusText(const std::string&) {}
  // The caption of the levelling method read last, shown beside the method
  // (empty: none).
  virtual void SetMethodCaption(const std::string& caption) { methodCaption_ = caption; }
  const std::string& MethodCaption() const { return methodCaption_; }

 protected:
  TTransferStatistik stat_;
  bool visible_ = false;
  std::string methodCaption_;
};

// The instrument side: current instrument and format, the library.
class InstrumentSide {
 public:
  virtual ~InstrumentSide() = default;
  virtual TGeraeteFormat* CurrentGeraeteFormat() { return nullptr; }
  virtual InstrumentKind CurrentInstrumentKind() const { return InstrumentKind::Tachymeter; }
  virtual void PrepareCoordinateSystem() {}
  // Phase 1 of direction 0: 0 received, 1 nothing usable, 2 format changed.
  virtual int ReceiveLines(bool /*cont*/) { return 1; }
  // Phase 2 of direction 1 (saves the output through SaveOutputFile offline).
  virtual void SendLines() {}
  virtual std::string LibGetErrorBuf() { return {}; }
  // Format tag of a text (detection); "" when unknown.
  virtual std::string DetectFormatTag(const std::string&) { return {}; }
};

// The settings the engine reads at each use.
class TransferSettings {
 public:
  virtual ~TransferSettings() = default;
  virtual int Methode() const { return 0; }         // "Methode": 0 instrument->PC, 1 PC->instrument
  virtual bool TransOf() const { return false; }    // "TransOf": offline mode
  virtual std::string DataPath() const { return {}; }
  virtual bool Viewer() const { return false; }
  virtual bool SaveSource() const { return false; }  // "Save Source"
};

struct TransferEnvironment {
  TransferWindow* window = nullptr;
  StatisticsView* statistics = nullptr;
  InstrumentSide* instrument = nullptr;
  TransferSettings* settings = nullptr;
};

// Installs the environment (pointers not owned; null members get defaults).
void SetTransferEnvironment(const TransferEnvironment& env);
const TransferEnvironment& CurrentTransferEnvironment();

// Text numbers the engine shows that are not in the original catalogue.
constexpr int kTextOutputIncomplete = 700;  // question: save a cut-short output?
constexpr int kTextTooManyRestarts = 701;   // the instrument keeps changing its format
constexpr int kTextNoOpener = 892;          // %s file: no program opened it
constexpr int kTextEntriesInAll = 740;      // %s entries in all, %s listed
constexpr int kTextLinesNotRead = 741;      // %s lines not read

// Upper bound of phase-1 restarts after announced format changes.
constexpr int kMaxFormatRestarts = 32;

// Messages and error lists are shown with at most this many entries.
constexpr size_t kMaxListedEntries = 20;


// Binds a format to the kind of line after line as its OnSetTDA does, and
// asks OnSetTDA again only when the kind, the format or the format's
// selection (reader/writer, kind, reset, editor) differs from what the last
// call left: a reader may have bound another kind meanwhile.
class KindSelection {
 public:
  void Bind(FormatDescriptor& format, TTransferDatenart kind);

 private:
  const FormatDescriptor* format_ = nullptr;
  TTransferDatenart kind_ = tdaNone;
  TTransferDatenart selected_ = tdaNone;
  const TReadWriteDaten* readWrite_ = nullptr;
  const TInitDaten* init_ = nullptr;
  const TComponent* edit_ = nullptr;
};

// Lists a source line that could not be converted in the error list.
void AddErrorLine(std::string_view line);

// Runs a whole transfer (the action StartTransfer).
void Transfer_startenClick();
// Common preparation and phase 1: 0 phase 2 may follow, 1 stop, 2 run again.
int TransferPhase1(bool retry);
// Phase 2 and closing the statistics window.
void TransformClick();
void TransferPhase2();
// Directory part of path followed by pattern whose first "*" is today's date as DDMMYY.
std::string DatedFileName(const std::string& path, const std::string& pattern);
bool LoadInputFile();
bool SaveOutputFile();
// SaveOutputFile for the output as one text, split at its line ends as
// AppendTextLines splits; text already in the saved form (every line
// ending with CR LF) is written as it is.
bool SaveOutputText(std::string_view text);
// SaveOutputFile for an output already written to the file `written`: moved
// into place when savedForm (every line ends with CR LF), else saved as
// SaveOutputText saves its text. `written` is gone afterwards.
bool SaveOutputFromFile(const std::string& written, bool savedForm);
std::string CheckInputFormat();
void StartTransferOnPage(const std::string& page);


}  // namespace veltro
