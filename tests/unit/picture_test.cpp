// Pictures: the index, loading into owned and caller's buffers, loading
// twice, the balance counters, damaged sets, and the shape a picture must
// have to be shown.
#include <cstring>
#include <string>
#include <vector>

#include "a_pic.h"
#include "a_util.h"
#include "apkg_writer.h"
#include "disc_writer.h"
#include "lib_test.h"
#include "pic_writer.h"

namespace {

using testsupport::BuildPictureSet;
using testsupport::LibTest;
using testsupport::PictureIndex;
using testsupport::PictureRecord;
using testsupport::PictureSet;
using testsupport::SamplePictures;
using testsupport::TestPicture;

class PictureTest : public LibTest {
 protected:
  void SetUp() override {
    LibTest::SetUp();
    pictures_ = SamplePictures(5);
    PutSet("pics", BuildPictureSet(pictures_));
    base_ = Win("pics");
    picture_.Init();
    loadsAtStart_ = picload_count;
    freesAtStart_ = picfree_count;
  }
  void TearDown() override {
    picture_.Free();
    EXPECT_EQ(picload_count - loadsAtStart_, picfree_count - freesAtStart_)
        << "every owned picture of the test was freed";
    LibTest::TearDown();
  }
  void PutSet(const std::string& base, const PictureSet& set) {
    testsupport::WritePictureSet(Native(base), set);
  }
  std::string Pixels(const Picture& p) const {
    return std::string(static_cast<const char*>(p.pixels), p.header.unpackedSize);
  }
  void ExpectEmpty(const Picture& p, const char* what) const {
    EXPECT_EQ(p.pixels, nullptr) << what;
    EXPECT_EQ(p.ownsPixels, 0) << what;
    EXPECT_EQ(p.header.unpackedSize, 0u) << what;
  }

