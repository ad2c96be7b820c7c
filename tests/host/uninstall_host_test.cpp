// The uninstaller over the stand-in, after a whole install by setup: what it
// removes, what it keeps, what it refuses, and what a missing or damaged log
// or a file held open does.
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "flow_test.h"
#include "install_log.h"
#include "uninstall.h"

namespace {

namespace fs = std::filesystem;

class UninstallTest : public testsupport::FlowTest {
 protected:
  static constexpr const char* kGame = "C:\\Program Files\\Maker\\Game";

  void SetUp() override {
    FlowTest::SetUp();
    plat::host::ResetProcesses();
    plat::host::ReleaseHeldFiles();
    Put("disc\\data\\uninstall.exe", "MZ the uninstaller");
    BeforeInstall();
    before_ = Snapshot();
    plat::host::ScriptClick(IDD_PATH, IDC_PATH_OK, 0);
    ASSERT_EQ(Run(), kExitInstalled);
    plat::box_script::Clear();
    plat::host::SetProgramPath(std::string(kGame) + "\\uninstall.exe");
  }

  virtual void BeforeInstall() {}

  // Every file and folder below the scratch folder's drive C: and shell
  // folders, and every registry key.
  std::set<std::string> Snapshot() const {
    std::set<std::string> seen;
    for (const char* top : {"c", "shell"}) {
      for (const auto& e : fs::recursive_directory_iterator(Native(top))) {
        seen.insert(e.path().string().substr(dir_.native.size()) + (e.is_directory() ? "/" : ""));
      }
    }
    for (const plat::host::RegistryKey& k : plat::host::Registry()) seen.insert("HKLM\\" + k.path);
    return seen;
  }

  // Runs the uninstaller as its shortcut does, answering its question with
  // `answer`, and then its copy as started.
  int Uninstall(int answer = plat::kAnswerYes) {
    plat::box_script::PushAnswer(answer);
    int code = uninstall::Main(nullptr, "");
    if (!plat::host::StartedCopies().empty()) {
      const std::string& args = plat::host::StartedCopies().back().arguments;
      EXPECT_EQ(args.rfind("/finish ", 0), 0u) << args;
      uninstall::Main(nullptr, args.c_str());
    }
    return code;
  }

  void AddToLog(const std::string& lines) {
    std::ofstream(Native("c\\Program Files\\Maker\\Game\\install.log"), std::ios::app | std::ios::binary) << lines;
  }

  std::string LastBox() const { return Boxes().empty() ? "" : Boxes().back().text; }

  std::set<std::string> before_;
};

TEST_F(UninstallTest, YesRemovesAllTheInstallMadeAndKeepsSavedGames) {
  Put("c\\Program Files\\Maker\\Game\\Save\\slot1.sav", "mine");
  EXPECT_EQ(Uninstall(), uninstall::kExitRemoved);
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[0].text, "Do you want to remove Game and all of its parts from this computer?");
  EXPECT_EQ(Boxes()[0].type, plat::kBoxYesNo);
  EXPECT_EQ(LastBox(), "Game was removed from this computer.\n\nThese files were not installed by setup and were "
                       "kept in C:\\Program Files\\Maker\\Game:\nSave\\slot1.sav");
  std::set<std::string> expected = before_;
  for (const char* kept : {"/c/Program Files/", "/c/Program Files/Maker/", "/c/Program Files/Maker/Game/",
                           "/c/Program Files/Maker/Game/Save/", "/c/Program Files/Maker/Game/Save/slot1.sav"}) {
    expected.insert(kept);
  }
  EXPECT_EQ(Snapshot(), expected);
  ASSERT_EQ(plat::host::StartedCopies().size(), 1u);
  const plat::host::StartedCopy& copy = plat::host::StartedCopies()[0];
  EXPECT_EQ(copy.fileName, "uninstall.exe");
  EXPECT_EQ(copy.arguments.rfind("/finish " + std::to_string(plat::GetProcessId()) + " \"" + kGame +
                                     "\\uninstall.exe\" \"" + kGame + "\"",
                                 0),
            0u)
      << copy.arguments;
  EXPECT_TRUE(copy.leftFolder);
}

// Where no private copy can be made, the program and the folders it would
// have removed go when the system next starts.
TEST_F(UninstallTest, WithoutACopyTheRestGoesAtRestart) {
  plat::host::ResetProcesses(true);
  EXPECT_EQ(Uninstall(), uninstall::kExitRemoved);
  EXPECT_EQ(plat::host::RemovalsAtRestart(),
            (std::vector<std::string>{std::string(kGame) + "\\uninstall.exe", kGame, "C:\\Program Files\\Maker",
                                      "C:\\Program Files"}));
  EXPECT_TRUE(GameHas("uninstall.exe"));
}

TEST_F(UninstallTest, WithNothingOfItsOwnTheMachineIsAsBefore) {
  EXPECT_EQ(Uninstall(), uninstall::kExitRemoved);
  EXPECT_EQ(LastBox(), "Game was removed from this computer.");
  EXPECT_EQ(Snapshot(), before_);
}

