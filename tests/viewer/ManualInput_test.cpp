#include "viewer/ManualInput.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QTableWidget>
#include <QTest>

#include "app/CodeInput.h"
#include "core/Messages.h"
#include "core/Niederlassung.h"
#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "instruments/TransferModules.h"
#include "platform/MessageBox.h"
#include "platform/qt/QtMessageBox.h"
#include "tests/app/QtTestApp.h"
#include "tests/support/ConvertRun.h"
#include "tests/support/TempSettings.h"

namespace veltro::test {
namespace {

const std::string kData = VELTRO_TEST_DATA;

class ManualInputTest : public ::testing::Test {
 protected:
  ManualInputTest() {
    QtTestApp();
    SetTextProvider([](int n) {
      switch (n) {
        case 569:
          return std::string("Zeile %d ist falsch");
        case 237:
          return std::string("&Y-Koordinate:");
        case 238:
          return std::string("&X-Koordinate:");
        default:
          return std::string();
      }
    });
    CurrentTransfer() = TransferState{};
  }
  ~ManualInputTest() override {
    SetTextProvider(nullptr);
    SetSystemSeparators('.', '.', ':');
    ActivateNiederlassung(2055);  // Schweiz
    CurrentTransfer() = TransferState{};
  }

  void Open() {
    window = std::make_unique<TfrmManualInput>(*modules.editor, nullptr, &list);
    window->chooseSaveFile = [this](std::string& path) {
      ++saveDialogs;
      path = savePath;
      return !path.empty();
    };
    window->chooseOpenFile = [this](std::string& path) {
      path = openPath;
      return !path.empty();
    };
    window->show();
    grid = window->findChild<QTableWidget*>("InputKoordinaten");
    ASSERT_TRUE(grid);
  }
  void Set(int row, int column, const char* text) {
    if (row >= grid->rowCount()) grid->setRowCount(row + 1);
    if (!grid->item(row, column)) grid->setItem(row, column, new QTableWidgetItem);
    grid->item(row, column)->setText(FromAnsi(text));
  }
  void Row(int row, std::initializer_list<const char*> cells) {
    int c = 1;
    for (const char* cell : cells) Set(row, c++, cell);
  }
  std::string Get(int row, int column) const {
    return grid->item(row, column) ? ToAnsi(grid->item(row, column)->text()) : std::string();
  }
  void Trigger(const char* action) { window->findChild<QAction*>(action)->trigger(); }
  std::string Header(int column) const { return ToAnsi(grid->horizontalHeaderItem(column)->text()); }

  TempSettings settings;
  TempDir tmp;
  TransferModules modules{tmp.path() + "/"};
  ScriptedMessageBox box;
  ScopedMessageBox guard{&box};
  TextLines list;
  std::unique_ptr<TfrmManualInput> window;
  QTableWidget* grid = nullptr;
  std::string savePath;
  std::string openPath;
  int saveDialogs = 0;
};

TEST_F(ManualInputTest, GridColumnsAndTheSwappedAxisLabels) {
  Open();
  EXPECT_EQ(grid->columnCount(), 7);
  EXPECT_EQ(grid->rowCount(), 10);
  EXPECT_EQ(grid->columnWidth(0), 40);
  EXPECT_EQ(grid->columnWidth(6), 120);
  EXPECT_EQ(Get(9, 0), "10");
  EXPECT_FALSE(grid->item(0, 0)->flags() & Qt::ItemIsEditable);
  EXPECT_EQ(Header(2), " Y-Koordinate");  // first "&" and ":" removed
  EXPECT_EQ(Header(3), " X-Koordinate");
  for (const char* name : {"New", "Open", "Save", "SaveAs", "End"})
    EXPECT_TRUE(window->findChild<QAction*>(name)) << name;

  ActivateNiederlassung(1036);  // Frankreich names the axes the other way round
  window->Translate();
  EXPECT_EQ(Header(2), " X-Koordinate");
  EXPECT_EQ(Header(3), " Y-Koordinate");
}

TEST_F(ManualInputTest, InvalidRowsAreNamedAndTheListKeepsItsPoints) {
  list = {"7;1.0;2.0;;;"};
  Open();
  EXPECT_EQ(Get(0, 1), "7");
  Row(0, {"1", "600000.5", "200000.25", "", "MA", "Mauer"});
  Row(1, {"2", "600001"});  // no X
  Row(2, {"   ", " ", "", "  ", "", ""});  // blank: skipped
  Row(3, {"3", "1.2.3", "5"});
  Row(4, {"4", ".", "5"});
  Row(5, {"5", "1", "+-"});
  Row(6, {"6", "1", "2", "3", "A;B"});  // a ";" would shift the fields
  Row(7, {"8", " 10 ", "20", "abc"});    // height given but no number
  TextLines lines;
  EXPECT_FALSE(window->CollectRows(lines));
  std::vector<std::string> texts;
  for (const auto& m : box.Messages()) {
    EXPECT_EQ(m.kind, kMsgError);
    texts.push_back(m.text);
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"Zeile 2 ist falsch", "Zeile 4 ist falsch", "Zeile 5 ist falsch",
                                             "Zeile 6 ist falsch", "Zeile 7 ist falsch", "Zeile 8 ist falsch"}));
  // End refuses, the window stays and the list is untouched.
  Trigger("End");
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(list, TextLines{"7;1.0;2.0;;;"});

