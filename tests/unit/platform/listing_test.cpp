#include <gtest/gtest.h>

#include "platform/platform.h"

namespace {

TEST(NameMatchesPattern, FollowsTheWindowsRules) {
  struct Case {
    const char* name;
    const char* pattern;
    bool match;
  } cases[] = {
      {"texture.Blue", "texture.*", true},
      {"TEXTURE.red", "texture.*", true},
      {"texture", "texture.*", true},
      {"textures", "texture.*", false},
      {"a.b.c", "*.*", true},
      {"plain", "*.*", true},
      {".", "*.*", true},
      {"..", "*.*", true},
      {"x.texture.y", "texture.*", false},
      {"Texture.", "texture.*", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.match, platform::nameMatchesPattern(c.name, c.pattern))
        << c.name << " " << c.pattern;
  }
}

TEST(SortListing, DotsFirstThenIgnoringCaseThenBytes) {
  std::vector<std::string> names = {"b", "..", "A", "a", "C", "."};
  platform::sortListing(&names);
  EXPECT_EQ((std::vector<std::string>{".", "..", "A", "a", "b", "C"}), names);
}

}  // namespace

namespace {

TEST(NamesDevice, RecognisesReservedNamesInAnyFolder) {
  for (const char* path : {"NUL", "c:\\x\\con.txt", "dir/Aux", "COM1.patch", "lpt9", "PRN .x"}) {
    EXPECT_TRUE(platform::namesDevice(path)) << path;
  }
  for (const char* path : {"NULL", "COM10", "COM0", "con\\file", "x\\", "texture.CON", ""}) {
    EXPECT_FALSE(platform::namesDevice(path)) << path;
  }
}

}  // namespace
