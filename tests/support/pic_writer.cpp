#include "pic_writer.h"

#include "scratch.h"

namespace testsupport {

void WritePictureSet(const std::string& nativeBase, const PictureSet& set) {
  WriteNative(nativeBase + ".pic1", set.pic1);
  WriteNative(nativeBase + ".idx1", set.idx1);
}

std::vector<TestPicture> SamplePictures(int n) {
  std::vector<TestPicture> pictures;
  for (int i = 0; i < n; ++i) {
    std::string pixels;
    for (int r = 0; r < 50 + i; ++r) pixels += "pixels of " + std::to_string(i) + ";";
    pictures.push_back({"attr" + std::to_string(i), pixels});
  }
  return pictures;
}

TestPicture PaintedPicture(int width, int height, int bits, const std::function<uint32_t(int, int)>& colour) {
  TestPicture picture;
  picture.attributes = disc::PictureAttributes(static_cast<uint16_t>(width), static_cast<uint16_t>(height),
                                                     static_cast<uint16_t>(bits));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t c = colour(x, y);
      const unsigned r = c >> 16 & 0xFF, g = c >> 8 & 0xFF, b = c & 0xFF;
      if (bits == 16) {
        const unsigned word = (r >> 3) << 11 | (g >> 2) << 5 | b >> 3;
        picture.pixels += {static_cast<char>(word), static_cast<char>(word >> 8)};
      } else {
        picture.pixels += {static_cast<char>(b), static_cast<char>(g), static_cast<char>(r)};
        if (bits == 32) picture.pixels += '\0';
      }
    }
  }
  return picture;
}

}  // namespace testsupport
