// Disc volumes (Linux build: images through libiso9660 and libcdio): a disc
// folder, its ISO image and the image's BIN/CUE copy read the same, and a
// damaged image fails cleanly.
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "bincue.h"
#include "disc_volume.h"
#include "disc_writer.h"
#include "host_control.h"
#include "tool_os.h"
#include "tool_test.h"

namespace {

using testsupport::ToolTest;

// Big5 names, the second with 0x5C ("\") as the second byte of its first
// character: read under code page 950, it is no separator.
const std::string kBig5Name = "\xA4\xA4\xA4\xE5.txt";
const std::string kBig5SlashName = "\xB3\x5C.txt";

// Name, folder, size: the parts of an entry that every kind shows alike.
using Entry = std::tuple<std::string, bool, uint64_t>;

class VolumeTest : public ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    plat::host::SetCodePage(950);
    ASSERT_EQ(std::system("command -v xorriso >/dev/null"), 0) << "xorriso is not installed (scripts/install-deps.sh)";
    big_ = testsupport::Pattern(1300000, 9);
    Put("disc\\Readme.TXT", "hello");
    Put("disc\\empty.dat", "");
    Put("disc\\" + kBig5Name, "big5 name");
    testsupport::WriteNative(Native("disc") + "/" + kBig5SlashName, "0x5C");
    Put("disc\\Sub\\Big.bin", big_);
    Put("disc\\Sub\\note.txt", "note");
    std::string message;
    ASSERT_TRUE(gamedisc::MakeIsoImage(Win("disc"), Win("disc.iso"), "VOLTEST", &message)) << message;
    ASSERT_TRUE(testsupport::WriteBinCue(Native("disc.iso"), Native("disc.bin"), Native("disc.cue"), &message))
        << message;
  }
  void TearDown() override {
    plat::host::SetCodePage(1252);
    ToolTest::TearDown();
  }

  std::unique_ptr<gamedisc::DiscVolume> Open(const std::string& relative, std::string* error) {
    return gamedisc::OpenVolume(Win(relative), error);
  }

  static std::vector<Entry> Listed(gamedisc::DiscVolume* volume, const std::string& path) {
    std::vector<gamedisc::VolumeEntry> entries;
    EXPECT_TRUE(volume->List(path, &entries)) << path;
    std::vector<Entry> listed;
    for (const auto& e : entries) {
      EXPECT_FALSE(e.utf8) << e.name;
      listed.emplace_back(e.name, e.folder, e.size);
    }
    return listed;
  }

  // The whole file in reads of an odd size; `failed` tells how it ended.
  static std::string ReadAll(gamedisc::VolumeFile* file, bool* failed) {
    std::string bytes;
    std::vector<char> buffer(100003);
    int n;
    while ((n = file->Read(buffer.data(), static_cast<int>(buffer.size()))) > 0) bytes.append(buffer.data(), n);
    *failed = file->Failed();
    return bytes;
  }

  // disc.cue, naming `bin` for its data file.
  std::string SheetOf(const std::string& bin) const {
    std::string sheet = Get("disc.cue");
    return sheet.replace(sheet.find("disc.bin"), 8, bin);
  }

  // Where the first bytes of the big file lie in `image`.
  size_t BigAt(const std::string& image) const { return Get(image).find(big_.substr(0, 64)); }

  std::string big_;
};

TEST_F(VolumeTest, AFolderItsImageAndItsBinCueReadTheSame) {
  const std::vector<Entry> root = {{"Readme.TXT", false, 5}, {"Sub", true, 0}, {"empty.dat", false, 0},
                                   {kBig5Name, false, 9}, {kBig5SlashName, false, 4}};
  const std::vector<Entry> sub = {{"Big.bin", false, big_.size()}, {"note.txt", false, 4}};
  // Each file opened by another case than its own, and the content it holds.
  const std::vector<std::pair<std::string, std::string>> files = {
      {"README.txt", "hello"}, {"EMPTY.DAT", ""}, {kBig5Name, "big5 name"}, {"\xB3\x5C.TXT", "0x5C"},
      {"sub\\BIG.BIN", big_}, {"\\SUB/Note.Txt", "note"}};
  for (const char* given : {"disc", "disc.iso", "disc.cue", "disc.bin"}) {
    SCOPED_TRACE(given);
    std::string error;
    auto volume = Open(given, &error);
    ASSERT_NE(volume, nullptr) << error;
    EXPECT_EQ(volume->Name(), gamedisc::DisplayPath(Win(given)));
    EXPECT_EQ(Listed(volume.get(), ""), root);
    EXPECT_EQ(Listed(volume.get(), "SUB"), sub);
    std::vector<gamedisc::VolumeEntry> none;
    EXPECT_FALSE(volume->List("Readme.TXT", &none));
    EXPECT_FALSE(volume->List("missing", &none));
    for (const auto& f : files) {
      auto file = volume->Open(f.first);
      ASSERT_NE(file, nullptr) << f.first;
      EXPECT_EQ(file->Size(), static_cast<int64_t>(f.second.size())) << f.first;
      bool failed = true;
      EXPECT_TRUE(ReadAll(file.get(), &failed) == f.second) << f.first;
      EXPECT_FALSE(failed) << f.first;
    }
    EXPECT_EQ(volume->Open("Sub"), nullptr);
    EXPECT_EQ(volume->Open("Readme.TXT\\x"), nullptr);
    EXPECT_EQ(volume->Open("Sub\\..\\Readme.TXT"), nullptr);
  }
}

