#include <png.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "picture_input.h"

namespace gamedisc {

namespace {

// What libpng's callbacks share: the file in memory and the first error.
struct PngSource {
  const std::string* bytes;
  size_t at;
  char message[160];
};

void ReadFromMemory(png_structp png, png_bytep out, size_t length) {
  PngSource* source = static_cast<PngSource*>(png_get_io_ptr(png));
  if (length > source->bytes->size() - source->at) png_error(png, "the file ends early");
  std::memcpy(out, source->bytes->data() + source->at, length);
  source->at += length;
}

// libpng's error handler must not return: it jumps back to the setjmp of
// the step that failed.
void OnError(png_structp png, png_const_charp message) {
  PngSource* source = static_cast<PngSource*>(png_get_error_ptr(png));
  std::snprintf(source->message, sizeof source->message, "%s", message);
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// The two steps that may jump back keep only plain data in their frames;
// the caller owns every object with a destructor.
bool ReadHeader(png_structp png, png_infop info, png_uint_32* width, png_uint_32* height) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_read_fn(png, png_get_error_ptr(png), ReadFromMemory);
  png_read_info(png, info);
  *width = png_get_image_width(png, info);
  *height = png_get_image_height(png, info);
  return true;
}

bool ReadRows(png_structp png, png_infop info, png_bytepp rows, size_t rowBytes) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_expand(png);  // palette to RGB, grey to 8 bits, a transparent colour to alpha
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_bgr(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != rowBytes) png_error(png, "unexpected row layout");
  png_read_image(png, rows);
  png_read_end(png, nullptr);
  return true;
}

struct ReadStruct {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~ReadStruct() { png_destroy_read_struct(&png, &info, nullptr); }
};

}  // namespace

bool DecodePng(const std::string& bytes, BgraImage* image, std::string* error) {
  PngSource source{&bytes, 0, ""};
  ReadStruct r;
  r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, OnError, OnWarning);
  if (r.png != nullptr) r.info = png_create_info_struct(r.png);
  if (r.info == nullptr) {
    *error = "out of memory for the PNG reader";
    return false;
  }
  png_uint_32 width = 0, height = 0;
  if (!ReadHeader(r.png, r.info, &width, &height)) {
    *error = std::string("not a PNG file that can be read (") + source.message + ")";
    return false;
  }
  if (!disc::PictureSidesFit(width, height, error)) return false;
  image->width = static_cast<int>(width);
  image->height = static_cast<int>(height);
  const size_t rowBytes = size_t{width} * 4;
  image->pixels.assign(rowBytes * height, '\0');
  std::vector<png_bytep> rows(height);
  for (size_t y = 0; y < height; ++y) rows[y] = reinterpret_cast<png_bytep>(&image->pixels[y * rowBytes]);
  if (!ReadRows(r.png, r.info, rows.data(), rowBytes)) {
    *error = std::string("not a PNG file that can be read (") + source.message + ")";
    return false;
  }
  return true;
}

}  // namespace gamedisc
