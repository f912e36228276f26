// Receives and sends end to end through the transfer sequence and an
// instrument library loaded with dlopen: offline from and into instrument
// files, and over a pty pair with the simulated instrument.
#include "instruments/TransferSequence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "tests/instruments/SequenceFixture.h"
#include "tests/support/ConvertRun.h"
#include "tests/support/InstrumentSim.h"

namespace veltro::test {
namespace {

struct Sample {
  const char* instrument;
  const char* format;
  const char* file;      // in tests/data
  const char* expected;  // the converter's output for it, in tests/data
};

const Sample kReceives[] = {
    {"itTPS1100", "GSI16", "gsi/messung-gsi16.gsi", "gsi/messung-gsi16.gsi.asc"},
    {"itGTS6", "GTS6", "gts6/messung-gts6-bloecke.gt6", "gts6/messung-gts6-bloecke.gt6.asc"},
    {"itGTS6", "GTS6", "gts6/koordinaten-gts6.gt6", "gts6/koordinaten-gts6.gt6.asc"},
    {"itGTS700", "GTS7", "gts7/messung-gts7.gt7", "gts7/messung-gts7.gt7.asc"},
    {"itOTS600", "OGTS7", "gts7/messung-ogts7.ot7", "gts7/messung-ogts7.ot7.asc"},
    {"itSDR33", "SDR2x", "sdr/job-sdr2x.sdr", "sdr/job-sdr2x.sdr.asc"},
    {"itREC500", "REC500", "rec500/recorder.rec", "rec500/recorder.rec.asc"},
};

std::string ExpectedOutput(const Sample& s) { return ReadFile(kData + s.expected); }

// The test line runs without handshake: the instrument is told to accept it.
TInstrument& Plain(TInstrument& i) {
  i.ValidFlowControl = TValidFlowControl{tfcNone};
  i.FlowControl = tfcNone;
  return i;
}

using Strings = std::vector<std::string>;

// The counts of a record group's lines as phase 1 shows them while they
// arrive, and as phase 2 counts them again when it reads them.
Strings Counts(const TTransferStatistik& s) {
  return {std::to_string(s.Stationen), std::to_string(s.Punkte), std::to_string(s.Codes),
          std::to_string(s.Rueckblicke), std::to_string(s.Vorblicke), std::to_string(s.Mittelblicke)};
}

TEST_F(SequenceTest, OfflineReceivesThroughTheLibraryGiveTheConverterOutput) {
  TTransferStatistik received;
  host.onIndicators = [&](bool on) {
    if (!on) received = statistics.Statistik();
  };
  for (const Sample& s : kReceives) {
    SCOPED_TRACE(s.file);
    Use(s.instrument, s.format);
    // The kind phase 1 binds for each received line, by its index (the
    // format is bound anew only when the kind changes).
    TGeraeteFormat& format = *modules->geraete->Format(s.format);
    const auto classify = format.OnGetDatenart;
    std::map<int, TTransferDatenart> kinds;
    format.OnGetDatenart = [&](std::string& line) {
      const TTransferDatenart kind = classify(line);
      if (CurrentTransfer().Receiving) kinds[CurrentTransfer().Daten.Konstanten.Zeile] = kind;
      return kind;
    };
    const std::string out = tmp / (std::filesystem::path(s.file).filename().string() + ".asc");
    ASSERT_TRUE(Receive(kData + s.file, out));
    format.OnGetDatenart = classify;
    EXPECT_TRUE(SameBytes(ExpectedOutput(s), ReadFile(out)));
    EXPECT_EQ(Counts(received), Counts(statistics.Statistik()));
    // Lines of a record group are classified among their neighbours.
    TransferState& t = CurrentTransfer();
    ASSERT_EQ(kinds.size(), t.ReceivedLines.size());
    t.ActiveLines = &t.ReceivedLines;
    for (size_t i = 0; i < t.ReceivedLines.size(); ++i) {
      t.Daten.Konstanten.Zeile = static_cast<int>(i);
      std::string line(t.ReceivedLines[i]);
      EXPECT_EQ(static_cast<int>(kinds[static_cast<int>(i)]), static_cast<int>(format.OnGetDatenart(line))) << line;
    }
    t.ActiveLines = nullptr;
    EXPECT_EQ(Errors(), std::vector<std::string>{});
    EXPECT_GT(statistics.Position(), 0);
    EXPECT_FALSE(modules->binding->Connected());
    box.Clear();
  }
}

TEST_F(SequenceTest, ReceivesOverTheLineEqualTheOfflineReceive) {
  for (const Sample& s : {kReceives[3], kReceives[5]}) {
    SCOPED_TRACE(s.file);
    Plain(Use(s.instrument, s.format));
    SimulatedInstrument sim({"--hold", "--eol", "crlf"});
    ASSERT_TRUE(sim.Ready());
    ::setenv("VELTRO_COM1", sim.Device().c_str(), 1);
    SetMessagePump(PlayWhenConnected(sim, ReadFile(kData + s.file)));
    settings.transOf = false;
    const std::string out = tmp / (std::string(s.format) + "-line.asc");
    ASSERT_TRUE(Receive("", out)) << (MessageTexts().empty() ? "" : MessageTexts().front());
    SetMessagePump(nullptr);
    EXPECT_TRUE(SameBytes(ExpectedOutput(s), ReadFile(out)));
    // SDR: checksum compared, "received" noted only over the line.
    const bool sdr = std::string(s.format) == "SDR2x";
    EXPECT_EQ(Errors(), std::vector<std::string>{});
    EXPECT_EQ(Informations(), sdr ? std::vector<std::string>{GetText(611)} : std::vector<std::string>{});
    box.Clear();
  }
}

TEST_F(SequenceTest, SendsOfflineAndOverTheLine) {
  // The formats' write hooks (GTS-6 upload header and record count, SDR
  // framing and checksum) run in the library's send as in the converter.
  const Sample kSends[] = {
      {"itGTS6", "GTS6", "gts6/koordinaten.asc", "gts6/koordinaten.asc.GTS6"},
      {"itGTS700", "GTS7", "gts7/koordinaten.asc", "gts7/koordinaten.asc.GTS7"},
      {"itREC500", "REC500", "rec500/koordinaten.asc", "rec500/koordinaten.asc.rec"},
  };
  for (const Sample& s : kSends) {
    SCOPED_TRACE(s.expected);
    Use(s.instrument, s.format);
    const std::string out = tmp / std::filesystem::path(s.expected).filename();
    ASSERT_TRUE(Send(kData + s.file, out));
    EXPECT_TRUE(SameBytes(ExpectedOutput(s), ReadFile(out)));
  }
  box.Clear();
  const std::string input = kData + "sdr/koordinaten.asc";
  const std::string expected = ReadFile(kData + "sdr/koordinaten.asc.sdr33");
  Use("itSDR33", "SDR33");
  ASSERT_TRUE(Send(input, tmp / "offline.sdr"));
  EXPECT_TRUE(SameBytes(expected, ReadFile(tmp / "offline.sdr")));
  EXPECT_EQ(Informations(), std::vector<std::string>{});

  Plain(*modules->geraete->Instrument("itSDR33"));
  SimulatedInstrument sim;
  ASSERT_TRUE(sim.Ready());
  ::setenv("VELTRO_COM1", sim.Device().c_str(), 1);
  settings.transOf = false;
  EXPECT_FALSE(Send(input, tmp / "online.sdr"));  // nothing is saved over the line
  // The end mark goes as an empty line.
  ASSERT_TRUE(sim.WaitForReceived(expected.size() + 2));
  EXPECT_TRUE(SameBytes(expected + "\r\n", sim.Received()));
  EXPECT_EQ(Informations(), (std::vector<std::string>{GetText(612), GetText(613)}));
}

// Files beside target that an offline send writes before the save.
Strings WriteFilesBeside(const std::string& target) {
  Strings found;
  const std::string prefix = "." + std::filesystem::path(target).filename().string() + ".";
  for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(target).parent_path()))
    if (e.path().filename().string().rfind(prefix, 0) == 0) found.push_back(e.path().string());
  return found;
}

