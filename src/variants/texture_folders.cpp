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

// Deletes each file of `shipped` whose copy in `target` is identical.
void deleteFilesCopiedTo(const std::string& shipped, const std::string& target) {
  std::vector<std::string> names;
  if (!platform::ListFolder(joinPath(shipped, "*.*"), &names)) return;
  for (const std::string& name : names) {
    std::string original, copy;
    if (isDotEntry(name) || !platform::ReadWholeFile(joinPath(shipped, name), &original) ||
        !platform::ReadWholeFile(joinPath(target, name), &copy) || original != copy) {
      continue;
    }
    platform::RemoveFile(joinPath(shipped, name));
  }
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
    // An existing folder is the user's: it is never written into.
    bool created = platform::CreateFolder(target);
    bool copied = created && copyFolderFiles(target, shipped);
    if (deleteShipped) {
      // After a failed copy (a full disk, say) only the shipped files that
      // reached the aircraft whole may go: the rest would be lost.
      if (created && !copied) {
        deleteFilesCopiedTo(shipped, target);
      } else if (copied || folderExists(target)) {
        deleteFolderFiles(shipped);
      }
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
