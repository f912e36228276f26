#include "core/Transfer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>

#include "core/DateTime.h"
#include "core/Fatal.h"
#include "core/TextUtils.h"
#include "platform/Clock.h"
#include "platform/TextFile.h"
#include "tests/support/TestFormats.h"
#include "tests/support/TransferFixture.h"

namespace veltro::test {
namespace {

class EngineTest : public TransferFixture {
 protected:
  EngineTest() { instrument.format = formats.inst; }

  // Instrument -> PC with the given received lines into output file "out.txt".
  void Receive(const TextLines& lines) {
    settings.methode = 0;
    instrument.toReceive = lines;
    window.SetOutputFileField("out.txt");
    Transfer_startenClick();
  }
  // PC -> instrument (offline) from input text into "inst.txt".
  void Send(const std::string& input) {
    settings.methode = 1;
    WriteFile(tmp / "in.txt", input);
    window.SetInputFileField("in.txt");
    window.SetOutputFileField("inst.txt");
    Transfer_startenClick();
  }

  TestFormats formats;
};

TEST_F(EngineTest, ReceivedLinesBecomeOfficeFileWithStartAndEnde) {
  Receive({"K 1 600000.000 200000.000 450.00", "junk", "N hello", "K 2 1.5 2.5 "});
  EXPECT_EQ(ReadFile(tmp / "out.txt"),
            "BEGIN\r\nP;1;600000.000;200000.000;450.00\r\nC;hello\r\nP;2;1.5;2.5;\r\nEND\r\n");
  EXPECT_TRUE(CurrentTransfer().Errors.empty());
  // Nothing was counted, so the user is told that nothing was transferred;
  // the line taken for nothing is told too.
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"T46", "T741"}));
  EXPECT_EQ(CurrentTransfer().LinesNotRead, 1);
}

// The formats are bound once for a run of lines of one kind, but anew
// after a reader bound another kind itself (as a GSI backsight does).
TEST_F(EngineTest, AKindBoundByAReaderIsBoundBackForTheNextLine) {
  formats.inst->OnSetTDA(tdaKoordinate);
  TReadWriteDaten& koordinaten = *formats.inst->ReadWrite;
  const auto read = koordinaten.OnRead;
  koordinaten.OnRead = [&](const std::string& s, TDaten& d) {
    read(s, d);
    if (d.Punkt.Punktnummer != "1") return;
    formats.inst->OnSetTDA(tdaKommentar);
    formats.lines->OnSetTDA(tdaNeupunkt);
  };
  Receive({"K 1 10 20 30", "K 2 40 50 60", "K 3 70 80 90"});
  koordinaten.OnRead = read;
  EXPECT_EQ(ReadFile(tmp / "out.txt"), "BEGIN\r\nM;1;\r\nP;2;40;50;60\r\nP;3;70;80;90\r\nEND\r\n");
}

// An output given as one text is saved as its lines would be: every line
// end becomes CR LF, a last line gets one, nothing is written twice.
TEST_F(EngineTest, OutputTextIsSavedAsItsLines) {
  CurrentTransfer().OutputFileName = tmp / "text.txt";
  for (const std::string text : {"a\r\nb\r\n", "a\rb\nc", "a\r\n\r\nb\n\r", ""}) {
    SCOPED_TRACE(text);
    ASSERT_TRUE(SaveOutputText(text));
    EXPECT_EQ(ReadFile(tmp / "text.txt"), JoinLines(SplitLines(text)));
    EXPECT_TRUE(CurrentTransfer().OutputLines.empty());
  }
}

// The opener is the first xdg-open on the PATH; without one the user is told.
TEST_F(EngineTest, TopocadOpensTheOutputOrSaysItCannot) {
  const std::string path = getenv("PATH") ? getenv("PATH") : "";
  ::mkdir((tmp / "bin").c_str(), 0755);
  WriteFile(tmp / "bin/xdg-open", "#!/bin/sh\necho \"$1\" >> \"" + tmp / "opened" + "\"\n");
  ::chmod((tmp / "bin/xdg-open").c_str(), 0755);
  window.runTopocad = true;
  setenv("PATH", (tmp / "bin").c_str(), 1);
  Receive({"K 1 600000.000 200000.000 450.00"});
  // The opener runs detached; its record is there once it has ended.
  for (int i = 0; i < 500 && ReadFile(tmp / "opened").empty(); ++i) WaitMilliseconds(10);
  EXPECT_EQ(ReadFile(tmp / "opened"), tmp / "out.txt\n");
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"T46"});
  box.Clear();
  setenv("PATH", (tmp / "nothing-here").c_str(), 1);
  box.Answer(kAnsYes);  // overwrite
  Receive({"K 1 600000.000 200000.000 450.00"});
  setenv("PATH", path.c_str(), 1);
  ASSERT_FALSE(MessageTexts().empty());
  EXPECT_EQ(MessageTexts().back(), "T892");
}

