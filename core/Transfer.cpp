#include "core/Transfer.h"

#include <algorithm>
#include <cstring>

#include "core/CoordinateUnit.h"
#include "core/Fatal.h"
#include "core/Language.h"
#include "core/Messages.h"
#include "core/TextUtils.h"
#include "platform/Clock.h"
#include "platform/MessagePump.h"
#include "platform/Registry.h"

namespace veltro {
namespace {

// Adds a written record to the output: as it is when it is one line (the
// usual case), else split at its line ends.
void AddRecordLines(LineList& lines, std::string_view text) {
  // Two memchr scans: find_first_of tests every character against the set.
  if (!std::memchr(text.data(), '\n', text.size()) && !std::memchr(text.data(), '\r', text.size()))
    lines.push_back(text);
  else
    AppendTextLines(lines, text);
}

TransferWindow g_nullWindow;
StatisticsView g_nullStatistics;
InstrumentSide g_nullInstrument;
TransferSettings g_nullSettings;
TransferEnvironment g_env{&g_nullWindow, &g_nullStatistics, &g_nullInstrument, &g_nullSettings};
int g_transferDepth = 0;

TransferWindow& Window() { return *g_env.window; }
StatisticsView& Statistics() { return *g_env.statistics; }
InstrumentSide& Instrument() { return *g_env.instrument; }
TransferSettings& Settings() { return *g_env.settings; }

TGeraeteFormat& CurrentInstrumentFormat() {
  if (TGeraeteFormat* f = Instrument().CurrentGeraeteFormat()) return *f;
  ShowMessageBox("Es ist kein Instrument aktiv!", kMsgError, kBtnOk);
  FatalExit(1);
}

bool IsLevelInstrument() { return Instrument().CurrentInstrumentKind() == InstrumentKind::Nivellier; }

// The reset component of dmInit for a kind (last match wins), or nullptr.
TInitDaten* InitFor(TTransferDatenart tda) {
  TDataModule* m = DmInit();
  return m ? m->FindLast<TInitDaten>([tda](const TInitDaten& i) { return i.TransferDatenart == tda; }) : nullptr;
}

// Resets the part of the record that a line of this kind fills. Konstanten
// carries values from record to record and is never reset per record.
void ResetKind(TTransferDatenart tda, TDaten& daten) {
  if (tda == tdaKonstanten || tda == tdaNone) return;
  if (TInitDaten* init = InitFor(tda); init && init->OnInit) init->OnInit(daten);
}

void ReportMissingHandler(const FormatDescriptor& format) {
  // Original and NewFormat have no caption: their component name says which.
  ShowMessageBox(FormatText(GetText(608), {format.Caption.empty() ? format.Name : format.Caption}), kMsgInformation,
                 kBtnOk);
  CurrentTransfer().StopFlag = true;
}

// After a line the engine goes on after the line it started at, whatever a
// reader did to Zeile (readers that consume continuation lines move it on,
// group readers may move it back).
void AdvanceLine(TDaten& daten, int started) { daten.Konstanten.Zeile = std::max(daten.Konstanten.Zeile, started) + 1; }

std::string JoinFirst(const TextLines& list, size_t count) {
  std::string text;
  for (size_t i = 0; i < list.size() && i < count; ++i) {
    if (i) text += "\r\n";
    text += list[i];
  }
  return text;
}

// A long list is cut, but its total is always told.
void ShowListAndClear(TextLines& list, int kind) {
  if (list.empty()) return;
  std::string text = JoinFirst(list, kMaxListedEntries);
  if (list.size() > kMaxListedEntries)
    text += "\r\n" + FormatText(GetText(kTextEntriesInAll),
                                {std::to_string(list.size()), std::to_string(kMaxListedEntries)});
  ShowMessageBox(text, kind, kBtnOk);
  list.clear();
}

// A line that carries nothing a reader could take: blank, the end of a
// transmission, a DOS end-of-file mark.
bool IsEmptyLine(const std::string& line) {
  return line.find_first_not_of(" \t\x04\x1A") == std::string::npos;
}

std::string WithDataPath(const std::string& name) {
  if (HasDirectoryPart(name)) return name;
  std::string dir = Settings().DataPath();
  return dir.empty() ? name : IncludeTrailingSeparator(dir) + name;
}

// Pattern for the auto-named output of phase 2 by the format tag's kind letter.
std::string PatternForTag(const TDatenformatDefinitionen& office, const std::string& tag) {
  if (tag.empty()) return {};
  switch (tag[0]) {
    case 'd': return office.MessungenDateiname;
    case 'k': return office.KoordinatenDateiname;
    case 'p': return office.PunktcodeDateiname;
    case 'q': return office.QuerprofileDateiname;
    default: return {};
  }
}

}  // namespace

void KindSelection::Bind(FormatDescriptor& format, TTransferDatenart kind) {
  if (!format.OnSetTDA) return;
  TComponent** edit = format.EditBinding();
  const TComponent* editor = edit ? *edit : nullptr;
  if (format_ == &format && kind_ == kind && selected_ == format.TransferDatenart && readWrite_ == format.ReadWrite &&
      init_ == format.Init && edit_ == editor)
    return;
  format.OnSetTDA(kind);
  edit = format.EditBinding();
  format_ = &format;
  kind_ = kind;
  selected_ = format.TransferDatenart;
  readWrite_ = format.ReadWrite;
  init_ = format.Init;
  edit_ = edit ? *edit : nullptr;
}

// The line is data: its "#" must not be taken for an escape when shown.
void AddErrorLine(std::string_view line) {
  CurrentTransfer().Errors.push_back(GetText(188) + "\r\n" + EscapeMessageData(std::string(line)));
}

TransferState& CurrentTransfer() {
  static TransferState state;
  return state;
}

void SetTransferEnvironment(const TransferEnvironment& env) {
  g_env.window = env.window ? env.window : &g_nullWindow;
  g_env.statistics = env.statistics ? env.statistics : &g_nullStatistics;
  g_env.instrument = env.instrument ? env.instrument : &g_nullInstrument;
  g_env.settings = env.settings ? env.settings : &g_nullSettings;
}

const TransferEnvironment& CurrentTransferEnvironment() { return g_env; }

std::string DatedFileName(const std::string& path, const std::string& pattern) {
  std::string name = pattern;
  size_t star = name.find('*');
  if (star != std::string::npos) {
    name.replace(star, 1, FormatDate("DDMMYY", NowDateTime()));
  }
  return ExtractFilePath(path) + name;
}

bool LoadInputFile() {
  TransferState& t = CurrentTransfer();
  const bool loaded = !t.LoadedInputFile.empty() && t.LoadedInputFile == t.InputFileName;
  t.LoadedInputFile.clear();
  if (loaded) return true;
  t.InputLines.clear();
  if (!LoadTextFile(t.InputFileName, t.InputLines)) {
    t.InputLines.clear();
    ShowMessageBox(GetText(43), kMsgWarning, kBtnOk);
    return false;
  }
  return true;
}

namespace {
// Saves the output through save(path), asking for another name as long as
// a save fails; the output lines are cleared either way.
template <typename Save>
bool SaveOutput(Save save) {
  TransferState& t = CurrentTransfer();
  if (t.AutoNameFlag && FileExists(t.OutputFileName)) {
    int answer = ShowMessageBox(GetText(41) + " " + t.OutputFileName + " " + GetText(69), kMsgWarning, kBtnYesNo);
    if (answer != kAnsYes) {
      std::string name = t.OutputFileName;
      if (Window().AskSaveFileName(name)) {
        t.OutputFileName = name;
      } else {
        // Refused to overwrite and chose no other name: nothing is written.
        t.OutputLines.clear();
        return false;
      }
    }
  }
  bool saved = false;
  while (!saved && !t.OutputFileName.empty()) {
    if (save(t.OutputFileName)) {
      saved = true;
      break;
    }
    ShowMessageBox(GetText(47), kMsgWarning, kBtnOk);
    std::string name = t.OutputFileName;
    t.OutputFileName.clear();
    if (Window().AskSaveFileName(name)) t.OutputFileName = name;
  }
  t.OutputLines.clear();
  return saved;
}

// Text that SaveTextFile would write unchanged for its lines: every line
// ends with CR LF.
bool IsSavedForm(std::string_view text) {
  if (!text.empty() && !text.ends_with("\r\n")) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) return false;
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
  }
  return true;
}
}  // namespace

