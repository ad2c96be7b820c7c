// The publisher's pictures in the dialogs, over the stand-in's model of
// windows: the banner of the install-path dialog (sizes, depths, scaling,
// pictures that cannot be shown), the slideshow of the progress dialog, and
// whole installs with and without art.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "copy_test.h"
#include "flow_test.h"
#include "host_control.h"
#include "little_endian.h"
#include "path_dialog.h"
#include "records.h"
#include "resource_ids.h"

namespace {

using plat::host::DrawnPixels;
using plat::host::HostWindow;
using testsupport::BuildPictureSet;
using testsupport::TestPicture;

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

// Red, green, blue and white quarters: top left, bottom left, top right,
// bottom right.
TestPicture Quarters(int width, int height, int bits) {
  return testsupport::PaintedPicture(width, height, bits, [=](int x, int y) {
    return x < width / 2 ? (y < height / 2 ? kRed : kGreen) : (y < height / 2 ? kBlue : kWhite);
  });
}

// The face colour as a surface of `bits` holds it.
uint32_t Face(int bits) {
  if (bits != 16) return plat::host::kFaceColour;
  DrawnPixels probe{0, 0, 1, 1, 16, std::string()};
  const unsigned c = plat::host::kFaceColour;
  const auto channel = [](unsigned v, unsigned most) { return (v * most * 2 + 255) / 510; };
  const unsigned word = channel(c >> 16 & 0xFF, 31) << 11 | channel(c >> 8 & 0xFF, 63) << 5 | channel(c & 0xFF, 31);
  probe.bytes = {static_cast<char>(word), static_cast<char>(word >> 8)};
  return probe.ColourAt(0, 0);
}

// ---------------------------------------------------------------------------
// The banner of the install-path dialog
// ---------------------------------------------------------------------------

class BannerTest : public testsupport::SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    plat::host::ResetUi();
    plat::host::SkipSleeps(true);
  }
  void TearDown() override {
    plat::host::SkipSleeps(false);
    plat::host::ResetUi();
    SetupTest::TearDown();
  }
  // Runs the dialog until CANCEL; returns it.
  HostWindow* RunDialog() {
    plat::host::ScriptClick(IDD_PATH, IDC_PATH_CANCEL, 3);
    EXPECT_EQ(RunPathDialog(), 0);
    return plat::host::FindDialog(IDD_PATH);
  }
  // The dialog exactly as its template makes it: its outer height and the
  // tops of its controls, relative to its own.
  static std::vector<int> TemplateLayout() {
    auto ignore = [](void*, plat::Window, unsigned, uintptr_t, intptr_t) -> intptr_t { return 0; };
    plat::Window made = plat::CreateDialogFromTemplate(nullptr, IDD_PATH, nullptr, ignore, nullptr);
    std::vector<int> layout = Layout(plat::host::AsHostWindow(made));
    plat::DestroyWindow(made);
    return layout;
  }
  static std::vector<int> Layout(const HostWindow* dialog) {
    std::vector<int> layout = {dialog->rect.bottom - dialog->rect.top};
    for (const HostWindow* c : dialog->children) layout.push_back(c->rect.top - dialog->rect.top);
    return layout;
  }
};

