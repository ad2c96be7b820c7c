// Picture sets as the authoring tool writes them, laid out as
// picture_format.h describes, and the pictures it reads from bitmaps.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "picture_format.h"

namespace disc {

using alib::kPictureAttributeBytes;

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

using alib::kMaxPictureSide;
using alib::PictureShape;

// True when a picture of `width` x `height` pixels is within 1 to
// alib::kMaxPictureSide each way; otherwise false with `error` saying so.
bool PictureSidesFit(int64_t width, int64_t height, std::string* error);

// The attributes this tool writes.
std::string PictureAttributes(uint16_t width, uint16_t height, uint16_t bitsPerPixel);

// Fills `*shape` from `attributes` (all zeros when they are shorter than
// its fields) and returns true when it is a picture the installer shows
// (alib::PictureShapeFrom): 1 to alib::kMaxPictureSide pixels each way, 16, 24 or
// 32 bits per pixel, and exactly `unpackedSize` bytes of pixels.
bool PictureShapeOf(const std::string& attributes, uint32_t unpackedSize, alib::PictureShape* shape);

// Reads an uncompressed Windows bitmap of 16, 24 or 32 bits per pixel (with
// colour masks of contiguous bits, or without: then 16 bits are 5-5-5) into
// a picture of the same depth in the layout above. False with `error` set
// when the bytes are no such bitmap or its headers do not fit the file.
bool PictureFromBmp(const std::string& bmp, PictureData* picture, std::string* error);

}  // namespace disc
