#include "cfg/variant_table.h"

#include <gtest/gtest.h>

#include "cfg/parameters.h"
#include "text/text_file.h"

namespace {

TEST(FirstNumberingGap, FindsTheFirstHeaderOutOfPlace) {
  EXPECT_EQ(2, firstNumberingGap("[fltsim.0]\n[fltsim.1]\n[fltsim.3]\n"));
  EXPECT_EQ(4, firstNumberingGap("[fltsim.0]\n[fltsim.1]\n[fltsim.2]\n[fltsim.3]\n[fltsim.4]"));
  EXPECT_EQ(0, firstNumberingGap("[fltsim.1]\n"));
  EXPECT_EQ(-1, firstNumberingGap("[General]\n"));
  EXPECT_EQ(2, firstNumberingGap("[fltsim.0]\n[fltsim.1]\n[fltsim.3]\n[fltsim.4]\n"));
}

TEST(ReadVariantTable, KeepsNumberPositionTitleAndTexture) {
  std::vector<VariantRecord> table =
      readVariantTable("[fltsim.5]\ntitle=A\nui_title=ignored? no\ntexture=b\n[fltsim.5]\n");
  ASSERT_EQ(2u, table.size());
  EXPECT_EQ(5, table[0].number);
  EXPECT_EQ(0, table[0].position);
  EXPECT_EQ("IGNORED? NO", table[0].title);  // ui_title= counts as a title line too
  EXPECT_EQ("B", table[0].texture);
  EXPECT_EQ(1, table[1].position);
  EXPECT_EQ("", table[1].texture);
}

TEST(ReadVariantTable, CommentedTextureLineStillEndsTheRecord) {
  std::vector<VariantRecord> table = readVariantTable("[fltsim.0]\n//texture=old\ntitle=A\n");
  ASSERT_EQ(1u, table.size());
  EXPECT_EQ("OLD", table[0].texture);
  EXPECT_EQ("", table[0].title);
}

TEST(FindVariant, ReturnsTheLastMatch) {
  std::string text = "[fltsim.0]\ntitle=B\ntexture=x\n[fltsim.0]\ntitle=b\ntexture=y\n";
  EXPECT_EQ(1, findVariant(text, "B", kByTitle).position);
  EXPECT_EQ(0, findVariant(text, "X", kByTexture).position);
  EXPECT_EQ(-1, findVariant(text, "z", kByTexture).position);
}

TEST(VariantTitleExists, NeverGoesBackToSeeking) {
  EXPECT_FALSE(variantTitleExists("title=A\n[fltsim.0]\n", "a"));
  EXPECT_TRUE(variantTitleExists("[fltsim.0]\n[General]\n  TITLE == A \n", "a "));
}

TEST(ChangeParameter, AddsAtMostOneMissingLine) {
  std::vector<std::string> lines = splitLines("[S]\na=1\n[T]\n[S]\n");
  EXPECT_TRUE(changeParameter("b", "2", SectionTarget::named("s"), true, &lines));
  EXPECT_EQ("[S]\na=1\nb=2\n[T]\n[S]\n", joinLines(lines));
}

TEST(ReadParameter, ExaminesTheTargetHeaderItself) {
  EXPECT_EQ(std::vector<std::string>{"s ]"},
            readParameter("[", SectionTarget::named("s"), false, "[ s ]\nk=1\n"));
}

}  // namespace
