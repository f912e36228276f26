#include "app/TransferOptions.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

#include "core/Messages.h"
#include "tests/app/QtTestApp.h"

namespace veltro::test {
namespace {

class TransferOptionsTest : public ::testing::Test {
 protected:
  TransferOptionsTest() {
    SetTextProvider([](int n) -> std::string {
      if (n == 638)
        return "Projekt\xA6Nr\xA6"
               "Datum\xA6Gr\xF6\xDF"
               "e";
      if (n == 654)
        return "Codeliste\xA6Nr\xA6Gr\xF6\xDF"
               "e";
      return "T" + std::to_string(n);
    });
    dlg.SetProjects({"Bau1,1", "Bau2,2", "Strasse,3"});
    dlg.SetCodeLists({"Standard,1", "Kanal,2"});
  }
  ~TransferOptionsTest() override { SetTextProvider(nullptr); }

  QRadioButton* Option(int i) { return dlg.findChild<QRadioButton*>(QStringLiteral("OptionsTCx%1").arg(i)); }
  QTableWidget* Grid(const char* name) { return dlg.findChild<QTableWidget*>(QString::fromLatin1(name)); }
  QGroupBox* Group() { return dlg.findChild<QGroupBox*>(QStringLiteral("OptionsTCx")); }
  int Checked() {
    for (int i = 0; i < 4; ++i)
      if (Option(i)->isChecked()) return i;
    return -1;
  }

