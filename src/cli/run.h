// The program's entry point above the platform: one command line, one run.
#ifndef FUSELOX_CLI_RUN_H_
#define FUSELOX_CLI_RUN_H_

#include "platform/platform.h"

// Runs one command line (argv[0] first) and returns the exit code: 1 for
// success, 0 for every failure, the banner and the help.
int runFuselox(const platform::WideArgs& args);

#endif  // FUSELOX_CLI_RUN_H_