// Where a folder of Linux holds names that fold alike, the first listed is
// found; where a path's 0x5C byte could end a shorter name, the longer name
// is meant.
TEST_F(VolumeTest, AFolderAmbiguousWithoutCaseOrAt0x5CGivesTheFirstAndTheLonger) {
  testsupport::WriteNative(Native("amb") + "/dup", "lower");
  testsupport::WriteNative(Native("amb") + "/DUP", "upper");
  testsupport::WriteNative(Native("amb") + "/\xB3/.txt", "inside the folder \xB3");
  testsupport::WriteNative(Native("amb") + "/" + kBig5SlashName, "the longer name");
  std::string error;
  auto volume = Open("amb", &error);
  ASSERT_NE(volume, nullptr) << error;
  for (const auto& row : std::vector<std::pair<std::string, std::string>>{
           {"Dup", "upper"}, {"dup", "upper"}, {kBig5SlashName, "the longer name"}}) {
    auto file = volume->Open(row.first);
    ASSERT_NE(file, nullptr) << row.first;
    bool failed = true;
    EXPECT_EQ(ReadAll(file.get(), &failed), row.second) << row.first;
  }
}

// Joliet names first, as Windows shows them, without their version; then
// Rock Ridge's; then the plain ones as the disc gives them, without the
// version or the dot of a name with no extension. A Joliet tree written by
// a maker that could not read the names' code page ("_" for each of their
// bytes) gives way to the Rock Ridge names.
TEST_F(VolumeTest, AnImageReadsItsJolietElseRockRidgeElsePlainNames) {
  Put("disc\\Sub\\Version", "no extension");
  const std::string utf8Name = "\xE4\xB8\xAD\xE6\x96\x87.txt";  // kBig5Name read as Big5
  struct Row {
    const char* options;  // xorriso's
    const char* readme;   // as listed
    const char* version;  // as listed in Sub
    const std::string* big5;  // as listed; null where the image lost it
    bool utf8;
  };
  // Versions on Joliet names, and a dot on those without an extension.
  const std::string versioned = "-compliance only_iso_version_off:no_j_force_dots_off ";
  const std::string rockRidgeJoliet = versioned + "-as mkisofs -r -J -input-charset CP950";
  for (const Row& row : {Row{rockRidgeJoliet.c_str(), "Readme.TXT", "Version", &utf8Name, true},
                         // The names' bytes read as UTF-8, as in the tests' locale.
                         Row{"-as mkisofs -r -J -input-charset UTF-8", "Readme.TXT", "Version", &kBig5Name, false},
                         Row{"-as mkisofs --norock -J", "Readme.TXT", "Version", nullptr, true},
                         Row{"-as mkisofs -r", "Readme.TXT", "Version", &kBig5Name, false},
                         Row{"-as mkisofs --norock", "README.TXT", "VERSION", nullptr, false}}) {
    SCOPED_TRACE(row.options);
    const std::string make = std::string("xorriso ") + row.options + " -o " + Native("names.iso") + " " +
                             Native("disc") + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(make.c_str()), 0) << make;
    std::string error;
    ASSERT_TRUE(testsupport::WriteBinCue(Native("names.iso"), Native("names.bin"), Native("names.cue"), &error));
    for (const char* given : {"names.iso", "names.cue"}) {
      SCOPED_TRACE(given);
      auto volume = Open(given, &error);
      ASSERT_NE(volume, nullptr) << error;
      std::vector<gamedisc::VolumeEntry> entries, sub;
      ASSERT_TRUE(volume->List("", &entries));
      ASSERT_EQ(entries.size(), 5u);
      const auto listed = [](const std::vector<gamedisc::VolumeEntry>& in, const std::string& name) {
        return std::any_of(in.begin(), in.end(), [&](const gamedisc::VolumeEntry& e) { return e.name == name; });
      };
      EXPECT_TRUE(listed(entries, row.readme));
      EXPECT_TRUE(row.big5 == nullptr || listed(entries, *row.big5));
      for (const auto& e : entries) EXPECT_EQ(e.utf8, row.utf8) << e.name;
      ASSERT_TRUE(volume->List("sub", &sub));
      EXPECT_TRUE(listed(sub, row.version));
      auto file = volume->Open("sub\\big.BIN");
      ASSERT_NE(file, nullptr);
      bool failed = true;
      EXPECT_TRUE(ReadAll(file.get(), &failed) == big_);
      EXPECT_FALSE(failed);
    }
  }
}

