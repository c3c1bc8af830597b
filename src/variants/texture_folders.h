// Texture folders: "texture.<value>" folders beside a variant source file are
// copied into the aircraft folder; a variant's folder can be deleted. Only
// the files directly inside a folder are handled, never sub-folders, and no
// link is ever followed to copy or to delete.
#ifndef FUSELOX_VARIANTS_TEXTURE_FOLDERS_H_
#define FUSELOX_VARIANTS_TEXTURE_FOLDERS_H_

#include <string>
#include <vector>

#include "variants/source_file.h"

// The texture folders an installation put into an aircraft folder, and the
// shipped folders it may delete once the whole installation succeeded.
struct TexturePlacement {
  std::vector<std::string> created;  // new folders in the aircraft folder
  std::vector<std::string> shipped;  // shipped folders that reached the aircraft
};

// Copies every shipped "texture.*" folder beside `sourceFile` whose suffix
// (after its last ".") equals a section's texture value ignoring case into
// the aircraft folder, unless a folder of that name exists there already
// (that one is the user's and is never written into). Each folder is copied
// whole through a staging folder, its files flushed before it is renamed
// into place. False, with the reason in `err` and every folder it created
// removed again, when a folder cannot be copied whole (a full disk, a link
// inside it, a shipped folder that is a link).
bool placeTextureFolders(const std::string& sourceFile, const std::string& aircraftFolderPath,
                         const std::vector<SourceSection>& sections, TexturePlacement* placement,
                         std::string* err);

// Removes the folders an installation created (it failed later on).
void removeCreatedFolders(const TexturePlacement& placement);

// Deletes the shipped folders that reached the aircraft.
void deleteShippedFolders(const TexturePlacement& placement);

// Deletes "<aircraft folder>\texture.<value>" and its files; nothing when
// the value is empty, "." or "..", or holds "\", "/" or "..", so that no
// folder outside the aircraft's own texture folders is ever touched. A link
// is removed itself, its target untouched. `value` is narrow text.
void deleteTextureFolder(const std::string& aircraftFolderPath, const std::string& value);

// The folder a file path lies in: up to its last "\" or "/" (excluded); "."
// for a bare name, which lies in the current folder.
std::string folderOfPath(const std::string& path);

#endif  // FUSELOX_VARIANTS_TEXTURE_FOLDERS_H_
