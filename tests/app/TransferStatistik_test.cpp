#include "app/TransferStatistik.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "core/Messages.h"
#include "formats/instrument/DL100.h"
#include "tests/app/QtTestApp.h"
#include "tests/formats/FormatFixture.h"
#include "tests/support/TestFormats.h"
#include "tests/support/TransferFixture.h"

namespace veltro::test {
namespace {

class StatistikTest : public ::testing::Test {
 protected:
  StatistikTest() {
    SetTextProvider([](int n) { return "T" + std::to_string(n); });
    CurrentTransfer().StopFlag = false;
    Install();
  }
  ~StatistikTest() override {
    SetTransferEnvironment({});
    SetTextProvider(nullptr);
    CurrentTransfer().StopFlag = false;
  }
  void Install() { SetTransferEnvironment({nullptr, &frm, &instrument, &settings}); }

  QString Text(const char* name) const {
    auto* label = frm.findChild<QLabel*>(QString::fromLatin1(name));
    EXPECT_NE(label, nullptr) << name;
    return label ? label->text() : QString();
  }
  QProgressBar* Bar() const { return frm.findChild<QProgressBar*>(QStringLiteral("ProgressBar")); }
  QPushButton* Button(const char* name) const { return frm.findChild<QPushButton*>(QString::fromLatin1(name)); }
  QWidget* Widget(const char* name) const { return frm.findChild<QWidget*>(QString::fromLatin1(name)); }
  bool Shown(const char* name) const { return Widget(name)->isVisibleTo(&frm); }

  // Counts records as a statistics handler does, one point per line.
  void Count(int records) {
    for (int i = 0; i < records; ++i) {
      ++frm.Statistik().Fortschritt;
      ++frm.Statistik().Punkte;
      frm.Refresh();
    }
  }

