// gamedisc extract on Linux: the game tree off ISO images and BIN/CUE
// images as off folders, and a link in the output folder never followed.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bincue.h"
#include "cli.h"
#include "extract_test.h"

namespace {

namespace fs = std::filesystem;
using gamedisc::ExtractMode;
using testsupport::ExtractTest;

TEST_F(ExtractTest, EveryKindOfSourceGivesTheGameTree) {
  BuildGame(true);
  std::string error;
  testsupport::MakeFolderNative(Native("bin"));
  for (const char* disc : {"disc1", "disc2"}) {
    ASSERT_TRUE(testsupport::WriteBinCue(Native(std::string("out\\") + disc + ".iso"),
                                         Native(std::string("bin\\") + disc + ".bin"),
                                         Native(std::string("bin\\") + disc + ".cue"), &error))
        << error;
  }
  const struct {
    const char* what;
    std::vector<std::string> discs;
  } sources[] = {
      {"the folder a build wrote", {"out"}},
      {"the disc folders, disc 2 first", {"out\\disc2", "out\\disc1"}},
      {"ISO images, disc 2 first", {"out\\disc2.iso", "out\\disc1.iso"}},
      {"BIN/CUE images by their .cue", {"bin\\disc1.cue", "bin\\disc2.cue"}},
      {"BIN/CUE images by their .bin", {"bin\\disc2.bin", "bin\\disc1.bin"}},
  };
  int n = 0;
  for (const auto& source : sources) {
    const std::string out = "x" + std::to_string(n++);
    Outcome o = Extract(source.discs, out);
    EXPECT_EQ(o.exitCode, gamedisc::kExitOk) << source.what << "\n" << o.warned;
    EXPECT_TRUE(Tree(out) == Expected()) << source.what;
    EXPECT_NE(o.said.find("Every file matches the disc's list of files"), std::string::npos) << source.what;
  }
  // --list names every file with its size and writes nothing; --test checks.
  Outcome listed = Extract({"out\\disc1.iso", "out\\disc2.iso"}, "", ExtractMode::kList);
  EXPECT_EQ(listed.exitCode, gamedisc::kExitOk) << listed.warned;
  EXPECT_NE(listed.said.find("      300000  maps/deep/music.bin\n"), std::string::npos) << listed.said;
  EXPECT_NE(listed.said.find("           0  empty.dat\n"), std::string::npos) << listed.said;
  EXPECT_EQ(Extract({"out"}, "", ExtractMode::kTest).exitCode, gamedisc::kExitOk);
}

TEST_F(ExtractTest, ALinkInTheOutputFolderIsNotFollowed) {
  BuildGame();
  // A link where a folder of the game goes, even with --force.
  testsupport::MakeFolderNative(Native("elsewhere"));
  testsupport::MakeFolderNative(Native("z"));
  ASSERT_EQ(symlink(Native("elsewhere").c_str(), Native("z\\maps").c_str()), 0);
  Outcome o = Extract({"out"}, "z", ExtractMode::kWrite, 0, true);
  EXPECT_EQ(o.exitCode, gamedisc::kExitFault);
  EXPECT_NE(o.warned.find("maps is a link"), std::string::npos) << o.warned;
  EXPECT_TRUE(fs::is_empty(Native("elsewhere")));
}

// A disc mounted by Linux shows its Joliet names in UTF-8: they are kept
// as they are, not read again as code-page bytes.
TEST_F(ExtractTest, AMountedDiscsUnicodeNamesAreKept) {
  Put("mounted\\cd1", testsupport::BuildDiscs(HeaderOf("Mounted"), {}, {{"\\a.txt", "a"}})[0]);
  const std::string name = "\xE4\xB8\xAD\xE6\x96\x87.txt";  // 中文.txt
  testsupport::WriteNative(Native("mounted\\data") + "/" + name, "data");
  Outcome o = Extract({"mounted"}, "m");
  ASSERT_EQ(o.exitCode, gamedisc::kExitOk) << o.warned;
  EXPECT_TRUE(fs::is_regular_file(Native("m") + "/" + name));
  EXPECT_EQ(o.warned.find("a guess"), std::string::npos) << o.warned;
}

// A game whose names are Big5 extracts, checked against its list of files,
// off an image by whichever names are read: Joliet's in UTF-8, or the
// Rock Ridge bytes where the image maker could not read the names for its
// Joliet tree ("_" for each byte, as xorriso does in a UTF-8 locale).
TEST_F(ExtractTest, ABig5GameExtractsOffItsImageByJolietOrRockRidgeNames) {
  const std::vector<testsupport::GameFile> files = {{"\\a.txt", "a"}};
  const std::vector<testsupport::GameFile> data = {{"\\\xA4\xA4\xA4\xE5.txt", "data"},
                                                   {"\\\xB3\x5C\\\xA4\xA4.txt", "in a folder"}};
  const std::vector<std::string> discs = testsupport::BuildDiscs(HeaderOf("Big5Image"), {}, files);
  Put("big5\\cd1", discs[0]);
  Put("big5\\setupdata\\manifest.ini", testsupport::ManifestFor(discs, files, data));
  testsupport::WriteNative(Native("big5\\data") + "/\xA4\xA4\xA4\xE5.txt", "data");
  testsupport::WriteNative(Native("big5\\data") + "/\xB3\x5C/\xA4\xA4.txt", "in a folder");
  const std::string inFolder = "\xE8\xA8\xB1/\xE4\xB8\xAD.txt";  // 許/中.txt
  int n = 0;
  for (const char* charset : {"UTF-8", "CP950"}) {
    SCOPED_TRACE(charset);
    const std::string iso = "big5" + std::to_string(n) + ".iso", out = "b" + std::to_string(n++);
    const std::string make = std::string("xorriso -as mkisofs -r -J -input-charset ") + charset + " -o " +
                             Native(iso) + " " + Native("big5") + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(make.c_str()), 0) << make;
    Outcome o = Extract({iso}, out);
    ASSERT_EQ(o.exitCode, gamedisc::kExitOk) << o.warned;
    EXPECT_NE(o.said.find("Every file matches the disc's list of files"), std::string::npos) << o.said;
    EXPECT_EQ(Get(out + "\\\xE4\xB8\xAD\xE6\x96\x87.txt"), "data");  // 中文.txt
    EXPECT_EQ(Get(out + "\\\xE8\xA8\xB1\\\xE4\xB8\xAD.txt"), "in a folder");
    Outcome json = Extract({iso}, "", ExtractMode::kTest, 0, false, true);
    EXPECT_NE(json.said.find("{\"file\":\"" + inFolder + "\",\"size\":11,\"disc\":1,"), std::string::npos)
        << json.said;
  }
}

}  // namespace
