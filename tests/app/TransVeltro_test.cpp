// The program's main window, started as the program starts it, offscreen:
// its controls by their names, the start-up rules, the settings it keeps,
// and whole transfers started from it, compared with what veltro-convert
// writes for the same files.
#include "app/TransVeltro.h"

#include <functional>

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTreeWidget>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/ProgramStart.h"
#include "core/DateTime.h"
#include "core/DatenformatDefinitionen.h"
#include "core/Language.h"
#include "core/Settings.h"
#include "core/TextUtils.h"
#include "platform/Clock.h"
#include "platform/DynamicLibrary.h"
#include "platform/MessageBox.h"
#include "platform/MessagePump.h"
#include "platform/Registry.h"
#include "platform/TextFile.h"
#include "platform/qt/QtMessageBox.h"
#include "tests/app/QtTestApp.h"
#include "tests/support/ConvertRun.h"
#include "tests/support/InstrumentSim.h"
#include "tests/support/TempSettings.h"
#include <QTimer>

namespace veltro::test {
namespace {

namespace fs = std::filesystem;
constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
const std::string kGsi = VELTRO_TEST_DATA "/gsi/";
constexpr const char* kGsiInstrument = "Leica TPS 1100";

const char* const kPageNames[] = {"Editor_Blatt", "ASCII_Blatt",   "CADDY_Blatt",  "CPLAN_Blatt", "DXF_Blatt",
                                  "GEOS_Blatt",   "Geotop_Blatt",  "Homere_Blatt", "LTOP_Blatt",  "Neues_Format",
                                  "NoTrans_Blatt", "OSQUSO_Blatt", "SBB_Blatt",    "Bonjour_Blatt", "Topocad_Blatt"};

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    QtTestApp();
    ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    // The installed converter's folder: the built libraries, and the test
    // family library for every instrument library not built.
    SetInstallationDirectory(ExtractFilePath(InstalledConverter()));
  }
  ~MainWindowTest() override {
    SetMessagePump(nullptr);
    program.reset();
    SetInstallationDirectory("");
    ::unsetenv("XDG_DATA_HOME");
    UnloadLanguage();
  }

