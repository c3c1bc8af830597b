#include "cfg/aircraft_cfg.h"

#include "cfg/text_file.h"
#include "cli/result.h"
#include "location/aircraft.h"

bool loadAircraftCfgText(const std::string& aircraftFolder, std::string* text) {
  std::string path, err;
  TextContent content;
  if (!findAircraftCfg(aircraftFolder, CfgAccess::kRead, &path)) return false;
  if (!readTextFile(path, &content, &err)) {
    explain(err);
    return false;
  }
  *text = std::move(content.text);
  return true;
}
