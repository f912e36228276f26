// Each window of the transfer core, the settings, the code lists and the
// instrument selection, shown offscreen in German and in English with realistic contents: a screenshot
// goes to <build>/tests/screenshots, and no caption, header or grid column
// may be cut.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/Anpassen.h"
#include "app/CodeDefinitionen.h"
#include "app/CodeInput.h"
#include "app/CodeTabs.h"
#include "app/ComDialog.h"
#include "app/EditDXF.h"
#include "app/Eingabe.h"
#include "app/FormatChoiceDialog.h"
#include "app/InstrumentenWahl.h"
#include "app/Kommandos.h"
#include "app/StartBild.h"
#include "app/TransferOptions.h"
#include "app/TransferStatistik.h"
#include "core/Language.h"
#include "core/Messages.h"
#include "formats/office/DFDefs.h"
#include "instruments/CodeListen.h"
#include "platform/DynamicLibrary.h"
#include "platform/qt/QtMessageBox.h"
#include "tests/app/InstrumentDialogFixture.h"
#include "tests/app/WindowLayoutCheck.h"

namespace veltro::test {
namespace {

struct WindowCase;

struct LayoutParam {
  const WindowCase* window;
  const char* language;  // catalogue entry of the language library
};

// A catalogue, settings and scripted messages (the fixture) and whatever else
// a window needs besides the language.
class WindowLayoutTest : public InstrumentDialogTest, public ::testing::WithParamInterface<LayoutParam> {
 public:
  using InstrumentDialogTest::geraete;
  using InstrumentDialogTest::Make;
  using InstrumentDialogTest::settings;

  ~WindowLayoutTest() override {
    window.reset();
    SetTransferEnvironment({});
    UnloadLanguage();
  }

