#include "instruments/InstrumentenModul.h"

#include <gtest/gtest.h>

#include "core/Settings.h"
#include "core/TextUtils.h"
#include "tests/instruments/CatalogueFixture.h"

namespace veltro::test {
namespace {

// ---- Serial enumerations -------------------------------------------------------------

// The ordinals cross the instrument library interface.
static_assert(tptEight == 8 && kPortCount == 9);
static_assert(tbr110 == 0 && tbr9600 == 6 && tbr14400 == 7 && tbr56000 == 10 && tbr115200 == 12 && tbr921600 == 15 &&
              kBaudRateCount == 16);
static_assert(tpNone == 0 && tpSpace == 4 && kParityCount == 5);
static_assert(tdbFour == 0 && tdbSeven == 3 && tdbEight == 4 && kDataBitsCount == 5);
static_assert(tsbOne == 0 && tsbOnePointFive == 1 && tsbTwo == 2 && kStopBitsCount == 3);
static_assert(tfcNone == 0 && tfcACKNAK == 4 && tfcGSI == 5 && tfcREC500 == 6 && kFlowControlCount == 7);
static_assert(teolNone == 0 && teolCRLF == 3 && teolLFCR == 4 && kEndofLineCount == 5);
static_assert(sizeof(TValidBaudRate) == 2 && sizeof(TValidEndofLine) == 1);

TEST(CommunicationTest, SetsAreBitSetsByOrdinal) {
  EXPECT_EQ((TValidBaudRate{tbr110, tbr921600}).ToBits(), 0x8001);
  EXPECT_EQ((TValidFlowControl{tfcGSI}).ToBits(), 0x20);
  TValidEndofLine e = TValidEndofLine::FromBits(0x08);
  EXPECT_TRUE(e.Contains(teolCRLF));
  EXPECT_FALSE(e.Contains(teolCR));
  EXPECT_FALSE(e.Contains(static_cast<TEndofLine>(200)));  // beyond the set's bits
  EXPECT_TRUE(TValidParity{}.Empty());
  EXPECT_EQ(BaudRateValue(tbr56000), 56000);
  EXPECT_EQ(BaudRateValue(static_cast<TBaudRate>(16)), 0);
  EXPECT_EQ(DataBitsName(tdbFour), "4");
  EXPECT_EQ(StopBitsName(tsbOnePointFive), "1.5");
  EXPECT_EQ(EndofLineText(teolLFCR), "\n\r");
  EXPECT_TRUE(IsOrdinalOf<TPort>(8));
  EXPECT_FALSE(IsOrdinalOf<TPort>(9));
  EXPECT_FALSE(IsOrdinalOf<TParity>(-1));
}

// ---- Structure ---------------------------------------------------------------------------

TEST_F(CatalogueTest, ComponentsAreCreatedMakersTypesInstrumentsFormats) {
  TGeraete& g = Make();
  ASSERT_EQ(g.ComponentCount(), 8 + 3 + 32 + 20);
  EXPECT_EQ(g.Components()[0]->Name, "hsTopcon");
  EXPECT_EQ(g.Components()[8]->Name, "icTachymeter");
  EXPECT_EQ(g.Components()[11]->Name, "itCR1");
  EXPECT_EQ(g.Components()[43]->Name, "FC5");
  EXPECT_EQ(g.Components().back()->Name, "FC6");
  const std::string list = g.ComponentNameList();
  EXPECT_EQ(list.substr(0, 15), "itCR1\r\nitGTS6\r\n");
  EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 52);
  EXPECT_NE(list.find("itPentaxR300\r\nFC5\r\nGTS6\r\n"), std::string::npos);
}

TEST_F(CatalogueTest, TheProgramsCatalogueIsRegisteredUntilItIsDestroyed) {
  TGeraete& g = Make();
  EXPECT_EQ(Geraete(), nullptr);
  SetGeraete(&g);
  EXPECT_EQ(Geraete(), &g);
  geraete.reset();
  EXPECT_EQ(Geraete(), nullptr);
}

TEST_F(CatalogueTest, TabOrderCountsPerMakerInCreationOrder) {
  Make();
  EXPECT_EQ(It("itCR1").TabOrder, 0);
  EXPECT_EQ(It("itGPT1000").TabOrder, 3);
  EXPECT_EQ(It("itDL100").TabOrder, 8);
  EXPECT_EQ(It("itGIF10").TabOrder, 0);
  EXPECT_EQ(It("itNA3003").TabOrder, 7);
  EXPECT_EQ(It("itSurvCE").TabOrder, 7);
  EXPECT_EQ(It("itPentaxR300").TabOrder, 0);
}

TEST_F(CatalogueTest, ModelPicturesReplaceTheTypePictures) {
  Make();
  EXPECT_EQ(It("itTC600").ShownOriginalPicture().Resource, "icTachymeter.OriginalPicture");
  EXPECT_EQ(It("itTC600").ShownTransferPicture().Resource, "itTC600.TransferPicture");
  EXPECT_EQ(It("itTPS110").ShownOriginalPicture().Resource, "itTPS110.OriginalPicture");
  EXPECT_EQ(It("itDL100").ShownTransferPicture().Resource, "icNivellier.TransferPicture");
}

// ---- Libraries and the current instrument ----------------------------------------------------

TEST_F(CatalogueTest, LibraryNamesAndTheirFiles) {
  EXPECT_EQ(TGeraete::InstrumentLibraryName("GTS700"), "GTS700.DLL");
  EXPECT_EQ(TGeraete::InstrumentLibraryName(""), "Dummy.DLL");
  Install({"libgts700.so", "TPS100.dll", "libTPS110.so.bak"});
  TGeraete& g = Make();
  EXPECT_EQ(g.LibraryFile(It("itGTS700")), install / "libgts700.so");  // letter case does not matter
  EXPECT_TRUE(g.LibraryInstalled(It("itGPT6000")));                    // same library
  EXPECT_FALSE(g.LibraryInstalled(It("itTPS100")));                    // a Windows file is no library here
  EXPECT_FALSE(g.LibraryInstalled(It("itTPS110")));
  EXPECT_FALSE(g.LibraryInstalled(It("itNA3003")));
}

TEST_F(CatalogueTest, WithoutADirectoryTheProgramsInstallationDirectoryIsUsed) {
  SetInstallationDirectory(install.path());
  Install({"OTS.DLL"});
  TGeraete g;
  EXPECT_EQ(g.InstallationDirectory(), install.path() + "/");
  EXPECT_EQ(g.CurrentInstrument().Name, "itOTS");
  SetInstallationDirectory("");
}

TEST_F(CatalogueTest, WithoutAnyLibraryTheProgramEnds) {
  TGeraete& g = Make();
  try {
    g.CurrentInstrument();
    FAIL() << "no exit";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "exit 1");
  }
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Messages()[0].text, "Es ist kein Instrument aktiv!");
  EXPECT_EQ(box.Messages()[0].kind, kMsgError);
  EXPECT_EQ(box.Messages()[0].buttons, kBtnOk);
}

