// Texture folders: "texture.<value>" folders beside a variant source file are
// copied into the aircraft folder; a variant's folder can be deleted. Only
// the files directly inside a folder are handled, never sub-folders, and no
// link is ever followed to copy or to delete. A name a listing gave is used
// as one name inside the folder it was listed in, never as a path.
#ifndef FUSELOX_VARIANTS_TEXTURE_FOLDERS_H_
#define FUSELOX_VARIANTS_TEXTURE_FOLDERS_H_

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "variants/source_file.h"

// The texture folders an installation put into an aircraft folder, and the
// shipped folders it may delete once the whole installation succeeded, by
// their names in the two folders.
struct TexturePlacement {
  std::unique_ptr<platform::Folder> aircraft, source;
  std::vector<std::string> created;  // new folders in the aircraft folder
  std::vector<std::string> shipped;  // shipped folders that reached the aircraft
};

// Copies every shipped folder beside `sourceFile` named "texture." followed
// by a section's whole texture value (ignoring case; "texture" alone for a
// section without one) into the aircraft folder, unless a folder of that
// name exists there already (that one is the user's and is never written
// into). Each folder is copied whole through a staging folder, its files
// flushed before it is renamed into place. Every name is checked before
// anything is written. False, with the reason in `err` and every folder it
// created removed again, when a folder cannot be copied whole: a full disk,
// a link or no regular file inside it, a shipped folder that is a link, a
// name Windows cannot hold.
bool placeTextureFolders(const std::string& sourceFile, const std::string& aircraftFolderPath,
                         const std::vector<SourceSection>& sections, TexturePlacement* placement,
                         std::string* err);

// Removes the folders an installation created (it failed later on).
void removeCreatedFolders(const TexturePlacement& placement);

// Deletes the shipped folders that reached the aircraft.
void deleteShippedFolders(const TexturePlacement& placement);

// The name of a variant's texture folder as the file system compares it:
// "texture.Red." and "TEXTURE.red" are one folder to Windows.
std::string textureFolderKey(const std::string& value);

// Deletes the aircraft folder's texture folder of `value` (the entry whose
// name Windows takes for "texture.<value>") and its files; nothing when the
// value holds "\", "/" or "..", so that no folder outside the aircraft's own
// texture folders is ever touched. A link is removed itself, its target
// untouched. `value` is narrow text.
void deleteTextureFolder(const std::string& aircraftFolderPath, const std::string& value);

// False, with the reason in `err`, when the texture folder of `value` holds
// an entry that deleteTextureFolder could not safely remove (one that cannot
// be told from a link, or no regular file), so that a removal can refuse
// before it changes anything.
bool textureFolderRemovable(const std::string& aircraftFolderPath, const std::string& value,
                            std::string* err);

// The folder a file path lies in: up to its last "\" or "/" (excluded); "."
// for a bare name, which lies in the current folder.
std::string folderOfPath(const std::string& path);

#endif  // FUSELOX_VARIANTS_TEXTURE_FOLDERS_H_
