#include "patch/patch_format.h"

uint32_t runChecksum(const uint8_t* bytes, size_t length) {
  uint32_t sum = 0;
  for (size_t i = 0; i < length; ++i) sum = foldChecksum(sum, bytes[i]);
  return sum;
}
