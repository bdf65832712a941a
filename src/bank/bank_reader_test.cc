#include "bank/bank_reader.h"

#include <gtest/gtest.h>

#include <cstring>

#include "bank_builder.h"
#include "fake_file_system.h"

namespace {

Bytes header(uint32_t format_id, uint32_t count, size_t table_bytes) {
  Bytes bytes = bank_header(format_id, count);
  bytes.resize(bytes.size() + table_bytes, 0);
  return bytes;
}

Bytes bank_with_entries(const std::vector<uint32_t>& entries, size_t size) {
  Bytes bytes = header(1, static_cast<uint32_t>(entries.size()), 0);
  for (uint32_t entry : entries)
    append_u32_le(bytes, entry);
  bytes.resize(std::max(bytes.size(), size), 0);
  return bytes;
}

// The record's data bytes copied into `buffer`, wherever the reader found
// them.
BankStatus read_data(BankReader& reader, const SampleRecord& record,
                     uint64_t offset, unsigned char* buffer, size_t length) {
  const unsigned char* bytes = nullptr;
  BankStatus status = reader.view_data(record, offset, length, buffer, &bytes);
  if (status == BankStatus::ok && bytes != buffer)
    std::memcpy(buffer, bytes, length);
  return status;
}

}  // namespace

TEST(BankReader, HeaderVerdicts) {
  const struct {
    const char* what;
    Bytes bytes;
    BankStatus status;
  } cases[] = {
      {"empty file", {}, BankStatus::invalid},
      {"shorter than the header", {1, 0, 0, 0, 0, 0, 0}, BankStatus::invalid},
      {"no samples", header(1, 0, 0), BankStatus::ok},
      {"format_id big-endian 1", header(0x01000000, 0, 0), BankStatus::invalid},
      {"format_id 2", header(2, 0, 0), BankStatus::invalid},
      {"table cut short", header(1, 2, 7), BankStatus::invalid},
      {"table whole, records missing", header(1, 2, 8), BankStatus::ok},
      // 8 + 4 * 0xFFFFFFFF wraps to 4 in 32 bits.
      {"huge count", header(1, 0xFFFFFFFF, 0), BankStatus::invalid},
  };
  for (const auto& c : cases) {
    FakeFileSystem file_system;
    file_system.banks["b.sbk"] = FakeBank::of(c.bytes);
    auto input = file_system.open_input("b.sbk");
    BankReader reader(*input);
    EXPECT_EQ(reader.read_header(), c.status) << c.what;
  }
}

class BankReaderTest : public ::testing::Test {
 protected:
  BankReader& open(const FakeBank& bank) {
    file_system_.banks["b.sbk"] = bank;
    input_ = file_system_.open_input("b.sbk");
    reader_ = std::make_unique<BankReader>(*input_);
    return *reader_;
  }
  FakeBank& bank() { return file_system_.banks["b.sbk"]; }

  FakeFileSystem file_system_;
  std::unique_ptr<InputFile> input_;
  std::unique_ptr<BankReader> reader_;
};

TEST_F(BankReaderTest, ReadsRecordsWhereTheTablePoints) {
  Bytes first = {1, 2, 3}, second = {9, 8, 7, 6, 5};
  BankBuilder builder;
  builder.add(pcm_format(1, 8000, 8), first)
      .add(pcm_format(2, 44100, 16), second);
  BankReader& reader = open(FakeBank::of(builder.build(0xEE)));
  ASSERT_EQ(reader.read_header(), BankStatus::ok);
  ASSERT_EQ(reader.sample_count(), 2u);

  SampleRecord record;
  ASSERT_EQ(reader.read_record(1, &record), BankStatus::ok);
  EXPECT_EQ(Bytes(record.format, record.format + 16), pcm_format(2, 44100, 16));
  EXPECT_EQ(record.data_length, 5u);
  EXPECT_EQ(record.data_position, builder.record_position(1) + 22u);
  ASSERT_TRUE(reader.data_fits(record));
  Bytes data(5);
  ASSERT_EQ(read_data(reader, record, 0, data.data(), 5), BankStatus::ok);
  EXPECT_EQ(data, second);

  ASSERT_EQ(reader.read_record(0, &record), BankStatus::ok);
  EXPECT_EQ(record.data_length, 3u);
}

TEST_F(BankReaderTest, RecordMayOverlapTheHeaderAndTable) {
  // The one entry points at position 0: the format block is the header and
  // the table, and the length sits at 18.
  Bytes bytes = bank_with_entries({0}, 26);
  put_u32_le(bytes, 18, 4);
  BankReader& reader = open(FakeBank::of(bytes));
  ASSERT_EQ(reader.read_header(), BankStatus::ok);
  SampleRecord record;
  ASSERT_EQ(reader.read_record(0, &record), BankStatus::ok);
  EXPECT_EQ(Bytes(record.format, record.format + 16),
            Bytes(bytes.begin(), bytes.begin() + 16));
  EXPECT_EQ(record.data_length, 4u);
  EXPECT_EQ(record.data_position, 22u);
  EXPECT_TRUE(reader.data_fits(record));
}

