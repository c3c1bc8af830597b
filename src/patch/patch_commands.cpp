#include "patch/patch_commands.h"

#include <cstdio>
#include <memory>
#include <string>

#include "location/aircraft.h"
#include "location/simulator.h"
#include "patch/patch_applier.h"
#include "patch/patch_maker.h"
#include "platform/platform.h"
#include "protocol/request.h"
#include "protocol/result.h"

namespace {

bool opensForReading(const std::string& path) {
  FILE* file = platform::openForReading(path);
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
    if (platform::equalsIgnoringAsciiCase(patch, *input) ||
        platform::sameExistingFile(patch, *input) ||
        platform::equalsIgnoringAsciiCase(working, *input) ||
        platform::sameExistingFile(working, *input)) {
      return false;
    }
  }
  return true;
}

// Applies the patch to "<folder>\<relative path>", as the command gave them.
// The path must stay inside the folder once "." and ".." are resolved: a
// patch never reaches another aircraft or the user's settings.
int applyBeneath(const std::string& folder, const CommandRequest& request) {
  std::string inside;
  if (!platform::resolveInside(request.relativePath(), &inside)) {
    return failWith("\"" + request.relativePath() + "\" is no path inside " + folder);
  }
  std::string target = folder + "\\" + inside;
  if (platform::pathLength(rebuildPath(target)) >= kSlotSize) {
    return failWith("target path too long");
  }
  // Said before the lock, which needs the file's folder.
  if (platform::inspect(target) == platform::EntryKind::kMissing) {
    return failWith(target + ": the file to patch does not exist");
  }
  // The same lock as the aircraft.cfg editors take, so that a CHANGE and a
  // patch of one file never both read the old version.
  size_t separator = target.find_last_of("\\/");
  std::unique_ptr<platform::FolderLock> lock =
      platform::lockFolder(target.substr(0, separator + 1));
  if (!lock) return failWith("cannot lock the folder of " + target);
  if (!opensForReading(target)) return failWith(target + ": cannot be opened");
  std::string err;
  if (!applyPatchFile(target, request.patchFile(), &err)) return failWith(err);
  return succeedWith("NOERROR\n");
}

bool applyArgumentsGiven(const CommandRequest& request) {
  return !request.relativePath().empty() && !request.patchFile().empty();
}

}  // namespace

int handleBinpatchMake(const CommandRequest& request) {
  if (request.oldFile().empty()) return failWith("no old file given");
  if (!opensForReading(request.oldFile())) {
    printResult("ERROR1\n");
    return failSilently(request.oldFile() + ": cannot be opened");
  }
  if (request.newFile().empty()) return failWith("no new file given");
  if (!opensForReading(request.newFile()))
    return failWith(request.newFile() + ": cannot be opened");
  if (request.patchFile().empty()) return failWith("no patch file given");
  if (platform::equalsIgnoringAsciiCase(request.oldFile(), request.newFile()) ||
      !patchPathIsFree(request)) {
    return failWith("the patch, old and new files must be three different files");
  }
  std::string err;
  if (!makePatchFile(request.patchFile(), request.oldFile(), request.newFile(), &err)) {
    return failWith(err);
  }
  return succeedWith("NOERROR\n");
}

int handleBinpatchApply(const CommandRequest& request) {
  if (request.aircraftFolder().empty() || !applyArgumentsGiven(request)) {
    return failWith("an argument is empty");
  }
  if (!opensForReading(request.patchFile())) {
    return failWith(request.patchFile() + ": the patch cannot be opened");
  }
  std::string folder, err;
  if (!findAircraftFolder(request.aircraftFolder(), &folder, &err)) return failWith(err);
  return applyBeneath(folder, request);
}

int handleBinpatchApplyToFsx(const CommandRequest& request) {
  if (!applyArgumentsGiven(request)) return failWith("an argument is empty");
  if (!opensForReading(request.patchFile())) {
    return failWith(request.patchFile() + ": the patch cannot be opened");
  }
  std::string folder, err;
  if (!readSimulatorFolder(&folder, &err)) return failWith(err);
  return applyBeneath(folder, request);
}
