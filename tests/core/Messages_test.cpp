#include "core/Messages.h"

#include <gtest/gtest.h>

#include "core/Language.h"
#include "platform/DynamicLibrary.h"
#include "platform/MessageBox.h"

namespace veltro::test {
namespace {

class MessagesTest : public ::testing::Test {
 protected:
  ~MessagesTest() override {
    LoadMessageTitles(1033);
    SetTextProvider(nullptr);
  }
  const RecordedMessage& Last() const { return box.Messages().back(); }

  ScriptedMessageBox box;
  ScopedMessageBox guard{&box};
};

// ---- Buttons ------------------------------------------------------------------

TEST_F(MessagesTest, ButtonSetsFollowTheLaterRule) {
  EXPECT_EQ(MessageBoxButtons(kBtnYes | kBtnNo | kBtnCancel), kBtnYes | kBtnNo | kBtnCancel);
  EXPECT_EQ(MessageBoxButtons(kBtnOk | kBtnCancel), kBtnOk | kBtnCancel);
  EXPECT_EQ(MessageBoxButtons(0), kBtnOk);
  EXPECT_EQ(MessageBoxButtons(kBtnOk), kBtnOk);
  EXPECT_EQ(MessageBoxButtons(kBtnYesNo), kBtnYesNo);
  EXPECT_EQ(MessageBoxButtons(kBtnAbort | kBtnRetry | kBtnIgnore), kBtnAbort | kBtnRetry | kBtnIgnore);
  EXPECT_EQ(MessageBoxButtons(kBtnRetry | kBtnCancel), kBtnRetry | kBtnCancel);
  // Sets that are not one of the standard ones give OK.
  EXPECT_EQ(MessageBoxButtons(kBtnYes), kBtnOk);
  EXPECT_EQ(MessageBoxButtons(kBtnNo | kBtnCancel), kBtnOk);
  EXPECT_EQ(MessageBoxButtons(kBtnAbort | kBtnRetry), kBtnOk);
  EXPECT_EQ(MessageBoxButtons(1 << 7), kBtnOk);
  // A later rule wins over an earlier one.
  EXPECT_EQ(MessageBoxButtons(kBtnOk | kBtnYes | kBtnNo), kBtnYesNo);
  EXPECT_EQ(MessageBoxButtons(kBtnAbort | kBtnRetry | kBtnIgnore | kBtnOk), kBtnOk);
  EXPECT_EQ(MessageBoxButtons(kBtnOk | kBtnCancel | kBtnRetry), kBtnRetry | kBtnCancel);
  // Help is added to whatever set was chosen.
  EXPECT_EQ(MessageBoxButtons(kBtnOk | kBtnCancel | kBtnHelp), kBtnOk | kBtnCancel | kBtnHelp);
  EXPECT_EQ(MessageBoxButtons(kBtnHelp), kBtnOk | kBtnHelp);
}

TEST_F(MessagesTest, TheBoxGetsTheChosenSetAndItsAnswerComesBack) {
  box.Answer(kAnsCancel);
  EXPECT_EQ(ShowMessageBox("Frage", kMsgConfirmation, kBtnYes | kBtnNo | kBtnCancel), kAnsCancel);
  EXPECT_EQ(Last().buttons, kBtnYes | kBtnNo | kBtnCancel);
  box.Answer(kAnsOk);
  EXPECT_EQ(ShowMessageBox("Frage", kMsgConfirmation, kBtnOk | kBtnCancel), kAnsOk);
  EXPECT_EQ(Last().buttons, kBtnOk | kBtnCancel);
  EXPECT_EQ(ShowMessageBox("Hinweis", kMsgInformation, 0), kAnsOk);
  EXPECT_EQ(Last().buttons, kBtnOk);
  EXPECT_EQ(Last().kind, kMsgInformation);
}

// ---- Text and title ---------------------------------------------------------

TEST_F(MessagesTest, EscapesAreExpandedInTheMessage) {
  ShowMessageBox("eins#13#10zwei", kMsgWarning, kBtnOk);
  EXPECT_EQ(Last().text, "eins\r\nzwei");
  ShowMessageBox("Punkt # 12 und #0", kMsgWarning, kBtnOk);
  EXPECT_EQ(Last().text, "Punkt # 12 und #0");
}

TEST_F(MessagesTest, TitlesNameTheKindInTheActiveLanguage) {
  ShowMessageBox("x", kMsgWarning, kBtnOk);
  EXPECT_EQ(Last().title, "Warning");
  ShowMessageBox("x", kMsgConfirmation, kBtnOk);
  EXPECT_EQ(Last().title, "Confirmation");

  LoadMessageTitles(2055);  // Swiss German: primary language 7
  ShowMessageBox("x", kMsgError, kBtnOk);
  EXPECT_EQ(Last().title, "Fehler");
  EXPECT_EQ(MessageTitle(kMsgWarning), "Warnung");
  EXPECT_EQ(MessageTitle(kMsgInformation), "Information");
  EXPECT_EQ(MessageTitle(kMsgConfirmation), "Best\xE4tigung");
  EXPECT_EQ(DateTimeErrorText(), "Fehler bei Auswertung von Datum oder Zeit.");

  LoadMessageTitles(2070);  // Portuguese
  EXPECT_EQ(MessageTitle(kMsgWarning), "Aten\xE7\xE3o");
  LoadMessageTitles(4108);  // Swiss French
  EXPECT_EQ(DateTimeErrorText(), "Erreur d'exploitation de la date et de l'heure.");
  LoadMessageTitles(2064);  // Swiss Italian
  EXPECT_EQ(MessageTitle(kMsgWarning), "Attentione");
}

TEST_F(MessagesTest, LanguagesWithoutTitlesFallBackToEnglish) {
  LoadMessageTitles(1031);
  LoadMessageTitles(9999);  // "Europa"
  EXPECT_EQ(MessageTitle(kMsgError), "Error");
  EXPECT_EQ(DateTimeErrorText(), "Error in date or time");
  LoadMessageTitles(1043);  // Dutch
  EXPECT_EQ(MessageTitle(kMsgWarning), "Warning");
  LoadMessageTitles(1);
  EXPECT_EQ(MessageTitle(kMsgConfirmation), "Confirmation");
  // A kind outside 0 to 3 is titled with the program's title.
  EXPECT_EQ(MessageTitle(9), ProgramTitle());
}

// ---- Formatting language texts ----------------------------------------------------------

TEST_F(MessagesTest, LanguageTextsAreNeverPrintfPatterns) {
  SetTextProvider([](int n) { return n == 608 ? std::string("Format %s fehlt %d %n %x %%") : std::string(); });
  std::string out = FormatText(GetText(608), {"GSI %s%n"});
  EXPECT_EQ(out, "Format GSI %s%n fehlt  %n %x %");
  EXPECT_EQ(FormatText("%", {}), "%");
  EXPECT_EQ(FormatText("%s%s%s", {"a"}), "a");
}

TEST_F(MessagesTest, TextsComeFromTheLanguageLibrary) {
  SetInstallationDirectory(VELTRO_BUILD_DIR "/app");
  ASSERT_TRUE(LoadLanguage(*FindSprache("Deutsch")));
  ShowMessageBox(GetText(32), kMsgInformation, kBtnYesNo);
  EXPECT_EQ(Last().text, "Der Datensatz wurde ge\xE4ndert.\r\nSollen die \xC4nderungen gespeichert werden?");
  EXPECT_EQ(FormatText(GetText(589), {"7"}), "Zeile 7: der Code fehlt oder die Symbolnummer ist keine Zahl.");
  UnloadLanguage();
  SetInstallationDirectory("");
}

}  // namespace
}  // namespace veltro::test
