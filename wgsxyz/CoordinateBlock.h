// The 256-byte coordinate-system block shared by the program and the
// coordinate-system library WGSXYZ, and the language lines the program hands
// to the library's dialog. Header only and standard library only, so that
// both sides include the same definitions.
//
// Fields the program uses (offsets in bytes):
//   176      status byte after GetAktivSystem (1: system not usable); the
//            library keeps 177..179 zero, so a 32-bit read at 176 agrees
//   184      32-bit little-endian mode, set by the caller before a conversion
//   192..212 grid Y (easting), X (northing), height: 80-bit extended floats
//   222..242 longitude, latitude, height: 80-bit extended floats
// Fields of the library's own (the program only shows or ignores them):
//   0..63    active system text, zero-terminated
//   64..175  short system name (code page 1252), zero-terminated
//   180      1 when grid heights are above a geoid model, 0 when ellipsoidal
//   181      the administrator flag passed to GetAktivSystem
#pragma once

#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace veltro::wgsxyz {

inline constexpr std::size_t kBlockSize = 256;
inline constexpr std::size_t kSystemTextOffset = 0;
inline constexpr std::size_t kSystemTextSize = 64;
inline constexpr std::size_t kSystemNameOffset = 64;
inline constexpr std::size_t kSystemNameSize = 112;
inline constexpr std::size_t kStatusOffset = 176;
inline constexpr std::size_t kGeoidHeightsOffset = 180;
inline constexpr std::size_t kAdministratorOffset = 181;
inline constexpr std::size_t kModeOffset = 184;
inline constexpr std::size_t kGridYOffset = 192;
inline constexpr std::size_t kGridXOffset = 202;
inline constexpr std::size_t kGridHeightOffset = 212;
inline constexpr std::size_t kLongitudeOffset = 222;
inline constexpr std::size_t kLatitudeOffset = 232;
inline constexpr std::size_t kGeoHeightOffset = 242;
inline constexpr std::size_t kExtendedSize = 10;

inline constexpr unsigned char kStatusUsable = 0;
inline constexpr unsigned char kStatusUnusable = 1;

// Angle forms of the geographic triple.
inline constexpr int32_t kModeDegrees = 0;            // decimal degrees
inline constexpr int32_t kModeDegreesMinutes = 1;     // DD.MMmmmmm: degrees + minutes / 100 (waypoint sentence)
inline constexpr int32_t kModeDegreesMinutesSeconds = 2;  // DD.MMSSsss (controller GPS records)

inline constexpr char kDefaultSystem[] = "41;CH03";

// 80-bit extended float: 64-bit mantissa with explicit integer bit, then
// sign and 15-bit exponent (bias 16383), little-endian.
inline void EncodeExtended(double value, unsigned char* out) {
  uint64_t mantissa = 0;
  uint16_t signExponent = std::signbit(value) ? 0x8000 : 0;
  if (std::isnan(value)) {
    signExponent |= 0x7FFF;
    mantissa = 0xC000000000000000ULL;
  } else if (std::isinf(value)) {
    signExponent |= 0x7FFF;
    mantissa = 0x8000000000000000ULL;
  } else if (const uint64_t bits = std::bit_cast<uint64_t>(value); (bits >> 52 & 0x7FF) != 0) {
    // A normal double: its 52 fraction bits below the explicit integer bit.
    mantissa = 0x8000000000000000ULL | (bits & 0xFFFFFFFFFFFFFULL) << 11;
    signExponent |= static_cast<uint16_t>((bits >> 52 & 0x7FF) - 1023 + 16383);
  } else if (value != 0) {
    int exponent = 0;
    double fraction = std::frexp(std::fabs(value), &exponent);  // [0.5, 1)
    mantissa = static_cast<uint64_t>(std::ldexp(fraction, 64));  // exact: 53 bits
    signExponent |= static_cast<uint16_t>(exponent - 1 + 16383);
  }
  for (int i = 0; i < 8; ++i) out[i] = static_cast<unsigned char>(mantissa >> (8 * i));
  out[8] = static_cast<unsigned char>(signExponent & 0xFF);
  out[9] = static_cast<unsigned char>(signExponent >> 8);
}

// Nearest double; NaN for the encodings the processor itself rejects
// (unnormals, pseudo-infinities).
inline double DecodeExtended(const unsigned char* in) {
  uint64_t mantissa = 0;
  for (int i = 0; i < 8; ++i) mantissa |= static_cast<uint64_t>(in[i]) << (8 * i);
  const unsigned signExponent = in[8] | (static_cast<unsigned>(in[9]) << 8);
  const int exponent = static_cast<int>(signExponent & 0x7FFF);
  const bool negative = (signExponent & 0x8000) != 0;
  const bool integerBit = (mantissa >> 63) != 0;
  double value;
  if (exponent == 0x7FFF)
    value = mantissa == 0x8000000000000000ULL ? std::numeric_limits<double>::infinity()
                                              : std::numeric_limits<double>::quiet_NaN();
  else if (exponent == 0)
    value = std::ldexp(static_cast<double>(mantissa), 1 - 16383 - 63);
  else if (!integerBit)
    value = std::numeric_limits<double>::quiet_NaN();
  else if (const int power = exponent - 16383 - 63; power > -1000 && power < 900)
    // The mantissa rounded once to 53 bits, then scaled exactly.
    value = static_cast<double>(mantissa) * std::bit_cast<double>(static_cast<uint64_t>(power + 1023) << 52);
  else
    value = std::ldexp(static_cast<double>(mantissa), power);
  return negative ? -value : value;
}

