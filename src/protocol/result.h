// The result protocol: every handler prints its own result line on standard
// output and returns 1 (success) or 0 (failure), the process exit code.
//
// Reasons: with FUSELOX_VERBOSE=1 a failing command also writes one line
// "fuselox: <reason>" to standard error. The operation that meets the
// failure notes it with explain(); the handler that gives up prints it.
#ifndef FUSELOX_PROTOCOL_RESULT_H_
#define FUSELOX_PROTOCOL_RESULT_H_

#include <string>

// Prints text on standard output, unchanged.
void printResult(const std::string& text);

// Notes why the command is failing, unless a reason is noted already.
void explain(const std::string& reason);

// Prints "ERROR\n", writes the noted reason (or this one) when verbose, and
// returns 0.
int failWith(const std::string& reason);

// As failWith, for the commands whose failure prints no result line. The
// reason is written once per run: later calls write nothing.
int failSilently(const std::string& reason);

#endif  // FUSELOX_PROTOCOL_RESULT_H_