  QApplication& app = QtTestApp();
  TfrmTransferOptions dlg;
};

TEST_F(TransferOptionsTest, OpensWithTheEncodedChoiceAndRows) {
  ASSERT_TRUE(dlg.SetSelection(20203));  // Codes, project row 2, code-list row 2
  dlg.SetTitle("TPS100");
  dlg.show();
  EXPECT_EQ(dlg.windowTitle(), "TPS100");
  EXPECT_EQ(Checked(), 3);
  EXPECT_TRUE(Group()->isEnabled());
  EXPECT_EQ(Option(0)->text(), "Messdaten (Mask 1)");
  EXPECT_EQ(Group()->title(), QStringLiteral("Optionen für TC600 / TC800"));
  QTableWidget* projects = Grid("sgProjects");
  ASSERT_EQ(projects->rowCount(), 3);
  ASSERT_EQ(projects->columnCount(), 4);
  EXPECT_EQ(projects->horizontalHeaderItem(0)->text(), "Projekt");
  EXPECT_EQ(projects->horizontalHeaderItem(3)->text(), QStringLiteral("Größe"));
  EXPECT_EQ(projects->columnWidth(0), 150);
  EXPECT_EQ(projects->columnWidth(1), 40);
  EXPECT_EQ(projects->columnWidth(2), 60);
  EXPECT_EQ(projects->columnWidth(3), 64);
  EXPECT_EQ(projects->item(2, 0)->text(), "Strasse");
  EXPECT_EQ(projects->item(2, 1)->text(), "3");
  EXPECT_EQ(projects->currentRow(), 1);
  QTableWidget* codes = Grid("sgCodeLists");
  EXPECT_EQ(codes->columnCount(), 3);
  EXPECT_EQ(codes->columnWidth(1), 100);
  EXPECT_EQ(codes->currentRow(), 1);
  EXPECT_EQ(dlg.ProjectCount(), 3);
  EXPECT_EQ(dlg.CodeListCount(), 2);
  dlg.accept();
  EXPECT_EQ(dlg.Selection(), 20203);
  EXPECT_TRUE(dlg.SelectedLines().empty());
}

TEST_F(TransferOptionsTest, EncodedRowsAreClampedToTheRowsPresent) {
  ASSERT_TRUE(dlg.SetSelection(90000 + 4700 + 1));  // rows 47 and 9 do not exist
  dlg.show();
  EXPECT_EQ(Grid("sgProjects")->currentRow(), 2);
  EXPECT_EQ(Grid("sgCodeLists")->currentRow(), 1);
  dlg.accept();
  EXPECT_EQ(dlg.Selection(), 1 + 300 + 20000);
}

TEST_F(TransferOptionsTest, RowZeroSelectsTheFirstRow) {
  ASSERT_TRUE(dlg.SetSelection(2));
  dlg.show();
  EXPECT_EQ(Grid("sgProjects")->currentRow(), 0);
  dlg.reject();
  EXPECT_EQ(dlg.Selection(), 2 + 100 + 10000);
}

TEST_F(TransferOptionsTest, ValuesThatCannotBeDecodedAreRefused) {
  EXPECT_FALSE(dlg.SetSelection(-5));
  EXPECT_FALSE(dlg.SetSelection(7));
  dlg.show();
  EXPECT_EQ(Checked(), 0);
  dlg.accept();
  EXPECT_EQ(dlg.Selection(), 10100);
}

TEST_F(TransferOptionsTest, WithoutProjectSupportCodesIsRemovedAndTheItemClamped) {
  ASSERT_TRUE(dlg.SetSelection(3));
  dlg.SetProjectsSupported(false);
  dlg.show();
  EXPECT_FALSE(Option(3)->isVisible());
  EXPECT_EQ(Checked(), 2);
  dlg.accept();
  EXPECT_EQ(dlg.Selection() % 100, 2);
}

TEST_F(TransferOptionsTest, SendingEnablesOnlyTheGridOfTheChoice) {
  ASSERT_TRUE(dlg.SetSelection(0));
  dlg.SetPcToInstrument(true);
  dlg.SetProjectsSupported(false);
  dlg.show();
  EXPECT_EQ(Checked(), 2);
  EXPECT_FALSE(Group()->isEnabled());
  EXPECT_TRUE(Grid("sgProjects")->isEnabled());
  EXPECT_FALSE(Grid("sgCodeLists")->isEnabled());
  dlg.reject();

  TfrmTransferOptions codes;
  codes.SetSelection(3);
  codes.SetPcToInstrument(true);
  codes.show();
  EXPECT_FALSE(codes.findChild<QTableWidget*>("sgProjects")->isEnabled());
  EXPECT_TRUE(codes.findChild<QTableWidget*>("sgCodeLists")->isEnabled());
}

TEST_F(TransferOptionsTest, EditedRowsAreTheSelectedLines) {
  ASSERT_TRUE(dlg.SetSelection(2));
  dlg.SetPcToInstrument(true);
  dlg.show();
  QTableWidget* projects = Grid("sgProjects");
  EXPECT_EQ(projects->editTriggers(), QAbstractItemView::NoEditTriggers);
  emit projects->cellDoubleClicked(1, 0);
  EXPECT_NE(projects->editTriggers(), QAbstractItemView::NoEditTriggers);
  projects->item(1, 0)->setText("Neubau");
  projects->setCurrentCell(2, 0);  // another selection ends editing
  EXPECT_EQ(projects->editTriggers(), QAbstractItemView::NoEditTriggers);
  dlg.accept();
  EXPECT_EQ(dlg.SelectedLines(), std::vector<std::string>{"Neubau,2"});
  EXPECT_EQ(dlg.TargetName(), "2");
  EXPECT_EQ(dlg.Selection(), 2 + 300 + 10000);
}

TEST_F(TransferOptionsTest, ReceivingDoesNotMakeCellsEditable) {
  ASSERT_TRUE(dlg.SetSelection(2));
  dlg.show();
  emit Grid("sgProjects")->cellDoubleClicked(0, 0);
  EXPECT_EQ(Grid("sgProjects")->editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST_F(TransferOptionsTest, EmptyListsSelectNoRow) {
  TfrmTransferOptions empty;
  ASSERT_TRUE(empty.SetSelection(30303));
  empty.show();
  EXPECT_EQ(empty.findChild<QTableWidget*>("sgProjects")->rowCount(), 0);
  EXPECT_EQ(empty.ProjectCount(), 0);
  empty.accept();
  EXPECT_EQ(empty.Selection(), 3);
  EXPECT_TRUE(empty.SelectedLines().empty());
}

}  // namespace
}  // namespace veltro::test
