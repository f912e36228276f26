// DXF through veltro-convert: the corpus of tests/data/dxf, the shipped
// definitions and frame, the options from the settings and the command line.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <string>

#include "platform/TextFile.h"
#include "tests/support/TransferFixture.h"

namespace veltro::test {
namespace {

const std::string kConvert = VELTRO_BUILD_DIR "/app/veltro-convert";
const std::string kDxf = VELTRO_TEST_DATA "/dxf/";
const std::string kOffice = VELTRO_TEST_DATA "/office/";
const std::string kConfigKey = "[Software\\VELTRO Marten\\Surtrans\\2.1.1.5\\Configuration";

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

class DXFConvertTest : public ::testing::Test {
 protected:
  DXFConvertTest() { WriteFile(tmp / "settings.ini", ""); }
  int Run(const std::string& args) {
    std::string cmd = "XDG_CONFIG_HOME=" + Quote(tmp.path()) + " " + Quote(kConvert) + " --yes --settings " +
                      Quote(tmp / "settings.ini") + " " + args + " >/dev/null 2>" + Quote(tmp / "stderr.txt");
    int status = std::system(cmd.c_str());
    stderrText = ReadFile(tmp / "stderr.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string In(const std::string& name) const { return Quote(tmp / name); }
  // A DXF file read into GSI 16 lines and those written as ASCII.
  std::string DxfAsAscii(const std::string& dxf, const std::string& options = "") {
    EXPECT_EQ(Run("--from DXF --to GSI16 " + options + " " + Quote(dxf) + " " + In("read.gsi")), 0) << stderrText;
    EXPECT_EQ(Run("--from GSI16 " + In("read.gsi") + " " + In("read.asc")), 0) << stderrText;
    return ReadFile(tmp / "read.asc");
  }

  TempDir tmp;
  std::string stderrText;
};

// Files other programs and devices write: entities only, a laser meter's
// LF file with handles and subclass markers, TABLES and BLOCKS before the
// entities with POINTs, LINEs and TEXTs mixed; and this program's own.
TEST_F(DXFConvertTest, CorpusReadsIntoTheExpectedPoints) {
  for (const char* name : {"nur-entities", "laser-lf", "punkte-linien-texte", "punkte-kurz"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(DxfAsAscii(kDxf + name + ".dxf"), ReadFile(kDxf + name + ".asc"));
  }
  // --from auto knows a DXF file when the target is an instrument format.
  ASSERT_EQ(Run("--to GSI16 " + Quote(kDxf + "laser-lf.dxf") + " " + In("auto.gsi")), 0) << stderrText;
  ASSERT_EQ(Run("--from GSI16 " + In("auto.gsi") + " " + In("auto.asc")), 0) << stderrText;
  EXPECT_EQ(ReadFile(tmp / "auto.asc"), ReadFile(kDxf + "laser-lf.asc"));
  // A drawing without points says so and leaves an existing file alone.
  WriteFile(tmp / "lines.dxf",
            "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nLINE\r\n 10\r\n1.0\r\n 20\r\n2.0\r\n"
            "  0\r\nENDSEC\r\n  0\r\nEOF\r\n");
  EXPECT_EQ(Run("--from DXF --to GSI16 " + In("lines.dxf") + " " + In("auto.gsi")), 2);
  EXPECT_NE(stderrText.find("POINT"), std::string::npos) << stderrText;
  EXPECT_FALSE(ReadFile(tmp / "auto.gsi").empty());
}

// GSI 16 coordinates into drawings with the shipped frame, byte for byte:
// the standard definition, and the one with the code as a second text on
// another layer with text height "2,5". The second carries everything back.
TEST_F(DXFConvertTest, ShippedDefinitionsWriteTheCorpusDrawings) {
  const std::string source = Quote(kOffice + "punkte-kurz.gsi");
  ASSERT_EQ(Run("--from GSI16 --to DXF " + source + " " + In("k.dxf")), 0) << stderrText;
  EXPECT_EQ(ReadFile(tmp / "k.dxf"), ReadFile(kDxf + "punkte-kurz.dxf"));
  const std::string code = "--option 'DXF\\Definition=Punkt mit Code' ";
  ASSERT_EQ(Run("--from GSI16 --to DXF " + code + "--option 'DXF\\Layer=Vermessung' --option 'DXF\\Font size=2,5' " +
                source + " " + In("c.dxf")),
            0)
      << stderrText;
  EXPECT_EQ(ReadFile(tmp / "c.dxf"), ReadFile(kDxf + "punkte-kurz-code.dxf"));
  ASSERT_EQ(Run("--from DXF --to GSI16 " + code + In("c.dxf") + " " + In("c.gsi")), 0) << stderrText;
  EXPECT_EQ(ReadFile(tmp / "c.gsi"), ReadFile(kOffice + "punkte-kurz.gsi"));
}

// ASCII -> GSI 16 -> DXF -> GSI 16 -> ASCII keeps numbers, codes and
// coordinates as the GSI 16 round trip alone does; the point without height
// stays without one.
TEST_F(DXFConvertTest, AsciiThroughDxfAndBack) {
  const std::string ascii = Quote(VELTRO_TEST_DATA "/gsi/koordinaten.asc");
  ASSERT_EQ(Run("--to GSI16 " + ascii + " " + In("a.gsi")), 0) << stderrText;
  ASSERT_EQ(Run("--from GSI16 " + In("a.gsi") + " " + In("direct.asc")), 0) << stderrText;
  const std::string code = "--option 'DXF\\Definition=Punkt mit Code' ";
  ASSERT_EQ(Run("--from GSI16 --to DXF " + code + In("a.gsi") + " " + In("a.dxf")), 0) << stderrText;
  EXPECT_EQ(DxfAsAscii(tmp / "a.dxf", code), ReadFile(tmp / "direct.asc"));
  // Three of the four points have a height, each in three entities.
  const std::string drawing = ReadFile(tmp / "a.dxf");
  int heights = 0;
  for (size_t at = drawing.find("\r\n 30\r\n"); at != std::string::npos; at = drawing.find("\r\n 30\r\n", at + 1))
    ++heights;
  EXPECT_EQ(heights, 9);
}

// Options come from the settings; values DXF cannot take are refused before
// anything is written; an unusable DXF.DEF section falls back to the
// built-in template with a message.
TEST_F(DXFConvertTest, OptionsFromSettingsAndTheirRefusal) {
  const std::string source = Quote(kOffice + "punkte-kurz.gsi");
  WriteFile(tmp / "settings.ini", kConfigKey + "\\DXF]\r\nLayer=Punkte\r\nFont size=0,25\r\n");
  ASSERT_EQ(Run("--from GSI16 --to DXF " + source + " " + In("s.dxf")), 0) << stderrText;
  const std::string drawing = ReadFile(tmp / "s.dxf");
  EXPECT_NE(drawing.find("  8\r\nPunkte\r\n"), std::string::npos);
  EXPECT_NE(drawing.find(" 40\r\n0.25\r\n"), std::string::npos);

  EXPECT_EQ(Run("--from GSI16 --to DXF --option 'DXF\\Layer=A:B' " + source + " " + In("x.dxf")), 64);
  EXPECT_NE(stderrText.find("A:B"), std::string::npos) << stderrText;
  EXPECT_EQ(Run("--from GSI16 --to DXF --option 'DXF\\Font size=-1' " + source + " " + In("x.dxf")), 64);
  EXPECT_NE(stderrText.find("-1"), std::string::npos) << stderrText;
  EXPECT_FALSE(FileExists(tmp / "x.dxf"));

  // A DXF directory of its own with a broken section: built-in template.
  const std::string dir = tmp / "dxf";
  ASSERT_EQ(std::system(("mkdir " + Quote(dir)).c_str()), 0);
  WriteFile(dir + "/dxf.def", "#Kurz\r\n  0\r\nPOINT\r\n  8\r\n");
  WriteFile(tmp / "settings.ini",
            kConfigKey + "]\r\nDXFPath=" + dir + "\r\n" + kConfigKey + "\\DXF]\r\nDefinition=Kurz\r\n");
  ASSERT_EQ(Run("--from GSI16 --to DXF " + source + " " + In("b.dxf")), 0) << stderrText;
  EXPECT_NE(stderrText.find("Kurz"), std::string::npos) << stderrText;
  const std::string builtIn = ReadFile(tmp / "b.dxf");
  EXPECT_EQ(builtIn.rfind("  0\r\nSECTION\r\n  2\r\nENTITIES\r\n", 0), 0u);
  EXPECT_NE(builtIn.find(" 40\r\n1.8\r\n  1\r\n1001\r\n"), std::string::npos);
}

}  // namespace
}  // namespace veltro::test
