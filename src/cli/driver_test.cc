#include "cli/driver.h"

#include <gtest/gtest.h>

#include "bank_builder.h"
#include "fake_file_system.h"

// The driver against a file system in memory, for the failures that a bank
// on a real disk cannot be made to show. The end-to-end tests cover the rest.

namespace {

const char kBanner[] =
    "Vontrale audio files decruncher by the vontrale_decrunch developers, "
    "developers@example.org,\n\nusage: vontrale_decrunch.exe "
    "some_sample_file.sbk\n\n";

class CapturingConsole final : public Console {
 public:
  void print(const std::string& text) override { text_ += text; }
  std::string text_;
};

int allocations;
std::unique_ptr<unsigned char[]> no_memory_for_the_second(size_t size) {
  return ++allocations == 2 ? nullptr : allocate_copy_buffer(size);
}

class DriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Bytes format = pcm_format(1, 8000, 8);
    file_system_.banks["sounds/sfx.sbk"] = FakeBank::of(BankBuilder()
                                                            .add(format, {1})
                                                            .add(format, {2})
                                                            .add(format, {3})
                                                            .build());
  }
  int run(BufferAllocator allocate = allocate_copy_buffer) {
    return run_decrunch({"sounds/sfx.sbk"}, file_system_, console_, allocate);
  }
  std::string after_banner() {
    EXPECT_EQ(console_.text_.substr(0, sizeof kBanner - 1), kBanner);
    return console_.text_.substr(sizeof kBanner - 1);
  }
  size_t file_size(const std::string& name) {
    auto file = file_system_.files.find("sounds/data_sfx/" + name);
    return file == file_system_.files.end() ? 0 : file->second.size();
  }

  FakeFileSystem file_system_;
  CapturingConsole console_;
};

TEST_F(DriverTest, Succeeds) {
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(after_banner(),
            "progress: 1 of 3 files extracted ...\r"
            "progress: 2 of 3 files extracted ...\r"
            "progress: 3 of 3 files extracted ...\r"
            "\n\nAll done.\n\n");
  EXPECT_EQ(file_system_.directories,
            (std::set<std::string>{"sounds/data_sfx"}));
  EXPECT_EQ(file_size("sample0002.wav"), 45u);
}

TEST_F(DriverTest, UnreadableBank) {
  const struct {
    uint64_t fail_reads_from;
    const char* progress;
  } cases[] = {
      {0, ""},                                         // the header
      {50, "progress: 1 of 3 files extracted ...\r"},  // sample 1's record
  };
  for (const auto& c : cases) {
    console_.text_.clear();
    file_system_.banks["sounds/sfx.sbk"].fail_reads_from = c.fail_reads_from;
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(after_banner(), std::string(c.progress) +
                                  "Error - can't read sample file "
                                  "\"sounds/sfx.sbk\"!\n\n");
  }
}

TEST_F(DriverTest, NoMemoryStopsTheRun) {
  allocations = 0;
  EXPECT_EQ(run(no_memory_for_the_second), 4);
  EXPECT_EQ(after_banner(),
            "progress: 1 of 3 files extracted ...\r"
            "Error - can't allocate memory!\n\n");
  EXPECT_EQ(file_size("sample0000.wav"), 45u);
  EXPECT_EQ(file_size("sample0001.wav"), 44u);
  EXPECT_EQ(file_system_.files.count("sounds/data_sfx/sample0002.wav"), 0u);
}

TEST_F(DriverTest, FailedWriteOrCloseStopsTheRun) {
  for (bool fail_close : {false, true}) {
    console_.text_.clear();
    file_system_.files.clear();
    file_system_.current_directory.clear();
    file_system_.write_budget = fail_close ? SIZE_MAX : 45 + 44;
    file_system_.fail_close = fail_close;
    EXPECT_EQ(run(), 3);
    EXPECT_EQ(
        after_banner(),
        std::string(fail_close ? ""
                               : "progress: 1 of 3 files extracted ...\r") +
            "Error - can't write output file \"" +
            (fail_close ? "sample0000.wav" : "sample0001.wav") + "\"!\n\n");
  }
}

TEST_F(DriverTest, OutputDirectoryThatCannotBeMadeOrEntered) {
  // Each refused path fails one of: entering the bank's directory, making
  // data_sfx, entering it.
  const struct {
    const char* bank;
    const char* refused;
    const char* shown;
  } cases[] = {
      {"sounds/sfx.sbk", "sounds", "sounds/data_sfx"},
      {"sounds/sfx.sbk", "sounds/data_sfx", "sounds/data_sfx"},
      {"sfx.sbk", "data_sfx", "data_sfx"},
  };
  for (const auto& c : cases) {
    FakeFileSystem file_system;
    file_system.banks[c.bank] = file_system_.banks["sounds/sfx.sbk"];
    file_system.refuse_directory.insert(c.refused);
    console_.text_.clear();
    EXPECT_EQ(run_decrunch({c.bank}, file_system, console_), 3);
    EXPECT_EQ(after_banner(), std::string("Error - can't create output "
                                          "directory \"") +
                                  c.shown + "\"!\n\n");
    EXPECT_TRUE(file_system.files.empty());
  }
}

TEST_F(DriverTest, CountsAndIndicesPrintUnsigned) {
  // 0x80000001 samples: the table alone is 8 GiB, read as zeros past the
  // first entries. Sample 0 is the header read as a record, with length 0;
  // sample 1's record, at 4, has the length 0xFFFFFFFF at 22.
  const uint32_t count = 0x80000001;
  Bytes head;
  for (uint32_t value : {1u, count, 0u, 4u, 0u, 0xFFFF0000u, 0x0000FFFFu}) {
    append_u32_le(head, value);
  }
  FakeBank bank = FakeBank::of(head);
  bank.size = 8 + 4 * uint64_t{count};
  file_system_.banks["big.sbk"] = bank;
  EXPECT_EQ(run_decrunch({"big.sbk"}, file_system_, console_), 2);
  EXPECT_EQ(after_banner(),
            "progress: 1 of 2147483649 files extracted ...\r"
            "Error - invalid file format, sample 1 is too large for a WAV "
            "file!\n\n");
  EXPECT_EQ(file_system_.files["data_big/sample0000.wav"].size(), 44u);
}

}  // namespace
