#include "app/CodeDefinitionen.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "core/Messages.h"
#include "instruments/CodeListen.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "platform/qt/QtMessageBox.h"
#include "tests/app/QtTestApp.h"
#include "tests/support/TempSettings.h"

namespace veltro::test {
namespace {

class CodeDefinitionenTest : public ::testing::Test {
 protected:
  CodeDefinitionenTest() {
    QtTestApp();
    ResetCodeLists();
    SetTextProvider(nullptr);  // no language: the shipped German texts
  }
  ~CodeDefinitionenTest() override { ResetCodeLists(); }

  // Creates the window and shows it (activation loads the current list).
  void Open() {
    dialog = std::make_unique<TfrmGSICodeTabelle>();
    dialog->askParameter = [this](int target, std::string& parameter) {
      asked.push_back(target);
      if (answers.empty()) return false;
      parameter = answers.front();
      answers.erase(answers.begin());
      return true;
    };
    dialog->show();
    list = dialog->findChild<QListWidget*>("CodeListe");
    codeEdit = dialog->findChild<QLineEdit*>("CodeEdit");
    name = dialog->findChild<QComboBox*>("EditCodelist");
    ASSERT_TRUE(list && codeEdit && name);
  }
  QComboBox* Info(int i) { return dialog->findChild<QComboBox*>(QString("EditInfo%1").arg(i)); }
  QPushButton* Button(const char* objectName) { return dialog->findChild<QPushButton*>(objectName); }
  std::vector<std::string> Codes() const {
    std::vector<std::string> codes;
    for (int i = 0; i < list->count(); ++i) codes.push_back(ToAnsi(list->item(i)->text()));
    return codes;
  }
  void Choose(int info, int index) {
    Info(info)->setCurrentIndex(index);
    emit Info(info)->activated(index);
  }
  void TypeName(const QString& text) {
    name->lineEdit()->clear();
    QTest::keyClicks(name->lineEdit(), text);
    QTest::keyClick(name->lineEdit(), Qt::Key_Return);
  }
  void TypeCode(const QString& text) {
    codeEdit->clear();
    QTest::keyClicks(codeEdit, text);
    QTest::keyClick(codeEdit, Qt::Key_Return);
  }

