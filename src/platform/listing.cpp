// Folder-listing rules shared by both targets, so that a listing has the
// same entries in the same order whatever the system underneath does.
#include <algorithm>

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

bool namesDevice(const std::string& path) {
  size_t start = path.find_last_of("\\/:");
  std::string name = path.substr(start == std::string::npos ? 0 : start + 1);
  name = name.substr(0, name.find('.'));
  while (!name.empty() && name.back() == ' ') name.pop_back();
  for (char& c : name) c = upperAscii(c);
  if (name == "CON" || name == "PRN" || name == "AUX" || name == "NUL" || name == "CONIN$" ||
      name == "CONOUT$") {
    return true;
  }
  // COM1 to COM9 and LPT1 to LPT9, also with the Latin-1 superscripts 1, 2, 3.
  const std::string digits = "123456789\xB9\xB2\xB3";
  return name.size() == 4 && (name.compare(0, 3, "COM") == 0 || name.compare(0, 3, "LPT") == 0) &&
         digits.find(name[3]) != std::string::npos;
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
