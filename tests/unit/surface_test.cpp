// Graphics surfaces: pitch, the row table, and who owns the pixels.
#include <cstring>

#include "a_graph.h"
#include "lib_test.h"

namespace {

using testsupport::LibTest;

class SurfaceTest : public LibTest {};

TEST_F(SurfaceTest, PitchIsTheRowRoundedUpToFourBytes) {
  struct Case {
    int width, height, bits, pitch;
  } cases[] = {
      {1, 1, 16, 4}, {3, 2, 24, 12}, {640, 480, 16, 1280}, {2, 3, 16, 4}, {10, 1, 4, 8}, {5, 2, 32, 20},
  };
  for (const Case& c : cases) {
    const int32_t bytes = alloc_size;
    Surface s;
    s.Create(c.width, c.height, c.bits, nullptr);
    EXPECT_EQ(s.pitch, c.pitch) << c.width << "x" << c.bits;
    EXPECT_EQ(s.width, c.width);
    EXPECT_EQ(s.height, c.height);
    EXPECT_EQ(s.bitsPerPixel, c.bits);
    EXPECT_EQ(s.ownsPixels, 1);
    const int32_t rowTable = static_cast<int32_t>(sizeof(unsigned char*)) * c.height;
    EXPECT_EQ(alloc_size - bytes, c.pitch * c.height + 8 + rowTable + 8) << "pixels and row table";
    ASSERT_NE(s.rows, nullptr);
    for (int i = 0; i < c.height; ++i) EXPECT_EQ(s.rows[i], s.pixels + c.pitch * i);
    // The whole block is there to be drawn on (the sanitizer watches).
    std::memset(s.rows[c.height - 1], 0x5A, static_cast<size_t>(c.pitch));
  }
}

TEST_F(SurfaceTest, ACallersBufferIsNeverReleased) {
  unsigned char buffer[4 * 3];
  std::memset(buffer, 7, sizeof buffer);
  {
    Surface s;
    s.Create(2, 3, 16, buffer);
    EXPECT_EQ(s.pixels, buffer);
    EXPECT_EQ(s.ownsPixels, 0);
    EXPECT_EQ(s.rows[2], buffer + 8);
    EXPECT_EQ(liveBlockCount, liveAtStart_ + 1) << "only the row table";
    s.Release();
    EXPECT_EQ(liveBlockCount, liveAtStart_);
    EXPECT_EQ(s.rows, nullptr);
    s.Release();
    s.Create(2, 3, 16, buffer);
  }
  // Destruction gave back the second row table too (the fixture checks).
  EXPECT_EQ(liveBlockCount, liveAtStart_);
  EXPECT_EQ(buffer[11], 7);
  EXPECT_TRUE(Boxes().empty()) << "no block was released twice";
}

TEST_F(SurfaceTest, ReleaseAndCreateAgain) {
  Surface s;
  s.Create(8, 8, 16, nullptr);
  s.Create(4, 2, 16, nullptr);
  EXPECT_EQ(liveBlockCount, liveAtStart_ + 2) << "the first pixels and rows went back";
  EXPECT_EQ(s.pitch, 8);
  s.Release();
  EXPECT_EQ(s.ownsPixels, 0);
  EXPECT_EQ(s.rows, nullptr);
  EXPECT_EQ(liveBlockCount, liveAtStart_);
  s.Release();
  EXPECT_EQ(liveBlockCount, liveAtStart_);
  EXPECT_TRUE(Boxes().empty());
  s.Create(3, 3, 8, nullptr);  // released by destruction
}

// Sizes whose byte count would wrap are refused before the heap is asked.
TEST_F(SurfaceTest, ImpossibleSizesGiveNoPixels) {
  struct Case {
    int width, height, bits;
  } cases[] = {{100000, 100000, 32}, {-1, 10, 16}, {10, -1, 16}, {0x40000000, 1, 16}};
  for (const Case& c : cases) {
    const int32_t allocated = alloc_count;
    Surface s;
    s.Create(c.width, c.height, c.bits, nullptr);
    EXPECT_EQ(s.pixels, nullptr);
    EXPECT_EQ(s.rows, nullptr);
    EXPECT_EQ(s.ownsPixels, 0);
    EXPECT_EQ(alloc_count, allocated);
  }
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(SurfaceTest, RefusedPixelsLeaveNoRows) {
  Surface s;
  a_alloc_fail_after = 0;
  s.Create(4, 4, 16, nullptr);
  a_alloc_fail_after = -1;
  EXPECT_EQ(s.pixels, nullptr);
  EXPECT_EQ(s.rows, nullptr);
  EXPECT_EQ(s.ownsPixels, 0);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].caption, "alloc failure");
}

}  // namespace
