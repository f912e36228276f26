#include "platform/Registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "tests/support/TempSettings.h"
#include "tests/support/TransferFixture.h"

namespace veltro::test {
namespace {

constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;

class RegistryTest : public ::testing::Test {
 protected:
  TempSettings settings;
  std::string File() const { return settings.UserFile(); }
};

TEST_F(RegistryTest, MissingFileAnswersDefaultsAndNothingExists) {
  EXPECT_EQ(ReadRegInteger(kUser, "Software\\A\\Zahl", 17), 17);
  EXPECT_EQ(ReadRegString(kUser, "Software\\A\\Text", "vorgabe"), "vorgabe");
  EXPECT_TRUE(ReadRegBool(kUser, "Software\\A\\Flag", true));
  EXPECT_FALSE(RegKeyExists(kUser, "Software\\A"));
  EXPECT_FALSE(RegValueExists(kUser, "Software\\A\\Zahl"));
  EXPECT_TRUE(RegValueNames(kUser, "Software\\A").empty());
  EXPECT_FALSE(FileExists(File()));  // reading never creates the file
}

TEST_F(RegistryTest, DefaultValueOfAKeyIsAddressedByATrailingBackslash) {
  const std::string key = "Software\\A\\GSI8\\Code list";
  ASSERT_TRUE(WriteRegString(kUser, key + "\\", "Vermessung", true));
  EXPECT_EQ(ReadRegString(kUser, key + "\\", "Default"), "Vermessung");
  EXPECT_TRUE(RegKeyExists(kUser, key));
  // Not a value "Code list" of the parent key.
  EXPECT_FALSE(RegValueExists(kUser, "Software\\A\\GSI8\\Code list"));
  EXPECT_EQ(RegValueNames(kUser, key), std::vector<std::string>{""});
  EXPECT_EQ(ReadFile(File()), "[Software\\A\\GSI8\\Code list]\n@=Vermessung\n");
  // A value really named "@" is another value.
  ASSERT_TRUE(WriteRegString(kUser, key + "\\@", "at", true));
  EXPECT_EQ(ReadRegString(kUser, key + "\\", ""), "Vermessung");
  EXPECT_EQ(ReadRegString(kUser, key + "\\@", ""), "at");
}

TEST_F(RegistryTest, AlwaysDecidesWhetherAnExistingValueIsOverwritten) {
  const std::string p = "Software\\A\\Configuration\\Methode";
  EXPECT_TRUE(WriteRegInteger(kUser, p, 1, false));  // missing: written
  EXPECT_EQ(ReadRegInteger(kUser, p, 0), 1);
  EXPECT_TRUE(WriteRegInteger(kUser, p, 0, false));  // existing: kept
  EXPECT_EQ(ReadRegInteger(kUser, p, 9), 1);
  EXPECT_TRUE(WriteRegInteger(kUser, p, 0, true));
  EXPECT_EQ(ReadRegInteger(kUser, p, 9), 0);
  EXPECT_TRUE(WriteRegBool(kUser, "Software\\A\\B", true, false));
  EXPECT_TRUE(WriteRegBool(kUser, "Software\\A\\B", false, false));
  EXPECT_TRUE(ReadRegBool(kUser, "Software\\A\\B", false));
}

TEST_F(RegistryTest, KeysAndNamesCompareWithoutCase) {
  ASSERT_TRUE(WriteRegString(kUser, "Software\\VELTRO Marten\\DataPath", "/daten/", true));
  EXPECT_EQ(ReadRegString(kUser, "software\\veltro marten\\DATAPATH", ""), "/daten/");
  EXPECT_TRUE(RegKeyExists(kUser, "SOFTWARE\\Veltro MARTEN"));
  // Code page 1252 letters fold too: "H\xF6he" (Höhe) and "H\xD6HE" (HÖHE).
  ASSERT_TRUE(WriteRegString(kUser, "Software\\A\\H\xF6he", "1", true));
  ASSERT_TRUE(WriteRegString(kUser, "SOFTWARE\\a\\H\xD6HE", "2", true));
  EXPECT_EQ(ReadRegString(kUser, "Software\\A\\h\xF6HE", ""), "2");
  EXPECT_EQ(RegValueNames(kUser, "Software\\A"), std::vector<std::string>{"H\xF6he"});  // first spelling kept
  std::string text = ReadFile(File());
  EXPECT_NE(text.find("[Software\\A]\nH\xF6he=2\n"), std::string::npos) << text;
}

TEST_F(RegistryTest, KeysExistWhenCreatedOrWhenTheyHoldSomething) {
  WriteRegString(kUser, "A\\B\\C\\v", "x", true);
  EXPECT_TRUE(RegKeyExists(kUser, "A"));
  EXPECT_TRUE(RegKeyExists(kUser, "A\\B"));
  EXPECT_TRUE(RegKeyExists(kUser, "a\\b\\c\\"));
  EXPECT_FALSE(RegKeyExists(kUser, "A\\B\\C\\v"));
  EXPECT_FALSE(RegKeyExists(kUser, "A\\BX"));
  EXPECT_TRUE(RegKeyExists(kUser, ""));
  RegCreateKey(kUser, "A\\Leer");
  EXPECT_TRUE(RegKeyExists(kUser, "A\\Leer"));
  EXPECT_TRUE(RegValueNames(kUser, "A\\Leer").empty());
  RegCreateKey(kUser, "A\\B");  // exists already: no second section
  EXPECT_EQ(ReadFile(File()), "[A\\B\\C]\nv=x\n\n[A\\Leer]\n");
}

TEST_F(RegistryTest, MultiLineTextAndEveryByteSurvive) {
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  all += '\0';
  const std::string lines = "erste Zeile\r\nzweite Zeile\r\n\r\n";
  ASSERT_TRUE(WriteRegString(kUser, "K\\Alle", all, true));
  ASSERT_TRUE(WriteRegString(kUser, "K\\Zeilen", lines, true));
  ASSERT_TRUE(WriteRegString(kUser, "K\\Rand", "  innen  ", true));
  ASSERT_TRUE(WriteRegString(kUser, "K\\Leer", "", true));
  ASSERT_TRUE(WriteRegString(kUser, "K\\a=b", "%41", true));
  ASSERT_TRUE(WriteRegString(kUser, "K\\[x", ";y", true));
  // Read through a fresh parse of the file, not the cache.
  SetRegistryFile(kUser, File());
  EXPECT_EQ(ReadRegString(kUser, "K\\Alle", ""), all);
  EXPECT_EQ(ReadRegString(kUser, "K\\Zeilen", ""), lines);
  EXPECT_EQ(ReadRegString(kUser, "K\\Rand", ""), "  innen  ");
  EXPECT_EQ(ReadRegString(kUser, "K\\Leer", "def"), "");
  EXPECT_EQ(ReadRegString(kUser, "K\\a=b", ""), "%41");
  EXPECT_EQ(ReadRegString(kUser, "K\\[x", ""), ";y");
  std::string text = ReadFile(File());
  EXPECT_EQ(text.find('\r'), std::string::npos);
  EXPECT_NE(text.find("Zeilen=erste Zeile%0D%0Azweite Zeile%0D%0A%0D%0A\n"), std::string::npos) << text;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 7);  // header and six values
}

TEST_F(RegistryTest, HandEditedFilesAreRead) {
  std::filesystem::create_directories(settings.Dir() / "user");
  WriteFile(File(),
            "; comment\r\n"
            "[ Software\\A ]\r\n"
            "  Zahl = 42 \r\n"
            "Flag=TRUE\r\n"
            "Nein=false\r\n"
            "Text = mit Blanks innen\r\n");
  EXPECT_EQ(ReadRegInteger(kUser, "Software\\A\\Zahl", 0), 42);
  EXPECT_TRUE(ReadRegBool(kUser, "Software\\A\\Flag", false));
  EXPECT_FALSE(ReadRegBool(kUser, "Software\\A\\Nein", true));
  EXPECT_EQ(ReadRegString(kUser, "Software\\A\\Text", ""), "mit Blanks innen");
}

TEST_F(RegistryTest, IntegersAndBooleansThatDoNotParseAnswerTheDefault) {
  WriteRegString(kUser, "K\\a", "abc", true);
  WriteRegString(kUser, "K\\b", "99999999999", true);
  WriteRegString(kUser, "K\\c", "-5", true);
  WriteRegString(kUser, "K\\d", "12x", true);
  WriteRegString(kUser, "K\\e", "", true);
  WriteRegString(kUser, "K\\f", "ja", true);
  EXPECT_EQ(ReadRegInteger(kUser, "K\\a", 7), 7);
  EXPECT_EQ(ReadRegInteger(kUser, "K\\b", 7), 7);
  EXPECT_EQ(ReadRegInteger(kUser, "K\\c", 7), -5);
  EXPECT_EQ(ReadRegInteger(kUser, "K\\d", 7), 7);
  EXPECT_EQ(ReadRegInteger(kUser, "K\\e", 7), 7);
  EXPECT_TRUE(ReadRegBool(kUser, "K\\f", true));
  EXPECT_FALSE(ReadRegBool(kUser, "K\\f", false));
  EXPECT_TRUE(ReadRegBool(kUser, "K\\c", false));  // non-zero
}

TEST_F(RegistryTest, IntegersOutsideTheirRangeAnswerTheDefault) {
  WriteRegInteger(kUser, "K\\Methode", 2, true);
  EXPECT_EQ(ReadRegIntegerInRange(kUser, "K\\Methode", 0, 0, 1), 0);
  WriteRegInteger(kUser, "K\\Methode", 1, true);
  EXPECT_EQ(ReadRegIntegerInRange(kUser, "K\\Methode", 0, 0, 1), 1);
  WriteRegInteger(kUser, "K\\Methode", -1, true);
  EXPECT_EQ(ReadRegIntegerInRange(kUser, "K\\Methode", 0, 0, 1), 0);
  WriteRegString(kUser, "K\\Methode", "eins", true);
  EXPECT_EQ(ReadRegIntegerInRange(kUser, "K\\Methode", 0, 0, 1), 0);
  EXPECT_EQ(ReadRegIntegerInRange(kUser, "K\\Fehlt", 5, 0, 1), 5);
}

TEST_F(RegistryTest, ADamagedFileIsReadWhereUnderstoodAndKeptOnWrite) {
  std::filesystem::create_directories(settings.Dir() / "user");
  const std::string bytes = std::string(
                                "\x01\x02garbage before any section\n"
                                "Lost=1\n"
                                "[Broken\n"
                                "Name=under a broken header\n"
                                "[Software\\X]\n"
                                "Good=2\n"
                                "a line without equals\n") +
                            std::string("\xFF\xFE\0\x01 binary\n", 12);
  WriteFile(File(), bytes);
  const std::string before = ReadFile(File());
  EXPECT_EQ(ReadRegInteger(kUser, "Software\\X\\Good", 0), 2);
  EXPECT_EQ(ReadRegString(kUser, "Name", "d"), "d");
  EXPECT_EQ(ReadRegString(kUser, "Broken\\Name", "d"), "d");
  EXPECT_EQ(ReadRegString(kUser, "Lost", "d"), "d");

  ASSERT_TRUE(WriteRegInteger(kUser, "Software\\X\\Neu", 3, true));
  ASSERT_TRUE(WriteRegInteger(kUser, "Software\\Y\\Neu", 4, true));
  std::string after = ReadFile(File());
  // Every line that was there is still there, in its place.
  EXPECT_EQ(after.substr(0, before.find("a line without")), before.substr(0, before.find("a line without")));
  EXPECT_NE(after.find("a line without equals\n\xFF\xFE"), std::string::npos);
  EXPECT_NE(after.find(std::string("\0\x01 binary\n", 10)), std::string::npos);
  SetRegistryFile(kUser, File());
  EXPECT_EQ(ReadRegInteger(kUser, "Software\\X\\Good", 0), 2);
  EXPECT_EQ(ReadRegInteger(kUser, "Software\\X\\Neu", 0), 3);
  EXPECT_EQ(ReadRegInteger(kUser, "Software\\Y\\Neu", 0), 4);
}

TEST_F(RegistryTest, AnUnreadableFileIsNeverReplaced) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  ASSERT_TRUE(WriteRegInteger(kUser, "K\\v", 1, true));
  ASSERT_EQ(::chmod(File().c_str(), 0), 0);
  SetRegistryFile(kUser, File());
  EXPECT_EQ(ReadRegInteger(kUser, "K\\v", 9), 9);
  EXPECT_FALSE(WriteRegInteger(kUser, "K\\v", 2, true));
  ::chmod(File().c_str(), 0600);
  SetRegistryFile(kUser, File());
  EXPECT_EQ(ReadRegInteger(kUser, "K\\v", 9), 1);
}

