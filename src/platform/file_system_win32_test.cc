#include <gtest/gtest.h>

#include "cli/bank_path.h"
#include "platform/file_system.h"

TEST(Win32Paths, EitherSlashSeparatesDirectories) {
  const struct {
    const char* path;
    const char* directory_part;
    const char* directory_name;
    const char* shown_name;
  } cases[] = {
      {"sounds\\sfx.sbk", "sounds", "data_sfx", "sounds\\data_sfx"},
      {"a\\b/c.sbk", "a\\b", "data_c", "a\\b/data_c"},
      {"a/b\\c.d.sbk", "a/b", "data_c.d", "a/b\\data_c.d"},
      {"C:\\x.sbk", "C:", "data_x", "C:\\data_x"},
      {"\\x.sbk", "", "data_x", "\\data_x"},
      {"\\\\server\\share\\x.sbk", "\\\\server\\share", "data_x",
       "\\\\server\\share\\data_x"},
  };
  for (const auto& c : cases) {
    OutputLocation location = locate_output(c.path);
    EXPECT_TRUE(location.has_directory_part) << c.path;
    EXPECT_EQ(location.directory_part, c.directory_part) << c.path;
    EXPECT_EQ(location.directory_name, c.directory_name) << c.path;
    EXPECT_EQ(location.shown_name, c.shown_name) << c.path;
  }
}

TEST(Win32Paths, BareDriveAndEmptyPartMeanARoot) {
  const struct {
    const char* part;
    const char* entered;
  } cases[] = {
      {"", "\\"},      // the root of the current drive
      {"C:", "C:\\"},  // the drive's root, not its current directory
      {"z:", "z:\\"},
      {"C:sub", "C:sub"},  // relative to the drive's current directory
      {"sub", "sub"},
      {"C:\\sub", "C:\\sub"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(directory_to_enter(c.part), c.entered) << c.part;
  }
}
