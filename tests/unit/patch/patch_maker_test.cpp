// The patch maker and the suffix sorts it stands on against naive references
// on generated file pairs.
#include "patch/patch_maker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

#include "patch/patch_writer.h"
#include "patch/suffix_index.h"
#include "patch_test_util.h"

namespace {

const IndexSideWork kNoSideWork = [](const std::atomic<bool>&) {};

uint32_t sizeOf(const std::string& s) { return static_cast<uint32_t>(s.size()); }
uint8_t* bytesOf(std::string& s) { return reinterpret_cast<uint8_t*>(&s[0]); }
int8_t signedAt(const std::string& s, size_t i) { return static_cast<int8_t>(s[i]); }

// The suffix index as first described: bytes compare signed, and a suffix
// sorts after the longer suffixes it is a prefix of.
std::vector<int32_t> referenceIndex(const std::string& old) {
  std::vector<int32_t> index(old.size());
  std::iota(index.begin(), index.end(), 0);
  std::sort(index.begin(), index.end(), [&old](size_t a, size_t b) {
    for (size_t i = 0; std::max(a, b) + i < old.size(); ++i) {
      if (old[a + i] != old[b + i]) return signedAt(old, a + i) < signedAt(old, b + i);
    }
    return a < b;
  });
  return index;
}

// The maker's steps kept naive: at every position a binary search of the
// index, the longest match met on its way winning (the first of equals).
std::string referencePatch(const std::string& old, const std::string& fresh,
                           const std::vector<int32_t>& index) {
  std::string out = patchHeader(old, sizeOf(fresh));
  size_t literalFrom = 0;
  for (size_t k = 0; k < fresh.size(); ++k) {
    size_t bestLength = 0, bestOffset = 0;
    for (int64_t lo = 0, hi = static_cast<int64_t>(old.size()) - 1; lo <= hi;) {
      int64_t mid = (lo + hi) / 2;
      size_t q = index[mid], limit = std::min(old.size() - q, fresh.size() - k), c = 0;
      while (c < limit && old[q + c] == fresh[k + c]) ++c;
      if (c > bestLength) bestLength = c, bestOffset = q;
      if (c == limit || signedAt(old, q + c) < signedAt(fresh, k + c)) {
        lo = mid + 1;
      } else {
        hi = mid - 1;
      }
    }
    if (bestLength < kMinMatch) continue;
    if (k > literalFrom) out += literalRecord(fresh.substr(literalFrom, k - literalFrom));
    out += copyRecord(bestOffset, bestLength, checksumOf(fresh.substr(k, bestLength)));
    literalFrom = k + bestLength;
    k = literalFrom - 1;
  }
  if (literalFrom < fresh.size()) out += literalRecord(fresh.substr(literalFrom));
  return out;
}

// Texts of the kinds that trouble suffix sorting and matching.
struct TextMaker {
  std::mt19937 random;
  uint32_t below(size_t bound) { return bound == 0 ? 0 : random() % bound; }
  std::string bytes(size_t size, uint32_t alphabet, uint32_t first) {
    std::string out(size, '\0');
    for (char& c : out) c = static_cast<char>(first + below(alphabet));
    return out;
  }
  std::string text(size_t size) {
    uint32_t kind = below(6);
    if (kind == 0) return bytes(size, 256, 0);
    if (kind == 1) return bytes(size, 2 + below(3), 'a');
    if (kind == 2) return bytes(size, 1 + below(4), 0x80 + below(100));  // negative when signed
    if (kind == 3) return std::string(size, static_cast<char>(below(256)));
    std::string out, unit = bytes(1 + below(40), 256, 0);
    while (kind == 4 && out.size() < size) out.append(1 + below(300), "\0\x7F\xFE"[below(3)]);
    while (kind == 5 && out.size() < size) out += below(8) == 0 ? bytes(1, 256, 0) : unit;
    return out.substr(0, size);
  }
  // A new version: the old one after a few edits.
  std::string edit(std::string s) {
    for (uint32_t edits = below(5); edits > 0; --edits) {
      size_t at = below(s.size() + 1), length = below(s.size() - at + 1) % 200, kind = below(5);
      if (kind == 0) s.insert(at, text(below(100)));
      if (kind == 1) s.erase(at, length);
      if (kind == 2)
        std::rotate(s.begin() + below(at + 1), s.begin() + at, s.begin() + at + length);
      for (size_t i = at; kind == 3 && i < at + length; i += 1 + below(40)) s[i] = char(below(256));
      if (kind == 4) s = text(s.size());
    }
    return s;
  }
};

// The records of writeRecords with the scan split at `split`, the new
// file's windows marked ahead not at all (0), all against a crowded filter
// (1), or all and then narrowed on one thread (2) or two (3): every way the
// scan meets candidates.
std::string recordsOf(std::string old, std::string fresh, const std::vector<int32_t>& expectedIndex,
                      uint32_t split, int marks) {
  uint32_t n = sizeOf(old), m = sizeOf(fresh);
  uint8_t *o = bytesOf(old), *f = bytesOf(fresh);
  std::vector<int32_t> index(n);
  SearchTree tree;
  ScanFilter scan;
  std::atomic<bool> stop(marks == 0), never(false), twoThreads(marks == 3);
  EXPECT_TRUE(buildSuffixIndex(o, index.data(), n, kNoSideWork) && tree.build(o, index.data(), n) &&
              scan.filter.build(o, n, marks == 0 ? n : n / 8, 0) && scan.hits.allocate(m));
  EXPECT_EQ(expectedIndex, index);
  scan.hits.mark(scan.filter, f, m, stop);
  if (marks >= 2) narrowHits(&scan.hits, f, m, o, n, 0, n, never, twoThreads);
  std::string out;
  PatchWriter writer(&out);
  writeRecords({o, index.data(), n, &tree}, scan, f, m, &writer, split);
  return out;
}

TEST(MakePatch, WritesWhatTheNaiveStepsWrite) {
  const std::string a30 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", zeros(24, '\0');
  std::vector<std::pair<std::string, std::string>> pairs = {
      {a30, ""},
      {a30, "!" + a30.substr(0, 23) + "!"},  // 23 bytes in common: a literal
      {a30, "!" + a30.substr(0, 24) + "!"},  // 24: a copy
      {zeros, zeros},                        // the search passes the whole run by
      {std::string(24, '\x80') + "ABC", std::string(24, '\x80')},
      {"aabbbabbabbabbbababaabaa", "aabbbabbabbabbbababaabaa"}};
  TextMaker maker{std::mt19937(2024)};
  for (int i = 0; i < 3020; ++i) {
    std::string old = maker.text(1 + maker.below(i % 10 == 0 ? 4000 : 600));
    while (i >= 3000 && old.size() < 30000) old += maker.text(1 + maker.below(3000));  // deep trees
    pairs.push_back({old, maker.edit(maker.edit(old))});
  }
  for (size_t i = 0; i < pairs.size(); ++i) {
    const std::string &old = pairs[i].first, &fresh = pairs[i].second;
    std::vector<int32_t> index = referenceIndex(old);
    std::string expected = referencePatch(old, fresh, index), made, oldCopy = old,
                freshCopy = fresh;
    PatchWriter writer(&made);
    makePatch(bytesOf(oldCopy), sizeOf(old), bytesOf(freshCopy), sizeOf(fresh), &writer);
    ASSERT_EQ(expected, made) << i;
    // The part scanned ahead gives the same records wherever the split falls.
    uint32_t m = sizeOf(fresh), splits[] = {0, 1, m / 2, m - (m > 0), m, maker.below(m + 1)};
    // Narrowing on two threads, for some: a thread start costs much under Wine.
    int marks = i / 6 % 3 == 2 && i % 16 == 0 ? 3 : i / 6 % 3;
    ASSERT_EQ(expected.substr(kHeaderSize), recordsOf(old, fresh, index, splits[i % 6], marks))
        << i;
  }
}

}  // namespace