TEST_F(BannerTest, PictureZeroIsShownAboveTheControlsOrTheDialogStaysAsItsTemplate) {
  // The template's client area is 355 pixels wide; a band may take a third
  // of the 768-pixel screen.
  std::string damaged = disc::PictureRecord(Quarters(100, 40, 24));
  damaged.resize(damaged.size() - 6);
  alib::PutLe32(&damaged, 18, static_cast<uint32_t>(damaged.size() - 22));
  const TestPicture lying = [] {
    TestPicture p = Quarters(100, 40, 24);
    p.pixels.resize(100 * 39 * 3);
    return p;
  }();
  const TestPicture eightBits{disc::PictureAttributes(100, 40, 8), std::string(4000, '\x11')};
  const TestPicture noPixels{disc::PictureAttributes(100, 40, 24), ""};
  struct Case {
    const char* what;
    std::vector<TestPicture> set;  // empty: no set on the disc
    std::string record0;           // a raw record for picture 0 instead
    int band;                      // 0: none
    int x, y, width, height;       // where the picture lies in the band
    int bits;
  };
  const std::vector<Case> cases = {
      {"24 bits at its own size", {Quarters(100, 40, 24), Quarters(10, 10, 16)}, "", 40, 127, 0, 100, 40, 24},
      {"16 bits", {Quarters(100, 40, 16)}, "", 40, 127, 0, 100, 40, 16},
      {"32 bits", {Quarters(100, 40, 32)}, "", 40, 127, 0, 100, 40, 32},
      {"as wide as the dialog", {Quarters(355, 50, 24)}, "", 50, 0, 0, 355, 50, 24},
      {"wider: scaled to the width", {Quarters(710, 80, 24)}, "", 40, 0, 0, 355, 40, 24},
      {"taller than a third of the screen", {Quarters(100, 600, 32)}, "", 256, 156, 0, 43, 256, 32},
      {"attributes that disagree with the pixels", {lying}, "", 0, 0, 0, 0, 0, 0},
      {"8 bits per pixel", {eightBits}, "", 0, 0, 0, 0, 0, 0},
      {"no pixels", {noPixels}, "", 0, 0, 0, 0, 0, 0},
      {"a damaged stream", {}, damaged, 0, 0, 0, 0, 0, 0},
      {"no set on the disc", {}, "", 0, 0, 0, 0, 0, 0},
  };
  const std::vector<int> plain = TemplateLayout();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    plat::host::RemoveHostTree(Native("setupdata"));
    if (!c.record0.empty()) {
      testsupport::WritePictureSet(Native("setupdata\\setup"),
                                   {"PIC1" + c.record0, disc::PictureIndex(1, {4}), {4}});
    } else if (!c.set.empty()) {
      testsupport::WritePictureSet(Native("setupdata\\setup"), BuildPictureSet(c.set));
    }
    HostWindow* dialog = RunDialog();
    ASSERT_NE(dialog, nullptr);
    std::vector<int> grown = plain;
    for (int& v : grown) v += c.band;
    EXPECT_EQ(Layout(dialog), grown) << "the dialog grows by the band, its controls move down by it";
    EXPECT_EQ(dialog->rect.top, (768 - grown[0]) / 2) << "centred again";
    if (c.band == 0) {
      EXPECT_TRUE(dialog->pixelDraws.empty());
      continue;
    }
    ASSERT_FALSE(dialog->pixelDraws.empty());
    for (const DrawnPixels& d : dialog->pixelDraws) {
      EXPECT_EQ(d.bytes, dialog->pixelDraws[0].bytes) << "every paint shows the same band";
    }
    const DrawnPixels& d = dialog->pixelDraws.back();
    EXPECT_EQ(std::make_pair(d.x, d.y), std::make_pair(0, 0));
    EXPECT_EQ(std::make_pair(d.width, d.height), std::make_pair(355, c.band));
    EXPECT_EQ(d.bitsPerPixel, c.bits);
    const int left = c.x + c.width / 4, right = c.x + c.width * 3 / 4;
    const int top = c.y + c.height / 4, bottom = c.y + c.height * 3 / 4;
    EXPECT_EQ(d.ColourAt(left, top), kRed);
    EXPECT_EQ(d.ColourAt(left, bottom), kGreen);
    EXPECT_EQ(d.ColourAt(right, top), kBlue);
    EXPECT_EQ(d.ColourAt(right, bottom), kWhite);
    if (c.x > 0) {
      EXPECT_EQ(d.ColourAt(c.x - 1, top), Face(c.bits)) << "beside the picture: the dialog's face";
      EXPECT_EQ(d.ColourAt(c.x + c.width, top), Face(c.bits));
      EXPECT_EQ(d.ColourAt(c.x, top), kRed) << "the picture's first column";
    }
  }
}

