// The Linux port and the test controls over it: path translation, the
// current folder and the files, the same on the disk and in memory; boxes,
// and the faults only the controls produce on demand.
#include <time.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "a_file.h"
#include "apkg_writer.h"
#include "box_script.h"
#include "host_control.h"
#include "lib_test.h"
#include "memory_files.h"

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

// The tests of paths and files run on both of the stand-in's file systems.
class HostFilesTest : public HostSeamTest, public ::testing::WithParamInterface<bool> {
  testsupport::FilesInMemory inMemory_{GetParam()};
};

INSTANTIATE_TEST_SUITE_P(DiskAndMemory, HostFilesTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& p) { return p.param ? "Memory" : "Disk"; });

TEST_P(HostFilesTest, PathsResolveAgainstDrivesAndTheCurrentFolder) {
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

TEST_P(HostFilesTest, ExistingNamesMatchWithoutRegardToCase) {
  Put("Setup\\Message.INI", "x");
  EXPECT_EQ(Host((dir_.win + "\\SETUP\\message.ini").c_str()), dir_.native + "/Setup/Message.INI");
  FileHandle f;
  ASSERT_EQ(f.OpenRead(Win("setup\\MESSAGE.ini").c_str()), 1);
  f.Close();
}

// The names of a folder are kept between lookups on the disk: they must
// follow the program's own changes at once, and another program's once the
// file system's clock has moved on.
TEST_P(HostFilesTest, NamesInAnyCaseFollowChangesToTheFolder) {
  const bool disk = !GetParam();
  auto outside = [&](const std::string& relative) {
    if (!disk) return Put(relative, "o");
    timespec tick;
    clock_getres(CLOCK_REALTIME_COARSE, &tick);
    tick.tv_nsec = tick.tv_nsec * 2 + 1000000;
    nanosleep(&tick, nullptr);
    std::ofstream(Native(relative), std::ios::binary) << "o";
  };
  auto found = [&](const char* relative) { return Host(Win(relative).c_str()).substr(dir_.native.size() + 1); };
  Put("Saves\\a.txt", "a");
  EXPECT_EQ(found("SAVES\\A.TXT"), "Saves/a.txt");

  plat::Stream* made = plat::StreamOpen(Win("saves\\New.dat").c_str(), "wb");
  ASSERT_NE(made, nullptr);
  EXPECT_TRUE(plat::StreamClose(made));
  EXPECT_EQ(found("SAVES\\NEW.DAT"), "Saves/New.dat") << "made through the seam";
  ASSERT_TRUE(plat::CreateFolder(Win("SAVES\\Slot1").c_str()));
  EXPECT_EQ(found("saves\\slot1"), "Saves/Slot1");

  outside("Saves\\Other.TXT");
  EXPECT_EQ(found("saves\\other.txt"), "Saves/Other.TXT") << "made by another program";

  // Linux holds both; removing the one found uncovers the other.
  outside("Saves\\dup");
  outside("Saves\\DUP");
  const std::string first = found("saves\\Dup");
  ASSERT_TRUE(first == "Saves/dup" || first == "Saves/DUP") << first;
  EXPECT_TRUE(plat::DeleteFile(Win("saves\\Dup").c_str()));
  EXPECT_EQ(found("saves\\Dup"), first == "Saves/dup" ? "Saves/DUP" : "Saves/dup");
}

// 0xA5 0x5C is one Big5 (and GBK) character whose second byte is a
// backslash; on code page 1252 it is "\xA5" and a separator, and 0xE9 0x5C
// is "é" and a separator. Paths resolve, parent folders are made and the
// package of a file's folder is found as the code page reads the path.
TEST_P(HostFilesTest, NamesAreSplitAsTheCodePageReadsThem) {
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

TEST_P(HostFilesTest, CurrentFolderHasTheWindowsForm) {
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

// Streams: an error is not the end of the file; a file outlives its name
// while open; a seek past the end and a write there leave zeros between.
TEST_P(HostFilesTest, StreamsKeepTheirMeaning) {
  Put("f", "abcdef");
  plat::Stream* in = plat::StreamOpen(Win("f").c_str(), "rb");
  ASSERT_NE(in, nullptr);
  char buffer[16] = {};
  EXPECT_EQ(plat::StreamRead(in, buffer, 4), 4u);
  EXPECT_TRUE(plat::DeleteFile(Win("f").c_str()));
  EXPECT_EQ(plat::StreamRead(in, buffer + 4, 8), 2u) << "read on after the name went";
  EXPECT_STREQ(buffer, "abcdef");
  EXPECT_EQ(plat::StreamRead(in, buffer, 8), 0u);
  EXPECT_FALSE(plat::StreamError(in)) << "the end is no error";
  EXPECT_EQ(plat::StreamWrite(in, "x", 1), 0u);
  EXPECT_TRUE(plat::StreamError(in)) << "a write to a stream opened for reading";
  plat::StreamClose(in);
  EXPECT_FALSE(testsupport::ExistsNative(Native("f")));

  plat::Stream* out = plat::StreamOpen(Win("g").c_str(), "w+b");
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(plat::StreamWrite(out, "12", 2), 2u);
  EXPECT_FALSE(plat::StreamSeek(out, -3, plat::kSeekCur));
  EXPECT_TRUE(plat::StreamSeek(out, 2, plat::kSeekEnd));
  EXPECT_EQ(plat::StreamTell(out), 4);
  EXPECT_EQ(plat::StreamWrite(out, "3", 1), 1u);
  EXPECT_TRUE(plat::StreamClose(out));
  EXPECT_EQ(Get("g"), std::string("12\0\0" "3", 5));
  out = plat::StreamOpen(Win("g").c_str(), "ab");
  ASSERT_NE(out, nullptr);
  plat::StreamSeek(out, 0, plat::kSeekSet);
  EXPECT_EQ(plat::StreamWrite(out, "4", 1), 1u);
  EXPECT_TRUE(plat::StreamClose(out));
  EXPECT_EQ(Get("g"), std::string("12\0\0" "34", 6)) << "appended whatever the position";

  EXPECT_EQ(plat::StreamOpen(Win("missing").c_str(), "rb"), nullptr);
  EXPECT_EQ(plat::StreamOpen(Win("no\\such").c_str(), "wb"), nullptr) << "no parent folder";
  testsupport::MakeFolderNative(Native("dir"));
  EXPECT_EQ(plat::StreamOpen(Win("dir").c_str(), "rb"), nullptr);
  EXPECT_EQ(plat::StreamOpen(Win("dir").c_str(), "wb"), nullptr);
}

// Folders, attributes, listings and links (which stand for junctions):
// a link is removed itself, never what it points at.
TEST_P(HostFilesTest, FoldersAndLinksKeepTheirMeaning) {
  Put("outside\\keep.txt", "k");
  Put("game\\a.txt", "a");
  ASSERT_TRUE(plat::host::MakeHostLink(Native("outside"), Native("game\\into")));
  EXPECT_EQ(plat::GetAttributes(Win("game\\into").c_str()), plat::kAttrReparsePoint | plat::kAttrDirectory);
  EXPECT_EQ(plat::GetAttributes(Win("game\\INTO\\Keep.txt").c_str()), 0x80u) << "through the link, any case";
  EXPECT_EQ(plat::GetAttributes(Win("game").c_str()), plat::kAttrDirectory);
  EXPECT_EQ(plat::GetAttributes(Win("none").c_str()), plat::kInvalidAttributes);

  plat::FolderEntry entry;
  plat::FolderList* list = plat::ListFirst(Win("game\\*.*").c_str(), &entry);
  ASSERT_NE(list, nullptr);
  std::string names;
  do {
    names += std::string(entry.name) + ":" + std::to_string(entry.attributes) + " ";
  } while (plat::ListNext(list, &entry));
  plat::ListClose(list);
  EXPECT_EQ(names, ".:16 ..:16 a.txt:128 into:1040 ");

  EXPECT_FALSE(plat::DeleteFile(Win("game").c_str())) << "a folder is no file";
  EXPECT_FALSE(plat::RemoveFolder(Win("game").c_str())) << "not empty";
  EXPECT_FALSE(plat::CreateFolder(Win("game").c_str())) << "already there";
  EXPECT_FALSE(plat::CreateFolder(Win("x\\y").c_str())) << "no parent";
  EXPECT_TRUE(plat::RemoveFolder(Win("game\\into").c_str()));
  EXPECT_TRUE(testsupport::ExistsNative(Native("outside\\keep.txt")));
  EXPECT_TRUE(plat::DeleteFile(Win("game\\a.txt").c_str()));
  EXPECT_TRUE(plat::RemoveFolder(Win("game").c_str()));
  EXPECT_TRUE(plat::CreateFolder(Win("game").c_str()));

  plat::host::HoldFile(Win("outside\\keep.txt"));
  EXPECT_FALSE(plat::DeleteFile(Win("outside\\keep.txt").c_str())) << "held open elsewhere";
  plat::host::ReleaseHeldFiles();

  plat::host::FailCall(plat::host::kFaultFolder, 1);
  EXPECT_FALSE(plat::CreateFolder(Win("made").c_str()));
  EXPECT_TRUE(plat::CreateFolder(Win("made").c_str()));
  plat::host::ResetFaults();
}

// A layout kept and put back, for runs that each start from it.
TEST_F(HostSeamTest, TheTreeInMemoryIsPutBackAsItWasKept) {
  testsupport::FilesInMemory inMemory;
  const testsupport::Scratch dir = testsupport::NewScratch();
  testsupport::WriteNative(dir.native + "/a.txt", "kept");
  plat::host::SaveMemoryFiles();
  testsupport::WriteNative(dir.native + "/a.txt", "changed");
  testsupport::WriteNative(dir.native + "/new.txt", "new");
  plat::host::RestoreMemoryFiles();
  std::string bytes;
  EXPECT_TRUE(testsupport::ReadNative(dir.native + "/a.txt", &bytes));
  EXPECT_EQ(bytes, "kept");
  EXPECT_FALSE(testsupport::ExistsNative(dir.native + "/new.txt"));
  testsupport::WriteNative(dir.native + "/a.txt", "again");
  plat::host::RestoreMemoryFiles();
  EXPECT_TRUE(testsupport::ReadNative(dir.native + "/a.txt", &bytes));
  EXPECT_EQ(bytes, "kept") << "the kept copy shares no bytes with the tree";
}

// A dialog's procedure is handed the context its dialog was made with, from
// WM_INITDIALOG on, however a message comes (sent, painted, clicked); two
// dialogs alive at once each get their own.
TEST_F(HostSeamTest, EveryMessageOfADialogCarriesItsOwnContext) {
  using Seen = std::vector<std::pair<plat::Window, unsigned>>;
  const plat::DialogProc record = [](void* context, plat::Window window, unsigned message, uintptr_t,
                                     intptr_t) -> intptr_t {
    static_cast<Seen*>(context)->push_back({window, message});
    return 0;
  };
  Seen first, second;
  // The progress dialog (101) and the install-path dialog (106, OK 1004).
  plat::Window a = plat::CreateDialogFromTemplate(nullptr, 101, nullptr, record, &first);
  plat::Window b = plat::CreateDialogFromTemplate(nullptr, 106, nullptr, record, &second);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  plat::host::ScriptClick(106, 1004, 0);
  plat::SendMessage(a, plat::kMsgCommand, 1010, 0);
  while (plat::PumpOne() == plat::kPumpDispatched) {
  }
  EXPECT_EQ(first, (Seen{{a, plat::kMsgInitDialog}, {a, plat::kMsgCommand}, {a, plat::kMsgPaint}}));
  EXPECT_EQ(second, (Seen{{b, plat::kMsgInitDialog}, {b, plat::kMsgPaint}, {b, plat::kMsgCommand}}));
  plat::host::ResetUi();
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
