// The template and pass-through formats through veltro-convert: the corpus
// in tests/data/template (definitions, instrument and data files beside their
// expected output, compared byte for byte), round trips, and --template.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "platform/TextFile.h"
#include "tests/support/ConvertRun.h"
#include "tests/support/TransferFixture.h"

namespace veltro::test {
namespace {


const std::string kCorpus = VELTRO_TEST_DATA "/template/";

std::string Shell(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// The first differing line of two files, with both lines in hex.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
  const TextLines e = SplitLines(expected), a = SplitLines(actual);
  auto hex = [](const std::string& s) {
    std::string out;
    char buf[4];
    for (unsigned char c : s) {
      std::snprintf(buf, sizeof buf, "%02X ", c);
      out += buf;
    }
    return out;
  };
  for (size_t i = 0; i < std::max(e.size(), a.size()); ++i) {
    const std::string x = i < e.size() ? e[i] : "<none>", y = i < a.size() ? a[i] : "<none>";
    if (x != y) return "line " + std::to_string(i + 1) + "\n expected " + hex(x) + "\n actual   " + hex(y);
  }
  return "line ends differ";
}

class TemplateConvertTest : public ::testing::Test {
 protected:
  // Runs the converter on this test's settings file; answers the exit status.
  int Convert(const std::string& args) {
    if (!FileExists(dir / "settings.ini")) WriteFile(dir / "settings.ini", "");
    const std::string cmd = Shell(InstalledConverter()) + " --quiet --settings " + Shell(dir / "settings.ini") + " " + args + " 2>" +
                            Shell(dir / "stderr.txt");
    const int status = std::system(cmd.c_str());
    messages = ReadFile(dir / "stderr.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  static std::string C(const std::string& name) { return Shell(kCorpus + name); }
  std::string T(const std::string& name) const { return Shell(dir / name); }
  void ExpectSame(const std::string& expectedFile, const std::string& output) {
    const std::string expected = ReadFile(kCorpus + expectedFile), actual = ReadFile(dir / output);
    EXPECT_EQ(expected, actual) << expectedFile << ": " << FirstDifference(expected, actual) << "\n" << messages;
  }

  TempDir dir;
  std::string messages;
};

TEST_F(TemplateConvertTest, Corpus) {
  struct Case {
    const char* format;  // loaded with --template
    const char* from;
    const char* to;
    const char* input;  // in the corpus ("../" for other samples)
    const char* expected;
    int status;
  };
  const Case cases[] = {
      {"koordinaten.Format", "GSI16", "NewFormat", "lv95.gsi", "lv95-koordinaten.dat", 0},
      {"frei.Format", "GSI16", "NewFormat", "lv95.gsi", "lv95-frei.dat", 0},
      {"messung.Format", "GSI16", "NewFormat", "../gsi/messung-gsi16.gsi", "messung-gsi16.dat", 0},
      // Title, comment, blank and short lines; two lines are listed as errors.
      {"frei.Format", "NewFormat", "GSI16", "frei-eingabe.dat", "frei-eingabe.gsi", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    const std::string out = std::string(c.expected) + ".out";
    EXPECT_EQ(Convert("--yes --template " + C(c.format) + " --from " + c.from + " --to " + c.to + " " + C(c.input) +
                      " " + T(out)),
              c.status)
        << messages;
    ExpectSame(c.expected, out);
  }
  // The writer reproduces what it wrote, through the instrument format.
  for (const char* name : {"lv95-koordinaten.dat", "lv95-frei.dat"}) {
    SCOPED_TRACE(name);
    const std::string format = std::string(name) == "lv95-frei.dat" ? "frei.Format" : "koordinaten.Format";
    ASSERT_EQ(Convert("--yes --template " + C(format) + " --to GSI16 --from NewFormat " + C(name) + " " + T("k.gsi")),
              0)
        << messages;
    ASSERT_EQ(Convert("--yes --template " + C(format) + " --to NewFormat " + T("k.gsi") + " " + T("back.dat")), 0)
        << messages;
    ExpectSame(name, "back.dat");
  }
}

TEST_F(TemplateConvertTest, AsciiThroughGsi16AndATemplateKeepsEveryValue) {
  const std::string ascii = VELTRO_TEST_DATA "/gsi/koordinaten.asc";
  ASSERT_EQ(Convert("--to GSI16 " + Shell(ascii) + " " + T("1.gsi")), 0) << messages;
  ASSERT_EQ(Convert("--template " + C("frei.Format") + " --to NewFormat " + T("1.gsi") + " " + T("2.dat")), 0)
      << messages;
  ASSERT_EQ(Convert("--template 'Frei mm' --from NewFormat --to GSI16 " + T("2.dat") + " " + T("3.gsi")), 0)
      << messages;
  ASSERT_EQ(Convert(T("3.gsi") + " " + T("4.asc")), 0) << messages;
  // Every value and code as in the original; the GSI lines agree byte for byte.
  const std::string first = ReadFile(dir / "1.gsi");
  EXPECT_EQ(first, ReadFile(dir / "3.gsi")) << FirstDifference(first, ReadFile(dir / "3.gsi"));
  ASSERT_EQ(Convert(T("1.gsi") + " " + T("direct.asc")), 0) << messages;
  EXPECT_EQ(ReadFile(dir / "direct.asc"), ReadFile(dir / "4.asc"));
}

TEST_F(TemplateConvertTest, PassThroughCopiesInstrumentLinesUnchanged) {
  // LF and CR line ends, '*' lines, trailing blanks, code blocks between
  // points; the empty line is no record of GSI 8.
  ASSERT_EQ(Convert("--to Original " + C("original-gsi8.gsi") + " " + T("o8")), 0) << messages;
  ExpectSame("original-gsi8.out", "o8");
  ASSERT_EQ(Convert("--to original " + C("original-gsi16-cr.gsi") + " " + T("o16")), 0) << messages;
  ExpectSame("original-gsi16-cr.out", "o16");
  // Sent unchanged where the instrument format passes lines through.
  ASSERT_EQ(Convert("--from Original --to GSI16 " + C("original-gsi16-cr.gsi") + " " + T("s16")), 0) << messages;
  ExpectSame("original-gsi16-cr.out", "s16");
}

TEST_F(TemplateConvertTest, TheTemplateOption) {
  const std::string gsi = C("lv95.gsi");
  // Nothing chosen: text 213, no transfer.
  EXPECT_EQ(Convert("--to NewFormat " + gsi + " " + T("a.dat")), 2);
  EXPECT_NE(messages.find("format name"), std::string::npos) << messages;
  EXPECT_FALSE(FileExists(dir / "a.dat"));
  EXPECT_EQ(Convert("--template Nirgends --to NewFormat " + gsi + " " + T("a.dat")), 2);
  EXPECT_NE(messages.find("Nirgends"), std::string::npos) << messages;
  EXPECT_EQ(Convert("--template " + T("fehlt.Format") + " --to NewFormat " + gsi + " " + T("a.dat")), 2);

  // A file is stored under its name; afterwards the name chooses it.
  ASSERT_EQ(Convert("--template " + C("frei.Format") + " --to NewFormat " + gsi + " " + T("a.dat")), 0) << messages;
  ASSERT_EQ(Convert("--template 'FREI MM' --to NewFormat " + gsi + " " + T("b.dat")), 0) << messages;
  EXPECT_EQ(ReadFile(dir / "a.dat"), ReadFile(kCorpus + "lv95-frei.dat"));
  EXPECT_EQ(ReadFile(dir / "b.dat"), ReadFile(dir / "a.dat"));

  // Another definition of that name replaces the stored one only with --yes.
  std::string other = ReadFile(kCorpus + "koordinaten.Format");
  other.replace(0, other.find("\r\n"), "Frei mm");
  WriteFile(dir / "other.Format", other);
  EXPECT_EQ(Convert("--template " + T("other.Format") + " --to NewFormat " + gsi + " " + T("c.dat")), 2);
  EXPECT_NE(messages.find("not replaced"), std::string::npos) << messages;
  EXPECT_FALSE(FileExists(dir / "c.dat"));
  ASSERT_EQ(Convert("--yes --template " + T("other.Format") + " --to NewFormat " + gsi + " " + T("c.dat")), 0);
  EXPECT_EQ(ReadFile(dir / "c.dat"), ReadFile(kCorpus + "lv95-koordinaten.dat"));

  // A damaged file loads nothing and says where.
  std::string damaged = ReadFile(kCorpus + "frei.Format");
  damaged.replace(damaged.find("\r\n0\r\n1\r\n") + 5, 1, "x");
  WriteFile(dir / "damaged.Format", damaged);
  EXPECT_EQ(Convert("--template " + T("damaged.Format") + " --to NewFormat " + gsi + " " + T("d.dat")), 2);
  EXPECT_NE(messages.find("not a whole number"), std::string::npos) << messages;
}

}  // namespace
}  // namespace veltro::test
