#include "variants/texture_folders.h"

#include "platform/platform.h"
#include "text/files.h"
#include "text/lines.h"

namespace {

bool isDotEntry(const std::string& name) { return name == "." || name == ".."; }

// `folderName` is a listed name (a path); texture values are narrow text.
bool servesSomeSection(const std::string& folderName, const std::vector<SourceSection>& sections) {
  size_t dot = folderName.rfind('.');
  std::string suffix = dot == std::string::npos ? "" : folderName.substr(dot + 1);
  for (const SourceSection& section : sections) {
    if (platform::equalsIgnoringAsciiCase(platform::pathFromNarrow(section.texture), suffix))
      return true;
  }
  return false;
}

// Deletes a folder's files and then the folder. A link, as the folder or
// inside it, is removed itself and never followed; sub-folders stay (and
// keep the folder).
void removeFolderWithFiles(const std::string& folder) {
  platform::EntryKind kind = platform::inspect(folder);
  if (kind == platform::EntryKind::kLink) {
    if (!platform::removeFolder(folder)) platform::removeFile(folder);
    return;
  }
  if (kind != platform::EntryKind::kFolder) return;
  std::vector<std::string> names;
  if (!platform::listFolder(joinPath(folder, "*.*"), &names)) return;
  for (const std::string& name : names) {
    std::string entry = joinPath(folder, name);
    if (isDotEntry(name) || platform::inspect(entry) == platform::EntryKind::kFolder) continue;
    if (!platform::removeFile(entry)) platform::removeFolder(entry);
  }
  platform::removeFolder(folder);
}

// Copies the files (not the sub-folders) of `source` into `destination`,
// each flushed to disk; false when one cannot be copied or is a link (its
// content lies outside the shipped folder).
bool copyEveryFile(const std::string& destination, const std::string& source, std::string* err) {
  std::vector<std::string> names;
  if (!platform::listFolder(joinPath(source, "*.*"), &names)) {
    *err = "cannot list " + source;
    return false;
  }
  for (const std::string& name : names) {
    std::string file = joinPath(source, name);
    platform::EntryKind kind = platform::inspect(file);
    if (isDotEntry(name) || kind == platform::EntryKind::kFolder) continue;
    if (kind != platform::EntryKind::kFile) {
      *err = file + " is a link or no regular file: the texture folder is not copied";
      return false;
    }
    if (!copyFileBytes(file, joinPath(destination, name))) {
      *err = "cannot copy " + file + " (disk full?)";
      return false;
    }
  }
  return true;
}

// Puts a copy of the shipped folder at `target` whole: the files go into a
// staging folder that is renamed when all are there and on disk, so that a
// run killed half way never leaves a partial folder that the next run would
// take for the user's own.
bool placeTextureFolder(const std::string& shipped, const std::string& target, std::string* err) {
  std::string staging = target + ".fuselox-partial";
  removeFolderWithFiles(staging);
  if (!platform::createFolder(staging)) {
    *err = "cannot create " + staging;
    return false;
  }
  bool ok = copyEveryFile(staging, shipped, err) && platform::syncFolder(staging);
  if (ok && !platform::renameFolder(staging, target)) {
    ok = false;
    *err = "cannot rename " + staging + " to " + target;
  }
  if (!ok) removeFolderWithFiles(staging);
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
  std::vector<std::string> names;
  if (sections.empty() || !platform::listFolder(joinPath(sourceFolder, "texture.*"), &names)) {
    return true;
  }
  for (const std::string& name : names) {
    if (!servesSomeSection(name, sections)) continue;
    std::string shipped = joinPath(sourceFolder, name);
    std::string target = joinPath(aircraftFolderPath, name);
    // A source file inside the aircraft folder ships the aircraft's own
    // folders: nothing to copy, and nothing that may be deleted.
    if (platform::sameExistingFile(shipped, target)) continue;
    platform::EntryKind kind = platform::inspect(shipped);
    if (kind == platform::EntryKind::kLink) {
      *err = shipped + " is a link: the texture folder is not copied";
    } else if (kind != platform::EntryKind::kFolder) {
      continue;
    } else if (platform::inspect(target) != platform::EntryKind::kMissing) {
      placement->shipped.push_back(shipped);
      continue;
    } else if (placeTextureFolder(shipped, target, err)) {
      placement->created.push_back(target);
      placement->shipped.push_back(shipped);
      continue;
    }
    removeCreatedFolders(*placement);
    return false;
  }
  platform::syncFolder(aircraftFolderPath);
  return true;
}

void removeCreatedFolders(const TexturePlacement& placement) {
  for (const std::string& folder : placement.created) removeFolderWithFiles(folder);
}

void deleteShippedFolders(const TexturePlacement& placement) {
  for (const std::string& folder : placement.shipped) removeFolderWithFiles(folder);
}

void deleteTextureFolder(const std::string& aircraftFolderPath, const std::string& value) {
  if (value.empty() || value == "." || value.find_first_of("\\/") != std::string::npos ||
      value.find("..") != std::string::npos) {
    return;
  }
  removeFolderWithFiles(joinPath(aircraftFolderPath, "texture." + platform::pathFromNarrow(value)));
}
