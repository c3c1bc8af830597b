// Texture folders: "texture.<value>" folders beside a variant source file are
// copied into the aircraft folder; a variant's folder can be deleted. Only
// the files directly inside a folder are handled, never sub-folders.
#ifndef FUSELOX_VARIANTS_TEXTURE_FOLDERS_H_
#define FUSELOX_VARIANTS_TEXTURE_FOLDERS_H_

#include <string>
#include <vector>

#include "variants/source_file.h"

// Copies every shipped "texture.*" folder beside `sourceFile` whose suffix
// (after its last ".") equals a section's texture value ignoring case into
// the aircraft folder, unless a folder of that name exists there already.
// A folder is copied whole or not at all. With deleteShipped, each matching
// shipped folder's files and the folder are deleted afterwards, unless its
// copy failed. Nothing is reported.
void installTextureFolders(const std::string& sourceFile, const std::string& aircraftFolderPath,
                           const std::vector<SourceSection>& sections, bool deleteShipped);

// Copies the files of `source` into the existing folder `destination`. False
// when the folder cannot be listed or a copy fails (every entry is tried).
bool copyFolderFiles(const std::string& destination, const std::string& source);

// Deletes the files of a folder (not the folder). False when it cannot be
// listed.
bool deleteFolderFiles(const std::string& folder);

// Deletes "<aircraft folder>\texture.<value>" and its files; nothing when
// the value is empty, "." or "..", or holds "\", "/" or "..", so that no
// folder outside the aircraft's own texture folders is ever touched.
void deleteTextureFolder(const std::string& aircraftFolderPath, const std::string& value);

// The path up to its last "\" or "/" (excluded); the whole path without one.
std::string folderOfPath(const std::string& path);

// The text after the last "\" or "/"; the whole path without one.
std::string lastPathComponent(const std::string& path);

#endif  // FUSELOX_VARIANTS_TEXTURE_FOLDERS_H_