TEST_F(CatalogueTest, NoneActiveActivatesTheFirstInstalledInstrument) {
  Install({"SDR33.DLL", "GTS700.DLL"});
  TGeraete& g = Make();
  TInstrument& current = g.CurrentInstrument();
  EXPECT_EQ(current.Name, "itGTS700");
  EXPECT_TRUE(current.Active);
  EXPECT_TRUE(g.IsCurrentInstrument(It("itGTS700")));
  EXPECT_FALSE(g.IsCurrentInstrument(It("itSDR33")));
}

TEST_F(CatalogueTest, TheLastActiveInstrumentIsCurrent) {
  Install({"GTS700.DLL"});
  TGeraete& g = Make();
  It("itCR1").Active = true;  // active without library: still current when it is the last
  EXPECT_EQ(&g.CurrentInstrument(), &It("itCR1"));
  It("itSDR33").Active = true;
  EXPECT_EQ(&g.CurrentInstrument(), &It("itSDR33"));
  // An instrument added after the first question is found too.
  TInstrument& added = g.Add<TInstrument>("itAdded");
  added.Active = true;
  EXPECT_EQ(&g.CurrentInstrument(), &added);
  added.Active = false;
  It("itSDR33").Active = false;
  EXPECT_EQ(&g.CurrentInstrument(), &It("itCR1"));
}

// The catalogue keeps its answer between calls; every change of a mark,
// however it is made, counts at the next call.
TEST_F(CatalogueTest, TheCurrentInstrumentFollowsEveryChangeOfTheMarks) {
  Install({"GTS700.DLL"});
  TGeraete& g = Make();
  It("itCR1").Active = true;
  It("itSDR33").Active = true;
  EXPECT_EQ(&g.CurrentInstrument(), &It("itSDR33"));
  EXPECT_EQ(&g.CurrentInstrument(), &It("itSDR33"));
  It("itSDR33").Active = false;
  EXPECT_EQ(&g.CurrentInstrument(), &It("itCR1"));
  It("itSDR33").Active = It("itCR1").Active;  // copied from another mark
  EXPECT_EQ(&g.CurrentInstrument(), &It("itSDR33"));
  g.ForEach<TInstrument>([](TInstrument& i) { i.Active = false; });
  EXPECT_EQ(&g.CurrentInstrument(), &It("itGTS700"));  // none active: the first installed
  ASSERT_TRUE(g.SelectInstrument(It("itCR1").Caption));
  EXPECT_EQ(&g.CurrentInstrument(), &It("itCR1"));
}

