#include "variants/texture_folders.h"

#include <set>

#include "text/files.h"

namespace {

using platform::EntryKind;
using platform::Folder;

bool isDotEntry(const std::string& name) { return name == "." || name == ".."; }

// The texture value a listed folder name serves: everything after
// "texture."; empty for "texture" alone. False for any other name.
bool servedValue(const std::string& folderName, std::string* value) {
  static const std::string kPrefix = "texture.";
  if (platform::equalsIgnoringAsciiCase(folderName, "texture")) {
    value->clear();
    return true;
  }
  if (folderName.size() <= kPrefix.size() ||
      !platform::equalsIgnoringAsciiCase(folderName.substr(0, kPrefix.size()), kPrefix)) {
    return false;
  }
  *value = folderName.substr(kPrefix.size());
  return true;
}

bool servesSomeSection(const std::string& folderName, const std::vector<SourceSection>& sections) {
  std::string value;
  if (!servedValue(folderName, &value)) return false;
  for (const SourceSection& section : sections) {
    if (platform::equalsIgnoringAsciiCase(platform::pathFromNarrow(section.texture), value)) {
      return true;
    }
  }
  return false;
}

// Deletes the entry `name` of `parent`: a link itself, or a folder's files
// and then the folder. Sub-folders stay (and keep the folder).
void removeFolderWithFiles(Folder* parent, const std::string& name) {
  EntryKind kind = parent->inspect(name);
  if (kind == EntryKind::kLink) {
    parent->removeFolder(name);
    return;
  }
  std::unique_ptr<Folder> folder = kind == EntryKind::kFolder ? parent->openFolder(name) : nullptr;
  std::vector<std::string> names;
  if (folder == nullptr || !folder->list("*.*", &names)) return;
  for (const std::string& entry : names) {
    if (!isDotEntry(entry) && folder->inspect(entry) != EntryKind::kFolder) {
      folder->removeFile(entry);
    }
  }
  parent->removeFolder(name);
}

// The files (not the sub-folders) of a shipped folder, each checked before
// anything is written: a link or other non-file has its content elsewhere,
// and a name Windows cannot hold would not be the same file to the
// simulator.
bool shippedFiles(Folder* shipped, const std::string& where, std::vector<std::string>* files,
                  std::string* err) {
  std::vector<std::string> names;
  if (!shipped->list("*.*", &names)) {
    *err = "cannot list " + where;
    return false;
  }
  for (const std::string& name : names) {
    EntryKind kind = shipped->inspect(name);
    if (isDotEntry(name) || kind == EntryKind::kFolder) continue;
    if (!platform::isWindowsName(name)) {
      *err = "\"" + name + "\" in " + where + " is no Windows file name: nothing is copied";
      return false;
    }
    if (kind != EntryKind::kFile) {
      *err =
          joinPath(where, name) + " is a link or no regular file: the texture folder is not copied";
      return false;
    }
    files->push_back(name);
  }
  return true;
}

// Puts a copy of the shipped folder under `name` whole: the files go into a
// staging folder that is renamed when all are there and on disk, so that a
// run killed half way never leaves a partial folder that the next run would
// take for the user's own. The staging folder is new, so each file is
// created in it directly by its name.
bool placeTextureFolder(Folder* aircraft, Folder* shipped, const std::string& name,
                        const std::vector<std::string>& files, std::string* err) {
  std::string staging = name + ".fuselox-partial";
  removeFolderWithFiles(aircraft, staging);
  std::unique_ptr<Folder> target =
      aircraft->createFolder(staging) ? aircraft->openFolder(staging) : nullptr;
  if (target == nullptr) {
    *err = "cannot create " + staging + " in the aircraft folder";
    return false;
  }
  bool ok = true;
  for (size_t i = 0; ok && i < files.size(); ++i) {
    ok = copyAndClose(shipped->openForReading(files[i]), target->createNewFile(files[i]), false);
    if (!ok) *err = "cannot copy " + name + "\\" + files[i] + " (disk full?)";
  }
  // Every file on disk before the rename: flushed together, after all are
  // written, which costs the system far less than a flush after each.
  for (size_t i = 0; ok && i < files.size(); ++i) {
    ok = target->syncFile(files[i]);
    if (!ok) *err = "cannot flush " + name + "\\" + files[i] + " to disk";
  }
  ok = ok && target->sync();
  if (ok && !aircraft->rename(staging, name)) {
    ok = false;
    *err = "cannot rename " + staging + " to " + name;
  }
  if (!ok) removeFolderWithFiles(aircraft, staging);
  return ok;
}

}  // namespace

std::string folderOfPath(const std::string& path) {
  size_t sep = path.find_last_of("\\/");
  return sep == std::string::npos ? "." : path.substr(0, sep);
}