  // German texts unless fresh (a first start: no settings at all).
  TfrmSurtrans& Start(const std::vector<std::string>& arguments = {}, bool fresh = false) {
    program.reset();
    if (!fresh) WriteRegInteger(kUser, std::string(kProgramKey) + "\\language", 2055, false);
    program = std::make_unique<TransferVeltroProgram>(arguments, false);
    return program->MainWindow();
  }
  TfrmSurtrans& W() { return program->MainWindow(); }
  template <class T>
  T* Get(const char* name) {
    T* found = W().findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QAction* Action(const char* name) { return Get<QAction>(name); }
  void SetPage(const char* name) { W().Pages()->setCurrentWidget(Get<QWidget>(name)); }

  // Picks the instrument through its item in the instrument menu.
  void PickInstrument(const std::string& caption) {
    for (QAction* a : Get<QMenu>("Instrumentmenu")->findChildren<QAction*>())
      if (a->text().toStdString() == caption) {
        a->trigger();
        return;
      }
    ADD_FAILURE() << "no menu item " << caption;
  }

  // Offline transfer through the window: the fields, then the button.
  void RunOffline(bool toInstrument, const std::string& input, const std::string& output) {
    Get<QRadioButton>("rbDatei")->click();
    Get<QRadioButton>(toInstrument ? "rbFromInstrument" : "rbInstrumentTo")->click();
    Get<QLineEdit>("DateiInput")->setText(QString::fromStdString(input));
    Get<QLineEdit>("DateiOutput")->setText(QString::fromStdString(output));
    Get<QPushButton>("Transfer_starten")->click();
  }

  std::string Messages() const {
    std::string all;
    for (const RecordedMessage& m : box.Messages()) all += m.text + "\n";
    return all;
  }

  TempSettings settings;
  TempDir home;
  TempDir tmp;
  ScriptedMessageBox box;
  ScopedMessageBox guard{&box};
  std::unique_ptr<TransferVeltroProgram> program;
};

TEST_F(MainWindowTest, AFirstStartOnAFreshMachineNeedsNoSetUp) {
  ASSERT_FALSE(fs::exists(settings.UserFile()));
  TfrmSurtrans& w = Start({}, true);
  w.show();
  QApplication::processEvents();
  for (const char* name : {"Transfermethode", "rbInstrumentTo", "rbFromInstrument", "TransVon", "rbInstrument", "rbDatei",
                           "DateiInput", "DateiOutput", "DateiInputText", "DateiOutputText", "Laden", "Speichern",
                           "PageControl", "KoordUnit", "RxLED", "TxLED", "StatusText", "Tachymeter",
                           "Datenformat_Status", "Status_COM", "Protokoll", "Commenu", "Protokollmenu", "Sprachwahl",
                           "Layerinput_DXF", "TextgroesseInput_DXF", "DXFDef", "MutInput_GEOS", "ClassInput_GEOS",
                           "TempInput_GEOS", "DruckInput_GEOS", "GNumInput_Geotop", "PlanInput_Geotop",
                           "PunkttypInput_Geotop", "GNumInput_HOMERE", "PunkttypInput_HOMERE", "TolWertInput_HOMERE",
                           "Formatbox", "EditCodeliste", "LadenCodeliste", "GNumInput_Bonjour", "PlanInput_Bonjour",
                           "RunTopocad"})
    EXPECT_NE(w.findChild<QObject*>(QString::fromLatin1(name)), nullptr) << name;
  for (const char* name : {"StartTransfer", "Instrument", "Configuration", "Editor", "Fremddatenformate",
                           "ActionStatistik", "Kommandos", "KoordEingabe", "CodeEingabe", "Calculate", "Information",
                           "Help", "Schluss", "N110", "N921600", "N4", "N8", "N1", "N15", "N2", "ParitaetSpace",
                           "zeLFCR", "XONXOFF", "REC500"})
    EXPECT_NE(w.findChild<QAction*>(QString::fromLatin1(name)), nullptr) << name;

  // The pages in their order, with the option defaults; "Activ formats" 515
  // shows exactly the tabs of pages 0, 1 and 9.
  QTabWidget* pages = w.Pages();
  ASSERT_EQ(pages->count(), 15);
  for (int n = 0; n < 15; ++n) {
    EXPECT_EQ(pages->widget(n)->objectName().toStdString(), kPageNames[n]);
    EXPECT_EQ(pages->isTabVisible(n), n == 0 || n == 1 || n == 9) << n;
  }
  EXPECT_EQ(pages->tabText(1).toStdString(), "ASCII");
  EXPECT_EQ(w.ActivePageName(), "ASCII_Blatt");
  EXPECT_EQ(Get<QLineEdit>("Layerinput_DXF")->text(), "1");
  EXPECT_EQ(Get<QLineEdit>("TextgroesseInput_DXF")->text(), "1.8");
  EXPECT_EQ(Get<QLineEdit>("DruckInput_GEOS")->text(), "1013");
  EXPECT_EQ(Get<QLineEdit>("TolWertInput_HOMERE")->text(), "11");
  EXPECT_EQ(Get<QComboBox>("DXFDef")->currentText().toStdString(), "Standard");

  // No language chosen: the entry Europa with the English library; an
  // instrument whose library is installed.
  EXPECT_EQ(Get<QLabel>("StatusText")->text().toStdString(), "No transfer");
  EXPECT_FALSE(Get<QLabel>("Tachymeter")->text().isEmpty());
  EXPECT_EQ(Get<QLabel>("Status_COM")->text().left(3), "COM");
  EXPECT_FALSE(Get<QAction>("Calculate")->isVisible());
  EXPECT_FALSE(Get<QMenu>("Berechnungen")->menuAction()->isVisible());

  // The folders the program writes into lie below the user's data folder,
  // the shipped DXF definitions copied there.
  const std::string data = home / "data/VELTRO Marten/Surtrans/";
  EXPECT_EQ(ReadRegString(kUser, ConfigPath("DataPath"), ""), data + "Data/");
  EXPECT_EQ(ReadRegString(kUser, ConfigPath("DXFPath"), ""), data + "DXF/");
  EXPECT_TRUE(fs::exists(data + "DXF/DXF.DEF"));
  EXPECT_TRUE(fs::is_directory(data + "Format"));
  EXPECT_TRUE(fs::is_directory(data + "GPS"));
  EXPECT_EQ(Messages(), "");
}

TEST_F(MainWindowTest, TheFirstArgumentChoosesLayoutAdministratorAndHints) {
  EXPECT_TRUE(ParseStartArguments({"NewDesign"}).newDesign);
  EXPECT_FALSE(ParseStartArguments({"newdesign"}).newDesign);
  EXPECT_TRUE(ParseStartArguments({"admin"}).admin);
  EXPECT_TRUE(ParseStartArguments({"AdMiN"}).admin);
  EXPECT_FALSE(ParseStartArguments({"x", "ADMIN"}).admin);
  EXPECT_TRUE(ParseStartArguments({"hint"}).hint);
  EXPECT_FALSE(Start({"newdesign"}).DirectoryLayout());
  EXPECT_TRUE(Start({"NewDesign"}).DirectoryLayout());
  EXPECT_EQ(W().size(), QSize(780, 580));
  EXPECT_TRUE(Start({"admin"}).Administrator());
}

TEST_F(MainWindowTest, AStoredPageThatIsMissingOrHiddenGivesTheFirstShownPage) {
  WriteRegString(kUser, ConfigPath("Transfer"), "Nirgends_Blatt", true);
  EXPECT_EQ(Start().ActivePageName(), "Editor_Blatt");
  WriteRegString(kUser, ConfigPath("Transfer"), "SBB_Blatt", true);
  EXPECT_EQ(Start().ActivePageName(), "Editor_Blatt");
  WriteRegInteger(kUser, ConfigPath("Activ formats"), 515 | 4096, true);
  EXPECT_EQ(Start().ActivePageName(), "SBB_Blatt");
}

TEST_F(MainWindowTest, TheGeosPageProposesItsBatchFile) {
  WriteRegInteger(kUser, ConfigPath("Activ formats"), 0x7FFF, true);
  Start();
  SetPage("GEOS_Blatt");
  EXPECT_EQ(Get<QLineEdit>("DateiOutput")->text(), "BATCH.TRA");
  SetPage("LTOP_Blatt");
  EXPECT_EQ(Get<QLineEdit>("DateiOutput")->text(), "");
  SetPage("GEOS_Blatt");
  Get<QLineEdit>("DateiOutput")->setText("mein.tra");
  SetPage("ASCII_Blatt");
  EXPECT_EQ(Get<QLineEdit>("DateiOutput")->text(), "mein.tra");
}

TEST_F(MainWindowTest, TheWindowRectangleIsTakenOnlyWhenItFitsTheScreen) {
  WindowRect r;
  EXPECT_TRUE(ParseWindowRect("10;20;300;200", r));
  EXPECT_EQ(r.left + r.top + r.width + r.height, 530);
  for (const char* bad : {"", "1;2;3", "1;2;3;4;5", "a;2;3;4", "1;;3;4", "1;2;3;99999999"})
    EXPECT_FALSE(ParseWindowRect(bad, r)) << bad;
  const WindowRect c = ClampToArea({-5000, 90000, 4000, 300}, {0, 0, 1024, 768});
  EXPECT_EQ(c.left, 0);
  EXPECT_EQ(c.width, 1024);
  EXPECT_EQ(c.top, 768 - 300);

  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  WriteRegString(kUser, ConfigPath("Rect"), "-30000;-30000;100000;100000", true);
  Start({"NewDesign"});
  EXPECT_TRUE(screen.contains(W().geometry())) << W().geometry().x() << "," << W().geometry().y();
  WriteRegString(kUser, ConfigPath("Rect"), "oops", true);
  Start();
  EXPECT_TRUE(screen.contains(W().geometry()));
}

TEST_F(MainWindowTest, PortItemsSetThePortByTheirPlaceAmongAllEight) {
  Start();
  TInstrument& i = program->Modules().geraete->CurrentInstrument();
  Action("COM3")->trigger();
  EXPECT_EQ(i.Port, tptThree);
  Action("N4800")->trigger();
  Action("ParitaetEven")->trigger();
  Action("N7")->trigger();
  EXPECT_EQ(i.BaudRate, tbr4800);
  EXPECT_EQ(i.Parity, tpEven);
  EXPECT_EQ(i.DataBits, tdbSeven);
  EXPECT_EQ(Get<QLabel>("Status_COM")->text().toStdString(), "COM3:4800,Gerade,7,1,CR/LF");
  EXPECT_EQ(W().PortMap().size(), 8u);
}

TEST_F(MainWindowTest, TheSettingsWrittenAtTheEndAreThoseOfTheNextStart) {
  WriteRegInteger(kUser, ConfigPath("Activ formats"), 0x7FFF, true);
  Start();
  SetPage("GEOS_Blatt");
  Get<QLineEdit>("MutInput_GEOS")->setText("42");
  Get<QLineEdit>("ClassInput_GEOS")->setText("3");
  Get<QLineEdit>("Layerinput_DXF")->setText("Punkte");
  Get<QLineEdit>("GNumInput_HOMERE")->setText("5586");
  Get<QRadioButton>("rbFromInstrument")->click();
  Get<QRadioButton>("rbDatei")->click();
  // Direction and side are written at the click.
  EXPECT_EQ(ReadRegInteger(kUser, ConfigPath("Methode"), -1), 1);
  EXPECT_EQ(ReadRegInteger(kUser, ConfigPath("TransOf"), -1), 1);
  Action("Schluss")->trigger();
  EXPECT_FALSE(W().isVisible());
  EXPECT_EQ(ReadRegString(kUser, ConfigPath("Transfer"), ""), "GEOS_Blatt");
  EXPECT_EQ(ReadRegString(kUser, ConfigPath("Geos\\Mutation Nr."), ""), "42");
  EXPECT_EQ(ReadRegString(kUser, ConfigPath("DXF\\Font size"), ""), "1.8");
  EXPECT_EQ(ReadRegString(kUser, ConfigPath("GSI8\\Code list\\"), ""), "Default");
  EXPECT_EQ(ReadRegInteger(kUser, std::string(kProgramKey) + "\\language", 0), 2055);
  WindowRect r;
  EXPECT_TRUE(ParseWindowRect(ReadRegString(kUser, ConfigPath("Rect"), ""), r));

  Start();
  EXPECT_EQ(W().ActivePageName(), "GEOS_Blatt");
  EXPECT_EQ(Get<QLineEdit>("MutInput_GEOS")->text(), "42");
  EXPECT_EQ(Get<QLineEdit>("ClassInput_GEOS")->text(), "3");
  EXPECT_EQ(Get<QLineEdit>("Layerinput_DXF")->text(), "Punkte");
  EXPECT_EQ(Get<QLineEdit>("GNumInput_HOMERE")->text(), "5586");
  EXPECT_TRUE(Get<QRadioButton>("rbFromInstrument")->isChecked());
  EXPECT_TRUE(Get<QRadioButton>("rbDatei")->isChecked());
  EXPECT_EQ(program->Modules().geos->Option("Geos\\Mutation Nr."), "42");
}

// The whole road through the window in both directions, with "," as the
// system's decimal separator: the files are those veltro-convert writes.
TEST_F(MainWindowTest, OfflineTransfersInBothDirectionsWriteWhatTheConverterWrites) {
  Start({}, true);  // the converter's texts: no language chosen
  SetSystemSeparators(',', '.', ':');
  PickInstrument(kGsiInstrument);
  ASSERT_EQ(program->Modules().geraete->CurrentInstrument().Caption, kGsiInstrument);
  EXPECT_EQ(Get<QLabel>("Tachymeter")->text().toStdString(), kGsiInstrument);
  SetPage("ASCII_Blatt");

  RunOffline(false, kGsi + "sample-messung.gsi", tmp / "messung.asc");
  ASSERT_TRUE(fs::exists(tmp / "messung.asc")) << Messages();
  ConvertRun ref = RunConverter(tmp, "--instrument " + ShellQuote(kGsiInstrument) + " " +
                                         ShellQuote(kGsi + "sample-messung.gsi") + " " + ShellQuote(tmp / "ref.asc"));
  ASSERT_EQ(ref.status, 0) << ref.stderrText;
  EXPECT_TRUE(SameBytes(ReadFile(tmp / "ref.asc"), ReadFile(tmp / "messung.asc")));
  EXPECT_EQ(Get<QLabel>("StatusText")->text().toStdString(), "No transfer");

  // National coordinates need GSI 16, chosen in the data-format menu.
  Action("dfGSI16")->trigger();
  EXPECT_EQ(Get<QLabel>("Datenformat_Status")->text().toStdString(), "GSI 16");
  RunOffline(true, kGsi + "koordinaten.asc", tmp / "absteck.gsi");
  ASSERT_TRUE(fs::exists(tmp / "absteck.gsi")) << Messages();
  ref = RunConverter(tmp, "--instrument " + ShellQuote(kGsiInstrument) + " --to GSI16 " +
                              ShellQuote(kGsi + "koordinaten.asc") + " " + ShellQuote(tmp / "ref.gsi"));
  ASSERT_EQ(ref.status, 0) << ref.stderrText;
  EXPECT_TRUE(SameBytes(ReadFile(tmp / "ref.gsi"), ReadFile(tmp / "absteck.gsi")));
  SetSystemSeparators('.', '.', ':');
}

TEST_F(MainWindowTest, WhileATransferRunsTheWindowRefusesToCloseOrChange) {
  Start();
  PickInstrument(kGsiInstrument);
  TfrmSurtrans& w = W();
  w.show();
  const std::string before = program->Modules().geraete->CurrentInstrument().Caption;
  int checks = 0;
  bool closeRefused = false, changed = false;
  SetMessagePump([&] {
    if (!w.TransferRunning() || checks++) return;
    closeRefused = !w.close();
    w.InstClick("Topcon DL-100");
    changed = program->Modules().geraete->CurrentInstrument().Caption != before;
    w.Transfer_startenClick();
  });
  RunOffline(false, kGsi + "sample-messung.gsi", tmp / "einmal.asc");
  SetMessagePump(nullptr);
  EXPECT_EQ(checks > 0, true);
  EXPECT_TRUE(closeRefused);
  EXPECT_TRUE(w.isVisible());
  EXPECT_FALSE(changed);
  EXPECT_TRUE(fs::exists(tmp / "einmal.asc")) << Messages();
  // Each refusal was said.
  int refusals = 0;
  for (const RecordedMessage& m : box.Messages()) refusals += m.text == "Transfer l\xE4uft";
  EXPECT_EQ(refusals, 3) << Messages();
  EXPECT_FALSE(w.TransferRunning());
}

// The directory layout: an instrument file chosen in the left tree, a folder
// of the right tree as the drop target.
TEST_F(MainWindowTest, ADropOnTheRightTreeTransfersIntoTheFolderDroppedOn) {
  fs::create_directories(tmp / "feld");
  fs::create_directories(tmp / "buero");
  fs::copy_file(kGsi + "sample-messung.gsi", tmp / "feld/sample-messung.gsi");
  std::string treePath = "/" + tmp / "feld/sample-messung.gsi";  // "/\\tmp\\...\\sample-messung.gsi"
  std::replace(treePath.begin() + 1, treePath.end(), '/', '\\');
  WriteRegString(kUser, ConfigPath("PathLeft"), treePath, true);
  WriteRegInteger(kUser, ConfigPath("TransOf"), 1, true);
  TfrmSurtrans& w = Start({"NewDesign"}, true);
  PickInstrument(kGsiInstrument);
  SetPage("ASCII_Blatt");
  w.show();
  QApplication::processEvents();
  EXPECT_EQ(Get<QLineEdit>("EditDateiLeft")->text().toStdString(), tmp / "feld/sample-messung.gsi");
  EXPECT_FALSE(Get<QLineEdit>("DateiInput")->isVisible());

  auto* right = Get<QTreeWidget>("stvRight");
  w.ShowInRightTree(w.TreePath(tmp / "buero"));
  QTreeWidgetItem* target = right->currentItem();
  ASSERT_NE(target, nullptr);
  ASSERT_EQ(target->text(0), "buero");
  right->scrollToItem(target);
  QApplication::processEvents();
  // Beside every node nothing happens.
  w.stvRightDragDrop(QPoint(2, right->viewport()->height() - 2));
  EXPECT_TRUE(fs::is_empty(tmp / "buero"));
  w.stvRightDragDrop(right->visualItemRect(target).center());
  ASSERT_FALSE(fs::is_empty(tmp / "buero")) << Messages();
  const fs::path written = fs::directory_iterator(tmp / "buero")->path();
  ConvertRun ref = RunConverter(tmp, "--instrument " + ShellQuote(kGsiInstrument) + " " +
                                         ShellQuote(kGsi + "sample-messung.gsi") + " " + ShellQuote(tmp / "ref.asc"));
  ASSERT_EQ(ref.status, 0) << ref.stderrText;
  EXPECT_TRUE(SameBytes(ReadFile(tmp / "ref.asc"), ReadFile(written.string())));
  EXPECT_EQ(Get<QLineEdit>("EditDateiRight")->text().toStdString(), tmp / "buero/");
}

// The calls' record of the fake levelling-calculation library, one call a
// line, CR and LF of the arguments escaped.
std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
  return out;
}

