// The exchange formats of GIS tools on the record model: texts of the
// code page through UTF-8 and back, points without height, CSV quoting,
// and hostile files that must neither crash, hang nor expand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Messages.h"
#include "core/Transfer.h"
#include "formats/office/GisXml.h"
#include "formats/office/JsonReader.h"
#include "instruments/TransferModules.h"
#include "platform/MessageBox.h"
#include "tests/support/TempSettings.h"

namespace veltro::test {
namespace {

class GisFormatsTest : public ::testing::Test {
 protected:
  GisFormatsTest() {
    SetTextProvider([](int n) { return "T" + std::to_string(n) + ":%s:%s:%s"; });
    SetMessageBoxBackend(&box);
    CurrentTransfer().Messages.clear();
    CurrentTransfer().StopFlag = false;
  }
  ~GisFormatsTest() override {
    SetMessageBoxBackend(nullptr);
    SetTextProvider(nullptr);
  }
  // The whole document a transfer writes for these points.
  std::string Write(TdmGisFormat& format, const std::vector<TPunkt>& points) {
    TransferState& t = CurrentTransfer();
    t.OutputLines.clear();
    TDatenformatDefinitionen& d = format.Definition();
    d.OnBeforeSave();
    TDaten daten;
    for (const TPunkt& p : points) {
      daten.Punkt = p;
      const std::string text = format.Koordinaten->OnWrite(daten);
      EXPECT_NE(text, kWriteError);
      t.OutputLines.push_back(text);
    }
    d.OnAfterSave();
    std::string all;
    for (std::string_view line : t.OutputLines) (all += line) += "\r\n";
    t.OutputLines.clear();
    return all;
  }
  std::string Notes() {
    std::string all;
    for (const std::string& m : CurrentTransfer().Messages) all += m + "\n";
    CurrentTransfer().Messages.clear();
    return all;
  }
  static TPunkt Point(const char* nr, const char* code, const char* y, const char* x, const char* h,
                      const char* comment) {
    TPunkt p;
    p.Punktnummer = nr;
    p.Code1 = code;
    p.Y = y;
    p.X = x;
    p.Hoehe = h;
    p.Kommentar = comment;
    p.Messflags = mfKoordinaten;
    return p;
  }

  TempSettings store;
  ScriptedMessageBox box;
  TransferModules modules{VELTRO_BUILD_DIR "/app/"};
};

// Texts with the separators and markup of every format, and code page
// characters beyond ASCII (0x80 euro, 0xFC u umlaut, 0xA6 broken bar).
TEST_F(GisFormatsTest, RecordTextsAndMissingHeightsSurviveEveryFormat) {
  const std::vector<TPunkt> points = {
      Point("M\xFC\"<&>1", "a;b,c", "600100.000", "200100.000", "451.500", "Rand \"alt\", \x80 \xA6 <x/>"),
      Point("2", "", "600200.125", "200200.875", "", "")};
  for (TdmGisFormat* format : modules.GisFormats()) {
    const std::string name = format->Definition().Name;
    SCOPED_TRACE(name);
    const std::string file = Write(*format, points);
    const std::vector<GisPoint> read = format->ReadDocument(file);
    EXPECT_EQ(Notes(), "");
    ASSERT_EQ(read.size(), 2u) << file;
    for (size_t i = 0; i < 2; ++i) {
      EXPECT_EQ(read[i].Punktnummer, points[i].Punktnummer);
      EXPECT_EQ(read[i].Code1, points[i].Code1);
      EXPECT_EQ(read[i].Kommentar, points[i].Kommentar);
      EXPECT_EQ(read[i].Y, points[i].Y);  // to the millimetre also after WGS 84
      EXPECT_EQ(read[i].X, points[i].X);
      EXPECT_EQ(read[i].Hoehe, points[i].Hoehe);
    }
    // The point without height has none in the file either.
    const std::pair<const char*, const char*> noHeight[] = {{"GeoJSON", "46.952890291]}"},
                                                            {"GPX", "<wpt lat=\"46.952890291\" lon=\"7.441262437\"><name>"},
                                                            {"CSV", "2,,600200.125,200200.875,,\r\n"},
                                                            {"LandXML", ">200200.875 600200.125</CgPoint>"},
                                                            {"KML", "<coordinates>7.441262437,46.952890291</"}};
    for (const auto& [format, text] : noHeight)
      if (name == format) {
        EXPECT_NE(file.find(text), std::string::npos) << file;
      }
  }
}

TEST_F(GisFormatsTest, CsvTakesQuotedFieldsAndColumnsInAnyOrder) {
  const auto records = TdmCSV::SplitRecords("a,\"b,\"\"c\"\"\r\nd\",e\r\n\r\nf,,\n", ',');
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].fields, (std::vector<std::string>{"a", "b,\"c\"\r\nd", "e"}));
  EXPECT_EQ(records[1].line, 4u);
  EXPECT_EQ(records[1].fields, (std::vector<std::string>{"f", "", ""}));

