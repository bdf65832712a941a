#ifndef VONTRALE_BANK_BANK_READER_H_
#define VONTRALE_BANK_BANK_READER_H_

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/file_system.h"

// A sample bank: an 8-byte header (format_id, which must be 1, and the
// sample count), an offset table of one 32-bit position per sample, and the
// sample records the table points at, anywhere in the file and in any order.
// A record is a 16-byte format block, 2 bytes that are never read, the
// 32-bit data length and that many data bytes.

enum class BankStatus {
  ok,
  invalid,        // format_id is not 1, or the header or table is cut short
  runs_past_end,  // a record or its data does not lie wholly in the file
  read_failed,    // the system failed a read inside the file
};

constexpr size_t kFormatBlockSize = 16;

struct SampleRecord {
  unsigned char format[kFormatBlockSize];
  uint32_t data_length;
  uint64_t data_position;  // where the data bytes begin
};

// Reads the bank in its order: the header, then for each sample its table
// entry, its record header and its data. Small reads go through two windows
// of bytes read ahead, one on the offset table and one where the records
// lie, so that a bank of small samples costs about one read per sample;
// where the platform copies the data itself, the second holds just the
// record header.
class BankReader {
 public:
  explicit BankReader(InputFile& file);

  // Reads and checks the header, and that the whole offset table lies in
  // the file.
  BankStatus read_header();
  uint32_t sample_count() const { return sample_count_; }

  // Reads the table's entry for `index` and the record header it points at,
  // which must lie wholly in the file. Its data is not checked yet.
  BankStatus read_record(uint32_t index, SampleRecord* record);
  // Whether the record's data bytes lie wholly in the file.
  bool data_fits(const SampleRecord& record) const;
  // Finds `length` data bytes, starting `offset` bytes into the record's
  // data (a range checked with data_fits()), without a copy where the
  // read-ahead holds them already: *bytes then points into the reader's
  // window, good until its next read; otherwise they are read into `buffer`
  // and *bytes points there.
  BankStatus view_data(const SampleRecord& record, uint64_t offset,
                       size_t length, unsigned char* buffer,
                       const unsigned char** bytes);

  InputFile& file() const { return file_; }

  // How far each window reads ahead: the table's covers 1024 entries.
  static constexpr size_t kTableWindowSize = 4096;
  static constexpr size_t kRecordWindowSize = 64 * 1024;

 private:
  // Bytes of the bank from `start`, read ahead of need.
  struct Window {
    uint64_t start = 0;
    size_t filled = 0;
    std::unique_ptr<unsigned char[]> bytes;
    size_t capacity = 0;
  };

  BankStatus read(uint64_t position, void* buffer, size_t length);
  // Finds the range in `window`, refilling it from `position` when the
  // range is not inside it; a range larger than the window, or one whose
  // refill failed, is read into `buffer`. *bytes tells where it ended up.
  BankStatus locate(Window& window, uint64_t position, size_t length,
                    unsigned char* buffer, const unsigned char** bytes);
  // Reads through `window`, refilling it from `position` when the range is
  // not inside it; a range larger than the window is read directly.
  BankStatus read_through(Window& window, uint64_t position, void* buffer,
                          size_t length);

  InputFile& file_;
  uint32_t sample_count_ = 0;
  Window table_;
  Window records_;
};

#endif  // VONTRALE_BANK_BANK_READER_H_
