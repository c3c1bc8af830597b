// Patch bytes written out by hand, independently of the maker's writer.
#ifndef FUSELOX_TESTS_UNIT_PATCH_PATCH_TEST_UTIL_H_
#define FUSELOX_TESTS_UNIT_PATCH_PATCH_TEST_UTIL_H_

#include <string>

#include "patch/md5.h"

inline std::string le32(uint32_t v) {
  return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

// Rotate left by 2, then xor the byte taken as signed.
inline uint32_t checksumOf(const std::string& run) {
  uint32_t sum = 0;
  for (char c : run) sum = ((sum << 2) | (sum >> 30)) ^ static_cast<uint32_t>(int8_t(c));
  return sum;
}

inline std::string literalRecord(const std::string& data) { return "+" + le32(data.size()) + data; }

inline std::string copyRecord(uint32_t offset, uint32_t length, uint32_t checksum) {
  return "@" + le32(offset) + le32(length) + le32(checksum);
}

inline std::string md5OfText(const std::string& text) {
  return md5OfBytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

inline std::string patchHeader(const std::string& old, uint32_t newSize) {
  return md5OfText(old) + "bdiff02\x1A" + le32(old.size()) + le32(newSize);
}

#endif  // FUSELOX_TESTS_UNIT_PATCH_PATCH_TEST_UTIL_H_
