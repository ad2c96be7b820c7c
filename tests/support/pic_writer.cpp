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

}  // namespace testsupport