bool placeTextureFolders(const std::string& sourceFile, const std::string& aircraftFolderPath,
                         const std::vector<SourceSection>& sections, TexturePlacement* placement,
                         std::string* err) {
  std::string sourceFolder = folderOfPath(sourceFile);
  placement->source = platform::openFolder(sourceFolder);
  placement->aircraft = platform::openFolder(aircraftFolderPath);
  Folder* source = placement->source.get();
  Folder* aircraft = placement->aircraft.get();
  std::vector<std::string> names;
  if (sections.empty() || source == nullptr || !source->list("texture*", &names)) return true;
  if (aircraft == nullptr) {
    *err = "cannot open the aircraft folder " + aircraftFolderPath;
    return false;
  }
  // Every shipped folder and file is checked before the first is copied.
  struct Shipped {
    std::string name;
    std::unique_ptr<Folder> folder;
    std::vector<std::string> files;
  };
  std::vector<Shipped> wanted;
  // A source file inside the aircraft folder ships the aircraft's own
  // folders: nothing to copy, and nothing that may be deleted.
  if (platform::sameExistingFile(sourceFolder, aircraftFolderPath)) return true;
  for (const std::string& name : names) {
    if (!servesSomeSection(name, sections)) continue;
    std::string where = joinPath(sourceFolder, name);
    EntryKind kind = source->inspect(name);
    if (kind == EntryKind::kLink) {
      *err = where + " is a link: the texture folder is not copied";
      return false;
    }
    if (kind != EntryKind::kFolder) continue;
    if (!platform::isWindowsName(name)) {
      *err = "\"" + name + "\" is no Windows folder name: nothing is copied";
      return false;
    }
    Shipped entry{name, source->openFolder(name), {}};
    if (entry.folder == nullptr) {
      *err = "cannot open " + where;
      return false;
    }
    if (!shippedFiles(entry.folder.get(), where, &entry.files, err)) return false;
    wanted.push_back(std::move(entry));
  }
  // The aircraft folder is listed once; Windows takes names alike when
  // they differ only in letter case or final dots and spaces.
  std::vector<std::string> present;
  std::set<std::string> taken;
  if (!wanted.empty() && aircraft->list("*", &present)) {
    for (const std::string& name : present) taken.insert(platform::folderKeyOfName(name));
  }
  for (Shipped& entry : wanted) {
    if (!taken.insert(platform::folderKeyOfName(entry.name)).second) {
      placement->shipped.push_back(entry.name);
      continue;
    }
    if (!placeTextureFolder(aircraft, entry.folder.get(), entry.name, entry.files, err)) {
      removeCreatedFolders(*placement);
      return false;
    }
    placement->created.push_back(entry.name);
    placement->shipped.push_back(entry.name);
  }
  aircraft->sync();
  return true;
}

void removeCreatedFolders(const TexturePlacement& placement) {
  for (const std::string& name : placement.created) {
    removeFolderWithFiles(placement.aircraft.get(), name);
  }
}

void deleteShippedFolders(const TexturePlacement& placement) {
  for (const std::string& name : placement.shipped) {
    removeFolderWithFiles(placement.source.get(), name);
  }
}

std::string textureFolderKey(const std::string& value) {
  return platform::folderKeyOfName("texture." + platform::pathFromNarrow(value));
}

namespace {

// The aircraft folder and the name of its texture folder of `value` (the
// name as written when it exists, else the one Windows would take); an
// empty name when there is none or the value could reach another folder.
std::string findTextureFolder(const std::string& aircraftFolderPath, const std::string& value,
                              std::unique_ptr<Folder>* aircraft) {
  // An empty value (or dots and spaces) would name the aircraft's own
  // "texture" folder.
  if (value.find_first_of("\\/") != std::string::npos || value.find("..") != std::string::npos ||
      textureFolderKey(value) == "TEXTURE") {
    return "";
  }
  std::string exact = "texture." + platform::pathFromNarrow(value);
  *aircraft = platform::openFolder(aircraftFolderPath);
  std::vector<std::string> names;
  if (*aircraft == nullptr || !(*aircraft)->list("texture*", &names)) return "";
  std::string found;
  for (const std::string& name : names) {
    if (name == exact) found = name;
    if (found.empty() && !isDotEntry(name) &&
        platform::folderKeyOfName(name) == textureFolderKey(value)) {
      found = name;
    }
  }
  return found;
}

}  // namespace

bool textureFolderRemovable(const std::string& aircraftFolderPath, const std::string& value,
                            std::string* err) {
  std::unique_ptr<Folder> aircraft;
  std::string name = findTextureFolder(aircraftFolderPath, value, &aircraft);
  std::unique_ptr<Folder> folder;
  std::vector<std::string> entries;
  if (name.empty() || aircraft->inspect(name) != EntryKind::kFolder ||
      (folder = aircraft->openFolder(name)) == nullptr || !folder->list("*.*", &entries)) {
    return true;  // nothing there, or a link that goes itself
  }
  for (const std::string& entry : entries) {
    if (!isDotEntry(entry) && folder->inspect(entry) == EntryKind::kOther) {
      *err = name + "\\" + entry + " cannot be told from a link, or is no regular file";
      return false;
    }
  }
  return true;
}

void deleteTextureFolder(const std::string& aircraftFolderPath, const std::string& value) {
  std::unique_ptr<Folder> aircraft;
  std::string name = findTextureFolder(aircraftFolderPath, value, &aircraft);
  if (!name.empty()) removeFolderWithFiles(aircraft.get(), name);
}
