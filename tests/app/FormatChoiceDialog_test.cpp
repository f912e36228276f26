#include "app/FormatChoiceDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <memory>

#include "core/Messages.h"
#include "platform/MessageBox.h"

namespace veltro {
namespace {

// One QApplication for the test program, destroyed at exit.
void EnsureApplication() {
  if (QApplication::instance()) return;
  static int argc = 1;
  static char name[] = "tests_app";
  static char* argv[] = {name, nullptr};
  static std::unique_ptr<QApplication> app = std::make_unique<QApplication>(argc, argv);
}

// The format pages of the main window in page order.
const std::vector<std::string> kPages = {"Editor",        "ASCII",   "CADdy",        "C-PLAN",     "DXF",
                                         "GEOS",          "Geotop",  "HOMERE",       "LTOP",       "Neues Format",
                                         "Originaldaten", "OSQUSO",  "SBB CFF FFS",  "Topo Bonjour", "Topocad"};

class FormatChoiceDialogTest : public ::testing::Test {
 protected:
  FormatChoiceDialogTest() {
    EnsureApplication();
    SetTextProvider([](int n) { return "T" + std::to_string(n); });
  }
  ~FormatChoiceDialogTest() override { SetTextProvider(nullptr); }

  QCheckBox* Box(TfrmDatenformate& dialog, int n) {
    return dialog.findChild<QCheckBox*>(QString("cbFormat%1").arg(n));
  }
  QPushButton* Button(TfrmDatenformate& dialog, const char* name) { return dialog.findChild<QPushButton*>(name); }

  ScriptedMessageBox box;
  ScopedMessageBox guard{&box};
};

TEST_F(FormatChoiceDialogTest, OneBoxPerPageAfterTheFirst) {
  TfrmDatenformate dialog(kPages, 515, 1);
  EXPECT_EQ(dialog.windowTitle(), "Datenformate");
  EXPECT_EQ(Box(dialog, 0), nullptr);
  EXPECT_EQ(Box(dialog, 15), nullptr);
  for (int n = 1; n <= 14; ++n) {
    QCheckBox* b = Box(dialog, n);
    ASSERT_NE(b, nullptr) << n;
    EXPECT_EQ(b->text().toStdString(), kPages[static_cast<size_t>(n)]);
    EXPECT_EQ(b->isChecked(), n == 1 || n == 9) << n;
  }
}

TEST_F(FormatChoiceDialogTest, TwoColumnsRows32PixelsApart) {
  TfrmDatenformate dialog(kPages, 515, 1);
  EXPECT_EQ(Box(dialog, 2)->y(), Box(dialog, 1)->y());
  EXPECT_GT(Box(dialog, 2)->x(), Box(dialog, 1)->x());
  EXPECT_EQ(Box(dialog, 3)->x(), Box(dialog, 1)->x());
  EXPECT_EQ(Box(dialog, 3)->y() - Box(dialog, 1)->y(), TfrmDatenformate::kRowSpacing);
  EXPECT_EQ(Box(dialog, 13)->y() - Box(dialog, 1)->y(), 6 * 32);
}

TEST_F(FormatChoiceDialogTest, OkStoresTheCheckedBoxes) {
  TfrmDatenformate dialog(kPages, 515, 1);
  Box(dialog, 4)->click();
  Box(dialog, 9)->click();
  Button(dialog, "Ok")->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.Mask(), 1 + 2 + 16);
  EXPECT_TRUE(box.Messages().empty());
}

TEST_F(FormatChoiceDialogTest, AbbrechenKeepsTheMask) {
  TfrmDatenformate dialog(kPages, 515, 1);
  Box(dialog, 4)->click();
  Button(dialog, "Abbrechen")->click();
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_EQ(dialog.Mask(), 515);
}

TEST_F(FormatChoiceDialogTest, SelectedPageStaysChecked) {
  TfrmDatenformate dialog(kPages, 515, 9);
  Box(dialog, 9)->click();
  EXPECT_TRUE(Box(dialog, 9)->isChecked());
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Messages()[0].text, "T325");
  EXPECT_EQ(box.Messages()[0].buttons, kBtnOk);
  Button(dialog, "Ok")->click();
  EXPECT_EQ(dialog.Mask(), 515);
}

TEST_F(FormatChoiceDialogTest, NeuesFormatOpensTheDefinitionEditor) {
  TfrmDatenformate dialog(kPages, 515, 1);
  QPushButton* button = Button(dialog, "NeuesFormat");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->text(), "Neues Format definieren");
  EXPECT_FALSE(button->isEnabled());

  dialog.SetTemplateFormats("Alt", {"Alt"});
  std::string seenName;
  dialog.SetDefineFormatHandler([&](std::string& name, std::vector<std::string>& list) {
    seenName = name;
    name = "Neu";
    list.push_back("Neu");
  });
  ASSERT_TRUE(button->isEnabled());
  button->click();
  EXPECT_EQ(seenName, "Alt");
  EXPECT_EQ(dialog.TemplateFormatName(), "Neu");
  EXPECT_EQ(dialog.TemplateFormatList(), (std::vector<std::string>{"Alt", "Neu"}));
}

}  // namespace
}  // namespace veltro
