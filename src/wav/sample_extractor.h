#ifndef VONTRALE_WAV_SAMPLE_EXTRACTOR_H_
#define VONTRALE_WAV_SAMPLE_EXTRACTOR_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "bank/bank_reader.h"
#include "platform/file_system.h"

enum class ExtractStatus {
  done,           // the file is complete and closed
  runs_past_end,  // the record or its data does not lie wholly in the bank
  too_large,      // the data is too long for a WAV file's size fields
  read_failed,    // the system failed a read of the bank
  cannot_create,  // the sample file cannot be created
  no_memory,      // no copy buffer; the file holds only its header
  write_failed,   // the sample file did not take every byte, or its close
};

struct ExtractResult {
  ExtractStatus status;
  std::string file_name;  // the sample file's bare name
};

// Data the platform does not copy file to file itself moves in pieces of at
// most this size, through one buffer, so memory does not grow with the size
// of a sample.
constexpr size_t kMaxCopyChunk = size_t{1} << 20;

using BufferAllocator = std::unique_ptr<unsigned char[]> (*)(size_t size);
// The heap; null when the request cannot be met.
std::unique_ptr<unsigned char[]> allocate_copy_buffer(size_t size);

// Writes sample `index` of the bank as its WAV file in the current
// directory. The record is checked before the file is created, so a damaged
// record leaves no file behind.
ExtractResult extract_sample(BankReader& bank, FileSystem& file_system,
                             uint32_t index,
                             BufferAllocator allocate = allocate_copy_buffer);

#endif  // VONTRALE_WAV_SAMPLE_EXTRACTOR_H_
