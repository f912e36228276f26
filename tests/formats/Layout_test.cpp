#include "formats/office/Layout.h"

#include <gtest/gtest.h>

namespace veltro {
namespace {

using Fields = std::vector<std::string>;

// "%«" spelled out; "\xAB" must not run into following hex digits.
const std::string kKeep = std::string("%") + kKeepLastMark;

std::string Write(const std::string& layout, const LayoutArgs& args) {
  auto text = FormatLayout(layout, args);
  return text ? *text : std::string("<failure>");
}

LayoutArg Num(const char* text) { return LayoutArg::Number(text); }

// ---- Writing: conversions ---------------------------------------------------

TEST(LayoutWriteText, WidthPrecisionAndAlignment) {
  EXPECT_EQ(Write("%s", {"abc"}), "abc");
  EXPECT_EQ(Write("%5s|", {"abc"}), "  abc|");
  EXPECT_EQ(Write("%-5s|", {"abc"}), "abc  |");
  EXPECT_EQ(Write("%-15.15s|", {"Informationsbeschreibung"}), "Informationsbes|");
  EXPECT_EQ(Write("%2.2s", {"12345"}), "12");
  EXPECT_EQ(Write("%.0s|", {"abc"}), "|");
  EXPECT_EQ(Write("%3s", {"abcdef"}), "abcdef");  // width never cuts
}

// Texts of every length up to beyond two words are written whole, cut and
// padded as their conversion says; a text wider than its column fails in
// columns only.
TEST(LayoutWriteText, TextsOfEveryLengthAreWrittenWhole) {
  const std::string letters = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (size_t n = 0; n <= letters.size(); ++n) {
    const std::string t = letters.substr(0, n);
    const std::string pad = n < 6 ? std::string(6 - n, ' ') : std::string();
    const std::string expected = "<" + t + "|" + t + pad + "|" + pad + t + "|" + t.substr(0, 3) + "|" +
                                 (n > 3 ? t.substr(n - 3) : t) + "|" + t + ">";
    EXPECT_EQ(FormatLayout("<%s|%-6s|%6s|%.3s|%\xAB.3s|[%s]>", {t, t, t, t, t, t}), expected) << n;
    EXPECT_EQ(FormatLayoutInColumns("%6s|", {t}).has_value(), n <= 6) << n;
  }
}

TEST(LayoutWriteText, TextsAreNeverPatterns) {
  EXPECT_EQ(Write("%s|%s", {"%s%d%n", "100%"}), "%s%d%n|100%");
}

TEST(LayoutWriteInteger, DigitsSignAndPrecision) {
  EXPECT_EQ(Write("%4d|", {"12"}), "  12|");
  EXPECT_EQ(Write("%-4d|", {"-7"}), "-7  |");
  EXPECT_EQ(Write("%d", {LayoutArg::Integer(0)}), "0");
  EXPECT_EQ(Write("%.3d", {"-5"}), "-005");
  EXPECT_EQ(Write("%d", {"  007"}), "7");
  EXPECT_EQ(Write("%d", {"-0"}), "0");
  EXPECT_EQ(Write("%d", {"123456789012345678901234567890"}), "123456789012345678901234567890");
}

TEST(LayoutWriteInteger, NonIntegerArgumentFails) {
  EXPECT_FALSE(FormatLayout("%d", {"abc"}));
  EXPECT_FALSE(FormatLayout("%d", {""}));
  EXPECT_FALSE(FormatLayout("%d", {"12.5"}));
  EXPECT_FALSE(FormatLayout("%d", {"12 "}));
  EXPECT_FALSE(FormatLayout("%7d", {Num("x")}));
}

TEST(LayoutWriteFixed, RoundsTheDecimalTextHalfAwayFromZero) {
  EXPECT_EQ(Write("%.3f", {"600000.1235"}), "600000.124");
  EXPECT_EQ(Write("%.3f", {"600000.1234999"}), "600000.123");
  EXPECT_EQ(Write("%.2f", {"1.005"}), "1.01");  // 1.00499999... as a double
  EXPECT_EQ(Write("%.3f", {"-0.0005"}), "-0.001");
  EXPECT_EQ(Write("%.3f", {"-0.0004"}), "0.000");
  EXPECT_EQ(Write("%.3f", {"9.9995"}), "10.000");
  EXPECT_EQ(Write("%.0f", {"0.5"}), "1");
  EXPECT_EQ(Write("%.0f", {"0.4"}), "0");
  EXPECT_EQ(Write("%.3f", {"450"}), "450.000");
  EXPECT_EQ(Write("%.1f", {"+.25"}), "0.3");
  EXPECT_EQ(Write("%.2f", {"7."}), "7.00");
}

TEST(LayoutWriteFixed, WidthExponentAndDefaultPrecision) {
  EXPECT_EQ(Write("%11.3f|", {Num("600000.5")}), " 600000.500|");
  EXPECT_EQ(Write("%-8.3f|", {Num("1.5")}), "1.500   |");
  EXPECT_EQ(Write("%f", {"3"}), "3.00");
  EXPECT_EQ(Write("%.3f", {"1.5E3"}), "1500.000");
  EXPECT_EQ(Write("%.4f", {"125e-5"}), "0.0013");
  EXPECT_EQ(Write("%1.4f", {"2"}), "2.0000");  // width 1 is smaller than the number
  EXPECT_EQ(Write("%.3f", {"  2.5"}), "2.500");
}

TEST(LayoutWriteFixed, NonNumericArgumentFails) {
  EXPECT_FALSE(FormatLayout("%8.3f", {Num("")}));
  EXPECT_FALSE(FormatLayout("%8.3f", {Num("abc")}));
  EXPECT_FALSE(FormatLayout("%8.3f", {"1,5"}));
  EXPECT_FALSE(FormatLayout("%8.3f", {"2.5 "}));
  EXPECT_FALSE(FormatLayout("%8.3f", {"."}));
  EXPECT_FALSE(FormatLayout("%8.3f", {"1E"}));
  EXPECT_FALSE(FormatLayout("%8.3f", {"1E99999"}));
}

TEST(LayoutWritePercent, DoubleAndTriplePercent) {
  EXPECT_EQ(Write("100%%", {}), "100%");
  EXPECT_EQ(Write("_%%%s", {"20"}), "_%20");
  EXPECT_EQ(Write("%%s", {}), "%s");
}

TEST(LayoutWriteFailures, ArgumentsAndMalformedLayouts) {
  EXPECT_FALSE(FormatLayout("%-15.15s|%s", {"only one"}));
  EXPECT_EQ(FormatLayoutOrError("%-15.15s|%s", {"only one"}), "Error");
  EXPECT_EQ(Write("%s", {"a", "surplus"}), "a");
  EXPECT_FALSE(FormatLayout("abc%", {"x"}));
  EXPECT_FALSE(FormatLayout("%5", {"x"}));
  EXPECT_FALSE(FormatLayout("%q", {"x"}));
  EXPECT_FALSE(FormatLayout("%x", {"1"}));
  EXPECT_FALSE(FormatLayout("%99999999999s", {"x"}));
  EXPECT_EQ(Write("%S|%D", {"a", "1"}), "a|1");
}

// ---- Writing: "«" ------------------------------------------------------------

TEST(LayoutWriteKeepLast, KeepsTheLastCharactersOfALongText) {
  EXPECT_EQ(Write(kKeep + "4.4s", {"1234567"}), "4567");
  EXPECT_EQ(Write(kKeep + "-0.9s|", {"abc"}), "abc|");
  EXPECT_EQ(Write(kKeep + "s", {"abcdef"}), "abcdef");
  EXPECT_EQ(Write(kKeep + "6.4s|", {"123456"}), "  3456|");
}

TEST(LayoutWriteKeepLast, NeverTouchesAnotherField) {
  // The earlier field holds the long text's first characters.
  EXPECT_EQ(Write("%4.4s" + kKeep + "4.4s", {"1234", "123456"}), "12343456");
  EXPECT_EQ(Write("%3.3s" + kKeep + "4.4s %5.5s", {"001", "12", "34567"}), "001  12 34567");
  EXPECT_EQ(Write(kKeep + "3.3s%3.3s", {"9999", "999"}), "999999");
}

// ---- Writing: optional groups ------------------------------------------------

TEST(LayoutWriteGroups, KeptOrDroppedByTheirArgument) {
  EXPECT_EQ(Write("%s[,%s]", {"a", "b"}), "a,b");
  EXPECT_EQ(Write("%s[,%s]", {"a", ""}), "a");
  EXPECT_EQ(Write("%s[,%s]|%s", {"a", "", "c"}), "a|c");  // the dropped argument is consumed
  EXPECT_EQ(Write("BS %s[,%1.3f]", {"7", Num("1.5")}), "BS 7,1.500");
  EXPECT_EQ(Write("[ x%5s]", {Num("1")}), " x    1");  // a number is always present
}

TEST(LayoutWriteGroups, NestedGroups) {
  const std::string layout = "RES_OBS %s[,%1.3f[,%s]]";
  EXPECT_EQ(Write(layout, {"1", Num("2"), "c"}), "RES_OBS 1,2.000,c");
  EXPECT_EQ(Write(layout, {"1", Num("2"), ""}), "RES_OBS 1,2.000");
  const std::string ctl = "CTL %s[,%s[,%s]]";
  EXPECT_EQ(Write(ctl, {"a", "b", "c"}), "CTL a,b,c");
  EXPECT_EQ(Write(ctl, {"a", "", ""}), "CTL a");
  // A later value keeps its position instead of being lost with the group.
  EXPECT_EQ(Write(ctl, {"a", "", "c"}), "CTL a,,c");
  EXPECT_EQ(Write("%s[,%s,%s]", {"1", "", "z"}), "1,,z");
}

TEST(LayoutWriteGroups, DroppedGroupsDoNotCheckNumbers) {
  EXPECT_EQ(Write("%s[,%1.3f]", {"a", ""}), "a");
  EXPECT_FALSE(FormatLayout("%s[,%1.3f]", {"a", "x"}));
}

TEST(LayoutWriteGroups, UnmatchedOrEmptyBracketsAreLiteral) {
  EXPECT_EQ(Write("[W%4.4sm", {"12"}), "[W  12m");
  EXPECT_EQ(Write("_+%s_ [%s_*%s", {"1", "2", "3"}), "_+1_ [2_*3");
  EXPECT_EQ(Write("a]%s", {"b"}), "a]b");
  EXPECT_EQ(Write("[x]%s", {""}), "[x]");
  EXPECT_FALSE(FormatLayout("[%s", {}));
}

// ---- Alternative positions ---------------------------------------------------

TEST(LayoutAlternative, WritingRemovesTheGroup) {
  EXPECT_EQ(Write(" K !{ -}%9s!{ -}%11.3f!", {"", Num("-12.5")}), " K !         !    -12.500!");
}

TEST(LayoutAlternative, TestingChecksThePositionWithoutConsumingIt) {
  const std::string layout = "!{ -}%8.3f!";
  EXPECT_TRUE(FitsLayout(layout, "!  12.500!"));
  EXPECT_TRUE(FitsLayout(layout, "!-112.500!"));
  EXPECT_FALSE(FitsLayout(layout, "!x 12.500!"));
  EXPECT_FALSE(FitsLayout(layout, "!"));
}

TEST(LayoutAlternative, CuttingKeepsTheSignWithItsNumber) {
  const std::string layout = " K !{ -}%9s!{ -}%11.3f!{ -}%8.3f!";
  std::string line = Write(layout, {"17", Num("-600000.5"), Num("-1")});
  EXPECT_TRUE(FitsLayout(layout, line));
  EXPECT_EQ(CutFields(layout, line), (Fields{"17", "-600000.500", "-1.000"}));
}

TEST(LayoutAlternative, UnclosedBraceIsLiteral) {
  EXPECT_EQ(Write("{%s", {"a"}), "{a");
  EXPECT_TRUE(FitsLayout("{%s", "{a"));
}

// ---- Testing a line ----------------------------------------------------------

TEST(LayoutTest, SeparatorLayouts) {
  const std::string koordinaten = "%s|%s|%s|%s|%s|%s";
  EXPECT_TRUE(FitsLayout(koordinaten, "100|12|600000.000|200000.000|450.00|"));
  EXPECT_TRUE(FitsLayout(koordinaten, "|||||"));
  EXPECT_TRUE(FitsLayout(koordinaten, "a|b|c|d|e|f|g"));
  EXPECT_FALSE(FitsLayout(koordinaten, "100|12|600000.000|200000.000|450.00"));
  EXPECT_FALSE(FitsLayout(koordinaten, ""));
}

TEST(LayoutTest, LiteralsMustStandWhereTheWalkIs) {
  EXPECT_TRUE(FitsLayout("PT %5.5s %s", "PT 12345 rest"));
  EXPECT_FALSE(FitsLayout("PT %5.5s %s", "PT 123456 rest"));
  EXPECT_FALSE(FitsLayout("PT %5.5s %s", "XPT 12345 rest"));
  EXPECT_FALSE(FitsLayout("no conversion", "no conversion"));
  EXPECT_FALSE(FitsLayout("%q", "anything"));
}

TEST(LayoutTest, ShortLinesAndWideLayouts) {
  EXPECT_TRUE(FitsLayout("%10s", "abcde"));
  EXPECT_FALSE(FitsLayout("%10s|", "abcde"));
  EXPECT_TRUE(FitsLayout("%s[,%s]", "abc"));
  EXPECT_TRUE(FitsLayout("%s[,%s]", "abc,d"));
  EXPECT_FALSE(FitsLayout("%s[,%s]x", "abc"));
}

TEST(LayoutTest, NoWidthWhenWidthIsBelowPrecision) {
  const std::string editor = "%s;%1.4f;%1.4f;%1.4f;%s;%s";
  EXPECT_TRUE(FitsLayout(editor, "P1;600000.1234;200000.5;450;C;note"));
  EXPECT_FALSE(FitsLayout(editor, "P1;600000.1234;200000.5"));
}

// ---- Cutting -----------------------------------------------------------------

TEST(LayoutCut, SeparatedFieldsStandAsTheyAre) {
  EXPECT_EQ(CutFields("%s|%s|%s|%s|%s|%s", "100|12|600000.000|200000.000|450.00|"),
            (Fields{"100", "12", "600000.000", "200000.000", "450.00", ""}));
  EXPECT_EQ(CutFields("%s|%s", " a | b|c"), (Fields{" a ", " b|c"}));
}

TEST(LayoutCut, SizedFieldsAreTrimmed) {
  EXPECT_EQ(CutFields("%-10.10s%4.4s %s", "Punkt 12    AB x y"), (Fields{"Punkt 12", "AB", "x y"}));
  EXPECT_EQ(CutFields("X%3.3s", "Y123"), (Fields{"123"}));  // literals are skipped unchecked
}

TEST(LayoutCut, NothingIsReadPastTheEnd) {
  EXPECT_EQ(CutFields("%10s%5s", "abcde"), (Fields{"abcde", ""}));
  EXPECT_EQ(CutFields("%s|%s|%s", "a"), (Fields{"a", "", ""}));
  EXPECT_EQ(CutFields("abcdefgh%s", "abc"), (Fields{""}));
  EXPECT_EQ(CutFields("%3.3s;%s", ""), (Fields{"", ""}));
}

TEST(LayoutCut, MissingNextLiteralTakesTheRest) {
  EXPECT_EQ(CutFields("%s;%s;%s", "a;b c"), (Fields{"a", "b c", ""}));
  EXPECT_EQ(CutFields("%s%s", "abc"), (Fields{"abc", ""}));
}

TEST(LayoutCut, FixedPointWithoutWidthRunsToTheSeparator) {
  EXPECT_EQ(CutFields("%s;%1.4f;%1.4f;%1.4f;%s;%s", "P1;600000.1234;200000.5;450;C;note"),
            (Fields{"P1", "600000.1234", "200000.5", "450", "C", "note"}));
}

TEST(LayoutCut, GroupsAreOpened) {
  EXPECT_EQ(CutFields("%s[,%s[,%s]]", "a,b,c"), (Fields{"a", "b", "c"}));
  EXPECT_EQ(CutFields("%s[,%s[,%s]]", "a"), (Fields{"a", "", ""}));
  EXPECT_EQ(CutFields("[W%3.3sm%2.2s", "[W 12m34"), (Fields{"12", "34"}));
}

// The one-walk recognise-and-cut answers exactly what the two walks answer.
TEST(LayoutCut, CutIfFitsAgreesWithFitAndCut) {
  const std::string layouts[] = {"%s|%s|%s|%s|%s|%s", "PT %5.5s %s", "%10s|", "%s;%1.4f;%1.4f;%s", "!%-8.3f!",
                                 "%s[,%s]x", "{ -}%s|%s", "%s|%s|", "%q", "no conversion", "%3.3s%3.3s"};
  const std::string lines[] = {"", "|||||", "100|12|600000.000|200000.000|450.00|", "a|b|c|d|e|f|g", "PT 12345 rest",
                               "abcde", "abcdefghij|", "P1;1.5;2;note", "!  12.500!", "abc,dx", "-1|2", "x|y|",
                               "x|y", "abcdef", "ab"};
  std::vector<std::string_view> fields;
  for (const std::string& layout : layouts)
    for (const std::string& line : lines) {
      SCOPED_TRACE(layout + " / " + line);
      const bool fits = FitsLayout(layout, line);
      ASSERT_EQ(CutFieldViewsIfFits(layout, line, fields), fits);
      if (!fits) continue;
      std::vector<std::string_view> expected;
      CutFieldViews(layout, line, expected);
      EXPECT_EQ(fields, expected);
    }
}

TEST(LayoutCut, MalformedLayoutGivesNoFields) { EXPECT_TRUE(CutFields("%s|%", "a|b").empty()); }

// ---- Cutting by key ------------------------------------------------------------

TEST(LayoutCutByKey, WordsInAnyOrderAndAbsentWords) {
  const std::string layout = "11%6.6s [21%6.6s ][22%6.6s ]";
  EXPECT_EQ(CutFieldsByKey(layout, "11000017 22100000 21050000 "), (Fields{"000017", "050000", "100000"}));
  EXPECT_EQ(CutFieldsByKey(layout, "11000017 "), (Fields{"000017", "", ""}));
  EXPECT_EQ(CutFieldsByKey(layout, ""), (Fields{"", "", ""}));
}

TEST(LayoutCutByKey, UnsizedFieldsEndAtTheSeparator) {
  const std::string layout = "_!%s[_\"%s][_#%s][_%%%s]";
  EXPECT_EQ(CutFieldsByKey(layout, "_#GTS-6 _!Projekt A_%20"), (Fields{"Projekt A", "", "GTS-6", "20"}));
}

TEST(LayoutCutByKey, FoundFieldsAreRemovedWithTheirKey) {
  // The second "_x" key finds the second word once the first is taken.
  EXPECT_EQ(CutFieldsByKey("_x%s_x%s", "_x1_x2"), (Fields{"1", "2"}));
  // A sized field never reads past the end.
  EXPECT_EQ(CutFieldsByKey("_a%10.10s", "_a12"), (Fields{"12"}));
}

// ---- Decimal texts -------------------------------------------------------------

TEST(LayoutDecimal, ShiftAndRound) {
  EXPECT_EQ(FormatDecimalText("12345", 3, -3), "12.345");
  EXPECT_EQ(FormatDecimalText("-5", 2, -3), "-0.01");
  EXPECT_EQ(FormatDecimalText("1.5", 0, 3), "1500");
  EXPECT_EQ(FormatDecimalText("0", 5, -5), "0.00000");
  EXPECT_FALSE(FormatDecimalText("", 3, 0));
  EXPECT_FALSE(FormatDecimalText("2147483647x", 3, -3));
}

TEST(LayoutDecimal, RoundingCarriesAndDropsTheSignOfZero) {
  EXPECT_EQ(FormatDecimalText("9.995", 2), "10.00");
  EXPECT_EQ(FormatDecimalText("-9.995", 2), "-10.00");
  EXPECT_EQ(FormatDecimalText("999", 0, -1), "100");
  EXPECT_EQ(FormatDecimalText("0.5", 0), "1");
  EXPECT_EQ(FormatDecimalText("0.4", 0), "0");
  EXPECT_EQ(FormatDecimalText("5", 0, -1), "1");
  EXPECT_EQ(FormatDecimalText("4", 0, -1), "0");
  EXPECT_EQ(FormatDecimalText("-0.004", 2), "0.00");
  EXPECT_EQ(FormatDecimalText("-0.005", 2), "-0.01");
  EXPECT_EQ(FormatDecimalText("-0", 2), "0.00");
  EXPECT_EQ(FormatDecimalText("123", 1, -5), "0.0");
  EXPECT_EQ(FormatDecimalText("5", -2), "5");
}

TEST(LayoutDecimal, ReadsSignsZerosPointsAndExponents) {
  EXPECT_EQ(FormatDecimalText("  +007.50", 1), "7.5");
  EXPECT_EQ(FormatDecimalText("000123", 5, -3), "0.12300");
  EXPECT_EQ(FormatDecimalText("12.", 1), "12.0");
  EXPECT_EQ(FormatDecimalText(".5", 1), "0.5");
  EXPECT_EQ(FormatDecimalText("1.25E2", 0), "125");
  EXPECT_EQ(FormatDecimalText("1.25e-1", 3), "0.125");
  EXPECT_FALSE(FormatDecimalText("1E", 0));
}

}  // namespace
// ---- Writing in place --------------------------------------------------------

// Writers format straight into their record (views of their values, appended
// to the text so far): the same text as FormatLayout, and on a failure the
// record as it was.
TEST(LayoutAppend, ViewsAndInPlaceGiveTheTextOfFormatLayout) {
  const std::pair<std::string, LayoutArgs> cases[] = {
      {"%-15.15s|%s|%s|", {"Informationsbeschreibung", "", "600000.000"}},
      {"[ a=%s][ b=%s]!", {"", "2"}},
      {"[(%s)]|{ -}%8.3f|%.3d", {Num("1"), "-2.5", "-5"}},
      {"%5s%%%" "«" "3.3s[%-4d]", {"ab", "abcdef", ""}},
      {"%s;%4d", {"x", "12.5"}},  // not an integer: fails
      {"%s|%s", {"only one"}},    // too few arguments: fails
  };
  for (const auto& [layout, args] : cases) {
    const std::optional<std::string> expected = FormatLayout(layout, args);
    std::vector<LayoutArgView> views(args.begin(), args.end());
    for (bool byView : {false, true}) {
      std::string record = "before\r\n";
      const bool ok = byView ? AppendLayout(record, layout, LayoutArgViewSpan(views))
                             : AppendLayout(record, layout, LayoutArgSpan(args));
      EXPECT_EQ(ok, expected.has_value()) << layout;
      EXPECT_EQ(record, "before\r\n" + expected.value_or("")) << layout << (byView ? " (views)" : "");
    }
  }
  std::string record = "x";
  EXPECT_FALSE(AppendLayout(record, "%3s|%s", LayoutArgSpan(LayoutArgs{"abcd", "e"}), true));
  EXPECT_EQ(record, "x");
  EXPECT_EQ(FormatLayoutOrError("%s-%s", {std::string("a"), "b"}), "a-b");
  EXPECT_EQ(FormatLayoutOrError("%d", {"b"}), "Error");
}

}  // namespace veltro
