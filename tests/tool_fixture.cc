#include "tool_fixture.h"

#include <sys/stat.h>

#include "wav/wav_header.h"

RunResult ToolTest::run(const std::vector<std::string>& arguments,
                        RunOptions options) {
  if (options.working_directory.empty())
    options.working_directory = dir_.path();
  RunResult result = run_program(DECRUNCH_EXE, arguments, options);
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.err, "");
  return result;
}

std::string ToolTest::after_banner(const RunResult& result) {
  const std::string banner = kBanner;
  EXPECT_EQ(result.out.substr(0, banner.size()), banner);
  return result.out.substr(std::min(banner.size(), result.out.size()));
}

void ToolTest::write(const std::string& name, const Bytes& bytes) {
  ASSERT_TRUE(write_file(path(name), bytes)) << name;
}

void ToolTest::make_directory(const std::string& name) {
  ASSERT_EQ(mkdir(path(name).c_str(), 0777), 0) << name;
}

void ToolTest::expect_samples(const std::string& directory,
                              const BankBuilder& bank) {
  std::vector<std::string> names;
  for (uint32_t i = 0; i < bank.size(); ++i) {
    names.push_back(sample_file_name(i));
  }
  ASSERT_EQ(list_directory(directory), names) << directory;
  for (uint32_t i = 0; i < bank.size(); ++i) {
    EXPECT_EQ(read_file(directory + "/" + names[i]), bank.wav(i)) << names[i];
  }
}

std::string ToolTest::progress(uint32_t done, uint32_t count) {
  return "progress: " + std::to_string(done) + " of " + std::to_string(count) +
         " files extracted ...\r";
}

std::string ToolTest::progress_to(uint32_t done, uint32_t count) {
  std::string lines;
  for (uint32_t i = 1; i <= done; ++i)
    lines += progress(i, count);
  return lines;
}