TEST_F(EngineTest, NoneLinesAdvanceAndWriteNothing) {
  Receive({"", "?", "N a"});
  EXPECT_EQ(ReadFile(tmp / "out.txt"), "BEGIN\r\nC;a\r\nEND\r\n");
}

TEST_F(EngineTest, ContinuationLinesAreConsumedByTheirReader) {
  Receive({"M 7", "+ eins", "+ zwei", "N nach"});
  EXPECT_EQ(ReadFile(tmp / "out.txt"), "BEGIN\r\nM;7;einszwei\r\nC;nach\r\nEND\r\n");
}

TEST_F(EngineTest, ReaderThatStepsBackDoesNotLoop) {
  Receive({"N a", "B 1", "B 2", "N b"});
  EXPECT_EQ(ReadFile(tmp / "out.txt"), "BEGIN\r\nC;a\r\nS;1\r\nS;2\r\nC;b\r\nEND\r\n");
}

TEST_F(EngineTest, KindWithoutReaderStopsWithoutWriting) {
  Receive({"N a", "Z 1", "N b"});
  auto texts = MessageTexts();
  ASSERT_GE(texts.size(), 2u);
  EXPECT_EQ(texts[0], "T608 Instrument");
  EXPECT_TRUE(CurrentTransfer().StopFlag);
  // The cut-short output is offered, and the default answer keeps it unsaved.
  EXPECT_EQ(texts.back(), "T700");
  EXPECT_FALSE(FileExists(tmp / "out.txt"));
}

TEST_F(EngineTest, CutShortOutputIsSavedWhenTheUserSaysYes) {
  box.Answer(kAnsOk);   // T608
  box.Answer(kAnsOk);   // T46
  box.Answer(kAnsYes);  // T700
  Receive({"N a", "Z 1", "N b"});
  EXPECT_EQ(ReadFile(tmp / "out.txt"), "BEGIN\r\nC;a\r\nEND\r\n");
}

TEST_F(EngineTest, OriginalIsWrittenBeforeConversion) {
  settings.saveSource = true;
  Receive({"N a", "Z 1", "N b"});
  EXPECT_EQ(ReadFile(tmp / "out.txt.Original"), "N a\r\nZ 1\r\nN b\r\n");
}

TEST_F(EngineTest, ErrorListIsCutToTwentyEntries) {
  std::string input;
  for (int i = 0; i < 25; ++i) input += "P;" + std::to_string(i) + ";;;\r\n";
  Send(input);
  ASSERT_FALSE(box.Messages().empty());
  const auto& last = box.Messages().back();
  EXPECT_EQ(last.kind, kMsgError);
  EXPECT_EQ(SplitLines(last.text).size(), 41u);  // 20 entries of T188 + line, and the total
  EXPECT_EQ(SplitLines(last.text)[1], "P;0;;;");
  EXPECT_EQ(SplitLines(last.text)[39], "P;19;;;");
  EXPECT_EQ(SplitLines(last.text)[40], "T740");
  EXPECT_TRUE(CurrentTransfer().Errors.empty());
}

TEST_F(EngineTest, OfficeFileBecomesInstrumentLines) {
  Send("BEGIN\r\nP;1;10.5;20.25;3\r\nC;Bemerkung\r\n  END  \r\n");
  EXPECT_EQ(ReadFile(tmp / "inst.txt"), "K 1 10.5 20.25 3\r\nN Bemerkung\r\n");
  EXPECT_EQ(instrument.sendCalls, 1);
  EXPECT_EQ(statistics.Statistik().Punkte, 0);  // reset after phase 1
  EXPECT_GE(statistics.resets, 2);
  EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(EngineTest, StartTextInsideALongerLineIsAnError) {
  Send("BEGIN here\r\nP;1;1;2;3\r\n");
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Messages()[0].text, "T188\r\nBEGIN here");
  EXPECT_EQ(ReadFile(tmp / "inst.txt"), "K 1 1 2 3\r\n");
}

TEST_F(EngineTest, RecordIsResetForItsOwnKind) {
  // The second point has no coordinates; values of the first must not leak
  // into it although a comment came between them.
  Send("P;1;10;20;30\r\nC;x\r\nP;2;;;\r\n");
  EXPECT_EQ(ReadFile(tmp / "inst.txt"), "K 1 10 20 30\r\nN x\r\n");
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Messages()[0].text, "T188\r\nP;2;;;");
  EXPECT_EQ(formats.initCalls[tdaKonstanten], 2);  // once per phase only
}

