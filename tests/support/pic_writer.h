// Picture sets for tests: the tool's picture-set writer, files beside each
// other on disk, and sample pictures.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "pictures.h"

namespace testsupport {

using TestPicture = disc::PictureData;
using disc::BuildPictureSet;
using disc::PictureIndex;
using disc::PictureRecord;
using disc::PictureSet;

// Writes set.pic1 and set.idx1 beside each other as NATIVEBASE.pic1 and
// NATIVEBASE.idx1 (missing folders are made).
void WritePictureSet(const std::string& nativeBase, const PictureSet& set);
// `n` pictures with distinct attributes and pixels ("pixels of N" repeated):
// records setup loads but cannot show.
std::vector<TestPicture> SamplePictures(int n);
// A picture as the tool writes one, `width` x `height` at 16, 24 or 32 bits
// per pixel, each pixel coloured by `colour(x, y)` (0xRRGGBB).
TestPicture PaintedPicture(int width, int height, int bits, const std::function<uint32_t(int, int)>& colour);

}  // namespace testsupport
