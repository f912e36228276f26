// Every instrument library the catalogue names, loaded from the program
// folder as the program loads it: the file exists, exports the interface,
// and takes exactly the formats of the instruments that name it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>

#include "formats/instrument/CheckFormate.h"
#include "instruments/InstrumentenModul.h"
#include "library/InstrumentLibrary.h"
#include "platform/DynamicLibrary.h"
#include "tests/support/LibraryExports.h"
#include "tests/support/TransferFixture.h"

namespace veltro::test {
namespace {

const std::string kProgramDir = VELTRO_BUILD_DIR "/app/";
constexpr int kFormatCount = 20;
constexpr int32_t kNoFlow = 0, kEolCRLF = 3, kLong = 60000;

struct Family {
  std::set<int> numbers;       // format numbers of its instruments
  std::set<std::string> names;  // their component names
};

// Library file name -> the formats of every instrument naming it.
std::map<std::string, Family> CatalogueFamilies() {
  TempDir install;
  TGeraete catalogue(install.path() + "/");
  catalogue.WriteBackOnDestroy = false;
  std::map<std::string, Family> families;
  catalogue.ForEach<TInstrument>([&](const TInstrument& i) {
    Family& f = families[TGeraete::InstrumentLibraryName(i.InstrumentDLL)];
    std::string list = i.ValidGeraeteFormate + ";";
    for (size_t p; (p = list.find(';')) != std::string::npos; list.erase(0, p + 1)) {
      const std::string name = list.substr(0, p);
      if (name.empty()) continue;
      const TGeraeteFormat* format = catalogue.Format(name);
      ASSERT_TRUE(format) << name;
      f.numbers.insert(format->Order);
      f.names.insert(name);
    }
  });
  return families;
}

// A text of each format its recogniser knows; corpus files where there are.
std::map<std::string, std::string> Samples() {
  const std::string data = VELTRO_TEST_DATA "/";
  return {
      {"FC5", ReadFile(data + "gts6/messung-fc5.fc5")},
      {"FC6", ReadFile(data + "gts7/messung-fc6.gt7")},
      {"GTS6", ReadFile(data + "gts6/koordinaten-gts6.gt6")},  // first line "F00F000"
      {"GTS6x", ReadFile(data + "gts6/messung-gts6x.gt6")},
      {"GTS7", ReadFile(data + "gts7/messung-gts7.gt7")},
      {"DL100", ReadFile(data + "dl100/nivellement-rv.l")},
      {"GSI8", ReadFile(data + "gsi/sample-messung.gsi")},
      {"GSI16", ReadFile(data + "gsi/messung-gsi16.gsi")},
      {"REC500", ReadFile(data + "rec500/recorder.rec")},
      {"SDR2x", ReadFile(data + "sdr/job-sdr2x.sdr")},
      {"SDR33", ReadFile(data + "sdr/job-sdr33.sdr")},
      {"OGTS7", ReadFile(data + "gts7/messung-ogts7.ot7")},
      {"AP700", "CO,Nikon DTM-700 job\r\nST,1,,,,1.500\r\n"},
      {"NMEA", "$PMGNWPL,4657.0000,N,00726.0000,E,0000512,M,P1,MAUER,a*7E\r\n"},
      {"MMW", "$PMGNWPL,4657.0000,N,00726.0000,E,0000512,M,P1,MAUER,a*7E\r\n"},
      {"TAVRIN", "P1;2600000.000;1200000.000;500.000;MAUER\r\n"},
      {"OTS", "ST 1001 1.500\r\nSD 2001 90.0000 100.0000 25.000\r\n"},
      {"DC1", "00011:JOB1:\r\n1001:2600000.000:1200000.000:500.000:MAUER\r\n"},
      {"RW5", "JB,NMJOB1,DT12-08-2026,TM10:00:00\r\nSP,PN1,N 1200000.000,E 2600000.000,EL500.000\r\n"},
  };
}

std::vector<std::string> FileLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

TEST(FamilyLibraries, EveryCatalogueLibraryTakesExactlyItsFormats) {
  const std::map<std::string, Family> families = CatalogueFamilies();
  ASSERT_EQ(families.size(), 25u);  // 23 named, TAVRIN and Dummy
  const std::map<std::string, std::string> samples = Samples();
  const std::set<std::string> interface = {"OpenComm",    "CloseComm",   "ReadComm",         "WriteComm",
                                           "GetReadBuf",  "GetWriteBuf", "GetErrorBuf",      "GetOriginalDaten",
                                           "GetTFFormat", "SetNoTrans",  "SetBreak",         "TachyOn",
                                           "TachyOff",    "StartRemoteTransfer", "SetMessagePump",
                                           "ReadCommLine", "SetWriteFile"};
  TempDir tmp;
  for (const auto& [file, family] : families) {
    SCOPED_TRACE(file);
    const std::string path = FindLibrary(file, kProgramDir);
    ASSERT_FALSE(path.empty()) << "not built";
    // The set-up of the TPS 100 and TPS 110 asks for projects and code lists.
    std::set<std::string> expected = interface;
    if (file == "TPS100.DLL" || file == "TPS110.DLL")
      expected.insert({"GetInstrument", "GetProjects", "ClearProject", "SetProject", "GetCodeLists",
                       "ClearCodeList", "SetCodeList"});
    EXPECT_EQ(DefinedExports(path), expected);
    DynamicLibrary library;
    ASSERT_TRUE(library.Load(path)) << library.Error();
    auto open = library.Export<veltro_open_comm_fn>("OpenComm");
    auto read = library.Export<veltro_code_int_fn>("ReadComm");
    auto write = library.Export<veltro_write_comm_fn>("WriteComm");
    auto readBuf = library.Export<veltro_text_fn>("GetReadBuf");
    auto tag = library.Export<veltro_text_fn>("GetTFFormat");
    auto close = library.Export<veltro_code_fn>("CloseComm");
    auto readLine = library.Export<veltro_read_comm_line_fn>("ReadCommLine");
    ASSERT_TRUE(open && read && write && readBuf && tag && close && readLine);

    // Format numbers: its own are taken, every other one is refused.
    ASSERT_EQ(open(1, 6, 4, 0, 0, kNoFlow, kEolCRLF, kLong, kLong, kLong, "NoOpen"), VELTRO_OK);
    for (int n = 0; n < kFormatCount; ++n)
      EXPECT_EQ(write(n, "x"), family.numbers.count(n) ? VELTRO_OK : VELTRO_WRONG_FORMAT) << "format " << n;
    close();

    // Files: its own formats are read line by line; data recognised as
    // another format is refused with 4.
    const int own = *family.numbers.begin();
    for (const auto& [format, text] : samples) {
      SCOPED_TRACE(format);
      const std::string name = tmp / ("sample-" + format);
      WriteFile(name, text);
      ASSERT_EQ(open(1, 6, 4, 0, 0, kNoFlow, kEolCRLF, kLong, kLong, kLong, name.c_str()), VELTRO_OK);
      std::vector<std::string> lines;
      int32_t result = VELTRO_OK;
      while ((result = read(own)) == VELTRO_OK && std::string(readBuf()) != "\x04") lines.push_back(readBuf());
      const std::string found = tag();
      const bool accepted = found.size() > 1 && (family.names.count(found.substr(1)) ||
                                                 (found.substr(1) == "GTS7" && family.names.count("FC6")));
      if (family.names.count(format)) {
        // FC-6 text is recognised as GTS-7 text, MMW and NMEA share their lines.
        EXPECT_EQ(result, VELTRO_OK) << found;
        EXPECT_TRUE(accepted) << found;
        EXPECT_EQ(lines, FileLines(text));
      } else if (!found.empty()) {
        EXPECT_EQ(result, accepted ? VELTRO_OK : VELTRO_WRONG_FORMAT) << found;
      }
      close();

      // The same reads in one call each: the same codes, lines and tags.
      ASSERT_EQ(open(1, 6, 4, 0, 0, kNoFlow, kEolCRLF, kLong, kLong, kLong, name.c_str()), VELTRO_OK);
      std::vector<std::string> oneCall;
      const char* text = nullptr;
      const char* lineTag = nullptr;
      int32_t length = -1;
      int32_t code = VELTRO_OK;
      while ((code = readLine(own, &text, &length, &lineTag)) == VELTRO_OK && std::string(text, length) != "\x04") {
        EXPECT_EQ(length, static_cast<int32_t>(std::strlen(text)));
        oneCall.push_back(std::string(text, length));
      }
      EXPECT_EQ(code, result);
      EXPECT_EQ(lineTag, found);
      if (result == VELTRO_OK) {
        EXPECT_EQ(oneCall, lines);
      }
      close();
    }
  }
}

// The library reads its file in chunks of 64 KB: a CR LF split by a
// chunk's edge, a line longer than a chunk, lone CRs and LFs and a last line
// without an end give the lines the program's own loading gives.
TEST(FamilyLibraries, FileLinesDoNotDependOnTheReadChunks) {
  const std::map<std::string, Family> families = CatalogueFamilies();
  const auto gsi = std::find_if(families.begin(), families.end(),
                                [](const auto& f) { return f.second.names.count("GSI16") > 0; });
  ASSERT_NE(gsi, families.end());
  constexpr size_t kChunk = 65536;
  const char* ends[] = {"\r\n", "\n", "\r"};
  std::string text = "*110001+0000000000000001 81..10+0000002600000000 82..10+0000001200000000 \r\n";
  auto addLines = [&](size_t until) {
    for (int i = 0; text.size() < until; ++i)
      text += "*110001+" + std::string(static_cast<size_t>(i % 40), '0') + std::to_string(i) + ends[i % 3];
  };
  addLines(kChunk - 200);
  text += std::string(kChunk - 1 - text.size(), 'x') + "\r\n";  // CR last of the first chunk, LF first of the next
  text += std::string(kChunk + 4000, '7') + "\n";
  addLines(3 * kChunk);
  text += "*110001+0000000000000009";

  TempDir tmp;
  const std::string name = tmp / "chunks.gsi";
  WriteFile(name, text);
  DynamicLibrary library;
  ASSERT_TRUE(library.Load(FindLibrary(gsi->first, kProgramDir))) << library.Error();
  auto open = library.Export<veltro_open_comm_fn>("OpenComm");
  auto read = library.Export<veltro_code_int_fn>("ReadComm");
  auto readBuf = library.Export<veltro_text_fn>("GetReadBuf");
  auto close = library.Export<veltro_code_fn>("CloseComm");
  ASSERT_TRUE(open && read && readBuf && close);
  TempDir install;
  TGeraete catalogue(install.path() + "/");
  catalogue.WriteBackOnDestroy = false;
  const int gsi16 = catalogue.Format("GSI16")->Order;
  ASSERT_EQ(open(1, 6, 4, 0, 0, kNoFlow, kEolCRLF, kLong, kLong, kLong, name.c_str()), VELTRO_OK);
  std::vector<std::string> lines;
  while (read(gsi16) == VELTRO_OK && std::string(readBuf()) != "\x04") lines.push_back(readBuf());
  close();
  EXPECT_EQ(lines, FileLines(text));
}

// Written lines go to a file as they come, byte for byte what the write
// buffer would collect; a file that cannot be written is reported and never
// taken for complete.
TEST(FamilyLibraries, AWriteFileTakesTheLinesAsTheyAreWritten) {
  DynamicLibrary library;
  ASSERT_TRUE(library.Load(FindLibrary("TPS1100.DLL", kProgramDir))) << library.Error();
  auto open = library.Export<veltro_open_comm_fn>("OpenComm");
  auto write = library.Export<veltro_write_comm_fn>("WriteComm");
  auto writeBuf = library.Export<veltro_text_fn>("GetWriteBuf");
  auto error = library.Export<veltro_text_fn>("GetErrorBuf");
  auto close = library.Export<veltro_code_fn>("CloseComm");
  auto writeFile = library.Export<veltro_set_write_file_fn>("SetWriteFile");
  ASSERT_TRUE(open && write && writeBuf && error && close && writeFile);
  TempDir install;
  TGeraete catalogue(install.path() + "/");
  catalogue.WriteBackOnDestroy = false;
  const int gsi8 = catalogue.Format("GSI8")->Order;
  const char* lines[] = {"110001+00000001 81..10+00001000 ", "110002+00000002\r\ncut off", "\x04", ""};
  TempDir tmp;

  // Without a file-mode connection there is nothing to write to.
  EXPECT_EQ(writeFile((tmp / "none").c_str()), VELTRO_OPEN_FAILED);
  EXPECT_FALSE(std::filesystem::exists(tmp / "none"));

  constexpr int32_t kEolLF = 2;
  for (const int32_t eol : {kEolCRLF, kEolLF}) {
    SCOPED_TRACE(eol);
    ASSERT_EQ(open(1, 6, 4, 0, 0, kNoFlow, eol, kLong, kLong, kLong, "NoOpen"), VELTRO_OK);
    for (const char* line : lines) ASSERT_EQ(write(gsi8, line), VELTRO_OK);
    const std::string collected = writeBuf();
    ASSERT_EQ(open(1, 6, 4, 0, 0, kNoFlow, eol, kLong, kLong, kLong, "NoOpen"), VELTRO_OK);
    const std::string out = tmp / "out.gsi";
    WriteFile(out, "an older file");
    ASSERT_EQ(writeFile(out.c_str()), VELTRO_OK);
    for (const char* line : lines) ASSERT_EQ(write(gsi8, line), VELTRO_OK);
    EXPECT_STREQ(writeBuf(), "");
    EXPECT_EQ(writeFile(nullptr), VELTRO_OK);
    EXPECT_EQ(ReadFile(out), collected);
    // Closing the connection closes an open file too.
    ASSERT_EQ(writeFile(out.c_str()), VELTRO_OK);
    ASSERT_EQ(write(gsi8, lines[0]), VELTRO_OK);
    EXPECT_EQ(close(), VELTRO_OK);
    EXPECT_EQ(ReadFile(out), collected.substr(0, collected.find(eol == kEolLF ? "\n" : "\r\n") + (eol == kEolLF ? 1 : 2)));
  }

  ASSERT_EQ(open(1, 6, 4, 0, 0, kNoFlow, kEolCRLF, kLong, kLong, kLong, "NoOpen"), VELTRO_OK);
  EXPECT_EQ(writeFile((tmp / "no-folder/out.gsi").c_str()), VELTRO_FILE_OPEN_FAILED);
  EXPECT_NE(std::string(error()).find("no-folder/out.gsi"), std::string::npos) << error();
  // A full disk: the write that meets it and every later one fail, and the
  // file is not taken for complete.
  ASSERT_EQ(writeFile("/dev/full"), VELTRO_OK);
  const std::string longLine(1000, '1');
  int32_t code = VELTRO_OK;
  int written = 0;
  for (; written < 200 && (code = write(gsi8, longLine.c_str())) == VELTRO_OK; ++written) {
  }
  EXPECT_EQ(code, VELTRO_WRITE_FAILED);
  EXPECT_LT(written, 200);
  EXPECT_EQ(write(gsi8, "1"), VELTRO_WRITE_FAILED);
  EXPECT_NE(std::string(error()).find("No space left on device"), std::string::npos) << error();
  EXPECT_EQ(writeFile(""), VELTRO_FILE_CLOSE_FAILED);
  // Collecting again once the file is closed.
  EXPECT_EQ(write(gsi8, "1"), VELTRO_OK);
  EXPECT_STREQ(writeBuf(), "1\r\n");
  close();
}

}  // namespace
}  // namespace veltro::test