TEST_F(EngineTest, OfficeRecordWithoutReaderStopsAndIsNotWritten) {
  Send("P;1;1;2;3\r\nX;info\r\nP;2;4;5;6\r\n");
  EXPECT_EQ(MessageTexts()[0], "T608 Zeilen");
  EXPECT_TRUE(CurrentTransfer().StopFlag);
  EXPECT_EQ(instrument.sendCalls, 0);
  EXPECT_EQ(CurrentTransfer().ReceivedLines, TextLines{"K 1 1 2 3"});
}

TEST_F(EngineTest, EmptyInputAsksAndSendsNothing) {
  box.Answer(kAnsYes);
  Send("");
  EXPECT_EQ(MessageTexts()[0], "T172");
  EXPECT_EQ(instrument.sendCalls, 1);
  EXPECT_TRUE(CurrentTransfer().ReceivedLines.empty());
}

TEST_F(EngineTest, EmptyInputRefusedStops) {
  Send("");
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"T172"});
  EXPECT_EQ(instrument.sendCalls, 0);
}

TEST_F(EngineTest, UnreadableInputFileIsReported) {
  settings.methode = 1;
  window.SetInputFileField("missing.txt");
  window.SetOutputFileField("inst.txt");
  Transfer_startenClick();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"T43"});
}

TEST_F(EngineTest, ExistingOutputIsKeptWhenTheUserSaysNo) {
  WriteFile(tmp / "out.txt", "alt\r\n");
  Receive({"N a"});
  EXPECT_EQ(ReadFile(tmp / "out.txt"), "alt\r\n");
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Messages()[0].text, "T41 " + (tmp / "out.txt") + " T69");
  EXPECT_EQ(window.focusOutput, 1);
  EXPECT_EQ(instrument.receiveCalls, 0);
}

TEST_F(EngineTest, ExistingOutputIsReplacedWhenTheUserSaysYes) {
  WriteFile(tmp / "out.txt", "alt\r\n");
  box.Answer(kAnsYes);
  Receive({"N a"});
  EXPECT_EQ(ReadFile(tmp / "out.txt"), "BEGIN\r\nC;a\r\nEND\r\n");
}

TEST_F(EngineTest, MissingOutputNameIsReported) {
  settings.methode = 0;
  window.SetOutputFileField(tmp.path() + "/");
  Transfer_startenClick();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"T521"});
}

TEST_F(EngineTest, FormatRestartsAreBounded) {
  instrument.receiveAnswers.assign(100, 2);
  Receive({"N a"});
  EXPECT_EQ(instrument.receiveCalls, kMaxFormatRestarts + 1);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"T701"});
  EXPECT_FALSE(FileExists(tmp / "out.txt"));
}

TEST_F(EngineTest, FormatRestartRunsPhaseOneAgain) {
  instrument.receiveAnswers = {2, 0};
  Receive({"N a"});
  EXPECT_EQ(instrument.receiveCalls, 2);
  EXPECT_EQ(ReadFile(tmp / "out.txt"), "BEGIN\r\nC;a\r\nEND\r\n");
}

TEST_F(EngineTest, InputOfAnotherFormatOffersTheSwitch) {
  window.activePage = "Lines_Blatt";
  Send("O;fremd\r\n");
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Messages()[0].text, "T18 Anderes\r\nT25");
  EXPECT_EQ(instrument.sendCalls, 0);
}

TEST_F(EngineTest, InputOfTheActivePageIsNotQuestioned) {
  formats.lines->OnFormat = nullptr;  // the active format does not recognise it ...
  window.activePage = "Lines_Blatt";  // ... but detection finds the page already shown
  formats.other->OnAttribute = [](std::string& page) {
    page = "Lines_Blatt";
    return std::string("Anderes");
  };
  Send("O;x\r\n");
  // No switch question; the lines are not records of the active format.
  for (const auto& t : MessageTexts()) EXPECT_NE(t.rfind("T18 ", 0), 0u);
}

TEST_F(EngineTest, MessageListIsShownAsOneWarningOfTwentyLines) {
  formats.lines->OnBeforeSave = [] {
    for (int i = 0; i < 30; ++i) CurrentTransfer().Messages.push_back("note " + std::to_string(i));
    CurrentTransferEnvironment().statistics->Statistik().Codes = 1;  // something counted: no T46
  };
  Receive({"N a"});
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Messages()[0].kind, kMsgWarning);
  EXPECT_EQ(SplitLines(box.Messages()[0].text).size(), 21u);
  EXPECT_EQ(SplitLines(box.Messages()[0].text).back(), "T740");
}

