// The decompressor behind Unpack, chosen by the build: zlib's inflate, or
// libdeflate's zlib-format decompressor where the platform has it. Both
// take exactly the same streams and report damage the same way. The CRC-32
// comes from the same library.
#pragma once

#include <cstddef>
#include <cstdint>

// Decompresses `source`, which must be exactly one zlib stream (header,
// deflate data, Adler-32), into `destination` of `*destinationLength`
// bytes. Returns zlib's codes: Z_OK with the bytes produced in
// `*destinationLength`; Z_BUF_ERROR when the output does not fit;
// Z_DATA_ERROR (or Z_BUF_ERROR, for a stream cut short) when the stream is
// damaged or followed by further bytes. On failure `*destinationLength`
// says nothing useful. Not for two callers at once: Unpack guards it.
int InflateWhole(unsigned char* destination, unsigned long* destinationLength,
                 const unsigned char* source, unsigned long sourceLength);

// The CRC-32 (zlib's, of gzip and PNG) of `crc`'s bytes followed by the
// `length` bytes at `data`; start with 0.
uint32_t UpdateCrc32(uint32_t crc, const void* data, size_t length);
