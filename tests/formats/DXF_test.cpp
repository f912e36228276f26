// The DXF format module: writing through entity templates, DXF.DEF sections,
// options, and reading drawings entity by entity.
#include "formats/office/DXF.h"

#include <gtest/gtest.h>

#include "core/Settings.h"
#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "platform/Registry.h"
#include "tests/support/TempSettings.h"
#include "tests/support/TestFormats.h"
#include "tests/support/TransferFixture.h"

namespace veltro::test {
namespace {

const char* const kPoint17 =
    "  0\r\nPOINT\r\n  8\r\n1\r\n 10\r\n600000.123\r\n 20\r\n200000.456\r\n 30\r\n450.100\r\n"
    "  0\r\nTEXT\r\n  8\r\n1\r\n 10\r\n600001.123\r\n 20\r\n200001.456\r\n 30\r\n450.100\r\n 40\r\n1.8\r\n  1\r\n17";

class DXFTest : public TransferFixture {
 protected:
  DXFTest() {
    CurrentTransfer() = TransferState{};
    WriteRegString(RegistryRoot::CurrentUser, ConfigPath("DXFPath"), tmp.path(), true);
    SetTextProvider([](int n) {
      if (n == 840) return std::string("T840 %s %s");
      return "T" + std::to_string(n) + (n > 840 && n < 846 ? " %s" : "");
    });
  }
  void Point(const std::string& nr, const std::string& y, const std::string& x, const std::string& h,
             std::uint16_t flags = 0, const std::string& code = "") {
    daten.Punkt = TPunkt{};
    daten.Punkt.Punktnummer = nr;
    daten.Punkt.Y = y;
    daten.Punkt.X = x;
    daten.Punkt.Hoehe = h;
    daten.Punkt.Messflags = flags;
    daten.Punkt.Code1 = code;
  }
  // The points of a DXF text as the engine reads them: "nr|y|x|z|code".
  std::vector<std::string> Read(const std::string& text) {
    CurrentTransfer().InputLines = SplitLines(text);
    dxf.DXFBeforeLoad(false);
    EXPECT_TRUE(CurrentTransfer().InputLines.empty());
    std::vector<std::string> points;
    TDaten d;
    std::string line;
    for (int guard = 0; guard < 1000 && dxf.DXFTransform(line); ++guard) {
      EXPECT_TRUE(dxf.IsKoordinatenText(line)) << line;
      d.Punkt = TPunkt{};
      dxf.KoordinatenRead(line, d);
      const TPunkt& p = d.Punkt;
      points.push_back(p.Punktnummer + "|" + p.Y + "|" + p.X + "|" + p.Hoehe + "|" + p.Code1);
    }
    return points;
  }
  static std::string Entities(const std::string& body) {
    return "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n" + body + "  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
  }
  std::vector<std::string> Messages() const { return MessageTexts(); }