  TdmCSV& csv = *modules.csv;
  const std::vector<GisPoint> read = csv.ReadDocument(
      "\xEF\xBB\xBFZ;Comment;X;Y;Id\r\n1,5;\"a;b\";200000,25;600000;P1\r\n;;1;x;P2\r\n;;;;P3\r\n");
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0].Punktnummer, "P1");
  EXPECT_EQ(read[0].Y, "600000");
  EXPECT_EQ(read[0].X, "200000.25");
  EXPECT_EQ(read[0].Hoehe, "1.5");
  EXPECT_EQ(read[0].Kommentar, "a;b");
  EXPECT_EQ(Notes(), "T877:CSV:3:x\n");  // the row without coordinates is a measurement
  EXPECT_TRUE(csv.ReadDocument("id,code,height\r\n1,2,3\r\n").empty());
  EXPECT_EQ(Notes(), "T886:CSV:easting/northing:\nT888:CSV::\n");
}

TEST_F(GisFormatsTest, TextsBeyondTheCodePageAreListed) {
  const std::string file =
      "<LandXML>\n<CgPoints>\n<CgPoint name=\"\xCE\xA9" "1\" code=\"\xC3\xA4\">2 1</CgPoint>\n</CgPoints>\n</LandXML>";
  const std::vector<GisPoint> read = modules.landXml->ReadDocument(file);
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0].Punktnummer, "?1");
  EXPECT_EQ(read[0].Code1, "\xE4");
  EXPECT_EQ(Notes(), "T884:LandXML:3:U+03A9\n");
}