bool SaveOutputFile() {
  return SaveOutput([](const std::string& path) { return SaveTextFile(path, CurrentTransfer().OutputLines); });
}

bool SaveOutputText(std::string_view text) {
  TransferState& t = CurrentTransfer();
  t.OutputLines.clear();
  if (!IsSavedForm(text)) {
    AppendTextLines(t.OutputLines, text);
    return SaveOutputFile();
  }
  return SaveOutput([text](const std::string& path) { return SaveFileBytes(path, text); });
}

bool SaveOutputFromFile(const std::string& written, bool savedForm) {
  bool saved = false;
  if (savedForm) {
    saved = SaveOutput([&written](const std::string& path) { return PlaceFile(written, path); });
  } else {
    std::string text;
    if (LoadFileBytes(written, text)) {
      saved = SaveOutputText(text);
    } else {
      ShowMessageBox(GetText(47), kMsgWarning, kBtnOk);
      CurrentTransfer().OutputLines.clear();
    }
  }
  RemoveFile(written);
  return saved;
}

void StartTransferOnPage(const std::string& page) {
  switch (Window().FindPage(page)) {
    case TransferWindow::PageState::Missing:
      return;
    case TransferWindow::PageState::Hidden:
      ShowMessageBox(GetText(35), kMsgWarning, kBtnOk);
      return;
    case TransferWindow::PageState::Shown:
      Window().ActivatePage(page);
      // One switch only: a transfer started on the new page does not offer
      // a further switch.
      if (g_transferDepth < 2) Transfer_startenClick();
      return;
  }
}