TEST_F(UninstallTest, NoChangesNothing) {
  const std::set<std::string> installed = Snapshot();
  EXPECT_EQ(Uninstall(plat::kAnswerNo), uninstall::kExitCancelled);
  EXPECT_EQ(Snapshot(), installed);
  EXPECT_TRUE(plat::host::StartedCopies().empty());
}

// The question in the system's language, in its code page.
TEST_F(UninstallTest, AsksInTheSystemsLanguage) {
  struct Case {
    uint16_t language;
    unsigned codePage;
    const char* caption;
    const char* question;
  } cases[] = {
      {0x0404, 950, "\xB2\xBE\xB0\xA3\xB5{\xA6\xA1",  // 移除程式, 確定要從這部電腦移除 Game 嗎?
       "\xBDT\xA9w\xADn\xB1q\xB3o\xB3\xA1\xB9q\xB8\xA3\xB2\xBE\xB0\xA3 Game \xB6\xDC?"},
      {0x0804, 936, "\xD0\xB6\xD4\xD8\xB3\xCC\xD0\xF2",  // 卸载程序, 确定要从这台电脑卸载 Game 吗?
       "\xC8\xB7\xB6\xA8\xD2\xAA\xB4\xD3\xD5\xE2\xCC\xA8\xB5\xE7\xC4\xD4\xD0\xB6\xD4\xD8 Game \xC2\xF0?"},
      {0x0409, 1252, "Uninstall", "Do you want to remove Game and all of its parts from this computer?"},
  };
  for (const Case& c : cases) {
    plat::box_script::Clear();
    plat::host::SetSystemLanguage(c.language);
    EXPECT_EQ(Uninstall(plat::kAnswerNo), uninstall::kExitCancelled);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].caption, c.caption) << c.language;
    EXPECT_EQ(Boxes()[0].text, c.question) << c.language;
    EXPECT_EQ(Boxes()[0].codePage, c.codePage) << c.language;
  }
}

// Entries a player or another program could have written into the log:
// each is refused, what it names stays, and the rest is removed.
TEST_F(UninstallTest, HostileEntriesAreRefusedAndTheRestGoes) {
  Put("c\\outside.txt", "x");
  Put("c\\Windows\\keep.dll", "x");
  Put("shell\\Programs\\Other\\other.lnk", "x");
  Put("outside\\victim.map", "x");
  fs::create_directory_symlink(Native("outside"), Native("c\\Program Files\\Maker\\Game\\maps2"));
  plat::RegKey* key = nullptr;
  ASSERT_EQ(plat::RegCreate("Software\\Other", &key), 0);
  plat::RegClose(key);
  const std::string programs = folders_.programs;
  AddToLog("file\t\\..\\..\\..\\outside.txt\r\n"
           "file\tC:\\Windows\\keep.dll\r\n"
           "file\t\\maps2\\victim.map\r\n"
           "folder\t\\maps2\r\n"
           "link\tC:\\Windows\\keep.dll\r\n"
           "link\t" + programs + "\\..\\Programs\\Other\\other.lnk\r\n"
           "link\t" + programs + "\\Other\\other.dll\r\n"
           "menu\tC:\\Windows\r\n"
           "base\tC:\\Windows\r\n"
           "registry\tSoftware\\Other\r\n"
           "unknown\twhatever\r\n");
  EXPECT_EQ(Uninstall(), uninstall::kExitPartly);
  for (const char* stays : {"c\\outside.txt", "c\\Windows\\keep.dll", "shell\\Programs\\Other\\other.lnk",
                            "outside\\victim.map"}) {
    EXPECT_TRUE(testsupport::ExistsNative(Native(stays))) << stays;
  }
  EXPECT_NE(plat::host::FindKey("Software\\Other"), nullptr);
  EXPECT_EQ(plat::host::FindKey(std::string(kUninstallRoot) + "\\FlowGame"), nullptr);
  EXPECT_FALSE(GameHas("readme.txt"));
  EXPECT_EQ(LastBox().rfind("Game was only partly removed. These could not be removed:\n\\..\\..\\..\\outside.txt\n", 0),
            0u)
      << LastBox();
}

TEST_F(UninstallTest, AMissingOrDamagedLogRemovesNothing) {
  const std::string log = Native("c\\Program Files\\Maker\\Game\\install.log");
  std::string whole;
  ASSERT_TRUE(testsupport::ReadNative(log, &whole));
  const std::string cases[] = {"", whole.substr(0, whole.size() - 1), "install log\t2\r\nfile\t\\readme.txt\r\n",
                               "\r\n"};
  for (const std::string& text : cases) {
    plat::box_script::Clear();
    testsupport::WriteNative(log, text);
    const std::set<std::string> installed = Snapshot();
    EXPECT_EQ(Uninstall(), uninstall::kExitNothingRemoved) << text.size();
    EXPECT_EQ(Snapshot(), installed);
    EXPECT_EQ(LastBox(), "The install log C:\\Program Files\\Maker\\Game\\install.log is missing or damaged, so "
                         "nothing was removed.");
  }
  std::remove(log.c_str());
  EXPECT_EQ(Uninstall(), uninstall::kExitNothingRemoved);
}