  TempSettings settings;
  ScriptedMessageBox box;
  ScopedMessageBox guard{&box};
  std::unique_ptr<TfrmGSICodeTabelle> dialog;
  QListWidget* list = nullptr;
  QLineEdit* codeEdit = nullptr;
  QComboBox* name = nullptr;
  std::vector<int> asked;
  std::vector<std::string> answers;
};

TEST_F(CodeDefinitionenTest, WithoutStoredEntriesTheDefaultCodesAreShown) {
  Open();
  EXPECT_EQ(dialog->objectName(), "TfrmGSICodeTabelle");
  EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("Codedefinitionen für GSI Datenformat"));
  EXPECT_EQ(Codes(), (std::vector<std::string>{"01", "02", "03", "11", "21", "22", "23", "31", "32", "33", "34", "35",
                                               "36", "37"}));
  EXPECT_EQ(list->currentRow(), 0);
  EXPECT_EQ(name->currentText(), "Default");
  // "01;1;0;5|0;2;-1;..." selects targets 1, 0, 5, 2 and nothing after them.
  EXPECT_EQ(Info(1)->currentIndex(), 1);
  EXPECT_EQ(Info(2)->currentIndex(), 0);
  EXPECT_EQ(Info(3)->currentIndex(), 5);
  EXPECT_EQ(Info(4)->currentIndex(), 2);
  EXPECT_EQ(Info(5)->currentIndex(), -1);
  EXPECT_EQ(Info(1)->count(), kCodeTargetKinds);
  EXPECT_EQ(Info(1)->itemText(9), "Stationsnummer");
  list->setCurrentRow(3);  // "11;1;3|ddmmyyyy;6;2;..."
  EXPECT_EQ(Info(2)->currentIndex(), 3);
  EXPECT_EQ(Info(3)->currentIndex(), 6);
  EXPECT_FALSE(codeEdit->isVisible());
}

TEST_F(CodeDefinitionenTest, ActivationTranslatesByTextNumber) {
  SetTextProvider([](int n) {
    switch (n) {
      case 330:
        return std::string("&GSI-Codes");
      case 337:
        return std::string(
            "Ziel\xA6Projekt\xA6"
            "Beobachter\xA6Instrument\xA7W\xE4hlt das Ziel");
      case 276:
        return std::string("Listen&name");
      case 331:
        return std::string("&Neu");
      default:
        return std::string();
    }
  });
  Open();
  SetTextProvider(nullptr);
  EXPECT_EQ(dialog->windowTitle(), "GSI-Codes");
  ASSERT_EQ(Info(1)->count(), 3);
  EXPECT_EQ(Info(1)->itemText(1), "Beobachter");
  EXPECT_EQ(Info(1)->toolTip(), QString::fromUtf8("Wählt das Ziel"));
  EXPECT_EQ(Info(1)->currentIndex(), 1);   // "01;1;0;5|0;2;..."
  EXPECT_EQ(Info(3)->currentIndex(), -1);  // target 5 is no item of this language
  EXPECT_EQ(dialog->findChild<QLabel*>("LabelCodelist")->text(), "Listen&name:");
  EXPECT_EQ(Button("AddCode")->text(), "&Neu");
  EXPECT_EQ(Button("DeleteCode")->text(), QString::fromUtf8("Code &löschen"));  // no text: design text stays
}

TEST_F(CodeDefinitionenTest, TwelveStoredEntriesAreShownInNumericOrder) {
  std::string ini = "[Software\\VELTRO Marten\\Surtrans\\2.1.1.5\\Configuration\\GSI8\\Code list\\Zwoelf]\n";
  for (int i : {10, 0, 11, 1, 2, 3, 4, 5, 6, 7, 8, 9})
    ini += std::to_string(i) + "=" + std::to_string(50 + i) + ";9;\n";
  std::filesystem::create_directories(settings.Dir() / "user");
  WriteFile(settings.UserFile(), ini);
  CodeLists().CurrentList = "Zwoelf";
  Open();
  std::vector<std::string> expected;
  for (int i = 0; i < 12; ++i) expected.push_back(std::to_string(50 + i));
  EXPECT_EQ(Codes(), expected);
  EXPECT_EQ(name->currentText(), "Zwoelf");
  EXPECT_EQ(Info(1)->currentIndex(), 9);
  EXPECT_EQ(CodeLists().StationCodes.substr(0, 9), "50;51;52;");
}

TEST_F(CodeDefinitionenTest, AddedCodesAreAppendedWithEightEmptyTargetsAndStoredOnOk) {
  Open();
  QTest::mouseClick(Button("AddCode"), Qt::LeftButton);
  EXPECT_TRUE(codeEdit->isVisible());
  EXPECT_TRUE(dialog->findChild<QLabel*>("NewCode")->isVisible());
  EXPECT_FALSE(dialog->findChild<QLabel*>("ChangeCode")->isVisible());
  TypeCode("45");
  EXPECT_FALSE(codeEdit->isVisible());
  ASSERT_EQ(list->count(), 15);
  EXPECT_EQ(list->item(14)->text(), "45");
  EXPECT_EQ(list->currentRow(), 14);
  EXPECT_EQ(CodeLists().Definitions.back(), "45;;;;;;;;;");
  for (int i = 1; i <= 8; ++i) EXPECT_EQ(Info(i)->currentIndex(), -1) << i;

  // "-" on the list adds a code too.
  list->setFocus();
  QTest::keyClick(list, '-');
  EXPECT_TRUE(codeEdit->isVisible());
  TypeCode("46");
  EXPECT_EQ(Codes().back(), "46");

  QTest::mouseClick(Button("Ende"), Qt::LeftButton);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  const TextLines stored = ReadStoredDefinitions("Default");
  ASSERT_EQ(stored.size(), 16u);
  EXPECT_EQ(stored[14], "45;;;;;;;;;");
  EXPECT_EQ(stored[15], "46;;;;;;;;;");
  EXPECT_EQ(stored[0], DefaultCodeDefinitions()[0]);
}

TEST_F(CodeDefinitionenTest, AnEmptyCodeAddsNothingAndACodeWithASemicolonIsRefused) {
  Open();
  QTest::mouseClick(Button("AddCode"), Qt::LeftButton);
  TypeCode("");
  EXPECT_EQ(list->count(), 14);
  EXPECT_FALSE(codeEdit->isVisible());
  QTest::mouseClick(Button("AddCode"), Qt::LeftButton);
  TypeCode("4;5");
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Messages()[0].kind, kMsgError);
  EXPECT_EQ(list->count(), 14);
  EXPECT_TRUE(codeEdit->isVisible());  // still open for correction
  TypeCode("45");
  EXPECT_EQ(list->count(), 15);
}

