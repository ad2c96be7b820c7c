#include "le.h"

namespace discformat {

std::string Le16(uint16_t value) {
  std::string out(2, '\0');
  out[0] = static_cast<char>(value & 0xFF);
  out[1] = static_cast<char>(value >> 8);
  return out;
}

std::string Le32(uint32_t value) {
  std::string out(4, '\0');
  PutLe32(&out, 0, value);
  return out;
}

void PutLe32(std::string* bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) (*bytes)[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t GetLe32(const void* bytes) {
  const unsigned char* p = static_cast<const unsigned char*>(bytes);
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint16_t GetLe16(const void* bytes) {
  const unsigned char* p = static_cast<const unsigned char*>(bytes);
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

}  // namespace discformat