std::string CheckInputFormat() {
  TransferState& t = CurrentTransfer();
  std::string answer = RecogniseFormat(ActiveFormat(), t.InputLines);
  if (!answer.empty()) return answer;

  std::string detected = DFD() ? RecogniseSource(*DFD(), t.InputLines) : std::string();
  if (!detected.empty()) {
    std::string page, caption;
    FindFormatByName(detected, &page, &caption);
    if (!page.empty() && page != Window().ActivePageName()) {
      if (g_transferDepth < 2) {
        int a = ShowMessageBox(GetText(18) + " " + caption + "\r\n" + GetText(25), kMsgWarning, kBtnYesNo);
        if (a == kAnsYes) StartTransferOnPage(page);
      }
      return "End";
    }
  }
  return detected;
}

int TransferPhase1(bool retry) {
  TransferState& t = CurrentTransfer();
  TDaten& daten = t.Daten;

  // 1. Common preparation. An unusable coordinate system stops the
  // transfer (stop flag) before any coordinate is converted.
  int result = 1;
  t.CancelFlag = false;
  t.StopFlag = false;
  t.FormatTag.clear();
  if (Instrument().CurrentInstrumentKind() == InstrumentKind::GPS) {
    Instrument().PrepareCoordinateSystem();
    if (t.StopFlag) return result;
  }
  InitialiseAll(daten);
  const int direction = Settings().Methode();
  const bool offline = Settings().TransOf();
  const bool direct = direction == 1 && !offline;
  TGeraeteFormat& instrument = CurrentInstrumentFormat();
  if (instrument.OnSetup) instrument.OnSetup();
  t.OutputLines.clear();
  t.Messages.clear();
  t.Errors.clear();
  t.RecordsWritten = 0;
  t.LinesNotRead = 0;
  Statistics().Reset();
  Window().LeaveActivePage();

  // 2. File names.
  t.InputFileName = WithDataPath(Window().InputFileField());
  t.OutputFileName = WithDataPath(Window().OutputFileField());

  // 3. Overwrite question.
  if (!direct && FileExists(t.OutputFileName) && !retry && !t.MergeFlag) {
    int a = ShowMessageBox(GetText(41) + " " + t.OutputFileName + " " + GetText(69), kMsgWarning, kBtnYesNo);
    if (a != kAnsYes) {
      Window().FocusOutputField();
      return 1;
    }
  }
  // 4. No output file name.
  if (!direct && ExtractFileName(t.OutputFileName).empty() && !t.AutoNameFlag) {
    ShowMessageBox(GetText(521), kMsgWarning, kBtnOk);
    Window().FocusOutputField();
    return 1;
  }

  // 5. Instrument to PC: the instrument side receives.
  if (direction != 1) return Instrument().ReceiveLines(retry);

  // 6. Office file to instrument lines.
  if (!t.EditorLines.empty() && Window().EditorPageActive()) {
    t.InputLines = t.EditorLines;
    t.LoadedInputFile.clear();
  } else if (!LoadInputFile()) {
    return 1;
  }
  std::string check = CheckInputFormat();
  if (check == "End") return 1;
  if (check.empty() && ShowMessageBox(GetText(172), kMsgWarning, kBtnYesNo) != kAnsYes) return 1;

  TDatenformatDefinitionen& office = ActiveFormat();
  if (instrument.OnSetTDA) instrument.OnSetTDA(office.TransferDatenart);
  if (instrument.OnInitWrite) instrument.OnInitWrite();
  if (t.AutoNameFlag) t.OutputFileName = DatedFileName(t.OutputFileName, instrument.KoordinatenDateiname);

  Statistics().Show();
  PumpMessagesNow();
  if (office.OnBeforeLoad) office.OnBeforeLoad(IsLevelInstrument());
  std::string extra;
  if (office.OnTransform && office.OnTransform(extra)) t.InputLines.push_back(extra);
  Statistics().SetStatusText(GetText(39));

  const bool passThrough = office.Name == "Original";
  const std::string start = TrimBlanks(office.Start);
  const std::string ende = TrimBlanks(office.Ende);
  t.ActiveLines = &t.InputLines;
  daten.Konstanten.Zeile = 0;
  // The line is copied (readers may add lines to the list), into one buffer
  // that keeps its capacity from line to line; so is the recognition text.
  std::string line, recognitionText;
  while (daten.Konstanten.Zeile >= 0 && static_cast<size_t>(daten.Konstanten.Zeile) < t.InputLines.size() &&
         !t.StopFlag) {
    const int current = daten.Konstanten.Zeile;
    line = t.InputLines[static_cast<size_t>(current)];

    bool isRecord;
    if (passThrough) {
      isRecord = true;
    } else if (!office.Start.empty() && line.find(office.Start) != std::string::npos) {
      isRecord = false;
    } else if (office.OnFormat) {
      if (office.FormatReadsText)
        TextFrom(t.InputLines, static_cast<size_t>(current), kFormatBufferSize, recognitionText);
      else
        recognitionText.clear();
      isRecord = !office.OnFormat(line, recognitionText).empty();
    } else {
      isRecord = false;
    }

    if (isRecord) {
      TReadWriteDaten* reader = office.ReadWrite;
      if (reader && reader->OnStatistik && !line.empty() && line != "\x04") {
        reader->OnStatistik(line, Statistics().Statistik());
        Statistics().Refresh();
      }
      ResetKind(office.TransferDatenart, daten);
      if (!reader || !reader->OnRead) {
        ReportMissingHandler(office);
      } else {
        t.NoRecord = false;
        reader->OnRead(line, daten);
        if (instrument.OnSetTDA) instrument.OnSetTDA(office.TransferDatenart);
        TReadWriteDaten* writer = instrument.ReadWrite;
        if (t.NoRecord) {
        } else if (!writer || !writer->OnWrite) {
          ReportMissingHandler(instrument);
        } else {
          std::string text = writer->OnWrite(daten);
          if (text == kWriteError) {
            AddErrorLine(line);
          } else if (!text.empty()) {
            ++t.RecordsWritten;
            AddRecordLines(t.ReceivedLines, text);
          }
        }
      }
    } else {
      std::string trimmed = TrimBlanks(line);
      if (trimmed != ende && trimmed != start) AddErrorLine(line);
    }

    t.InputLines.ReleaseResidentAt(static_cast<size_t>(current));
    AdvanceLine(daten, current);
    if (office.OnTransform) {
      std::string more;
      if (office.OnTransform(more)) t.InputLines.push_back(more);
    }
    PumpMessages();
  }
  t.ActiveLines = nullptr;

  if (instrument.OnAfterTrans) instrument.OnAfterTrans();
  Statistics().Reset();
  if (!t.StopFlag) {
    result = 0;
    if (t.AutoNameFlag) {
      switch (instrument.TransferDatenart) {
        case tdaKoordinate: t.OutputFileName = DatedFileName(t.OutputFileName, instrument.KoordinatenDateiname); break;
        case tdaQuerprofil: t.OutputFileName = DatedFileName(t.OutputFileName, instrument.QuerprofileDateiname); break;
        case tdaPunktcode: t.OutputFileName = DatedFileName(t.OutputFileName, instrument.PunktcodeDateiname); break;
        default: break;
      }
    }
  }
  return result;
}

