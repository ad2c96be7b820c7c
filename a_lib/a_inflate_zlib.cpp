#include <zlib.h>

#include "a_inflate.h"

int InflateWhole(unsigned char* destination, unsigned long* destinationLength,
                 const unsigned char* source, unsigned long sourceLength) {
  uLongf length = *destinationLength;
  uLong consumed = sourceLength;
  int result = uncompress2(destination, &length, source, &consumed);
  *destinationLength = length;
  // Bytes after the end of the stream mean the length that framed it was
  // wrong.
  if (result == Z_OK && consumed != sourceLength) result = Z_DATA_ERROR;
  return result;
}

uint32_t UpdateCrc32(uint32_t crc, const void* data, size_t length) {
  const auto* bytes = static_cast<const Bytef*>(data);
  // zlib takes lengths in 32-bit pieces.
  while (length > 0) {
    const uInt piece = length > 0x40000000u ? 0x40000000u : static_cast<uInt>(length);
    crc = static_cast<uint32_t>(crc32(crc, bytes, piece));
    bytes += piece;
    length -= piece;
  }
  return crc;
}
