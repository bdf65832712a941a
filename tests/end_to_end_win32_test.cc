// What Windows adds: a text stream on standard output, command lines that
// the program splits itself, both slashes in paths, and drive letters.
#include <filesystem>
#include <random>

#include "tool_fixture.h"

namespace {

namespace fs = std::filesystem;

using Win32EndToEnd = ToolTest;

std::string with_crlf(const std::string& text) {
  std::string bytes;
  for (char c : text)
    bytes += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return bytes;
}

TEST_F(Win32EndToEnd, LineFeedsGoOutAsCrLfAndProgressEndsInALoneCr) {
  write("bank.sbk", two_samples().build());
  RunOptions options;
  options.working_directory = dir_.path();
  RunResult result = run_program(DECRUNCH_EXE, {"bank.sbk"}, options);
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.out,
            with_crlf(kBanner) +
                "progress: 1 of 2 files extracted ...\r"
                "progress: 2 of 2 files extracted ...\r\r\n\r\nAll done.\r\n"
                "\r\n");
}

TEST_F(Win32EndToEnd, CommandLineIsSplitByTheUsualRules) {
  make_directory("my dir");
  write("my dir/bank.sbk", two_samples().build());
  write("real.sbk", two_samples().build());
  const std::string no_path = "Error - no path specified!\n\n";
  const struct {
    const char* typed;
    int status;
    std::string message;  // empty: the run succeeds
  } cases[] = {
      {"\"my dir\\bank.sbk\"", 0, ""},
      {"my\" \"dir\\bank.sbk", 0, ""},  // quotes may group part of a word
      {"\"my dir\\bank.sbk", 0, ""},    // an unclosed quote runs to the end
      {"my dir\\bank.sbk", 5, no_path},
      {"\"my dir\\bank.sbk\" extra", 5, no_path},
      {"", 5, no_path},
      {"a\\\"b.sbk", 1, "Error - can't open sample file \"a\"b.sbk\"!\n\n"},
      // Wildcards reach the open as they are, though real.sbk matches.
      {"*.sbk", 1, "Error - can't open sample file \"*.sbk\"!\n\n"},
      {"rea?.sbk", 1, "Error - can't open sample file \"rea?.sbk\"!\n\n"},
  };
  for (const auto& c : cases) {
    RunOptions options;
    options.working_directory = dir_.path();
    RunResult result =
        checked(run_command_line(DECRUNCH_EXE, c.typed, options));
    EXPECT_EQ(result.exit_status, c.status) << c.typed;
    std::string expected =
        c.status == 0 ? progress_to(2, 2) + "\n\nAll done.\n\n" : c.message;
    EXPECT_EQ(after_banner(result), expected) << c.typed;
  }
  expect_samples(path("my dir/data_bank"), two_samples());
  EXPECT_EQ(list_directory(dir_.path()),
            (std::vector<std::string>{"my dir", "real.sbk"}));
}

TEST_F(Win32EndToEnd, BackslashesAndSlashesBothSeparateDirectories) {
  make_directory("sub");
  make_directory("sub/inner");
  make_directory("elsewhere");
  const std::string absolute =
      fs::path(path("abs.sbk")).make_preferred().string();
  const struct {
    std::string argument;
    std::string bank;
    std::string output;
    std::string working_directory;
  } cases[] = {
      {"sub\\sfx.sbk", "sub/sfx.sbk", "sub/data_sfx", ""},
      {"sub/slash.sbk", "sub/slash.sbk", "sub/data_slash", ""},
      {"sub/inner\\mixed.sbk", "sub/inner/mixed.sbk", "sub/inner/data_mixed",
       ""},
      {"..\\sub\\up.sbk", "sub/up.sbk", "sub/data_up", path("elsewhere")},
      {absolute, "abs.sbk", "data_abs", path("elsewhere")},
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
  EXPECT_EQ(
      list_directory(path("sub")),
      (std::vector<std::string>{"data_sfx", "data_slash", "data_up", "inner",
                                "sfx.sbk", "slash.sbk", "up.sbk"}));
  EXPECT_TRUE(list_directory(path("elsewhere")).empty());
}

TEST_F(Win32EndToEnd, BareDriveMeansTheRootOfTheDrive) {
  // The test's directory is the current directory of its drive, which is
  // where "C:" alone would lead; "C:\x.sbk" must put data_x in C:\ instead.
  const std::string drive = dir_.path().substr(0, 2);
  ASSERT_EQ(drive[1], ':') << dir_.path();
  std::random_device seed;
  const std::string name = "vontrale_root_test_" + std::to_string(seed());
  const std::string root = drive + "\\";
  ASSERT_TRUE(write_file(root + name + ".sbk", two_samples().build()));
  for (const std::string& argument :
       {drive + "\\" + name + ".sbk", "\\" + name + ".sbk"}) {
    RunResult result = run({argument});
    EXPECT_EQ(result.exit_status, 0) << argument;
    expect_samples(root + "data_" + name, two_samples());
    fs::remove_all(root + "data_" + name);
  }
  fs::remove(root + name + ".sbk");
  EXPECT_TRUE(list_directory(dir_.path()).empty());
}

TEST_F(Win32EndToEnd, OutputDirectoryIsShownAsTyped) {
  make_directory("sub");
  write("sub/x.sbk", two_samples().build());
  write("sub/data_x", {});  // a file where the directory should go
  RunResult result = run({"sub\\x.sbk"});
  EXPECT_EQ(result.exit_status, 3);
  EXPECT_EQ(after_banner(result),
            "Error - can't create output directory \"sub\\data_x\"!\n\n");
}

}  // namespace
