#include <gtest/gtest.h>

#include <filesystem>

#include "bank_builder.h"
#include "cli/bank_path.h"
#include "platform/file_system.h"
#include "temp_dir.h"

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

namespace {

Bytes pattern(size_t length) {
  Bytes bytes(length);
  for (size_t i = 0; i < length; ++i)
    bytes[i] = static_cast<unsigned char>(i * 7 + (i >> 12));
  return bytes;
}

class PosixAppendTest : public ::testing::Test {
 protected:
  // Appends `length` bytes of a bank holding `bank` from `position`, after
  // a 44-byte header, and returns how many the platform moved.
  uint64_t append(const Bytes& bank, uint64_t position, uint64_t length,
                  uint64_t cut_bank_to = UINT64_MAX) {
    EXPECT_TRUE(write_file(dir_ / "bank.sbk", bank));
    std::unique_ptr<InputFile> input = fs_->open_input(dir_ / "bank.sbk");
    EXPECT_TRUE(input);
    if (cut_bank_to != UINT64_MAX) {
      std::filesystem::resize_file(dir_ / "bank.sbk", cut_bank_to);
    }
    std::unique_ptr<OutputFile> output = fs_->create_output(dir_ / "out.wav");
    const Bytes header(44, 0xAB);
    ConstBuffer part = {header.data(), header.size()};
    EXPECT_TRUE(output->write(&part, 1));
    uint64_t moved = output->append_from(*input, position, length);
    EXPECT_TRUE(output->close());
    return moved;
  }
  Bytes expected(const Bytes& bank, uint64_t position, uint64_t length) {
    Bytes bytes(44, 0xAB);
    bytes.insert(bytes.end(), bank.begin() + position,
                 bank.begin() + position + length);
    return bytes;
  }

  TempDir dir_;
  std::unique_ptr<FileSystem> fs_ = make_native_file_system();
};

TEST_F(PosixAppendTest, MovesExactlyTheRangeAcrossMappingWindows) {
  // Odd positions and lengths, over several 2 MiB windows.
  const Bytes bank = pattern((size_t{5} << 20) + 123);
  const struct {
    uint64_t position, length;
  } cases[] = {{0, bank.size()},
               {1000, (uint64_t{4} << 20) + 17},
               {4095, 1},
               {bank.size() - 5, 5}};
  for (const auto& c : cases) {
    ASSERT_EQ(append(bank, c.position, c.length), c.length) << c.position;
    EXPECT_EQ(read_file(dir_ / "out.wav"), expected(bank, c.position, c.length))
        << c.position;
  }
}

TEST_F(PosixAppendTest, StopsWhereABankCutShortNowEnds) {
  // Mapped, the rest of the last page would read as zeros: none may be
  // copied, and the tool must not die of SIGBUS.
  const Bytes bank = pattern(size_t{3} << 20);
  const uint64_t cut = (uint64_t{2} << 20) + 10;
  ASSERT_EQ(append(bank, 100, bank.size() - 100, cut), cut - 100);
  EXPECT_EQ(read_file(dir_ / "out.wav"), expected(bank, 100, cut - 100));
}

}  // namespace
