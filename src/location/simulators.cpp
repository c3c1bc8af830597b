#include "location/simulators.h"

#include "protocol/result.h"
#include "text/files.h"

using platform::RegistryRoot;

namespace {

size_t chosen = 0;

bool isSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

const std::vector<Simulator>& simulatorTable() {
  static const std::vector<Simulator> table = {
      {"/SIMULATOR_FSX", "Software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0", nullptr,
       RegistryRoot::kLocalMachine32, "Microsoft\\FSX\\fsx.cfg", nullptr, nullptr},
      {"/SIMULATOR_FSX_SE",
       "Software\\Microsoft\\Microsoft Games\\Flight Simulator - Steam Edition\\10.0", nullptr,
       RegistryRoot::kLocalMachine32, "Microsoft\\FSX-SE\\fsx_se.cfg", nullptr, nullptr},
      // Prepar3D v3 is a 32-bit program: its machine key lies in the 32-bit view.
      {"/SIMULATOR_P3D_V3", "Software\\Lockheed Martin\\Prepar3D v3",
       "SOFTWARE\\Lockheed Martin\\Prepar3D v3", RegistryRoot::kLocalMachine32, nullptr,
       "Lockheed Martin\\Prepar3D v3", "Prepar3D v3 Files\\add-ons"},
      {"/SIMULATOR_P3D_V4", "Software\\Lockheed Martin\\Prepar3D v4",
       "SOFTWARE\\Lockheed Martin\\Prepar3D v4", RegistryRoot::kLocalMachine64, nullptr,
       "Lockheed Martin\\Prepar3D v4", "Prepar3D v4 Add-ons"},
      {"/SIMULATOR_P3D_V5", "Software\\Lockheed Martin\\Prepar3D v5",
       "SOFTWARE\\Lockheed Martin\\Prepar3D v5", RegistryRoot::kLocalMachine64, nullptr,
       "Lockheed Martin\\Prepar3D v5", "Prepar3D v5 Add-ons"},
      {"/SIMULATOR_P3D_V6", "Software\\Lockheed Martin\\Prepar3D v6",
       "SOFTWARE\\Lockheed Martin\\Prepar3D v6", RegistryRoot::kLocalMachine64, nullptr,
       "Lockheed Martin\\Prepar3D v6", "Prepar3D v6 Add-ons"},
  };
  return table;
}

void chooseSimulator(size_t index) { chosen = index < simulatorTable().size() ? index : 0; }

const Simulator& chosenSimulator() { return simulatorTable()[chosen]; }

bool readInstallFolder(const Simulator& simulator, std::string* out, std::string* err) {
  bool known =
      platform::readRegistryString(RegistryRoot::kCurrentUser, simulator.userKey, "AppPath", out);
  // An empty AppPath names no folder where another value can.
  if (known && (!out->empty() || simulator.machineKey == nullptr)) return true;
  if (simulator.machineKey != nullptr &&
      platform::readRegistryString(simulator.machineView, simulator.machineKey, "SetupPath", out) &&
      !out->empty()) {
    return true;
  }
  out->clear();
  *err = std::string("the registry value AppPath (HKCU\\") + simulator.userKey + ")" +
         (simulator.machineKey != nullptr
              ? std::string(" and SetupPath (HKLM\\") + simulator.machineKey + ")"
              : std::string()) +
         " is missing: the simulator folder is not known";
  return false;
}

std::string resolveBelow(const std::string& folder, const std::string& path) {
  bool absolute = path.find(':') != std::string::npos ||
                  (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1]));
  if (absolute) return path;
  size_t end = folder.size();
  while (end > 0 && isSeparator(folder[end - 1])) --end;
  return folder.substr(0, end) + "\\" + path;
}

int handleDumpAllSimulators(const CommandRequest&) {
  std::string missing;
  bool printed = false;
  for (const Simulator& simulator : simulatorTable()) {
    std::string folder, err;
    std::vector<std::string> names;
    if (!readInstallFolder(simulator, &folder, &err)) {
      missing += (missing.empty() ? "" : "; ") + err;
    } else if (folder.empty() || !platform::listFolder(joinPath(folder, "*"), &names)) {
      missing += (missing.empty() ? "" : "; ") + std::string(simulator.switchText) +
                 ": the folder " + folder + " does not exist";
    } else {
      printResult(std::string(simulator.switchText) + "\t" + platform::narrowFromPath(folder) +
                  "\n");
      printed = true;
    }
  }
  return printed ? 1 : failSilently("no simulator of the family is installed: " + missing);
}
