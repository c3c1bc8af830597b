#include "variants/variant_edits.h"

#include "text/lines.h"

void renumberVariants(std::vector<std::string>* lines) {
  int number = 0;
  for (std::string& line : *lines) {
    if (isVariantHeader(line)) line = "[fltsim." + std::to_string(number++) + "]";
  }
}

std::vector<bool> duplicateSections(const std::string& cfgText,
                                    const std::vector<SourceSection>& sections, bool preventByTitle,
                                    bool preventByTexture) {
  std::vector<bool> leaveOut;
  for (const SourceSection& section : sections) {
    std::string title, texture;
    bool byTitle = preventByTitle && findTitleValue(section.text, &title) &&
                   variantTitleExists(cfgText, title);
    bool byTexture = preventByTexture && findTextureValue(section.text, &texture) &&
                     variantTextureExists(cfgText, texture);
    leaveOut.push_back(byTitle || byTexture);
  }
  return leaveOut;
}

std::string appendSections(const std::string& cfgText, const std::vector<SourceSection>& sections,
                           const std::vector<bool>& leaveOut) {
  std::string text = cfgText + "\n";
  for (size_t i = 0; i < sections.size(); ++i) {
    if (!leaveOut[i]) text += "\n" + sections[i].text + "\n";
  }
  return text;
}

int variantHeaderLine(const std::vector<std::string>& lines, int position) {
  int seen = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (isVariantHeader(lines[i]) && seen++ == position) return static_cast<int>(i);
  }
  return -1;
}

void removeBlock(std::vector<std::string>* lines, int header, bool destructive) {
  size_t end = header + 1;
  while (end < lines->size() && !isHeaderLine((*lines)[end])) ++end;
  if (destructive) {
    lines->erase(lines->begin() + header, lines->begin() + end);
    return;
  }
  for (size_t i = header; i < end; ++i) (*lines)[i] = "//" + (*lines)[i];
}

bool blockTextureValue(const std::vector<std::string>& lines, int header, std::string* value) {
  for (size_t i = header + 1; i < lines.size() && !isHeaderLine(lines[i]); ++i) {
    if (compactForm(lines[i]).compare(0, 8, "TEXTURE=") != 0) continue;
    std::string line = lines[i], key;
    return splitKeyValue(&line, &key, value);
  }
  return false;
}
