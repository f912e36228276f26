#include "platform/LineList.h"

#include <gtest/gtest.h>

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

  lines.Replace(0, std::string(first) + " neu");
  lines.insert(lines.begin() + 1, lines[0]);
  lines.erase(lines.begin() + 2, lines.begin() + 200003);
  EXPECT_EQ(first, "erste");  // replaced text stays until clear()
  ASSERT_EQ(lines.size(), 4u);
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

}  // namespace
}  // namespace veltro::test