TEST_F(UninstallTest, AFileHeldOpenIsToldAndTheRestGoes) {
  plat::host::HoldFile(std::string(kGame) + "\\maps\\one.map");
  EXPECT_EQ(Uninstall(), uninstall::kExitPartly);
  EXPECT_TRUE(GameHas("maps\\one.map"));
  EXPECT_FALSE(GameHas("bin\\engine.dll"));
  EXPECT_EQ(plat::host::FindKey(std::string(kUninstallRoot) + "\\FlowGame"), nullptr);
  EXPECT_NE(LastBox().find("could not be removed:\nC:\\Program Files\\Maker\\Game\\maps\\one.map"), std::string::npos)
      << LastBox();
}

// A cancelled install leaves its log too: the uninstaller removes what it
// wrote, and nothing was registered.
TEST_F(UninstallTest, ACancelledInstallIsRemovedToo) {
  ASSERT_EQ(Uninstall(), uninstall::kExitRemoved);
  plat::host::ResetProcesses();
  plat::host::ResetUi();
  plat::box_script::Clear();
  plat::host::ScriptClick(IDD_PATH, IDC_PATH_OK, 0);
  plat::host::ScriptClick(IDD_PROGRESS, IDC_PROGRESS_CANCEL, 1);
  plat::box_script::PushAnswer(plat::kAnswerOk);  // yes, stop
  ASSERT_EQ(Run(), kExitCancelled);
  ASSERT_TRUE(GameHas("install.log"));
  ASSERT_TRUE(GameHas("bin\\engine.dll"));
  plat::box_script::Clear();
  EXPECT_EQ(Uninstall(), uninstall::kExitRemoved);
  EXPECT_EQ(Snapshot(), before_);
}

// A game of many files shows its removal in a progress window.
class LargeUninstallTest : public UninstallTest {
 protected:
  void BeforeInstall() override {
    files_.clear();
    for (int k = 0; k < 300; ++k) files_.push_back({"\\many\\f" + std::to_string(k) + ".dat", "x"});
    LayDisc();
  }
};

TEST_F(LargeUninstallTest, ShowsProgress) {
  EXPECT_EQ(Uninstall(), uninstall::kExitRemoved);
  plat::host::HostWindow* progress = plat::host::FindDialog(IDD_PROGRESS);
  ASSERT_NE(progress, nullptr);
  EXPECT_EQ(progress->text, "Uninstall");
  EXPECT_FALSE(plat::host::FindControl(progress, IDC_PROGRESS_CANCEL)->enabled);
  EXPECT_GT(plat::host::FindControl(progress, IDC_PROGRESS_BAR)->position, 90);
  EXPECT_EQ(plat::host::FindControl(progress, IDC_PROGRESS_STATUS)->text.rfind("Removing \\many\\f", 0), 0u);
  EXPECT_TRUE(progress->destroyed);
  EXPECT_EQ(Snapshot(), before_);
}

// What setup records as it goes, for one whole install.
TEST_F(UninstallTest, TheLogNamesWhatTheInstallMade) {
  std::string log;
  ASSERT_TRUE(testsupport::ReadNative(Native("c\\Program Files\\Maker\\Game\\install.log"), &log));
  const std::string programs = folders_.programs;
  for (const std::string& line :
       {std::string("install log\t1\r\n"), std::string("game\tGame\r\n"), std::string("key\tFlowGame\r\n"),
        std::string("base\tC:\\Program Files\r\n"), std::string("base\tC:\\Program Files\\Maker\\Game\r\n"),
        std::string("folder\t\\Save\r\n"), std::string("folder\t\\bin\r\n"), std::string("file\t\\bin\\engine.dll\r\n"),
        std::string("file\t\\uninstall.dat\r\n"), std::string("file\t\\uninstall.exe\r\n"),
        "menu\t" + programs + "\\Maker\r\n", "link\t" + programs + "\\Maker\\Game\\Game.lnk\r\n",
        "link\t" + folders_.desktop + "\\Game.lnk\r\n", "link\t" + programs + "\\Maker\\Game\\Home page.url\r\n",
        std::string("registry\t") + kUninstallRoot + "\\FlowGame\r\n"}) {
    EXPECT_NE(log.find(line), std::string::npos) << line << " in\n" << log;
  }
  EXPECT_EQ(log.rfind("install log\t1\r\n", 0), 0u);
  // A second install into the folder adds to the log.
  plat::host::ScriptClick(IDD_PATH, IDC_PATH_OK, 0);
  ASSERT_EQ(Run(), kExitInstalled);
  std::string again;
  ASSERT_TRUE(testsupport::ReadNative(Native("c\\Program Files\\Maker\\Game\\install.log"), &again));
  EXPECT_EQ(again.compare(0, log.size(), log), 0);
  EXPECT_EQ(again.find("install log\t1", 1), std::string::npos) << "one first line";
}

}  // namespace
