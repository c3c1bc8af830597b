#include "cfg/cfg_commands.h"

#include <memory>

#include "cfg/aircraft_cfg.h"
#include "cfg/parameters.h"
#include "cfg/variant_table.h"
#include "location/aircraft.h"
#include "platform/platform.h"
#include "protocol/request.h"
#include "protocol/result.h"
#include "text/files.h"
#include "text/text_file.h"

namespace {

int verdict(bool ok, const std::string& reason) {
  return ok ? succeedWith("NOERROR\n") : failWith(reason);
}

std::string noVariant(const std::string& key, LookupMode mode) {
  return std::string("no variant of this aircraft has the ") +
         (mode == kByTitle ? "title" : "texture") + " \"" + key + "\"";
}

std::string sectionName(const SectionTarget& target) {
  return target.position < 0 ? "section [" + target.name + "]" : "the variant's section";
}

// What is missing: the section itself, or the parameter in it.
std::string notFound(const CommandRequest& request, const SectionTarget& target,
                     const std::string& text, const char* remedy) {
  if (!hasSection(target, text)) return sectionName(target) + " not found";
  return "parameter \"" + request.parameter() + "\" not found in " + sectionName(target) + remedy;
}

enum class Listing { kTextureTitle, kTitle, kTexture };

int dumpVariants(const CommandRequest& request, Listing listing) {
  std::string path, err;
  TextContent content;
  if (request.aircraftFolder().empty()) return failWith("no aircraft folder name given");
  if (!findAircraftCfg(request.aircraftFolder(), &path, &err) ||
      !readTextFile(path, &content, &err)) {
    return failWith(err);
  }
  std::vector<VariantRecord> table = readVariantTable(content.text);
  if (table.empty()) return failWith(path + " has no [fltsim.N] section");
  std::string out;
  for (const VariantRecord& record : table) {
    if (listing == Listing::kTextureTitle) out += record.texture + "/" + record.title + "\n";
    if (listing == Listing::kTitle) out += record.title + "\n";
    if (listing == Listing::kTexture) out += record.texture + "\n";
  }
  return succeedWith(out);
}

// Picks the target section from the file's text; false, with the reason in
// the last argument, when there is none.
using TargetFinder = std::function<bool(const std::string&, SectionTarget*, std::string*)>;

// Changes a parameter of the target section through the safe rewrite, under
// the aircraft's lock.
int changeInAircraft(const CommandRequest& request, const TargetFinder& findTarget) {
  std::string folder, err;
  if (!findAircraftFolder(request.aircraftFolder(), &folder, &err)) return failWith(err);
  std::unique_ptr<platform::FolderLock> lock = platform::lockFolder(folder);
  if (!lock) return failWith("cannot lock the aircraft folder " + folder);
  SectionTarget target;
  std::string missing;
  bool found = false, changed = false;
  // The section is looked for in the text being rewritten: one read. An
  // edit that changes nothing declines, so that a failing command never
  // rewrites the file.
  bool written = rewriteAircraftCfgText(
      folder, kTemporaryFileName,
      [&](std::string* text) {
        found = findTarget(*text, &target, &err);
        if (!found) return false;
        std::vector<std::string> lines = splitLines(*text);
        changed = changeParameter(request.parameter(), request.newValue(), target,
                                  request.addMissingParameter, &lines);
        if (changed) *text = joinLines(lines);
        if (!changed)
          missing = notFound(request, target, *text, " (/ADD_MISSING_PARAMETER adds it)");
        return changed;
      },
      &err);
  if (!found || !err.empty()) return failWith(err);
  if (!changed) return failWith(missing);
  return verdict(written, "");
}

TargetFinder variantFinder(const std::string& key, LookupMode mode) {
  return [key, mode](const std::string& text, SectionTarget* target, std::string* err) {
    VariantRecord record = findVariant(text, key, mode);
    if (record.position < 0) {
      *err = noVariant(key, mode);
      return false;
    }
    *target = SectionTarget::variantAt(record.position);
    return true;
  };
}

int changeVariantParameter(const CommandRequest& request, const std::string& key, LookupMode mode) {
  // An empty parameter name would add a line "=value".
  if (request.aircraftFolder().empty() || key.empty() || request.parameter().empty()) {
    return failWith("an argument is empty");
  }
  return changeInAircraft(request, variantFinder(key, mode));
}

int readInAircraft(const CommandRequest& request, const TargetFinder& findTarget) {
  std::string text, err;
  SectionTarget target;
  if (!loadAircraftCfgText(request.aircraftFolder(), &text, &err) ||
      !findTarget(text, &target, &err)) {
    return failWith(err);
  }
  std::vector<std::string> values =
      readParameter(request.parameter(), target, request.showEolComments, text);
  if (values.empty()) return failWith(notFound(request, target, text, ""));
  std::string out;
  for (const std::string& value : values) out += value + "\n";
  return succeedWith(out);
}

bool globalArgumentsGiven(const CommandRequest& request) {
  return !request.aircraftFolder().empty() && !request.section().empty() &&
         !request.parameter().empty();
}

TargetFinder namedSection(const std::string& name) {
  return [name](const std::string&, SectionTarget* target, std::string*) {
    *target = SectionTarget::named(name);
    return true;
  };
}

int readVariantParameter(const CommandRequest& request, const std::string& key, LookupMode mode) {
  if (request.aircraftFolder().empty() || key.empty() || request.parameter().empty()) {
    return failWith("an argument is empty");
  }
  return readInAircraft(request, variantFinder(key, mode));
}

}  // namespace