TEST_F(RegistryTest, AFolderInPlaceOfTheFileAnswersDefaults) {
  std::filesystem::create_directories(File());
  EXPECT_EQ(ReadRegInteger(kUser, "K\\v", 9), 9);
  EXPECT_FALSE(WriteRegInteger(kUser, "K\\v", 2, true));
  EXPECT_TRUE(DirectoryExists(File()));
}

TEST_F(RegistryTest, WritesLeaveNoTemporaryFilesAndNoticeOutsideChanges) {
  ASSERT_TRUE(WriteRegString(kUser, "K\\a", "1", true));
  ASSERT_TRUE(WriteRegString(kUser, "K\\b", "2", true));
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(settings.Dir() / "user")) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 1);
  WriteFile(File(), "[K]\na=changed outside\n");
  EXPECT_EQ(ReadRegString(kUser, "K\\a", ""), "changed outside");
  EXPECT_FALSE(RegValueExists(kUser, "K\\b"));
}

TEST_F(RegistryTest, ABatchSavesOnceAtItsEnd) {
  WriteRegString(kUser, "K\\a", "1", true);
  const std::string before = ReadFile(File());
  {
    RegistryBatch batch(kUser);
    WriteRegString(kUser, "K\\a", "2", true);
    WriteRegString(kUser, "K\\b", "3", true);
    EXPECT_EQ(ReadRegString(kUser, "K\\a", ""), "2");
    EXPECT_EQ(ReadFile(File()), before);
  }
  EXPECT_EQ(ReadFile(File()), "[K]\na=2\nb=3\n");
}

