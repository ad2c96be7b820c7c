#include "a_graph.h"

#include <cstdint>
#include <cstring>

#include "a_mem.h"
#include "little_endian.h"

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

namespace {

struct Rgb {
  float r, g, b;
};

Rgb ReadPixel(const unsigned char* p, int bits) {
  if (bits == 16) {
    const unsigned word = alib::LoadLe16(p);
    const unsigned r = word >> 11, g = (word >> 5) & 63, b = word & 31;
    // Bit replication, so that 31 and 63 come back as 255.
    return Rgb{static_cast<float>(r << 3 | r >> 2), static_cast<float>(g << 2 | g >> 4),
               static_cast<float>(b << 3 | b >> 2)};
  }
  return Rgb{static_cast<float>(p[2]), static_cast<float>(p[1]), static_cast<float>(p[0])};
}

unsigned Channel(float value, unsigned most) {
  const float scaled = value * static_cast<float>(most) / 255.0f + 0.5f;
  if (scaled <= 0.0f) return 0;
  return scaled >= static_cast<float>(most) ? most : static_cast<unsigned>(scaled);
}

void WritePixel(unsigned char* p, int bits, const Rgb& c) {
  if (bits == 16) {
    const unsigned word = Channel(c.r, 31) << 11 | Channel(c.g, 63) << 5 | Channel(c.b, 31);
    p[0] = static_cast<unsigned char>(word);
    p[1] = static_cast<unsigned char>(word >> 8);
    return;
  }
  p[0] = static_cast<unsigned char>(Channel(c.b, 255));
  p[1] = static_cast<unsigned char>(Channel(c.g, 255));
  p[2] = static_cast<unsigned char>(Channel(c.r, 255));
  if (bits == 32) p[3] = 0;
}

bool Drawable(int bits) { return bits == 16 || bits == 24 || bits == 32; }

// Where target pixel i of `count` begins in a source of `sourceCount`.
double SpanStart(int i, int count, int sourceCount) {
  return static_cast<double>(i) * sourceCount / count;
}

// Source row `row`, averaged over the columns each of `width` target pixels
// covers, into `out` (width entries).
void ResampleRow(const unsigned char* row, const alib::PictureShape& shape, int width, Rgb* out) {
  const int bytes = shape.bitsPerPixel / 8;
  for (int x = 0; x < width; ++x) {
    const double from = SpanStart(x, width, shape.width);
    const double to = SpanStart(x + 1, width, shape.width);
    Rgb sum{0, 0, 0};
    for (int sx = static_cast<int>(from); sx < shape.width && sx < to; ++sx) {
      const float weight = static_cast<float>((sx + 1 < to ? sx + 1 : to) - (sx > from ? sx : from));
      const Rgb c = ReadPixel(row + static_cast<size_t>(sx) * bytes, shape.bitsPerPixel);
      sum.r += weight * c.r;
      sum.g += weight * c.g;
      sum.b += weight * c.b;
    }
    const float span = static_cast<float>(to - from);
    out[x] = Rgb{sum.r / span, sum.g / span, sum.b / span};
  }
}

}  // namespace

void FillSurface(Surface* surface, uint32_t rgb) {
  if (surface->pixels == nullptr || !Drawable(surface->bitsPerPixel)) return;
  const Rgb c{static_cast<float>(rgb >> 16 & 0xFF), static_cast<float>(rgb >> 8 & 0xFF),
              static_cast<float>(rgb & 0xFF)};
  const int bytes = surface->bitsPerPixel / 8;
  for (int y = 0; y < surface->height; ++y) {
    unsigned char* row = surface->pixels + static_cast<size_t>(surface->pitch) * y;
    for (int x = 0; x < surface->width; ++x) WritePixel(row + static_cast<size_t>(x) * bytes, surface->bitsPerPixel, c);
  }
}

bool DrawPicture(Surface* target, int x, int y, int width, int height, const unsigned char* pixels,
                 const alib::PictureShape& shape) {
  if (target->pixels == nullptr || pixels == nullptr || !Drawable(target->bitsPerPixel) ||
      !Drawable(shape.bitsPerPixel) || shape.width < 1 || shape.height < 1) {
    return false;
  }
  if (width < 1 || height < 1 || x < 0 || y < 0 || width > target->width - x || height > target->height - y) {
    return false;
  }
  const int sourceBytes = shape.bitsPerPixel / 8, targetBytes = target->bitsPerPixel / 8;
  const size_t sourcePitch = static_cast<size_t>(shape.width) * sourceBytes;
  auto targetRow = [&](int row) {
    return target->pixels + static_cast<size_t>(target->pitch) * (y + row) + static_cast<size_t>(x) * targetBytes;
  };
  if (width == shape.width && height == shape.height) {
    for (int row = 0; row < height; ++row) {
      const unsigned char* from = pixels + sourcePitch * row;
      unsigned char* to = targetRow(row);
      if (shape.bitsPerPixel == target->bitsPerPixel) {
        std::memcpy(to, from, sourcePitch);
        continue;
      }
      for (int col = 0; col < width; ++col) {
        WritePixel(to + static_cast<size_t>(col) * targetBytes, target->bitsPerPixel,
                   ReadPixel(from + static_cast<size_t>(col) * sourceBytes, shape.bitsPerPixel));
      }
    }
    return true;
  }
  // Two rows of `width` colours: one source row resampled across, and the
  // sum of those for the target row.
  const int64_t rowBytes = static_cast<int64_t>(sizeof(Rgb)) * width;
  if (rowBytes * 2 > INT32_MAX) return false;
  auto* work = static_cast<Rgb*>(A_ALLOC(static_cast<int>(rowBytes * 2)));
  if (work == nullptr) return false;
  Rgb* across = work;
  Rgb* sum = work + width;
  for (int row = 0; row < height; ++row) {
    const double from = SpanStart(row, height, shape.height);
    const double to = SpanStart(row + 1, height, shape.height);
    for (int col = 0; col < width; ++col) sum[col] = Rgb{0, 0, 0};
    for (int sy = static_cast<int>(from); sy < shape.height && sy < to; ++sy) {
      const float weight = static_cast<float>((sy + 1 < to ? sy + 1 : to) - (sy > from ? sy : from));
      ResampleRow(pixels + sourcePitch * sy, shape, width, across);
      for (int col = 0; col < width; ++col) {
        sum[col].r += weight * across[col].r;
        sum[col].g += weight * across[col].g;
        sum[col].b += weight * across[col].b;
      }
    }
    const float span = static_cast<float>(to - from);
    unsigned char* out = targetRow(row);
    for (int col = 0; col < width; ++col) {
      WritePixel(out + static_cast<size_t>(col) * targetBytes, target->bitsPerPixel,
                 Rgb{sum[col].r / span, sum[col].g / span, sum[col].b / span});
    }
  }
  A_FREE(work);
  return true;
}

plat::PixelBlock PixelsOf(const Surface& surface) {
  return plat::PixelBlock{surface.width, surface.height, surface.pitch, surface.bitsPerPixel, surface.pixels};
}
