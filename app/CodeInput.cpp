#include "app/CodeInput.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QMenuBar>
#include <QShowEvent>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/CodeListTexts.h"
#include "app/InputGrid.h"
#include "app/TranslateForm.h"
#include "core/Messages.h"
#include "core/Settings.h"
#include "core/Transfer.h"
#include "instruments/CodeListen.h"
#include "platform/Registry.h"
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
constexpr int kNumberWidth = 40;

}  // namespace

TfrmCodeInput::TfrmCodeInput(QWidget* parent, TextLines* list)
    : QDialog(parent), list_(list ? list : &CurrentTransfer().EditorLines) {
  setObjectName("TfrmCodeInput");
  SetTextNumber(this, kTextCaption);
  setWindowTitle("Eingabe von Codes");

  grid_ = new InputGrid(kNewRows, kColumns, this);
  grid_->nextCell = [this] { MoveToNextCell(); };
  grid_->spread = [this](const QString& text) { PasteText(grid_->currentRow(), grid_->currentColumn(), text); };
  grid_->edited = [this] { modified_ = true; };
  grid_->setObjectName("InputCodes");
  grid_->verticalHeader()->hide();
  grid_->setColumnWidth(0, kNumberWidth);
  grid_->horizontalHeader()->setStretchLastSection(true);
  connect(grid_, &QTableWidget::itemChanged, this, [this] {
    if (!filling_) modified_ = true;
  });

  const std::string dataPath = ReadRegString(RegistryRoot::CurrentUser, ConfigPath(kSettingDataPath), "");
  const QStringList filters =
      codetexts::FileFilters(TextOr(kTextFilter, "Codedateien (*.cod)|*.cod|Alle Dateien (*.*)|*.*"));
  ladeCode_ = new QFileDialog(this);
  ladeCode_->setObjectName("LadeCode");
  ladeCode_->setAcceptMode(QFileDialog::AcceptOpen);
  ladeCode_->setFileMode(QFileDialog::ExistingFile);
  ladeCode_->setNameFilters(filters);
  saveCode_ = new QFileDialog(this);
  saveCode_->setObjectName("SaveCode");
  saveCode_->setAcceptMode(QFileDialog::AcceptSave);
  saveCode_->setNameFilters(filters);
  if (!dataPath.empty()) {
    ladeCode_->setDirectory(QFile::decodeName(dataPath.c_str()));
    saveCode_->setDirectory(QFile::decodeName(dataPath.c_str()));
  }
  chooseOpenFile = [this](std::string& path) {
    if (ladeCode_->exec() != QDialog::Accepted || ladeCode_->selectedFiles().isEmpty()) return false;
    path = LocalPath(ladeCode_->selectedFiles().front());
    return true;
  };
  chooseSaveFile = [this](std::string& path) {
    if (saveCode_->exec() != QDialog::Accepted || saveCode_->selectedFiles().isEmpty()) return false;
    path = LocalPath(saveCode_->selectedFiles().front());
    return true;
  };

  auto action = [this](const char* name, const char* text, const char* hint) {
    auto* a = new QAction(FromAnsi(text), this);
    a->setObjectName(name);
    a->setToolTip(FromAnsi(hint));
    return a;
  };
  actNew_ = action("New", "&Neu", "Leert die Maske f\xFCr Neueingaben");
  actOpen_ = action("Open", "\xD6&ffnen...",
                    "\xD6"
                    "ffnet eine Datei mit Codes");
  actSave_ = action("Save", "&Speichern", "Speichert die Codes in einer Datei");
  actSaveAs_ = action("SaveAs", "Speichern &unter...", "Speichert die Codes in einer neuen Datei");
  actEnd_ = action("End", "&Beenden", "Beendet die Codeeingabe");
  connect(actNew_, &QAction::triggered, this, &TfrmCodeInput::NewClick);
  connect(actOpen_, &QAction::triggered, this, &TfrmCodeInput::OpenClick);
  connect(actSave_, &QAction::triggered, this, [this] { SaveClick(); });
  connect(actSaveAs_, &QAction::triggered, this, [this] { SaveAsClick(); });
  connect(actEnd_, &QAction::triggered, this, &TfrmCodeInput::EndClick);

  auto* menuBar = new QMenuBar(this);
  QMenu* file = menuBar->addMenu(FromAnsi("&Datei"));
  file->addActions({actNew_, actOpen_, actSave_, actSaveAs_});
  file->addSeparator();
  file->addAction(actEnd_);
  auto* tools = new QToolBar(this);
  tools->setObjectName("SpeedButtons");
  tools->addActions({actNew_, actOpen_, actSave_, actSaveAs_, actEnd_});
  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(menuBar);
  layout->addWidget(tools);
  layout->addWidget(grid_);
  resize(480, 360);

  Translate();
  ShowList();
}

void TfrmCodeInput::Translate() {
  TranslateForm(this);
  grid_->setHorizontalHeaderLabels({QString(), ColumnTitle(kTextCode, "Code"), ColumnTitle(kTextEntity, "Symbolnummer"),
                                    ColumnTitle(kTextLayer, "Layer")});
}

void TfrmCodeInput::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  Translate();
  // Shown again later: the list may have changed meanwhile.
  if (!modified_) ShowList();
}

void TfrmCodeInput::SetRows(int rows) {
  grid_->setRowCount(rows);
  Renumber();
}

void TfrmCodeInput::Renumber() {
  const bool filling = filling_;
  filling_ = true;
  grid_->Renumber();
  filling_ = filling;
}

void TfrmCodeInput::NewClick() {
  filling_ = true;
  grid_->clearContents();
  SetRows(kNewRows);
  filling_ = false;
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
  filling_ = true;
  grid_->clearContents();
  SetRows(static_cast<int>(lines.size()) + 1);
  for (size_t r = 0; r < lines.size(); ++r) {
    const std::vector<std::string> fields = SplitFields(lines[r], kPointCodeSeparator);
    for (size_t c = 0; c < fields.size() && c + 1 < kColumns; ++c)
      grid_->SetCell(static_cast<int>(r), static_cast<int>(c) + 1, FromAnsi(fields[c]));
  }
  filling_ = false;
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

void TfrmCodeInput::MoveToNextCell() {
  int row = std::max(grid_->currentRow(), 0);
  int column = grid_->currentColumn();
  if (column < kColumns - 1) {
    column = std::max(column + 1, 1);
  } else {
    column = 1;
    ++row;
    if (row >= grid_->rowCount()) {
      const bool filling = filling_;
      filling_ = true;
      grid_->insertRow(grid_->rowCount());
      Renumber();
      filling_ = filling;
    }
  }
  grid_->setCurrentCell(row, column);
}

void TfrmCodeInput::PasteText(int row, int column, const QString& text) {
  const TextLines lines = SplitLines(ToAnsi(text));
  row = std::max(row, 0);
  column = std::max(column, 1);
  const int needed = row + static_cast<int>(lines.size()) + 1;
  if (grid_->rowCount() < needed) grid_->setRowCount(needed);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::vector<std::string> fields = SplitFields(lines[i], '\t');
    for (size_t j = 0; j < fields.size() && column + static_cast<int>(j) < kColumns; ++j)
      grid_->SetCell(row + static_cast<int>(i), column + static_cast<int>(j), FromAnsi(fields[j]));
  }
  Renumber();
  modified_ = true;
}

}  // namespace veltro
