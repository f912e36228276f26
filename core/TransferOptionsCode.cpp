#include "core/TransferOptionsCode.h"

#include <algorithm>
#include <climits>

namespace veltro {

std::optional<TransferOptionsSelection> DecodeTransferOptions(int value) {
  if (value < 0 || value % 100 >= kOptionItemCount) return std::nullopt;
  return TransferOptionsSelection{value % 100, (value % 10000) / 100, value / 10000};
}

int EncodeTransferOptions(const TransferOptionsSelection& selection) {
  int item = std::clamp(selection.item, 0, kOptionItemCount - 1);
  int project = std::clamp(selection.projectRow, 0, kMaxEncodedProjectRow);
  int codeList = std::clamp(selection.codeListRow, 0, (INT_MAX - 9999) / 10000);
  return item + 100 * project + 10000 * codeList;
}

TransferOptionsLayout OpenTransferOptions(int item, bool pcToInstrument, bool projectsSupported) {
  TransferOptionsLayout layout;
  layout.item = std::clamp(item, 0, kOptionItemCount - 1);
  if (!projectsSupported) {
    if (pcToInstrument) layout.item = std::max(layout.item, static_cast<int>(kOptionKoordinaten));
    layout.itemCount = kOptionItemCount - 1;
    layout.item = std::min(layout.item, layout.itemCount - 1);
  }
  layout.radioEnabled = !pcToInstrument;
  if (pcToInstrument) {
    layout.projectsEnabled = layout.item != kOptionCodes;
    layout.codeListsEnabled = layout.item != kOptionKoordinaten;
  }
  return layout;
}

int ClickedTransferOption(int clicked, bool pcToInstrument, int itemCount) {
  int item = pcToInstrument ? std::max(clicked, static_cast<int>(kOptionKoordinaten)) : clicked;
  return std::clamp(item, 0, std::max(itemCount - 1, 0));
}

int SelectedGridRow(int encodedRow, int listRows) {
  if (listRows <= 0) return 0;
  return std::clamp(encodedRow, 1, listRows);
}

GridRow SplitCells(const std::string& line) {
  GridRow cells;
  size_t start = 0;
  for (;;) {
    size_t comma = line.find(',', start);
    if (comma == std::string::npos) {
      cells.push_back(line.substr(start));
      return cells;
    }
    cells.push_back(line.substr(start, comma - start));
    start = comma + 1;
  }
}

int NonBlankRows(const std::vector<GridRow>& rows) {
  int n = 0;
  for (const GridRow& r : rows)
    if (!r.empty() && r[0].find_first_not_of(' ') != std::string::npos) ++n;
  return n;
}

std::vector<std::string> ChangedRows(const std::vector<GridRow>& rows, const std::vector<std::string>& source,
                                     std::string& target) {
  std::vector<std::string> kept;
  target.clear();
  for (size_t i = 0; i < rows.size(); ++i) {
    GridRow original = i < source.size() ? SplitCells(source[i]) : GridRow{};
    const GridRow& row = rows[i];
    bool changed = false;
    for (size_t c = 0; c < std::max(row.size(), original.size()); ++c) {
      const std::string& now = c < row.size() ? row[c] : std::string();
      const std::string& was = c < original.size() ? original[c] : std::string();
      changed = changed || now != was;
    }
    if (!changed) continue;
    size_t used = row.size();
    while (used > 0 && row[used - 1].empty()) --used;
    std::string line;
    for (size_t c = 0; c < used; ++c) line += (c ? "," : "") + row[c];
    if (!target.empty()) target += ", ";
    target += used > 1 ? row[1] : std::string();
    kept.push_back(std::move(line));
  }
  return kept;
}

}  // namespace veltro