  TempSettings settingsFiles;
  TestFormats formats;
  TDFD dfd;
  TdmDXF dxf{dfd};
  TDaten daten;
};

TEST_F(DXFTest, Point17WithTheBuiltInTemplate) {
  EXPECT_EQ(dxf.Template().size(), 24u);
  Point("17", "600000.123", "200000.456", "450.1");
  EXPECT_EQ(dxf.KoordinatenWrite(daten), kPoint17);
  // Four decimals with Messflags 0x2000, also on the offset lines.
  Point("17", "600000.123", "200000.456", "450.1", 0x2000);
  const std::string fine = dxf.KoordinatenWrite(daten);
  EXPECT_NE(fine.find(" 10\r\n600000.1230\r\n 20\r\n200000.4560\r\n 30\r\n450.1000\r\n"), std::string::npos);
  EXPECT_NE(fine.find(" 10\r\n600001.1230\r\n"), std::string::npos);
  // New points only with coordinates (0x0800).
  Point("17", "600000.123", "200000.456", "450.1");
  EXPECT_EQ(dxf.NeupunkteWrite(daten), "");
  daten.Punkt.Messflags = mfKoordinaten;
  EXPECT_EQ(dxf.NeupunkteWrite(daten), kPoint17);
  // Read back: the TEXT's group 1 gives the number.
  EXPECT_EQ(Read(Entities(std::string(kPoint17) + "\r\n")),
            (std::vector<std::string>{"17|600000.123|200000.456|450.100|"}));
}

// No arithmetic on missing values and no empty value lines: a point without
// height leaves out the pairs holding @Z; a missing or non-numeric Y or X,
// or a height that is no number, is "Error".
TEST_F(DXFTest, NoArithmeticOnMissingValues) {
  Point("5", "2600000.0005", "1200000", "");
  const std::string flat = dxf.KoordinatenWrite(daten);
  EXPECT_EQ(SplitLines(flat).size(), 20u);
  EXPECT_EQ(flat.find(" 30"), std::string::npos);
  EXPECT_NE(flat.find(" 10\r\n2600000.001\r\n 20\r\n1200000.000\r\n  0\r\nTEXT"), std::string::npos) << flat;
  EXPECT_EQ(Read(Entities(flat + "\r\n")), (std::vector<std::string>{"5|2600000.001|1200000.000||"}));
  for (auto [y, x, h] :
       {std::tuple{"", "1200000", "400"}, {"2600000", "abc", "400"}, {"2600000", "1200000", "n/a"}, {" ", "1", "2"}}) {
    Point("6", y, x, h);
    EXPECT_EQ(dxf.KoordinatenWrite(daten), kWriteError) << y << "/" << x << "/" << h;
  }
  // A point without number or code still writes no empty value line.
  Point("", "1", "2", "3");
  EXPECT_EQ(dxf.KoordinatenWrite(daten).find("\r\n\r\n"), std::string::npos);
  EXPECT_EQ(dxf.KoordinatenWrite(daten).substr(dxf.KoordinatenWrite(daten).size() - 3), "\r\n ");
}

TEST_F(DXFTest, OptionsFromTheSettingsAndTheirRefusal) {
  WriteRegString(RegistryRoot::CurrentUser, ConfigPath("DXF\\Layer"), "Punkte", true);
  WriteRegString(RegistryRoot::CurrentUser, ConfigPath("DXF\\Font size"), "1,8", true);
  dxf.ReadOptions();
  EXPECT_EQ(dxf.Layer, "Punkte");
  EXPECT_EQ(dxf.Definition, "T116");  // the default choice
  ASSERT_TRUE(dxf.CheckOptions());
  Point("1", "1", "2", "3");
  EXPECT_NE(dxf.KoordinatenWrite(daten).find(" 40\r\n1.8\r\n"), std::string::npos);
  EXPECT_NE(dxf.KoordinatenWrite(daten).find("  8\r\nPunkte\r\n"), std::string::npos);
  EXPECT_TRUE(dxf.SetOption("dxf\\FONT SIZE", "2.50"));
  EXPECT_NE(dxf.KoordinatenWrite(daten).find(" 40\r\n2.50\r\n"), std::string::npos);
  EXPECT_FALSE(dxf.SetOption("DXF\\Colour", "1"));

  for (const char* layer : {"A:B", "", "  ", "a\"b", "x=y", "P<1>", "T|U", "v`w"}) {
    box.Clear();
    dxf.Layer = layer;
    EXPECT_FALSE(dxf.CheckOptions()) << layer;
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].substr(0, 4), "T842");
    EXPECT_EQ(dxf.KoordinatenWrite(daten), kWriteError);
  }
  dxf.Layer = "Mauer \xE4";
  for (const char* height : {"0", "-1,5", "abc", "", "1,8,1"}) {
    box.Clear();
    dxf.Texthoehe = height;
    EXPECT_FALSE(dxf.CheckOptions()) << height;
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].substr(0, 4), "T843");
    EXPECT_EQ(dxf.KoordinatenWrite(daten), kWriteError);
  }
}

