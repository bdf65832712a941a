#include "temp_dir.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string pattern =
      (fs::temp_directory_path() / "vontrale_test_XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr)
    std::abort();
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string TempDir::operator/(const std::string& name) const {
  return path_ + "/" + name;
}

Bytes read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in),
               std::istreambuf_iterator<char>());
}

bool exists(const std::string& path) {
  std::error_code ignored;
  return fs::exists(fs::symlink_status(path, ignored));
}

std::vector<std::string> list_directory(const std::string& path) {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const fs::directory_entry& entry :
       fs::directory_iterator(path, ignored)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}
