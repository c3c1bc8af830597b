#include "protocol/result.h"

#include "platform/platform.h"

void printResult(const std::string& text) { platform::writeStdout(text); }

int succeedWith(const std::string& text) {
  printResult(text);
  return 1;
}

namespace {

std::string& notes() {
  static std::string text;
  return text;
}

}  // namespace

void notePassedOver(const std::string& note) { notes() += (notes().empty() ? "" : "; ") + note; }

int failSilently(const std::string& reason) {
  static bool written = false;
  if (!written && !reason.empty() && platform::getEnvironment("FUSELOX_VERBOSE") == "1") {
    platform::writeStderr("fuselox: " + reason + (notes().empty() ? "" : " (" + notes() + ")") +
                          "\n");
    written = true;
  }
  return 0;
}

int failWith(const std::string& reason) {
  printResult("ERROR\n");
  return failSilently(reason);
}