TEST_F(MainWindowTest, TheLevellingCalculationLibraryGetsItsCallsInOrder) {
  // Without the library the calculation only says so.
  Start();
  EXPECT_FALSE(W().FeatureMask() & 4);
  W().CalculateClick();
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Messages()[0].text, ExpandTextEscapes(GetText(602)));

  // An installation with the library: the program's folder mirrored, the
  // fake beside it under the library's name.
  program.reset();
  const fs::path inst = tmp / "inst";
  fs::create_directories(inst);
  for (const fs::directory_entry& e : fs::directory_iterator(ExtractFilePath(InstalledConverter())))
    fs::create_symlink(e.path(), inst / e.path().filename());
  fs::copy_file(VELTRO_TEST_LIBS "/libFakeCalcNiv.so", inst / "libCALCNIV.so");
  SetInstallationDirectory(inst.string());
  DynamicLibrary fake;
  ASSERT_TRUE(fake.Load((inst / "libCALCNIV.so").string()));
  auto calls = [&] { return std::string(fake.Export<const char* (*)()>("FakeCalls")()); };

  Start();
  box.Clear();
  EXPECT_TRUE(W().FeatureMask() & 4);
  EXPECT_TRUE(Get<QMenu>("Berechnungen")->menuAction()->isVisible());
  PickInstrument("Topcon DL-100");
  TGeraeteFormat* format = program->Modules().geraete->CurrentInstrument().GeraeteFormat;
  ASSERT_NE(format, nullptr);
  W().setGeometry(40, 50, 700, 500);
  const QRect frame = W().geometry();
  Action("Berechnungsparameter")->trigger();
  Action("Tabellenparameter")->trigger();
  Action("Kundeninfos")->trigger();
  const std::string key = "Software\\VELTRO Marten\\Surtrans\\2.1.1.5\\Configuration\\";
  // Loaded once: the window's rectangle and the language only then.
  EXPECT_EQ(calls(), "SetMainFormRect|" + std::to_string(frame.x()) + "|" + std::to_string(frame.y()) + "|" +
                         std::to_string(frame.width()) + "|" + std::to_string(frame.height()) +
                         "\nSetLanguageCalcNiv|handle\nShowBerechnungsparameter|0|" + key +
                         "Compute parameter\nShowTableparameter|0|" + key + "Printer parameter\nShowKundenInfo|0|" +
                         key + "Printer parameter|\n");

  // No received lines: a chosen levelling file; an unreadable one is said.
  fake.Export<void (*)()>("FakeClear")();
  TransferState& t = CurrentTransfer();
  t.ReceivedLines.clear();
  std::string chosen = tmp / "fehlt.l";
  QStringList filters;
  W().chooseOpenFile = [&](const QStringList& offered, std::string& path) {
    filters = offered;
    path = chosen;
    return true;
  };
  // The instrument's filters, also when a send is set up.
  SetPage("ASCII_Blatt");
  Get<QRadioButton>("rbInstrumentTo")->click();
  W().LadenClick();
  const QStringList instrumentFilters = filters;
  Get<QRadioButton>("rbFromInstrument")->click();
  W().LadenClick();
  ASSERT_NE(filters, instrumentFilters);
  W().CalculateClick();
  EXPECT_EQ(filters, instrumentFilters);
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Messages()[0].text, ExpandTextEscapes(GetText(70)));
  EXPECT_EQ(calls(), "");

  chosen = VELTRO_TEST_DATA "/dl100/nivellement-rv.l";
  TDatenformatDefinitionen* active = FindActiveFormat(*program->Modules().dfd);
  ASSERT_NE(active, program->Modules().dfd->Original);
  W().CalculateClick();
  TextLines file;
  ASSERT_TRUE(LoadTextFile(chosen, file));
  EXPECT_EQ(t.ReceivedLines, file);
  const std::string tag = format->OnFormat(file.front(), TextFrom(file, 0, kFormatBufferSize));
  ASSERT_FALSE(tag.empty());
  // The data folder lies below the user's data folder.
  const std::string record = calls();
  const std::string dataDir = record.substr(13, record.find('|', 13) - 13);
  EXPECT_EQ(dataDir.rfind(home / "data", 0), 0u) << dataDir;
  std::string expected = "ShowResult|0";
  for (const std::string& arg :
       {dataDir, key + "Printer parameter",
        key + "Compute parameter", ToAnsi(W().windowTitle()), std::string(), JoinLines(format->Startdaten),
        JoinLines(format->Messdaten), JoinLines(format->Enddaten), JoinLines(format->Kommentare),
        format->Datumsformat, format->Uhrzeitformat, JoinLines(file), tag})
    expected += "|" + Escaped(arg);
  EXPECT_EQ(record, expected + "\n");
  // The office format active before is active again.
  EXPECT_EQ(FindActiveFormat(*program->Modules().dfd), active);

  // Lines of no levelling format: asked, nothing computed.
  fake.Export<void (*)()>("FakeClear")();
  t.ReceivedLines = {"keine Messung", "auch keine"};
  W().CalculateClick();
  ASSERT_EQ(box.Messages().size(), 2u);
  EXPECT_EQ(box.Messages()[1].text, ExpandTextEscapes(GetText(436)));
  EXPECT_EQ(calls(), "");
  t.ReceivedLines.clear();
}