// The statistics window of a send, refreshed before every line.
class LineWatch : public FakeStatistics {
 public:
  std::function<void()> onLine;
  void Refresh() override {
    FakeStatistics::Refresh();
    if (onLine) onLine();
  }
};

// An offline send writes its lines to a file beside the output while it
// runs; the save moves that file into place and keeps every rule of a save.
TEST_F(SequenceTest, AnOfflineSendIsWrittenToItsFileAsItGoes) {
  TInstrument& leica = Use("itTPS1100", "GSI8", "ASCII", kProgramFolder + LibraryFileName("TPS1100.DLL"));
  const TextLines sample = SplitLines(ReadFile(kData + "gsi/koordinaten-gsi8-cr.gsi"));
  ASSERT_GE(sample.size(), 4u);
  TextLines lines;  // more than the library's file buffer holds
  while (lines.size() < 3000) lines.insert(lines.end(), sample.begin(), sample.end());
  TransferState& t = CurrentTransfer();
  const std::string out = tmp / "out.gsi";
  size_t largestSeen = 0;
  size_t stopAt = lines.size();
  LineWatch watch;
  watch.onLine = [&] {
    for (const std::string& f : WriteFilesBeside(out)) largestSeen = std::max<size_t>(largestSeen, std::filesystem::file_size(f));
    if (static_cast<size_t>(t.Daten.Konstanten.Zeile) >= stopAt) t.StopFlag = true;
  };
  SetTransferEnvironment({&window, &watch, side.get(), &settings});
  auto send = [&](const std::string& target) {
    t.ReceivedLines = lines;
    t.Daten.Konstanten.Zeile = 0;
    t.OutputFileName = target;
    side->SendLines();
    t.StopFlag = false;
  };

  send(out);
  EXPECT_EQ(ReadFile(out), JoinLines(lines));
  EXPECT_GT(largestSeen, 0u);  // lines were in the file before the send ended
  EXPECT_EQ(WriteFilesBeside(out), Strings{});
  EXPECT_EQ(MessageTexts(), Strings{});

  // A send cut short is saved only when confirmed; refused, the file there stays.
  WriteFile(out, "older");
  stopAt = 2;
  box.Answer(kAnsNo);
  send(out);
  EXPECT_EQ(ReadFile(out), "older");
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Messages()[0].buttons, kBtnYesNo);
  EXPECT_EQ(WriteFilesBeside(out), Strings{});
  box.Answer(kAnsYes);
  send(out);
  // The line being written when the stop came is the last one.
  EXPECT_EQ(ReadFile(out), JoinLines(TextLines(lines.begin(), lines.begin() + 3)));
  stopAt = lines.size();

  // Overwriting refused: the lines go to the name chosen instead, in another folder.
  box.Clear();
  WriteFile(out, "older");
  std::filesystem::create_directory(tmp / "other");
  window.saveDialogAnswers = {tmp / "other/chosen.gsi"};
  t.AutoNameFlag = true;
  box.Answer(kAnsNo);
  send(out);
  t.AutoNameFlag = false;
  EXPECT_EQ(ReadFile(out), "older");
  EXPECT_EQ(ReadFile(tmp / "other/chosen.gsi"), JoinLines(lines));
  EXPECT_EQ(WriteFilesBeside(out), Strings{});

  // A port with LF line ends saves the lines as ever, with CR LF.
  box.Clear();
  leica.EndofLine = teolLF;
  send(tmp / "lf.gsi");
  EXPECT_EQ(ReadFile(tmp / "lf.gsi"), JoinLines(lines));
  EXPECT_EQ(WriteFilesBeside(tmp / "lf.gsi"), Strings{});
  leica.EndofLine = teolCRLF;

  // No record to send: nothing is written, nothing is left behind.
  WriteFile(out, "older");
  t.ReceivedLines.clear();
  t.Daten.Konstanten.Zeile = 0;
  side->SendLines();
  EXPECT_EQ(ReadFile(out), "older");
  EXPECT_EQ(WriteFilesBeside(out), Strings{});
  EXPECT_EQ(MessageTexts(), Strings{});
  SetTransferEnvironment({&window, &statistics, side.get(), &settings});
}

