#include "wav/sample_extractor.h"

#include <gtest/gtest.h>

#include "bank_builder.h"
#include "common/little_endian.h"
#include "fake_file_system.h"

namespace {

size_t last_request;
std::unique_ptr<unsigned char[]> recording_allocator(size_t size) {
  last_request = size;
  return allocate_copy_buffer(size);
}
std::unique_ptr<unsigned char[]> failing_allocator(size_t size) {
  last_request = size;
  return nullptr;
}

Bytes pattern(size_t length, unsigned seed) {
  Bytes bytes(length);
  for (size_t i = 0; i < length; ++i) {
    bytes[i] = static_cast<unsigned char>((i * 131 + seed) ^ (i >> 9));
  }
  return bytes;
}

const Bytes kOddFormat = {0x55, 0, 2, 0, 0x44, 0xac, 0, 0, 0x10,
                          0xb1, 2, 0, 4, 0,    16,   0};  // tag 0x55, not PCM

class SampleExtractorTest : public ::testing::Test {
 protected:
  void open(const Bytes& bank) { open(FakeBank::of(bank)); }
  void open(const FakeBank& bank) {
    file_system_.banks["b.sbk"] = bank;
    input_ = file_system_.open_input("b.sbk");
    reader_ = std::make_unique<BankReader>(*input_);
    ASSERT_EQ(reader_->read_header(), BankStatus::ok);
  }
  ExtractResult extract(uint32_t index,
                        BufferAllocator allocate = recording_allocator) {
    last_request = 0;
    return extract_sample(*reader_, file_system_, index, allocate);
  }
  bool made(const std::string& name) { return file_system_.files.count(name); }
  const Bytes& file(const std::string& name) {
    return file_system_.files[name];
  }

