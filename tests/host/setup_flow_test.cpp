// The whole program over the stand-in: from the entry point through the disc
// search, the texts, the path dialog and the install run to the closing
// message, with the user scripted and every outcome checked.
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "flow_test.h"
#include "install_run.h"
#include "path_dialog.h"

namespace {

using plat::host::HostWindow;
using testsupport::GameFile;
using testsupport::kMB;

using SetupFlowTest = testsupport::FlowTest;

TEST_F(SetupFlowTest, AFullInstallFromTheEntryPointToSuccess) {
  plat::host::ScriptClick(IDD_PATH, IDC_PATH_OK, 0);
  EXPECT_EQ(Run(), kExitInstalled);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Sucess!!"});
  EXPECT_EQ(Boxes()[0].caption, "");
  HostWindow* progress = plat::host::FindDialog(IDD_PROGRESS);
  ASSERT_NE(progress, nullptr);
  EXPECT_EQ(Boxes()[0].owner, progress);

  ExpectArchiveFiles();
  EXPECT_EQ(Game("kelvora.exe"), "MZ the game");
  EXPECT_EQ(Game("readme.txt"), "data readme wins\r\n") << "the data folder comes after the archives";
  EXPECT_TRUE(testsupport::IsFolderNative(Native("c\\Program Files\\Maker\\Game\\Save")));
  std::string record = Game("uninstall.dat");
  EXPECT_EQ(record, discs_[0].substr(80, 40)) << "the header's 40 bytes, tail included";

  std::string value;
  const std::string key = std::string(kUninstallRoot) + "\\FlowGame";
  ASSERT_TRUE(testsupport::ReadRegistryString(key, "path", &value));
  EXPECT_EQ(value, "C:\\Program Files\\Maker\\Game");
  ASSERT_TRUE(testsupport::ReadRegistryString(key, "UninstallString", &value));
  EXPECT_EQ(value, "\"C:\\Program Files\\Maker\\Game\\uninstall.exe\"");

  const std::string menu = folders_.programs + "\\Maker\\Game";
  testsupport::LinkInfo link;
  EXPECT_TRUE(testsupport::ReadLink(menu + "\\Uninstall Game.lnk", &link));
  EXPECT_TRUE(testsupport::ReadLink(menu + "\\Game.lnk", &link));
  EXPECT_EQ(link.target, "C:\\Program Files\\Maker\\Game\\kelvora.exe");
  EXPECT_TRUE(testsupport::ReadLink(folders_.desktop + "\\Game.lnk", &link));
  EXPECT_TRUE(testsupport::ReadLink(menu + "\\Read me.lnk", &link));
  EXPECT_EQ(Get("shell\\Programs\\Maker\\Game\\Home page.url"), "[InternetShortcut]\r\n");

  EXPECT_EQ(progress->text, "Game Setup");
  EXPECT_EQ(plat::host::FindControl(progress, IDC_PROGRESS_CANCEL)->text, "CANCEL");
  HostWindow* bar = plat::host::FindControl(progress, IDC_PROGRESS_BAR);
  EXPECT_EQ(bar->barColour, 0xFF0000u);
  EXPECT_EQ(bar->position, 100);
  EXPECT_EQ(bar->positions.size() % 2, 0u) << "each drawing sets the position twice";
  EXPECT_TRUE(progress->destroyed);

  HostWindow* path = plat::host::FindDialog(IDD_PATH);
  ASSERT_NE(path, nullptr);
  EXPECT_EQ(path->text, "Game Setup");
  EXPECT_EQ(plat::host::FindControl(path, IDC_PATH_EDIT)->text, "C:\\Program Files\\Maker\\Game");
  EXPECT_EQ(plat::host::FindControl(path, IDC_PATH_OK)->text, "OK");
  EXPECT_EQ(plat::host::FindControl(path, IDC_PATH_CANCEL)->text, "CANCEL");
  EXPECT_EQ(plat::host::FindControl(path, IDC_PATH_BROWSE)->text, "Browse");
  EXPECT_TRUE(path->destroyed);
}

// Each disc is taken out of the drive and the next put in, as with a real
// drive: while setup asks, it holds no file and no current folder there.
TEST_F(SetupFlowTest, DiscChangesAreAnsweredByInsertingTheNextDisc) {
  discs_.clear();
  LayDisc(150000);  // discs are filled to the byte: 370,000 bytes of noise take three
  ASSERT_EQ(discs_.size(), 3u);
  std::remove(Native("disc\\cd2").c_str());
  std::remove(Native("disc\\cd3").c_str());
  const std::string drive = Native("disc");
  std::vector<std::pair<std::string, std::string>> firstDisc;
  for (const plat::host::HostEntry& entry : plat::host::ListHostTree(drive)) {
    std::string bytes;
    if (!entry.folder && plat::host::ReadHostFile(entry.path, &bytes)) firstDisc.emplace_back(entry.path, bytes);
  }
  auto change = [&](const plat::BoxRecord& box, int n) {
    EXPECT_EQ(box.text, "Insert disc " + std::to_string(n));
    char current[260];
    ASSERT_GT(plat::GetCurrentFolder(current, sizeof current), 0u);
    EXPECT_NE(current[0], 'E') << "the current folder is on the drive: " << current;
    for (const std::string& open : plat::host::OpenStreamPaths()) {
      EXPECT_NE(open.compare(0, drive.size(), drive), 0) << "open on the drive: " << open;
    }
    plat::host::RemoveHostTree(drive);
    if (n == 1) {
      for (const auto& file : firstDisc) plat::host::WriteHostFile(file.first, file.second);
    } else {
      Put("disc\\cd" + std::to_string(n), discs_[static_cast<size_t>(n - 1)]);
    }
  };
  for (int n : {2, 3, 1}) {
    plat::box_script::PushResponder([&change, n](const plat::BoxRecord& box) {
      change(box, n);
      return plat::kAnswerOk;
    });
  }
  plat::host::ScriptClick(IDD_PATH, IDC_PATH_OK, 0);
  EXPECT_EQ(Run(), kExitInstalled);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Insert disc 2", "Insert disc 3", "Insert disc 1", "Sucess!!"}));
  ExpectArchiveFiles();
  EXPECT_EQ(Game("readme.txt"), "data readme wins\r\n") << "disc 1's data folder, after it came back";
}

// A shortcut that cannot be made is named in place of "Sucess!!"; the game
// is installed and registered all the same.
TEST_F(SetupFlowTest, AShortcutThatCannotBeMadeIsToldNotSucceeded) {
  const std::string menu = folders_.programs + "\\Maker\\Game\\";
  const struct {
    const char* what;
    std::function<void()> spoil;
    std::vector<std::string> named;
  } cases[] = {
      {"a link that is not saved", [] { plat::host::FailCall(plat::host::kFaultLink, 1); },
       {menu + "Uninstall Game.lnk"}},
      {"no Programs folder", [] { plat::host::SetSpecialFolder(plat::kFolderPrograms, "C:\\" + std::string(300, 'p')); },
       {"Programs\\Maker\\Game\\Uninstall Game.lnk", "Programs\\Maker\\Game\\Game.lnk",
        "Programs\\Maker\\Game\\Home page.url", "Programs\\Maker\\Game\\Read me.lnk"}},
      {"no desktop", [] { plat::host::SetSpecialFolder(plat::kFolderDesktop, "C:\\" + std::string(300, 'd')); },
       {"Desktop\\Game.lnk"}},
      {"neither",
       [] {
         plat::host::SetSpecialFolder(plat::kFolderPrograms, "C:\\" + std::string(300, 'p'));
         plat::host::SetSpecialFolder(plat::kFolderDesktop, "C:\\" + std::string(300, 'd'));
       },
       {"Programs\\Maker\\Game\\Uninstall Game.lnk", "Programs\\Maker\\Game\\Game.lnk", "Desktop\\Game.lnk",
        "Programs\\Maker\\Game\\Home page.url", "and 1 more"}},
  };
  for (const auto& c : cases) {
    ResetRun();
    c.spoil();
    plat::host::ScriptClick(IDD_PATH, IDC_PATH_OK, 0);
    EXPECT_EQ(Run(), kExitShortcutsMissing) << c.what;
    ASSERT_EQ(Boxes().size(), 1u) << c.what;
    EXPECT_EQ(Boxes()[0].caption, "Setup") << c.what;
    std::string expected = "The game was installed in C:\\Program Files\\Maker\\Game, but ";
    expected += c.named.size() == 1 ? "this shortcut" : "these shortcuts";
    expected += " could not be made:";
    for (const std::string& name : c.named) expected += "\n" + name;
    EXPECT_EQ(Boxes()[0].text, expected + "\n\nStart the game from that folder.") << c.what;
    EXPECT_EQ(Game("uninstall.dat"), discs_[0].substr(80, 40)) << c.what;
    EXPECT_TRUE(Registered()) << c.what;
  }
}

TEST_F(SetupFlowTest, CancelInThePathDialogInstallsNothing) {
  plat::host::ScriptClick(IDD_PATH, IDC_PATH_CANCEL, 1);
  EXPECT_EQ(Run(), kExitCancelled);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_FALSE(testsupport::ExistsNative(Native("c\\Program Files")));
  EXPECT_FALSE(Registered());
}

TEST_F(SetupFlowTest, ExitCodesOfCancelDeclineAndDamage) {
  // Cancel during the copy, confirmed.
  plat::host::ScriptClick(IDD_PATH, IDC_PATH_OK, 0);
  plat::host::ScriptClick(IDD_PROGRESS, IDC_PROGRESS_CANCEL, 1);
  plat::box_script::PushAnswer(plat::kAnswerOk);
  EXPECT_EQ(Run(), kExitCancelled);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Stop now?"});
  EXPECT_FALSE(GameHas("uninstall.dat"));
  EXPECT_FALSE(Registered());
}

TEST_F(SetupFlowTest, ADeclinedDiscEndsWithItsOwnCode) {
  discs_.clear();
  LayDisc(200000);
  std::remove(Native("disc\\cd2").c_str());
  plat::host::ScriptClick(IDD_PATH, IDC_PATH_OK, 0);
  plat::box_script::PushAnswer(plat::kAnswerCancel);
  EXPECT_EQ(Run(), kExitDeclinedDisc);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Insert disc 2", "Setup failed"}));
  EXPECT_FALSE(Registered());
}

TEST_F(SetupFlowTest, ADamagedDiscFailsWithoutSuccess) {
  std::string cd1 = discs_[0];
  cd1[cd1.size() / 2] ^= 0x5A;  // inside a packed piece
  Put("disc\\cd1", cd1);
  plat::host::ScriptClick(IDD_PATH, IDC_PATH_OK, 0);
  EXPECT_EQ(Run(), kExitFailed);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].caption, "Error");
  EXPECT_NE(Boxes()[0].text.find("E:\\cd1 is damaged"), std::string::npos) << Boxes()[0].text;
  EXPECT_FALSE(GameHas("uninstall.dat"));
  EXPECT_FALSE(Registered());
}

