#include "core/Niederlassung.h"

#include <gtest/gtest.h>

#include <set>

#include "core/Settings.h"
#include "tests/support/TempSettings.h"

namespace veltro::test {
namespace {

TEST(Niederlassung, TheShippedTable) {
  std::vector<TNiederlassung> entries = ShippedNiederlassungen();
  ASSERT_EQ(entries.size(), 36u);
  std::set<int> ids;
  std::set<std::string> names;
  int active = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].Order, static_cast<int>(i));
    ids.insert(entries[i].LanguageID);
    names.insert(entries[i].Name);
    active += entries[i].Active;
  }
  EXPECT_EQ(ids.size(), entries.size());
  EXPECT_EQ(names.size(), entries.size());
  EXPECT_EQ(active, 1);
  EXPECT_EQ(entries.front().Name, "Australien");
  EXPECT_EQ(entries.back().Name, "Ungarn");

  TNiederlassung* austria = FindNiederlassung(entries, 3079);
  ASSERT_NE(austria, nullptr);
  EXPECT_EQ(austria->Name, "Austria");
  EXPECT_EQ(austria->Caption, "\xD6sterreich");
  EXPECT_EQ(austria->Sprache, "Deutsch");
  TNiederlassung* schweiz = FindNiederlassung(entries, 2055);
  ASSERT_NE(schweiz, nullptr);
  EXPECT_TRUE(schweiz->Active);
  EXPECT_EQ(FindNiederlassung(entries, 4108)->Sprache, "Franzoesisch");
  EXPECT_EQ(FindNiederlassung(entries, 4)->Name, "Serbien");
  EXPECT_EQ(FindNiederlassung(entries, 1055)->Caption, "T\xFCrkei");

  std::set<std::string> showXY;
  for (const auto& n : entries)
    if (n.ShowXY) showXY.insert(n.Name);
  EXPECT_EQ(showXY, (std::set<std::string>{"Frankreich", "Grossbritanien", "Portugal", "Spanien"}));
}

TEST(Niederlassung, AKnownIdentifierActivatesItsEntryOnly) {
  std::vector<TNiederlassung> entries = ShippedNiederlassungen();
  TNiederlassung& fr = ActivateNiederlassung(entries, 1036);
  EXPECT_EQ(fr.Name, "Frankreich");
  EXPECT_TRUE(fr.ShowXY);
  int active = 0;
  for (const auto& n : entries) active += n.Active;
  EXPECT_EQ(active, 1);
}

TEST(Niederlassung, AnUnknownIdentifierFallsBackToEuropa) {
  std::vector<TNiederlassung> entries = ShippedNiederlassungen();
  for (int id : {0, 3, 1033, -1}) {
    TNiederlassung& n = ActivateNiederlassung(entries, id);
    EXPECT_EQ(n.Name, "Europa") << id;
    EXPECT_EQ(n.LanguageID, 9999);
    EXPECT_EQ(n.Sprache, "Englisch");
    EXPECT_FALSE(FindNiederlassung(entries, 2055)->Active);
  }
}

TEST(Niederlassung, NoLanguageValueAnywhereStartsWithEuropa) {
  TempSettings settings;
  TNiederlassung& n = ActivateNiederlassung(StartLanguageId());
  EXPECT_EQ(n.Name, "Europa");
  EXPECT_EQ(&ActiveNiederlassung(), &n);
  WriteRegInteger(RegistryRoot::CurrentUser, std::string(kProgramKey) + "\\language", 1031, true);
  EXPECT_EQ(ActivateNiederlassung(StartLanguageId()).Name, "Deutschland");
  ActivateNiederlassung(2055);  // as shipped, for other tests
}

}  // namespace
}  // namespace veltro::test
