// Turning an aircraft folder name into its aircraft.cfg or its folder path.
// An aircraft folder lies directly under one of the SimObjects paths and
// holds aircraft.cfg; the first SimObjects path that holds it wins.
#ifndef FUSELOX_LOCATION_AIRCRAFT_H_
#define FUSELOX_LOCATION_AIRCRAFT_H_

#include <string>

// The path of the readable aircraft.cfg of the named aircraft. False, with
// the reason in `err`, when not found.
bool findAircraftCfg(const std::string& aircraftFolder, std::string* cfgPath, std::string* err);

// The aircraft folder path "<SimObjects path>\<name>\" (always ending in
// "\"), found by a readable aircraft.cfg. False, with `out` unchanged and the
// reason in `err`, when no SimObjects path holds the name or the joined path
// does not fit a slot.
bool findAircraftFolder(const std::string& aircraftFolder, std::string* out, std::string* err);

struct CommandRequest;
int handlePrintPathAircraft(const CommandRequest& request);
int handleDumpAllAircraft(const CommandRequest& request);

#endif  // FUSELOX_LOCATION_AIRCRAFT_H_
