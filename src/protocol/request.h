// The one record a run is about: which command, the flags its switches set,
// and the narrow arguments in named slots.
#ifndef FUSELOX_PROTOCOL_REQUEST_H_
#define FUSELOX_PROTOCOL_REQUEST_H_

#include <cstddef>
#include <cstdint>
#include <string>

// Command codes; each name is also the command word typed on the command
// line. Code 23 is not assigned.
enum CommandCode : int32_t {
  NO_COMMAND = 0,
  INSTALL_VARIANT = 1,
  REMOVE_VARIANT_BY_TITLE = 2,
  REMOVE_VARIANT_BY_TEXTURE = 3,
  VERIFY_AIRCRAFT = 4,
  VERIFY_TITLE = 5,
  VERIFY_TEXTURE = 6,
  DUMP_ALL_TITLE = 7,
  DUMP_ALL_TEXTURE = 8,
  PRINT_PATH_AIRCRAFT = 9,
  PRINT_PATH_FSX = 10,
  CHANGE_VARIANT_PARAMETER_BY_TITLE = 11,
  CHANGE_VARIANT_PARAMETER_BY_TEXTURE = 12,
  CHANGE_GLOBAL_PARAMETER = 13,
  APPEND_TEXT = 14,
  SANITIZE_VARIANTS = 15,
  READ_VARIANT_PARAMETER_BY_TITLE = 16,
  READ_VARIANT_PARAMETER_BY_TEXTURE = 17,
  READ_GLOBAL_PARAMETER = 18,
  INSTALL_VARIANT_BY_PATH = 19,
  BINPATCH_MAKE = 20,
  BINPATCH_APPLY = 21,
  BINPATCH_APPLY_TO_FSX = 22,
  DUMP_ALL_AIRCRAFT = 24,
  DUMP_ALL_TEXTURE_TITLE = 25,
  PRINT_VERSION = 26,
  DUMP_ALL_SIMULATORS = 27,
};

// Capacity of every argument slot, path and line buffer, terminator
// included: the longest text a slot holds is kSlotSize - 1 bytes.
constexpr size_t kSlotSize = 1024;

enum Slot {
  kAircraftFolder = 0,
  kTitle = 1,
  kTexture = 2,
  kSourceFile = 3,
  kParameter = 4,
  kNewValue = 5,
  kUnusedSlot = 6,
  kSection = 7,
  kOldFile = 8,
  kNewFile = 9,
  kPatchFile = 10,
  kSlotCount = 11,
};

struct CommandRequest {
  CommandCode command = NO_COMMAND;
  int preventDuplicatesByTitle = 1;
  int preventDuplicatesByTexture = 0;
  int removalDestructive = 0;
  int removalDeleteTextureFolder = 0;
  int showEolComments = 0;
  int sourceFileInAircraftFolder = 0;
  int deleteSourceFileAfterInstall = 0;
  int addMissingParameter = 0;
  int copyTextureFolders = 0;
  int deleteTextureFoldersAfterInstall = 0;
  // Each argument twice: as narrow text (the low byte of each UTF-16 code
  // unit), compared with file content; and as a path (UTF-8), which keeps
  // every character on its way to the file system. At most kSlotSize - 1
  // UTF-16 code units each; empty means "not given".
  std::string args[kSlotCount];
  std::string paths[kSlotCount];

  const std::string& aircraftFolder() const { return paths[kAircraftFolder]; }
  const std::string& title() const { return args[kTitle]; }
  const std::string& texture() const { return args[kTexture]; }
  const std::string& sourceFile() const { return paths[kSourceFile]; }
  const std::string& parameter() const { return args[kParameter]; }
  // BINPATCH_APPLY* take a relative file path where others take a parameter.
  const std::string& relativePath() const { return paths[kParameter]; }
  const std::string& newValue() const { return args[kNewValue]; }
  const std::string& section() const { return args[kSection]; }
  const std::string& oldFile() const { return paths[kOldFile]; }
  const std::string& newFile() const { return paths[kNewFile]; }
  const std::string& patchFile() const { return paths[kPatchFile]; }
};

#endif  // FUSELOX_PROTOCOL_REQUEST_H_
