#include "cli/commands.h"

#include "cfg/cfg_commands.h"
#include "location/aircraft.h"
#include "location/simulator.h"
#include "location/simulators.h"
#include "patch/patch_commands.h"
#include "protocol/result.h"
#include "variants/variant_commands.h"

namespace {

struct SwitchInfo {
  const char* text;
  int CommandRequest::*flag;
  int value;
};

const SwitchInfo kSwitches[] = {
    {"/PREVENT_DUPLICATES_BY_TITLE", &CommandRequest::preventDuplicatesByTitle, 1},
    {"/ALLOW_DUPLICATES_BY_TITLE", &CommandRequest::preventDuplicatesByTitle, 0},
    {"/PREVENT_DUPLICATES_BY_TEXTURE", &CommandRequest::preventDuplicatesByTexture, 1},
    {"/ALLOW_DUPLICATES_BY_TEXTURE", &CommandRequest::preventDuplicatesByTexture, 0},
    {"/REMOVAL_DELETETEXTUREFOLDER", &CommandRequest::removalDeleteTextureFolder, 1},
    {"/REMOVAL_NONDESTRUCTIVE", &CommandRequest::removalDestructive, 0},
    {"/REMOVAL_DESTRUCTIVE", &CommandRequest::removalDestructive, 1},
    {"/SHOW_EOL_COMMENTS", &CommandRequest::showEolComments, 1},
    {"/SOURCEFILE_IN_AIRCRAFT_FOLDER", &CommandRequest::sourceFileInAircraftFolder, 1},
    {"/DELETE_SOURCEFILE_AFTER_INSTALL", &CommandRequest::deleteSourceFileAfterInstall, 1},
    {"/ADD_MISSING_PARAMETER", &CommandRequest::addMissingParameter, 1},
    {"/COPY_TEXTURE_FOLDERS", &CommandRequest::copyTextureFolders, 1},
    {"/DELETE_TEXTURE_FOLDERS_AFTER_INSTALL", &CommandRequest::deleteTextureFoldersAfterInstall, 1},
};

bool equalsSwitch(const std::u16string& entry, const char* text) {
  size_t i = 0;
  for (; text[i] != '\0'; ++i) {
    if (i >= entry.size() || platform::upperAscii(entry[i]) != static_cast<char16_t>(text[i]))
      return false;
  }
  return i == entry.size();
}

// Text compared with or written into aircraft.cfg must be one-byte text of
// one line: a wider character would match its low byte, and a line break or
// "=" in a key (or "]" in a section name) would write lines that no later
// command reads as meant. Paths are not file text and keep every character.
bool fitsFileText(const CommandInfo& command, Slot slot, const std::u16string& arg,
                  std::string* err) {
  bool isPath = slot == kAircraftFolder || slot == kSourceFile || slot == kOldFile ||
                slot == kNewFile || slot == kPatchFile ||
                (slot == kParameter &&
                 (command.code == BINPATCH_APPLY || command.code == BINPATCH_APPLY_TO_FSX));
  if (isPath) return true;
  const char* what = slot == kParameter  ? "parameter name"
                     : slot == kSection  ? "section name"
                     : slot == kNewValue ? "value"
                     : slot == kTitle    ? "title"
                                         : "texture";
  for (char16_t c : arg) {
    if (c > 0xFF) {
      *err = std::string("the ") + what + " holds a character that aircraft.cfg cannot hold";
      return false;
    }
    if (c == u'\r' || c == u'\n' || c == 0) {
      *err = std::string("the ") + what + " holds a line break or NUL";
      return false;
    }
    if ((slot == kParameter && c == u'=') || (slot == kSection && c == u']')) {
      *err = std::string("the ") + what + " holds \"" + static_cast<char>(c) + "\"";
      return false;
    }
  }
  return true;
}

}  // namespace

bool isSwitch(const std::u16string& entry) {
  for (const SwitchInfo& info : kSwitches) {
    if (equalsSwitch(entry, info.text)) return true;
  }
  for (const Simulator& simulator : simulatorTable()) {
    if (equalsSwitch(entry, simulator.switchText)) return true;
  }
  return false;
}