// Files built to hurt a reader: each is refused or read in part with a
// note, in bounded time and memory.
TEST_F(GisFormatsTest, HostileFilesAreReadSafely) {
  const std::string deepJson = std::string(200000, '[') + std::string(200000, ']');
  EXPECT_TRUE(modules.geoJson->ReadDocument(deepJson).empty());
  EXPECT_NE(Notes().find("T887:GeoJSON:1:32"), std::string::npos);

  std::string deepXml = "<kml>";
  for (int i = 0; i < 50000; ++i) deepXml += "<Folder>";
  deepXml += "<Placemark><Point><coordinates>7.4,46.9</coordinates></Point></Placemark>";
  for (int i = 0; i < 50000; ++i) deepXml += "</Folder>";
  EXPECT_TRUE(modules.kml->ReadDocument(deepXml + "</kml>").empty());
  EXPECT_NE(Notes().find("T887:KML:1:32"), std::string::npos);

  // Entities of a document type are never expanded: the document is refused.
  const std::string laughs =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE LandXML [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;\">"
      "<!ENTITY c \"&b;&b;&b;&b;&b;\">]>\n<LandXML><CgPoints><CgPoint name=\"&c;\">1 2</CgPoint></CgPoints></LandXML>";
  EXPECT_TRUE(modules.landXml->ReadDocument(laughs).empty());
  EXPECT_NE(Notes().find("T879:LandXML:2:<!DOCTYPE>"), std::string::npos);
  // The same in UTF-16, where the letters stand apart.
  std::string utf16 = "\xFF\xFE";
  for (char c : laughs) utf16 += std::string(1, c) + '\0';
  EXPECT_TRUE(modules.landXml->ReadDocument(utf16).empty());
  EXPECT_NE(Notes().find("<!DOCTYPE>"), std::string::npos);

  // UTF-16 itself is read.
  std::string point16 = "\xFF\xFE";
  for (char c : std::string("<LandXML><CgPoints><CgPoint name=\"7\">2.5 1.5 3</CgPoint></CgPoints></LandXML>"))
    point16 += std::string(1, c) + '\0';
  const std::vector<GisPoint> read = modules.landXml->ReadDocument(point16);
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0].Y, "1.5");
  EXPECT_EQ(read[0].X, "2.5");
  Notes();

  // Broken, truncated and strange documents: notes, no points, no crash.
  for (const std::string& bad :
       {std::string("{\"type\":\"FeatureCollection\",\"features\":[{\"type\":\"Feature\",\"geometry\":"),
        std::string("{\"type\":\"Feature\",\"properties\":{\"id\":\"\xFF\"},\"geometry\":{\"type\":\"Point\","
                    "\"coordinates\":[1,2]}}"),
        std::string("{\"type\":\"Feature\",\"crs\":{\"properties\":{\"name\":\"EPSG:2056\"}},\"geometry\":{\"type\":"
                    "\"Point\",\"coordinates\":[1e400,2]}}"),
        std::string("[1,2,3]"), std::string(""), std::string("\0\0\0", 3)}) {
    EXPECT_TRUE(modules.geoJson->ReadDocument(bad).empty()) << bad;
    EXPECT_NE(Notes(), "") << bad;
  }
  for (TdmGisFormat* format : {static_cast<TdmGisFormat*>(modules.gpx.get()), static_cast<TdmGisFormat*>(modules.kml.get()),
                               static_cast<TdmGisFormat*>(modules.landXml.get())}) {
    for (const std::string& bad : {std::string("<gpx><wpt lat=\"1\""), std::string("<other/>"), std::string("\xEF\xBB\xBF"),
                                   std::string("<LandXML><CgPoints><CgPoint>1e999 2</CgPoint></CgPoints></LandXML>")}) {
      EXPECT_TRUE(format->ReadDocument(bad).empty()) << bad;
      EXPECT_NE(Notes(), "") << bad;
    }
  }
}

// Markup, quotes, line ends and control characters written by the element
// tree come back unchanged.
TEST(GisXmlTest, PrintedElementsReadBackUnchanged) {
  std::string all;
  for (int c = 1; c < 0x80; ++c) all += static_cast<char>(c);
  all += "\xC3\xA4";
  XmlElement e;
  e.name = "a";
  e.Set("v", all).Set("w", "'\"");
  e.Append("b");
  e.Append("c").text = all;
  const std::string line = e.Print();
  EXPECT_NE(line.find("<b/>"), std::string::npos) << line;
  XmlElement back;
  size_t errorLine = 0;
  std::string reason;
  ASSERT_TRUE(ParseXml(line, 40, back, errorLine, reason)) << reason;
  EXPECT_EQ(back.Attribute("v"), all);
  EXPECT_EQ(back.Attribute("w"), "'\"");
  ASSERT_EQ(back.children.size(), 2u);
  EXPECT_EQ(back.children[1].text, all);
  EXPECT_EQ(back.Print(), line);
}