TEST_F(CatalogueTest, DummyInstrumentsNeedDummyDll) {
  Install({"GTS700.DLL"});
  TGeraete& g = Make();
  EXPECT_EQ(g.AvailableInstrumentKinds(), 1);
  TPopupMenu menu;
  g.CreatePopupMenus(menu, nullptr);
  ASSERT_EQ(menu.Items.size(), 1u);
  EXPECT_EQ(menu.Items[0].Name, "mnTopcon");

  Install({"Dummy.DLL"});
  TPopupMenu withDummy;
  g.CreatePopupMenus(withDummy, nullptr);
  ASSERT_EQ(withDummy.Items.size(), 4u);  // Topcon, Leica, Zeiss, Magellan
  EXPECT_EQ(withDummy.Items[1].Caption, "Leica");
  ASSERT_EQ(withDummy.Items[1].Items.size(), 1u);
  EXPECT_EQ(withDummy.Items[1].Items[0].Caption, "Leica NA2002, NA3003");
  EXPECT_EQ(withDummy.Items[1].Items[0].Name, "miLeica7");
  EXPECT_EQ(withDummy.Items[2].Items[0].Caption, "Zeiss DiNi 10,10T,20");
  EXPECT_EQ(withDummy.Items[3].Name, "mnMagellan");
  ASSERT_EQ(withDummy.Items[3].Items.size(), 3u);
  EXPECT_EQ(withDummy.Items[3].Items[0].Name, "miTavrin1");  // itMeridian
  EXPECT_EQ(withDummy.Items[3].Items[2].Caption, "Sportrak");
  EXPECT_EQ(g.AvailableInstrumentKinds(), 3);  // Dummy levels too
}

TEST_F(CatalogueTest, AvailableKindsSeparateLevelsFromTheRest) {
  Install({"DL100.DLL"});
  TGeraete& g = Make();
  EXPECT_EQ(g.AvailableInstrumentKinds(), 2);
  Install({"ProMark2.DLL"});  // GPS counts as surveying
  EXPECT_EQ(g.AvailableInstrumentKinds(), 3);
}

// ---- Menus ---------------------------------------------------------------------------------

TEST_F(CatalogueTest, InstrumentItemsAreNamedByPrefixAndTabOrder) {
  Install({"GPT1000.DLL", "DL100.DLL"});
  TGeraete& g = Make();
  int clicks = 0;
  TPopupMenu menu;
  g.CreatePopupMenus(menu, [&](const TMenuItem&) { ++clicks; });
  ASSERT_EQ(menu.Items.size(), 1u);
  const TMenuItem& topcon = menu.Items[0];
  EXPECT_EQ(topcon.Caption, "Topcon");
  ASSERT_EQ(topcon.Items.size(), 2u);
  EXPECT_EQ(topcon.Items[0].Name, "miTopcon3");
  EXPECT_EQ(topcon.Items[0].Caption, "Topcon GPT-1000 / 2000");
  EXPECT_TRUE(topcon.Items[0].Enabled);
  EXPECT_EQ(topcon.Items[1].Name, "miTopcon8");
  topcon.Items[1].OnClick(topcon.Items[1]);
  EXPECT_EQ(clicks, 1);
}

TEST_F(CatalogueTest, ClickingAnInstrumentSelectsItAndFillsTheFormatMenu) {
  Install({"GTS700.DLL", "SurvCE.DLL"});
  TGeraete& g = Make();
  g.CurrentInstrument();
  TPopupMenu formats;
  formats.Items.push_back(TMenuItem{"old", "old", true, nullptr, {}});
  g.InstrumentMenuClick("Magellan", "Fast Survey", formats, nullptr);
  EXPECT_EQ(g.CurrentInstrument().Name, "itSurvCE");
  std::vector<std::string> names;
  for (const auto& item : formats.Items) names.push_back(item.Name + "=" + item.Caption);
  EXPECT_EQ(names, (std::vector<std::string>{"dfRW5=RW5", "dfNMEA=NMEA", "dfTAVRIN=Magellan", "dfMMW=MMW"}));

  g.InstrumentMenuClick("Nobody", "Topcon GTS-500 / 600 / 700 / 800A", formats, nullptr);
  EXPECT_EQ(g.CurrentInstrument().Name, "itSurvCE");  // no maker of that caption: nothing happens
  g.InstrumentMenuClick("Topcon", "Topcon GTS-500 / 600 / 700 / 800A", formats, nullptr);
  EXPECT_EQ(g.CurrentInstrument().Name, "itGTS700");
  ASSERT_EQ(formats.Items.size(), 6u);
  EXPECT_EQ(formats.Items[0].Name, "dfFC5");
  EXPECT_EQ(formats.Items[3].Name, "dfDL100");
  EXPECT_EQ(formats.Items[5].Name, "dfFC6");
}

// ---- Selection lists -------------------------------------------------------------------------