TEST_F(EngineTest, LibraryErrorsJoinTheErrorList) {
  instrument.libErrors = "Zeitueberschreitung";
  Receive({"N a"});
  EXPECT_EQ(box.Messages().back().text, "Zeitueberschreitung");
  EXPECT_EQ(box.Messages().back().kind, kMsgError);
}

TEST_F(EngineTest, FormatBufferStartsAtTheCurrentLineAndIsBounded) {
  std::vector<std::string> buffers;
  auto recognise = formats.lines->OnFormat;
  formats.lines->OnFormat = [&](const std::string& s, const std::string& buf) {
    buffers.push_back(buf);
    return recognise(s, buf);
  };
  std::string input = "C;a\r\nC;a\r\nC;b\r\n" + std::string(2000, 'x') + "\r\n";
  Send(input);
  // The three calls of the format check come first, then one call per line.
  ASSERT_GE(buffers.size(), 4u);
  const auto& loop = std::vector<std::string>(buffers.end() - 4, buffers.end());
  EXPECT_EQ(loop[1].substr(0, 10), "C;a\r\nC;b\r\n");
  EXPECT_EQ(loop[2].substr(0, 5), "C;b\r\n");
  for (const auto& b : buffers) EXPECT_LE(b.size(), kFormatBufferSize);
}

TEST_F(EngineTest, ViewerChangesReplaceTheReceivedLines) {
  struct ViewerWindow : FakeWindow {
    std::string seenTag;
    bool ShowViewer(LineList& lines, const std::string& tag) override {
      seenTag = tag;
      lines = {"N geaendert"};
      return true;
    }
  } viewerWindow;
  struct DetectingInstrument : FakeInstrument {
    std::string DetectFormatTag(const std::string& text) override { return text.rfind("N ", 0) == 0 ? "dINST" : ""; }
  } detecting;
  detecting.format = formats.inst;
  SetTransferEnvironment({&viewerWindow, &statistics, &detecting, &settings});
  settings.viewer = true;
  detecting.toReceive = {"N a"};
  viewerWindow.SetOutputFileField("out.txt");
  Transfer_startenClick();
  EXPECT_EQ(viewerWindow.seenTag, "dINST");
  EXPECT_EQ(ReadFile(tmp / "out.txt"), "BEGIN\r\nC;geaendert\r\nEND\r\n");
}

// Directory-tree layout: the engine names the output file itself.
class TreeWindow : public FakeWindow {
 public:
  bool TreeLayout() const override { return true; }
  std::string LeftFileField() const override { return left; }
  void SetLeftFileField(const std::string& s) override { left = s; }
  std::string RightFileField() const override { return right; }
  void SetRightFileField(const std::string& s) override { right = s; }
  std::string left, right;
};

TEST_F(EngineTest, AutoNamedOutputCarriesTheDate) {
  TreeWindow tree;
  SetTransferEnvironment({&tree, &statistics, &instrument, &settings});
  tree.right = tmp.path() + "/";
  instrument.toReceive = {"K 1 1 2 3"};
  instrument.tag = "kINST";
  settings.methode = 0;
  statistics.Statistik().Fortschritt = 1;
  Transfer_startenClick();
  EXPECT_EQ(ReadFile(tmp / "Koord081226.asc"), "BEGIN\r\nP;1;1;2;3\r\nEND\r\n");
  EXPECT_TRUE(CurrentTransfer().AutoNameFlag);
}

TEST_F(EngineTest, RefusedOverwriteAndCancelledDialogWriteNothing) {
  TreeWindow tree;
  SetTransferEnvironment({&tree, &statistics, &instrument, &settings});
  WriteFile(tmp / "Koord081226.asc", "alt\r\n");
  tree.right = tmp.path() + "/";
  instrument.toReceive = {"K 1 1 2 3"};
  settings.methode = 0;
  statistics.Statistik().Fortschritt = 1;
  Transfer_startenClick();  // E1 asks, default No, the dialog is cancelled
  EXPECT_EQ(ReadFile(tmp / "Koord081226.asc"), "alt\r\n");
  EXPECT_EQ(tree.saveDialogs, 1);
}

