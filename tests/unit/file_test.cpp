// File access on disk: handles and their balance, writing, folders, copies.
#include <string>

#include "a_file.h"
#include "lib_test.h"

namespace {

using testsupport::LibTest;

class FileTest : public LibTest {};

TEST_F(FileTest, ClosedHandlesRefuseEverything) {
  FileHandle f;
  char buffer[8];
  EXPECT_EQ(f.Close(), 0);
  EXPECT_EQ(f.Size(), 0);
  EXPECT_EQ(f.Seek(0), 0);
  EXPECT_EQ(f.Read(buffer, 8), 0);
  EXPECT_EQ(f.Write("x", 1), 0);
  EXPECT_EQ(openFileCount, openAtStart_);
}

TEST_F(FileTest, OpenAndCloseKeepTheBalance) {
  Put("a.bin", "0123456789");
  FileHandle f;
  ASSERT_EQ(f.OpenRead(Win("a.bin").c_str()), 1);
  EXPECT_EQ(openFileCount, openAtStart_ + 1);
  EXPECT_FALSE(f.IsPackage());
  EXPECT_EQ(f.Size(), 10);
  char buffer[16] = {};
  ASSERT_EQ(f.Seek(4), 1);
  EXPECT_EQ(f.Read(buffer, 16), 6);
  EXPECT_EQ(std::string(buffer, 6), "456789");
  EXPECT_EQ(f.Read(buffer, 16), 0);
  EXPECT_EQ(f.Read(buffer, 0), 0);
  EXPECT_EQ(f.Read(buffer, -5), 0);
  EXPECT_EQ(f.Seek(-1), 0);
  EXPECT_EQ(f.Close(), 1);
  EXPECT_EQ(openFileCount, openAtStart_);
  EXPECT_EQ(f.Close(), 0);
  EXPECT_EQ(openFileCount, openAtStart_);
}

TEST_F(FileTest, MissingFileDoesNotOpen) {
  FileHandle f;
  EXPECT_EQ(f.OpenRead(Win("nothing\\here.dat").c_str()), 0);
  EXPECT_EQ(f.OpenRead("bare-name.dat"), 0);
  EXPECT_FALSE(f.IsOpen());
  EXPECT_EQ(openFileCount, openAtStart_);
}

TEST_F(FileTest, SizeDoesNotMoveThePosition) {
  Put("a.bin", "abcdef");
  FileHandle f;
  ASSERT_EQ(f.OpenRead(Win("a.bin").c_str()), 1);
  char c = 0;
  ASSERT_EQ(f.Read(&c, 1), 1);
  EXPECT_EQ(f.Size(), 6);
  ASSERT_EQ(f.Read(&c, 1), 1);
  EXPECT_EQ(c, 'b');
  f.Close();
}

TEST_F(FileTest, OpenWriteMakesTheMissingFolders) {
  FileHandle f;
  std::string path = Win("a\\b\\c.dat");
  ASSERT_EQ(f.OpenWrite(path.c_str()), 1);
  EXPECT_EQ(f.Write("hello", 5), 1);
  EXPECT_EQ(f.Write("", 0), 0);
  EXPECT_EQ(f.Size(), 5);
  ASSERT_EQ(f.Seek(1), 1);
  char buffer[4] = {};
  EXPECT_EQ(f.Read(buffer, 4), 4) << "w+b is open for update";
  EXPECT_EQ(f.Close(), 1);
  EXPECT_TRUE(testsupport::IsFolderNative(Native("a\\b")));
  EXPECT_EQ(Get("a\\b\\c.dat"), "hello");
}

TEST_F(FileTest, OpenWriteTruncates) {
  Put("t.dat", "long old content");
  FileHandle f;
  ASSERT_EQ(f.OpenWrite(Win("t.dat").c_str()), 1);
  EXPECT_EQ(f.Write("new", 3), 1);
  EXPECT_EQ(f.Close(), 1);
  EXPECT_EQ(Get("t.dat"), "new");
}

TEST_F(FileTest, OpenWriteOnAFolderFails) {
  testsupport::MakeFolderNative(Native("taken"));
  FileHandle f;
  EXPECT_EQ(f.OpenWrite(Win("taken").c_str()), 0);
  EXPECT_EQ(openFileCount, openAtStart_);
}

TEST_F(FileTest, MakeParentFoldersSplitsAtBothSeparatorsButNotTheLastComponent) {
  MakeParentFolders(Win("p\\q/r\\leaf").c_str());
  EXPECT_TRUE(testsupport::IsFolderNative(Native("p\\q\\r")));
  EXPECT_FALSE(testsupport::ExistsNative(Native("p\\q\\r\\leaf")));
}

TEST_F(FileTest, FileExistsAndMakeFolder) {
  Put("f.txt", "x");
  EXPECT_EQ(FileExists(Win("f.txt").c_str()), 1);
  EXPECT_EQ(FileExists(dir_.win.c_str()), 1) << "folders count";
  EXPECT_EQ(FileExists(Win("none.txt").c_str()), 0);
  EXPECT_EQ(MakeFolder(Win("new").c_str()), 0);
  EXPECT_EQ(MakeFolder(Win("new").c_str()), -1) << "exists already";
  EXPECT_EQ(MakeFolder(Win("no\\parent").c_str()), -1);
  EXPECT_TRUE(testsupport::IsFolderNative(Native("new")));
}

TEST_F(FileTest, CopyOfAnEmptyFileMakesAnEmptyFile) {
  Put("empty", "");
  EXPECT_EQ(CopyFileData(Win("empty").c_str(), Win("out\\copy").c_str()), 1);
  EXPECT_TRUE(testsupport::ExistsNative(Native("out\\copy")));
  EXPECT_EQ(Get("out\\copy"), "");
}

TEST_F(FileTest, CopySpanningSeveralChunksIsExact) {
  std::string big(1300000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 131) >> 3);
  Put("big", big);
  EXPECT_EQ(CopyFileData(Win("big").c_str(), Win("big2").c_str()), 1);
  EXPECT_EQ(Get("big2"), big);
}

TEST_F(FileTest, CopyFromAMissingSourceCreatesNothing) {
  EXPECT_EQ(CopyFileData(Win("missing").c_str(), Win("target").c_str()), 0);
  EXPECT_FALSE(testsupport::ExistsNative(Native("target")));
}

TEST_F(FileTest, CopyIntoAnUnwritableTargetFails) {
  Put("src", "data");
  testsupport::MakeFolderNative(Native("dst"));
  EXPECT_EQ(CopyFileData(Win("src").c_str(), Win("dst").c_str()), 0);
}

TEST_F(FileTest, CopyWithoutABufferFailsCleanly) {
  Put("src", "data");
  a_alloc_fail_after = 0;
  EXPECT_EQ(CopyFileData(Win("src").c_str(), Win("dst").c_str()), 0);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].caption, "alloc failure");
}

TEST_F(FileTest, OpenFileReportOnlyWhenAHandleIsLeft) {
  a_file_report();
  EXPECT_TRUE(Boxes().empty());
  Put("x", "x");
  FileHandle f;
  ASSERT_EQ(f.OpenRead(Win("x").c_str()), 1);
  a_file_report();
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "Some file is not close");
  EXPECT_EQ(Boxes()[0].caption, "error");
  EXPECT_EQ(Boxes()[0].owner, nullptr);
  f.Close();
}

}  // namespace