void TransferPhase2() {
  TransferState& t = CurrentTransfer();
  TDaten& daten = t.Daten;
  InitialiseAll(daten);
  PumpMessagesNow();
  const int direction = Settings().Methode();

  if (direction == 1) {
    Instrument().SendLines();
    if (Window().TreeLayout() && Window().LeftFileField().empty()) {
      std::string path = Window().TreePath(t.OutputFileName);
      Window().SetLeftFileField(path);
      Window().ShowInLeftTree(path);
    }
  } else {
    TDatenformatDefinitionen& office = ActiveFormat();
    TGeraeteFormat& instrument = CurrentInstrumentFormat();
    Statistics().SetStatusText(GetText(44));
    if (t.AutoNameFlag) {
      std::string pattern = PatternForTag(office, t.FormatTag);
      if (!pattern.empty()) t.OutputFileName = DatedFileName(t.OutputFileName, pattern);
    }
    if (Settings().SaveSource() && !t.OutputFileName.empty()) {
      if (!SaveTextFile(t.OutputFileName + ".Original", t.ReceivedLines))
        ShowMessageBox(GetText(47), kMsgWarning, kBtnOk);
    }
    // A format that cannot write this transfer (it stops it before the
    // first record) leaves the output file alone.
    const bool stoppedBefore = t.StopFlag;
    if (office.OnBeforeSave) office.OnBeforeSave();
    const bool refused = t.StopFlag && !stoppedBefore;
    // Most records give one line: the output's entries are reserved once
    // instead of doubling beside the received lines.
    t.ReceivedLines.shrink_to_fit();
    t.OutputLines.reserve(t.OutputLines.size() + t.ReceivedLines.size() + 2);
    if (!office.Start.empty()) t.OutputLines.push_back(office.Start);

    t.ActiveLines = &t.ReceivedLines;
    daten.Konstanten.Zeile = 0;
    std::string line;  // as in phase 1: one buffer for the copies of the lines
    KindSelection instrumentKind, officeKind;
    while (daten.Konstanten.Zeile >= 0 && static_cast<size_t>(daten.Konstanten.Zeile) < t.ReceivedLines.size() &&
           !t.StopFlag) {
      const int current = daten.Konstanten.Zeile;
      line = t.ReceivedLines[static_cast<size_t>(current)];
      TTransferDatenart kind = instrument.OnGetDatenart ? instrument.OnGetDatenart(line) : tdaNone;
      if (kind != tdaNone) {
        instrumentKind.Bind(instrument, kind);
        officeKind.Bind(office, kind);
        ResetKind(kind, daten);
        TReadWriteDaten* reader = instrument.ReadWrite;
        if (!reader || !reader->OnRead) {
          ReportMissingHandler(instrument);
        } else {
          t.NoRecord = false;
          reader->OnRead(line, daten);
          TReadWriteDaten* writer = office.ReadWrite;
          if (t.NoRecord) {
          } else if (!writer || !writer->OnWrite) {
            ReportMissingHandler(office);
          } else {
            std::string text = writer->OnWrite(daten);
            if (text == kWriteError) {
              AddErrorLine(line);
            } else if (!text.empty()) {
              ++t.RecordsWritten;
              AddRecordLines(t.OutputLines, text);
            }
          }
        }
      } else if (!IsEmptyLine(line) && !(instrument.OnFrameLine && instrument.OnFrameLine(line))) {
        ++t.LinesNotRead;
      }
      t.ReceivedLines.ReleaseResidentAt(static_cast<size_t>(current));
      AdvanceLine(daten, current);
      PumpMessages();
    }
    // A stop is a stop also on the last line: its record may be cut short.
    const bool cutShort = t.StopFlag;
    t.ActiveLines = nullptr;

    if (!office.Ende.empty()) t.OutputLines.push_back(office.Ende);
    if (office.OnAfterSave) office.OnAfterSave();
    const bool nothing = t.RecordsWritten == 0;
    if (!refused && (nothing || Statistics().Position() + Statistics().Statistik().Codes == 0))
      ShowMessageBox(GetText(46), kMsgWarning, kBtnOk);
    if (t.LinesNotRead > 0)
      t.Messages.push_back(FormatText(GetText(kTextLinesNotRead), {std::to_string(t.LinesNotRead)}));

    // Without a single record, or refused by its format, an existing file
    // stays as it is; a cancelled conversion is saved only when the user
    // wants the part.
    if (nothing || refused) {
      t.OutputLines.clear();
    } else if (cutShort && ShowMessageBox(GetText(kTextOutputIncomplete), kMsgWarning, kBtnYesNo) != kAnsYes) {
      t.OutputLines.clear();
    } else {
      SaveOutputFile();
    }
    if (Window().TreeLayout() && Window().RightFileField().empty()) {
      std::string path = Window().TreePath(t.OutputFileName);
      Window().SetRightFileField(path);
      Window().ShowInRightTree(path);
    }
  }

  // 4. Common end.
  Statistics().SetStatusText("");
  ShowListAndClear(t.Messages, kMsgWarning);
  std::string libErrors = Instrument().LibGetErrorBuf();
  if (!libErrors.empty()) {
    TextLines lines;
    AppendTextLines(lines, libErrors);
    for (const std::string& line : lines) t.Errors.push_back(EscapeMessageData(line));
  }
  ShowListAndClear(t.Errors, kMsgError);

  // 5. Topocad after the transfer.
  if (Window().RunTopocadChecked() && direction == 0 && Window().TopocadPageShown() && FileExists(t.OutputFileName) &&
      !ShellOpen(t.OutputFileName))
    ShowMessageBox(FormatText(GetText(kTextNoOpener), {t.OutputFileName}), kMsgWarning, kBtnOk);
}