TEST_F(SetupFlowTest, TheGameDiscMustBeOnACdRomDrive) {
  struct Case {
    const char* what;
    char letter;
    unsigned type;
  } cases[] = {{"no CD-ROM drive at all", 0, 0},
               {"the disc copied to a fixed drive", 'E', plat::kDriveFixed},
               {"the disc on a removable drive", 'E', plat::kDriveRemovable},
               {"the disc on a network drive", 'E', plat::kDriveRemote}};
  for (const Case& c : cases) {
    plat::box_script::Clear();
    plat::host::MapDrive('E', Native("nowhere"), plat::kDriveCdrom);
    if (c.letter) plat::host::MapDrive(c.letter, Native("disc"), c.type);
    EXPECT_EQ(Run(), kExitInstalled) << c.what;
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Game Disc not found!!"}) << c.what;
    EXPECT_EQ(Boxes()[0].caption, "") << c.what;
    EXPECT_EQ(Boxes()[0].owner, nullptr) << c.what;
  }
}

TEST_F(SetupFlowTest, TheLowestCdRomWithTheProbeFileWins) {
  testsupport::MakeFolderNative(Native("other\\data"));
  Put("other\\cd1", discs_[0]);  // "cd1" but no probe file: skipped
  plat::host::MapDrive('D', Native("other"), plat::kDriveCdrom);
  Put("second\\data\\kelvora.exe", "MZ");
  plat::host::MapDrive('G', Native("second"), plat::kDriveCdrom);
  EXPECT_EQ(FindGameDisc(), 1);
  char current[260];
  plat::GetCurrentFolder(current, sizeof current);
  EXPECT_STREQ(current, "E:\\");
  plat::host::MapDrive('F', Native("second"), plat::kDriveCdrom);
  plat::host::MapDrive('E', Native("nowhere"), plat::kDriveCdrom);
  EXPECT_EQ(FindGameDisc(), 1);
  plat::GetCurrentFolder(current, sizeof current);
  EXPECT_STREQ(current, "F:\\");
}

