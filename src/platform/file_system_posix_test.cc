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
  void SetUp() override {
    bank_ = pattern((size_t{5} << 20) + 123);
    ASSERT_TRUE(write_file(dir_ / "bank.sbk", bank_));
    input_ = fs_->open_input(dir_ / "bank.sbk");
    ASSERT_TRUE(input_);
  }
  // Appends `length` bytes of the bank from `position`, behind a 44-byte
  // header, to a new file, and returns how many bytes of the two the
  // platform wrote.
  uint64_t append(uint64_t position, uint64_t length) {
    std::unique_ptr<OutputFile> output = fs_->create_output(dir_ / "out.wav");
    EXPECT_TRUE(output);
    uint64_t moved = output->append_from({header_.data(), header_.size()},
                                         *input_, position, length);
    EXPECT_TRUE(output->close());
    return moved;
  }
  Bytes expected(uint64_t position, uint64_t length) {
    Bytes bytes = header_;
    bytes.insert(bytes.end(), bank_.begin() + position,
                 bank_.begin() + position + length);
    return bytes;
  }

  TempDir dir_;
  std::unique_ptr<FileSystem> fs_ = make_native_file_system();
  Bytes bank_;
  const Bytes header_ = Bytes(44, 0xAB);
  std::unique_ptr<InputFile> input_;
};

TEST_F(PosixAppendTest, WritesExactlyTheRangeWhereverTheWindowLies) {
  // One open bank, as the tool reads it: ranges in order, then out of
  // order and back, small ones and ones across several 2 MiB windows.
  EXPECT_TRUE(input_->supports_direct_append());
  const uint64_t end = bank_.size();
  const struct {
    uint64_t position, length;
  } cases[] = {{0, 0},
               {0, end},
               {1000, 300},
               {1322, 70000},
               {71322, 5000},
               {4095, 1},
               {end - 5, 5},
               {100, 200},
               {1000, (uint64_t{4} << 20) + 17},
               {3 << 20, 9000},
               {(3 << 20) + 9001, 1}};
  for (const auto& c : cases) {
    ASSERT_EQ(append(c.position, c.length), 44 + c.length) << c.position;
    EXPECT_EQ(read_file(dir_ / "out.wav"), expected(c.position, c.length))
        << c.position << " " << c.length;
  }
}

TEST_F(PosixAppendTest, StopsWhereABankCutShortNowEnds) {
  // Mapped, the rest of the last page would read as zeros: none may be
  // copied, and the tool must not die of SIGBUS.
  const uint64_t cut = (uint64_t{2} << 20) + 10;
  std::filesystem::resize_file(dir_ / "bank.sbk", cut);
  ASSERT_EQ(append(100, bank_.size() - 100), 44 + cut - 100);
  EXPECT_EQ(read_file(dir_ / "out.wav"), expected(100, cut - 100));
  // Nothing at all for a range wholly past the new end: the caller's own
  // read then meets the end and says so.
  EXPECT_EQ(append(cut + 1, 10), 0u);
}

}  // namespace