void TransformClick() {
  TransferState& t = CurrentTransfer();
  if (Settings().Viewer()) {
    std::string tag = Instrument().DetectFormatTag(TextFrom(t.ReceivedLines, 0, kFormatBufferSize));
    LineList edited = t.ReceivedLines;
    if (Window().ShowViewer(edited, tag)) t.ReceivedLines = std::move(edited);
  }
  TransferPhase2();
  if (Statistics().IsVisible()) Statistics().Close();
}

void Transfer_startenClick() {
  TransferState& t = CurrentTransfer();
  ++g_transferDepth;
  Window().SetStartTransferEnabled(false);
  const int direction = Settings().Methode();
  // Settings are read for every record: the file is not looked at anew each
  // time, and the coordinate unit is read once.
  RegistryBatch settingsBatch(RegistryRoot::CurrentUser);
  KoordUnitHold unitHold;

  if (Window().TreeLayout()) {
    std::string previous = Window().OutputFileField();
    t.AutoNameFlag = previous.empty() || !FileExists(previous);
    std::string input = direction == 1 ? Window().RightFileField() : Window().LeftFileField();
    std::string output = direction == 1 ? Window().LeftFileField() : Window().RightFileField();
    Window().SetInputFileField(input);
    Window().SetOutputFileField(output);
  } else {
    t.AutoNameFlag = false;
  }

  int answer = TransferPhase1(false);
  int restarts = 0;
  while (answer == 2) {
    if (++restarts > kMaxFormatRestarts) {
      ShowMessageBox(GetText(kTextTooManyRestarts), kMsgError, kBtnOk);
      answer = 1;
      break;
    }
    answer = TransferPhase1(true);
  }
  if (answer == 0) TransformClick();

  if (Statistics().IsVisible()) Statistics().Close();
  if (Window().TreeLayout()) {
    if (direction == 1)
      Window().FocusLeftTree();
    else
      Window().FocusRightTree();
  }
  Window().SetStartTransferEnabled(true);
  --g_transferDepth;
}

}  // namespace veltro
