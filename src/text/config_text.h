// The configuration files of FSX Steam Edition and Prepar3D (fsx_se.cfg,
// simobjects.cfg, add-ons.cfg): text of any of the encodings their tools
// write, and the [section] key=value form of the Prepar3D files.
#ifndef FUSELOX_TEXT_CONFIG_TEXT_H_
#define FUSELOX_TEXT_CONFIG_TEXT_H_

#include <string>
#include <utility>
#include <vector>

// The file's text as UTF-8, so that a path in it keeps every character: by
// its byte-order mark (UTF-16LE, UTF-16BE, UTF-8); without one, valid UTF-8
// as it stands, anything else as one-byte text (each byte U+0000 to U+00FF).
std::string decodeConfigText(const std::string& bytes);

struct IniSection {
  std::string name;                                          // between the brackets, blanks trimmed
  std::vector<std::pair<std::string, std::string>> entries;  // key, value; blanks trimmed
};

// The sections of the text in file order; lines before the first section,
// comment lines (";" or "#") and lines without "=" are ignored.
std::vector<IniSection> parseIni(const std::string& text);

// The value of the first entry whose key matches, ignoring ASCII case; empty
// text when there is none.
std::string iniValue(const IniSection& section, const char* key);

// True when the section's name is `prefix` followed by anything ("Entry." for
// "[Entry.12]"), ignoring ASCII case.
bool iniSectionIs(const IniSection& section, const char* prefix);

// True when the value switches its section off: "false" in any case, or "0".
bool iniFalse(const std::string& value);

#endif  // FUSELOX_TEXT_CONFIG_TEXT_H_
