#include "instruments/CodeListen.h"

#include <gtest/gtest.h>

#include "core/Messages.h"
#include "core/Settings.h"
#include "core/Transfer.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "tests/support/TempSettings.h"

namespace veltro::test {
namespace {

constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
const std::string kListSection = "[Software\\VELTRO Marten\\Surtrans\\2.1.1.5\\Configuration\\GSI8\\Code list\\";

class CodeListenTest : public ::testing::Test {
 protected:
  CodeListenTest() {
    ResetCodeLists();
    CurrentTransfer() = TransferState{};
    SetTextProvider([](int n) {
      switch (n) {
        case kTextCodeNotTranslated:
          return std::string("Code %s fehlt in %s");
        case kTextTableBeobachter:
          return std::string("Beobachter");
        default:
          return "T" + std::to_string(n);
      }
    });
  }
  ~CodeListenTest() override {
    SetTextProvider(nullptr);
    ResetCodeLists();
    CurrentTransfer() = TransferState{};
  }

  TempSettings settings;
  ScriptedMessageBox box;
  ScopedMessageBox guard{&box};
};

// ---- Defaults and field access -------------------------------------------------

TEST_F(CodeListenTest, WithNothingStoredTheFourteenDefaultsAreLoaded) {
  ASSERT_EQ(DefaultCodeDefinitions().size(), 14u);
  EXPECT_EQ(DefaultCodeDefinitions().front(), "01;1;0;5|0;2;-1;-1;-1;-1;");
  EXPECT_EQ(DefaultCodeDefinitions().back(), "37;15|3;16|3;-1;-1;-1;-1;-1;-1;");
  EXPECT_EQ(CodeLists().CurrentList, "Default");
  LoadCodeDefinitions();
  EXPECT_EQ(CodeLists().Definitions, DefaultCodeDefinitions());
  EXPECT_EQ(CodeLists().StationCodes, "02;21;23;");
  std::vector<std::string> codes;
  for (const auto& d : CodeLists().Definitions) codes.push_back(DefinitionCode(d));
  EXPECT_EQ(codes, (std::vector<std::string>{"01", "02", "03", "11", "21", "22", "23", "31", "32", "33", "34", "35",
                                             "36", "37"}));
  // Every default holds the code and exactly eight targets.
  for (const auto& d : DefaultCodeDefinitions()) EXPECT_EQ(LimitDefinition(d), d);
  // Loading reads nothing when definitions are held, but renews the station codes.
  CodeLists().Definitions = {"5;9;-1;-1;-1;-1;-1;-1;-1;"};
  LoadCodeDefinitions();
  EXPECT_EQ(CodeLists().Definitions.size(), 1u);
  EXPECT_EQ(CodeLists().StationCodes, "5;");
  EXPECT_FALSE(FileExists(settings.UserFile()));  // loading never writes
}

TEST_F(CodeListenTest, FieldsAreCutAtSemicolonsAndTargetsAtTheBar) {
  const std::string d = "11;1;3|ddmmyyyy;6;2;-1;-1;-1;-1;";
  EXPECT_EQ(CodeField(d, 1), "11");
  EXPECT_EQ(DefinitionCode(d), "11");
  EXPECT_EQ(CodeField(d, 3), "3|ddmmyyyy");
  EXPECT_EQ(TargetField(d, 2), "3|ddmmyyyy");
  EXPECT_EQ(TargetNumberText(TargetField(d, 2)), "3");
  EXPECT_EQ(TargetParameter(TargetField(d, 2)), "ddmmyyyy");
  EXPECT_EQ(TargetNumber(TargetField(d, 2)), 3);
  EXPECT_EQ(TargetParameter(TargetField(d, 1)), "");
  EXPECT_EQ(TargetNumber(TargetField(d, 8)), kTargetNone);
  EXPECT_EQ(CodeField(d, 9), "-1");
  EXPECT_EQ(CodeField(d, 10), "");  // beyond the last ";"
  EXPECT_EQ(CodeField(d, 0), "");
  EXPECT_EQ(TargetField(d, 9), "");  // only eight targets
  // A field without its closing ";" is not a field.
  EXPECT_EQ(CodeField("23;9", 2), "");
  EXPECT_EQ(TargetNumber(""), kTargetNone);
  EXPECT_EQ(TargetNumber("x|3"), kTargetNone);
  EXPECT_EQ(TargetNumber("-7"), kTargetNone);
  EXPECT_EQ(TargetParameter("5|"), "");
  EXPECT_EQ(TargetParameter("8|1|2"), "1|2");
}

TEST_F(CodeListenTest, ParametersOfTargetsAndNewDefinitions) {
  EXPECT_EQ(DefaultTargetParameter(kTargetDatum), "ddmmyyyy");
  EXPECT_EQ(DefaultTargetParameter(kTargetZeit), "hhmmss");
  EXPECT_EQ(DefaultTargetParameter(kTargetDatumZeit), "0");
  EXPECT_EQ(DefaultTargetParameter(kTargetTemperaturLuftdruck), "0");
  for (int t : {11, 14, 15, 16, 17}) EXPECT_EQ(DefaultTargetParameter(t), "3") << t;
  for (int t : {-1, 0, 1, 2, 6, 7, 9, 10, 12, 13, 18, 19, 22}) {
    EXPECT_FALSE(TargetHasParameter(t)) << t;
    EXPECT_EQ(DefaultTargetParameter(t), "") << t;
  }
  EXPECT_EQ(KeptParameter("3|ddmmyy", 3), "ddmmyy");
  EXPECT_EQ(KeptParameter("3", 3), "ddmmyyyy");       // no "|": default
  EXPECT_EQ(KeptParameter("4|hhmm", 3), "ddmmyyyy");  // other target: default
  EXPECT_EQ(TargetFieldText(3, "ddmmyy"), "3|ddmmyy");
  EXPECT_EQ(TargetFieldText(9, "x"), "9");
  EXPECT_EQ(TargetFieldText(-1, ""), "-1");
  EXPECT_EQ(NewCodeDefinition("45"), "45;;;;;;;;;");
  EXPECT_EQ(TargetField(NewCodeDefinition("45"), 8), "");
  EXPECT_EQ(ReplaceDefinitionCode("01;1;0;5|0;2;-1;-1;-1;-1;", "07"), "07;1;0;5|0;2;-1;-1;-1;-1;");
  EXPECT_EQ(ReplaceDefinitionCode("", "07"), "07;");
  EXPECT_EQ(LimitDefinition("01;1;2;3;4;5;6;7;8;9;10;"), "01;1;2;3;4;5;6;7;8;");
  EXPECT_EQ(LimitDefinition("01;1;"), "01;1;");
  // Target 9 anywhere among the eight targets, matched exactly.
  EXPECT_EQ(BuildStationCodes({"1;9;", "2;19;", "3;8;", "4;-1;9|x;", "19;1;", "6;1;2;3;4;5;6;7;8;9;"}), "1;4;");
}

// ---- Storage ---------------------------------------------------------------------

TEST_F(CodeListenTest, SavedDefinitionsLoadBackUnderTheirListName) {
  CodeLists().CurrentList = "Vermessung";
  CodeLists().Definitions = {"41;9;10;-1;-1;-1;-1;-1;-1;", "42;3|yymmdd;4|hhmm;-1;-1;-1;-1;-1;-1;", "7;;;;;;;;;"};
  SaveCodeDefinitions();
  const std::string file = ReadFile(settings.UserFile());
  EXPECT_NE(file.find(kListSection + "Vermessung]\n0=41;9;10;-1;-1;-1;-1;-1;-1;\n"), std::string::npos) << file;

  ResetCodeLists();
  CodeLists().CurrentList = "Vermessung";
  LoadCodeDefinitions();
  EXPECT_EQ(CodeLists().Definitions,
            (TextLines{"41;9;10;-1;-1;-1;-1;-1;-1;", "42;3|yymmdd;4|hhmm;-1;-1;-1;-1;-1;-1;", "7;;;;;;;;;"}));
  EXPECT_EQ(CodeLists().StationCodes, "41;");

  // Saving a shorter list replaces the stored one entirely.
  CodeLists().Definitions = {"99;-1;-1;-1;-1;-1;-1;-1;-1;"};
  SaveCodeDefinitions();
  EXPECT_EQ(StoredDefinitionNames("Vermessung"), std::vector<std::string>{"0"});
  ReloadCodeDefinitions();
  EXPECT_EQ(CodeLists().Definitions, TextLines{"99;-1;-1;-1;-1;-1;-1;-1;-1;"});
}

TEST_F(CodeListenTest, TwelveStoredEntriesLoadInNumericOrderWhateverTheFileOrder) {
  std::string ini = kListSection + "Zwoelf]\n";
  for (int i : {0, 1, 10, 11, 2, 3, 4, 5, 6, 7, 8, 9})
    ini += std::to_string(i) + "=" + std::to_string(50 + i) + ";9;\n";
  ini += "@=default value\nNotiz=kein Code\n";
  std::filesystem::create_directories(settings.Dir() / "user");
  WriteFile(settings.UserFile(), ini);

  CodeLists().CurrentList = "Zwoelf";
  LoadCodeDefinitions();
  ASSERT_EQ(CodeLists().Definitions.size(), 13u);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(CodeLists().Definitions[i], std::to_string(50 + i) + ";9;") << i;
  EXPECT_EQ(CodeLists().Definitions[12], "kein Code");  // a name that is no number comes last
  EXPECT_EQ(StoredDefinitionNames("Zwoelf").front(), "0");
  EXPECT_EQ(StoredDefinitionNames("Zwoelf")[10], "10");
}

TEST_F(CodeListenTest, AStoredEntryWithMoreThanEightTargetsReadsOnlyEight) {
  WriteRegString(kUser, CodeListKey("Lang") + "\\0", "01;1;2;3;4;5;6;7;8;9;10;", true);
  WriteRegString(kUser, CodeListKey("Lang") + "\\1", "02;9;", true);
  CodeLists().CurrentList = "Lang";
  LoadCodeDefinitions();
  EXPECT_EQ(CodeLists().Definitions, (TextLines{"01;1;2;3;4;5;6;7;8;", "02;9;"}));
  EXPECT_EQ(TargetField(CodeLists().Definitions[0], 8), "8");
  EXPECT_EQ(CodeLists().StationCodes, "02;");  // "9;" of the cut ninth target no longer counts
}

TEST_F(CodeListenTest, ListNamesAreTheSubKeysAndCanBeDeleted) {
  EXPECT_TRUE(CodeListNames().empty());
  CodeLists().Definitions = DefaultCodeDefinitions();
  CodeLists().CurrentList = "Nord";
  SaveCodeDefinitions();
  CodeLists().CurrentList =
      "S\xFC"
      "d";
  SaveCodeDefinitions();
  CodeLists().CurrentList = "Leer";
  CodeLists().Definitions.clear();
  SaveCodeDefinitions();  // an empty list still exists by name
  EXPECT_EQ(CodeListNames(), (std::vector<std::string>{"Nord",
                                                       "S\xFC"
                                                       "d",
                                                       "Leer"}));
  EXPECT_TRUE(CodeListExists("nord"));
  EXPECT_EQ(StoredCodeListName("NORD"), "Nord");
  EXPECT_EQ(StoredCodeListName("s\xDC"
                               "D"),
            "S\xFC"
            "d");
  EXPECT_FALSE(CodeListExists("West"));
  EXPECT_FALSE(CodeListExists(""));
  DeleteCodeList("Nord");
  EXPECT_EQ(CodeListNames(), (std::vector<std::string>{"S\xFC"
                                                       "d",
                                                       "Leer"}));
  DeleteCodeList("West");  // nothing to delete
  DeleteCodeList("");      // never the root key
  EXPECT_EQ(CodeListNames().size(), 2u);
}

TEST_F(CodeListenTest, NamesThatWouldNameAnotherKeyAreInvalidAndNeverStored) {
  EXPECT_TRUE(IsValidCodeListName("Default"));
  EXPECT_TRUE(IsValidCodeListName("Los 3 (alt)"));
  EXPECT_FALSE(IsValidCodeListName(""));
  EXPECT_FALSE(IsValidCodeListName("   "));
  EXPECT_FALSE(IsValidCodeListName("a\\b"));
  EXPECT_FALSE(IsValidCodeListName("a/b"));
  EXPECT_FALSE(IsValidCodeListName("\\"));
  CodeLists().Definitions = DefaultCodeDefinitions();
  CodeLists().CurrentList = "Nord\\Sued";
  SaveCodeDefinitions();
  CodeLists().CurrentList = "";
  SaveCodeDefinitions();
  EXPECT_FALSE(FileExists(settings.UserFile()));
  // A hand-made key below an invalid name is not read as a list.
  WriteRegString(kUser, CodeListKey("A") + "\\B\\0", "5;9;", true);
  ResetCodeLists();
  CodeLists().CurrentList = "A\\B";
  LoadCodeDefinitions();
  EXPECT_EQ(CodeLists().Definitions, DefaultCodeDefinitions());
}

TEST_F(CodeListenTest, MultiLineTablesSurviveTheSettingsFile) {
  std::array<TextLines, kCodeTableCount> tables = {
      TextLines{"Projekt Nord", "", "Los 3; Teil=2 100%", "  eingerückt  "},
      TextLines{"Meier", "M\xFCller"},
      TextLines{},
      TextLines{"Mauer", "Baum", ""},
  };
  SaveCodeTables(tables);
  EXPECT_EQ(CodeLists().Tables, tables);
  // One line per value in the file.
  const std::string file = ReadFile(settings.UserFile());
  EXPECT_NE(file.find("\nJobs=Projekt Nord%0D%0A%0D%0A"), std::string::npos) << file;

  ResetCodeLists();
  LoadCodeTables(true);
  EXPECT_EQ(CodeLists().Tables[0], tables[0]);
  EXPECT_EQ(CodeLists().Tables[1], tables[1]);
  EXPECT_TRUE(CodeLists().Tables[2].empty());
  EXPECT_EQ(CodeLists().Tables[3], tables[3]);  // the empty code 2 is kept
}

TEST_F(CodeListenTest, TablesLoadOnlyWhenForcedOrCodingIsOnAndEmptyValuesKeepTheTable) {
  SaveCodeTables({TextLines{"P"}, TextLines{"B"}, TextLines{}, TextLines{"C"}});
  ResetCodeLists();
  CodeLists().Tables[2] = {"Instrument vorher"};
  LoadCodeTables(false);
  EXPECT_TRUE(CodeLists().Tables[0].empty());
  CodeLists().UseGsiCodes = true;
  LoadCodeTables(false);
  EXPECT_EQ(CodeLists().Tables[0], TextLines{"P"});
  EXPECT_EQ(CodeLists().Tables[2], TextLines{"Instrument vorher"});
  EXPECT_STREQ(CodeTableValueName(kTableInstrumente), "Instruments");
  EXPECT_STREQ(CodeTableValueName(4), "");
}

// ---- Translation -------------------------------------------------------------------

TEST_F(CodeListenTest, WithCodingOffTheValueComesBackAndNothingIsNoted) {
  CodeLists().Tables[1] = {"Meier", "Huber"};
  EXPECT_EQ(TranslateCode("1", kTableBeobachter), "1");
  EXPECT_EQ(TranslateCode("77", kTableBeobachter), "77");
  EXPECT_TRUE(CurrentTransfer().Messages.empty());
}

TEST_F(CodeListenTest, TranslationTakesTheLineOfTheCodeNumber) {
  CodeLists().UseGsiCodes = true;
  CodeLists().Tables[1] = {"Meier", "Huber"};
  EXPECT_EQ(TranslateCode("1", kTableBeobachter), "Huber");
  EXPECT_EQ(TranslateCode("0", kTableBeobachter), "Meier");
  EXPECT_EQ(TranslateCode("abc", kTableBeobachter), "Meier");  // not an integer: code 0
  EXPECT_EQ(TranslateCode("", kTableBeobachter), "Meier");
  EXPECT_EQ(TranslateCode("1.5", kTableBeobachter), "Meier");
  EXPECT_EQ(TranslateCode(" 1", kTableBeobachter), "Huber");
  EXPECT_EQ(TranslateCode("+1", kTableBeobachter), "Huber");
  EXPECT_TRUE(CurrentTransfer().Messages.empty());

  EXPECT_EQ(TranslateCode("2", kTableBeobachter), "2");  // no such line: the value, noted
  EXPECT_EQ(TranslateCode("-1", kTableBeobachter), "-1");
  EXPECT_EQ(TranslateCode("99999999999", kTableBeobachter), "Meier");  // too large for a number: code 0
  EXPECT_EQ(CurrentTransfer().Messages, (TextLines{"Code 2 fehlt in Beobachter", "Code -1 fehlt in Beobachter"}));
}

TEST_F(CodeListenTest, AnEmptyTableLineGivesAnEmptyTextAndIsNoted) {
  CodeLists().UseGsiCodes = true;
  CodeLists().Tables[3] = {"Mauer", "", "Baum"};
  EXPECT_EQ(TranslateCode("1", kTablePunktcodes), "");
  EXPECT_EQ(TranslateCode("2", kTablePunktcodes), "Baum");
  EXPECT_EQ(TranslateCode("0", kTableProjekte), "0");  // empty table
  EXPECT_EQ(CurrentTransfer().Messages, (TextLines{"Code 1 fehlt in T263", "Code 0 fehlt in T367"}));
  EXPECT_EQ(CodeTableName(kTableInstrumente), "T132");
  // Message text from the language is never a printf pattern.
  CodeLists().Tables[0].clear();
  EXPECT_EQ(TranslateCode("%s%n", kTableProjekte), "%s%n");
  EXPECT_EQ(CurrentTransfer().Messages.back(), "Code %s%n fehlt in T367");
}

// ---- Main window settings -------------------------------------------------------------

TEST_F(CodeListenTest, SettingsReadDefaultsAndCreateTheKeyOfTheCurrentList) {
  ReadCodeListSettings();
  EXPECT_EQ(CodeLists().CurrentList, "Default");
  EXPECT_EQ(CodeLists().AttributePosition, 0);
  EXPECT_FALSE(CodeLists().UseGsiCodes);
  EXPECT_TRUE(RegKeyExists(kUser, CodeListKey("Default")));
  EXPECT_EQ(CodeListNames(), std::vector<std::string>{"Default"});

  CodeLists().CurrentList = "Baustelle";
  CodeLists().AttributePosition = 1;
  CodeLists().UseGsiCodes = true;
  WriteCodeListSettings();
  EXPECT_EQ(ReadRegString(kUser, ConfigPath("GSI8\\Code list\\"), ""), "Baustelle");
  ResetCodeLists();
  ReadCodeListSettings();
  EXPECT_EQ(CodeLists().CurrentList, "Baustelle");
  EXPECT_EQ(CodeLists().AttributePosition, 1);
  EXPECT_TRUE(CodeLists().UseGsiCodes);
  EXPECT_TRUE(CodeListExists("Baustelle"));
}

TEST_F(CodeListenTest, EmptyOrInvalidStoredSettingsFallBack) {
  WriteRegString(kUser, ConfigPath("GSI8\\Code list\\"), "", true);
  WriteRegString(kUser, ConfigPath("GSI8\\Attributs past measuring"), "5", true);
  ReadCodeListSettings();
  EXPECT_EQ(CodeLists().CurrentList, "Default");
  EXPECT_EQ(CodeLists().AttributePosition, 0);
  WriteRegString(kUser, ConfigPath("GSI8\\Code list\\"), "..\\Fremd", true);
  ReadCodeListSettings();
  EXPECT_EQ(CodeLists().CurrentList, "Default");
  EXPECT_FALSE(RegKeyExists(kUser, CodeListKey("..")));
}

// ---- Patterns and point-code lines ------------------------------------------------------

TEST_F(CodeListenTest, DateAndTimePatternsMustReadBackTheirOwnText) {
  EXPECT_TRUE(IsUsableDatePattern("ddmmyyyy"));
  EXPECT_TRUE(IsUsableDatePattern("DDMMYY"));
  EXPECT_TRUE(IsUsableDatePattern("mmddyyyy"));
  EXPECT_TRUE(IsUsableDatePattern("yyyymmdd"));
  EXPECT_TRUE(box.Messages().empty());
  EXPECT_FALSE(IsUsableDatePattern(""));
  EXPECT_FALSE(IsUsableDatePattern("yyyy"));  // no day and month: cannot be read
  EXPECT_FALSE(IsUsableDatePattern("dmy"));   // "81226" reads as another date
  EXPECT_TRUE(IsUsableTimePattern("hhmmss"));
  EXPECT_TRUE(IsUsableTimePattern("HHMM"));
  EXPECT_FALSE(IsUsableTimePattern(""));
  EXPECT_FALSE(IsUsableTimePattern("hh"));      // a time needs hours and minutes
  EXPECT_FALSE(IsUsableTimePattern("sshhmm"));  // read as hours first
  EXPECT_FALSE(box.Messages().empty());         // unreadable ones report the date/time error
}

TEST_F(CodeListenTest, PointCodeRowsAreJoinedAndChecked) {
  EXPECT_EQ(PointCodeRowLine({"MA", "12", "Mauer"}),
            "MA\xA6"
            "12\xA6Mauer");
  EXPECT_EQ(PointCodeRowLine({"MA", "", ""}), "MA\xA6\xA6");
  EXPECT_EQ(PointCodeRowLine({"", "", ""}), "");  // an empty row is no line
  EXPECT_TRUE(
      IsValidPointCodeLine("MA\xA6"
                           "12\xA6Mauer"));
  EXPECT_TRUE(IsValidPointCodeLine("MA\xA6\xA6"));          // empty entity passes
  EXPECT_TRUE(IsValidPointCodeLine("MA\xA6 -1.5+ \xA6L"));  // digits, "+", "-", "." and outer blanks
  EXPECT_TRUE(IsValidPointCodeLine("MA"));
  EXPECT_FALSE(
      IsValidPointCodeLine("\xA6"
                           "12\xA6L"));  // no code
  EXPECT_FALSE(
      IsValidPointCodeLine("MA\xA6"
                           "1 2\xA6L"));  // inner blank
  EXPECT_FALSE(IsValidPointCodeLine("MA\xA6x\xA6L"));

  EXPECT_TRUE(
      IsPointCodeLine("MA\xA6"
                      "12\xA6L"));
  EXPECT_FALSE(
      IsPointCodeLine("\xA6"
                      "12"));
  EXPECT_FALSE(IsPointCodeLine("1;100.0;200.0;0;MA;"));
  EXPECT_FALSE(IsPointCodeLine(""));
  SetPointCodeLineTest([](const std::string& line) { return line == "ok"; });
  EXPECT_TRUE(IsPointCodeLine("ok"));
  EXPECT_FALSE(
      IsPointCodeLine("MA\xA6"
                      "12\xA6L"));
  SetPointCodeLineTest(nullptr);
  EXPECT_TRUE(
      IsPointCodeLine("MA\xA6"
                      "12\xA6L"));
}

}  // namespace
}  // namespace veltro::test
