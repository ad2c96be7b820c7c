// gamedisc extract on Linux: the game tree off disc folders, ISO images and
// BIN/CUE images alike; names read in their code page and written as UTF-8;
// and every damaged or hostile set told, with nothing written outside the
// output folder.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "bincue.h"
#include "cli.h"
#include "disc_writer.h"
#include "extract.h"
#include "tool_test.h"

namespace {

namespace fs = std::filesystem;
using gamedisc::ExtractMode;
using testsupport::Pattern;
using testsupport::ToolTest;

class ExtractTest : public ToolTest {
 protected:
  struct Outcome {
    int exitCode = -1;
    std::string said, warned;
    gamedisc::ExtractResult result;
  };

  // Extracts the scratch paths `discs` into `out` (scratch; empty: none).
  Outcome Extract(const std::vector<std::string>& discs, const std::string& out,
                  ExtractMode mode = ExtractMode::kWrite, unsigned codePage = 0, bool force = false) {
    gamedisc::ExtractOptions o;
    for (const std::string& d : discs) o.discs.push_back(Win(d));
    if (!out.empty()) o.out = Win(out);
    o.mode = mode;
    o.codePage = codePage;
    o.force = force;
    Outcome outcome;
    gamedisc::ExtractOutput output;
    output.say = [&](const std::string& line) { outcome.said += line + "\n"; };
    output.warn = [&](const std::string& line) { outcome.warned += line + "\n"; };
    output.progress = [](const std::string&) {};
    outcome.result = gamedisc::Extract(o, output);
    outcome.exitCode = outcome.result.exitCode;
    return outcome;
  }

  // A two-disc game with a data folder and a list of files.
  void BuildGame() {
    WriteGame({{"kelvora.exe", "MZ the game " + Pattern(3000, 1)},
               {"maps\\deep\\music.bin", Pattern(300000, 2)},
               {"empty.dat", ""},
               {"save\\", ""},
               {"manual\\manual.txt", "the manual"}});
    WriteProject("data = manual\n", "200000");
    ASSERT_TRUE(Build("out", true)) << error_;
    ASSERT_EQ(result_.discCount, 2);
  }

  // The game folder as setup installs it.
  std::map<std::string, std::string> Expected() {
    auto game = Tree("game");
    game["uninstall.exe"] = kStandInUninstaller;
    return game;
  }

  // Every name below the native folder `relative`, for the check that
  // nothing was written beside the output folder.
  std::vector<std::string> Names(const std::string& relative) {
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(Native(relative))) names.push_back(e.path().string());
    return names;
  }
};

TEST_F(ExtractTest, EveryKindOfSourceGivesTheGameTree) {
  BuildGame();
  std::string error;
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
  EXPECT_EQ(gamedisc::RunTool({"extract", "--quiet", Win("out"), "--out", Win("cli")}), gamedisc::kExitOk);
  EXPECT_TRUE(Tree("cli") == Expected());
}

// Each damage or hostile input ends in exit code 1 with its reason, names
// the files written before it, and leaves nothing outside the output folder.
TEST_F(ExtractTest, DamageIsToldAndNothingLandsOutsideTheFolder) {
  BuildGame();
  const std::string cd1 = Get("out\\disc1\\cd1"), cd2 = Get("out\\disc2\\cd2");
  const std::string manual = Get("out\\disc1\\data\\manual\\manual.txt");
  testsupport::SetupHeaderFields header;
  header.companyName = "Maker";
  header.gameName = "Game";
  header.uninstallKey = "Hostile";
  header.exeName = "game.exe";
  const struct {
    const char* what;
    std::function<void()> damage;
    std::vector<std::string> discs;
    std::string reason;
    bool namesWritten;
  } cases[] = {
      {"a missing second disc", [] {}, {"out\\disc1"}, "disc 2 is missing", false},
      {"a record that does not unpack",
       [&] {
         std::string damaged = cd2;
         damaged[1000] = static_cast<char>(damaged[1000] ^ 0x40);
         Put("out\\disc2\\cd2", damaged);
       },
       {"out"}, "a record does not unpack", true},
      {"a data file unlike the list", [&] { Put("out\\disc1\\data\\manual\\manual.txt", "the manuaL"); }, {"out"},
       "the disc's list of files gives 10 bytes", true},
      {"a listed file gone",
       [&] { ASSERT_EQ(std::remove(Native("out\\disc1\\data\\manual\\manual.txt").c_str()), 0); }, {"out"},
       "\\manual.txt is in the disc's list of files but not in disc 1's data folder", true},
      {"a stored path out of the folder",
       [&] {
         Put("hostile\\cd1", testsupport::BuildDiscs(header, {}, {{"\\..\\escaped.txt", "out"}})[0]);
       },
       {"hostile"}, "leads out of the target folder", false},
  };
  std::set<std::string> before;
  for (const auto& e : fs::directory_iterator(Native(""))) before.insert(e.path().filename().string());
  before.insert("hostile");
  int n = 0;
  for (const auto& c : cases) {
    Put("out\\disc1\\cd1", cd1);
    Put("out\\disc2\\cd2", cd2);
    Put("out\\disc1\\data\\manual\\manual.txt", manual);
    c.damage();
    const std::string out = "y\\" + std::to_string(n++);
    Outcome o = Extract(c.discs, out);
    EXPECT_EQ(o.exitCode, gamedisc::kExitFault) << c.what;
    EXPECT_NE(o.warned.find(c.reason), std::string::npos) << c.what << ": " << o.warned;
    EXPECT_EQ(o.warned.find("were written before this") != std::string::npos, c.namesWritten) << c.what << ": " << o.warned;
    for (const std::string& w : o.result.written) {
      EXPECT_NE(o.warned.find("  " + w + "\n"), std::string::npos) << c.what << ": " << w << " not named";
    }
    EXPECT_FALSE(testsupport::ExistsNative(Native("escaped.txt"))) << c.what;
    EXPECT_FALSE(testsupport::ExistsNative(Native("y\\escaped.txt"))) << c.what;
  }
  // Beside the output folders, the scratch folder holds what it held.
  std::set<std::string> after;
  for (const auto& e : fs::directory_iterator(Native(""))) after.insert(e.path().filename().string());
  after.erase("y");
  EXPECT_TRUE(after == before);
}