// Every text a string literal can carry is read back from JsonQuoted.
TEST(GisJsonTest, QuotedTextsReadBackUnchanged) {
  struct Strings {
    std::vector<std::string> seen;
    std::string error;
    bool Null() { return true; }
    bool Boolean(bool) { return true; }
    bool Number(const std::string&) { return true; }
    bool String(const std::string& s) {
      seen.push_back(s);
      return true;
    }
    bool Key(const std::string&) { return true; }
    bool StartObject() { return true; }
    bool EndObject() { return true; }
    bool StartArray() { return true; }
    bool EndArray() { return true; }
    bool Error(const std::string& reason) {
      error = reason;
      return false;
    }
  };
  std::string all;
  for (int c = 1; c < 0x80; ++c) all += static_cast<char>(c);
  all += "\xC3\xA4\xF0\x9F\x98\x80";
  const std::string doc = "[" + JsonQuoted(all) + ",\"\\u00e4\\ud83d\\ude00\\/\"]";
  Strings h;
  EXPECT_TRUE(JsonReader<const char*>(doc.data(), doc.data() + doc.size()).Read(h)) << h.error;
  EXPECT_EQ(h.seen, (std::vector<std::string>{all, "\xC3\xA4\xF0\x9F\x98\x80/"}));
}

// Well-formed documents in their variety are read, and every breach of the
// grammar is refused with its line instead of read by guess.
TEST_F(GisFormatsTest, XmlDocumentsAreReadByTheGrammar) {
  const std::string good =
      "<?xml version='1.0' encoding='UTF-8'?>\r\n<!-- made by hand -->\r\n<lx:LandXML xmlns:lx='x'>\r\n"
      "<?app data?><lx:CgPoints><lx:CgPoint name='P&#228;&#x41;' desc=\"a&amp;b\r\nc\"><![CDATA[2 1]]> 3"
      "</lx:CgPoint></lx:CgPoints>\r\n<Other/></lx:LandXML>\r\n";
  std::vector<GisPoint> read = modules.landXml->ReadDocument(good);
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0].Punktnummer, "P\xE4" "A");
  EXPECT_EQ(read[0].Kommentar, "a&b c");
  EXPECT_EQ(read[0].X, "2");
  EXPECT_EQ(read[0].Hoehe, "3");
  EXPECT_EQ(Notes(), "T878:LandXML:6:<Other>\n");

  read = modules.landXml->ReadDocument(
      "<?xml version=\"1.0\" encoding=\"windows-1252\"?><LandXML><CgPoints><CgPoint name=\"\x80\">1 2</CgPoint>"
      "</CgPoints></LandXML>");
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0].Punktnummer, "\x80");

  const std::pair<const char*, const char*> bad[] = {
      {"<LandXML>\n<CgPoints>\n</CgPoint></LandXML>", "T879:LandXML:3:</CgPoint> does not close <CgPoints>"},
      {"<LandXML><CgPoints>\n<CgPoint name=\"&nbsp;\">1 2</CgPoint></CgPoints></LandXML>", "T879:LandXML:2:undefined"},
      {"<LandXML><CgPoints><CgPoint name=1>1 2</CgPoint></CgPoints></LandXML>", "T879:LandXML:1:unquoted"},
      {"<LandXML/>\n<LandXML/>", "T879:LandXML:2:a second root"},
      {"<LandXML/>x", "T879:LandXML:1:text outside"},
      {"<LandXML><!-- open", "T879:LandXML:1:unclosed comment"},
      {"<LandXML><CgPoints><CgPoint>1 2&#0;</CgPoint></CgPoints></LandXML>", "T879:LandXML:1:bad character"},
      {"<LandXML><!ENTITY a 'b'></LandXML>", "T879:LandXML:1:markup declaration"},
      {"<LandXML><CgPoints>", "T879:LandXML:1:<CgPoints> is not closed"},
      {"\xFF\xFE<\0\x00\xDC", "T879:LandXML:1:broken UTF-16"},
  };
  for (const auto& [doc, note] : bad) {
    SCOPED_TRACE(doc);
    EXPECT_TRUE(modules.landXml->ReadDocument(doc).empty());
    const std::string notes = Notes();
    EXPECT_EQ(notes.rfind(note, 0), 0u) << notes;
  }

  // Nesting is followed to its limit and listed beyond it.
  for (int levels : {32, 33}) {
    std::string deep = "<LandXML>";
    for (int i = 0; i < levels; ++i) deep += "<CgPoints>";
    deep += "<CgPoint>1 2</CgPoint>";
    for (int i = 0; i < levels; ++i) deep += "</CgPoints>";
    EXPECT_EQ(modules.landXml->ReadDocument(deep + "</LandXML>").size(), levels == 32 ? 1u : 0u);
    const std::string notes = Notes();
    EXPECT_EQ(notes.find("T887:LandXML:1:32\n") == std::string::npos, levels == 32) << notes;
  }
}

