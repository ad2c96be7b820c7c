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

}  // namespace discformat