const std::vector<CommandInfo>& commandTable() {
  static const std::vector<CommandInfo> table = {
      {"INSTALL_VARIANT_BY_PATH",
       INSTALL_VARIANT_BY_PATH,
       4,
       {kAircraftFolder, kSourceFile},
       handleInstallVariantByPath},
      {"INSTALL_VARIANT", INSTALL_VARIANT, 4, {kAircraftFolder, kSourceFile}, handleInstallVariant},
      {"REMOVE_VARIANT_BY_TITLE",
       REMOVE_VARIANT_BY_TITLE,
       4,
       {kAircraftFolder, kTitle},
       handleRemoveVariantByTitle},
      {"REMOVE_VARIANT_BY_TEXTURE",
       REMOVE_VARIANT_BY_TEXTURE,
       4,
       {kAircraftFolder, kTexture},
       handleRemoveVariantByTexture},
      {"VERIFY_AIRCRAFT", VERIFY_AIRCRAFT, 3, {kAircraftFolder}, handleVerifyAircraft},
      {"VERIFY_TITLE", VERIFY_TITLE, 4, {kAircraftFolder, kTitle}, handleVerifyTitle},
      {"VERIFY_TEXTURE", VERIFY_TEXTURE, 4, {kAircraftFolder, kTexture}, handleVerifyTexture},
      {"DUMP_ALL_TEXTURE_TITLE",
       DUMP_ALL_TEXTURE_TITLE,
       3,
       {kAircraftFolder},
       handleDumpAllTextureTitle},
      {"DUMP_ALL_TITLE", DUMP_ALL_TITLE, 3, {kAircraftFolder}, handleDumpAllTitle},
      {"DUMP_ALL_TEXTURE", DUMP_ALL_TEXTURE, 3, {kAircraftFolder}, handleDumpAllTexture},
      {"PRINT_PATH_AIRCRAFT", PRINT_PATH_AIRCRAFT, 3, {kAircraftFolder}, handlePrintPathAircraft},
      {"PRINT_VERSION", PRINT_VERSION, 0, {}, nullptr},
      {"PRINT_PATH_FSX", PRINT_PATH_FSX, 0, {}, handlePrintPathFsx},
      {"APPEND_TEXT", APPEND_TEXT, 4, {kAircraftFolder, kSourceFile}, handleAppendText},
      {"SANITIZE_VARIANTS", SANITIZE_VARIANTS, 3, {kAircraftFolder}, handleSanitizeVariants},
      {"CHANGE_GLOBAL_PARAMETER",
       CHANGE_GLOBAL_PARAMETER,
       6,
       {kAircraftFolder, kSection, kParameter, kNewValue},
       handleChangeGlobalParameter},
      {"CHANGE_VARIANT_PARAMETER_BY_TITLE",
       CHANGE_VARIANT_PARAMETER_BY_TITLE,
       6,
       {kAircraftFolder, kTitle, kParameter, kNewValue},
       handleChangeVariantParameterByTitle},
      {"CHANGE_VARIANT_PARAMETER_BY_TEXTURE",
       CHANGE_VARIANT_PARAMETER_BY_TEXTURE,
       6,
       {kAircraftFolder, kTexture, kParameter, kNewValue},
       handleChangeVariantParameterByTexture},
      {"READ_GLOBAL_PARAMETER",
       READ_GLOBAL_PARAMETER,
       5,
       {kAircraftFolder, kSection, kParameter},
       handleReadGlobalParameter},
      {"READ_VARIANT_PARAMETER_BY_TITLE",
       READ_VARIANT_PARAMETER_BY_TITLE,
       5,
       {kAircraftFolder, kTitle, kParameter},
       handleReadVariantParameterByTitle},
      {"READ_VARIANT_PARAMETER_BY_TEXTURE",
       READ_VARIANT_PARAMETER_BY_TEXTURE,
       5,
       {kAircraftFolder, kTexture, kParameter},
       handleReadVariantParameterByTexture},
      {"BINPATCH_MAKE", BINPATCH_MAKE, 5, {kOldFile, kNewFile, kPatchFile}, handleBinpatchMake},
      {"BINPATCH_APPLY_TO_FSX",
       BINPATCH_APPLY_TO_FSX,
       4,
       {kParameter, kPatchFile},
       handleBinpatchApplyToFsx},
      {"BINPATCH_APPLY",
       BINPATCH_APPLY,
       5,
       {kAircraftFolder, kParameter, kPatchFile},
       handleBinpatchApply},
      {"DUMP_ALL_AIRCRAFT", DUMP_ALL_AIRCRAFT, 0, {}, handleDumpAllAircraft},
      {"DUMP_ALL_SIMULATORS", DUMP_ALL_SIMULATORS, 0, {}, handleDumpAllSimulators},
  };
  return table;
}

