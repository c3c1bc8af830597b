#include "cfg/aircraft_cfg.h"

#include "location/aircraft.h"
#include "protocol/result.h"
#include "text/text_file.h"

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
