// The binary patch commands.
#ifndef FUSELOX_PATCH_PATCH_COMMANDS_H_
#define FUSELOX_PATCH_PATCH_COMMANDS_H_

struct CommandRequest;

int handleBinpatchMake(const CommandRequest& request);
int handleBinpatchApply(const CommandRequest& request);
int handleBinpatchApplyToFsx(const CommandRequest& request);

#endif  // FUSELOX_PATCH_PATCH_COMMANDS_H_
