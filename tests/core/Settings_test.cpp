#include "core/Settings.h"

#include <gtest/gtest.h>

#include "tests/support/TempSettings.h"

namespace veltro::test {
namespace {

constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;

class SettingsTest : public ::testing::Test {
 protected:
  TempSettings settings;
};

TEST_F(SettingsTest, ConfigurationPathsLieBelowTheVersionedConfigurationKey) {
  EXPECT_EQ(ConfigPath("DataPath"), "Software\\VELTRO Marten\\Surtrans\\2.1.1.5\\Configuration\\DataPath");
  EXPECT_EQ(ConfigPath("GSI8\\Code list\\"),
            "Software\\VELTRO Marten\\Surtrans\\2.1.1.5\\Configuration\\GSI8\\Code list\\");
}

TEST_F(SettingsTest, ANewUserGetsACopyOfTheMachineConfiguration) {
  WriteRegString(kMachine, ConfigPath("DataPath"), "/srv/daten/", true);
  WriteRegString(kMachine, ConfigPath("Viewer"), "1", true);
  WriteRegString(kMachine, ConfigPath("Methode"), "1", true);
  WriteRegString(kMachine, ConfigPath(""), "default value", true);
  WriteRegString(kMachine, ConfigPath("GSI8\\UseGSICodes"), "1", true);  // sub-keys are not copied
  StartUserConfiguration();
  EXPECT_EQ(ReadRegString(kUser, ConfigPath("DataPath"), ""), "/srv/daten/");
  EXPECT_TRUE(ReadRegBool(kUser, ConfigPath("Viewer"), false));
  EXPECT_EQ(ReadRegString(kUser, ConfigPath(""), ""), "default value");
  EXPECT_FALSE(RegValueExists(kUser, ConfigPath("GSI8\\UseGSICodes")));
  EXPECT_EQ(Methode(), 1);  // copied value kept, not reseeded
  EXPECT_EQ(TransOf(), 0);  // seeded
  EXPECT_TRUE(RegValueExists(kUser, ConfigPath("TransOf")));
}

TEST_F(SettingsTest, AnExistingUserConfigurationIsNotTouched) {
  WriteRegString(kUser, ConfigPath("DataPath"), "/home/u/", true);
  WriteRegString(kMachine, ConfigPath("DataPath"), "/srv/daten/", true);
  WriteRegString(kMachine, ConfigPath("Viewer"), "1", true);
  StartUserConfiguration();
  EXPECT_EQ(ReadRegString(kUser, ConfigPath("DataPath"), ""), "/home/u/");
  EXPECT_FALSE(RegValueExists(kUser, ConfigPath("Viewer")));
  EXPECT_EQ(ReadRegInteger(kUser, ConfigPath("Methode"), 9), 0);
  EXPECT_EQ(ReadRegInteger(kUser, ConfigPath("TransOf"), 9), 0);
}

TEST_F(SettingsTest, WithoutMachineConfigurationOnlyTheSeedsAreWritten) {
  StartUserConfiguration();
  EXPECT_EQ(RegValueNames(kUser, kConfigurationKey), (std::vector<std::string>{"TransOf", "Methode"}));
}

TEST_F(SettingsTest, TheMachineLanguageIsCopiedForANewUserOnly) {
  WriteRegInteger(kMachine, std::string(kProgramKey) + "\\language", 1036, true);
  EXPECT_EQ(StartLanguageId(), 1036);
  EXPECT_EQ(ReadRegInteger(kUser, std::string(kProgramKey) + "\\language", 0), 1036);
  WriteLanguageId(2055);
  WriteRegInteger(kMachine, std::string(kProgramKey) + "\\language", 1040, true);
  EXPECT_EQ(StartLanguageId(), 2055);
}

TEST_F(SettingsTest, NoLanguageAnywhereAnswersZero) {
  EXPECT_EQ(StartLanguageId(), 0);
  // The language rule runs first: the configuration is still copied after it.
  WriteRegString(kMachine, ConfigPath("DataPath"), "/srv/", true);
  StartUserConfiguration();
  EXPECT_EQ(ReadRegString(kUser, ConfigPath("DataPath"), ""), "/srv/");
}

TEST_F(SettingsTest, MethodeAndTransOfAreWrittenAtOnceAndRangeChecked) {
  EXPECT_EQ(Methode(), 0);
  SetMethode(1);
  EXPECT_EQ(Methode(), 1);
  EXPECT_EQ(ReadRegInteger(kUser, ConfigPath("Methode"), 0), 1);
  SetTransOf(1);
  EXPECT_EQ(TransOf(), 1);
  WriteRegString(kUser, ConfigPath("Methode"), "7", true);
  WriteRegString(kUser, ConfigPath("TransOf"), "x", true);
  EXPECT_EQ(Methode(), 0);
  EXPECT_EQ(TransOf(), 0);
}

TEST_F(SettingsTest, WaitForRemoteStaysInTheLibrarysRange) {
  EXPECT_EQ(WaitForRemote(), 10000);
  WriteRegInteger(kUser, ConfigPath("WaitForRemote"), 500, true);
  EXPECT_EQ(WaitForRemote(), 10000);
  WriteRegInteger(kUser, ConfigPath("WaitForRemote"), 25000, true);
  EXPECT_EQ(WaitForRemote(), 25000);
  WriteRegString(kUser, ConfigPath("WaitForRemote"), "lang", true);
  EXPECT_EQ(WaitForRemote(), 10000);
  // The library takes 16 bits: more would wrap into a short or no time-out.
  WriteRegInteger(kUser, ConfigPath("WaitForRemote"), 70000, true);
  EXPECT_EQ(WaitForRemote(), 65535);
}

TEST(WaitForRemoteText, TrimmedIntegersRaisedToTheMinimum) {
  EXPECT_EQ(ParseWaitForRemote("500"), 10000);
  EXPECT_EQ(ParseWaitForRemote("  12000 "), 12000);
  EXPECT_EQ(ParseWaitForRemote("+15000"), 15000);
  EXPECT_EQ(ParseWaitForRemote("-3"), 10000);
  EXPECT_EQ(ParseWaitForRemote("10000"), 10000);
  EXPECT_EQ(ParseWaitForRemote(""), std::nullopt);
  EXPECT_EQ(ParseWaitForRemote("   "), std::nullopt);
  EXPECT_EQ(ParseWaitForRemote("12 000"), std::nullopt);
  EXPECT_EQ(ParseWaitForRemote("1e5"), std::nullopt);
  EXPECT_EQ(ParseWaitForRemote("+-5"), std::nullopt);
  EXPECT_EQ(ParseWaitForRemote("99999999999"), std::nullopt);
  EXPECT_EQ(ParseWaitForRemote("65536"), 65535);
}

}  // namespace
}  // namespace veltro::test

