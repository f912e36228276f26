#include "formats/office/FormatChoice.h"

#include <gtest/gtest.h>

#include "core/Settings.h"
#include "tests/support/TempSettings.h"

namespace veltro::test {
namespace {

TEST(FormatChoice, DefaultMaskOffersPages0_1And9) {
  std::vector<int> offered;
  for (int page = 0; page < 15; ++page)
    if (PageOffered(kDefaultActivFormats, page)) offered.push_back(page);
  EXPECT_EQ(offered, (std::vector<int>{0, 1, 9}));
  EXPECT_TRUE(PageOffered(0, 0));  // page 0 always
  EXPECT_FALSE(PageOffered(-1, 31));
  EXPECT_FALSE(PageOffered(-1, -1));
}

TEST(FormatChoice, BoxesFollowTheMask) {
  FormatChoice choice(kDefaultActivFormats, 15, 0);
  EXPECT_EQ(choice.Boxes(), 14);
  for (int n = 1; n <= 14; ++n) EXPECT_EQ(choice.Checked(n), n == 1 || n == 9) << n;
  EXPECT_FALSE(choice.Checked(0));
  EXPECT_FALSE(choice.Checked(15));
  EXPECT_EQ(choice.Mask(), kDefaultActivFormats);
}

TEST(FormatChoice, MaskIsOnePlusTheCheckedBoxes) {
  FormatChoice choice(kDefaultActivFormats, 15, 0);
  EXPECT_TRUE(choice.SetChecked(9, false));
  EXPECT_TRUE(choice.SetChecked(4, true));
  EXPECT_EQ(choice.Mask(), 1 + 2 + 16);
  EXPECT_TRUE(choice.SetChecked(1, false));
  EXPECT_TRUE(choice.SetChecked(4, false));
  EXPECT_EQ(choice.Mask(), 1);
  EXPECT_FALSE(choice.SetChecked(15, true));
}

TEST(FormatChoice, BitsBeyondThePagesAreDropped) {
  EXPECT_EQ(FormatChoice(0xFFFF, 4, 0).Mask(), 15);
  EXPECT_EQ(FormatChoice(0, 1, 0).Mask(), 1);
}

TEST(FormatChoice, SelectedPageCannotBeUnchecked) {
  FormatChoice choice(kDefaultActivFormats, 15, 9);
  EXPECT_FALSE(choice.SetChecked(9, false));
  EXPECT_TRUE(choice.Checked(9));
  EXPECT_TRUE(choice.SetChecked(9, true));
  EXPECT_TRUE(choice.SetChecked(1, false));
  EXPECT_EQ(choice.Mask(), 1 + 512);
}

TEST(FormatChoice, Setting) {
  TempSettings files;
  EXPECT_EQ(ReadActivFormats(), kDefaultActivFormats);
  WriteActivFormats(19);
  EXPECT_EQ(ReadActivFormats(), 19);
  WriteRegInteger(RegistryRoot::CurrentUser, ConfigPath("Activ formats"), 2, true);
  EXPECT_EQ(ReadActivFormats(), 3);
}

}  // namespace
}  // namespace veltro::test
