#include "pictures.h"

#include "le.h"
#include "records.h"

namespace discformat {

std::string PictureRecord(const std::string& attributes, uint32_t unpackedSize,
                          uint32_t packedSize, const std::string& packed) {
  std::string out = attributes.substr(0, kPictureAttributeBytes);
  out.resize(kPictureAttributeBytes, '\0');
  out += Le32(unpackedSize);
  out += Le32(packedSize);
  out += packed;
  return out;
}

std::string PictureRecord(const PictureData& picture) {
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

PictureSet BuildPictureSet(const std::vector<PictureData>& pictures) {
  PictureSet set;
  set.pic1 = "PIC1";
  for (const PictureData& picture : pictures) {
    set.offsets.push_back(static_cast<uint32_t>(set.pic1.size()));
    set.pic1 += PictureRecord(picture);
  }
  set.idx1 = PictureIndex(static_cast<int32_t>(pictures.size()), set.offsets);
  return set;
}

std::string PictureAttributes(uint16_t width, uint16_t height, uint16_t bitsPerPixel) {
  std::string out = Le16(width) + Le16(height) + Le16(bitsPerPixel);
  out.resize(kPictureAttributeBytes, '\0');
  return out;
}

bool PictureFromBmp(const std::string& bmp, PictureData* picture, std::string* error) {
  // BITMAPFILEHEADER (14 bytes), then at least a BITMAPINFOHEADER (40 bytes).
  if (bmp.size() < 54 || bmp[0] != 'B' || bmp[1] != 'M') {
    *error = "not a Windows bitmap (.bmp)";
    return false;
  }
  const char* p = bmp.data();
  uint32_t pixelOffset = GetLe32(p + 10);
  uint32_t infoSize = GetLe32(p + 14);
  int32_t width = static_cast<int32_t>(GetLe32(p + 18));
  int32_t height = static_cast<int32_t>(GetLe32(p + 22));
  uint16_t bits = GetLe16(p + 28);
  uint32_t compression = GetLe32(p + 30);
  const bool bitfields = compression == 3 && (bits == 16 || bits == 32);
  if (infoSize < 40 || (compression != 0 && !bitfields)) {
    *error = "a compressed or unusual bitmap; save it uncompressed";
    return false;
  }
  if (bits != 16 && bits != 24 && bits != 32) {
    *error = "a bitmap of " + std::to_string(bits) + " bits per pixel; use 16, 24 or 32";
    return false;
  }
  const bool bottomUp = height > 0;
  const int64_t rows = bottomUp ? height : -static_cast<int64_t>(height);
  if (width <= 0 || width > 4096 || rows <= 0 || rows > 4096) {
    *error = "bitmap sizes out of range (1 to 4096 pixels each way)";
    return false;
  }
  const uint64_t rowBytes = static_cast<uint64_t>(width) * (bits / 8);
  const uint64_t stride = (rowBytes + 3) / 4 * 4;
  if (pixelOffset > bmp.size() || stride * static_cast<uint64_t>(rows) > bmp.size() - pixelOffset) {
    *error = "the bitmap's pixels do not fit in its file";
    return false;
  }
  picture->attributes = PictureAttributes(static_cast<uint16_t>(width), static_cast<uint16_t>(rows), bits);
  picture->pixels.clear();
  picture->pixels.reserve(static_cast<size_t>(rowBytes * static_cast<uint64_t>(rows)));
  for (int64_t r = 0; r < rows; ++r) {
    int64_t stored = bottomUp ? rows - 1 - r : r;
    picture->pixels.append(bmp, static_cast<size_t>(pixelOffset + stored * static_cast<int64_t>(stride)),
                           static_cast<size_t>(rowBytes));
  }
  return true;
}

PictureData BlendPicture(uint16_t width, uint16_t height, uint32_t top, uint32_t bottom) {
  PictureData picture;
  picture.attributes = PictureAttributes(width, height, 16);
  for (uint32_t y = 0; y < height; ++y) {
    uint32_t rgb[3];
    for (int c = 0; c < 3; ++c) {
      uint32_t a = (top >> (16 - 8 * c)) & 0xFF;
      uint32_t b = (bottom >> (16 - 8 * c)) & 0xFF;
      rgb[c] = height > 1 ? (a * (height - 1 - y) + b * y) / (height - 1u) : a;
    }
    uint16_t pixel = static_cast<uint16_t>((rgb[0] >> 3) << 11 | (rgb[1] >> 2) << 5 | (rgb[2] >> 3));
    for (uint32_t x = 0; x < width; ++x) picture.pixels += Le16(pixel);
  }
  return picture;
}

}  // namespace discformat
