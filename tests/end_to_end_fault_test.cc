// The real tool on a failing disk: a shim loaded with LD_PRELOAD fails one
// chosen system call, and each failure must give its message and status,
// leave the files before it complete, and never a byte out of place.
#include <algorithm>
#include <filesystem>

#include "tool_fixture.h"
#include "wav/wav_header.h"

namespace {

class FaultTest : public ToolTest {
 protected:
  RunResult run_with_fault(const std::string& fault, const std::string& bank) {
    RunOptions options;
    options.launcher = {
        "env", "LD_PRELOAD=" FAULT_SHIM, "VONTRALE_FAULT=" + fault,
        // A sanitized tool must let the shim load first.
        "ASAN_OPTIONS=verify_asan_link_order=0:abort_on_error=1"};
    return run({bank}, options);
  }
};

// Three samples too large for the read-ahead of a reader that reads the
// data itself.
BankBuilder three_large_samples() {
  BankBuilder bank;
  for (unsigned char fill : {0x10, 0x20, 0x30})
    bank.add(pcm_format(1, 8000, 8), Bytes(100 * 1024 + fill, fill));
  return bank;
}

TEST_F(FaultTest, EachFailingCallGivesItsMessageAndKeepsEarlierFiles) {
  const std::string cant_read =
      "Error - can't read sample file \"bank.sbk\"!\n\n";
  const std::string cant_write =
      "Error - can't write output file \"sample0001.wav\"!\n\n";
  const std::string all_done = "\n\nAll done.\n\n";
  const struct {
    const char* fault;
    int status;
    std::string after_progress;  // what follows the progress lines
    uint32_t complete;           // samples done before the failure
  } cases[] = {
      // Reads: the header (8 bytes), a table window, then each record's
      // header; each sample is written, header and data, from a mapping
      // with one writev.
      {"pread:1", 1, cant_read, 0},
      {"pread:4+", 1, cant_read, 1},
      // A failed read-ahead, or a failed read retried, and it goes on.
      {"pread:2", 0, all_done, 3},
      {"pread:4", 0, all_done, 3},
      // A write from the mapping that fails is tried again through the
      // buffer, whose read then tells a bad bank from a bad disk.
      {"writev:2", 0, all_done, 3},
      {"writev:2+", 3, cant_write, 1},
      {"writev:2,pread:5", 1, cant_read, 1},
      {"close:2", 3, cant_write, 1},
      // A short write is finished by the next.
      {"writev:2:short", 0, all_done, 3},
      // Without mappings, each sample's data is read into the buffer: the
      // reads are the header, the table, then a record and its data.
      {"mmap:1+", 0, all_done, 3},
      {"mmap:1+,pread:6", 1, cant_read, 1},
      {"mmap:1+,writev:2", 3, cant_write, 1},
  };
  const BankBuilder bank = three_large_samples();
  for (const auto& c : cases) {
    write("bank.sbk", bank.build());
    std::filesystem::remove_all(path("data_bank"));
    RunResult result = run_with_fault(c.fault, "bank.sbk");
    EXPECT_EQ(result.exit_status, c.status) << c.fault;
    EXPECT_EQ(after_banner(result),
              progress_to(c.complete, 3) + c.after_progress)
        << c.fault;
    for (uint32_t i = 0; i < c.complete; ++i) {
      EXPECT_EQ(read_file(path("data_bank/" + sample_file_name(i))),
                bank.wav(i))
          << c.fault << " " << i;
    }
    if (c.status == 0)
      continue;
    // The failing sample's file holds at most a beginning of what it
    // should, and no later sample has a file.
    std::vector<std::string> names = list_directory(path("data_bank"));
    EXPECT_LE(names.size(), c.complete + 1) << c.fault;
    if (names.size() == c.complete + 1) {
      Bytes partial = read_file(path("data_bank/" + names.back()));
      Bytes whole = bank.wav(c.complete);
      ASSERT_LE(partial.size(), whole.size()) << c.fault;
      EXPECT_TRUE(std::equal(partial.begin(), partial.end(), whole.begin()))
          << c.fault;
    }
  }
}

TEST_F(FaultTest, LargeSampleSurvivesAFailingOrShortWriteOfItsMapping) {
  // A sample is written from a mapping of the bank, a window at a time; a
  // write there that fails or falls short hands the rest to the buffer.
  BankBuilder bank;
  Bytes data((size_t{3} << 20) + 1);
  for (size_t i = 0; i < data.size(); ++i)
    data[i] = static_cast<unsigned char>(i % 251);
  bank.add(pcm_format(2, 44100, 16), data);
  for (const char* fault :
       {"writev:1", "writev:2", "writev:1:short", "writev:2:short"}) {
    write("big.sbk", bank.build());
    std::filesystem::remove_all(path("data_big"));
    RunResult result = run_with_fault(fault, "big.sbk");
    EXPECT_EQ(result.exit_status, 0) << fault;
    EXPECT_EQ(read_file(path("data_big/sample0000.wav")), bank.wav(0)) << fault;
  }
}

}  // namespace
