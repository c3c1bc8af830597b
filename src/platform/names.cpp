// Conversions between the program's three kinds of text: narrow file content
// (one byte per character), paths (UTF-8) and the UTF-16 of the Windows
// services. Shared by both targets so that they agree on every name.
#include "platform/platform.h"

namespace platform {
namespace {

// The length of a UTF-8 sequence led by byte c, or 0 when c cannot lead one.
// Three-byte surrogate forms are accepted, so a lone surrogate round-trips.
int sequenceLength(unsigned char c) {
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) return 2;
  if (c >= 0xE0 && c <= 0xEF) return 3;
  if (c >= 0xF0 && c <= 0xF4) return 4;
  return 0;
}

// Decodes the sequence at bytes[i] of length len; false when it is invalid.
bool decodeSequence(const std::string& bytes, size_t i, int len, char32_t* cp) {
  if (len < 2 || i + len > bytes.size()) return false;
  unsigned char lead = static_cast<unsigned char>(bytes[i]);
  char32_t value = lead & (0x7F >> len);
  for (int k = 1; k < len; ++k) {
    unsigned char c = static_cast<unsigned char>(bytes[i + k]);
    if ((c & 0xC0) != 0x80) return false;
    value = (value << 6) | (c & 0x3F);
  }
  static const char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < kSmallest[len] || value > 0x10FFFF) return false;
  *cp = value;
  return true;
}

void appendUtf8(char32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

bool isHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

std::string pathFromNarrow(const std::string& narrow) {
  std::string out;
  out.reserve(narrow.size());
  for (char c : narrow) appendUtf8(static_cast<unsigned char>(c), &out);
  return out;
}

bool equalsIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (upperAscii(a[i]) != upperAscii(b[i])) return false;
  }
  return true;
}

std::string narrowFromWide(const std::u16string& wide) {
  std::string out;
  for (char16_t unit : wide) out.push_back(static_cast<char>(unit & 0xFF));
  return out;
}

std::string narrowFromPath(const std::string& path) { return narrowFromWide(wideFromPath(path)); }

std::string pathFromWide(const std::u16string& wide) {
  std::string out;
  for (size_t i = 0; i < wide.size(); ++i) {
    char16_t u = wide[i];
    if (isHighSurrogate(u) && i + 1 < wide.size() && isLowSurrogate(wide[i + 1])) {
      appendUtf8(0x10000 + ((u - 0xD800) << 10) + (wide[i + 1] - 0xDC00), &out);
      ++i;
    } else {
      appendUtf8(u, &out);
    }
  }
  return out;
}

std::u16string wideFromPath(const std::string& path) {
  std::u16string out;
  size_t i = 0;
  while (i < path.size()) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    int len = sequenceLength(c);
    char32_t cp = c;
    if (len == 1 || !decodeSequence(path, i, len, &cp)) {
      out.push_back(static_cast<char16_t>(c));
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += len;
  }
  return out;
}

size_t pathLength(const std::string& path) { return wideFromPath(path).size(); }

}  // namespace platform
