#include "text/files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "unit/scratch_folder.h"

namespace {

class FilesTest : public ::testing::Test {
 protected:
  std::string cfg() const { return scratch_.read("aircraft.cfg"); }
  std::string folder() const { return scratch_.path(""); }
  bool rewrite(const std::function<bool(std::vector<std::string>*)>& edit) {
    err_.clear();
    return rewriteAircraftCfg(folder(), kTemporaryFileName, edit, &err_);
  }
  ScratchFolder scratch_;
  std::string err_;
};

TEST_F(FilesTest, RewriteWritesCrLfAndNoFinalLineEnd) {
  scratch_.write("aircraft.cfg", "a\nb\r\n\r\n");
  EXPECT_TRUE(rewrite([](std::vector<std::string>* lines) {
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
  EXPECT_TRUE(rewrite([](std::vector<std::string>*) { return true; }));
  EXPECT_EQ(bytes, cfg());
}

TEST_F(FilesTest, RewriteKeepsTheTextEndBeforeCtrlZ) {
  scratch_.write("aircraft.cfg", "a=1\x1a");
  EXPECT_TRUE(rewrite([](std::vector<std::string>* lines) {
    (*lines)[0] = "a=2";
    return true;
  }));
  EXPECT_EQ("a=2\x1a", cfg());
}

TEST_F(FilesTest, DeclinedEditChangesNothing) {
  scratch_.write("aircraft.cfg", "a\n");
  EXPECT_FALSE(rewrite([](std::vector<std::string>*) { return false; }));
  EXPECT_EQ("a\n", cfg());
}

TEST_F(FilesTest, ReadOnlyTargetFailsAndStaysWhole) {
  scratch_.write("aircraft.cfg", "a\n");
  std::filesystem::permissions(
      scratch_.path("aircraft.cfg"),
      std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
  EXPECT_FALSE(rewrite([](std::vector<std::string>*) { return true; }));
  EXPECT_EQ("a\n", cfg());
  EXPECT_FALSE(scratch_.exists(kTemporaryFileName));
}

TEST_F(FilesTest, ByteOrderMarksAreKeptOrRefused) {
  auto addLine = [](std::vector<std::string>* lines) {
    lines->push_back("c");
    return true;
  };
  // A UTF-8 mark is no part of the first line, and stays in the file.
  scratch_.write("aircraft.cfg", "\xEF\xBB\xBF[fltsim.0]\r\n");
  EXPECT_TRUE(rewrite([](std::vector<std::string>* lines) {
    return (*lines)[0] == "[fltsim.0]" && ((*lines)[0] = "[x]", true);
  }));
  EXPECT_EQ("\xEF\xBB\xBF[x]", cfg());
  // UTF-16 text would be destroyed by a one-byte rewrite: refused, untouched.
  for (std::string bytes : {std::string("\xFF\xFE"
                                        "a\0\n\0",
                                        6),
                            std::string("\xFE\xFF\0a\0\n", 6)}) {
    scratch_.write("aircraft.cfg", bytes);
    EXPECT_FALSE(rewrite(addLine));
    EXPECT_NE(std::string::npos, err_.find("UTF-16"));
    EXPECT_EQ(bytes, cfg());
  }
}

#ifndef _WIN32
TEST_F(FilesTest, PlantedWorkingFileLinkIsNotFollowed) {
  scratch_.write("aircraft.cfg", "a\n");
  scratch_.write("victim", "keep");
  std::filesystem::create_symlink(scratch_.path("victim"), scratch_.path(kTemporaryFileName));
  EXPECT_TRUE(rewrite([](std::vector<std::string>* lines) { return ((*lines)[0] = "b", true); }));
  EXPECT_EQ("keep", scratch_.read("victim"));
  EXPECT_EQ("b", cfg());
  EXPECT_FALSE(std::filesystem::is_symlink(scratch_.path("aircraft.cfg")));
  EXPECT_FALSE(scratch_.exists(kTemporaryFileName));
}

TEST_F(FilesTest, LinkedTargetStaysALinkAndKeepsItsMode) {
  std::filesystem::create_directories(scratch_.path("elsewhere"));
  scratch_.write("elsewhere/real.cfg", "a\n");
  std::filesystem::permissions(scratch_.path("elsewhere/real.cfg"),
                               std::filesystem::perms::owner_read |
                                   std::filesystem::perms::owner_write |
                                   std::filesystem::perms::group_write);
  std::filesystem::create_symlink(scratch_.path("elsewhere/real.cfg"),
                                  scratch_.path("aircraft.cfg"));
  EXPECT_TRUE(rewrite([](std::vector<std::string>* lines) { return ((*lines)[0] = "b", true); }));
  EXPECT_TRUE(std::filesystem::is_symlink(scratch_.path("aircraft.cfg")));
  EXPECT_EQ("b", scratch_.read("elsewhere/real.cfg"));
  EXPECT_EQ(std::filesystem::perms(0620),
            std::filesystem::status(scratch_.path("elsewhere/real.cfg")).permissions());
}
#endif

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
