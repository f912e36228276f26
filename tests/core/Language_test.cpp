#include "core/Language.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "core/Messages.h"
#include "platform/DynamicLibrary.h"

namespace veltro::test {
namespace {

const std::string kProgramDir = VELTRO_BUILD_DIR "/app/";
const std::string kTestLibDir = VELTRO_BUILD_DIR "/lang/testlibs/";

// Every text number the program asks its language libraries for ("a-b" is a
// range).
std::vector<int> UsedTextNumbers() {
  static const char kUsed[] =
      "15 16 18 19 20 21 22 23 24 25 26 32 33 34 35 39 40 41 42 43 44 46 47 48 50 51 52 53 54 55 56 57 58 59 60 "
      "61 62 63 65 66 67 68 69 70 72 73 74 75 76 77 79 94 95 98 99 113 114 116 117 128 129 131 132 134 140 141 "
      "143 144 146 153 155-167 171 172 177 178 187 188 190 202 203 204 205 208 211 213 214 216 219 220 221 "
      "234-239 244-248 260 261 263 266 276 278 283 284 286 287 300 301 302 307-310 313 314 315 317 319 325 327 "
      "328 330-334 336 337 338 340-352 356 357 358 359 361-375 381 390-401 436 445-448 467 472-475 486 487 496 "
      "509 510 512-518 521 524 537 540 546 567 568 569 570 572 589 590 591 592 595 596 599 600 601 602 608 "
      "610-614 616-619 622-625 628-636 638-642 644-655 658-661 663 60090 60091 700 701 710-721 "
      "760-769 "   // coordinate-system library
      "770-779 "   // instrument transfer sequence, converter
      "780-789 "   // instrument selection and port settings
      "810-815 "   // template format
      "820-827 "   // file viewer
      "830-839 "   // record editor
      "840-845 "   // DXF
      "850-854 "   // DL-100
      "855-856 "   // controller and GPS formats
      "870-879 884-889 "  // exchange formats of GIS tools
      "880-883 "   // SDR
      "890-894 "   // office formats
      "910-915 "   // REC 500
      "940 ";      // format definition editor
  std::vector<int> numbers;
  std::istringstream in(kUsed);
  std::string token;
  while (in >> token) {
    size_t dash = token.find('-');
    int from = std::stoi(token.substr(0, dash));
    int to = dash == std::string::npos ? from : std::stoi(token.substr(dash + 1));
    for (int n = from; n <= to; ++n) numbers.push_back(n);
  }
  return numbers;
}

// Texts filled with FormatText, and how many placeholders their callers pass.
const std::map<int, int> kPatterns = {{34, 1},  {366, 2}, {486, 1}, {569, 1}, {589, 1}, {608, 1}, {617, 1},
                                      {618, 1}, {639, 1}, {640, 1}, {641, 1}, {642, 1}, {660, 1}, {661, 1},
                                      {711, 1}, {712, 1}, {713, 2}, {714, 3}, {717, 1}, {718, 1}, {719, 1}, {720, 1}, {721, 1},
                                      {740, 2}, {741, 1}, {742, 3}, {743, 1}, {744, 1}, {745, 2}, {746, 1}, {747, 3},
                                      {766, 1}, {769, 1}, {770, 1}, {772, 1}, {774, 2}, {775, 2},
                                      {782, 2}, {783, 3}, {784, 1},
                                      {810, 1}, {811, 1}, {812, 2}, {813, 1}, {814, 2},
                                      {830, 3},
                                      {840, 2}, {841, 1}, {842, 1}, {843, 1}, {844, 1}, {845, 1},
                                      {850, 2}, {851, 3}, {852, 3}, {854, 1},
                                      {855, 1}, {856, 1},
                                      {880, 2}, {881, 3}, {882, 3}, {883, 3},
                                      {875, 1}, {876, 3}, {877, 3}, {878, 3}, {879, 3}, {884, 3}, {885, 2},
                                      {886, 2}, {887, 3}, {888, 1}, {889, 2},
                                      {890, 1}, {892, 1}, {893, 1}, {894, 1},
                                      {910, 1}, {911, 1}, {912, 1}, {913, 2}, {914, 2}, {915, 1},
                                      {940, 1},
};

int Placeholders(const std::string& text) {
  int count = 0;
  for (size_t i = 0; i + 1 < text.size(); ++i)
    if (text[i] == '%' && (text[i + 1] == 's' || text[i + 1] == 'd')) ++count;
  return count;
}

class LanguageTest : public ::testing::Test {
 protected:
  LanguageTest() { SetInstallationDirectory(kProgramDir); }
  ~LanguageTest() override {
    UnloadLanguage();
    SetInstallationDirectory("");
    SetTextProvider(nullptr);
  }
  static const TSprache& Entry(const std::string& name) { return *FindSprache(name); }
};

// ---- Catalogue ---------------------------------------------------------------

TEST(LanguageCatalogue, NineLanguagesInMenuOrder) {
  const auto& all = Sprachen();
  ASSERT_EQ(all.size(), 9u);
  const char* names[] = {"Deutsch",     "Englisch",     "Finnisch", "Franzoesisch", "Hollaendisch",
                         "Italienisch", "Portugisisch", "Slawisch", "Spanisch"};
  const char* files[] = {"LANGDES.DLL", "LANGENG.DLL", "LANGFIN.DLL", "LANGFRA.DLL", "LANGNLD.DLL",
                         "LANGITS.DLL", "LANGPTG.DLL", "LANGSLA.DLL", "LANGESN.DLL"};
  for (size_t i = 0; i < all.size(); ++i) {
    EXPECT_EQ(all[i].Order, static_cast<int>(i));
    EXPECT_EQ(all[i].Name, names[i]);
    EXPECT_EQ(all[i].LanguageFile, files[i]);
  }
  EXPECT_EQ(all[4].Caption, "&Holl\xE4ndisch");
  EXPECT_EQ(all[5].Caption, "&Italiensich");
  EXPECT_EQ(all[7].HelpFile, "SurtransDES.chm");
  EXPECT_EQ(FindSprache("Spanisch"), &all[8]);
  EXPECT_EQ(FindSprache("spanisch"), nullptr);
}

// ---- Entry encoding ------------------------------------------------------------

TEST(TextEntryEncoding, CaptionItemsAndHint) {
  TextEntry e = SplitTextEntry("Parit\xE4t\xA6Keine\xA6Gerade\xA7Parit\xE4tsbit");
  EXPECT_EQ(e.caption, "Parit\xE4t");
  EXPECT_EQ(e.items, (std::vector<std::string>{"Keine", "Gerade"}));
  EXPECT_EQ(e.hint, "Parit\xE4tsbit");
  EXPECT_TRUE(e.hasItems);

  // The hint ends at the next separator, wherever it stands.
  e = SplitTextEntry(
      "Cap\xA7Tipp\xA6"
      "a\xA6"
      "b");
  EXPECT_EQ(e.caption, "Cap");
  EXPECT_EQ(e.hint, "Tipp");
  EXPECT_EQ(e.items, (std::vector<std::string>{"a", "b"}));
}

TEST(TextEntryEncoding, PlainEmptyAndEdgeEntries) {
  TextEntry e = SplitTextEntry("&Ok");
  EXPECT_EQ(e.caption, "&Ok");
  EXPECT_TRUE(e.items.empty());
  EXPECT_FALSE(e.hasItems);
  EXPECT_EQ(e.hint, "");

  e = SplitTextEntry("");
  EXPECT_EQ(e.caption, "");
  EXPECT_FALSE(e.hasItems);

  e = SplitTextEntry(
      "\xA6"
      "ddmmhhmm\xA6mmddhhmm");  // no caption
  EXPECT_EQ(e.caption, "");
  EXPECT_EQ(e.items, (std::vector<std::string>{"ddmmhhmm", "mmddhhmm"}));

  e = SplitTextEntry("x\xA6\xA6");  // two empty items
  EXPECT_EQ(e.items, (std::vector<std::string>{"", ""}));

  e = SplitTextEntry(
      "x\xA7"
      "eins\xA7zwei");  // the first hint counts
  EXPECT_EQ(e.hint, "eins");
  EXPECT_TRUE(e.items.empty());
}

TEST(TextEntryEncoding, HashEscapes) {
  EXPECT_EQ(ExpandTextEscapes("eins#13#10zwei"), "eins\r\nzwei");
  EXPECT_EQ(ExpandTextEscapes("Nr.# 5"), "Nr.# 5");
  EXPECT_EQ(ExpandTextEscapes("#"), "#");
  EXPECT_EQ(ExpandTextEscapes("a#"), "a#");
  EXPECT_EQ(ExpandTextEscapes("##65"), "#A");
  EXPECT_EQ(ExpandTextEscapes("#065"), "A");
  EXPECT_EQ(ExpandTextEscapes("#255"), "\xFF");
  EXPECT_EQ(ExpandTextEscapes("#9x"), "\tx");
}

TEST(TextEntryEncoding, HashEscapesNeverInsertNulOrOverflow) {
  EXPECT_EQ(ExpandTextEscapes("#0"), "#0");
  EXPECT_EQ(ExpandTextEscapes("#000"), "#000");
  EXPECT_EQ(ExpandTextEscapes("#256"), "#256");
  EXPECT_EQ(ExpandTextEscapes("#999999999999"), "#999999999999");
  // At most three digits belong to an escape.
  EXPECT_EQ(ExpandTextEscapes("#0651"), "A1");
  EXPECT_EQ(ExpandTextEscapes("#1234"), "{4");
  std::string out = ExpandTextEscapes("#0#00#4294967296");
  EXPECT_EQ(out.find('\0'), std::string::npos);
}

TEST(TextEntryEncoding, RemoveFirstAndHintArgument) {
  EXPECT_EQ(RemoveFirst("&Datei &neu", '&'), "Datei &neu");
  EXPECT_EQ(RemoveFirst("ohne", '&'), "ohne");
  EXPECT_TRUE(IsHintArgument("HINT"));
  EXPECT_TRUE(IsHintArgument("hint"));
  EXPECT_TRUE(IsHintArgument("hInT"));
  EXPECT_FALSE(IsHintArgument("HINTS"));
  EXPECT_FALSE(IsHintArgument(""));
  EXPECT_FALSE(IsHintArgument("ADMIN"));
}

// ---- Loading and GetText ------------------------------------------------------------

TEST_F(LanguageTest, NoLibraryMeansEmptyTexts) {
  EXPECT_FALSE(LanguageLoaded());
  EXPECT_EQ(GetText(98), "");
  EXPECT_EQ(ActiveLanguageFile(), "");
  EXPECT_EQ(ActiveLanguageHandle(), nullptr);
}

TEST_F(LanguageTest, LoadsTheRealLibrariesAndSwitches) {
  ASSERT_TRUE(LoadLanguage(Entry("Deutsch")));
  EXPECT_TRUE(LanguageLoaded());
  EXPECT_EQ(ActiveLanguageFile(), "LANGDES.DLL");
  EXPECT_NE(ActiveLanguageHandle(), nullptr);
  EXPECT_EQ(GetText(98), "&Ok");
  EXPECT_EQ(GetText(143), "Transfer l\xE4uft");  // code page 1252

  ASSERT_TRUE(LoadLanguage(Entry("Englisch")));
  EXPECT_EQ(ActiveLanguageFile(), "LANGENG.DLL");
  EXPECT_EQ(GetText(98), "&OK");
  EXPECT_EQ(GetText(123456), "");  // not held
  EXPECT_EQ(GetText(-1), "");

  UnloadLanguage();
  EXPECT_EQ(GetText(98), "");
  UnloadLanguage();
}

TEST_F(LanguageTest, AFailedSwitchKeepsThePreviousLanguage) {
  ASSERT_TRUE(LoadLanguage(Entry("Deutsch")));
  EXPECT_FALSE(LoadLanguage(Entry("Finnisch")));  // not installed
  EXPECT_EQ(ActiveLanguageFile(), "LANGDES.DLL");
  EXPECT_EQ(GetText(99), "Ab&brechen");

  TSprache broken{"Kaputt", "&Kaputt", "../../lang/testlibs/NOTTHERE.DLL", "", 9, 0};
  EXPECT_FALSE(LoadLanguage(broken));
  EXPECT_EQ(GetText(99), "Ab&brechen");
}

TEST_F(LanguageTest, NullAnswersAndMissingExportGiveEmptyTexts) {
  SetInstallationDirectory(kTestLibDir);
  ASSERT_TRUE(LoadLanguage({"Null", "", "LANGNULLTEXTS.DLL", "", 0, 0}));
  EXPECT_EQ(GetText(1), "eins");
  EXPECT_EQ(GetText(2), "");

  ASSERT_TRUE(LoadLanguage({"NoExport", "", "LANGNOEXPORT.DLL", "", 0, 0}));
  EXPECT_TRUE(LanguageLoaded());
  EXPECT_EQ(GetText(1), "");
}

TEST_F(LanguageTest, AnInstalledProviderOverridesTheLibrary) {
  ASSERT_TRUE(LoadLanguage(Entry("Englisch")));
  SetTextProvider([](int n) { return "T" + std::to_string(n); });
  EXPECT_EQ(GetText(98), "T98");
  SetTextProvider(nullptr);
  EXPECT_EQ(GetText(98), "&OK");
}

// ---- The shipped libraries --------------------------------------------------------------

class ShippedLibrary : public LanguageTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ShippedLibrary, HoldsEveryUsedTextInCodePage1252) {
  ASSERT_TRUE(LoadLanguage(Entry(GetParam())));
  for (int n : UsedTextNumbers()) {
    std::string text = GetText(n);
    EXPECT_FALSE(text.empty()) << "text " << n;
    for (unsigned char c : text) EXPECT_GE(c, 0x20) << "control character in text " << n;
  }
}

TEST_P(ShippedLibrary, PatternsHoldExactlyTheirPlaceholdersAndOtherTextsNone) {
  ASSERT_TRUE(LoadLanguage(Entry(GetParam())));
  for (int n : UsedTextNumbers()) {
    auto it = kPatterns.find(n);
    std::string text = GetText(n);
    if (it != kPatterns.end()) {
      EXPECT_EQ(Placeholders(text), it->second) << "text " << n;
    } else {
      EXPECT_EQ(text.find('%'), std::string::npos) << "text " << n;
    }
  }
  EXPECT_NE(GetText(608).find("%s"), std::string::npos);
}

TEST_P(ShippedLibrary, ListsHaveTheItemsTheirCallersCount) {
  ASSERT_TRUE(LoadLanguage(Entry(GetParam())));
  EXPECT_EQ(SplitTextEntry(GetText(140)).items.size(), 5u);   // parities
  EXPECT_EQ(SplitTextEntry(GetText(141)).items.size(), 7u);   // flow controls
  EXPECT_EQ(SplitTextEntry(GetText(146)).items.size(), 5u);   // line ends
  EXPECT_EQ(SplitTextEntry(GetText(337)).items.size(), 23u);  // GSI code targets 0 to 22
  EXPECT_EQ(SplitTextEntry(GetText(341)).items.size(), 2u);   // attribution
  EXPECT_EQ(SplitTextEntry(GetText(357)).items.size(), 11u);  // scales 0 to 10
  EXPECT_EQ(GetText(60090),
            "\xA6"
            "ddmmhhmm\xA6mmddhhmm\xA6hhmmmmdd\xA6hhmmddmm");
  EXPECT_EQ(GetText(60091), "\xA6ttttpppp\xA6pppptttt");
  // Grid headers are split whole: every part is a column title.
  EXPECT_EQ(SplitTextEntry(GetText(638)).items.size() + 1, 4u);
  EXPECT_EQ(SplitTextEntry(GetText(654)).items.size() + 1, 3u);
  // The shipped key sequence of the GTS-210 (old and new firmware).
  EXPECT_EQ(SplitTextEntry(GetText(131)).items.size(), 9u);
  EXPECT_EQ(SplitTextEntry(GetText(314)).items.size(), 15u);
  // Coordinate-system dialog: four column titles, six system groups.
  EXPECT_EQ(SplitTextEntry(GetText(761)).items.size() + 1, 4u);
  EXPECT_EQ(SplitTextEntry(GetText(762)).items.size() + 1, 6u);
}

TEST_P(ShippedLibrary, FiltersOfInstrumentKindsChainIntoFormatFilters) {
  ASSERT_TRUE(LoadLanguage(Entry(GetParam())));
  for (int n : {19, 338, 628, 632}) EXPECT_EQ(GetText(n).back(), '|') << "text " << n;
  for (int n : {20,  22,  24,  26,  57,  58,  59,  167, 178, 359, 370, 371, 372,
                373, 374, 375, 591, 592, 599, 622, 624, 629, 633, 634, 636, 663}) {
    std::string f = GetText(n);
    EXPECT_NE(f.back(), '|') << "text " << n;
    EXPECT_EQ(std::count(f.begin(), f.end(), '|') % 2, 1) << "text " << n;  // pairs of name|pattern
  }
}

TEST(ShippedLibraries, GermanTextsForTheShippedKeySequence) {
  SetInstallationDirectory(kProgramDir);
  ASSERT_TRUE(LoadLanguage(*FindSprache("Deutsch")));
  TextEntry old = SplitTextEntry(GetText(131));
  EXPECT_EQ(old.items[4], "5. F1: MESSDATEN SENDEN ");
  EXPECT_EQ(old.items[8], "    F4: [NEIN]");
  TextEntry neu = SplitTextEntry(GetText(314));
  EXPECT_EQ(neu.items[12],
            "7. AUFTRAG \xD6"
            "FFNEN");
  UnloadLanguage();
  SetInstallationDirectory("");
}

INSTANTIATE_TEST_SUITE_P(German, ShippedLibrary, ::testing::Values("Deutsch"));
INSTANTIATE_TEST_SUITE_P(English, ShippedLibrary, ::testing::Values("Englisch"));

// ---- Program string table -----------------------------------------------------------------

TEST(ProgramStrings, TitlesPerPrimaryLanguage) {
  EXPECT_EQ(ProgramString(1738), "Warnung");
  EXPECT_EQ(ProgramString(1741), "Best\xE4tigung");
  EXPECT_EQ(ProgramString(1937), "Error in date or time");
  EXPECT_EQ(ProgramString(2038), "Atenci\xF3n");
  EXPECT_EQ(ProgramString(2140), "Tiedote");
  EXPECT_EQ(ProgramString(2237), "Erreur d'exploitation de la date et de l'heure.");
  EXPECT_EQ(ProgramString(2638), "Attentione");
  EXPECT_EQ(ProgramString(3241), "Confirma\xE7\xE3o");
  EXPECT_EQ(ProgramString(1742), "");
  EXPECT_EQ(ProgramString(2337), "");  // no Dutch texts
}

}  // namespace
}  // namespace veltro::test
