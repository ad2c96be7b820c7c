// The uninstall registration and the shortcuts, checked through the real
// registry and link files on Windows and the stand-in's records natively.
#include <cstdio>
#include <filesystem>
#include <string>

#include "copy_test.h"
#include "readback.h"
#include "shell.h"

namespace {

using testsupport::CopyTest;
using testsupport::LinkInfo;
using testsupport::ReadLink;

class ShellTest : public CopyTest {
 protected:
  void SetUp() override {
    CopyTest::SetUp();
    folders_ = testsupport::PrepareShellFolders(dir_);
    ASSERT_FALSE(folders_.programs.empty());
    CopyCut(setupState.header.companyName, sizeof setupState.header.companyName, kCompany);
    CopyCut(setupState.header.gameName, sizeof setupState.header.gameName, "Game");
    CopyCut(setupState.header.exeName, sizeof setupState.header.exeName, "bin\\game.exe");
    CopyCut(setupState.header.uninstallKey, sizeof setupState.header.uninstallKey, "CopyTestGame");
    target_ = Win("target\\Game");
    Put("target\\Game\\bin\\game.exe", "MZ");
    Put("target\\Game\\uninstall.exe", "MZ");
    menu_ = folders_.programs + "\\" + kCompany + "\\Game";
  }
  void TearDown() override {
    // On Windows these are the real folders of the test run's user.
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(NativeOf(folders_.programs + "\\" + kCompany)), ec);
    std::filesystem::remove(std::filesystem::path(NativeOf(folders_.desktop + "\\Game.lnk")), ec);
    CopyTest::TearDown();
  }
  // The native path of a Windows path below the scratch folder or, on
  // Windows, any Windows path.
  std::string NativeOf(const std::string& win) const {
    if (win.compare(0, dir_.win.size(), dir_.win) == 0) return Native(win.substr(dir_.win.size() + 1));
    return win;
  }
  void MakeShortcuts() {
    CreateGameShortcuts(target_.c_str(), setupState.header.companyName, setupState.header.gameName, setupState.header.exeName,
                        setupState.header.uninstallKey, "Uninstall Game", 1);
  }

  static constexpr const char* kCompany = "ShellTestMaker";
  testsupport::ShellFolders folders_;
  std::string target_;
  std::string menu_;
};

TEST_F(ShellTest, TheGameIsRegisteredWithWhatTheListOfProgramsShows) {
  setupState.header.installSize = 1025;  // two KB, rounded up
  MakeShortcuts();
  const std::string key = std::string(kUninstallRoot) + "\\CopyTestGame";
  const plat::Date today = plat::GetLocalDate();
  char date[16];
  std::snprintf(date, sizeof date, "%04d%02d%02d", today.year, today.month, today.day);
  const std::pair<const char*, std::string> strings[] = {
      {"DisplayName", "Game"},
      {"company", kCompany},
      {"path", target_},
      {"UninstallString", "\"" + target_ + "\\uninstall.exe\""},
      {"Publisher", kCompany},
      {"InstallLocation", target_},
      {"DisplayIcon", target_ + "\\bin\\game.exe"},
      {"InstallDate", date}};
  for (const auto& s : strings) {
    std::string value;
    EXPECT_TRUE(testsupport::ReadRegistryString(key, s.first, &value) && value == s.second) << s.first << ": " << value;
  }
  const std::pair<const char*, uint32_t> dwords[] = {{"EstimatedSize", 2}, {"NoModify", 1}, {"NoRepair", 1}};
  for (const auto& d : dwords) {
    uint32_t value = 0;
    EXPECT_TRUE(testsupport::ReadRegistryDword(key, d.first, &value) && value == d.second) << d.first << ": " << value;
  }
}

TEST_F(ShellTest, MenuAndDesktopShortcutsCarryTheirFields) {
  MakeShortcuts();
  LinkInfo link;
  ASSERT_TRUE(ReadLink(menu_ + "\\Uninstall Game.lnk", &link));
  EXPECT_EQ(link.target, target_ + "\\uninstall.exe");
  EXPECT_EQ(link.workingFolder, target_);
  EXPECT_EQ(link.description, "Uninstall Game");
  EXPECT_EQ(link.showCommand, 2);
  EXPECT_EQ(link.iconPath, "");
  EXPECT_EQ(link.arguments, "");

  for (const std::string& path : {menu_ + "\\Game.lnk", folders_.desktop + "\\Game.lnk"}) {
    ASSERT_TRUE(ReadLink(path, &link)) << path;
    EXPECT_EQ(link.target, target_ + "\\bin\\game.exe") << path;
    EXPECT_EQ(link.workingFolder, target_) << path;
    EXPECT_EQ(link.description, "Game") << path;
    EXPECT_EQ(link.showCommand, 2) << path;
    EXPECT_EQ(link.iconPath, "") << path;
  }
}

