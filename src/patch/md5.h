// MD5 (RFC 1321), the digest that ties a patch to the exact old version of
// a file.
#ifndef FUSELOX_PATCH_MD5_H_
#define FUSELOX_PATCH_MD5_H_

#include <cstddef>
#include <cstdint>
#include <string>

// A running MD5 computation: append bytes, then finishHex once.
class CMD5Checksum {
 public:
  CMD5Checksum();
  virtual ~CMD5Checksum() = default;

  void append(const uint8_t* bytes, size_t count);

  // Pads the input and returns the digest as 32 lowercase hexadecimal
  // characters. The object is spent afterwards.
  std::string finishHex();

 private:
  void processBlock(const uint8_t* block);

  uint8_t pending_[64];
  uint32_t bitCount_[2];
  uint32_t state_[4];
};

// Length of the digest text.
constexpr size_t kDigestTextSize = 32;

// The digest of `count` bytes in memory.
std::string md5OfBytes(const uint8_t* bytes, size_t count);

#endif  // FUSELOX_PATCH_MD5_H_
