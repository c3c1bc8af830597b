// Where the simulator is: its folder (from the registry), the path of its
// fsx.cfg (under the roaming application-data folder) and the SimObjects
// paths that fsx.cfg's [MAIN] section names. Nothing is cached: every call
// reads the registry and fsx.cfg afresh.
#ifndef FUSELOX_LOCATION_SIMULATOR_H_
#define FUSELOX_LOCATION_SIMULATOR_H_

#include <string>
#include <vector>

// The simulator folder as stored (a trailing "\" stays). False, with empty
// output and the reason in `err`, when the registry value cannot be read.
bool readSimulatorFolder(std::string* out, std::string* err);

// The application-data folder joined with "Microsoft\FSX\fsx.cfg" (no second
// "\" when the folder ends in one). False, with empty output, when the
// folder cannot be had.
bool fsxCfgPath(std::string* out);

struct SimObjectsPath {
  std::string path;
  bool valid = false;
};

// One entry per SIMOBJECTPATHS line of fsx.cfg's [MAIN] section, in file
// order; lines that give no path leave an invalid entry in their place.
// Empty, with the reason in `err`, when the simulator folder, fsx.cfg or any
// such line is missing.
std::vector<SimObjectsPath> loadSimObjectsPaths(std::string* err);

// Parses fsx.cfg text (already read in text mode) into the list above, with
// `simulatorFolder` put before relative values.
std::vector<SimObjectsPath> parseSimObjectsPaths(const std::string& text,
                                                 const std::string& simulatorFolder);

// Fills one entry from one line that is already cut and upper-cased.
void parseSimObjectsPathLine(const std::string& line, SimObjectsPath* entry,
                             const std::string& simulatorFolder);

struct CommandRequest;
int handlePrintPathFsx(const CommandRequest& request);

#endif  // FUSELOX_LOCATION_SIMULATOR_H_
