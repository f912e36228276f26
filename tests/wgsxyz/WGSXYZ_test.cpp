#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "tests/support/TransferFixture.h"
#include "tests/wgsxyz/WgsxyzFixture.h"

namespace veltro::test {
namespace {

using wgsxyz::CoordinateBlock;
using wgsxyz::Triple;

constexpr double kMillimetre = 0.001;
constexpr int32_t kDegrees = wgsxyz::kModeDegrees;
constexpr int32_t kMinutes = wgsxyz::kModeDegreesMinutes;
constexpr int32_t kSeconds = wgsxyz::kModeDegreesMinutesSeconds;

// 47 deg 23.12345 min N, 8 deg 26.54321 min E near Zurich, as the waypoint
// sentence gives it (value / 100) and as a DD.MMSSsss controller value.
constexpr double kZurichLatMinutes = 47.2312345, kZurichLonMinutes = 8.2654321;
constexpr double kZurichLatSeconds = 47.2307407, kZurichLonSeconds = 8.26325926;

bool AllNaN(const Triple& t) { return std::isnan(t.a) && std::isnan(t.b) && std::isnan(t.c); }

void ExpectGrid(const Triple& t, double y, double x, double h) {
  EXPECT_NEAR(t.a, y, kMillimetre);
  EXPECT_NEAR(t.b, x, kMillimetre);
  EXPECT_NEAR(t.c, h, kMillimetre);
}

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    const char* old = std::getenv(name);
    hadOld_ = old != nullptr;
    if (old) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (hadOld_)
      setenv(name_, old_.c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  bool hadOld_ = false;
  std::string old_;
};

// ---- 80-bit floats and the block ------------------------------------------------

std::array<unsigned char, 10> Encoded(double v) {
  std::array<unsigned char, 10> bytes{};
  wgsxyz::EncodeExtended(v, bytes.data());
  return bytes;
}

TEST(ExtendedFloat, EncodesLikeTheProcessorAndDecodesExactly) {
  const double values[] = {600000.123, -0.5, 0.0, -0.0, 1.0, 47.2312345, 1248768.9018, -179.999999999,
                           1e-310 /* subnormal double */, 1.7e308, std::numeric_limits<double>::infinity()};
  for (double v : values) {
    auto bytes = Encoded(v);
#if defined(__x86_64__) || defined(__i386__)
    long double native = v;
    unsigned char nativeBytes[sizeof(long double)] = {};
    std::memcpy(nativeBytes, &native, sizeof native);
    EXPECT_EQ(std::memcmp(bytes.data(), nativeBytes, 10), 0) << v;
#endif
    const double back = wgsxyz::DecodeExtended(bytes.data());
    EXPECT_EQ(std::memcmp(&back, &v, sizeof v), 0) << v;  // bit for bit, sign of zero included
  }
  EXPECT_TRUE(std::isnan(wgsxyz::DecodeExtended(Encoded(std::nan("")).data())));
}

TEST(ExtendedFloat, WiderValuesRoundToTheNearestDouble) {
  // 1 + 2^-60 and 1 + 2^-52 + 2^-53 + 2^-60, written as the 80-bit format.
  auto make = [](uint64_t mantissa, uint16_t signExponent) {
    std::array<unsigned char, 10> b{};
    for (int i = 0; i < 8; ++i) b[i] = static_cast<unsigned char>(mantissa >> (8 * i));
    b[8] = static_cast<unsigned char>(signExponent);
    b[9] = static_cast<unsigned char>(signExponent >> 8);
    return b;
  };
  const uint64_t one = 1ULL << 63;
  EXPECT_EQ(wgsxyz::DecodeExtended(make(one | 8, 16383).data()), 1.0);
  EXPECT_EQ(wgsxyz::DecodeExtended(make(one | (1ULL << 11) | (1ULL << 10) | 8, 16383).data()), 1.0 + std::ldexp(1.0, -51));
  EXPECT_EQ(wgsxyz::DecodeExtended(make(one, 0x8000 | 16384).data()), -2.0);
  EXPECT_TRUE(std::isnan(wgsxyz::DecodeExtended(make(one >> 1, 16383).data())));  // unnormal
  EXPECT_TRUE(std::isnan(wgsxyz::DecodeExtended(make(0, 0x7FFF).data())));        // pseudo-infinity
  EXPECT_EQ(wgsxyz::DecodeExtended(make(5, 0).data()), 0.0);                      // 80-bit denormal
#if defined(__x86_64__) || defined(__i386__)
  const long double wide = 600000.123456789012345L;
  unsigned char bytes[sizeof(long double)] = {};
  std::memcpy(bytes, &wide, sizeof wide);
  EXPECT_NEAR(wgsxyz::DecodeExtended(bytes), static_cast<double>(wide), 1e-9);
#endif
}

TEST(CoordinateBlockLayout, FieldsSitAtTheirOffsets) {
  CoordinateBlock block;
  block.SetMode(2);
  block.SetGrid(1, 2, 3);
  block.SetGeographic(4, 5, 6);
  const unsigned char* d = block.Data();
  EXPECT_EQ(d[184], 2);
  EXPECT_EQ(d[185] | d[186] | d[187], 0);
  const size_t offsets[] = {192, 202, 212, 222, 232, 242};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(wgsxyz::DecodeExtended(d + offsets[i]), i + 1.0);
  EXPECT_EQ(d[252] | d[253] | d[254] | d[255], 0);
}

TEST(LanguageLines, FixedOrderThenTheLibrarysOwnTexts) {
  auto numbers = wgsxyz::LanguageTextNumbers(false);
  ASSERT_EQ(numbers.size(), 93u + 10u);
  EXPECT_EQ(numbers[0], 98);
  EXPECT_EQ(numbers[1], 99);
  EXPECT_EQ(numbers[92], 2220);
  EXPECT_EQ(wgsxyz::LanguageLine(760), 93);
  auto swapped = wgsxyz::LanguageTextNumbers(true);
  const auto at = std::find(numbers.begin(), numbers.end(), 2211) - numbers.begin();
  EXPECT_EQ(numbers[at + 1], 2212);
  EXPECT_EQ(swapped[at], 2212);
  EXPECT_EQ(swapped[at + 1], 2211);

  // A line break inside a text must not shift the lines after it.
  std::string all = wgsxyz::LanguageStrings([](int n) { return n == 99 ? std::string("a\r\nb") : std::to_string(n); }, false);
  EXPECT_EQ(all.substr(0, 14), "98\r\na  b\r\n1701");
  EXPECT_EQ(all.substr(all.size() - 8), "768\r\n769");
}

// ---- Getting the active system ---------------------------------------------------

TEST_F(WgsxyzLibrary, FillsTheWholeBlockForTheDefaultSystem) {
  CoordinateBlock block;
  std::memset(block.Data(), 0xFF, wgsxyz::kBlockSize);
  getAktivSystem(block.Data(), nullptr, nullptr, 1);
  EXPECT_EQ(wgsxyz::ReadInt32(block.Data(), 176), 0);  // status byte, and the bytes after it zero
  EXPECT_EQ(block.SystemText(), "41;CH03");
  EXPECT_EQ(block.SystemName(), "CH1903 / LV03");
  EXPECT_EQ(block.Data()[wgsxyz::kAdministratorOffset], 1);
  EXPECT_EQ(block.Mode(), 0);
  for (size_t i = 192; i < 256; ++i) EXPECT_EQ(block.Data()[i], 0) << i;

  EXPECT_EQ(Active("  ").SystemText(), "41;CH03");
  EXPECT_EQ(Active(" epsg:02056 ").SystemText(), "EPSG:2056");
  EXPECT_EQ(Active("41;ch95").SystemText(), "41;CH95");
  EXPECT_FALSE(Active("41;ch95").Unusable());
  EXPECT_EQ(Active("49;GK3").SystemName(), "DHDN / Gau\xDF-Kr\xFCger Streifen 3");
}

TEST_F(WgsxyzLibrary, UnknownOrUnusableSystemsHaveStatusOneAndConvertNothing) {
  const char* texts[] = {"41;XX99", "EPSG:4326" /* geographic */, "EPSG:0", "EPSG:abc", "EPSG:1234567890",
                         "EPSG:3025" /* only a ballpark shift to WGS 84 */,
                         "EPSG:5516" /* only through a grid that is not installed */,
                         "EPSG:2056 plus a text far too long to be stored in the block's field of 64 bytes"};
  for (const char* text : texts) {
    CoordinateBlock block = Active(text);
    EXPECT_EQ(wgsxyz::ReadInt32(block.Data(), 176), 1) << text;
    EXPECT_TRUE(AllNaN(Grid(block, kDegrees, 8.44, 47.38, 400))) << text;
    EXPECT_TRUE(AllNaN(Geographic(block, kDegrees, 675791, 248769, 400))) << text;
  }
  // A usable system whose block says "not usable" is not used either.
  CoordinateBlock block = Active("41;CH03");
  block.Data()[wgsxyz::kStatusOffset] = wgsxyz::kStatusUnusable;
  EXPECT_TRUE(AllNaN(Grid(block, kDegrees, 8.44, 47.38, 400)));
}

// ---- Known points ------------------------------------------------------------------

TEST_F(WgsxyzLibrary, Lv03IsComputedOnTheOfficialGrid) {
  CoordinateBlock block = Active("41;CH03");
  ASSERT_FALSE(block.Unusable());
  // Reference values: cct with the CHENyx06 ETRS89 grid pipeline.
  ExpectGrid(Grid(block, kMinutes, kZurichLonMinutes, kZurichLatMinutes, 0), 675791.21296, 248769.02794, 0);
  ExpectGrid(Grid(block, kSeconds, kZurichLonSeconds, kZurichLatSeconds, 0), 675791.21296, 248769.02794, 0);
  ExpectGrid(Grid(block, kDegrees, 7.43864, 46.95108, 512.25), 600000.49392, 199999.62567, 512.25);

  // The projection's origin lies at the old observatory of Bern.
  Triple origin = Geographic(block, kDegrees, 600000, 200000, 0);
  EXPECT_NEAR(origin.a, 7.4386335119, 1e-9);
  EXPECT_NEAR(origin.b, 46.9510833672, 1e-9);
  EXPECT_NEAR(origin.a, 7.43864, 2e-5);
  EXPECT_NEAR(origin.b, 46.95108, 2e-5);

  // The plain datum shift PROJ prefers for EPSG:21781 lies about a metre
  // away; the LV95 values are the published ones.
  CoordinateBlock shifted = Active("EPSG:21781");
  ExpectGrid(Grid(shifted, kMinutes, kZurichLonMinutes, kZurichLatMinutes, 0), 675792.1475, 248768.9018, 0);
  CoordinateBlock lv95 = Active("41;CH95");
  ExpectGrid(Grid(lv95, kMinutes, kZurichLonMinutes, kZurichLatMinutes, 0), 2675792.1475, 1248768.9018, 0);
  // Gauss-Krueger zone 3 at Frankfurt (cs2cs EPSG:4979 EPSG:31467).
  CoordinateBlock gk = Active("49;GK3");
  ExpectGrid(Grid(gk, kDegrees, 8.68, 50.11, 150), 3477184.6877, 5552691.4042, 150);
}

TEST_F(WgsxyzLibrary, RoundTripsWithinAMillimetre) {
  struct Case {
    const char* system;
    double y, x, h;
  } cases[] = {{"41;CH03", 683000.123, 247000.456, 410.5},   {"41;CH95", 2683000.123, 1247000.456, 410.5},
               {"49;GK3", 3477184.6877, 5552691.4042, 150}, {"0;ETRS32", 475000.25, 5551000.75, 150},
               {"0;UTM32N", 457883.477, 5248100.137, 452.524}, {"EPSG:27700", 530000.5, 180000.5, 30}};
  for (const Case& c : cases) {
    CoordinateBlock block = Active(c.system);
    ASSERT_FALSE(block.Unusable()) << c.system;
    for (int32_t mode : {kDegrees, kSeconds}) {
      Triple geo = Geographic(block, mode, c.y, c.x, c.h);
      ASSERT_TRUE(geo.Finite()) << c.system;
      ExpectGrid(Grid(block, mode, geo.a, geo.b, geo.c), c.y, c.x, c.h);
    }
    Triple geo = Geographic(block, kDegrees, c.y, c.x, c.h);
    Triple grid = Grid(block, kDegrees, geo.a, geo.b, geo.c);
    Triple again = Geographic(block, kDegrees, grid.a, grid.b, grid.c);
    EXPECT_NEAR(again.a, geo.a, 1e-9) << c.system;
    EXPECT_NEAR(again.b, geo.b, 1e-9) << c.system;
  }
}

TEST_F(WgsxyzLibrary, PackedAnglesAreSplitAtTheirDigits) {
  CoordinateBlock block = Active("41;CH95");
  // 46.30 is 46 deg 30 min (not 29.9999 min plus 99 s), in both forms.
  Triple byMinutes = Grid(block, kMinutes, 8.30, 46.30, 0);
  Triple bySeconds = Grid(block, kSeconds, 8.30, 46.30, 0);
  Triple byDegrees = Grid(block, kDegrees, 8.5, 46.5, 0);
  ExpectGrid(byMinutes, byDegrees.a, byDegrees.b, 0);
  ExpectGrid(bySeconds, byDegrees.a, byDegrees.b, 0);
  // Southern and western values keep their sign.
  CoordinateBlock utm = Active("0;UTM23S");
  Triple south = Grid(utm, kMinutes, -43.1234, -22.5432, 0);
  Triple southByDegrees = Grid(utm, kDegrees, -(43 + 12.34 / 60), -(22 + 54.32 / 60), 0);
  ExpectGrid(south, southByDegrees.a, southByDegrees.b, southByDegrees.c);
  Triple back = Geographic(utm, kMinutes, south.a, south.b, 0);
  EXPECT_NEAR(back.a, -43.1234, 1e-9);
  EXPECT_NEAR(back.b, -22.5432, 1e-9);

  // A value a hair below a full degree is written as the full degree, never
  // as 60 minutes; a waypoint carries 0.00001 minute.
  Triple grid = Grid(block, kDegrees, 8.5, 46.99999999999, 0);
  Triple packed = Geographic(block, kMinutes, grid.a, grid.b, 0);
  EXPECT_DOUBLE_EQ(packed.b, 47.0);
  EXPECT_DOUBLE_EQ(packed.a, 8.30);
  packed = Geographic(block, kSeconds, grid.a, grid.b, 0);
  EXPECT_DOUBLE_EQ(packed.b, 47.0);

  // Minutes or seconds of 60 and more, and unknown modes, convert nothing.
  EXPECT_TRUE(AllNaN(Grid(block, kMinutes, 8.30, 46.65, 0)));
  EXPECT_TRUE(AllNaN(Grid(block, kSeconds, 8.3075, 46.30, 0)));
  EXPECT_TRUE(AllNaN(Grid(block, 7, 8.5, 46.5, 0)));
  EXPECT_TRUE(AllNaN(Geographic(block, 7, byDegrees.a, byDegrees.b, 0)));
}

TEST_F(WgsxyzLibrary, PositionsOutsideTheAreaOfUseFail) {
  CoordinateBlock block = Active("41;CH03");
  EXPECT_TRUE(AllNaN(Grid(block, kDegrees, 9.19, 45.46, 120)));  // Milan
  EXPECT_TRUE(AllNaN(Grid(block, kDegrees, 8.5, 91, 120)));
  EXPECT_TRUE(AllNaN(Grid(block, kDegrees, std::nan(""), 47, 120)));
  EXPECT_TRUE(Geographic(block, kDegrees, 675791, 248769, 400).Finite());
  EXPECT_TRUE(AllNaN(Geographic(block, kDegrees, 100000, 100000, 400)));
  // The geographic triple is left as it was when a forward conversion fails.
  block.SetMode(kDegrees);
  block.SetGeographic(9.19, 45.46, 120);
  toGrid(block.Data());
  EXPECT_EQ(block.Geographic().a, 9.19);

  CoordinateBlock utm = Active("0;UTM32N");
  EXPECT_TRUE(Grid(utm, kDegrees, 11.9, 47, 0).Finite());
  EXPECT_TRUE(AllNaN(Grid(utm, kDegrees, 12.5, 47, 0)));
  EXPECT_TRUE(AllNaN(Grid(utm, kDegrees, 8.5, -1, 0)));
  CoordinateBlock gk = Active("49;GK3");
  EXPECT_TRUE(AllNaN(Grid(gk, kDegrees, 7.43864, 46.95108, 0)));  // Bern: outside zone 3
}

// ---- Grids and geoid models ----------------------------------------------------------

// Runs checks in a child process whose PROJ data folder holds the database
// and nothing else (PROJ keeps the folder it saw first for the process).
template <class Checks>
void WithBareProjData(Checks&& checks) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        {
          TempDir dir;
          ScopedEnv env("PROJ_DATA", dir.path());
          EXPECT_EQ(symlink("/usr/share/proj/proj.db", (dir / "proj.db").c_str()), 0);
          checks();
        }
        std::_Exit(::testing::Test::HasFailure() ? 1 : 0);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(WgsxyzLibrary, AMissingGridMakesTheSystemUnusableInsteadOfRough) {
  WithBareProjData([this] {
    EXPECT_TRUE(Active("41;CH03").Unusable());
    // Systems whose stated transformation needs no grid stay usable.
    CoordinateBlock lv95 = Active("41;CH95");
    EXPECT_FALSE(lv95.Unusable());
    ExpectGrid(Grid(lv95, kMinutes, kZurichLonMinutes, kZurichLatMinutes, 0), 2675792.1475, 1248768.9018, 0);

    // The grid in the coordinate-system folder, under any letter case.
    TempDir gps;
    EXPECT_EQ(symlink("/usr/share/proj/CHENYX06_etrs.gsb", (gps / "chenyx06_ETRS.GSB").c_str()), 0);
    CoordinateBlock block = Active("41;CH03", (gps.path() + "\\").c_str());
    EXPECT_FALSE(block.Unusable());
    ExpectGrid(Grid(block, kMinutes, kZurichLonMinutes, kZurichLatMinutes, 0), 675791.21296, 248769.02794, 0);
  });
}

TEST_F(WgsxyzLibrary, HeightsAreEllipsoidalUnlessAGeoidModelIsInstalled) {
  CoordinateBlock lv95 = Active("41;CH95");
  EXPECT_FALSE(lv95.GeoidHeights());
  EXPECT_EQ(Grid(lv95, kDegrees, 8.442, 47.385, 500).c, 500);

  // proj-data ships EGM96 (cs2cs EPSG:4979 EPSG:32632+5773).
  CoordinateBlock utm = Active("0;UTM32N");
  EXPECT_TRUE(utm.GeoidHeights());
  ExpectGrid(Grid(utm, kDegrees, 8.442, 47.385, 500), 457883.4770, 5248100.1369, 452.5238);
  EXPECT_NEAR(Geographic(utm, kDegrees, 457883.4770, 5248100.1369, 452.5238).c, 500, kMillimetre);

  WithBareProjData([this] {
    CoordinateBlock plain = Active("0;UTM32N");
    EXPECT_FALSE(plain.GeoidHeights());
    ExpectGrid(Grid(plain, kDegrees, 8.442, 47.385, 500), 457883.4770, 5248100.1369, 500);
  });
}

}  // namespace
}  // namespace veltro::test
