#include "reference_maker.h"

#include "patch/patch_format.h"

namespace reference {
namespace {

struct SuffixOrder {
  const uint8_t* data;
  uint32_t n;
  // True when the suffix at a sorts before the one at b.
  bool before(uint32_t a, uint32_t b) const {
    uint32_t common = n - a < n - b ? n - a : n - b;
    for (uint32_t i = 0; i < common; ++i) {
      int8_t x = static_cast<int8_t>(data[a + i]);
      int8_t y = static_cast<int8_t>(data[b + i]);
      if (x != y) return x < y;
    }
    return a < b;
  }
};

void siftDown(const SuffixOrder& order, std::vector<uint32_t>* heap, uint32_t root, uint32_t size) {
  std::vector<uint32_t>& h = *heap;
  for (;;) {
    uint32_t child = 2 * root + 1;
    if (child >= size) return;
    if (child + 1 < size && order.before(h[child], h[child + 1])) ++child;
    if (!order.before(h[root], h[child])) return;
    std::swap(h[root], h[child]);
    root = child;
  }
}

struct Found {
  uint32_t length = 0;
  uint32_t offset = 0;
};

Found longestMatch(const uint8_t* old, const std::vector<uint32_t>& index, uint32_t n,
                   const uint8_t* target, uint32_t m) {
  Found best;
  uint32_t lo = 0, hi = n - 1;
  while (lo <= hi) {
    uint32_t mid = (lo + hi) / 2;
    uint32_t q = index[mid];
    uint32_t limit = n - q < m ? n - q : m;
    uint32_t c = 0;
    while (c < limit && old[q + c] == target[c]) ++c;
    if (c > best.length) best = {c, q};
    if (c == limit || static_cast<int8_t>(old[q + c]) < static_cast<int8_t>(target[c])) {
      lo = mid + 1;
    } else if (mid == 0) {
      break;
    } else {
      hi = mid - 1;
    }
  }
  return best;
}

void putWord(std::string* out, uint32_t value) {
  uint8_t bytes[4];
  putLe32(value, bytes);
  out->append(reinterpret_cast<char*>(bytes), 4);
}

void writeLiteral(std::string* out, const uint8_t* bytes, uint32_t length) {
  out->push_back(static_cast<char>(kLiteralKind));
  putWord(out, length);
  out->append(reinterpret_cast<const char*>(bytes), length);
}

void writeCopy(std::string* out, const uint8_t* bytes, uint32_t offset, uint32_t length) {
  out->push_back(static_cast<char>(kCopyKind));
  putWord(out, offset);
  putWord(out, length);
  putWord(out, runChecksum(bytes, length));
}

}  // namespace

std::vector<uint32_t> buildSuffixIndex(const std::string& old) {
  uint32_t n = static_cast<uint32_t>(old.size());
  std::vector<uint32_t> index(n);
  for (uint32_t i = 0; i < n; ++i) index[i] = i;
  SuffixOrder order = {reinterpret_cast<const uint8_t*>(old.data()), n};
  for (uint32_t i = n / 2; i-- > 0;) siftDown(order, &index, i, n);
  for (uint32_t size = n; size > 1; --size) {
    std::swap(index[0], index[size - 1]);
    siftDown(order, &index, 0, size - 1);
  }
  return index;
}

std::string makePatch(const std::string& old, const std::string& fresh, const std::string& digest) {
  const uint8_t* o = reinterpret_cast<const uint8_t*>(old.data());
  const uint8_t* f = reinterpret_cast<const uint8_t*>(fresh.data());
  uint32_t n = static_cast<uint32_t>(old.size());
  uint32_t r = static_cast<uint32_t>(fresh.size());
  std::vector<uint32_t> index = buildSuffixIndex(old);
  std::string out = digest + std::string(kMagic, kMagicSize);
  putWord(&out, n);
  putWord(&out, r);
  uint32_t p = 0;
  while (r > 0) {
    uint32_t k = 0;
    Found match;
    for (; k < r; ++k) {
      match = longestMatch(o, index, n, f + p + k, r - k);
      if (match.length >= kMinMatch) break;
    }
    if (k == r) {
      writeLiteral(&out, f + p, r);
      break;
    }
    if (k > 0) writeLiteral(&out, f + p, k);
    writeCopy(&out, f + p + k, match.offset, match.length);
    p += k + match.length;
    r -= k + match.length;
  }
  return out;
}

}  // namespace reference
