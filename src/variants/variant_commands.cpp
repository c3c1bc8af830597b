#include "variants/variant_commands.h"

#include <memory>

#include "cfg/aircraft_cfg.h"
#include "cfg/files.h"
#include "cfg/lines.h"
#include "cfg/text_file.h"
#include "cfg/variant_table.h"
#include "cli/request.h"
#include "cli/result.h"
#include "location/aircraft.h"
#include "platform/platform.h"
#include "variants/source_file.h"
#include "variants/texture_folders.h"
#include "variants/variant_edits.h"

namespace {

int succeed(const std::string& text) {
  printResult(text);
  return 1;
}

std::string writeFailure(const std::string& folder) {
  return "cannot write aircraft.cfg in " + folder + " (read-only or disk full?)";
}

// The source file's sections; false (reason noted) when there are none.
bool loadSource(const std::string& path, int base, std::vector<SourceSection>* sections) {
  TextContent content;
  if (!readTextFile(path, &content)) {
    explain("cannot read the source file " + path);
    return false;
  }
  *sections = loadSourceSections(content.text, base);
  if (sections->empty()) explain("the source file " + path + " has no [fltsim.N] section");
  return !sections->empty();
}

struct InstallOptions {
  bool trimFirst;  // by aircraft name the file is trimmed before the append
  bool preventByTitle;
  bool preventByTexture;
};

// Appends the source's sections to <folder>\aircraft.cfg and renumbers every
// variant, in one safe write. Returns the sections read, or an empty list.
std::vector<SourceSection> installInto(const std::string& folder, const std::string& sourcePath,
                                       const InstallOptions& options) {
  std::vector<SourceSection> sections;
  bool loaded = false;
  bool written = rewriteAircraftCfgText(folder, kTemporaryFileName, [&](std::string* text) {
    if (options.trimFirst) *text = withoutTrailingLineBreaks(*text);
    int base = firstNumberingGap(*text);
    if (base < 0) {
      explain("aircraft.cfg in " + folder + " has no [fltsim.N] section");
      return false;
    }
    if (!loadSource(sourcePath, base, &sections)) return false;
    loaded = true;
    std::vector<bool> leaveOut =
        duplicateSections(*text, sections, options.preventByTitle, options.preventByTexture);
    std::vector<std::string> lines = splitLines(appendSections(*text, sections, leaveOut));
    renumberVariants(&lines);
    *text = joinLines(lines);
    return true;
  });
  if (loaded && !written) explain(writeFailure(folder));
  if (!written) sections.clear();
  return sections;
}

// "<folder>\<name>" when the flag says the source lies in the aircraft
// folder, else the name as given; false when it does not fit a slot.
bool sourcePathFor(const CommandRequest& request, const std::string& folder, std::string* path) {
  *path = request.sourceFileInAircraftFolder ? joinPath(folder, request.sourceFile())
                                             : request.sourceFile();
  if (path->size() >= kSlotSize) explain("the source file path is too long");
  return path->size() < kSlotSize;
}

int removeVariant(const CommandRequest& request, const std::string& key, LookupMode mode) {
  std::string folder;
  if (!findAircraftFolder(request.aircraftFolder(), &folder)) return failWith("");
  std::unique_ptr<platform::FolderLock> lock = platform::LockFolder(folder);
  bool found = false, hasTexture = false;
  std::string textureValue;
  const char* working = mode == kByTitle ? kRemovalWorkFileName : kTemporaryFileName;
  bool written = rewriteAircraftCfgText(folder, working, [&](std::string* text) {
    bool exists =
        mode == kByTitle ? variantTitleExists(*text, key) : variantTextureExists(*text, key);
    std::vector<std::string> lines = splitLines(*text);
    int header = variantHeaderLine(lines, findVariant(*text, key, mode).position);
    found = exists && header >= 0;
    if (!found) return false;
    hasTexture = blockTextureValue(lines, header, &textureValue);
    removeBlock(&lines, header, request.removalDestructive);
    renumberVariants(&lines);
    *text = joinLines(lines);
    return true;
  });
  if (!found) {
    return failWith(std::string("no variant of this aircraft has the ") +
                    (mode == kByTitle ? "title" : "texture") + " \"" + key + "\"");
  }
  if (!written) return failWith(writeFailure(folder));
  // Only once the variant is gone: a removal that fails keeps its textures.
  if (request.removalDeleteTextureFolder && hasTexture) deleteTextureFolder(folder, textureValue);
  return succeed("NOERROR\n");
}

// A source for APPEND_TEXT: its text, unless text mode would hide something
// after a 0x1A (a lone end-of-file mark, as old editors write, is fine).
bool appendableText(const std::string& path, std::string* text) {
  TextContent content;
  if (!readTextFile(path, &content)) {
    explain("cannot read the source file " + path);
    return false;
  }
  if (removeWhiteSpace(content.tail).find_first_not_of('\x1a') != std::string::npos) {
    explain("the source file has text after an end-of-file mark (0x1A)");
    return false;
  }
  *text = content.text;
  return true;
}

}  // namespace

