#include "patch/patch_commands.h"

#include "cli/request.h"
#include "cli/result.h"

int handleBinpatchMake(const CommandRequest&) { return failWith("not available yet"); }
int handleBinpatchApply(const CommandRequest&) { return failWith("not available yet"); }
int handleBinpatchApplyToFsx(const CommandRequest&) { return failWith("not available yet"); }
