#include "instruments/TransferSequence.h"

#include <algorithm>
#include <functional>
#include <optional>

#include "core/Language.h"
#include "core/Messages.h"
#include "core/Settings.h"
#include "core/TextUtils.h"
#include "core/TransferOptionsCode.h"
#include "formats/instrument/CheckFormate.h"
#include "formats/instrument/GTS6.h"
#include "formats/instrument/InstrumentFormat.h"
#include "platform/MessagePump.h"
#include "platform/TextFile.h"

namespace veltro {
namespace {

constexpr const char* kEndOfTransmission = "\x04";
constexpr const char* kTitleTC600 = "TC600 / TC800";
constexpr const char* kTitleTPS700 = "TPS700";
constexpr const char* kTitleTPS100 = "TPS100";

// Instruments whose set-up this side handles.
constexpr const char* kTC600 = "itTC600";
constexpr const char* kTPS700 = "itTPS700";
constexpr const char* kTPS100 = "itTPS100";
constexpr const char* kTPS110 = "itTPS110";

StatisticsView& Statistics() { return *CurrentTransferEnvironment().statistics; }
TransferWindow& Window() { return *CurrentTransferEnvironment().window; }
TransferSettings& Settings() { return *CurrentTransferEnvironment().settings; }

bool IsData(std::string_view line) { return !line.empty() && line != kEndOfTransmission; }

// A project or code-list number: decimal digits that fit an int.
std::optional<int> ListNumber(const std::string& text) {
  if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  return std::stoi(text);
}

// Marks the received lines as being classified while they arrive.
class ReceivingScope {
 public:
  ReceivingScope() {
    TransferState& t = CurrentTransfer();
    t.Receiving = true;
    t.ActiveLines = &t.ReceivedLines;
  }
  ~ReceivingScope() {
    TransferState& t = CurrentTransfer();
    t.Receiving = false;
    t.ActiveLines = nullptr;
  }
  ReceivingScope(const ReceivingScope&) = delete;
  ReceivingScope& operator=(const ReceivingScope&) = delete;
};

// Binds the kind of the received line at index (Zeile on it) and counts it.
// The classifier may change the text it is given, so it gets a copy; the
// statistics handler gets one too (it may insert lines before it). Both go
// into the caller's buffers, which keep their capacity from line to line.
void ClassifyAt(TGeraeteFormat& format, size_t index, std::string& line, std::string& s, KindSelection& selection) {
  TransferState& t = CurrentTransfer();
  t.Daten.Konstanten.Zeile = static_cast<int>(index);
  const std::string_view stored = t.ReceivedLines[index];
  if (format.OnGetDatenart) {
    s = stored;
    selection.Bind(format, format.OnGetDatenart(s));
  }
  if (format.ReadWrite && format.ReadWrite->OnStatistik) {
    line = stored;
    format.ReadWrite->OnStatistik(line, Statistics().Statistik());
    Statistics().Refresh();
  }
}

// A file the output is written to before it is moved into place; removed
// when it is left over.
struct WrittenFile {
  std::string path;
  explicit WrittenFile(std::string file) : path(std::move(file)) {}
  WrittenFile(const WrittenFile&) = delete;
  WrittenFile& operator=(const WrittenFile&) = delete;
  ~WrittenFile() {
    if (!path.empty() && FileExists(path)) RemoveFile(path);
  }
};

// The tag the text itself gives, when it names format (FC-6 text is
// recognised as GTS-7 text); "" otherwise.
std::string TextTag(const TGeraeteFormat& format, const LineList& lines, size_t from) {
  // The format's own detector first: the fixed order takes some formats'
  // texts for another's (AP 700 headers for GTS-7 point codes).
  std::string tag = DetectFormat(TextFrom(lines, from, kFormatBufferSize), format.Name);
  if (tag.size() < 2) return {};
  if (format.Name == "FC6" && tag.substr(1) == "GTS7") tag = tag.substr(0, 1) + format.Name;
  return tag.substr(1) == format.Name ? tag : std::string();
}

}  // namespace

TInstrumentTransfer::TInstrumentTransfer(TGeraete& geraete, TLibraryBinding& binding, InstrumentTransferHost* host)
    : CatalogueInstrumentSide(geraete), binding_(binding), host_(host) {
  geraete_.BindInstrumentSetup(kTC600, [this] { itTC600Setup(); });
  geraete_.BindInstrumentSetup(kTPS700, [this] { itTPS700Setup(); });
  geraete_.BindInstrumentSetup(kTPS100, [this] { itTPS100Setup(); });
  geraete_.BindInstrumentSetup(kTPS110, [this] { itTPS100Setup(); });
}

TInstrumentTransfer::~TInstrumentTransfer() {
  for (const char* name : {kTC600, kTPS700, kTPS100, kTPS110}) geraete_.BindInstrumentSetup(name, nullptr);
}

bool TInstrumentTransfer::Offline() const { return Settings().TransOf(); }

void TInstrumentTransfer::EndIndicators() { Host().SetIndicatorsOn(false); }

// A format change left the connection open for a resumed receive that
// never came (the engine gave up): it is closed before anything new starts.
void TInstrumentTransfer::CloseStale() {
  if (restartPending_) binding_.LibClose();
  restartPending_ = false;
  hasPendingLine_ = false;
}

// ---- Coordinate system --------------------------------------------------------------

bool TInstrumentTransfer::LoadCoordinateSystem() {
  coordinatesUnusable_ = binding_.CoordinateSystem().ActivateFromSettings() == TCoordinateSystem::State::Unusable;
  if (!coordinatesUnusable_) return true;
  ShowMessageBox(GetText(kTextSystemUnusable), kMsgError, kBtnOk);
  CurrentTransfer().StopFlag = true;
  return false;
}

void TInstrumentTransfer::PrepareCoordinateSystem() {
  LoadCoordinateSystem();
  coordinatesPrepared_ = true;
}

// ---- Receive -------------------------------------------------------------------------

// A received line is stored; lines are classified once the tag is settled:
// from the first kFormatBufferSize characters of this receive (a library
// recognises its tag from the first line only), or at the end.
void TInstrumentTransfer::TakeLine(std::string_view line, TGeraeteFormat& format) {
  TransferState& t = CurrentTransfer();
  if (IsData(line)) {
    t.ReceivedLines.push_back(line);
    receivedChars_ += line.size() + 2;
  }
  if (!settled_ && receivedChars_ >= kFormatBufferSize) SettleTag(format);
  if (settled_) ClassifyPending(format);
}

void TInstrumentTransfer::SettleTag(TGeraeteFormat& format) {
  TransferState& t = CurrentTransfer();
  const std::string tag = TextTag(format, t.ReceivedLines, receiveStart_);
  // The text's own tag; else the library's when it names this format; else
  // the one the user named; else whatever the library said.
  const bool libraryNamesFormat = t.FormatTag.size() > 1 && t.FormatTag.substr(1) == format.Name;
  settledTag_ = !tag.empty()                             ? tag
                : libraryNamesFormat || assumedTag_.empty() ? t.FormatTag
                                                            : assumedTag_;
  t.FormatTag = settledTag_;
  settled_ = true;
}

void TInstrumentTransfer::ClassifyPending(TGeraeteFormat& format) {
  TransferState& t = CurrentTransfer();
  // A statistics handler may insert lines (merged coordinates): the size is
  // read anew each time.
  for (; classified_ < t.ReceivedLines.size(); ++classified_)
    ClassifyAt(format, classified_, classifiedLine_, classifiedText_, classifiedKind_);
}

namespace {
// Compares a text that arrives in pieces with the text of a line list (each
// line followed by CR LF).
class SameAsJoined {
 public:
  explicit SameAsJoined(const LineList& lines) : lines_(lines) {}
  void Add(std::string_view piece) {
    while (same_ && !piece.empty()) {
      if (line_ == lines_.size()) {
        same_ = false;
        return;
      }
      const std::string_view text = lines_[line_];
      if (at_ < text.size()) {
        const size_t n = std::min(piece.size(), text.size() - at_);
        same_ = piece.substr(0, n) == text.substr(at_, n);
        at_ += n;
        piece.remove_prefix(n);
      } else {
        same_ = piece[0] == (at_ == text.size() ? '\r' : '\n');
        piece.remove_prefix(1);
        if (++at_ == text.size() + 2) {
          lines_.ReleaseResidentAt(++line_);
          at_ = 0;
        }
      }
    }
  }
  bool Same() const { return same_ && line_ == lines_.size() && at_ == 0; }

