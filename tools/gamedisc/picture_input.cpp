#include "picture_input.h"

namespace gamedisc {

namespace {

constexpr char kPngSignature[] = "\x89PNG\r\n\x1A\n";

}  // namespace

bool PictureFromFile(const std::string& bytes, disc::PictureData* picture, std::string* error) {
  if (bytes.compare(0, sizeof kPngSignature - 1, kPngSignature) != 0) {
    if (bytes.compare(0, 2, "BM") == 0) return disc::PictureFromBmp(bytes, picture, error);
    *error = "neither a PNG file nor a Windows bitmap (.bmp)";
    return false;
  }
  BgraImage image;
  if (!DecodePng(bytes, &image, error)) return false;
  picture->attributes = disc::PictureAttributes(static_cast<uint16_t>(image.width),
                                                      static_cast<uint16_t>(image.height), 24);
  picture->pixels.clear();
  picture->pixels.reserve(image.pixels.size() / 4 * 3);
  // Laid over the face as the system draws a translucent picture: straight
  // alpha, in the colours' own (gamma-encoded) scale.
  for (size_t i = 0; i + 4 <= image.pixels.size(); i += 4) {
    const unsigned alpha = static_cast<unsigned char>(image.pixels[i + 3]);
    for (size_t c = 0; c < 3; ++c) {
      const unsigned colour = static_cast<unsigned char>(image.pixels[i + c]);
      picture->pixels += static_cast<char>((colour * alpha + kDialogFace * (255 - alpha) + 127) / 255);
    }
  }
  return true;
}

}  // namespace gamedisc