// A receive over the serial line (a pty with the simulated instrument): the
// indicators and the state label follow the connection.
TEST_F(MainWindowTest, AReceiveOverTheLineShowsTheConnectionState) {
  SimulatedInstrument sim({"--hold", "--pace", "2"});
  ASSERT_TRUE(sim.Ready());
  ::setenv("VELTRO_COM1", sim.Device().c_str(), 1);
  WriteRegInteger(kUser, ConfigPath("Activ formats"), 515 | 1024, true);
  Start();
  PickInstrument("ProMark 500");
  SetPage("NoTrans_Blatt");
  std::string lines;
  for (int i = 1; i <= 40; ++i) lines += "P" + std::to_string(i) + ";1.000;2.000;3.000;C\r\n";
  WriteFile(sim.Dir() / "play", lines + "\x04\r\n");
  bool playing = false, sawRunning = false, sawGreen = false;
  SetMessagePump([&] {
    QApplication::processEvents();
    if (!playing && program->Modules().binding->Connected()) playing = sim.Command("play " + (sim.Dir() / "play"));
    sawRunning = sawRunning || ToAnsi(Get<QLabel>("StatusText")->text()) == "Transfer l\xE4uft";
    sawGreen = sawGreen || Get<QFrame>("RxLED")->property("rgb").toUInt() == kIndicatorBusy;
  });
  Get<QRadioButton>("rbInstrument")->click();
  Get<QRadioButton>("rbInstrumentTo")->click();
  EXPECT_FALSE(Get<QLineEdit>("DateiInput")->isEnabled());
  EXPECT_TRUE(Get<QLineEdit>("DateiOutput")->isEnabled());
  Get<QLineEdit>("DateiOutput")->setText(QString::fromStdString(tmp / "empfang.txt"));
  Get<QPushButton>("Transfer_starten")->click();
  SetMessagePump(nullptr);
  ::unsetenv("VELTRO_COM1");
  EXPECT_TRUE(playing);
  EXPECT_TRUE(sawRunning);
  EXPECT_TRUE(sawGreen);
  EXPECT_EQ(Get<QFrame>("RxLED")->property("rgb").toUInt(), kIndicatorIdle);
  EXPECT_EQ(Get<QLabel>("StatusText")->text().toStdString(), "Kein Transfer");
  const std::string got = ReadFile(tmp / "empfang.txt");
  EXPECT_NE(got.find("P40;1.000;2.000;3.000;C"), std::string::npos) << Messages();
}

