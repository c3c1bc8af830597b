#include "patch/window_filter.h"

#include <future>
#include <new>

namespace {

// How many windows are marked between two looks at the stop flag.
constexpr size_t kStopCheckInterval = 1 << 16;
// The parts a narrowing pass is cut into, so that a second thread can join
// it soon after a core comes free.
constexpr size_t kChunksPerPass = 32;

}  // namespace

WindowHash::WindowHash(const uint8_t* window, uint8_t mask) {
  for (uint32_t i = 0; i < kMinMatch; ++i) value_ = value_ * kBase + (window[i] ^ mask);
}

template <typename Set>
void WindowFilter::setBitsOf(uint64_t hash, Set set) {
  uint64_t* line = bits_ + lineStart(hash);
  uint64_t bits = spread(hash);
  for (int i = 0; i < kBitsPerWindow; ++i, bits >>= 9)
    set(&line[(bits >> 6) & 7], 1ull << (bits & 63));
}

void WindowFilter::insert(uint64_t hash) {
  setBitsOf(hash, [](uint64_t* word, uint64_t bit) { *word |= bit; });
}

void WindowFilter::insertAtomically(uint64_t hash) {
  setBitsOf(hash,
            [](uint64_t* word, uint64_t bit) { __atomic_fetch_or(word, bit, __ATOMIC_RELAXED); });
}

bool WindowFilter::allocate(size_t bytes) {
  storage_.reset();
  lineCount_ = bytes / (kWordsPerLine * 8) + 1;
  storage_.reset(new (std::nothrow) uint64_t[(lineCount_ + 1) * kWordsPerLine]());
  if (storage_ == nullptr) return false;
  uintptr_t address = reinterpret_cast<uintptr_t>(storage_.get());
  bits_ = storage_.get() + ((64 - address % 64) % 64) / 8;
  return true;
}

void WindowFilter::release() {
  storage_.reset();
  bits_ = nullptr;
  lineCount_ = 0;
}

double WindowFilter::falseRate() const {
  double sum = 0;
  for (uint64_t line = 0; line < lineCount_; ++line) {
    int set = 0;
    for (size_t w = 0; w < kWordsPerLine; ++w)
      set += __builtin_popcountll(bits_[line * kWordsPerLine + w]);
    double share = set / static_cast<double>(kWordsPerLine * 64);
    double all = 1;
    for (int i = 0; i < kBitsPerWindow; ++i) all *= share;
    sum += all;
  }
  return lineCount_ > 0 ? sum / static_cast<double>(lineCount_) : 0;
}

namespace {

// Calls visit(window, hash) for windows [first, last) of a text, each byte
// taken XOR `mask`, in order: all of them, or those `only` marks. Each
// window's line of the filter is asked for some windows before its visit.
// Returns the window it stopped at: `last`, or an earlier one when `stop`
// was set.
template <typename Visit>
size_t visitWindows(const WindowFilter& filter, const uint8_t* text, size_t first, size_t last,
                    uint8_t mask, const WindowHits* only, const std::atomic<bool>* stop,
                    Visit visit) {
  if (first >= last) return first;
  constexpr size_t kAhead = 16;
  size_t pendingAt[kAhead];
  uint64_t pendingHash[kAhead];
  size_t head = 0, count = 0;
  WindowHash rolling(text + first, mask);
  size_t i = first;
  for (; i < last; ++i) {
    if (i > first) rolling.roll(text[i - 1] ^ mask, text[i - 1 + kMinMatch] ^ mask);
    if (stop != nullptr && (i - first) % kStopCheckInterval == 0 &&
        stop->load(std::memory_order_relaxed)) {
      break;
    }
    if (only != nullptr && !only->isMarked(i)) continue;
    uint64_t hash = rolling.value();
    filter.prefetch(hash);
    if (count == kAhead) {
      visit(pendingAt[head], pendingHash[head]);
      head = (head + 1) % kAhead;
      --count;
    }
    size_t slot = (head + count++) % kAhead;
    pendingAt[slot] = i;
    pendingHash[slot] = hash;
  }
  for (; count > 0; --count, head = (head + 1) % kAhead) visit(pendingAt[head], pendingHash[head]);
  return i;
}

size_t windowsOf(size_t size) { return size < kMinMatch ? 0 : size - kMinMatch + 1; }

// Runs pass(first, last, together) over windows [0, windows) in chunks,
// on this thread and, from the first chunk that starts after `coreFree` is
// set, on a second one too (`together` true from then on). Chunks are
// multiples of 64 windows, so that each writes its own words of a
// WindowHits. True when every chunk went to its end.
template <typename Pass>
bool inChunks(size_t windows, const std::atomic<bool>& coreFree, Pass pass) {
  const size_t chunk = (windows / kChunksPerPass / 64 + 1) * 64;
  std::atomic<size_t> next(0);
  std::atomic<bool> complete(true);
  auto runChunk = [&](size_t first, bool together) {
    size_t last = windows - first < chunk ? windows : first + chunk;
    if (!pass(first, last, together)) complete = false;
  };
  auto helperWork = [&] {
    for (size_t first; (first = next.fetch_add(1) * chunk) < windows;) runChunk(first, true);
  };
  std::future<void> helper;
  for (size_t first; (first = next.fetch_add(1) * chunk) < windows;) {
    if (!helper.valid() && coreFree.load()) {
      // Deferred, it finds no chunk left when no thread starts.
      helper = std::async(std::launch::async | std::launch::deferred, helperWork);
    }
    runChunk(first, helper.valid());
  }
  if (helper.valid()) helper.get();
  return complete;
}

}  // namespace

