// The rules of the transfer-options dialog without its window: the combined
// selection value, the radio item as the dialog opens, the grid rows and the
// rows the user changed.
//
// Selection value v: v mod 100 = radio item, (v mod 10000) div 100 = selected
// project row, v div 10000 = selected code-list row. Rows count as in the
// grids, the header being row 0 and the first list line row 1.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace veltro {

// Radio items of OptionsTCx.
enum TransferOptionItem : int {
  kOptionMessdatenMask1 = 0,
  kOptionMessdatenMask2 = 1,
  kOptionKoordinaten = 2,  // projects
  kOptionCodes = 3,        // code lists
};
inline constexpr int kOptionItemCount = 4;
// The project row has two decimal digits in the value.
inline constexpr int kMaxEncodedProjectRow = 99;

struct TransferOptionsSelection {
  int item = 0;
  int projectRow = 0;
  int codeListRow = 0;
};

// nullopt for a negative value or a radio item beyond "Codes".
std::optional<TransferOptionsSelection> DecodeTransferOptions(int value);
// Negative parts count as 0; the project row is limited to
// kMaxEncodedProjectRow and the code-list row to what an int holds, so that
// no part spills into another.
int EncodeTransferOptions(const TransferOptionsSelection& selection);

// How the dialog opens for a radio item.
struct TransferOptionsLayout {
  int item = 0;
  int itemCount = kOptionItemCount;  // 3 when "Codes" is removed
  bool radioEnabled = true;
  bool projectsEnabled = true;
  bool codeListsEnabled = true;
};
TransferOptionsLayout OpenTransferOptions(int item, bool pcToInstrument, bool projectsSupported);

// The choice after a click on item while "PC to instrument" is set: only
// "Koordinaten" and "Codes" can be sent. Clamped to the items present.
int ClickedTransferOption(int clicked, bool pcToInstrument, int itemCount);

// The grid row to select for an encoded row: row 1 for 0, at most the last
// row present; 0 when the grid has no list rows.
int SelectedGridRow(int encodedRow, int listRows);

using GridRow = std::vector<std::string>;

// A list line "name,number,..." as grid cells.
GridRow SplitCells(const std::string& line);
// Rows whose first cell is not blank.
int NonBlankRows(const std::vector<GridRow>& rows);

// Rows (list rows, without the header) that differ from the lines they were
// filled from, each as its cells joined with "," (trailing empty cells
// dropped); target := the second field of each kept line, joined with ", ".
std::vector<std::string> ChangedRows(const std::vector<GridRow>& rows, const std::vector<std::string>& source,
                                     std::string& target);

}  // namespace veltro
