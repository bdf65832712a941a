#include "bank/bank_reader.h"

#include <algorithm>
#include <cstring>

#include "common/little_endian.h"

namespace {

constexpr uint64_t kHeaderSize = 8;  // format_id, sample_count
constexpr uint64_t kEntrySize = 4;
// format block, 2 unread bytes, data_length
constexpr uint64_t kRecordHeaderSize = kFormatBlockSize + 2 + 4;

}  // namespace

// The windows are small and fixed, whatever the bank holds. Where the
// platform copies the data file to file, reading it ahead here would only
// copy it once more: the records' window then holds a record header alone.
BankReader::BankReader(InputFile& file) : file_(file) {
  table_.capacity = kTableWindowSize;
  table_.bytes = std::make_unique<unsigned char[]>(table_.capacity);
  records_.capacity =
      file.supports_direct_append() ? kRecordHeaderSize : kRecordWindowSize;
  records_.bytes = std::make_unique<unsigned char[]>(records_.capacity);
}

BankStatus BankReader::read(uint64_t position, void* buffer, size_t length) {
  switch (file_.read_at(position, buffer, length)) {
    case ReadStatus::ok:
      return BankStatus::ok;
    case ReadStatus::end_of_file:
      // Every range is checked against the size before it is read, so the
      // file has shrunk under us: as good as a failed read.
    case ReadStatus::failed:
      break;
  }
  return BankStatus::read_failed;
}

BankStatus BankReader::locate(Window& window, uint64_t position, size_t length,
                              unsigned char* buffer,
                              const unsigned char** bytes) {
  *bytes = buffer;
  if (position < window.start ||
      position + length > window.start + window.filled) {
    if (length > window.capacity)
      return read(position, buffer, length);
    // Every range asked for lies in the file, so the refill stays in it too.
    window.filled = static_cast<size_t>(
        std::min<uint64_t>(window.capacity, file_.size() - position));
    window.start = position;
    if (read(position, window.bytes.get(), window.filled) != BankStatus::ok) {
      // The fault may lie beyond what is needed now (a bad sector under a
      // later sample): only the bytes asked for decide.
      window.filled = 0;
      return read(position, buffer, length);
    }
  }
  *bytes = window.bytes.get() + (position - window.start);
  return BankStatus::ok;
}

BankStatus BankReader::read_through(Window& window, uint64_t position,
                                    void* buffer, size_t length) {
  unsigned char* out = static_cast<unsigned char*>(buffer);
  const unsigned char* bytes;
  BankStatus status = locate(window, position, length, out, &bytes);
  if (status == BankStatus::ok && bytes != out)
    std::memcpy(out, bytes, length);
  return status;
}

BankStatus BankReader::read_header() {
  if (file_.size() < kHeaderSize)
    return BankStatus::invalid;
  unsigned char header[kHeaderSize];
  BankStatus status = read(0, header, sizeof header);
  if (status != BankStatus::ok)
    return status;
  if (load_u32_le(header) != 1)
    return BankStatus::invalid;
  sample_count_ = load_u32_le(header + 4);
  // 64-bit arithmetic: the table of 0xFFFFFFFF entries is about 16 GiB.
  uint64_t table_end = kHeaderSize + kEntrySize * sample_count_;
  if (table_end > file_.size())
    return BankStatus::invalid;
  return BankStatus::ok;
}

BankStatus BankReader::read_record(uint32_t index, SampleRecord* record) {
  unsigned char entry[kEntrySize];
  BankStatus status =
      read_through(table_, kHeaderSize + kEntrySize * index, entry, kEntrySize);
  if (status != BankStatus::ok)
    return status;
  uint64_t position = load_u32_le(entry);
  if (position + kRecordHeaderSize > file_.size()) {
    return BankStatus::runs_past_end;
  }
  unsigned char header[kRecordHeaderSize];
  status = read_through(records_, position, header, sizeof header);
  if (status != BankStatus::ok)
    return status;
  std::memcpy(record->format, header, kFormatBlockSize);
  record->data_length = load_u32_le(header + kFormatBlockSize + 2);
  record->data_position = position + kRecordHeaderSize;
  return BankStatus::ok;
}

bool BankReader::data_fits(const SampleRecord& record) const {
  return record.data_position + record.data_length <= file_.size();
}

BankStatus BankReader::view_data(const SampleRecord& record, uint64_t offset,
                                 size_t length, unsigned char* buffer,
                                 const unsigned char** bytes) {
  return locate(records_, record.data_position + offset, length, buffer, bytes);
}