 private:
  const LineList& lines_;
  size_t line_ = 0;
  size_t at_ = 0;  // in the line and its CR LF
  bool same_ = true;
};
}  // namespace

// Framed or unbroken GTS-6 / FC-5 text: one record per line; the prepared
// lines are classified and counted again under their own tag.
void TInstrumentTransfer::PrepareGtsLines(TGeraeteFormat& format) {
  TransferState& t = CurrentTransfer();
  // One copy of the text beside the lines (a big list keeps its text in a
  // file), prepared in place; the prepared lines come from its pieces, which
  // also tell whether it changed.
  const bool allData = std::all_of(t.ReceivedLines.begin(), t.ReceivedLines.end(), IsData);
  LineList prepared;
  {
    LineSplitter<LineList> split(prepared);
    SameAsJoined same(t.ReceivedLines);
    GtsPrepareStream(JoinLines(t.ReceivedLines), [&](std::string_view piece) {
      split.Add(piece.data(), piece.size());
      same.Add(piece);
    });
    split.Finish();
    const bool unchanged = allData && same.Same();
    t.ReceivedLines = std::move(prepared);
    t.ReceivedLines.KeepIf(IsData);
    if (unchanged) return;
  }
  if (const std::string tag = TextTag(format, t.ReceivedLines, 0); !tag.empty()) t.FormatTag = tag;
  Statistics().Reset();
  classified_ = 0;
  ClassifyPending(format);
}

// Whether phase 2 would read anything: some received line has a kind.
bool TInstrumentTransfer::HasReadableLine(TGeraeteFormat& format) {
  if (!format.OnGetDatenart) return false;
  TransferState& t = CurrentTransfer();
  ReceivingScope scope;
  std::string s;
  for (size_t i = 0; i < t.ReceivedLines.size(); ++i) {
    t.Daten.Konstanten.Zeile = static_cast<int>(i);
    s = t.ReceivedLines[i];
    if (format.OnGetDatenart(s) != tdaNone) return true;
  }
  return false;
}

int TInstrumentTransfer::ReceiveLines(bool cont) {
  TransferState& t = CurrentTransfer();
  if (!cont) CloseStale();

  // 1. GPS: the coordinate system (unless the engine's preparation did it).
  if (CurrentInstrumentKind() == InstrumentKind::GPS && !coordinatesPrepared_) LoadCoordinateSystem();
  coordinatesPrepared_ = false;
  if (coordinatesUnusable_ && CurrentInstrumentKind() == InstrumentKind::GPS) {
    binding_.LibClose();
    return 1;
  }

  // 2., 3. Set-up and connection.
  const std::string fileName = Offline() ? t.InputFileName : std::string();
  Statistics().Show();
  if (!cont) {
    Statistics().SetStatusText(GetText(kTextConnecting));
    TInstrument& instrument = geraete_.CurrentInstrument();
    if (instrument.OnSetup) instrument.OnSetup();
    Statistics().SetStatusText(GetText(kTextConnecting));
    if (!t.CancelFlag && (!binding_.LibOpen(WaitForRemote(), fileName) || !binding_.LibStartReceive()))
      t.CancelFlag = true;
    if (t.CancelFlag) {
      Statistics().Close();
      Window().FocusOutputField();
      binding_.LibClose();
      return 1;
    }
  } else if (!binding_.Connected()) {
    // A resumed receive reads on from the open connection, never from a
    // closed one.
    restartPending_ = false;
    hasPendingLine_ = false;
    return 1;
  }
  restartPending_ = false;

  // 4., 5. Lines until the end of the transmission.
  Statistics().SetStatusText(GetText(kTextReading));
  Host().SetIndicatorsOn(true);
  receiveStart_ = t.ReceivedLines.size();  // lines held from a merged receive stay before
  classified_ = receiveStart_;
  classifiedKind_ = KindSelection();
  receivedChars_ = 0;
  settled_ = false;
  std::string held, libraryTag;
  std::string_view line;  // into the library's buffer, or held
  {
    ReceivingScope scope;
    for (;;) {
      if (t.StopFlag) {
        EndIndicators();
        binding_.LibClose();
        return 1;
      }
      TGeraeteFormat* before = geraete_.CurrentInstrument().GeraeteFormat;
      if (hasPendingLine_) {
        held = std::move(pendingLine_);
        line = held;
        libraryTag = pendingTag_;
        hasPendingLine_ = false;
      } else {
        Host().SetIndicatorColour(InstrumentTransferHost::Indicator::Receive, kIndicatorBusy);
        PumpMessages();
        line = binding_.LibReadLineView(libraryTag);
        Host().SetIndicatorColour(InstrumentTransferHost::Indicator::Receive, kIndicatorIdle);
      }
      t.FormatTag = settled_ && libraryTag != kTagEnd ? settledTag_ : libraryTag;
      TInstrument& instrument = geraete_.CurrentInstrument();
      if (instrument.GeraeteFormat != before && !instrument.NoNewTrans) {
        // Announced change of format: the engine starts again with it and
        // this line comes first.
        hasPendingLine_ = IsData(line);
        pendingLine_ = line;
        pendingTag_ = libraryTag;
        EndIndicators();
        Host().FormatChanged();
        restartPending_ = true;
        return 2;
      }
      if (t.FormatTag == kTagEnd) {
        EndIndicators();
        binding_.LibClose();
        return 1;
      }
      if (line == kEndOfTransmission) break;
      TakeLine(line, *instrument.GeraeteFormat);
      PumpMessages();
    }
  }

  // 6. The end of the transmission.
  TGeraeteFormat& format = *geraete_.CurrentInstrument().GeraeteFormat;
  {
    ReceivingScope scope;
    if (!settled_) SettleTag(format);
    ClassifyPending(format);
    if (IsGtsStreamFormat(format.Name)) PrepareGtsLines(format);
  }
  if (format.OnAfterRead) format.OnAfterRead();
  EndIndicators();
  if (OfficeIsPassThrough()) {
    // The raw bytes go out unchanged. Offline the library collects none:
    // the lines are then converted like for any other format, or copied
    // when the format has no reader.
    const std::string raw = binding_.LibGetOriginalDaten();
    if (!raw.empty() || (!format.OnGetDatenart && !t.ReceivedLines.empty())) {
      t.OutputLines.clear();
      if (raw.empty())
        t.OutputLines = t.ReceivedLines;
      else
        AppendTextLines(t.OutputLines, raw);
      Statistics().Close();
      Window().FocusOutputField();
      SaveOutputFile();
      binding_.LibClose();
      return 1;
    }
  }
  binding_.LibClose();
  PumpMessages();
  if (t.ReceivedLines.empty()) return 1;
  // Nothing phase 2 could read (Rec E, dialect lines only): no empty output.
  if (!HasReadableLine(format)) {
    ShowMessageBox(FormatText(GetText(kTextNothingReadable), {format.Caption}), kMsgWarning, kBtnOk);
    return 1;
  }
  if (!t.FormatTag.empty()) return 0;
  return ShowMessageBox(GetText(kTextFormatNotRecognised), kMsgConfirmation, kBtnYesNo) == kAnsNo ? 1 : 0;
}

// ---- Send ----------------------------------------------------------------------------

void TInstrumentTransfer::SendLines() {
  TransferState& t = CurrentTransfer();
  CloseStale();
  sentAll_ = false;
  TGeraeteFormat& format = geraete_.CurrentGeraeteFormat();
  if (format.OnBeforeWrite) format.OnBeforeWrite();
  const bool offline = Offline();

  Statistics().SetStatusText(GetText(kTextConnecting));
  TInstrument& instrument = geraete_.CurrentInstrument();
  if (instrument.OnSetup) instrument.OnSetup();
  Statistics().SetStatusText(GetText(kTextConnecting));
  if (!t.CancelFlag && (!binding_.LibOpen(WaitForRemote(), offline ? kNoOpenFile : "") || !binding_.LibStartSend()))
    t.CancelFlag = true;
  if (t.CancelFlag) {
    Statistics().Close();
    Host().FocusInputField();
    binding_.LibClose();
    return;
  }

  // Offline the library writes the lines to a file beside the output as it
  // goes, when it can; the file is gone unless it is moved into place.
  const WrittenFile written{offline ? binding_.LibWriteToFileBeside(t.OutputFileName) : std::string()};

  Statistics().SetStatusText(GetText(kTextWriting));
  Host().SetIndicatorsOn(true);
  int& index = t.Daten.Konstanten.Zeile;
  if (index < 0) index = 0;
  bool ok = true;
  bool processed = false;
  std::string line;  // the writer's copy, kept from line to line
  while (static_cast<size_t>(index) < t.ReceivedLines.size() && ok && !t.StopFlag) {
    line = t.ReceivedLines[static_cast<size_t>(index)];
    TReadWriteDaten* rw = geraete_.CurrentGeraeteFormat().ReadWrite;
    if (rw && rw->OnStatistik && IsData(line)) rw->OnStatistik(line, Statistics().Statistik());
    Statistics().Refresh();
    Host().SetIndicatorColour(InstrumentTransferHost::Indicator::Send, kIndicatorBusy);
    ok = binding_.LibWriteLine(line);
    Host().SetIndicatorColour(InstrumentTransferHost::Indicator::Send, kIndicatorIdle);
    processed = true;
    t.ReceivedLines.ReleaseResidentAt(static_cast<size_t>(index));
    if (ok) ++index;
    PumpMessages();
  }
  const bool complete = ok && !t.StopFlag;
  sentAll_ = processed && complete;
  // A cut-short send gets no end marker: the instrument must not take the
  // part for the whole. A file gets none either (it would end with an
  // empty line).
  if (processed && complete && !offline) binding_.LibWriteLine(kEndOfTransmission);
  if (format.OnAfterWrite) format.OnAfterWrite();
  // Without a write file, the library's collected text, taken once after
  // the last write and saved as one text (not as a line list beside it).
  std::string text;
  const bool streamed = !written.path.empty();
  const bool streamComplete = streamed && binding_.LibCloseWriteFile();
  const bool savedForm = binding_.WriteFileInSavedForm();
  const bool collected = streamed || binding_.LibTakeWriteText(text);
  binding_.LibClose();
  EndIndicators();
  Statistics().Close();
  // Without a single record an existing file stays as it is.
  if (!offline || !processed) return;
  if (!collected) {
    ShowMessageBox(GetText(46), kMsgWarning, kBtnOk);
    return;
  }
  // A write file that failed holds less than was sent: never saved.
  if (streamed && !streamComplete) {
    ShowMessageBox(GetText(47), kMsgWarning, kBtnOk);
    t.OutputLines.clear();
    return;
  }
  if (!complete && ShowMessageBox(GetText(kTextOutputIncomplete), kMsgWarning, kBtnYesNo) != kAnsYes) {
    t.OutputLines.clear();
    return;
  }
  if (streamed)
    SaveOutputFromFile(written.path, savedForm);
  else
    SaveOutputText(text);
}

// ---- Set-up of the instruments --------------------------------------------------------

void TInstrumentTransfer::OptionsSetup(const char* title) {
  if (Offline() || Settings().Methode() != 0) return;
  std::unique_ptr<TransferOptionsDialog> dialog = Host().CreateTransferOptionsDialog();
  if (!dialog) return;
  TInstrument& instrument = geraete_.CurrentInstrument();
  dialog->SetSelection(instrument.TransferMethode);
  dialog->SetPcToInstrument(false);
  dialog->SetProjectsSupported(OfficeIsPassThrough());
  dialog->SetTitle(title);
  const bool confirmed = dialog->Execute();
  CurrentTransfer().CancelFlag = !confirmed;
  if (confirmed) instrument.TransferMethode = dialog->Selection();
}

void TInstrumentTransfer::itTC600Setup() { OptionsSetup(kTitleTC600); }
void TInstrumentTransfer::itTPS700Setup() { OptionsSetup(kTitleTPS700); }

void TInstrumentTransfer::itTPS100Setup() {
  if (Offline()) return;
  std::unique_ptr<TransferOptionsDialog> dialog = Host().CreateTransferOptionsDialog();
  if (!dialog) return;
  TransferState& t = CurrentTransfer();
  TInstrument& instrument = geraete_.CurrentInstrument();
  const TDatenformatDefinitionen& office = ActiveFormat();
  dialog->SetPcToInstrument(Settings().Methode() == 1);
  dialog->SetProjectsSupported(OfficeIsPassThrough() || office.TransferDatenart == tdaPunktcode);
  dialog->SetSelection(instrument.TransferMethode);
  dialog->SetTitle(kTitleTPS100);
  t.CancelFlag = true;
  // Without a connection there is nothing to choose from: the transfer stops.
  if (!binding_.LibOpen(WaitForRemote(), "")) return;
  WaitMilliseconds(static_cast<int>(std::min<std::uint32_t>(instrument.WaitAfterCmd, kMaxTimeoutMs)));
  dialog->SetInstrument(binding_.LibGetInstrument());
  Statistics().SetStatusText(GetText(kTextReadingProjects));
  dialog->SetProjects(SplitLines(binding_.LibGetProjects()));
  Statistics().SetStatusText(GetText(kTextReadingCodeLists));
  dialog->SetCodeLists(SplitLines(binding_.LibGetCodeLists()));
  Statistics().SetStatusText("");
  if (!dialog->Execute()) return;
  t.CancelFlag = false;
  instrument.TransferMethode = dialog->Selection();
  switch (instrument.TransferMethode % 100) {
    case kOptionKoordinaten: ProcessList(*dialog, ListKind::Projects); break;
    case kOptionCodes: ProcessList(*dialog, ListKind::CodeLists); break;
    default: break;
  }
}

// Overwrites the instrument's projects or code lists with the dialog's
// selected lines "name,number"; the connection stays open for the transfer.
void TInstrumentTransfer::ProcessList(TransferOptionsDialog& dialog, ListKind kind) {
  TransferState& t = CurrentTransfer();
  const std::vector<std::string> lines = dialog.SelectedLines();
  if (lines.empty()) return;
  const bool projects = kind == ListKind::Projects;
  const auto selection = DecodeTransferOptions(dialog.Selection());
  const int row = selection ? (projects ? selection->projectRow : selection->codeListRow) : 0;
  const int count = projects ? dialog.ProjectCount() : dialog.CodeListCount();
  if (lines.size() > 1 || count >= row) {
    const std::string question =
        FormatText(GetText(lines.size() == 1 ? kTextOverwriteOne : kTextOverwriteSeveral), {dialog.TargetName()});
    if (ShowMessageBox(question, kMsgConfirmation, kBtnYesNo) != kAnsYes) {
      t.CancelFlag = true;
      return;
    }
  }
  for (const std::string& line : lines) {
    if (t.CancelFlag) break;
    // "name,number": field 0 and field 1.
    const size_t comma = line.find(',');
    const std::string name = line.substr(0, comma);
    const std::string numberText =
        comma == std::string::npos ? std::string() : TrimBlanks(line.substr(comma + 1, line.find(',', comma + 1) - comma - 1));
    const std::optional<int> number = ListNumber(numberText);
    if (!number) {
      // A line without its number would address no project at all.
      ShowMessageBox(FormatText(GetText(kTextListLineWithoutNumber), {EscapeMessageData(line)}), kMsgWarning,
                     kBtnOk);
      continue;
    }
    const std::string n = std::to_string(*number);
    Statistics().SetStatusText(GetText(projects ? kTextClearingProject : kTextClearingCodeList));
    const bool cleared = projects ? binding_.LibClearProject(*number) : binding_.LibClearCodeList(*number);
    if (!cleared) {
      ShowMessageBox(FormatText(GetText(projects ? kTextProjectNotCleared : kTextCodeListNotCleared), {n}),
                     kMsgWarning, kBtnOk);
      continue;
    }
    if (name.empty()) continue;
    Statistics().SetStatusText(GetText(projects ? kTextSettingProject : kTextSettingCodeList));
    const bool set = projects ? binding_.LibSetProject(*number, name) : binding_.LibSetCodeList(*number, name);
    if (!set)
      ShowMessageBox(FormatText(GetText(projects ? kTextProjectNotSet : kTextCodeListNotSet), {n}), kMsgWarning,
                     kBtnOk);
  }
  Statistics().SetStatusText("");
}

}  // namespace veltro
