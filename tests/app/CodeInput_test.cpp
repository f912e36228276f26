#include "app/CodeInput.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QHeaderView>
#include <QTableWidget>
#include <QTest>

#include "core/Messages.h"
#include "core/Transfer.h"
#include "instruments/CodeListen.h"
#include "platform/MessageBox.h"
#include "platform/qt/QtMessageBox.h"
#include "tests/app/QtTestApp.h"
#include "tests/support/TempSettings.h"

namespace veltro::test {
namespace {

const std::string kSep = "\xA6";

class CodeInputTest : public ::testing::Test {
 protected:
  CodeInputTest() {
    QtTestApp();
    SetTextProvider([](int n) {
      switch (n) {
        case 589:
          return std::string("Zeile %d ist falsch");
        case 235:
          return std::string("&Code:");
        default:
          return std::string();
      }
    });
    CurrentTransfer() = TransferState{};
  }
  ~CodeInputTest() override {
    SetTextProvider(nullptr);
    SetPointCodeLineTest(nullptr);
    CurrentTransfer() = TransferState{};
  }

  void Open(TextLines* codes = nullptr) {
    dialog = std::make_unique<TfrmCodeInput>(nullptr, codes ? codes : &list);
    dialog->chooseSaveFile = [this](std::string& path) {
      ++saveDialogs;
      if (savePath.empty()) return false;
      path = savePath;
      return true;
    };
    dialog->chooseOpenFile = [this](std::string& path) {
      path = openPath;
      return !path.empty();
    };
    dialog->show();
    grid = dialog->findChild<QTableWidget*>("InputCodes");
    ASSERT_TRUE(grid);
  }
  void Set(int row, int column, const char* text) {
    if (!grid->item(row, column)) grid->setItem(row, column, new QTableWidgetItem);
    grid->item(row, column)->setText(FromAnsi(text));
  }
  std::string Get(int row, int column) const {
    return grid->item(row, column) ? ToAnsi(grid->item(row, column)->text()) : std::string();
  }
  void Trigger(const char* action) { dialog->findChild<QAction*>(action)->trigger(); }

  TempSettings settings;
  ScriptedMessageBox box;
  ScopedMessageBox guard{&box};
  TextLines list;
  std::unique_ptr<TfrmCodeInput> dialog;
  QTableWidget* grid = nullptr;
  std::string savePath;
  std::string openPath;
  int saveDialogs = 0;
};

TEST_F(CodeInputTest, ANewGridHasTenNumberedRowsAndTheColumnTitles) {
  Open();
  EXPECT_EQ(dialog->objectName(), "TfrmCodeInput");
  EXPECT_EQ(dialog->windowTitle(), "Eingabe von Codes");
  EXPECT_EQ(grid->rowCount(), 10);
  EXPECT_EQ(grid->columnCount(), 4);
  EXPECT_EQ(grid->columnWidth(0), 40);
  EXPECT_EQ(Get(0, 0), "1");
  EXPECT_EQ(Get(9, 0), "10");
  EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), " Code");  // "&" and ":" removed
  EXPECT_EQ(grid->horizontalHeaderItem(2)->text(), " Symbolnummer");
  EXPECT_FALSE(grid->item(0, 0)->flags() & Qt::ItemIsEditable);
  EXPECT_FALSE(dialog->Modified());
  EXPECT_TRUE(dialog->findChild<QFileDialog*>("LadeCode"));
  EXPECT_TRUE(dialog->findChild<QFileDialog*>("SaveCode"));
  for (const char* name : {"New", "Open", "Save", "SaveAs", "End"})
    EXPECT_TRUE(dialog->findChild<QAction*>(name)) << name;
}

