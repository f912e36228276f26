#include "wgsxyz/CoordinateSystems.h"

#include <gtest/gtest.h>

#include <random>

namespace veltro::test {
namespace {

using wgsxyz::CoordinateSystems;
using wgsxyz::Triple;

// The slimmer operations give the very doubles of PROJ's own operations,
// both ways, over each system's area (LV95, LV03 on its grid, Gauss-Krueger,
// UTM), including heights from -100 m to 4800 m.
TEST(CoordinateSystems, SlimOperationsGiveTheSameValuesAsProjs) {
  struct Area {
    const char* system;
    double west, south, east, north;
  } areas[] = {{"EPSG:2056", 5.96, 45.82, 10.49, 47.81},
               {"41;CH03", 5.96, 45.82, 10.49, 47.81},
               {"49;GK3", 7.5, 47.3, 10.5, 55.0},
               {"0;UTM32N", 6.0, 0.5, 12.0, 83.0}};
  CoordinateSystems slim(true), full(false);
  slim.Reset("");
  full.Reset("");
  std::mt19937_64 random(2056);
  std::uniform_real_distribution<double> unit(0, 1);
  for (const Area& a : areas) {
    ASSERT_TRUE(slim.Describe(a.system).Usable()) << a.system;
    int converted = 0;
    for (int i = 0; i < 20000; ++i) {
      const Triple geographic{a.west + (a.east - a.west) * unit(random), a.south + (a.north - a.south) * unit(random),
                              -100 + 4900 * unit(random)};
      Triple s, f;
      const bool ok = full.ToGrid(a.system, geographic, f);
      ASSERT_EQ(slim.ToGrid(a.system, geographic, s), ok) << a.system;
      if (!ok) continue;
      ++converted;
      ASSERT_EQ(s.a, f.a) << a.system;
      ASSERT_EQ(s.b, f.b) << a.system;
      ASSERT_EQ(s.c, f.c) << a.system;
      Triple sBack, fBack;
      ASSERT_TRUE(full.ToGeographic(a.system, f, fBack)) << a.system;
      ASSERT_TRUE(slim.ToGeographic(a.system, s, sBack)) << a.system;
      ASSERT_EQ(sBack.a, fBack.a) << a.system;
      ASSERT_EQ(sBack.b, fBack.b) << a.system;
      ASSERT_EQ(sBack.c, fBack.c) << a.system;
    }
    EXPECT_GT(converted, 15000) << a.system;
  }
}

}  // namespace
}  // namespace veltro::test
