// Whole files in memory, for the maker and the applier.
#ifndef FUSELOX_PATCH_WHOLE_FILE_H_
#define FUSELOX_PATCH_WHOLE_FILE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// A heap block that knows its size. Allocation failure is a result, never an
// exception.
class ByteBuffer {
 public:
  bool allocate(size_t size);
  uint8_t* data() { return data_.get(); }
  const uint8_t* data() const { return data_.get(); }
  size_t size() const { return size_; }

 private:
  std::unique_ptr<uint8_t[]> data_;
  size_t size_ = 0;
};

enum class ReadResult { kRead, kCannotOpen, kTooLarge, kNoMemory, kReadFailed };

// Reads a whole file of at most `maxSize` bytes in one go. A file that
// changes size while it is read counts as a failed read.
ReadResult readWholeFile(const std::string& path, uint64_t maxSize, ByteBuffer* out);

// The reason a failed read gives.
std::string describeReadResult(ReadResult result, const std::string& path);

#endif  // FUSELOX_PATCH_WHOLE_FILE_H_
