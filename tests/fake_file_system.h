#ifndef VONTRALE_TESTS_FAKE_FILE_SYSTEM_H_
#define VONTRALE_TESTS_FAKE_FILE_SYSTEM_H_

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "bank_builder.h"
#include "platform/file_system.h"

// A bank in memory. Bytes past `bytes` up to `size` read as zeros, so a
// test can place a record beyond 4 GiB without a 4 GiB buffer.
struct FakeBank {
  std::map<uint64_t, Bytes> regions;
  uint64_t size = 0;
  // Reads that touch this position or beyond fail as an I/O error would.
  uint64_t fail_reads_from = UINT64_MAX;
  uint64_t reads = 0;       // read_at calls so far
  uint64_t bytes_read = 0;  // and the bytes they asked for
  // Whether the file claims that append_from copies it without reading.
  bool direct_append = false;

  static FakeBank of(const Bytes& bytes);
  void put(uint64_t position, const Bytes& bytes);
};

// A file system in memory that records what the code did and fails where a
// test tells it to. Paths are joined as text; the current directory starts
// empty.
class FakeFileSystem final : public FileSystem {
 public:
  std::unique_ptr<InputFile> open_input(const std::string& path) override;
  std::unique_ptr<OutputFile> create_output(const std::string& name) override;
  bool make_directory(const std::string& name) override;
  bool change_directory(const std::string& path) override;

  std::map<std::string, FakeBank> banks;
  std::map<std::string, Bytes> files;  // by path from the first directory
  std::set<std::string> directories;
  std::string current_directory;
  std::vector<size_t> write_calls;  // bytes handed to each write

  // Faults.
  std::set<std::string> refuse_create;     // bare names
  std::set<std::string> refuse_directory;  // paths not to make or enter
  size_t write_budget = SIZE_MAX;          // bytes accepted before writes fail
  // Bytes of its stream (prefix, then data) that append_from moves, as a
  // kernel copy would, before it stops.
  uint64_t append_budget = 0;
  std::vector<uint64_t> append_calls;  // bytes each append_from moved
  bool fail_close = false;

 private:
  std::string join(const std::string& name) const;
};

#endif  // VONTRALE_TESTS_FAKE_FILE_SYSTEM_H_