  FakeInstrument instrument;
  FakeSettings transferSettings;
  AnpassenWerte werte;
  TextLines pointCodes;
  TDFD dfd;
  std::unique_ptr<QWidget> window;
};

struct WindowCase {
  const char* name;
  std::function<std::unique_ptr<QWidget>(WindowLayoutTest&)> open;
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

std::unique_ptr<QWidget> Statistik(WindowLayoutTest& env, bool levelling) {
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

// The current instrument comes first: its page, port and commands are shown.
const std::vector<std::string> kInstruments = {"itGTS210", "itTC600", "itTPS1100", "itREC500", "itSDR33", "itDL100"};

QString Text(int number) { return FromAnsi(GetText(number)); }

const WindowCase kWindows[] = {
    {"TransferOptionsReceive", [](WindowLayoutTest&) { return TransferOptions(false); }},
    {"TransferOptionsSend", [](WindowLayoutTest&) { return TransferOptions(true); }},
    {"StatistikPoints", [](WindowLayoutTest& env) { return Statistik(env, false); }},
    {"StatistikLevelling", [](WindowLayoutTest& env) { return Statistik(env, true); }},
    {"Anpassen",
     [](WindowLayoutTest& env) -> std::unique_ptr<QWidget> {
       std::filesystem::create_directories(env.settings.Dir() / "daten");
       env.werte.DataPath = env.settings.Dir() / "daten/";
       env.werte.FormatPath = env.settings.Dir() / "daten/";
       env.werte.Ports = {1, 2, 3, 4};
       env.werte.WaitForRemote = 20000;
       return std::make_unique<TfrmAnpassen>(env.werte);
     }},
    {"Datenformate",
     [](WindowLayoutTest&) -> std::unique_ptr<QWidget> {
       const std::vector<std::string> pages = {
           "Editor",       "ASCII",         "CADdy",  "C-PLAN",      "DXF",          "GEOS",   "Geotop", "HOMERE",
           "LTOP",         "Neues Format",  "Originaldaten", "OSQUSO", "SBB CFF FFS", "Topo Bonjour", "Topocad"};
       return std::make_unique<TfrmDatenformate>(pages, 0x7FFF, 1);
     }},
    {"GSICodeTabelle",
     [](WindowLayoutTest&) -> std::unique_ptr<QWidget> {
       ResetCodeLists();
       return std::make_unique<TfrmGSICodeTabelle>();
     }},
    {"CodeTabellen",
     [](WindowLayoutTest&) -> std::unique_ptr<QWidget> {
       ResetCodeLists();
       return std::make_unique<TfrmCodeTabellen>();
     }},
    {"CodeInput",
     [](WindowLayoutTest& env) -> std::unique_ptr<QWidget> {
       return std::make_unique<TfrmCodeInput>(nullptr, &env.pointCodes);
     }},
    {"EingabeDatum",
     [](WindowLayoutTest&) -> std::unique_ptr<QWidget> {
       auto dlg = std::make_unique<TfrmEingabe>();
       dlg->SetupPattern(TfrmEingabe::Mode::DatePattern, "&" + Text(158), Text(361), "ddmmyyyy");
       return dlg;
     }},
    {"EingabeAuswahl",
     [](WindowLayoutTest&) -> std::unique_ptr<QWidget> {
       auto dlg = std::make_unique<TfrmEingabe>();
       dlg->SetupChoice("&" + Text(349), {"ddmmhhmm", "mmddhhmm", "hhmmmmdd", "hhmmddmm"}, 1);
       return dlg;
     }},
    {"StartBild", [](WindowLayoutTest&) -> std::unique_ptr<QWidget> { return std::make_unique<TfrmStartBild>(); }},
    {"TachyWahl",
     [](WindowLayoutTest& env) -> std::unique_ptr<QWidget> {
       env.Make(kInstruments);
       return std::make_unique<TfrmTachyWahl>(*env.geraete);
     }},
    {"Eigenschaften",
     [](WindowLayoutTest& env) -> std::unique_ptr<QWidget> {
       env.Make(kInstruments);
       return std::make_unique<TfrmEigenschaften>(*env.geraete);
     }},
    {"TachyKommandos",
     [](WindowLayoutTest& env) -> std::unique_ptr<QWidget> {
       env.Make(kInstruments);
       return std::make_unique<TfrmTachyKommandos>(*env.geraete);
     }},
    {"EditDXF", [](WindowLayoutTest& env) -> std::unique_ptr<QWidget> { return std::make_unique<TfrmEditDXF>(env.dfd); }},
};

TEST_P(WindowLayoutTest, ShowsEveryCaptionAndColumnUncut) {
  const LayoutParam& param = GetParam();
  SetInstallationDirectory(VELTRO_BUILD_DIR "/app");
  const bool loaded = LoadLanguage(*FindSprache(param.language));
  SetInstallationDirectory(programDir.path() + "/");
  ASSERT_TRUE(loaded);
  window = param.window->open(*this);
  window->show();
  const QString shot = SaveScreenshot(*window, QString::fromLatin1(param.window->name) + u'-' +
                                                   QString::fromLatin1(param.language));
  EXPECT_FALSE(shot.isEmpty());
  for (const std::string& fault : LayoutFaultsOfEveryPage(*window)) ADD_FAILURE() << fault;
  for (const RecordedMessage& message : box.Messages()) ADD_FAILURE() << "message: " << message.text;
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

namespace veltro::test {
namespace {

// The checks themselves: a window with one fault of each kind.
TEST(WindowLayoutCheckTest, FindsCutCaptionsHeadersColumnsAndAccents) {
  QtTestApp();
  QWidget window;
  window.resize(300, 200);
  auto* label = new QLabel(QStringLiteral("Eine viel zu lange Beschriftung"), &window);
  label->setObjectName(QStringLiteral("tooNarrow"));
  label->setGeometry(0, 0, 60, 20);
  auto* accent = new QLabel(QString::fromUtf8("Übertragene Datensätze"), &window);
  accent->setObjectName(QStringLiteral("accent"));
  accent->setGeometry(0, 30, 250, accent->fontMetrics().height());
  auto* button = new QPushButton(QStringLiteral("Abbrechen"), &window);
  button->setObjectName(QStringLiteral("button"));
  button->setGeometry(0, 60, 40, 30);
  auto* grid = new QTableWidget(3, 3, &window);
  grid->setObjectName(QStringLiteral("grid"));
  grid->setHorizontalHeaderLabels({QStringLiteral("A"), QStringLiteral("Symbolnummer"), QStringLiteral("B")});
  grid->setColumnWidth(1, 40);
  grid->setGeometry(0, 100, 120, 120);  // beyond the window's bottom too
  auto* box = new QGroupBox(QStringLiteral("Optionen für TC600 / TC800"), &window);
  box->setObjectName(QStringLiteral("box"));
  box->setGeometry(130, 0, 60, 40);
  auto* pages = new QTabWidget(&window);
  pages->setGeometry(130, 50, 160, 100);
  pages->addTab(new QWidget, QStringLiteral("Eins"));
  auto* hidden = new QLabel(QStringLiteral("Auf der zweiten Seite"), pages);
  hidden->setObjectName(QStringLiteral("secondPage"));
  pages->addTab(hidden, QStringLiteral("Zwei"));
  hidden->setMaximumWidth(30);
  window.show();
  std::string all;
  for (const std::string& fault : LayoutFaultsOfEveryPage(window)) all += fault + "\n";
  EXPECT_EQ(pages->currentIndex(), 0);
  for (const char* expected : {"tooNarrow: text", "accent: glyphs", "button: caption \"Abbrechen\" width",
                               "grid: header \"Symbolnummer\"", "grid: horizontal scroll bar", "grid: columns",
                               "grid: outside", "box: title", "page \"Zwei\": secondPage: text"})
    EXPECT_NE(all.find(expected), std::string::npos) << expected << " not in\n" << all;
}

}  // namespace
}  // namespace veltro::test
