#include "text/text_file.h"

#include <algorithm>
#include <cstring>

#include "platform/platform.h"

namespace {
constexpr char kTextEnd = 0x1A;
const char kUtf8Mark[] = "\xEF\xBB\xBF";
}  // namespace

bool isUtf16Text(const std::string& bytes) {
  return bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0;
}

TextContent decodeText(const std::string& bytes) {
  TextContent content;
  size_t start = bytes.compare(0, 3, kUtf8Mark) == 0 ? 3 : 0;
  content.mark = bytes.substr(0, start);
  size_t end = bytes.find(kTextEnd);
  if (end == std::string::npos) end = bytes.size();
  content.text.reserve(end);
  for (size_t i = start; i < end; ++i) {
    if (bytes[i] == '\r' && i + 1 < end && bytes[i + 1] == '\n') continue;
    content.text.push_back(bytes[i]);
  }
  content.tail = bytes.substr(end);
  return content;
}

std::string encodeText(const std::string& text) {
  std::string bytes;
  bytes.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') bytes.push_back('\r');
    bytes.push_back(c);
  }
  return bytes;
}

bool readTextFile(const std::string& path, TextContent* content, std::string* err) {
  std::string bytes;
  if (!platform::readWholeFile(path, &bytes)) {
    *err = "cannot read " + path;
    return false;
  }
  if (isUtf16Text(bytes)) {
    *err = path + " is UTF-16 text, which Fuselox does not read or change";
    return false;
  }
  *content = decodeText(bytes);
  return true;
}

bool LineReader::next(std::string* line) {
  line->clear();
  if (pos_ >= text_.size()) {
    at_end_ = true;
    return false;
  }
  size_t limit = pos_ + std::min(text_.size() - pos_, capacity_);
  const void* lf = std::memchr(text_.data() + pos_, '\n', limit - pos_);
  size_t end = lf != nullptr ? static_cast<const char*>(lf) - text_.data() + 1 : limit;
  line->assign(text_, pos_, end - pos_);
  pos_ = end;
  // Like a C stream, the end is noticed only by trying to read past it.
  if (pos_ == text_.size() && line->back() != '\n' && line->size() < capacity_) at_end_ = true;
  return true;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t lf = text.find('\n', pos);
    if (lf == std::string::npos) lf = text.size();
    lines.emplace_back(text, pos, lf - pos);
    pos = lf + 1;
  }
  return lines;
}

std::string joinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += '\n';
  }
  return text;
}
