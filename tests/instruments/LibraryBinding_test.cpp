// The program's side of the instrument library interface against scripted
// libraries loaded with dlopen.
#include "instruments/LibraryBinding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/MessagePump.h"

#include "tests/instruments/BindingFixture.h"

namespace veltro::test {
namespace {

using Strings = std::vector<std::string>;

TEST_F(BindingTest, MissingExportsGiveTheirCodesAndNothingElse) {
  UseScripted("itTPS1100", "None");
  // Offline, so the port settings (none accepted for this instrument) are not checked.
  EXPECT_FALSE(binding->LibOpen(10000, "in.gsi"));
  EXPECT_EQ(TakeMessages(), Strings{"T153"});
  EXPECT_FALSE(binding->Connected());

  ScriptedLibraryState& s = UseScripted("itTPS1100", "Bare");
  // Opened on OpenComm alone: there is no TachyOn.
  ASSERT_TRUE(binding->LibOpen(10000, "in.gsi"));
  EXPECT_TRUE(TakeMessages().empty());
  EXPECT_FALSE(binding->LibStartReceive());
  EXPECT_FALSE(binding->LibStartSend());
  std::string tag = "dGSI8", line = "x";
  binding->LibReadLine(tag, line);  // no ReadComm: code 0
  EXPECT_EQ(tag, kTagEnd);
  EXPECT_FALSE(binding->LibWriteLine("110001+00000001"));
  TextLines out{"kept"};
  EXPECT_FALSE(binding->LibTakeWriteBuf(out));
  EXPECT_EQ(out, TextLines{"kept"});
  EXPECT_EQ(binding->LibGetErrorBuf(), "");
  EXPECT_EQ(binding->LibGetProjects(), "");
  EXPECT_FALSE(binding->LibClearProject(1));
  EXPECT_EQ(TakeMessages(), (Strings{"T153", "T153"}));
  binding->LibClose();  // no CloseComm: code 8
  EXPECT_EQ(TakeMessages(), Strings{"T48"});
  EXPECT_FALSE(binding->Connected());
  EXPECT_EQ(s.calls.front().rfind("OpenComm 1,6,4,0,0,0,3,2000,2000,10000,in.gsi", 0), 0u) << s.calls.front();
}

TEST_F(BindingTest, EveryResultCodeHasItsReaction) {
  UseScripted("itGTS700");
  struct Case {
    int code;
    std::string text;
    int kind;
  };
  const std::string hints = "\r\n\r\nT283\r\nT284\r\nT287";
  const std::vector<Case> cases = {
      {0, "T153", kMsgWarning},          {1, "T220", kMsgWarning},  {3, "T286" + hints, kMsgError},
      {4, "T34 GTS6", kMsgWarning},      {5, "T68", kMsgWarning},   {6, "T47", kMsgWarning},
      {7, "T51", kMsgWarning},           {8, "T48", kMsgWarning},   {10, "T60", kMsgWarning},
      {11, "T117", kMsgWarning},         {12, "T66", kMsgWarning},  {13, "T67", kMsgWarning},
      {15, "T177" + hints, kMsgWarning}, {16, "T356", kMsgWarning}, {17, "T187", kMsgWarning},
      {18, "T635", kMsgWarning},         {19, "T644", kMsgWarning}, {20, "T645", kMsgWarning},
      {21, "T646", kMsgWarning},         {22, "T647", kMsgWarning}, {23, "T648", kMsgWarning},
      {24, "T649", kMsgWarning},         {30, "T649", kMsgWarning}, {255, "T649", kMsgWarning},
      {0x104, "T34 GTS6", kMsgWarning},  // the low byte counts
  };
  for (const Case& c : cases) {
    std::string tag = "dGTS6";
    binding->ShowLibraryResult(c.code, tag);
    ASSERT_EQ(box.Messages().size(), 1u) << c.code;
    EXPECT_EQ(box.Messages()[0].text, c.text) << c.code;
    EXPECT_EQ(box.Messages()[0].kind, c.kind) << c.code;
    EXPECT_EQ(tag, "dGTS6") << c.code;
    box.Clear();
  }
  for (int quiet : {2, 14, 0x202, 0x10E}) {
    std::string tag = "dGTS6";
    binding->ShowLibraryResult(quiet, tag);
    EXPECT_TRUE(box.Messages().empty()) << quiet;
  }
  // A format name is data: its "%" is not a placeholder.
  std::string tag = "d%s%d%n";
  binding->ShowLibraryResult(4, tag);
  EXPECT_EQ(TakeMessages(), Strings{"T34 %s%d%n"});
}

TEST_F(BindingTest, FormatChangeOnlyToAFormatTheInstrumentTakes) {
  ScriptedLibraryState& s = UseScripted("itGTS700");
  s.reads = {{9, "JOB     J1,", "dGTS7"}};
  ASSERT_TRUE(binding->LibOpen(10000, "job.gt7"));
  std::string tag, line;
  binding->LibReadLine(tag, line);
  EXPECT_EQ(tag, "dGTS7");
  EXPECT_EQ(line, "JOB     J1,");
  EXPECT_EQ(Current().GeraeteFormat, geraete->Format("GTS7"));
  EXPECT_TRUE(TakeMessages().empty());

  // "GTS7" is no member of "OGTS7", an unknown or empty name none at all:
  // each is refused like code 4, and the receive ends.
  ScriptedLibraryState& o = UseScripted("itOTS600");
  o.reads = {{9, "a", "dGTS7"}, {9, "b", "dXYZ"}, {9, "c", ""}, {9, "d", "kOGTS7"}};
  ASSERT_TRUE(binding->LibOpen(10000, "job.gt7"));
  for (const char* expected : {"T34 GTS7", "T34 XYZ", "T34 "}) {
    binding->LibReadLine(tag, line);
    EXPECT_EQ(tag, kTagEnd);
    EXPECT_EQ(Current().GeraeteFormat, geraete->Format("OGTS7"));
    EXPECT_EQ(TakeMessages(), Strings{expected});
  }
  binding->LibReadLine(tag, line);  // its own format: kept, no message
  EXPECT_EQ(tag, "kOGTS7");
  EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(BindingTest, TextsAreCopiedNullIsEmptyAndErrorsOutliveTheConnection) {
  ScriptedLibraryState& s = UseScripted("itGTS700");
  s.nullTexts = true;
  s.reads = {{2, "ignored", "ignored"}};
  ASSERT_TRUE(binding->LibOpen(10000, "x"));
  std::string tag = "before", line = "before";
  binding->LibReadLine(tag, line);
  EXPECT_EQ(line, "");
  EXPECT_EQ(tag, "");
  EXPECT_EQ(binding->LibGetInstrument(), "");
  TextLines out{"old"};
  EXPECT_TRUE(binding->LibTakeWriteBuf(out));
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(binding->LibGetErrorBuf(), "");

  s.nullTexts = false;
  s.errorText = "port /dev/ttyUSB0 went away";
  s.reads = {{2, "P1;1;2;3;C", "kTAVRIN"}};
  s.nextRead = 0;
  binding->LibReadLine(tag, line);
  s.readBuf = "changed by the library";  // the program holds its own copy
  EXPECT_EQ(line, "P1;1;2;3;C");
  binding->LibClose();
  // The end of a transfer asks after closing.
  EXPECT_EQ(binding->LibGetErrorBuf(), "\r\nT546\r\n\r\nport /dev/ttyUSB0 went away");
  EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(BindingTest, OpenChecksPortSettingsOnlineAndOpensOnce) {
  ScriptedLibraryState& s = UseScripted("itGTS700");
  Current().BaudRate = tbr115200;  // not accepted by this instrument
  EXPECT_FALSE(binding->LibOpen(10000, ""));
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Messages()[0].text.rfind("T63\r\n\r\nT221", 0), 0u);
  EXPECT_TRUE(s.calls.empty());
  box.Clear();

  // Offline the sets are not tested; a second open calls nothing.
  ASSERT_TRUE(binding->LibOpen(12345, "NoOpen"));
  ASSERT_TRUE(binding->LibOpen(12345, "NoOpen"));
  EXPECT_EQ(s.calls, (Strings{"OpenComm 1,12,4,0,0,1,3,2000,10000,12345,NoOpen", "TachyOn"}));
  Current().TransferMethode = 105;
  EXPECT_TRUE(binding->LibStartReceive());
  EXPECT_TRUE(binding->LibStartSend());
  EXPECT_EQ(s.calls.back(), "StartRemoteTransfer 115");
  s.startCode = 11;
  EXPECT_FALSE(binding->LibStartSend());
  EXPECT_EQ(TakeMessages(), Strings{"T117"});

  // A refusing TachyOn leaves the connection closed and the port released.
  binding->LibClose();
  s.calls.clear();
  s.tachyOnCode = 3;
  EXPECT_FALSE(binding->LibOpen(10000, "x"));
  EXPECT_EQ(s.calls, (Strings{"OpenComm 1,12,4,0,0,1,3,2000,10000,10000,x", "TachyOn", "CloseComm"}));
  EXPECT_FALSE(binding->Connected());
}

TEST_F(BindingTest, NoLibraryMeansText113AndNoCall) {
  geraete->ForEach<TInstrument>([](TInstrument& i) { i.Active = i.Name == "itGTS700"; });
  binding->LoadInstrumentLibrary(install / "libGTS700.so");  // not there
  EXPECT_FALSE(binding->LibraryLoaded());
  EXPECT_FALSE(binding->LibOpen(10000, "x"));
  EXPECT_EQ(TakeMessages(), Strings{"T113"});
}

TEST_F(BindingTest, WhileACallWaitsTheInstrumentStaysAndBreakReachesTheLibrary) {
  ScriptedLibraryState& s = UseScripted("itGTS700");
  ASSERT_NE(s.pump, nullptr);  // registered on loading
  s.pumpInRead = true;
  s.reads = {{2, "line", "dGTS7"}};
  bool selected = true, canClose = true;
  SetMessagePump([&] {
    selected = geraete->SelectInstrument("Topcon GTS-6");
    canClose = binding->CanClose();
    binding->LibSetBreak();
  });
  ASSERT_TRUE(binding->LibOpen(10000, "x"));
  std::string tag, line;
  // The pump is throttled: after this the library's pass runs it.
  std::this_thread::sleep_for(std::chrono::milliseconds(2 * kPumpIntervalMs));
  binding->LibReadLine(tag, line);
  SetMessagePump(nullptr);
  EXPECT_FALSE(selected);
  EXPECT_FALSE(canClose);
  EXPECT_EQ(Current().Name, "itGTS700");
  EXPECT_NE(std::find(s.calls.begin(), s.calls.end(), "SetBreak 14"), s.calls.end());
  EXPECT_TRUE(binding->CanClose());

  // Freeing the library takes the pump back first.
  EXPECT_TRUE(geraete->SelectInstrument("Topcon GTS-6"));
  EXPECT_FALSE(binding->LibraryLoaded());
}

}  // namespace
}  // namespace veltro::test
