#include "protocol/result.h"

#include "platform/platform.h"

void printResult(const std::string& text) { platform::writeStdout(text); }

namespace {

bool verbose() { return platform::getEnvironment("FUSELOX_VERBOSE") == "1"; }

// Paths are joined with a backslash also after a folder that ends in one: a
// reason shows each separator once. The two that begin a network path stay.
std::string tidyPaths(const std::string& reason) {
  std::string out;
  for (size_t i = 0; i < reason.size(); ++i) {
    bool doubled = i > 0 && reason[i] == '\\' && reason[i - 1] == '\\';
    bool startsPath = i == 1 || (i > 1 && (reason[i - 2] == ' ' || reason[i - 2] == '"'));
    if (!doubled || startsPath) out.push_back(reason[i]);
  }
  return out;
}

}  // namespace

void noteVerbose(const std::string& note) {
  if (verbose()) platform::writeStderr("fuselox: " + note + "\n");
}

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
  if (!written && !reason.empty() && verbose()) {
    std::string passedOver = notes().empty() ? "" : " (" + notes() + ")";
    platform::writeStderr("fuselox: " + tidyPaths(reason + passedOver) + "\n");
    written = true;
  }
  return 0;
}

int failWith(const std::string& reason) {
  printResult("ERROR\n");
  return failSilently(reason);
}
