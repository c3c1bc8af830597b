#include "cfg/aircraft_cfg.h"

#include "location/aircraft.h"
#include "text/text_file.h"

bool loadAircraftCfgText(const std::string& aircraftFolder, std::string* text, std::string* err) {
  std::string path;
  TextContent content;
  if (!findAircraftCfg(aircraftFolder, &path, err) || !readTextFile(path, &content, err)) {
    return false;
  }
  *text = std::move(content.text);
  return true;
}
