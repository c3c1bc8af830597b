#include "patch/patch_writer.h"

#include "patch/md5.h"
#include "patch/patch_format.h"

void PatchWriter::put(const void* bytes, size_t count) {
  if (memory_ != nullptr) {
    memory_->append(static_cast<const char*>(bytes), count);
  } else if (ok_ && fwrite(bytes, 1, count, file_) != count) {
    ok_ = false;
  }
}

void PatchWriter::writeHeader(const std::string& oldDigest, uint32_t oldSize, uint32_t newSize) {
  put(oldDigest.data(), kDigestTextSize);
  uint8_t sizes[kSizesSize];
  for (size_t i = 0; i < kMagicSize; ++i) sizes[i] = static_cast<uint8_t>(kMagic[i]);
  putLe32(oldSize, sizes + 8);
  putLe32(newSize, sizes + 12);
  put(sizes, sizeof sizes);
}

void PatchWriter::writeLiteral(const uint8_t* bytes, uint32_t length) {
  uint8_t head[5] = {kLiteralKind};
  putLe32(length, head + 1);
  put(head, sizeof head);
  put(bytes, length);
}

void PatchWriter::writeCopy(const uint8_t* bytes, uint32_t oldOffset, uint32_t length) {
  uint8_t record[1 + kCopyFieldsSize] = {kCopyKind};
  putLe32(oldOffset, record + 1);
  putLe32(length, record + 5);
  putLe32(runChecksum(bytes, length), record + 9);
  put(record, sizeof record);
}
