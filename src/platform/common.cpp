// What both targets do the same way over the C runtime.
#include <cstdio>

#include "platform/platform.h"

namespace platform {

bool readWholeFile(const std::string& path, std::string* data) {
  FILE* file = openForReading(path);
  if (file == nullptr) return false;
  data->clear();
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) data->append(buffer, n);
  bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

void writeStdout(const std::string& bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

void writeStderr(const std::string& bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stderr);
  std::fflush(stderr);
}

}  // namespace platform