TEST_F(CatalogueTest, SelectionListsHideMakersWithoutInstalledInstruments) {
  Install({"GTS6.DLL", "DL100.DLL", "OTS.DLL"});
  TGeraete& g = Make();
  TPageControl pages = MakeSelectionPages();
  int clicks = 0;
  g.CreateTWListen(
      pages, [&](const TRadioButton&) { ++clicks; }, nullptr);
  ASSERT_EQ(pages.Pages.size(), 8u);
  EXPECT_TRUE(pages.Pages[0].TabVisible);
  EXPECT_FALSE(pages.Pages[1].TabVisible);  // Leica
  EXPECT_FALSE(pages.Pages[5].TabVisible);  // Magellan
  EXPECT_TRUE(pages.Pages[6].TabVisible);   // Foif

  const TGroupBox& iw = pages.Pages[0].GroupBoxes[0];
  ASSERT_EQ(iw.Name, "IWTopcon");
  ASSERT_EQ(iw.Controls.size(), 2u);
  EXPECT_EQ(iw.Controls[0].Name, "itGTS6");
  EXPECT_EQ(iw.Controls[1].Name, "itDL100");
  EXPECT_EQ(iw.Controls[1].Caption, "Topcon DL-100");
  EXPECT_EQ(iw.Controls[1].TabOrder, 8);
  EXPECT_EQ(iw.Controls[1].Left, 17);
  EXPECT_EQ(iw.Controls[1].Top, 40);
  EXPECT_EQ(iw.Controls[1].Width, 200);
  EXPECT_EQ(iw.Controls[1].Height, 17);
  iw.Controls[0].OnClick(iw.Controls[0]);
  EXPECT_EQ(clicks, 1);

  // Format lists hold every format of the maker, installed or not.
  const TGroupBox& df = pages.Pages[0].GroupBoxes[1];
  ASSERT_EQ(df.Controls.size(), 6u);
  EXPECT_EQ(df.Controls[5].Name, "FC6");
  EXPECT_EQ(df.Controls[5].Caption, "FC-6");
  EXPECT_EQ(df.Controls[5].Top, 120);
  EXPECT_EQ(pages.Pages[1].GroupBoxes[1].Controls.size(), 2u);  // GSI8, GSI16 on the hidden page
  EXPECT_EQ(pages.Pages[5].GroupBoxes[0].Name, "IWTavrin");

  g.ClearTWListen(pages);
  for (const auto& page : pages.Pages)
    for (const auto& box : page.GroupBoxes) EXPECT_TRUE(box.Controls.empty()) << box.Name;
}

TEST_F(CatalogueTest, SelectionListsSkipPagesTheyCannotFind) {
  Install({"GTS6.DLL"});
  TGeraete& g = Make();
  TPageControl pages;
  pages.Pages.push_back(TTabSheet{"tsTopcon", true, {TGroupBox{"IWTopcon", {}}}});  // no format box
  g.CreateTWListen(pages, nullptr, nullptr);
  EXPECT_TRUE(pages.Pages[0].GroupBoxes[0].Controls.empty());
  g.ClearTWListen(pages);
}

// ---- Selecting an instrument ---------------------------------------------------------------

TEST_F(CatalogueTest, SelectingClosesTheConnectionBeforeTheLibraryIsFreed) {
  Install({"GTS700.DLL", "libTPS100.so"});
  TGeraete& g = Make();
  g.CurrentInstrument();
  g.SelectInstrument("Leica TPS 100 Series");
  EXPECT_EQ(hooks.calls, (std::vector<std::string>{"close", "free coordinate system", "free library",
                                                   "load " + install / "libTPS100.so"}));
  EXPECT_EQ(g.CurrentInstrument().Name, "itTPS100");
  EXPECT_FALSE(It("itGTS700").Active);
}

TEST_F(CatalogueTest, SelectingAnInstrumentWithoutLibraryAsksForTheMissingFile) {
  Install({"GTS700.DLL"});
  TGeraete& g = Make();
  g.SelectInstrument("Leica TPS 1100");
  ASSERT_EQ(hooks.calls.size(), 4u);
  EXPECT_EQ(hooks.calls[3], "load " + install / "libTPS1100.so");
}

TEST_F(CatalogueTest, AnUnknownCaptionLeavesNoneActiveUntilTheFallback) {
  Install({"SDR33.DLL", "TPS700.DLL"});
  TGeraete& g = Make();
  g.SelectInstrument("SDR-33");
  hooks.calls.clear();
  g.SelectInstrument("Topcon GTS-6 ");  // captions compare exactly
  EXPECT_TRUE(hooks.calls.empty());
  int active = 0;
  g.ForEach<TInstrument>([&](const TInstrument& i) { active += i.Active; });
  EXPECT_EQ(active, 0);
  EXPECT_EQ(g.CurrentInstrument().Name, "itTPS700");
}

// ---- Formats ------------------------------------------------------------------------------------

TEST_F(CatalogueTest, FindGeraeteFormatByNameOrCaptionFallsBackToFC5) {
  TGeraete& g = Make();
  EXPECT_EQ(&g.FindGeraeteFormat("GTS7", true), &Fmt("GTS7"));
  EXPECT_EQ(&g.FindGeraeteFormat("GTS-7", false), &Fmt("GTS7"));
  EXPECT_EQ(&g.FindGeraeteFormat("Magellan", false), &Fmt("TAVRIN"));
  EXPECT_EQ(&g.FindGeraeteFormat("GTS-7", true), &Fmt("FC5"));
  EXPECT_EQ(&g.FindGeraeteFormat("gts7", true), &Fmt("FC5"));
  EXPECT_EQ(&g.FindGeraeteFormat("", false), &Fmt("FC5"));
}

