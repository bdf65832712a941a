#include "tool_fixture.h"

#include <filesystem>

#include "wav/wav_header.h"

RunResult ToolTest::run(const std::vector<std::string>& arguments,
                        RunOptions options) {
  if (options.working_directory.empty())
    options.working_directory = dir_.path();
  return checked(run_program(DECRUNCH_EXE, arguments, options));
}

RunResult ToolTest::checked(RunResult result) {
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_TRUE(text_from_output(result.out, &result.out))
      << "not what a text stream writes: " << result.out;
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
  ASSERT_TRUE(std::filesystem::create_directory(path(name))) << name;
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

BankBuilder ToolTest::three_samples() {
  const Bytes pcm = pcm_format(1, 8000, 8);
  const Bytes other = {0x55, 0,    2, 0, 0x44, 0xac, 0,  0,
                       0x10, 0xb1, 2, 0, 4,    0,    16, 0};  // tag 0x55
  BankBuilder bank;
  bank.add(pcm, {1, 2, 3}).add(other, {}).add(pcm, Bytes(3000, 0x7f));
  return bank;
}

BankBuilder ToolTest::two_samples() {
  const Bytes pcm = pcm_format(2, 22050, 16);
  BankBuilder bank;
  bank.add(pcm, Bytes(40, 0x41)).add(pcm, Bytes(40, 0x42));
  return bank;
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
