// The fsx.cfg reader on any bytes: never a crash or overrun; every valid
// SimObjects path is non-empty and fits a 1024-byte buffer.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "location/simulator.h"
#include "protocol/request.h"
#include "text/text_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  std::vector<SimObjectsPath> paths =
      parseSimObjectsPaths(decodeText(bytes).text, "C:\\Program Files\\FSX\\");
  for (const SimObjectsPath& entry : paths) {
    if (entry.valid && (entry.path.empty() || entry.path.size() >= kSlotSize)) {
      fuzz::fail("a valid path that is empty or too long");
    }
  }
  return 0;
}
