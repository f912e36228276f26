// The exchange formats of GIS tools on the record model: texts of the
// code page through UTF-8 and back, points without height, CSV quoting,
// and hostile files that must neither crash, hang nor expand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Messages.h"
#include "core/Transfer.h"
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
    for (const std::string& line : t.OutputLines) all += line + "\r\n";
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

}  // namespace
}  // namespace veltro::test