// libcdio 2.1 cuts the UTF-8 of a Joliet name mostly of Chinese characters
// to its UCS-2 bytes, and reads 存檔一 and 存檔二 both as 存檔: the names are
// read whole, and the later folder, which the library cannot reach, is
// read by its Rock Ridge name where the image has them, else not at all
// rather than as the first.
TEST_F(VolumeTest, FoldersWhoseJolietNamesLibcdioCutAlikeAreNotReadAsOne) {
  const std::string one = "\xA6\x73\xC0\xC9\xA4\x40", two = "\xA6\x73\xC0\xC9\xA4\x47";  // in Big5
  testsupport::WriteNative(Native("cut") + "/" + one + "/one.txt", "one");
  testsupport::WriteNative(Native("cut") + "/" + two + "/two.txt", "two");
  const std::string twoUtf8 = "\xE5\xAD\x98\xE6\xAA\x94\xE4\xBA\x8C";
  struct Row {
    const char* options;
    const std::string* two;  // as listed
    bool read;               // whether its folder can be listed
  };
  for (const Row& row : {Row{"-r -J", &two, true}, Row{"--norock -J", &twoUtf8, false}}) {
    SCOPED_TRACE(row.options);
    const std::string make = std::string("xorriso -as mkisofs -input-charset CP950 ") + row.options + " -o " +
                             Native("cut.iso") + " " + Native("cut") + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(make.c_str()), 0) << make;
    std::string error;
    auto volume = Open("cut.iso", &error);
    ASSERT_NE(volume, nullptr) << error;
    std::vector<gamedisc::VolumeEntry> root, inside;
    ASSERT_TRUE(volume->List("", &root));
    ASSERT_EQ(root.size(), 2u);
    EXPECT_EQ(root[1].name, *row.two);
    EXPECT_EQ(volume->List(*row.two, &inside), row.read);
    EXPECT_EQ(inside.size() == 1 && inside[0].name == "two.txt", row.read);
  }
}

TEST_F(VolumeTest, ADamagedImageFailsCleanly) {
  const std::string iso = Get("disc.iso"), bin = Get("disc.bin");
  const size_t isoBig = BigAt("disc.iso"), binBig = BigAt("disc.bin") - 16;  // the sector's start
  ASSERT_NE(isoBig, std::string::npos);
  // An image cut inside the big file's data: the file reads as far as the
  // image goes (a .bin only in whole sectors), then fails.
  struct Cut {
    const char* name;
    std::string bytes;
    size_t readable;
  };
  for (const Cut& cut : {Cut{"cut.iso", iso.substr(0, isoBig + 500000), 500000},
                         Cut{"cut.bin", bin.substr(0, binBig + 244 * 2352 + 1000), 244 * 2048}}) {
    SCOPED_TRACE(cut.name);
    Put(cut.name, cut.bytes);
    if (std::string(cut.name) == "cut.bin") Put("cut.cue", SheetOf("cut.bin"));
    std::string error;
    auto volume = Open(cut.name, &error);
    ASSERT_NE(volume, nullptr) << error;
    auto file = volume->Open("Sub\\Big.bin");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Size(), static_cast<int64_t>(big_.size()));
    bool failed = false;
    EXPECT_TRUE(ReadAll(file.get(), &failed) == big_.substr(0, cut.readable));
    EXPECT_TRUE(failed);
  }

  // A folder whose record claims almost 4 GiB, far past the image's end,
  // cannot be listed (nor is the library let to take a buffer that large
  // for it); the rest of the image still reads.
  std::string huge = iso;
  const size_t sub = huge.find("\x03SUB");  // the length of the plain name, and the name
  ASSERT_NE(sub, std::string::npos);
  huge.replace(sub - 32 + 10, 8, std::string("\x00\xF0\xFF\xFF\xFF\xFF\xF0\x00", 8));  // its size, both byte orders
  Put("huge.iso", huge);
  {
    std::string error;
    auto volume = Open("huge.iso", &error);
    ASSERT_NE(volume, nullptr) << error;
    std::vector<gamedisc::VolumeEntry> entries;
    EXPECT_FALSE(volume->List("Sub", &entries));
    EXPECT_EQ(volume->Open("Sub\\note.txt"), nullptr);
    EXPECT_NE(volume->Open("Readme.TXT"), nullptr);
  }

  // Images that cannot be opened at all: an error that names them, and
  // nothing printed by the libraries.
  Put("early.iso", iso.substr(0, 16 * 2048 + 100));           // cut before its volume descriptor
  Put("rootless.iso", iso.substr(0, 18 * 2048));               // its root folder lies past the end
  Put("noise.iso", testsupport::Pattern(200000, 3));
  Put("lost.cue", SheetOf("lost.bin"));                        // no lost.bin beside it
  Put("noise.cue", testsupport::Pattern(3000, 5));
  Put("noise.bin", bin);
  for (const char* name : {"early.iso", "rootless.iso", "noise.iso", "lost.cue", "noise.cue", "absent.iso", "x.txt"}) {
    SCOPED_TRACE(name);
    if (std::string(name) == "x.txt") Put(name, "not a disc");
    std::string error;
    testing::internal::CaptureStderr();
    auto volume = Open(name, &error);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(volume, nullptr);
    EXPECT_NE(error.find(gamedisc::DisplayPath(Win(name))), std::string::npos) << error;
  }
}

}  // namespace