inline double ReadExtended(const unsigned char* block, std::size_t offset) { return DecodeExtended(block + offset); }
inline void WriteExtended(unsigned char* block, std::size_t offset, double value) { EncodeExtended(value, block + offset); }

inline int32_t ReadInt32(const unsigned char* block, std::size_t offset) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(block[offset + i]) << (8 * i);
  return static_cast<int32_t>(v);
}
inline void WriteInt32(unsigned char* block, std::size_t offset, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) block[offset + i] = static_cast<unsigned char>(v >> (8 * i));
}

// Zero-terminated text of at most size - 1 bytes; false (field emptied) when
// the text does not fit.
inline bool WriteText(unsigned char* block, std::size_t offset, std::size_t size, const std::string& text) {
  std::memset(block + offset, 0, size);
  if (text.size() >= size) return false;
  std::memcpy(block + offset, text.data(), text.size());
  return true;
}
inline std::string ReadText(const unsigned char* block, std::size_t offset, std::size_t size) {
  const auto* begin = reinterpret_cast<const char*>(block + offset);
  return std::string(begin, strnlen(begin, size));
}

struct Triple {
  double a = 0, b = 0, c = 0;
  bool Finite() const { return std::isfinite(a) && std::isfinite(b) && std::isfinite(c); }
};

// The block as the program holds it: zeroed, filled by GetAktivSystem, then
// passed by Data() to every conversion.
class CoordinateBlock {
 public:
  unsigned char* Data() { return bytes_.data(); }
  const unsigned char* Data() const { return bytes_.data(); }
  void Clear() { bytes_.fill(0); }

  bool Unusable() const { return bytes_[kStatusOffset] == kStatusUnusable; }
  std::string SystemText() const { return ReadText(Data(), kSystemTextOffset, kSystemTextSize); }
  std::string SystemName() const { return ReadText(Data(), kSystemNameOffset, kSystemNameSize); }
  bool GeoidHeights() const { return bytes_[kGeoidHeightsOffset] != 0; }

  int32_t Mode() const { return ReadInt32(Data(), kModeOffset); }
  void SetMode(int32_t mode) { WriteInt32(Data(), kModeOffset, mode); }

  // Y (easting), X (northing), height.
  Triple Grid() const { return Get(kGridYOffset, kGridXOffset, kGridHeightOffset); }
  void SetGrid(double y, double x, double height) { Set(kGridYOffset, kGridXOffset, kGridHeightOffset, y, x, height); }
  // Longitude, latitude, height in the block's mode.
  Triple Geographic() const { return Get(kLongitudeOffset, kLatitudeOffset, kGeoHeightOffset); }
  void SetGeographic(double longitude, double latitude, double height) {
    Set(kLongitudeOffset, kLatitudeOffset, kGeoHeightOffset, longitude, latitude, height);
  }

 private:
  Triple Get(std::size_t a, std::size_t b, std::size_t c) const {
    return {ReadExtended(Data(), a), ReadExtended(Data(), b), ReadExtended(Data(), c)};
  }
  void Set(std::size_t a, std::size_t b, std::size_t c, double va, double vb, double vc) {
    WriteExtended(Data(), a, va);
    WriteExtended(Data(), b, vb);
    WriteExtended(Data(), c, vc);
  }
  std::array<unsigned char, kBlockSize> bytes_{};
};

// Language texts of the library's dialog, in the order of the lines passed
// to SetLanguageStrings. With the ShowXY flag of the branch, 2212 comes
// before 2211. The library's own texts 760-769 follow the fixed list.
struct TextRange {
  int first, last;
};
inline constexpr TextRange kLanguageTextOrder[] = {
    {98, 99},       {1701, 1701},   {1711, 1711},   {1801, 1801}, {1811, 1811}, {1901, 1901}, {1911, 1918},
    {1951, 1958},   {2001, 2001},   {2011, 2017},   {2051, 2057}, {2061, 2064}, {2101, 2101}, {2111, 2114},
    {2151, 2153},   {10013, 10016}, {10008, 10011}, {10017, 10020}, {1401, 1401}, {1411, 1416}, {1421, 1423},
    {10021, 10030}, {2201, 2201},   {2211, 2212},   {2213, 2220}, {760, 769}};

inline std::vector<int> LanguageTextNumbers(bool showXY) {
  std::vector<int> numbers;
  for (const TextRange& r : kLanguageTextOrder)
    for (int n = r.first; n <= r.last; ++n) numbers.push_back(n);
  if (showXY)
    for (std::size_t i = 0; i + 1 < numbers.size(); ++i)
      if (numbers[i] == 2211) {
        std::swap(numbers[i], numbers[i + 1]);
        break;
      }
  return numbers;
}

// Line index of a text number in the order above (without ShowXY); -1 when
// it is not part of it.
constexpr int LanguageLine(int textNumber) {
  int line = 0;
  for (const TextRange& r : kLanguageTextOrder) {
    if (textNumber >= r.first && textNumber <= r.last) return line + textNumber - r.first;
    line += r.last - r.first + 1;
  }
  return -1;
}

// The one text for SetLanguageStrings: one text per line, CR LF between
// lines; line breaks inside a text become blanks so the lines stay in step.
template <class GetText>
std::string LanguageStrings(GetText&& getText, bool showXY) {
  std::string all;
  bool first = true;
  for (int number : LanguageTextNumbers(showXY)) {
    if (!first) all += "\r\n";
    first = false;
    std::string text = getText(number);
    for (char& c : text)
      if (c == '\r' || c == '\n') c = ' ';
    all += text;
  }
  return all;
}

}  // namespace veltro::wgsxyz
