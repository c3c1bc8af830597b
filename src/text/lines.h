// The byte-level line operations every reader and writer of aircraft.cfg,
// variant source files and fsx.cfg is built from. Text is 8-bit bytes with no
// encoding; white space is exactly space, tab, LF, VT, FF and CR, and case
// folding touches the ASCII letters only.
#ifndef FUSELOX_TEXT_LINES_H_
#define FUSELOX_TEXT_LINES_H_

#include <string>

bool isWhiteSpace(char c);

// Removes the line's leading white space in place, then splits it into the
// key (up to the first white space or "=") and the value (after every
// following white space and "=", trailing CR and LF removed). False when the
// line ends inside the key.
bool splitKeyValue(std::string* line, std::string* key, std::string* value);

std::string removeWhiteSpace(const std::string& text);
void upperCaseInPlace(std::string* text);
std::string upperCaseCopy(const std::string& text);

// Ends the text at its first CR or LF.
void cutAtLineBreak(std::string* text);

// Remove the last "//" (or ";") comment and the blanks before it, unless the
// marker starts the value or only white space precedes it.
void stripSlashComment(std::string* value);
void stripSemicolonComment(std::string* value);

// The text after the first "=", its leading white space skipped; `out` keeps
// its contents when there is no "=" or only white space follows it.
void valueAfterEquals(const std::string& line, std::string* out);

// The number after the first "." of a header line (0 when none; clamped to
// the 32-bit range).
int sectionNumber(const std::string& header);

// The compact form: upper-cased, every white-space byte removed.
std::string compactForm(const std::string& line);

// A header line's compact form begins with "[".
bool isHeaderLine(const std::string& line);

// A variant header begins with "[FLTSIM." after leading white space, in any
// letter case.
bool isVariantHeader(const std::string& line);

// The title or texture value of a variant section text (lines joined by LF):
// the first "title" (or "texture"), in lower case, followed by any run of
// spaces and tabs and "="; then every white space and "=" is skipped and the
// rest of that line is the value, at most kValueCapacity bytes. `out` keeps
// its contents, and the result is false, when there is no such key or
// nothing follows it.
bool findTitleValue(const std::string& sectionText, std::string* out);
bool findTextureValue(const std::string& sectionText, std::string* out);

// The longest value findTitleValue and findTextureValue give (a 1024-byte
// buffer with its terminator).
constexpr size_t kValueCapacity = 1023;

#endif  // FUSELOX_TEXT_LINES_H_