TEST_F(SequenceTest, MergedMeasurementReceivesKeepOneCopy) {
  WriteRegBool(RegistryRoot::CurrentUser, ConfigPath(kSettingDataMerging), true, true);
  Use("itGTS700", "GTS7");
  const std::string job = ReadFile(kData + "gts7/messung-gts7.gt7");
  TextLines lines = SplitLines(job);
  ASSERT_GT(lines.size(), 8u);
  // The instrument first sends part of its job, then all of it again.
  TextLines part(lines.begin(), lines.begin() + 6);
  SaveTextFile(tmp / "part.gt7", part);
  ASSERT_TRUE(Receive(tmp / "part.gt7", tmp / "out.asc"));
  ASSERT_TRUE(Receive(kData + "gts7/messung-gts7.gt7", tmp / "out.asc"));
  EXPECT_TRUE(SameBytes(ReadFile(kData + "gts7/messung-gts7.gt7.asc"), ReadFile(tmp / "out.asc")));
  EXPECT_EQ(CurrentTransfer().ReceivedLines.size(), lines.size());
  EXPECT_TRUE(CurrentTransfer().MergeFlag);
  // No overwrite question while merging.
  for (const auto& m : box.Messages()) EXPECT_NE(m.buttons, kBtnYesNo) << m.text;
  CurrentTransfer().MergeFlag = false;
}

