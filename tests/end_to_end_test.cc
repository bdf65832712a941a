// The tool as a user runs it: arguments, messages, statuses and the files
// it makes.
#include <sys/stat.h>
#include <unistd.h>

#include "tool_fixture.h"

namespace {

const Bytes kPcm = pcm_format(1, 8000, 8);
const Bytes kOther = {0x55, 0, 2, 0, 0x44, 0xac, 0, 0, 0x10,
                      0xb1, 2, 0, 4, 0,    16,   0};  // tag 0x55, not PCM

BankBuilder three_samples() {
  BankBuilder bank;
  bank.add(kPcm, {1, 2, 3})  // odd length: no pad byte follows
      .add(kOther, {})       // empty: a header alone, the run goes on
      .add(kPcm, Bytes(3000, 0x7f));
  return bank;
}

using EndToEnd = ToolTest;

TEST_F(EndToEnd, RejectsBadArgumentsBeforeTouchingAnything) {
  const std::string no_path = "Error - no path specified!\n\n";
  const std::string extension =
      "Error - bad file extension, only *.sbk supported!\n\n";
  const struct {
    std::vector<std::string> arguments;
    const std::string& message;
    int status;
  } cases[] = {
      {{}, no_path, 5},
      {{"a.sbk", "b.sbk"}, no_path, 5},
      {{""}, extension, 4},
      {{"abc"}, extension, 4},
      {{"sbk"}, extension, 4},
      {{"bank.wav"}, extension, 4},
      {{"bank.sbk.bak"}, extension, 4},
  };
  write("a.sbk", bank_header(1, 0));
  for (const auto& c : cases) {
    RunResult result = run(c.arguments);
    EXPECT_EQ(result.exit_status, c.status) << c.message;
    EXPECT_EQ(after_banner(result), c.message);
    EXPECT_EQ(list_directory(dir_.path()), std::vector<std::string>{"a.sbk"});
  }
}

TEST_F(EndToEnd, BankThatCannotBeOpened) {
  make_directory("folder.sbk");
  ASSERT_EQ(mkfifo(path("pipe.sbk").c_str(), 0666), 0);
  write("real.sbk", bank_header(1, 0));
  // "*.sbk" is not expanded: it names a file that does not exist.
  for (const char* bank :
       {"missing.sbk", "folder.sbk", "pipe.sbk", "*.sbk", "nowhere/x.sbk"}) {
    RunResult result = run({bank});
    EXPECT_EQ(result.exit_status, 1) << bank;
    EXPECT_EQ(after_banner(result), std::string("Error - can't open sample "
                                                "file \"") +
                                        bank + "\"!\n\n");
  }
  EXPECT_EQ(list_directory(dir_.path()),
            (std::vector<std::string>{"folder.sbk", "pipe.sbk", "real.sbk"}));
}

TEST_F(EndToEnd, BankWithABadHeader) {
  Bytes table_cut_short = bank_header(1, 3);
  table_cut_short.resize(8 + 11);
  const struct {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"empty", {}},
      {"shorter than 8 bytes", {1, 0, 0, 0, 0}},
      {"format_id 2", bank_header(2, 0)},
      {"format_id big-endian", {0, 0, 0, 1, 0, 0, 0, 0}},
      {"table cut short", table_cut_short},
      {"table of 0xFFFFFFFF entries", bank_header(1, 0xFFFFFFFF)},
  };
  for (const auto& c : cases) {
    write("bank.sbk", c.bytes);
    RunResult result = run({"bank.sbk"});
    EXPECT_EQ(result.exit_status, 2) << c.what;
    EXPECT_EQ(after_banner(result), "Error - invalid file format!\n\n")
        << c.what;
    EXPECT_FALSE(exists(path("data_bank"))) << c.what;
  }
}

TEST_F(EndToEnd, ExtractsEverySampleWithProgress) {
  BankBuilder bank = three_samples();
  write("bank.sbk", bank.build(0xEE));
  RunResult result = run({"bank.sbk"});
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(after_banner(result), progress_to(3, 3) + "\n\nAll done.\n\n");
  expect_samples(path("data_bank"), bank);
  EXPECT_EQ(read_file(path("data_bank/sample0001.wav")).size(), 44u);
}

TEST_F(EndToEnd, EmptyBankMakesAnEmptyDirectory) {
  write("bank.sbk", bank_header(1, 0));
  RunResult result = run({"bank.sbk"});
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(after_banner(result), "\n\nAll done.\n\n");
  EXPECT_TRUE(exists(path("data_bank")));
  EXPECT_TRUE(list_directory(path("data_bank")).empty());
}

