#include "picture_fit.h"

#include <cstdint>

void FitPicture(const alib::PictureShape& shape, int maxWidth, int maxHeight, int* width, int* height) {
  int64_t w = shape.width, h = shape.height;
  const auto scaled = [](int64_t side, int64_t to, int64_t from) {
    const int64_t n = (side * to + from / 2) / from;
    return n < 1 ? int64_t{1} : n;
  };
  if (maxWidth >= 1 && w > maxWidth) {
    h = scaled(shape.height, maxWidth, shape.width);
    w = maxWidth;
  }
  if (maxHeight >= 1 && h > maxHeight) {
    w = scaled(shape.width, maxHeight, shape.height);
    h = maxHeight;
  }
  *width = static_cast<int>(w);
  *height = static_cast<int>(h);
}