namespace veltro::test {
namespace {

TEST_F(SettingsTest, TheEngineReadsItsSettingsAtEachUse) {
  RegistryTransferSettings engine("/opt/veltro/Data/");
  EXPECT_EQ(engine.Methode(), 0);
  EXPECT_FALSE(engine.TransOf());
  EXPECT_EQ(engine.DataPath(), "/opt/veltro/Data/");
  EXPECT_FALSE(engine.Viewer());
  EXPECT_FALSE(engine.SaveSource());

  SetMethode(1);
  SetTransOf(1);
  WriteRegString(RegistryRoot::CurrentUser, ConfigPath("DataPath"), "/home/u/Daten/", true);
  WriteRegBool(RegistryRoot::CurrentUser, ConfigPath("Viewer"), true, true);
  WriteRegBool(RegistryRoot::CurrentUser, ConfigPath("Save Source"), true, true);
  EXPECT_EQ(engine.Methode(), 1);
  EXPECT_TRUE(engine.TransOf());
  EXPECT_EQ(engine.DataPath(), "/home/u/Daten/");
  EXPECT_TRUE(engine.Viewer());
  EXPECT_TRUE(engine.SaveSource());

  // A value outside its range answers the default.
  WriteRegString(RegistryRoot::CurrentUser, ConfigPath("Methode"), "2", true);
  WriteRegString(RegistryRoot::CurrentUser, ConfigPath("TransOf"), "-1", true);
  EXPECT_EQ(engine.Methode(), 0);
  EXPECT_FALSE(engine.TransOf());
}

}  // namespace
}  // namespace veltro::test
