// The tool on damaged banks, on what already bears its files' names, and on
// a disk that refuses what it writes.
#include <filesystem>
#include <fstream>

#include "tool_fixture.h"

namespace {

const Bytes kPcm = pcm_format(2, 22050, 16);

using Damage = ToolTest;

TEST_F(Damage, SampleThatDoesNotFitStopsTheRunBeforeItsFileIsMade) {
  BankBuilder bank = two_samples();
  Bytes good = bank.build();
  const size_t entry1 = 12, length1 = bank.record_position(1) + 18;
  const std::string past_end =
      "Error - invalid file format, sample 1 runs past the end of the "
      "file!\n\n";
  const std::string too_large =
      "Error - invalid file format, sample 1 is too large for a WAV file!\n\n";
  const struct {
    const char* what;
    size_t at;
    uint32_t value;
    const std::string& message;
  } cases[] = {
      {"record header past the end", entry1, uint32_t(good.size() - 21),
       past_end},
      {"record at 0xFFFFFFFF", entry1, 0xFFFFFFFF, past_end},
      {"data past the end", length1, 41, past_end},
      {"length 0xFFFFFFFF", length1, 0xFFFFFFFF, too_large},
  };
  for (const auto& c : cases) {
    Bytes bytes = good;
    put_u32_le(bytes, c.at, c.value);
    write("bank.sbk", bytes);
    std::filesystem::remove(path("data_bank/sample0000.wav"));
    RunResult result = run({"bank.sbk"});
    EXPECT_EQ(result.exit_status, 2) << c.what;
    EXPECT_EQ(after_banner(result), progress(1, 2) + c.message) << c.what;
    EXPECT_EQ(list_directory(path("data_bank")),
              std::vector<std::string>{"sample0000.wav"})
        << c.what;
    EXPECT_EQ(read_file(path("data_bank/sample0000.wav")), bank.wav(0));
  }
}

TEST_F(Damage, RunningAgainReplacesEveryFileAndWritesThroughNothing) {
  write("other", {'m', 'i', 'n', 'e'});
  BankBuilder first;
  for (int i = 0; i < 4; ++i)
    first.add(kPcm, Bytes(500, uint8_t(i)));
  write("bank.sbk", first.build());
  ASSERT_EQ(run({"bank.sbk"}).exit_status, 0);

  // Longer files than the new ones, and a hard link that a tool truncating
  // in place would write through.
  std::string link = path("data_bank/sample0001.wav");
  ASSERT_TRUE(std::filesystem::remove(link));
  std::filesystem::create_hard_link(path("other"), link);

  BankBuilder second;
  for (int i = 0; i < 4; ++i)
    second.add(kPcm, Bytes(3, uint8_t(9 - i)));
  write("bank.sbk", second.build());
  RunResult result = run({"bank.sbk"});
  EXPECT_EQ(result.exit_status, 0);
  expect_samples(path("data_bank"), second);
  EXPECT_EQ(read_file(path("other")), (Bytes{'m', 'i', 'n', 'e'}));
}

TEST_F(Damage, DirectoryBearingASampleNameCannotBeReplaced) {
  BankBuilder bank = two_samples();
  write("bank.sbk", bank.build());
  make_directory("data_bank");
  make_directory("data_bank/sample0001.wav");
  RunResult result = run({"bank.sbk"});
  EXPECT_EQ(result.exit_status, 3);
  EXPECT_EQ(after_banner(result),
            progress(1, 2) +
                "Error - can't create output file \"sample0001.wav\"!\n\n");
  EXPECT_EQ(read_file(path("data_bank/sample0000.wav")), bank.wav(0));
}

TEST_F(Damage, OutputDirectoryThatCannotBeMade) {
  make_directory("sub");
  write("sub/x.sbk", two_samples().build());
  write("x.sbk", two_samples().build());
  write("data_x", {});  // a file where the directory should go
  write("sub/data_x", {});
  const struct {
    const char* bank;
    const char* shown;
  } cases[] = {{"x.sbk", "data_x"}, {"sub/x.sbk", "sub/data_x"}};
  for (const auto& c : cases) {
    RunResult result = run({c.bank});
    EXPECT_EQ(result.exit_status, 3) << c.bank;
    EXPECT_EQ(after_banner(result), std::string("Error - can't create output "
                                                "directory \"") +
                                        c.shown + "\"!\n\n");
  }
  EXPECT_EQ(list_directory(path("sub")),
            (std::vector<std::string>{"data_x", "x.sbk"}));
}

TEST_F(Damage, RecordsPast2And4GiBAreReached) {
  // A sparse bank of just over 4 GiB: one record at 2 GiB, one whose data
  // crosses 4 GiB.
  const uint64_t low = 0x80000000, high = 0xFFFFFFF0;
  Bytes head = bank_header(1, 2);
  append_u32_le(head, uint32_t(low));
  append_u32_le(head, uint32_t(high));
  Bytes low_record(16, 0x21), high_record(16, 0x22);
  Bytes low_data = {1, 2, 3}, high_data(64);
  for (size_t i = 0; i < high_data.size(); ++i)
    high_data[i] = uint8_t(i);
  {
    std::ofstream bank(path("big.sbk"), std::ios::binary);
    auto put = [&bank](uint64_t at, const Bytes& bytes) {
      bank.seekp(static_cast<std::streamoff>(at));
      bank.write(reinterpret_cast<const char*>(bytes.data()),
                 static_cast<std::streamsize>(bytes.size()));
    };
    put(0, head);
    put(low, record_bytes(low_record, low_data));
    put(high, record_bytes(high_record, high_data));
    ASSERT_TRUE(bank.good());
  }
  RunResult result = run({"big.sbk"});
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(read_file(path("data_big/sample0000.wav")),
            wav_file(low_record, low_data));
  EXPECT_EQ(read_file(path("data_big/sample0001.wav")),
            wav_file(high_record, high_data));
}

}  // namespace
