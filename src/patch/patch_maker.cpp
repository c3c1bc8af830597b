#include "patch/patch_maker.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <future>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "patch/md5.h"
#include "patch/patch_format.h"
#include "patch/patch_writer.h"
#include "patch/suffix_index.h"
#include "patch/whole_file.h"
#include "platform/platform.h"

namespace {

constexpr size_t kPatchStreamBuffer = 1 << 16;
// Memory the program takes besides its data: code, libraries, stacks.
constexpr size_t kProgramRoom = 4 << 20;
// The second scan thread keeps at most one match per this many bytes of the
// new file; when it has that many it stops, and the main scan goes on alone.
constexpr size_t kNewBytesPerChainStep = 192;

size_t maxChainSteps(uint32_t newSize) { return newSize / kNewBytesPerChainStep + 1; }

// Searches at the next candidate positions run side by side; the first
// position's outcome decides, later ones are dropped when it succeeds.
class SearchQueue {
 public:
  static constexpr uint32_t kCapacity = 8;

  bool empty() const { return count_ == 0; }
  // Room for one more; widens after each failed search, since a run of
  // failures marks a stretch of new data that is not in the old file.
  bool hasRoom() const { return count_ < width_; }
  void add(const OldText* old, const uint8_t* target, uint32_t length, uint32_t k) {
    uint32_t slot = (first_ + count_++) % kCapacity;
    cursors_[slot].start(old, target, length);
    starts_[slot] = k;
  }
  void advanceAll() {
    for (uint32_t i = 0; i < count_; ++i) cursors_[(first_ + i) % kCapacity].advance();
  }
  // Drops finished failures at the front; true with the result when the
  // front search found a match.
  bool settle(MatchResult* result) {
    for (; count_ > 0 && cursors_[first_].done(); --count_, first_ = (first_ + 1) % kCapacity) {
      Match match = cursors_[first_].result();
      if (match.length >= kMinMatch) {
        *result = {match.offset, starts_[first_], match.length};
        return true;
      }
      if (width_ < kCapacity) width_ *= 2;
    }
    return false;
  }

 private:
  SearchCursor cursors_[kCapacity];
  uint32_t starts_[kCapacity] = {};
  uint32_t first_ = 0, count_ = 0, width_ = 1;
};

}  // namespace

namespace {

// The windows of the new file that may start a match, in order: from the
// marks while they last, then tested against the filter as they come.
class Candidates {
 public:
  Candidates(const uint8_t* newData, uint32_t end, const ScanFilter& filter)
      : newData_(newData), end_(end), filter_(filter) {}

  // The first candidate at or after `at`, or the end.
  uint32_t next(uint32_t at) {
    uint32_t marked = static_cast<uint32_t>(filter_.hits.marked());
    if (at < marked) {
      uint32_t stop = marked < end_ ? marked : end_;
      at = static_cast<uint32_t>(filter_.hits.next(at, stop));
      if (at < stop) return at;
    }
    for (; at < end_; ++at) {
      moveScanTo(at);
      if (filter_.filter.mayContain(scan_->hash())) return at;
    }
    return end_;
  }

 private:
  void moveScanTo(uint32_t at) {
    if (!scan_) {
      scan_.emplace(filter_.filter, newData_ + at, end_ - at);
      scanAt_ = at;
    }
    for (; scanAt_ < at; ++scanAt_) scan_->next();
  }

  const uint8_t* newData_;
  uint32_t end_;
  const ScanFilter& filter_;
  std::optional<WindowScan> scan_;
  uint32_t scanAt_ = 0;
};

}  // namespace

MatchResult findNextMatch(const uint8_t* newData, uint32_t newSize, uint32_t from,
                          const OldText& old, const ScanFilter& filter) {
  return findMatchBefore(newData, newSize, from, newSize, old, filter);
}

MatchResult findMatchBefore(const uint8_t* newData, uint32_t newSize, uint32_t from, uint32_t limit,
                            const OldText& old, const ScanFilter& filter) {
  uint32_t length = newSize - from;
  MatchResult none = {0, length, 0};
  // Shorter targets cannot hold a match of kMinMatch bytes.
  if (length < kMinMatch || old.size < kMinMatch) return none;
  uint32_t end = newSize - kMinMatch + 1;
  if (limit < end) end = limit;
  Candidates candidates(newData, end, filter);
  SearchQueue queue;
  for (uint32_t at = from;;) {
    for (; queue.hasRoom() && (at = candidates.next(at)) < end; ++at) {
      queue.add(&old, newData + at, newSize - at, at - from);
    }
    if (queue.empty()) return none;
    queue.advanceAll();
    MatchResult found;
    if (queue.settle(&found)) return found;
  }
}

