// Reading and changing key=value parameters of one section of aircraft.cfg.
#ifndef FUSELOX_CFG_PARAMETERS_H_
#define FUSELOX_CFG_PARAMETERS_H_

#include <string>
#include <vector>

// The section to work on: a named section (its header's compact form equals
// that of "[name]", so case and blanks do not matter) or the variant at a
// position (the position-th variant header of the file and its lines up to
// the next header line).
struct SectionTarget {
  std::string name;   // used when position < 0
  int position = -1;  // variant header index from 0

  static SectionTarget named(const std::string& name) { return {name, -1}; }
  static SectionTarget variantAt(int position) { return {"", position}; }
};

// Rewrites `lines`: every "parameter" line of every target section becomes
// "<key as the file spells it>=<newValue>"; the target sections' lines lose
// their leading white space. With addMissing, a parameter not changed by the
// end of the first target section is added as its last line. Returns true
// when a line with the new value was written.
bool changeParameter(const std::string& parameter, const std::string& newValue,
                     const SectionTarget& target, bool addMissing, std::vector<std::string>* lines);

// The values of every "parameter" line of the target sections, in file
// order; end-of-line comments ("//", then ";") removed unless showComments.
std::vector<std::string> readParameter(const std::string& parameter, const SectionTarget& target,
                                       bool showComments, const std::string& text);

// True when the text has a target section.
bool hasSection(const SectionTarget& target, const std::string& text);

#endif  // FUSELOX_CFG_PARAMETERS_H_
