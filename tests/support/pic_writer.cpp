#include "pic_writer.h"

#include "apkg_writer.h"
#include "disc_writer.h"
#include "scratch.h"

namespace testsupport {

std::string PictureRecord(const std::string& attributes, uint32_t unpackedSize,
                          uint32_t packedSize, const std::string& packed) {
  std::string out = attributes.substr(0, 14);
  out.resize(14, '\0');
  out += Le32(unpackedSize);
  out += Le32(packedSize);
  out += packed;
  return out;
}

std::string PictureRecord(const TestPicture& picture) {
  if (picture.pixels.empty()) return PictureRecord(picture.attributes, 0, 0, "");
  std::string packed = Deflate(picture.pixels);
  return PictureRecord(picture.attributes, static_cast<uint32_t>(picture.pixels.size()),
                       static_cast<uint32_t>(packed.size()), packed);
}

std::string PictureIndex(int32_t count, const std::vector<uint32_t>& offsets) {
  std::string out = Le32(static_cast<uint32_t>(count));
  for (uint32_t offset : offsets) out += Le32(offset);
  return out;
}

PictureSet BuildPictureSet(const std::vector<TestPicture>& pictures) {
  PictureSet set;
  set.pic1 = "PIC1";
  for (const TestPicture& picture : pictures) {
    set.offsets.push_back(static_cast<uint32_t>(set.pic1.size()));
    set.pic1 += PictureRecord(picture);
  }
  set.idx1 = PictureIndex(static_cast<int32_t>(pictures.size()), set.offsets);
  return set;
}

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
