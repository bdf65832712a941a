#include "wav/sample_extractor.h"

#include <algorithm>
#include <new>

#include "wav/wav_header.h"

namespace {

ExtractStatus from_bank(BankStatus status) {
  return status == BankStatus::read_failed ? ExtractStatus::read_failed
                                           : ExtractStatus::runs_past_end;
}

// Closes the file; a sample is done only once its close has succeeded.
ExtractStatus finish(OutputFile& file, ExtractStatus status) {
  bool closed = file.close();
  return status == ExtractStatus::done && !closed ? ExtractStatus::write_failed
                                                  : status;
}

// Writes the header and the record's data, and closes the file before the
// copy buffer is released. The platform may copy the whole sample file to
// file; whatever it leaves goes through the buffer, the header (or what is
// left of it) with the first piece of data, saving a system call.
ExtractStatus write_sample(BankReader& bank, const SampleRecord& record,
                           OutputFile& file, BufferAllocator allocate) {
  WavHeader header = make_wav_header(record.format, record.data_length);
  const ConstBuffer whole_header = {header.bytes, kWavHeaderSize};
  size_t chunk = static_cast<size_t>(
      std::min<uint64_t>(record.data_length, kMaxCopyChunk));
  std::unique_ptr<unsigned char[]> buffer;
  if (chunk > 0 && !(buffer = allocate(chunk))) {
    // The file keeps its header, as it would had it been written first.
    return finish(file, file.write(&whole_header, 1)
                            ? ExtractStatus::no_memory
                            : ExtractStatus::write_failed);
  }
  const uint64_t total = kWavHeaderSize + uint64_t{record.data_length};
  uint64_t written = file.append_from(whole_header, bank.file(),
                                      record.data_position, record.data_length);
  while (written < total) {
    ConstBuffer parts[2];
    size_t count = 0;
    uint64_t offset = 0;  // into the data
    if (written < kWavHeaderSize) {
      parts[count++] = {header.bytes + written,
                        static_cast<size_t>(kWavHeaderSize - written)};
    } else {
      offset = written - kWavHeaderSize;
    }
    if (offset < record.data_length) {
      size_t length = static_cast<size_t>(
          std::min<uint64_t>(chunk, record.data_length - offset));
      // Small samples come straight from the reader's read-ahead.
      const unsigned char* bytes;
      if (bank.view_data(record, offset, length, buffer.get(), &bytes) !=
          BankStatus::ok) {
        return finish(file, ExtractStatus::read_failed);
      }
      parts[count++] = {bytes, length};
    }
    if (!file.write(parts, count))
      return finish(file, ExtractStatus::write_failed);
    for (size_t i = 0; i < count; ++i)
      written += parts[i].size;
  }
  return finish(file, ExtractStatus::done);
}

}  // namespace

std::unique_ptr<unsigned char[]> allocate_copy_buffer(size_t size) {
  return std::unique_ptr<unsigned char[]>(
      new (std::nothrow) unsigned char[size]);
}

ExtractResult extract_sample(BankReader& bank, FileSystem& file_system,
                             uint32_t index, BufferAllocator allocate) {
  ExtractResult result{ExtractStatus::done, sample_file_name(index)};
  SampleRecord record;
  BankStatus read = bank.read_record(index, &record);
  if (read != BankStatus::ok) {
    result.status = from_bank(read);
  } else if (!fits_in_wav(record.data_length)) {
    result.status = ExtractStatus::too_large;
  } else if (!bank.data_fits(record)) {
    result.status = ExtractStatus::runs_past_end;
  } else if (std::unique_ptr<OutputFile> file =
                 file_system.create_output(result.file_name)) {
    result.status = write_sample(bank, record, *file, allocate);
  } else {
    result.status = ExtractStatus::cannot_create;
  }
  return result;
}
