// Reading and editing the aircraft.cfg of an aircraft named by its folder.
#ifndef FUSELOX_CFG_AIRCRAFT_CFG_H_
#define FUSELOX_CFG_AIRCRAFT_CFG_H_

#include <string>

// The text of the named aircraft's aircraft.cfg as text mode reads it.
// False, with the reason in `err`, when it cannot be found or read.
bool loadAircraftCfgText(const std::string& aircraftFolder, std::string* text, std::string* err);

#endif  // FUSELOX_CFG_AIRCRAFT_CFG_H_
