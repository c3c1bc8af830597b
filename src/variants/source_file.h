// Variant source files: the [fltsim.N] sections an installer ships beside a
// repaint, read into sections ready to be appended to aircraft.cfg.
#ifndef FUSELOX_VARIANTS_SOURCE_FILE_H_
#define FUSELOX_VARIANTS_SOURCE_FILE_H_

#include <string>
#include <vector>

class LineReader;

struct SourceSection {
  std::string text;     // header first, then the stored lines, each with its LF
  std::string texture;  // the value of the section's last texture key, or empty
};

// The number of variant headers; a last line without line end is not
// examined.
int countSourceSections(const std::string& text);

// Reads the next section from the reader's position. False when no further
// variant header is found. A section ends before the first line of more than
// 3 characters without "="; a line equal to the one just stored is stored
// once; stored lines lose their leading white space, so blank lines vanish.
// Lines are read whole, however long.
bool readSourceSection(LineReader* reader, SourceSection* section);

// Replaces what follows the first "." of the header line by "<number>]".
void renumberSourceHeader(SourceSection* section, int number);

// Every section of the source text, the i-th numbered base + i. Stops at the
// last section found when a header that holds "=" made the count too high.
std::vector<SourceSection> loadSourceSections(const std::string& text, int base);

#endif  // FUSELOX_VARIANTS_SOURCE_FILE_H_