namespace {

// A match in absolute terms: where it starts in the new file (the file's
// size when there is none), the old offset and the length (0: none).
struct Found {
  uint32_t at;
  uint32_t offset;
  uint32_t length;
};

Found absolute(const MatchResult& m, uint32_t from) {
  return {from + m.literalCount, m.oldOffset, m.matchLength};
}

// The greedy scan of [start, end): its matches in order (the last one with
// length 0 when the scan reached the end of the file without a match). A
// step's literal stretch runs from the previous step's end (or `start`).
struct Chain {
  uint32_t start;
  uint32_t end;  // where the scan stopped: the file's end, or when full
  std::vector<Found> steps;
};

uint32_t stepEnd(const Found& found) { return found.at + found.length; }

// The greedy scan from `from`, for at most `maxSteps` matches. The match a
// search at position k finds depends on k alone, so these steps answer the
// main scan's questions about this stretch once it gets there.
Chain scanChain(const uint8_t* newData, uint32_t newSize, uint32_t from, size_t maxSteps,
                const OldText& old, const ScanFilter& filter) {
  Chain chain = {from, from, {}};
  chain.steps.reserve(maxSteps);
  while (chain.end < newSize && chain.steps.size() < maxSteps) {
    chain.steps.push_back(
        absolute(findNextMatch(newData, newSize, chain.end, old, filter), chain.end));
    chain.end = chain.steps.back().length == 0 ? newSize : stepEnd(chain.steps.back());
  }
  return chain;
}

// The scan of the new file, its second part [split, end) done ahead of time
// by a second thread. Every step the main scan takes gives what the plain
// greedy scan gives: the first match at or after its position.
class SplitScan {
 public:
  SplitScan(const uint8_t* newData, uint32_t newSize, uint32_t split, const OldText& old,
            const ScanFilter& filter)
      : newData_(newData), newSize_(newSize), split_(split), old_(old), filter_(filter) {
    chain_.start = chain_.end = split_;
    if (split_ < newSize_) {
      // Deferred, the chain is scanned on first use when no thread starts.
      pending_ =
          std::async(std::launch::async | std::launch::deferred, scanChain, newData_, newSize_,
                     split_, maxChainSteps(newSize_), std::cref(old_), std::cref(filter_));
    }
  }
  ~SplitScan() {
    if (pending_.valid()) pending_.wait();
  }

  // The first match at or after p.
  Found next(uint32_t p) {
    if (p < split_) {
      MatchResult m = findMatchBefore(newData_, newSize_, p, split_, old_, filter_);
      return m.matchLength > 0 ? absolute(m, p) : fromChain(split_);
    }
    return fromChain(p);
  }

 private:
  // Answers from the chain: a position in one of its literal stretches
  // shares that stretch's match; inside one of its copies the stretch up
  // to the copy's end is searched here, and beyond it the chain answers.
  Found fromChain(uint32_t p) {
    if (pending_.valid()) chain_ = pending_.get();
    if (p >= chain_.end) return absolute(findNextMatch(newData_, newSize_, p, old_, filter_), p);
    auto step = std::upper_bound(chain_.steps.begin(), chain_.steps.end(), p,
                                 [](uint32_t q, const Found& f) { return q < stepEnd(f); });
    if (p <= step->at) return *step;
    MatchResult m = findMatchBefore(newData_, newSize_, p, stepEnd(*step), old_, filter_);
    return m.matchLength > 0 ? absolute(m, p) : fromChain(stepEnd(*step));
  }

  const uint8_t* newData_;
  uint32_t newSize_;
  uint32_t split_;
  const OldText& old_;
  const ScanFilter& filter_;
  std::future<Chain> pending_;
  Chain chain_;
};

}  // namespace

uint32_t scanSplitPoint(uint32_t newSize) {
  return newSize >= kSplitScanMinSize ? newSize / 2 : newSize;
}

