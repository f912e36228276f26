#include "platform/LineList.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/TextFile.h"
#include "tests/support/TransferFixture.h"

namespace veltro::test {
namespace {

// A compact list loads, joins and saves a file exactly as the plain list
// does: every line end, the byte-order mark, a line longer than a text
// block and a last line without an end.
TEST(LineList, LoadsAndSavesFilesAsPlainLines) {
  std::string text = "\xEF\xBB\xBF" "kopf\r\n\r\nb\rc\n\rd\n";
  text += std::string(3 << 20, 'L') + "\r\n";
  for (int i = 0; i < 50000; ++i) text += "Punkt " + std::to_string(i) + (i % 3 ? "\r\n" : "\n");
  text += "\x01\xFF" "ende";
  TempDir tmp;
  WriteFile(tmp / "in.txt", text);
  TextLines plain;
  LineList compact;
  ASSERT_TRUE(LoadTextFile(tmp / "in.txt", plain));
  ASSERT_TRUE(LoadTextFile(tmp / "in.txt", compact));
  EXPECT_EQ(compact, plain);
  EXPECT_EQ(compact.front(), "kopf");
  EXPECT_EQ(compact.back(), "\x01\xFF" "ende");
  EXPECT_EQ(JoinLines(compact), JoinLines(plain));
  ASSERT_TRUE(SaveTextFile(tmp / "compact.txt", compact));
  ASSERT_TRUE(SaveTextFile(tmp / "plain.txt", plain));
  EXPECT_EQ(ReadFile(tmp / "compact.txt"), ReadFile(tmp / "plain.txt"));
  LineList split;
  AppendTextLines(split, text);
  AppendTextLines(split, "x\r\ny");
  EXPECT_EQ(split.size(), plain.size() + 2);
  EXPECT_EQ(split.front(), "\xEF\xBB\xBF" "kopf");  // only loading drops the mark
  EXPECT_EQ(split.back(), "y");
  EXPECT_EQ(compact.ToTextLines(), plain);
  EXPECT_EQ(compact.at(2), "b");
  EXPECT_THROW(compact.at(compact.size()), std::out_of_range);
}

// Views taken from the list stay valid while lines are added, replaced,
// inserted and erased, also when a line is added from the list itself.
TEST(LineList, ViewsStayValidWhileTheListChanges) {
  LineList lines;
  lines.push_back("erste");
  lines.push_back("");
  const std::string_view first = lines[0];
  for (int i = 0; i < 200000; ++i) lines.push_back(lines[static_cast<size_t>(i % 2)]);
  lines.push_back(std::string(2 << 20, 'g'));
  const std::string_view giant = lines.back();
  lines.push_back("nach");
  EXPECT_EQ(first, "erste");
  EXPECT_EQ(giant.size(), size_t{2} << 20);
  EXPECT_EQ(lines[200000], "erste");
  EXPECT_EQ(lines[200001], "");

  lines.shrink_to_fit();  // a large list of entries shrinks in place
  EXPECT_LT(lines.capacity() - lines.size(), size_t{4096} / 16);  // within a page
  EXPECT_EQ(lines[199999], "");

  lines.Replace(0, std::string(first) + " neu");
  lines.insert(lines.begin() + 1, lines[0]);
  lines.erase(lines.begin() + 2, lines.begin() + 200003);
  EXPECT_EQ(first, "erste");  // replaced text stays until clear()
  ASSERT_EQ(lines.size(), 4u);
  lines.shrink_to_fit();  // and leaves its mapping when small
  EXPECT_EQ(lines.capacity(), 4u);
  EXPECT_EQ(lines[2].data(), giant.data());  // erasing moves no text
  EXPECT_EQ(lines[3], "nach");
  lines.KeepIf([](std::string_view l) { return l.size() < 100 && l != "erste"; });
  EXPECT_EQ(lines, (TextLines{"erste neu", "erste neu", "nach"}));

  const LineList copy = lines;  // only the current text
  lines.pop_back();
  EXPECT_EQ(copy, (TextLines{"erste neu", "erste neu", "nach"}));
  EXPECT_FALSE(copy == lines);
  lines.clear();
  EXPECT_TRUE(lines.empty());
  lines = {"a", "b"};
  EXPECT_EQ(lines, (TextLines{"a", "b"}));
}

// Lists that keep their text in a temporary file of TMPDIR, with limits
// small enough for tests; both are put back afterwards.
class SpilledLineList : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("TMPDIR");
    hadTmpdir_ = old != nullptr;
    if (old) oldTmpdir_ = old;
    ::setenv("TMPDIR", tmp_.path().c_str(), 1);
    oldLimits_ = LineList::SetSpillLimits({8192, 1});
  }
  void TearDown() override {
    LineList::SetSpillLimits(oldLimits_);
    if (hadTmpdir_)
      ::setenv("TMPDIR", oldTmpdir_.c_str(), 1);
    else
      ::unsetenv("TMPDIR");
  }
  bool TmpdirEmpty() const { return std::filesystem::is_empty(tmp_.path()); }

  TempDir tmp_;
  bool hadTmpdir_ = false;
  std::string oldTmpdir_;
  LineList::SpillLimits oldLimits_{};
};

