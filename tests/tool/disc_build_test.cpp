// Building disc sets and reading them back: every file installed whole by
// the installer's own copy engine, capacities kept, builds that repeat, and
// verify finding damage. Runs natively and under Wine.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "a_pic.h"
#include "little_endian.h"
#include "cli.h"
#include "manual.h"
#include "disc_writer.h"
#include "install.h"
#include "little_endian.h"
#include "manifest.h"
#include "paint.h"
#include "pic_writer.h"
#include "setup_state.h"
#include "setup_texts.h"
#include "text_writer.h"
#include "tool_os.h"
#include "tool_test.h"
#include "zlib.h"

namespace {

using testsupport::Pattern;
using testsupport::ToolTest;
using Files = std::map<std::string, std::string>;

class DiscBuildTest : public ToolTest {
 protected:
  // A game of every kind of file: small and large, compressible or not,
  // nested, empty, and files for the plain data folder.
  std::map<std::string, std::string> SampleGame() {
    std::string map;
    for (int i = 0; i < 30000; ++i) map += "tile " + std::to_string(i % 331) + "\n";
    return {{"kelvora.exe", "MZ the game " + Pattern(3000, 1)},
            {"readme.txt", "read me\r\n"},
            {"maps\\world.map", map},
            {"maps\\deep\\level\\music.bin", Pattern(450000, 2)},
            {"empty.dat", ""},
            {"save\\", ""},
            {"manual\\manual.txt", "the manual"},
            {"manual\\pictures\\cover.bin", Pattern(5000, 3)}};
  }
  // Installs what was built and expects the target to equal the game folder
  // and `added` ("name" -> content).
  void ExpectInstalledWhole(const std::string& out = "out",
                            const Files& added = {{"uninstall.exe", kStandInUninstaller}}) {
    ASSERT_EQ(Install(out), 1) << "outcome " << static_cast<int>(copyState.outcome);
    EXPECT_EQ(copyState.outcome, CopyOutcome::kDone);
    auto game = Tree("game");
    for (const auto& f : added) game[f.first] = f.second;
    auto installed = Tree("target\\Game");
    // The installer's own record of what it made, for the uninstaller.
    installed.erase("install.log");
    for (const auto& f : installed) EXPECT_EQ(game.count(f.first), 1u) << f.first << " is no file of the game";
    for (const auto& f : game) {
      auto it = installed.find(f.first);
      ASSERT_NE(it, installed.end()) << f.first << " was not installed";
      EXPECT_TRUE(it->second == f.second) << f.first << " differs";
    }
  }
  void ExpectVerified(const std::string& out = "out") {
    gamedisc::DiscContents contents;
    gamedisc::Fault fault;
    EXPECT_TRUE(gamedisc::VerifyDiscSet(Discs(out), &contents, &fault)) << gamedisc::DescribeFault(fault);
  }
  gamedisc::Fault VerifyFault() {
    gamedisc::DiscContents contents;
    gamedisc::Fault fault;
    EXPECT_FALSE(gamedisc::VerifyDiscSet(Discs(), &contents, &fault)) << "no fault found";
    return fault;
  }
};

TEST_F(DiscBuildTest, OneDiscRoundTrip) {
  WriteGame(SampleGame());
  WriteProject("data = manual\n");
  ASSERT_TRUE(Build()) << error_;
  EXPECT_EQ(result_.discCount, 1);
  EXPECT_FALSE(testsupport::ExistsNative(Native("out\\disc2")));
  // Disc 1: the probe and the data files plain, the rest packed.
  EXPECT_EQ(Get("out\\disc1\\data\\kelvora.exe"), SampleGame()["kelvora.exe"]);
  EXPECT_EQ(Get("out\\disc1\\data\\manual\\pictures\\cover.bin"), SampleGame()["manual\\pictures\\cover.bin"]);
  EXPECT_FALSE(testsupport::ExistsNative(Native("out\\disc1\\data\\readme.txt")));
  // The real installed size: every file, the uninstaller added, and the
  // 40-byte uninstall record.
  uint32_t total = 40 + static_cast<uint32_t>(std::strlen(kStandInUninstaller));
  for (const auto& f : SampleGame()) total += static_cast<uint32_t>(f.second.size());
  EXPECT_EQ(result_.installSize, total);
  std::string cd1 = Get("out\\disc1\\cd1");
  EXPECT_EQ(alib::LoadLe32(cd1.data() + 164), total);
  EXPECT_EQ(alib::LoadLe32(cd1.data() + 160), 1u);
  EXPECT_EQ(cd1.substr(0, 14), std::string("Harbor Makers\0", 14));
  EXPECT_EQ(cd1.substr(120, 12), std::string("kelvora.exe\0", 12));
  ExpectVerified();
  ExpectInstalledWhole();
}

TEST_F(DiscBuildTest, SeveralDiscsRoundTripWithinTheirCapacity) {
  WriteGame(SampleGame());
  const uint64_t capacity = 200 * 1024;
  WriteProject("data = manual\n", std::to_string(capacity));
  ASSERT_TRUE(Build()) << error_;
  EXPECT_GE(result_.discCount, 3) << "music.bin is larger than a disc";
  std::vector<uint64_t> sizes = DiscSizes();
  ASSERT_EQ(sizes.size(), static_cast<size_t>(result_.discCount));
  EXPECT_EQ(sizes, result_.discBytes);
  for (size_t d = 0; d < sizes.size(); ++d) EXPECT_LE(sizes[d], capacity) << "disc " << d + 1;
  // Discs left by a file that goes on are full to the sector.
  EXPECT_EQ(sizes[1], capacity);
  ExpectVerified();
  ExpectInstalledWhole();
  // Every further disc was asked for once, in order.
  std::vector<std::string> asked;
  for (const plat::BoxRecord& box : Boxes()) asked.push_back(box.text);
  ASSERT_EQ(asked.size(), static_cast<size_t>(result_.discCount - 1));
  EXPECT_EQ(asked.back(), "Please insert disc " + std::to_string(result_.discCount));
}

TEST_F(DiscBuildTest, TheSameInputGivesTheSameBytes) {
  WriteGame(SampleGame());
  WriteProject("data = manual\nsetupdata = package\nweb_link = http://example.com/\n", "300000");
  ASSERT_TRUE(Build("first")) << error_;
  ASSERT_TRUE(Build("second")) << error_;
  auto first = Tree("first");
  EXPECT_GE(first.size(), 8u);
  EXPECT_TRUE(first == Tree("second"));
}

// Packing on several threads gives the discs of one, byte for byte, for a
// game of many pieces over several discs; a game file that goes missing or
// shrinks once the build has looked at it fails the build at the same
// place, with the same discs written before it.
TEST_F(DiscBuildTest, AnyNumberOfJobsGivesTheSameDiscs) {
  Files game = SampleGame();
  for (int i = 0; i < 16; ++i) {
    std::string level;
    for (int n = 0; level.size() < 20000u + 9000u * i; ++n) level += "cell " + std::to_string(n * (i + 3) % 4001) + "\n";
    game["levels\\l" + std::to_string(i) + ".dat"] = i % 2 == 0 ? level : Pattern(level.size(), 10 + i);
  }
  WriteGame(game);
  WriteProject("data = manual\n", "400000");
  struct Case {
    const char* what;
    const char* spoiled;  // the game file spoiled as the build begins to pack
    bool removed;         // else cut to 1,000 bytes
    const char* error;
  };
  const Case cases[] = {
      {"whole", nullptr, false, ""},
      {"a file gone", "levels\\l13.dat", true, "cannot read the game file"},
      {"a file cut short", "levels\\l14.dat", false, "l14.dat (it ended early or changed while read)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::map<std::string, std::string> first;
    for (int jobs : {1, 2, 8}) {
      SCOPED_TRACE("jobs " + std::to_string(jobs));
      const std::string out = "case" + std::to_string(&c - cases) + "jobs" + std::to_string(jobs);
      gamedisc::BuildOptions options = Options(out);
      options.jobs = jobs;
      std::string error;
      const bool built = gamedisc::BuildDiscSet(
          options,
          [&](const std::string& said) {
            if (c.spoiled == nullptr || said.compare(0, 9, "building ") != 0) return;
            if (c.removed) {
              std::filesystem::remove(Native(std::string("game\\") + c.spoiled));
            } else {
              Put(std::string("game\\") + c.spoiled, game[c.spoiled].substr(0, 1000));
            }
          },
          &result_, &error);
      EXPECT_EQ(built, c.spoiled == nullptr);
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
      if (c.spoiled != nullptr) Put(std::string("game\\") + c.spoiled, game[c.spoiled]);
      if (jobs == 1) {
        first = Tree(out);
        if (built) {
          EXPECT_GE(result_.discCount, 4);
          ExpectVerified(out);
        }
      } else {
        EXPECT_TRUE(Tree(out) == first) << "the discs differ from those of one job";
      }
    }
  }
}

TEST_F(DiscBuildTest, TextsGoInEachLanguagesCodePage) {
  WriteGame(SampleGame());
  WriteProject(
      "ProgramName_TW = \xE5\xAE\x89\xE8\xA3\x9D\xE7\xA8\x8B\xE5\xBC\x8F\n"   // 安裝程式
      "ProgramName_CN = \xE5\xAE\x89\xE8\xA3\x85\xE7\xA8\x8B\xE5\xBA\x8F\n"   // 安装程序
      "ProgramName_EN = Tool Test Setup\n"
      "NextCD_EN = \"Insert disc \"\n"
      "FINISH_MSG_EN = \"\"quoted\"\"\n"
      "web_link = http://example.com/game\n"
      "link = Read Me | readme.txt\n"
      "link = World | maps/world.map\n");
  ASSERT_TRUE(Build()) << error_;
  const std::string message = Get("out\\disc1\\setupdata\\message.ini");
  EXPECT_NE(message.find(std::string("ProgramName_TW\t") + testsupport::kBig5Setup + "\r\n"), std::string::npos);
  EXPECT_NE(message.find("ProgramName_CN\t\xB0\xB2\xD7\xB0\xB3\xCC\xD0\xF2\r\n"), std::string::npos);
  EXPECT_EQ(Get("out\\disc1\\setupdata\\setupdata.ini"),
            "Extra_Link0\treadme.txt\tRead Me\r\nExtra_Link1\tmaps\\world.map\tWorld\r\n");
  EXPECT_EQ(Get("out\\disc1\\setupdata\\website.url"), "[InternetShortcut]\r\nURL=http://example.com/game\r\n");

  // Read back by the installer's own readers, from the disc's root.
  ASSERT_TRUE(plat::SetCurrentFolder(Win("out\\disc1").c_str()));
  LoadMessageTexts();
  EXPECT_STREQ(setupState.texts[kProgramName][kLanguageTw], testsupport::kBig5Setup);
  EXPECT_STREQ(setupState.texts[kProgramName][kLanguageEn], "Tool Test Setup");
  EXPECT_STREQ(setupState.texts[kNextCd][kLanguageEn], "Insert disc ");
  EXPECT_STREQ(setupState.texts[kFinishMsg][kLanguageEn], "\"quoted\"");
  EXPECT_STREQ(setupState.texts[kUrlFileName][kLanguageCn], "setupdata\\website.url");
  EXPECT_EQ(ReadExtraLinks(), 2);
  EXPECT_STREQ(setupState.extraLinks[1].file, "maps\\world.map");
  PictureBank bank{};
  LoadPictureBank(&bank, "setupdata\\progress", -1, 1);
  EXPECT_EQ(bank.count, 1);
  FreePictureBank(&bank);
  EXPECT_TRUE(Boxes().empty()) << Boxes()[0].text;
}

// 許 is B3 5C in Big5: one character of a folder name on a traditional-
// Chinese system, a separator elsewhere.
TEST_F(DiscBuildTest, Big5NamesWithABackslashByteAreTakenAndWarnedAbout) {
  WriteGame(SampleGame());
  WriteProject("names = big5\ncompany = \xE8\xA8\xB1\xE6\xB0\x8F\n");  // 許氏
  ASSERT_TRUE(Build()) << error_;
  int warned = 0;
  for (const std::string& w : result_.warnings) {
    warned += w.find("company holds a double-byte character whose second byte is 0x5C") != std::string::npos;
  }
  EXPECT_EQ(warned, 1);
  EXPECT_EQ(Get("out\\disc1\\cd1").substr(0, 5), std::string("\xB3\\\xA4\xF3\0", 5));
}

TEST_F(DiscBuildTest, ASetupdataPackageServesTheInstaller) {
  WriteGame(SampleGame());
  WriteProject("setupdata = package\nProgramName_EN = Packed\n");
  ASSERT_TRUE(Build()) << error_;
  EXPECT_FALSE(testsupport::ExistsNative(Native("out\\disc1\\setupdata")));
  EXPECT_TRUE(testsupport::ExistsNative(Native("out\\disc1\\setupdata.apkg")));
  ExpectVerified();
  ASSERT_TRUE(plat::SetCurrentFolder(Win("out\\disc1").c_str()));
  LoadMessageTexts();
  EXPECT_STREQ(setupState.texts[kProgramName][kLanguageEn], "Packed");
  EXPECT_EQ(PictureCount("setupdata\\setup"), 1);
}

TEST_F(DiscBuildTest, VerifyFindsTheFirstFault) {
  WriteGame(SampleGame());
  WriteProject("data = manual\n", "200000");
  ASSERT_TRUE(Build()) << error_;
  ASSERT_GE(result_.discCount, 3);
  const std::string cd2 = Get("out\\disc2\\cd2");

  // One byte flipped inside a packed piece of disc 2: its record (the first,
  // at offset 0) no longer unpacks.
  std::string damaged = cd2;
  damaged[1000] = static_cast<char>(damaged[1000] ^ 0x40);
  Put("out\\disc2\\cd2", damaged);
  gamedisc::Fault fault = VerifyFault();
  EXPECT_EQ(fault.disc, 2);
  EXPECT_EQ(fault.offset, 0);
  EXPECT_EQ(fault.reason, "a record does not unpack");
  EXPECT_EQ(gamedisc::RunTool({"verify", "--quiet", Win("out")}), gamedisc::kExitFault);

  // Disc 2 cut short: the file it carries does not go on.
  Put("out\\disc2\\cd2", cd2.substr(0, cd2.size() - 10));
  fault = VerifyFault();
  EXPECT_EQ(fault.disc, 2);
  EXPECT_EQ(fault.reason, "the file ends inside a record");

  // Disc 2 emptied: nothing in the records shows the missing pieces, but
  // the file it carried on is short of what the list of files gives.
  Put("out\\disc2\\cd2", "");
  fault = VerifyFault();
  EXPECT_EQ(fault.disc, 1);
  EXPECT_EQ(fault.file, Win("out\\disc1\\cd1"));
  EXPECT_EQ(fault.reason.find("\\maps\\deep\\level\\music.bin is "), 0u) << fault.reason;
  EXPECT_NE(fault.reason.find("the disc's list of files gives 450,000 bytes"), std::string::npos) << fault.reason;

  // Disc 2 gone.
  ASSERT_EQ(std::remove(Native("out\\disc2\\cd2").c_str()), 0);
  fault = VerifyFault();
  EXPECT_EQ(fault.disc, 2);
  EXPECT_EQ(fault.reason, "missing");
  Put("out\\disc2\\cd2", cd2);

  // The install size in the header.
  std::string cd1 = Get("out\\disc1\\cd1");
  std::string header = cd1;
  header[164] = static_cast<char>(header[164] + 1);
  Put("out\\disc1\\cd1", header);
  fault = VerifyFault();
  EXPECT_EQ(fault.disc, 1);
  EXPECT_EQ(fault.offset, 164);
  Put("out\\disc1\\cd1", cd1);

  ExpectVerified();
  EXPECT_EQ(gamedisc::RunTool({"verify", "--quiet", Win("out")}), gamedisc::kExitOk);
}

// What setup takes, verify takes too, and says so: tag bytes of no record,
// also between two pieces of a file at a change of disc, and names that only
// some code pages accept (許 is B3 5C in Big5, 功 A5 5C).
TEST_F(DiscBuildTest, VerifyTakesWhatTheInstallerTakes) {
  WriteGame(SampleGame());
  WriteProject("", "200000");
  ASSERT_TRUE(Build()) << error_;
  ASSERT_GE(result_.discCount, 2);
  const std::string cd2 = Get("out\\disc2\\cd2");
  ASSERT_EQ(cd2[0], 3) << "disc 2 goes on with a piece of a file";
  Put("out\\disc2\\cd2", std::string("\x00\x06\xC8", 3) + cd2);
  gamedisc::DiscContents contents;
  gamedisc::Fault fault;
  EXPECT_TRUE(gamedisc::VerifyDiscSet(Discs(), &contents, &fault)) << gamedisc::DescribeFault(fault);
  EXPECT_EQ(contents.notes, std::vector<std::string>{"disc 2: 3 bytes of no record tag, passed over"});
  // Told too when the last disc, read to its end, ends inside a file: here
  // after the piece it opens with (a tag, a 32-bit length, the bytes).
  const std::string n = std::to_string(result_.discCount);
  const std::string lastPath = "out\\disc" + n + "\\cd" + n;
  const std::string last = Get(lastPath);
  ASSERT_GE(last.size(), 5u);
  ASSERT_EQ(last[0], 3) << "the last disc goes on with a piece of a file";
  const size_t piece = 5 + alib::LoadLe32(reinterpret_cast<const unsigned char*>(last.data()) + 1);
  ASSERT_LT(piece, last.size());
  Put(lastPath, std::string("\x00", 1) + last.substr(0, piece));
  gamedisc::DiscContents cutContents;
  EXPECT_FALSE(gamedisc::VerifyDiscSet(Discs(), &cutContents, &fault));
  EXPECT_EQ(fault.reason.substr(0, 32), "the last disc ends inside a file");
  EXPECT_EQ(cutContents.notes, (std::vector<std::string>{"disc 2: 3 bytes of no record tag, passed over",
                                                          "disc " + n + ": 1 bytes of no record tag, passed over"}));
  Put(lastPath, last);

  testsupport::SetupHeaderFields header;
  header.companyName = "Maker";
  header.gameName = "Game";
  header.uninstallKey = "Key";
  header.exeName = "x.txt";
  struct Case {
    std::string path;
    bool ok;
    std::string note;
  } cases[] = {
      {"\\\xB3\\\xA5\\\\x.txt", true, " is refused where the code page is 1252"},
      {"\\\xA5\\CON", true, " is refused where the code page is 1252"},
      {"\\\xB3\\\\..\\x", false, "a stored name has an empty folder name"},
  };
  for (const Case& c : cases) {
    Put("one\\cd1", testsupport::BuildDiscs(header, {}, {{c.path, "x"}})[0]);
    gamedisc::DiscSet one{{Win("one")}};
    EXPECT_EQ(gamedisc::ReadArchives(one, &contents, &fault), c.ok) << c.path;
    if (c.ok) {
      EXPECT_EQ(contents.notes, std::vector<std::string>{"disc 1, offset 168: " + c.path + c.note});
    } else {
      EXPECT_EQ(fault.reason, c.note);
    }
  }
}

TEST_F(DiscBuildTest, VerifyChecksWhatTheInstallerNeedsBesideTheArchives) {
  WriteGame(SampleGame());
  WriteProject("");
  ASSERT_TRUE(Build()) << error_;
  const std::string pic1 = Get("out\\disc1\\setupdata\\progress.pic1");

  // A picture whose pixels do not unpack, in place of the set's empty record.
  std::string damaged = testsupport::BuildPictureSet(testsupport::SamplePictures(1)).pic1;
  damaged[40] = static_cast<char>(damaged[40] ^ 0x01);
  Put("out\\disc1\\setupdata\\progress.pic1", damaged);
  gamedisc::Fault fault = VerifyFault();
  EXPECT_NE(fault.file.find("progress.pic1"), std::string::npos) << fault.file;
  EXPECT_EQ(fault.reason, "picture 0 does not unpack");
  Put("out\\disc1\\setupdata\\progress.pic1", pic1);

  const std::string message = Get("out\\disc1\\setupdata\\message.ini");
  Put("out\\disc1\\setupdata\\message.ini", message + "ProgramName_EN\tno line end");
  EXPECT_NE(VerifyFault().reason.find("CR LF"), std::string::npos);
  Put("out\\disc1\\setupdata\\message.ini", message);

  std::string probe = Get("out\\disc1\\data\\kelvora.exe");
  ASSERT_EQ(std::remove(Native("out\\disc1\\data\\kelvora.exe").c_str()), 0);
  fault = VerifyFault();
  EXPECT_NE(fault.file.find("kelvora.exe"), std::string::npos);
  // The executable is the probe, so it is missing from the installed files
  // too; the probe is looked at first.
  EXPECT_NE(fault.reason.find("finds the game disc"), std::string::npos) << fault.reason;
  Put("out\\disc1\\data\\kelvora.exe", probe);
  ExpectVerified();
}

// The registration points at uninstall.exe: verify wants it among the
// installed files, from the archives (every other build here) or, in any
// case, from the data folder.
TEST_F(DiscBuildTest, VerifyFindsTheUninstallerMissing) {
  WriteGame(SampleGame());
  Put("game\\Uninstall.EXE", "MZ the game's own uninstaller");
  WriteProject("data = Uninstall.EXE\n");
  ASSERT_TRUE(Build()) << error_;
  ExpectVerified();
  // The same bytes under another name, on a set without the list of files
  // (which would name the file first): the install size still adds up.
  ASSERT_EQ(std::remove(Native("out\\disc1\\setupdata\\manifest.ini").c_str()), 0);
  ASSERT_EQ(std::rename(Native("out\\disc1\\data\\Uninstall.EXE").c_str(),
                        Native("out\\disc1\\data\\Uninstal.EXE").c_str()),
            0);
  gamedisc::Fault fault = VerifyFault();
  EXPECT_EQ(fault.disc, 1);
  EXPECT_EQ(fault.file, Win("out\\disc1\\cd1"));
  EXPECT_EQ(fault.reason, "the registration points at uninstall.exe, which is not among the installed files");
  EXPECT_EQ(gamedisc::RunTool({"verify", "--quiet", Win("out")}), gamedisc::kExitFault);
}

TEST_F(DiscBuildTest, ListShowsEveryFolderAndFileWithItsDiscs) {
  WriteGame(SampleGame());
  WriteProject("data = manual\nsetupdata = package\n", "200000");
  ASSERT_TRUE(Build()) << error_;
  gamedisc::DiscContents contents;
  gamedisc::Fault fault;
  ASSERT_TRUE(gamedisc::ReadDiscSet(Discs(), &contents, &fault)) << gamedisc::DescribeFault(fault);
  std::map<std::string, const gamedisc::ArchivedFile*> files;
  for (const auto& f : contents.files) files[f.path] = &f;
  ASSERT_EQ(files.size(), 5u);  // the uninstaller and every file but the probe and the manual's
  EXPECT_EQ(files["\\maps\\deep\\level\\music.bin"]->size, 450000u);
  EXPECT_LT(files["\\maps\\deep\\level\\music.bin"]->firstDisc, files["\\maps\\deep\\level\\music.bin"]->lastDisc);
  EXPECT_EQ(files["\\empty.dat"]->size, 0u);
  std::vector<std::string> folders;
  for (const auto& f : contents.folders) folders.push_back(f.path);
  EXPECT_EQ(folders, (std::vector<std::string>{"\\maps", "\\maps\\deep", "\\maps\\deep\\level", "\\save"}));
  std::string listing = gamedisc::FormatListing(contents);
  EXPECT_NE(listing.find("   450000   1-3  \\maps\\deep\\level\\music.bin\n"), std::string::npos) << listing;
  EXPECT_NE(listing.find("setupdata.apkg:message.ini"), std::string::npos) << listing;
  EXPECT_NE(listing.find("data\\manual\\manual.txt"), std::string::npos) << listing;
  EXPECT_EQ(gamedisc::RunTool({"list", Win("out")}), gamedisc::kExitOk);
}

// Setup registers <install folder>\uninstall.exe and makes the Uninstall
// shortcut to it: every set installs one, the game's own or one added as the
// first file of the archives. One lower in the game folder does not count.
TEST_F(DiscBuildTest, EverySetInstallsAnUninstaller) {
  const std::string given = "MZ the given uninstaller";
  const std::string beside = "MZ the uninstaller beside setup " + Pattern(300000, 4);  // more than a piece
  const std::string own = "MZ the game's own uninstaller";
  Put("given\\uninstall.exe", given);
  Put("win\\setup.exe", "MZ setup");
  Put("win\\uninstall.exe", beside);
  Put("bare\\setup.exe", "MZ setup");
  Files game = SampleGame();
  game["manual\\uninstall.exe"] = "not at the top";
  WriteGame(game);
  WriteProject("");
  struct Case {
    const char* what;
    std::string uninstall, setup;  // scratch paths; empty for none
    bool ownInGame;                // the game folder has Uninstall.EXE at its top
    std::string said;              // what the build says of it; empty: it fails
    const std::string* installed;  // what \uninstall.exe is then
  };
  const std::string givenSaid = "  uninstall.exe: " + gamedisc::DisplayPath(Win("given\\uninstall.exe"));
  const Case cases[] = {
      {"--uninstall", "given\\uninstall.exe", "bare\\setup.exe", false, givenSaid, &given},
      {"beside --setup", "", "win\\setup.exe", false,
       "  uninstall.exe: " + gamedisc::DisplayPath(Win("win\\uninstall.exe")) + " (beside setup.exe)", &beside},
      {"--uninstall before the one beside --setup", "given\\uninstall.exe", "win\\setup.exe", false, givenSaid,
       &given},
      {"the game's own", "given\\uninstall.exe", "win\\setup.exe", true,
       "  uninstall.exe: the game's own (" + gamedisc::DisplayPath(Win("given\\uninstall.exe")) + " is not added)",
       &own},
      {"none", "", "bare\\setup.exe", false, "", nullptr},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string out = "out" + std::to_string(++n);
    uninstall_ = c.uninstall;
    setup_ = c.setup;
    if (c.ownInGame) {
      Put("game\\Uninstall.EXE", own);
    } else {
      std::remove(Native("game\\Uninstall.EXE").c_str());
    }
    if (c.said.empty()) {
      EXPECT_FALSE(Build(out));
      EXPECT_NE(error_.find("the Uninstall shortcut and the entry in the list of installed programs would point at "
                            "nothing; give one with --uninstall FILE"),
                std::string::npos)
          << error_;
      EXPECT_FALSE(testsupport::ExistsNative(Native(out))) << "nothing is written";
      continue;
    }
    ASSERT_TRUE(Build(out)) << error_;
    EXPECT_NE(std::find(said_.begin(), said_.end(), c.said), said_.end()) << testing::PrintToString(said_);
    gamedisc::DiscContents contents;
    gamedisc::Fault fault;
    ASSERT_TRUE(gamedisc::VerifyDiscSet(Discs(out), &contents, &fault)) << gamedisc::DescribeFault(fault);
    // Every game file but the probe is packed, and the one added before them.
    size_t packed = 0;
    uint32_t installSize = 40 + static_cast<uint32_t>(c.ownInGame ? 0 : c.installed->size());
    for (const auto& f : Tree("game")) {
      if (f.first.back() == '\\') continue;
      packed += f.first != "kelvora.exe";
      installSize += static_cast<uint32_t>(f.second.size());
    }
    EXPECT_EQ(result_.installSize, installSize);
    ASSERT_EQ(contents.files.size(), packed + (c.ownInGame ? 0 : 1));
    if (!c.ownInGame) {
      EXPECT_EQ(contents.files[0].path, "\\uninstall.exe");
      EXPECT_EQ(contents.files[0].size, c.installed->size());
    }
    ExpectInstalledWhole(out, c.ownInGame ? Files{} : Files{{"uninstall.exe", *c.installed}});
    std::filesystem::remove_all(Native("target"));
    ResetEngine();
  }
}

TEST_F(DiscBuildTest, InputTheInstallerCouldNotUseIsRefused) {
  struct Case {
    const char* what;
    std::map<std::string, std::string> game;
    std::string project;
    const char* expected;
  };
  const std::string tooLong(64, 'x');
  const Case cases[] = {
      {"no probe", {{"game.exe", "x"}}, "", "has no kelvora.exe"},
      {"unknown setting", {{"kelvora.exe", "x"}}, "compnay = x\n", "game.project:7: unknown setting"},
      {"text too long", {{"kelvora.exe", "x"}}, "ProgramName_EN = " + tooLong + "\n", "at most 63 fit"},
      {"no Big5 form", {{"kelvora.exe", "x"}}, "ProgramName_TW = \xE7\xAE\x80\n", "no form in code page 950"},
      {"not ASCII in English", {{"kelvora.exe", "x"}}, "ProgramName_EN = caf\xC3\xA9\n", "code page 20127"},
      {"path too long for the install folder",
       {{"kelvora.exe", "x"}, {std::string(80, 'a') + "\\" + std::string(80, 'b') + ".txt", "x"}},
       "company = " + std::string(39, 'c') + "\ngame = " + std::string(39, 'g') + "\n",
       "too long below the default install folder"},
      {"name not ASCII", {{"kelvora.exe", "x"}, {"caf\xC3\xA9.txt", "x"}}, "", "plain ASCII"},
      {"missing data", {{"kelvora.exe", "x"}}, "data = manual\n", "data \"manual\" is no file"},
      {"link to nothing", {{"kelvora.exe", "x"}}, "link = Help | help.txt\n", "no file of the game folder"},
      {"capacity", {{"kelvora.exe", "x"}}, "capacity = 2k\n", "neither cd650"},
      {"fifth link", {{"kelvora.exe", "x"}}, std::string(5, '\0'), "at most 4 links"},
      {"company with a backslash", {{"kelvora.exe", "x"}}, "company = a\\b\n", "cannot be a folder or key name"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string project = c.project;
    if (project == std::string(5, '\0')) {
      project.clear();
      for (int i = 0; i < 5; ++i) project += "link = L" + std::to_string(i) + " | kelvora.exe\n";
    }
    const std::string game = "game" + std::to_string(++n);
    for (const auto& f : c.game) Put(game + "\\" + f.first, f.second);
    WriteProject(project);
    std::string error;
    EXPECT_FALSE(gamedisc::BuildDiscSet(Options("refused", game), [](const std::string&) {}, &result_, &error));
    EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    EXPECT_FALSE(testsupport::ExistsNative(Native("refused"))) << "nothing is written";
  }
  // A build never writes into a folder that holds something.
  WriteGame(SampleGame());
  WriteProject("");
  Put("out\\keep.txt", "mine");
  EXPECT_FALSE(Build());
  EXPECT_NE(error_.find("is not empty"), std::string::npos) << error_;
  EXPECT_EQ(Get("out\\keep.txt"), "mine");
}

TEST_F(DiscBuildTest, TheCommandLineSaysWhatIsWrong) {
  EXPECT_EQ(gamedisc::RunTool({}), gamedisc::kExitUsage);
  EXPECT_EQ(gamedisc::RunTool({"help"}), gamedisc::kExitOk);
  EXPECT_EQ(gamedisc::RunTool({"help", "manual"}), gamedisc::kExitOk);
  EXPECT_EQ(std::string(gamedisc::kManual).rfind("# Making the discs: `gamedisc`\n", 0), 0u) << "the manual is docs/gamedisc.md";
  EXPECT_NE(std::string(gamedisc::kManual).find("\n## The project file\n"), std::string::npos);
  EXPECT_EQ(gamedisc::RunTool({"build", "--help"}), gamedisc::kExitOk);
  EXPECT_EQ(gamedisc::RunTool({"frobnicate"}), gamedisc::kExitUsage);
  EXPECT_EQ(gamedisc::RunTool({"build", "--project"}), gamedisc::kExitUsage);
  EXPECT_EQ(gamedisc::RunTool({"build", "--game", Win("game")}), gamedisc::kExitUsage);
  EXPECT_EQ(gamedisc::RunTool({"verify", Win("nowhere")}), gamedisc::kExitUsage);
  WriteGame(SampleGame());
  WriteProject("");
  for (const char* jobs : {"0", "65", "two", ""}) {
    EXPECT_EQ(gamedisc::RunTool({"build", "--project", Win("game.project"), "--game", Win("game"), "--out",
                                 Win("cli"), "--jobs", jobs}),
              gamedisc::kExitUsage)
        << jobs;
  }
  EXPECT_EQ(gamedisc::RunTool({"build", "--quiet", "--project", Win("game.project"), "--game", Win("game"), "--out",
                               Win("cli"), "--capacity", "cd700", "--uninstall", Win(uninstall_), "--jobs", "3"}),
            gamedisc::kExitOk);
  EXPECT_EQ(gamedisc::RunTool({"verify", "--quiet", Win("cli\\disc1")}), gamedisc::kExitOk);
  EXPECT_EQ(gamedisc::RunTool({"build", "--quiet", "--project", Win("missing.project"), "--game", Win("game"),
                               "--out", Win("cli2")}),
            gamedisc::kExitFault);
}

uint32_t ZlibCrc(const std::string& b) {
  return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(b.data()), static_cast<uInt>(b.size())));
}

// Read back by the installer's reader, from the folder and the package: the
// packed files in archive order with the disc of their FileStart, then the
// data files, each with the game folder's size and CRC-32.
TEST_F(DiscBuildTest, TheListOfFilesNamesEveryFileWithItsDiscSizeAndCrc) {
  Files game = SampleGame();
  WriteGame(game);
  game["uninstall.exe"] = kStandInUninstaller;
  const std::vector<std::string> data = {"\\kelvora.exe", "\\manual\\manual.txt", "\\manual\\pictures\\cover.bin"};
  for (const std::string setupdata : {"folder", "package"}) {
    SCOPED_TRACE(setupdata);
    WriteProject("data = manual\nsetupdata = " + setupdata + "\n", "300000");
    ASSERT_TRUE(Build(setupdata)) << error_;
    ASSERT_EQ(result_.discCount, 2);
    TextTable table;
    table.Load(Win(setupdata + "\\disc1\\setupdata\\manifest.ini").c_str());
    EXPECT_STREQ(table.Cell(1, 1), "002");
    Manifest manifest;
    std::string reason;
    ASSERT_TRUE(manifest.Parse(table, plat::kCodePageWestern, &reason)) << reason;
    EXPECT_EQ(manifest.discCount, 2);
    gamedisc::DiscContents contents;
    gamedisc::Fault fault;
    ASSERT_TRUE(gamedisc::ReadArchives(Discs(setupdata), &contents, &fault)) << gamedisc::DescribeFault(fault);
    const size_t packed = contents.files.size();
    ASSERT_EQ(manifest.files.size(), packed + data.size());
    std::set<int> discs;
    for (size_t i = 0; i < manifest.files.size(); ++i) {
      const ManifestFile& row = manifest.files[i];
      EXPECT_EQ(row.source, i < packed ? ManifestSource::kArchive : ManifestSource::kData);
      EXPECT_EQ(row.path, i < packed ? contents.files[i].path : data[i - packed]);
      EXPECT_EQ(row.disc, i < packed ? contents.files[i].firstDisc : 0) << row.path;
      const std::string& bytes = game[row.path.substr(1)];
      EXPECT_EQ(row.size, bytes.size()) << row.path;
      EXPECT_EQ(row.crc, ZlibCrc(bytes)) << row.path;
      discs.insert(row.disc);
    }
    EXPECT_EQ(discs, (std::set<int>{0, 1, 2}));
  }
}

// The first fault names the disc and the file that differ from the list.
TEST_F(DiscBuildTest, VerifyMatchesTheListOfFiles) {
  WriteGame(SampleGame());
  WriteProject("data = manual\n", "300000");
  ASSERT_TRUE(Build()) << error_;
  gamedisc::DiscContents contents;
  gamedisc::Fault fault;
  ASSERT_TRUE(gamedisc::VerifyDiscSet(Discs(), &contents, &fault)) << gamedisc::DescribeFault(fault);
  EXPECT_TRUE(contents.notes.empty());
  std::map<std::string, int> discOf;
  std::string onDiscTwo;  // the first file of disc 2, whose row comes first
  for (const gamedisc::ArchivedFile& f : contents.files) {
    discOf[f.path] = f.firstDisc;
    if (f.firstDisc == 2 && onDiscTwo.empty()) onDiscTwo = f.path;
  }
  const std::string list = "out\\disc1\\setupdata\\manifest.ini", text = Get(list);
  auto rowOf = [&](const std::string& path) {
    const size_t at = text.rfind("\r\n", text.find("\t" + path + "\t")) + 2;
    return text.substr(at, text.find("\r\n", at) + 2 - at);
  };
  auto listWith = [&](std::vector<std::pair<std::string, std::string>> edits) {
    std::string t = text;
    for (const auto& e : edits) {
      ASSERT_NE(t.find(e.first), std::string::npos) << e.first;
      t.replace(t.find(e.first), e.first.size(), e.second);
    }
    Put(list, t);
  };
  const std::string readme = rowOf("\\readme.txt"), rows = std::to_string(contents.files.size() + 3),
                    fewer = std::to_string(contents.files.size() + 2);
  const std::string cdOfReadme = "out\\disc" + std::to_string(discOf["\\readme.txt"]) + "\\cd" +
                                 std::to_string(discOf["\\readme.txt"]);
  char crc[16];
  std::snprintf(crc, sizeof crc, "%08X", static_cast<unsigned>(ZlibCrc("the manuaL")));
  struct Case {
    const char* what;
    std::function<void()> damage;
    int disc;
    std::string file, reason;
  };
  const Case cases[] = {
      {"a data file changed in one byte", [&] { Put("out\\disc1\\data\\manual\\manual.txt", "the manuaL"); }, 1,
       "out\\disc1\\data\\manual\\manual.txt",
       "\\manual\\manual.txt is 10 bytes, CRC-32 " + std::string(crc) + "; the disc's list of files gives 10 bytes"},
      {"a data file removed", [&] { std::remove(Native("out\\disc1\\data\\manual\\pictures\\cover.bin").c_str()); },
       1, "out\\disc1\\data\\manual\\pictures\\cover.bin",
       "\\manual\\pictures\\cover.bin is in the disc's list of files but not in the data folder"},
      {"a data file added", [&] { Put("out\\disc1\\data\\extra.txt", "x"); }, 1, "out\\disc1\\data\\extra.txt",
       "\\extra.txt is not in the disc's list of files"},
      {"a row's CRC", [&] { listWith({{readme, readme.substr(0, readme.size() - 10) + "00000000\r\n"}}); },
       discOf["\\readme.txt"], cdOfReadme, "; the disc's list of files gives 9 bytes, CRC-32 00000000"},
      {"a row's disc", [&] { listWith({{"file\t002\t", "file\t001\t"}}); }, 2, "out\\disc2\\cd2",
       onDiscTwo + " starts on disc 2; the disc's list of files gives disc 1"},
      {"the disc count", [&] { listWith({{"discs\t002", "discs\t003"}}); }, 1, list,
       "the list of files is of a set of 3 discs; the setup header gives 2"},
      {"a row removed, the count fixed", [&] { listWith({{readme, ""}, {"end\t" + rows + "\r\n", "end\t" + fewer + "\r\n"}}); },
       discOf["\\readme.txt"], cdOfReadme, "\\readme.txt is not in the disc's list of files"},
      {"the list cut short", [&] { Put(list, text.substr(0, text.size() / 2)); }, 1, list,
       "the list of files is cut short"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(Native("out"));
    ASSERT_TRUE(Build()) << error_;
    c.damage();
    fault = VerifyFault();
    EXPECT_EQ(fault.disc, c.disc);
    EXPECT_EQ(fault.file, Win(c.file));
    EXPECT_NE(fault.reason.find(c.reason), std::string::npos) << fault.reason;
  }
  // A set without the list verifies as before, and says so.
  ASSERT_EQ(std::remove(Native(list).c_str()), 0);
  ASSERT_TRUE(gamedisc::VerifyDiscSet(Discs(), &contents, &fault)) << gamedisc::DescribeFault(fault);
  EXPECT_EQ(contents.notes, std::vector<std::string>{"the set carries no list of files (setupdata\\manifest.ini): "
                                                     "setup cannot tell a file that reads but is not what was built"});
}

}  // namespace
