#include "viewer/ViewerModel.h"

#include <algorithm>
#include <utility>

#include "core/DatenformatDefinitionen.h"
#include "core/EditorPanels.h"
#include "core/Messages.h"
#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "formats/instrument/CheckFormate.h"
#include "instruments/InstrumentenModul.h"
#include "platform/MessagePump.h"

namespace veltro {
namespace {

constexpr int kTextCannotOpen = 70;
constexpr int kTextCannotSave = 72;
constexpr int kTextSaveChanges = 568;
constexpr int kTextNotEditable = 614;
constexpr int kTextNotWritten = 820;

// While a format handler runs for the viewer, the viewer's lines are the
// list readers read ahead in, and the transfer record's Zeile is the line
// handed over (kind-of-line handlers look at the lines around it there).
class ActiveLinesScope {
 public:
  ActiveLinesScope(const LineList* lines, int line)
      : previous_(CurrentTransfer().ActiveLines), previousLine_(CurrentTransfer().Daten.Konstanten.Zeile) {
    CurrentTransfer().ActiveLines = lines;
    CurrentTransfer().Daten.Konstanten.Zeile = line;
  }
  ~ActiveLinesScope() {
    CurrentTransfer().ActiveLines = previous_;
    CurrentTransfer().Daten.Konstanten.Zeile = previousLine_;
  }
  ActiveLinesScope(const ActiveLinesScope&) = delete;
  ActiveLinesScope& operator=(const ActiveLinesScope&) = delete;

