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

bool WindowFilter::build(const uint8_t* data, size_t size, size_t bytes, uint8_t mask) {
  lineCount_ = bytes / (kWordsPerLine * 8) + 1;
  storage_.reset(new (std::nothrow) uint64_t[(lineCount_ + 1) * kWordsPerLine]());
  if (storage_ == nullptr) return false;
  uintptr_t address = reinterpret_cast<uintptr_t>(storage_.get());
  bits_ = storage_.get() + ((64 - address % 64) % 64) / 8;
  if (size < kMinMatch) return true;
  size_t windows = size - kMinMatch + 1;
  WindowScan scan(*this, data, windows, mask);
  for (size_t i = 0;; ++i) {
    // Runs of one byte repeat their window; it is recorded once.
    if (i == 0 || scan.hash() != scan.previousHash()) insert(scan.hash());
    if (i + 1 == windows) return true;
    scan.next();
  }
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
                      const std::atomic<bool>& stop) {
  if (size < kMinMatch) return;
  size_t windows = size - kMinMatch + 1;
  WindowScan scan(filter, text, windows);
  bool hit = false;
  for (size_t i = 0;; ++i) {
    if (i % kStopCheckInterval == 0 && stop.load(std::memory_order_relaxed)) {
      marked_ = i;
      return;
    }
    if (i == 0 || scan.hash() != scan.previousHash()) hit = filter.mayContain(scan.hash());
    if (hit) bits_[i / 64] |= 1ull << (i % 64);
    if (i + 1 == windows) break;
    scan.next();
  }
  marked_ = windows;
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
