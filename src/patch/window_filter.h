// A membership test over the old file's windows of kMinMatch bytes. A
// position of the new file whose window is not in the old file cannot start
// a copy, so the maker skips its search; "maybe" answers are checked by the
// exact search. It never answers "no" for a window that occurs.
#ifndef FUSELOX_PATCH_WINDOW_FILTER_H_
#define FUSELOX_PATCH_WINDOW_FILTER_H_

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "patch/patch_format.h"

// A rolling hash over kMinMatch bytes.
class WindowHash {
 public:
  // Hashes window[i] ^ mask for each byte.
  WindowHash(const uint8_t* window, uint8_t mask);
  uint64_t value() const { return value_; }
  // Moves the window one byte on: `out` leaves it, `in` enters it.
  void roll(uint8_t out, uint8_t in) { value_ = (value_ - out * kOutFactor) * kBase + in; }

 private:
  static constexpr uint64_t kBase = 0x100000001B3ull;
  static constexpr uint64_t kOutFactor = [] {
    uint64_t f = 1;
    for (uint32_t i = 1; i < kMinMatch; ++i) f *= kBase;
    return f;
  }();
  uint64_t value_ = 0;
};

// A Bloom filter whose bits for one window all lie in one cache line, so
// that a test costs one memory access.
class WindowFilter {
 public:
  // Records every window of data[0, size), each byte taken XOR `mask`, in a
  // table of about `bytes` bytes. False when the memory cannot be had.
  bool build(const uint8_t* data, size_t size, size_t bytes, uint8_t mask);

  // An empty table of about `bytes` bytes. False when the memory cannot be
  // had.
  bool allocate(size_t bytes);
  void release();
  void insert(uint64_t hash);
  // insert, safe while other threads insert too.
  void insertAtomically(uint64_t hash);

  bool mayContain(uint64_t hash) const {
    const uint64_t* line = lineOf(hash);
    uint64_t bits = spread(hash);
    // No branch per bit: which bit rules a window out is unpredictable.
    uint64_t all = 1;
    for (int i = 0; i < kBitsPerWindow; ++i, bits >>= 9)
      all &= line[(bits >> 6) & 7] >> (bits & 63);
    return all & 1;
  }

  // The share of windows not recorded for which mayContain answers "maybe",
  // as the table's fill predicts it.
  double falseRate() const;

  // Asks for the line of a window that will be tested soon.
  void prefetch(uint64_t hash) const { __builtin_prefetch(lineOf(hash)); }

 private:
  static constexpr int kBitsPerWindow = 6;
  static constexpr size_t kWordsPerLine = 8;

  // Calls set(word, bit) for each bit that records the window.
  template <typename Set>
  void setBitsOf(uint64_t hash, Set set);

  static uint64_t spread(uint64_t hash) {
    uint64_t mixed = hash * 0xD6E8FEB86659FD93ull;
    return mixed ^ (mixed >> 32);
  }

  const uint64_t* lineOf(uint64_t hash) const { return bits_ + lineStart(hash); }

  uint64_t lineStart(uint64_t hash) const {
    uint64_t mixed = (hash ^ (hash >> 29)) * 0x9E3779B97F4A7C15ull;
    return ((mixed >> 32) * lineCount_ >> 32) * kWordsPerLine;
  }

  std::unique_ptr<uint64_t[]> storage_;
  uint64_t* bits_ = nullptr;  // cache-line aligned within storage_
  uint64_t lineCount_ = 0;
};

// Walks the windows of a text in order, asking for each window's line of
// the filter some steps before it is needed.
class WindowScan {
 public:
  // `windows` >= 1 windows of kMinMatch bytes start in `text`; each byte
  // is taken XOR `mask`.
  WindowScan(const WindowFilter& filter, const uint8_t* text, size_t windows, uint8_t mask = 0);
  uint64_t hash() const { return ahead_[at_ % kRing]; }
  // The hash of the window before; not for the first window.
  // Moves on to the next window; the last window must not be passed.
  void next() {
    ++at_;
    if (fetched_ < windows_) fetchNext();
  }

 private:
  static constexpr size_t kDistance = 16;
  static constexpr size_t kRing = 2 * kDistance;  // keeps the previous window too

  // Hashes the next window not yet fetched and asks for its line.
  void fetchNext();

  const WindowFilter& filter_;
  const uint8_t* text_;
  size_t windows_;
  uint8_t mask_;
  size_t at_ = 0;
  size_t fetched_ = 1;
  WindowHash rolling_;  // of window fetched_ - 1
  uint64_t ahead_[kRing];
};

// One bit per window of a text, set where the filter may hold the window.
// Marking runs alongside the index and may be stopped before the end; the
// windows past the marked ones are then tested by the scan itself.
class WindowHits {
 public:
  // False when the memory cannot be had.
  bool allocate(size_t size);

  // Marks the windows of text[0, size) in order, each byte taken XOR
  // `mask`, until all are marked or `stop` is set.
  void mark(const WindowFilter& filter, const uint8_t* text, size_t size,
            const std::atomic<bool>& stop, uint8_t mask = 0);

  // Marks windows [first, last) as mark does; returns where it stopped.
  // Threads may mark ranges that meet at a multiple of 64.
  size_t markRange(const WindowFilter& filter, const uint8_t* text, size_t first, size_t last,
                   const std::atomic<bool>& stop, uint8_t mask = 0);

  // Unmarks the marked windows in [first, last) of `text` that `filter`
  // rules out, until `stop` is set; returns where it stopped. What is
  // unmarked stays so; the rest stays marked.
  size_t keepOnly(const WindowFilter& filter, const uint8_t* text, size_t first, size_t last,
                  const std::atomic<bool>& stop);

  bool isMarked(size_t window) const { return (bits_[window / 64] >> (window % 64)) & 1; }
  void unmark(size_t window) { bits_[window / 64] &= ~(1ull << (window % 64)); }

  // How many of the first `windows` windows are marked.
  size_t count(size_t windows) const;

  // How many windows, from the first, are marked.
  size_t marked() const { return marked_; }

  // The first marked window in [from, end), or `end`; end <= marked().
  size_t next(size_t from, size_t end) const;

  static size_t bytesFor(size_t size) { return (size / 64 + 1) * 8; }

 private:
  std::unique_ptr<uint64_t[]> bits_;
  size_t marked_ = 0;
};

// Narrows `hits`, which marks every window of newText that a filter of the
// old file's windows may hold, with a second filter of about `bytes` bytes
// that holds only the old windows the new file may share. Most windows of
// the old file are not in the new one, so the second filter is far less
// crowded and rules out far more. Returns early, with `hits` still a
// superset of the shared windows, when `stop` is set. Takes `bytes` plus a
// bit per window of the old file. Once `coreFree` is set, its passes run
// on two threads.
void narrowHits(WindowHits* hits, const uint8_t* newText, size_t newSize, const uint8_t* oldText,
                size_t oldSize, uint8_t oldMask, size_t bytes, const std::atomic<bool>& stop,
                const std::atomic<bool>& coreFree);

#endif  // FUSELOX_PATCH_WINDOW_FILTER_H_
