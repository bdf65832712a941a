#include "wav/wav_header.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "common/little_endian.h"

namespace {

constexpr size_t kFormatChunkSize = 16;
// 36: what follows the RIFF size field, less the data itself ("WAVE",
// the format chunk with its id and size, the data chunk's id and size).
constexpr uint32_t kRiffSizeOverhead = 36;

}  // namespace

bool fits_in_wav(uint32_t data_length) {
  return uint64_t{data_length} + kRiffSizeOverhead <= UINT32_MAX;
}

WavHeader make_wav_header(const unsigned char* format, uint32_t data_length) {
  WavHeader header;
  unsigned char* p = header.bytes;
  std::memcpy(p + 0, "RIFF", 4);
  store_u32_le(p + 4, data_length + kRiffSizeOverhead);
  std::memcpy(p + 8, "WAVEfmt ", 8);  // form type, then the format chunk's id
  store_u32_le(p + 16, kFormatChunkSize);
  std::memcpy(p + 20, format, kFormatChunkSize);
  std::memcpy(p + 36, "data", 4);
  store_u32_le(p + 40, data_length);
  return header;
}

std::string sample_file_name(uint32_t index) {
  char name[32];
  std::snprintf(name, sizeof name, "sample%04" PRIu32 ".wav", index);
  return name;
}