void parseSwitches(CommandRequest* request, const platform::WideArgs& args) {
  bool nondestructiveSeen = false;
  for (const std::u16string& entry : args) {
    for (const SwitchInfo& info : kSwitches) {
      if (!equalsSwitch(entry, info.text)) continue;
      request->*info.flag = info.value;
      if (info.flag == &CommandRequest::removalDestructive && info.value == 0) {
        nondestructiveSeen = true;
      }
    }
  }
  if (nondestructiveSeen) request->removalDeleteTextureFolder = 0;
  if (request->sourceFileInAircraftFolder) {
    request->copyTextureFolders = 0;
    request->deleteTextureFoldersAfterInstall = 0;
  }
}

bool commandWordIs(const std::u16string& word, const char* name) {
  std::u16string upper = word;
  platform::upperCaseWide(&upper);
  size_t i = 0;
  for (; name[i] != '\0'; ++i) {
    if (i >= upper.size() || upper[i] != static_cast<char16_t>(name[i])) return false;
  }
  return true;
}

const CommandInfo* parseCommand(CommandRequest* request, const platform::WideArgs& args,
                                std::string* err) {
  const CommandInfo* match = nullptr;
  for (const CommandInfo& info : commandTable()) {
    if (args.size() > 1 && commandWordIs(args[1], info.name)) {
      match = &info;
      break;
    }
  }
  if (match == nullptr) {
    printResult("ERRORUNKNOWNCOMMAND\n");
    *err = "\"" + (args.size() > 1 ? platform::narrowFromWide(args[1]) : "") +
           "\" is not a command word; \"help\" lists them";
    return nullptr;
  }
  request->command = match->code;
  if (match->leastArgc > 0 && static_cast<int>(args.size()) < match->leastArgc) {
    printResult(std::string("ERROR Incorrect number of arguments for mode ") + match->name + "\n");
    int wanted = match->leastArgc - 2;
    *err = std::string(match->name) + " takes " + std::to_string(wanted) +
           (wanted == 1 ? " argument, " : " arguments, ") + std::to_string(args.size() - 2) +
           " given";
    return nullptr;
  }
  for (size_t i = 0; i < match->slots.size() && i + 2 < args.size(); ++i) {
    std::string value = platform::narrowFromWide(args[i + 2]);
    // A slot holds kSlotSize - 1 bytes; a longer argument is refused, never cut.
    if (value.size() >= kSlotSize) {
      printResult(std::string("ERROR Argument too long for mode ") + match->name + "\n");
      *err = "argument " + std::to_string(i + 1) + " is longer than " +
             std::to_string(kSlotSize - 1) + " characters";
      return nullptr;
    }
    if (!fitsFileText(*match, match->slots[i], args[i + 2], err)) {
      printResult("ERROR\n");
      return nullptr;
    }
    request->args[match->slots[i]] = value;
    request->paths[match->slots[i]] = platform::pathFromWide(args[i + 2]);
  }
  return match;
}

size_t simulatorSwitch(const platform::WideArgs& args) {
  size_t chosen = 0;
  for (const std::u16string& entry : args) {
    for (size_t i = 0; i < simulatorTable().size(); ++i) {
      if (equalsSwitch(entry, simulatorTable()[i].switchText)) chosen = i;
    }
  }
  return chosen;
}
