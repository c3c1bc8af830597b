#include "variants/variant_edits.h"

#include <unordered_set>

#include "text/lines.h"
#include "text/text_file.h"

void renumberVariants(std::vector<std::string>* lines) {
  int number = 0;
  for (std::string& line : *lines) {
    if (isVariantHeader(line)) line = "[fltsim." + std::to_string(number++) + "]";
  }
}

std::vector<bool> duplicateSections(const std::string& cfgText,
                                    const std::vector<SourceSection>& sections, bool preventByTitle,
                                    bool preventByTexture) {
  // The titles and textures present, upper-cased (the lines are), gathered
  // once: a lookup per section, not a pass over aircraft.cfg per section.
  // Titles as variantTitleExists finds them: any TITLE key from the first
  // variant header on; textures as readVariantTable records them.
  std::unordered_set<std::string> titles, textures;
  if (preventByTitle && !sections.empty()) {
    bool searching = false;
    for (std::string& line : splitLines(cfgText)) {
      while (!line.empty() && line.back() == '\r') line.pop_back();
      upperCaseInPlace(&line);
      if (!searching) {
        searching = isVariantHeader(line);
        continue;
      }
      std::string part = line.substr(0, kLineCapacity), key, value;
      if (splitKeyValue(&part, &key, &value) && key == "TITLE") titles.insert(value);
    }
  }
  if (preventByTexture && !sections.empty()) {
    for (const VariantRecord& record : readVariantTable(cfgText)) textures.insert(record.texture);
  }
  std::vector<bool> leaveOut;
  for (const SourceSection& section : sections) {
    std::string title, texture;
    bool byTitle = preventByTitle && findTitleValue(section.text, &title) &&
                   titles.count(upperCaseCopy(title)) > 0;
    bool byTexture = preventByTexture && findTextureValue(section.text, &texture) &&
                     textures.count(upperCaseCopy(texture)) > 0;
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