TEST_F(EndToEnd, SharedAndOverlappingRecords) {
  // Entry 1 repeats entry 0. Entry 2 points into the header: its format
  // block is bytes 4 to 19 (the count and the table), its length the two
  // bytes after the table and the first two of the record at 24.
  Bytes bytes = bank_header(1, 3);
  for (uint32_t entry : {24u, 24u, 4u})
    append_u32_le(bytes, entry);
  bytes.insert(bytes.end(), {0xAA, 0xBB, 2, 0});
  Bytes format(16, 0x33);
  format[0] = format[1] = 0;
  bytes.insert(bytes.end(), format.begin(), format.end());
  bytes.insert(bytes.end(), {0xEE, 0xEE, 2, 0, 0, 0, 0xA1, 0xA2});
  write("bank.sbk", bytes);
  ASSERT_EQ(run({"bank.sbk"}).exit_status, 0);
  Bytes shared = wav_file(format, {0xA1, 0xA2});
  EXPECT_EQ(read_file(path("data_bank/sample0000.wav")), shared);
  EXPECT_EQ(read_file(path("data_bank/sample0001.wav")), shared);
  EXPECT_EQ(
      read_file(path("data_bank/sample0002.wav")),
      wav_file(Bytes(bytes.begin() + 4, bytes.begin() + 20), {0x33, 0x33}));
}

TEST_F(EndToEnd, OutputDirectoryIsNamedAfterTheBank) {
  make_directory("sub");
  make_directory("elsewhere");
  const struct {
    std::string argument;
    std::string bank;
    std::string output;
    std::string working_directory;
  } cases[] = {
      {"BANK.SBK", "BANK.SBK", "data_BANK", ""},
      {"Mixed.Sbk", "Mixed.Sbk", "data_Mixed", ""},
      {"my.bank.sbk", "my.bank.sbk", "data_my.bank", ""},
      {".sbk", ".sbk", "data_", ""},
      {"sub/sfx.sbk", "sub/sfx.sbk", "sub/data_sfx", ""},
      {"../sub/up.sbk", "sub/up.sbk", "sub/data_up", path("elsewhere")},
      {path("abs.sbk"), "abs.sbk", "data_abs", path("elsewhere")},
  };
  BankBuilder bank = three_samples();
  for (const auto& c : cases) {
    write(c.bank, bank.build());
    RunOptions options;
    options.working_directory = c.working_directory;
    RunResult result = run({c.argument}, options);
    EXPECT_EQ(result.exit_status, 0) << c.argument;
    expect_samples(path(c.output), bank);
  }
  EXPECT_TRUE(list_directory(path("elsewhere")).empty());
}

TEST_F(EndToEnd, BankInTheRootDirectory) {
  // A bank path like /x.sbk puts the output under /; use a bank made for
  // this test and clean up after it.
  if (access("/", W_OK) != 0)
    GTEST_SKIP() << "the root directory is read-only";
  std::string name = "vontrale_root_test_" + std::to_string(getpid());
  std::string bank_path = "/" + name + ".sbk";
  ASSERT_TRUE(write_file(bank_path, three_samples().build()));
  RunResult result = run({bank_path});
  EXPECT_EQ(result.exit_status, 0);
  expect_samples("/data_" + name, three_samples());
  for (const std::string& file : list_directory("/data_" + name)) {
    unlink(("/data_" + name + "/" + file).c_str());
  }
  rmdir(("/data_" + name).c_str());
  unlink(bank_path.c_str());
}

TEST_F(EndToEnd, PathsLongerThan255Characters) {
  std::string directory;
  for (int i = 0; i < 4; ++i) {
    directory += (i ? "/" : "") + std::string(90, char('a' + i));
    make_directory(directory);
  }
  std::string stem(200, 's');
  std::string bank = directory + "/" + stem + ".sbk";
  ASSERT_GT(bank.size(), 255u);
  write(bank, three_samples().build());
  RunResult result = run({bank});
  EXPECT_EQ(result.exit_status, 0);
  expect_samples(path(directory + "/data_" + stem), three_samples());
}

TEST_F(EndToEnd, DemoBankIsMadeByItsGeneratorAndExtracts) {
  BankBuilder demo = demo_bank();
  ASSERT_EQ(read_file(DEMO_BANK), demo.build());
  write("demo.sbk",
        read_file(DEMO_BANK));  // a copy: the source tree stays clean
  RunResult result = run({"demo.sbk"});
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(after_banner(result), progress_to(4, 4) + "\n\nAll done.\n\n");
  expect_samples(path("data_demo"), demo);
}

}  // namespace
