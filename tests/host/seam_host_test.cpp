// The Linux stand-in for the OS: path translation, the current folder, boxes,
// and the faults only it can produce on demand.
#include <string>

#include "a_file.h"
#include "apkg_writer.h"
#include "box_script.h"
#include "host_control.h"
#include "lib_test.h"

namespace {

using plat::host::ToHostPath;
using testsupport::LibTest;

class HostSeamTest : public LibTest {
 protected:
  void TearDown() override {
    plat::host::SetCodePage(1252);
    LibTest::TearDown();
  }
  std::string Host(const char* path) {
    std::string out = "<unresolved>";
    ToHostPath(path, &out);
    return out;
  }
};

TEST_F(HostSeamTest, PathsResolveAgainstDrivesAndTheCurrentFolder) {
  testsupport::MakeFolderNative(Native("sub\\deeper"));
  plat::host::MapDrive('q', dir_.native, plat::kDriveCdrom);
  EXPECT_EQ(Host("Q:\\sub\\file"), dir_.native + "/sub/file");
  EXPECT_EQ(Host("q:/sub/file"), dir_.native + "/sub/file");
  EXPECT_EQ(Host("Q:\\"), dir_.native);
  EXPECT_EQ(Host("Q:\\..\\..\\sub"), dir_.native + "/sub") << ".. stops at the root";
  EXPECT_EQ(Host("Q:\\sub\\.\\deeper\\..\\x"), dir_.native + "/sub/x");

  ASSERT_TRUE(plat::SetCurrentFolder("Q:\\sub"));
  EXPECT_EQ(Host("deeper\\f"), dir_.native + "/sub/deeper/f");
  EXPECT_EQ(Host("\\top"), dir_.native + "/top") << "root of the current drive";
  EXPECT_EQ(Host("Q:rel"), dir_.native + "/sub/rel") << "drive-relative";

  std::string out = "unchanged";
  EXPECT_FALSE(ToHostPath("R:\\x", &out)) << "unmapped drive";
  EXPECT_FALSE(ToHostPath("\\\\server\\share\\x", &out));
  EXPECT_FALSE(ToHostPath("\\\\?\\C:\\x", &out));
  EXPECT_FALSE(ToHostPath("", &out));
  EXPECT_EQ(out, "unchanged");
}

TEST_F(HostSeamTest, ExistingNamesMatchWithoutRegardToCase) {
  Put("Setup\\Message.INI", "x");
  EXPECT_EQ(Host((dir_.win + "\\SETUP\\message.ini").c_str()), dir_.native + "/Setup/Message.INI");
  FileHandle f;
  ASSERT_EQ(f.OpenRead(Win("setup\\MESSAGE.ini").c_str()), 1);
  f.Close();
}

// 0xA5 0x5C is one Big5 (and GBK) character whose second byte is a
// backslash; on code page 1252 it is "\xA5" and a separator, and 0xE9 0x5C
// is "é" and a separator. Paths resolve, parent folders are made and the
// package of a file's folder is found as the code page reads the path.
TEST_F(HostSeamTest, NamesAreSplitAsTheCodePageReadsThem) {
  struct Case {
    unsigned codePage;
    std::string name;    // a folder name with a 0x5C byte, as the path holds it
    std::string folder;  // the Linux folder that name reads as
  } cases[] = {{950, "\xA5\\", "\xA5\\"},
               {936, "\xA5\\", "\xA5\\"},
               {1252, "\xA5\\x", "\xA5/x"},
               {1252, "Caf\xE9\\x", "Caf\xE9/x"}};
  for (const Case& c : cases) {
    plat::host::SetCodePage(c.codePage);
    EXPECT_EQ(Host(Win(c.name + "\\f").c_str()), dir_.native + "/" + c.folder + "/f") << c.codePage;
    MakeParentFolders(Win(c.name + "\\f").c_str());
    EXPECT_TRUE(testsupport::IsFolderNative(dir_.native + "/" + c.folder)) << c.codePage << " " << c.folder;
    // A file missing on disk is looked for in the package of its folder.
    testsupport::WriteNative(dir_.native + "/pkg.apkg", testsupport::BuildPackage({{c.name + ".TXT", "packed"}}));
    FileHandle f;
    char got[8] = {};
    ASSERT_EQ(f.OpenRead(Win("pkg\\" + c.name + ".txt").c_str()), c.codePage == 1252 ? 0 : 1) << c.codePage;
    if (f.IsOpen()) {
      EXPECT_EQ(f.Read(got, 7), 6);
      EXPECT_STREQ(got, "packed");
      f.Close();
    }
  }
}

TEST_F(HostSeamTest, CurrentFolderHasTheWindowsForm) {
  testsupport::MakeFolderNative(Native("a"));
  plat::host::MapDrive('E', dir_.native, plat::kDriveCdrom);
  char buffer[260];
  ASSERT_TRUE(plat::SetCurrentFolder("e:\\"));
  EXPECT_EQ(plat::GetCurrentFolder(buffer, sizeof buffer), 3u);
  EXPECT_STREQ(buffer, "E:\\");
  ASSERT_TRUE(plat::SetCurrentFolder("a"));
  EXPECT_EQ(plat::GetCurrentFolder(buffer, sizeof buffer), 4u);
  EXPECT_STREQ(buffer, "E:\\a");
  EXPECT_EQ(plat::GetCurrentFolder(buffer, 4), 5u) << "too small: the size needed";

  Put("file", "x");
  EXPECT_FALSE(plat::SetCurrentFolder("E:\\missing"));
  EXPECT_FALSE(plat::SetCurrentFolder(Win("file").c_str()));
  EXPECT_FALSE(plat::SetCurrentFolder("K:\\"));
  plat::GetCurrentFolder(buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "E:\\a") << "a failed change keeps the folder";
}

TEST_F(HostSeamTest, BoxesAreRecordedAndAnsweredFromTheQueue) {
  int owner = 0;
  plat::box_script::PushAnswer(plat::kAnswerCancel);
  EXPECT_EQ(plat::MessageBox(&owner, "Question?", "Warning", plat::kBoxOkCancel), plat::kAnswerCancel);
  EXPECT_EQ(plat::MessageBox(nullptr, "Done", "", plat::kBoxOk), plat::kAnswerOk);
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[0].owner, &owner);
  EXPECT_EQ(Boxes()[0].text, "Question?");
  EXPECT_EQ(Boxes()[0].caption, "Warning");
  EXPECT_EQ(Boxes()[0].type, plat::kBoxOkCancel);
  EXPECT_EQ(Boxes()[0].answer, plat::kAnswerCancel);
  EXPECT_EQ(Boxes()[1].answer, plat::kAnswerOk);
}

// A full disk often shows only when the buffered data is flushed at close.
// /dev/full refuses every write with ENOSPC, so the close must say so.
TEST_F(HostSeamTest, AFullDiskAtCloseIsReported) {
  plat::host::MapDrive('F', "/dev");
  FileHandle f;
  ASSERT_EQ(f.OpenWrite("F:\\full"), 1);
  EXPECT_EQ(f.Write("some bytes", 10), 1) << "buffered, not yet refused";
  EXPECT_EQ(f.Close(), 0);
  EXPECT_FALSE(f.IsOpen());
  EXPECT_EQ(openFileCount, openAtStart_);
}

}  // namespace
