#include "patch/md5.h"

#include <cstdio>
#include <cstring>

namespace {

// Per-step shift amounts, four per round.
constexpr int kShifts[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

// The additive constants: floor(abs(sin(i + 1)) * 2^32).
constexpr uint32_t kSines[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

uint32_t rotateLeft(uint32_t value, int bits) { return (value << bits) | (value >> (32 - bits)); }

// Sixteen little-endian words from one block.
void loadWords(const uint8_t* block, uint32_t* words) {
  for (int i = 0; i < 16; ++i) {
    const uint8_t* b = block + 4 * i;
    words[i] = uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
  }
}

void storeWord(uint32_t word, uint8_t* out) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(word >> (8 * i));
}

// The round function and message word of step i.
uint32_t mixStep(int i, uint32_t b, uint32_t c, uint32_t d, int* wordIndex) {
  switch (i / 16) {
    case 0:
      *wordIndex = i;
      return (b & c) | (~b & d);
    case 1:
      *wordIndex = (5 * i + 1) % 16;
      return (b & d) | (c & ~d);
    case 2:
      *wordIndex = (3 * i + 5) % 16;
      return b ^ c ^ d;
    default:
      *wordIndex = (7 * i) % 16;
      return c ^ (b | ~d);
  }
}

}  // namespace

CMD5Checksum::CMD5Checksum()
    : pending_(), bitCount_(), state_{0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476} {}

void CMD5Checksum::processBlock(const uint8_t* block) {
  uint32_t words[16];
  loadWords(block, words);
  uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
  for (int i = 0; i < 64; ++i) {
    int wordIndex = 0;
    uint32_t f = mixStep(i, b, c, d, &wordIndex);
    uint32_t sum = a + f + kSines[i] + words[wordIndex];
    a = d;
    d = c;
    c = b;
    b += rotateLeft(sum, kShifts[i / 16][i % 4]);
  }
  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
}

void CMD5Checksum::append(const uint8_t* bytes, size_t count) {
  size_t index = (bitCount_[0] >> 3) & 0x3F;
  uint32_t low = static_cast<uint32_t>(count << 3);
  bitCount_[0] += low;
  if (bitCount_[0] < low) ++bitCount_[1];
  bitCount_[1] += static_cast<uint32_t>(static_cast<uint64_t>(count) >> 29);
  size_t room = 64 - index;
  size_t taken = 0;
  if (count >= room) {
    memcpy(pending_ + index, bytes, room);
    processBlock(pending_);
    for (taken = room; taken + 64 <= count; taken += 64) processBlock(bytes + taken);
    index = 0;
  }
  memcpy(pending_ + index, bytes + taken, count - taken);
}

std::string CMD5Checksum::finishHex() {
  uint8_t countBytes[8];
  storeWord(bitCount_[0], countBytes);
  storeWord(bitCount_[1], countBytes + 4);
  size_t index = (bitCount_[0] >> 3) & 0x3F;
  size_t padding = index < 56 ? 56 - index : 120 - index;
  uint8_t pad[64] = {0x80};
  append(pad, padding);
  append(countBytes, 8);
  static const char kHexDigits[] = "0123456789abcdef";
  std::string text;
  for (uint32_t word : state_) {
    for (int i = 0; i < 4; ++i) {
      uint8_t byte = static_cast<uint8_t>(word >> (8 * i));
      text += kHexDigits[byte >> 4];
      text += kHexDigits[byte & 0x0F];
    }
  }
  return text;
}

std::string md5OfBytes(const uint8_t* bytes, size_t count) {
  CMD5Checksum checksum;
  checksum.append(bytes, count);
  return checksum.finishHex();
}