  for (int r = 1; r < 8; ++r)
    if (r != 2) Row(r, {"", "", "", "", "", ""});
  Row(7, {"8", " 10 ", "-20.", "+3"});
  box.Answer(kAnsNo);
  Trigger("End");
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(list, (TextLines{"1;600000.5;200000.25;;MA;Mauer", "8;10;-20.;+3;;"}));
}

TEST_F(ManualInputTest, CommaLocaleShowsCommasAndStoresPoints) {
  SetSystemSeparators(',', '.', ':');
  savePath = tmp / "komma.xyz";
  Open();
  Row(0, {"1", "12,5", "600000,25", "0,125"});
  EXPECT_TRUE(window->SaveClick());
  EXPECT_EQ(ReadFile(savePath), "1;12.5;600000.25;0.125;;\r\n");
  EXPECT_EQ(list, TextLines{"1;12.5;600000.25;0.125;;"});
  EXPECT_EQ(Get(0, 2), "12,5");
  // Shown again from the list: the system's separator.
  window->FillGrid(list);
  EXPECT_EQ(Get(0, 2), "12,5");
  EXPECT_EQ(Get(0, 4), "0,125");
  // A thousands separator is no number.
  Row(0, {"1", "1.234,5", "2"});
  TextLines lines;
  EXPECT_FALSE(window->CollectRows(lines));
}

TEST_F(ManualInputTest, PastingFillsRowsAndNeverShrinksTheGrid) {
  Open();
  // Three spreadsheet lines at row 5 of ten: the grid keeps its ten rows.
  window->PasteText(4, 1, "1\t600000.5\t200000.5\r\n2\t600001\t200001\t\t\r\n3\t600002\t200002\t401\tK\tText\tmehr\r\n");
  EXPECT_EQ(grid->rowCount(), 10);
  EXPECT_EQ(Get(4, 1), "1");
  EXPECT_EQ(Get(6, 6), "Text");
  EXPECT_EQ(grid->columnCount(), 7);  // the seventh field is dropped
  EXPECT_TRUE(window->Modified());
  // Near the end the grid grows to one empty row after the pasted ones.
  window->PasteText(8, 2, "5\t6\n7\t8\n9\t10\n");
  EXPECT_EQ(grid->rowCount(), 12);
  EXPECT_EQ(Get(10, 3), "10");
  EXPECT_EQ(Get(11, 0), "12");

  // Through the clipboard into row 1, column 1.
  QApplication::clipboard()->setText("A1\t10\t20\nA2\t11\t21\nA3\t12\t22\n");
  grid->setFocus();
  grid->setCurrentCell(0, 1);
  QTest::keySequence(grid, QKeySequence::Paste);
  EXPECT_EQ(Get(2, 1), "A3");
  EXPECT_EQ(Get(2, 3), "22");
  // Delete empties the selected cells.
  grid->setCurrentCell(8, 2);
  QTest::keyClick(grid, Qt::Key_Delete);
  EXPECT_EQ(Get(8, 2), "");
}

TEST_F(ManualInputTest, EnterWalksTheColumnsAndAddsRows) {
  Open();
  grid->setFocus();
  grid->setCurrentCell(9, 5);
  QTest::keyClick(grid, Qt::Key_Return);
  EXPECT_EQ(grid->currentColumn(), 6);
  QTest::keyClick(grid, Qt::Key_Return);
  EXPECT_EQ(grid->rowCount(), 11);
  EXPECT_EQ(grid->currentRow(), 10);
  EXPECT_EQ(grid->currentColumn(), 1);
  EXPECT_EQ(Get(10, 0), "11");
}

TEST_F(ManualInputTest, OpenRefusesForeignFilesAndAsksBeforeDroppingRows) {
  WriteFile(tmp / "fremd.txt", "Das ist keine Punktliste\r\n1;2;3;;;\r\n");
  WriteFile(tmp / "lf.xyz", "11;100.5;200.5;;;\n12;101;201\n13;102;202;5;C\n");
  list = {"7;1.0;2.0;;;"};
  Open();
  openPath = tmp / "fremd.txt";
  Trigger("Open");
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Messages()[0].kind, kMsgError);
  EXPECT_EQ(Get(0, 1), "7");
  EXPECT_EQ(list, TextLines{"7;1.0;2.0;;;"});

  // LF-only lines with fewer fields give empty cells.
  openPath = tmp / "lf.xyz";
  Trigger("Open");
  EXPECT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(grid->rowCount(), 4);
  EXPECT_EQ(Get(1, 3), "201");
  EXPECT_EQ(Get(1, 4), "");
  EXPECT_EQ(Get(2, 5), "C");
  EXPECT_EQ(window->FileName(), openPath);
  EXPECT_FALSE(window->Modified());

  // Changed rows: New asks 568 (a file is named) and keeps them on a Yes
  // whose save fails.
  Set(0, 1, "11a");
  Set(1, 3, "x");
  box.Answer(kAnsYes);
  Trigger("New");
  ASSERT_EQ(box.Messages().size(), 3u);
  EXPECT_EQ(box.Messages()[1].kind, kMsgInformation);
  EXPECT_EQ(box.Messages()[1].buttons, kBtnYesNo);
  EXPECT_EQ(box.Messages()[2].text, "Zeile 2 ist falsch");
  EXPECT_EQ(Get(0, 1), "11a");
  EXPECT_EQ(ReadFile(openPath), "11;100.5;200.5;;;\n12;101;201\n13;102;202;5;C\n");
  box.Answer(kAnsNo);
  Trigger("New");
  EXPECT_EQ(grid->rowCount(), 10);
  EXPECT_EQ(Get(0, 1), "");
  EXPECT_TRUE(window->FileName().empty());
}

