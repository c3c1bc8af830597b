#include "patch/suffix_search.h"

#include <cstring>
#include <new>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "commonPrefix reads words little-endian");

namespace {

constexpr uint32_t kMaxTreeLevels = 16;
// The tree takes at most one byte per this many bytes of old data.
constexpr uint32_t kOldBytesPerTreeByte = 16;

// How many leading bytes of a and b are equal, at most `limit`.
uint32_t commonPrefix(const uint8_t* a, const uint8_t* b, uint32_t limit) {
  uint32_t n = 0;
  for (; n + 8 <= limit; n += 8) {
    uint64_t x, y;
    memcpy(&x, a + n, 8);
    memcpy(&y, b + n, 8);
    if (x != y) return n + (__builtin_ctzll(x ^ y) >> 3);
  }
  while (n < limit && a[n] == b[n]) ++n;
  return n;
}

bool signedLess(uint8_t a, uint8_t b) { return static_cast<int8_t>(a) < static_cast<int8_t>(b); }

uint32_t treeLevels(uint32_t size) {
  uint32_t levels = 0;
  uint64_t nodeCost = sizeof(SearchTree::Node) * kOldBytesPerTreeByte;
  while (levels < kMaxTreeLevels && (2u << levels) * nodeCost <= size) ++levels;
  return levels;
}

}  // namespace

bool SearchTree::build(const uint8_t* data, const int32_t* index, uint32_t size) {
  count_ = 1u << treeLevels(size);
  nodes_.reset(new (std::nothrow) Node[count_]());
  if (nodes_ == nullptr) return false;
  data_ = data;
  index_ = index;
  size_ = size;
  fill(1, 0, static_cast<int64_t>(size) - 1);
  return true;
}

void SearchTree::fill(uint32_t node, int64_t lo, int64_t hi) {
  if (node >= count_ || lo > hi) return;
  int64_t mid = lo + (hi - lo) / 2;
  uint32_t position = static_cast<uint32_t>(index_[mid]);
  uint32_t rest = size_ - position;
  nodes_[node].position = position;
  memcpy(nodes_[node].head, data_ + position, rest < kHeadSize ? rest : kHeadSize);
  fill(2 * node, lo, mid - 1);
  fill(2 * node + 1, mid + 1, hi);
}

Match longestMatch(const OldText& old, const uint8_t* target, uint32_t length) {
  SearchCursor cursor;
  cursor.start(&old, target, length);
  while (!cursor.done()) cursor.advance();
  return cursor.result();
}

void SearchCursor::start(const OldText* old, const uint8_t* target, uint32_t length) {
  old_ = old;
  target_ = target;
  length_ = length;
  best_ = {0, 0};
  lo_ = 0;
  hi_ = old->size - 1;
  node_ = 1;
  sharedLo_ = sharedHi_ = 0;
  done_ = false;
  aim();
}

void SearchCursor::aim() {
  mid_ = lo_ + (hi_ - lo_) / 2;
  const SearchTree::Node* cached = old_->tree->node(node_);
  __builtin_prefetch(cached != nullptr ? static_cast<const void*>(cached) : old_->index + mid_);
  located_ = false;
}

void SearchCursor::locate() {
  const SearchTree::Node* cached = old_->tree->node(node_);
  if (cached != nullptr) {
    position_ = cached->position;
    head_ = cached->head;
  } else {
    position_ = static_cast<uint32_t>(old_->index[mid_]);
    head_ = nullptr;
    __builtin_prefetch(old_->data + position_ + (sharedLo_ < sharedHi_ ? sharedLo_ : sharedHi_));
  }
  located_ = true;
}

// Leading bytes of the probe's suffix equal to the target's, at most
// `limit`, the first `known` of them already known to be equal.
uint32_t SearchCursor::countEqual(uint32_t known, uint32_t limit) const {
  if (head_ != nullptr && known < SearchTree::kHeadSize) {
    uint32_t headLimit = limit < SearchTree::kHeadSize ? limit : SearchTree::kHeadSize;
    known += commonPrefix(head_ + known, target_ + known, headLimit - known);
    if (known < headLimit || known == limit) return known;
  }
  return known + commonPrefix(old_->data + position_ + known, target_ + known, limit - known);
}

uint8_t SearchCursor::probeByte(uint32_t at) const {
  if (head_ != nullptr && at < SearchTree::kHeadSize) return head_[at];
  return old_->data[position_ + at];
}

void SearchCursor::compare() {
  uint32_t rest = old_->size - position_;
  uint32_t limit = rest < length_ ? rest : length_;
  uint32_t c = countEqual(sharedLo_ < sharedHi_ ? sharedLo_ : sharedHi_, limit);
  if (c > best_.length) best_ = {c, position_};
  if (c == limit || signedLess(probeByte(c), target_[c])) {
    lo_ = mid_ + 1;
    sharedLo_ = c;
    node_ = 2 * node_ + 1;
  } else {
    if (mid_ == 0) {
      done_ = true;
      return;
    }
    hi_ = mid_ - 1;
    sharedHi_ = c;
    node_ = 2 * node_;
  }
  done_ = lo_ > hi_;
  if (!done_) aim();
}
