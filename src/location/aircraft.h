// Turning an aircraft folder name into its aircraft.cfg or its folder path.
// An aircraft folder lies directly under one of the SimObjects paths and
// holds aircraft.cfg; the first SimObjects path that holds it wins.
#ifndef FUSELOX_LOCATION_AIRCRAFT_H_
#define FUSELOX_LOCATION_AIRCRAFT_H_

#include <string>

// How aircraft.cfg must be usable for a lookup to pick it.
enum class CfgAccess { kRead, kUpdate };

// The path of the aircraft.cfg of the named aircraft, tested for `access`
// (kUpdate passes over a read-only file). False when not found.
bool findAircraftCfg(const std::string& aircraftFolder, CfgAccess access, std::string* cfgPath);

// The aircraft folder path "<SimObjects path>\<name>\" (always ending in
// "\"), found by a readable aircraft.cfg. False, with `out` unchanged, when no
// SimObjects path holds the name or the joined path does not fit a slot.
bool findAircraftFolder(const std::string& aircraftFolder, std::string* out);

struct CommandRequest;
int handlePrintPathAircraft(const CommandRequest& request);
int handleDumpAllAircraft(const CommandRequest& request);

#endif  // FUSELOX_LOCATION_AIRCRAFT_H_
