#include "text/text_file.h"

#include <gtest/gtest.h>

namespace {

TEST(DecodeText, ReadsCrLfAsLfAndKeepsLoneCr) {
  TextContent c = decodeText("a\r\nb\rc\r\r\nd");
  EXPECT_EQ("a\nb\rc\r\nd", c.text);
  EXPECT_EQ("", c.tail);
}

TEST(DecodeText, StopsTextAtCtrlZAndKeepsTheRestAsTail) {
  TextContent c = decodeText(
      "a\r\n\x1A"
      "b\r\n");
  EXPECT_EQ("a\n", c.text);
  EXPECT_EQ(
      "\x1A"
      "b\r\n",
      c.tail);
}

TEST(EncodeText, WritesLfAsCrLf) { EXPECT_EQ("a\r\n\rb\r\n", encodeText("a\n\rb\n")); }

TEST(LineReader, YieldsPiecesOfAtMostTheLineCapacity) {
  std::string text = std::string(1500, 'x') + "\nend";
  LineReader reader(text);
  std::string line;
  ASSERT_TRUE(reader.next(&line));
  EXPECT_EQ(kLineCapacity, line.size());
  EXPECT_FALSE(reader.atEnd());
  ASSERT_TRUE(reader.next(&line));
  EXPECT_EQ(std::string(1500 - kLineCapacity, 'x') + "\n", line);
  ASSERT_TRUE(reader.next(&line));
  EXPECT_EQ("end", line);
  EXPECT_TRUE(reader.atEnd());
  EXPECT_FALSE(reader.next(&line));
}

TEST(LineReader, NoticesTheEndOnlyPastAFinalLineEnd) {
  std::string text = "a\nb\n";
  LineReader reader(text);
  std::string line;
  ASSERT_TRUE(reader.next(&line));
  ASSERT_TRUE(reader.next(&line));
  EXPECT_FALSE(reader.atEnd());
  EXPECT_FALSE(reader.next(&line));
  EXPECT_TRUE(reader.atEnd());
}

TEST(SplitLines, CountsAFinalLineWithoutLineEndOnce) {
  EXPECT_EQ((std::vector<std::string>{"a", "", "b"}), splitLines("a\n\nb"));
  EXPECT_EQ((std::vector<std::string>{"a", "b"}), splitLines("a\nb\n"));
  EXPECT_TRUE(splitLines("").empty());
  EXPECT_EQ("a\nb\n", joinLines({"a", "b"}));
}

}  // namespace
