#include "platform/TextFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/MessageBox.h"
#include "tests/support/TransferFixture.h"

namespace veltro::test {
namespace {

TEST(TextFile, AllLineEndsSplitAndFinalEndAddsNoLine) {
  EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (TextLines{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\n"), TextLines{"a"});
  EXPECT_EQ(SplitLines("\r\n\r\n"), (TextLines{"", ""}));
  EXPECT_EQ(SplitLines("a\n\rb"), (TextLines{"a", "", "b"}));
  EXPECT_TRUE(SplitLines("").empty());
}

TEST(TextFile, EveryByteSurvivesARoundTrip) {
  TempDir tmp;
  std::string all;
  for (int c = 0; c < 256; ++c)
    if (c != '\r' && c != '\n') all += static_cast<char>(c);
  ASSERT_TRUE(SaveTextFile(tmp / "b.txt", TextLines{all, "x"}));
  TextLines back;
  ASSERT_TRUE(LoadTextFile(tmp / "b.txt", back));
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0], all);
  EXPECT_EQ(ReadFile(tmp / "b.txt"), all + "\r\nx\r\n");
}

// Files are read in pieces of 1 MiB: a line end split between two pieces, a
// line running over a piece's end and a last line without an end load as
// the whole text splits, and large files save back unchanged.
TEST(TextFile, LargeFilesLoadAsTheirWholeTextSplits) {
  constexpr size_t kPiece = 1 << 20;
  const std::string line(99, 'x');
  for (const std::string end : {"\r\n", "\r", "\n", "\n\r"}) {
    for (size_t shift = 0; shift < 3; ++shift) {
      // The line end begins one before, at, or one after the first piece's last byte.
      std::string text(kPiece - 2 + shift, 'a');
      text.replace(0, 3, "\r\n\n");
      text += end;
      while (text.size() < 2 * kPiece + 500) text += line + end;
      text += "last";
      TempDir tmp;
      WriteFile(tmp / "big.txt", text);
      TextLines lines;
      ASSERT_TRUE(LoadTextFile(tmp / "big.txt", lines));
      EXPECT_EQ(lines, SplitLines(text)) << shift;
      ASSERT_TRUE(SaveTextFile(tmp / "copy.txt", lines));
      EXPECT_EQ(ReadFile(tmp / "copy.txt"), JoinLines(lines));
      // The head is a prefix of complete lines; a small limit still gives all of a short file.
      TextLines head;
      bool whole = true;
      ASSERT_TRUE(LoadTextHead(tmp / "big.txt", head, 1, whole));
      EXPECT_FALSE(whole);
      ASSERT_LT(head.size(), lines.size());
      EXPECT_TRUE(std::equal(head.begin(), head.end(), lines.begin())) << shift;
      WriteFile(tmp / "small.txt", "\xEF\xBB\xBF" "a\r\nb");
      ASSERT_TRUE(LoadTextHead(tmp / "small.txt", head, 1 << 20, whole));
      EXPECT_TRUE(whole);
      EXPECT_EQ(head, (TextLines{"a", "b"}));
    }
  }
}

// Text with every mix of line ends, fed in pieces of every size from 1 byte
// up, splits as the whole text does.
TEST(TextFile, ASplitterFedInPiecesSplitsAsTheWholeText) {
  std::string text;
  unsigned seed = 7;
  for (int i = 0; i < 3000; ++i) {
    seed = seed * 1103515245u + 12345u;
    const unsigned r = (seed >> 16) % 8;
    text += r < 2 ? '\r' : r < 4 ? '\n' : static_cast<char>('a' + r);
  }
  for (const std::string tail : {"", "\r", "\n", "x"}) {
    const std::string all = text + tail;
    // The rule spelt out byte by byte: CR LF, CR or LF ends a line.
    TextLines expected;
    size_t start = 0;
    for (size_t i = 0; i < all.size(); ++i) {
      if (all[i] != '\r' && all[i] != '\n') continue;
      expected.push_back(all.substr(start, i - start));
      if (all[i] == '\r' && i + 1 < all.size() && all[i + 1] == '\n') ++i;
      start = i + 1;
    }
    if (start < all.size()) expected.push_back(all.substr(start));
    EXPECT_EQ(SplitLines(all), expected);
    for (size_t piece = 1; piece <= 70; piece += 3) {
      TextLines lines;
      LineSplitter<TextLines> splitter(lines);
      for (size_t at = 0; at < all.size(); at += piece) splitter.Add(all.data() + at, std::min(piece, all.size() - at));
      splitter.Finish();
      ASSERT_EQ(lines, expected) << piece;
    }
  }
}

TEST(TextFile, FailedSaveKeepsTheExistingFile) {
  TempDir tmp;
  ASSERT_TRUE(SaveTextFile(tmp / "k.txt", TextLines{"alt"}));
  ASSERT_EQ(::chmod(tmp.path().c_str(), 0500), 0);
  bool saved = SaveTextFile(tmp / "k.txt", TextLines{"neu"});
  ::chmod(tmp.path().c_str(), 0700);
  if (::geteuid() != 0) {
    EXPECT_FALSE(saved);  // root may write anyway
  }
  if (!saved) {
    EXPECT_EQ(ReadFile(tmp / "k.txt"), "alt\r\n");
  }
  EXPECT_FALSE(SaveTextFile(tmp / "nofolder/k.txt", TextLines{"neu"}));
  EXPECT_FALSE(SaveTextFile(tmp.path(), TextLines{"neu"}));
}

// A file made beside its target replaces the target whole: within the
// folder, in another one, and on another file system (/dev/shm is a tmpfs).
TEST(TextFile, AFileMadeBesideItsTargetTakesItsPlace) {
  TempDir tmp;
  ASSERT_TRUE(SaveFileBytes(tmp / "k.gsi", "older"));
  ASSERT_EQ(::chmod((tmp / "k.gsi").c_str(), 0640), 0);
  const std::string made = CreateFileBeside(tmp / "k.gsi");
  ASSERT_FALSE(made.empty());
  EXPECT_EQ(ExtractFilePath(made), tmp.path() + "/");
  EXPECT_EQ(ExtractFileName(made).rfind(".k.gsi.", 0), 0u);
  EXPECT_EQ(ReadFile(made), "");
  ASSERT_TRUE(SaveFileBytes(made, "new\r\n"));
  ASSERT_TRUE(PlaceFile(made, tmp / "k.gsi"));
  EXPECT_EQ(ReadFile(tmp / "k.gsi"), "new\r\n");
  EXPECT_FALSE(FileExists(made));
  struct stat st{};
  ASSERT_EQ(::stat((tmp / "k.gsi").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);  // the permissions of the file it replaced

  // A failure leaves both as they were.
  const std::string second = CreateFileBeside(tmp / "k.gsi");
  ASSERT_TRUE(SaveFileBytes(second, "second"));
  EXPECT_FALSE(PlaceFile(second, tmp / "nofolder/k.gsi"));
  EXPECT_FALSE(PlaceFile(second, tmp.path()));
  EXPECT_EQ(ReadFile(second), "second");
  EXPECT_EQ(ReadFile(tmp / "k.gsi"), "new\r\n");
  EXPECT_TRUE(CreateFileBeside(tmp / "nofolder/k.gsi").empty());
  EXPECT_TRUE(CreateFileBeside(tmp.path()).empty());

  const std::string across = "/dev/shm/veltro-place-" + std::to_string(::getpid()) + ".gsi";
  ASSERT_TRUE(PlaceFile(second, across));
  EXPECT_EQ(ReadFile(across), "second");
  EXPECT_FALSE(FileExists(second));
  ASSERT_TRUE(PlaceFile(across, tmp / "back.gsi"));
  EXPECT_EQ(ReadFile(tmp / "back.gsi"), "second");
  EXPECT_FALSE(FileExists(across));
  EXPECT_TRUE(RemoveFile(tmp / "k.gsi"));
  EXPECT_FALSE(RemoveFile(tmp / "k.gsi"));
}

TEST(TextFile, LoadingAFolderOrMissingFileFails) {
  TempDir tmp;
  TextLines lines{"x"};
  EXPECT_FALSE(LoadTextFile(tmp.path(), lines));
  EXPECT_TRUE(lines.empty());
  EXPECT_FALSE(LoadTextFile(tmp / "none", lines));
  EXPECT_FALSE(FileExists(tmp.path()));
}

TEST(TextFile, PathParts) {
  EXPECT_EQ(ExtractFilePath("/a/b/c.txt"), "/a/b/");
  EXPECT_EQ(ExtractFilePath("a\\b.txt"), "a\\");
  EXPECT_EQ(ExtractFilePath("C:b.txt"), "");
  EXPECT_EQ(ExtractFileName("/a/b/c.txt"), "c.txt");
  EXPECT_EQ(ExtractFileName("/a/b/"), "");
  EXPECT_FALSE(HasDirectoryPart("c.txt"));
  EXPECT_EQ(IncludeTrailingSeparator("/a"), "/a/");
}

TEST(ScriptedMessageBox, AnswersFromScriptThenSafeDefaults) {
  ScriptedMessageBox box;
  box.Answer(kAnsYes);
  EXPECT_EQ(box.Show("t", "q1", kMsgWarning, kBtnYesNo), kAnsYes);
  EXPECT_EQ(box.Show("t", "q2", kMsgWarning, kBtnYesNo), kAnsNo);
  EXPECT_EQ(box.Show("t", "i", kMsgInformation, kBtnOk), kAnsOk);
  EXPECT_EQ(box.Show("t", "c", kMsgWarning, kBtnOk | kBtnCancel), kAnsCancel);
  ASSERT_EQ(box.Messages().size(), 4u);
  EXPECT_EQ(box.Messages()[1].text, "q2");
}

}  // namespace
}  // namespace veltro::test
