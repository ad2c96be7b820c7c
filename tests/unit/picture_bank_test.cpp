// The picture bank: loading a set, its boxes, damaged indexes and records,
// and the retry on refused memory.
#include <string>
#include <vector>

#include "apkg_writer.h"
#include "paint.h"
#include "pic_writer.h"
#include "setup_test.h"

namespace {

using testsupport::BuildPictureSet;
using testsupport::PictureIndex;
using testsupport::PictureSet;
using testsupport::SamplePictures;
using testsupport::SetupTest;
using testsupport::TestPicture;

class PictureBankTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    pictures_ = SamplePictures(5);
    PutSet("setupdata\\setup", BuildPictureSet(pictures_));
    bank_ = PictureBank{nullptr, 0};
  }
  void TearDown() override {
    if (bank_.pictures != nullptr) FreePictureBank(&bank_);
    SetupTest::TearDown();
  }
  void PutSet(const std::string& base, const PictureSet& set) {
    testsupport::WritePictureSet(Native(base), set);
  }
  std::string Pixels(int k) const {
    const Picture& p = bank_.pictures[k];
    if (p.pixels == nullptr) return "<none>";
    return std::string(static_cast<const char*>(p.pixels), p.header.unpackedSize);
  }
  void ExpectBoxes(const std::vector<std::pair<std::string, std::string>>& expected) const {
    ASSERT_EQ(Boxes().size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(Boxes()[i].text, expected[i].first) << i;
      EXPECT_EQ(Boxes()[i].caption, expected[i].second) << i;
      EXPECT_EQ(Boxes()[i].owner, nullptr) << i;
      EXPECT_EQ(Boxes()[i].type, plat::kBoxOk) << i;
    }
  }

  std::vector<TestPicture> pictures_;
  PictureBank bank_;
};

TEST_F(PictureBankTest, TheWholeSetIsLoadedInOrder) {
  const int32_t loads = picload_count, frees = picfree_count;
  LoadPictureBank(&bank_, "setupdata\\setup", -1, 1);
  ASSERT_NE(bank_.pictures, nullptr);
  ASSERT_EQ(bank_.count, 5);
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(Pixels(k), pictures_[k].pixels) << k;
    EXPECT_EQ(bank_.pictures[k].ownsPixels, 1) << k;
  }
  EXPECT_EQ(picload_count, loads + 5);
  EXPECT_TRUE(Boxes().empty());

  FreePictureBank(&bank_);
  EXPECT_EQ(bank_.pictures, nullptr);
  EXPECT_EQ(bank_.count, 5) << "a release keeps the count";
  EXPECT_EQ(picfree_count, frees + 5);
  EXPECT_EQ(liveBlockCount, liveAtStart_);
}