TEST_F(BannerTest, AScaledPictureIsAveragedNotSampled) {
  // One-pixel columns of black and white, halved: every pixel is grey, where
  // picking source pixels would give black or white.
  testsupport::WritePictureSet(
      Native("setupdata\\setup"),
      BuildPictureSet({testsupport::PaintedPicture(710, 20, 24, [](int x, int) { return x % 2 ? kWhite : 0u; })}));
  HostWindow* dialog = RunDialog();
  ASSERT_FALSE(dialog->pixelDraws.empty());
  const DrawnPixels& d = dialog->pixelDraws.back();
  ASSERT_EQ(d.height, 10);
  for (int x : {0, 1, 100, 354}) {
    const uint32_t c = d.ColourAt(x, 5);
    EXPECT_GE(c & 0xFF, 0x7Fu) << x;
    EXPECT_LE(c & 0xFF, 0x80u) << x;
    EXPECT_EQ(c, (c & 0xFF) * 0x010101u) << "grey, not a colour";
  }
}

// ---------------------------------------------------------------------------
// The slideshow of the progress dialog
// ---------------------------------------------------------------------------

class SlideshowTest : public testsupport::CopyTest {
 protected:
  void SetUp() override {
    CopyTest::SetUp();
    plat::host::ResetUi();
  }
  void TearDown() override {
    plat::DestroyWindow(progressView.dialog);
    if (progressView.progressPictures.pictures != nullptr) FreePictureBank(&progressView.progressPictures);
    progressView.progressPictures = PictureBank{nullptr, 0};
    plat::host::ResetUi();
    CopyTest::TearDown();
  }
  static uint32_t ColourOf(int picture) { return static_cast<uint32_t>(picture) << 16 | 0x4080; }
};

