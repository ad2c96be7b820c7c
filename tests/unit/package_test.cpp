// Package files: the fallback of OpenRead, the reader, and damaged packages.
#include <cstring>
#include <string>
#include <vector>

#include "a_filepkg.h"
#include "apkg_writer.h"
#include "lib_test.h"

namespace {

using testsupport::BuildPackage;
using testsupport::LibTest;
using testsupport::PackageEntry;

class PackageTest : public LibTest {
 protected:
  // Opens `relative` below the scratch folder and reads it whole; `ok` says
  // whether it opened.
  std::string ReadAll(const std::string& relative, bool* ok) {
    FileHandle f;
    *ok = f.OpenRead(Win(relative).c_str()) == 1;
    if (!*ok) return std::string();
    std::string out;
    char buffer[7];  // small on purpose: many reads
    int got;
    while ((got = f.Read(buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<size_t>(got));
    EXPECT_EQ(f.Close(), 1);
    return out;
  }
};

TEST_F(PackageTest, MissingFileIsReadFromTheFoldersPackage) {
  Put("pics.apkg", BuildPackage({{"OTHER", "zz"}, {"TITLE.PIC1", "the picture \x01\xfe bytes"}}));
  FileHandle f;
  ASSERT_EQ(f.OpenRead(Win("pics\\title.pic1").c_str()), 1);
  EXPECT_TRUE(f.IsPackage());
  EXPECT_EQ(openFileCount, openAtStart_ + 2) << "the entry and the package file";
  EXPECT_EQ(f.Size(), 20);
  EXPECT_EQ(f.Write("x", 1), 0) << "entries are read-only";
  char buffer[4096];
  ASSERT_EQ(f.Read(buffer, sizeof buffer), 20);
  EXPECT_EQ(std::string(buffer, 20), "the picture \x01\xfe bytes");
  EXPECT_EQ(f.Read(buffer, sizeof buffer), 0);
  EXPECT_EQ(f.Close(), 1);
  EXPECT_EQ(openFileCount, openAtStart_);
}

TEST_F(PackageTest, AFileOnDiskWinsOverThePackage) {
  Put("pkg\\a.txt", "disk");
  Put("pkg.apkg", BuildPackage({{"A.TXT", "package"}}));
  bool ok = false;
  EXPECT_EQ(ReadAll("pkg\\a.txt", &ok), "disk");
  EXPECT_TRUE(ok);
}

TEST_F(PackageTest, NamesMatchWithoutRegardToAsciiCase) {
  Put("p.apkg", BuildPackage({{"TITLE.pic1", "x"}}));
  bool ok = false;
  EXPECT_EQ(ReadAll("p\\title.PIC1", &ok), "x");
  EXPECT_TRUE(ok);
}

TEST_F(PackageTest, UpperCasingStepsOverDoubleByteCharacters) {
  // 0xA4 0x61 is one double-byte character whose second byte looks like "a".
  Put("p.apkg", BuildPackage({{"\xA4\x61.txt", "big5"}}));
  bool ok = false;
  EXPECT_EQ(ReadAll("p\\\xA4\x61.TXT", &ok), "big5");
  EXPECT_TRUE(ok);
  ReadAll("p\\\xA4\x41.txt", &ok);
  EXPECT_FALSE(ok) << "a different second byte is a different character";

  char text[] = "ab\xA4\x61y\xFF";
  MakeUpper(text);
  EXPECT_STREQ(text, "AB\xA4\x61Y\xFF");
}

TEST_F(PackageTest, TheFirstOfTwoEqualNamesIsUsed) {
  Put("p.apkg", BuildPackage({{"DUP", "first"}, {"DUP", "second"}}));
  bool ok = false;
  EXPECT_EQ(ReadAll("p\\dup", &ok), "first");
}

TEST_F(PackageTest, EmptyEntryOpensWithSizeZero) {
  Put("p.apkg", BuildPackage({{"EMPTY", ""}, {"NEXT", "abc"}}));
  FileHandle f;
  ASSERT_EQ(f.OpenRead(Win("p\\empty").c_str()), 1);
  EXPECT_EQ(f.Size(), 0);
  char buffer[8];
  EXPECT_EQ(f.Read(buffer, 8), 0);
  f.Close();
}

TEST_F(PackageTest, SeekInsideAndPastTheEntry) {
  Put("p.apkg", BuildPackage({{"A", "0123456789"}, {"B", "after"}}));
  FileHandle f;
  ASSERT_EQ(f.OpenRead(Win("p\\a").c_str()), 1);
  char buffer[32];
  EXPECT_EQ(f.Seek(7), 1);
  ASSERT_EQ(f.Read(buffer, 32), 3) << "never into the next entry";
  EXPECT_EQ(std::string(buffer, 3), "789");
  EXPECT_EQ(f.Seek(50), 1);
  EXPECT_EQ(f.Read(buffer, 32), 0);
  EXPECT_EQ(f.Seek(0), 1);
  EXPECT_EQ(f.Read(buffer, 2), 2);
  EXPECT_EQ(std::string(buffer, 2), "01");
  f.Close();
}

TEST_F(PackageTest, NestedPackagesAreOpenedLevelByLevel) {
  std::string inner = BuildPackage({{"FILE.DAT", "innermost bytes"}});
  Put("outer.apkg", BuildPackage({{"JUNK", "j"}, {"INNER.APKG", inner}}));
  FileHandle f;
  ASSERT_EQ(f.OpenRead(Win("outer\\inner\\file.dat").c_str()), 1);
  EXPECT_EQ(openFileCount, openAtStart_ + 3);
  EXPECT_EQ(f.Size(), 15);
  char buffer[64];
  ASSERT_EQ(f.Read(buffer, sizeof buffer), 15);
  EXPECT_EQ(std::string(buffer, 15), "innermost bytes") << "complemented once per level";
  EXPECT_EQ(f.Close(), 1);
  EXPECT_EQ(openFileCount, openAtStart_);
}

TEST_F(PackageTest, CopyFileDataRestoresPackagedBytes) {
  Put("web.apkg", BuildPackage({{"LINK.URL", "[InternetShortcut]\r\n"}}));
  EXPECT_EQ(CopyFileData(Win("web\\link.url").c_str(), Win("out.url").c_str()), 1);
  EXPECT_EQ(Get("out.url"), "[InternetShortcut]\r\n");
}

TEST_F(PackageTest, TheFallbackNeedsABackslash) {
  Put("p.apkg", BuildPackage({{"A.TXT", "x"}}));
  FileHandle f;
  EXPECT_EQ(f.OpenRead("p/a.txt"), 0) << "a path with only / is not split";
  EXPECT_EQ(f.OpenRead("a.txt"), 0) << "a bare name has no folder";
  EXPECT_EQ(f.OpenRead("p\\a.txt"), 1);
  f.Close();
}

TEST_F(PackageTest, NotAPackageLeavesNoHandleOpen) {
  Put("p.apkg", "NOTAPKG and more bytes to read");
  FileHandle f;
  EXPECT_EQ(f.OpenRead(Win("p\\a.txt").c_str()), 0);
  EXPECT_EQ(openFileCount, openAtStart_);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(PackageTest, OverlongPathsFailWithoutOverrun) {
  std::string longName(300, 'n');
  FileHandle f;
  EXPECT_EQ(f.OpenRead(Win(longName + "\\x").c_str()), 0);
  // The folder part fits in 256 bytes but not with ".apkg" appended.
  std::string folder = "d" + std::string(250 - dir_.win.size(), 'f');
  std::string path = dir_.win + "\\" + folder + "\\x";
  ASSERT_LT(path.size(), 256u);
  ASSERT_GE(dir_.win.size() + 1 + folder.size() + 5, 256u);
  EXPECT_EQ(f.OpenRead(path.c_str()), 0);
  EXPECT_EQ(openFileCount, openAtStart_);
}

TEST_F(PackageTest, NameFillingAllThirtyTwoBytesIsComparedWithinThem) {
  std::string full(32, 'N');
  std::string package = BuildPackage({{full, "full"}});
  Put("p.apkg", package);
  bool ok = false;
  EXPECT_EQ(ReadAll("p\\" + std::string(32, 'n'), &ok), "full");
  EXPECT_TRUE(ok);
  ReadAll("p\\" + std::string(33, 'n'), &ok);
  EXPECT_FALSE(ok);
  ReadAll("p\\" + std::string(31, 'n'), &ok);
  EXPECT_FALSE(ok);
}

// Packages from a damaged or hostile disc: each one fails to open, leaves no
// handle and no block behind, and never asks for an absurd allocation.
TEST_F(PackageTest, DamagedDirectoriesFailCleanly) {
  const std::string good = BuildPackage({{"A.TXT", "0123456789"}, {"B.TXT", "bb"}});
  const size_t dir = good.size() - 80;  // the directory stands at the end
  struct Case {
    const char* what;
    std::string bytes;
  };
  auto patched = [&](size_t offset, uint32_t value) {
    std::string b = good;
    testsupport::PutLe32(&b, offset, value);
    return b;
  };
  std::vector<Case> cases = {
      {"empty file", ""},
      {"header cut short", good.substr(0, 10)},
      {"count far beyond the file", patched(8, 0x7FFFFFFF)},
      {"count whose byte size wraps 32 bits", patched(8, 0x06666667)},
      {"negative count", patched(8, 0xFFFFFFFF)},
      {"zero count", patched(8, 0)},
      {"directory offset negative", patched(4, 0xFFFFFFF0)},
      {"directory offset beyond the file", patched(4, static_cast<uint32_t>(good.size()))},
      {"directory inside the header", patched(4, 4)},
      {"directory cut by one byte", good.substr(0, good.size() - 1)},
      {"entry offset beyond the file", patched(dir + 32, 0x7FFFFFF0)},
      {"entry offset negative", patched(dir + 32, 0x80000000)},
      {"entry size beyond the file", patched(dir + 36, 0x10000)},
      {"entry size negative", patched(dir + 36, 0xFFFFFFFF)},
      {"entry end wraps", patched(dir + 36, 0x7FFFFFFF)},
  };
  for (const Case& c : cases) {
    Put("p.apkg", c.bytes);
    FileHandle f;
    EXPECT_EQ(f.OpenRead(Win("p\\a.txt").c_str()), 0) << c.what;
    EXPECT_EQ(openFileCount, openAtStart_) << c.what;
    EXPECT_EQ(liveBlockCount, liveAtStart_) << c.what;
  }
  EXPECT_TRUE(Boxes().empty()) << "no allocation was refused";

  // The undamaged package opens, and its second entry is still reachable.
  Put("p.apkg", good);
  bool ok = false;
  EXPECT_EQ(ReadAll("p\\b.txt", &ok), "bb");
}

TEST_F(PackageTest, NoDirectoryTableWithoutMemory) {
  Put("p.apkg", BuildPackage({{"A.TXT", "x"}}));
  a_alloc_fail_after = 1;  // the reader itself, then the directory table
  FileHandle f;
  EXPECT_EQ(f.OpenRead(Win("p\\a.txt").c_str()), 0);
  EXPECT_EQ(openFileCount, openAtStart_);
  a_alloc_fail_after = -1;
}

}  // namespace
