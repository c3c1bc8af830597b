#include "cfg/files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "unit/scratch_folder.h"

namespace {

class FilesTest : public ::testing::Test {
 protected:
  std::string cfg() const { return scratch_.read("aircraft.cfg"); }
  std::string folder() const { return scratch_.path(""); }
  ScratchFolder scratch_;
};

TEST_F(FilesTest, RewriteWritesCrLfAndNoFinalLineEnd) {
  scratch_.write("aircraft.cfg", "a\nb\r\n\r\n");
  EXPECT_TRUE(rewriteAircraftCfg(folder(), kTemporaryFileName, [](std::vector<std::string>* lines) {
    lines->push_back("c");
    return true;
  }));
  EXPECT_EQ("a\r\nb\r\n\r\nc", cfg());
  EXPECT_FALSE(scratch_.exists(kTemporaryFileName));
}

TEST_F(FilesTest, RewriteCarriesWhatTextModeCannotSee) {
  std::string bytes = "k=1\r\nlone\rcr\r\nnul\0x\r\n" + std::string(5000, 'y') + "\r\n\x1a\r\nrest";
  bytes[15] = '\0';
  scratch_.write("aircraft.cfg", bytes);
  EXPECT_TRUE(rewriteAircraftCfg(folder(), kTemporaryFileName,
                                 [](std::vector<std::string>*) { return true; }));
  EXPECT_EQ(bytes, cfg());
}

TEST_F(FilesTest, RewriteKeepsTheTextEndBeforeCtrlZ) {
  scratch_.write("aircraft.cfg", "a=1\x1a");
  EXPECT_TRUE(rewriteAircraftCfg(folder(), kTemporaryFileName, [](std::vector<std::string>* lines) {
    (*lines)[0] = "a=2";
    return true;
  }));
  EXPECT_EQ("a=2\x1a", cfg());
}

TEST_F(FilesTest, DeclinedEditChangesNothing) {
  scratch_.write("aircraft.cfg", "a\n");
  EXPECT_FALSE(rewriteAircraftCfg(folder(), kTemporaryFileName,
                                  [](std::vector<std::string>*) { return false; }));
  EXPECT_EQ("a\n", cfg());
}

TEST_F(FilesTest, ReadOnlyTargetFailsAndStaysWhole) {
  scratch_.write("aircraft.cfg", "a\n");
  std::filesystem::permissions(
      scratch_.path("aircraft.cfg"),
      std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
  EXPECT_FALSE(rewriteAircraftCfg(folder(), kTemporaryFileName,
                                  [](std::vector<std::string>*) { return true; }));
  EXPECT_EQ("a\n", cfg());
  EXPECT_FALSE(scratch_.exists(kTemporaryFileName));
}

TEST_F(FilesTest, TrimRemovesLineBreaksAndTrailingFf) {
  scratch_.write("aircraft.cfg", "x\r\n\r\n\xff\n");
  EXPECT_TRUE(trimTrailingLineBreaks(folder()));
  EXPECT_EQ("x", cfg());
  scratch_.write("aircraft.cfg", "\r\n\xff");
  EXPECT_TRUE(trimTrailingLineBreaks(folder()));
  EXPECT_EQ("", cfg());
}

TEST_F(FilesTest, CopyFileBytes) {
  scratch_.write("empty", "");
  scratch_.write("dest", "old");
  EXPECT_TRUE(copyFileBytes(scratch_.path("empty"), scratch_.path("dest")));
  EXPECT_EQ("", scratch_.read("dest"));
  scratch_.write("dest", "old");
  EXPECT_FALSE(copyFileBytes(scratch_.path("missing"), scratch_.path("dest")));
  EXPECT_EQ("old", scratch_.read("dest"));
}

}  // namespace
