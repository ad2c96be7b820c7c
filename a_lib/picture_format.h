// Picture sets: BASE.pic1 holds the picture records, BASE.idx1 the offset of
// each record in it. The one definition of a picture record's fields and of
// the shape a picture must have to be shown, for the installer and for the
// authoring tool's reader and writer.
//
//   .idx1   0: count (signed)   4 + 4 x i: offset of record i in .pic1
//   record  0: attributes (14 bytes)  14: unpackedSize
//           18: packedSize (0 = no pixel data)
//           22: the pixels as one zlib stream (packedSize bytes)
// All numbers 32-bit little-endian.
//
// The authoring tool fills the attributes as width, height and bits per
// pixel (16-bit little-endian each) and eight zero bytes, and stores the
// pixels as top-down rows without padding: 16 bits are RGB 5-6-5 in
// little-endian words (red in the top bits), 24 bits the bytes B G R,
// 32 bits B G R and a zero byte. Pictures of other makers may hold anything
// there; the installer loads them but does not show them.
//
// a_pic loads pictures with it; the disc library writes them with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "little_endian.h"

namespace alib {

constexpr size_t kPictureAttributeBytes = 14;
constexpr size_t kPictureUnpackedSizeAt = 14;
constexpr size_t kPicturePackedSizeAt = 18;
// The record's fixed part; the packed pixels begin here.
constexpr size_t kPictureRecordHeaderBytes = 22;

// Within the attributes.
constexpr size_t kPictureWidthAt = 0;
constexpr size_t kPictureHeightAt = 2;
constexpr size_t kPictureBitsAt = 4;
constexpr size_t kPictureShapeBytes = 6;

struct PictureRecordHeader {
  unsigned char attributes[kPictureAttributeBytes];  // as stored
  uint32_t unpackedSize;
  uint32_t packedSize;
};

// The fixed part of a record in the kPictureRecordHeaderBytes bytes at
// `bytes`; the sizes are as stored, for the reader to check against its file.
inline PictureRecordHeader LoadPictureRecordHeader(const void* bytes) {
  const auto* p = static_cast<const unsigned char*>(bytes);
  PictureRecordHeader header;
  std::memcpy(header.attributes, p, kPictureAttributeBytes);
  header.unpackedSize = LoadLe32(p + kPictureUnpackedSizeAt);
  header.packedSize = LoadLe32(p + kPicturePackedSizeAt);
  return header;
}

// The largest side of a picture that can be shown.
constexpr int kMaxPictureSide = 4096;

struct PictureShape {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
};

// Fills `*shape` from the first kPictureShapeBytes bytes of `attributes`,
// whatever the answer, and returns true when they describe a picture that
// can be shown: 1 to kMaxPictureSide pixels each way, 16, 24 or 32 bits per
// pixel, and exactly `unpackedSize` bytes of pixels.
inline bool PictureShapeFrom(const void* attributes, uint32_t unpackedSize, PictureShape* shape) {
  const auto* a = static_cast<const unsigned char*>(attributes);
  shape->width = LoadLe16(a + kPictureWidthAt);
  shape->height = LoadLe16(a + kPictureHeightAt);
  shape->bitsPerPixel = LoadLe16(a + kPictureBitsAt);
  const int bits = shape->bitsPerPixel;
  return shape->width >= 1 && shape->width <= kMaxPictureSide && shape->height >= 1 &&
         shape->height <= kMaxPictureSide && (bits == 16 || bits == 24 || bits == 32) &&
         static_cast<uint64_t>(shape->width) * static_cast<uint64_t>(shape->height) * static_cast<uint64_t>(bits / 8) ==
             unpackedSize;
}

}  // namespace alib
