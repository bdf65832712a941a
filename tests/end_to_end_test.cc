// The tool as a user runs it: arguments, messages, statuses and the files
// it makes.
#include "tool_fixture.h"

namespace {

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
  write("real.sbk", bank_header(1, 0));
  // "*.sbk" is not expanded: it names a file that does not exist.
  for (const char* bank :
       {"missing.sbk", "folder.sbk", "*.sbk", "nowhere/x.sbk"}) {
    RunResult result = run({bank});
    EXPECT_EQ(result.exit_status, 1) << bank;
    EXPECT_EQ(after_banner(result), std::string("Error - can't open sample "
                                                "file \"") +
                                        bank + "\"!\n\n");
  }
  EXPECT_EQ(list_directory(dir_.path()),
            (std::vector<std::string>{"folder.sbk", "real.sbk"}));
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

TEST_F(EndToEnd, LargeSamplesAreCopiedExactly) {
  // The platform may move data its own way, a window at a time; odd sizes
  // and an odd record position check that every byte lands where it should.
  Bytes large((size_t{5} << 20) + 7);
  for (size_t i = 0; i < large.size(); ++i)
    large[i] = static_cast<unsigned char>(i ^ (i >> 11));
  BankBuilder bank;
  bank.add(pcm_format(2, 44100, 16), {9, 9, 9})
      .add(pcm_format(2, 44100, 16), large)
      .add(pcm_format(1, 8000, 8), Bytes((size_t{1} << 20) + 1, 0x5A));
  write("big.sbk", bank.build());
  RunResult result = run({"big.sbk"});
  EXPECT_EQ(result.exit_status, 0);
  expect_samples(path("data_big"), bank);
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
