#include "pictures.h"

#include <algorithm>

#include "little_endian.h"
#include "records.h"

namespace disc {

std::string PictureRecord(const std::string& attributes, uint32_t unpackedSize,
                          uint32_t packedSize, const std::string& packed) {
  std::string out(alib::kPictureRecordHeaderBytes, '\0');
  out.replace(0, std::min(attributes.size(), alib::kPictureAttributeBytes), attributes, 0, alib::kPictureAttributeBytes);
  alib::PutLe32(&out, alib::kPictureUnpackedSizeAt, unpackedSize);
  alib::PutLe32(&out, alib::kPicturePackedSizeAt, packedSize);
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
  std::string out = alib::Le32(static_cast<uint32_t>(count));
  for (uint32_t offset : offsets) out += alib::Le32(offset);
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
  std::string out(alib::kPictureAttributeBytes, '\0');
  out.replace(alib::kPictureWidthAt, 2, alib::Le16(width));
  out.replace(alib::kPictureHeightAt, 2, alib::Le16(height));
  out.replace(alib::kPictureBitsAt, 2, alib::Le16(bitsPerPixel));
  return out;
}

bool PictureSidesFit(int64_t width, int64_t height, std::string* error) {
  if (width >= 1 && width <= alib::kMaxPictureSide && height >= 1 && height <= alib::kMaxPictureSide) return true;
  *error = "a picture of " + std::to_string(width) + " x " + std::to_string(height) + " pixels; setup takes 1 to " +
           std::to_string(alib::kMaxPictureSide) + " pixels each way";
  return false;
}

bool PictureShapeOf(const std::string& attributes, uint32_t unpackedSize, alib::PictureShape* shape) {
  *shape = alib::PictureShape();
  if (attributes.size() < alib::kPictureShapeBytes) return false;
  return alib::PictureShapeFrom(attributes.data(), unpackedSize, shape);
}

namespace {

// BITMAPFILEHEADER, then BITMAPINFOHEADER or a longer one. The colour masks
// (red, green, blue) follow a 40-byte header; longer headers hold them at
// the same place.
constexpr size_t kFileHeaderBytes = 14;
constexpr size_t kMasksAt = kFileHeaderBytes + 40;
constexpr size_t kMasksBytes = 12;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;

// Where one colour lies in a packed pixel.
struct Channel {
  uint32_t mask;
  int shift;
  uint32_t max;  // the channel's largest value: mask >> shift
};

// False when `mask` is empty or its bits are not contiguous.
bool MakeChannel(uint32_t mask, Channel* c) {
  if (mask == 0) return false;
  c->mask = mask;
  c->shift = 0;
  while (((mask >> c->shift) & 1) == 0) ++c->shift;
  c->max = mask >> c->shift;
  return (c->max & (c->max + 1)) == 0;
}

// The channel of `pixel` scaled to 0..`outMax`, rounded; the same value
// when the channel has that range already.
uint32_t Scale(uint32_t pixel, const Channel& c, uint32_t outMax) {
  const uint64_t v = (pixel & c.mask) >> c.shift;
  return static_cast<uint32_t>((v * outMax + c.max / 2) / c.max);
}

// A row of packed pixels of `bits` bits (16 or 32) with the channels `rgb`,
// as 5-6-5 words (16) or B G R 0 (32).
void ConvertRow(const char* in, int width, int bits, const Channel (&rgb)[3], std::string* out) {
  for (int x = 0; x < width; ++x) {
    if (bits == 16) {
      const uint32_t v = alib::LoadLe16(in + 2 * x);
      *out += alib::Le16(static_cast<uint16_t>(Scale(v, rgb[0], 31) << 11 | Scale(v, rgb[1], 63) << 5 | Scale(v, rgb[2], 31)));
    } else {
      const uint32_t v = alib::LoadLe32(in + 4 * x);
      *out += static_cast<char>(Scale(v, rgb[2], 255));
      *out += static_cast<char>(Scale(v, rgb[1], 255));
      *out += static_cast<char>(Scale(v, rgb[0], 255));
      *out += '\0';
    }
  }
}

}  // namespace

bool PictureFromBmp(const std::string& bmp, PictureData* picture, std::string* error) {
  if (bmp.size() < kMasksAt || bmp[0] != 'B' || bmp[1] != 'M') {
    *error = "not a Windows bitmap (.bmp)";
    return false;
  }
  const char* p = bmp.data();
  const uint32_t pixelOffset = alib::LoadLe32(p + 10);
  const uint32_t infoSize = alib::LoadLe32(p + 14);
  const int32_t width = static_cast<int32_t>(alib::LoadLe32(p + 18));
  const int32_t height = static_cast<int32_t>(alib::LoadLe32(p + 22));
  const uint16_t bits = alib::LoadLe16(p + 28);
  const uint32_t compression = alib::LoadLe32(p + 30);
  const bool bitfields = compression == kBiBitfields && (bits == 16 || bits == 32);
  if (infoSize < 40 || (compression != kBiRgb && !bitfields)) {
    *error = "a compressed or unusual bitmap; save it uncompressed";
    return false;
  }
  if (bits != 16 && bits != 24 && bits != 32) {
    *error = "a bitmap of " + std::to_string(bits) + " bits per pixel; use 16, 24 or 32";
    return false;
  }
  // The headers, the masks of a 40-byte one included, end where the pixels
  // may begin.
  if (bitfields && infoSize != 40 && infoSize < 40 + kMasksBytes) {
    *error = "the bitmap's header is too short for its colour masks";
    return false;
  }
  const uint64_t headersEnd = kFileHeaderBytes + uint64_t{infoSize} + (bitfields && infoSize == 40 ? kMasksBytes : 0);
  if (headersEnd > bmp.size()) {
    *error = "the bitmap's headers do not fit in its file";
    return false;
  }
  if (pixelOffset < headersEnd) {
    *error = "the bitmap's pixels overlap its headers";
    return false;
  }
  const bool bottomUp = height > 0;
  const int64_t rows = bottomUp ? height : -static_cast<int64_t>(height);
  if (!PictureSidesFit(width, rows, error)) return false;
  const uint64_t rowBytes = static_cast<uint64_t>(width) * (bits / 8);
  const uint64_t stride = (rowBytes + 3) / 4 * 4;
  if (pixelOffset > bmp.size() || stride * static_cast<uint64_t>(rows) > bmp.size() - pixelOffset) {
    *error = "the bitmap's pixels do not fit in its file";
    return false;
  }
  // 16 bits without masks are 5-5-5; 32 bits B G R and a byte unused.
  uint32_t masks[3] = {bits == 16 ? 0x7C00u : 0xFF0000u, bits == 16 ? 0x03E0u : 0xFF00u, bits == 16 ? 0x1Fu : 0xFFu};
  if (bitfields) {
    for (int c = 0; c < 3; ++c) masks[c] = alib::LoadLe32(p + kMasksAt + 4 * c);
  }
  Channel rgb[3];
  const uint64_t pixelMax = bits == 16 ? 0xFFFFu : 0xFFFFFFFFu;
  if (!MakeChannel(masks[0], &rgb[0]) || !MakeChannel(masks[1], &rgb[1]) || !MakeChannel(masks[2], &rgb[2]) ||
      (masks[0] & masks[1]) != 0 || (masks[0] & masks[2]) != 0 || (masks[1] & masks[2]) != 0 ||
      (masks[0] | masks[1] | masks[2]) > pixelMax) {
    *error = "the bitmap's colour masks are empty, overlap, are not contiguous or exceed its pixels; save it as 24 bits";
    return false;
  }
  picture->attributes = PictureAttributes(static_cast<uint16_t>(width), static_cast<uint16_t>(rows), bits);
  picture->pixels.clear();
  picture->pixels.reserve(static_cast<size_t>(rowBytes * static_cast<uint64_t>(rows)));
  for (int64_t r = 0; r < rows; ++r) {
    const int64_t stored = bottomUp ? rows - 1 - r : r;
    const size_t at = static_cast<size_t>(pixelOffset + stored * static_cast<int64_t>(stride));
    if (bits == 24) {
      picture->pixels.append(bmp, at, static_cast<size_t>(rowBytes));
    } else {
      ConvertRow(p + at, width, bits, rgb, &picture->pixels);
    }
  }
  return true;
}

}  // namespace disc
