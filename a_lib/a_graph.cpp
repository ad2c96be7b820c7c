#include "a_graph.h"

#include <cstdint>

#include "a_mem.h"

Surface::~Surface() { Release(); }

void Surface::Create(int newWidth, int newHeight, int newBitsPerPixel, void* newPixels) {
  Release();
  width = newWidth;
  height = newHeight;
  bitsPerPixel = newBitsPerPixel;
  // In 64 bits, so that no size wraps into a small block with rows beyond it.
  const int64_t rowBytes = (static_cast<int64_t>(width) * bitsPerPixel / 8 + 3) & ~static_cast<int64_t>(3);
  const int64_t totalBytes = rowBytes * height;
  pixels = nullptr;
  if (width < 0 || height < 0 || bitsPerPixel < 0 || totalBytes > INT32_MAX) {
    pitch = 0;
    return;
  }
  pitch = static_cast<int>(rowBytes);
  if (newPixels == nullptr) {
    pixels = static_cast<unsigned char*>(A_ALLOC(static_cast<int>(totalBytes)));
    ownsPixels = pixels != nullptr ? 1 : 0;
  } else {
    pixels = static_cast<unsigned char*>(newPixels);
  }
  BuildRows();
}

void Surface::BuildRows() {
  if (rows != nullptr) A_FREE(rows);
  rows = nullptr;
  const int64_t tableBytes = static_cast<int64_t>(sizeof(unsigned char*)) * height;
  if (pixels == nullptr || height < 0 || tableBytes > INT32_MAX) return;
  rows = static_cast<unsigned char**>(A_ALLOC(static_cast<int>(tableBytes)));
  if (rows == nullptr) return;
  for (int i = 0; i < height; ++i) rows[i] = pixels + static_cast<int64_t>(pitch) * i;
}

void Surface::Release() {
  if (ownsPixels) {
    A_FREE(pixels);
    ownsPixels = 0;
    pixels = nullptr;
  }
  if (rows != nullptr) {
    A_FREE(rows);
    rows = nullptr;
  }
}

void Blit(plat::DrawContext* target, int x, int y, plat::DrawContext* source, int sourceX,
          int sourceY, int width, int height) {
  plat::BitBlt(target, x, y, width, height, source, sourceX, sourceY);
}
