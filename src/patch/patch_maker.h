// The patch maker: a suffix index over the old file, then a greedy scan of
// the new file for runs of at least kMinMatch bytes that the index's binary
// search (longestMatch) finds.
#ifndef FUSELOX_PATCH_PATCH_MAKER_H_
#define FUSELOX_PATCH_PATCH_MAKER_H_

#include <cstdint>
#include <string>

#include "patch/suffix_search.h"
#include "patch/window_filter.h"

class PatchWriter;

struct MatchResult {
  uint32_t oldOffset;
  uint32_t literalCount;
  uint32_t matchLength;  // 0 when no further match
};

// What tells the scan where a match may start: the filter of the old
// file's windows, and the new file's windows already tested against it.
struct ScanFilter {
  WindowFilter filter;
  WindowHits hits;
};

// The next match of newData[from, newSize): the first position k at which
// longestMatch gives at least kMinMatch bytes, with that match. Windows the
// filter rules out are passed over: no such match can start there.
MatchResult findNextMatch(const uint8_t* newData, uint32_t newSize, uint32_t from,
                          const OldText& old, const ScanFilter& filter);

// The same, with the candidate positions limited to [from, limit); the
// targets still run to the end of the new file. No match: literal count
// newSize - from, match length 0.
MatchResult findMatchBefore(const uint8_t* newData, uint32_t newSize, uint32_t from, uint32_t limit,
                            const OldText& old, const ScanFilter& filter);

// New files from this size on are scanned in two parts at once.
constexpr uint32_t kSplitScanMinSize = 1u << 20;

// Where the scan of a new file of this size is split: half way for a large
// file, at its end (not at all) for a small one.
uint32_t scanSplitPoint(uint32_t newSize);

// Writes the records that rebuild newData from the old text: the greedy
// scan, with newData[split, end) scanned ahead on a second thread. The
// records are the same wherever the split is.
void writeRecords(const OldText& old, const ScanFilter& filter, const uint8_t* newData,
                  uint32_t newSize, PatchWriter* writer, uint32_t split);

enum class MakeResult { kMade, kEmptyOld, kNoMemory };

// The whole patch (header and records) from old to new. The old buffer is
// briefly changed while the index is built, and restored.
MakeResult makePatch(uint8_t* oldData, uint32_t oldSize, const uint8_t* newData, uint32_t newSize,
                     PatchWriter* writer);

// Reads both files and writes the patch through a working file beside
// `patchPath`, put in place only when complete. False, with the reason in
// `err`, on any failure; the patch path is then left as it was.
bool makePatchFile(const std::string& patchPath, const std::string& oldPath,
                   const std::string& newPath, std::string* err);

// The working file makePatchFile writes before putting it in place.
std::string patchWorkingPath(const std::string& patchPath);

#endif  // FUSELOX_PATCH_PATCH_MAKER_H_
