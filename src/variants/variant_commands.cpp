#include "variants/variant_commands.h"

#include <memory>

#include "cfg/aircraft_cfg.h"
#include "cfg/variant_table.h"
#include "location/aircraft.h"
#include "platform/platform.h"
#include "protocol/request.h"
#include "protocol/result.h"
#include "text/files.h"
#include "text/lines.h"
#include "text/text_file.h"
#include "variants/source_file.h"
#include "variants/texture_folders.h"
#include "variants/variant_edits.h"

namespace {

// The source file's sections; false (reason in `err`) when there are none.
bool loadSource(const std::string& path, int base, std::vector<SourceSection>* sections,
                std::string* err) {
  TextContent content;
  if (!readTextFile(path, &content, err)) return false;
  *sections = loadSourceSections(content.text, base);
  if (sections->empty()) *err = "the source file " + path + " has no [fltsim.N] section";
  return !sections->empty();
}

struct InstallOptions {
  bool trimFirst;  // by aircraft name the file is trimmed before the append
  bool preventByTitle;
  bool preventByTexture;
};

// Appends the source's sections to <folder>\aircraft.cfg and renumbers every
// variant, in one safe write. False, with the reason in `err`, when nothing
// was installed.
bool installInto(const std::string& folder, const std::string& sourcePath,
                 const InstallOptions& options, std::string* err) {
  return rewriteAircraftCfgText(
      folder, kTemporaryFileName,
      [&](std::string* text) {
        if (options.trimFirst) *text = withoutTrailingLineBreaks(*text);
        int base = firstNumberingGap(*text);
        std::vector<SourceSection> sections;
        if (base < 0) {
          *err = joinPath(folder, "aircraft.cfg") + " has no [fltsim.N] section";
          return false;
        }
        if (!loadSource(sourcePath, base, &sections, err)) return false;
        std::vector<bool> leaveOut =
            duplicateSections(*text, sections, options.preventByTitle, options.preventByTexture);
        std::vector<std::string> lines = splitLines(appendSections(*text, sections, leaveOut));
        renumberVariants(&lines);
        *text = joinLines(lines);
        return true;
      },
      err);
}

// The sections that an install into <folder>\aircraft.cfg as it stands
// keeps (the duplicate checks leave the others out).
bool sectionsToInstall(const std::string& folder, const std::vector<SourceSection>& sections,
                       const InstallOptions& options, std::vector<SourceSection>* kept,
                       std::string* err) {
  TextContent content;
  if (!readTextFile(joinPath(folder, "aircraft.cfg"), &content, err)) return false;
  std::vector<bool> leaveOut =
      duplicateSections(content.text, sections, options.preventByTitle, options.preventByTexture);
  for (size_t i = 0; i < sections.size(); ++i) {
    if (!leaveOut[i]) kept->push_back(sections[i]);
  }
  return true;
}

// "<folder>\<name>" when the flag says the source lies in the aircraft
// folder, else the name as given. False when it does not fit a slot, or
// when it is the aircraft.cfg being changed (any spelling, any link): that
// file cannot be its own source, nor be deleted afterwards as one.
bool sourcePathFor(const CommandRequest& request, const std::string& folder, std::string* path,
                   std::string* err) {
  *path = request.sourceFileInAircraftFolder ? joinPath(folder, request.sourceFile())
                                             : request.sourceFile();
  if (platform::pathLength(*path) >= kSlotSize) {
    *err = "the source file path is too long";
    return false;
  }
  if (platform::sameExistingFile(*path, joinPath(folder, "aircraft.cfg"))) {
    *err = "the source file is the aircraft.cfg being changed";
    return false;
  }
  return true;
}

// The sections of the source as the texture folders see them (numbering
// does not matter there).
std::vector<SourceSection> sectionsForTextures(const std::string& sourcePath, std::string* err) {
  std::vector<SourceSection> sections;
  loadSource(sourcePath, 0, &sections, err);
  return sections;
}

// True when some variant of `lines` names the texture folder of `value`,
// compared as the file system compares names.
bool textureFolderStillNamed(const std::vector<std::string>& lines, const std::string& value) {
  std::string key = textureFolderKey(value);
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string other;
    if (isVariantHeader(lines[i]) && blockTextureValue(lines, static_cast<int>(i), &other) &&
        textureFolderKey(other) == key) {
      return true;
    }
  }
  return false;
}

