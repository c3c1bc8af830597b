#include "cli/run.h"

#include "cli/commands.h"
#include "cli/help.h"
#include "location/simulators.h"
#include "protocol/result.h"

namespace {

bool isHelpWord(const std::u16string& word) {
  static const char kHelp[] = "HELP";
  if (word.size() != 4) return false;
  for (size_t i = 0; i < 4; ++i) {
    if (platform::upperAscii(word[i]) != static_cast<char16_t>(kHelp[i])) return false;
  }
  return true;
}

}  // namespace

int runFuselox(const platform::WideArgs& args) {
  std::u16string program = args.empty() ? u"fuselox" : args[0];
  if (args.size() <= 1) {
    printBanner(program);
    return 0;
  }
  if (args.size() == 2 && isHelpWord(args[1])) {
    printHelp(program);
    return 0;
  }
  CommandRequest request;
  parseSwitches(&request, args);
  chooseSimulator(simulatorSwitch(args));
  std::string err;
  const CommandInfo* command = parseCommand(&request, args, &err);
  if (command == nullptr) return failSilently(err);
  // A mistyped switch is ignored like any other extra entry, so that the
  // result stays as it is; a verbose run names it.
  for (size_t i = 2 + command->slots.size(); i < args.size(); ++i) {
    if (!args[i].empty() && args[i][0] == u'/' && !isSwitch(args[i])) {
      noteVerbose("\"" + platform::narrowFromWide(args[i]) + "\" is not a switch; ignored");
    }
  }
  if (command->handler == nullptr) {
    printResult(std::string(kVersion) + "\n");
    return 1;
  }
  int result = command->handler(request);
  // A failure whose handler wrote no reason still gets one line.
  if (result == 0) failSilently(std::string(command->name) + " failed");
  return result;
}
