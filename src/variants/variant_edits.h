// The edits that installation, removal and renumbering make to the lines of
// aircraft.cfg. Each works on the text in memory; the commands write the
// result back through the safe rewrite.
#ifndef FUSELOX_VARIANTS_VARIANT_EDITS_H_
#define FUSELOX_VARIANTS_VARIANT_EDITS_H_

#include <string>
#include <vector>

#include "cfg/variant_table.h"
#include "variants/source_file.h"

// Gives the variant headers the numbers 0, 1, 2 … in file order: each header
// line becomes "[fltsim.N]" whole; every other line stays as it is.
void renumberVariants(std::vector<std::string>* lines);

// Which source sections to leave out because aircraft.cfg (`cfgText`, as it
// was before the install) already has a variant with the section's title or
// texture. A section without a title (or texture) is never left out by that
// check: a missing value is unknown, not empty.
std::vector<bool> duplicateSections(const std::string& cfgText,
                                    const std::vector<SourceSection>& sections, bool preventByTitle,
                                    bool preventByTexture);

// The text after appending the kept sections: one empty line before the
// first, two between sections. `cfgText` is used as it stands (a final line
// end adds one more empty line).
std::string appendSections(const std::string& cfgText, const std::vector<SourceSection>& sections,
                           const std::vector<bool>& leaveOut);

// The index of the line of the position-th variant header, or -1.
int variantHeaderLine(const std::vector<std::string>& lines, int position);

// Removes the block that starts at line `header` and runs to the next header
// line: commented out with "//" before every line, or dropped.
void removeBlock(std::vector<std::string>* lines, int header, bool destructive);

// The texture value written in the block that starts at line `header` (its
// first line whose compact form begins with "TEXTURE="), as written.
bool blockTextureValue(const std::vector<std::string>& lines, int header, std::string* value);

#endif  // FUSELOX_VARIANTS_VARIANT_EDITS_H_