bool WindowFilter::build(const uint8_t* data, size_t size, size_t bytes, uint8_t mask) {
  if (!allocate(bytes)) return false;
  visitWindows(*this, data, 0, windowsOf(size), mask, nullptr, nullptr,
               [this](size_t, uint64_t hash) { insert(hash); });
  return true;
}

WindowScan::WindowScan(const WindowFilter& filter, const uint8_t* text, size_t windows,
                       uint8_t mask)
    : filter_(filter), text_(text), windows_(windows), mask_(mask), rolling_(text, mask) {
  ahead_[0] = rolling_.value();
  filter_.prefetch(ahead_[0]);
  while (fetched_ < windows_ && fetched_ < kDistance) fetchNext();
}

void WindowScan::fetchNext() {
  size_t leaving = fetched_ - 1;
  rolling_.roll(text_[leaving] ^ mask_, text_[leaving + kMinMatch] ^ mask_);
  uint64_t hash = rolling_.value();
  if (hash != ahead_[leaving % kRing]) filter_.prefetch(hash);
  ahead_[fetched_ % kRing] = hash;
  ++fetched_;
}

bool WindowHits::allocate(size_t size) {
  bits_.reset(new (std::nothrow) uint64_t[bytesFor(size) / 8]());
  return bits_ != nullptr;
}

void WindowHits::mark(const WindowFilter& filter, const uint8_t* text, size_t size,
                      const std::atomic<bool>& stop, uint8_t mask) {
  marked_ = markRange(filter, text, 0, windowsOf(size), stop, mask);
}

size_t WindowHits::markRange(const WindowFilter& filter, const uint8_t* text, size_t first,
                             size_t last, const std::atomic<bool>& stop, uint8_t mask) {
  return visitWindows(filter, text, first, last, mask, nullptr, &stop,
                      [&](size_t i, uint64_t hash) {
                        bits_[i / 64] |= static_cast<uint64_t>(filter.mayContain(hash)) << (i % 64);
                      });
}

size_t WindowHits::keepOnly(const WindowFilter& filter, const uint8_t* text, size_t first,
                            size_t last, const std::atomic<bool>& stop) {
  return visitWindows(filter, text, first, last, 0, this, &stop, [&](size_t i, uint64_t hash) {
    if (!filter.mayContain(hash)) unmark(i);
  });
}

void narrowHits(WindowHits* hits, const uint8_t* newText, size_t newSize, const uint8_t* oldText,
                size_t oldSize, uint8_t oldMask, size_t bytes, const std::atomic<bool>& stop,
                const std::atomic<bool>& coreFree) {
  // The new file's marked windows; then the old windows that may be among
  // them; then a filter of just those, which the marks are tested against.
  // A second thread joins each pass once a second core is free; inserts
  // that run together may meet in one word, so they set bits atomically.
  size_t newWindows = windowsOf(newSize), oldWindows = windowsOf(oldSize);
  if (newWindows == 0 || oldWindows == 0) return;
  WindowFilter shared;
  WindowHits oldHits;
  if (!shared.allocate(bytes) || !oldHits.allocate(oldSize)) return;
  auto insertInto = [&](const uint8_t* text, uint8_t mask, const WindowHits* only) {
    return [&shared, text, mask, only, &stop](size_t first, size_t last, bool together) {
      return visitWindows(shared, text, first, last, mask, only, &stop, [&](size_t, uint64_t h) {
               together ? shared.insertAtomically(h) : shared.insert(h);
             }) == last;
    };
  };
  if (!inChunks(newWindows, coreFree, insertInto(newText, 0, hits))) return;
  bool oldMarked = inChunks(oldWindows, coreFree, [&](size_t first, size_t last, bool) {
    return oldHits.markRange(shared, oldText, first, last, stop, oldMask) == last;
  });
  if (!oldMarked || !shared.allocate(bytes)) return;
  if (!inChunks(oldWindows, coreFree, insertInto(oldText, oldMask, &oldHits))) return;
  inChunks(newWindows, coreFree, [&](size_t first, size_t last, bool) {
    return hits->keepOnly(shared, newText, first, last, stop) == last;
  });
}

size_t WindowHits::count(size_t windows) const {
  size_t total = 0;
  for (size_t word = 0; word < windows / 64; ++word) total += __builtin_popcountll(bits_[word]);
  if (windows % 64 != 0)
    total += __builtin_popcountll(bits_[windows / 64] & ((1ull << (windows % 64)) - 1));
  return total;
}

size_t WindowHits::next(size_t from, size_t end) const {
  if (from >= end) return end;
  size_t word = from / 64;
  uint64_t bits = bits_[word] & (~0ull << (from % 64));
  while (bits == 0) {
    if (++word * 64 >= end) return end;
    bits = bits_[word];
  }
  size_t found = word * 64 + static_cast<size_t>(__builtin_ctzll(bits));
  return found < end ? found : end;
}
