#include "patch/patch_commands.h"

#include <gtest/gtest.h>

#include <string>

#include "patch_test_util.h"
#include "protocol/request.h"
#include "unit/scratch_folder.h"

namespace {

const std::string kOld = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefghijklmnopqrstuvwxyz!?";
const std::string kNew = "new:" + kOld;

struct Outcome {
  int exitCode;
  std::string output;
};

class BinpatchMake : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.write("old.bin", kOld);
    folder_.write("new.bin", kNew);
  }

  // Runs the command on names inside the scratch folder ("" stays empty).
  Outcome make(const std::string& oldName, const std::string& newName,
               const std::string& patchName) {
    CommandRequest request;
    request.command = BINPATCH_MAKE;
    request.paths[kOldFile] = inFolder(oldName);
    request.paths[kNewFile] = inFolder(newName);
    request.paths[kPatchFile] = inFolder(patchName);
    testing::internal::CaptureStdout();
    int exitCode = handleBinpatchMake(request);
    return {exitCode, testing::internal::GetCapturedStdout()};
  }

  std::string inFolder(const std::string& name) const {
    return name.empty() ? name : folder_.path(name);
  }

  ScratchFolder folder_;
};

TEST_F(BinpatchMake, WritesThePatch) {
  Outcome outcome = make("old.bin", "new.bin", "patch.bin");
  EXPECT_EQ(1, outcome.exitCode);
  EXPECT_EQ("NOERROR\n", outcome.output);
  EXPECT_EQ(fastPatch(kOld, kNew), folder_.read("patch.bin"));
  EXPECT_FALSE(folder_.exists("patch.bin.temp"));
}

TEST_F(BinpatchMake, WritesTheHeaderAloneForAnEmptyNewFile) {
  folder_.write("empty.bin", "");
  EXPECT_EQ(1, make("old.bin", "empty.bin", "patch.bin").exitCode);
  EXPECT_EQ(patchHeader(kOld, 0), folder_.read("patch.bin"));
}

TEST_F(BinpatchMake, RefusesBadArgumentsBeforeCreatingAnything) {
  folder_.write("empty.bin", "");
  struct Case {
    const char* oldName;
    const char* newName;
    const char* patchName;
    const char* output;
  } cases[] = {
      {"", "new.bin", "patch.bin", "ERROR\n"},
      {"missing.bin", "new.bin", "patch.bin", "ERROR1\n"},
      {"old.bin", "", "patch.bin", "ERROR\n"},
      {"old.bin", "missing.bin", "patch.bin", "ERROR\n"},
      {"old.bin", "new.bin", "", "ERROR\n"},
      {"old.bin", "OLD.BIN", "patch.bin", "ERROR\n"},
      {"old.bin", "new.bin", "Old.Bin", "ERROR\n"},
      {"old.bin", "new.bin", "NEW.bin", "ERROR\n"},
      {"old.bin", "new.bin", "./old.bin", "ERROR\n"},
      {"empty.bin", "new.bin", "patch.bin", "ERROR\n"},
  };
  for (const Case& c : cases) {
    Outcome outcome = make(c.oldName, c.newName, c.patchName);
    std::string what = std::string(c.oldName) + " " + c.newName + " " + c.patchName;
    EXPECT_EQ(0, outcome.exitCode) << what;
    EXPECT_EQ(c.output, outcome.output) << what;
    EXPECT_EQ(kOld, folder_.read("old.bin")) << what;
    EXPECT_EQ(kNew, folder_.read("new.bin")) << what;
    EXPECT_FALSE(folder_.exists("patch.bin")) << what;
    EXPECT_FALSE(folder_.exists("patch.bin.temp")) << what;
  }
}

TEST_F(BinpatchMake, NeverUsesAnInputAsItsWorkingFile) {
  folder_.write("patch.bin.temp", kOld);
  EXPECT_EQ(0, make("patch.bin.temp", "new.bin", "patch.bin").exitCode);
  EXPECT_EQ(kOld, folder_.read("patch.bin.temp"));
  EXPECT_FALSE(folder_.exists("patch.bin"));
}

TEST_F(BinpatchMake, LeavesAnExistingPatchAloneOnFailure) {
  folder_.write("empty.bin", "");
  folder_.write("patch.bin", "earlier patch");
  EXPECT_EQ(0, make("empty.bin", "new.bin", "patch.bin").exitCode);
  EXPECT_EQ("earlier patch", folder_.read("patch.bin"));
  EXPECT_FALSE(folder_.exists("patch.bin.temp"));
}

TEST_F(BinpatchMake, RefusesFilesTheFormatCannotDescribe) {
  folder_.write("huge.bin", "");
  std::filesystem::resize_file(folder_.path("huge.bin"), uintmax_t{1} << 31);  // sparse
  for (const char* huge : {"old", "new"}) {
    bool oldIsHuge = std::string(huge) == "old";
    Outcome outcome =
        make(oldIsHuge ? "huge.bin" : "old.bin", oldIsHuge ? "new.bin" : "huge.bin", "patch.bin");
    EXPECT_EQ(0, outcome.exitCode) << huge;
    EXPECT_EQ("ERROR\n", outcome.output) << huge;
    EXPECT_FALSE(folder_.exists("patch.bin")) << huge;
  }
}

TEST(BinpatchApply, RefusesMissingArgumentsAndPatches) {
  ScratchFolder folder;
  CommandRequest request;
  request.paths[kAircraftFolder] = "C172";
  request.paths[kParameter] = "model\\c172.mdl";
  request.paths[kPatchFile] = folder.path("missing.patch");
  for (int (*handler)(const CommandRequest&) : {handleBinpatchApply, handleBinpatchApplyToFsx}) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, handler(request));
    EXPECT_EQ("ERROR\n", testing::internal::GetCapturedStdout());
    CommandRequest empty;
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, handler(empty));
    EXPECT_EQ("ERROR\n", testing::internal::GetCapturedStdout());
  }
}

}  // namespace
