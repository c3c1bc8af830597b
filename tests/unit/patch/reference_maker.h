// The maker's steps as first described, kept naive (heapsort with byte-wise
// comparisons, a binary search at every position) as the yardstick for the
// fast maker. Test-only: slow on anything but small files.
#ifndef FUSELOX_TESTS_UNIT_PATCH_REFERENCE_MAKER_H_
#define FUSELOX_TESTS_UNIT_PATCH_REFERENCE_MAKER_H_

#include <cstdint>
#include <string>
#include <vector>

namespace reference {

// The suffix index, sorted by heapsort.
std::vector<uint32_t> buildSuffixIndex(const std::string& old);

// The whole patch, header included, with the given digest text.
std::string makePatch(const std::string& old, const std::string& fresh, const std::string& digest);

}  // namespace reference

#endif  // FUSELOX_TESTS_UNIT_PATCH_REFERENCE_MAKER_H_