TEST_F(BankReaderTest, RecordsAndDataMustLieInTheFile) {
  // Positions near 4 GiB must not wrap round to small ones.
  const struct {
    uint32_t entry;
    uint32_t length;
    BankStatus record_status;
    bool data_fits;
  } cases[] = {
      {12, 10, BankStatus::ok, true},   // ends exactly at the end
      {12, 11, BankStatus::ok, false},  // one byte past
      {22, 0, BankStatus::ok, true},    // header ends at the end
      {23, 0, BankStatus::runs_past_end, false},
      {0xFFFFFFFF, 0, BankStatus::runs_past_end, false},
      {12, 0xFFFFFFFF, BankStatus::ok, false},
  };
  for (const auto& c : cases) {
    Bytes bytes = bank_with_entries({c.entry}, 44);
    if (c.entry + 22 <= bytes.size())
      put_u32_le(bytes, c.entry + 18, c.length);
    BankReader& reader = open(FakeBank::of(bytes));
    ASSERT_EQ(reader.read_header(), BankStatus::ok);
    SampleRecord record;
    ASSERT_EQ(reader.read_record(0, &record), c.record_status) << c.entry;
    if (c.record_status == BankStatus::ok) {
      EXPECT_EQ(reader.data_fits(record), c.data_fits) << c.length;
    }
  }
}

TEST_F(BankReaderTest, ReachesRecordsPast2And4GiB) {
  FakeBank fake = FakeBank::of(bank_with_entries({0x80000000, 0xFFFFFFF0}, 0));
  Bytes high_data(40);
  for (size_t i = 0; i < high_data.size(); ++i)
    high_data[i] = uint8_t(i + 1);
  fake.put(0xFFFFFFF0, record_bytes(Bytes(16, 0x11), high_data));  // past 4 GiB
  fake.put(0x80000000, record_bytes(Bytes(16, 0x22), {}));
  BankReader& reader = open(fake);
  ASSERT_EQ(reader.read_header(), BankStatus::ok);

  SampleRecord record;
  ASSERT_EQ(reader.read_record(0, &record), BankStatus::ok);
  EXPECT_EQ(record.format[0], 0x22);
  EXPECT_EQ(record.data_position, 0x80000000ull + 22);
  ASSERT_EQ(reader.read_record(1, &record), BankStatus::ok);
  EXPECT_EQ(record.data_length, 40u);
  EXPECT_EQ(record.data_position, 0xFFFFFFF0ull + 22);
  ASSERT_TRUE(reader.data_fits(record));
  Bytes data(30);
  ASSERT_EQ(read_data(reader, record, 10, data.data(), 30), BankStatus::ok);
  EXPECT_EQ(data, Bytes(high_data.begin() + 10, high_data.end()));
}

TEST_F(BankReaderTest, FailedReadsAreNotTakenForData) {
  BankBuilder builder;
  builder.add(pcm_format(1, 8000, 8), {1, 2, 3});
  Bytes bytes = builder.build();
  const struct {
    const char* what;
    uint64_t fail_from;
    bool header_fails;
  } cases[] = {
      {"header", 0, true},
      {"table entry", 9, false},
      {"record header", bytes.size() - 4, false},
  };
  for (const auto& c : cases) {
    FakeBank fake = FakeBank::of(bytes);
    fake.fail_reads_from = c.fail_from;
    BankReader& reader = open(fake);
    BankStatus header_status = reader.read_header();
    if (c.header_fails) {
      EXPECT_EQ(header_status, BankStatus::read_failed) << c.what;
      continue;
    }
    ASSERT_EQ(header_status, BankStatus::ok) << c.what;
    SampleRecord record;
    EXPECT_EQ(reader.read_record(0, &record), BankStatus::read_failed)
        << c.what;
  }

  // A bank that shrinks after it was opened, under data too large to have
  // been read ahead with its record.
  const size_t large = BankReader::kRecordWindowSize + 1;
  BankReader& reader = open(FakeBank::of(
      BankBuilder().add(pcm_format(1, 8000, 8), Bytes(large, 7)).build()));
  ASSERT_EQ(reader.read_header(), BankStatus::ok);
  SampleRecord record;
  ASSERT_EQ(reader.read_record(0, &record), BankStatus::ok);
  bank().size -= 1;
  Bytes data(large);
  EXPECT_EQ(read_data(reader, record, 0, data.data(), large),
            BankStatus::read_failed);
}

