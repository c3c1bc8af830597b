// Prepar3D lists its aircraft containers in simobjects.cfg and in add-on
// packages (add-ons.cfg entries, discovery folders, add-on.xml components),
// all read here and never written.
#include <algorithm>
#include <set>

#include "location/simulator.h"
#include "location/simulators.h"
#include "protocol/request.h"
#include "protocol/result.h"
#include "text/config_text.h"
#include "text/files.h"

using platform::SpecialFolder;

namespace {

// A package folder as one key, however spelled: letter case, "/" and final
// separators do not make another package.
std::string packageKey(const std::string& folder) {
  std::string key;
  for (char c : folder) key.push_back(c == '/' ? '\\' : platform::upperAscii(c));
  while (!key.empty() && key.back() == '\\') key.pop_back();
  return key;
}

std::string trimmedXml(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t\r\n");
  return begin == std::string::npos
             ? ""
             : text.substr(begin, text.find_last_not_of(" \t\r\n") - begin + 1);
}

// Windows-1252 where it differs from ISO-8859-1 (0x80 to 0x9F); 0: unassigned.
const char16_t kCp1252[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                              0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                              0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                              0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// An add-on.xml as the parser gets it: UTF-8 and UTF-16 as they stand; one
// that declares a one-byte Western encoding (Windows-1252, ISO-8859-1,
// US-ASCII), which XmlLite does not read everywhere, turned into UTF-8
// first, so that both programs read the same documents.
std::string xmlForParser(const std::string& bytes) {
  size_t end = bytes.find("?>");
  if (bytes.compare(0, 5, "<?xml") != 0 || end == std::string::npos) return bytes;
  std::string declaration = bytes.substr(0, end);
  size_t open = declaration.find_first_of("\"'", declaration.find("encoding"));
  size_t close = open == std::string::npos ? open : declaration.find(declaration[open], open + 1);
  bool ascii = std::all_of(declaration.begin(), declaration.end(),
                           [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (declaration.find("encoding") == std::string::npos || close == std::string::npos || !ascii) {
    return bytes;
  }
  std::string name = declaration.substr(open + 1, close - open - 1);
  bool cp1252 = platform::equalsIgnoringAsciiCase(name, "windows-1252");
  if (!cp1252 && !platform::equalsIgnoringAsciiCase(name, "ISO-8859-1") &&
      !platform::equalsIgnoringAsciiCase(name, "US-ASCII")) {
    return bytes;
  }
  std::u16string wide;
  for (char c : bytes) {
    auto byte = static_cast<unsigned char>(c);
    bool mapped = cp1252 && byte >= 0x80 && byte < 0xA0 && kCp1252[byte - 0x80] != 0;
    wide.push_back(mapped ? kCp1252[byte - 0x80] : byte);
  }
  // The declaration is ASCII: it keeps its place in the UTF-8 text.
  return platform::pathFromWide(wide).replace(open + 1, close - open - 1, "UTF-8");
}

// The packages in the order they count: add-ons.cfg [Package.N] entries of
// every file, then the sub-folders of their [DiscoveryPath.N] folders, then
// those of the default discovery folder. A package found twice counts once,
// and one that any file switches off not at all.
std::vector<std::string> findPackages(const Simulator& simulator) {
  AddOnsList list;
  std::string folder, bytes;
  for (int which = 0; which < 3; ++which) {
    bool known = which == 1
                     ? platform::readRoamingAppDataFolder(&folder)
                     : platform::readSpecialFolder(which == 0 ? SpecialFolder::kLocalAppData
                                                              : SpecialFolder::kCommonAppData,
                                                   &folder);
    std::string file = resolveBelow(resolveBelow(folder, simulator.dataFolder), "add-ons.cfg");
    if (known && platform::readWholeFile(file, &bytes)) readAddOnsCfg(bytes, &list);
  }
  std::set<std::string> off, seen;
  for (const std::string& package : list.off) off.insert(packageKey(package));
  if (platform::readSpecialFolder(SpecialFolder::kDocuments, &folder)) {
    list.discovery.push_back(resolveBelow(folder, simulator.addOnsBelowDocuments));
  }
  for (const std::string& parent : list.discovery) {
    std::vector<std::string> names;
    if (!platform::listFolder(resolveBelow(parent, "*"), &names)) continue;
    for (const std::string& name : names) {
      if (platform::isWindowsName(name)) list.packages.push_back(resolveBelow(parent, name));
    }
  }
  std::vector<std::string> kept;
  for (const std::string& package : list.packages) {
    std::string key = packageKey(package);
    if (!off.count(key) && seen.insert(key).second) kept.push_back(package);
  }
  return kept;
}

void addContainer(std::vector<SimObjectsPath>* containers, const std::string& path) {
  SimObjectsPath entry;
  entry.path = path;
  entry.valid = !path.empty() && platform::pathLength(path) < kSlotSize;
  entry.mayBeMissing = true;
  containers->push_back(entry);
}

}  // namespace

void readAddOnsCfg(const std::string& bytes, AddOnsList* list) {
  for (const IniSection& section : parseIni(decodeConfigText(bytes))) {
    std::string path = iniValue(section, "PATH");
    bool inactive = iniFalse(iniValue(section, "ACTIVE"));
    if (path.empty()) continue;
    if (iniSectionIs(section, "Package.")) {
      list->packages.push_back(path);
      if (inactive) list->off.push_back(path);
    } else if (iniSectionIs(section, "DiscoveryPath.") && !inactive) {
      list->discovery.push_back(path);
    }
  }
}

std::vector<std::string> readSimObjectsCfg(const std::string& bytes, const std::string& install) {
  std::vector<std::string> folders;
  for (const IniSection& section : parseIni(decodeConfigText(bytes))) {
    std::string path = iniValue(section, "Path");
    if (iniSectionIs(section, "Entry.") && !path.empty() &&
        !iniFalse(iniValue(section, "Active"))) {
      folders.push_back(resolveBelow(install, path));
    }
  }
  return folders;
}

bool addOnSimObjects(const std::string& xml, const std::string& package,
                     std::vector<std::string>* folders) {
  std::vector<platform::XmlEvent> events;
  if (!platform::readXmlEvents(xmlForParser(xml), &events)) return false;
  // Depth 1 is the document element, 2 a component, 3 its Category or Path.
  int depth = 0;
  std::string field, category, path;
  for (const platform::XmlEvent& event : events) {
    if (event.kind == platform::XmlEvent::kStart) {
      ++depth;
      if (depth == 2) category.clear(), path.clear();
      if (depth == 3) field = event.text;
    } else if (event.kind == platform::XmlEvent::kText && depth == 3) {
      if (platform::equalsIgnoringAsciiCase(field, "Category")) category += event.text;
      if (platform::equalsIgnoringAsciiCase(field, "Path")) path += event.text;
    } else if (event.kind == platform::XmlEvent::kEnd) {
      if (depth == 2 && platform::equalsIgnoringAsciiCase(event.text, "AddOn.Component") &&
          platform::equalsIgnoringAsciiCase(trimmedXml(category), "SimObjects") &&
          !trimmedXml(path).empty()) {
        folders->push_back(resolveBelow(package, trimmedXml(path)));
      }
      --depth;
    }
  }
  return true;
}

std::vector<SimObjectsPath> loadPrepar3dContainers(const Simulator& simulator, std::string* err) {
  std::string install, programData;
  if (!readInstallFolder(simulator, &install, err)) return {};
  std::vector<SimObjectsPath> containers;
  std::string bytes;
  if (platform::readSpecialFolder(SpecialFolder::kCommonAppData, &programData) &&
      platform::readWholeFile(
          resolveBelow(resolveBelow(programData, simulator.dataFolder), "simobjects.cfg"),
          &bytes)) {
    for (const std::string& folder : readSimObjectsCfg(bytes, install)) {
      addContainer(&containers, folder);
    }
  } else {
    addContainer(&containers, resolveBelow(install, "SimObjects\\Airplanes"));
    addContainer(&containers, resolveBelow(install, "SimObjects\\Rotorcraft"));
  }
  for (const std::string& package : findPackages(simulator)) {
    std::string xml, file = resolveBelow(package, "add-on.xml");
    std::vector<std::string> folders;
    if (!platform::readWholeFile(file, &xml)) continue;
    if (!addOnSimObjects(xml, package, &folders)) {
      notePassedOver(file + " is not well-formed XML: its package was passed over");
    }
    for (const std::string& folder : folders) addContainer(&containers, folder);
  }
  if (containers.empty())
    *err = "no SimObjects container is listed for " + std::string(simulator.switchText);
  return containers;
}