TEST_F(RegistryTest, ValuesAndKeysAreDeleted) {
  WriteRegString(kUser, "A\\v", "1", true);
  WriteRegString(kUser, "A\\w", "2", true);
  WriteRegString(kUser, "A\\B\\v", "3", true);
  WriteRegString(kUser, "AB\\v", "4", true);
  RegDeleteValue(kUser, "a\\V");
  EXPECT_EQ(RegValueNames(kUser, "A"), std::vector<std::string>{"w"});
  RegDeleteKey(kUser, "A");
  EXPECT_FALSE(RegKeyExists(kUser, "A"));
  EXPECT_FALSE(RegKeyExists(kUser, "A\\B"));
  EXPECT_EQ(ReadRegString(kUser, "AB\\v", ""), "4");
}

TEST_F(RegistryTest, TheTwoRootsAreSeparateFiles) {
  WriteRegString(kMachine, "K\\v", "machine", true);
  EXPECT_EQ(ReadRegString(kUser, "K\\v", "none"), "none");
  EXPECT_EQ(ReadRegString(kMachine, "K\\v", "none"), "machine");
  EXPECT_TRUE(FileExists(settings.MachineFile()));
}

TEST(RegistryLocation, DefaultsFollowTheXdgFolders) {
  const char* oldHome = std::getenv("XDG_CONFIG_HOME");
  const char* oldDirs = std::getenv("XDG_CONFIG_DIRS");
  std::string savedHome = oldHome ? oldHome : "";
  std::string savedDirs = oldDirs ? oldDirs : "";
  ::setenv("XDG_CONFIG_HOME", "/x/home", 1);
  ::setenv("XDG_CONFIG_DIRS", "relative:/x/etc:/y", 1);
  EXPECT_EQ(RegistryFile(kUser), "/x/home/VELTRO Marten/Surtrans.ini");
  EXPECT_EQ(RegistryFile(kMachine), "/x/etc/VELTRO Marten/Surtrans.ini");
  ::unsetenv("XDG_CONFIG_DIRS");
  EXPECT_EQ(RegistryFile(kMachine), "/etc/xdg/VELTRO Marten/Surtrans.ini");
  SetRegistryFile(kUser, "/tmp/elsewhere.ini");
  EXPECT_EQ(RegistryFile(kUser), "/tmp/elsewhere.ini");
  SetRegistryFile(kUser, "");
  EXPECT_EQ(RegistryFile(kUser), "/x/home/VELTRO Marten/Surtrans.ini");
  if (oldHome)
    ::setenv("XDG_CONFIG_HOME", savedHome.c_str(), 1);
  else
    ::unsetenv("XDG_CONFIG_HOME");
  if (oldDirs)
    ::setenv("XDG_CONFIG_DIRS", savedDirs.c_str(), 1);
  else
    ::unsetenv("XDG_CONFIG_DIRS");
}

}  // namespace
}  // namespace veltro::test