  QApplication& app = QtTestApp();
  FakeInstrument instrument;
  FakeSettings settings;
  TfrmStatistik frm;
};

TEST_F(StatistikTest, ComponentsCarryTheirNames) {
  for (const char* name : {"Zustand",
                           "ProgressBar",
                           "TP0",
                           "TP5",
                           "TP10",
                           "Bloecke",
                           "PanelTediStatistik",
                           "TransCodes",
                           "TransStationen",
                           "TransPunkte",
                           "PanelNivStatistik",
                           "StartHoehe",
                           "Hoehe",
                           "Endhoehe",
                           "Differenz",
                           "Rueckblicke",
                           "Vorblicke",
                           "Mittelblicke",
                           "Methode",
                           "Abbrechen",
                           "Ok"})
    EXPECT_NE(Widget(name), nullptr) << name;
  EXPECT_EQ(frm.windowTitle(), QStringLiteral("Statistik des Transfers"));
}

TEST_F(StatistikTest, ResetClearsEverything) {
  frm.Statistik().Codes = 4;
  frm.Statistik().Starthoehe = "412.5";
  Count(30);
  frm.SetStatusText("running");
  frm.Reset();
  EXPECT_EQ(frm.Statistik().Fortschritt, 0);
  EXPECT_EQ(frm.Statistik().Codes, 0);
  EXPECT_EQ(frm.Statistik().Starthoehe, "");
  EXPECT_FALSE(frm.Statistik().Methode);
  EXPECT_EQ(Text("Zustand"), "T39");
  EXPECT_EQ(Text("TP0"), "0");
  EXPECT_EQ(Text("TP5"), "5");
  EXPECT_EQ(Text("TP10"), "10");
  EXPECT_EQ(Bar()->maximum(), 10);
  EXPECT_EQ(Bar()->value(), 0);
  for (const char* counter :
       {"TransCodes", "TransStationen", "TransPunkte", "Rueckblicke", "Vorblicke", "Mittelblicke"})
    EXPECT_EQ(Text(counter), "0") << counter;
  for (const char* text : {"StartHoehe", "Hoehe", "Endhoehe", "Differenz", "Methode"})
    EXPECT_EQ(Text(text), "") << text;
  EXPECT_TRUE(Shown("Abbrechen"));
  EXPECT_FALSE(Shown("Ok"));
  EXPECT_EQ(frm.height(), TfrmStatistik::kHeightPunkte);
  instrument.kind = InstrumentKind::Nivellier;
  frm.Reset();
  EXPECT_EQ(frm.height(), TfrmStatistik::kHeightNivellier);
}

TEST_F(StatistikTest, TheScaleGrowsByTens) {
  frm.Reset();
  Count(9);
  frm.ShowCounts();
  EXPECT_EQ(Text("TP10"), "10");
  EXPECT_EQ(Bar()->value(), 9);
  Count(1);
  frm.ShowCounts();
  EXPECT_EQ(Text("TP5"), "50");
  EXPECT_EQ(Text("TP10"), "100");
  EXPECT_EQ(Bar()->maximum(), 100);
  EXPECT_EQ(Bar()->value(), 10);
  Count(90);
  frm.ShowCounts();
  EXPECT_EQ(Text("TP5"), "500");
  EXPECT_EQ(Text("TP10"), "1000");
  EXPECT_EQ(Bar()->value(), 100);
  EXPECT_EQ(Text("TransPunkte"), "100");
}

TEST_F(StatistikTest, AJumpGrowsTheScaleUntilThePositionFits) {
  frm.Reset();
  frm.Statistik().Fortschritt = 250;  // one line that counted many points
  frm.Refresh();
  frm.ShowCounts();
  EXPECT_EQ(frm.ProgressMaximum(), 1000);
  EXPECT_EQ(Text("TP5"), "500");
  EXPECT_EQ(Text("TP10"), "1000");
  EXPECT_EQ(Bar()->maximum(), 1000);
  EXPECT_EQ(Bar()->value(), 250);
  frm.Statistik().Fortschritt = 1000000;
  frm.Refresh();
  frm.ShowCounts();
  EXPECT_EQ(Text("TP10"), "10000000");
  EXPECT_EQ(Bar()->value(), 1000000);
  frm.Statistik().Fortschritt = INT_MAX;  // the bar never sticks
  frm.Refresh();
  frm.ShowCounts();
  EXPECT_EQ(Text("TP10"), "1000000000");
  EXPECT_EQ(Bar()->value(), 1000000000);
}

TEST_F(StatistikTest, PanelChoiceByInstrumentAndDirection) {
  frm.Reset();
  frm.Show();
  EXPECT_TRUE(Shown("PanelTediStatistik"));
  EXPECT_FALSE(Shown("PanelNivStatistik"));
  EXPECT_EQ(Text("Bloecke"), "T128");
  frm.Close();

  instrument.kind = InstrumentKind::Nivellier;
  frm.Reset();
  frm.Show();
  EXPECT_TRUE(frm.LevellingPanelShown());
  EXPECT_FALSE(Shown("PanelTediStatistik"));
  EXPECT_TRUE(Shown("PanelNivStatistik"));
  EXPECT_EQ(Text("Bloecke"), "T381");
  frm.Close();

  // A levelling transfer from PC to instrument counts points.
  settings.methode = 1;
  frm.Reset();
  frm.Show();
  EXPECT_TRUE(Shown("PanelTediStatistik"));
  EXPECT_FALSE(Shown("PanelNivStatistik"));
  EXPECT_EQ(Text("Bloecke"), "T128");
  frm.Close();
}

TEST_F(StatistikTest, LevellingValuesAndMethod) {
  instrument.kind = InstrumentKind::Nivellier;
  frm.Reset();
  frm.Show();
  EXPECT_EQ(Text("Methode"), "");
  TTransferStatistik& s = frm.Statistik();
  s.Starthoehe = "412.300";
  s.BerechneteHoehe = "413.1";
  s.Endhoehe = "413.100";
  s.Differenz = "0.0002";
  s.Rueckblicke = 12;
  s.Vorblicke = 11;
  s.Mittelblicke = 3;
  s.Fortschritt = 26;
  frm.Refresh();
  frm.ShowCounts();
  EXPECT_EQ(Text("StartHoehe"), "412.300");
  EXPECT_EQ(Text("Hoehe"), "413.1");
  EXPECT_EQ(Text("Endhoehe"), "413.100");
  EXPECT_EQ(Text("Differenz"), "0.0002");
  EXPECT_EQ(Text("Rueckblicke"), "12");
  EXPECT_EQ(Text("Vorblicke"), "11");
  EXPECT_EQ(Text("Mittelblicke"), "3");
  EXPECT_EQ(Text("Methode"), "T390");
  s.Methode = true;
  frm.Refresh();
  frm.Close();
  EXPECT_EQ(Text("Methode"), "T391");
}

TEST_F(StatistikTest, CloseShowsTheFinalCounts) {
  frm.Reset();
  frm.Show();
  for (int i = 0; i < 5000; ++i) {
    ++frm.Statistik().Fortschritt;
    ++frm.Statistik().Punkte;
    frm.Statistik().Codes += 2;
    frm.Refresh();
  }
  frm.Close();
  EXPECT_EQ(Text("TransPunkte"), "5000");
  EXPECT_EQ(Text("TransCodes"), "10000");
  EXPECT_EQ(Bar()->value(), 5000);
  EXPECT_EQ(Text("TP10"), "10000");
}

TEST_F(StatistikTest, AbbrechenTwiceClosesButKeepsTheMainWindowDisabledUntilTheEngineEnds) {
  QWidget main;
  main.show();
  frm.SetMainWindow(&main);
  int breaks = 0;
  frm.LibSetBreak = [&] { ++breaks; };
  frm.Reset();
  frm.Show();
  EXPECT_FALSE(main.isEnabled());

  Button("Abbrechen")->click();
  EXPECT_TRUE(CurrentTransfer().StopFlag);
  EXPECT_EQ(breaks, 1);
  EXPECT_TRUE(frm.isVisible());

  Button("Abbrechen")->click();
  EXPECT_FALSE(frm.isVisible());
  EXPECT_EQ(breaks, 2);
  EXPECT_FALSE(main.isEnabled());  // the transfer is still running
  EXPECT_TRUE(frm.IsVisible());    // so the engine's end closes it

  frm.Close();  // the engine returns
  EXPECT_TRUE(main.isEnabled());
  EXPECT_FALSE(frm.IsVisible());
}

TEST_F(StatistikTest, ClosingTheWindowDuringATransferCancelsIt) {
  QWidget main;
  frm.SetMainWindow(&main);
  int breaks = 0;
  frm.LibSetBreak = [&] { ++breaks; };
  frm.Reset();
  frm.Show();
  frm.close();
  EXPECT_TRUE(CurrentTransfer().StopFlag);
  EXPECT_EQ(breaks, 1);
  EXPECT_FALSE(main.isEnabled());
  frm.Close();
  EXPECT_TRUE(main.isEnabled());
}

TEST_F(StatistikTest, TheEnginesCloseReleasesTheMainWindow) {
  QWidget main;
  frm.SetMainWindow(&main);
  frm.Reset();
  frm.Show();
  EXPECT_TRUE(frm.IsVisible());
  EXPECT_FALSE(main.isEnabled());
  frm.Close();
  EXPECT_FALSE(frm.isVisible());
  EXPECT_TRUE(main.isEnabled());
  EXPECT_FALSE(CurrentTransfer().StopFlag);
}

TEST_F(StatistikTest, ShowLastIsModalWithOk) {
  QWidget main;
  frm.SetMainWindow(&main);
  frm.Reset();
  frm.Show();
  Count(42);
  frm.Close();
  bool okShown = false;
  bool abbrechenShown = true;
  bool mainEnabled = true;
  QString punkte;
  QTimer::singleShot(0, [&] {
    okShown = Shown("Ok");
    abbrechenShown = Shown("Abbrechen");
    mainEnabled = main.isEnabled();
    punkte = Text("TransPunkte");
    Button("Ok")->click();
  });
  frm.ShowLast();
  EXPECT_TRUE(okShown);
  EXPECT_FALSE(abbrechenShown);
  EXPECT_FALSE(mainEnabled);
  EXPECT_EQ(punkte, "42");
  EXPECT_FALSE(frm.isVisible());
  EXPECT_TRUE(main.isEnabled());
  EXPECT_FALSE(CurrentTransfer().StopFlag);
}

// The window under the real engine: a transfer from a file to the instrument
// (offline), cancelled from inside the statistics handler as a user would
// press the button while lines pass.
class StatistikEngineTest : public TransferFixture {
 protected:
  StatistikEngineTest() {
    SetTransferEnvironment({&window, &frm, &instrument, &settings});
    instrument.format = formats.inst;
    frm.SetMainWindow(&main);
    main.show();
    auto* k = dynamic_cast<TReadWriteDaten*>(formats.linesModule.FindComponent("Koordinaten"));
    counting = k->OnStatistik;
    k->OnStatistik = [this](const std::string& s, TTransferStatistik& st) {
      counting(s, st);
      mainEnabledDuring = mainEnabledDuring || main.isEnabled();
      if (st.Punkte == pressAt)
        for (int i = 0; i < presses; ++i) frm.findChild<QPushButton*>(QStringLiteral("Abbrechen"))->click();
    };
  }