TEST_F(CodeInputTest, AHeldPointCodeListIsShownWithOneEmptyRowMore) {
  list = {"MA" + kSep + "12" + kSep + "Mauer", "BA" + kSep + kSep + "Baum"};
  Open();
  EXPECT_EQ(grid->rowCount(), 3);
  EXPECT_EQ(Get(0, 1), "MA");
  EXPECT_EQ(Get(0, 2), "12");
  EXPECT_EQ(Get(0, 3), "Mauer");
  EXPECT_EQ(Get(1, 2), "");
  EXPECT_EQ(Get(1, 3), "Baum");
  EXPECT_EQ(Get(2, 0), "3");
  EXPECT_EQ(Get(2, 1), "");
  EXPECT_FALSE(dialog->Modified());
  // Ending unchanged asks nothing and keeps the list.
  Trigger("End");
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_TRUE(box.Messages().empty());
  EXPECT_EQ(list.size(), 2u);
}

TEST_F(CodeInputTest, AWindowShownAgainShowsTheListAsItIsThen) {
  Open();
  Trigger("End");
  list = {"Z" + kSep + "4" + kSep + "L"};
  dialog->show();
  EXPECT_EQ(grid->rowCount(), 2);
  EXPECT_EQ(Get(0, 1), "Z");
}

TEST_F(CodeInputTest, AListOfOtherLinesIsLeftAloneUntilTheGridIsChanged) {
  list = {"1;100.0000;200.0000;0.0000;MA;"};
  Open();
  EXPECT_EQ(grid->rowCount(), 10);
  EXPECT_TRUE(box.Messages().empty());
  Trigger("End");
  EXPECT_EQ(list, TextLines{"1;100.0000;200.0000;0.0000;MA;"});
  // The default list is the transfer's editor list.
  CurrentTransfer().EditorLines = {"K1" + kSep + "3" + kSep + "L"};
  TfrmCodeInput editor;
  EXPECT_EQ(&editor.List(), &CurrentTransfer().EditorLines);
  EXPECT_EQ(ToAnsi(editor.findChild<QTableWidget*>("InputCodes")->item(0, 1)->text()), "K1");
}

TEST_F(CodeInputTest, AFailedTakeOverKeepsTheWindowOpen) {
  Open();
  Set(0, 1, "MA");
  Set(0, 2, "12");
  Set(0, 3, "Mauer");
  Set(2, 1, "BA");
  Set(2, 2, "x1");  // entity not a number
  EXPECT_TRUE(dialog->Modified());
  Trigger("End");
  EXPECT_TRUE(dialog->isVisible());
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Messages()[0].text, "Zeile 3 ist falsch");
  EXPECT_TRUE(list.empty());  // only a whole valid grid is taken over

  // Closing the window the other way is refused too.
  dialog->close();
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(box.Messages().size(), 2u);

  Set(2, 2, " -1.5 ");
  box.Answer(kAnsNo);
  Trigger("End");
  EXPECT_FALSE(dialog->isVisible());
  ASSERT_EQ(box.Messages().size(), 3u);
  EXPECT_EQ(box.Messages()[2].kind, kMsgConfirmation);
  EXPECT_EQ(box.Messages()[2].buttons, kBtnYesNo);
  EXPECT_EQ(list, (TextLines{"MA" + kSep + "12" + kSep + "Mauer", "BA" + kSep + " -1.5 " + kSep}));
  EXPECT_EQ(saveDialogs, 0);
}

TEST_F(CodeInputTest, RowsWithoutCodeAreRefusedAndEmptyRowsSkipped) {
  Open();
  Set(1, 2, "5");  // no code
  Set(4, 1, "C");  // code only
  EXPECT_FALSE(dialog->TakeOver());
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Messages()[0].text, "Zeile 2 ist falsch");
  EXPECT_TRUE(list.empty());
  Set(1, 2, "");
  EXPECT_TRUE(dialog->TakeOver());
  EXPECT_EQ(list, TextLines{"C" + kSep + kSep});
}

TEST_F(CodeInputTest, EndWithChangesOffersToSaveAndSavesOnYes) {
  savePath = settings.Dir() / "Codes.cod";
  Open();
  Set(0, 1, "MA");
  Set(0, 2, "12");
  Set(0, 3, "Mauer");
  box.Answer(kAnsYes);
  Trigger("End");
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(saveDialogs, 1);
  EXPECT_EQ(ReadFile(savePath),
            "MA\xA6"
            "12\xA6Mauer\r\n");
  EXPECT_EQ(dialog->FileName(), savePath);
  EXPECT_FALSE(dialog->Modified());
}