TEST_F(ExtractTest, AnOutputFolderIsNeverWrittenThroughOrOverwrittenUnasked) {
  BuildGame();
  Put("x\\old.txt", "kept");
  Outcome o = Extract({"out"}, "x");
  EXPECT_EQ(o.exitCode, gamedisc::kExitFault);
  EXPECT_NE(o.warned.find("is not empty"), std::string::npos) << o.warned;
  EXPECT_TRUE(o.result.written.empty());
  EXPECT_EQ(Extract({"out"}, "x", ExtractMode::kWrite, 0, true).exitCode, gamedisc::kExitOk);
  auto tree = Expected();
  tree["old.txt"] = "kept";
  EXPECT_TRUE(Tree("x") == tree);

  // A link where a folder of the game goes is not followed, even forced.
  testsupport::MakeFolderNative(Native("elsewhere"));
  testsupport::MakeFolderNative(Native("z"));
  ASSERT_EQ(symlink(Native("elsewhere").c_str(), Native("z\\maps").c_str()), 0);
  o = Extract({"out"}, "z", ExtractMode::kWrite, 0, true);
  EXPECT_EQ(o.exitCode, gamedisc::kExitFault);
  EXPECT_NE(o.warned.find("maps is a link"), std::string::npos) << o.warned;
  EXPECT_TRUE(Names("elsewhere").empty());

  // The command line: what is wrong with it is exit code 2.
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"extract", Win("out")},
           {"extract", Win("out"), "--names", "437", "--out", Win("w")},
           {"extract", Win("nothing-here"), "--out", Win("w")},
           {"extract", "--list", "--test", Win("out")}}) {
    EXPECT_EQ(gamedisc::RunTool(args), gamedisc::kExitUsage) << args.back();
  }
}

// Names are bytes of the code page the disc was made in: read in it (given
// or guessed, and the guess said) and written as UTF-8. 許 is B3 5C in Big5:
// its second byte is no separator there.
TEST_F(ExtractTest, NamesAreReadInTheirCodePageAndWrittenAsUtf8) {
  testsupport::SetupHeaderFields header;
  header.companyName = "Maker";
  header.gameName = "Game";
  header.uninstallKey = "Names";
  header.exeName = "game.exe";
  const struct {
    const char* what;
    std::string folder, file;        // as stored
    std::string utf8Folder, utf8File;
    unsigned given, read;
  } cases[] = {
      {"Big5, guessed", "\\\xB3\\\xA4\xF3", "\\\xB3\\\xA4\xF3\\\xA4\xA4.txt", "\xE8\xA8\xB1\xE6\xB0\x8F",
       "\xE4\xB8\xAD.txt", 0, 950},
      {"GBK, guessed", "\\\xBC\xF2\xCC\xE5", "\\\xBC\xF2\xCC\xE5\\\xD6\xD0.txt", "\xE7\xAE\x80\xE4\xBD\x93",
       "\xE4\xB8\xAD.txt", 0, 936},
      {"GBK, given", "\\\xBC\xF2\xCC\xE5", "\\\xBC\xF2\xCC\xE5\\\xD6\xD0.txt", "\xE7\xAE\x80\xE4\xBD\x93",
       "\xE4\xB8\xAD.txt", 936, 936},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string disc = "names" + std::to_string(n), out = "n" + std::to_string(n);
    ++n;
    Put(disc + "\\cd1", testsupport::BuildDiscs(header, {c.folder}, {{c.file, "text"}})[0]);
    Outcome o = Extract({disc}, out, ExtractMode::kWrite, c.given);
    ASSERT_EQ(o.exitCode, gamedisc::kExitOk) << c.what << ": " << o.warned;
    EXPECT_EQ(o.result.codePage, c.read) << c.what;
    EXPECT_EQ(o.warned.find("a guess") != std::string::npos, c.given == 0) << c.what << ": " << o.warned;
    std::string text;
    EXPECT_TRUE(testsupport::ReadNative(Native(out) + "/" + c.utf8Folder + "/" + c.utf8File, &text)) << c.what;
    EXPECT_EQ(text, "text") << c.what;
    EXPECT_NE(o.warned.find("nothing could be cross-checked"), std::string::npos) << c.what;
  }
}

}  // namespace
