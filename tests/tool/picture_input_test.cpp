// Pictures given to the build: bitmaps of every depth and mask layout and PNG
// files of every colour type into the stored layouts, damaged and lying
// files refused with a reason; the build's report and warnings, the set
// without pictures, and verify's note on pictures setup will not show.
// Runs natively (libpng) and under Wine (the system's imaging component).
#include <algorithm>
#include <string>
#include <vector>

#include "little_endian.h"
#include "picture_input.h"
#include "tool_test.h"
#include "zlib.h"

namespace {

using alib::Le16;
using alib::Le32;

// A bitmap of `bits` bits and `compression`, its info header `infoSize`
// bytes; `masks` follow a 40-byte header or lie inside a longer one.
// `rows` are the stored pixel rows, padded by the caller.
std::string Bmp(uint16_t bits, uint32_t compression, int32_t width, int32_t height, const std::string& rows,
                const std::vector<uint32_t>& masks = {}, uint32_t infoSize = 40) {
  std::string info = alib::Le32(infoSize) + alib::Le32(static_cast<uint32_t>(width)) + alib::Le32(static_cast<uint32_t>(height)) +
                     alib::Le16(1) + alib::Le16(bits) + alib::Le32(compression);
  info.resize(40, '\0');
  for (uint32_t m : masks) info += alib::Le32(m);
  if (infoSize > 40) info.resize(infoSize, '\0');
  return "BM" + alib::Le32(static_cast<uint32_t>(14 + info.size() + rows.size())) + alib::Le32(0) +
         alib::Le32(static_cast<uint32_t>(14 + info.size())) + info + rows;
}

std::string Be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

std::string Chunk(const std::string& type, const std::string& data) {
  const std::string body = type + data;
  return Be32(static_cast<uint32_t>(data.size())) + body +
         Be32(static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
}

// A PNG of `raw` (each row led by its filter byte), with `extra` chunks
// before the pixels.
std::string Png(uint32_t width, uint32_t height, int depth, int colourType, const std::string& raw,
                const std::string& extra = "") {
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(packedSize, '\0');
  compress(reinterpret_cast<Bytef*>(&packed[0]), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
           static_cast<uLong>(raw.size()));
  packed.resize(packedSize);
  const std::string header = Be32(width) + Be32(height) + static_cast<char>(depth) + static_cast<char>(colourType) +
                             std::string(3, '\0');
  return "\x89PNG\r\n\x1A\n" + Chunk("IHDR", header) + extra + Chunk("IDAT", packed) + Chunk("IEND", "");
}

// A black RGB PNG of `width` x `height`.
std::string BlankPng(uint32_t width, uint32_t height) {
  return Png(width, height, 8, 2, std::string(size_t{height} * (1 + width * 3), '\0'));
}

struct Case {
  const char* name;
  std::string file;
  int width, height, bits;  // what is stored; bits 0: refused
  std::string pixelsOrError;
};

void ExpectRead(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    disc::PictureData picture;
    std::string error;
    const bool ok = gamedisc::PictureFromFile(c.file, &picture, &error);
    if (c.bits == 0) {
      EXPECT_FALSE(ok);
      EXPECT_NE(error.find(c.pixelsOrError), std::string::npos) << error;
      continue;
    }
    ASSERT_TRUE(ok) << error;
    EXPECT_EQ(picture.attributes, disc::PictureAttributes(static_cast<uint16_t>(c.width),
                                                                static_cast<uint16_t>(c.height),
                                                                static_cast<uint16_t>(c.bits)));
    EXPECT_EQ(picture.pixels, c.pixelsOrError);
  }
}

TEST(PictureInputTest, BitmapsOfEveryLayoutAreStoredAsSetupReadsThem) {
  const std::vector<uint32_t> k565 = {0xF800, 0x07E0, 0x001F}, k555 = {0x7C00, 0x03E0, 0x001F};
  const std::string px555 = alib::Le16(0x7C1F) + alib::Le16(0x0200);  // red and blue full; green 16 of 31
  const std::string px565 = alib::Le16(0xF81F) + alib::Le16(33 << 5);  // green 33 of 63
  const std::string bgrx = "\x10\x20\x30\xAB";
  const std::string bgr0 = std::string("\x10\x20\x30", 3) + '\0';
  const std::string bmp565 = Bmp(16, 3, 2, 1, px565, k565);
  ExpectRead({
      {"24 bits, bottom-up rows padded", Bmp(24, 0, 1, 2, std::string("\1\2\3\0\4\5\6\0", 8)), 1, 2, 24,
       "\4\5\6\1\2\3"},
      {"24 bits, top-down", Bmp(24, 0, 1, -2, std::string("\1\2\3\0\4\5\6\0", 8)), 1, 2, 24, "\1\2\3\4\5\6"},
      {"16 bits without masks are 5-5-5", Bmp(16, 0, 2, 1, px555), 2, 1, 16, px565},
      {"16 bits, 5-6-5 masks kept", bmp565, 2, 1, 16, px565},
      {"16 bits, 5-5-5 masks", Bmp(16, 3, 2, 1, px555, k555), 2, 1, 16, px565},
      {"16 bits, 4-4-4 masks", Bmp(16, 3, 1, 1, alib::Le16(0x0F80) + alib::Le16(0), {0x0F00, 0x00F0, 0x000F}), 1, 1, 16,
       alib::Le16(0xF800 | 34 << 5)},
      {"32 bits without masks, X cleared", Bmp(32, 0, 1, 1, bgrx), 1, 1, 32, bgr0},
      {"32 bits, usual masks, X cleared", Bmp(32, 3, 1, 1, bgrx, {0xFF0000, 0xFF00, 0xFF}), 1, 1, 32, bgr0},
      {"32 bits, red and blue swapped", Bmp(32, 3, 1, 1, bgrx, {0xFF, 0xFF00, 0xFF0000}), 1, 1, 32,
       std::string("\x30\x20\x10", 3) + '\0'},
      {"32 bits, 10-10-10 masks in a V5 header",
       Bmp(32, 3, 1, 1, alib::Le32(0x3FF00000 | 0x200 << 10), {0x3FF00000, 0x000FFC00, 0x000003FF}, 124), 1, 1, 32,
       std::string("\0\x80\xFF\0", 4)},
      {"masks not contiguous", Bmp(16, 3, 2, 1, px565, {0xA000, 0x07E0, 0x001F}), 0, 0, 0, "colour masks"},
      {"a mask empty", Bmp(16, 3, 2, 1, px565, {0xF800, 0, 0x001F}), 0, 0, 0, "colour masks"},
      {"masks overlapping", Bmp(16, 3, 2, 1, px565, {0xF800, 0x0FE0, 0x001F}), 0, 0, 0, "colour masks"},
      {"a mask beyond 16 bits", Bmp(16, 3, 2, 1, px565, {0x1F0000, 0x07E0, 0x001F}), 0, 0, 0, "colour masks"},
      {"file ends inside the masks", bmp565.substr(0, 60), 0, 0, 0, "headers do not fit"},
      {"header too short for masks", Bmp(16, 3, 2, 1, px565, {}, 44), 0, 0, 0, "too short for its colour masks"},
      {"header longer than the file", Bmp(24, 0, 1, 1, "\1\2\3\0").replace(14, 4, alib::Le32(0x7FFFFFF0)), 0, 0, 0,
       "headers do not fit"},
      {"pixels inside the headers", bmp565.substr(0, 10) + alib::Le32(60) + bmp565.substr(14), 0, 0, 0,
       "overlap its headers"},
      {"pixels cut short", bmp565.substr(0, bmp565.size() - 1), 0, 0, 0, "pixels do not fit"},
      {"pixels far beyond the file", bmp565.substr(0, 10) + alib::Le32(0xFFFFFFFF) + bmp565.substr(14), 0, 0, 0,
       "pixels do not fit"},
      {"no width", Bmp(24, 0, 0, 1, ""), 0, 0, 0, "0 x 1 pixels"},
      {"too tall", Bmp(24, 0, 1, 5000, ""), 0, 0, 0, "1 x 5000 pixels; setup takes 1 to 4096"},
      {"height of -2^31", Bmp(24, 0, 1, INT32_MIN, ""), 0, 0, 0, "pixels each way"},
      {"8 bits", Bmp(8, 0, 4, 1, "\1\2\3\4"), 0, 0, 0, "8 bits per pixel; use 16, 24 or 32"},
      {"run-length compressed", Bmp(24, 1, 1, 1, "\1\2\3\0"), 0, 0, 0, "compressed"},
      {"too short", "BM" + std::string(40, '\0'), 0, 0, 0, "not a Windows bitmap"},
      {"neither kind", "GIF89a" + std::string(60, '\0'), 0, 0, 0, "neither a PNG file nor a Windows bitmap"},
  });
}

TEST(PictureInputTest, PngOfEveryKindIsStoredAsTwentyFourBits) {
  const std::string rgb = Png(2, 1, 8, 2, std::string("\0\x10\x20\x30\x40\x50\x60", 7));
  const std::string face(3, '\xF0');
  ExpectRead({
      {"RGB", rgb, 2, 1, 24, "\x30\x20\x10\x60\x50\x40"},
      {"RGBA over the dialog face",
       Png(3, 1, 8, 6, std::string("\0\1\2\3\xFF\x09\x09\x09\0\0\0\0\x80", 13)), 3, 1, 24,
       "\3\2\1" + face + "\x78\x78\x78"},
      {"palette of 2 bits, one entry transparent",
       Png(2, 1, 2, 3, std::string("\0\x10", 2),
           Chunk("PLTE", std::string("\xFF\0\0\0\0\xFF", 6)) + Chunk("tRNS", std::string("\xFF\0", 2))),
       2, 1, 24, std::string("\0\0\xFF", 3) + face},
      {"grey of 1 bit", Png(3, 1, 1, 0, std::string("\0\xA0", 2)), 3, 1, 24,
       std::string("\xFF\xFF\xFF\0\0\0\xFF\xFF\xFF", 9)},
      {"grey with alpha", Png(1, 1, 8, 4, std::string("\0\x40\xFF", 3)), 1, 1, 24, "\x40\x40\x40"},
      {"16-bit channels keep their high byte", Png(1, 1, 16, 2, std::string("\0\x80\x80\x40\x40\x20\x20", 7)), 1,
       1, 24, "\x20\x40\x80"},
      {"RGB of 3 bits", Png(2, 1, 3, 2, std::string("\0\0\0", 3)), 0, 0, 0, "not a PNG file that can be read"},
      {"cut inside its pixels", rgb.substr(0, rgb.size() - 20), 0, 0, 0, "not a PNG file that can be read"},
      {"pixels that do not unpack", rgb.substr(0, 33) + Chunk("IDAT", "\xFF\xFF\xFF\xFF") + Chunk("IEND", ""), 0,
       0, 0, "not a PNG file that can be read"},
      {"too few pixels", Png(2, 1, 8, 2, ""), 0, 0, 0, "not a PNG file that can be read"},
      {"too wide", BlankPng(5000, 1), 0, 0, 0, "5000 x 1 pixels; setup takes 1 to 4096"},
      {"too tall", BlankPng(1, 5000), 0, 0, 0, "1 x 5000 pixels; setup takes 1 to 4096"},
  });
}

class PictureBuildTest : public testsupport::ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    WriteGame({{"kelvora.exe", "MZ"}});
  }
  // The warnings of the last build about pictures.
  std::vector<std::string> PictureWarnings() const {
    std::vector<std::string> out;
    for (const std::string& w : result_.warnings) {
      if (w.find("picture") != std::string::npos) out.push_back(w);
    }
    return out;
  }
};