// The manual input opens from its action and its button on the Editor page;
// the format definition editor from "Neues Format definieren" of the format
// choice and from a double click on the template page's format box.
TEST_F(MainWindowTest, TheInputWindowsOpenFromTheirEntryPoints) {
  Start();
  std::vector<std::string> seen;
  auto closeModal = [&seen] {
    QTimer::singleShot(0, [&seen] {
      QWidget* modal = QApplication::activeModalWidget();
      seen.push_back(modal ? modal->objectName().toStdString() : "");
      if (auto* d = qobject_cast<QDialog*>(modal)) d->reject();
    });
  };
  ASSERT_TRUE(Action("KoordEingabe")->isEnabled());
  closeModal();
  Action("KoordEingabe")->trigger();
  closeModal();
  Get<QPushButton>("KoordEingabeButton")->click();
  QTimer::singleShot(0, [&seen] {
    QWidget* modal = QApplication::activeModalWidget();
    seen.push_back(modal ? modal->objectName().toStdString() : "");
    QTimer::singleShot(0, [&seen] {
      QWidget* inner = QApplication::activeModalWidget();
      seen.push_back(inner ? inner->objectName().toStdString() : "");
      if (auto* d = qobject_cast<QDialog*>(inner)) d->reject();
      QTimer::singleShot(0, [] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) d->reject();
      });
    });
    if (auto* b = modal ? modal->findChild<QPushButton*>(QStringLiteral("NeuesFormat")) : nullptr) b->click();
  });
  Action("Fremddatenformate")->trigger();
  EXPECT_EQ(seen, (std::vector<std::string>{"TfrmManualInput", "TfrmManualInput", "frmDatenformate",
                                            "frmFormatDef"}));
  seen.clear();
  // The double click's own event processing may run a timer before the
  // window opens: look for it until it is there.
  std::function<void(int)> closeWhenShown = [&](int tries) {
    QTimer::singleShot(20, [&, tries] {
      auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!d && tries > 0) return closeWhenShown(tries - 1);
      seen.push_back(d ? d->objectName().toStdString() : "");
      if (d) d->reject();
    });
  };
  closeWhenShown(100);
  SetPage("Neues_Format");
  QTest::mouseDClick(Get<QComboBox>("Formatbox")->lineEdit(), Qt::LeftButton);
  EXPECT_EQ(seen, std::vector<std::string>{"frmFormatDef"});
}

