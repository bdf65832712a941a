// libFuzzer target: the input is written as a bank in a private directory
// and the real extraction, run_decrunch on the native file system, unpacks
// it. After each run the sandbox is checked against the bank's own bytes:
// the status is the one the bank deserves, every file made is a sample
// file in the output directory, each sample reported done is exactly its
// header and its slice of the bank, and nothing else changed.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bank_builder.h"
#include "cli/console.h"
#include "cli/driver.h"
#include "temp_dir.h"
#include "wav/wav_header.h"

namespace {

namespace fs = std::filesystem;

class CapturedOutput final : public Console {
 public:
  void print(const std::string& text) override { text_ += text; }
  std::string text_;
};

uint32_t load(const uint8_t* bytes) {
  return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 |
         uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
}

// What the tool must make of `bank`, worked out apart from the tool's code:
// whether the header is valid, and the files of the samples before the
// first damaged one.
struct Expected {
  bool valid_header = false;
  std::vector<Bytes> files;
  bool all_samples = false;
};

Expected expect(const uint8_t* bank, size_t size) {
  Expected expected;
  if (size < 8 || load(bank) != 1)
    return expected;
  uint64_t count = load(bank + 4);
  if (8 + 4 * count > size)
    return expected;
  expected.valid_header = true;
  for (uint64_t i = 0; i < count; ++i) {
    uint64_t record = load(bank + 8 + 4 * i);
    if (record + 22 > size)
      return expected;
    uint64_t length = load(bank + record + 18);
    if (length + 36 > UINT32_MAX || record + 22 + length > size)
      return expected;
    const uint8_t* data = bank + record + 22;
    expected.files.push_back(wav_file(Bytes(bank + record, bank + record + 16),
                                      Bytes(data, data + length)));
  }
  expected.all_samples = true;
  return expected;
}

void check(bool condition) {
  if (!condition)
    std::abort();
}

Bytes contents(const fs::path& file) {
  return read_file(file.string());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
  static TempDir sandbox;
  static const fs::path start = fs::current_path();
  const fs::path bank = fs::path(sandbox.path()) / "bank.sbk";
  const fs::path output = fs::path(sandbox.path()) / "data_bank";
  fs::remove_all(output);
  const Bytes bytes(input, input + size);
  check(write_file(bank.string(), bytes));

  CapturedOutput console;
  int status =
      run_decrunch({bank.string()}, *make_native_file_system(), console);
  fs::current_path(start);  // the run enters the output directory

  Expected expected = expect(input, size);
  check(status == (expected.all_samples ? 0 : 2));
  check(fs::is_directory(output) == expected.valid_header);
  // The sandbox holds the bank, unchanged, and the output directory alone.
  std::vector<std::string> names = list_directory(sandbox.path());
  check(names.size() == (expected.valid_header ? 2u : 1u));
  check(contents(bank) == bytes);
  if (!expected.valid_header)
    return 0;
  // Exactly the samples before the first damaged one, byte for byte.
  std::vector<std::string> files = list_directory(output.string());
  check(files.size() == expected.files.size());
  for (uint32_t i = 0; i < expected.files.size(); ++i) {
    check(fs::is_regular_file(output / sample_file_name(i)));
    check(contents(output / sample_file_name(i)) == expected.files[i]);
  }
  return 0;
}
