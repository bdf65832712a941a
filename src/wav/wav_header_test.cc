#include "wav/wav_header.h"

#include <gtest/gtest.h>

#include "bank_builder.h"

TEST(WavHeader, HoldsTheFormatBlockAndDataLength) {
  Bytes format = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  for (uint32_t length : {0u, 3u, 70000u}) {
    WavHeader header = make_wav_header(format.data(), length);
    Bytes expected = wav_file(format, Bytes(length, 0));
    expected.resize(kWavHeaderSize);
    EXPECT_EQ(Bytes(header.bytes, header.bytes + kWavHeaderSize), expected)
        << length;
  }
}

TEST(WavHeader, SizeFieldsAreLittleEndianAndCountNoPadByte) {
  Bytes format(16, 0xAB);
  WavHeader header = make_wav_header(format.data(), 3);
  // RIFF size 39 = 3 + 36; data size 3.
  EXPECT_EQ(Bytes(header.bytes + 4, header.bytes + 8), (Bytes{39, 0, 0, 0}));
  EXPECT_EQ(Bytes(header.bytes + 40, header.bytes + 44), (Bytes{3, 0, 0, 0}));

  WavHeader largest = make_wav_header(format.data(), 0xFFFFFFDB);
  EXPECT_EQ(Bytes(largest.bytes + 4, largest.bytes + 8),
            (Bytes{0xff, 0xff, 0xff, 0xff}));
}

TEST(WavHeader, DataMustLeaveRoomForTheRiffSize) {
  const struct {
    uint32_t length;
    bool fits;
  } cases[] = {
      {0, true},           {0x7FFFFFFF, true},
      {0xFFFFFFDB, true},  // RIFF size exactly 0xFFFFFFFF
      {0xFFFFFFDC, false}, {0xFFFFFFFF, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(fits_in_wav(c.length), c.fits) << std::hex << c.length;
  }
}

TEST(WavHeader, SampleFileNamesHaveAtLeastFourDigits) {
  const struct {
    uint32_t index;
    const char* name;
  } cases[] = {
      {0, "sample0000.wav"},
      {7, "sample0007.wav"},
      {9999, "sample9999.wav"},
      {10000, "sample10000.wav"},
      {4294967295u, "sample4294967295.wav"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(sample_file_name(c.index), c.name);
}
