#include "patch/whole_file.h"

#include <cstdio>
#include <new>

#include "platform/platform.h"

bool ByteBuffer::allocate(size_t size) {
  // One spare byte so that an empty file still has a block.
  data_.reset(new (std::nothrow) uint8_t[size + 1]);
  size_ = data_ ? size : 0;
  return data_ != nullptr;
}

namespace {

// The file's size, or -1. A size past what a long holds (2 GiB on
// Windows) also gives -1.
long streamSize(FILE* file) {
  if (fseek(file, 0, SEEK_END) != 0) return -1;
  long size = ftell(file);
  if (fseek(file, 0, SEEK_SET) != 0) return -1;
  return size;
}

ReadResult readOpenStream(FILE* file, uint64_t maxSize, ByteBuffer* out) {
  long size = streamSize(file);
  if (size < 0) return ReadResult::kTooLarge;
  if (static_cast<uint64_t>(size) > maxSize) return ReadResult::kTooLarge;
  if (!out->allocate(static_cast<size_t>(size))) return ReadResult::kNoMemory;
  size_t got = fread(out->data(), 1, out->size(), file);
  if (got != out->size() || fgetc(file) != EOF || ferror(file)) return ReadResult::kReadFailed;
  return ReadResult::kRead;
}

}  // namespace

ReadResult readWholeFile(const std::string& path, uint64_t maxSize, ByteBuffer* out) {
  FILE* file = platform::openForReading(path);
  if (file == nullptr) return ReadResult::kCannotOpen;
  ReadResult result = readOpenStream(file, maxSize, out);
  fclose(file);
  return result;
}

std::string describeReadResult(ReadResult result, const std::string& path) {
  switch (result) {
    case ReadResult::kRead:
      return path + ": read";
    case ReadResult::kCannotOpen:
      return path + ": cannot be opened";
    case ReadResult::kTooLarge:
      return path + ": too large for a patch (2 GiB or more)";
    case ReadResult::kNoMemory:
      return path + ": not enough memory to hold it";
    case ReadResult::kReadFailed:
      return path + ": read failed";
  }
  return path;
}
