// The steps of the transfer sequence that a real instrument rarely shows:
// announced format changes, receives that cannot end by themselves, nothing
// readable, the project set-up of the TPS 100, the coordinate system of a
// GPS transfer. Scripted library where the library's answers matter.
#include "instruments/TransferSequence.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/TransferOptionsCode.h"
#include "tests/instruments/SequenceFixture.h"
#include "tests/support/ConvertRun.h"

namespace veltro::test {
namespace {

using Strings = std::vector<std::string>;
const std::string kScripted = kSequenceTestLibs + "libScriptedFull.so";

bool Called(const ScriptedLibraryState& s, const std::string& call) {
  return std::find(s.calls.begin(), s.calls.end(), call) != s.calls.end();
}

TEST_F(SequenceTest, AnnouncedFormatChangeRestartsWithTheLineThatAnnouncedIt) {
  const TextLines job = SplitLines(ReadFile(kData + "gts7/messung-gts7.gt7"));
  const std::string expected = ReadFile(kData + "gts7/messung-gts7.gt7.asc");
  for (bool noNewTrans : {false, true}) {
    SCOPED_TRACE(noNewTrans);
    TInstrument& i = Use("itGTS700", "FC5", "ASCII", kScripted);
    i.NoNewTrans = noNewTrans;
    ScriptedLibraryState& s = Script();
    s.reads.push_back({9, job[0], "dGTS7"});
    for (size_t n = 1; n < job.size(); ++n) s.reads.push_back({2, job[n], "dGTS7"});
    host.formatChanges = 0;
    settings.transOf = false;
    const std::string out = tmp / (noNewTrans ? "same.asc" : "restarted.asc");
    ASSERT_TRUE(Receive("", out));
    EXPECT_EQ(i.GeraeteFormat, modules->geraete->Format("GTS7"));
    EXPECT_EQ(host.formatChanges, noNewTrans ? 0 : 1);
    EXPECT_EQ(CurrentTransfer().ReceivedLines, job);
    EXPECT_TRUE(SameBytes(expected, ReadFile(out)));
    EXPECT_EQ(std::count(s.calls.begin(), s.calls.end(), "OpenComm 1,6,4,0,0,1,3,60000,60000,60000,"), 1);
    EXPECT_FALSE(modules->binding->Connected());
  }
}

TEST_F(SequenceTest, AReceiveEndsOnTheStopFlagAndOnAClosedConnection) {
  Use("itGTS700", "GTS7", "ASCII", kScripted);
  settings.transOf = false;
  ScriptedLibraryState& s = Script();
  // A library that never ends its transmission and ignores SetBreak.
  s.endless = true;
  size_t reads = 0;
  s.duringRead = [&] {
    if (++reads == 200) CurrentTransfer().StopFlag = true;
  };
  EXPECT_FALSE(Receive("", tmp / "endless.asc"));
  EXPECT_EQ(reads, 200u);
  // A connection closed under the running receive ends it too.
  s.duringRead = [&] {
    if (++reads == 210) modules->binding->LibClose();
  };
  EXPECT_FALSE(Receive("", tmp / "closed.asc"));
  EXPECT_EQ(reads, 210u);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(SequenceTest, NothingReadableWritesNothing) {
  // The first line ends the transmission: no question, no file.
  Use("itGTS700", "GTS7", "ASCII", kScripted);
  settings.transOf = false;
  EXPECT_FALSE(Receive("", tmp / "empty.asc"));
  EXPECT_TRUE(box.Messages().empty());
  settings.transOf = true;

  // Rec E and dialect lines only: the reason, and no empty output.
  WriteFile(tmp / "old.asc", "kept");
  Use("itREC500", "RECE");
  box.Answer(kAnsYes);  // overwrite old.asc
  EXPECT_TRUE(Receive(kData + "rec500/recorder.rec", tmp / "old.asc"));
  EXPECT_EQ(ReadFile(tmp / "old.asc"), "kept");
  EXPECT_EQ(box.Messages().back().text, FormatText(GetText(kTextNothingReadable), {"Rec E"}));
  box.Clear();
  Use("itREC500", "REC500");
  EXPECT_FALSE(Receive(kData + "rec500/nur-dialekt.rec", tmp / "dialekt.asc"));
  EXPECT_EQ(MessageTexts(), Strings{FormatText(GetText(kTextNothingReadable), {"Rec 500"})});
}

// The transfer-options dialog, scripted.
class ScriptedOptions : public TransferOptionsDialog {
 public:
  struct Seen {
    int selection = -1;
    bool pcToInstrument = true;
    std::string title, instrument;
    Strings projects, codeLists;
  };
  ScriptedOptions(Seen& seen, bool confirm, int selection, Strings lines, int count)
      : seen_(seen), confirm_(confirm), selection_(selection), lines_(std::move(lines)), count_(count) {}
  void SetSelection(int v) override { seen_.selection = v; }
  void SetPcToInstrument(bool v) override { seen_.pcToInstrument = v; }
  void SetProjectsSupported(bool) override {}
  void SetTitle(const std::string& t) override { seen_.title = t; }
  void SetInstrument(const std::string& i) override { seen_.instrument = i; }
  void SetProjects(const Strings& l) override { seen_.projects = l; }
  void SetCodeLists(const Strings& l) override { seen_.codeLists = l; }
  bool Execute() override { return confirm_; }
  int Selection() const override { return selection_; }
  std::string TargetName() const override { return "JOB1"; }
  Strings SelectedLines() const override { return lines_; }
  int ProjectCount() const override { return count_; }
  int CodeListCount() const override { return count_; }

 private:
  Seen& seen_;
  bool confirm_;
  int selection_;
  Strings lines_;
  int count_;
};

TEST_F(SequenceTest, Tps100SetUpOverwritesTheChosenProjects) {
  TInstrument& i = Use("itTPS100", "GSI8", "ASCII", kScripted);
  ScriptedLibraryState& s = Script();
  s.instrument = "TPS1102 #123";
  s.projects = "JOB1,1\r\nJOB2,2\r\n";
  s.codeLists = "CODES,1\r\n";
  ScriptedOptions::Seen seen;
  const int projects = EncodeTransferOptions({kOptionKoordinaten, 1, 0});
  host.dialogs = [&] {
    return std::make_unique<ScriptedOptions>(seen, true, 100 + projects,
                                             Strings{"JOB1,1", "no number", "JOB3,x3", ",4", "JOB5,5"}, 0);
  };
  i.TransferMethode = 7;
  settings.transOf = false;
  box.Answer(kAnsYes);  // overwrite the projects
  Receive("", tmp / "tps.asc");
  EXPECT_EQ(seen.selection, 7);
  EXPECT_FALSE(seen.pcToInstrument);
  EXPECT_EQ(seen.instrument, "TPS1102 #123");
  EXPECT_EQ(seen.projects, (Strings{"JOB1,1", "JOB2,2"}));
  EXPECT_EQ(seen.codeLists, Strings{"CODES,1"});
  EXPECT_EQ(i.TransferMethode, 100 + projects);
  const Strings expectedCalls = {"ClearProject 1", "SetProject 1,JOB1", "ClearProject 4", "ClearProject 5",
                                 "SetProject 5,JOB5"};
  Strings projectCalls;
  for (const std::string& c : s.calls)
    if (c.find("Project") != std::string::npos) projectCalls.push_back(c);
  EXPECT_EQ(projectCalls, expectedCalls);
  EXPECT_EQ(MessageTexts(), (Strings{FormatText(GetText(kTextOverwriteSeveral), {"JOB1"}),
                                     FormatText(GetText(kTextListLineWithoutNumber), {"no number"}),
                                     FormatText(GetText(kTextListLineWithoutNumber), {"JOB3,x3"})}));
  // The connection opened by the set-up served the transfer: opened once.
  EXPECT_EQ(std::count_if(s.calls.begin(), s.calls.end(), [](const std::string& c) { return c.rfind("OpenComm", 0) == 0; }),
            1);
  EXPECT_TRUE(Called(s, "StartRemoteTransfer " + std::to_string(100 + projects)));

  // No: nothing is changed and nothing transferred. A code list that the
  // instrument refuses is named.
  box.Clear();
  s.calls.clear();
  const int codes = EncodeTransferOptions({kOptionCodes, 0, 1});
  host.dialogs = [&] { return std::make_unique<ScriptedOptions>(seen, true, codes, Strings{"A,1", "B,2"}, 0); };
  box.Answer(kAnsNo);
  Receive("", tmp / "tps.asc");
  EXPECT_FALSE(Called(s, "ClearCodeList 1"));
  EXPECT_FALSE(Called(s, "StartRemoteTransfer " + std::to_string(codes)));
  s.setResult = 0;
  box.Clear();
  host.dialogs = [&] { return std::make_unique<ScriptedOptions>(seen, true, codes, Strings{"A,1"}, 1); };
  box.Answer(kAnsYes);  // the selected row holds a list already: asked
  Receive("", tmp / "tps.asc");
  EXPECT_EQ(MessageTexts(), (Strings{FormatText(GetText(kTextOverwriteOne), {"JOB1"}),
                                     FormatText(GetText(kTextCodeListNotSet), {"1"})}));
}

TEST_F(SequenceTest, GpsTransfersUseTheCoordinateSystemOrStop) {
  const std::string text = "P1;2600000.000;1200000.000;500.000;A\r\n";
  WriteFile(tmp / "in.txt", text);
  Use("itTavrin", "TAVRIN", "Original", kProgramFolder + "libTavrin.so");
  TCoordinateSystem& cs = modules->binding->CoordinateSystem();
  wgsxyz::Triple grid{1, 2, 3};
  // No coordinate-system library: nothing is converted, the transfer runs.
  ASSERT_TRUE(Receive(tmp / "in.txt", tmp / "none.txt"));
  EXPECT_FALSE(cs.ToGrid(wgsxyz::kModeDegreesMinutes, {8.2654321, 47.2312345, 0}, grid));
  EXPECT_EQ(grid.a, 1);
  EXPECT_TRUE(box.Messages().empty());

  InstallCoordinateLibrary();
  ASSERT_TRUE(Receive(tmp / "in.txt", tmp / "lv03.txt"));
  EXPECT_EQ(cs.Current(), TCoordinateSystem::State::Usable);
  EXPECT_EQ(cs.Block().SystemText(), "41;CH03");
  // A waypoint sentence's 47 23.12345 N, 8 26.54321 E in LV03.
  ASSERT_TRUE(cs.ToGrid(wgsxyz::kModeDegreesMinutes, {8.2654321, 47.2312345, 0}, grid));
  EXPECT_NEAR(grid.a, 675791.21296, 0.001);
  EXPECT_NEAR(grid.b, 248769.02794, 0.001);
  wgsxyz::Triple back;
  ASSERT_TRUE(cs.ToGeographic(wgsxyz::kModeDegrees, {600000, 200000, 0}, back));
  EXPECT_NEAR(back.a, 7.4386335119, 1e-9);
  EXPECT_NEAR(back.b, 46.9510833672, 1e-9);

  // A system without a usable transformation: one message, nothing written.
  box.Clear();
  WriteRegString(RegistryRoot::CurrentUser, ConfigPath(kSettingGpsSystem), "EPSG:3025", true);
  EXPECT_FALSE(Receive(tmp / "in.txt", tmp / "unusable.txt"));
  EXPECT_EQ(MessageTexts(), Strings{GetText(kTextSystemUnusable)});
  EXPECT_FALSE(cs.ToGrid(wgsxyz::kModeDegreesMinutes, {8.2654321, 47.2312345, 0}, grid));
  // Sending stops the same way, before anything is converted.
  box.Clear();
  WriteFile(tmp / "send.txt", text);
  box.Answer(kAnsYes);
  EXPECT_FALSE(Send(tmp / "send.txt", tmp / "sent.txt"));
  EXPECT_EQ(MessageTexts(), Strings{GetText(kTextSystemUnusable)});
}

TEST_F(SequenceTest, AnOfflineSendTakesTheLibrarysTextOnceAtTheEnd) {
  Use("itGTS700", "GTS7", "ASCII", kScripted);
  ScriptedLibraryState& s = Script();
  ASSERT_TRUE(Send(kData + "gts7/koordinaten.asc", tmp / "out.gt7"));
  EXPECT_EQ(ReadFile(tmp / "out.gt7"), ReadFile(kData + "gts7/koordinaten.asc.GTS7"));
  EXPECT_EQ(std::count(s.calls.begin(), s.calls.end(), "GetWriteBuf"), 1);
  EXPECT_EQ(std::count_if(s.calls.begin(), s.calls.end(), [](const std::string& c) { return c.rfind("WriteComm", 0) == 0; }),
            static_cast<long>(CurrentTransfer().ReceivedLines.size()));
  EXPECT_FALSE(Called(s, "WriteComm 4,\x04"));  // a file gets no end mark
  EXPECT_EQ(s.calls.front().substr(s.calls.front().rfind(',') + 1), "NoOpen");

  // No record to send: the file already there stays as it is.
  Use("itGTS700", "GTS7");
  box.Clear();
  TransferState& t = CurrentTransfer();
  t.ReceivedLines.clear();
  t.Daten.Konstanten.Zeile = 0;
  t.OutputFileName = tmp / "out.gt7";
  side->SendLines();
  EXPECT_EQ(ReadFile(tmp / "out.gt7"), ReadFile(kData + "gts7/koordinaten.asc.GTS7"));
  EXPECT_TRUE(box.Messages().empty()) << ::testing::PrintToString(MessageTexts());
}

}  // namespace
}  // namespace veltro::test
