#include "variants/texture_folders.h"

#include "cfg/files.h"
#include "cfg/lines.h"
#include "platform/platform.h"

namespace {

bool isDotEntry(const std::string& name) { return name == "." || name == ".."; }

bool servesSomeSection(const std::string& folderName, const std::vector<SourceSection>& sections) {
  size_t dot = folderName.rfind('.');
  std::string suffix = dot == std::string::npos ? "" : folderName.substr(dot + 1);
  for (const SourceSection& section : sections) {
    if (equalsIgnoringCase(section.texture, suffix)) return true;
  }
  return false;
}

bool folderExists(const std::string& folder) {
  std::vector<std::string> names;
  return platform::ListFolder(joinPath(folder, "*.*"), &names);
}

void removeFolderWithFiles(const std::string& folder) {
  deleteFolderFiles(folder);
  platform::RemoveFolder(folder);
}

// Copies the files (not the sub-folders) of `source` into `destination`;
// false when one of them cannot be copied.
bool copyEveryFile(const std::string& destination, const std::string& source) {
  std::vector<std::string> names;
  if (!platform::ListFolder(joinPath(source, "*.*"), &names)) return false;
  for (const std::string& name : names) {
    std::string file = joinPath(source, name);
    if (isDotEntry(name) || !platform::FileExists(file)) continue;
    if (!copyFileBytes(file, joinPath(destination, name))) return false;
  }
  return true;
}

enum class Placement { kCopied, kExisted, kFailed };

// Puts a copy of the shipped folder at `target` whole: the files go into a
// staging folder that is renamed when all are there, so that a run killed
// half way never leaves a partial folder that the next run would take for
// the user's own (and then delete the shipped originals).
Placement placeTextureFolder(const std::string& shipped, const std::string& target) {
  if (folderExists(target)) return Placement::kExisted;
  std::string staging = target + ".fuselox-partial";
  removeFolderWithFiles(staging);
  if (platform::CreateFolder(staging) && copyEveryFile(staging, shipped) &&
      platform::RenameFolder(staging, target)) {
    return Placement::kCopied;
  }
  removeFolderWithFiles(staging);
  return Placement::kFailed;
}

}  // namespace

std::string folderOfPath(const std::string& path) {
  size_t sep = path.find_last_of("\\/");
  return sep == std::string::npos ? path : path.substr(0, sep);
}

std::string lastPathComponent(const std::string& path) {
  size_t sep = path.find_last_of("\\/");
  return sep == std::string::npos ? path : path.substr(sep + 1);
}

bool copyFolderFiles(const std::string& destination, const std::string& source) {
  std::vector<std::string> names;
  if (!platform::ListFolder(joinPath(source, "*.*"), &names)) return false;
  bool ok = true;
  for (const std::string& name : names) {
    if (isDotEntry(name)) continue;
    ok = copyFileBytes(joinPath(source, name), joinPath(destination, name)) && ok;
  }
  return ok;
}

bool deleteFolderFiles(const std::string& folder) {
  std::vector<std::string> names;
  if (!platform::ListFolder(joinPath(folder, "*.*"), &names)) return false;
  for (const std::string& name : names) {
    if (!isDotEntry(name)) platform::RemoveFile(joinPath(folder, name));
  }
  return true;
}

void installTextureFolders(const std::string& sourceFile, const std::string& aircraftFolderPath,
                           const std::vector<SourceSection>& sections, bool deleteShipped) {
  std::string sourceFolder = folderOfPath(sourceFile);
  std::vector<std::string> names;
  if (sections.empty() || !platform::ListFolder(joinPath(sourceFolder, "texture.*"), &names)) {
    return;
  }
  for (const std::string& name : names) {
    if (!servesSomeSection(name, sections)) continue;
    std::string shipped = joinPath(sourceFolder, name);
    std::string target = joinPath(aircraftFolderPath, lastPathComponent(name));
    // A source file inside the aircraft folder ships the aircraft's own
    // folders: nothing to copy, and nothing that may be deleted.
    if (platform::SameExistingFile(shipped, target)) continue;
    // An existing folder is the user's: it is never written into.
    Placement placement = placeTextureFolder(shipped, target);
    // A shipped folder that did not reach the aircraft (a full disk, say)
    // is all the user has of those textures: it stays.
    if (deleteShipped && placement != Placement::kFailed) {
      deleteFolderFiles(shipped);
      platform::RemoveFolder(shipped);
    }
  }
}

void deleteTextureFolder(const std::string& aircraftFolderPath, const std::string& value) {
  if (value.empty() || value == "." || value.find_first_of("\\/") != std::string::npos ||
      value.find("..") != std::string::npos) {
    return;
  }
  std::string folder = joinPath(aircraftFolderPath, "texture." + value);
  deleteFolderFiles(folder);
  platform::RemoveFolder(folder);
}
