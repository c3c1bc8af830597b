#include "text/lines.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
  std::string line;
  bool ok;
  std::string trimmed, key, value;
};

TEST(SplitKeyValue, SplitsAsTheTableSays) {
  const SplitCase cases[] = {
      {"  texture = abc // x", true, "texture = abc // x", "texture", "abc // x"},
      {"title = My Plane // red", true, "title = My Plane // red", "title", "My Plane // red"},
      {"a==b", true, "a==b", "a", "b"},
      {"a = = b", true, "a = = b", "a", "b"},
      {"a b", true, "a b", "a", "b"},
      {"=x", true, "=x", "", "x"},
      {"title", false, "title", "", ""},
      {"title ", true, "title ", "title", ""},
      {"", false, "", "", ""},
      {"[FLTSIM.0]", false, "[FLTSIM.0]", "", ""},
      {"k=v\r\n", true, "k=v\r\n", "k", "v"},
  };
  for (const SplitCase& c : cases) {
    std::string line = c.line, key, value;
    EXPECT_EQ(c.ok, splitKeyValue(&line, &key, &value)) << c.line;
    EXPECT_EQ(c.trimmed, line) << c.line;
    if (c.ok) {
      EXPECT_EQ(c.key, key) << c.line;
      EXPECT_EQ(c.value, value) << c.line;
    }
  }
}

TEST(StripComments, RemovesOnlyTheLastMarkerAfterText) {
  const std::pair<std::string, std::string> slash[] = {
      {"// x", "// x"},      {"   // x", "   // x"},    {"/", "/"},        {"", ""},
      {"abc   // x", "abc"}, {"a // b // c", "a // b"}, {"x:y//z", "x:y"},
  };
  for (const auto& c : slash) {
    std::string v = c.first;
    stripSlashComment(&v);
    EXPECT_EQ(c.second, v) << c.first;
  }
  const std::pair<std::string, std::string> semicolon[] = {
      {";y", ";y"}, {"x ;y", "x"}, {"1;2;3", "1;2"}};
  for (const auto& c : semicolon) {
    std::string v = c.first;
    stripSemicolonComment(&v);
    EXPECT_EQ(c.second, v) << c.first;
  }
}

TEST(ValueAfterEquals, KeepsLaterEqualsAndOldValueWhenEmpty) {
  std::string out = "old";
  valueAfterEquals("TITLE==  X ", &out);
  EXPECT_EQ("=  X ", out);
  out = "old";
  valueAfterEquals("TITLE=   ", &out);
  EXPECT_EQ("old", out);
  valueAfterEquals("NO EQUALS", &out);
  EXPECT_EQ("old", out);
}

TEST(SectionNumber, ReadsTheNumberAfterTheFirstDot) {
  EXPECT_EQ(12, sectionNumber("[FLTSIM.12]"));
  EXPECT_EQ(0, sectionNumber("[FLTSIM.]"));
  EXPECT_EQ(0, sectionNumber("[FLTSIM.X]"));
  EXPECT_EQ(7, sectionNumber("[FLTSIM.07]"));
  EXPECT_EQ(0, sectionNumber("[GENERAL]"));
  EXPECT_EQ(-3, sectionNumber("[FLTSIM. -3]"));
  EXPECT_EQ(2147483647, sectionNumber("[FLTSIM.99999999999999]"));
  EXPECT_EQ(-2147483647 - 1, sectionNumber("[FLTSIM.-99999999999999]"));
}

TEST(HeaderTests, RecogniseHeadersAndVariantHeaders) {
  EXPECT_TRUE(isVariantHeader("  [fltsim.3]"));
  EXPECT_FALSE(isVariantHeader("[ fltsim.3]"));
  EXPECT_FALSE(isVariantHeader("//[fltsim.3]"));
  EXPECT_TRUE(isHeaderLine(" [ General ]"));
  EXPECT_FALSE(isHeaderLine("x=[1]"));
  EXPECT_EQ("[GENERAL]//X", compactForm(" [ General ] // x\r"));
}

TEST(FindTitleValue, FindsTheFirstKeyAndCrossesLineEnds) {
  std::string out = "keep";
  EXPECT_TRUE(findTitleValue("[fltsim.0]  \n\ntitle=A B\ntexture=c\n", &out));
  EXPECT_EQ("A B", out);
  out = "keep";
  EXPECT_FALSE(findTitleValue("[fltsim.0]\nTitle=X\n", &out));
  EXPECT_EQ("keep", out);
  EXPECT_TRUE(findTitleValue("subtitle=Q", &out));
  EXPECT_EQ("Q", out);
  EXPECT_TRUE(findTitleValue("title=\ntexture=x", &out));
  EXPECT_EQ("texture=x", out);
  // Keys aligned with tabs and spaces are found as well.
  EXPECT_TRUE(findTextureValue("texture\t \t= Blue Sky \n", &out));
  EXPECT_EQ("Blue Sky ", out);
  out = "keep";
  EXPECT_FALSE(findTextureValue("texture=", &out));
  EXPECT_EQ("keep", out);
}

TEST(FindTitleValue, BoundsAValueToItsBuffer) {
  std::string out;
  EXPECT_TRUE(findTitleValue("title=" + std::string(5000, 'x'), &out));
  EXPECT_EQ(kValueCapacity, out.size());
}

}  // namespace