  void Send(int records) {
    std::string input;
    for (int i = 1; i <= records; ++i) input += "P;" + std::to_string(i) + ";1.0;2.0;3.0\r\n";
    WriteFile(tmp / "in.txt", input);
    settings.methode = 1;
    window.SetInputFileField("in.txt");
    window.SetOutputFileField("inst.txt");
    Transfer_startenClick();
  }

  QApplication& app = QtTestApp();
  QWidget main;
  TfrmStatistik frm;
  TestFormats formats;
  TNotifyStatistikEvent counting;
  int pressAt = -1;
  int presses = 0;
  bool mainEnabledDuring = false;
};

TEST_F(StatistikEngineTest, TheMainWindowIsDisabledDuringATransferAndEnabledAfterIt) {
  Send(30);
  EXPECT_FALSE(mainEnabledDuring);
  EXPECT_TRUE(main.isEnabled());
  EXPECT_FALSE(frm.isVisible());
  EXPECT_FALSE(frm.IsVisible());
  EXPECT_FALSE(CurrentTransfer().StopFlag);
}

TEST_F(StatistikEngineTest, TwoPressesOfAbbrechenStopTheTransferAndTheEngineEndReleasesTheMainWindow) {
  pressAt = 5;
  presses = 2;
  Send(30);
  EXPECT_TRUE(CurrentTransfer().StopFlag);
  EXPECT_FALSE(mainEnabledDuring);
  EXPECT_FALSE(frm.isVisible());
  EXPECT_FALSE(frm.IsVisible());
  EXPECT_TRUE(main.isEnabled());
  // Lines after the press were not converted.
  EXPECT_EQ(CurrentTransfer().ReceivedLines.size(), 5u);
}

// A levelling line received from a DL-100 file through the engine, with the
// real catalogue and format module.
class StatistikLevellingTest : public FormatTest {
 protected:
  StatistikLevellingTest() : FormatTest("itDL100") { SetTransferEnvironment({&window, &frm, &side, &settings}); }
  ~StatistikLevellingTest() override { SetTransferEnvironment({}); }
  QString Text(const char* name) const {
    auto* label = frm.findChild<QLabel*>(QString::fromLatin1(name));
    EXPECT_NE(label, nullptr) << name;
    return label ? label->text() : QString();
  }

