// Applying patches written out by hand, the MD5 that ties a patch to its old
// file, and refusals of the patch commands the end-to-end tests do not reach.
#include "patch/patch_applier.h"

#include <gtest/gtest.h>

#include <map>

#include "patch/patch_commands.h"
#include "patch_test_util.h"
#include "protocol/request.h"
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

// Applies the patch to kOld (beside a stale rebuild file when it should
// apply); the target after.
std::string applied(const std::string& patch, bool expectApplied) {
  ScratchFolder scratch;
  scratch.write("target.bin", kOld);
  if (expectApplied) scratch.write("target.bin.temp", "stale");
  scratch.write("patch.bin", patch);
  std::string err;
  EXPECT_EQ(expectApplied,
            applyPatchFile(scratch.path("target.bin"), scratch.path("patch.bin"), &err));
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
  for (const auto& c : cases) EXPECT_EQ(c.second, applied(c.first, true));
}

// Bounds the end-to-end tests do not probe (the fuzzer probes them only in CI).
TEST(ApplyPatchFile, RefusesBadPatchesAndKeepsTheTarget) {
  std::string good = patchHeader(kOld, 30) + literalRecord("xx") + copyOf(0, 28);
  const std::string cases[] = {
      good.substr(0, good.size() - 1),                                 // cut within a copy
      patchHeader(kOld, 1) + literalRecord("ab"),                      // more than the new size
      patchHeader(kOld, 24) + copyRecord(65, 24, 0),                   // offset beyond the old size
      patchHeader(kOld, 24) + copyRecord(0xFFFFFFFF, 24, 0),           // negative offset
      patchHeader(kOld, 30) + copyOf(50, 14) + copyRecord(50, 16, 0),  // past the old size
      patchHeader(kOld, 0) + copyRecord(0, 0, 0),
      patchHeader(kOld, 0x80000000u) + literalRecord(""),  // new size of 2^31 or more
  };
  for (const std::string& patch : cases) EXPECT_EQ(kOld, applied(patch, false));
  // Neither a missing patch nor one the rebuild file would truncate.
  ScratchFolder scratch;
  scratch.write("target.bin", kOld);
  scratch.write("target.bin.temp", good);
  std::string err;
  EXPECT_FALSE(applyPatchFile(scratch.path("target.bin"), scratch.path("none.bin"), &err));
  EXPECT_FALSE(applyPatchFile(scratch.path("target.bin"), scratch.path("target.bin.temp"), &err));
  EXPECT_EQ(good, scratch.read("target.bin.temp"));
  EXPECT_EQ(kOld, scratch.read("target.bin"));
}

// Refusals the end-to-end tests do not reach: each changes nothing.
TEST(BinpatchMake, RefusesBadArgumentsAndChangesNothing) {
  ScratchFolder scratch;
  auto make = [&scratch](const std::vector<std::string>& names) {
    CommandRequest request;
    for (int i = 0; i < 3; ++i)
      request.paths[kOldFile + i] = names[i].empty() ? "" : scratch.path(names[i]);
    testing::internal::CaptureStdout();
    int exitCode = handleBinpatchMake(request);
    return testing::internal::GetCapturedStdout() + std::to_string(exitCode);
  };
  auto files = [&scratch] {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(scratch.path(""))) {
      std::string name = entry.path().filename().string();
      if (entry.is_regular_file()) files[name] = scratch.read(name);
    }
    return files;
  };
  for (const char* name : {"old.bin", "new.bin", "patch.bin", "patch.bin.temp"}) {
    scratch.write(name, std::string(100, *name));
  }
  std::filesystem::create_directory(scratch.path("big"));
  scratch.write("big/huge.bin", "");
  std::filesystem::resize_file(scratch.path("big/huge.bin"), uintmax_t{1} << 31);  // sparse
  const std::vector<std::string> cases[] = {
      {"", "new.bin", "patch.bin"},
      {"old.bin", "", "patch.bin"},
      {"old.bin", "new.bin", ""},
      {"old.bin", "new.bin", "Old.Bin"},
      {"patch.bin.temp", "new.bin", "patch.bin"},  // an input as the working file
      {"big/huge.bin", "new.bin", "p.bin"},
      {"old.bin", "big/huge.bin", "p.bin"},
  };
  std::map<std::string, std::string> before = files();
  for (const auto& names : cases) {
    EXPECT_EQ("ERROR\n0", make(names)) << names[0] << " " << names[1] << " " << names[2];
    EXPECT_EQ(before, files()) << names[0] << " " << names[1] << " " << names[2];
  }
  // An empty new file gives the header alone.
  scratch.write("empty.bin", "");
  EXPECT_EQ("NOERROR\n1", make({"old.bin", "empty.bin", "p.bin"}));
  EXPECT_EQ(patchHeader(std::string(100, 'o'), 0), scratch.read("p.bin"));
}

}  // namespace