// Which picture shows from which percentage, for sets of every size: the
// band is redrawn, in one copy, exactly when the picture's number changes.
TEST_F(SlideshowTest, EachPercentageShowsItsPictureAndOnlyChangesAreDrawn) {
  const auto everyPercent = [](int last) {
    std::vector<std::pair<int, int>> changes;
    for (int p = 0; p <= last; ++p) changes.push_back({p, p});
    return changes;
  };
  struct Case {
    int count;
    std::vector<std::pair<int, int>> changes;  // (percent, picture) as drawn
  };
  const std::vector<Case> cases = {
      {0, {}},
      {1, {{0, 0}}},
      {5, {{0, 0}, {20, 1}, {40, 2}, {60, 3}, {80, 4}}},
      {100, everyPercent(99)},
      {101, everyPercent(100)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("a set of " + std::to_string(c.count));
    ResetEngine();
    plat::host::ResetUi();
    std::vector<TestPicture> set;
    for (int k = 0; k < c.count; ++k) set.push_back(testsupport::PaintedPicture(20, 6 + k % 3, 24, [k](int, int) { return ColourOf(k); }));
    testsupport::WritePictureSet(Native("setupdata\\progress"), BuildPictureSet(set));
    LoadPictureBank(&progressView.progressPictures, "setupdata\\progress", -1, 1);
    progressView.Create(nullptr, IDD_PROGRESS);
    HostWindow* dialog = plat::host::AsHostWindow(progressView.dialog);
    progressView.OpenProgressBand();
    EXPECT_EQ(progressView.band.height, c.count == 0 ? 0 : c.count == 1 ? 6 : 8) << "the tallest picture";

    std::vector<std::pair<int, int>> changes;
    size_t seen = 0;
    for (int p = 0; p <= 100; ++p) {
      if (p == 100) progressView.finished = 1;
      if (p > 0) UpdateProgress(static_cast<uint32_t>(p));
      if (dialog->pixelDraws.size() == seen) continue;
      ASSERT_EQ(dialog->pixelDraws.size(), seen + 1) << "one copy at " << p << "%";
      seen = dialog->pixelDraws.size();
      const DrawnPixels& d = dialog->pixelDraws.back();
      EXPECT_EQ(d.width, 340);
      changes.push_back({p, static_cast<int>(d.ColourAt(170, d.height / 2) >> 16)});
    }
    EXPECT_EQ(changes, c.changes);
    if (c.count == 0) continue;
    // A repaint copies the band again, as it is.
    plat::InvalidateWindow(progressView.dialog, false);
    plat::PumpOne();
    ASSERT_EQ(dialog->pixelDraws.size(), seen + 1);
    EXPECT_EQ(dialog->pixelDraws.back().bytes, dialog->pixelDraws[seen - 1].bytes);
    plat::DestroyWindow(progressView.dialog);
    FreePictureBank(&progressView.progressPictures);
  }
}

TEST_F(SlideshowTest, APictureThatCannotBeShownLeavesTheBandAsItIs) {
  std::vector<TestPicture> set = {testsupport::PaintedPicture(20, 6, 16, [](int, int) { return ColourOf(0); }),
                                  {disc::PictureAttributes(20, 6, 24), "lies"},
                                  testsupport::PaintedPicture(20, 6, 32, [](int, int) { return kBlue; })};
  testsupport::WritePictureSet(Native("setupdata\\progress"), BuildPictureSet(set));
  LoadPictureBank(&progressView.progressPictures, "setupdata\\progress", -1, 1);
  progressView.Create(nullptr, IDD_PROGRESS);
  HostWindow* dialog = plat::host::AsHostWindow(progressView.dialog);
  progressView.OpenProgressBand();
  for (int p = 1; p <= 99; ++p) UpdateProgress(static_cast<uint32_t>(p));
  ASSERT_EQ(dialog->pixelDraws.size(), 2u) << "pictures 0 and 2; 1 is passed over";
  EXPECT_EQ(dialog->pixelDraws[0].bitsPerPixel, 16);
  EXPECT_EQ(dialog->pixelDraws[1].bitsPerPixel, 32) << "the surface takes each picture's depth";
  EXPECT_EQ(dialog->pixelDraws[1].ColourAt(170, 3), kBlue);
}

// ---------------------------------------------------------------------------
// Whole installs
// ---------------------------------------------------------------------------

class ArtFlowTest : public testsupport::FlowTest {};

TEST_F(ArtFlowTest, ArtIsShownAndDamagedArtIsPassedOverWithTheSameInstall) {
  std::string damaged = disc::PictureRecord(Quarters(100, 40, 24));
  damaged[damaged.size() - 2] ^= 0x55;
  struct Case {
    const char* what;
    bool art;
    std::string damagedRecord;
  };
  for (const Case& c : {Case{"with art", true, ""}, Case{"with damaged art", false, damaged}}) {
    SCOPED_TRACE(c.what);
    plat::host::ResetUi();
    plat::host::RemoveHostTree(Native("c\\Program Files"));
    if (c.art) {
      testsupport::WritePictureSet(Native("disc\\setupdata\\setup"), BuildPictureSet({Quarters(300, 60, 24)}));
      testsupport::WritePictureSet(Native("disc\\setupdata\\progress"),
                                   BuildPictureSet({Quarters(340, 50, 16), Quarters(340, 50, 32)}));
    } else {
      for (const char* set : {"setup", "progress"}) {
        testsupport::WritePictureSet(Native(std::string("disc\\setupdata\\") + set),
                                     {"PIC1" + c.damagedRecord, disc::PictureIndex(1, {4}), {4}});
      }
    }
    plat::host::ScriptClick(IDD_PATH, IDC_PATH_OK, 2);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Sucess!!"});
    ExpectArchiveFiles();
    EXPECT_EQ(Game("readme.txt"), "data readme wins\r\n");
    for (int id : {IDD_PATH, IDD_PROGRESS}) {
      const HostWindow* dialog = plat::host::FindDialog(id);
      ASSERT_NE(dialog, nullptr);
      EXPECT_EQ(dialog->pixelDraws.empty(), !c.art) << "dialog " << id;
    }
    plat::box_script::Clear();
  }
}

}  // namespace