int handleVerifyAircraft(const CommandRequest& request) {
  std::string path, err;
  if (request.aircraftFolder().empty()) return failWith("no aircraft folder name given");
  return verdict(findAircraftCfg(request.aircraftFolder(), &path, &err), err);
}

int handleVerifyTitle(const CommandRequest& request) {
  std::string text, err;
  if (request.aircraftFolder().empty() || request.title().empty()) {
    return failWith("an argument is empty");
  }
  if (!loadAircraftCfgText(request.aircraftFolder(), &text, &err)) return failWith(err);
  return verdict(variantTitleExists(text, request.title()), noVariant(request.title(), kByTitle));
}

int handleVerifyTexture(const CommandRequest& request) {
  std::string text, err;
  if (request.aircraftFolder().empty()) return failWith("no aircraft folder name given");
  if (!loadAircraftCfgText(request.aircraftFolder(), &text, &err)) return failWith(err);
  return verdict(variantTextureExists(text, request.texture()),
                 noVariant(request.texture(), kByTexture));
}

int handleDumpAllTextureTitle(const CommandRequest& request) {
  return dumpVariants(request, Listing::kTextureTitle);
}

int handleDumpAllTitle(const CommandRequest& request) {
  return dumpVariants(request, Listing::kTitle);
}

int handleDumpAllTexture(const CommandRequest& request) {
  return dumpVariants(request, Listing::kTexture);
}

int handleChangeGlobalParameter(const CommandRequest& request) {
  if (!globalArgumentsGiven(request)) return failWith("an argument is empty");
  return changeInAircraft(request, namedSection(request.section()));
}

int handleChangeVariantParameterByTitle(const CommandRequest& request) {
  return changeVariantParameter(request, request.title(), kByTitle);
}

int handleChangeVariantParameterByTexture(const CommandRequest& request) {
  return changeVariantParameter(request, request.texture(), kByTexture);
}

int handleReadGlobalParameter(const CommandRequest& request) {
  if (!globalArgumentsGiven(request)) return failWith("an argument is empty");
  return readInAircraft(request, namedSection(request.section()));
}

int handleReadVariantParameterByTitle(const CommandRequest& request) {
  return readVariantParameter(request, request.title(), kByTitle);
}

int handleReadVariantParameterByTexture(const CommandRequest& request) {
  return readVariantParameter(request, request.texture(), kByTexture);
}
