// The pictures a publisher gives the build: Windows bitmaps and PNG files,
// told apart by their first bytes, read into the layouts of pictures.h.
// Both come from outside and are untrusted.
#pragma once

#include <string>

#include "pictures.h"

namespace gamedisc {

// The dialogs' face colour, over which PNG transparency is laid.
constexpr unsigned kDialogFace = 0xF0;

// A PNG file (by its signature) or a bitmap (PictureFromBmp). A PNG becomes
// a 24-bit picture; where it is transparent, the face colour shows through.
// False with `error` set when the bytes are neither or cannot be read.
bool PictureFromFile(const std::string& bytes, disc::PictureData* picture, std::string* error);

// Rows of 8-bit B G R A pixels, top first, without padding; A is straight
// (not multiplied into the colours).
struct BgraImage {
  int width = 0;
  int height = 0;
  std::string pixels;
};

// The build's PNG decoder: libpng on Linux (picture_png_host.cpp), the
// system's imaging component on Windows (picture_png_win32.cpp). Palettes
// and grey are expanded, 16-bit channels cut to their high byte, no gamma
// applied, so that both builds store the same bytes. Refuses sizes outside
// 1 to alib::kMaxPictureSide before any pixel is read. False with `error` set.
bool DecodePng(const std::string& png, BgraImage* image, std::string* error);

}  // namespace gamedisc
