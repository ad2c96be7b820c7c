// Little-endian numbers, as every disc format of the game stores them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace discformat {

std::string Le16(uint16_t value);
std::string Le32(uint32_t value);
// Overwrites the four bytes at `offset` of `bytes` (which must hold them).
void PutLe32(std::string* bytes, size_t offset, uint32_t value);
uint32_t GetLe32(const void* bytes);
uint16_t GetLe16(const void* bytes);

}  // namespace discformat
