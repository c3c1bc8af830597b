#include "location/aircraft.h"

#include <cstdio>
#include <vector>

#include "location/simulator.h"
#include "platform/platform.h"
#include "protocol/request.h"
#include "protocol/result.h"
#include "text/files.h"

namespace {

bool opens(const std::string& path) {
  FILE* file = platform::openForReading(path);
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

// The SimObjects path that holds the named aircraft, or nullptr.
const SimObjectsPath* findHoldingPath(const std::vector<SimObjectsPath>& paths,
                                      const std::string& aircraftFolder) {
  for (const SimObjectsPath& entry : paths) {
    if (!entry.valid) continue;
    std::string candidate = joinPath(joinPath(entry.path, aircraftFolder), "aircraft.cfg");
    if (platform::pathLength(candidate) < kSlotSize && opens(candidate)) return &entry;
  }
  return nullptr;
}

std::string searchedPaths(const std::vector<SimObjectsPath>& paths) {
  std::string list;
  for (const SimObjectsPath& entry : paths) {
    if (entry.valid) list += (list.empty() ? "" : ", ") + entry.path;
  }
  return list.empty() ? "no SimObjects path in fsx.cfg" : list;
}

// The SimObjects path holding the aircraft; nullptr with the reason in `err`.
const SimObjectsPath* locate(const std::vector<SimObjectsPath>& paths,
                             const std::string& aircraftFolder, std::string* err) {
  const SimObjectsPath* holder = findHoldingPath(paths, aircraftFolder);
  if (holder == nullptr && !paths.empty()) {
    *err = "aircraft folder \"" + aircraftFolder + "\" not found under " + searchedPaths(paths);
  }
  return holder;
}

}  // namespace

bool findAircraftCfg(const std::string& aircraftFolder, std::string* cfgPath, std::string* err) {
  std::vector<SimObjectsPath> paths = loadSimObjectsPaths(err);
  const SimObjectsPath* holder = locate(paths, aircraftFolder, err);
  if (holder == nullptr) return false;
  *cfgPath = joinPath(joinPath(holder->path, aircraftFolder), "aircraft.cfg");
  return true;
}

bool findAircraftFolder(const std::string& aircraftFolder, std::string* out, std::string* err) {
  std::vector<SimObjectsPath> paths = loadSimObjectsPaths(err);
  const SimObjectsPath* holder = locate(paths, aircraftFolder, err);
  if (holder == nullptr) return false;
  std::string folder = holder->path + "\\" + aircraftFolder + "\\";
  if (platform::pathLength(folder) >= kSlotSize) {
    *err = "the aircraft folder path is too long";
    return false;
  }
  *out = folder;
  return true;
}

int handlePrintPathAircraft(const CommandRequest& request) {
  std::string folder, err;
  if (request.aircraftFolder().empty()) return failWith("no aircraft folder name given");
  if (!findAircraftFolder(request.aircraftFolder(), &folder, &err)) return failWith(err);
  return succeedWith(platform::narrowFromPath(folder) + "\n");
}

int handleDumpAllAircraft(const CommandRequest&) {
  std::string err;
  std::vector<SimObjectsPath> paths = loadSimObjectsPaths(&err);
  if (paths.empty()) return failSilently(err);
  for (const SimObjectsPath& entry : paths) {
    if (!entry.valid) continue;
    std::vector<std::string> names;
    if (!platform::listFolder(joinPath(entry.path, "*.*"), &names)) {
      if (entry.mayBeMissing) continue;
      return failSilently("cannot list the SimObjects folder " + entry.path);
    }
    for (const std::string& name : names) {
      if (!platform::isWindowsName(name))
        continue;  // "." and "..", and host names Windows cannot reach
      std::string candidate = joinPath(joinPath(entry.path, name), "aircraft.cfg");
      if (platform::pathLength(candidate) < kSlotSize && opens(candidate)) {
        printResult(platform::narrowFromPath(name) + "\n");
      }
    }
  }
  return 1;
}
