#include "patch/suffix_array.h"

#include <memory>
#include <new>

// The text is taken to end in a virtual sentinel, smaller than every
// symbol, which is never stored: the last position is therefore L-type and
// the sentinel itself is the one LMS position not kept in the array.
namespace {

class TypeBits {
 public:
  bool allocate(int32_t n) {
    bits_.reset(new (std::nothrow) uint8_t[n / 8 + 1]());
    return bits_ != nullptr;
  }
  bool isS(int32_t i) const { return (bits_[i >> 3] >> (i & 7)) & 1; }
  void setS(int32_t i) { bits_[i >> 3] |= static_cast<uint8_t>(1 << (i & 7)); }
  bool isLms(int32_t i) const { return i > 0 && isS(i) && !isS(i - 1); }

 private:
  std::unique_ptr<uint8_t[]> bits_;
};

template <typename Symbol>
void classify(const Symbol* s, int32_t n, TypeBits* types) {
  bool nextIsS = false;
  for (int32_t i = n - 2; i >= 0; --i) {
    bool isS = s[i] < s[i + 1] || (s[i] == s[i + 1] && nextIsS);
    if (isS) types->setS(i);
    nextIsS = isS;
  }
}

// Bucket starts (or ends, exclusive) of every symbol below `k`.
template <typename Symbol>
void findBuckets(const Symbol* s, int32_t n, int32_t k, int32_t* bucket, bool ends) {
  for (int32_t c = 0; c <= k; ++c) bucket[c] = 0;
  for (int32_t i = 0; i < n; ++i) ++bucket[s[i]];
  int32_t sum = 0;
  for (int32_t c = 0; c <= k; ++c) {
    sum += bucket[c];
    bucket[c] = ends ? sum : sum - bucket[c];
  }
}

template <typename Symbol>
void induceL(const Symbol* s, int32_t* sa, int32_t n, int32_t k, const TypeBits& types,
             int32_t* bucket) {
  findBuckets(s, n, k, bucket, false);
  sa[bucket[s[n - 1]]++] = n - 1;  // induced by the sentinel
  for (int32_t i = 0; i < n; ++i) {
    int32_t j = sa[i] - 1;
    if (j >= 0 && !types.isS(j)) sa[bucket[s[j]]++] = j;
  }
}

template <typename Symbol>
void induceS(const Symbol* s, int32_t* sa, int32_t n, int32_t k, const TypeBits& types,
             int32_t* bucket) {
  findBuckets(s, n, k, bucket, true);
  for (int32_t i = n - 1; i >= 0; --i) {
    int32_t j = sa[i] - 1;
    if (j >= 0 && types.isS(j)) sa[--bucket[s[j]]] = j;
  }
}

// True when the LMS substrings starting at a and b are equal.
template <typename Symbol>
bool sameLmsSubstring(const Symbol* s, int32_t n, const TypeBits& types, int32_t a, int32_t b) {
  for (int32_t d = 0;; ++d) {
    if (a + d == n || b + d == n) return false;  // the sentinel is unique
    if (s[a + d] != s[b + d] || types.isS(a + d) != types.isS(b + d)) return false;
    if (d > 0 && types.isLms(a + d)) return true;
  }
}

// Names the sorted LMS substrings held in sa[0, lmsCount) and gathers the
// names, in text order, into sa[n - lmsCount, n). Returns the name count.
template <typename Symbol>
int32_t nameLmsSubstrings(const Symbol* s, int32_t* sa, int32_t n, int32_t lmsCount,
                          const TypeBits& types) {
  for (int32_t i = lmsCount; i < n; ++i) sa[i] = -1;
  int32_t names = 0;
  int32_t previous = -1;
  for (int32_t i = 0; i < lmsCount; ++i) {
    int32_t pos = sa[i];
    if (previous < 0 || !sameLmsSubstring(s, n, types, pos, previous)) {
      ++names;
      previous = pos;
    }
    sa[lmsCount + pos / 2] = names - 1;  // LMS positions are at least 2 apart
  }
  for (int32_t i = n - 1, j = n - 1; i >= lmsCount; --i) {
    if (sa[i] >= 0) sa[j--] = sa[i];
  }
  return names;
}

template <typename Symbol>
bool inducedSort(const Symbol* s, int32_t* sa, int32_t n, int32_t k);

// Sorts the LMS suffixes into sa[0, count) from the sorted LMS substrings.
template <typename Symbol>
bool sortLmsSuffixes(const Symbol* s, int32_t* sa, int32_t n, const TypeBits& types,
                     int32_t count) {
  int32_t names = nameLmsSubstrings(s, sa, n, count, types);
  int32_t* reduced = sa + n - count;
  if (names < count) {
    if (!inducedSort<int32_t>(reduced, sa, count, names)) return false;
  } else {
    for (int32_t i = 0; i < count; ++i) sa[reduced[i]] = i;
  }
  for (int32_t i = 1, j = 0; i < n; ++i) {
    if (types.isLms(i)) reduced[j++] = i;
  }
  for (int32_t i = 0; i < count; ++i) sa[i] = reduced[sa[i]];
  return true;
}

template <typename Symbol>
int32_t sortLmsSubstrings(const Symbol* s, int32_t* sa, int32_t n, int32_t k, const TypeBits& types,
                          int32_t* bucket) {
  for (int32_t i = 0; i < n; ++i) sa[i] = -1;
  findBuckets(s, n, k, bucket, true);
  for (int32_t i = 1; i < n; ++i) {
    if (types.isLms(i)) sa[--bucket[s[i]]] = i;
  }
  induceL(s, sa, n, k, types, bucket);
  induceS(s, sa, n, k, types, bucket);
  int32_t count = 0;
  for (int32_t i = 0; i < n; ++i) {
    if (types.isLms(sa[i])) sa[count++] = sa[i];
  }
  return count;
}

template <typename Symbol>
bool inducedSort(const Symbol* s, int32_t* sa, int32_t n, int32_t k) {
  if (n == 1) sa[0] = 0;
  if (n <= 1) return true;
  TypeBits types;
  std::unique_ptr<int32_t[]> bucket(new (std::nothrow) int32_t[k + 1]);
  if (!types.allocate(n) || bucket == nullptr) return false;
  classify(s, n, &types);
  int32_t count = sortLmsSubstrings(s, sa, n, k, types, bucket.get());
  if (!sortLmsSuffixes(s, sa, n, types, count)) return false;
  for (int32_t i = count; i < n; ++i) sa[i] = -1;
  findBuckets(s, n, k, bucket.get(), true);
  for (int32_t i = count - 1; i >= 0; --i) {
    int32_t j = sa[i];
    sa[i] = -1;
    sa[--bucket[s[j]]] = j;
  }
  induceL(s, sa, n, k, types, bucket.get());
  induceS(s, sa, n, k, types, bucket.get());
  return true;
}

}  // namespace

bool buildSuffixArray(const uint8_t* text, int32_t* sa, int32_t n) {
  return inducedSort(text, sa, n, 256);
}
