#ifndef VONTRALE_TESTS_TEMP_DIR_H_
#define VONTRALE_TESTS_TEMP_DIR_H_

#include <string>
#include <vector>

#include "bank_builder.h"

// A fresh directory, removed with everything in it at the end of the test.
class TempDir {
 public:
  // Inside the system's temporary directory, or inside `parent`.
  TempDir();
  explicit TempDir(const std::string& parent);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // The path of `name` inside the directory.
  std::string operator/(const std::string& name) const;

 private:
  std::string path_;
};

Bytes read_file(const std::string& path);
bool exists(const std::string& path);
// The names in a directory, sorted.
std::vector<std::string> list_directory(const std::string& path);

#endif  // VONTRALE_TESTS_TEMP_DIR_H_
