// The two texts the program prints about itself.
#ifndef FUSELOX_CLI_HELP_H_
#define FUSELOX_CLI_HELP_H_

#include <string>

extern const char kVersion[];  // "1.21": the version of project() in CMakeLists.txt

// The short banner (no arguments) and the full help ("help"); the program
// name is argv[0] as invoked.
void printBanner(const std::u16string& programName);
void printHelp(const std::u16string& programName);

#endif  // FUSELOX_CLI_HELP_H_
