#include "viewer/ManualInput.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileDialog>
#include <QShowEvent>
#include <algorithm>

#include "app/CodeListTexts.h"
#include "app/InputGrid.h"
#include "app/TranslateForm.h"
#include "core/Messages.h"
#include "core/Niederlassung.h"
#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "formats/office/Editor.h"
#include "instruments/CodeListen.h"
#include "platform/qt/QtMessageBox.h"

namespace veltro {
namespace {

using codetexts::TextOr;

constexpr int kTextPointNumber = 234;
constexpr int kTextY = 237;
constexpr int kTextX = 238;
constexpr int kTextHeight = 239;
constexpr int kTextCode = 235;
constexpr int kTextComment = 245;
constexpr int kTextSaveNew = 537;
constexpr int kTextSaveChanges = 568;
constexpr int kTextBadRow = 569;      // %d row
constexpr int kTextNoPointList = 570;
constexpr int kTextFilter = 591;
constexpr int kTextCannotOpen = 70;
constexpr int kTextCannotSave = 72;

constexpr int kFields = 6;  // point number, Y, X, height, code, comment
constexpr int kColumns = kFields + 1;
constexpr int kNumberColumns[] = {2, 3, 4};  // Y, X, height
constexpr int kNewRows = 10;
constexpr int kCommentWidth = 120;  // pixels
constexpr char kSeparator = ';';

// A decimal number: optional sign, digits with at most one '.', at least one digit.
bool IsDecimal(const std::string& text) {
  size_t i = text.empty() || (text[0] != '+' && text[0] != '-') ? 0 : 1;
  bool digit = false, point = false;
  for (; i < text.size(); ++i) {
    if (text[i] >= '0' && text[i] <= '9')
      digit = true;
    else if (text[i] == '.' && !point)
      point = true;
    else
      return false;
  }
  return digit;
}

bool IsNumberColumn(int column) {
  return std::find(std::begin(kNumberColumns), std::end(kNumberColumns), column) != std::end(kNumberColumns);
}

// A number cell as the list holds it ("." as decimal point) and as the grid
// shows it (the system's separator).
std::string ListNumber(std::string text) {
  const char local = SystemDecimalSeparator();
  if (local != '.') std::replace(text.begin(), text.end(), local, '.');
  return TrimBlanks(text);
}
std::string GridNumber(std::string text) {
  const char local = SystemDecimalSeparator();
  if (local != '.') std::replace(text.begin(), text.end(), '.', local);
  return text;
}

}  // namespace

TfrmManualInput::TfrmManualInput(TdmEditor& editor, QWidget* parent, TextLines* list)
    : QDialog(parent), editor_(editor), list_(list ? list : &TdmEditor::Punktliste()) {
  setObjectName("TfrmManualInput");
  setWindowTitle("Koordinateneingabe");

  const InputFrame frame = BuildInputFrame(
      this,
      {"InputKoordinaten", "OpenDialog", "SaveDialog", kColumns, kTextFilter,
       "Textdateien (*.xyz)|*.xyz|Alle Dateien (*.*)|*.*", "Koordinaten", "Beendet die Koordinateneingabe"},
      chooseOpenFile, chooseSaveFile);
  grid_ = frame.grid;
  grid_->spread = [this](const QString& text) { PasteText(grid_->currentRow(), grid_->currentColumn(), text); };
  grid_->edited = [this] { modified_ = true; };
  grid_->setColumnWidth(kFields, kCommentWidth);
  connect(grid_, &QTableWidget::itemChanged, this, [this] { modified_ = true; });
  connect(frame.create, &QAction::triggered, this, &TfrmManualInput::NewClick);
  connect(frame.open, &QAction::triggered, this, &TfrmManualInput::OpenClick);
  connect(frame.save, &QAction::triggered, this, [this] { SaveClick(); });
  connect(frame.saveAs, &QAction::triggered, this, [this] { SaveAsClick(); });
  connect(frame.end, &QAction::triggered, this, &TfrmManualInput::EndClick);
  if (QFileDialog* save = findChild<QFileDialog*>("SaveDialog")) save->setDefaultSuffix("xyz");
  resize(640, 400);

  Translate();
  ShowHeldList();
}

void TfrmManualInput::Translate() {
  TranslateForm(this);
  const bool swapped = ActiveNiederlassung().ShowXY;
  grid_->setHorizontalHeaderLabels({QString(), ColumnTitle(kTextPointNumber, "Punktnummer"),
                                    swapped ? ColumnTitle(kTextX, "X-Koordinate") : ColumnTitle(kTextY, "Y-Koordinate"),
                                    swapped ? ColumnTitle(kTextY, "Y-Koordinate") : ColumnTitle(kTextX, "X-Koordinate"),
                                    ColumnTitle(kTextHeight, "H\xF6he"), ColumnTitle(kTextCode, "Code"),
                                    ColumnTitle(kTextComment, "Kommentar")});
}

void TfrmManualInput::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  closing_ = false;
  Translate();
  // Shown again later: the list may have changed meanwhile.
  if (!modified_) ShowHeldList();
}

void TfrmManualInput::ShowHeldList() {
  const TextLines points = PointListLines(*list_, false);
  if (points.empty())
    grid_->Clear(kNewRows);
  else
    FillGrid(points);
  modified_ = false;
}

