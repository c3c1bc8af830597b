// The user.reg reader on any bytes, through the same calls the program
// makes (the hive is read from $WINEPREFIX/user.reg): never a crash or
// overrun, and a simulator folder is never longer than the registry call
// allows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "platform/platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool prefixSet = setenv("WINEPREFIX", fuzz::scratchFolder().c_str(), 1) == 0;
  if (!prefixSet) fuzz::fail("cannot set WINEPREFIX");
  fuzz::writeFile(fuzz::scratchFolder() + "/user.reg",
                  std::string(reinterpret_cast<const char*>(data), size));
  std::string appPath, appData;
  if (platform::readSimulatorAppPath(&appPath) && appPath.size() > 511) {
    fuzz::fail("AppPath longer than 511 characters");
  }
  if (platform::readRoamingAppDataFolder(&appData) && appData.empty()) {
    fuzz::fail("an empty application-data folder");
  }
  return 0;
}
