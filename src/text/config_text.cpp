#include "text/config_text.h"

#include "platform/platform.h"

namespace {

std::string trimmed(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t\r\n\v\f");
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(" \t\r\n\v\f") - begin + 1);
}

std::string fromUtf16(const std::string& bytes, size_t start, bool bigEndian) {
  std::u16string wide;
  for (size_t i = start; i + 1 < bytes.size(); i += 2) {
    auto hi = static_cast<unsigned char>(bytes[i + (bigEndian ? 0 : 1)]);
    auto lo = static_cast<unsigned char>(bytes[i + (bigEndian ? 1 : 0)]);
    wide.push_back(static_cast<char16_t>(hi << 8 | lo));
  }
  return platform::pathFromWide(wide);
}

}  // namespace

std::string decodeConfigText(const std::string& bytes) {
  if (bytes.compare(0, 2, "\xFF\xFE") == 0) return fromUtf16(bytes, 2, false);
  if (bytes.compare(0, 2, "\xFE\xFF") == 0) return fromUtf16(bytes, 2, true);
  // Marked UTF-8 keeps its valid sequences; a stray byte stands for itself.
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    return platform::pathFromWide(platform::wideFromPath(bytes.substr(3)));
  }
  // Valid UTF-8 survives the round trip through UTF-16 unchanged; a byte
  // outside a valid sequence comes back as two.
  if (platform::pathFromWide(platform::wideFromPath(bytes)) == bytes) return bytes;
  return platform::pathFromNarrow(bytes);
}

std::vector<IniSection> parseIni(const std::string& text) {
  std::vector<IniSection> sections;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    std::string line = trimmed(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    size_t close = line.find(']');
    if (line[0] == '[' && close != std::string::npos) {
      sections.push_back({trimmed(line.substr(1, close - 1)), {}});
      continue;
    }
    size_t eq = line.find('=');
    if (sections.empty() || eq == std::string::npos) continue;
    sections.back().entries.emplace_back(trimmed(line.substr(0, eq)), trimmed(line.substr(eq + 1)));
  }
  return sections;
}

std::string iniValue(const IniSection& section, const char* key) {
  for (const auto& [name, value] : section.entries) {
    if (platform::equalsIgnoringAsciiCase(name, key)) return value;
  }
  return "";
}

bool iniSectionIs(const IniSection& section, const char* prefix) {
  std::string start = section.name.substr(0, std::string(prefix).size());
  return platform::equalsIgnoringAsciiCase(start, prefix);
}

bool iniFalse(const std::string& value) {
  return platform::equalsIgnoringAsciiCase(value, "false") || value == "0";
}