// Placeholders are replaced where they stand in the template, so a point
// number holding "@LAY" stays as it is; only @Y, @X and @Z ignore case.
TEST_F(DXFTest, PlaceholdersAsTheyStandInTheTemplate) {
  dxf.SetTemplate({"  0", "TEXT", "  8", "@LAY", " 10", "@y-0.5", " 20", "@X", "  1", "@PAMauer", "  1", "Nr. @PNR",
                   "  1", "@pnr"});
  Point("@LAY", "10", "20", "", 0, "");
  EXPECT_EQ(dxf.KoordinatenWrite(daten),
            "  0\r\nTEXT\r\n  8\r\n1\r\n 10\r\n9.500\r\n 20\r\n20.000\r\n  1\r\nMauer\r\n"
            "  1\r\nNr. @LAY\r\n  1\r\n@pnr");
  daten.Punkt.Code1 = "21";
  EXPECT_NE(dxf.KoordinatenWrite(daten).find("  1\r\n21\r\n"), std::string::npos);
  // Reading takes the code and subtracts the offset again.
  EXPECT_EQ(Read(Entities(dxf.KoordinatenWrite(daten) + "\r\n")),
            (std::vector<std::string>{"NR. @LAY|10.000|20.000||21"}));
  dxf.SetTemplate({"  0", "POINT", " 10", "@Yabc", " 20", "@X"});
  EXPECT_EQ(dxf.KoordinatenWrite(daten), kWriteError);
  dxf.SetTemplate({"  0", "POINT", " 10", "@Y", " 20", "@X", "  1", "@PA"});
  daten.Punkt.Code1 = "";
  const std::string blank = dxf.KoordinatenWrite(daten);  // the code is one blank, never empty
  EXPECT_EQ(blank.substr(blank.size() - 8), "\r\n  1\r\n ");
}

// Only a line beginning with '#' starts a section; a chosen name selects the
// section of exactly that name; a section with an odd number of lines or a
// group code that is not an integer is reported and the built-in template
// used. The file is found whatever the case of its name.
TEST_F(DXFTest, DefinitionFileSections) {
  EXPECT_EQ(dxf.DefinitionNames(), (std::vector<std::string>{"T116"}));
  WriteFile(tmp / "dxf.def",
            "* Kommentar mit #Zeichen\r\n"
            "#Punkt mit Code\r\n  0\r\nPOINT\r\n 10\r\n@Y\r\n 20\r\n@X\r\n  0\r\nTEXT\r\n  1\r\n@PA\r\n"
            "#Punkt\r\n\r\n* nur die Nummer\r\n  0\r\nTEXT\r\n 10\r\n@Y\r\n 20\r\n@X\r\n  1\r\nNr#@PNR\r\n"
            "#Leer\r\n\r\n"
            "#Ungerade\r\n  0\r\nPOINT\r\n 10\r\n"
            "#Kein Code\r\n  0\r\nPOINT\r\nzehn\r\n@Y\r\n"
            "#Ohne Gruppe 0\r\n  8\r\n@LAY\r\n");
  EXPECT_EQ(dxf.DefinitionNames(),
            (std::vector<std::string>{"Punkt mit Code", "Punkt", "Leer", "Ungerade", "Kein Code", "Ohne Gruppe 0"}));
  dxf.Definition = "Punkt";
  dxf.SelectTemplate();
  EXPECT_EQ(dxf.Template(), (TStringList{"  0", "TEXT", " 10", "@Y", " 20", "@X", "  1", "Nr#@PNR"}));
  EXPECT_TRUE(Messages().empty());
  Point("7", "1", "2", "3");
  EXPECT_EQ(Read(Entities(dxf.KoordinatenWrite(daten) + "\r\n")), (std::vector<std::string>{"NR#7|1.000|2.000||"}));

  for (auto [name, message] : {std::pair{"Ungerade", "T840 Ungerade 29"},
                               {"Kein Code", "T840 Kein Code 33"},
                               {"Ohne Gruppe 0", "T840 Ohne Gruppe 0 36"},
                               {"Fehlt", "T841 Fehlt"}}) {
    box.Clear();
    dxf.SetTemplate({"  0", "TEXT"});
    dxf.Definition = name;
    dxf.SelectTemplate();
    EXPECT_EQ(dxf.Template(), TdmDXF::BuiltInTemplate()) << name;
    EXPECT_EQ(Messages(), (std::vector<std::string>{message}));
  }
  // An empty section and the missing standard name fall back silently.
  for (const char* name : {"Leer", "T116"}) {
    box.Clear();
    dxf.Definition = name;
    dxf.SelectTemplate();
    EXPECT_EQ(dxf.Template(), TdmDXF::BuiltInTemplate());
    EXPECT_TRUE(Messages().empty()) << name;
  }
}

