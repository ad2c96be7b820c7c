// gamedisc extract off BIN/CUE images laid out as disc copiers write them:
// the data track in either mode, audio tracks after it in the same file or
// in files of their own; and a damaged cue sheet or a CHD image refused
// with the reason.
#include <string>
#include <vector>

#include "bincue.h"
#include "cli.h"
#include "extract_test.h"

namespace {

using testsupport::BinCueLayout;
using testsupport::ExtractTest;

TEST_F(ExtractTest, EveryLayoutOfABinCueGivesTheGameTree) {
  BuildGame(true);
  using Mode = BinCueLayout::Mode;
  using Audio = BinCueLayout::Audio;
  const struct {
    const char* folder;
    BinCueLayout layout;
  } layouts[] = {
      {"split", {Mode::kMode1Raw, Audio::kOwnFile}},
      {"onebin", {Mode::kMode1Raw, Audio::kSameFile}},
      {"cooked", {Mode::kMode1Cooked, Audio::kOwnFile}},
      {"xa", {Mode::kMode2Raw, Audio::kSameFile}},
      {"pregap", {Mode::kMode1Raw, Audio::kSameFile, true}},
      {"pregap-xa", {Mode::kMode2Raw, Audio::kNone, true}},
      {"pregap-cooked", {Mode::kMode1Cooked, Audio::kOwnFile, true}},
  };
  int n = 0;
  for (const auto& l : layouts) {
    SCOPED_TRACE(l.folder);
    testsupport::MakeFolderNative(Native(l.folder));
    for (const char* disc : {"disc1", "disc2"}) {
      const std::string stem = std::string(l.folder) + "\\Game (" + disc + ")";
      std::string error;
      ASSERT_TRUE(testsupport::WriteBinCue(Native(std::string("out\\") + disc + ".iso"), Native(stem + ".bin"),
                                           Native(stem + ".cue"), &error, l.layout))
          << error;
    }
    for (bool disc2First : {false, true}) {
      const std::string one = std::string(l.folder) + "\\Game (disc1).cue";
      const std::string two = std::string(l.folder) + "\\Game (disc2).cue";
      const std::string out = "x" + std::to_string(n++);
      Outcome o = Extract(disc2First ? std::vector<std::string>{two, one} : std::vector<std::string>{one, two}, out);
      ASSERT_EQ(o.exitCode, gamedisc::kExitOk) << o.warned;
      EXPECT_TRUE(Tree(out) == Expected());
    }
  }
}

TEST_F(ExtractTest, ADamagedCueSheetOrACompressedImageIsRefusedWithTheReason) {
  BuildGame(true);
  std::string error;
  ASSERT_TRUE(testsupport::WriteBinCue(Native("out\\disc1.iso"), Native("d.bin"), Native("d.cue"), &error)) << error;
  const struct {
    const char* name;
    std::string bytes;
    const char* reason;
  } damaged[] = {
      {"missing.cue", "FILE \"gone.bin\" BINARY\n TRACK 01 MODE1/2352\n INDEX 01 00:00:00\n", "gone.bin is missing"},
      {"past.cue", "FILE \"d.bin\" BINARY\n TRACK 01 MODE1/2352\n INDEX 01 70:00:00\n", "past the end"},
      {"mode.cue", "FILE \"d.bin\" BINARY\n TRACK 01 MODE3/2352\n INDEX 01 00:00:00\n", "MODE3/2352 is not read"},
      {"before.cue",
       "FILE \"d.bin\" BINARY\n TRACK 01 AUDIO\n INDEX 01 00:10:00\n TRACK 02 MODE1/2352\n INDEX 01 00:05:00\n",
       "before the one it follows"},
      {"absurd.cue", "FILE \"d.bin\" BINARY\n TRACK 01 MODE1/2352\n INDEX 01 99999999999:00:00\n", "mm:ss:ff"},
      {"frames.cue", "FILE \"d.bin\" BINARY\n TRACK 01 MODE1/2352\n INDEX 01 00:00:75\n", "mm:ss:ff"},
      {"track.cue", "FILE \"d.bin\" BINARY\n TRACK 100 MODE1/2352\n INDEX 01 00:00:00\n", "out of range"},
      {"noindex.cue", "FILE \"d.bin\" BINARY\n TRACK 01 MODE1/2352\n", "has no INDEX 01"},
      {"quote.cue", "FILE \"d.bin BINARY\n TRACK 01 MODE1/2352\n INDEX 01 00:00:00\n", "quote"},
      {"game.chd", "MComprHD" + std::string(200, '\0'), "chdman extractcd"},
      {"game.iso", "MComprHD" + std::string(200, '\0'), "chdman extractcd"},
  };
  for (const auto& d : damaged) {
    SCOPED_TRACE(d.name);
    Put(d.name, d.bytes);
    Outcome o = Extract({d.name}, "y");
    EXPECT_EQ(o.exitCode, gamedisc::kExitFault);
    EXPECT_NE(o.warned.find(d.reason), std::string::npos) << o.warned;
  }
}

}  // namespace