bool TfrmManualInput::MayDropRows() {
  grid_->CommitEdit();
  if (!modified_) return true;
  const bool named = !fileName_.empty();
  const std::string question =
      named ? TextOr(kTextSaveChanges, "Die Daten wurden ge\xE4ndert. Sollen die \xC4nderungen gespeichert werden?")
            : TextOr(kTextSaveNew,
                     "Die Daten wurden noch nicht gespeichert. Sollen sie in einer Datei gespeichert werden?");
  if (ShowMessageBox(question, kMsgInformation, kBtnYesNo) != kAnsYes) return true;
  return SaveClick();
}

void TfrmManualInput::NewClick() {
  if (!MayDropRows()) return;
  grid_->Clear(kNewRows);
  fileName_.clear();
  modified_ = false;
}

void TfrmManualInput::FillGrid(const TextLines& lines) {
  grid_->FillRows(lines, kSeparator, [](int column, const std::string& field) {
    return FromAnsi(IsNumberColumn(column) ? GridNumber(field) : field);
  });
}

bool TfrmManualInput::CollectRows(TextLines& lines) {
  grid_->CommitEdit();
  lines.clear();
  bool ok = true;
  for (int r = 0; r < grid_->rowCount(); ++r) {
    std::vector<std::string> cells;
    bool any = false, separator = false;
    for (int c = 1; c < kColumns; ++c) {
      std::string cell = ToAnsi(grid_->Cell(r, c));
      separator = separator || cell.find(kSeparator) != std::string::npos;
      if (IsNumberColumn(c)) cell = ListNumber(cell);
      any = any || !TrimBlanks(cell).empty();
      cells.push_back(std::move(cell));
    }
    if (!any) continue;  // a blank row is skipped
    const bool valid = !separator && !TrimBlanks(cells[0]).empty() && IsDecimal(cells[1]) && IsDecimal(cells[2]) &&
                       (cells[3].empty() || IsDecimal(cells[3]));
    if (!valid) {
      ok = false;
      ShowMessageBox(FormatText(TextOr(kTextBadRow, "Zeile %d: Punktnummer, Y und X m\xFCssen ausgef\xFCllt und Y, X und "
                                                    "H\xF6he Zahlen sein."),
                                {std::to_string(r + 1)}),
                     kMsgError, kBtnOk);
      continue;
    }
    std::string line = cells[0];
    for (size_t i = 1; i < cells.size(); ++i) line += kSeparator + cells[i];
    lines.push_back(std::move(line));
  }
  return ok;
}

void TfrmManualInput::OpenClick() {
  if (!MayDropRows()) return;
  std::string path;
  if (!chooseOpenFile || !chooseOpenFile(path)) return;
  TextLines lines;
  if (!LoadTextFile(path, lines)) {
    ShowMessageBox(FormatText(TextOr(kTextCannotOpen,
                                     "Die Datei kann nicht ge\xF6"
                                     "ffnet werden."),
                              {path}),
                   kMsgError, kBtnOk);
    return;
  }
  if (!lines.empty() && !editor_.IsKoordinatenLine(lines.front())) {
    ShowMessageBox(TextOr(kTextNoPointList, "Die Datei enth\xE4lt keine g\xFCltige Koordinatenliste."), kMsgError,
                   kBtnOk);
    return;
  }
  fileName_ = path;
  if (lines.empty())
    grid_->Clear(kNewRows);
  else
    FillGrid(lines);
  modified_ = false;
}

bool TfrmManualInput::WriteFile(const TextLines& lines) {
  if (SaveTextFile(fileName_, lines)) return true;
  ShowMessageBox(FormatText(TextOr(kTextCannotSave, "Die Datei kann nicht gespeichert werden."), {fileName_}),
                 kMsgError, kBtnOk);
  return false;
}

bool TfrmManualInput::SaveClick() {
  TextLines lines;
  if (!CollectRows(lines)) {
    modified_ = true;
    return false;
  }
  if (fileName_.empty()) {
    std::string path;
    if (!chooseSaveFile || !chooseSaveFile(path) || path.empty()) return false;
    fileName_ = path;
  }
  ReplacePointListLines(*list_, false, lines);
  if (!WriteFile(lines)) return false;
  modified_ = false;
  return true;
}

bool TfrmManualInput::SaveAsClick() {
  TextLines lines;
  if (!CollectRows(lines)) return false;
  std::string path;
  if (!chooseSaveFile || !chooseSaveFile(path) || path.empty()) return false;
  fileName_ = path;
  return SaveClick();
}

void TfrmManualInput::EndClick() {
  TextLines lines;
  if (!CollectRows(lines)) return;
  if (modified_ && !MayDropRows()) return;
  ReplacePointListLines(*list_, false, lines);
  closing_ = true;
  QDialog::accept();
}

void TfrmManualInput::reject() { EndClick(); }

void TfrmManualInput::closeEvent(QCloseEvent* event) {
  if (!closing_) EndClick();
  if (isVisible())
    event->ignore();
  else
    event->accept();
}

void TfrmManualInput::MoveToNextCell() { grid_->MoveToNext(); }

void TfrmManualInput::PasteText(int row, int column, const QString& text) {
  grid_->Spread(row, column, text);
  modified_ = true;
}

void ShowManualInput(TdmEditor& editor, QWidget* parent) {
  TfrmManualInput window(editor, parent);
  window.exec();
}

}  // namespace veltro