  QApplication& app = QtTestApp();
  TfrmStatistik frm;
  TdmDL100 dl{*geraete};
};

TEST_F(StatistikLevellingTest, AReceivedLevellingLineFillsTheLevellingPanel) {
  WriteFile(tmp / "in.l", ReadFile(std::string(VELTRO_TEST_DATA) + "/dl100/nivellement-rv.l"));
  frm.Show();  // as the receive shows it
  Run(0, "in.l", "out.asc");
  EXPECT_TRUE(frm.LevellingPanelShown());
  EXPECT_EQ(Text("StartHoehe"), "412.345 m");
  EXPECT_EQ(Text("Hoehe"), "412.813 m");
  EXPECT_EQ(Text("Endhoehe"), "412.814 m");
  EXPECT_EQ(Text("Differenz"), "0.001 m");
  EXPECT_EQ(Text("Rueckblicke"), "2");
  EXPECT_EQ(Text("Vorblicke"), "2");
  EXPECT_EQ(Text("Mittelblicke"), "1");
  EXPECT_EQ(Text("Methode"), "T390:%s:%s:%s");
  EXPECT_EQ(Text("LabelMethode"), "T487:%s:%s:%s");  // key "411": backsight - foresight
  EXPECT_TRUE(MessageTexts().empty());
  frm.Reset();
  EXPECT_EQ(Text("LabelMethode"), QStringLiteral("Nivellmentmethode:"));
}

}  // namespace
}  // namespace veltro::test
