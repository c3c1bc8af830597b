// The Windows file primitives against the real system (Wine on the build host).
#ifdef _WIN32
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/platform.h"
#include "unit/scratch_folder.h"

namespace {

using platform::EntryKind;

std::wstring wide(const std::string& path) {
  std::u16string wide = platform::wideFromPath(path);
  return std::wstring(wide.begin(), wide.end());
}

bool Write(const std::string& path, const std::string& bytes) {
  FILE* file = platform::createNewFile(path);
  if (file == nullptr) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

std::string Read(const std::string& path) {
  std::string data;
  return platform::readWholeFile(path, &data) ? data : "(unreadable)";
}

TEST(Win32Files, NamesKeepEveryCharacter) {
  ScratchFolder scratch;
  std::string folder = scratch.path(".");
  std::string name = "SP-\xC5\x81OT_t.dds";  // a stroked L, two bytes in UTF-8
  ASSERT_TRUE(Write(folder + "\\" + name, "paint"));
  std::vector<std::string> names;
  ASSERT_TRUE(platform::listFolder(folder + "\\sp-*", &names));
  ASSERT_EQ(std::vector<std::string>{name}, names);
  std::string listed = folder + "\\" + names[0];
  EXPECT_EQ("paint", Read(listed));
  EXPECT_EQ(EntryKind::kFile, platform::inspect(listed));
  EXPECT_EQ(listed, platform::finalPath(listed));
  EXPECT_TRUE(platform::removeFile(listed));
  EXPECT_EQ(EntryKind::kMissing, platform::inspect(listed));
}

TEST(Win32Files, OnlyRegularFilesAreReadCreatedOrDeletedAsFiles) {
  ScratchFolder scratch;
  std::string sub = scratch.path("sub");
  std::string file = scratch.path("fuselox.temp");
  ASSERT_TRUE(platform::createFolder(sub));
  EXPECT_EQ(nullptr, platform::openForReading(sub));
  EXPECT_EQ(nullptr, platform::createNewFile(sub));
  EXPECT_EQ(nullptr, platform::openForReading(scratch.path("nul.txt")));
  EXPECT_FALSE(platform::removeFile(sub));
  ASSERT_TRUE(Write(file, "stale content"));
  ASSERT_TRUE(Write(file, "new"));  // a stale working file is replaced, never appended to
  EXPECT_EQ("new", Read(file));
  EXPECT_FALSE(platform::removeFolder(file));
  EXPECT_TRUE(platform::removeFolder(sub));
}

TEST(Win32Files, PutFileInPlaceKeepsAttributesAndSparesReadOnlyTargets) {
  ScratchFolder scratch;
  std::string target = scratch.path("aircraft.cfg");
  std::string working = scratch.path("fuselox.temp");
  ASSERT_TRUE(Write(target, "old"));
  SetFileAttributesW(wide(target).c_str(), FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(Write(working, "new"));
  ASSERT_TRUE(platform::putFileInPlace(working, target));
  EXPECT_EQ("new", Read(target));
  EXPECT_TRUE(GetFileAttributesW(wide(target).c_str()) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(EntryKind::kMissing, platform::inspect(working));

  SetFileAttributesW(wide(target).c_str(), FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(Write(working, "refused"));
  EXPECT_FALSE(platform::putFileInPlace(working, target));
  EXPECT_EQ("new", Read(target));
  SetFileAttributesW(wide(target).c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Needs a system that makes symbolic links: Windows with the right to (Wine 8
// reports success and makes none, so the test is skipped there).
TEST(Win32Files, LinksAreNeverFollowedToWriteOrDelete) {
  ScratchFolder scratch;
  std::string elsewhere = scratch.path("elsewhere");
  std::string kept = elsewhere + "\\kept.dds";
  std::string textures = scratch.path("texture.link");
  std::string planted = scratch.path("fuselox.temp");
  ASSERT_TRUE(platform::createFolder(elsewhere));
  ASSERT_TRUE(Write(kept, "keep"));
  const DWORD kUnprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
  CreateSymbolicLinkW(wide(textures).c_str(), wide(elsewhere).c_str(),
                      SYMBOLIC_LINK_FLAG_DIRECTORY | kUnprivileged);
  CreateSymbolicLinkW(wide(planted).c_str(), wide(kept).c_str(), kUnprivileged);
  if (platform::inspect(planted) != EntryKind::kLink) GTEST_SKIP() << "no symbolic links here";
  EXPECT_TRUE(platform::sameExistingFile(platform::finalPath(planted), kept));
  ASSERT_TRUE(Write(planted, "working"));
  EXPECT_EQ(EntryKind::kFile, platform::inspect(planted));
  EXPECT_EQ("keep", Read(kept));
  ASSERT_EQ(EntryKind::kLink, platform::inspect(textures));
  EXPECT_TRUE(platform::removeFolder(textures));
  EXPECT_EQ(EntryKind::kMissing, platform::inspect(textures));
  EXPECT_EQ("keep", Read(kept));
}

}  // namespace
#endif  // _WIN32