TEST_F(ManualInputTest, EndStaysOpenWithoutASavedFileAndEscapeRunsEnd) {
  Open();
  Row(0, {"1", "10", "20"});
  box.Answer(kAnsYes);  // 537: save, but the save dialog is cancelled
  QTest::keyClick(window.get(), Qt::Key_Escape);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(saveDialogs, 1);
  EXPECT_TRUE(list.empty());
  // The title bar runs End too: now saved.
  savePath = tmp / "end.xyz";
  box.Answer(kAnsYes);
  window->close();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(ReadFile(savePath), "1;10;20;;;\r\n");
  EXPECT_EQ(list, TextLines{"1;10;20;;;"});
}

TEST_F(ManualInputTest, CoordinateAndCodeWindowsEachKeepTheOthersLines) {
  const std::string code = "MA\xA6"
                           "12\xA6Mauer";
  list = {"1;10;20;;;", code};
  Open();
  EXPECT_EQ(grid->rowCount(), 2);  // only the coordinate line
  Row(1, {"2", "11", "21", "5"});
  box.Answer(kAnsNo);
  Trigger("End");
  EXPECT_EQ(list, (TextLines{"1;10;20;;;", "2;11;21;5;;", code}));

  TfrmCodeInput codes(nullptr, &list);
  auto* codeGrid = codes.findChild<QTableWidget*>("InputCodes");
  EXPECT_EQ(ToAnsi(codeGrid->item(0, 1)->text()), "MA");
  EXPECT_EQ(codeGrid->rowCount(), 2);
  codeGrid->setItem(1, 1, new QTableWidgetItem("BA"));
  codeGrid->setItem(1, 2, new QTableWidgetItem("x"));  // entity no number
  EXPECT_FALSE(codes.TakeOver());
  EXPECT_EQ(list, (TextLines{"1;10;20;;;", "2;11;21;5;;", code}));  // unchanged while invalid
  codeGrid->item(1, 2)->setText("");
  EXPECT_TRUE(codes.TakeOver());
  EXPECT_EQ(list, (TextLines{"1;10;20;;;", "2;11;21;5;;", code, "BA\xA6\xA6"}));
}

// Points typed into the grid, saved as a point list and sent through the
// keyboard-input format as GSI 16; a point without height gets none.
TEST_F(ManualInputTest, TypedPointsReachGsi16ThroughTheEditorFormat) {
  savePath = tmp / "punkte.xyz";
  Open();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  grid->setFocus();
  grid->setCurrentCell(0, 1);
  auto focus = [this] { return QApplication::focusWidget() ? QApplication::focusWidget() : grid; };
  for (const char* cell : {"1001", "600123.456", "200654.321", "456.789", "21", "Mauer Nord", "1002", "600200",
                           "200700.05", "", "", "", "A12", "599999.995", "199998.004", "-1.25", "12", ""}) {
    for (const char* c = cell; *c; ++c) QTest::keyClick(focus(), *c);
    QTest::keyClick(focus(), Qt::Key_Return);
  }
  EXPECT_EQ(Get(0, 6), "Mauer Nord");
  EXPECT_EQ(Get(2, 1), "A12");
  window->grab().save(VELTRO_BUILD_DIR "/tests/window-manualinput.png");
  ASSERT_TRUE(window->SaveClick());
  const std::string expected = ReadFile(kData + "/editor/manuell.xyz");
  EXPECT_TRUE(SameBytes(expected, ReadFile(savePath)));
  for (const char* from : {"Editor", "auto"}) {
    const std::string out = tmp / (std::string(from) + ".gsi");
    const ConvertRun run =
        RunConverter(tmp, "--from " + std::string(from) + " --to GSI16 " + ShellQuote(savePath) + " " + ShellQuote(out));
    ASSERT_EQ(run.status, 0) << run.stderrText;
    EXPECT_TRUE(SameBytes(ReadFile(kData + "/editor/manuell.gsi"), ReadFile(out))) << from;
  }
}

}  // namespace
}  // namespace veltro::test
