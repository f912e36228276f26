#include "app/TransferOptions.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/TransModul.h"
#include "core/Messages.h"
#include "platform/qt/QtMessageBox.h"

namespace veltro {
namespace {

constexpr int kTextProjectHeader = 638;
constexpr int kTextCodeListHeader = 654;
constexpr char kColumnSeparator = '\xA6';  // broken bar in code page 1252

const char* const kOptionCaptions[kOptionItemCount] = {"Messdaten (Mask 1)", "Messdaten (Mask 2)", "Koordinaten",
                                                       "Codes"};

QTableWidget* MakeGrid(QWidget* parent, const char* name) {
  auto* grid = new QTableWidget(parent);
  grid->setObjectName(QString::fromLatin1(name));
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->verticalHeader()->hide();
  return grid;
}

std::vector<GridRow> RowsOf(const QTableWidget* grid) {
  std::vector<GridRow> rows;
  for (int r = 0; r < grid->rowCount(); ++r) {
    GridRow row;
    for (int c = 0; c < grid->columnCount(); ++c) {
      const QTableWidgetItem* item = grid->item(r, c);
      row.push_back(item ? ToAnsi(item->text()) : std::string());
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

// The selected grid row counted with the header as row 0; 0 for none.
int SelectedRow(const QTableWidget* grid) {
  int r = grid->currentRow();
  return r >= 0 && r < grid->rowCount() ? r + 1 : 0;
}

}  // namespace

TfrmTransferOptions::TfrmTransferOptions(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmTransferOptions"));
  setWindowTitle(QStringLiteral("Transferoptionen"));
  auto* layout = new QVBoxLayout(this);

  OptionsTCx = new QGroupBox(QStringLiteral("Optionen für TC600 / TC800"), this);
  OptionsTCx->setObjectName(QStringLiteral("OptionsTCx"));
  auto* radios = new QVBoxLayout(OptionsTCx);
  optionGroup_ = new QButtonGroup(this);
  for (int i = 0; i < kOptionItemCount; ++i) {
    options_[i] = new QRadioButton(QString::fromLatin1(kOptionCaptions[i]), OptionsTCx);
    options_[i]->setObjectName(QStringLiteral("OptionsTCx%1").arg(i));
    optionGroup_->addButton(options_[i], i);
    radios->addWidget(options_[i]);
  }
  layout->addWidget(OptionsTCx);
  connect(optionGroup_, &QButtonGroup::idClicked, this, &TfrmTransferOptions::OptionsClick);

  sgProjects = MakeGrid(this, "sgProjects");
  sgCodeLists = MakeGrid(this, "sgCodeLists");
  layout->addWidget(sgProjects);
  layout->addWidget(sgCodeLists);
  for (QTableWidget* grid : {sgProjects, sgCodeLists}) {
    // While sending, a double click lets the user edit the row (e.g. give a
    // project a new name); another selection ends editing.
    connect(grid, &QTableWidget::cellDoubleClicked, this, [this, grid](int row, int column) {
      if (!pcToInstrument_) return;
      grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
      if (QTableWidgetItem* item = grid->item(row, column)) grid->editItem(item);
    });
    connect(grid, &QTableWidget::itemSelectionChanged, this,
            [grid] { grid->setEditTriggers(QAbstractItemView::NoEditTriggers); });
  }

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  Ok = new QPushButton(QStringLiteral("&Ok"), this);
  Ok->setObjectName(QStringLiteral("Ok"));
  Ok->setDefault(true);
  Abbrechen = new QPushButton(QStringLiteral("&Abbrechen"), this);
  Abbrechen->setObjectName(QStringLiteral("Abbrechen"));
  buttons->addWidget(Ok);
  buttons->addWidget(Abbrechen);
  layout->addLayout(buttons);
  connect(Ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(Abbrechen, &QPushButton::clicked, this, &QDialog::reject);
}

bool TfrmTransferOptions::SetSelection(int value) {
  std::optional<TransferOptionsSelection> decoded = DecodeTransferOptions(value);
  input_ = decoded.value_or(TransferOptionsSelection{});
  selection_ = EncodeTransferOptions(input_);
  return decoded.has_value();
}

void TfrmTransferOptions::showEvent(QShowEvent* event) {
  FormActivate();
  QDialog::showEvent(event);
}

void TfrmTransferOptions::FormActivate() {
  TranslateForm(*this);
  if (!title_.empty()) setWindowTitle(FromAnsi(title_));

  TransferOptionsLayout layout = OpenTransferOptions(input_.item, pcToInstrument_, projectsSupported_);
  itemCount_ = layout.itemCount;
  for (int i = 0; i < kOptionItemCount; ++i) options_[i]->setVisible(i < itemCount_);
  options_[layout.item]->setChecked(true);
  OptionsTCx->setEnabled(layout.radioEnabled);

  FillGrid(sgProjects, kTextProjectHeader, {150, 40, 60, 64}, projects_, input_.projectRow);
  FillGrid(sgCodeLists, kTextCodeListHeader, {150, 100, 64}, codeLists_, input_.codeListRow);
  projectCount_ = NonBlankRows(RowsOf(sgProjects));
  codeListCount_ = NonBlankRows(RowsOf(sgCodeLists));
  sgProjects->setEnabled(layout.projectsEnabled);
  sgCodeLists->setEnabled(layout.codeListsEnabled);
}

void TfrmTransferOptions::FillGrid(QTableWidget* grid, int headerText, const std::vector<int>& widths,
                                   const std::vector<std::string>& lines, int encodedRow) {
  std::vector<std::string> titles;
  const std::string header = GetText(headerText);
  size_t start = 0;
  for (;;) {
    size_t bar = header.find(kColumnSeparator, start);
    titles.push_back(header.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  std::vector<GridRow> rows;
  size_t columns = std::max(widths.size(), titles.size());
  for (const std::string& line : lines) {
    rows.push_back(SplitCells(line));
    columns = std::max(columns, rows.back().size());
  }

  grid->clear();
  grid->setColumnCount(static_cast<int>(columns));
  grid->setRowCount(static_cast<int>(rows.size()));
  QStringList labels;
  for (size_t c = 0; c < columns; ++c) labels << (c < titles.size() ? FromAnsi(titles[c]) : QString());
  grid->setHorizontalHeaderLabels(labels);
  for (size_t c = 0; c < widths.size(); ++c) grid->setColumnWidth(static_cast<int>(c), widths[c]);
  // Every column in view, beside a vertical scroll bar when the rows need one.
  grid->setMinimumWidth(grid->horizontalHeader()->length() + 2 * grid->frameWidth() +
                        grid->verticalScrollBar()->sizeHint().width());
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t c = 0; c < columns; ++c)
      grid->setItem(static_cast<int>(r), static_cast<int>(c),
                    new QTableWidgetItem(c < rows[r].size() ? FromAnsi(rows[r][c]) : QString()));
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  int selected = SelectedGridRow(encodedRow, static_cast<int>(rows.size()));
  if (selected > 0) grid->setCurrentCell(selected - 1, 0);
}

void TfrmTransferOptions::OptionsClick(int item) {
  if (!pcToInstrument_) return;
  int chosen = ClickedTransferOption(item, true, itemCount_);
  if (chosen != item) options_[chosen]->setChecked(true);
}

int TfrmTransferOptions::CheckedItem() const {
  int id = optionGroup_->checkedId();
  return id >= 0 && id < itemCount_ ? id : 0;
}

void TfrmTransferOptions::FormClose() {
  const int item = CheckedItem();
  selection_ = EncodeTransferOptions({item, SelectedRow(sgProjects), SelectedRow(sgCodeLists)});
  selectedLines_.clear();
  targetName_.clear();
  if (item == kOptionKoordinaten)
    selectedLines_ = ChangedRows(RowsOf(sgProjects), projects_, targetName_);
  else if (item == kOptionCodes)
    selectedLines_ = ChangedRows(RowsOf(sgCodeLists), codeLists_, targetName_);
}

void TfrmTransferOptions::done(int result) {
  FormClose();
  QDialog::done(result);
}

}  // namespace veltro