TEST_F(DXFTest, FrameFilesInAnyCase) {
  WriteFile(tmp / "head.dxf", "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  999\r\nKopf\r\n");
  WriteFile(tmp / "End.Dxf", "  0\r\nENDSEC\r\n  999\r\nEnde\r\n  0\r\nEOF\r\n");
  dfd.DXFBeforeSave();
  dfd.DXFAfterSave();
  EXPECT_EQ(CurrentTransfer().OutputLines.at(5), "Kopf");
  EXPECT_EQ(CurrentTransfer().OutputLines.at(9), "Ende");
}

// Pairs are read with their codes as integers, entity by entity, only in
// ENTITIES; a line that is no group code ends the reading with a message
// and keeps the points before it.
TEST_F(DXFTest, ReadingWalksEntityByEntity) {
  // Recognition: the DXF text, not an ASCII coordinate file.
  EXPECT_EQ(dfd.Recognise(*dfd.DXF, SplitLines(Entities(""))), "DXF");
  EXPECT_EQ(dfd.Recognise(*dfd.DXF, {"100|12|600000.000|200000.000|450.00|"}), "");

  const std::string point = "  0\r\nPOINT\r\n  8\r\n0\r\n 10\r\n1.5\r\n 20\r\n2.5\r\n";
  // A point whose only TEXT is a label elsewhere, a TEXT with the field
  // separator, a POINT without values, a POINT whose X comes from the TEXT.
  EXPECT_EQ(Read(Entities(point +
                          "  0\r\nTEXT\r\n 10\r\n3\r\n 20\r\n4\r\n  1\r\nA\xA6"
                          "B\r\n" +
                          "  0\r\nPOINT\r\n  8\r\n0\r\n" + "  0\r\nPOINT\r\n 10\r\n9\r\n" +
                          "  0\r\nTEXT\r\n 10\r\n10\r\n 20\r\n21.25\r\n  1\r\nq\xFC\x9C\xFF\r\n")),
            (std::vector<std::string>{"A|B|1.5|2.5||", "Q\xDC\x8C\x9F|9|20.25||"}));
  // No ENTITIES section: nothing, however many POINTs the BLOCKS hold, and
  // the user is told.
  EXPECT_TRUE(Read("  0\r\nSECTION\r\n  2\r\nBLOCKS\r\n" + point + "  0\r\nENDSEC\r\n  0\r\nEOF\r\n").empty());
  EXPECT_EQ(Messages(), (std::vector<std::string>{"T845 POINT"}));
  // A line that is no group code.
  box.Clear();
  EXPECT_EQ(Read(Entities(point + point + "POINT\r\n" + point)),
            (std::vector<std::string>{"1|1.5|2.5||", "2|1.5|2.5||"}));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "T844 21");
  // Drawings of AutoCAD 2007 and later hold their texts in UTF-8.
  const std::string header = "  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$ACADVER\r\n  1\r\n";
  const std::string umlaut = "  0\r\nTEXT\r\n  1\r\nM\xC3\xA4\r\n";
  EXPECT_EQ(Read(header + "AC1027\r\n  0\r\nENDSEC\r\n" + Entities(point + umlaut)),
            (std::vector<std::string>{"M\xC4|1.5|2.5||"}));
  EXPECT_EQ(Read(header + "AC1009\r\n  0\r\nENDSEC\r\n" + Entities(point + umlaut)),
            (std::vector<std::string>{"M\xC3\xA4|1.5|2.5||"}));
  // A byte-order mark in front, and a file cut short in the middle of a
  // point keeps what it has.
  EXPECT_EQ(Read("\xEF\xBB\xBF" + Entities(point)), (std::vector<std::string>{"1|1.5|2.5||"}));
  EXPECT_EQ(Read("0\nSECTION\n2\nENTITIES\n0\nPOINT\n10\n7.25\n20\n"), (std::vector<std::string>{"1|7.25|||"}));
}

}  // namespace
}  // namespace veltro::test
