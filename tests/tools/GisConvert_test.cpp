// The exchange formats of GIS tools through veltro-convert: written files
// against their samples, round trips through the instrument format,
// files of other programs with what they skip, and the runs that must
// write nothing.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "tests/support/ConvertRun.h"
#include "tests/support/TransferFixture.h"

namespace veltro::test {
namespace {

const std::string kData = VELTRO_TEST_DATA "/";

struct Written {
  const char* source;   // in tests/data/office/
  const char* options;  // --to and options
  const char* expected; // in tests/data/
};

const Written kWritten[] = {
    {"punkte-kurz.gsi", "--to CSV", "csv/koordinaten.csv"},
    {"punkte-texte.gsi", "--to CSV", "csv/texte.csv"},
    {"punkte-texte.gsi", "--to CSV --option 'CSV\\Separator=;' --option 'CSV\\Decimal point=,'",
     "csv/texte-semikolon.csv"},
    {"messung-gsi16.gsi", "--to CSV", "csv/messung.csv"},
    {"punkte-kurz.gsi", "--to GeoJSON", "geojson/koordinaten.geojson"},
    {"punkte-texte.gsi", "--to GeoJSON", "geojson/texte.geojson"},
    {"messung-gsi16.gsi", "--to GeoJSON", "geojson/messung.geojson"},
    {"punkte-kurz.gsi", "--to GeoJSON --gps-system EPSG:21781 --option 'GeoJSON\\Grid coordinates=1'",
     "geojson/koordinaten-raster.geojson"},
    {"punkte-kurz.gsi", "--to GPX", "gpx/koordinaten.gpx"},
    {"punkte-texte.gsi", "--to GPX", "gpx/texte.gpx"},
    {"punkte-kurz.gsi", "--to KML", "kml/koordinaten.kml"},
    {"punkte-texte.gsi", "--to KML", "kml/texte.kml"},
    {"punkte-kurz.gsi", "--to LandXML", "landxml/koordinaten.xml"},
    {"punkte-texte.gsi", "--to LandXML", "landxml/texte.xml"},
    {"messung-gsi16.gsi", "--to LandXML", "landxml/messung.xml"},
};

class GisConvertTest : public ::testing::Test {
 protected:
  GisConvertTest() { WriteFile(tmp / "settings.ini", ""); }
  int Run(const std::string& args) {
    ConvertRun run = RunConverter(tmp, "--yes " + args);
    stderrText = run.stderrText;
    return run.status;
  }
  std::string Out(const std::string& name) const { return ShellQuote(tmp / name); }
  // A file read into GSI 16 lines and those written as ASCII.
  std::string AsAscii(const std::string& from, const std::string& file, const std::string& options = "") {
    std::remove((tmp / "read.gsi").c_str());
    std::remove((tmp / "read.asc").c_str());
    EXPECT_EQ(Run("--from " + from + " --to GSI16 " + options + " " + ShellQuote(file) + " " + Out("read.gsi")), 0)
        << stderrText;
    const std::string notes = stderrText;
    EXPECT_EQ(Run("--from GSI16 " + Out("read.gsi") + " " + Out("read.asc")), 0) << stderrText;
    stderrText = notes;
    return ReadFile(tmp / "read.asc");
  }

