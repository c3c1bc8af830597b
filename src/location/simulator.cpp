#include "location/simulator.h"

#include "location/simulators.h"
#include "platform/platform.h"
#include "protocol/request.h"
#include "protocol/result.h"
#include "text/config_text.h"
#include "text/lines.h"
#include "text/text_file.h"

namespace {

bool containsText(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

bool readSimulatorFolder(std::string* out, std::string* err) {
  return readInstallFolder(chosenSimulator(), out, err);
}

bool fsxCfgPath(std::string* out) {
  std::string folder;
  out->clear();
  if (!platform::readRoamingAppDataFolder(&folder)) return false;
  bool endsInSeparator = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
  *out = folder + (endsInSeparator ? "" : "\\") + chosenSimulator().cfgBelowAppData;
  return true;
}

void parseSimObjectsPathLine(const std::string& line, SimObjectsPath* entry,
                             const std::string& simulatorFolder, bool utf8) {
  entry->valid = false;
  size_t eq = line.rfind('=');
  if (line.empty() || eq == std::string::npos || eq == 0) return;
  size_t pos = eq + 1;
  while (pos < line.size() && isWhiteSpace(line[pos])) ++pos;
  if (pos >= line.size()) return;
  std::string value = line.substr(pos);
  // A drive letter makes the value a folder of its own; anything else lies
  // below the simulator folder.
  entry->path = resolveBelow(simulatorFolder, utf8 ? value : platform::pathFromNarrow(value));
  entry->valid = platform::pathLength(entry->path) < kSlotSize;
}

std::vector<SimObjectsPath> parseSimObjectsPaths(const std::string& text,
                                                 const std::string& simulatorFolder, bool utf8) {
  std::vector<SimObjectsPath> paths;
  LineReader reader(text);
  std::string line;
  bool inMain = false;
  while (reader.next(&line)) {
    cutAtLineBreak(&line);
    upperCaseInPlace(&line);
    if (!inMain) {
      inMain = containsText(line, "[MAIN]");
      continue;
    }
    bool endsSection = containsText(line, "[");
    if (containsText(line, "SIMOBJECTPATHS")) {
      paths.emplace_back();
      // The line that ends the section yields no path, but keeps its place.
      if (!endsSection) parseSimObjectsPathLine(line, &paths.back(), simulatorFolder, utf8);
    }
    if (endsSection) break;
  }
  return paths;
}

std::vector<SimObjectsPath> loadSimObjectsPaths(std::string* err) {
  const Simulator& simulator = chosenSimulator();
  if (simulator.cfgBelowAppData == nullptr) return loadPrepar3dContainers(simulator, err);
  std::string cfgPath, simulatorFolder, bytes;
  TextContent content;
  if (!fsxCfgPath(&cfgPath)) {
    *err = "the application-data folder is not known (no AppData shell folder)";
    return {};
  }
  if (!readSimulatorFolder(&simulatorFolder, err)) return {};
  // fsx.cfg keeps its one-byte reading; the Steam Edition's file is decoded.
  bool decoded = &simulator != &simulatorTable()[0];
  if (decoded && platform::readWholeFile(cfgPath, &bytes)) {
    content.text = decodeConfigText(bytes);
  } else if (decoded) {
    *err = "cannot read " + cfgPath;
    return {};
  } else if (!readTextFile(cfgPath, &content, err)) {
    return {};  // the reason names the file
  }
  std::vector<SimObjectsPath> paths = parseSimObjectsPaths(content.text, simulatorFolder, decoded);
  if (paths.empty()) *err = cfgPath + " has no SimObjectPaths line in its [Main] section";
  return paths;
}

int handlePrintPathFsx(const CommandRequest&) {
  std::string folder, err;
  if (!readSimulatorFolder(&folder, &err)) return failWith(err);
  return succeedWith(platform::narrowFromPath(folder) + "\n");
}