// A send over the serial line: the simulated instrument gets what the
// converter writes offline for the same file, followed by the end mark.
TEST_F(MainWindowTest, ASendOverTheLineDeliversWhatTheConverterWritesOffline) {
  SimulatedInstrument sim({"--xonxoff"});
  ASSERT_TRUE(sim.Ready());
  ::setenv("VELTRO_COM1", sim.Device().c_str(), 1);
  FreezeClock(EncodeDate(2026, 12, 8));  // the converter's date
  Start();
  PickInstrument("SDR-33");
  Action("dfSDR33")->trigger();
  SetPage("ASCII_Blatt");
  const std::string input = VELTRO_TEST_DATA "/sdr/koordinaten.asc";
  Get<QRadioButton>("rbInstrument")->click();
  Get<QRadioButton>("rbFromInstrument")->click();
  EXPECT_TRUE(Get<QLineEdit>("DateiInput")->isEnabled());
  EXPECT_FALSE(Get<QLineEdit>("DateiOutput")->isEnabled());
  Get<QLineEdit>("DateiInput")->setText(QString::fromStdString(input));
  Get<QPushButton>("Transfer_starten")->click();
  ::unsetenv("VELTRO_COM1");
  FreezeClock(0);
  EXPECT_FALSE(W().TransferRunning());
  EXPECT_EQ(Get<QLabel>("StatusText")->text().toStdString(), "Kein Transfer");

  const ConvertRun ref = RunConverter(
      tmp, "--instrument SDR-33 --to SDR33 " + ShellQuote(input) + " " + ShellQuote(tmp / "offline.sdr"));
  ASSERT_EQ(ref.status, 0) << ref.stderrText;
  const std::string expected = ReadFile(tmp / "offline.sdr");
  ASSERT_FALSE(expected.empty());
  ASSERT_TRUE(sim.WaitForReceived(expected.size() + 2)) << Messages() << sim.Received();
  EXPECT_TRUE(SameBytes(expected + "\r\n", sim.Received()));
}

}  // namespace
}  // namespace veltro::test