  TempDir tmp;
  std::string stderrText;
};

TEST_F(GisConvertTest, WrittenFilesMatchTheirSamples) {
  for (const Written& w : kWritten) {
    SCOPED_TRACE(w.expected);
    EXPECT_EQ(Run("--from GSI16 " + std::string(w.options) + " " + ShellQuote(kData + "office/" + w.source) + " " +
                  Out("out")),
              0)
        << stderrText;
    EXPECT_TRUE(SameBytes(ReadFile(kData + w.expected), ReadFile(tmp / "out")));
  }
}

// ASCII -> GSI 16 -> each format -> GSI 16 -> ASCII keeps every value:
// exactly for grid files, to the millimetre after WGS 84 and back.
TEST_F(GisConvertTest, EveryFormatReadsBackWhatItWrote) {
  for (const char* source : {"punkte-kurz.gsi", "punkte-texte.gsi"}) {
    ASSERT_EQ(Run("--from GSI16 " + ShellQuote(kData + "office/" + source) + " " + Out("source.asc")), 0);
    const std::string ascii = ReadFile(tmp / "source.asc");
    const std::string stem = std::string(source) == "punkte-kurz.gsi" ? "koordinaten" : "texte";
    for (const char* f : {"csv/CSV/.csv", "geojson/GeoJSON/.geojson", "gpx/GPX/.gpx", "kml/KML/.kml",
                          "landxml/LandXML/.xml"}) {
      const std::string spec = f;
      const std::string folder = spec.substr(0, spec.find('/'));
      const std::string name = spec.substr(folder.size() + 1, spec.rfind('/') - folder.size() - 1);
      SCOPED_TRACE(name + " " + source);
      EXPECT_EQ(AsAscii(name, kData + folder + "/" + stem + spec.substr(spec.rfind('/') + 1)), ascii);
      EXPECT_EQ(stderrText, "");
    }
  }
  // Grid GeoJSON needs no coordinate system, neither to write nor to read.
  ASSERT_EQ(Run("--from GSI16 " + ShellQuote(kData + "office/punkte-kurz.gsi") + " " + Out("kurz.asc")), 0);
  EXPECT_EQ(AsAscii("GeoJSON", kData + "geojson/koordinaten-raster.geojson", "--gps-system none"),
            ReadFile(tmp / "kurz.asc"));
  // Recognised without --from.
  for (const char* sample : {"csv/koordinaten.csv", "geojson/koordinaten.geojson", "gpx/koordinaten.gpx",
                             "kml/koordinaten.kml", "landxml/koordinaten.xml"}) {
    SCOPED_TRACE(sample);
    std::remove((tmp / "auto.gsi").c_str());
    std::remove((tmp / "auto.asc").c_str());
    EXPECT_EQ(Run("--to GSI16 " + ShellQuote(kData + sample) + " " + Out("auto.gsi")), 0) << stderrText;
    EXPECT_EQ(Run("--from GSI16 " + Out("auto.gsi") + " " + Out("auto.asc")), 0);
    EXPECT_EQ(ReadFile(tmp / "auto.asc"), ReadFile(tmp / "kurz.asc"));
  }
}

// Files of other programs: what is no point is listed with its line, the
// rest is read.
TEST_F(GisConvertTest, ForeignFilesListWhatIsNoPoint) {
  struct Foreign {
    const char* format;
    const char* file;
    std::vector<const char*> notes;
  };
  const Foreign kForeign[] = {
      {"CSV", "csv/fremd.csv", {"CSV, line 5: the coordinate abc is not a number; the point was skipped."}},
      {"GeoJSON",
       "geojson/fremd.geojson",
       {"GeoJSON, line 5: LineString is not a point", "GeoJSON, line 7: Polygon is not a point",
        "GeoJSON, line 9: the coordinate \"7.44\" is not a number", "GeoJSON, line 11: the item has no coordinates",
        "GeoJSON, line 12: the character U+03A9 is not in the program's code page"}},
      {"GPX",
       "gpx/fremd.gpx",
       {"GPX, line 9: <rte> is not a point", "GPX, line 10: <trk> is not a point",
        "GPX, line 11: the coordinate north is not a number"}},
      {"KML",
       "kml/fremd.kml",
       {"KML, line 18: <LineString> is not a point", "KML, line 22: the item has no coordinates",
        "KML, line 25: <Polygon> is not a point"}},
      {"LandXML",
       "landxml/fremd.xml",
       {"LandXML, line 10: the item has no coordinates", "LandXML, line 11: the coordinate 200700.05 nord is not",
        "LandXML, line 13: the element <Description> is not read.",
        "LandXML, line 15: the element <Alignments> is not read.",
        "LandXML, line 16: the element <Surfaces> is not read."}},
      {"LandXML", "landxml/latin1.xml", {}},
  };
  for (const Foreign& f : kForeign) {
    SCOPED_TRACE(f.file);
    EXPECT_TRUE(SameBytes(ReadFile(kData + f.file + ".asc"), AsAscii(f.format, kData + f.file)));
    for (const char* note : f.notes) EXPECT_NE(stderrText.find(note), std::string::npos) << stderrText;
    if (f.notes.empty()) {
      EXPECT_EQ(stderrText, "");
    }
  }
}

// Geographic files need the coordinate system: without one nothing is
// written, an existing file keeps its bytes, and nothing is read.
TEST_F(GisConvertTest, WithoutCoordinateSystemNothingIsWritten) {
  const std::string gsi = ShellQuote(kData + "office/punkte-kurz.gsi");
  for (const char* format : {"GeoJSON", "GPX", "KML"}) {
    SCOPED_TRACE(format);
    EXPECT_EQ(Run(std::string("--gps-system none --from GSI16 --to ") + format + " " + gsi + " " + Out("new")), 2);
    EXPECT_NE(stderrText.find(std::string(format) + " needs WGS 84"), std::string::npos) << stderrText;
    EXPECT_FALSE(FileExists(tmp / "new"));
    WriteFile(tmp / "old", "kept");
    EXPECT_EQ(Run(std::string("--gps-system none --from GSI16 --to ") + format + " " + gsi + " " + Out("old")), 2);
    EXPECT_EQ(ReadFile(tmp / "old"), "kept");
  }
  EXPECT_EQ(Run("--gps-system none --from GPX --to GSI16 " + ShellQuote(kData + "gpx/koordinaten.gpx") + " " +
                Out("read.gsi")),
            2);
  EXPECT_FALSE(FileExists(tmp / "read.gsi"));
  // Grid formats do not ask for it.
  EXPECT_EQ(Run("--gps-system none --from GSI16 --to LandXML " + gsi + " " + Out("grid.xml")), 0) << stderrText;
}

TEST_F(GisConvertTest, FileOfNothingReadableWritesNothing) {
  WriteFile(tmp / "lines.geojson",
            "{\"type\":\"FeatureCollection\",\"features\":[{\"type\":\"Feature\",\"properties\":{},"
            "\"geometry\":{\"type\":\"LineString\",\"coordinates\":[[7.4,46.9],[7.5,47.0]]}}]}");
  WriteFile(tmp / "header.csv", "id,code,easting,northing,height,comment\r\n");
  WriteFile(tmp / "broken.xml", "<LandXML><CgPoints><CgPoint name=\"1\">1 2</CgPoint>");
  WriteFile(tmp / "entities.gpx",
            "<?xml version=\"1.0\"?><!DOCTYPE gpx [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]>"
            "<gpx><wpt lat=\"46.9\" lon=\"7.4\"><name>&b;</name></wpt></gpx>");
  for (const char* f : {"GeoJSON:lines.geojson", "CSV:header.csv", "LandXML:broken.xml", "GPX:entities.gpx"}) {
    const std::string spec = f;
    SCOPED_TRACE(spec);
    EXPECT_EQ(Run("--from " + spec.substr(0, spec.find(':')) + " --to GSI16 " + Out(spec.substr(spec.find(':') + 1)) +
                  " " + Out("none.gsi")),
              2);
    EXPECT_NE(stderrText.find("the file holds no point"), std::string::npos) << stderrText;
    EXPECT_FALSE(FileExists(tmp / "none.gsi"));
  }
}

}  // namespace
}  // namespace veltro::test
