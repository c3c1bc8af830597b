#include "patch/patch_applier.h"

#include <cstring>
#include <string>

#include "patch/md5.h"
#include "patch/patch_format.h"
#include "platform/platform.h"

namespace {

constexpr size_t kCopyPiece = 65536;
constexpr size_t kRebuildStreamBuffer = 1 << 16;

bool readExactly(FILE* file, void* out, size_t count) {
  return fread(out, 1, count, file) == count;
}

bool writeExactly(FILE* file, const void* bytes, size_t count) {
  return fwrite(bytes, 1, count, file) == count;
}

int32_t getSigned32(const uint8_t* in) { return static_cast<int32_t>(getLe32(in)); }

bool sameDigest(const char* patchDigest, const std::string& digest) {
  return platform::equalsIgnoringAsciiCase(std::string(patchDigest, kDigestTextSize), digest);
}

// The state of one application: what is still to come of the new file.
struct Rebuild {
  const ByteBuffer& old;
  int64_t oldSize;      // as the header says
  int64_t outstanding;  // may start negative for a header past 2^31
  FILE* patch;
  FILE* out;
  std::string* err;
};

// Says which record of the patch is at fault; `read` bytes of it are read.
void explainRecord(const Rebuild& r, long read, const char* fault) {
  *r.err =
      "patch garbled: the record at byte " + std::to_string(ftell(r.patch) - read) + " " + fault;
}

void explainCutShort(const Rebuild& r) {
  *r.err = "patch garbled: it ends at byte " + std::to_string(ftell(r.patch)) +
           " in the middle of a record";
}

bool applyLiteral(Rebuild* r) {
  uint8_t field[4];
  if (!readExactly(r->patch, field, 4)) {
    explainCutShort(*r);
    return false;
  }
  int64_t length = getLe32(field);
  if (r->outstanding < 0 || length > r->outstanding) {
    explainRecord(*r, 5, "adds more bytes than the new size in the header");
    return false;
  }
  r->outstanding -= length;
  bool copied = copyRun(static_cast<uint32_t>(length), r->patch, r->out);
  if (!copied && feof(r->patch)) explainCutShort(*r);
  return copied;
}

bool copyBounded(const Rebuild& r, int64_t offset, int64_t length) {
  return offset >= 0 && length > 0 && offset <= r.oldSize && length <= r.oldSize &&
         offset + length <= r.oldSize && length <= r.outstanding &&
         offset + length <= static_cast<int64_t>(r.old.size());
}

bool applyCopy(Rebuild* r) {
  uint8_t fields[kCopyFieldsSize];
  if (!readExactly(r->patch, fields, sizeof fields)) {
    explainCutShort(*r);
    return false;
  }
  int64_t offset = getSigned32(fields);
  int64_t length = getSigned32(fields + 4);
  if (!copyBounded(*r, offset, length)) {
    explainRecord(*r, 13, "copies a run outside the old file or past the new size in the header");
    return false;
  }
  const uint8_t* run = r->old.data() + offset;
  if (runChecksum(run, static_cast<size_t>(length)) != getLe32(fields + 8)) {
    explainRecord(*r, 13, "copies bytes whose checksum does not match");
    return false;
  }
  r->outstanding -= length;
  return writeExactly(r->out, run, static_cast<size_t>(length));
}

bool applyRecord(Rebuild* r, int kind) {
  if (kind == kLiteralKind) return applyLiteral(r);
  if (kind == kCopyKind) return applyCopy(r);
  char text[96];
  snprintf(text, sizeof text, "patch garbled: invalid record kind 0x%02X at byte %ld", kind,
           ftell(r->patch) - 1);
  *r->err = text;
  return false;
}

bool digestMatches(FILE* patch, const ByteBuffer& oldData) {
  char patchDigest[kDigestTextSize];
  if (!readExactly(patch, patchDigest, sizeof patchDigest)) return false;
  return sameDigest(patchDigest, md5OfBytes(oldData.data(), oldData.size()));
}

// Rebuilds into the working file; true when it is complete on disk.
bool writeRebuild(const ByteBuffer& oldData, const PatchSizes& sizes, FILE* patch,
                  const std::string& working, std::string* err) {
  FILE* out = platform::createNewFile(working);
  if (out == nullptr) {
    *err = working + ": cannot be created";
    return false;
  }
  setvbuf(out, nullptr, _IOFBF, kRebuildStreamBuffer);
  bool applied = applyRecords(oldData, sizes, patch, out, err);
  bool written = platform::syncFile(out);
  bool closed = fclose(out) == 0;
  if (applied && !(written && closed)) *err = working + ": cannot be written (disk full?)";
  return applied && written && closed;
}

// Creating the rebuild file truncates whatever it names: it must be neither
// the patch nor the target under another name.
bool rebuildPathIsFree(const std::string& working, const std::string& targetPath,
                       const std::string& patchPath) {
  return !platform::equalsIgnoringAsciiCase(working, patchPath) &&
         !platform::sameExistingFile(working, patchPath) &&
         !platform::sameExistingFile(working, targetPath);
}

bool applyOpenPatch(const std::string& targetPath, const std::string& patchPath,
                    const ByteBuffer& oldData, FILE* patch, std::string* err) {
  PatchSizes sizes;
  if (!digestMatches(patch, oldData)) {
    *err = targetPath + ": not the file this patch was made for";
    return false;
  }
  if (!readPatchSizes(patch, &sizes)) {
    *err = patchPath + ": not a patch (bad header)";
    return false;
  }
  std::string working = rebuildPath(targetPath);
  if (!rebuildPathIsFree(working, targetPath, patchPath)) {
    *err = working + ": names the patch or the target";
    return false;
  }
  if (!writeRebuild(oldData, sizes, patch, working, err)) {
    platform::removeFile(working);
    return false;
  }
  if (platform::putFileInPlace(working, targetPath)) return true;
  *err = targetPath + (platform::isReadOnlyFile(targetPath) ? ": the file is read-only"
                                                            : ": cannot be replaced");
  platform::removeFile(working);
  return false;
}

}  // namespace

