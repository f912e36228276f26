// Persistence of the per-instrument settings through real INI files.
#include <gtest/gtest.h>

#include "instruments/InstrumentenModul.h"
#include "platform/TextFile.h"
#include "tests/instruments/CatalogueFixture.h"

namespace veltro::test {
namespace {

constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;

class InstrumentSettingsTest : public CatalogueTest {
 protected:
  InstrumentSettingsTest() { Install({"GTS700.DLL", "TPS1100.DLL", "SDR33.DLL", "DL100.DLL"}); }
  void SetInt(const std::string& instrument, const std::string& value, int n) {
    ASSERT_TRUE(WriteRegInteger(kUser, Key(instrument, value), n, true));
  }
  void SetText(const std::string& instrument, const std::string& value, const std::string& text) {
    ASSERT_TRUE(WriteRegString(kUser, Key(instrument, value), text, true));
  }
};

TEST_F(InstrumentSettingsTest, EverySettingSurvivesARoundTrip) {
  RegCreateKey(kUser, kProgramKey);
  TGeraete& g = Make();
  g.SelectInstrument("SDR-33");
  TInstrument& i = It("itGTS700");
  i.Port = tptThree;
  i.BaudRate = tbr19200;
  i.Parity = tpOdd;
  i.DataBits = tdbSeven;
  i.StopBits = tsbTwo;
  i.FlowControl = tfcACKNAK;
  i.EndofLine = teolCRLF;
  i.GeraeteFormat = &Fmt("FC5");
  ASSERT_TRUE(i.SetOffsetY("2600000.125"));
  ASSERT_TRUE(i.SetOffsetX("-1200000"));
  i.TransferMethode = 102;
  i.Lesezeit = 7000;
  i.Schreibzeit = 0;
  Fmt("FC5").OEMConvert = false;
  Make();  // the old catalogue writes, the new one starts from the shipped values

  EXPECT_EQ(It("itGTS700").BaudRate, tbr9600);
  geraete->LoadSettings();
  const TInstrument& r = It("itGTS700");
  EXPECT_EQ(r.Port, tptThree);
  EXPECT_EQ(r.BaudRate, tbr19200);
  EXPECT_EQ(r.Parity, tpOdd);
  EXPECT_EQ(r.DataBits, tdbSeven);
  EXPECT_EQ(r.StopBits, tsbTwo);
  EXPECT_EQ(r.FlowControl, tfcACKNAK);
  EXPECT_EQ(r.EndofLine, teolCRLF);
  EXPECT_EQ(r.GeraeteFormat, &Fmt("FC5"));
  EXPECT_EQ(r.OffsetY(), "2600000.125");
  EXPECT_EQ(r.OffsetX(), "-1200000");
  EXPECT_EQ(r.TransferMethode, 102);
  EXPECT_EQ(r.Lesezeit, 7000u);
  EXPECT_EQ(r.Schreibzeit, 0u);
  EXPECT_FALSE(r.Active);
  EXPECT_EQ(geraete->CurrentInstrument().Name, "itSDR33");
  // Every instrument on FC5 wrote its format's flag.
  EXPECT_FALSE(Fmt("FC5").OEMConvert);

  // Values are stored under the instrument's own key with the shared names.
  EXPECT_EQ(ReadRegString(kUser, Key("itGTS700", "Data format"), ""), "FC-5");
  EXPECT_EQ(ReadRegInteger(kUser, Key("itGTS700", "Baud"), -1), 8);
  EXPECT_EQ(ReadRegInteger(kUser, Key("itGTS700", "Protocol"), -1), 4);
  EXPECT_EQ(ReadRegInteger(kUser, Key("itGTS700", "Transfer Options"), -1), 102);
  EXPECT_TRUE(ReadRegBool(kUser, Key("itSDR33", "Active"), false));
  EXPECT_EQ(RegValueNames(kUser, std::string(kConfigurationKey) + "itGTS700"),
            (std::vector<std::string>{"Port", "Baud", "Parity", "Databits", "Stopbits", "Protocol", "Terminate",
                                      "Data format", "OffsetY", "OffsetX", "Transfer Options", "Active", "OEMConvert",
                                      "ReadTime", "WriteTime"}));
  const std::string ini = ReadFile(store.UserFile());
  EXPECT_NE(ini.find("[Software\\VELTRO Marten\\Surtrans\\2.1.1.5\\Configuration\\itPentaxR300]"), std::string::npos);
}

TEST_F(InstrumentSettingsTest, NothingIsWrittenWithoutTheProgramKey) {
  TGeraete& g = Make();
  g.CurrentInstrument();
  geraete.reset();
  EXPECT_FALSE(FileExists(store.UserFile()));
}

TEST_F(InstrumentSettingsTest, MissingValuesKeepTheShippedSettings) {
  TGeraete& g = Make();
  g.LoadSettings();
  EXPECT_EQ(It("itTPS700").BaudRate, tbr19200);
  EXPECT_EQ(It("itTPS700").GeraeteFormat, &Fmt("GSI8"));
  EXPECT_EQ(It("itTPS700").Lesezeit, 5000u);
  EXPECT_EQ(It("itTPS700").OffsetY(), "0");
  EXPECT_TRUE(Fmt("GTS7").OEMConvert);
  EXPECT_FALSE(Fmt("GSI8").OEMConvert);
  EXPECT_EQ(g.CurrentInstrument().Name, "itGTS700");
  ASSERT_EQ(hooks.calls.size(), 1u);
  EXPECT_EQ(hooks.calls[0], "load " + install / "libGTS700.so");
}

TEST_F(InstrumentSettingsTest, SeveralActiveInstrumentsTheLastOneIsCurrent) {
  ASSERT_TRUE(WriteRegBool(kUser, Key("itCR1", "Active"), true, true));
  ASSERT_TRUE(WriteRegBool(kUser, Key("itDL100", "Active"), true, true));
  ASSERT_TRUE(WriteRegBool(kUser, Key("itSDR33", "Active"), true, true));
  TGeraete& g = Make();
  g.LoadSettings();
  EXPECT_EQ(g.CurrentInstrument().Name, "itSDR33");
  EXPECT_EQ(hooks.calls.back(), "load " + install / "libSDR33.so");
}

TEST_F(InstrumentSettingsTest, OutOfRangeOrdinalsKeepTheShippedValue) {
  SetInt("itGTS700", "Port", 9);
  SetInt("itGTS700", "Baud", 16);
  SetInt("itGTS700", "Parity", -1);
  SetText("itGTS700", "Databits", "acht");
  SetInt("itGTS700", "Stopbits", 3);
  SetInt("itGTS700", "Protocol", 7);
  SetInt("itGTS700", "Terminate", 255);
  SetInt("itGTS700", "ReadTime", -5);
  SetText("itGTS700", "WriteTime", "lang");
  SetInt("itGTS700", "Transfer Options", -2);
  TGeraete& g = Make();
  g.LoadSettings();
  const TInstrument& i = It("itGTS700");
  EXPECT_EQ(i.Port, tptOne);
  EXPECT_EQ(i.BaudRate, tbr9600);
  EXPECT_EQ(i.Parity, tpNone);
  EXPECT_EQ(i.DataBits, tdbEight);
  EXPECT_EQ(i.StopBits, tsbOne);
  EXPECT_EQ(i.FlowControl, tfcXONXOFF);
  EXPECT_EQ(i.EndofLine, teolCRLF);
  EXPECT_EQ(i.Lesezeit, 2000u);
  EXPECT_EQ(i.Schreibzeit, 10000u);
  EXPECT_EQ(i.TransferMethode, 0);
  std::string message;
  EXPECT_TRUE(g.CheckPortSettings(message)) << message;
}

TEST_F(InstrumentSettingsTest, ValuesOutsideTheAcceptedSetsKeepTheShippedValue) {
  SetInt("itGTS700", "Baud", tbr921600);  // a bit rate, but not one the GTS-700 accepts
  SetInt("itGTS700", "Protocol", tfcGSI);
  SetInt("itGTS700", "Terminate", teolCR);
  SetInt("itGTS700", "Port", tptEight);  // ports have no accepted set
  SetInt("itSDR33", "Baud", tbr19200);   // accepted
  SetInt("itTPS1100", "Baud", tbr4800);  // accepts nothing: the ordinal is kept as stored
  TGeraete& g = Make();
  g.LoadSettings();
  EXPECT_EQ(It("itGTS700").BaudRate, tbr9600);
  EXPECT_EQ(It("itGTS700").FlowControl, tfcXONXOFF);
  EXPECT_EQ(It("itGTS700").EndofLine, teolCRLF);
  EXPECT_EQ(It("itGTS700").Port, tptEight);
  EXPECT_EQ(It("itSDR33").BaudRate, tbr19200);
  EXPECT_EQ(It("itTPS1100").BaudRate, tbr4800);
}

TEST_F(InstrumentSettingsTest, HandEditedTextsAreCheckedToo) {
  SetText("itGTS700", "OffsetY", "12,5");
  SetText("itGTS700", "OffsetX", " 7.25 ");
  SetText("itGTS700", "Data format", "GTS-8");
  SetText("itSDR33", "Data format", "SDR 2x");
  SetInt("itSDR33", "ReadTime", 3600001);
  TGeraete& g = Make();
  g.LoadSettings();
  EXPECT_EQ(It("itGTS700").OffsetY(), "0");
  EXPECT_EQ(It("itGTS700").OffsetX(), "7.25");
  EXPECT_EQ(It("itGTS700").GeraeteFormat, &Fmt("FC5"));  // a caption of no format selects FC5
  EXPECT_EQ(It("itSDR33").GeraeteFormat, &Fmt("SDR2x"));
  EXPECT_EQ(It("itSDR33").Lesezeit, 5000u);
}

TEST_F(InstrumentSettingsTest, TheLastOEMConvertReadForASharedFormatWins) {
  ASSERT_TRUE(WriteRegBool(kUser, Key("itGTS700", "OEMConvert"), false, true));
  ASSERT_TRUE(WriteRegBool(kUser, Key("itGPT6000", "OEMConvert"), true, true));
  ASSERT_TRUE(WriteRegBool(kUser, Key("itFC1000", "OEMConvert"), false, true));
  TGeraete& g = Make();
  g.LoadSettings();
  EXPECT_FALSE(Fmt("GTS7").OEMConvert);  // itFC1000 comes last
}

TEST_F(InstrumentSettingsTest, LoadSettingsRenumbersTabOrder) {
  TGeraete& g = Make();
  It("itGIF10").TabOrder = 42;
  g.LoadSettings();
  EXPECT_EQ(It("itGIF10").TabOrder, 0);
  EXPECT_EQ(It("itTC600").TabOrder, 1);
}

TEST_F(InstrumentSettingsTest, FileFiltersAreSeededOnceTheNativeOneAlways) {
  ASSERT_TRUE(WriteRegString(kUser, std::string(kConfigurationKey) + "GSI8\\File filter", "eigener", true));
  ASSERT_TRUE(WriteRegString(kUser, std::string(kConfigurationKey) + "Original\\File filter", "alt", true));
  TGeraete& g = Make();
  g.SeedFileFilters();
  const std::string root = kConfigurationKey;
  EXPECT_EQ(ReadRegString(kUser, root + "Original\\File filter", ""), "T373");  // GTS7 of itGTS700
  EXPECT_EQ(ReadRegString(kUser, root + "GSI8\\File filter", ""), "eigener");
  EXPECT_EQ(ReadRegString(kUser, root + "GSI16\\File filter", ""), "T375");
  EXPECT_EQ(ReadRegString(kUser, root + "RW5\\File filter", ""), "T663");
  EXPECT_EQ(ReadRegString(kUser, root + "AP700\\File filter", "none"), "T0");

  g.SelectInstrument("Topcon DL-100");
  SetTextProvider([](int n) { return "L" + std::to_string(n); });  // another language
  g.SeedFileFilters();
  EXPECT_EQ(ReadRegString(kUser, root + "Original\\File filter", ""), "L374");
  EXPECT_EQ(ReadRegString(kUser, root + "GSI16\\File filter", ""), "T375");  // the key exists now
}

}  // namespace
}  // namespace veltro::test