TEST_F(CodeInputTest, SaveWithoutNameAsksOneAndOpenShowsTheFile) {
  Open();
  Set(0, 1, "MA");
  EXPECT_FALSE(dialog->SaveClick());  // no name chosen: nothing saved
  EXPECT_TRUE(dialog->Modified());
  savePath = settings.Dir() / "a.cod";
  EXPECT_TRUE(dialog->SaveClick());
  EXPECT_EQ(ReadFile(savePath), "MA\xA6\xA6\r\n");
  EXPECT_EQ(grid->rowCount(), 2);  // shown again

  WriteFile(settings.Dir() / "b.cod",
            "X1\xA6"
            "7\xA6L1\r\nX2\xA6"
            "8\xA6L2\r\n");
  openPath = settings.Dir() / "b.cod";
  Trigger("Open");
  EXPECT_EQ(grid->rowCount(), 3);
  EXPECT_EQ(Get(1, 3), "L2");
  EXPECT_EQ(dialog->FileName(), openPath);
  EXPECT_FALSE(dialog->Modified());
  Trigger("End");
  EXPECT_EQ(list.size(), 2u);  // the opened list is taken over on End
}

TEST_F(CodeInputTest, OpeningAFileThatIsNoCodeListReportsAndKeepsTheRows) {
  WriteFile(settings.Dir() / "k.xyz", "1;100.0;200.0;0;MA;\r\n");
  openPath = settings.Dir() / "k.xyz";
  list = {"Z" + kSep + "4" + kSep + "L"};
  Open();
  Trigger("Open");
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Messages()[0].kind, kMsgError);
  EXPECT_EQ(list, TextLines{"Z" + kSep + "4" + kSep + "L"});
  EXPECT_EQ(grid->rowCount(), 2);
  EXPECT_EQ(Get(0, 1), "Z");

  // The editor format can put its own test in place.
  SetPointCodeLineTest([](const std::string& line) { return line.find(';') != std::string::npos; });
  Trigger("Open");
  EXPECT_EQ(Get(0, 1), "1;100.0;200.0;0;MA;");
  EXPECT_EQ(box.Messages().size(), 1u);
}

TEST_F(CodeInputTest, EnterMovesToTheNextCellAndAddsARowAtTheEnd) {
  Open();
  grid->setFocus();
  grid->setCurrentCell(9, 2);
  QTest::keyClick(grid, Qt::Key_Return);
  EXPECT_EQ(grid->currentColumn(), 3);
  QTest::keyClick(grid, Qt::Key_Return);
  EXPECT_EQ(grid->rowCount(), 11);
  EXPECT_EQ(grid->currentRow(), 10);
  EXPECT_EQ(grid->currentColumn(), 1);
  EXPECT_EQ(Get(10, 0), "11");
}

TEST_F(CodeInputTest, PastedTabsAndLinesSpreadOverTheCells) {
  Open();
  dialog->PasteText(8, 2, "12\tMauer\textra\r\n13\tBaum\r\n14\r\n15\n");
  EXPECT_EQ(grid->rowCount(), 13);
  EXPECT_EQ(Get(8, 2), "12");
  EXPECT_EQ(Get(8, 3), "Mauer");
  EXPECT_EQ(Get(9, 3), "Baum");
  EXPECT_EQ(Get(11, 2), "15");
  EXPECT_EQ(Get(12, 0), "13");
  EXPECT_TRUE(dialog->Modified());

  // Through the clipboard and the paste key.
  QApplication::clipboard()->setText("A\t1\tL\nB\t2\tM");
  grid->setFocus();
  grid->setCurrentCell(0, 1);
  QTest::keySequence(grid, QKeySequence::Paste);
  EXPECT_EQ(Get(0, 1), "A");
  EXPECT_EQ(Get(1, 3), "M");
}

}  // namespace
}  // namespace veltro::test
