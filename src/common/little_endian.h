#ifndef VONTRALE_COMMON_LITTLE_ENDIAN_H_
#define VONTRALE_COMMON_LITTLE_ENDIAN_H_

#include <cstdint>

// The bank and the WAV header store every number as an unsigned 32-bit
// little-endian value. Assembling the bytes with shifts works on any host,
// whatever its own byte order.

inline uint32_t load_u32_le(const unsigned char* bytes) {
  return static_cast<uint32_t>(bytes[0]) |
         static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 |
         static_cast<uint32_t>(bytes[3]) << 24;
}

inline void store_u32_le(unsigned char* bytes, uint32_t value) {
  bytes[0] = static_cast<unsigned char>(value);
  bytes[1] = static_cast<unsigned char>(value >> 8);
  bytes[2] = static_cast<unsigned char>(value >> 16);
  bytes[3] = static_cast<unsigned char>(value >> 24);
}

#endif  // VONTRALE_COMMON_LITTLE_ENDIAN_H_
