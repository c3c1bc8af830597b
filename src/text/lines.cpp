#include "text/lines.h"

#include <algorithm>
#include <climits>

#include "platform/platform.h"

bool isWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

namespace {

size_t skipWhiteSpace(const std::string& text, size_t pos) {
  while (pos < text.size() && isWhiteSpace(text[pos])) ++pos;
  return pos;
}

void stripComment(std::string* value, const std::string& marker) {
  size_t at = value->rfind(marker);
  if (value->size() < marker.size() || at == std::string::npos || at == 0) return;
  size_t end = at;
  while (end > 0 && isWhiteSpace((*value)[end - 1])) --end;
  if (end > 0) value->resize(end);
}

bool findKeyValue(const std::string& text, const std::string& key, std::string* out) {
  for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
    size_t pos = at + key.size();
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    if (pos >= text.size() || text[pos] != '=') continue;
    while (pos < text.size() && (isWhiteSpace(text[pos]) || text[pos] == '=')) ++pos;
    if (pos >= text.size()) return false;
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    out->assign(text, pos, std::min(end - pos, kValueCapacity));
    return true;
  }
  return false;
}

}  // namespace

bool splitKeyValue(std::string* line, std::string* key, std::string* value) {
  line->erase(0, skipWhiteSpace(*line, 0));
  key->clear();
  value->clear();
  size_t end = 0;
  while (end < line->size() && !isWhiteSpace((*line)[end]) && (*line)[end] != '=') ++end;
  if (end >= line->size()) return false;
  key->assign(*line, 0, end);
  size_t pos = end + 1;
  while (pos < line->size() && (isWhiteSpace((*line)[pos]) || (*line)[pos] == '=')) ++pos;
  value->assign(*line, pos, std::string::npos);
  while (!value->empty() && (value->back() == '\r' || value->back() == '\n')) value->pop_back();
  return true;
}

std::string removeWhiteSpace(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (!isWhiteSpace(c)) out.push_back(c);
  }
  return out;
}

void upperCaseInPlace(std::string* text) {
  for (char& c : *text) c = platform::upperAscii(c);
}

std::string upperCaseCopy(const std::string& text) {
  std::string out = text;
  upperCaseInPlace(&out);
  return out;
}

void cutAtLineBreak(std::string* text) {
  size_t at = text->find_first_of("\r\n");
  if (at != std::string::npos) text->resize(at);
}

void stripSlashComment(std::string* value) { stripComment(value, "//"); }

void stripSemicolonComment(std::string* value) { stripComment(value, ";"); }

void valueAfterEquals(const std::string& line, std::string* out) {
  size_t eq = line.find('=');
  if (eq == std::string::npos) return;
  size_t pos = skipWhiteSpace(line, eq + 1);
  if (pos >= line.size()) return;
  out->assign(line, pos, std::string::npos);
}

int sectionNumber(const std::string& header) {
  size_t dot = header.find('.');
  if (dot == std::string::npos) return 0;
  size_t pos = skipWhiteSpace(header, dot + 1);
  bool negative = false;
  if (pos < header.size() && (header[pos] == '+' || header[pos] == '-')) {
    negative = header[pos] == '-';
    ++pos;
  }
  long long value = 0;
  for (; pos < header.size() && header[pos] >= '0' && header[pos] <= '9'; ++pos) {
    value = value * 10 + (header[pos] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) return value > INT_MAX ? INT_MIN : static_cast<int>(-value);
  return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

std::string compactForm(const std::string& line) { return removeWhiteSpace(upperCaseCopy(line)); }

bool isHeaderLine(const std::string& line) {
  for (char c : line) {
    if (!isWhiteSpace(c)) return c == '[';
  }
  return false;
}

bool isVariantHeader(const std::string& line) {
  size_t pos = skipWhiteSpace(line, 0);
  static const char kPrefix[] = "[FLTSIM.";
  for (size_t i = 0; kPrefix[i] != '\0'; ++i, ++pos) {
    if (pos >= line.size() || platform::upperAscii(line[pos]) != kPrefix[i]) return false;
  }
  return true;
}

bool findTitleValue(const std::string& sectionText, std::string* out) {
  return findKeyValue(sectionText, "title", out);
}

bool findTextureValue(const std::string& sectionText, std::string* out) {
  return findKeyValue(sectionText, "texture", out);
}
