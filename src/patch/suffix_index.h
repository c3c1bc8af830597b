// The suffix index of the old file: every position, sorted by the suffix
// that starts there. Bytes compare as signed values, and a suffix that is a
// prefix of another sorts after it. No two suffixes compare equal, so any
// correct sort gives the same index.
#ifndef FUSELOX_PATCH_SUFFIX_INDEX_H_
#define FUSELOX_PATCH_SUFFIX_INDEX_H_

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>

// The flip applied to every byte while the index is built.
constexpr uint8_t kIndexFlip = 0x7F;

// XOR kIndexFlip on every byte.
void flipBytes(uint8_t* data, size_t size);

// Work done while the index is built; the flag is set once it is built,
// and the work should then finish soon.
using IndexSideWork = std::function<void(const std::atomic<bool>& indexBuilt)>;

// Fills index[0, n) for data[0, n), 0 < n <= kMaxFileSize. The bytes of
// `data` are flipped (see flipBytes) while the index is built and restored
// before return, so that no second copy of the text is needed. `alongside`
// runs meanwhile, on a second thread when one can be had; it sees `data`
// flipped and must not change it. False when memory runs out.
bool buildSuffixIndex(uint8_t* data, int32_t* index, int32_t n, const IndexSideWork& alongside);

#endif  // FUSELOX_PATCH_SUFFIX_INDEX_H_
