// Folder-listing rules shared by both targets, so that a listing has the
// same entries in the same order whatever the system underneath does.
#include <algorithm>
#include <cstring>

#include "platform/platform.h"

namespace platform {
namespace {

bool matchFrom(const std::string& name, size_t n, const std::string& pattern, size_t p) {
  while (p < pattern.size()) {
    if (pattern[p] == '*') {
      for (size_t skip = n; skip <= name.size(); ++skip) {
        if (matchFrom(name, skip, pattern, p + 1)) return true;
      }
      return false;
    }
    if (n >= name.size() || upperAscii(name[n]) != upperAscii(pattern[p])) return false;
    ++n;
    ++p;
  }
  return n == name.size();
}

int compareIgnoringCase(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(upperAscii(a[i]));
    unsigned char y = static_cast<unsigned char>(upperAscii(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return 0;
}

}  // namespace

bool nameMatchesPattern(const std::string& name, const std::string& pattern) {
  if (matchFrom(name, 0, pattern, 0)) return true;
  // As on Windows, "x.*" also matches a plain "x" that has no "." at all.
  if (pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0 &&
      name.find('.') == std::string::npos) {
    return matchFrom(name, 0, pattern.substr(0, pattern.size() - 2), 0);
  }
  return false;
}

namespace {

bool componentNamesDevice(const std::string& component) {
  size_t start = component.rfind(':');
  // Compared as UTF-16, as Windows does: the superscript digits are two
  // bytes of UTF-8 but one character.
  std::u16string name = wideFromPath(component.substr(start == std::string::npos ? 0 : start + 1));
  name = name.substr(0, name.find(u'.'));
  while (!name.empty() && name.back() == u' ') name.pop_back();
  for (char16_t& c : name) c = upperAscii(c);
  if (name == u"CON" || name == u"PRN" || name == u"AUX" || name == u"NUL" || name == u"CONIN$" ||
      name == u"CONOUT$") {
    return true;
  }
  // COM1 to COM9 and LPT1 to LPT9, also with the superscripts 1, 2, 3.
  const std::u16string digits = u"123456789\u00B9\u00B2\u00B3";
  return name.size() == 4 && (name.compare(0, 3, u"COM") == 0 || name.compare(0, 3, u"LPT") == 0) &&
         digits.find(name[3]) != std::u16string::npos;
}

}  // namespace

bool namesDevice(const std::string& path) {
  // No folder on Windows has a device name, so a path through one names
  // nothing there; a host folder of that name is not reached either.
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find_first_of("\\/", start);
    if (end == std::string::npos) end = path.size();
    if (componentNamesDevice(path.substr(start, end - start))) return true;
    start = end + 1;
  }
  return false;
}

bool isWindowsName(const std::string& name) {
  if (name.empty() || name == "." || name == ".." || name.back() == '.' || name.back() == ' ') {
    return false;
  }
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || std::strchr("\\/:*?\"<>|", c) != nullptr) {
      return false;
    }
  }
  return !namesDevice(name);
}

std::string folderKeyOfName(const std::string& name) {
  size_t end = name.find_last_not_of(". ");
  std::string key = end == std::string::npos ? "" : name.substr(0, end + 1);
  for (char& c : key) c = upperAscii(c);
  return key;
}

bool resolveInside(const std::string& relative, std::string* inside) {
  inside->clear();
  if (relative.empty() || relative[0] == '\\' || relative[0] == '/' ||
      relative.find(':') != std::string::npos) {
    return false;
  }
  std::vector<std::string> kept;
  size_t i = 0;
  while (i <= relative.size()) {
    size_t end = relative.find_first_of("\\/", i);
    if (end == std::string::npos) end = relative.size();
    std::string component = relative.substr(i, end - i);
    i = end + 1;
    if (component.empty() || component == ".") continue;
    if (component == "..") {
      if (kept.empty()) return false;
      kept.pop_back();
      continue;
    }
    // "...", ".. " and the like: Windows trims them to "." or "..".
    if (component.find_first_not_of(". ") == std::string::npos) return false;
    kept.push_back(component);
  }
  for (const std::string& component : kept) {
    *inside += (inside->empty() ? "" : "\\") + component;
  }
  return !kept.empty();
}

void sortListing(std::vector<std::string>* names) {
  auto rank = [](const std::string& s) { return s == "." ? 0 : s == ".." ? 1 : 2; };
  std::sort(names->begin(), names->end(), [&](const std::string& a, const std::string& b) {
    if (rank(a) != rank(b)) return rank(a) < rank(b);
    int c = compareIgnoringCase(a, b);
    return c != 0 ? c < 0 : a < b;
  });
}

}  // namespace platform
