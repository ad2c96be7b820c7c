// Picture sets: BASE.pic1 holds the picture records, BASE.idx1 the offset of
// each record in it.
//
//   .idx1   0: count   4 + 4 x i: offset of record i in .pic1
//   record  0: attributes (14 bytes)  14: unpackedSize  18: packedSize
//           22: the pixels as one zlib stream (packedSize bytes; 0 = none)
// All numbers 32-bit little-endian.
//
// The installer keeps the attributes without reading them. This tool fills
// them as width, height and bits per pixel (16-bit little-endian each) and
// eight zero bytes, and stores the pixels as top-down rows without padding.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace discformat {

constexpr size_t kPictureAttributeBytes = 14;

struct PictureData {
  std::string attributes;  // at most 14 bytes, zero-padded when stored
  std::string pixels;      // plain bytes; empty gives a record without data
};

struct PictureSet {
  std::string pic1;
  std::string idx1;
  std::vector<uint32_t> offsets;  // where each record starts in pic1
};

// A record with the sizes given, whatever `packed` really holds.
std::string PictureRecord(const std::string& attributes, uint32_t unpackedSize,
                          uint32_t packedSize, const std::string& packed);
// A well-formed record of `picture`.
std::string PictureRecord(const PictureData& picture);
// An index with the count field `count` followed by `offsets`.
std::string PictureIndex(int32_t count, const std::vector<uint32_t>& offsets);
// A well-formed set: four lead-in bytes (so that no offset is 0), the records
// back to back, and their index.
PictureSet BuildPictureSet(const std::vector<PictureData>& pictures);

// The attributes this tool writes.
std::string PictureAttributes(uint16_t width, uint16_t height, uint16_t bitsPerPixel);

// Reads an uncompressed Windows bitmap (16, 24 or 32 bits per pixel) into a
// picture. False with `error` set when the bytes are no such bitmap or its
// sizes do not fit the file.
bool PictureFromBmp(const std::string& bmp, PictureData* picture, std::string* error);

// A plain 16-bit (5-6-5) picture of `width` x `height`: a vertical blend
// from `top` to `bottom` (0xRRGGBB), for discs that bring no pictures.
PictureData BlendPicture(uint16_t width, uint16_t height, uint32_t top, uint32_t bottom);

}  // namespace discformat
