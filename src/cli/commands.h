// The command line turned into one CommandRequest: the thirteen switches,
// the command table (tried in order, prefix match, any letter case) and the
// argument slots.
#ifndef FUSELOX_CLI_COMMANDS_H_
#define FUSELOX_CLI_COMMANDS_H_

#include <vector>

#include "platform/platform.h"
#include "protocol/request.h"

using CommandHandler = int (*)(const CommandRequest&);

struct CommandInfo {
  const char* name;
  CommandCode code;
  int leastArgc;  // 0: no count test
  std::vector<Slot> slots;
  CommandHandler handler;  // nullptr: carried out by the front end itself
};

// The command table, in the order in which the command word is tried.
const std::vector<CommandInfo>& commandTable();

// Sets the flags of every switch among the entries, then applies the rules
// that hold after all entries are seen.
void parseSwitches(CommandRequest* request, const platform::WideArgs& args);

// True when the entry is one of the switches (any letter case).
bool isSwitch(const std::u16string& entry);

// True when the word, upper-cased, begins with the command name.
bool commandWordIs(const std::u16string& word, const char* name);

// Recognises the command word, checks the argument count and fills the
// slots. Returns the command's row, or nullptr after printing the result
// line, with the reason in `err`.
const CommandInfo* parseCommand(CommandRequest* request, const platform::WideArgs& args,
                                std::string* err);

// The simulator the entries choose: the row of the last simulator switch
// (/SIMULATOR_P3D_V5...) in the simulator table, 0 (FSX) when there is none.
size_t simulatorSwitch(const platform::WideArgs& args);

#endif  // FUSELOX_CLI_COMMANDS_H_
