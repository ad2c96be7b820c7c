// Graphics surfaces: plain pixel buffers in memory with a table of row
// starts, not tied to any window; and Blit, a rectangle copy between two
// device contexts.
#pragma once

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

// Copies the width x height rectangle at (sourceX, sourceY) of `source` to
// (x, y) of `target` unchanged. The outcome is not reported.
void Blit(plat::DrawContext* target, int x, int y, plat::DrawContext* source, int sourceX,
          int sourceY, int width, int height);