TEST_F(SetupFlowTest, AMissingFirstArchiveIsFileNotFond) {
  std::remove(Native("disc\\cd1").c_str());
  EXPECT_EQ(Run(), kExitInstalled);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"File not fond"});
  EXPECT_EQ(Boxes()[0].caption, "Error");
}

TEST_F(SetupFlowTest, TheLanguageFollowsTheSystemDefault) {
  struct Case {
    uint16_t language;
    int index;
  } cases[] = {{0x0404, 0}, {0x0C04, 0}, {0x0804, 1}, {0x1004, 2}, {0x0409, 2}, {0x0411, 2}};
  for (const Case& c : cases) {
    plat::host::SetSystemLanguage(c.language);
    setupState.languageIndex = -1;
    PickLanguage();
    EXPECT_EQ(setupState.languageIndex, c.index) << std::hex << c.language;
  }
}

TEST_F(SetupFlowTest, ATraditionalChineseSystemShowsTheBig5Title) {
  plat::host::SetSystemLanguage(0x0404);
  plat::host::ScriptClick(IDD_PATH, IDC_PATH_CANCEL, 0);
  EXPECT_EQ(Run(), kExitCancelled);
  HostWindow* path = plat::host::FindDialog(IDD_PATH);
  ASSERT_NE(path, nullptr);
  EXPECT_EQ(path->text, testsupport::kBig5Setup);
  HostWindow* label = plat::host::FindControl(path, IDC_PATH_NEED_LABEL);
  ASSERT_FALSE(label->drawn.empty());
  EXPECT_EQ(label->drawn.back().face, "\xB7s\xB2\xD3\xA9\xFA\xC5\xE9");
  EXPECT_EQ(label->drawn.back().font.height, 16);
  HostWindow* figure = plat::host::FindControl(path, IDC_PATH_NEED_VALUE);
  EXPECT_EQ(figure->drawn.back().face, "Arial");
  EXPECT_EQ(figure->drawn.back().font.height, 20);
  EXPECT_TRUE(figure->drawn.back().alignRight);
}

