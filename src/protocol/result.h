// The result protocol: every handler prints its own result line on standard
// output and returns 1 (success) or 0 (failure), the process exit code.
//
// Reasons: with FUSELOX_VERBOSE=1 a failing command also writes one line
// "fuselox: <reason>" to standard error. The reason travels back with the
// failure (a `std::string* err` beside the plain result) to the handler,
// which gives it to failWith.
#ifndef FUSELOX_PROTOCOL_RESULT_H_
#define FUSELOX_PROTOCOL_RESULT_H_

#include <string>

// Prints text on standard output, unchanged.
void printResult(const std::string& text);

// Prints text and returns 1.
int succeedWith(const std::string& text);

// Prints "ERROR\n", writes the reason when verbose, and returns 0.
int failWith(const std::string& reason);

// As failWith, for the commands whose failure prints no result line. At
// most one reason line is written per run: a later call writes nothing, and
// an empty reason none.
int failSilently(const std::string& reason);

// Writes "fuselox: <note>" to standard error when verbose, whatever the
// outcome; a reason may follow.
void noteVerbose(const std::string& note);

// Keeps a note of something passed over that may explain a failure (a file
// that could not be read); the reason line of a later failure ends with the
// notes in brackets. Success prints nothing of them, so that output an
// installer reads with standard error mixed in stays clean.
void notePassedOver(const std::string& note);

#endif  // FUSELOX_PROTOCOL_RESULT_H_
