// What only a POSIX system has: pipes and symbolic links where files go, a
// file-size limit, a root directory to write in, long paths, a terminal.
#include <sys/stat.h>
#include <unistd.h>

#include "tool_fixture.h"

namespace {

const Bytes kPcm = pcm_format(2, 22050, 16);

using PosixEndToEnd = ToolTest;

TEST_F(PosixEndToEnd, PipeIsNotABank) {
  ASSERT_EQ(mkfifo(path("pipe.sbk").c_str(), 0666), 0);
  RunResult result = run({"pipe.sbk"});
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(after_banner(result),
            "Error - can't open sample file \"pipe.sbk\"!\n\n");
  EXPECT_EQ(list_directory(dir_.path()), std::vector<std::string>{"pipe.sbk"});
}

TEST_F(PosixEndToEnd, BankInTheRootDirectory) {
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

TEST_F(PosixEndToEnd, PathsLongerThan255Characters) {
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

TEST_F(PosixEndToEnd, LinksAndPipesBearingSampleNamesAreReplaced) {
  write("victim", {'k', 'e', 'e', 'p'});
  BankBuilder first;
  for (int i = 0; i < 4; ++i)
    first.add(kPcm, Bytes(500, uint8_t(i)));
  write("bank.sbk", first.build());
  ASSERT_EQ(run({"bank.sbk"}).exit_status, 0);

  // Now each name is taken by something a careless tool would write into.
  std::string out = path("data_bank/");
  ASSERT_EQ(unlink((out + "sample0000.wav").c_str()), 0);
  ASSERT_EQ(symlink(path("victim").c_str(), (out + "sample0000.wav").c_str()),
            0);
  ASSERT_EQ(unlink((out + "sample0002.wav").c_str()), 0);
  ASSERT_EQ(mkfifo((out + "sample0002.wav").c_str(), 0666), 0);
  ASSERT_EQ(unlink((out + "sample0003.wav").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", (out + "sample0003.wav").c_str()), 0);

  BankBuilder second;
  for (int i = 0; i < 4; ++i)
    second.add(kPcm, Bytes(3, uint8_t(9 - i)));
  write("bank.sbk", second.build());
  RunResult result = run({"bank.sbk"});
  EXPECT_EQ(result.exit_status, 0);
  expect_samples(path("data_bank"), second);
  EXPECT_EQ(read_file(path("victim")), (Bytes{'k', 'e', 'e', 'p'}));
  EXPECT_FALSE(exists(path("data_bank/nowhere")));
  struct stat info;
  ASSERT_EQ(lstat((out + "sample0000.wav").c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
}

TEST_F(PosixEndToEnd, FileSizeLimitIsAFailedWriteNotAKill) {
  // The first file is 84 bytes; the second crosses the 100-byte limit.
  BankBuilder bank;
  bank.add(kPcm, Bytes(40, 1)).add(kPcm, Bytes(100, 2));
  write("bank.sbk", bank.build());
  RunOptions options;
  options.file_size_limit = 100;
  RunResult result = run({"bank.sbk"}, options);
  EXPECT_EQ(result.exit_status, 3);
  EXPECT_EQ(after_banner(result),
            progress(1, 2) +
                "Error - can't write output file \"sample0001.wav\"!\n\n");
  EXPECT_EQ(read_file(path("data_bank/sample0000.wav")), bank.wav(0));
}

TEST_F(PosixEndToEnd, TerminalSeesEachProgressLineBeforeTheNextSample) {
  // Traced with strace: on a terminal, the line for sample 0 is written
  // before sample 1's file is opened, and the banner before the bank.
  ASSERT_EQ(system("strace -V >/dev/null 2>&1"), 0) << "strace is needed";
  write("bank.sbk", two_samples().build());
  RunOptions options;
  options.output_to_terminal = true;
  // LeakSanitizer, in a sanitized build, cannot run under ptrace.
  options.launcher = {"env",
                      "ASAN_OPTIONS=detect_leaks=0",
                      "strace",
                      "-o",
                      path("trace"),
                      "-s",
                      "100",
                      "-e",
                      "trace=openat,open,write"};
  RunResult result = run({"bank.sbk"}, options);
  EXPECT_EQ(result.exit_status, 0);
  Bytes trace_bytes = read_file(path("trace"));
  std::string trace(trace_bytes.begin(), trace_bytes.end());
  size_t banner = trace.find("write(1, \"Vontrale audio files");
  size_t bank = trace.find("\"bank.sbk\"");
  size_t line =
      trace.find("write(1, \"progress: 1 of 2 files extracted ...\\r\"");
  size_t next = trace.find("\"sample0001.wav\"");
  ASSERT_NE(banner, std::string::npos) << trace;
  ASSERT_NE(line, std::string::npos) << trace;
  EXPECT_LT(banner, bank) << trace;
  EXPECT_LT(line, next) << trace;
}

}  // namespace