std::unique_ptr<platform::FolderLock> lockOrExplain(const std::string& folder, std::string* err) {
  std::unique_ptr<platform::FolderLock> lock = platform::lockFolder(folder);
  if (!lock && platform::inspect(folder) != platform::EntryKind::kFolder) {
    *err = "no folder " + folder;
  } else if (!lock) {
    *err = "cannot lock the aircraft folder " + folder;
  }
  return lock;
}

int removeVariant(const CommandRequest& request, const std::string& key, LookupMode mode) {
  std::string folder, err;
  if (!findAircraftFolder(request.aircraftFolder(), &folder, &err)) return failWith(err);
  std::unique_ptr<platform::FolderLock> lock = lockOrExplain(folder, &err);
  if (!lock) return failWith(err);
  bool found = false, deleteFolder = false;
  std::string textureValue;
  const char* working = mode == kByTitle ? kRemovalWorkFileName : kTemporaryFileName;
  bool written = rewriteAircraftCfgText(
      folder, working,
      [&](std::string* text) {
        bool exists =
            mode == kByTitle ? variantTitleExists(*text, key) : variantTextureExists(*text, key);
        std::vector<std::string> lines = splitLines(*text);
        int header = variantHeaderLine(lines, findVariant(*text, key, mode).position);
        found = exists && header >= 0;
        if (!found) return false;
        bool hasTexture = blockTextureValue(lines, header, &textureValue);
        removeBlock(&lines, header, request.removalDestructive);
        renumberVariants(&lines);
        *text = joinLines(lines);
        // A folder that a remaining variant still names stays, however
        // that variant spells it.
        deleteFolder = hasTexture && !textureFolderStillNamed(lines, textureValue);
        return !(request.removalDeleteTextureFolder && deleteFolder &&
                 !textureFolderRemovable(folder, textureValue, &err));
      },
      &err);
  if (!err.empty()) return failWith(err);
  if (!found) {
    return failWith(std::string("no variant of this aircraft has the ") +
                    (mode == kByTitle ? "title" : "texture") + " \"" + key + "\"");
  }
  if (!written) return failWith(err);
  // Only once the variant is gone: a removal that fails keeps its textures.
  if (request.removalDeleteTextureFolder && deleteFolder) deleteTextureFolder(folder, textureValue);
  return succeedWith("NOERROR\n");
}

// A source for APPEND_TEXT: its text, unless text mode would hide something
// after a 0x1A (a lone end-of-file mark, as old editors write, is fine).
bool appendableText(const std::string& path, std::string* text, std::string* err) {
  TextContent content;
  if (!readTextFile(path, &content, err)) return false;
  if (removeWhiteSpace(content.tail).find_first_not_of('\x1a') != std::string::npos) {
    *err = "the source file has text after an end-of-file mark (0x1A)";
    return false;
  }
  *text = content.text;
  return true;
}

}  // namespace

