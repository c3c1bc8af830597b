// The record writer: the only way the maker emits a patch.
#ifndef FUSELOX_PATCH_PATCH_WRITER_H_
#define FUSELOX_PATCH_PATCH_WRITER_H_

#include <cstdint>
#include <cstdio>
#include <string>

// Writes a patch to an open stream, or appends it to text in memory. A
// failed write is remembered and reported by ok().
class PatchWriter {
 public:
  explicit PatchWriter(FILE* file) : file_(file) {}
  explicit PatchWriter(std::string* memory) : memory_(memory) {}

  void writeHeader(const std::string& oldDigest, uint32_t oldSize, uint32_t newSize);
  void writeLiteral(const uint8_t* bytes, uint32_t length);
  // `bytes` are the copied bytes (the same in both files), for the checksum.
  void writeCopy(const uint8_t* bytes, uint32_t oldOffset, uint32_t length);

  bool ok() const { return ok_; }

 private:
  void put(const void* bytes, size_t count);

  FILE* file_ = nullptr;
  std::string* memory_ = nullptr;
  bool ok_ = true;
};

#endif  // FUSELOX_PATCH_PATCH_WRITER_H_
