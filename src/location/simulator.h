// Where the chosen simulator is (see simulators.h): its folder (from the
// registry) and the SimObjects paths, the containers of its aircraft folders
// (for FSX the [MAIN] section of fsx.cfg under the roaming application-data
// folder). Nothing is cached: every call reads the registry and the files
// afresh.
#ifndef FUSELOX_LOCATION_SIMULATOR_H_
#define FUSELOX_LOCATION_SIMULATOR_H_

#include <string>
#include <vector>

// The simulator folder as stored (a trailing "\" stays). False, with empty
// output and the reason in `err`, when the registry value cannot be read.
bool readSimulatorFolder(std::string* out, std::string* err);

// The application-data folder joined with "Microsoft\FSX\fsx.cfg" (or the
// chosen simulator's own configuration file; no second
// "\" when the folder ends in one). False, with empty output, when the
// folder cannot be had.
bool fsxCfgPath(std::string* out);

struct SimObjectsPath {
  std::string path;
  bool valid = false;
  // A Prepar3D container that does not exist is passed over by listings.
  bool mayBeMissing = false;
};

// One entry per SIMOBJECTPATHS line of fsx.cfg's [MAIN] section, in file
// order; lines that give no path leave an invalid entry in their place.
// Empty, with the reason in `err`, when the simulator folder, fsx.cfg or any
// such line is missing.
std::vector<SimObjectsPath> loadSimObjectsPaths(std::string* err);

// Parses fsx.cfg text (already read in text mode) into the list above, with
// relative values below `simulatorFolder`. The text is one byte per
// character, or UTF-8 where `utf8` says so (decoded configuration files).
std::vector<SimObjectsPath> parseSimObjectsPaths(const std::string& text,
                                                 const std::string& simulatorFolder,
                                                 bool utf8 = false);

// Fills one entry from one line that is already cut and upper-cased.
void parseSimObjectsPathLine(const std::string& line, SimObjectsPath* entry,
                             const std::string& simulatorFolder, bool utf8 = false);

struct CommandRequest;
int handlePrintPathFsx(const CommandRequest& request);

#endif  // FUSELOX_LOCATION_SIMULATOR_H_
