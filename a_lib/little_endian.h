// Little-endian numbers as the disc's files store them, loaded from and
// stored to bytes whatever the machine's own order and alignment, and the
// writers' strings of them. The caller checks that the bytes are there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace alib {

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

// Overwrites the four bytes at `offset` of `bytes` (which must hold them).
inline void PutLe32(std::string* bytes, size_t offset, uint32_t value) { StoreLe32(&(*bytes)[offset], value); }

inline std::string Le16(uint16_t value) {
  return std::string{static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

inline std::string Le32(uint32_t value) {
  std::string out(4, '\0');
  StoreLe32(&out[0], value);
  return out;
}

}  // namespace alib
