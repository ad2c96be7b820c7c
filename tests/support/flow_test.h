// The fixture of the whole-program tests over the stand-in: a game disc in
// a CD-ROM drive E:, a fixed drive C:, the shell's folders, and helpers to
// run the program from its entry point and look at what it left.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "copy_test.h"
#include "host_control.h"
#include "pic_writer.h"
#include "resource_ids.h"
#include "install_run.h"
#include "startup.h"
#include "text_writer.h"

namespace testsupport {

constexpr uint64_t kMB = 1024000;

inline std::string Bytes(size_t size, unsigned seed) {
  std::string s(size, '\0');
  uint32_t x = seed + 7;
  for (char& c : s) c = static_cast<char>((x = x * 1664525u + 1013904223u) >> 24);
  return s;
}

class FlowTest : public CopyTest {
 protected:
  void SetUp() override {
    CopyTest::SetUp();
    // Only the scratch drive, a fixed C: and the disc in E:.
    std::string base = dir_.native.substr(0, dir_.native.rfind('/'));
    plat::host::ResetDrives();
    plat::host::MapDrive('T', base, plat::kDriveFixed);
    ASSERT_TRUE(plat::SetCurrentFolder(dir_.win.c_str()));
    testsupport::MakeFolderNative(Native("c"));
    plat::host::MapDrive('C', Native("c"), plat::kDriveFixed);
    plat::host::SetFreeBytes('C', 5000 * kMB);
    plat::host::MapDrive('E', Native("disc"), plat::kDriveCdrom);
    plat::host::SetSystemLanguage(0x0409);
    plat::host::ResetUi();
    plat::host::ResetShell();
    folders_ = testsupport::PrepareShellFolders(dir_);
    header_.companyName = "Maker";
    header_.gameName = "Game";
    header_.uninstallKey = "FlowGame";
    header_.uninstallKeyTail = "tail bytes";
    header_.exeName = "kelvora.exe";
    files_ = {{"\\bin\\engine.dll", Bytes(250000, 1)}, {"\\maps\\one.map", Bytes(120000, 2)},
              {"\\readme.txt", "archive readme\r\n"}};
    header_.installSize = 0;
    for (const GameFile& f : files_) header_.installSize += static_cast<uint32_t>(f.content.size());
    LayDisc();
  }

  void LayDisc(size_t capacity = 0) {
    Put("disc\\data\\kelvora.exe", "MZ the game");
    Put("disc\\data\\readme.txt", "data readme wins\r\n");
    Put("disc\\setupdata\\message.ini",
        testsupport::TextRows({{"ProgramName_EN", "Game Setup"},
                               {"ProgramName_TW", testsupport::kBig5Setup},
                               {"NextCD_EN", "Insert disc "},
                               {"Uninstall_EN", "Uninstall Game"},
                               {"URL_FILENAME_EN", "web\\site.url"},
                               {"URL_NAME_EN", "Home page.url"},
                               {"CANCEL_MSG_EN", "Stop now?"},
                               {"FAIL_MSG_EN", "Setup failed"}}));
    Put("disc\\setupdata\\setupdata.ini", testsupport::TextRows({{"Extra_Link0", "readme.txt", "Read me"}}));
    Put("disc\\web\\site.url", "[InternetShortcut]\r\n");
    testsupport::WritePictureSet(Native("disc\\setupdata\\setup"),
                                 testsupport::BuildPictureSet(testsupport::SamplePictures(2)));
    testsupport::WritePictureSet(Native("disc\\setupdata\\progress"),
                                 testsupport::BuildPictureSet(testsupport::SamplePictures(5)));
    discs_ = BuildDiscs(header_, {"\\Save"}, files_, capacity);
    for (size_t i = 0; i < discs_.size(); ++i) Put("disc\\cd" + std::to_string(i + 1), discs_[i]);
  }

  // Everything a run leaves, cleared for the next one.
  void ResetRun() {
    plat::host::RemoveHostTree(Native("c\\Program Files"));
    plat::host::RemoveHostTree(Native("shell"));
    folders_ = testsupport::PrepareShellFolders(dir_);
    plat::host::ResetRegistry();
    plat::host::ResetUi();
    plat::host::ResetFaults();
    plat::box_script::Clear();
    ResetEngine();
    std::memset(&setupState, 0, sizeof setupState);
    ASSERT_TRUE(plat::SetCurrentFolder(dir_.win.c_str()));
  }

  int Run() {
    char noArguments[] = "";
    return setup::WinMain(nullptr, nullptr, noArguments, 1);
  }
  std::string Game(const std::string& relative) const {
    return Get("c\\Program Files\\Maker\\Game\\" + relative);
  }
  bool GameHas(const std::string& relative) const {
    return testsupport::ExistsNative(Native("c\\Program Files\\Maker\\Game\\" + relative));
  }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const plat::BoxRecord& b : Boxes()) texts.push_back(b.text);
    return texts;
  }
  // Every file of the archives, but the one the data folder overwrites.
  void ExpectArchiveFiles() const {
    for (const GameFile& f : files_) {
      if (f.path != "\\readme.txt") {
        EXPECT_EQ(Game(f.path.substr(1)), f.content) << f.path;
      }
    }
  }
  bool Registered() const {
    std::string value;
    return testsupport::ReadRegistryString(std::string(kUninstallRoot) + "\\FlowGame", "DisplayName", &value);
  }

  testsupport::ShellFolders folders_;
  std::vector<GameFile> files_;
  std::vector<std::string> discs_;
};

}  // namespace testsupport
