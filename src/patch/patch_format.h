// The "bdiff02" patch format. A patch is a 48-byte header followed by
// records up to the end of the file; every integer is 32 bits wide,
// least-significant byte first, and read as signed:
//
//   header:  old-md5[32] (lowercase hex text)  "bdiff02" 0x1A  old-size  new-size
//   literal: 0x2B length data[length]           append data to the new file
//   copy:    0x40 old-offset length checksum    append old[offset, offset+length)
//
// A copy's checksum is runChecksum of the bytes it copies. There is no
// record count and no trailer.
#ifndef FUSELOX_PATCH_PATCH_FORMAT_H_
#define FUSELOX_PATCH_PATCH_FORMAT_H_

#include <cstddef>
#include <cstdint>

constexpr size_t kMagicSize = 8;
constexpr char kMagic[kMagicSize + 1] = "bdiff02\x1A";
constexpr size_t kHeaderSize = 48;
constexpr size_t kSizesSize = 16;  // magic, old size, new size
constexpr uint8_t kLiteralKind = 0x2B;
constexpr uint8_t kCopyKind = 0x40;
constexpr size_t kCopyFieldsSize = 12;

// The shortest run of the old file the maker turns into a copy record.
constexpr uint32_t kMinMatch = 24;

// Sizes are read as signed 32-bit values, so larger files cannot be
// described.
constexpr uint64_t kMaxFileSize = 0x7FFFFFFF;

inline void putLe32(uint32_t value, uint8_t* out) {
  out[0] = static_cast<uint8_t>(value);
  out[1] = static_cast<uint8_t>(value >> 8);
  out[2] = static_cast<uint8_t>(value >> 16);
  out[3] = static_cast<uint8_t>(value >> 24);
}

inline uint32_t getLe32(const uint8_t* in) {
  return uint32_t{in[0]} | uint32_t{in[1]} << 8 | uint32_t{in[2]} << 16 | uint32_t{in[3]} << 24;
}

// Folds one more byte into a run checksum: rotate left by 2, then xor the
// byte taken as signed and sign-extended.
inline uint32_t foldChecksum(uint32_t sum, uint8_t byte) {
  uint32_t widened = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(byte)));
  return ((sum << 2) | (sum >> 30)) ^ widened;
}

// The checksum a copy record carries for the bytes it copies; 0 for none.
uint32_t runChecksum(const uint8_t* bytes, size_t length);

#endif  // FUSELOX_PATCH_PATCH_FORMAT_H_