TEST_F(CatalogueTest, TheViewerDecidesTheCurrentFormatWhileItIsShown) {
  Install({"GTS700.DLL"});
  TGeraete& g = Make();
  EXPECT_EQ(&g.CurrentGeraeteFormat(), &Fmt("GTS7"));
  TGeraeteFormat* shown = &Fmt("SDR33");
  g.SetViewerFormat([&] { return shown; });
  EXPECT_EQ(&g.CurrentGeraeteFormat(), &Fmt("SDR33"));
  shown = nullptr;  // viewer closed
  EXPECT_EQ(&g.CurrentGeraeteFormat(), &Fmt("GTS7"));
}

TEST_F(CatalogueTest, TheEngineSideAnswersFormatAndKind) {
  Install({"DL100.DLL", "ProMark2.DLL"});
  TGeraete& g = Make();
  CatalogueInstrumentSide side(g);
  EXPECT_EQ(side.CurrentGeraeteFormat(), &Fmt("DL100"));
  EXPECT_EQ(side.CurrentInstrumentKind(), InstrumentKind::Nivellier);
  g.SelectInstrument("Mobile Mapper");
  EXPECT_EQ(side.CurrentGeraeteFormat(), &Fmt("NMEA"));
  EXPECT_EQ(side.CurrentInstrumentKind(), InstrumentKind::GPS);
  g.SelectInstrument("Topcon GTS-6");
  EXPECT_EQ(side.CurrentInstrumentKind(), InstrumentKind::Tachymeter);
}

// ---- Port settings -------------------------------------------------------------------------------

class PortSettingsTest : public CatalogueTest {
 protected:
  PortSettingsTest() {
    SetTextProvider([](int n) -> std::string {
      switch (n) {
        case 140:
          return "&Parit\xE4t\xA6Keine\xA6Ungerade\xA6Gerade\xA6Markierung\xA6Leerzeichen\xA7Parit\xE4tsbit";
        case 141:
          return "Protokoll\xA6Kein\xA6XON/XOFF\xA6"
                 "CTS/RTS\xA6"
                 "DSR/DTR\xA6"
                 "ACK/NAK\xA6GSI\xA6REC 500";
        case 146:
          return "Zeilenende\xA6Kein\xA6"
                 "CR\xA6LF\xA6"
                 "CR/LF\xA6LF/CR";
        default:
          return "T" + std::to_string(n);
      }
    });
    Install({"GTS700.DLL", "TPS1100.DLL", "Dummy.DLL"});
    Make();
  }
};

TEST_F(PortSettingsTest, ShippedSettingsPassAndAnExplanationIsLeftAlone) {
  geraete->SelectInstrument("Topcon GTS-500 / 600 / 700 / 800A");
  std::string message = "untouched";
  EXPECT_TRUE(geraete->CheckPortSettings(message));
  EXPECT_EQ(message, "untouched");
}

TEST_F(PortSettingsTest, TheExplanationListsTheAcceptedSets) {
  geraete->SelectInstrument("Topcon GTS-500 / 600 / 700 / 800A");
  It("itGTS700").BaudRate = tbr600;
  std::string message;
  EXPECT_FALSE(geraete->CheckPortSettings(message));
  EXPECT_EQ(message,
            "T63\r\n\r\nT221\r\n\r\nT348 Topcon GTS-500 / 600 / 700 / 800A\r\n"
            "T342 300, 1200, 2400, 4800, 9600, 19200\r\n"
            "T343 7, 8\r\n"
            "T344 1, 2\r\n"
            "T345 Keine, Ungerade, Gerade\r\n"
            "T346 XON/XOFF, ACK/NAK\r\n"
            "T347 CR/LF");
}

TEST_F(PortSettingsTest, EverySettingIsChecked) {
  geraete->SelectInstrument("Topcon GTS-500 / 600 / 700 / 800A");
  TInstrument& i = It("itGTS700");
  std::string message;
  const TInstrument shipped = i;
  i.DataBits = tdbSix;
  EXPECT_FALSE(geraete->CheckPortSettings(message));
  i = shipped;
  i.StopBits = tsbOnePointFive;
  EXPECT_FALSE(geraete->CheckPortSettings(message));
  i = shipped;
  i.Parity = tpMark;
  EXPECT_FALSE(geraete->CheckPortSettings(message));
  i = shipped;
  i.FlowControl = tfcGSI;
  EXPECT_FALSE(geraete->CheckPortSettings(message));
  i = shipped;
  i.EndofLine = teolLF;
  EXPECT_FALSE(geraete->CheckPortSettings(message));
  i = shipped;
  EXPECT_TRUE(geraete->CheckPortSettings(message));
}

TEST_F(PortSettingsTest, InstrumentsThatAcceptNothingAlwaysFailWithEmptyLists) {
  for (const char* caption : {"Leica TPS 1100", "Leica NA2002, NA3003"}) {
    geraete->SelectInstrument(caption);
    std::string message;
    EXPECT_FALSE(geraete->CheckPortSettings(message));
    EXPECT_EQ(message, std::string("T63\r\n\r\nT221\r\n\r\nT348 ") + caption +
                           "\r\nT342\r\nT343\r\nT344\r\nT345\r\nT346\r\nT347");
  }
}

