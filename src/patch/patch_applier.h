// Applying a patch: the target must be the patch's old version (by its
// MD5); the new version is rebuilt into "<target>.temp" and put in place of
// the target only when every record has applied.
#ifndef FUSELOX_PATCH_PATCH_APPLIER_H_
#define FUSELOX_PATCH_PATCH_APPLIER_H_

#include <cstdint>
#include <cstdio>
#include <string>

#include "patch/whole_file.h"

// The rebuild file beside a target.
std::string rebuildPath(const std::string& targetPath);

// Applies the patch file to the target. False, with the reason in `err`, when the
// digest differs, the patch is malformed or the result cannot be put in
// place; the target is then unchanged and no rebuild file is left.
bool applyPatchFile(const std::string& targetPath, const std::string& patchPath, std::string* err);

// The sizes a patch header gives, read as signed.
struct PatchSizes {
  int64_t oldSize = 0;
  int64_t newSize = 0;
};

// Reads the magic and the sizes that follow the digest; false when the
// header is short or foreign.
bool readPatchSizes(FILE* patch, PatchSizes* sizes);

// Writes the new version, rebuilt from `oldData` by the records that follow
// the header, to `rebuild`. False on the first bad record, or when the
// records do not add up to the new size; `err` says which record is at fault.
bool applyRecords(const ByteBuffer& oldData, const PatchSizes& sizes, FILE* patch, FILE* rebuild,
                  std::string* err);

// Copies `length` bytes from one stream to another.
bool copyRun(uint32_t length, FILE* source, FILE* destination);

#endif  // FUSELOX_PATCH_PATCH_APPLIER_H_
