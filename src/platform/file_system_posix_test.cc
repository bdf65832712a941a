#include <gtest/gtest.h>

#include "cli/bank_path.h"
#include "platform/file_system.h"

TEST(PosixPaths, OnlyTheSlashSeparatesDirectories) {
  EXPECT_TRUE(is_directory_separator('/'));
  EXPECT_FALSE(is_directory_separator('\\'));
  // A backslash is an ordinary character of a file name.
  OutputLocation location = locate_output("sounds\\sfx.sbk");
  EXPECT_FALSE(location.has_directory_part);
  EXPECT_EQ(location.directory_name, "data_sounds\\sfx");
}

TEST(PosixPaths, EmptyDirectoryPartIsTheRoot) {
  EXPECT_EQ(directory_to_enter(""), "/");
  EXPECT_EQ(directory_to_enter("a/"), "a/");
  EXPECT_EQ(directory_to_enter("C:"), "C:");
}