TEST_F(PictureBuildTest, EachPictureIsReportedAndScalingWarnedAbout) {
  struct Row {
    const char* setting;  // setup_pictures or progress_pictures
    std::string file;
    const char* said;
    const char* warning;  // "" for none
  };
  const Row rows[] = {
      {"setup", BlankPng(355, 200), "setup picture 0: art/p, 355 x 200, 24 bits", ""},
      {"progress", Bmp(16, 0, 340, 1, std::string(680, '\0')), "progress picture 0: art/p, 340 x 1, 16 bits", ""},
      {"setup", BlankPng(356, 70), "setup picture 0: art/p, 356 x 70, 24 bits",
       "setup picture 0 (art/p, 356 x 70) is wider than the dialog (355 pixels): setup shows it scaled down to 355 x 70"},
      {"progress", BlankPng(680, 141), "progress picture 0: art/p, 680 x 141, 24 bits",
       "progress picture 0 (art/p, 680 x 141) is wider than the dialog (340 pixels): setup shows it scaled down to "
       "340 x 71"},
      {"progress", BlankPng(100, 201), "progress picture 0: art/p, 100 x 201, 24 bits",
       "progress picture 0 (art/p, 100 x 201) is taller than 200 pixels (a third of an 800 x 600 screen): setup "
       "shows it scaled down to 100 x 200"},
      {"setup", BlankPng(4096, 1), "setup picture 0: art/p, 4096 x 1, 24 bits",
       "setup picture 0 (art/p, 4096 x 1) is wider than the dialog (355 pixels): setup shows it scaled down to 355 x 1"},
      {"setup", BlankPng(710, 500), "setup picture 0: art/p, 710 x 500, 24 bits",
       "setup picture 0 (art/p, 710 x 500) is wider than the dialog (355 pixels) and taller than 200 pixels (a third "
       "of an 800 x 600 screen): setup shows it scaled down to 284 x 200"},
  };
  int n = 0;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.said);
    Put("art\\p", r.file);
    WriteProject(std::string(r.setting) + "_pictures = art/p\n");
    ASSERT_TRUE(Build("out" + std::to_string(++n))) << error_;
    EXPECT_NE(std::find(said_.begin(), said_.end(), r.said), said_.end());
    EXPECT_EQ(PictureWarnings(), *r.warning ? std::vector<std::string>{r.warning} : std::vector<std::string>{});
  }
}

