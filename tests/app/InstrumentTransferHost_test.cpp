// The windows of an instrument transfer, offscreen: the statistics window's
// cancel button during a receive over a pty, the indicators, and the
// transfer-options dialog of the TPS 100 set-up.
#include "app/InstrumentTransferHost.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "app/TransferStatistik.h"
#include "tests/app/QtTestApp.h"
#include "tests/instruments/SequenceFixture.h"

namespace veltro::test {
namespace {

class WindowsTransferTest : public SequenceTest {
 protected:
  WindowsTransferTest() {
    qtHost.onIndicators = [this](bool on) { indicators += on ? "+" : "-"; };
    qtHost.onIndicatorColour = [this](InstrumentTransferHost::Indicator, std::uint32_t rgb) {
      colours += rgb == kIndicatorBusy ? "g" : "r";
    };
  }
  ~WindowsTransferTest() override {
    SetMessagePump(nullptr);
    SetTransferEnvironment({});
  }
  // The statistics window of the installed instrument, with the main
  // window's side of the sequence.
  TfrmStatistik& OpenWindows() {
    side.reset();
    side = std::make_unique<TInstrumentTransfer>(*modules->geraete, *modules->binding, &qtHost);
    SetTransferEnvironment({&window, nullptr, side.get(), &settings});
    frm = std::make_unique<TfrmStatistik>();
    SetTransferEnvironment({&window, frm.get(), side.get(), &settings});
    ConnectCancel(*frm, *modules->binding);
    return *frm;
  }

  QApplication& app = QtTestApp();
  std::unique_ptr<TfrmStatistik> frm;
  QtInstrumentTransferHost qtHost;
  std::string indicators, colours;
};

TEST_F(WindowsTransferTest, TheCancelButtonBreaksOffAReceiveOverTheLine) {
  Use("itTavrin", "TAVRIN", "Original", kProgramFolder + "libTavrin.so");
  TfrmStatistik& frm = OpenWindows();
  SimulatedInstrument sim({"--hold", "--pace", "2"});
  ASSERT_TRUE(sim.Ready());
  ::setenv("VELTRO_COM1", sim.Device().c_str(), 1);
  auto play = PlayWhenConnected(sim, TavrinLines(3000));
  bool clicked = false;
  SetMessagePump([&] {
    app.processEvents();
    play();
    if (!clicked && CurrentTransfer().ReceivedLines.size() >= 20) {
      EXPECT_TRUE(frm.isVisible());
      frm.findChild<QPushButton*>("Abbrechen")->click();
      clicked = true;
    }
  });
  settings.transOf = false;
  EXPECT_FALSE(Receive("", tmp / "cancelled.txt"));
  EXPECT_TRUE(clicked);
  EXPECT_TRUE(CurrentTransfer().StopFlag);
  EXPECT_LT(CurrentTransfer().ReceivedLines.size(), 3000u);
  EXPECT_FALSE(frm.isVisible());
  EXPECT_EQ(indicators, "+-");
  ASSERT_GE(colours.size(), 4u);
  EXPECT_EQ(colours.substr(0, 4), "grgr");
}

TEST_F(WindowsTransferTest, TheOptionsDialogChoosesWhatTheTps100Receives) {
  Use("itTPS100", "GSI8", "ASCII", kSequenceTestLibs + "libScriptedFull.so");
  OpenWindows();
  ScriptedLibraryState& s = Script();
  s.instrument = "TPS1102";
  s.projects = "JOB1,1\r\n";
  std::string title;
  qtHost.onDialog = [&](QtTransferOptionsDialog& d) {
    QTimer::singleShot(0, &d.Window(), [&d, &title] {
      title = d.Window().windowTitle().toStdString();
      d.Window().findChild<QRadioButton*>("OptionsTCx1")->click();
      d.Window().findChild<QPushButton*>("Ok")->click();
    });
  };
  settings.transOf = false;
  modules->geraete->CurrentInstrument().TransferMethode = 0;
  Receive("", tmp / "tps.asc");
  EXPECT_EQ(title, "TPS100 - TPS1102");
  const int chosen = modules->geraete->CurrentInstrument().TransferMethode;
  EXPECT_EQ(chosen % 100, 1);
  EXPECT_NE(std::find(s.calls.begin(), s.calls.end(), "StartRemoteTransfer " + std::to_string(chosen)), s.calls.end())
      << ::testing::PrintToString(s.calls);
}

}  // namespace
}  // namespace veltro::test