  FakeFileSystem file_system_;
  std::unique_ptr<InputFile> input_;
  std::unique_ptr<BankReader> reader_;
};

TEST_F(SampleExtractorTest, CopiesFormatAndDataBehindTheHeader) {
  Bytes pcm = pcm_format(1, 8000, 8);
  open(BankBuilder()
           .add(pcm, {1, 2, 3})  // odd length: no pad byte follows
           .add(kOddFormat, pattern(1000, 7))
           .build(0xEE));
  ExtractResult first = extract(0);
  EXPECT_EQ(first.status, ExtractStatus::done);
  EXPECT_EQ(first.file_name, "sample0000.wav");
  EXPECT_EQ(file("sample0000.wav"), wav_file(pcm, {1, 2, 3}));
  EXPECT_EQ(file("sample0000.wav").size(), 47u);
  EXPECT_EQ(last_request, 3u);  // a buffer of the sample's size
  ASSERT_EQ(extract(1).status, ExtractStatus::done);
  EXPECT_EQ(file("sample0001.wav"), wav_file(kOddFormat, pattern(1000, 7)));
  // The header goes out with the data, in one write per small sample.
  EXPECT_EQ(file_system_.write_calls, (std::vector<size_t>{47, 1044}));
}

TEST_F(SampleExtractorTest, EntriesSharingARecordGiveTheSameFile) {
  Bytes bank =
      BankBuilder().add(kOddFormat, {5, 6}).add(kOddFormat, {}).build();
  put_u32_le(bank, 12, load_u32_le(bank.data() + 8));  // entry 1 = entry 0
  open(bank);
  ASSERT_EQ(extract(0).status, ExtractStatus::done);
  ASSERT_EQ(extract(1).status, ExtractStatus::done);
  EXPECT_EQ(file("sample0001.wav"), file("sample0000.wav"));
}

TEST_F(SampleExtractorTest, ZeroLengthSampleIsAHeaderAloneAndNeedsNoMemory) {
  open(BankBuilder().add(kOddFormat, {}).build());
  ASSERT_EQ(extract(0, failing_allocator).status, ExtractStatus::done);
  EXPECT_EQ(last_request, 0u);
  EXPECT_EQ(file("sample0000.wav"), wav_file(kOddFormat, {}));
}

TEST_F(SampleExtractorTest, LargeSampleMovesInPiecesOfOneMiB) {
  const size_t mib = size_t{1} << 20;
  Bytes data = pattern(2 * mib + mib / 2 + 1, 3);
  open(BankBuilder().add(kOddFormat, data).build());
  ASSERT_EQ(extract(0).status, ExtractStatus::done);
  EXPECT_EQ(last_request, mib);
  EXPECT_EQ(file_system_.write_calls,
            (std::vector<size_t>{44 + mib, mib, mib / 2 + 1}));
  EXPECT_EQ(file("sample0000.wav"), wav_file(kOddFormat, data));
}

TEST_F(SampleExtractorTest, BufferCarriesOnWherePlatformCopyStops) {
  // The platform may copy the header and data file to file and stop
  // anywhere, inside the header too; the buffer then carries on from there.
  const uint64_t mib = uint64_t{1} << 20;
  const struct {
    size_t data_length;
    uint64_t budget;
    std::vector<size_t> writes;
  } cases[] = {
      {3 * mib + 5, UINT64_MAX, {}},
      {3 * mib + 5, 44 + mib + 3, {mib, mib, 2}},
      {3 * mib + 5, 20, {24 + mib, mib, mib, 5}},
      {3 * mib + 5, 0, {44 + mib, mib, mib, 5}},
      {100, 44, {100}},
      {0, 10, {34}},
      {0, UINT64_MAX, {}},
  };
  for (const auto& c : cases) {
    file_system_ = FakeFileSystem();
    file_system_.append_budget = c.budget;
    Bytes data = pattern(c.data_length, 9);
    open(BankBuilder().add(kOddFormat, data).build());
    ASSERT_EQ(extract(0).status, ExtractStatus::done) << c.budget;
    EXPECT_EQ(file_system_.write_calls, c.writes) << c.budget;
    EXPECT_EQ(file("sample0000.wav"), wav_file(kOddFormat, data)) << c.budget;
  }
}

TEST_F(SampleExtractorTest, NoMemoryLeavesTheHeaderAlone) {
  open(BankBuilder().add(kOddFormat, pattern(5000, 1)).build());
  EXPECT_EQ(extract(0, failing_allocator).status, ExtractStatus::no_memory);
  EXPECT_EQ(last_request, 5000u);
  Bytes header = wav_file(kOddFormat, pattern(5000, 1));
  header.resize(44);
  EXPECT_EQ(file("sample0000.wav"), header);
}

TEST_F(SampleExtractorTest, DamagedRecordsAreFoundBeforeTheFileIsMade) {
  Bytes good = BankBuilder().add(kOddFormat, {1, 2, 3, 4}).build();
  const size_t length_at = 12 + 18;  // the record's data_length
  const struct {
    const char* what;
    size_t patch_at;
    uint32_t value;
    uint64_t fail_reads_from;
    ExtractStatus status;
  } cases[] = {
      {"record header past the end", 8, uint32_t(good.size() - 21), UINT64_MAX,
       ExtractStatus::runs_past_end},
      {"record at 0xFFFFFFFF", 8, 0xFFFFFFFF, UINT64_MAX,
       ExtractStatus::runs_past_end},
      {"data one byte past the end", length_at, 5, UINT64_MAX,
       ExtractStatus::runs_past_end},
      // Too large for a WAV file is told before running past the end.
      {"length 0xFFFFFFDC", length_at, 0xFFFFFFDC, UINT64_MAX,
       ExtractStatus::too_large},
      {"length 0xFFFFFFFF", length_at, 0xFFFFFFFF, UINT64_MAX,
       ExtractStatus::too_large},
      {"largest length, past the end", length_at, 0xFFFFFFDB, UINT64_MAX,
       ExtractStatus::runs_past_end},
      {"record header unreadable", 0, 1, 20, ExtractStatus::read_failed},
  };
  for (const auto& c : cases) {
    Bytes bank = good;
    put_u32_le(bank, c.patch_at, c.value);
    FakeBank fake = FakeBank::of(bank);
    fake.fail_reads_from = c.fail_reads_from;
    file_system_.files.clear();
    open(fake);
    EXPECT_EQ(extract(0).status, c.status) << c.what;
    EXPECT_FALSE(made("sample0000.wav")) << c.what;
    EXPECT_EQ(last_request, 0u) << c.what;
  }
}

TEST_F(SampleExtractorTest, DataUnreadableAfterTheFirstPiece) {
  const size_t mib = size_t{1} << 20;
  Bytes bank = BankBuilder().add(kOddFormat, pattern(2 * mib, 1)).build();
  FakeBank fake = FakeBank::of(bank);
  fake.fail_reads_from = 34 + mib + 1;
  open(fake);
  EXPECT_EQ(extract(0).status, ExtractStatus::read_failed);
}

TEST_F(SampleExtractorTest, FileThatCannotBeCreated) {
  open(BankBuilder().add(kOddFormat, {1}).add(kOddFormat, {2}).build());
  file_system_.refuse_create.insert("sample0001.wav");
  ExtractResult result = extract(1);
  EXPECT_EQ(result.status, ExtractStatus::cannot_create);
  EXPECT_EQ(result.file_name, "sample0001.wav");
  EXPECT_EQ(last_request, 0u);
}

TEST_F(SampleExtractorTest, FailedWritesAndClosesAreReported) {
  const size_t mib = size_t{1} << 20;
  Bytes small = pattern(100, 2), large = pattern(2 * mib, 5);
  const struct {
    const char* what;
    const Bytes& data;
    size_t write_budget;
    bool fail_close;
  } cases[] = {
      {"nothing taken", small, 0, false},
      {"header cut short", small, 10, false},
      {"data cut short", small, 100, false},
      {"second piece refused", large, 44 + mib, false},
      {"empty sample's header refused", Bytes(), 43, false},
      {"close fails", small, SIZE_MAX, true},
  };
  for (const auto& c : cases) {
    file_system_ = FakeFileSystem();
    open(BankBuilder().add(kOddFormat, c.data).build());
    file_system_.write_budget = c.write_budget;
    file_system_.fail_close = c.fail_close;
    ExtractResult result = extract(0);
    EXPECT_EQ(result.status, ExtractStatus::write_failed) << c.what;
    EXPECT_EQ(result.file_name, "sample0000.wav") << c.what;
  }
}

TEST_F(SampleExtractorTest, HeaderRefusedWhileMemoryRunsOutIsAWriteFailure) {
  open(BankBuilder().add(kOddFormat, {1, 2}).build());
  file_system_.write_budget = 20;
  EXPECT_EQ(extract(0, failing_allocator).status, ExtractStatus::write_failed);
}
}  // namespace
