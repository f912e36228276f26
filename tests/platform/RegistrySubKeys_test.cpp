#include <gtest/gtest.h>

#include "platform/Registry.h"
#include "tests/support/TempSettings.h"

namespace veltro::test {
namespace {

constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;

class RegistrySubKeysTest : public ::testing::Test {
 protected:
  TempSettings settings;
};

TEST_F(RegistrySubKeysTest, DirectSubKeysInStoredOrderWithTheirFirstSpelling) {
  const std::string root = "Software\\A\\GSI8\\Code list";
  EXPECT_TRUE(RegSubKeyNames(kUser, root).empty());
  WriteRegString(kUser, root + "\\", "Nord", true);  // a value of the key itself is no sub-key
  EXPECT_TRUE(RegSubKeyNames(kUser, root).empty());
  WriteRegString(kUser, root + "\\Nord\\0", "1;", true);
  RegCreateKey(kUser, root + "\\Leer");
  WriteRegString(kUser, root + "\\Tief\\Unter\\0", "x", true);  // only the direct level counts
  WriteRegString(kUser, root + "\\NORD\\1", "2;", true);
  WriteRegString(kUser, "Software\\A\\GSI8\\Code listen\\X\\0", "no", true);  // a sibling with a longer name
  EXPECT_EQ(RegSubKeyNames(kUser, root), (std::vector<std::string>{"Nord", "Leer", "Tief"}));
  EXPECT_EQ(RegSubKeyNames(kUser, root + "\\"), RegSubKeyNames(kUser, root));
  EXPECT_EQ(RegSubKeyNames(kUser, "software\\a"), std::vector<std::string>{"GSI8"});
  RegDeleteKey(kUser, root + "\\Tief");
  EXPECT_EQ(RegSubKeyNames(kUser, root), (std::vector<std::string>{"Nord", "Leer"}));
}

}  // namespace
}  // namespace veltro::test
