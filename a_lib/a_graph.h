// Graphics surfaces: plain pixel buffers in memory with a table of row
// starts, not tied to any window; and Blit, a rectangle copy between two
// device contexts.
#pragma once

#include <cstdint>

#include "a_pic.h"
#include "platform.h"

// A pixel buffer of `height` rows, `pitch` bytes apart, top row first. The
// pixel bytes are not interpreted; bitsPerPixel only enters the pitch.
// Construction leaves every field 0; destruction gives back whatever the
// surface still holds (owned pixels and the row table; a caller's pixel
// buffer is never released).
class Surface {
 public:
  Surface() = default;
  ~Surface();
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  // Sets the size and the pitch (width x bitsPerPixel / 8 rounded up to 4
  // bytes) and builds the row table. With `pixels` null the surface gets
  // pitch x height bytes of its own from a_alloc (not cleared); otherwise
  // it draws on the caller's buffer, which must hold pitch x height bytes.
  // Whatever the surface held before is released first. A negative size,
  // one whose byte count does not fit in an int, or refused memory leaves
  // the surface with its sizes but without pixels and rows.
  void Create(int width, int height, int bitsPerPixel, void* pixels);
  // Replaces the row table: rows[i] = pixels + pitch x i. Without pixels
  // there is no row table.
  void BuildRows();
  // Gives back owned pixels and the row table; a second call does nothing.
  void Release();

  int width = 0;
  int height = 0;
  int pitch = 0;
  int bitsPerPixel = 0;
  unsigned char* pixels = nullptr;
  unsigned char** rows = nullptr;
  int ownsPixels = 0;
};

// Colours below are 0xRRGGBB. Surfaces of 16, 24 and 32 bits per pixel hold
// their pixels as pictures do (see alib::PictureShape): RGB 5-6-5 words, B G R
// bytes, or B G R and one unused byte.

// Fills a surface of 16, 24 or 32 bits per pixel with `rgb`; a surface of
// another depth, or without pixels, is left as it is.
void FillSurface(Surface* surface, uint32_t rgb);

// Draws `pixels`, laid out as `shape` says, into the width x height
// rectangle at (x, y) of `target`, converted to the surface's depth. A
// picture drawn at another size is resampled with a box filter: each target
// pixel is the average of the source area it covers, weighted by how much
// of each source pixel lies in it. At its own size it is copied as it is.
// Returns false, and draws nothing, when the rectangle is empty or does not
// lie inside the surface, a depth is not one of the three, or memory for
// the working rows cannot be had.
bool DrawPicture(Surface* target, int x, int y, int width, int height, const unsigned char* pixels,
                 const alib::PictureShape& shape);

// The pixels of a surface as the seam draws them.
plat::PixelBlock PixelsOf(const Surface& surface);

// Copies the width x height rectangle at (sourceX, sourceY) of `source` to
// (x, y) of `target` unchanged. The outcome is not reported.
void Blit(plat::DrawContext* target, int x, int y, plat::DrawContext* source, int sourceX,
          int sourceY, int width, int height);