// The needed figure is rounded up; the test adds a 20 MB margin to the size
// rounded down.
// Big5 names whose second bytes are 0x5C and 0x7C ("\" and "|"): 許 B3 5C,
// 功 A5 5C, 蓋 BB 5C, 四 A5 7C, 說明 BB A1 A9 FA, 氏 A4 F3, 夫 A4 D2. On a
// traditional-Chinese system they are characters like any other, also in the
// header's names, the folder the browser returns and the data folder; on a
// Western one the same disc splits them and is told as damaged.
TEST_F(SetupFlowTest, Big5NamesWithBackslashBytesInstallOnlyUnderTheirOwnCodePage) {
  const std::string xu = "\xB3\\", gong = "\xA5\\", gai = "\xBB\\", si = "\xA5|", shuoming = "\xBB\xA1\xA9\xFA";
  header_.companyName = xu + "\xA4\xF3";
  header_.gameName = gong + "\xA4\xD2";
  header_.uninstallKey = gai + "Flow";
  files_ = {{"\\" + xu + gong + gai + "\\" + shuoming + ".txt", testsupport::Bytes(3000, 3)},
            {"\\" + si + "\\" + gong + ".map", testsupport::Bytes(250000, 4)}};
  LayDisc();
  Put("disc\\setupdata\\setupdata.ini",
      testsupport::TextRows({{"Extra_Link0", files_[0].path.substr(1), shuoming}}));
  // Native paths below the scratch folder, "/" between the names.
  auto native = [this](const std::string& path) { return dir_.native + "/" + path; };
  testsupport::WriteNative(native("disc/data/" + xu + "/" + gai + ".dat"), "data");

  for (unsigned codePage : {950u, 1252u}) {
    plat::host::ResetUi();
    plat::host::ResetShell();
    plat::box_script::Clear();
    folders_ = testsupport::PrepareShellFolders(dir_);
    plat::host::SetSystemLanguage(0x0404);
    plat::host::SetCodePage(codePage);
    plat::host::QueueBrowseAnswer("C:\\" + gong);
    plat::host::ScriptClick(IDD_PATH, IDC_PATH_BROWSE, 0);
    plat::host::ScriptClick(IDD_PATH, IDC_PATH_OK, 1);
    const int code = Run();
    const std::string target = "C:\\" + gong + "\\" + header_.gameName;
    std::string value;
    const bool registered =
        testsupport::ReadRegistryString(std::string(kUninstallRoot) + "\\" + header_.uninstallKey, "path", &value);
    if (codePage == 1252) {
      EXPECT_EQ(code, kExitFailed);
      ASSERT_EQ(Boxes().size(), 1u);
      EXPECT_NE(Boxes()[0].text.find("a stored name has an empty folder name"), std::string::npos) << Boxes()[0].text;
      EXPECT_FALSE(registered);
      continue;
    }
    EXPECT_EQ(code, kExitInstalled);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Sucess!!"});
    EXPECT_EQ(setupState.targetFolder, target) << "the browser's folder ends in 功, not in a separator";
    EXPECT_FALSE(testsupport::ExistsNative(native("c/\xA5"))) << "no folder of half a character";
    const std::string game = "c/" + gong + "/" + header_.gameName + "/";
    const std::string installed[] = {xu + gong + gai + "/" + shuoming + ".txt", si + "/" + gong + ".map"};
    for (size_t i = 0; i < files_.size(); ++i) {
      std::string bytes;
      EXPECT_TRUE(testsupport::ReadNative(native(game + installed[i]), &bytes) && bytes == files_[i].content)
          << installed[i];
    }
    std::string data;
    EXPECT_TRUE(testsupport::ReadNative(native(game + xu + "/" + gai + ".dat"), &data));
    EXPECT_EQ(data, "data");
    EXPECT_TRUE(registered);
    EXPECT_EQ(value, target);
    const std::string menu = folders_.programs + "\\" + header_.companyName + "\\" + header_.gameName;
    testsupport::LinkInfo link;
    EXPECT_TRUE(testsupport::ReadLink(menu + "\\" + header_.gameName + ".lnk", &link));
    EXPECT_TRUE(testsupport::ReadLink(menu + "\\" + shuoming + ".lnk", &link));
    EXPECT_EQ(link.target, target + files_[0].path);
  }
}

