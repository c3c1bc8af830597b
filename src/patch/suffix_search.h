// The binary search over the old file's suffix index that finds the runs
// the maker copies. Its steps fix the patch's bytes, so they are kept
// exactly; what is known in advance is only not fetched again.
#ifndef FUSELOX_PATCH_SUFFIX_SEARCH_H_
#define FUSELOX_PATCH_SUFFIX_SEARCH_H_

#include <cstdint>
#include <memory>

// The probes of the search's first levels, with the first bytes of their
// suffixes, packed so that those levels are served from the cache rather
// than from the index and the old file. Node 1 is the first probe; the
// probe after node i is 2i when the search goes left, 2i + 1 when right.
class SearchTree {
 public:
  static constexpr uint32_t kHeadSize = 12;
  struct Node {
    uint32_t position;
    uint8_t head[kHeadSize];  // zero past the end of the old file
  };

  // At most one byte per 16 bytes of old data, and at most 1 MiB. False
  // when the memory cannot be had.
  bool build(const uint8_t* data, const int32_t* index, uint32_t size);

  // The node, or nullptr below the levels kept.
  const Node* node(uint32_t i) const { return i < count_ ? &nodes_[i] : nullptr; }

 private:
  void fill(uint32_t node, int64_t lo, int64_t hi);

  std::unique_ptr<Node[]> nodes_;
  uint32_t count_ = 0;
  const uint8_t* data_ = nullptr;
  const int32_t* index_ = nullptr;
  uint32_t size_ = 0;
};

// The old file as the search sees it.
struct OldText {
  const uint8_t* data;
  const int32_t* index;  // suffix index of data
  uint32_t size;         // at least 1
  const SearchTree* tree;
};

struct Match {
  uint32_t length;
  uint32_t offset;
};

// The match the binary search over the index meets for target[0, length),
// length > 0: the longest run seen on its path, the first probe's on a tie.
// Not always the longest run anywhere in the old file.
Match longestMatch(const OldText& old, const uint8_t* target, uint32_t length);

// longestMatch taken one memory access at a time, so that several searches
// can be interleaved and each one's next access fetched while the others
// work. Every advance() either finds where a probe's suffix starts or
// compares that suffix with the target.
class SearchCursor {
 public:
  void start(const OldText* old, const uint8_t* target, uint32_t length);
  void advance() {
    if (done_) return;
    if (located_) {
      compare();
    } else {
      locate();
    }
  }
  bool done() const { return done_; }
  Match result() const { return best_; }

 private:
  void aim();
  void locate();
  void compare();
  uint32_t countEqual(uint32_t known, uint32_t limit) const;
  uint8_t probeByte(uint32_t at) const;

  const OldText* old_ = nullptr;
  const uint8_t* target_ = nullptr;
  uint32_t length_ = 0;
  Match best_ = {0, 0};
  uint32_t lo_ = 0, hi_ = 0, mid_ = 0, node_ = 1;
  // The suffixes just outside [lo, hi] share these many bytes with the
  // target, so every suffix between them shares the smaller count.
  uint32_t sharedLo_ = 0, sharedHi_ = 0;
  uint32_t position_ = 0;
  const uint8_t* head_ = nullptr;  // the probe's first bytes when the tree has them
  bool located_ = false;
  bool done_ = true;
};

#endif  // FUSELOX_PATCH_SUFFIX_SEARCH_H_
