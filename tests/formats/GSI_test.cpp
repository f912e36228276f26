#include "formats/instrument/GSI.h"

#include <gtest/gtest.h>

#include <random>

#include "core/CoordinateUnit.h"
#include "core/Settings.h"
#include "formats/office/Layout.h"
#include "platform/Registry.h"
#include "tests/formats/GsiFixture.h"

namespace veltro::test {
namespace {

// ---- Words ---------------------------------------------------------------------------

TEST(GsiWords, UnitsDigitGivesTheDecimals) {
  const std::pair<char, int> table[] = {{'0', 3}, {'1', 3}, {'2', 5}, {'3', 5}, {'4', 5}, {'5', 3},
                                        {'6', 4}, {'7', 4}, {'8', 5}, {'9', 3}, {'.', 3}};
  for (const auto& [unit, decimals] : table) EXPECT_EQ(GsiUnitDecimals(unit), decimals) << unit;
}

TEST(GsiWords, NumberValueDividesByTheUnitsDigit) {
  EXPECT_EQ(GsiNumberValue("..10+00012345", 8), "12.345");
  EXPECT_EQ(GsiNumberValue("..16-00012345", 8), "-1.2345");
  EXPECT_EQ(GsiNumberValue("..18+00012345", 8), "0.12345");
  EXPECT_EQ(GsiNumberValue(".324+18512340", 8), "185.12340");
  EXPECT_EQ(GsiNumberValue("....+00005000", 8), "5.000");
  EXPECT_EQ(GsiNumberValue("..10-00000000", 8), "0.000");
  EXPECT_EQ(GsiNumberValue("..00+9999999999999999", 16), "9999999999999.999");
}

// Numbers are written as the general decimal formatting writes the signed
// data shifted by the units digit's decimals, for every units digit and
// every spread of leading zeros, short data and blanks included.
TEST(GsiWords, NumberValueAgreesWithTheDecimalFormatting) {
  const char* const data[] = {"00000000", "00000001", "00012345", "12345678", "99999999", "10000000",
                              "00100000", "   12345", "     007", "00000999"};
  for (const char unit : std::string("0123456789.")) {
    for (const char sign : std::string("+-")) {
      for (const char* d : data) {
        const std::string field = std::string("...") + unit + sign + d;
        const int decimals = GsiUnitDecimals(unit);
        std::string digits = d;
        digits.erase(0, digits.find_first_not_of(' '));
        const auto expected = FormatDecimalText((sign == '-' ? "-" : "") + digits, decimals, -decimals);
        ASSERT_TRUE(expected) << field;
        EXPECT_EQ(GsiNumberValue(field, 8), *expected) << field;
      }
    }
  }
}

// A GSI 16 word is checked and trimmed eight bytes at a time: a byte just
// outside the digits, or a blank, at any place of its data decides alone.
TEST(GsiWords, EveryByteOfALongWordIsChecked) {
  const std::string digits = "0000000000012345";
  EXPECT_EQ(GsiNumberValue("..00+" + digits, 16), "12.345");
  for (size_t at = 0; at < digits.size(); ++at) {
    for (const char bad : {'/', ':', 'A', '\xB9', '-'}) {
      std::string data = digits;
      data[at] = bad;
      EXPECT_EQ(GsiNumberValue("..00+" + data, 16), "") << at << " " << bad;
    }
    // Blanks in front and behind are trimmed; a blank inside is no number.
    const std::string front = std::string(at + 1, ' ') + digits.substr(at + 1);
    const auto value = FormatDecimalText(digits.substr(at + 1).empty() ? "x" : digits.substr(at + 1), 3, -3);
    EXPECT_EQ(GsiNumberValue("..00+" + front, 16), value ? *value : "") << front;
    const std::string back = digits.substr(0, at) + std::string(digits.size() - at, ' ');
    const auto kept = FormatDecimalText(back.substr(0, at).empty() ? "x" : back.substr(0, at), 3, -3);
    EXPECT_EQ(GsiNumberValue("..00-" + back, 16), kept ? (*kept == "0.000" ? *kept : "-" + *kept) : "") << back;
    if (at > 0 && at + 1 < digits.size()) {
      std::string inside = digits;
      inside[at] = ' ';
      EXPECT_EQ(GsiNumberValue("..00+" + inside, 16), "") << inside;
    }
  }
}

TEST(GsiWords, NumberValueOfAWordOfAnotherLengthIsEmpty) {
  EXPECT_EQ(GsiNumberValue("..00+0000000000012345", 8), "");  // a GSI 16 word read as GSI 8
  EXPECT_EQ(GsiNumberValue("..00+00012345", 16), "");
  EXPECT_EQ(GsiNumberValue("", 8), "");
}

TEST(GsiWords, DataThatIsNoNumberIsEmptyNotTheNoValueNumber) {
  EXPECT_EQ(GsiNumberValue("..00+--------", 8), "");
  EXPECT_EQ(GsiNumberValue("..00+        ", 8), "");
  EXPECT_EQ(GsiNumberValue("..00+0012A345", 8), "");
  EXPECT_EQ(GsiNumberValue("..00+----------------", 16), "");
  EXPECT_EQ(GsiNumberValue("..00+   12345", 8), "12.345");
}

TEST(GsiWords, TextValue) {
  EXPECT_EQ(GsiTextValue("0001+00001234", 8), "1234");
  EXPECT_EQ(GsiTextValue("....-0000A101", 8), "A101");
  EXPECT_EQ(GsiTextValue("....+AB CD EF", 8), "AB CD EF");
  EXPECT_EQ(GsiTextValue("....+      MAUER NORD", 16), "MAUER NORD");
  EXPECT_EQ(GsiTextValue("....+00000000", 8), "");
  EXPECT_EQ(GsiTextValue("....+--------", 8), "");
  EXPECT_EQ(GsiTextValue("0012", 8), "12");  // another length: the whole field
  EXPECT_EQ(GsiSign("..10-00001234", 8), "-");
  EXPECT_EQ(GsiSign("..10+00001234", 8), "");
  EXPECT_EQ(GsiSign("..10-1234", 8), "");
}

TEST(GsiWords, TemplateWords) {
  const std::vector<std::string> detail = {"11", "21", "22", "31", "32", "33", "51",
                                           "71", "81", "82", "83", "87", "88"};
  EXPECT_EQ(GsiTemplateWords(Gsi8Templates().Detailpunkt), detail);
  EXPECT_EQ(GsiTemplateWords(Gsi16Templates().Detailpunkt), detail);
  EXPECT_EQ(GsiTemplateWords(Gsi8Templates().Koordinaten), (std::vector<std::string>{"11", "71", "81", "82", "83"}));
  EXPECT_EQ(GsiTemplateWords(Gsi16Templates().Punktcodes),
            (std::vector<std::string>{"41", "42", "43", "44", "45", "46"}));
  EXPECT_EQ(GsiTemplateWords(Gsi8Templates().Informationen).size(), 9u);
}

TEST(GsiWords, CutByKeyTakesWordsInAnyOrderAtTheirWidth) {
  const std::string layout = Gsi8Templates().Koordinaten;
  const auto f = GsiCutFields(layout, "83..10+00000500 110001+00001234 71....+AB CD EF 81..10+00012345 ", 8);
  EXPECT_EQ(f, (std::vector<std::string>{"0001+00001234", "....+AB CD EF", "..10+00012345", "", "..10+00000500"}));
  // A data text that looks like another key is no key.
  const auto g = GsiCutFields(layout, "110001+000 82 1 71....+00 81 12 ", 8);
  EXPECT_EQ(g[0], "0001+000 82 1");
  EXPECT_EQ(g[1], "....+00 81 12");
  EXPECT_EQ(g[2], "");
  EXPECT_EQ(g[3], "");
}

TEST(GsiWords, CutSkipsTheStarAndKeepsWordsOfAnotherLength) {
  const std::string line = "*110001+0000000000001234 81..10+0000000000012345 ";
  const auto as16 = GsiCutFields(Gsi16Templates().Koordinaten, line, 16);
  EXPECT_EQ(as16[0], "0001+0000000000001234");
  EXPECT_EQ(as16[2], "..10+0000000000012345");
  const auto as8 = GsiCutFields(Gsi8Templates().Koordinaten, line, 8);
  EXPECT_EQ(as8[0], "0001+0000000000001234");
  EXPECT_EQ(GsiNumberValue(as8[2], 8), "");
  // The last word may lack its blank; a line cut short gives a short field.
  EXPECT_EQ(GsiCutFields(Gsi8Templates().Koordinaten, "110001+00001234 81..10+000123", 8)[2], "..10+000123");
  EXPECT_EQ(GsiCutFields(Gsi8Templates().Koordinaten, "", 8), (std::vector<std::string>(5)));
}

TEST(GsiWords, LineBodies) {
  EXPECT_TRUE(IsGsiCodeBlockLine("*410001+0000000000000001 "));
  EXPECT_TRUE(IsGsiCodeBlockLine("410001+00000001 "));
  EXPECT_TRUE(IsGsiPointLine("*110001+0000000000000001 "));
  EXPECT_FALSE(IsGsiPointLine("**110001"));
  EXPECT_FALSE(IsGsiPointLine(""));
  EXPECT_FALSE(IsGsiCodeBlockLine("4"));
}

TEST(GsiWords, NumberWordIsExactAndTruncates) {
  EXPECT_EQ(GsiNumberWord("1.0005", 3, 8), "+00001000");
  EXPECT_EQ(GsiNumberWord("1.001", 3, 8), "+00001001");
  EXPECT_EQ(GsiNumberWord("-2.5", 3, 8), "-00002500");
  EXPECT_EQ(GsiNumberWord("-0.0004", 3, 8), "+00000000");
  EXPECT_EQ(GsiNumberWord("0", 3, 8), "+00000000");
  EXPECT_EQ(GsiNumberWord("99999.999", 3, 8), "+99999999");
  EXPECT_EQ(GsiNumberWord("2600123.456", 3, 16), "+0000002600123456");
  EXPECT_EQ(GsiNumberWord("0.1", 5, 8), "+00010000");
  EXPECT_EQ(GsiNumberWord(" 12.5 ", 3, 8), "+00012500");
  EXPECT_EQ(GsiNumberWord("1E3", 3, 8), "+01000000");
  // Forms at the edge of the plain [sign]digits[.digits] reading agree with
  // the general decimal reading.
  EXPECT_EQ(GsiNumberWord("+.5", 3, 8), "+00000500");
  EXPECT_EQ(GsiNumberWord("5.", 3, 8), "+00005000");
  EXPECT_EQ(GsiNumberWord("-0", 3, 8), "+00000000");
  EXPECT_EQ(GsiNumberWord("-000123.4500", 3, 8), "-00123450");
  EXPECT_EQ(GsiNumberWord(std::string(45, '0') + "1.5", 3, 8), "+00001500");
  EXPECT_EQ(GsiNumberWord("1.5" + std::string(45, '0'), 3, 8), "+00001500");
  EXPECT_EQ(GsiNumberWord("-1.5e-1", 3, 8), "-00000150");
}

TEST(GsiWords, NumberWordRefusesWhatItCannotWrite) {
  EXPECT_EQ(GsiNumberWord("123456.789", 3, 8), std::nullopt);  // nine digits
  EXPECT_EQ(GsiNumberWord("100000", 3, 8), std::nullopt);
  EXPECT_EQ(GsiNumberWord("", 3, 8), std::nullopt);
  EXPECT_EQ(GsiNumberWord("abc", 3, 8), std::nullopt);
  EXPECT_EQ(GsiNumberWord("1,5", 3, 8), std::nullopt);
}

TEST(GsiWords, CoordinateUnits) {
  const std::tuple<int, int, char> table[] = {{0, 3, '0'},  {1, 3, '0'},  {3, 3, '0'}, {4, 4, '6'},
                                              {5, 5, '8'},  {6, 3, '1'},  {8, 3, '1'}, {9, 3, '1'},
                                              {10, 4, '7'}, {11, 3, '0'}, {-1, 3, '0'}};
  for (const auto& [index, decimals, unit] : table) {
    const GsiWriteUnit u = GsiCoordinateUnit(index);
    EXPECT_EQ(u.decimals, decimals) << index;
    EXPECT_EQ(u.unit, unit) << index;
    // Every written unit reads back with the decimals it was written with.
    EXPECT_EQ(GsiUnitDecimals(u.unit), u.decimals) << index;
  }
}

// ---- Module and catalogue binding ---------------------------------------------------------

TEST_F(GsiTest, ComponentsInOrderWithTheirHandlers) {
  struct Row {
    const char* name;
    TTransferDatenart kind;
    bool read, write, statistik;
  };
  const Row rows[] = {
      {"Koordinaten", tdaKoordinate, true, true, true}, {"Informationen", tdaInformation, true, false, false},
      {"Stationen", tdaStation, true, false, true},     {"Neupunkte", tdaNeupunkt, true, false, true},
      {"Kommentare", tdaKommentar, false, true, false}, {"Punktcodes", tdaPunktcode, true, true, true}};
  ASSERT_EQ(gsi->ComponentCount(), 6);
  for (size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(rows[i].name);
    auto* rw = dynamic_cast<TReadWriteDaten*>(gsi->Components()[i].get());
    ASSERT_NE(rw, nullptr);
    EXPECT_EQ(rw->Name, rows[i].name);
    EXPECT_EQ(rw->TransferDatenart, rows[i].kind);
    EXPECT_EQ(static_cast<bool>(rw->OnRead), rows[i].read);
    EXPECT_EQ(static_cast<bool>(rw->OnWrite), rows[i].write);
    EXPECT_EQ(static_cast<bool>(rw->OnStatistik), rows[i].statistik);
  }
  EXPECT_EQ(gsi->Name, "dmGSI");
}

TEST_F(GsiTest, TemplatesAreFilledIntoTheCatalogue) {
  EXPECT_EQ(Gsi8().Caption, "GSI 8");
  EXPECT_EQ(Gsi8().Informationen, TStringList{"41%13.13s 42%13.13s 43%13.13s 44%13.13s 45%13.13s 46%13.13s "
                                              "47%13.13s 48%13.13s 49%13.13s "});
  EXPECT_EQ(Gsi8().Detailpunkt,
            TStringList{"11%13.13s [21%13.13s ][22%13.13s ][31%13.13s ][32%13.13s ][33%13.13s ][51%13.13s ]"
                        "[71%13.13s ][81%13.13s ][82%13.13s ][83%13.13s ][87%13.13s ][88%13.13s ]"});
  EXPECT_EQ(Gsi8().Koordinaten, "11%13.13s [71%13.13s ][81%13.13s ][82%13.13s ][83%13.13s ]");
  EXPECT_EQ(Gsi8().Punktcodes, "41....+%8.8s 42....+%8.8s 43....+%8.8s 44....+%8.8s 45....+%8.8s 46....+%8.8s ");
  EXPECT_EQ(Gsi8().Ende, "! ----+");
  EXPECT_EQ(Gsi16().Caption, "GSI 16");
  EXPECT_EQ(Gsi16().Informationen, TStringList{"41%21.21s 42%21.21s 43%21.21s 44%21.21s 45%21.21s 46%21.21s "
                                               "47%21.21s 48%21.21s 49%21.21s "});
  EXPECT_EQ(Gsi16().Koordinaten, "11%21.21s [71%21.21s ][81%21.21s ][82%21.21s ][83%21.21s ]");
  EXPECT_EQ(Gsi16().Punktcodes,
            "41....+%16.16s 42....+%16.16s 43....+%16.16s 44....+%16.16s 45....+%16.16s 46....+%16.16s ");
  EXPECT_EQ(Gsi16().Ende, "");
  for (TGeraeteFormat* f : {&Gsi8(), &Gsi16()}) {
    EXPECT_TRUE(f->KoordinatenUnit);
    EXPECT_FALSE(f->OEMConvert);
    EXPECT_EQ(f->KoordinatenDateiname, "Koord*.gsi");
  }
}

TEST_F(GsiTest, HandlersAreBoundAndLeaveWithTheModule) {
  for (TGeraeteFormat* f : {&Gsi8(), &Gsi16()}) {
    SCOPED_TRACE(f->Name);
    EXPECT_TRUE(f->OnFormat && f->OnSetup && f->OnInitWrite && f->OnAfterRead && f->OnBeforeWrite && f->OnGetDatenart &&
                f->OnSetTDA && f->OnInitEditor && f->OnEditNext);
    EXPECT_TRUE(f->Modify);
    EXPECT_FALSE(f->OnAfterTrans || f->OnAfterWrite || f->OnPrepEditor);
    EXPECT_EQ(f->OnSetTDA(tdaKoordinate), f->Name);
    EXPECT_EQ(f->ReadWrite, gsi->Koordinaten);
    EXPECT_EQ(f->Init, init.Koordinaten);
  }
  EXPECT_EQ(Gsi16().OnSetTDA(tdaAnschlusspunkt), "GSI16");
  EXPECT_EQ(Gsi16().ReadWrite, nullptr);
  EXPECT_EQ(Gsi8().OnSetTDA(tdaPunktcode), "GSI8");
  EXPECT_EQ(Gsi8().ReadWrite, gsi->Punktcodes);
  gsi.reset();
  EXPECT_FALSE(Gsi8().OnSetTDA || Gsi16().OnGetDatenart || Gsi8().OnFormat);
  EXPECT_EQ(Gsi8().ReadWrite, nullptr);
}

TEST_F(GsiTest, DataWidthByTagOrFormat) {
  EXPECT_EQ(gsi->GsiDataWidth(), 8);
  CurrentTransfer().FormatTag = "dGSI16";
  EXPECT_EQ(gsi->GsiDataWidth(), 16);
  CurrentTransfer().FormatTag = "kGSI16";
  EXPECT_EQ(gsi->GsiDataWidth(), 16);
  CurrentTransfer().FormatTag = "kGSI8";
  EXPECT_EQ(gsi->GsiDataWidth(), 8);
  UseFormat("GSI16");
  EXPECT_EQ(gsi->GsiDataWidth(), 16);
}

// ---- Kind of a line ---------------------------------------------------------------------------

TEST_F(GsiTest, LineKinds) {
  LoadCodeDefinitions();
  EXPECT_EQ(CodeLists().StationCodes, "02;21;23;");
  EXPECT_EQ(gsi->GsiLineKind("dGSI8", "110001+00001234 21.324+18512340 "), tdaNeupunkt);
  EXPECT_EQ(gsi->GsiLineKind("dGSI8", "410001+00000002 42....+00000100 "), tdaStation);
  EXPECT_EQ(gsi->GsiLineKind("dGSI8", "410001+00000021 42....+00000100 "), tdaStation);
  EXPECT_EQ(gsi->GsiLineKind("dGSI8", "410001+00000001 42....+00000012 "), tdaInformation);
  EXPECT_EQ(gsi->GsiLineKind("dGSI8", "410001+00000009 "), tdaInformation);  // a lone code word
  EXPECT_EQ(gsi->GsiLineKind("dGSI8", "\x1A"), tdaNone);
  EXPECT_EQ(gsi->GsiLineKind("dGSI8", ""), tdaNone);
  EXPECT_EQ(gsi->GsiLineKind("dGSI8", "210001+00001234 "), tdaNone);
  EXPECT_EQ(gsi->GsiLineKind("kGSI8", "110001+00001234 81..10+00012345 "), tdaKoordinate);
  EXPECT_EQ(gsi->GsiLineKind("kGSI16", "*410001+0000000000000003 "), tdaKoordinate);
  EXPECT_EQ(gsi->GsiLineKind("kGSI8", "\x1A"), tdaNone);
  EXPECT_EQ(gsi->GsiLineKind("pGSI8", "41....+0000MAUE 42....+00000001 "), tdaPunktcode);
  EXPECT_EQ(gsi->GsiLineKind("pGSI8", "110001+00001234 "), tdaNone);
}

TEST_F(GsiTest, Gsi16MeasurementLinesAreClassifiedDespiteTheStar) {
  CurrentTransfer().FormatTag = "dGSI16";
  std::string point = "*110001+0000000000001234 21.322+0000000012345670 ";
  std::string station = "*410002+0000000000000002 42....+000000000000S100 ";
  std::string info = "*410003+0000000000000001 42....+0000000000000012 ";
  EXPECT_EQ(Gsi16().OnGetDatenart(point), tdaNeupunkt);
  EXPECT_EQ(Gsi16().OnGetDatenart(station), tdaStation);
  EXPECT_EQ(Gsi16().OnGetDatenart(info), tdaInformation);
  EXPECT_EQ(point.front(), '*');  // the engine's line stays as it was
}

TEST_F(GsiTest, CodeBlocksAreClassifiedBeforeTheListIsLoaded) {
  ASSERT_TRUE(CodeLists().Definitions.empty());
  EXPECT_EQ(gsi->GsiLineKind("dGSI8", "410001+00000002 42....+00000100 "), tdaStation);
  EXPECT_FALSE(CodeLists().Definitions.empty());
}

TEST_F(GsiTest, AListWithoutStationsStillReadsItsCodeBlocks) {
  CodeLists().Definitions = {"05;1;-1;-1;-1;-1;-1;-1;-1;"};
  CodeLists().StationCodes = BuildStationCodes(CodeLists().Definitions);
  ASSERT_EQ(CodeLists().StationCodes, "");
  EXPECT_EQ(gsi->GsiLineKind("dGSI8", "410001+00000005 42....+000000AB "), tdaInformation);
}

// ---- Reading points and coordinates -------------------------------------------------------------

TEST_F(GsiTest, Gsi8CoordinateLineExample) {
  gsi->KoordinatenRead("110001+00001234 81..10+00012345 82..10+00067890 83..10+00000500 ", daten);
  EXPECT_EQ(daten.Punkt.Punktnummer, "1234");
  EXPECT_EQ(daten.Punkt.Y, "12.345");
  EXPECT_EQ(daten.Punkt.X, "67.890");
  EXPECT_EQ(daten.Punkt.Hoehe, "0.500");
  EXPECT_EQ(daten.Punkt.Code1, "");
  EXPECT_EQ(daten.Punkt.Messflags, 0);
  EXPECT_EQ(daten.Konstanten.Originalzeilen, "110001+00001234 81..10+00012345 82..10+00067890 83..10+00000500 ");
}

TEST_F(GsiTest, CoordinatesGetTheInstrumentOffsets) {
  ASSERT_TRUE(Leica().SetOffsetX("2600000"));
  ASSERT_TRUE(Leica().SetOffsetY("1200000.5"));
  gsi->KoordinatenRead("110001+00001234 71....+0000MARK 81..16-00012345 82..10+00067890 ", daten);
  EXPECT_EQ(daten.Punkt.Y, "2599998.7655");
  EXPECT_EQ(daten.Punkt.X, "1200068.390");
  EXPECT_EQ(daten.Punkt.Hoehe, "");
  EXPECT_EQ(daten.Punkt.Code1, "MARK");
}

TEST_F(GsiTest, Gsi16CoordinatesWithTheStar) {
  CurrentTransfer().FormatTag = "kGSI16";
  gsi->KoordinatenRead("*110001+000000000000A123 81..00+0000002600123456 82..00-0000000000000001 ", daten);
  EXPECT_EQ(daten.Punkt.Punktnummer, "A123");
  EXPECT_EQ(daten.Punkt.Y, "2600123.456");
  EXPECT_EQ(daten.Punkt.X, "-0.001");
}

TEST_F(GsiTest, NewPointWithAllWords) {
  CodeLists().AttributePosition = 0;
  gsi->NeupunkteRead(
      "110001+00001001 21.324+18512340 22.324+09856780 31..00+00045678 51....+0015+034 71....+00000MAU "
      "81..10+00000100 82..10+00000200 87..10+00001600 88..10+00001550 ",
      daten);
  const TPunkt& p = daten.Punkt;
  EXPECT_EQ(p.Punktnummer, "1001");
  EXPECT_EQ(p.Horizontalwinkel, "185.12340");
  EXPECT_EQ(p.Vertikalwinkel, "98.56780");
  EXPECT_EQ(p.Schraegdistanz, "45.678");
  EXPECT_EQ(p.Horizontaldistanz, "");
  EXPECT_EQ(p.Atmosphaerenkorrektur, "15");
  EXPECT_EQ(p.Prismenkonstante, "34");
  EXPECT_EQ(p.Code1, "MAU");
  EXPECT_EQ(p.Y, "0.100");
  EXPECT_EQ(p.X, "0.200");
  EXPECT_EQ(p.Hoehe, "");
  EXPECT_EQ(p.Reflektorhoehe, "1.600");
  EXPECT_EQ(daten.Station.Instrumentenhoehe, "1.550");
  EXPECT_EQ(p.Messflags, mfHzVzSd | mfKoordinaten);
}

TEST_F(GsiTest, BothDistancesKeepBothBits) {
  gsi->NeupunkteRead("110001+00000001 21.324+00000000 22.324+10000000 31..00+00012400 32..00+00012345 ", daten);
  EXPECT_EQ(daten.Punkt.Messflags, 0x01E0);
  EXPECT_TRUE(HasFlags(daten.Punkt.Messflags, mfHzVzSd));
  EXPECT_TRUE(HasFlags(daten.Punkt.Messflags, mfHzVzHd));
  EXPECT_EQ(daten.Punkt.Schraegdistanz, "12.400");
  EXPECT_EQ(daten.Punkt.Horizontaldistanz, "12.345");

  TDaten hd;
  gsi->NeupunkteRead("110001+00000001 32..00+00012345 ", hd);
  EXPECT_EQ(hd.Punkt.Messflags, mfHzVzHd);
  TDaten dh;
  gsi->NeupunkteRead("110001+00000001 21.324+00000000 31..01+00012345 33..00-00001234 ", dh);
  EXPECT_EQ(dh.Punkt.Messflags, mfHzSdDh);
  EXPECT_EQ(dh.Punkt.Vertikaldistanz, "-1.234");
}

TEST_F(GsiTest, MissingValuesAsDashesStayEmpty) {
  gsi->NeupunkteRead("110001+00000202 21.102+00000000 22.102+-------- 31..00+-------- 87..10+-------- ", daten);
  EXPECT_EQ(daten.Punkt.Horizontalwinkel, "0.00000");
  EXPECT_EQ(daten.Punkt.Vertikalwinkel, "");
  EXPECT_EQ(daten.Punkt.Schraegdistanz, "");
  EXPECT_EQ(daten.Punkt.Reflektorhoehe, "");
  EXPECT_EQ(daten.Punkt.Messflags, 0);
}

TEST_F(GsiTest, CorrectionWordLayouts) {
  gsi->NeupunkteRead("110001+00000001 51....-0003-030 ", daten);
  EXPECT_EQ(daten.Punkt.Atmosphaerenkorrektur, "-3");
  EXPECT_EQ(daten.Punkt.Prismenkonstante, "-30");
  TDaten zero;
  gsi->NeupunkteRead("110001+00000001 51....+0000+000 ", zero);
  EXPECT_EQ(zero.Punkt.Atmosphaerenkorrektur, "0");
  EXPECT_EQ(zero.Punkt.Prismenkonstante, "0");
  TDaten other;
  gsi->NeupunkteRead("110001+00000001 51....+00000012 ", other);
  EXPECT_EQ(other.Punkt.Atmosphaerenkorrektur, "12");
  EXPECT_EQ(other.Punkt.Prismenkonstante, "");
}

TEST_F(GsiTest, PointWithoutInstrumentHeightKeepsTheStations) {
  daten.Station.Instrumentenhoehe = "1.567";
  gsi->NeupunkteRead("110001+00000001 21.324+00000000 ", daten);
  EXPECT_EQ(daten.Station.Instrumentenhoehe, "1.567");
}

TEST_F(GsiTest, CarriedValuesGoToTheNextPointAndTheOneOffsAreCleared) {
  TKonstanten& k = daten.Konstanten;
  k.Code = "21";
  k.Reflektorhoehe = "1.600";
  k.Querverschiebung = "0.200";
  k.Laengsverschiebung = "-0.100";
  k.Vertikalverschiebung = "0.050";
  k.Anmerkung1 = "A1";
  k.Anmerkung2 = "A2";
  k.Kommentar = "K";
  gsi->NeupunkteRead("110001+00000001 21.324+00000000 ", daten);
  const TPunkt& p = daten.Punkt;
  EXPECT_EQ(p.Code1, "21");
  EXPECT_EQ(p.Reflektorhoehe, "1.600");
  EXPECT_EQ(p.Querverschiebung, "0.200");
  EXPECT_EQ(p.Laengsverschiebung, "-0.100");
  EXPECT_EQ(p.Vertikalverschiebung, "0.050");
  EXPECT_EQ(p.Anmerkung1, "A1");
  EXPECT_EQ(p.Anmerkung2, "A2");
  EXPECT_EQ(p.Kommentar, "K");
  EXPECT_EQ(k.Code, "21");
  EXPECT_EQ(k.Reflektorhoehe, "1.600");
  EXPECT_TRUE(k.Querverschiebung.empty() && k.Laengsverschiebung.empty() && k.Vertikalverschiebung.empty() &&
              k.Anmerkung1.empty() && k.Anmerkung2.empty() && k.Kommentar.empty());

  TDaten next;
  next.Konstanten = k;
  gsi->NeupunkteRead("110002+00000002 71....+00000007 87..10+00001000 ", next);
  EXPECT_EQ(next.Punkt.Code1, "7");
  EXPECT_EQ(next.Punkt.Reflektorhoehe, "1.000");
  EXPECT_EQ(next.Punkt.Querverschiebung, "");
}

TEST_F(GsiTest, PointTypeEightGoesOnAsABacksightPoint) {
  dfd.ASCII->OnSetTDA(tdaNeupunkt);
  Gsi8().OnSetTDA(tdaNeupunkt);
  daten.Station.Punktart = "8";
  gsi->NeupunkteRead("110001+00000001 21.324+00000000 ", daten);
  EXPECT_EQ(dfd.ASCII->ReadWrite, ascii.Anschlusspunkte);
  EXPECT_EQ(Gsi8().ReadWrite, nullptr);
}

// ---- Code blocks ----------------------------------------------------------------------------

TEST_F(GsiTest, CodeBlockOfTheDefaultList) {
  gsi->InformationenRead("410001+00000001 42....+00000012 43....+0000PROJ 44....+08121430 45....+000000TS ", daten);
  EXPECT_EQ(daten.Info.Beobachter, "12");
  EXPECT_EQ(daten.Info.Projekt, "PROJ");
  EXPECT_EQ(daten.Info.Instrument, "TS");
  double time = 0;
  EncodeTime(14, 30, 0, time);
  EXPECT_DOUBLE_EQ(daten.Info.Zeitpunkt, EncodeDate(2026, 12, 8) + time);
  EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(GsiTest, StationBlock) {
  gsi->StationenRead("410002+00000002 42....+00000100 43....+0000KOTE 44....+00001567 45....+00121013 ", daten);
  EXPECT_EQ(daten.Station.Punktnummer, "100");
  EXPECT_EQ(daten.Station.Code, "KOTE");
  EXPECT_EQ(daten.Station.Instrumentenhoehe, "1.567");
  EXPECT_EQ(daten.Station.Temperatur, "12");
  EXPECT_EQ(daten.Station.Luftdruck, "1013");
  EXPECT_EQ(daten.Konstanten.Originalzeilen,
            "410002+00000002 42....+00000100 43....+0000KOTE 44....+00001567 45....+00121013 ");
}

TEST_F(GsiTest, ScaledTargetsKeepTheSign) {
  gsi->InformationenRead("410003+00000003 42....+00000031 43....+00001700 44....-00000250 45....+00000100 ", daten);
  EXPECT_EQ(daten.Konstanten.Code, "31");
  EXPECT_EQ(daten.Konstanten.Reflektorhoehe, "1.700");
  EXPECT_EQ(daten.Konstanten.Laengsverschiebung, "-0.250");
  EXPECT_EQ(daten.Konstanten.Querverschiebung, "0.100");
  TDaten zero;
  gsi->InformationenRead("410003+00000003 42....+00000031 43....+00000000 ", zero);
  EXPECT_EQ(zero.Konstanten.Reflektorhoehe, "0.000");
}

TEST_F(GsiTest, ScaleParameters) {
  CodeLists().Definitions = {"50;14|0;15|5;16|6;17|10;11|x;11;-1;-1;"};
  gsi->InformationenRead(
      "410001+00000050 42....+00001234 43....+00001234 44....+00001234 45....+00001234 46....+00001234 "
      "47....+00009999 ",
      daten);
  EXPECT_EQ(daten.Konstanten.Reflektorhoehe, "1234");
  EXPECT_EQ(daten.Konstanten.Querverschiebung, "0.01234");
  EXPECT_EQ(daten.Konstanten.Laengsverschiebung, "1234.000000");
  EXPECT_EQ(daten.Konstanten.Vertikalverschiebung, "0.1234000000");
  EXPECT_EQ(daten.Station.Instrumentenhoehe, "");  // 47: target 11 without parameter
}

TEST_F(GsiTest, AbsentWordsDoNotOverwriteCarriedValues) {
  daten.Konstanten.Reflektorhoehe = "1.700";
  daten.Konstanten.Querverschiebung = "0.300";
  gsi->InformationenRead("410006+00000003 42....+00000033 44....+-------- ", daten);
  EXPECT_EQ(daten.Konstanten.Code, "33");
  EXPECT_EQ(daten.Konstanten.Reflektorhoehe, "1.700");
  EXPECT_EQ(daten.Konstanten.Querverschiebung, "0.300");
  EXPECT_EQ(daten.Konstanten.Laengsverschiebung, "");
}

TEST_F(GsiTest, LoneCodeWordIsCarriedAndUnknownCodesChangeNothing) {
  gsi->InformationenRead("410001+0000MAUE ", daten);
  EXPECT_EQ(daten.Konstanten.Code, "MAUE");
  const TDaten before = daten;
  gsi->InformationenRead("410002+00000077 42....+00000099 43....+00000001 ", daten);
  EXPECT_EQ(daten.Konstanten.Code, before.Konstanten.Code);
  EXPECT_EQ(daten.Info.Projekt, "");
  EXPECT_EQ(daten.Station.Punktnummer, "");
}

TEST_F(GsiTest, CodesCompareWithoutLeadingZeros) {
  CodeLists().Definitions = {"0007;9;-1;-1;-1;-1;-1;-1;-1;"};
  CodeLists().StationCodes = BuildStationCodes(CodeLists().Definitions);
  EXPECT_TRUE(gsi->IsStationCode("7"));
  EXPECT_TRUE(gsi->IsStationCode("07"));
  EXPECT_FALSE(gsi->IsStationCode("70"));
  gsi->StationenRead("410001+00000007 42....+00000555 ", daten);
  EXPECT_EQ(daten.Station.Punktnummer, "555");
}

TEST_F(GsiTest, TargetsStopAtTheFirstUnused) {
  CodeLists().Definitions = {"60;19;-1;20;-1;-1;-1;-1;-1;"};
  gsi->InformationenRead("410001+00000060 42....+000000R1 43....+00000000 44....+000000R2 ", daten);
  EXPECT_EQ(daten.Konstanten.Anmerkung1, "R1");
  EXPECT_EQ(daten.Konstanten.Anmerkung2, "");
}

TEST_F(GsiTest, DatesFromCodeBlocksReplaceInsteadOfAdding) {
  CodeLists().Definitions = {"11;1;3|ddmmyyyy;6;2;-1;-1;-1;-1;", "12;4|hhmmss;-1;-1;-1;-1;-1;-1;-1;"};
  gsi->InformationenRead("410001+00000011 42....+00000001 43....+01122026 ", daten);
  EXPECT_DOUBLE_EQ(daten.Info.Zeitpunkt, EncodeDate(2026, 12, 1));
  gsi->InformationenRead("410001+00000012 42....+00093015 ", daten);
  double time = 0;
  EncodeTime(9, 30, 15, time);
  EXPECT_DOUBLE_EQ(daten.Info.Zeitpunkt, EncodeDate(2026, 12, 1) + time);
  // A second date replaces the first and keeps the time.
  gsi->InformationenRead("410001+00000011 42....+00000001 43....+05122026 ", daten);
  EXPECT_DOUBLE_EQ(daten.Info.Zeitpunkt, EncodeDate(2026, 12, 5) + time);
  // A second time replaces the first.
  gsi->InformationenRead("410001+00000012 42....+00000000 ", daten);
  EXPECT_DOUBLE_EQ(daten.Info.Zeitpunkt, EncodeDate(2026, 12, 5));
  EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(GsiTest, DateAndTimeFromOneWord) {
  CodeLists().Definitions = {"70;5|2;5|7;-1;-1;-1;-1;-1;-1;", "71;5|1;-1;-1;-1;-1;-1;-1;-1;"};
  gsi->InformationenRead("410001+00000070 42....+07451203 43....+01010101 ", daten);
  double time = 0;
  EncodeTime(7, 45, 0, time);
  EXPECT_DOUBLE_EQ(daten.Info.Zeitpunkt, EncodeDate(2026, 12, 3) + time);  // hhmmmmdd; parameter 7 ignored
  TDaten other;
  gsi->InformationenRead("410001+00000071 42....+12240000 ", other);
  EXPECT_DOUBLE_EQ(other.Info.Zeitpunkt, EncodeDate(2026, 12, 24));  // mmddhhmm at midnight
}

TEST_F(GsiTest, UnreadableDateIsReportedAndAddsNothing) {
  CodeLists().Definitions = {"11;3|ddmmyyyy;-1;-1;-1;-1;-1;-1;-1;"};
  gsi->InformationenRead("410001+00000011 42....+45132026 ", daten);
  EXPECT_EQ(daten.Info.Zeitpunkt, 0);
  EXPECT_EQ(MessageTexts().size(), 1u);
}

TEST_F(GsiTest, WeatherWord) {
  CodeLists().Definitions = {"80;8|1;6;-1;-1;-1;-1;-1;-1;"};
  gsi->InformationenRead("410001+00000080 42....+09800015 ", daten);
  EXPECT_EQ(daten.Station.Luftdruck, "980");
  EXPECT_EQ(daten.Station.Temperatur, "15");
  gsi->InformationenRead("410001+00000080 42....+09800015 43....-00000005 ", daten);
  EXPECT_EQ(daten.Station.Temperatur, "-5");
}

// A control byte anywhere in a line refuses it; bytes of a code page, and
// DOS end-of-file marks that end the line, do not.
TEST_F(GsiTest, AControlByteAtAnyPlaceRefusesTheLine) {
  const std::string line = "110001+00000001 21.324+18512340 22.324+09000000 71....+0000MAUE ";
  for (size_t at = 0; at < line.size(); ++at) {
    for (const char control : {'\t', '\x01', '\x1A', '\x1F', '\x7F'}) {
      if (control == '\x1A' && at + 1 == line.size()) continue;  // an end-of-file mark
      std::string bad = line;
      bad[at] = control;
      CurrentTransfer().Errors.clear();
      CurrentTransfer().NoRecord = false;
      gsi->NeupunkteRead(bad, daten);
      EXPECT_TRUE(CurrentTransfer().NoRecord) << at << " " << int(control);
      EXPECT_EQ(CurrentTransfer().Errors.size(), 1u) << at << " " << int(control);
    }
  }
  CurrentTransfer().Errors.clear();
  CurrentTransfer().NoRecord = false;
  std::string coded = line;
  coded[coded.size() - 3] = '\xC4';  // "Ä" in cp1252
  gsi->NeupunkteRead(coded + "\x1A\x1A", daten);
  EXPECT_FALSE(CurrentTransfer().NoRecord);
  EXPECT_TRUE(CurrentTransfer().Errors.empty());
  EXPECT_EQ(daten.Punkt.Horizontalwinkel, "185.12340");
}

TEST_F(GsiTest, CodeTranslationWithTheTables) {
  CodeLists().UseGsiCodes = true;
  CodeLists().Tables[kTablePunktcodes] = {"", "MAUER", "BAUM"};
  CodeLists().Tables[kTableProjekte] = {"P0", "Neubau"};
  CodeLists().Tables[kTableBeobachter] = {"B0", "Meier"};
  gsi->InformationenRead("410001+00000001 42....+00000001 43....+00000001 ", daten);
  EXPECT_EQ(daten.Info.Projekt, "Neubau");
  EXPECT_EQ(daten.Info.Beobachter, "Meier");
  gsi->NeupunkteRead("110001+00000001 71....+00000002 ", daten);
  EXPECT_EQ(daten.Punkt.Code1, "BAUM");
  // A point without code takes the carried one, not line 0 of the table.
  daten.Konstanten.Code = "MAUER";
  gsi->NeupunkteRead("110002+00000002 ", daten);
  EXPECT_EQ(daten.Punkt.Code1, "MAUER");
  EXPECT_TRUE(CurrentTransfer().Messages.empty());
}

// ---- Look-ahead ---------------------------------------------------------------------------------

TEST_F(GsiTest, CodeBlockAfterTheMeasurementIsConsumed) {
  CodeLists().AttributePosition = 1;
  OnLines({"110001+00000201 21.102+12345678 ", "410002+00000003 42....+00000031 43....+00001700 ",
           "110003+00000202 21.102+00000000 "});
  gsi->NeupunkteRead(list[0], daten);
  EXPECT_EQ(daten.Konstanten.Zeile, 1);
  EXPECT_EQ(daten.Punkt.Code1, "31");
  EXPECT_EQ(daten.Punkt.Reflektorhoehe, "1.700");
  EXPECT_EQ(daten.Konstanten.Originalzeilen, list[0] + "\r\n" + list[1]);
}

TEST_F(GsiTest, LookAheadWorksOnGsi16Lines) {
  CodeLists().AttributePosition = 1;
  CurrentTransfer().FormatTag = "dGSI16";
  OnLines({"*110001+0000000000000201 ", "*410002+0000000000000003 42....+0000000000000031 "});
  gsi->NeupunkteRead(list[0], daten);
  EXPECT_EQ(daten.Konstanten.Zeile, 1);
  EXPECT_EQ(daten.Punkt.Punktnummer, "201");
  EXPECT_EQ(daten.Punkt.Code1, "31");
}

TEST_F(GsiTest, LookAheadNeverSwallowsAPointOrAStation) {
  CodeLists().AttributePosition = 1;
  OnLines({"110001+00000201 ", "110002+00000202 ", "410003+00000002 42....+00000300 "});
  gsi->NeupunkteRead(list[0], daten);
  EXPECT_EQ(daten.Konstanten.Zeile, 0);
  daten.Konstanten.Zeile = 1;
  gsi->NeupunkteRead(list[1], daten);
  EXPECT_EQ(daten.Konstanten.Zeile, 1);  // a station block is a record of its own
  EXPECT_EQ(daten.Station.Punktnummer, "");
}

TEST_F(GsiTest, AllCodeBlocksOfAPointAreConsumed) {
  CodeLists().AttributePosition = 1;
  OnLines({"110001+00000201 ", "410002+00000003 42....+00000031 ", "410003+0000MAUE ", "110004+00000202 "});
  gsi->NeupunkteRead(list[0], daten);
  EXPECT_EQ(daten.Konstanten.Zeile, 2);
  EXPECT_EQ(daten.Punkt.Code1, "MAUE");
}

TEST_F(GsiTest, BlocksBeforeTheMeasurementAreNotConsumed) {
  CodeLists().AttributePosition = 0;
  OnLines({"110001+00000201 ", "410002+00000003 42....+00000031 "});
  gsi->NeupunkteRead(list[0], daten);
  EXPECT_EQ(daten.Konstanten.Zeile, 0);
  EXPECT_EQ(daten.Punkt.Code1, "");
}

TEST_F(GsiTest, LookAheadAtTheEndOfTheList) {
  CodeLists().AttributePosition = 1;
  OnLines({"110001+00000201 "});
  gsi->KoordinatenRead(list[0], daten);
  EXPECT_EQ(daten.Konstanten.Zeile, 0);
  CurrentTransfer().ActiveLines = nullptr;
  gsi->NeupunkteRead(list[0], daten);
  EXPECT_EQ(daten.Punkt.Punktnummer, "201");
}

TEST_F(GsiTest, CoordinateCodeBlockTakesOnlyItsPointLine) {
  CodeLists().AttributePosition = 0;
  OnLines({"410001+00000003 42....+00000031 ", "410002+0000MAUE ",
           "110003+00001234 81..10+00012345 "
           "82..10+00067890 ",
           "110004+00001235 81..10+00012346 82..10+00067891 "});
  gsi->KoordinatenRead(list[0], daten);
  EXPECT_EQ(daten.Konstanten.Zeile, 2);
  EXPECT_EQ(daten.Punkt.Punktnummer, "1234");
  EXPECT_EQ(daten.Punkt.Code1, "MAUE");
  EXPECT_EQ(daten.Punkt.Y, "12.345");
  EXPECT_EQ(daten.Konstanten.Originalzeilen, list[0] + "\r\n" + list[1] + "\r\n" + list[2]);
}

TEST_F(GsiTest, CoordinateCodeBlockWithoutPointFillsNoPoint) {
  OnLines({"410001+00000003 42....+00000031 ", "\x1A"});
  gsi->KoordinatenRead(list[0], daten);
  EXPECT_EQ(daten.Konstanten.Zeile, 0);
  EXPECT_EQ(daten.Punkt.Punktnummer, "");
  EXPECT_EQ(daten.Konstanten.Code, "31");
}

TEST_F(GsiTest, CoordinateBlockAfterThePointInAfterMode) {
  CodeLists().AttributePosition = 1;
  OnLines({"410001+0000AAAA ", "110002+00000001 81..10+00000001 82..10+00000002 ", "410003+0000BBBB ",
           "110004+00000002 81..10+00000001 82..10+00000002 ", "410005+0000CCCC "});
  gsi->KoordinatenRead(list[0], daten);
  EXPECT_EQ(daten.Konstanten.Zeile, 2);
  EXPECT_EQ(daten.Punkt.Code1, "BBBB");
  daten.Konstanten.Zeile = 3;
  gsi->KoordinatenRead(list[3], daten);
  EXPECT_EQ(daten.Konstanten.Zeile, 4);
  EXPECT_EQ(daten.Punkt.Code1, "CCCC");
}

// ---- Point codes --------------------------------------------------------------------------------

TEST_F(GsiTest, PointCodesRoundTrip) {
  daten.Punktcode = {"MAUER", "12", "LAYER-LANG"};
  const std::string line = gsi->PunktcodesWrite(daten);
  EXPECT_EQ(line, "41....+000MAUER 42....+00000012 43....+LAYER-LA 44....+00000000 45....+00000000 46....+00000000 ");
  TDaten back;
  gsi->PunktcodesRead(line, back);
  EXPECT_EQ(back.Punktcode.Code, "MAUER");
  EXPECT_EQ(back.Punktcode.Entity, "12");
  EXPECT_EQ(back.Punktcode.Layer, "LAYER-LA");
  EXPECT_EQ(back.Konstanten.Originalzeilen, line);

  UseFormat("GSI16");
  const std::string line16 = gsi->PunktcodesWrite(daten);
  EXPECT_EQ(line16.substr(0, 25), "*41....+00000000000MAUER ");
  TDaten back16;
  gsi->PunktcodesRead(line16, back16);
  EXPECT_EQ(back16.Punktcode.Layer, "LAYER-LANG");
}

// ---- Writing coordinates ------------------------------------------------------------------------

class GsiWriteTest : public GsiTest {
 protected:
  std::string Write(const std::string& nr, const std::string& y, const std::string& x, const std::string& h,
                    const std::string& code = "") {
    TDaten d;
    d.Punkt.Punktnummer = nr;
    d.Punkt.Y = y;
    d.Punkt.X = x;
    d.Punkt.Hoehe = h;
    d.Punkt.Code1 = code;
    return gsi->KoordinatenWrite(d);
  }
};

TEST_F(GsiWriteTest, Gsi8Line) {
  EXPECT_EQ(Write("1234", "12.345", "67.890", "0.500"),
            "11....+00001234 71....+00000000 81...0+00012345 82...0+00067890 83...0+00000500 ");
}

TEST_F(GsiWriteTest, TruncationAndSign) {
  EXPECT_EQ(Write("1", "1.0005", "-2.5", "0"),
            "11....+00000001 71....+00000000 81...0+00001000 82...0-00002500 83...0+00000000 ");
  EXPECT_EQ(Write("1", "1.001", "0.0009", "-0.0004"),
            "11....+00000001 71....+00000000 81...0+00001001 82...0+00000000 83...0+00000000 ");
}

TEST_F(GsiWriteTest, ValueTooWideIsAnError) {
  EXPECT_EQ(Write("1", "123456.789", "1", "1"), "Error");
  EXPECT_EQ(Write("1", "1", "1", "100000"), "Error");
  EXPECT_EQ(Write("1", "99999.999", "-99999.999", "1"),
            "11....+00000001 71....+00000000 81...0+99999999 82...0-99999999 83...0+00001000 ");
  UseFormat("GSI16");
  EXPECT_EQ(Write("1", "123456.789", "1", "1"),
            "*11....+0000000000000001 71....+0000000000000000 81...0+0000000123456789 82...0+0000000000001000 "
            "83...0+0000000000001000 ");
}

TEST_F(GsiWriteTest, MissingValues) {
  EXPECT_EQ(Write("5", "1", "2", ""), "11....+00000005 71....+00000000 81...0+00001000 82...0+00002000 ");
  EXPECT_EQ(Write("5", "1", "2", "  "), "11....+00000005 71....+00000000 81...0+00001000 82...0+00002000 ");
  EXPECT_EQ(Write("5", "", "2", "3"), "Error");
  EXPECT_EQ(Write("5", "1", "", "3"), "Error");
  EXPECT_EQ(Write("5", "1", "zwei", "3"), "Error");
  EXPECT_EQ(Write("5", "1", "2", "drei"), "Error");
}

TEST_F(GsiWriteTest, TemplatesOfEveryFormAreWrittenAsTheLayoutSays) {
  TGeraeteFormat& format = Gsi8();
  const std::string line = "11....+00000005 71....+00000000 81...0+00001000 82...0+00002000 ";
  for (const std::string layout : {"11%13.13s [71%13.13s ][81%13.13s ][82%13.13s ][83%13.13s ]",
                                   "11%-13.13s [71%13.13s ][81%13.13s ][82%13.13s ][83%13.13s ]",
                                   "11%13.13s [71%13.13s ]{ -}[81%13.13s ][82%13.13s ][83%13.13s ]"}) {
    format.Koordinaten = layout;
    EXPECT_EQ(Write("5", "1", "2", ""), line) << layout;
  }
  // A literal percent sign, a group that never ends, and a field wider than
  // its word: the layout is followed as it stands.
  format.Koordinaten = "11%13.13s %%[71%13.13s ][81%13.13s ][82%13.13s ][83%13.13s ]";
  EXPECT_EQ(Write("5", "1", "2", ""), "11....+00000005 %71....+00000000 81...0+00001000 82...0+00002000 ");
  format.Koordinaten = "11%13.13s [71%13.13s [81%13.13s ][82%13.13s ][83%13.13s ]";
  EXPECT_EQ(Write("5", "1", "2", ""), "11....+00000005 [71....+00000000 81...0+00001000 82...0+00002000 ");
  format.Koordinaten = "11%15.15s [71%13.13s ][81%13.13s ][82%13.13s ][83%13.13s ]";
  EXPECT_EQ(Write("5", "1", "2", ""), "11  ....+00000005 71....+00000000 81...0+00001000 82...0+00002000 ");
  format.Koordinaten = "11%13.13s [71%13.13s ][81%13.13s ]";
  // Fewer conversions than words: the rest is left out.
  EXPECT_EQ(Write("5", "1", "2", ""), "11....+00000005 71....+00000000 81...0+00001000 ");
}

TEST_F(GsiWriteTest, LongPointNumbersAndCodes) {
  EXPECT_EQ(Write("ABCDEFGHIJ", "1", "2", "", "CODE-1234567"),
            "11....+CDEFGHIJ 71....+CODE-123 81...0+00001000 82...0+00002000 ");
  EXPECT_EQ(Write(" 17 ", "1", "2", "", " M "), "11....+00000017 71....+0000000M 81...0+00001000 82...0+00002000 ");
}

TEST_F(GsiWriteTest, Gsi16LinesBeginWithAStar) {
  UseFormat("GSI16");
  EXPECT_EQ(Write("A1", "2600123.456", "1200654.321", "-1.25", "MAUER NORD"),
            "*11....+00000000000000A1 71....+000000MAUER NORD 81...0+0000002600123456 82...0+0000001200654321 "
            "83...0-0000000000001250 ");
  UseFormat("GSI8");
  EXPECT_EQ(Write("A1", "1", "2", "").front(), '1');
}

TEST_F(GsiWriteTest, OffsetsAreTakenOffExactly) {
  ASSERT_TRUE(Leica().SetOffsetX("2600000"));
  ASSERT_TRUE(Leica().SetOffsetY("1200000"));
  EXPECT_EQ(Write("1", "2600123.456", "1199999.999", "456.1"),
            "11....+00000001 71....+00000000 81...0+00123456 82...0-00000001 83...0+00456100 ");
}

TEST_F(GsiWriteTest, CoordinateUnitFromTheSettings) {
  EXPECT_EQ(KoordUnit(), 0);
  SetKoordUnit(4);
  EXPECT_EQ(Write("1", "1.23456", "0", ""), "11....+00000001 71....+00000000 81...6+00012345 82...6+00000000 ");
  SetKoordUnit(5);
  EXPECT_EQ(Write("1", "1.23456", "0", ""), "11....+00000001 71....+00000000 81...8+00123456 82...8+00000000 ");
  SetKoordUnit(7);
  EXPECT_EQ(Write("1", "12.34", "0", ""), "11....+00000001 71....+00000000 81...1+00012340 82...1+00000000 ");
  SetKoordUnit(10);
  EXPECT_EQ(Write("1", "12.34", "0", ""), "11....+00000001 71....+00000000 81...7+00123400 82...7+00000000 ");
  SetKoordUnit(99);  // out of range: the default
  EXPECT_EQ(KoordUnit(), 0);
}

// A transfer reads the unit once: a value written to the settings behind
// its back changes no record, one chosen through SetKoordUnit does.
TEST_F(GsiWriteTest, ATransferHoldsTheCoordinateUnit) {
  SetKoordUnit(4);
  {
    KoordUnitHold hold;
    WriteRegInteger(RegistryRoot::CurrentUser, ConfigPath(kSettingCoordinateUnit), 5, true);
    EXPECT_EQ(Write("1", "1.23456", "0", ""), "11....+00000001 71....+00000000 81...6+00012345 82...6+00000000 ");
    SetKoordUnit(5);
    EXPECT_EQ(Write("1", "1.23456", "0", ""), "11....+00000001 71....+00000000 81...8+00123456 82...8+00000000 ");
  }
  WriteRegInteger(RegistryRoot::CurrentUser, ConfigPath(kSettingCoordinateUnit), 7, true);
  EXPECT_EQ(KoordUnit(), 7);
}

TEST_F(GsiWriteTest, WrittenLinesReadBack) {
  for (int unit : {0, 4, 5, 7, 10}) {
    SetKoordUnit(unit);
    const std::string line = Write("P9", "-12.3456", "45.5", "0.25");
    TDaten d;
    gsi->KoordinatenRead(line, d);
    SCOPED_TRACE(line);
    EXPECT_EQ(ParseNumber(d.Punkt.Y), ParseNumber(unit == 0 || unit == 7 ? "-12.345" : "-12.3456"));
    EXPECT_EQ(ParseNumber(d.Punkt.X), 45.5);
    EXPECT_EQ(ParseNumber(d.Punkt.Hoehe), 0.25);
    EXPECT_EQ(d.Punkt.Punktnummer, "P9");
  }
}

TEST_F(GsiWriteTest, CodeIndexOfTheCodeTable) {
  CodeLists().UseGsiCodes = true;
  CodeLists().Tables[kTablePunktcodes] = {"", "MAUER", "BAUM"};
  EXPECT_EQ(Write("1", "1", "2", "", "BAUM"), "11....+00000001 71....+00000002 81...0+00001000 82...0+00002000 ");
  EXPECT_EQ(Write("1", "1", "2", "", "HAUS"), "11....+00000001 71....+0000HAUS 81...0+00001000 82...0+00002000 ");
  CodeLists().UseGsiCodes = false;
  EXPECT_EQ(Write("1", "1", "2", "", "BAUM"), "11....+00000001 71....+0000BAUM 81...0+00001000 82...0+00002000 ");
}

TEST_F(GsiWriteTest, PassThroughGivesTheSourceLines) {
  dfd.Activate(*dfd.Original);
  TDaten d;
  d.Konstanten.Originalzeilen = "110001+00000001 \r\n410002+0000MAUE ";
  EXPECT_EQ(gsi->KoordinatenWrite(d), d.Konstanten.Originalzeilen);
  EXPECT_EQ(gsi->PunktcodesWrite(d), d.Konstanten.Originalzeilen);
}

TEST_F(GsiWriteTest, CommentsAreNotWritten) { EXPECT_EQ(gsi->KommentareWrite(daten), ""); }

// ---- Statistics and hooks -------------------------------------------------------------------

TEST_F(GsiTest, Statistics) {
  TTransferStatistik st;
  gsi->Koordinaten->OnStatistik("x", st);
  gsi->Neupunkte->OnStatistik("x", st);
  gsi->Stationen->OnStatistik("x", st);
  gsi->Punktcodes->OnStatistik("x", st);
  EXPECT_EQ(st.Punkte, 2);
  EXPECT_EQ(st.Stationen, 1);
  EXPECT_EQ(st.Codes, 1);
  EXPECT_EQ(st.Fortschritt, 3);
}

TEST_F(GsiTest, SetupLoadsTheCodeListAndClearsTheReceivedLines) {
  CurrentTransfer().ReceivedLines = {"x"};
  Gsi16().OnSetup();
  EXPECT_TRUE(CurrentTransfer().ReceivedLines.empty());
  EXPECT_EQ(CodeLists().Definitions, DefaultCodeDefinitions());
  EXPECT_EQ(CodeLists().StationCodes, "02;21;23;");
}

TEST_F(GsiTest, AfterReadAndInitWriteLoadTheTablesWithCodingOn) {
  WriteRegString(RegistryRoot::CurrentUser, std::string(kConfigurationKey) + "GSI8\\Codes", "A\r\nB", true);
  Gsi8().OnInitWrite();
  EXPECT_TRUE(CodeLists().Tables[kTablePunktcodes].empty());
  CodeLists().UseGsiCodes = true;
  Gsi8().OnAfterRead();
  EXPECT_EQ(CodeLists().Tables[kTablePunktcodes], (TextLines{"A", "B"}));
  EXPECT_FALSE(CodeLists().Definitions.empty());
}

TEST_F(GsiTest, BeforeWriteSelectsTheUpload) {
  Leica().TransferMethode = 1201;
  Gsi8().OnSetTDA(tdaKoordinate);
  Gsi8().OnBeforeWrite();
  EXPECT_EQ(Leica().TransferMethode, 1202);
  Gsi16().OnSetTDA(tdaPunktcode);
  Gsi16().OnBeforeWrite();
  EXPECT_EQ(Leica().TransferMethode, 1203);
  Gsi16().OnSetTDA(tdaNeupunkt);
  Gsi16().OnBeforeWrite();
  EXPECT_EQ(Leica().TransferMethode, 1203);
}

TEST_F(GsiTest, RecognitionBindsTheFormatAndThePassThroughFormat) {
  const std::string line = "110001+00001234 81..10+00012345 82..10+00067890 83..10+00000500 ";
  EXPECT_EQ(Gsi8().OnFormat(line, line), "kGSI8");
  EXPECT_EQ(Gsi8().ReadWrite, gsi->Koordinaten);
  EXPECT_EQ(Gsi8().OnFormat("\x1A" + line, line), "");
  EXPECT_EQ(Gsi16().OnFormat("*" + std::string("410001+0000000000000001 "), ""), "dGSI16");
  EXPECT_EQ(Leica().GeraeteFormat, &Gsi8());
}

TEST_F(GsiTest, AnotherFormatBecomesTheInstrumentsFormat) {
  const std::string line16 = "*110001+0000000000001234 21.322+0000000012345670 ";
  EXPECT_EQ(Gsi8().OnFormat(line16, line16), "dGSI16");
  EXPECT_EQ(Leica().GeraeteFormat, &Gsi16());
  EXPECT_EQ(Gsi16().OnFormat(line16, line16), "dGSI16");
  EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(GsiTest, AFormatTheInstrumentCannotTakeEndsTheTransfer) {
  Leica().Active = false;
  TInstrument& tc1600 = *geraete->Instrument("itTC1600");
  tc1600.Active = true;
  ASSERT_EQ(tc1600.GeraeteFormat, &Gsi8());
  EXPECT_EQ(Gsi8().OnFormat("*110001+0000000000001234 ", ""), "End");
  EXPECT_EQ(tc1600.GeraeteFormat, &Gsi8());
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"T34"});
  EXPECT_EQ(Gsi8().OnFormat("no instrument line", ""), "");
}

// ---- Robustness -----------------------------------------------------------------------------

TEST_F(GsiTest, EveryReaderSurvivesAnyLine) {
  TextLines lines = {"",
                     "*",
                     "1",
                     "11",
                     "41",
                     "*41",
                     "410001",
                     "110001+",
                     "41....+",
                     "11 11 11 11 ",
                     std::string(300, '4'),
                     "410001+00000002 42",
                     "110001+00000001 51....+-------- 51..",
                     std::string("41\0\xFF\x1A+00000001 \r\n"),
                     "*410001+0000000000000001 42....+",
                     "410001+00000011 42....+99999999 43....+99999999 44....+99999999 45....+99999999 "};
  std::mt19937 random(20261208);
  for (int i = 0; i < 40; ++i) {
    std::string line = i % 2 ? "41" : "11";
    const int length = static_cast<int>(random() % 120);
    for (int c = 0; c < length; ++c) line += static_cast<char>(" +-.0123456789*41"[random() % 17]);
    lines.push_back(line);
  }
  for (const char* tag : {"dGSI8", "dGSI16", "kGSI8", "pGSI16", ""}) {
    CurrentTransfer().FormatTag = tag;
    for (int position = 0; position < 2; ++position) {
      CodeLists().AttributePosition = position;
      for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        std::string copy = line;
        Gsi8().OnGetDatenart(copy);
        for (auto read : {&TdmGSI::KoordinatenRead, &TdmGSI::InformationenRead, &TdmGSI::StationenRead,
                          &TdmGSI::NeupunkteRead, &TdmGSI::PunktcodesRead}) {
          TDaten d;
          OnLines(lines);
          d.Konstanten.Zeile = static_cast<int>(i);
          (gsi.get()->*read)(line, d);
          EXPECT_GE(d.Konstanten.Zeile, static_cast<int>(i));
          EXPECT_LT(d.Konstanten.Zeile, static_cast<int>(lines.size()));
          gsi->KoordinatenWrite(d);
          gsi->PunktcodesWrite(d);
        }
      }
    }
  }
  CurrentTransfer().ActiveLines = nullptr;
}

}  // namespace
}  // namespace veltro::test