TEST_F(PortSettingsTest, StopBitsAndDataBitsByTheirNumbers) {
  geraete->SelectInstrument("Leica GIF 10");  // shipped as GSI on 2400 7E2: accepted
  std::string message;
  EXPECT_TRUE(geraete->CheckPortSettings(message));
  It("itGIF10").DataBits = tdbEight;
  EXPECT_FALSE(geraete->CheckPortSettings(message));
  EXPECT_NE(message.find("T343 7\r\nT344 1, 2\r\nT345 Keine, Ungerade, Gerade, Markierung, Leerzeichen\r\n"
                         "T346 Kein, XON/XOFF, CTS/RTS, ACK/NAK, GSI\r\nT347 CR, CR/LF"),
            std::string::npos)
      << message;
}

TEST_F(PortSettingsTest, TheDiNiIsShippedWithABitRateItDoesNotAccept) {
  geraete->SelectInstrument("Zeiss DiNi 10,10T,20");
  std::string message;
  EXPECT_FALSE(geraete->CheckPortSettings(message));
  EXPECT_NE(message.find("T342 110, 300, 600, 1200, 2400, 4800\r\n"), std::string::npos);
}

TEST_F(PortSettingsTest, GTS700FlowControlFollowsFormatAndDirection) {
  geraete->SelectInstrument("Topcon GTS-500 / 600 / 700 / 800A");
  TInstrument& i = It("itGTS700");
  i.EndofLine = teolCR;
  SetMethode(1);
  geraete->AdjustPortSettings();
  EXPECT_EQ(i.FlowControl, tfcXONXOFF);  // format GTS7
  EXPECT_EQ(i.EndofLine, teolCRLF);
  i.GeraeteFormat = &Fmt("FC5");
  geraete->AdjustPortSettings();
  EXPECT_EQ(i.FlowControl, tfcACKNAK);
  SetMethode(0);
  geraete->AdjustPortSettings();
  EXPECT_EQ(i.FlowControl, tfcXONXOFF);
  SetMethode(1);
  geraete->AdjustPortSettings();
  EXPECT_EQ(i.FlowControl, tfcACKNAK);
}

TEST_F(PortSettingsTest, FS2AndDL100AreForcedOthersAreNot) {
  Install({"FS2.DLL", "DL100.DLL"});
  geraete->SelectInstrument("Topcon FS/2");
  It("itFS2").EndofLine = teolCR;
  It("itFS2").FlowControl = tfcCTSRTS;
  geraete->AdjustPortSettings();
  EXPECT_EQ(It("itFS2").EndofLine, teolCRLF);
  EXPECT_EQ(It("itFS2").FlowControl, tfcCTSRTS);

  geraete->SelectInstrument("Topcon DL-100");
  It("itDL100").EndofLine = teolNone;
  It("itDL100").FlowControl = tfcNone;
  It("itFS2").EndofLine = teolCR;  // not current: left alone
  geraete->AdjustPortSettings();
  EXPECT_EQ(It("itDL100").EndofLine, teolCRLF);
  EXPECT_EQ(It("itDL100").FlowControl, tfcACKNAK);
  EXPECT_EQ(It("itFS2").EndofLine, teolCR);

  geraete->SelectInstrument("Topcon FC-1000");  // shares the FS2 library, not forced
  It("itFC1000").EndofLine = teolCR;
  geraete->AdjustPortSettings();
  EXPECT_EQ(It("itFC1000").EndofLine, teolCR);
}

// ---- Offsets ---------------------------------------------------------------------------------

class OffsetTest : public CatalogueTest {
 protected:
  OffsetTest() {
    Install({"GTS700.DLL"});
    Make();
    current = &geraete->CurrentInstrument();
  }
  std::string Apply(const std::string& text, int kind) { return geraete->ApplyOffset(text, kind); }
  TInstrument* current = nullptr;
};

TEST_F(OffsetTest, AddsAndRemovesKeepingTheDecimalsOfTheInput) {
  ASSERT_TRUE(current->SetOffsetY("2600000"));
  ASSERT_TRUE(current->SetOffsetX("1200000.5"));
  EXPECT_EQ(Apply("123.45", kOffsetAddY), "2600123.45");
  EXPECT_EQ(Apply("123.45", kOffsetAddX), "1200123.95");
  EXPECT_EQ(Apply("2600123.45", kOffsetRemoveY), "123.45");
  EXPECT_EQ(Apply("1200123.95", kOffsetRemoveX), "123.45");
  EXPECT_EQ(Apply("10", kOffsetAddX), "1200010.5");  // the offset's decimals are kept
  EXPECT_EQ(Apply("10.", kOffsetAddX), "1200010.5");
  EXPECT_EQ(Apply("-5.000", kOffsetAddY), "2599995.000");
  EXPECT_EQ(Apply(" 1.5", kOffsetAddY), "2600001.5");  // leading blanks are read
}