// Lines of many lengths (one-page blocks, so lines keep beginning new blocks
// and giant lines get room of their own) read back exactly after every
// give-back, as do views taken before; editing, copying and moving a
// spilled list keep its text; no file is ever seen in TMPDIR.
TEST_F(SpilledLineList, KeepsItsTextExactlyThroughGiveBacksAndEdits) {
  TextLines wanted;
  LineList lines;
  std::vector<std::string_view> early;
  for (int i = 0; i < 12000; ++i) {
    std::string line = std::to_string(i) + std::string(static_cast<size_t>(i * 7919 % 1500), static_cast<char>('a' + i % 26));
    if (i % 97 == 0) line.clear();
    if (i == 10000) line = std::string(3 << 19, '\xFF');
    wanted.push_back(line);
    lines.push_back(line);
    if (i % 1000 == 999) {
      early.push_back(lines[static_cast<size_t>(i)]);
      lines.ReleaseResident();
    }
  }
  EXPECT_GT(lines.FileBytes(), size_t{8} << 20);
  EXPECT_TRUE(TmpdirEmpty());
  lines.ReleaseResident();
  EXPECT_EQ(lines, wanted);
  TextLines earlyText;
  for (size_t k = 0; k < early.size(); ++k) earlyText.push_back(wanted[k * 1000 + 999]);
  for (size_t k = 0; k < early.size(); ++k) EXPECT_EQ(early[k], earlyText[k]);

  lines.Replace(5, lines[10000]);
  wanted[5] = wanted[10000];
  lines.insert(lines.begin() + 7, lines[8]);
  wanted.insert(wanted.begin() + 7, wanted[8]);
  lines.erase(lines.begin() + 100, lines.begin() + 200);
  wanted.erase(wanted.begin() + 100, wanted.begin() + 200);
  for (int i = 0; i < 5000; ++i) {
    lines.push_back(lines[static_cast<size_t>(i)]);
    wanted.push_back(wanted[static_cast<size_t>(i)]);
  }
  lines.ReleaseResident();
  EXPECT_EQ(lines, wanted);
  for (size_t k = 0; k < early.size(); ++k) EXPECT_EQ(early[k], earlyText[k]);

  LineList copy = lines;
  EXPECT_GT(copy.FileBytes(), 0u);
  lines.ReleaseResident();
  LineList moved = std::move(lines);
  EXPECT_TRUE(lines.empty());
  lines.push_back("wieder");  // a moved-from list starts anew, apart from the list it went to
  EXPECT_EQ(lines, (TextLines{"wieder"}));
  moved.swap(copy);
  copy.ReleaseResident();
  EXPECT_EQ(moved, wanted);
  EXPECT_EQ(copy, wanted);
  moved = copy;
  copy.clear();
  EXPECT_EQ(copy.FileBytes(), 0u);
  EXPECT_EQ(moved, wanted);
  EXPECT_TRUE(TmpdirEmpty());
}

// Without a usable folder the text stays in memory, the same text.
TEST_F(SpilledLineList, AMissingFolderKeepsTheTextInMemory) {
  ::setenv("TMPDIR", (tmp_ / "fehlt").c_str(), 1);
  TextLines wanted;
  LineList lines;
  for (int i = 0; i < 20000; ++i) {
    wanted.push_back("Punkt " + std::to_string(i) + std::string(static_cast<size_t>(i % 50), 'x'));
    lines.push_back(wanted.back());
  }
  lines.ReleaseResident();
  EXPECT_EQ(lines.FileBytes(), 0u);
  EXPECT_EQ(lines, wanted);
  EXPECT_TRUE(TmpdirEmpty());
}

// A file that cannot grow (here: the size limit of the process, as a full
// disk) takes no more text: a block being filled stays in memory, a line
// of its own is never mapped beyond the file, and every line reads back.
TEST_F(SpilledLineList, AFileThatCannotGrowKeepsTheRestInMemory) {
  struct rlimit old{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 64 * 1024;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  TextLines wanted;
  LineList lines;
  for (int i = 0; i < 3000; ++i) {
    wanted.push_back(std::to_string(i) + std::string(static_cast<size_t>(i * 37 % 300), 'z'));
    if (i == 100 || i == 2000) wanted.back() = std::string(3 << 19, static_cast<char>('A' + i % 7));
    lines.push_back(wanted.back());
  }
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldSignal);
  EXPECT_LE(lines.FileBytes(), size_t{64} * 1024 + 4096);
  lines.ReleaseResident();
  EXPECT_EQ(lines, wanted);
}

namespace {
// Resident kilobytes of file-backed pages of this process.
long ResidentFileKb() {
  std::ifstream status("/proc/self/status");
  std::string key;
  long kb = 0;
  while (status >> key) {
    if (key == "RssFile:") {
      status >> kb;
      return kb;
    }
    status.ignore(1 << 20, '\n');
  }
  return -1;
}
}  // namespace

// Read pages of the file stop counting as the process's memory once given back.
TEST_F(SpilledLineList, GivesReadPagesBack) {
  LineList::SetSpillLimits({size_t{1} << 20, size_t{8} << 20});
  LineList lines;
  const std::string line(1000, 'r');
  for (int i = 0; i < 48 * 1024; ++i) lines.push_back(line);
  ASSERT_GT(lines.FileBytes(), size_t{40} << 20);
  size_t sum = 0;
  for (std::string_view l : lines) sum += static_cast<unsigned char>(l[l.size() / 2]);
  EXPECT_EQ(sum, 48u * 1024 * 'r');
  const long before = ResidentFileKb();
  lines.ReleaseResident();
  const long after = ResidentFileKb();
  EXPECT_GT(before - after, 32 * 1024) << before << " " << after;
  EXPECT_EQ(lines[12345], line);
}

}  // namespace
}  // namespace veltro::test
