// A picture file as a publisher gives it to gamedisc (a PNG or a Windows
// bitmap): whatever the bytes, it is refused with a reason or becomes a
// picture whose attributes agree with its pixels, one that setup shows.
#include <cstdlib>
#include <string>

#include "picture_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  disc::PictureData picture;
  std::string error;
  if (!gamedisc::PictureFromFile(bytes, &picture, &error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  alib::PictureShape shape;
  if (!disc::PictureShapeOf(picture.attributes, static_cast<uint32_t>(picture.pixels.size()), &shape)) {
    std::abort();
  }
  return 0;
}