TEST_F(CodeDefinitionenTest, EditingACodeRenamesTheDefinitionToo) {
  Open();
  list->setCurrentRow(1);  // "02;9;10;11|3;8|0;..."
  QTest::mouseClick(Button("EditCode"), Qt::LeftButton);
  EXPECT_TRUE(dialog->findChild<QLabel*>("ChangeCode")->isVisible());
  EXPECT_EQ(codeEdit->text(), "02");
  TypeCode("12");
  EXPECT_EQ(list->item(1)->text(), "12");
  EXPECT_EQ(CodeLists().Definitions[1], "12;9;10;11|3;8|0;-1;-1;-1;-1;");
  EXPECT_EQ(CodeLists().StationCodes, "12;21;23;");
  QTest::mouseClick(Button("Ende"), Qt::LeftButton);
  EXPECT_EQ(ReadStoredDefinitions("Default")[1], "12;9;10;11|3;8|0;-1;-1;-1;-1;");

  // A double click and "r" edit as well.
  Open();
  list->setCurrentRow(0);
  list->setFocus();
  QTest::keyClick(list, 'r');
  EXPECT_EQ(codeEdit->text(), "01");
  TypeCode("01");
  EXPECT_EQ(CodeLists().Definitions[0], DefaultCodeDefinitions()[0]);
}

TEST_F(CodeDefinitionenTest, DeleteNeedsASelectionAndThenSelectsTheNewLastCode) {
  Open();
  list->setCurrentRow(-1);
  QTest::mouseClick(Button("DeleteCode"), Qt::LeftButton);
  EXPECT_EQ(list->count(), 14);
  EXPECT_EQ(CodeLists().Definitions.size(), 14u);

  list->setCurrentRow(13);
  QTest::mouseClick(Button("DeleteCode"), Qt::LeftButton);
  ASSERT_EQ(list->count(), 13);
  EXPECT_EQ(list->currentRow(), 12);
  EXPECT_EQ(list->currentItem()->text(), "36");
  EXPECT_EQ(CodeLists().Definitions.size(), 13u);
  EXPECT_EQ(CodeLists().Definitions.back(), "36;12;15|3;16|3;-1;-1;-1;-1;-1;");
  EXPECT_EQ(Info(1)->currentIndex(), 12);  // the new last code is shown
  EXPECT_EQ(Info(2)->currentIndex(), 15);

  // In the middle the entry at the same place is selected; "." deletes too.
  list->setCurrentRow(1);
  list->setFocus();
  QTest::keyClick(list, '.');
  EXPECT_EQ(list->currentItem()->text(), "03");
  EXPECT_EQ(DefinitionCode(CodeLists().Definitions[1]), "03");

  while (list->count() > 0) QTest::mouseClick(Button("DeleteCode"), Qt::LeftButton);
  EXPECT_TRUE(CodeLists().Definitions.empty());
  EXPECT_EQ(Info(1)->currentIndex(), -1);
  QTest::mouseClick(Button("DeleteCode"), Qt::LeftButton);  // empty list: nothing happens
  EXPECT_EQ(list->count(), 0);
}

