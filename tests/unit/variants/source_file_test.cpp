#include "variants/source_file.h"

#include <gtest/gtest.h>

#include "text/text_file.h"
#include "variants/variant_edits.h"

namespace {

std::vector<SourceSection> load(const std::string& text) { return loadSourceSections(text, 0); }

TEST(SourceFile, SplitsSectionsAndDropsBlankLines) {
  std::vector<SourceSection> sections =
      load("[fltsim.0]\ntitle=A\ntexture=a\n\n[fltsim.1]\ntitle=B\n");
  ASSERT_EQ(2u, sections.size());
  EXPECT_EQ("[fltsim.0]\ntitle=A\ntexture=a\n", sections[0].text);
  EXPECT_EQ("a", sections[0].texture);
  EXPECT_EQ("[fltsim.1]\ntitle=B\n", sections[1].text);
  EXPECT_EQ("", sections[1].texture);
}

TEST(SourceFile, TrimsLinesAndStoresRepeatsOnce) {
  std::vector<SourceSection> sections =
      load("[fltsim.0]\n   title = X\na=1\na=1\nb=2\na=1\ntexture = Blue Sky \ntexture=last\n");
  ASSERT_EQ(1u, sections.size());
  EXPECT_EQ("[fltsim.0]\ntitle = X\na=1\nb=2\na=1\ntexture = Blue Sky \ntexture=last\n",
            sections[0].text);
  EXPECT_EQ("last", sections[0].texture);
}

TEST(SourceFile, LinesWithoutEqualsEndASection) {
  std::vector<SourceSection> sections =
      load("[fltsim.0]\nx=1\n// repaint by me\ny=1\n[fltsim.1]\n//x=1\nab\n[General]\nz=1\n");
  ASSERT_EQ(2u, sections.size());
  EXPECT_EQ("[fltsim.0]\nx=1\n", sections[0].text);
  EXPECT_EQ("[fltsim.1]\n//x=1\nab\n", sections[1].text);
}

TEST(SourceFile, FinalLineWithoutLineEnd) {
  EXPECT_EQ(1, countSourceSections("[fltsim.0]\nx=1\n[fltsim.1]"));
  std::vector<SourceSection> sections = load("[fltsim.0]\nx=1\ntexture=t");
  ASSERT_EQ(1u, sections.size());
  EXPECT_EQ("[fltsim.0]\nx=1\ntexture=t", sections[0].text);
  EXPECT_TRUE(load("").empty());
  EXPECT_TRUE(load("[General]\nx=1\n").empty());
}

TEST(SourceFile, RenumbersTheHeaderKeepingItsCase) {
  std::vector<SourceSection> sections = loadSourceSections("[FLTSIM.x] ; old\ntitle=A\n", 7);
  ASSERT_EQ(1u, sections.size());
  EXPECT_EQ("[FLTSIM.7]\ntitle=A\n", sections[0].text);
}

TEST(RenumberVariants, NumbersHeadersInFileOrder) {
  std::vector<std::string> lines = splitLines("[fltsim.3]\n//[fltsim.3]\n  [FltSim.3] x\nk=1\n");
  renumberVariants(&lines);
  EXPECT_EQ("[fltsim.0]\n//[fltsim.3]\n[fltsim.1]\nk=1\n", joinLines(lines));
}

}  // namespace
