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
