// Little-endian numbers as the disc's files store them, loaded from and
// stored to bytes whatever the machine's own order and alignment. The
// caller checks that the bytes are there.
#pragma once

#include <cstdint>

namespace disc {

inline uint16_t LoadLe16(const void* bytes) {
  const auto* p = static_cast<const unsigned char*>(bytes);
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

inline uint32_t LoadLe32(const void* bytes) {
  const auto* p = static_cast<const unsigned char*>(bytes);
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

inline void StoreLe32(void* bytes, uint32_t value) {
  auto* p = static_cast<unsigned char*>(bytes);
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(value >> (8 * i));
}

}  // namespace disc
