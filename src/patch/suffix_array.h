// A linear-time suffix array construction (induced sorting, SA-IS) for the
// builds that have no suffix-array library.
#ifndef FUSELOX_PATCH_SUFFIX_ARRAY_H_
#define FUSELOX_PATCH_SUFFIX_ARRAY_H_

#include <cstdint>

// Fills sa[0, n) with the positions of `text` sorted by their suffixes in
// plain order: unsigned bytes, and a suffix that is a prefix of another
// first. False when its working memory cannot be had. Besides `sa` it needs
// n / 8 bytes and, below the top level, a bucket table of up to 2n bytes.
bool buildSuffixArray(const uint8_t* text, int32_t* sa, int32_t n);

#endif  // FUSELOX_PATCH_SUFFIX_ARRAY_H_
