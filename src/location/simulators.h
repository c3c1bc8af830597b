// The simulators of the family: FSX, FSX Steam Edition beside FSX, and
// Prepar3D v3 to v6. They read the same aircraft.cfg but keep their install
// folder and their list of aircraft containers in different places; this
// table says where, so that every command handler sees only "the simulator
// folder" and "the containers". One run works on one simulator, chosen once
// by the front end from the switches (FSX when none is given).
#ifndef FUSELOX_LOCATION_SIMULATORS_H_
#define FUSELOX_LOCATION_SIMULATORS_H_

#include <string>
#include <vector>

#include "platform/platform.h"

struct Simulator {
  const char* switchText;  // "/SIMULATOR_P3D_V5"
  const char* userKey;     // HKCU key of the value AppPath
  // HKLM key of the value SetupPath, read where AppPath is missing; nullptr
  // where no such fallback is relied on.
  const char* machineKey;
  platform::RegistryRoot machineView;
  // The FSX scheme: the configuration file below the roaming application-data
  // folder, whose [Main] SimObjectPaths.N lines list the containers. nullptr
  // for the Prepar3D scheme (simobjects.cfg and add-on packages).
  const char* cfgBelowAppData;
  // Prepar3D: its folder below each application-data folder, and its
  // default add-on discovery folder below Documents.
  const char* dataFolder;
  const char* addOnsBelowDocuments;
};

// In the order of the switches; the first, FSX, is the default.
const std::vector<Simulator>& simulatorTable();

void chooseSimulator(size_t index);
const Simulator& chosenSimulator();

// The simulator's install folder as its registry value holds it (a trailing
// "\" stays). False, with the reason in `err`, when it is not known.
bool readInstallFolder(const Simulator& simulator, std::string* out, std::string* err);

// `path` when it is absolute (a drive letter, or "\\server"), else `path`
// below `folder`, joined with exactly one "\" whatever `folder` ends in.
std::string resolveBelow(const std::string& folder, const std::string& path);

struct SimObjectsPath;

// The containers of a Prepar3D simulator, in the order they are searched:
// simobjects.cfg's entries (or the two default folders), then each add-on
// package's SimObjects components. Empty, with the reason in `err`, when
// the install folder is not known.
std::vector<SimObjectsPath> loadPrepar3dContainers(const Simulator& simulator, std::string* err);

// The folders the [Entry.N] Path= lines of simobjects.cfg (its bytes, in any
// encoding) list below `install`, in file order, those with Active=false left
// out.
std::vector<std::string> readSimObjectsCfg(const std::string& bytes, const std::string& install);

// What one add-ons.cfg (its bytes) lists, appended in file order: its
// [Package.N] folders, those of them marked ACTIVE=false, and its active
// [DiscoveryPath.N] folders.
struct AddOnsList {
  std::vector<std::string> packages, off, discovery;
};
void readAddOnsCfg(const std::string& bytes, AddOnsList* list);

// The SimObjects folders of one add-on.xml, whose package folder is
// `package`. False when the document is not well-formed.
bool addOnSimObjects(const std::string& xml, const std::string& package,
                     std::vector<std::string>* folders);

struct CommandRequest;
int handleDumpAllSimulators(const CommandRequest& request);

#endif  // FUSELOX_LOCATION_SIMULATORS_H_
