// Picture sets: BASE.pic1 holds the picture records, BASE.idx1 the offset of
// each record in it.
//
//   .idx1   0: count   4 + 4 x i: offset of record i in .pic1
//   record  0: attributes (14 bytes)  14: unpackedSize  18: packedSize
//           22: the pixels as one zlib stream (packedSize bytes; 0 = none)
// All numbers 32-bit little-endian.
//
// This tool fills the attributes as width, height and bits per pixel (16-bit
// little-endian each) and eight zero bytes, and stores the pixels as top-down
// rows without padding: 16 bits are RGB 5-6-5 in little-endian words (red in
// the top bits), 24 bits the bytes B G R, 32 bits B G R and a zero byte.
// The installer shows a picture only when those attributes agree with its
// unpacked size (PictureShapeOf).
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

// The largest side of a picture, either way.
constexpr int kMaxPictureSide = 4096;

struct PictureShape {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
};

// True when a picture of `width` x `height` pixels is within 1 to
// kMaxPictureSide each way; otherwise false with `error` saying so.
bool PictureSidesFit(int64_t width, int64_t height, std::string* error);

// The attributes this tool writes.
std::string PictureAttributes(uint16_t width, uint16_t height, uint16_t bitsPerPixel);

// Fills `*shape` from `attributes` (zeros where they are shorter) and
// returns true when it is a picture the installer shows: 1 to
// kMaxPictureSide pixels each way, 16, 24 or 32 bits per pixel, and exactly
// `unpackedSize` bytes of pixels.
bool PictureShapeOf(const std::string& attributes, uint32_t unpackedSize, PictureShape* shape);

// Reads an uncompressed Windows bitmap of 16, 24 or 32 bits per pixel (with
// colour masks of contiguous bits, or without: then 16 bits are 5-5-5) into
// a picture of the same depth in the layout above. False with `error` set
// when the bytes are no such bitmap or its headers do not fit the file.
bool PictureFromBmp(const std::string& bmp, PictureData* picture, std::string* error);

}  // namespace discformat