 private:
  const LineList* previous_;
  int previousLine_;
};

}  // namespace

ViewerModel::ViewerModel(TGeraete& geraete) : geraete_(geraete) {
  detect = [](const std::string& text) { return DetectFormat(text); };
}

// ---- Text and caret -------------------------------------------------------------

void ViewerModel::SetCurrentLine(int line) {
  const int n = LineCount();
  current_ = n == 0 ? 0 : std::clamp(line, 0, n - 1);
}

size_t ViewerModel::SelectionLength(std::string_view line) {
  const size_t mark = line.find(kEndOfFileMark);
  return mark == std::string::npos ? line.size() : mark;
}

std::string ViewerModel::Selection(int line) const {
  if (line < 0 || line >= LineCount()) return {};
  const std::string_view text = lines_[static_cast<size_t>(line)];
  return std::string(text.substr(0, SelectionLength(text)));
}

std::string ViewerModel::SelectedText() const { return Selection(current_); }

// ---- Moves ------------------------------------------------------------------------

bool ViewerModel::MoveLine(ViewerDirection direction) {
  const int n = LineCount();
  if (n == 0) return false;
  current_ = direction == ViewerDirection::Next ? (current_ + 1) % n : (current_ + n - 1) % n;
  return true;
}

bool ViewerModel::IsRecord(int line) const {
  std::string selection = Selection(line);
  ActiveLinesScope scope(&lines_, line);
  return format_->OnEditNext(selection);
}

EditorPanelSetup* ViewerModel::Panels() const { return editor_ ? editor_->Panels() : nullptr; }

bool ViewerModel::MoveRecord(ViewerDirection direction) {
  const int n = LineCount();
  if (n == 0 || moving_) return false;
  if (!format_ || !format_->OnEditNext) return MoveLine(direction);
  moving_ = true;
  const int start = current_;
  const unsigned generation = generation_;
  bool found = false;
  // At most one full pass: the n-th step is back on the start line.
  for (int step = 0; step < n && !found; ++step) {
    MoveLine(direction);
    found = IsRecord(current_);
    if (!found) {
      PumpMessages();
      if (generation != generation_) break;  // the text was replaced meanwhile
    }
  }
  moving_ = false;
  if (generation != generation_) return false;
  if (!found) current_ = start;
  return found;
}

bool ViewerModel::FirstRecord() { return EndRecord(ViewerDirection::Next); }

bool ViewerModel::LastRecord() { return EndRecord(ViewerDirection::Previous); }

bool ViewerModel::EndRecord(ViewerDirection from) {
  const int n = LineCount();
  if (n == 0 || moving_) return false;
  const bool top = from == ViewerDirection::Next;
  if (!format_ || !format_->OnEditNext) {
    current_ = top ? 0 : n - 1;
    return true;
  }
  moving_ = true;
  const unsigned generation = generation_;
  int found = -1;
  for (int line = top ? 0 : n - 1; line >= 0 && line < n && found < 0 && generation == generation_;
       line += top ? 1 : -1) {
    if (IsRecord(line))
      found = line;
    else
      PumpMessages();
  }
  moving_ = false;
  if (found < 0 || generation != generation_) return false;
  current_ = found;
  return true;
}

bool ViewerModel::StartsWithMarker(std::string_view line) const {
  const std::string& markers = format_->MainElement;
  size_t start = 0;
  while (start <= markers.size()) {
    size_t end = markers.find(';', start);
    if (end == std::string::npos) end = markers.size();
    const size_t length = end - start;
    if (length > 0 && line.size() >= length && line.compare(0, length, markers, start, length) == 0) return true;
    start = end + 1;
  }
  return false;
}

bool ViewerModel::MoveStation(ViewerDirection direction) {
  if (!format_ || format_->MainElement.empty()) return false;
  const int n = LineCount();
  const int step = direction == ViewerDirection::Next ? 1 : -1;
  for (int line = current_ + step; line >= 0 && line < n; line += step) {
    if (StartsWithMarker(lines_[static_cast<size_t>(line)])) {
      current_ = line;
      return true;
    }
  }
  return false;
}

// ---- Loading and saving -------------------------------------------------------------

std::string ViewerModel::FileFilter() const {
  TInstrument& instrument = geraete_.CurrentInstrument();
  std::string filter = GetText(instrument.Dateifilter);
  if (instrument.GeraeteFormat) filter += GetText(instrument.GeraeteFormat->Dateifilter);
  return filter;
}

std::string ViewerModel::DefaultExtension() const { return FilterExtension(FileFilter()); }

std::string ViewerModel::WithDefaultExtension(const std::string& name, const std::string& extension) {
  if (extension.empty() || name.empty() || ExtractFileName(name).find('.') != std::string::npos) return name;
  return name + "." + extension;
}

void ViewerModel::ReplaceText(LineList lines) {
  lines_ = std::move(lines);
  ++generation_;
  current_ = 0;
  prepared_ = false;
  modified_ = true;
  if (onLinesChanged) onLinesChanged(0, -1, LineCount());
}

void ViewerModel::Recognise(bool keepTagWhenUnknown) {
  TransferState& t = CurrentTransfer();
  const std::string tag = detect ? detect(TextFrom(lines_, 0, kFormatBufferSize)) : std::string();
  if (!tag.empty() || !keepTagWhenUnknown) t.FormatTag = tag;
  const std::string& inForce = t.FormatTag;
  format_ = &geraete_.FindGeraeteFormat(inForce.size() > 1 ? inForce.substr(1) : std::string(), true);
}

bool ViewerModel::OpenFile(const std::string& path) {
  LineList lines;
  if (path.empty() || !LoadTextFile(path, lines)) {
    ShowMessageBox(GetText(kTextCannotOpen), kMsgInformation, kBtnOk);
    return false;
  }
  fileName_ = path;
  previousFileName_.clear();
  loaded_ = true;
  ReplaceText(std::move(lines));
  if (!lines_.empty()) {
    Recognise(false);
    ActiveLinesScope scope(&lines_, 0);
    if (format_->OnPrepEditor) {
      LineList prepared;
      AppendTextLines(prepared, format_->OnPrepEditor(JoinLines(lines_)));
      ReplaceText(std::move(prepared));
    }
    EditorPanelsScope panels(Panels());
    if (format_->OnInitEditor) format_->OnInitEditor();
  }
  unsaved_ = false;
  FirstRecord();
  return true;
}

void ViewerModel::ShowLines(const LineList& lines) {
  // Lines that are no file: saving them asks for a name.
  fileName_.clear();
  previousFileName_.clear();
  loaded_ = true;
  ReplaceText(lines);
  if (!lines_.empty()) {
    Recognise(true);
    ActiveLinesScope scope(&lines_, 0);
    EditorPanelsScope panels(Panels());
    if (format_->OnInitEditor) format_->OnInitEditor();
  }
  unsaved_ = false;
  FirstRecord();
}

bool ViewerModel::SaveUnder(bool ask) {
  std::string name = fileName_;
  if (ask) {
    std::string chosen = previousFileName_;
    if (!askSaveName || !askSaveName(chosen) || chosen.empty()) return false;
    name = WithDefaultExtension(chosen, DefaultExtension());
  }
  if (name.empty()) return false;
  if (!SaveTextFile(name, lines_)) {
    ShowMessageBox(GetText(kTextCannotSave), kMsgInformation, kBtnOk);
    return false;
  }
  fileName_ = name;
  unsaved_ = false;
  return true;
}

bool ViewerModel::Save() { return SaveUnder(fileName_.empty()); }

bool ViewerModel::SaveAs() {
  previousFileName_ = fileName_;
  fileName_.clear();
  const bool saved = SaveUnder(true);
  if (!saved) fileName_ = previousFileName_;
  previousFileName_.clear();
  return saved;
}

bool ViewerModel::ConfirmDiscard() {
  if (fileName_.empty() || !unsaved_) return true;
  const int answer = ShowMessageBox(GetText(kTextSaveChanges), kMsgConfirmation, kBtnYes | kBtnNo | kBtnCancel);
  if (answer == kAnsYes) return Save();
  if (answer != kAnsNo) return false;
  unsaved_ = false;  // the user chose to drop the changes
  return true;
}

// ---- Format and record ----------------------------------------------------------------

TTransferDatenart ViewerModel::KindOf(int line) const {
  if (!format_ || !format_->OnGetDatenart || line < 0 || line >= LineCount()) return tdaNone;
  std::string selection = Selection(line);
  ActiveLinesScope scope(&lines_, line);
  return format_->OnGetDatenart(selection);
}

bool ViewerModel::PrepareEdit() {
  prepared_ = false;
  kind_ = tdaNone;
  if (lines_.empty() || !format_) return false;
  if (!format_->Modify) {
    ShowMessageBox(GetText(kTextNotEditable), kMsgInformation, kBtnOk);
    return false;
  }
  InitialiseAll(record_);
  first_ = last_ = current_;
  record_.Konstanten.Startzeile = record_.Konstanten.Zeile = current_;
  if (editor_) editor_->ClearRemark();

  std::string line = SelectedText();
  {
    ActiveLinesScope scope(&lines_, current_);
    EditorPanelsScope panels(Panels());
    kind_ = format_->OnGetDatenart ? format_->OnGetDatenart(line) : tdaNone;
    if (format_->OnSetTDA) format_->OnSetTDA(kind_);
    TReadWriteDaten* reader = format_->ReadWrite;
    if (kind_ != tdaNone && reader && reader->OnRead) {
      reader->OnRead(line, record_);
      // A reader may step back to the head of its record or run on over
      // further lines; the record keeps at least its own line and stays
      // inside the text.
      first_ = std::clamp(record_.Konstanten.Startzeile, 0, current_);
      last_ = std::clamp(record_.Konstanten.Zeile, current_, LineCount() - 1);
    }
  }
  record_.Konstanten.Startzeile = first_;
  record_.Konstanten.Zeile = last_;
  read_ = record_;

  const bool editable = kind_ != tdaNone && !SelectedText().empty();
  if (!editable && editor_) editor_->ShowNoData();
  prepared_ = editable;
  return editable;
}

std::string ViewerModel::RecordText(int first, int last) const {
  std::string text;
  for (int i = first; i <= last; ++i) {
    if (i > first) text += "\r\n";
    text += Selection(i);
  }
  return text;
}

bool ViewerModel::CanWriteBack() const {
  const TReadWriteDaten* writer = format_ ? format_->ReadWrite : nullptr;
  return prepared_ && writer && (writer->OnWriteBack || writer->OnWrite);
}

bool ViewerModel::WriteBack() {
  const int n = LineCount();
  if (!prepared_ || !format_ || first_ >= n) return false;
  const int remembered = current_;
  TReadWriteDaten* writer = format_->ReadWrite;
  const bool rewrite = writer && writer->OnWriteBack;
  const int first = first_;
  const int last = rewrite || format_->MoreLine ? std::min(last_, n - 1) : first_;
  std::string text;
  if (rewrite) {
    ActiveLinesScope scope(&lines_, first);
    text = writer->OnWriteBack(RecordText(first, last), read_, record_);
  } else if (writer && writer->OnWrite) {
    text = writer->OnWrite(record_);
  }
  if (text.empty() || text == kWriteError) {
    if (!(rewrite && text == kWriteError)) ShowMessageBox(GetText(kTextNotWritten), kMsgWarning, kBtnOk);
    return false;
  }
  TextLines written = SplitLines(text);
  // What follows an end mark on the record's last line stays behind it.
  const std::string_view lastLine = lines_[static_cast<size_t>(last)];
  written.back() += lastLine.substr(SelectionLength(lastLine));

  const int added = static_cast<int>(written.size());
  lines_.erase(lines_.begin() + first, lines_.begin() + last + 1);
  for (size_t i = 0; i < written.size(); ++i) lines_.insert(lines_.begin() + first + static_cast<long>(i), written[i]);
  ++generation_;
  modified_ = unsaved_ = true;
  // The record now is the written lines; a second save replaces them.
  last_ = first + added - 1;
  record_.Konstanten.Startzeile = first_;
  record_.Konstanten.Zeile = last_;
  record_.Konstanten.Originalzeilen = RecordText(first, last_);
  read_ = record_;
  SetCurrentLine(remembered);
  if (onLinesChanged) onLinesChanged(first, last - first + 1, added);
  return true;
}

}  // namespace veltro
