#include "cfg/cfg_commands.h"

#include "cli/request.h"
#include "cli/result.h"

int handleVerifyAircraft(const CommandRequest&) { return failWith("not available yet"); }
int handleVerifyTitle(const CommandRequest&) { return failWith("not available yet"); }
int handleVerifyTexture(const CommandRequest&) { return failWith("not available yet"); }
int handleDumpAllTextureTitle(const CommandRequest&) { return failWith("not available yet"); }
int handleDumpAllTitle(const CommandRequest&) { return failWith("not available yet"); }
int handleDumpAllTexture(const CommandRequest&) { return failWith("not available yet"); }
int handleChangeGlobalParameter(const CommandRequest&) { return failWith("not available yet"); }
int handleChangeVariantParameterByTitle(const CommandRequest&) {
  return failWith("not available yet");
}
int handleChangeVariantParameterByTexture(const CommandRequest&) {
  return failWith("not available yet");
}
int handleReadGlobalParameter(const CommandRequest&) { return failWith("not available yet"); }
int handleReadVariantParameterByTitle(const CommandRequest&) {
  return failWith("not available yet");
}
int handleReadVariantParameterByTexture(const CommandRequest&) {
  return failWith("not available yet");
}
