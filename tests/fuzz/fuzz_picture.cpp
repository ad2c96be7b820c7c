// A picture set: the first two bytes give the length of the ".idx1" file,
// the rest is the ".pic1" file. Every picture the index lists is loaded
// into its own buffer, twice, and freed; one that can be shown is first
// drawn into a band as the install-path dialog draws its banner.
#include <cstdlib>

#include "a_pic.h"
#include "fuzz_env.h"
#include "paint.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  fuzzenv::Env& env = fuzzenv::Get();
  size_t indexSize = (static_cast<size_t>(data[0]) | static_cast<size_t>(data[1]) << 8);
  if (indexSize > size - 2) indexSize = size - 2;
  fuzzenv::WriteFile(env.work + "/s.idx1", data + 2, indexSize);
  fuzzenv::WriteFile(env.work + "/s.pic1", data + 2 + indexSize, size - 2 - indexSize);
  int count = PictureCount("T:\\s");
  for (int i = -1; i < count && i < 8; ++i) {
    Picture picture;
    picture.Init();
    picture.Load("T:\\s", i, nullptr);
    picture.Load("T:\\s", i, nullptr);
    alib::PictureShape shape;
    if (ShapeOfPicture(picture, &shape)) {
      // The path dialog's client width, a third of a 768-line screen.
      PictureBand band{355, 0, -1};
      int width = 0;
      FitPicture(shape, band.width, 256, &width, &band.height);
      Surface surface;
      if (!ComposeBand(&surface, PictureBank{&picture, 1}, 0, &band) || band.shown != 0) std::abort();
    }
    picture.Free();
  }
  if (picload_count != picfree_count) std::abort();
  fuzzenv::CheckBalance();
  return 0;
}
