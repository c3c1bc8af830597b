#include "patch/suffix_index.h"

#include <divsufsort.h>

#include <algorithm>
#include <functional>
#include <future>

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
  bool built = divsufsort(data, index, n) == 0;
  indexBuilt = true;
  side.get();
  flipBytes(data, static_cast<size_t>(n));
  if (built) std::reverse(index, index + n);
  return built;
}
