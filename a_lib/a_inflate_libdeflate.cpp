#include <libdeflate.h>
#include <zlib.h>

#include "a_inflate.h"

int InflateWhole(unsigned char* destination, unsigned long* destinationLength,
                 const unsigned char* source, unsigned long sourceLength) {
  // One decompressor for the whole run: its tables are set up once. It is
  // the library's own working memory, like zlib's, and lives until exit.
  static libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
  if (decompressor == nullptr) return Z_MEM_ERROR;
  size_t consumed = 0, produced = 0;
  libdeflate_result r = libdeflate_zlib_decompress_ex(decompressor, source, sourceLength, destination,
                                                      *destinationLength, &consumed, &produced);
  switch (r) {
    case LIBDEFLATE_SUCCESS:
      *destinationLength = static_cast<unsigned long>(produced);
      return consumed == sourceLength ? Z_OK : Z_DATA_ERROR;
    case LIBDEFLATE_INSUFFICIENT_SPACE:
      return Z_BUF_ERROR;
    default:
      return Z_DATA_ERROR;
  }
}

uint32_t UpdateCrc32(uint32_t crc, const void* data, size_t length) {
  return libdeflate_crc32(crc, data, length);
}
