#ifndef VONTRALE_WAV_WAV_HEADER_H_
#define VONTRALE_WAV_WAV_HEADER_H_

#include <cstddef>
#include <cstdint>
#include <string>

// The 44-byte header of a RIFF WAVE file that holds one format chunk, whose
// 16 bytes come from the bank unchanged, and one data chunk.

constexpr size_t kWavHeaderSize = 44;

struct WavHeader {
  unsigned char bytes[kWavHeaderSize];
};

// Whether a data chunk of this many bytes can be described: the RIFF size
// field, data length + 36, must fit in 32 bits.
bool fits_in_wav(uint32_t data_length);

// `format` is the 16-byte format block; fits_in_wav(data_length) holds.
WavHeader make_wav_header(const unsigned char* format, uint32_t data_length);

// "sample0000.wav", "sample0001.wav", ... "sample10000.wav".
std::string sample_file_name(uint32_t index);

#endif  // VONTRALE_WAV_WAV_HEADER_H_
