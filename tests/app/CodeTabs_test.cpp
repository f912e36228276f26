#include "app/CodeTabs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "app/Eingabe.h"
#include "core/Messages.h"
#include "core/Settings.h"
#include "instruments/CodeListen.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "platform/qt/QtMessageBox.h"
#include "tests/app/QtTestApp.h"
#include "tests/support/TempSettings.h"

namespace veltro::test {
namespace {

class CodeTabsTest : public ::testing::Test {
 protected:
  CodeTabsTest() {
    QtTestApp();
    ResetCodeLists();
    SetTextProvider([](int n) { return n == 340 ? std::string("Code-Nr.") : std::string(); });
  }
  ~CodeTabsTest() override {
    SetTextProvider(nullptr);
    ResetCodeLists();
  }
  TempSettings settings;
  ScriptedMessageBox box;
  ScopedMessageBox guard{&box};
};

TEST_F(CodeTabsTest, ActivationShowsTheStoredTablesWithTheLineIndicatorAtZero) {
  SaveCodeTables({TextLines{"Nord",
                            "S\xFC"
                            "d"},
                  TextLines{"Meier"}, TextLines{}, TextLines{"Mauer", "", "Baum"}});
  ResetCodeLists();
  TfrmCodeTabellen dialog;
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "Codetabellen editieren");
  auto* projekte = dialog.findChild<QPlainTextEdit*>("Projekte");
  auto* punktcodes = dialog.findChild<QPlainTextEdit*>("Punktcodes");
  ASSERT_TRUE(projekte && punktcodes && dialog.findChild<QPlainTextEdit*>("Beobachter") &&
              dialog.findChild<QPlainTextEdit*>("Instrumente"));
  EXPECT_EQ(projekte->toPlainText(), QString::fromUtf8("Nord\nSüd"));
  EXPECT_EQ(punktcodes->toPlainText(), "Mauer\n\nBaum");
  EXPECT_TRUE(dialog.findChild<QPlainTextEdit*>("Instrumente")->toPlainText().isEmpty());
  EXPECT_EQ(dialog.findChild<QLabel*>("ZZPunktcodes")->text(), "Code-Nr.  0");
  EXPECT_EQ(dialog.findChild<QLabel*>("LabelProjekte")->text(), "&Projekte:");

  // Keys move the caret; the indicator follows with the caret's line number.
  punktcodes->setFocus();
  QTest::keyClick(punktcodes, Qt::Key_Down);
  QTest::keyClick(punktcodes, Qt::Key_Down);
  EXPECT_EQ(dialog.findChild<QLabel*>("ZZPunktcodes")->text(), "Code-Nr.  2");
}

TEST_F(CodeTabsTest, OkStoresTheMemosAsMultiLineTablesAndCancelStoresNothing) {
  {
    TfrmCodeTabellen dialog;
    dialog.show();
    dialog.findChild<QPlainTextEdit*>("Beobachter")->setPlainText("Meier\nHuber");
    dialog.findChild<QPushButton*>("Abbrechen")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(RegValueExists(RegistryRoot::CurrentUser, ConfigPath("GSI8\\Users")));
  }
  TfrmCodeTabellen dialog;
  dialog.show();
  dialog.findChild<QPlainTextEdit*>("Beobachter")->setPlainText("Meier\nHuber");
  dialog.findChild<QPlainTextEdit*>("Instrumente")->setPlainText(QString::fromUtf8("TC 1700\n\nTCA 2003 ±"));
  dialog.findChild<QPushButton*>("OK")->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(CodeLists().Tables[kTableBeobachter], (TextLines{"Meier", "Huber"}));
  EXPECT_EQ(CodeLists().Tables[kTableInstrumente], (TextLines{"TC 1700", "", "TCA 2003 \xB1"}));
  ResetCodeLists();
  LoadCodeTables(true);
  EXPECT_EQ(CodeLists().Tables[kTableBeobachter], (TextLines{"Meier", "Huber"}));
  EXPECT_EQ(CodeLists().Tables[kTableInstrumente], (TextLines{"TC 1700", "", "TCA 2003 \xB1"}));
  EXPECT_TRUE(CodeLists().Tables[kTableProjekte].empty());
}

// ---- Parameter input -----------------------------------------------------------------

TEST_F(CodeTabsTest, DatePatternModeTakesOnlyDateLettersAndRefusesUnusablePatterns) {
  TfrmEingabe dialog;
  dialog.SetupPattern(TfrmEingabe::Mode::DatePattern, "&Datum", "Hinweis", "dd");
  dialog.show();
  auto* edit = dialog.findChild<QLineEdit*>("Edit");
  ASSERT_TRUE(edit);
  EXPECT_EQ(dialog.objectName(), "TfrmEingabe");
  EXPECT_EQ(dialog.windowTitle(), "Eingabe von");
  EXPECT_FALSE(dialog.findChild<QComboBox*>("Auswahl")->isVisible());
  edit->end(false);
  QTest::keyClicks(edit, "xmh1Yy");
  EXPECT_EQ(edit->text(), "ddmYy");
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(edit->text(), "ddmY");

  edit->setText("yyyy");
  dialog.findChild<QPushButton*>("OK")->click();
  EXPECT_TRUE(dialog.isVisible());       // cannot be confirmed
  EXPECT_EQ(box.Messages().size(), 1u);  // the date error, once
  dialog.findChild<QPushButton*>("OK")->click();
  EXPECT_EQ(box.Messages().size(), 1u);
  edit->setText("ddmmyy");
  dialog.findChild<QPushButton*>("OK")->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.Value(), "ddmmyy");
}

TEST_F(CodeTabsTest, TimePatternModeTakesOnlyTimeLetters) {
  TfrmEingabe dialog;
  dialog.SetupPattern(TfrmEingabe::Mode::TimePattern, "&Zeit", "", "");
  dialog.show();
  auto* edit = dialog.findChild<QLineEdit*>("Edit");
  QTest::keyClicks(edit, "hdhmymss");
  EXPECT_EQ(edit->text(), "hhmmss");
  dialog.findChild<QPushButton*>("OK")->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(CodeTabsTest, ChoiceModeAnswersTheChosenIndex) {
  TfrmEingabe dialog;
  dialog.SetupChoice("Reflektorh\xF6he:", {"a", "b", "c", "d"}, 2);
  dialog.show();
  auto* choice = dialog.findChild<QComboBox*>("Auswahl");
  ASSERT_TRUE(choice);
  EXPECT_EQ(choice->currentIndex(), 2);
  EXPECT_FALSE(dialog.findChild<QLineEdit*>("Edit")->isVisible());
  EXPECT_EQ(dialog.Value(), "2");
  choice->setCurrentIndex(3);
  dialog.findChild<QPushButton*>("OK")->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.Value(), "3");

  TfrmEingabe outOfRange;
  outOfRange.SetupChoice("x", {"a"}, 7);  // a stored parameter that is no item selects nothing
  EXPECT_EQ(outOfRange.findChild<QComboBox*>("Auswahl")->currentIndex(), -1);
}

}  // namespace
}  // namespace veltro::test