namespace {

// The install both commands share, under the folder's lock: the sections
// read from the source (none on failure, reason noted) and the source path.
std::vector<SourceSection> installFromRequest(const CommandRequest& request,
                                              const std::string& folder, bool trimFirst,
                                              std::string* sourcePath) {
  if (!sourcePathFor(request, folder, sourcePath)) return {};
  return installInto(
      folder, *sourcePath,
      {trimFirst, request.preventDuplicatesByTitle != 0, request.preventDuplicatesByTexture != 0});
}

}  // namespace

int handleInstallVariant(const CommandRequest& request) {
  std::string folder, sourcePath;
  if (request.aircraftFolder().empty() || request.sourceFile().empty()) {
    return failWith("an argument is empty");
  }
  if (!findAircraftFolder(request.aircraftFolder(), &folder)) return failWith("");
  std::unique_ptr<platform::FolderLock> lock = platform::LockFolder(folder);
  std::vector<SourceSection> sections = installFromRequest(request, folder, true, &sourcePath);
  if (sections.empty()) return failWith("");
  if (request.copyTextureFolders) {
    installTextureFolders(sourcePath, folder, sections, request.deleteTextureFoldersAfterInstall);
  }
  if (request.deleteSourceFileAfterInstall) platform::RemoveFile(sourcePath);
  return succeed("NOERROR-" + std::to_string(sections.size()) + "\n");
}

int handleInstallVariantByPath(const CommandRequest& request) {
  std::string sourcePath;
  const std::string& folder = request.aircraftFolder();
  if (folder.empty() || request.sourceFile().empty()) return failWith("an argument is empty");
  std::unique_ptr<platform::FolderLock> lock = platform::LockFolder(folder);
  if (installFromRequest(request, folder, false, &sourcePath).empty()) return failWith("");
  if (request.deleteSourceFileAfterInstall) platform::RemoveFile(sourcePath);
  return succeed("NOERROR\n");
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
  std::string folder;
  if (request.aircraftFolder().empty()) return failWith("no aircraft folder name given");
  if (!findAircraftFolder(request.aircraftFolder(), &folder)) return failWith("");
  std::unique_ptr<platform::FolderLock> lock = platform::LockFolder(folder);
  bool written =
      rewriteAircraftCfg(folder, kTemporaryFileName, [](std::vector<std::string>* lines) {
        renumberVariants(lines);
        return true;
      });
  return written ? succeed("NOERROR\n") : failWith(writeFailure(folder));
}

int handleAppendText(const CommandRequest& request) {
  std::string folder, cfgPath, source;
  if (request.aircraftFolder().empty() || request.sourceFile().empty()) {
    return failWith("an argument is empty");
  }
  if (!findAircraftFolder(request.aircraftFolder(), &folder)) return failWith("");
  std::unique_ptr<platform::FolderLock> lock = platform::LockFolder(folder);
  if (platform::IsReadOnlyFile(joinPath(folder, "aircraft.cfg"))) {
    return failWith("aircraft.cfg in " + folder + " is read-only");
  }
  if (!appendableText(request.sourceFile(), &source)) return failWith("");
  bool written = rewriteAircraftCfgText(folder, kTemporaryFileName, [&](std::string* text) {
    *text += "\n" + joinLines(splitLines(source));
    return true;
  });
  return written ? succeed("NOERROR") : failWith(writeFailure(folder));
}