TEST_F(OffsetTest, IsDecimalExactForNationalGridCoordinates) {
  ASSERT_TRUE(current->SetOffsetY("0.1"));
  ASSERT_TRUE(current->SetOffsetX("-0.0005"));
  EXPECT_EQ(Apply("2600000.123", kOffsetAddY), "2600000.223");
  EXPECT_EQ(Apply("2600000.223", kOffsetRemoveY), "2600000.123");
  EXPECT_EQ(Apply("9007199254740993.001", kOffsetAddY), "9007199254740993.101");
  EXPECT_EQ(Apply("12.345", kOffsetAddX), "12.3445");
  EXPECT_EQ(Apply("-12.345", kOffsetAddX), "-12.3455");
  EXPECT_EQ(Apply("0.05", kOffsetRemoveY), "-0.05");
  ASSERT_TRUE(current->SetOffsetY("0.05"));
  EXPECT_EQ(Apply("-0.05", kOffsetAddY), "0.00");  // no "-0.00"
}

TEST_F(OffsetTest, MissingAndNonNumericValuesStayAsTheyAre) {
  ASSERT_TRUE(current->SetOffsetY("100"));
  ASSERT_TRUE(current->SetOffsetX("200"));
  for (int kind = kOffsetAddY; kind <= kOffsetRemoveX; ++kind) {
    EXPECT_EQ(Apply("", kind), "");
    EXPECT_EQ(Apply("abc", kind), "abc");
    EXPECT_EQ(Apply("1,5", kind), "1,5");
    EXPECT_EQ(Apply("1.5 ", kind), "1.5 ");
    EXPECT_EQ(Apply("-", kind), "-");
    EXPECT_EQ(Apply("2147483647", kind), "2147483647");  // the no-value number
    EXPECT_EQ(Apply("1E999", kind), "1E999");
  }
  EXPECT_EQ(Apply("5", 4), "5");
  EXPECT_EQ(Apply("5", -1), "5");
}

TEST_F(OffsetTest, ExponentsAreReadAsNumbers) {
  ASSERT_TRUE(current->SetOffsetY("1"));
  EXPECT_EQ(Apply("1.5E3", kOffsetAddY), "1501");
  EXPECT_EQ(Apply("25e-1", kOffsetAddY), "3.5");
  ASSERT_TRUE(current->SetOffsetY("0"));
  EXPECT_EQ(Apply("12345E-3", kOffsetAddY), "12.345");
  EXPECT_EQ(Apply("2E-1", kOffsetAddY), "0.2");
}

TEST_F(OffsetTest, StakeOutSumsKeepTheDecimalsOfTheOffset) {
  ASSERT_TRUE(current->SetOffsetY("2600000.25"));
  EXPECT_EQ(Apply("2600123", kOffsetRemoveY), "122.75");
  EXPECT_EQ(Apply("122.75", kOffsetAddY), "2600123.00");
}

TEST_F(OffsetTest, NonNumericOffsetsAreRefusedWhereTheyAreStored) {
  EXPECT_EQ(current->OffsetY(), "0");
  EXPECT_FALSE(current->SetOffsetY("abc"));
  EXPECT_FALSE(current->SetOffsetY("1-2"));
  EXPECT_FALSE(current->SetOffsetY("1.2.3"));
  EXPECT_FALSE(current->SetOffsetY("1e3"));
  EXPECT_FALSE(current->SetOffsetY("+"));
  EXPECT_FALSE(current->SetOffsetX("."));
  EXPECT_EQ(current->OffsetY(), "0");
  EXPECT_EQ(Apply("1.00", kOffsetAddY), "1.00");
  EXPECT_TRUE(current->SetOffsetY(" -12.5 "));
  EXPECT_EQ(current->OffsetY(), "-12.5");
  EXPECT_TRUE(current->SetOffsetX("+.5"));
  EXPECT_EQ(Apply("1.0", kOffsetAddX), "1.5");
  EXPECT_TRUE(current->SetOffsetY(""));
  EXPECT_EQ(current->OffsetY(), "0");
  EXPECT_TRUE(current->SetOffsetX("   "));
  EXPECT_EQ(current->OffsetX(), "0");
}

TEST_F(OffsetTest, OffsetsAreTheCurrentInstrumentsOwn) {
  Install({"SDR33.DLL"});
  ASSERT_TRUE(current->SetOffsetY("10"));
  ASSERT_TRUE(It("itSDR33").SetOffsetY("20"));
  EXPECT_EQ(Apply("1", kOffsetAddY), "11");
  geraete->SelectInstrument("SDR-33");
  EXPECT_EQ(Apply("1", kOffsetAddY), "21");
}

// ---- Code pages ----------------------------------------------------------------------------------

TEST_F(CatalogueTest, OemConversionOnlyForFormatsThatAskForIt) {
  Install({"GTS700.DLL", "TPS700.DLL"});
  TGeraete& g = Make();
  ASSERT_TRUE(Fmt("GTS7").OEMConvert);
  EXPECT_EQ(g.OemToAnsiText("Stra\xE1"
                            "e \x81"),
            "Stra\xDF"
            "e \xFC");
  EXPECT_EQ(g.AnsiToOemText("Stra\xDF"
                            "e \xFC"),
            "Stra\xE1"
            "e \x81");
  EXPECT_EQ(g.OemToAnsiText(""), "");
  g.SelectInstrument("Leica TPS 700");  // GSI 8 is ANSI
  EXPECT_EQ(g.OemToAnsiText("\x81"), "\x81");
  EXPECT_EQ(g.AnsiToOemText("\xFC"), "\xFC");
  Fmt("GSI8").OEMConvert = true;
  EXPECT_EQ(g.OemToAnsiText("\x81"), "\xFC");
}