TEST_F(CodeDefinitionenTest, ChangingATargetRebuildsTheDefinitionAndAsksOnlyItsParameter) {
  Open();
  list->setCurrentRow(3);  // "11;1;3|ddmmyyyy;6;2;-1;-1;-1;-1;"
  answers = {"hhmm"};
  Choose(2, kTargetZeit);
  EXPECT_EQ(asked, std::vector<int>{kTargetZeit});
  EXPECT_EQ(CodeLists().Definitions[3], "11;1;4|hhmm;6;2;-1;-1;-1;-1;");

  Choose(3, kTargetInstrumentenhoehe);  // cancelled: the default parameter
  EXPECT_EQ(CodeLists().Definitions[3], "11;1;4|hhmm;11|3;2;-1;-1;-1;-1;");
  Choose(1, kTargetStation);  // no parameter to ask; the others keep theirs
  EXPECT_EQ(asked.size(), 2u);
  EXPECT_EQ(CodeLists().Definitions[3], "11;9;4|hhmm;11|3;2;-1;-1;-1;-1;");
  EXPECT_EQ(CodeLists().StationCodes, "02;11;21;23;");

  Info(4)->setFocus();
  QTest::keyClick(Info(4), Qt::Key_Delete);  // Delete clears a choice
  EXPECT_EQ(Info(4)->currentIndex(), -1);
  EXPECT_EQ(CodeLists().Definitions[3], "11;9;4|hhmm;11|3;-1;-1;-1;-1;-1;");
}

TEST_F(CodeDefinitionenTest, ANewListNameStartsAnEmptyListStoredOnOk) {
  Open();
  list->setCurrentRow(0);
  Choose(1, kTargetStation);  // a change to the shown list
  TypeName("Baustelle 7");
  EXPECT_EQ(list->count(), 0);
  EXPECT_TRUE(CodeLists().Definitions.empty());
  EXPECT_EQ(CodeLists().CurrentList, "Baustelle 7");
  EXPECT_EQ(Info(1)->currentIndex(), -1);
  // The list shown before is kept.
  EXPECT_EQ(ReadStoredDefinitions("Default")[0], "01;9;0;5|0;2;-1;-1;-1;-1;");

  QTest::mouseClick(Button("AddCode"), Qt::LeftButton);
  TypeCode("5");
  Choose(1, kTargetStation);
  QTest::mouseClick(Button("Ende"), Qt::LeftButton);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(CodeLists().CurrentList, "Baustelle 7");
  EXPECT_EQ(ReadStoredDefinitions("Baustelle 7"), TextLines{"5;9;-1;-1;-1;-1;-1;-1;-1;"});
  const auto names = CodeListNames();
  EXPECT_NE(std::find(names.begin(), names.end(), "Baustelle 7"), names.end());
}

TEST_F(CodeDefinitionenTest, ANameTypedWithoutLeavingTheFieldIsTakenByOk) {
  Open();
  name->lineEdit()->setText("Neu");
  QTest::mouseClick(Button("Ende"), Qt::LeftButton);
  EXPECT_EQ(CodeLists().CurrentList, "Neu");
  EXPECT_TRUE(CodeListExists("Neu"));
}

TEST_F(CodeDefinitionenTest, ListNamesWithBackslashOrSlashAreRefused) {
  Open();
  TypeName("Nord\\Sued");
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Messages()[0].kind, kMsgError);
  EXPECT_NE(box.Messages()[0].text.find("Nord\\Sued"), std::string::npos);
  EXPECT_EQ(CodeLists().CurrentList, "Default");
  EXPECT_EQ(name->currentText(), "Default");
  EXPECT_EQ(list->count(), 14);

  name->lineEdit()->setText("a/b");
  QTest::mouseClick(Button("Ende"), Qt::LeftButton);
  EXPECT_TRUE(dialog->isVisible());  // OK refused with the name
  EXPECT_EQ(box.Messages().size(), 2u);
  EXPECT_FALSE(RegKeyExists(RegistryRoot::CurrentUser, CodeListKey("a")));
  EXPECT_FALSE(RegKeyExists(RegistryRoot::CurrentUser, CodeListKey("Nord")));
}

