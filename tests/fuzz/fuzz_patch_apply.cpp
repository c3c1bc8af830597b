// The patch applier on any patch: never a crash, and the target changes
// only when the patch is valid, into exactly what its records describe (as
// worked out here independently from the format's rules). The input is the
// patch after its digest; the digest of the fixed old file is put before it
// so that the records are reached.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "patch/md5.h"
#include "patch/patch_applier.h"
#include "patch/patch_format.h"

namespace {

std::string oldFile() {
  std::string old(1000, '\0');
  for (size_t i = 0; i < old.size(); ++i) old[i] = static_cast<char>(i * 7 + (i >> 5));
  return old;
}

int32_t field(const std::string& patch, size_t at) {
  return static_cast<int32_t>(getLe32(reinterpret_cast<const uint8_t*>(patch.data() + at)));
}

// What the records build from `old`; false when the patch is invalid.
bool expectedResult(const std::string& old, const std::string& patch, std::string* out) {
  if (patch.size() < kSizesSize || patch.compare(0, kMagicSize, kMagic, kMagicSize) != 0) {
    return false;
  }
  int64_t oldSize = field(patch, 8);
  int64_t outstanding = field(patch, 12);
  size_t at = kSizesSize;
  while (at < patch.size()) {
    uint8_t kind = static_cast<uint8_t>(patch[at++]);
    if (kind == kLiteralKind) {
      if (patch.size() - at < 4) return false;
      int64_t length = static_cast<uint32_t>(field(patch, at));
      at += 4;
      if (outstanding < 0 || length > outstanding) return false;
      if (static_cast<int64_t>(patch.size() - at) < length) return false;
      out->append(patch, at, static_cast<size_t>(length));
      at += static_cast<size_t>(length);
      outstanding -= length;
    } else if (kind == kCopyKind) {
      if (patch.size() - at < kCopyFieldsSize) return false;
      int64_t offset = field(patch, at), length = field(patch, at + 4);
      uint32_t checksum = static_cast<uint32_t>(field(patch, at + 8));
      at += kCopyFieldsSize;
      if (offset < 0 || length <= 0 || offset + length > oldSize || length > outstanding ||
          offset + length > static_cast<int64_t>(old.size())) {
        return false;
      }
      const uint8_t* run = reinterpret_cast<const uint8_t*>(old.data()) + offset;
      if (runChecksum(run, static_cast<size_t>(length)) != checksum) return false;
      out->append(old, static_cast<size_t>(offset), static_cast<size_t>(length));
      outstanding -= length;
    } else {
      return false;
    }
  }
  return outstanding == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string old = oldFile();
  static const std::string digest =
      md5OfBytes(reinterpret_cast<const uint8_t*>(old.data()), old.size());
  const std::string target = fuzz::scratchFolder() + "/target.bin";
  const std::string patchPath = fuzz::scratchFolder() + "/patch.bdiff";
  std::string body(reinterpret_cast<const char*>(data), size);
  fuzz::writeFile(target, old);
  fuzz::writeFile(patchPath, digest + body);

  std::string expected;
  bool valid = expectedResult(old, body, &expected);
  std::string err;
  bool applied = applyPatchFile(target, patchPath, &err);
  if (!applied && err.empty()) fuzz::fail("a failure without a reason");
  bool rebuildLeft = false;
  fuzz::readFile(rebuildPath(target), &rebuildLeft);
  if (applied != valid) fuzz::fail(applied ? "an invalid patch applied" : "a valid patch failed");
  if (fuzz::readFile(target) != (valid ? expected : old)) fuzz::fail("wrong target content");
  if (rebuildLeft) fuzz::fail("the rebuild file was left");
  return 0;
}
