// Applying patches written out by hand, and the MD5 that ties a patch to its
// old file.
#include "patch/patch_applier.h"

#include <gtest/gtest.h>

#include "patch_test_util.h"
#include "unit/scratch_folder.h"

namespace {

TEST(Md5, GivesTheKnownDigests) {
  const std::pair<std::string, const char*> cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {std::string(55, 'a'), "ef1772b6dff9a122358552954ad0df65"},  // padding fits the block
      {std::string(56, 'a'), "3b0c8ac703f828b04c6c197006d17218"},  // padding needs another
      {std::string(64, 'a'), "014842d480b571495a4a0363793f7367"},
      {std::string(1024, '\0'), "0f343b0931126a20f133d67c2b018a3b"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.second, md5OfText(c.first)) << c.first.size();
}

const std::string kOld = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefghijklmnopqrstuvwxyz!?";

std::string copyOf(uint32_t offset, uint32_t length) {
  return copyRecord(offset, length, checksumOf(kOld.substr(offset, length)));
}

// Applies the patch to kOld beside a stale rebuild file; the target after.
std::string applied(const std::string& patch) {
  ScratchFolder scratch;
  scratch.write("target.bin", kOld);
  scratch.write("target.bin.temp", "stale");
  scratch.write("patch.bin", patch);
  std::string err;
  EXPECT_TRUE(applyPatchFile(scratch.path("target.bin"), scratch.path("patch.bin"), &err));
  EXPECT_FALSE(scratch.exists("target.bin.temp"));
  return scratch.read("target.bin");
}

TEST(ApplyPatchFile, RebuildsTheNewVersion) {
  std::string upper = md5OfText(kOld);
  for (char& c : upper) c = static_cast<char>(toupper(c));
  const std::pair<std::string, std::string> cases[] = {
      {upper + patchHeader(kOld, 2).substr(32) + literalRecord("zz"), "zz"},
      {patchHeader(kOld, 0), ""},
      {patchHeader(kOld, 5) + literalRecord("") + literalRecord("ab") + literalRecord("cde"),
       "abcde"},
      {patchHeader(kOld, 60) + copyOf(40, 24) + copyOf(30, 12) + copyOf(40, 24),
       kOld.substr(40, 24) + kOld.substr(30, 12) + kOld.substr(40, 24)},
      {patchHeader(kOld, 4) + copyOf(60, 4), "yz!?"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.second, applied(c.first));
}

}  // namespace