void writeRecords(const OldText& old, const ScanFilter& filter, const uint8_t* newData,
                  uint32_t newSize, PatchWriter* writer, uint32_t split) {
  SplitScan scan(newData, newSize, split, old, filter);
  for (uint32_t p = 0; p < newSize;) {
    Found found = scan.next(p);
    if (found.at > p) writer->writeLiteral(newData + p, found.at - p);
    if (found.length == 0) return;
    writer->writeCopy(newData + found.at, found.offset, found.length);
    p = found.at + found.length;
  }
}

namespace {

std::string md5OfFlipped(const uint8_t* flipped, size_t size) {
  CMD5Checksum checksum;
  uint8_t piece[4096];
  for (size_t done = 0; done < size; done += sizeof piece) {
    size_t count = size - done < sizeof piece ? size - done : sizeof piece;
    memcpy(piece, flipped + done, count);
    flipBytes(piece, count);
    checksum.append(piece, count);
  }
  return checksum.finishHex();
}

// The filter's share of the memory: about a byte per byte of the old file
// (the rest goes to the data, the index and the program itself), less what
// the hits map takes.
size_t filterBudget(uint32_t oldSize, uint32_t newSize) {
  size_t others =
      WindowHits::bytesFor(newSize) + kProgramRoom + maxChainSteps(newSize) * sizeof(Found);
  return oldSize > 2 * others ? oldSize - others : oldSize / 2;
}

// What the scan needs besides the index.
struct ScanPlan {
  ScanFilter filter;
  std::string oldDigest;
  bool ready = false;
};

// The narrowing cost model, in units of one window tested or recorded in a
// filter (measured on real version pairs).
constexpr double kSearchCost = 40;          // one search of a false mark
constexpr double kPerMarkedWindow = 3.0;    // each marked window is handled three times
constexpr double kPerOldWindow = 1.1;       // each old window once, and its roll
constexpr double kPerNewWindow = 0.2;       // the two rolls over the new file
constexpr double kHiddenWhileIndexing = 2;  // share of the work hidden by the index build

// Whether narrowing the marks (see narrowHits) saves the scan more time
// than it takes. Each false mark costs the scan a search; narrowing tests or
// records each marked window about three times and each window of the old
// file about once, and rolls over the new file twice; while the index is
// still being built, about half of that is hidden behind it. The second
// filter needs about a byte per marked window to rule much out.
bool worthNarrowing(const WindowFilter& filter, size_t marked, size_t windows, size_t oldWindows,
                    size_t secondFilterBytes, bool indexBuilt) {
  if (secondFilterBytes < marked) return false;
  double rate = filter.falseRate();
  if (rate >= 1) return false;
  // marked = shared + rate * (windows - shared)
  double shared = (static_cast<double>(marked) - rate * static_cast<double>(windows)) / (1 - rate);
  double falseMarks = static_cast<double>(marked) - (shared > 0 ? shared : 0);
  double cost = kPerMarkedWindow * static_cast<double>(marked) +
                kPerOldWindow * static_cast<double>(oldWindows) +
                kPerNewWindow * static_cast<double>(windows);
  return kSearchCost * falseMarks > (indexBuilt ? cost : cost / kHiddenWhileIndexing);
}

// Runs while the index is built, so it sees the old file flipped; the
// filter is given its bytes as they were. It marks the new file's windows
// until the index is done, so that the scan need not test those. When all
// are marked and many marks are likely false, it narrows them, and the scan
// waits for that: every false mark would cost it a whole search.
void planScan(const uint8_t* flippedOld, uint32_t oldSize, const uint8_t* newData, uint32_t newSize,
              const std::atomic<bool>& indexBuilt, ScanPlan* plan) {
  size_t filterBytes = filterBudget(oldSize, newSize);
  plan->ready = plan->filter.filter.build(flippedOld, oldSize, filterBytes, kIndexFlip) &&
                plan->filter.hits.allocate(newSize);
  plan->oldDigest = md5OfFlipped(flippedOld, oldSize);
  if (!plan->ready) return;
  WindowHits& hits = plan->filter.hits;
  hits.mark(plan->filter.filter, newData, newSize, indexBuilt);
  if (newSize < kMinMatch || oldSize < kMinMatch) return;
  size_t windows = newSize - kMinMatch + 1;
  size_t oldMarks = WindowHits::bytesFor(oldSize);
  if (hits.marked() < windows || filterBytes <= oldMarks) return;
  size_t secondBytes = filterBytes - oldMarks;
  if (!worthNarrowing(plan->filter.filter, hits.count(windows), windows, oldSize - kMinMatch + 1,
                      secondBytes, indexBuilt.load())) {
    return;
  }
  // The scan no longer asks the first filter; its memory goes to the second.
  plan->filter.filter.release();
  std::atomic<bool> never(false);
  narrowHits(&hits, newData, newSize, flippedOld, oldSize, kIndexFlip, secondBytes, never,
             indexBuilt);
}

}  // namespace

