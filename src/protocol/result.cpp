#include "protocol/result.h"

#include "platform/platform.h"

namespace {

// The first reason noted in this run: the deepest cause is the clearest.
std::string& notedReason() {
  static std::string reason;
  return reason;
}

bool verbose() { return platform::GetEnvironment("FUSELOX_VERBOSE") == "1"; }

}  // namespace

void printResult(const std::string& text) { platform::WriteStdout(text); }

void explain(const std::string& reason) {
  if (notedReason().empty()) notedReason() = reason;
}

int failSilently(const std::string& reason) {
  // One line per run, however many layers report the same failure.
  static bool written = false;
  explain(reason);
  if (verbose() && !written && !notedReason().empty()) {
    platform::WriteStderr("fuselox: " + notedReason() + "\n");
    written = true;
  }
  return 0;
}

int failWith(const std::string& reason) {
  printResult("ERROR\n");
  return failSilently(reason);
}
