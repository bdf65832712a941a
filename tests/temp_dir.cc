#include "temp_dir.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace fs = std::filesystem;

TempDir::TempDir() : TempDir(fs::temp_directory_path().string()) {}

TempDir::TempDir(const std::string& parent) {
  // A random name, taken only if nothing bears it yet.
  std::random_device seed;
  std::mt19937_64 random(
      (uint64_t{seed()} << 32) ^ seed() ^
      static_cast<uint64_t>(
          std::chrono::steady_clock::now().time_since_epoch().count()));
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate =
        fs::path(parent) / ("vontrale_test_" + std::to_string(random()));
    std::error_code error;
    if (fs::create_directory(candidate, error)) {
      path_ = candidate.string();
      return;
    }
  }
  std::abort();
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
