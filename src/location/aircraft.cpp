#include "location/aircraft.h"

#include <cstdio>
#include <vector>

#include "location/simulator.h"
#include "platform/platform.h"
#include "protocol/request.h"
#include "protocol/result.h"
#include "text/files.h"

namespace {

bool opensFor(const std::string& path, CfgAccess access) {
  if (access == CfgAccess::kUpdate && platform::IsReadOnlyFile(path)) return false;
  FILE* file = platform::OpenForReading(path);
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

// The SimObjects path that holds the named aircraft, or nullptr.
const SimObjectsPath* findHoldingPath(const std::vector<SimObjectsPath>& paths,
                                      const std::string& aircraftFolder, CfgAccess access) {
  for (const SimObjectsPath& entry : paths) {
    if (!entry.valid) continue;
    std::string candidate = joinPath(joinPath(entry.path, aircraftFolder), "aircraft.cfg");
    if (platform::PathLength(candidate) < kSlotSize && opensFor(candidate, access)) return &entry;
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

}  // namespace

bool findAircraftCfg(const std::string& aircraftFolder, CfgAccess access, std::string* cfgPath) {
  std::vector<SimObjectsPath> paths = loadSimObjectsPaths();
  const SimObjectsPath* holder = findHoldingPath(paths, aircraftFolder, access);
  if (holder == nullptr) {
    explain("aircraft folder \"" + aircraftFolder + "\" not found under " + searchedPaths(paths));
    return false;
  }
  *cfgPath = joinPath(joinPath(holder->path, aircraftFolder), "aircraft.cfg");
  return true;
}

bool findAircraftFolder(const std::string& aircraftFolder, std::string* out) {
  std::vector<SimObjectsPath> paths = loadSimObjectsPaths();
  const SimObjectsPath* holder = findHoldingPath(paths, aircraftFolder, CfgAccess::kRead);
  if (holder == nullptr) {
    explain("aircraft folder \"" + aircraftFolder + "\" not found under " + searchedPaths(paths));
    return false;
  }
  std::string folder = holder->path + "\\" + aircraftFolder + "\\";
  if (platform::PathLength(folder) >= kSlotSize) return false;
  *out = folder;
  return true;
}

int handlePrintPathAircraft(const CommandRequest& request) {
  std::string folder;
  if (request.aircraftFolder().empty()) return failWith("no aircraft folder name given");
  if (!findAircraftFolder(request.aircraftFolder(), &folder)) return failWith("");
  printResult(platform::NarrowFromPath(folder) + "\n");
  return 1;
}

int handleDumpAllAircraft(const CommandRequest&) {
  std::vector<SimObjectsPath> paths = loadSimObjectsPaths();
  if (paths.empty()) {
    explain("no SimObjects path: check the registry value AppPath and fsx.cfg's [MAIN] section");
    return 0;
  }
  for (const SimObjectsPath& entry : paths) {
    if (!entry.valid) continue;
    std::vector<std::string> names;
    if (!platform::ListFolder(joinPath(entry.path, "*.*"), &names)) {
      explain("cannot list the SimObjects folder " + entry.path);
      return 0;
    }
    for (const std::string& name : names) {
      if (name == "." || name == "..") continue;
      std::string candidate = joinPath(joinPath(entry.path, name), "aircraft.cfg");
      if (platform::PathLength(candidate) < kSlotSize && opensFor(candidate, CfgAccess::kRead)) {
        printResult(platform::NarrowFromPath(name) + "\n");
      }
    }
  }
  return 1;
}
