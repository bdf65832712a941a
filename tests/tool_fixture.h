#ifndef VONTRALE_TESTS_TOOL_FIXTURE_H_
#define VONTRALE_TESTS_TOOL_FIXTURE_H_

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bank_builder.h"
#include "process_runner.h"
#include "temp_dir.h"

// Runs the built tool in a fresh directory of its own, as a user would.
class ToolTest : public ::testing::Test {
 protected:
  static constexpr const char* kBanner =
      "Vontrale audio files decruncher by the vontrale_decrunch developers, "
      "developers@example.org,\n\nusage: vontrale_decrunch.exe "
      "some_sample_file.sbk\n\n";

  // Runs the tool in the test's directory unless `options` names another.
  // Nothing ever goes to standard error.
  // The result's `out` is the text printed, each line end a plain line
  // feed, once the fixture has checked the platform's line ends.
  RunResult run(const std::vector<std::string>& arguments,
                RunOptions options = {});
  // The checks run() makes on every run, for a run made some other way.
  static RunResult checked(RunResult result);
  // The tool's standard output after the banner, which must come first.
  static std::string after_banner(const RunResult& result);

  std::string path(const std::string& name) const { return dir_ / name; }
  void write(const std::string& name, const Bytes& bytes);
  void make_directory(const std::string& name);

  // The files in `directory` are exactly those the tool makes of `bank`.
  void expect_samples(const std::string& directory, const BankBuilder& bank);

  // Banks the tests share. Three samples: 3 bytes (odd, so no pad byte may
  // follow), none (a header alone, and the run goes on) and 3000 bytes, the
  // second with a format tag other than PCM. Two samples of 40 bytes.
  static BankBuilder three_samples();
  static BankBuilder two_samples();

  static std::string progress(uint32_t done, uint32_t count);
  static std::string progress_to(uint32_t done, uint32_t count);

  TempDir dir_;
};

#endif  // VONTRALE_TESTS_TOOL_FIXTURE_H_
