// Little-endian numbers, as every disc format of the game stores them:
// written here, loaded with the loads all readers of the discs share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "little_endian.h"

namespace discformat {

std::string Le16(uint16_t value);
std::string Le32(uint32_t value);
// Overwrites the four bytes at `offset` of `bytes` (which must hold them).
void PutLe32(std::string* bytes, size_t offset, uint32_t value);
using disc::LoadLe16;
using disc::LoadLe32;

}  // namespace discformat
