#include "viewer/Viewer.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QContextMenuEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include "platform/qt/QtMessageBox.h"
#include "tests/viewer/ViewerFixture.h"

namespace veltro::test {
namespace {

class ViewerWindowTest : public ViewerTest {
 protected:
  QPlainTextEdit* Text() { return viewer->findChild<QPlainTextEdit*>("ViewerText"); }
  QAction* Action(const char* name) { return viewer->findChild<QAction*>(name); }
  std::string Selected() { return ToAnsi(Text()->textCursor().selectedText()); }
  // Runs `during` while the viewer is shown modally, then closes it.
  void WhileShown(std::function<void()> during) {
    QTimer::singleShot(0, viewer.get(), [this, during] {
      during();
      viewer->close();
    });
  }
  // Clicks into the text box on line `line`; the right button as the
  // platform delivers it, as a context menu request.
  void ClickLine(int line, Qt::MouseButton button = Qt::LeftButton) {
    const QTextBlock block = Text()->document()->findBlockByNumber(line);
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::Right);
    const QPoint at = Text()->cursorRect(cursor).center();
    if (button == Qt::RightButton) {
      QContextMenuEvent request(QContextMenuEvent::Mouse, at, Text()->viewport()->mapToGlobal(at));
      QApplication::sendEvent(Text()->viewport(), &request);
    } else {
      QTest::mouseClick(Text()->viewport(), button, {}, at);
    }
  }
};

// The window's parts, the line shown selected after clicks and keys, editing
// by Enter and by the right button once a file is loaded.
TEST_F(ViewerWindowTest, ViewerWindowSelectsClickedLinesAndEdits) {
  EXPECT_EQ(viewer->objectName(), "TfrmViewer");
  ASSERT_TRUE(Text());
  EXPECT_TRUE(Text()->isReadOnly());
  EXPECT_EQ(Text()->lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_EQ(Text()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(Text()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  for (const char* name : {"Oeffnen", "Speichern", "SpeichernUnter", "ZeileEditieren", "ViewerSchliessen"})
    EXPECT_TRUE(Action(name)) << name;
  EXPECT_FALSE(Action("ZeileEditieren")->isEnabled());

  viewer->chooseOpenFile = [](std::string& path) {
    path = Data("viewer/edit-eof.txt");
    return true;
  };
  viewer->show();
  Action("Oeffnen")->trigger();
  EXPECT_TRUE(Action("ZeileEditieren")->isEnabled());
  EXPECT_EQ(Text()->document()->blockCount(), 10);
  EXPECT_EQ(Selected(), "ST 100");  // the first record

  ClickLine(9);
  EXPECT_EQ(Model().CurrentLine(), 9);
  EXPECT_EQ(Selected(), "PT 9 2600090.000 1200090.000 452.00");  // up to the end mark
  EXPECT_EQ(Text()->document()->findBlockByNumber(9).text().right(1), QString(QChar(0x241A)));
  QTest::keyClick(Text(), Qt::Key_Up);
  EXPECT_EQ(Model().CurrentLine(), 8);
  EXPECT_EQ(Selected(), "PT 3 2600030.500 1200040.750 451.25");

  QTest::keyClick(Text(), Qt::Key_Return);
  EXPECT_EQ(editor.edits, 1);
  EXPECT_EQ(Model().RecordKind(), tdaKoordinate);
  ClickLine(3, Qt::RightButton);
  EXPECT_EQ(editor.edits, 2);
  EXPECT_EQ(Model().RecordLastLine(), 5);
  ClickLine(0, Qt::RightButton);  // no record: not edited
  EXPECT_EQ(editor.edits, 2);
  EXPECT_EQ(editor.noData, 1);

  // A write-back shows the new lines and selects the record again.
  Model().SetCurrentLine(3);
  ASSERT_TRUE(viewer->PrepareEdit());
  Model().Record().Punkt.Kommentar = "Zaunecke";
  ASSERT_TRUE(viewer->WriteBack());
  EXPECT_EQ(Text()->document()->blockCount(), 9);
  EXPECT_EQ(ToAnsi(Text()->document()->findBlockByNumber(4).text()), "  Zaunecke");
  EXPECT_EQ(ToAnsi(Text()->document()->findBlockByNumber(5).text()), "REM Nachmessung");
  EXPECT_EQ(Selected(), "NP 2");
  EXPECT_TRUE(viewer->NextRecord());
  EXPECT_EQ(Selected(), "REM Nachmessung");
  EXPECT_TRUE(viewer->NextStation());
  EXPECT_EQ(Selected(), "STATION 200");
  EXPECT_TRUE(box.Messages().empty());

  // Closing asks for the unsaved change; Cancel keeps the window.
  box.Answer(kAnsCancel);
  Action("ViewerSchliessen")->trigger();
  EXPECT_TRUE(viewer->isVisible());
  box.Answer(kAnsNo);
  Action("ViewerSchliessen")->trigger();
  EXPECT_FALSE(viewer->isVisible());
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"T568", "T568"}));
}

// Shown, the viewer translates itself, goes to the first record, reports its
// format as the one in force and lends its lines to the readers; hidden, it
// gives all of that back and restores the office format.
TEST_F(ViewerWindowTest, ViewerShownAndHidden) {
  Open("viewer/edit-crlf.txt");
  EXPECT_EQ(&geraete->CurrentGeraeteFormat(), geraete->Format("GSI8"));
  Model().SetCurrentLine(8);
  viewer->show();
  EXPECT_EQ(viewer->windowTitle(), "T821");
  EXPECT_EQ(Action("Oeffnen")->text(), "T822");
  EXPECT_EQ(Model().CurrentLine(), 1);
  EXPECT_FALSE(Model().Modified());
  EXPECT_EQ(&geraete->CurrentGeraeteFormat(), edit.format);
  EXPECT_EQ(CurrentTransfer().ActiveLines, &Model().Lines());

  // Activation (after every message box) neither translates nor moves.
  Model().SetCurrentLine(7);
  viewer->setWindowTitle("x");
  QEvent activate(QEvent::WindowActivate);
  QApplication::sendEvent(viewer.get(), &activate);
  EXPECT_EQ(Model().CurrentLine(), 7);
  EXPECT_EQ(viewer->windowTitle(), "x");

  ActivateFormat(*dfd.CPlan);
  viewer->hide();
  EXPECT_TRUE(dfd.ASCII->Active);
  EXPECT_FALSE(dfd.CPlan->Active);
  EXPECT_EQ(&geraete->CurrentGeraeteFormat(), geraete->Format("GSI8"));
  EXPECT_EQ(CurrentTransfer().ActiveLines, nullptr);
}

// The received lines: recognised (a tag kept when nothing is recognised),
// edited while shown, and handed back only when changed.
TEST_F(ViewerWindowTest, ViewerShowsReceivedLines) {
  CurrentTransfer().FormatTag = "dEdit";
  LineList received = {"REM Empfangen am Morgen der Aufnahme", "NP 4", "  alt"};
  WhileShown([this] {
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(&geraete->CurrentGeraeteFormat(), edit.format);
    EXPECT_EQ(Model().CurrentLine(), 0);
    ASSERT_TRUE(viewer->NextRecord());
    ASSERT_TRUE(viewer->PrepareEdit());
    Model().Record().Punkt.Kommentar = "neu";
    ASSERT_TRUE(viewer->WriteBack());
  });
  EXPECT_TRUE(viewer->ShowReceivedLines(received));
  EXPECT_EQ(CurrentTransfer().FormatTag, "dEdit");
  EXPECT_EQ(edit.initEditorCalls, 1);
  EXPECT_EQ(edit.prepEditorCalls, 0);
  EXPECT_EQ(received, (TextLines{"REM Empfangen am Morgen der Aufnahme", "NP 4", "  neu"}));
  EXPECT_EQ(Model().FileName(), "");
  EXPECT_TRUE(box.Messages().empty());  // lines that are no file: no save question

  WhileShown([] {});
  EXPECT_FALSE(viewer->ShowReceivedLines(received));
  EXPECT_EQ(received, (TextLines{"REM Empfangen am Morgen der Aufnahme", "NP 4", "  neu"}));

  // The Editor action: no received lines, no file: an empty viewer.
  CurrentTransfer().ReceivedLines.clear();
  WhileShown([this] { EXPECT_EQ(Text()->toPlainText(), ""); });
  viewer->ShowEditor();
  EXPECT_EQ(Model().LineCount(), 0);
}

// The engine's viewer hook: the lines edited in the viewer are converted.
class ViewerWindow : public FakeWindow {
 public:
  TfrmViewer* viewer = nullptr;
  bool ShowViewer(LineList& lines, const std::string&) override { return viewer->ShowReceivedLines(lines); }
};

TEST_F(ViewerWindowTest, ViewerBeforePhaseTwoEditsWhatIsConverted) {
  ViewerWindow hook;
  hook.viewer = viewer.get();
  SetTransferEnvironment({&hook, &statistics, &side, &settings});
  settings.viewer = true;
  Leica().GeraeteFormat = edit.format;
  TransferState& t = CurrentTransfer();
  t.ReceivedLines = {"ST 1", "PT 5 2600005.000 1200005.000 401.00"};
  t.OutputFileName = tmp / "aus.asc";
  WhileShown([this] {
    ASSERT_TRUE(viewer->NextRecord());
    ASSERT_TRUE(viewer->PrepareEdit());
    Model().Record().Punkt.Y = "2600005.250";
    ASSERT_TRUE(viewer->WriteBack());
  });
  TransformClick();
  EXPECT_EQ(t.ReceivedLines[1], "PT 5 2600005.250 1200005.000 401.00");
  EXPECT_NE(ReadFile(tmp / "aus.asc").find("2600005.250"), std::string::npos);
}

// A picture of the viewer on a GSI 16 file (kept as
// build/tests/viewer-gsi16.png for a look at the layout).
TEST_F(ViewerWindowTest, ViewerScreenshotOnGsi16) {
  SetTextProvider(nullptr);  // no language library: the design texts
  Open("gsi/messung-gsi16.gsi");
  viewer->show();
  for (int i = 0; i < 3; ++i) viewer->NextRecord();
  QCoreApplication::processEvents();
  const QImage shot = viewer->grab().toImage();
  ASSERT_FALSE(shot.isNull());
  EXPECT_EQ(shot.size(), viewer->size());
  EXPECT_TRUE(shot.save(VELTRO_BUILD_DIR "/tests/viewer-gsi16.png"));
  EXPECT_EQ(Selected().substr(0, 8), "*110004+");
  const QString status = viewer->findChild<QLabel*>("StatusZeile")->text();
  EXPECT_TRUE(status.contains("GSI 16")) << status.toStdString();
}

}  // namespace
}  // namespace veltro::test
