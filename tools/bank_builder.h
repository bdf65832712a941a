#ifndef VONTRALE_TOOLS_BANK_BUILDER_H_
#define VONTRALE_TOOLS_BANK_BUILDER_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Builds sample banks in code, for the demo bank and the tests' fixtures,
// and the WAV files the tool must make of them. The WAV layout is written
// out here on its own, so that it checks the tool rather than repeats it.

using Bytes = std::vector<unsigned char>;

// A 16-byte PCM format block.
Bytes pcm_format(uint16_t channels, uint32_t sample_rate,
                 uint16_t bits_per_sample);

class BankBuilder {
 public:
  // Adds a sample; `format` is 16 bytes.
  BankBuilder& add(const Bytes& format, const Bytes& data);
  // The header, the offset table, then every record in order, each record's
  // two unread bytes set to `filler`.
  Bytes build(unsigned char filler = 0) const;
  // Where sample `index`'s record lies in what build() gives.
  uint32_t record_position(size_t index) const;

  size_t size() const { return samples_.size(); }
  const Bytes& format(size_t index) const { return samples_[index].format; }
  const Bytes& data(size_t index) const { return samples_[index].data; }
  // The file the tool writes for sample `index`.
  Bytes wav(size_t index) const;

 private:
  struct Sample {
    Bytes format;
    Bytes data;
  };
  std::vector<Sample> samples_;
};

// The 8-byte header alone: format_id and sample_count.
Bytes bank_header(uint32_t format_id, uint32_t count);
// One sample record: the format block, the two unread bytes set to
// `filler`, the data length and the data.
Bytes record_bytes(const Bytes& format, const Bytes& data,
                   unsigned char filler = 0);

void put_u32_le(Bytes& bytes, size_t position, uint32_t value);
void append_u32_le(Bytes& bytes, uint32_t value);

// The file the tool writes for a sample: 44 header bytes and the data.
Bytes wav_file(const Bytes& format, const Bytes& data);

bool write_file(const std::string& path, const Bytes& bytes);

// The small bank of four short tones in examples/demo.sbk.
BankBuilder demo_bank();

#endif  // VONTRALE_TOOLS_BANK_BUILDER_H_
