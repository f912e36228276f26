// Each window of the transfer core, the settings and the code lists, shown
// offscreen in German and in English with realistic contents: a screenshot
// goes to <build>/tests/screenshots, and no caption, header or grid column
// may be cut.
#include <gtest/gtest.h>

#include <QTableWidget>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/Anpassen.h"
#include "app/CodeDefinitionen.h"
#include "app/CodeInput.h"
#include "app/CodeTabs.h"
#include "app/Eingabe.h"
#include "app/FormatChoiceDialog.h"
#include "app/StartBild.h"
#include "app/TransferOptions.h"
#include "app/TransferStatistik.h"
#include "core/Language.h"
#include "core/Messages.h"
#include "instruments/CodeListen.h"
#include "platform/DynamicLibrary.h"
#include "platform/MessageBox.h"
#include "platform/qt/QtMessageBox.h"
#include "tests/app/QtTestApp.h"
#include "tests/app/WindowLayoutCheck.h"
#include "tests/support/TempSettings.h"
#include "tests/support/TransferFixture.h"

namespace veltro::test {
namespace {

// What a window may need besides the language.
struct WindowEnvironment {
  TempSettings settings;
  ScriptedMessageBox box;
  ScopedMessageBox guard{&box};
  FakeInstrument instrument;
  FakeSettings transferSettings;
  AnpassenWerte werte;
  TextLines pointCodes;
};

using OpenWindow = std::function<std::unique_ptr<QWidget>(WindowEnvironment&)>;

struct WindowCase {
  const char* name;
  OpenWindow open;
};

std::unique_ptr<QWidget> TransferOptions(bool pcToInstrument) {
  auto dlg = std::make_unique<TfrmTransferOptions>();
  dlg->SetSelection(20202);
  dlg->SetPcToInstrument(pcToInstrument);
  std::vector<std::string> projects;
  for (int i = 1; i <= 12; ++i) projects.push_back("Baustelle " + std::to_string(i) + "," + std::to_string(i));
  dlg->SetProjects(projects);
  dlg->SetCodeLists({"Standard,1", "Kanalisation,2", "Vermessung Nord,3"});
  return dlg;
}

std::unique_ptr<QWidget> Statistik(WindowEnvironment& env, bool levelling) {
  auto frm = std::make_unique<TfrmStatistik>();
  env.instrument.kind = levelling ? InstrumentKind::Nivellier : InstrumentKind::Tachymeter;
  SetTransferEnvironment({nullptr, frm.get(), &env.instrument, &env.transferSettings});
  frm->Reset();
  frm->show();
  TTransferStatistik& s = frm->Statistik();
  s.Fortschritt = 12345;
  s.Codes = 4321;
  s.Stationen = 321;
  s.Punkte = 12345;
  s.Starthoehe = "1234.56789";
  s.BerechneteHoehe = "1235.01234";
  s.Endhoehe = "1235.01200";
  s.Differenz = "-0.00034";
  s.Rueckblicke = 1234;
  s.Vorblicke = 1234;
  s.Mittelblicke = 56;
  s.Methode = true;
  frm->Update();
  frm->ShowCounts();
  return frm;
}

QString Text(int number) { return FromAnsi(GetText(number)); }

const WindowCase kWindows[] = {
    {"TransferOptionsReceive", [](WindowEnvironment&) { return TransferOptions(false); }},
    {"TransferOptionsSend", [](WindowEnvironment&) { return TransferOptions(true); }},
    {"StatistikPoints", [](WindowEnvironment& env) { return Statistik(env, false); }},
    {"StatistikLevelling", [](WindowEnvironment& env) { return Statistik(env, true); }},
    {"Anpassen",
     [](WindowEnvironment& env) -> std::unique_ptr<QWidget> {
       std::filesystem::create_directories(env.settings.Dir() / "daten");
       env.werte.DataPath = env.settings.Dir() / "daten/";
       env.werte.FormatPath = env.settings.Dir() / "daten/";
       env.werte.Ports = {1, 2, 3, 4};
       env.werte.WaitForRemote = 20000;
       return std::make_unique<TfrmAnpassen>(env.werte);
     }},
    {"Datenformate",
     [](WindowEnvironment&) -> std::unique_ptr<QWidget> {
       const std::vector<std::string> pages = {
           "Editor",       "ASCII",         "CADdy",  "C-PLAN",      "DXF",          "GEOS",   "Geotop", "HOMERE",
           "LTOP",         "Neues Format",  "Originaldaten", "OSQUSO", "SBB CFF FFS", "Topo Bonjour", "Topocad"};
       return std::make_unique<TfrmDatenformate>(pages, 0x7FFF, 1);
     }},
    {"GSICodeTabelle",
     [](WindowEnvironment&) -> std::unique_ptr<QWidget> {
       ResetCodeLists();
       return std::make_unique<TfrmGSICodeTabelle>();
     }},
    {"CodeTabellen",
     [](WindowEnvironment&) -> std::unique_ptr<QWidget> {
       ResetCodeLists();
       return std::make_unique<TfrmCodeTabellen>();
     }},
    {"CodeInput",
     [](WindowEnvironment& env) -> std::unique_ptr<QWidget> {
       return std::make_unique<TfrmCodeInput>(nullptr, &env.pointCodes);
     }},
    {"EingabeDatum",
     [](WindowEnvironment&) -> std::unique_ptr<QWidget> {
       auto dlg = std::make_unique<TfrmEingabe>();
       dlg->SetupPattern(TfrmEingabe::Mode::DatePattern, "&" + Text(158), Text(361), "ddmmyyyy");
       return dlg;
     }},
    {"EingabeAuswahl",
     [](WindowEnvironment&) -> std::unique_ptr<QWidget> {
       auto dlg = std::make_unique<TfrmEingabe>();
       dlg->SetupChoice("&" + Text(349), {"ddmmhhmm", "mmddhhmm", "hhmmmmdd", "hhmmddmm"}, 1);
       return dlg;
     }},
    {"StartBild", [](WindowEnvironment&) -> std::unique_ptr<QWidget> { return std::make_unique<TfrmStartBild>(); }},
};

struct LayoutParam {
  const WindowCase* window;
  const char* language;  // catalogue entry of the language library
};

class WindowLayoutTest : public ::testing::TestWithParam<LayoutParam> {
 protected:
  WindowLayoutTest() {
    QtTestApp();
    SetTextProvider(nullptr);
    SetInstallationDirectory(VELTRO_BUILD_DIR "/app");
  }
  ~WindowLayoutTest() override {
    window.reset();
    SetTransferEnvironment({});
    ResetCodeLists();
    UnloadLanguage();
    SetInstallationDirectory("");
  }

  WindowEnvironment env;
  std::unique_ptr<QWidget> window;
};

TEST_P(WindowLayoutTest, ShowsEveryCaptionAndColumnUncut) {
  const LayoutParam& param = GetParam();
  ASSERT_TRUE(LoadLanguage(*FindSprache(param.language)));
  window = param.window->open(env);
  window->show();
  const QString shot = SaveScreenshot(*window, QString::fromLatin1(param.window->name) + u'-' +
                                                   QString::fromLatin1(param.language));
  EXPECT_FALSE(shot.isEmpty());
  for (const std::string& fault : LayoutFaults(*window)) ADD_FAILURE() << fault;
  for (const RecordedMessage& message : env.box.Messages()) ADD_FAILURE() << "message: " << message.text;
}

std::vector<LayoutParam> AllCases() {
  std::vector<LayoutParam> cases;
  for (const WindowCase& window : kWindows)
    for (const char* language : {"Deutsch", "Englisch"}) cases.push_back({&window, language});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Windows, WindowLayoutTest, ::testing::ValuesIn(AllCases()),
                         [](const ::testing::TestParamInfo<LayoutParam>& info) {
                           return std::string(info.param.window->name) + "_" + info.param.language;
                         });

}  // namespace
}  // namespace veltro::test