TEST_F(BankReaderTest, ReadsAheadButOnlyNeededBytesCanFail) {
  // Three records in a row; reads fail from inside the last one's data.
  BankBuilder builder;
  for (unsigned char fill : {1, 2, 3})
    builder.add(pcm_format(1, 8000, 8), Bytes(100, fill));
  Bytes bytes = builder.build();
  FakeBank fake = FakeBank::of(bytes);
  fake.fail_reads_from = builder.record_position(2) + 22 + 50;
  BankReader& reader = open(fake);
  ASSERT_EQ(reader.read_header(), BankStatus::ok);
  for (uint32_t i = 0; i < 3; ++i) {
    SampleRecord record;
    ASSERT_EQ(reader.read_record(i, &record), BankStatus::ok) << i;
    EXPECT_EQ(record.data_position, builder.record_position(i) + 22u);
    Bytes data(100);
    EXPECT_EQ(read_data(reader, record, 0, data.data(), 100),
              i < 2 ? BankStatus::ok : BankStatus::read_failed)
        << i;
    if (i < 2) {
      EXPECT_EQ(data, builder.data(i)) << i;
    }
  }
}

TEST_F(BankReaderTest, WindowsCutReadsOfASmallBankToAFew) {
  // 2000 small records in a row, read in the tool's order: the table in
  // blocks of 1024 entries, the records 64 KiB at a time.
  BankBuilder builder;
  for (int i = 0; i < 2000; ++i)
    builder.add(pcm_format(1, 8000, 8), Bytes(200, uint8_t(i)));
  Bytes bytes = builder.build();
  BankReader& reader = open(FakeBank::of(bytes));
  ASSERT_EQ(reader.read_header(), BankStatus::ok);
  for (uint32_t i = 0; i < 2000; ++i) {
    SampleRecord record;
    ASSERT_EQ(reader.read_record(i, &record), BankStatus::ok);
    Bytes data(200);
    ASSERT_EQ(read_data(reader, record, 0, data.data(), 200), BankStatus::ok);
    ASSERT_EQ(data, builder.data(i)) << i;
  }
  // The header, 2 table blocks, and 2000 * 222 bytes of records in 64 KiB.
  EXPECT_EQ(bank().reads, 1u + 2u + (2000u * 222u + 65535u) / 65536u);
}

TEST_F(BankReaderTest, ReadsNoDataAheadWhereThePlatformCopiesIt) {
  // A file the platform appends from directly: reading records ahead would
  // copy their data for nothing, so each record header is read alone.
  BankBuilder builder;
  for (int i = 0; i < 300; ++i)
    builder.add(pcm_format(1, 8000, 8), Bytes(200, uint8_t(i)));
  FakeBank fake = FakeBank::of(builder.build());
  fake.direct_append = true;
  BankReader& reader = open(fake);
  ASSERT_EQ(reader.read_header(), BankStatus::ok);
  for (uint32_t i = 0; i < 300; ++i) {
    SampleRecord record;
    ASSERT_EQ(reader.read_record(i, &record), BankStatus::ok);
    EXPECT_EQ(record.data_length, 200u);
    EXPECT_EQ(record.data_position, builder.record_position(i) + 22u);
  }
  // The header, one table block, then one read per record header.
  EXPECT_EQ(bank().reads, 1u + 1u + 300u);
  EXPECT_EQ(bank().bytes_read, 8u + 4096u + 300u * 22u);
}

TEST_F(BankReaderTest, ViewsReadAheadDataWithoutACopy) {
  // A small sample's data lies in the window its record came with; data too
  // large for the window is read into the caller's buffer.
  const size_t large = BankReader::kRecordWindowSize + 1;
  BankBuilder builder;
  builder.add(pcm_format(1, 8000, 8), Bytes(300, 0x11))
      .add(pcm_format(1, 8000, 8), Bytes(large, 0x22));
  BankReader& reader = open(FakeBank::of(builder.build()));
  ASSERT_EQ(reader.read_header(), BankStatus::ok);
  for (uint32_t i = 0; i < 2; ++i) {
    SampleRecord record;
    ASSERT_EQ(reader.read_record(i, &record), BankStatus::ok);
    Bytes buffer(record.data_length);
    const unsigned char* bytes = nullptr;
    ASSERT_EQ(
        reader.view_data(record, 0, record.data_length, buffer.data(), &bytes),
        BankStatus::ok);
    EXPECT_EQ(bytes == buffer.data(), i == 1) << i;
    EXPECT_EQ(Bytes(bytes, bytes + record.data_length), builder.data(i)) << i;
  }
}
