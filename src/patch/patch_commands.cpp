#include "patch/patch_commands.h"

#include <cstdio>
#include <memory>
#include <string>

#include "location/aircraft.h"
#include "location/simulator.h"
#include "patch/names.h"
#include "patch/patch_applier.h"
#include "patch/patch_maker.h"
#include "platform/platform.h"
#include "protocol/request.h"
#include "protocol/result.h"

namespace {

bool opensForReading(const std::string& path) {
  FILE* file = platform::OpenForReading(path);
  if (file == nullptr) return false;
  fclose(file);
  return true;
}

// The patch must not overwrite either input, however its path is spelled,
// nor may its working file.
bool patchPathIsFree(const CommandRequest& request) {
  const std::string& patch = request.patchFile();
  std::string working = patchWorkingPath(patch);
  for (const std::string* input : {&request.oldFile(), &request.newFile()}) {
    if (sameNameIgnoringCase(patch, *input) || platform::SameExistingFile(patch, *input) ||
        sameNameIgnoringCase(working, *input) || platform::SameExistingFile(working, *input)) {
      return false;
    }
  }
  return true;
}

int reportSuccess() {
  printResult("NOERROR\n");
  return 1;
}

// Applies the patch to "<folder>\<relative path>", as the command gave them.
int applyBeneath(const std::string& folder, const CommandRequest& request) {
  std::string target = folder + "\\" + request.relativePath();
  if (platform::PathLength(rebuildPath(target)) >= kSlotSize) {
    return failWith("target path too long");
  }
  // The same lock as the aircraft.cfg editors take, so that a CHANGE and a
  // patch of one file never both read the old version.
  size_t separator = target.find_last_of("\\/");
  std::unique_ptr<platform::FolderLock> lock =
      platform::LockFolder(target.substr(0, separator + 1));
  if (!lock) return failWith("cannot lock the folder of " + target);
  if (!opensForReading(target)) return failWith(target + ": cannot be opened");
  if (!applyPatchFile(target, request.patchFile())) return failWith("");
  return reportSuccess();
}

bool applyArgumentsGiven(const CommandRequest& request) {
  return !request.relativePath().empty() && !request.patchFile().empty();
}

}  // namespace

int handleBinpatchMake(const CommandRequest& request) {
  if (request.oldFile().empty()) return failWith("no old file given");
  if (!opensForReading(request.oldFile())) {
    printResult("ERROR1\n");
    explain(request.oldFile() + ": cannot be opened");
    return 0;
  }
  if (request.newFile().empty() || !opensForReading(request.newFile())) {
    if (!request.newFile().empty()) explain(request.newFile() + ": cannot be opened");
    return failWith("the new file cannot be opened");
  }
  if (request.patchFile().empty()) return failWith("no patch file given");
  if (sameNameIgnoringCase(request.oldFile(), request.newFile()) || !patchPathIsFree(request)) {
    return failWith("the patch, old and new files must be three different files");
  }
  if (!makePatchFile(request.patchFile(), request.oldFile(), request.newFile())) {
    return failWith("");
  }
  return reportSuccess();
}

int handleBinpatchApply(const CommandRequest& request) {
  if (request.aircraftFolder().empty() || !applyArgumentsGiven(request)) {
    return failWith("missing argument");
  }
  if (!opensForReading(request.patchFile())) {
    explain(request.patchFile() + ": the patch cannot be opened");
    return failWith("the patch cannot be opened");
  }
  std::string folder;
  if (!findAircraftFolder(request.aircraftFolder(), &folder)) {
    return failWith(request.aircraftFolder() + ": no such aircraft folder");
  }
  return applyBeneath(folder, request);
}

int handleBinpatchApplyToFsx(const CommandRequest& request) {
  if (!applyArgumentsGiven(request)) return failWith("missing argument");
  if (!opensForReading(request.patchFile())) {
    explain(request.patchFile() + ": the patch cannot be opened");
    return failWith("the patch cannot be opened");
  }
  std::string folder;
  if (!readSimulatorFolder(&folder)) return failWith("the simulator folder is not known");
  return applyBeneath(folder, request);
}
