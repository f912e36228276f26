#include "core/TransferOptionsCode.h"

#include <gtest/gtest.h>

#include <climits>

namespace veltro::test {
namespace {

TEST(TransferOptionsCode, ValuesRoundTrip) {
  for (int item = 0; item < 4; ++item)
    for (int project : {0, 1, 7, 99})
      for (int codeList : {0, 1, 12, 300}) {
        TransferOptionsSelection s{item, project, codeList};
        int v = EncodeTransferOptions(s);
        auto back = DecodeTransferOptions(v);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->item, item);
        EXPECT_EQ(back->projectRow, project);
        EXPECT_EQ(back->codeListRow, codeList);
      }
  EXPECT_EQ(EncodeTransferOptions({3, 2, 5}), 50203);
  auto d = DecodeTransferOptions(50203);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->item, 3);
  EXPECT_EQ(d->projectRow, 2);
  EXPECT_EQ(d->codeListRow, 5);
}

TEST(TransferOptionsCode, ValuesThatCannotBeDecodedAreRejected) {
  EXPECT_FALSE(DecodeTransferOptions(-1));
  EXPECT_FALSE(DecodeTransferOptions(-10000));
  EXPECT_FALSE(DecodeTransferOptions(4));
  EXPECT_FALSE(DecodeTransferOptions(199));
  EXPECT_TRUE(DecodeTransferOptions(0));
  EXPECT_TRUE(DecodeTransferOptions(INT_MAX - INT_MAX % 100));
}

TEST(TransferOptionsCode, EncodingNeverSpillsIntoTheNextPart) {
  // A project row of 150 would otherwise add one to the code-list row.
  EXPECT_EQ(EncodeTransferOptions({2, 150, 1}), 2 + 9900 + 10000);
  EXPECT_EQ(EncodeTransferOptions({-1, -5, -7}), 0);
  EXPECT_EQ(EncodeTransferOptions({9, 0, 0}), 3);
  int big = EncodeTransferOptions({3, 99, INT_MAX});
  EXPECT_GT(big, 0);
  EXPECT_EQ(DecodeTransferOptions(big)->projectRow, 99);
}

TEST(TransferOptionsCode, OpeningWithProjectsSupported) {
  auto l = OpenTransferOptions(3, false, true);
  EXPECT_EQ(l.item, 3);
  EXPECT_EQ(l.itemCount, 4);
  EXPECT_TRUE(l.radioEnabled);
  EXPECT_TRUE(l.projectsEnabled);
  EXPECT_TRUE(l.codeListsEnabled);

  l = OpenTransferOptions(3, true, true);
  EXPECT_FALSE(l.radioEnabled);
  EXPECT_FALSE(l.projectsEnabled);  // sending code lists
  EXPECT_TRUE(l.codeListsEnabled);
  l = OpenTransferOptions(2, true, true);
  EXPECT_TRUE(l.projectsEnabled);
  EXPECT_FALSE(l.codeListsEnabled);
}

TEST(TransferOptionsCode, RemovingCodesClampsTheItem) {
  // Instrument to PC: "Codes" is gone, a chosen "Codes" becomes the last item.
  auto l = OpenTransferOptions(3, false, false);
  EXPECT_EQ(l.itemCount, 3);
  EXPECT_EQ(l.item, 2);
  EXPECT_EQ(OpenTransferOptions(1, false, false).item, 1);
  // PC to instrument: at least "Koordinaten", and never the removed item.
  l = OpenTransferOptions(0, true, false);
  EXPECT_EQ(l.item, 2);
  EXPECT_FALSE(l.radioEnabled);
  EXPECT_EQ(OpenTransferOptions(3, true, false).item, 2);
}

TEST(TransferOptionsCode, ClicksWhileSendingChooseKoordinatenOrCodes) {
  EXPECT_EQ(ClickedTransferOption(0, true, 4), 2);
  EXPECT_EQ(ClickedTransferOption(3, true, 4), 3);
  EXPECT_EQ(ClickedTransferOption(3, true, 3), 2);
  EXPECT_EQ(ClickedTransferOption(1, false, 4), 1);
}

TEST(TransferOptionsCode, GridRowsAreClampedToTheRowsPresent) {
  EXPECT_EQ(SelectedGridRow(0, 5), 1);
  EXPECT_EQ(SelectedGridRow(3, 5), 3);
  EXPECT_EQ(SelectedGridRow(9, 5), 5);
  EXPECT_EQ(SelectedGridRow(-2, 5), 1);
  EXPECT_EQ(SelectedGridRow(4, 0), 0);
}

TEST(TransferOptionsCode, CellsAndNonBlankRows) {
  EXPECT_EQ(SplitCells("Job1,3"), (GridRow{"Job1", "3"}));
  EXPECT_EQ(SplitCells(""), (GridRow{""}));
  EXPECT_EQ(SplitCells("a,,b,"), (GridRow{"a", "", "b", ""}));
  EXPECT_EQ(NonBlankRows({{"a", "1"}, {"  ", "2"}, {}, {"b"}}), 2);
}

TEST(TransferOptionsCode, OnlyChangedRowsAreSelected) {
  const std::vector<std::string> source = {"Job1,1", "Job2,2", "Job3,3"};
  std::vector<GridRow> rows = {{"Job1", "1", "", ""}, {"Neu", "2", "", ""}, {"Job3", "3", "", ""}};
  std::string target;
  EXPECT_EQ(ChangedRows(rows, source, target), std::vector<std::string>{"Neu,2"});
  EXPECT_EQ(target, "2");
  rows[2][0] = "Auch";
  EXPECT_EQ(ChangedRows(rows, source, target), (std::vector<std::string>{"Neu,2", "Auch,3"}));
  EXPECT_EQ(target, "2, 3");
  rows = {{"Job1", "1"}, {"Job2", "2"}, {"Job3", "3"}};
  EXPECT_TRUE(ChangedRows(rows, source, target).empty());
  EXPECT_EQ(target, "");
  // A row beyond the list counts as changed when it holds something.
  rows.push_back({"Extra", "9"});
  rows.push_back({"", ""});
  EXPECT_EQ(ChangedRows(rows, source, target), std::vector<std::string>{"Extra,9"});
}

}  // namespace
}  // namespace veltro::test