  std::vector<TestPicture> pictures_;
  std::string base_;
  Picture picture_;
  int32_t loadsAtStart_ = 0;
  int32_t freesAtStart_ = 0;
};

TEST_F(PictureTest, CountAndOffsetsComeFromTheIndex) {
  EXPECT_EQ(PictureCount(base_.c_str()), 5);
  EXPECT_EQ(PictureCount(Win("nothing").c_str()), 0);
  const std::vector<uint32_t> offsets = BuildPictureSet(pictures_).offsets;
  int offset = -7;
  ASSERT_EQ(PictureOffset(base_.c_str(), 4, &offset), 1);
  EXPECT_EQ(offset, static_cast<int>(offsets[4]));
  ASSERT_EQ(PictureOffset(base_.c_str(), 0, &offset), 1);
  EXPECT_EQ(offset, static_cast<int>(offsets[0]));
  offset = -7;
  EXPECT_EQ(PictureOffset(base_.c_str(), 5, &offset), 0);
  EXPECT_EQ(PictureOffset(base_.c_str(), -1, &offset), 0);
  EXPECT_EQ(PictureOffset(Win("nothing").c_str(), 0, &offset), 0);
  EXPECT_EQ(offset, -7) << "left alone when not found";
}

// A damaged count is cut to the offsets the file really holds.
TEST_F(PictureTest, ACountTheIndexCannotHoldIsCut) {
  struct Case {
    const char* what;
    std::string idx1;
    int count;
  } cases[] = {
      {"far more than the file holds", PictureIndex(0x7FFFFFFF, {22, 40}), 2},
      {"one more than the file holds", PictureIndex(3, {22, 40}), 2},
      {"fewer than the file holds", PictureIndex(1, {22, 40}), 1},
      {"negative", PictureIndex(-5, {22, 40}), 0},
      {"a half offset at the end", PictureIndex(9, {22}) + "ab", 1},
      {"shorter than the count field", "ab", 0},
      {"empty", "", 0},
  };
  for (const Case& c : cases) {
    Put("bad.idx1", c.idx1);
    EXPECT_EQ(PictureCount(Win("bad").c_str()), c.count) << c.what;
    int offset = 0;
    EXPECT_EQ(PictureOffset(Win("bad").c_str(), c.count, &offset), 0) << c.what;
  }
}

TEST_F(PictureTest, LoadIntoAnOwnedBuffer) {
  ASSERT_EQ(picture_.Load(base_.c_str(), 3, nullptr), 1);
  EXPECT_EQ(picture_.ownsPixels, 1);
  EXPECT_EQ(Pixels(picture_), pictures_[3].pixels);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(picture_.header.attributes), 5), "attr3");
  EXPECT_EQ(picload_count, loadsAtStart_ + 1);
  EXPECT_EQ(liveBlockCount, liveAtStart_ + 1) << "only the pixels are kept";

  picture_.Free();
  ExpectEmpty(picture_, "after Free");
  EXPECT_EQ(picfree_count, freesAtStart_ + 1);
  EXPECT_EQ(liveBlockCount, liveAtStart_);
  picture_.Free();
  EXPECT_EQ(picfree_count, freesAtStart_ + 1) << "a second Free releases nothing";
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(PictureTest, LoadIntoTheCallersBuffer) {
  std::string buffer(pictures_[1].pixels.size(), '?');
  ASSERT_EQ(picture_.Load(base_.c_str(), 1, &buffer[0]), 1);
  EXPECT_EQ(picture_.pixels, &buffer[0]);
  EXPECT_EQ(picture_.ownsPixels, 0);
  EXPECT_EQ(buffer, pictures_[1].pixels);
  EXPECT_EQ(picload_count, loadsAtStart_);
  EXPECT_EQ(liveBlockCount, liveAtStart_);

  picture_.Free();
  EXPECT_EQ(buffer, pictures_[1].pixels) << "the caller's buffer is not touched";
  EXPECT_EQ(picfree_count, freesAtStart_);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(PictureTest, ARecordWithoutDataLoadsWithoutPixels) {
  PutSet("blank", BuildPictureSet({{"empty", ""}}));
  ASSERT_EQ(picture_.Load(Win("blank").c_str(), 0, nullptr), 1);
  EXPECT_EQ(picture_.pixels, nullptr);
  EXPECT_EQ(picture_.ownsPixels, 0);
  EXPECT_EQ(picload_count, loadsAtStart_);
}

TEST_F(PictureTest, LoadingTwiceIsNotedAndStaysBalanced) {
  ASSERT_EQ(picture_.Load(base_.c_str(), 0, nullptr), 1);
  testing::internal::CaptureStdout();
  ASSERT_EQ(picture_.Load(base_.c_str(), 2, nullptr), 1);
  const std::string printed = testing::internal::GetCapturedStdout();
  const std::string note = "[load second time : " + base_ + " : 2]\n";
  EXPECT_EQ(printed, note);
  EXPECT_EQ(Get("log.txt"), "[load second time : " + base_ + " : 2]\r\n\r\n")
      << "the note's own line break and the log's";
  EXPECT_EQ(Pixels(picture_), pictures_[2].pixels);
  EXPECT_EQ(picload_count, loadsAtStart_ + 2);
  EXPECT_EQ(picfree_count, freesAtStart_ + 1);
  EXPECT_EQ(liveBlockCount, liveAtStart_ + 1);

  // Over a caller's buffer nothing is owned, so nothing is noted.
  picture_.Free();
  std::string buffer(pictures_[0].pixels.size(), '\0');
  ASSERT_EQ(picture_.Load(base_.c_str(), 0, &buffer[0]), 1);
  testing::internal::CaptureStdout();
  ASSERT_EQ(picture_.Load(base_.c_str(), 0, &buffer[0]), 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(Get("log.txt"), "[load second time : " + base_ + " : 2]\r\n\r\n");
}

// A failed load over a record that still owns pixels releases them once and
// leaves the record empty, whatever step it failed at.
TEST_F(PictureTest, AFailedLoadReleasesTheOldPixelsOnce) {
  Put("nopic.idx1", BuildPictureSet(pictures_).idx1);  // an index without its .pic1
  struct Case {
    const char* what;
    std::string base;
    int index;
  } cases[] = {
      {"index out of range", base_, 9},
      {"negative index", base_, -1},
      {"no index file", Win("nothing"), 0},
      {"no .pic1 file", Win("nopic"), 0},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(picture_.Load(base_.c_str(), 1, nullptr), 1) << c.what;
    const int32_t freed = picfree_count;
    EXPECT_EQ(picture_.Load(c.base.c_str(), c.index, nullptr), 0) << c.what;
    ExpectEmpty(picture_, c.what);
    EXPECT_EQ(picfree_count, freed + 1) << c.what;
    EXPECT_EQ(liveBlockCount, liveAtStart_) << c.what;
  }
  EXPECT_TRUE(Boxes().empty()) << "no box: a double release would show one";
}

// Records whose sizes lie are refused before anything is allocated from
// them or unpacked into a buffer.
TEST_F(PictureTest, ADamagedRecordFailsAndLeavesTheRecordEmpty) {
  const std::string packed = testsupport::Deflate(std::string(1000, 'p'));
  const uint32_t packedSize = static_cast<uint32_t>(packed.size());
  const std::string good = PictureRecord("ok", 1000, packedSize, packed);
  struct Case {
    const char* what;
    std::string pic1;
    uint32_t offset;
  } cases[] = {
      {"packed data cut short", "LEAD" + good.substr(0, good.size() - 5), 4},
      {"record header cut short", "LEAD" + good.substr(0, 20), 4},
      {"packedSize beyond the file", "LEAD" + PictureRecord("x", 1000, 0x7FFFFFF0u, packed), 4},
      {"packedSize of 4 GiB", "LEAD" + PictureRecord("x", 1000, 0xFFFFFFFFu, packed), 4},
      {"unpackedSize beyond the bound", "LEAD" + PictureRecord("x", kMaxPictureBytes + 1, packedSize, packed), 4},
      {"unpackedSize of 4 GiB", "LEAD" + PictureRecord("x", 0xFFFFFFFFu, packedSize, packed), 4},
      {"offset beyond the file", "LEAD" + good, 100000},
      {"negative offset", "LEAD" + good, 0xFFFFFFF0u},
  };
  for (const Case& c : cases) {
    Put("bad.pic1", c.pic1);
    Put("bad.idx1", PictureIndex(1, {c.offset}));
    ASSERT_EQ(picture_.Load(base_.c_str(), 0, nullptr), 1) << c.what;
    const int32_t allocated = alloc_count;
    EXPECT_EQ(picture_.Load(Win("bad").c_str(), 0, nullptr), 0) << c.what;
    ExpectEmpty(picture_, c.what);
    EXPECT_EQ(liveBlockCount, liveAtStart_) << c.what;
    std::string buffer(16, 'b');
    EXPECT_EQ(picture_.Load(Win("bad").c_str(), 0, &buffer[0]), 0) << c.what;
    ExpectEmpty(picture_, c.what);
    EXPECT_EQ(buffer, std::string(16, 'b')) << c.what << ": nothing unpacked into it";
    EXPECT_EQ(alloc_count, allocated) << c.what << ": nothing is allocated from sizes that lie";
  }
  EXPECT_TRUE(Boxes().empty());

  // The bound itself is accepted.
  Put("big.pic1", "LEAD" + PictureRecord("x", kMaxPictureBytes, packedSize, packed));
  Put("big.idx1", PictureIndex(1, {4}));
  EXPECT_EQ(picture_.Load(Win("big").c_str(), 0, nullptr), 1);
}

// A broken zlib stream is no load failure: the stored size stays and the
// pixels hold what came out before the damage.
TEST_F(PictureTest, ADamagedStreamStillLoads) {
  const std::string plain(3000, 'd');
  std::string packed = testsupport::Deflate(plain);
  packed[packed.size() - 1] = static_cast<char>(packed[packed.size() - 1] ^ 0x55);  // the check sum
  Put("dmg.pic1", "LEAD" + PictureRecord("x", 3000, static_cast<uint32_t>(packed.size()), packed));
  Put("dmg.idx1", PictureIndex(1, {4}));
  ASSERT_EQ(picture_.Load(Win("dmg").c_str(), 0, nullptr), 1);
  EXPECT_EQ(picture_.ownsPixels, 1);
  EXPECT_EQ(picture_.header.unpackedSize, 3000u);
  EXPECT_EQ(Pixels(picture_), plain) << "all of it came out before the check sum";
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(PictureTest, ASetIsReadFromItsFoldersPackage) {
  const PictureSet set = BuildPictureSet(pictures_);
  Put("setupdata.apkg", testsupport::BuildPackage({{"PROGRESS.IDX1", set.idx1}, {"PROGRESS.PIC1", set.pic1}}));
  const std::string base = Win("setupdata\\progress");
  EXPECT_EQ(PictureCount(base.c_str()), 5);
  ASSERT_EQ(picture_.Load(base.c_str(), 4, nullptr), 1);
  EXPECT_EQ(Pixels(picture_), pictures_[4].pixels);
  EXPECT_EQ(openFileCount, openAtStart_);
}

TEST_F(PictureTest, ABaseTooLongForAPathFindsNothing) {
  const std::string base = Win(std::string(300, 'n'));
  EXPECT_EQ(PictureCount(base.c_str()), 0);
  EXPECT_EQ(picture_.Load(base.c_str(), 0, nullptr), 0);
  ExpectEmpty(picture_, "long base");
}

TEST_F(PictureTest, TheBalanceCheckShowsBothCounts) {
  a_pic_report();
  EXPECT_TRUE(Boxes().empty()) << "balanced";
  ASSERT_EQ(picture_.Load(base_.c_str(), 0, nullptr), 1);
  a_pic_report();
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].caption, "a_pic_load_count != free_count !!");
  EXPECT_EQ(Boxes()[0].text, "picload_count=" + std::to_string(picload_count) +
                                 "\npicfree_count=" + std::to_string(picfree_count));
  EXPECT_EQ(Boxes()[0].owner, nullptr);
  EXPECT_EQ(Boxes()[0].type, plat::kBoxOk);
}

// The one check of a picture's shape, for setup and the tool alike: the
// shape is filled from the attributes whatever the answer.
TEST(PictureShapeTest, OnlyAttributesThatAgreeWithThePixelsCanBeShown) {
  const struct {
    uint16_t width, height, bits;
    uint32_t unpackedSize;
    bool shown;
  } cases[] = {
      {1, 1, 16, 2, true},
      {4096, 1, 24, 12288, true},
      {1, 4096, 32, 16384, true},
      {10, 10, 24, 300, true},
      {0, 1, 24, 0, false},
      {1, 0, 24, 0, false},
      {4097, 1, 24, 12291, false},
      {1, 4097, 24, 12291, false},
      {10, 10, 8, 100, false},
      {10, 10, 15, 200, false},
      {10, 10, 24, 299, false},
      {10, 10, 24, 301, false},
  };
  for (const auto& c : cases) {
    const std::string attributes = disc::PictureAttributes(c.width, c.height, c.bits);
    alib::PictureShape shape;
    EXPECT_EQ(alib::PictureShapeFrom(attributes.data(), c.unpackedSize, &shape), c.shown)
        << c.width << " x " << c.height << ", " << c.bits << " bits, " << c.unpackedSize << " bytes";
    EXPECT_EQ(shape.width, c.width);
    EXPECT_EQ(shape.height, c.height);
    EXPECT_EQ(shape.bitsPerPixel, c.bits);
  }
  // The tool's form of the check takes attributes of any length: too short
  // to hold a shape, it is no picture and the shape stays zero.
  alib::PictureShape shape{1, 1, 16};
  EXPECT_FALSE(disc::PictureShapeOf(disc::PictureAttributes(1, 1, 16).substr(0, 5), 2, &shape));
  EXPECT_EQ(shape.width, 0);
  EXPECT_EQ(shape.bitsPerPixel, 0);
}

}  // namespace
