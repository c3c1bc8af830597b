#include "cfg/variant_table.h"

#include "platform/platform.h"
#include "text/lines.h"
#include "text/text_file.h"

namespace {

// Calls visit(line) for every line as the editors see it too: everything up
// to its LF however long (a lone CR is white space, not a line end; CRs at
// its end are dropped), upper-cased.
template <typename Visit>
void forEachUpperLine(const std::string& text, Visit visit) {
  for (std::string& line : splitLines(text)) {
    while (!line.empty() && line.back() == '\r') line.pop_back();
    upperCaseInPlace(&line);
    visit(line);
  }
}

// The part of a line in which a title or texture is looked for: text past
// the line capacity never is one.
std::string valuePart(const std::string& line) { return line.substr(0, kLineCapacity); }

}  // namespace

std::vector<VariantRecord> readVariantTable(const std::string& text) {
  std::vector<VariantRecord> table;
  bool inside = false;  // within a variant section whose texture is not seen yet
  forEachUpperLine(text, [&](const std::string& line) {
    if (isHeaderLine(line)) {
      inside = isVariantHeader(line);
      if (!inside) return;
      table.emplace_back();
      table.back().number = sectionNumber(line);
      table.back().position = static_cast<int>(table.size()) - 1;
      return;
    }
    if (!inside) return;
    std::string part = valuePart(line);
    std::string compact = removeWhiteSpace(part);
    if (compact.find("TITLE=") != std::string::npos) valueAfterEquals(part, &table.back().title);
    if (compact.find("TEXTURE=") != std::string::npos) {
      valueAfterEquals(part, &table.back().texture);
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
    std::string line = valuePart(upper), key, value;
    found = splitKeyValue(&line, &key, &value) && platform::equalsIgnoringAsciiCase(key, "TITLE") &&
            platform::equalsIgnoringAsciiCase(value, title);
  });
  return found;
}

bool variantTextureExists(const std::string& text, const std::string& texture) {
  for (const VariantRecord& record : readVariantTable(text)) {
    if (platform::equalsIgnoringAsciiCase(record.texture, texture)) return true;
  }
  return false;
}

VariantRecord findVariant(const std::string& text, const std::string& key, LookupMode mode) {
  VariantRecord found;
  for (const VariantRecord& record : readVariantTable(text)) {
    const std::string& value = mode == kByTitle ? record.title : record.texture;
    if (record.position >= 0 && platform::equalsIgnoringAsciiCase(value, key)) found = record;
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
