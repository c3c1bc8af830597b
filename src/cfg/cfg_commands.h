// The aircraft.cfg commands: verify, list, read and change parameters.
#ifndef FUSELOX_CFG_CFG_COMMANDS_H_
#define FUSELOX_CFG_CFG_COMMANDS_H_

struct CommandRequest;

int handleVerifyAircraft(const CommandRequest& request);
int handleVerifyTitle(const CommandRequest& request);
int handleVerifyTexture(const CommandRequest& request);
int handleDumpAllTextureTitle(const CommandRequest& request);
int handleDumpAllTitle(const CommandRequest& request);
int handleDumpAllTexture(const CommandRequest& request);
int handleChangeGlobalParameter(const CommandRequest& request);
int handleChangeVariantParameterByTitle(const CommandRequest& request);
int handleChangeVariantParameterByTexture(const CommandRequest& request);
int handleReadGlobalParameter(const CommandRequest& request);
int handleReadVariantParameterByTitle(const CommandRequest& request);
int handleReadVariantParameterByTexture(const CommandRequest& request);

#endif  // FUSELOX_CFG_CFG_COMMANDS_H_
