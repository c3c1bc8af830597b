#include "patch/patch_applier.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "patch_test_util.h"
#include "unit/scratch_folder.h"

namespace {

const std::string kOld = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefghijklmnopqrstuvwxyz!?";

uint32_t checksumOf(const std::string& text) {
  return runChecksum(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

std::string copyOf(uint32_t offset, uint32_t length) {
  return copyRecord(offset, length, checksumOf(kOld.substr(offset, length)));
}

std::string upperCased(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return text;
}

class ApplyPatchFile : public ::testing::Test {
 protected:
  void SetUp() override { folder_.write("target.bin", kOld); }

  bool apply(const std::string& patch) {
    folder_.write("patch.bin", patch);
    return applyPatchFile(folder_.path("target.bin"), folder_.path("patch.bin"), &err_);
  }

  void expectRefused(const std::string& patch, const std::string& what) {
    EXPECT_FALSE(apply(patch)) << what;
    EXPECT_EQ(kOld, folder_.read("target.bin")) << what;
    EXPECT_FALSE(folder_.exists("target.bin.temp")) << what;
  }

  ScratchFolder folder_;
  std::string err_;
};

TEST_F(ApplyPatchFile, RebuildsTheNewVersion) {
  std::string repeatedCopies = kOld.substr(40, 24) + kOld.substr(30, 12) + kOld.substr(40, 24);
  struct Case {
    const char* name;
    std::string patch, result;
  } cases[] = {
      {"made by the maker", fastPatch(kOld, "xx" + kOld + "yy"), "xx" + kOld + "yy"},
      {"digest in capitals",
       upperCased(md5OfText(kOld)) + patchHeader(kOld, 2).substr(32) + literalRecord("zz"), "zz"},
      {"header only", patchHeader(kOld, 0), ""},
      {"empty and repeated literals",
       patchHeader(kOld, 5) + literalRecord("") + literalRecord("ab") + literalRecord("cde"),
       "abcde"},
      {"overlapping and repeated copies",
       patchHeader(kOld, 60) + copyOf(40, 24) + copyOf(30, 12) + copyOf(40, 24), repeatedCopies},
      {"copy to the very end", patchHeader(kOld, 4) + copyOf(60, 4), "yz!?"},
  };
  for (const Case& c : cases) {
    folder_.write("target.bin", kOld);
    EXPECT_TRUE(apply(c.patch)) << c.name;
    EXPECT_EQ(c.result, folder_.read("target.bin")) << c.name;
    EXPECT_FALSE(folder_.exists("target.bin.temp")) << c.name;
  }
}

TEST_F(ApplyPatchFile, RefusesBadPatchesAndKeepsTheTarget) {
  std::string good = patchHeader(kOld, 30) + literalRecord("xx") + copyOf(0, 28);
  std::string otherOld = fastPatch(kOld + "!", kOld);
  std::string badChecksum = patchHeader(kOld, 24) + copyRecord(0, 24, checksumOf("x"));
  struct Case {
    const char* name;
    std::string patch;
  } cases[] = {
      {"made from another old version", otherOld},
      {"empty", ""},
      {"cut within the digest", good.substr(0, 20)},
      {"cut within the header", good.substr(0, 47)},
      {"cut within a literal", good.substr(0, 48 + 6)},
      {"cut within a copy", good.substr(0, good.size() - 1)},
      {"wrong checksum", badChecksum},
      {"offset beyond the old size", patchHeader(kOld, 24) + copyRecord(65, 24, 0)},
      {"negative offset", patchHeader(kOld, 24) + copyRecord(0xFFFFFFFF, 24, 0)},
      {"length past the old size", patchHeader(kOld, 30) + copyOf(50, 14) + copyRecord(50, 16, 0)},
      {"copy of length 0", patchHeader(kOld, 0) + copyRecord(0, 0, 0)},
      {"records add up to less", good.substr(0, good.size() - 13)},
      {"records add up to more", good + literalRecord("!")},
      {"literal longer than the rest", patchHeader(kOld, 1) + literalRecord("ab")},
      {"new size of 2^31 or more", patchHeader(kOld, 0x80000000u) + literalRecord("")},
      {"trailing newline", good + "\n"},
      {"unknown record kind", patchHeader(kOld, 1) + "-" + le32(1) + "x"},
  };
  for (const Case& c : cases) expectRefused(c.patch, c.name);
  for (size_t i = 32; i < 40; ++i) {
    std::string patch = good;
    patch[i] ^= 0x20;
    expectRefused(patch, "magic byte changed");
  }
}

TEST_F(ApplyPatchFile, ReplacesAStaleRebuildFile) {
  folder_.write("target.bin.temp", "stale");
  EXPECT_TRUE(apply(fastPatch(kOld, kOld + kOld)));
  EXPECT_EQ(kOld + kOld, folder_.read("target.bin"));
  EXPECT_FALSE(folder_.exists("target.bin.temp"));
}

TEST_F(ApplyPatchFile, FailsTheSecondTime) {
  std::string patch = fastPatch(kOld, "new" + kOld);
  EXPECT_TRUE(apply(patch));
  EXPECT_FALSE(apply(patch));
  EXPECT_EQ("new" + kOld, folder_.read("target.bin"));
}

TEST_F(ApplyPatchFile, NeverTruncatesAPatchNamedLikeTheRebuildFile) {
  std::string patch = fastPatch(kOld, "new" + kOld);
  folder_.write("target.bin.temp", patch);
  EXPECT_FALSE(applyPatchFile(folder_.path("target.bin"), folder_.path("target.bin.temp"), &err_));
  EXPECT_EQ(patch, folder_.read("target.bin.temp"));
  EXPECT_EQ(kOld, folder_.read("target.bin"));
}

TEST_F(ApplyPatchFile, KeepsAReadOnlyTarget) {
  std::filesystem::permissions(folder_.path("target.bin"), std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::group_read);
  expectRefused(fastPatch(kOld, "new" + kOld), "read-only target");
}

TEST_F(ApplyPatchFile, RefusesAMissingTarget) {
  folder_.write("patch.bin", fastPatch(kOld, kOld));
  EXPECT_FALSE(applyPatchFile(folder_.path("missing.bin"), folder_.path("patch.bin"), &err_));
  EXPECT_FALSE(folder_.exists("missing.bin.temp"));
}

}  // namespace