TEST_F(SetupFlowTest, FreeSpaceDecidesWhetherOkCanBePressed) {
  struct Case {
    uint32_t installSize;
    uint64_t freeMB;
    const char* need;
    bool enabled;
  } cases[] = {{1024001, 20, "2 MB", false}, {1024001, 21, "2 MB", true}, {0, 19, "0 MB", false},
               {0, 20, "0 MB", true},       {4294967295u, 4214, "4195 MB", true}};
  for (const Case& c : cases) {
    plat::host::ResetUi();
    plat::box_script::Clear();
    plat::host::SetFreeBytes('C', c.freeMB * kMB + kMB - 1);
    header_.installSize = c.installSize;
    discs_.clear();
    LayDisc();
    plat::host::ScriptClick(IDD_PATH, IDC_PATH_OK, 0);      // lost while disabled
    plat::host::ScriptClick(IDD_PATH, IDC_PATH_CANCEL, 1);
    int code = Run();
    HostWindow* path = plat::host::FindDialog(IDD_PATH);
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(plat::host::FindControl(path, IDC_PATH_OK)->enabled, c.enabled) << c.installSize << " " << c.freeMB;
    EXPECT_STREQ(setupState.needSpaceText, c.need);
    EXPECT_EQ(setupState.freeSpaceText, std::to_string(c.freeMB) + " MB");
    HostWindow* free = plat::host::FindControl(path, IDC_PATH_FREE_VALUE);
    EXPECT_EQ(free->drawn.back().colour, c.enabled ? 0x000000u : 0x0000FFu);
    EXPECT_EQ(code, c.enabled ? kExitInstalled : kExitCancelled);
  }
}

TEST_F(SetupFlowTest, BrowsingReplacesTheTarget) {
  testsupport::MakeFolderNative(Native("d"));
  plat::host::MapDrive('D', Native("d"), plat::kDriveFixed);
  plat::host::SetFreeBytes('D', 1 * kMB);
  plat::host::QueueBrowseAnswer("", true);  // cancelled: nothing changes
  plat::host::QueueBrowseAnswer("D:\\");
  plat::host::QueueBrowseAnswer("C:\\Games");
  plat::host::ScriptClick(IDD_PATH, IDC_PATH_BROWSE, 0);
  plat::host::ScriptClick(IDD_PATH, IDC_PATH_BROWSE, 1);
  plat::host::ScriptClick(IDD_PATH, IDC_PATH_OK, 2);  // lost: D: is too small
  plat::host::ScriptClick(IDD_PATH, IDC_PATH_BROWSE, 3);
  plat::host::ScriptClick(IDD_PATH, IDC_PATH_OK, 4);
  EXPECT_EQ(Run(), kExitInstalled);
  EXPECT_EQ(plat::host::BrowseTitles().size(), 3u);
  EXPECT_EQ(plat::host::BrowseTitles()[0], "Please choose a folder");
  EXPECT_STREQ(setupState.targetFolder, "C:\\Games\\Game");
  EXPECT_EQ(Get("c\\Games\\Game\\readme.txt"), "data readme wins\r\n");
  EXPECT_FALSE(testsupport::ExistsNative(Native("d\\Game")));
}

}  // namespace