TEST_F(PictureBankTest, APartOfTheSetIsCutToItsEnd) {
  LoadPictureBank(&bank_, "setupdata\\setup", 3, 10);
  ASSERT_EQ(bank_.count, 2);
  EXPECT_EQ(Pixels(0), pictures_[3].pixels);
  EXPECT_EQ(Pixels(1), pictures_[4].pixels);
  FreePictureBank(&bank_);
  LoadPictureBank(&bank_, "setupdata\\setup", 1, 2);
  ASSERT_EQ(bank_.count, 2);
  EXPECT_EQ(Pixels(1), pictures_[2].pixels);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(PictureBankTest, AMissingSetIsNotFoundAndCannotBeFreed) {
  LoadPictureBank(&bank_, "setupdata\\nothing", -1, 1);
  EXPECT_EQ(bank_.pictures, nullptr);
  FreePictureBank(&bank_);
  ExpectBoxes({{"File not found!! setupdata\\nothing.pic1", "error"}, {"free null error", ""}});
  plat::box_script::Clear();
  FreePictureBank(&bank_);
  ExpectBoxes({{"free null error", ""}});
  EXPECT_EQ(bank_.pictures, nullptr);
}

TEST_F(PictureBankTest, OutOfIndexLeavesTheBankEmptyAndItsCount) {
  Put("setupdata\\progress.pic1", BuildPictureSet(pictures_).pic1);  // no .idx1
  Put("setupdata\\negative.pic1", "x");
  Put("setupdata\\negative.idx1", PictureIndex(-3, {4, 8}));
  struct Case {
    const char* base;
    int32_t first, number;
  } cases[] = {
      {"setupdata\\progress", -1, 1},
      {"setupdata\\negative", -1, 1},
      {"setupdata\\setup", 5, 1},
      {"setupdata\\setup", 0, 0},
      {"setupdata\\setup", 2, -4},
  };
  for (const Case& c : cases) {
    plat::box_script::Clear();
    bank_.count = 7;
    LoadPictureBank(&bank_, c.base, c.first, c.number);
    EXPECT_EQ(bank_.pictures, nullptr) << c.base << " " << c.first;
    EXPECT_EQ(bank_.count, 7) << c.base << " " << c.first;
    ExpectBoxes({{std::string("Out of index!! ") + c.base + ".pic1", "error"}});
  }
  EXPECT_EQ(liveBlockCount, liveAtStart_);
}

TEST_F(PictureBankTest, ASetInTheSetupdataPackageIsFound) {
  const PictureSet set = BuildPictureSet(SamplePictures(2));
  Put("setupdata.apkg", testsupport::BuildPackage({{"PROGRESS.PIC1", set.pic1}, {"PROGRESS.IDX1", set.idx1}}));
  LoadPictureBank(&bank_, "setupdata\\progress", -1, 1);
  ASSERT_EQ(bank_.count, 2);
  EXPECT_EQ(Pixels(1), SamplePictures(2)[1].pixels);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(openFileCount, openAtStart_);
}

// A count far beyond what the index holds neither sizes the array nor makes
// the bank retry for memory: the set is what the file really lists.
TEST_F(PictureBankTest, ADamagedCountIsCutToTheIndex) {
  PictureSet set = BuildPictureSet(SamplePictures(3));
  set.idx1 = PictureIndex(0x7FFFFFFF, set.offsets);
  PutSet("setupdata\\progress", set);
  const int32_t bytes = alloc_size;
  LoadPictureBank(&bank_, "setupdata\\progress", -1, 1);
  ASSERT_EQ(bank_.count, 3);
  EXPECT_LT(alloc_size - bytes, 100000) << "no absurd array";
  EXPECT_TRUE(Boxes().empty());
}

// A record that cannot be loaded keeps its place, empty, and is told once.
TEST_F(PictureBankTest, AFailedPictureIsToldAndKeepsItsPlace) {
  PictureSet set = BuildPictureSet(SamplePictures(3));
  // Picture 1 claims more packed bytes than the file holds.
  testsupport::PutLe32(&set.pic1, set.offsets[1] + 18, 0x00FFFFFF);
  PutSet("setupdata\\progress", set);
  LoadPictureBank(&bank_, "setupdata\\progress", -1, 1);
  ASSERT_EQ(bank_.count, 3);
  ExpectBoxes({{"load error", ""}});
  EXPECT_EQ(Pixels(0), SamplePictures(3)[0].pixels);
  EXPECT_EQ(Pixels(1), "<none>");
  EXPECT_EQ(bank_.pictures[1].header.unpackedSize, 0u);
  EXPECT_EQ(Pixels(2), SamplePictures(3)[2].pixels);
}

// The name exists, but not as a file that opens (here a folder): the set is
// "found", and every picture then fails to load on its own.
TEST_F(PictureBankTest, ASetThatExistsButDoesNotOpen) {
  testsupport::MakeFolderNative(Native("setupdata\\odd.pic1"));
  Put("setupdata\\odd.idx1", PictureIndex(2, {4, 40}));
  LoadPictureBank(&bank_, "setupdata\\odd", -1, 1);
  ASSERT_EQ(bank_.count, 2);
  ExpectBoxes({{"load error", ""}, {"load error", ""}});
  EXPECT_EQ(Pixels(0), "<none>");
  EXPECT_EQ(Pixels(1), "<none>");
}

TEST_F(PictureBankTest, ADamagedStreamRaisesNoBox) {
  PictureSet set = BuildPictureSet(SamplePictures(1));
  set.pic1[set.pic1.size() - 1] = static_cast<char>(set.pic1[set.pic1.size() - 1] ^ 0x0F);
  PutSet("setupdata\\progress", set);
  LoadPictureBank(&bank_, "setupdata\\progress", -1, 1);
  ASSERT_EQ(bank_.count, 1);
  EXPECT_NE(bank_.pictures[0].pixels, nullptr);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(PictureBankTest, RefusedMemoryIsAskedForAgain) {
  a_alloc_fail_after = 0;  // the array's first try
  LoadPictureBank(&bank_, "setupdata\\setup", -1, 1);
  a_alloc_fail_after = -1;
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[0].caption, "alloc failure");
  EXPECT_EQ(Boxes()[1].text, "malloc error");
  EXPECT_EQ(Boxes()[1].caption, "");
  ASSERT_EQ(bank_.count, 5);
  EXPECT_EQ(Pixels(4), pictures_[4].pixels);
  const std::string log = Get("log.txt");
  EXPECT_NE(log.find("error!! a_alloc("), std::string::npos) << log;
  EXPECT_NE(log.find(",paint,"), std::string::npos) << "the bank names its module: " << log;
}

TEST_F(PictureBankTest, AllocOrRetryGivesABlock) {
  a_alloc_fail_after = 0;
  void* block = AllocOrRetry(64);
  a_alloc_fail_after = -1;
  ASSERT_NE(block, nullptr);
  ExpectBoxes({{"size=64 an=" + std::to_string(liveBlockCount - 1) + " as=" + std::to_string(alloc_count - 1),
                "alloc failure"},
               {"malloc error", ""}});
  a_free1(block, "paint_test", __LINE__);
}

// Loading a bank that still holds pictures gives the old ones back first.
TEST_F(PictureBankTest, LoadingOverAFullBankLeaksNothing) {
  const int32_t loads = picload_count, frees = picfree_count;
  LoadPictureBank(&bank_, "setupdata\\setup", -1, 1);
  LoadPictureBank(&bank_, "setupdata\\setup", 2, 1);
  ASSERT_EQ(bank_.count, 1);
  EXPECT_EQ(Pixels(0), pictures_[2].pixels);
  FreePictureBank(&bank_);
  EXPECT_EQ(picload_count - loads, picfree_count - frees);
  EXPECT_EQ(liveBlockCount, liveAtStart_);
  EXPECT_TRUE(Boxes().empty());
}

}  // namespace
