#include "location/simulator.h"

#include "platform/platform.h"
#include "protocol/request.h"
#include "protocol/result.h"
#include "text/lines.h"
#include "text/text_file.h"

namespace {

const char kFsxCfgBelowAppData[] = "Microsoft\\FSX\\fsx.cfg";
const char kNoSimulatorFolder[] =
    "the registry value AppPath (HKCU\\Software\\Microsoft\\Microsoft Games\\Flight "
    "Simulator\\10.0) is missing: the simulator folder is not known";

bool containsText(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

bool readSimulatorFolder(std::string* out, std::string* err) {
  if (platform::readSimulatorAppPath(out)) return true;
  *err = kNoSimulatorFolder;
  return false;
}

bool fsxCfgPath(std::string* out) {
  std::string folder;
  out->clear();
  if (!platform::readRoamingAppDataFolder(&folder)) return false;
  bool endsInSeparator = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
  *out = folder + (endsInSeparator ? "" : "\\") + kFsxCfgBelowAppData;
  return true;
}

void parseSimObjectsPathLine(const std::string& line, SimObjectsPath* entry,
                             const std::string& simulatorFolder) {
  entry->valid = false;
  size_t eq = line.rfind('=');
  if (line.empty() || eq == std::string::npos || eq == 0) return;
  size_t pos = eq + 1;
  while (pos < line.size() && isWhiteSpace(line[pos])) ++pos;
  if (pos >= line.size()) return;
  std::string value = line.substr(pos);
  // A drive letter makes the value a folder of its own; anything else lies
  // below the simulator folder, joined exactly as stored.
  std::string path = platform::pathFromNarrow(value);
  entry->path = containsText(value, ":") ? path : simulatorFolder + path;
  entry->valid = platform::pathLength(entry->path) < kSlotSize;
}

std::vector<SimObjectsPath> parseSimObjectsPaths(const std::string& text,
                                                 const std::string& simulatorFolder) {
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
      if (!endsSection) parseSimObjectsPathLine(line, &paths.back(), simulatorFolder);
    }
    if (endsSection) break;
  }
  return paths;
}

std::vector<SimObjectsPath> loadSimObjectsPaths(std::string* err) {
  std::string cfgPath, simulatorFolder;
  TextContent content;
  if (!fsxCfgPath(&cfgPath)) {
    *err = "the application-data folder is not known (no AppData shell folder)";
    return {};
  }
  if (!readSimulatorFolder(&simulatorFolder, err)) return {};
  if (!readTextFile(cfgPath, &content, err)) return {};  // the reason names the file
  std::vector<SimObjectsPath> paths = parseSimObjectsPaths(content.text, simulatorFolder);
  if (paths.empty()) *err = cfgPath + " has no SimObjectPaths line in its [Main] section";
  return paths;
}

int handlePrintPathFsx(const CommandRequest&) {
  std::string folder, err;
  if (!readSimulatorFolder(&folder, &err)) return failWith(err);
  return succeedWith(platform::narrowFromPath(folder) + "\n");
}
