// Whatever a bank claims, the tool's memory stays small: a length read from
// the bank is never what it asks memory for.
#include <filesystem>

#include "tool_fixture.h"

namespace {

using Bounds = ToolTest;

// Sanitizers reserve terabytes of address space and double the memory in
// use, so these bounds mean nothing under them.
constexpr bool kSanitized = VONTRALE_SANITIZED;

TEST_F(Bounds, HugeClaimsInATinyBankEndAtOnceInLittleMemory) {
  if (kSanitized)
    GTEST_SKIP() << "address-space limits do not apply under sanitizers";
  Bytes one_record = bank_header(1, 1);
  append_u32_le(one_record, 12);
  Bytes huge_length = one_record;
  Bytes past_end = one_record;
  for (Bytes* bank : {&huge_length, &past_end}) {
    bank->insert(bank->end(), 18, 0);
    append_u32_le(*bank, bank == &huge_length ? 0xFFFFFFFF : 0xFFFFFF00);
  }
  const std::string sample_0 = "Error - invalid file format, sample 0 ";
  const struct {
    const char* what;
    Bytes bytes;
    std::string message;
  } cases[] = {
      {"0xFFFFFFFF samples", bank_header(1, 0xFFFFFFFF),
       "Error - invalid file format!\n\n"},
      {"length 0xFFFFFFFF", huge_length,
       sample_0 + "is too large for a WAV file!\n\n"},
      {"length 0xFFFFFF00", past_end,
       sample_0 + "runs past the end of the file!\n\n"},
  };
  RunOptions options;
  options.address_space_limit = 100000 * 1024LL;  // ulimit -v 100000
  for (const auto& c : cases) {
    write("bank.sbk", c.bytes);
    RunResult result = run({"bank.sbk"}, options);
    EXPECT_EQ(result.exit_status, 2) << c.what;
    EXPECT_EQ(after_banner(result), c.message) << c.what;
  }
}

TEST_F(Bounds, MillionEntriesSharingOneRecordStayUnder8MiB) {
  if (kSanitized)
    GTEST_SKIP() << "memory bounds do not apply under sanitizers";
  ASSERT_EQ(system("/usr/bin/time --version >/dev/null 2>&1"), 0)
      << "GNU time is needed";
  const uint32_t count = 1000000;
  Bytes bank = bank_header(1, count);
  const uint32_t record = 8 + 4 * count;
  for (uint32_t i = 0; i < count; ++i)
    append_u32_le(bank, record);
  const Bytes data = {1, 2, 3, 4, 5};
  const Bytes record_part = record_bytes(pcm_format(1, 8000, 8), data);
  bank.insert(bank.end(), record_part.begin(), record_part.end());
  // A million files come and go ten times faster in memory than on disk.
  TempDir where(std::filesystem::is_directory("/dev/shm") ? "/dev/shm"
                                                          : dir_.path());
  ASSERT_TRUE(write_file(where / "bank.sbk", bank));
  // GNU time's own footprint is what the tool starts from: a child forked
  // from the test would inherit the test's peak.
  RunOptions options;
  options.working_directory = where.path();
  options.launcher = {"/usr/bin/time", "-f", "%M", "-o", path("peak")};
  RunResult result = run({"bank.sbk"}, options);
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_NE(result.out.find(progress(count, count) + "\n\nAll done.\n\n"),
            std::string::npos);
  Bytes peak = read_file(path("peak"));
  long peak_kib = std::stol(std::string(peak.begin(), peak.end()));
  EXPECT_LT(peak_kib, 8 * 1024);
  size_t files = 0;
  for (const auto& entry :
       std::filesystem::directory_iterator(where / "data_bank")) {
    files += entry.is_regular_file() ? 1 : 0;
  }
  EXPECT_EQ(files, count);
  EXPECT_EQ(read_file(where / "data_bank/sample999999.wav"),
            wav_file(pcm_format(1, 8000, 8), data));
}

}  // namespace
