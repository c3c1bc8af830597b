#include "variants/source_file.h"

#include <limits>

#include "platform/platform.h"
#include "text/lines.h"
#include "text/text_file.h"

namespace {

constexpr size_t kWholeLines = std::numeric_limits<size_t>::max();
constexpr size_t kShortLine = 3;  // lines this short never end a section

bool endsSection(const std::string& line) {
  return line.size() > kShortLine && line.find('=') == std::string::npos;
}

// Moves the reader to the next variant header; false at the end.
bool seekHeader(LineReader* reader) {
  std::string line;
  for (;;) {
    size_t position = reader->position();
    if (!reader->next(&line) || reader->atEnd()) return false;
    if (isVariantHeader(line)) {
      reader->seek(position);
      return true;
    }
  }
}

}  // namespace

int countSourceSections(const std::string& text) {
  LineReader reader(text, kWholeLines);
  std::string line;
  int count = 0;
  while (reader.next(&line) && !reader.atEnd()) count += isVariantHeader(line);
  return count;
}

bool readSourceSection(LineReader* reader, SourceSection* section) {
  if (!seekHeader(reader)) return false;
  *section = SourceSection();
  bool firstLine = true;
  std::string last, line, key, value;
  for (;;) {
    size_t position = reader->position();
    if (!reader->next(&line)) break;
    bool lastPass = reader->atEnd();
    if (endsSection(line)) {
      if (!firstLine) {
        if (!lastPass) reader->seek(position);
        break;
      }
      firstLine = false;
    }
    if (line != last) {
      if (splitKeyValue(&line, &key, &value) && platform::equalsIgnoringAsciiCase(key, "texture")) {
        section->texture = value;
      }
      section->text += line;
      last = line;
    }
    if (lastPass) break;
  }
  return true;
}

void renumberSourceHeader(SourceSection* section, int number) {
  size_t dot = section->text.find('.');
  size_t lineEnd = section->text.find('\n');
  if (dot == std::string::npos || lineEnd == std::string::npos) return;
  section->text = section->text.substr(0, dot) + "." + std::to_string(number) + "]" +
                  section->text.substr(lineEnd);
}

std::vector<SourceSection> loadSourceSections(const std::string& text, int base) {
  std::vector<SourceSection> sections;
  int count = countSourceSections(text);
  LineReader reader(text, kWholeLines);
  SourceSection section;
  for (int i = 0; i < count && readSourceSection(&reader, &section); ++i) {
    renumberSourceHeader(&section, base + i);
    sections.push_back(std::move(section));
  }
  return sections;
}
