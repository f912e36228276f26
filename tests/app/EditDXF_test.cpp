// The window "DXF Definitionen" offscreen on files of a DXF directory.
#include "app/EditDXF.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextCursor>

#include "core/Settings.h"
#include "formats/office/DFDefs.h"
#include "platform/Registry.h"
#include "platform/TextFile.h"
#include "tests/app/QtTestApp.h"
#include "tests/support/TempSettings.h"
#include "tests/support/TransferFixture.h"

namespace veltro::test {
namespace {

class EditDXFTest : public TransferFixture {
 protected:
  EditDXFTest() { WriteRegString(RegistryRoot::CurrentUser, ConfigPath("DXFPath"), dir(), true); }
  std::string dir() const { return tmp / "DXF"; }
  QPlainTextEdit* Editor(const char* name) { return window.findChild<QPlainTextEdit*>(name); }
  QPushButton* Button(const char* name) { return window.findChild<QPushButton*>(name); }
  std::vector<std::string> Texts() const { return MessageTexts(); }
  // Replaces an editor's text as typing does (setPlainText would not mark
  // the editor as changed).
  void Type(const char* editor, const QString& text) {
    QTextCursor c = Editor(editor)->textCursor();
    c.select(QTextCursor::Document);
    c.removeSelectedText();
    c.insertText(text);
  }

  QApplication& app = QtTestApp();
  TempSettings settingsFiles;
  TDFD dfd;
  TfrmEditDXF window{dfd};
};

TEST_F(EditDXFTest, LoadEditSaveAndDeleteAnEmptiedFrameFile) {
  ASSERT_EQ(mkdir(dir().c_str(), 0755), 0);
  WriteFile(dir() + "/dxf.def", "#Standard\r\n  0\r\nPOINT\r\n");
  WriteFile(dir() + "/HEAD.DXF", "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n");
  WriteFile(dir() + "/end.dxf", "  0\r\nENDSEC\r\n  0\r\nEOF\r\n");

  window.show();
  EXPECT_EQ(window.windowTitle(), "DXF Definitionen");
  auto* pages = window.findChild<QTabWidget*>("PageControl");
  ASSERT_NE(pages, nullptr);
  ASSERT_EQ(pages->count(), 3);
  EXPECT_EQ(pages->tabText(0), "&Definitionen editieren");
  EXPECT_EQ(pages->tabText(1), "&Vorspann editieren");
  EXPECT_EQ(pages->tabText(2), "&Nachspann editieren");
  EXPECT_EQ(Button("Speichern")->text(), "&Speichern");
  EXPECT_EQ(Button("Beenden")->text(), "&Beenden");
  EXPECT_EQ(Editor("MemoDefinitionen")->toPlainText(), "#Standard\n  0\nPOINT");
  EXPECT_EQ(Editor("MemoNachspann")->toPlainText(), "  0\nENDSEC\n  0\nEOF");
  EXPECT_FALSE(window.Changed());

  // Edits are saved with CR LF into the files as they are named; an emptied
  // HEAD.DXF is deleted, an emptied DXF.DEF is kept.
  Type("MemoDefinitionen", "#Punkt \xc3\xa4\n  0\nPOINT");
  Type("MemoVorspann", "");
  EXPECT_TRUE(window.Changed());
  QTest::mouseClick(Button("Speichern"), Qt::LeftButton);
  EXPECT_TRUE(Texts().empty());
  EXPECT_EQ(ReadFile(dir() + "/dxf.def"), "#Punkt \xe4\r\n  0\r\nPOINT\r\n");
  EXPECT_FALSE(FileExists(dir() + "/HEAD.DXF"));
  EXPECT_FALSE(FileExists(dir() + "/DXF.DEF"));
  EXPECT_FALSE(window.Changed());
  Type("MemoDefinitionen", "");
  ASSERT_TRUE(window.SaveFiles());
  EXPECT_TRUE(FileExists(dir() + "/dxf.def"));

  // A new HEAD.DXF gets its upper-case name.
  Type("MemoVorspann", "  0\nSECTION");
  ASSERT_TRUE(window.SaveFiles());
  EXPECT_EQ(ReadFile(dir() + "/HEAD.DXF"), "  0\r\nSECTION\r\n");
}

// "&Beenden" asks (text 134) only when something changed; "No" closes
// without saving, "Yes" saves; a failed save (text 50) keeps the window.
TEST_F(EditDXFTest, BeendenAsksAndSavesOnYes) {
  ASSERT_EQ(mkdir(dir().c_str(), 0755), 0);
  window.show();
  QTest::mouseClick(Button("Beenden"), Qt::LeftButton);
  EXPECT_TRUE(Texts().empty());
  EXPECT_FALSE(window.isVisible());

  window.show();
  Type("MemoNachspann", "  0\nEOF");
  box.Answer(kAnsNo);
  QTest::mouseClick(Button("Beenden"), Qt::LeftButton);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"T134"}));
  EXPECT_FALSE(window.isVisible());
  EXPECT_FALSE(FileExists(dir() + "/END.DXF"));

  window.show();
  EXPECT_EQ(Editor("MemoNachspann")->toPlainText(), "");
  Type("MemoNachspann", "  0\nEOF");
  box.Clear();
  box.Answer(kAnsYes);
  window.close();  // the title bar's close is "&Beenden"
  EXPECT_EQ(Texts(), (std::vector<std::string>{"T134"}));
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(ReadFile(dir() + "/END.DXF"), "  0\r\nEOF\r\n");

  // The DXF directory gone: text 50, the window stays with its edits.
  window.show();
  Type("MemoDefinitionen", "#X");
  ASSERT_EQ(std::system(("rm -r '" + dir() + "'").c_str()), 0);
  box.Clear();
  box.Answer(kAnsYes);
  QTest::mouseClick(Button("Beenden"), Qt::LeftButton);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"T134", "T50"}));
  EXPECT_TRUE(window.isVisible());
  EXPECT_TRUE(window.Changed());
  EXPECT_EQ(Editor("MemoDefinitionen")->toPlainText(), "#X");
}

}  // namespace
}  // namespace veltro::test
