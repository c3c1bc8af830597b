#include "patch/window_filter.h"

#include <new>

namespace {

// How many windows are marked between two looks at the stop flag.
constexpr size_t kStopCheckInterval = 1 << 16;

}  // namespace

WindowHash::WindowHash(const uint8_t* window, uint8_t mask) {
  for (uint32_t i = 0; i < kMinMatch; ++i) value_ = value_ * kBase + (window[i] ^ mask);
}

void WindowFilter::insert(uint64_t hash) {
  uint64_t* line = bits_ + lineStart(hash);
  uint64_t bits = spread(hash);
  for (int i = 0; i < kBitsPerWindow; ++i, bits >>= 9) line[(bits >> 6) & 7] |= 1ull << (bits & 63);
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

// Calls visit(window, hash) for the windows of text[0, size), each byte
// taken XOR `mask`, in order: all of them, or those `only` marks. Each
// window's line of the filter is asked for some windows before its visit.
// Returns how many windows, from the first, were passed: all of them, or
// fewer when `stop` was set.
template <typename Visit>
size_t visitWindows(const WindowFilter& filter, const uint8_t* text, size_t size, uint8_t mask,
                    const WindowHits* only, const std::atomic<bool>* stop, Visit visit) {
  if (size < kMinMatch) return 0;
  constexpr size_t kAhead = 16;
  size_t windows = size - kMinMatch + 1;
  size_t pendingAt[kAhead];
  uint64_t pendingHash[kAhead];
  size_t first = 0, count = 0;
  WindowHash rolling(text, mask);
  size_t i = 0;
  for (; i < windows; ++i) {
    if (i > 0) rolling.roll(text[i - 1] ^ mask, text[i - 1 + kMinMatch] ^ mask);
    if (stop != nullptr && i % kStopCheckInterval == 0 && stop->load(std::memory_order_relaxed)) {
      break;
    }
    if (only != nullptr && !only->isMarked(i)) continue;
    uint64_t hash = rolling.value();
    filter.prefetch(hash);
    if (count == kAhead) {
      visit(pendingAt[first], pendingHash[first]);
      first = (first + 1) % kAhead;
      --count;
    }
    size_t slot = (first + count++) % kAhead;
    pendingAt[slot] = i;
    pendingHash[slot] = hash;
  }
  for (; count > 0; --count, first = (first + 1) % kAhead)
    visit(pendingAt[first], pendingHash[first]);
  return i;
}

}  // namespace

bool WindowFilter::build(const uint8_t* data, size_t size, size_t bytes, uint8_t mask) {
  if (!allocate(bytes)) return false;
  visitWindows(*this, data, size, mask, nullptr, nullptr,
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
  marked_ = visitWindows(filter, text, size, mask, nullptr, &stop, [&](size_t i, uint64_t hash) {
    bits_[i / 64] |= static_cast<uint64_t>(filter.mayContain(hash)) << (i % 64);
  });
}

void WindowHits::keepOnly(const WindowFilter& filter, const uint8_t* text, size_t size,
                          const std::atomic<bool>& stop) {
  visitWindows(filter, text, size, 0, this, &stop, [&](size_t i, uint64_t hash) {
    if (!filter.mayContain(hash)) unmark(i);
  });
}

void narrowHits(WindowHits* hits, const uint8_t* newText, size_t newSize, const uint8_t* oldText,
                size_t oldSize, uint8_t oldMask, size_t bytes, const std::atomic<bool>& stop) {
  // The new file's marked windows; then the old windows that may be among
  // them; then a filter of just those, which the marks are tested against.
  if (newSize < kMinMatch || oldSize < kMinMatch) return;
  WindowFilter shared;
  WindowHits oldHits;
  if (!shared.allocate(bytes) || !oldHits.allocate(oldSize)) return;
  size_t passed = visitWindows(shared, newText, newSize, 0, hits, &stop,
                               [&](size_t, uint64_t hash) { shared.insert(hash); });
  if (passed < newSize - kMinMatch + 1) return;
  oldHits.mark(shared, oldText, oldSize, stop, oldMask);
  if (oldHits.marked() < oldSize - kMinMatch + 1 || !shared.allocate(bytes)) return;
  passed = visitWindows(shared, oldText, oldSize, oldMask, &oldHits, &stop,
                        [&](size_t, uint64_t hash) { shared.insert(hash); });
  if (passed < oldSize - kMinMatch + 1) return;
  hits->keepOnly(shared, newText, newSize, stop);
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
