// A fresh folder for tests that touch real files, removed afterwards.
#ifndef FUSELOX_TESTS_UNIT_SCRATCH_FOLDER_H_
#define FUSELOX_TESTS_UNIT_SCRATCH_FOLDER_H_

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

class ScratchFolder {
 public:
  ScratchFolder() { std::filesystem::create_directories(root_); }
  ~ScratchFolder() { std::filesystem::remove_all(root_, ignored_); }
  std::string path(const std::string& name) const { return (root_ / name).string(); }
  bool exists(const std::string& name) const { return std::filesystem::exists(path(name)); }
  void write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path(name), std::ios::binary) << bytes;
  }
  std::string read(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  std::filesystem::path root_ = std::filesystem::temp_directory_path() /
                                ("fuselox-test-" + std::to_string(std::random_device()()));
  std::error_code ignored_;
};

#endif  // FUSELOX_TESTS_UNIT_SCRATCH_FOLDER_H_