TEST_F(CodeDefinitionenTest, ChoosingAStoredListSavesTheShownOneAndShowsTheOther) {
  CodeLists().CurrentList = "Sued";
  CodeLists().Definitions = {"7;9;-1;-1;-1;-1;-1;-1;-1;", "8;6;-1;-1;-1;-1;-1;-1;-1;"};
  SaveCodeDefinitions();
  ResetCodeLists();
  Open();
  list->setCurrentRow(2);
  Choose(1, kTargetKommentar);
  name->showPopup();  // dropping down lists the stored names
  name->hidePopup();
  const int sued = name->findText("Sued");
  ASSERT_GE(sued, 0);
  name->setCurrentIndex(sued);
  emit name->activated(sued);
  EXPECT_EQ(CodeLists().CurrentList, "Sued");
  EXPECT_EQ(Codes(), (std::vector<std::string>{"7", "8"}));
  EXPECT_EQ(Info(1)->currentIndex(), 9);
  EXPECT_EQ(ReadStoredDefinitions("Default")[2], "03;22;14|3;16|3;15|3;-1;-1;-1;-1;");

  // Typing a stored name in another case switches to it as well.
  TypeName("default");
  EXPECT_EQ(CodeLists().CurrentList, "Default");
  EXPECT_EQ(list->count(), 14);
}

TEST_F(CodeDefinitionenTest, DeletingTheCodeListEmptiesEverything) {
  CodeLists().CurrentList = "Alt";
  CodeLists().Definitions = {"7;9;-1;-1;-1;-1;-1;-1;-1;"};
  SaveCodeDefinitions();
  ResetCodeLists();
  CodeLists().CurrentList = "Alt";
  Open();
  EXPECT_EQ(Codes(), std::vector<std::string>{"7"});
  QTest::mouseClick(Button("DeleteCodeList"), Qt::LeftButton);
  EXPECT_FALSE(CodeListExists("Alt"));
  EXPECT_EQ(CodeLists().CurrentList, "");
  EXPECT_TRUE(CodeLists().Definitions.empty());
  EXPECT_EQ(list->count(), 0);
  EXPECT_EQ(name->currentText(), "");
  EXPECT_EQ(Info(1)->currentIndex(), -1);
}

TEST_F(CodeDefinitionenTest, CancelReturnsToTheRememberedListAsStored) {
  CodeLists().CurrentList = "Sued";
  CodeLists().Definitions = {"7;9;-1;-1;-1;-1;-1;-1;-1;"};
  SaveCodeDefinitions();
  ResetCodeLists();
  Open();
  list->setCurrentRow(0);
  QTest::mouseClick(Button("DeleteCode"), Qt::LeftButton);  // unsaved change of "Default"
  TypeName("Sued");
  EXPECT_EQ(CodeLists().CurrentList, "Sued");
  QTest::mouseClick(Button("Abbrechen"), Qt::LeftButton);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  EXPECT_EQ(CodeLists().CurrentList, "Default");
  // Switching saved "Default" with the deletion; the definitions in use are the stored ones.
  EXPECT_EQ(CodeLists().Definitions, ReadStoredDefinitions("Default"));
  EXPECT_EQ(CodeLists().Definitions.size(), 13u);
}

TEST_F(CodeDefinitionenTest, AWindowShownAgainStartsFromTheListCurrentThen) {
  Open();
  QTest::mouseClick(Button("Abbrechen"), Qt::LeftButton);
  CodeLists().CurrentList = "Sued";  // chosen elsewhere meanwhile
  CodeLists().Definitions = {"7;9;-1;-1;-1;-1;-1;-1;-1;"};
  SaveCodeDefinitions();
  dialog->show();
  EXPECT_EQ(name->currentText(), "Sued");
  EXPECT_EQ(Codes(), std::vector<std::string>{"7"});
  EXPECT_GE(name->findText("Sued"), 0);
  TypeName("Nord");
  QTest::mouseClick(Button("Abbrechen"), Qt::LeftButton);
  EXPECT_EQ(CodeLists().CurrentList, "Sued");
}

}  // namespace
}  // namespace veltro::test
