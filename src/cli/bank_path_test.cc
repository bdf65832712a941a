#include "cli/bank_path.h"

#include <gtest/gtest.h>

TEST(BankPath, ExtensionIsSbkInAnyCase) {
  const struct {
    const char* path;
    bool accepted;
  } cases[] = {
      {"bank.sbk", true},
      {"BANK.SBK", true},
      {"x.Sbk", true},
      {".sbk", true},
      {"*.sbk", true},
      {"", false},
      {"sbk", false},
      {"abc", false},
      {"bank.wav", false},
      {"bank.sbk.", false},
      {"bank.sbkx", false},
      {"banksbk", false},
      // Only A to Z fold: a byte of another script is not a letter here.
      {"bank.\xd3"
       "bk",
       false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(has_bank_extension(c.path), c.accepted) << '"' << c.path << '"';
  }
}

// The forward slash separates directories on every platform; what else
// does is for each platform's own test.
TEST(BankPath, OutputDirectoryIsBesideTheBank) {
  const struct {
    const char* path;
    bool has_directory_part;
    const char* directory_part;
    const char* directory_name;
    const char* shown_name;
  } cases[] = {
      {"bank.sbk", false, "", "data_bank", "data_bank"},
      {"BANK.SBK", false, "", "data_BANK", "data_BANK"},
      {"my.bank.sbk", false, "", "data_my.bank", "data_my.bank"},
      {".sbk", false, "", "data_", "data_"},
      {"sounds/sfx.sbk", true, "sounds", "data_sfx", "sounds/data_sfx"},
      {"a/b.c/d.sbk", true, "a/b.c", "data_d", "a/b.c/data_d"},
      {"/x.sbk", true, "", "data_x", "/data_x"},
      {"a//x.sbk", true, "a/", "data_x", "a//data_x"},
  };
  for (const auto& c : cases) {
    OutputLocation location = locate_output(c.path);
    EXPECT_EQ(location.has_directory_part, c.has_directory_part) << c.path;
    EXPECT_EQ(location.directory_part, c.directory_part) << c.path;
    EXPECT_EQ(location.directory_name, c.directory_name) << c.path;
    EXPECT_EQ(location.shown_name, c.shown_name) << c.path;
  }
}