TEST(DatedFileName, DateReplacesTheStar) {
  FreezeClock(EncodeDate(2026, 12, 8));
  EXPECT_EQ(DatedFileName("/data/x.asc", "Koord*.asc"), "/data/Koord081226.asc");
  EXPECT_EQ(DatedFileName("/data/x.asc", "Koord.asc"), "/data/Koord.asc");
  EXPECT_EQ(DatedFileName("C:\\data\\x.asc", "Koord*.asc"), "C:\\data\\Koord081226.asc");
  EXPECT_EQ(DatedFileName("C:x.asc", "Koord*.asc"), "Koord081226.asc");
  EXPECT_EQ(DatedFileName("/d/x", "a*b*"), "/d/a081226b*");
  FreezeClock(0);
}

}  // namespace
}  // namespace veltro::test

namespace veltro::test {
namespace {

class EngineEscapeTest : public TransferFixture {
 protected:
  EngineEscapeTest() { instrument.format = formats.inst; }
  TestFormats formats;
};

TEST_F(EngineEscapeTest, ErrorLinesShowTheirDataUnchanged) {
  settings.methode = 1;
  WriteFile(tmp / "in.txt", "P;#65;;;\r\n");
  window.SetInputFileField("in.txt");
  window.SetOutputFileField("inst.txt");
  Transfer_startenClick();
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Messages()[0].text, "T188\r\nP;#65;;;");
}

}  // namespace
}  // namespace veltro::test

namespace veltro::test {
namespace {

TEST_F(EngineTest, ARunWithoutRecordsLeavesTheOutputAlone) {
  WriteFile(tmp / "out.txt", "alt\r\n");
  box.Answer(kAnsYes);  // overwrite
  Receive({"junk", "", "more junk"});
  EXPECT_EQ(ReadFile(tmp / "out.txt"), "alt\r\n");
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"T41 " + (tmp / "out.txt") + " T69", "T46", "T741"}));
  EXPECT_EQ(CurrentTransfer().LinesNotRead, 2);  // the empty line is no data
}

TEST_F(EngineTest, AStopOnTheLastLineOffersThePartLikeAnyStop) {
  formats.instModule.ForEach<TReadWriteDaten>([](TReadWriteDaten& rw) {
    if (rw.TransferDatenart != tdaKommentar) return;
    auto read = rw.OnRead;
    rw.OnRead = [read](const std::string& s, TDaten& d) {
      read(s, d);
      if (s == "N b") CurrentTransfer().StopFlag = true;  // the cancel button
    };
  });
  Receive({"N a", "N b"});
  ASSERT_FALSE(MessageTexts().empty());
  EXPECT_EQ(MessageTexts().back(), "T700");
  EXPECT_FALSE(FileExists(tmp / "out.txt"));
}

TEST_F(EngineTest, AFormatWithoutCaptionIsNamedByItsComponentName) {
  formats.inst->Caption.clear();
  Receive({"Z 1"});
  ASSERT_FALSE(MessageTexts().empty());
  EXPECT_EQ(MessageTexts()[0], "T608 " + formats.inst->Name);
}

TEST_F(EngineTest, StatusTextsGoToTheStatisticsWindow) {
  Send("P;1;1;2;3\r\n");
  Receive({"N a"});
  EXPECT_EQ(window.status, "");
  const auto& shown = statistics.statusTexts;
  EXPECT_NE(std::find(shown.begin(), shown.end(), "T39"), shown.end());
  EXPECT_NE(std::find(shown.begin(), shown.end(), "T44"), shown.end());
}

TEST_F(EngineTest, LibraryErrorsAreShownAsTheyAre) {
  instrument.libErrors = "line #65: bad\r\nline #66";
  Receive({"N a"});
  EXPECT_EQ(box.Messages().back().text, "line #65: bad\r\nline #66");
}

TEST_F(EngineTest, MultiLineInstrumentRecordBecomesOneLineEach) {
  // Group formats (GTS-7) write a record as several lines, each with CR LF:
  // every one is a line of its own to send, none an empty line in the file.
  formats.instModule.ForEach<TReadWriteDaten>([](TReadWriteDaten& rw) {
    if (rw.TransferDatenart == tdaNeupunkt)
      rw.OnWrite = [](TDaten& d) { return "M " + d.Punkt.Punktnummer + "\r\n+ " + d.Punkt.Anmerkung1 + "\r\n"; };
  });
  Send("M;7;alt\r\nM;8;neu\r\n");
  EXPECT_EQ(CurrentTransfer().ReceivedLines, (TextLines{"M 7", "+ alt", "M 8", "+ neu"}));
  EXPECT_EQ(ReadFile(tmp / "inst.txt"), "M 7\r\n+ alt\r\nM 8\r\n+ neu\r\n");
}

}  // namespace
}  // namespace veltro::test
