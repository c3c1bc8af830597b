#include "cfg/variant_table.h"

#include "cfg/lines.h"
#include "cfg/text_file.h"

namespace {

// Calls visit(line) for every line as the readers see it: pieces of at most
// the line capacity, cut at their first CR or LF, upper-cased.
template <typename Visit>
void forEachUpperLine(const std::string& text, Visit visit) {
  LineReader reader(text);
  std::string line;
  while (reader.next(&line)) {
    cutAtLineBreak(&line);
    upperCaseInPlace(&line);
    visit(line);
  }
}

}  // namespace

int countVariantHeaders(const std::string& text) {
  int count = 0;
  forEachUpperLine(text, [&](const std::string& line) { count += isVariantHeader(line); });
  return count;
}

std::vector<VariantRecord> readVariantTable(const std::string& text) {
  std::vector<VariantRecord> table(countVariantHeaders(text));
  size_t current = 0;
  int headersSeen = 0;
  bool inside = false;
  forEachUpperLine(text, [&](const std::string& line) {
    bool header = isVariantHeader(line);
    int position = headersSeen;
    headersSeen += header;
    if (current >= table.size()) return;
    VariantRecord& record = table[current];
    if (!inside) {
      if (header) {
        record.number = sectionNumber(line);
        record.position = position;
        inside = true;
      }
      return;
    }
    std::string compact = removeWhiteSpace(line);
    if (compact.find("TITLE=") != std::string::npos) valueAfterEquals(line, &record.title);
    if (compact.find("TEXTURE=") != std::string::npos) {
      valueAfterEquals(line, &record.texture);
      ++current;
      inside = false;
    }
  });
  return table;
}

bool variantTitleExists(const std::string& text, const std::string& title) {
  bool searching = false;
  bool found = false;
  forEachUpperLine(text, [&](const std::string& upper) {
    if (found) return;
    if (!searching) {
      searching = isVariantHeader(upper);
      return;
    }
    std::string line = upper, key, value;
    found = splitKeyValue(&line, &key, &value) && equalsIgnoringCase(key, "TITLE") &&
            equalsIgnoringCase(value, title);
  });
  return found;
}

bool variantTextureExists(const std::string& text, const std::string& texture) {
  for (const VariantRecord& record : readVariantTable(text)) {
    if (equalsIgnoringCase(record.texture, texture)) return true;
  }
  return false;
}

VariantRecord findVariant(const std::string& text, const std::string& key, LookupMode mode) {
  VariantRecord found;
  for (const VariantRecord& record : readVariantTable(text)) {
    const std::string& value = mode == kByTitle ? record.title : record.texture;
    if (record.position >= 0 && equalsIgnoringCase(value, key)) found = record;
  }
  return found;
}

int firstNumberingGap(const std::string& text) {
  int position = -1;
  bool gapFound = false;
  forEachUpperLine(text, [&](const std::string& line) {
    if (gapFound || !isVariantHeader(line)) return;
    ++position;
    gapFound = sectionNumber(line) != position;
  });
  return position;
}