int handleInstallVariant(const CommandRequest& request) {
  std::string folder, sourcePath, err;
  if (request.aircraftFolder().empty() || request.sourceFile().empty()) {
    return failWith("an argument is empty");
  }
  if (!findAircraftFolder(request.aircraftFolder(), &folder, &err)) return failWith(err);
  std::unique_ptr<platform::FolderLock> lock = lockOrExplain(folder, &err);
  if (!lock || !sourcePathFor(request, folder, &sourcePath, &err)) return failWith(err);
  std::vector<SourceSection> sections = sectionsForTextures(sourcePath, &err);
  if (sections.empty()) return failWith(err);
  InstallOptions options = {true, request.preventDuplicatesByTitle != 0,
                            request.preventDuplicatesByTexture != 0};
  // Texture folders first: if one cannot be copied whole, aircraft.cfg is
  // not touched and the folders already placed go again. Only the sections
  // that will be installed get theirs: no variant would name the others.
  TexturePlacement placement;
  std::vector<SourceSection> installed;
  if (request.copyTextureFolders &&
      (!sectionsToInstall(folder, sections, options, &installed, &err) ||
       !placeTextureFolders(sourcePath, folder, installed, &placement, &err))) {
    return failWith(err);
  }
  if (!installInto(folder, sourcePath, options, &err)) {
    removeCreatedFolders(placement);
    return failWith(err);
  }
  // What the user shipped goes only once everything is in place.
  if (request.deleteTextureFoldersAfterInstall) deleteShippedFolders(placement);
  if (request.deleteSourceFileAfterInstall) platform::removeFile(sourcePath);
  return succeedWith("NOERROR-" + std::to_string(sections.size()) + "\n");
}

int handleInstallVariantByPath(const CommandRequest& request) {
  std::string sourcePath, err;
  const std::string& folder = request.aircraftFolder();
  if (folder.empty() || request.sourceFile().empty()) return failWith("an argument is empty");
  std::unique_ptr<platform::FolderLock> lock = lockOrExplain(folder, &err);
  if (!lock || !sourcePathFor(request, folder, &sourcePath, &err)) return failWith(err);
  if (!installInto(
          folder, sourcePath,
          {false, request.preventDuplicatesByTitle != 0, request.preventDuplicatesByTexture != 0},
          &err)) {
    return failWith(err);
  }
  if (request.deleteSourceFileAfterInstall) platform::removeFile(sourcePath);
  return succeedWith("NOERROR\n");
}

int handleRemoveVariantByTitle(const CommandRequest& request) {
  if (request.aircraftFolder().empty() || request.title().empty()) {
    return failWith("an argument is empty");
  }
  return removeVariant(request, request.title(), kByTitle);
}

int handleRemoveVariantByTexture(const CommandRequest& request) {
  if (request.aircraftFolder().empty()) return failWith("no aircraft folder name given");
  return removeVariant(request, request.texture(), kByTexture);
}

int handleSanitizeVariants(const CommandRequest& request) {
  std::string folder, err;
  if (request.aircraftFolder().empty()) return failWith("no aircraft folder name given");
  if (!findAircraftFolder(request.aircraftFolder(), &folder, &err)) return failWith(err);
  std::unique_ptr<platform::FolderLock> lock = lockOrExplain(folder, &err);
  if (!lock) return failWith(err);
  bool written = rewriteAircraftCfg(
      folder, kTemporaryFileName,
      [](std::vector<std::string>* lines) {
        renumberVariants(lines);
        return true;
      },
      &err);
  return written ? succeedWith("NOERROR\n") : failWith(err);
}

int handleAppendText(const CommandRequest& request) {
  std::string folder, source, err;
  if (request.aircraftFolder().empty() || request.sourceFile().empty()) {
    return failWith("an argument is empty");
  }
  if (!findAircraftFolder(request.aircraftFolder(), &folder, &err)) return failWith(err);
  std::unique_ptr<platform::FolderLock> lock = lockOrExplain(folder, &err);
  if (!lock) return failWith(err);
  if (platform::isReadOnlyFile(joinPath(folder, "aircraft.cfg"))) {
    return failWith(joinPath(folder, "aircraft.cfg") + " is read-only");
  }
  if (!appendableText(request.sourceFile(), &source, &err)) return failWith(err);
  bool written = rewriteAircraftCfgText(
      folder, kTemporaryFileName,
      [&](std::string* text) {
        *text += "\n" + joinLines(splitLines(source));
        return true;
      },
      &err);
  return written ? succeedWith("NOERROR") : failWith(err);
}
