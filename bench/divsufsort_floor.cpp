// The floor of the patch maker: reads a file and sorts its suffixes with
// libdivsufsort, nothing else. The maker's output is fixed by that sort, so
// no maker can be faster than this on the old file.
// usage: divsufsort_floor FILE
#include <divsufsort.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: divsufsort_floor FILE\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary | std::ios::ate);
  std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : -1;
  std::vector<unsigned char> text(size > 0 && size <= INT32_MAX ? size : 0);
  in.seekg(0);
  if (text.empty() || !in.read(reinterpret_cast<char*>(text.data()), size)) {
    std::fprintf(stderr, "cannot read %s, or it is empty or too large\n", argv[1]);
    return 2;
  }
  std::vector<int32_t> sa(text.size());
  if (divsufsort(text.data(), sa.data(), static_cast<int32_t>(text.size())) != 0) return 1;
  std::printf("%d\n", sa[0]);
  return 0;
}
