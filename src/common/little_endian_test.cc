#include "common/little_endian.h"

#include <gtest/gtest.h>

TEST(LittleEndian, LoadsAndStoresLeastSignificantByteFirst) {
  struct Case {
    unsigned char bytes[4];
    uint32_t value;
  };
  const Case cases[] = {
      {{0x01, 0x00, 0x00, 0x00}, 1},
      {{0x00, 0x00, 0x00, 0x01}, 0x01000000},
      {{0x78, 0x56, 0x34, 0x12}, 0x12345678},
      {{0xff, 0xff, 0xff, 0xff}, 0xffffffff},
      {{0x00, 0x00, 0x00, 0x80}, 0x80000000},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(load_u32_le(c.bytes), c.value);
    unsigned char stored[4];
    store_u32_le(stored, c.value);
    EXPECT_EQ(0, memcmp(stored, c.bytes, 4)) << std::hex << c.value;
  }
}
