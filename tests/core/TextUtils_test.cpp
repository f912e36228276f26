#include "core/TextUtils.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <map>

#include "platform/MessagePump.h"
#include "platform/SerialDevices.h"
#include "tests/support/TransferFixture.h"

namespace veltro::test {
namespace {

TEST(TextTrimAndCut, TrimBlanksCountsOnlyCharacter32) {
  EXPECT_EQ(TrimBlanks("  a b  "), "a b");
  EXPECT_EQ(TrimBlanks("\ta\t"), "\ta\t");
  EXPECT_EQ(TrimBlanks("   "), "");
  EXPECT_EQ(TrimBlanks(""), "");
  EXPECT_EQ(TrimLeftChar("000120", '0'), "120");
  EXPECT_EQ(TrimRightChar("12.500", '0'), "12.5");
  EXPECT_EQ(TrimLeftChar("000", '0'), "");
  EXPECT_EQ(TrimRightChar("", '0'), "");
}

TEST(TextTrimAndCut, LeftAndRightTextNeverReadPastTheEnd) {
  EXPECT_EQ(LeftText("abcdef", 3), "abc");
  EXPECT_EQ(LeftText("ab", 5), "ab");
  EXPECT_EQ(LeftText("ab", 0), "");
  EXPECT_EQ(LeftText("ab", -3), "");
  EXPECT_EQ(RightText("abcdef", 2), "ef");
  EXPECT_EQ(RightText("ab", 5), "ab");
  EXPECT_EQ(RightText("ab", -1), "");
  EXPECT_EQ(LeftText("", INT_MAX), "");
}

TEST(TextPad, CharStringBlanksAndPadding) {
  EXPECT_EQ(CharString('x', 3), "xxx");
  EXPECT_EQ(CharString('x', 0), "");
  EXPECT_EQ(CharString('x', -5), "");
  EXPECT_EQ(Blanks(2), "  ");
  EXPECT_EQ(Blanks(-1), "");
  EXPECT_EQ(PadLeft("12", '0', 5), "00012");
  EXPECT_EQ(PadLeft("123456", '0', 4), "123456");
  EXPECT_EQ(PadLeft("1", '0', -4), "1");
  EXPECT_EQ(PadRight("ab", '.', 4), "ab..");
  EXPECT_EQ(PadRight("abcde", '.', 4), "abcde");
  EXPECT_EQ(PadLeftBlanks("a", 3), "  a");
  EXPECT_EQ(PadRightBlanks("a", 3), "a  ");
  EXPECT_EQ(ZeroPad(" 42 ", 5), "00042");
  EXPECT_EQ(ZeroPad("", 2), "00");
  EXPECT_EQ(ZeroPad("123456", 3), "123456");
}

TEST(TextPath, BackslashesAndLineEnds) {
  EXPECT_EQ(AddBackslash("C:\\Daten"), "C:\\Daten\\");
  EXPECT_EQ(AddBackslash("C:\\Daten\\"), "C:\\Daten\\");
  EXPECT_EQ(AddBackslash(""), "\\");
  EXPECT_EQ(RemoveBackslash("C:\\Daten\\\\"), "C:\\Daten\\");
  EXPECT_EQ(RemoveBackslash("C:\\Daten"), "C:\\Daten");
  EXPECT_EQ(RemoveBackslash(""), "");
  EXPECT_EQ(RemoveLineEnds("abc\r\n\n\r"), "abc");
  EXPECT_EQ(RemoveLineEnds("a\r\nb"), "a\r\nb");
  EXPECT_EQ(RemoveLineEnds("\r\n"), "");
  EXPECT_EQ(LastChar("abc"), 'c');
  EXPECT_EQ(LastChar(""), '\0');
}

TEST(TextTokens, CutToken) {
  std::string text = "a;b;c";
  EXPECT_EQ(CutToken(text, ';'), "a");
  EXPECT_EQ(text, "b;c");
  EXPECT_EQ(CutToken(text, ';'), "b");
  EXPECT_EQ(CutToken(text, ';'), "c");
  EXPECT_EQ(text, "");
  EXPECT_EQ(CutToken(text, ';'), "");
  text = ";x";
  EXPECT_EQ(CutToken(text, ';'), "");
  EXPECT_EQ(text, "x");
}

TEST(TextTokens, TokenCountMatchesCutTokenCalls) {
  EXPECT_EQ(TokenCount("a;;b", ';'), 3);
  EXPECT_EQ(TokenCount("a;", ';'), 1);
  EXPECT_EQ(TokenCount("", ';'), 0);
  EXPECT_EQ(TokenCount(";", ';'), 1);
  EXPECT_EQ(TokenCount(";;", ';'), 2);
  EXPECT_EQ(TokenCount("abc", ';'), 1);
  for (std::string text : {"a;;b", "a;", ";", ";;", "x;y;z;", ";a;"}) {
    int calls = 0;
    std::string rest = text;
    while (!rest.empty()) {
      CutToken(rest, ';');
      ++calls;
    }
    EXPECT_EQ(TokenCount(text, ';'), calls) << text;
  }
}

TEST(TextTokens, FieldAt) {
  EXPECT_EQ(FieldAt("a,b,,d", ',', 3), "d");
  EXPECT_EQ(FieldAt("a,b,,d", ',', 2), "");
  EXPECT_EQ(FieldAt("a,b,,d", ',', 0), "a");
  EXPECT_EQ(FieldAt("a,b", ',', 5), "");
  EXPECT_EQ(FieldAt("a,b", ',', -1), "");
  EXPECT_EQ(FieldAt("a,b,", ',', 2), "");
  EXPECT_EQ(FieldAt("", ',', 0), "");
}

TEST(TextTokens, SplitToListStopsAtTheFirstEmptyToken) {
  std::vector<std::string> list{"old"};
  SplitToList("a;;b", ';', list);
  EXPECT_EQ(list, std::vector<std::string>{"a"});
  SplitToList("a;b;c;", ';', list);
  EXPECT_EQ(list, (std::vector<std::string>{"a", "b", "c"}));
  SplitToList("", ';', list);
  EXPECT_TRUE(list.empty());
  SplitToList(";a", ';', list);
  EXPECT_TRUE(list.empty());
}

TEST(TextTokens, ReplaceField) {
  EXPECT_EQ(ReplaceField("x", "a;b;c", ';', 4), "a;b;c;;x");
  EXPECT_EQ(ReplaceField("x", "a;b;c", ';', 1), "a;x;c");
  EXPECT_EQ(ReplaceField("x", "a;b;c", ';', 0), "x;b;c");
  EXPECT_EQ(ReplaceField("x", "", ';', 2), ";;x");
  EXPECT_EQ(ReplaceField("x", "a;", ';', 1), "a;x");
  EXPECT_EQ(ReplaceField("x", "a;b", ';', -1), "a;b");
  EXPECT_EQ(ReplaceField("x", "a;;c", ';', 1), "a;x;c");
  EXPECT_EQ(ReplaceField("", "a;b;c", ';', 2), "a;b;");
}

TEST(TextReplace, CountAndReplaceChar) {
  EXPECT_EQ(CountChar("a;b;;c", ';'), 3);
  EXPECT_EQ(CountChar("", ';'), 0);
  EXPECT_EQ(ReplaceChar("1,5", ',', "."), "1.5");
  EXPECT_EQ(ReplaceChar("a-b-c", '-', "--"), "a--b--c");
  EXPECT_EQ(ReplaceChar("a-b", '-', ""), "ab");
}

TEST(TextReplace, PosFrom) {
  EXPECT_EQ(PosFrom("b", "abcabc", 1), 2);
  EXPECT_EQ(PosFrom("b", "abcabc", 2), 2);
  EXPECT_EQ(PosFrom("b", "abcabc", 3), 5);
  EXPECT_EQ(PosFrom("b", "abcabc", 6), 0);
  EXPECT_EQ(PosFrom("b", "abcabc", 100), 0);
  EXPECT_EQ(PosFrom("b", "abcabc", 0), 2);
  EXPECT_EQ(PosFrom("b", "abcabc", -7), 2);
  EXPECT_EQ(PosFrom("", "abc", 1), 0);
  EXPECT_EQ(PosFrom("abcd", "abc", 1), 0);
}

TEST(TextReplace, ReplaceAllContinuesAfterTheInsertedText) {
  std::string text = "a.b.c";
  ReplaceAll(text, ".", "..");
  EXPECT_EQ(text, "a..b..c");
  text = "aaa";
  ReplaceAll(text, "a", "aa");
  EXPECT_EQ(text, "aaaaaa");
  text = "xyxy";
  ReplaceAll(text, "xy", "");
  EXPECT_EQ(text, "");
  text = "abc";
  ReplaceAll(text, "", "x");
  EXPECT_EQ(text, "abc");
}

TEST(TextReplace, ReplaceTextFlags) {
  EXPECT_EQ(ReplaceText("Abc abc", "abc", "x", 0), "x abc");
  EXPECT_EQ(ReplaceText("Abc abc", "abc", "x", kReplaceAll), "x x");
  EXPECT_EQ(ReplaceText("Abc abc", "abc", "x", kReplaceMatchCase), "Abc x");
  EXPECT_EQ(ReplaceText("Abc abc", "abc", "x", kReplaceMatchCase | kReplaceAll), "Abc x");
  EXPECT_EQ(ReplaceText("aaa", "a", "aa", kReplaceAll), "aaaaaa");
  EXPECT_EQ(ReplaceText("H\xF6he H\xD6HE", "h\xD6he", "Z", kReplaceAll), "Z Z");  // Höhe, HÖHE
  EXPECT_EQ(ReplaceText("abc", "", "x", kReplaceAll), "abc");
  EXPECT_EQ(ReplaceText("", "a", "x", kReplaceAll), "");
}

// Code page 850 and 1252 upper halves (0x80-0xFF) as Unicode code points,
// an independent description of both pages; kUnused marks an unused 1252
// byte.
constexpr unsigned kUnused = 0xFFFF;
const unsigned kCp850[128] = {
    0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xE0, 0xE5, 0xE7, 0xEA, 0xEB, 0xE8, 0xEF, 0xEE, 0xEC, 0xC4, 0xC5,
    0xC9, 0xE6, 0xC6, 0xF4, 0xF6, 0xF2, 0xFB, 0xF9, 0xFF, 0xD6, 0xDC, 0xF8, 0xA3, 0xD8, 0xD7, 0x192,
    0xE1, 0xED, 0xF3, 0xFA, 0xF1, 0xD1, 0xAA, 0xBA, 0xBF, 0xAE, 0xAC, 0xBD, 0xBC, 0xA1, 0xAB, 0xBB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0xC1, 0xC2, 0xC0, 0xA9, 0x2563, 0x2551, 0x2557, 0x255D, 0xA2, 0xA5, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0xE3, 0xC3, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0xA4,
    0xF0, 0xD0, 0xCA, 0xCB, 0xC8, 0x131, 0xCD, 0xCE, 0xCF, 0x2518, 0x250C, 0x2588, 0x2584, 0xA6, 0xCC, 0x2580,
    0xD3, 0xDF, 0xD4, 0xD2, 0xF5, 0xD5, 0xB5, 0xFE, 0xDE, 0xDA, 0xDB, 0xD9, 0xFD, 0xDD, 0xAF, 0xB4,
    0xAD, 0xB1, 0x2017, 0xBE, 0xB6, 0xA7, 0xF7, 0xB8, 0xB0, 0xA8, 0xB7, 0xB9, 0xB3, 0xB2, 0x25A0, 0xA0,
};
unsigned Cp1252(unsigned byte) {
  static const unsigned kLow[32] = {
      0x20AC,  kUnused, 0x201A, 0x192,  0x201E, 0x2026, 0x2020, 0x2021, 0x2C6,  0x2030, 0x160,
      0x2039,  0x152,   kUnused, 0x17D, kUnused, kUnused, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013,  0x2014,  0x2DC,  0x2122, 0x161,  0x203A, 0x153,  kUnused, 0x17E, 0x178};
  return byte < 0x80 ? byte : byte < 0xA0 ? kLow[byte - 0x80] : byte;
}
unsigned Cp850(unsigned byte) { return byte < 0x80 ? byte : kCp850[byte - 0x80]; }

TEST(OemCodePage, EveryCharacterOfBothPagesSurvivesTheRoundTrip) {
  std::map<unsigned, unsigned> ansiOf;  // code point -> 1252 byte
  for (unsigned b = 0; b < 256; ++b)
    if (Cp1252(b) != kUnused) ansiOf[Cp1252(b)] = b;
  int shared = 0;
  for (unsigned b = 0; b < 256; ++b) {
    const std::string oem(1, static_cast<char>(b));
    const std::string ansi = OemToAnsi(oem);
    ASSERT_EQ(ansi.size(), 1u);
    auto found = ansiOf.find(Cp850(b));
    if (found == ansiOf.end()) {
      EXPECT_EQ(ansi, "?") << "OEM byte " << b;
      continue;
    }
    ++shared;
    EXPECT_EQ(static_cast<unsigned char>(ansi[0]), found->second) << "OEM byte " << b;
    EXPECT_EQ(AnsiToOem(ansi), oem) << "OEM byte " << b;
  }
  EXPECT_EQ(shared, 128 + 97);  // ASCII, Latin-1 and the florin sign
}

TEST(OemCodePage, AnsiCharactersMissingInTheOemPageBecomeTheReplacement) {
  std::map<unsigned, unsigned> oemOf;
  for (unsigned b = 0; b < 256; ++b) oemOf[Cp850(b)] = b;
  for (unsigned b = 0; b < 256; ++b) {
    const std::string oem = AnsiToOem(std::string(1, static_cast<char>(b)));
    auto found = oemOf.find(Cp1252(b));
    unsigned expected = found == oemOf.end() ? '?' : found->second;
    EXPECT_EQ(static_cast<unsigned char>(oem[0]), expected) << "ANSI byte " << b;
  }
}

TEST(OemCodePage, KnownCharactersAndSameLength) {
  // "Höhe ±0.5° Maß 3µ" in 1252 and in 850.
  const std::string ansi = "H\xF6he \xB1" "0.5\xB0 Ma\xDF 3\xB5";
  const std::string oem = "H\x94he \xF1" "0.5\xF8 Ma\xE1 3\xE6";
  EXPECT_EQ(AnsiToOem(ansi), oem);
  EXPECT_EQ(OemToAnsi(oem), ansi);
  EXPECT_EQ(AnsiToOem("\x80 \x93x\x94"), "? ?x?");  // euro sign, typographic quotes
  EXPECT_EQ(OemToAnsi("\xC4\xCD\xB3"), "???");      // box drawing
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(OemToAnsi(all).size(), 256u);
  EXPECT_EQ(AnsiToOem(all).size(), 256u);
  EXPECT_EQ(OemToAnsi(all).substr(0, 128), all.substr(0, 128));
  EXPECT_EQ(AnsiToOem(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(FilterExtension, FirstPatternOfTheFilter) {
  EXPECT_EQ(FilterExtension("Koordinaten (*.xyz)|*.xyz;*.txt|Alle Dateien (*.*)|*.*"), "xyz");
  EXPECT_EQ(FilterExtension("GSI (*.gsi)|*.gsi|Alle (*.*)|*.*"), "gsi");
  EXPECT_EQ(FilterExtension("Text|*.txt"), "txt");
  EXPECT_EQ(FilterExtension("Alle Dateien (*.*)|*.*"), "");
  EXPECT_EQ(FilterExtension("Alle|*.*;*.txt"), "");
  EXPECT_EQ(FilterExtension(""), "");
  EXPECT_EQ(FilterExtension("Text (*.txt)"), "");  // no "|"
  EXPECT_EQ(FilterExtension("Text|txt"), "");       // no "*."
  EXPECT_EQ(FilterExtension("Text|*."), "");
  EXPECT_EQ(FilterExtension("|*.dxf|"), "dxf");
}

TEST(Locale, SeparatorsCanBeSetForTests) {
  SetSystemSeparators(',', '/', '-');
  EXPECT_EQ(SystemDecimalSeparator(), ',');
  EXPECT_EQ(SystemDateSeparator(), '/');
  EXPECT_EQ(SystemTimeSeparator(), '-');
  SetSystemSeparators('.', '.', ':');
}

TEST(Locale, InitLocaleKeepsNumbersWithPoint) {
  InitLocale();
  EXPECT_EQ(ParseNumber("1.5"), 1.5);
  EXPECT_EQ(FormatNumber(1, 1.5), "1.5");
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%.1f", 1.5);
  EXPECT_STREQ(buffer, "1.5");
  SetSystemSeparators('.', '.', ':');
}

TEST(PortExists, FollowsTheConfiguredDevice) {
  TempDir tmp;
  WriteFile(tmp / "ttyFAKE", "");
  SetSerialDeviceOverride(3, tmp / "ttyFAKE");
  SetSerialDeviceOverride(4, tmp / "missing");
  SetSerialDeviceOverride(5, "");
  EXPECT_TRUE(PortExists(3));
  EXPECT_FALSE(PortExists(4));
  EXPECT_FALSE(PortExists(5));
  EXPECT_FALSE(PortExists(0));
  EXPECT_FALSE(PortExists(-1));
  ClearSerialDeviceOverrides();
}

TEST(WaitMilliseconds, WaitsAtLeastTheTimeAndPumpsMessages) {
  int pumped = 0;
  SetMessagePump([&pumped] { ++pumped; });
  auto start = std::chrono::steady_clock::now();
  WaitMilliseconds(30);
  auto waited = std::chrono::steady_clock::now() - start;
  SetMessagePump(nullptr);
  EXPECT_GE(waited, std::chrono::milliseconds(30));
  EXPECT_GE(pumped, 1);
}

TEST(WaitMilliseconds, ZeroAndNegativeReturnAfterOnePump) {
  // A wait whose end has passed pumps once and never loops.
  int pumped = 0;
  SetMessagePump([&pumped] { ++pumped; });
  WaitMilliseconds(0);
  EXPECT_EQ(pumped, 1);
  WaitMilliseconds(-1000);
  EXPECT_EQ(pumped, 2);
  SetMessagePump(nullptr);
}

}  // namespace
}  // namespace veltro::test
