// Helpers shared by the fuzz targets: one scratch folder per fuzzing
// process, and whole-file reads and writes on the host.
#ifndef FUSELOX_TESTS_FUZZ_FUZZ_SUPPORT_H_
#define FUSELOX_TESTS_FUZZ_FUZZ_SUPPORT_H_

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz {

// A folder of this process, made on first use (in $TMPDIR, else /tmp) and
// left for the system to clean: libFuzzer ends a process with exit().
inline const std::string& scratchFolder() {
  static const std::string folder = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/fuselox-fuzz-XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr) std::abort();
    return pattern;
  }();
  return folder;
}

inline void writeFile(const std::string& path, const std::string& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) std::abort();
  if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) std::abort();
  if (std::fclose(file) != 0) std::abort();
}

// The file's bytes; `exists` tells whether it could be opened.
inline std::string readFile(const std::string& path, bool* exists = nullptr) {
  std::string bytes;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (exists != nullptr) *exists = file != nullptr;
  if (file == nullptr) return bytes;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
  std::fclose(file);
  return bytes;
}

// Stops the run with a message: libFuzzer keeps the input as a crash.
[[noreturn]] inline void fail(const char* what) {
  std::fprintf(stderr, "property violated: %s\n", what);
  std::abort();
}

}  // namespace fuzz

#endif  // FUSELOX_TESTS_FUZZ_FUZZ_SUPPORT_H_
