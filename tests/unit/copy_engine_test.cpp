// The copy engine over real files: discs, records, prompts, damaged archives
// and the data-folder copy. Runs natively and under Wine.
#include <cstring>
#include <string>
#include <vector>

#include "apkg_writer.h"
#include "copy_test.h"

namespace {

using testsupport::AddFile;
using testsupport::BuildDiscs;
using testsupport::CopyTest;
using testsupport::GameFile;
using testsupport::Pattern;
using testsupport::RecordStream;

class CopyEngineTest : public CopyTest {};

TEST_F(CopyEngineTest, OneDiscInstallsEveryFolderAndFile) {
  const std::string big = Pattern(500000, 1);  // three pieces
  RecordStream r;
  r.Folder("\\Save").Folder("\\data").Folder("\\data\\maps");
  AddFile(&r, "\\readme.txt", "hello\r\n");
  AddFile(&r, "\\data\\big.bin", big);
  AddFile(&r, "\\data\\maps\\empty.map", "");
  r.DiscEnd();
  PutDiscs({Disc1(r)});

  ASSERT_EQ(RunDiscs(), 1);
  EXPECT_EQ(copyState.outcome, CopyOutcome::kDone);
  EXPECT_TRUE(testsupport::IsFolderNative(Native("target\\Game\\Save")));
  EXPECT_EQ(Installed("readme.txt"), "hello\r\n");
  EXPECT_EQ(Installed("data\\big.bin"), big);
  EXPECT_TRUE(InstalledExists("data\\maps\\empty.map"));
  EXPECT_EQ(Installed("data\\maps\\empty.map"), "");
  EXPECT_TRUE(Boxes().empty());
  // Every stored name with its zero counts, as does every byte of content.
  uint32_t names = 0;
  for (const char* path : {"\\Save", "\\data", "\\data\\maps", "\\readme.txt", "\\data\\big.bin",
                           "\\data\\maps\\empty.map"}) {
    names += static_cast<uint32_t>(std::strlen(path) + 1);
  }
  EXPECT_EQ(copyState.bytesDone, names + 7 + big.size());
  EXPECT_STREQ(setupState.header.gameName, "Game") << "the header is read again";
}

TEST_F(CopyEngineTest, AFileSpanningTwoDiscsIsWrittenWhole) {
  std::vector<GameFile> files = {{"\\first.bin", Pattern(150000, 2)},
                                 {"\\span.bin", Pattern(700000, 3)},
                                 {"\\last.bin", Pattern(90000, 4)}};
  // The first disc is filled to its last byte; span.bin goes on on the second.
  std::vector<std::string> discs = BuildDiscs(header_, {"\\sub"}, files, 500000);
  ASSERT_EQ(discs.size(), 2u);
  EXPECT_EQ(discs[0].size(), 500000u);
  PutDiscs(discs);
  ASSERT_EQ(RunDiscs(), 1);
  for (const GameFile& f : files) EXPECT_EQ(Installed(f.path.substr(1)), f.content) << f.path;
  EXPECT_TRUE(Boxes().empty()) << "every disc was there";
}

TEST_F(CopyEngineTest, OnlyTheFirstDiscIsReadForCountsBelowTwo) {
  for (int32_t count : {0, 1, -3}) {
    header_.discCount = count;
    RecordStream one;
    AddFile(&one, "\\one.txt", "1");
    RecordStream two;
    AddFile(&two, "\\two.txt", "2");
    PutDiscs({Disc1(one), two.bytes()});
    ASSERT_EQ(RunDiscs(), 1) << count;
    EXPECT_TRUE(InstalledExists("one.txt"));
    EXPECT_FALSE(InstalledExists("two.txt")) << count;
    EXPECT_TRUE(Boxes().empty());
  }
}

// Tags 0, 6, 127 and 200 are records of one byte, between files and
// between the pieces of one file alike.
TEST_F(CopyEngineTest, UnknownTagsAreSkippedAndTheEndOfFileEndsADisc) {
  const std::string odd("\x00\x06\x7F\xC8", 4);
  RecordStream r;
  r.Raw(odd);
  AddFile(&r, "\\a.txt", "abc");
  r.Raw(odd).FileStart("\\pieces.txt").Raw(odd).FileData("one,").Raw(odd).FileData("two").Raw(odd).FileEnd();
  AddFile(&r, "\\b.txt", "def");  // no DiscEnd after it
  PutDiscs({Disc1(r)});
  ASSERT_EQ(RunDiscs(), 1);
  EXPECT_EQ(Installed("a.txt"), "abc");
  EXPECT_EQ(Installed("pieces.txt"), "one,two");
  EXPECT_EQ(Installed("b.txt"), "def");
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(CopyEngineTest, EmptyPiecesAndANewFileWhileOneIsOpen) {
  RecordStream r;
  r.FileStart("\\first.txt").FileData("part").FileData("");
  r.FileStart("\\second.txt").FileData("2nd").FileEnd().DiscEnd();
  PutDiscs({Disc1(r)});
  ASSERT_EQ(RunDiscs(), 1);
  EXPECT_EQ(Installed("first.txt"), "part");
  EXPECT_EQ(Installed("second.txt"), "2nd");
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(CopyEngineTest, TheNextDiscIsAskedForAndInserted) {
  std::vector<GameFile> files = {{"\\a.bin", Pattern(300000, 5)}, {"\\b.bin", Pattern(300000, 6)}};
  std::vector<std::string> discs = BuildDiscs(header_, {}, files, 400000);
  ASSERT_EQ(discs.size(), 2u);
  PutDiscs({discs[0]});
  const std::string cd2 = Native("disc\\cd2");
  plat::box_script::PushResponder([&](const plat::BoxRecord&) {
    testsupport::WriteNative(cd2, discs[1]);
    return plat::kAnswerOk;
  });
  ASSERT_EQ(RunDiscs(), 1);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "Please insert disc 2");
  EXPECT_EQ(Boxes()[0].caption, "Next Disc");
  EXPECT_EQ(Boxes()[0].type, plat::kBoxOkCancel);
  EXPECT_EQ(Installed("b.bin"), files[1].content);
}

TEST_F(CopyEngineTest, DecliningTheDiscStopsWithFail) {
  std::vector<GameFile> files = {{"\\a.bin", Pattern(300000, 5)}, {"\\b.bin", Pattern(300000, 6)},
                                 {"\\c.bin", Pattern(300000, 7)}};
  std::vector<std::string> discs = BuildDiscs(header_, {}, files, 400000);
  ASSERT_EQ(discs.size(), 3u);
  PutDiscs({discs[0], discs[1]});
  plat::box_script::PushAnswer(plat::kAnswerOk);      // asked for disc 3: try again
  plat::box_script::PushAnswer(plat::kAnswerCancel);  // still missing: give up
  EXPECT_EQ(RunDiscs(), 0);
  EXPECT_EQ(copyState.outcome, CopyOutcome::kDeclined);
  EXPECT_EQ(progressView.cancelRequested, 1);
  ASSERT_EQ(Boxes().size(), 3u);
  EXPECT_EQ(Boxes()[0].text, "Please insert disc 3");
  EXPECT_EQ(Boxes()[1].text, "Please insert disc 3");
  EXPECT_EQ(Boxes()[2].text, "Setup was not finished");
  EXPECT_EQ(Boxes()[2].caption, "Fail");
  EXPECT_EQ(Boxes()[2].type, plat::kBoxOk);
  std::string value;
  EXPECT_FALSE(testsupport::ReadRegistryString(std::string(kUninstallRoot) + "\\CopyTestGame",
                                               "DisplayName", &value))
      << "nothing is registered";
}

// A few hundred bytes that unpack to a whole piece are an ordinary record;
// one byte more than a piece is a damaged one.
TEST_F(CopyEngineTest, APieceMayUnpackToItsFullSizeAndNoFurther) {
  const std::string full(204800, '\0');
  const std::string packed = testsupport::Deflate(full);
  ASSERT_LT(packed.size(), 1000u);
  RecordStream r;
  r.FileStart("\\zeros.bin").Packed(3, packed).FileEnd().DiscEnd();
  PutDiscs({Disc1(r)});
  ASSERT_EQ(RunDiscs(), 1);
  EXPECT_EQ(Installed("zeros.bin"), full);

  ResetEngine();
  RecordStream over;
  over.FileStart("\\more.bin").Packed(3, testsupport::Deflate(full + "x")).FileEnd().DiscEnd();
  PutDiscs({Disc1(over)});
  EXPECT_EQ(RunDiscs(), 0);
  EXPECT_EQ(copyState.outcome, CopyOutcome::kDamaged);
}

TEST_F(CopyEngineTest, AFileThatCannotBeCreatedStopsTheRun) {
  RecordStream r;
  AddFile(&r, "\\taken", "x");
  r.DiscEnd();
  PutDiscs({Disc1(r)});
  testsupport::MakeFolderNative(Native("target\\Game\\taken"));
  EXPECT_EQ(RunDiscs(), 0);
  EXPECT_EQ(copyState.outcome, CopyOutcome::kCreateFailed);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "Create File Fail");
  EXPECT_EQ(Boxes()[0].caption, "Error");
}

TEST_F(CopyEngineTest, AJoinedPathThatDoesNotFitIsRefused) {
  std::string longTarget = Win("target\\" + std::string(150, 't'));  // room for its log, not for the file
  CopyCut(setupState.targetFolder, sizeof setupState.targetFolder, longTarget.c_str());
  RecordStream r;
  AddFile(&r, "\\" + std::string(100, 'n') + ".txt", "x");
  r.DiscEnd();
  PutDiscs({Disc1(r)});
  EXPECT_EQ(RunDiscs(), 0);
  EXPECT_EQ(copyState.outcome, CopyOutcome::kDamaged);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(Boxes()[0].text.find("too long"), std::string::npos) << Boxes()[0].text;
}

// Damaged and hostile archives: each stops the run with one box naming the
// disc file, nothing is registered, nothing lands outside the target folder,
// no file stays open and no block is lost.
TEST_F(CopyEngineTest, DamagedArchivesEndInTheFailurePath) {
  const std::string bomb(300000, 'z');
  struct Case {
    const char* what;
    RecordStream records;
  };
  auto file = [](const std::string& path) {
    RecordStream r;
    AddFile(&r, path, "bad");
    return r;
  };
  std::vector<Case> cases;
  cases.push_back({"record longer than the buffer", RecordStream().Raw(std::string("\x02", 1) +
                                                                        testsupport::Le32(409601))});
  cases.push_back({"cut inside the length", RecordStream().Raw(std::string("\x03\x10\x00", 3))});
  cases.push_back({"cut inside the payload", RecordStream().Raw(std::string("\x02", 1) +
                                                                 testsupport::Le32(50) + "short")});
  cases.push_back({"payload that is no zlib stream", RecordStream().Packed(2, "not zlib at all")});
  cases.push_back({"payload that unpacks beyond a piece", RecordStream().Packed(3, testsupport::Deflate(bomb))});
  cases.push_back({"file data without a file", RecordStream().FileData("orphan")});
  cases.push_back({"name without its zero", RecordStream().Packed(2, testsupport::Deflate("\\noend"))});
  cases.push_back({"dot dot", file("\\..\\..\\escaped.txt")});
  cases.push_back({"dot dot inside", file("\\a\\..\\..\\escaped.txt")});
  cases.push_back({"drive letter", file("\\C:\\escaped.txt")});
  cases.push_back({"stream", file("\\file.txt:hidden")});
  cases.push_back({"slash", file("\\a/../../escaped.txt")});
  cases.push_back({"no leading backslash", file("escaped.txt")});
  cases.push_back({"device", file("\\con.txt")});
  cases.push_back({"trailing dot", file("\\name.")});
  cases.push_back({"control character", file("\\a\x01.txt")});
  cases.push_back({"last disc ends inside a file", RecordStream().FileStart("\\open.txt").FileData("x")});
  cases.push_back({"folder escaping", RecordStream().Folder("\\..\\outside")});
  for (Case& c : cases) {
    plat::box_script::Clear();
    ResetEngine();
    PutDiscs({Disc1(c.records)});
    EXPECT_EQ(RunDiscs(), 0) << c.what;
    EXPECT_EQ(copyState.outcome, CopyOutcome::kDamaged) << c.what;
    ASSERT_EQ(Boxes().size(), 1u) << c.what;
    EXPECT_EQ(Boxes()[0].caption, "Error") << c.what;
    EXPECT_NE(Boxes()[0].text.find("cd1 is damaged"), std::string::npos) << c.what << ": " << Boxes()[0].text;
    EXPECT_EQ(openFileCount, openAtStart_) << c.what;
    EXPECT_EQ(liveBlockCount, liveAtStart_) << c.what;
    EXPECT_FALSE(testsupport::ExistsNative(Native("escaped.txt"))) << c.what;
    EXPECT_FALSE(testsupport::ExistsNative(Native("target\\escaped.txt"))) << c.what;
    EXPECT_FALSE(testsupport::ExistsNative(Native("outside"))) << c.what;
    EXPECT_FALSE(testsupport::ExistsNative(Native("target\\outside"))) << c.what;
    std::string value;
    EXPECT_FALSE(testsupport::ReadRegistryString(std::string(kUninstallRoot) + "\\CopyTestGame",
                                                 "DisplayName", &value))
        << c.what;
  }
}

TEST_F(CopyEngineTest, MissingFirstDiscStopsSilently) {
  EXPECT_EQ(RunDiscs(), 0);
  EXPECT_EQ(copyState.outcome, CopyOutcome::kNoFirstDisc);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_FALSE(testsupport::ExistsNative(Native("target"))) << "the target is not even made";
}

TEST_F(CopyEngineTest, TheTargetFolderIsMadeLevelByLevel) {
  CopyCut(setupState.targetFolder, sizeof setupState.targetFolder, Win("t1\\t2\\t3").c_str());
  MakeTargetFolder();
  EXPECT_TRUE(testsupport::IsFolderNative(Native("t1\\t2\\t3")));
}

TEST_F(CopyEngineTest, CopyTreeCopiesEveryFileAndRestoresTheCurrentFolder) {
  Put("disc\\data\\kelvora.exe", "MZ game");
  Put("disc\\data\\sub\\deep\\level.dat", Pattern(600000, 9));
  Put("disc\\data\\sub\\readme.txt", "read me");
  Put("target\\Game\\readme.txt", "old");
  testsupport::MakeFolderNative(Native("disc\\data\\emptydir"));
  char before[260];
  plat::GetCurrentFolder(before, sizeof before);
  EXPECT_EQ(CopyTree(Win("disc\\data").c_str(), Win("target\\Game").c_str()), 1);
  char after[260];
  plat::GetCurrentFolder(after, sizeof after);
  EXPECT_STREQ(after, before);
  EXPECT_EQ(Installed("kelvora.exe"), "MZ game");
  EXPECT_EQ(Installed("sub\\deep\\level.dat"), Pattern(600000, 9));
  EXPECT_EQ(Installed("sub\\readme.txt"), "read me");
  EXPECT_TRUE(testsupport::IsFolderNative(Native("target\\Game\\emptydir")));
}

TEST_F(CopyEngineTest, CopyTreeOfAMissingSourceDoesNothing) {
  char before[260];
  plat::GetCurrentFolder(before, sizeof before);
  EXPECT_EQ(CopyTree(Win("disc\\nothing").c_str(), Win("target\\copy").c_str()), 1);
  EXPECT_FALSE(testsupport::ExistsNative(Native("target\\copy")));
  char after[260];
  plat::GetCurrentFolder(after, sizeof after);
  EXPECT_STREQ(after, before);
}

}  // namespace
