#include "patch/suffix_index.h"

#include <algorithm>
#include <functional>
#include <future>

#if FUSELOX_OWN_SUFFIX_ARRAY
#include "patch/suffix_array.h"
#else
#include <divsufsort.h>
#endif

namespace {

bool plainSuffixArray(const uint8_t* text, int32_t* sa, int32_t n) {
#if FUSELOX_OWN_SUFFIX_ARRAY
  return buildSuffixArray(text, sa, n);
#else
  return divsufsort(text, sa, n) == 0;
#endif
}

}  // namespace

// The flip turns signed order into reversed unsigned order. Plain order puts
// a prefix before its extensions; read backwards it comes after them, and
// the flipped byte order comes back to signed order.
void flipBytes(uint8_t* data, size_t size) {
  for (size_t i = 0; i < size; ++i) data[i] ^= kIndexFlip;
}

bool buildSuffixIndex(uint8_t* data, int32_t* index, int32_t n, const IndexSideWork& alongside) {
  flipBytes(data, static_cast<size_t>(n));
  std::atomic<bool> indexBuilt(false);
  // Deferred, the work runs in get() when no thread can be started.
  std::future<void> side =
      std::async(std::launch::async | std::launch::deferred, alongside, std::cref(indexBuilt));
  bool built = plainSuffixArray(data, index, n);
  indexBuilt = true;
  side.get();
  flipBytes(data, static_cast<size_t>(n));
  if (built) std::reverse(index, index + n);
  return built;
}
