#include "bank_builder.h"

#include <fstream>

namespace {

void append_u16_le(Bytes& bytes, uint16_t value) {
  bytes.push_back(static_cast<unsigned char>(value));
  bytes.push_back(static_cast<unsigned char>(value >> 8));
}

void append_text(Bytes& bytes, const char* text) {
  for (; *text; ++text)
    bytes.push_back(static_cast<unsigned char>(*text));
}

void append(Bytes& bytes, const Bytes& more) {
  bytes.insert(bytes.end(), more.begin(), more.end());
}

// An 8-bit unsigned PCM triangle tone with a linear fade in and out, in
// integers only, so the bank comes out the same on every machine.
Bytes tone(uint32_t sample_rate, uint32_t frequency, uint32_t frames) {
  Bytes data;
  const uint32_t fade = frames / 8;
  for (uint32_t n = 0; n < frames; ++n) {
    uint32_t phase = (n * frequency * 4) % (sample_rate * 4);  // 4 = a period
    int64_t quarter = sample_rate;
    int64_t wave = phase < 2 * quarter ? int64_t(phase) - quarter
                                       : 3 * quarter - int64_t(phase);
    int64_t level = 100 * wave / quarter;  // -100 .. 100
    uint32_t edge = n < fade                ? n
                    : frames - 1 - n < fade ? frames - 1 - n
                                            : fade;
    level = level * edge / fade;
    data.push_back(static_cast<unsigned char>(128 + level));
  }
  return data;
}

}  // namespace

void put_u32_le(Bytes& bytes, size_t position, uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    bytes[position + i] = static_cast<unsigned char>(value >> (8 * i));
  }
}

void append_u32_le(Bytes& bytes, uint32_t value) {
  bytes.resize(bytes.size() + 4);
  put_u32_le(bytes, bytes.size() - 4, value);
}

Bytes pcm_format(uint16_t channels, uint32_t sample_rate,
                 uint16_t bits_per_sample) {
  Bytes format;
  uint16_t block_align = static_cast<uint16_t>(channels * bits_per_sample / 8);
  append_u16_le(format, 1);  // format tag: PCM
  append_u16_le(format, channels);
  append_u32_le(format, sample_rate);
  append_u32_le(format, sample_rate * block_align);  // bytes per second
  append_u16_le(format, block_align);
  append_u16_le(format, bits_per_sample);
  return format;
}

BankBuilder& BankBuilder::add(const Bytes& format, const Bytes& data) {
  samples_.push_back({format, data});
  return *this;
}

uint32_t BankBuilder::record_position(size_t index) const {
  size_t position = 8 + 4 * samples_.size();
  for (size_t i = 0; i < index; ++i) {
    position += 22 + samples_[i].data.size();
  }
  return static_cast<uint32_t>(position);
}

Bytes bank_header(uint32_t format_id, uint32_t count) {
  Bytes header;
  append_u32_le(header, format_id);
  append_u32_le(header, count);
  return header;
}

Bytes record_bytes(const Bytes& format, const Bytes& data,
                   unsigned char filler) {
  Bytes record = format;
  record.push_back(filler);
  record.push_back(filler);
  append_u32_le(record, static_cast<uint32_t>(data.size()));
  append(record, data);
  return record;
}

Bytes BankBuilder::build(unsigned char filler) const {
  Bytes bank = bank_header(1, static_cast<uint32_t>(samples_.size()));
  for (size_t i = 0; i < samples_.size(); ++i) {
    append_u32_le(bank, record_position(i));
  }
  for (const Sample& sample : samples_) {
    append(bank, record_bytes(sample.format, sample.data, filler));
  }
  return bank;
}

Bytes wav_file(const Bytes& format, const Bytes& data) {
  Bytes wav;
  append_text(wav, "RIFF");
  append_u32_le(wav, static_cast<uint32_t>(36 + data.size()));
  append_text(wav, "WAVE");
  append_text(wav, "fmt ");
  append_u32_le(wav, 16);
  append(wav, format);
  append_text(wav, "data");
  append_u32_le(wav, static_cast<uint32_t>(data.size()));
  append(wav, data);
  return wav;
}

bool write_file(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

Bytes BankBuilder::wav(size_t index) const {
  return wav_file(format(index), data(index));
}

BankBuilder demo_bank() {
  const uint32_t rate = 8000;
  BankBuilder bank;
  // C5, E5, G5 and C6, a fifth of a second each.
  for (uint32_t frequency : {523u, 659u, 784u, 1047u}) {
    bank.add(pcm_format(1, rate, 8), tone(rate, frequency, rate / 5));
  }
  return bank;
}