TEST_F(ShellTest, ExtraLinksFollowTheRowsInOrder) {
  MakeShortcuts();
  Put("setupdata\\setupdata.ini",
      "Extra_Link0\tbin\\game.exe\tPlay\r\n"
      "Extra_Link1\tuninstall.exe\tRemove\r\n"
      "Extra_Link2\tbin\\game.exe\tAgain\r\n"
      "Extra_Link3\tbin\\game.exe\tFourth\r\n"
      "Extra_Link4\tbin\\game.exe\tFifth\r\n");
  CreateExtraLinks();
  EXPECT_EQ(setupState.extraLinkCount, 4);
  LinkInfo link;
  ASSERT_TRUE(ReadLink(menu_ + "\\Play.lnk", &link));
  EXPECT_EQ(link.target, target_ + "\\bin\\game.exe");
  EXPECT_EQ(link.iconPath, target_ + "\\bin\\game.exe") << "the icon is the target's own";
  EXPECT_EQ(link.iconIndex, 0);
  EXPECT_EQ(link.showCommand, 0);
  EXPECT_EQ(link.description, "Play");
  EXPECT_TRUE(ReadLink(menu_ + "\\Remove.lnk", &link));
  EXPECT_TRUE(ReadLink(menu_ + "\\Fourth.lnk", &link));
  EXPECT_FALSE(ReadLink(menu_ + "\\Fifth.lnk", &link)) << "a fifth row is never read";
}

TEST_F(ShellTest, ExtraLinksThatWouldLeaveTheirFolderAreLeftOut) {
  MakeShortcuts();
  Put("setupdata\\setupdata.ini",
      "Extra_Link0\tbin\\game.exe\t..\\..\\Escaped\r\n"
      "Extra_Link1\t..\\..\\outside.exe\tOutside\r\n"
      "Extra_Link2\tbin\\game.exe\tFine\r\n");
  CreateExtraLinks();
  LinkInfo link;
  EXPECT_FALSE(ReadLink(folders_.programs + "\\Escaped.lnk", &link));
  EXPECT_FALSE(ReadLink(menu_ + "\\Outside.lnk", &link));
  EXPECT_TRUE(ReadLink(menu_ + "\\Fine.lnk", &link));
}

TEST_F(ShellTest, TheWebLinkIsCopiedIntoTheMenuFolder) {
  MakeShortcuts();
  Put("web\\site.url", "[InternetShortcut]\r\nURL=http://example.invalid/\r\n");
  SetText(kUrlFileName, "web\\site.url");
  SetText(kUrlName, "Home page.url");
  CopyWebLink();
  std::string copied;
  ASSERT_TRUE(testsupport::ReadNative(NativeOf(menu_ + "\\Home page.url"), &copied));
  EXPECT_EQ(copied, "[InternetShortcut]\r\nURL=http://example.invalid/\r\n");

  SetText(kUrlName, "..\\..\\Startup.url");
  CopyWebLink();
  EXPECT_FALSE(testsupport::ExistsNative(NativeOf(folders_.programs + "\\Startup.url")));
}

TEST_F(ShellTest, LinksRefuseMissingAndOverlongPaths) {
  std::string target = target_ + "\\bin\\game.exe";
  EXPECT_EQ(CreateShellLink(nullptr, nullptr, 0, nullptr, 0, 2, nullptr, nullptr, "x.lnk"), 87u);
  EXPECT_EQ(CreateShellLink(target.c_str(), nullptr, 0, nullptr, 0, 2, nullptr, nullptr, nullptr), 87u);
  std::string longLink = Win(std::string(250, 'l') + ".lnk");
  EXPECT_EQ(CreateShellLink(target.c_str(), nullptr, 0, nullptr, 0, 2, nullptr, nullptr, longLink.c_str()),
            206u);
  EXPECT_FALSE(testsupport::ExistsNative(Native(std::string(250, 'l') + ".lnk")));
}

TEST_F(ShellTest, AnEmptyOrNestedKeyNameRegistersNothing) {
  EXPECT_NE(RegisterUninstall(kCompany, "Game", "", target_.c_str(), "uninstall.exe", "game.exe", 0), 0);
  EXPECT_NE(RegisterUninstall(kCompany, "Game", "a\\b", target_.c_str(), "uninstall.exe", "game.exe", 0), 0);
  std::string value;
  EXPECT_FALSE(testsupport::ReadRegistryString(kUninstallRoot, "DisplayName", &value));
  EXPECT_FALSE(testsupport::ReadRegistryString(std::string(kUninstallRoot) + "\\a\\b", "DisplayName", &value));
}

}  // namespace