TEST_F(GisFormatsTest, JsonDocumentsAreReadByTheGrammar) {
  const std::string good =
      "// grid values\n{\"type\": \"Feature\", /* the system */ \"crs\": {\"properties\": {\"name\": \"EPSG:2056\"}},\n"
      "\"tiny\": 1e-400, \"big\": 123456789012345678901234567890, \"flags\": [true, false, null, {}, []],\n"
      "\"properties\": {\"id\": \"A\\u00e4\\/\", \"code\": \"\\ud83d\\ude00\"},\n"
      "\"geometry\": {\"type\": \"Point\", \"coordinates\": [600000.5, 2000.25E2, -0.5]}}\n";
  std::vector<GisPoint> read = modules.geoJson->ReadDocument(good);
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0].Punktnummer, "A\xE4/");
  EXPECT_EQ(read[0].Code1, "?");
  EXPECT_EQ(read[0].Y, "600000.5");
  EXPECT_EQ(read[0].X, "200025");
  EXPECT_EQ(read[0].Hoehe, "-0.5");
  EXPECT_EQ(Notes(), "T884:GeoJSON:2:U+1F600\n");

  const std::pair<const char*, const char*> bad[] = {
      {"{\"type\": \"Feature\",\n}", "T879:GeoJSON:2:unexpected '}'"},
      {"{\"a\": [01]}", "T879:GeoJSON:1:not a number: 01"},
      {"{\"a\": -}", "T879:GeoJSON:1:not a number: -"},
      {"{\"a\": 1.}", "T879:GeoJSON:1:not a number: 1."},
      {"{\"a\": \"\\ud800\"}", "T879:GeoJSON:1:lone surrogate"},
      {"{\"a\": \"tab\there\"}", "T879:GeoJSON:1:control character"},
      {"{\"a\": \"\\x\"}", "T879:GeoJSON:1:unknown escape"},
      {"{\"a\": \"\xC0\xAF\"}", "T879:GeoJSON:1:ill-formed UTF-8"},
      {"{\"a\": tru}", "T879:GeoJSON:1:not a literal (true)"},
      {"{\"a\": 1} {}", "T879:GeoJSON:1:unexpected '{' after the document"},
      {"{\"a\" 1}", "T879:GeoJSON:1:unexpected '1' instead of ':'"},
      {"{1: 2}", "T879:GeoJSON:1:unexpected '1' instead of a member name"},
      {"{\"a\": 1} /* open", "T879:GeoJSON:1:unclosed comment"},
      {"{\"a\": 1e400}", "T879:GeoJSON:1:number overflow: 1e400"},
  };
  for (const auto& [doc, note] : bad) {
    SCOPED_TRACE(doc);
    EXPECT_TRUE(modules.geoJson->ReadDocument(doc).empty());
    const std::string notes = Notes();
    EXPECT_NE(notes.find(note), std::string::npos) << notes;
  }
}

}  // namespace
}  // namespace veltro::test
