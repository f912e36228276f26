#include "app/CodeInput.h"

#include <QAction>
#include <QHeaderView>
#include <QShowEvent>
#include <QTableWidget>

#include "app/CodeListTexts.h"
#include "app/InputGrid.h"
#include "app/TranslateForm.h"
#include "core/Messages.h"
#include "core/Transfer.h"
#include "instruments/CodeListen.h"
#include "platform/qt/QtMessageBox.h"

namespace veltro {
namespace {

using codetexts::TextOr;

constexpr int kTextCaption = 572;
constexpr int kTextCode = 235;
constexpr int kTextEntity = 260;
constexpr int kTextLayer = 261;
constexpr int kTextFilter = 592;
constexpr int kTextNotACodeList = 590;
constexpr int kTextBadRow = 589;
constexpr int kTextSaveChanges = 568;
constexpr int kTextSaveNew = 537;
constexpr int kTextCannotOpen = 70;
constexpr int kTextCannotSave = 72;

constexpr int kColumns = 4;  // number column + code, entity, layer
constexpr int kNewRows = 10;

}  // namespace

TfrmCodeInput::TfrmCodeInput(QWidget* parent, TextLines* list)
    : QDialog(parent), list_(list ? list : &CurrentTransfer().EditorLines) {
  setObjectName("TfrmCodeInput");
  SetTextNumber(this, kTextCaption);
  setWindowTitle("Eingabe von Codes");

  const InputFrame frame =
      BuildInputFrame(this,
                      {"InputCodes", "LadeCode", "SaveCode", kColumns, kTextFilter,
                       "Codedateien (*.cod)|*.cod|Alle Dateien (*.*)|*.*", "Codes", "Beendet die Codeeingabe"},
                      chooseOpenFile, chooseSaveFile);
  grid_ = frame.grid;
  grid_->spread = [this](const QString& text) { PasteText(grid_->currentRow(), grid_->currentColumn(), text); };
  grid_->edited = [this] { modified_ = true; };
  grid_->horizontalHeader()->setStretchLastSection(true);
  connect(grid_, &QTableWidget::itemChanged, this, [this] { modified_ = true; });
  connect(frame.create, &QAction::triggered, this, &TfrmCodeInput::NewClick);
  connect(frame.open, &QAction::triggered, this, &TfrmCodeInput::OpenClick);
  connect(frame.save, &QAction::triggered, this, [this] { SaveClick(); });
  connect(frame.saveAs, &QAction::triggered, this, [this] { SaveAsClick(); });
  connect(frame.end, &QAction::triggered, this, &TfrmCodeInput::EndClick);
  resize(480, 360);

  Translate();
  ShowList();
}

void TfrmCodeInput::Translate() {
  TranslateForm(this);
  grid_->SetColumnTitles(
      {ColumnTitle(kTextCode, "Code"), ColumnTitle(kTextEntity, "Symbolnummer"), ColumnTitle(kTextLayer, "Layer")});
}

void TfrmCodeInput::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  Translate();
  // Shown again later: the list may have changed meanwhile.
  if (!modified_) ShowList();
}

void TfrmCodeInput::NewClick() {
  grid_->Clear(kNewRows);
  modified_ = false;
}

void TfrmCodeInput::ShowList() {
  const TextLines codes = PointListLines(*list_, true);
  if (codes.empty())
    NewClick();
  else
    FillRows(codes);
}

void TfrmCodeInput::FillRows(const TextLines& lines) {
  grid_->FillRows(lines, kPointCodeSeparator, [](int, const std::string& field) { return FromAnsi(field); });
}

bool TfrmCodeInput::TakeOver() {
  grid_->CommitEdit();
  TextLines codes;
  bool ok = true;
  for (int r = 0; r < grid_->rowCount(); ++r) {
    std::vector<std::string> cells;
    for (int c = 1; c < kColumns; ++c) cells.push_back(ToAnsi(grid_->Cell(r, c)));
    const std::string line = PointCodeRowLine(cells);
    if (line.empty()) continue;
    if (IsValidPointCodeLine(line)) {
      codes.push_back(line);
    } else {
      ok = false;
      ShowMessageBox(FormatText(TextOr(kTextBadRow, "Zeile %d: der Code fehlt oder die Symbolnummer ist keine Zahl."),
                                {std::to_string(r + 1)}),
                     kMsgError, kBtnOk);
    }
  }
  // Only a whole valid grid replaces the list's point codes.
  if (ok) ReplacePointListLines(*list_, true, codes);
  return ok;
}

void TfrmCodeInput::OpenClick() {
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
  // A file of other lines is refused; grid and list keep what they hold.
  if (!lines.empty() && !IsPointCodeLine(lines.front())) {
    ShowMessageBox(TextOr(kTextNotACodeList, "Die Datei enth\xE4lt keine g\xFCltige Codeliste."), kMsgError, kBtnOk);
    return;
  }
  fileName_ = path;
  FillRows(lines);
  modified_ = false;
}

bool TfrmCodeInput::SaveClick() {
  if (fileName_.empty()) {
    std::string path;
    if (!chooseSaveFile || !chooseSaveFile(path) || path.empty()) return false;
    fileName_ = path;
  }
  if (!TakeOver()) return false;
  if (!SaveTextFile(fileName_, PointListLines(*list_, true))) {
    ShowMessageBox(FormatText(TextOr(kTextCannotSave, "Die Datei kann nicht gespeichert werden."), {fileName_}),
                   kMsgError, kBtnOk);
    return false;
  }
  modified_ = false;
  ShowList();
  return true;
}

bool TfrmCodeInput::SaveAsClick() {
  std::string path;
  if (!chooseSaveFile || !chooseSaveFile(path) || path.empty()) return false;
  fileName_ = path;
  return SaveClick();
}

bool TfrmCodeInput::FinishInput() {
  if (!TakeOver()) return false;
  if (!modified_) return true;
  const int question = fileName_.empty() ? kTextSaveNew : kTextSaveChanges;
  const char* fallback = fileName_.empty()
                             ? "Die Daten wurden noch nicht gespeichert. Sollen sie in einer Datei gespeichert werden?"
                             : "Die Daten wurden ge\xE4ndert. Sollen die \xC4nderungen gespeichert werden?";
  if (ShowMessageBox(TextOr(question, fallback), kMsgConfirmation, kBtnYesNo) == kAnsYes) SaveClick();
  return true;
}

void TfrmCodeInput::EndClick() {
  if (FinishInput()) accept();
}

void TfrmCodeInput::reject() {
  if (FinishInput()) QDialog::reject();
}

void TfrmCodeInput::MoveToNextCell() { grid_->MoveToNext(); }

void TfrmCodeInput::PasteText(int row, int column, const QString& text) {
  grid_->Spread(row, column, text);
  modified_ = true;
}

}  // namespace veltro