// Beside the file a link finally names, so that the rebuild replaces it in
// one step even across file systems.
std::string rebuildPath(const std::string& targetPath) {
  return platform::finalPath(targetPath) + ".temp";
}

bool copyRun(uint32_t length, FILE* source, FILE* destination) {
  uint8_t piece[kCopyPiece];
  while (length > 0) {
    size_t count = length < kCopyPiece ? length : kCopyPiece;
    if (!readExactly(source, piece, count) || !writeExactly(destination, piece, count)) {
      return false;
    }
    length -= static_cast<uint32_t>(count);
  }
  return true;
}

bool readPatchSizes(FILE* patch, PatchSizes* sizes) {
  uint8_t header[kSizesSize];
  if (!readExactly(patch, header, sizeof header) || memcmp(header, kMagic, kMagicSize) != 0) {
    return false;
  }
  sizes->oldSize = getSigned32(header + 8);
  sizes->newSize = getSigned32(header + 12);
  return true;
}

bool applyRecords(const ByteBuffer& oldData, const PatchSizes& sizes, FILE* patch, FILE* rebuild,
                  std::string* err) {
  Rebuild r = {oldData, sizes.oldSize, sizes.newSize, patch, rebuild, err};
  int kind;
  while ((kind = fgetc(patch)) != EOF) {
    if (!applyRecord(&r, kind)) return false;
  }
  if (ferror(patch)) *err = "the patch cannot be read";
  if (r.outstanding != 0) {
    *err = "patch garbled: its records do not add up to the new size in the header";
  }
  return !ferror(patch) && r.outstanding == 0;
}

bool applyPatchFile(const std::string& targetPath, const std::string& patchPath, std::string* err) {
  ByteBuffer oldData;
  ReadResult read = readWholeFile(targetPath, kMaxFileSize, &oldData);
  if (read != ReadResult::kRead) {
    *err = describeReadResult(read, targetPath);
    return false;
  }
  FILE* patch = platform::openForReading(patchPath);
  if (patch == nullptr) {
    *err = patchPath + ": the patch cannot be opened";
    return false;
  }
  bool applied = applyOpenPatch(targetPath, patchPath, oldData, patch, err);
  fclose(patch);
  return applied;
}