TEST_F(SequenceTest, CancelEndsAReceiveAndASendOverTheLine) {
  Use("itTavrin", "TAVRIN", "Original", kProgramFolder + "libTavrin.so");
  {
    SimulatedInstrument sim({"--hold", "--pace", "2"});
    ASSERT_TRUE(sim.Ready());
    ::setenv("VELTRO_COM1", sim.Device().c_str(), 1);
    auto play = PlayWhenConnected(sim, TavrinLines(3000));
    bool cancelled = false;
    SetMessagePump([&] {
      play();
      if (!cancelled && CurrentTransfer().ReceivedLines.size() >= 20) {
        // The statistics window's cancel button.
        modules->binding->LibSetBreak();
        CurrentTransfer().StopFlag = true;
        cancelled = true;
      }
    });
    settings.transOf = false;
    EXPECT_FALSE(Receive("", tmp / "cancelled.txt"));
    SetMessagePump(nullptr);
    EXPECT_TRUE(cancelled);
    EXPECT_LT(CurrentTransfer().ReceivedLines.size(), 3000u);
    EXPECT_FALSE(modules->binding->Connected());
    EXPECT_EQ(host.indicatorsOn, host.indicatorsOff);
  }
  {
    std::string points;
    // Enough lines that the send outlasts the pump's interval however fast it runs.
    for (int i = 1; i <= 30000; ++i) points += std::to_string(i) + "|C|" + std::to_string(i) + ".000|2.000|3.000|\r\n";
    WriteFile(tmp / "many.asc", points);
    Plain(Use("itSDR33", "SDR33"));
    SimulatedInstrument sim;
    ASSERT_TRUE(sim.Ready());
    ::setenv("VELTRO_COM1", sim.Device().c_str(), 1);
    bool cancelled = false;
    SetMessagePump([&] {
      if (!cancelled && CurrentTransfer().Daten.Konstanten.Zeile >= 50) {
        modules->binding->LibSetBreak();
        CurrentTransfer().StopFlag = true;
        cancelled = true;
      }
    });
    Send(tmp / "many.asc", tmp / "unused");
    SetMessagePump(nullptr);
    ASSERT_TRUE(cancelled);
    // The send stopped after the line that was being written.
    EXPECT_LT(static_cast<size_t>(CurrentTransfer().Daten.Konstanten.Zeile), CurrentTransfer().ReceivedLines.size());
    EXPECT_FALSE(modules->binding->Connected());
    const std::string got = sim.Received();
    EXPECT_EQ(got.find("\r\n\r\n"), std::string::npos);  // no end mark after a cancel
  }
}

TEST_F(SequenceTest, TavrinReceivesRawOverTheLineAndCopiesOffline) {
  const std::string text = "P1;2600000.000;1200000.000;500.000;A\r\nP2;2600001.000;1200002.000;501.000;B\r\n";
  Use("itTavrin", "TAVRIN", "Original", kProgramFolder + "libTavrin.so");
  WriteFile(tmp / "in.txt", text);
  ASSERT_TRUE(Receive(tmp / "in.txt", tmp / "copy.txt"));
  EXPECT_EQ(ReadFile(tmp / "copy.txt"), text);

  SimulatedInstrument sim({"--hold"});
  ASSERT_TRUE(sim.Ready());
  ::setenv("VELTRO_COM1", sim.Device().c_str(), 1);
  SetMessagePump(PlayWhenConnected(sim, text));
  settings.transOf = false;
  ASSERT_TRUE(Receive("", tmp / "raw.txt"));
  EXPECT_EQ(ReadFile(tmp / "raw.txt"), text + "\x04\r\n");
}

}  // namespace
}  // namespace veltro::test