// ---- Handler binding ----------------------------------------------------------------------------

TEST_F(CatalogueTest, FormatsStartWithoutHandlers) {
  TGeraete& g = Make();
  g.ForEach<TGeraeteFormat>([](const TGeraeteFormat& f) {
    EXPECT_FALSE(f.OnFormat || f.OnSetup || f.OnInitWrite || f.OnAfterTrans || f.OnAfterRead || f.OnAfterWrite ||
                 f.OnBeforeWrite || f.OnGetDatenart || f.OnSetTDA || f.OnPrepEditor || f.OnInitEditor || f.OnEditNext)
        << f.Name;
  });
  g.ForEach<TInstrument>([](const TInstrument& i) { EXPECT_FALSE(i.OnSetup) << i.Name; });
}

TEST_F(CatalogueTest, AModuleBindsOnlyTheHandlersTheCatalogueNames) {
  TGeraete& g = Make();
  EXPECT_EQ(TGeraete::FormatHandlerName("FC5", FormatEvent::OnPrepEditor), "FC5PrepEditor");
  EXPECT_EQ(TGeraete::FormatHandlerName("FC5", FormatEvent::OnSetup), "DefaultSetup");
  EXPECT_EQ(TGeraete::FormatHandlerName("GSI8", FormatEvent::OnEditNext), "GSI8EditNext");
  EXPECT_EQ(TGeraete::FormatHandlerName("REC500", FormatEvent::OnEditNext), "");
  EXPECT_EQ(TGeraete::FormatHandlerName("RECE", FormatEvent::OnFormat), "");
  EXPECT_EQ(TGeraete::FormatHandlerName("XYZ", FormatEvent::OnSetup), "");

  int setups = 0;
  GeraeteFormatHandlers rece;
  rece.OnSetup = [&] { ++setups; };
  EXPECT_TRUE(g.BindFormatHandlers("RECE", rece));
  Fmt("RECE").OnSetup();
  EXPECT_EQ(setups, 1);

  GeraeteFormatHandlers wrong;
  wrong.OnFormat = [](const std::string&, const std::string&) { return std::string("kRECE"); };
  EXPECT_FALSE(g.BindFormatHandlers("RECE", wrong));
  EXPECT_FALSE(Fmt("RECE").OnFormat);
  EXPECT_FALSE(g.BindFormatHandlers("NoSuchFormat", rece));

  GeraeteFormatHandlers rec;
  rec.OnGetDatenart = [](std::string&) { return tdaKoordinate; };
  rec.OnSetTDA = [](TTransferDatenart) { return std::string("REC500"); };
  rec.OnEditNext = [](const std::string&) { return true; };  // REC 500 has no editor steps
  EXPECT_FALSE(g.BindFormatHandlers("REC500", rec));
  std::string line = "   1 P1";
  EXPECT_EQ(Fmt("REC500").OnGetDatenart(line), tdaKoordinate);
  EXPECT_EQ(Fmt("REC500").OnSetTDA(tdaKoordinate), "REC500");
  EXPECT_FALSE(Fmt("REC500").OnEditNext);
}

TEST_F(CatalogueTest, InstrumentSetupsAreBoundByName) {
  TGeraete& g = Make();
  EXPECT_EQ(TGeraete::InstrumentSetupName("itTPS110"), "itTPS100Setup");
  EXPECT_EQ(TGeraete::InstrumentSetupName("itCR1"), "");
  int calls = 0;
  EXPECT_TRUE(g.BindInstrumentSetup("itTPS110", [&] { ++calls; }));
  It("itTPS110").OnSetup();
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(g.BindInstrumentSetup("itCR1", [&] { ++calls; }));
  EXPECT_FALSE(It("itCR1").OnSetup);
}

TEST_F(CatalogueTest, MakerEventsForwardToTheCommonOperations) {
  Install({"OTS600.DLL"});
  TGeraete& g = Make();
  g.ForEach<THersteller>([](const THersteller& m) {
    EXPECT_TRUE(m.OnCreatePopupMenu && m.OnDatenformatMenu && m.OnCreateTWListen) << m.Name;
  });
  TPopupMenu menu;
  g.Maker("hsFoif")->OnCreatePopupMenu(menu, nullptr);
  ASSERT_EQ(menu.Items.size(), 1u);
  EXPECT_EQ(menu.Items[0].Name, "mnFoif");
  EXPECT_EQ(menu.Items[0].Items[0].Name, "miFoif0");
  TPopupMenu formats;
  g.Maker("hsFoif")->OnDatenformatMenu(formats, nullptr);
  ASSERT_EQ(formats.Items.size(), 2u);
  EXPECT_EQ(formats.Items[0].Name, "dfOGTS7");
  EXPECT_EQ(formats.Items[0].Caption, "OTS7");
}

}  // namespace
}  // namespace veltro::test