MakeResult makePatch(uint8_t* oldData, uint32_t oldSize, const uint8_t* newData, uint32_t newSize,
                     PatchWriter* writer) {
  if (oldSize == 0) return MakeResult::kEmptyOld;
  int32_t n = static_cast<int32_t>(oldSize);
  std::unique_ptr<int32_t[]> index(new (std::nothrow) int32_t[oldSize]);
  if (index == nullptr) return MakeResult::kNoMemory;
  ScanPlan plan;
  auto planWhileIndexing = [&](const std::atomic<bool>& indexBuilt) {
    planScan(oldData, oldSize, newData, newSize, indexBuilt, &plan);
  };
  if (!buildSuffixIndex(oldData, index.get(), n, planWhileIndexing) || !plan.ready) {
    return MakeResult::kNoMemory;
  }
  SearchTree tree;
  if (!tree.build(oldData, index.get(), oldSize)) return MakeResult::kNoMemory;
  writer->writeHeader(plan.oldDigest, oldSize, newSize);
  OldText old = {oldData, index.get(), oldSize, &tree};
  writeRecords(old, plan.filter, newData, newSize, writer, scanSplitPoint(newSize));
  return MakeResult::kMade;
}

std::string patchWorkingPath(const std::string& patchPath) {
  return platform::finalPath(patchPath) + ".temp";
}

namespace {

bool readInput(const std::string& path, ByteBuffer* out, std::string* err) {
  ReadResult result = readWholeFile(path, kMaxFileSize, out);
  if (result == ReadResult::kRead) return true;
  *err = describeReadResult(result, path);
  return false;
}

// Writes the patch into the open working file; true when every byte reached
// the disk.
bool writePatchStream(FILE* file, ByteBuffer* oldData, ByteBuffer* newData, std::string* err) {
  setvbuf(file, nullptr, _IOFBF, kPatchStreamBuffer);
  PatchWriter writer(file);
  MakeResult made = makePatch(oldData->data(), static_cast<uint32_t>(oldData->size()),
                              newData->data(), static_cast<uint32_t>(newData->size()), &writer);
  if (made == MakeResult::kNoMemory) *err = "not enough memory for the suffix index";
  if (made != MakeResult::kMade) return false;
  if (!writer.ok() || !platform::syncFile(file)) {
    *err = "the patch could not be written (disk full?)";
    return false;
  }
  return true;
}

bool writePatchFile(const std::string& patchPath, ByteBuffer* oldData, ByteBuffer* newData,
                    std::string* err) {
  std::string working = patchWorkingPath(patchPath);
  FILE* file = platform::createNewFile(working);
  if (file == nullptr) {
    *err = working + ": cannot be created";
    return false;
  }
  bool written = writePatchStream(file, oldData, newData, err);
  bool closed = fclose(file) == 0;
  if (written && closed && platform::putFileInPlace(working, patchPath)) return true;
  if (written && !closed) *err = "the patch could not be written (disk full?)";
  if (written && closed) *err = patchPath + ": the patch could not be put in place";
  platform::removeFile(working);
  return false;
}

}  // namespace

bool makePatchFile(const std::string& patchPath, const std::string& oldPath,
                   const std::string& newPath, std::string* err) {
  ByteBuffer oldData;
  if (!readInput(oldPath, &oldData, err)) return false;
  if (oldData.size() == 0) {
    *err = oldPath + ": an empty old file cannot be the base of a patch";
    return false;
  }
  ByteBuffer newData;
  if (!readInput(newPath, &newData, err)) return false;
  return writePatchFile(patchPath, &oldData, &newData, err);
}