TEST_F(PictureBuildTest, PicturesSetupCannotTakeAreRefused) {
  const std::pair<std::string, std::string> cases[] = {
      {Bmp(8, 0, 4, 1, "\1\2\3\4"), "setup picture 0, "},
      {BlankPng(2400, 2400), "its pixels take 17,280,000 bytes; setup loads at most 16,777,216"},
  };
  for (const auto& c : cases) {
    Put("art\\p", c.first);
    WriteProject("setup_pictures = art/p\n");
    EXPECT_FALSE(Build());
    EXPECT_NE(error_.find(c.second), std::string::npos) << error_;
  }
}

TEST_F(PictureBuildTest, MoreThanAHundredProgressPicturesAreWarnedAbout) {
  Put("art\\p", BlankPng(1, 1));
  std::string list = "art/p";
  for (int i = 1; i < 101; ++i) list += ", art/p";
  WriteProject("progress_pictures = " + list + "\n");
  ASSERT_TRUE(Build()) << error_;
  EXPECT_EQ(PictureWarnings(), std::vector<std::string>{"progress_pictures lists 101 pictures: setup shows one by "
                                                       "the whole percent, so no more than 101 of them can ever show"});
}

// Without pictures each set holds one record without pixels, which verify
// takes silently; a picture whose attributes disagree with its pixels is
// told in a note.
TEST_F(PictureBuildTest, NoPicturesGiveAnEmptyRecordAndVerifyNotesPicturesSetupWillNotShow) {
  WriteProject("");
  ASSERT_TRUE(Build()) << error_;
  for (const char* set : {"setup", "progress"}) {
    EXPECT_EQ(Get(std::string("out\\disc1\\setupdata\\") + set + ".pic1"), "PIC1" + std::string(22, '\0'));
    EXPECT_EQ(Get(std::string("out\\disc1\\setupdata\\") + set + ".idx1"), alib::Le32(1) + alib::Le32(4));
  }
  gamedisc::DiscContents contents;
  gamedisc::Fault fault;
  ASSERT_TRUE(gamedisc::VerifyDiscSet(Discs(), &contents, &fault)) << gamedisc::DescribeFault(fault);
  EXPECT_EQ(contents.notes, std::vector<std::string>{});

  Put("art\\p", BlankPng(2, 1));
  WriteProject("setup_pictures = art/p\n");
  ASSERT_TRUE(Build("shown")) << error_;
  std::string pic1 = Get("shown\\disc1\\setupdata\\setup.pic1");
  pic1.replace(4, 2, alib::Le16(999));
  Put("shown\\disc1\\setupdata\\setup.pic1", pic1);
  contents = gamedisc::DiscContents();
  ASSERT_TRUE(gamedisc::VerifyDiscSet(Discs("shown"), &contents, &fault)) << gamedisc::DescribeFault(fault);
  EXPECT_EQ(contents.notes, std::vector<std::string>{"disc 1: setupdata\\setup.pic1, picture 0: its attributes (999 x "
                                                     "1, 24 bits) do not agree with its 6 bytes of pixels; setup does "
                                                     "not show it"});
}

}  // namespace
