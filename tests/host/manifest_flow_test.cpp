// The whole program over a disc that carries its list of files: a file that
// is not as listed, a listed file the disc lacks, a file the list lacks and a
// damaged list each end as a damaged disc, with one box naming the disc file
// and no registration; and a set of several discs brings disc 1 back for
// its data folder.
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "apkg_writer.h"
#include "flow_test.h"

namespace {

namespace fs = std::filesystem;
using testsupport::GameFile;

class ManifestFlowTest : public testsupport::FlowTest {
 protected:
  void SetUp() override {
    FlowTest::SetUp();
    data_ = {{"\\kelvora.exe", "MZ the game"}, {"\\readme.txt", "data readme wins\r\n"}};
  }
  std::string List(const std::vector<GameFile>& files, const std::vector<GameFile>& data) const {
    return testsupport::ManifestFor(discs_, files, data);
  }
  void PutList(const std::string& text) { Put("disc\\setupdata\\manifest.ini", text); }
  // Runs the install; the one box's text when it failed, "" on success.
  std::string Install(int expectedCode) {
    plat::host::ScriptClick(IDD_PATH, IDC_PATH_OK, 0);
    EXPECT_EQ(Run(), expectedCode);
    if (expectedCode == kExitInstalled) {
      EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Sucess!!"});
      ExpectArchiveFiles();
      EXPECT_EQ(Game("readme.txt"), "data readme wins\r\n");
      EXPECT_TRUE(Registered());
      return "";
    }
    EXPECT_FALSE(GameHas("uninstall.dat"));
    EXPECT_FALSE(Registered());
    if (Boxes().size() != 1) return "boxes: " + std::to_string(Boxes().size());
    EXPECT_EQ(Boxes()[0].caption, "Error");
    return Boxes()[0].text;
  }
  std::vector<GameFile> data_;
};

TEST_F(ManifestFlowTest, AnIntactDiscWithItsListInstalls) {
  PutList(List(files_, data_));
  EXPECT_EQ(Install(kExitInstalled), "");
}

TEST_F(ManifestFlowTest, WhatDoesNotMatchTheListIsADamagedDisc) {
  std::vector<GameFile> otherMap = files_;
  otherMap[1].content[500] ^= 1;
  std::vector<GameFile> extraFile = files_;
  extraFile.push_back({"\\extra.dat", "x"});
  std::vector<GameFile> lessData = data_;
  lessData.pop_back();
  std::vector<GameFile> moreData = data_;
  moreData.push_back({"\\Movies\\intro.avi", "avi"});
  struct Case {
    const char* what;
    std::string list;
    std::string dataReadme;  // the data folder's readme.txt on the disc
    const char* told;
  } cases[] = {
      {"a data file changed in one byte", List(files_, data_), "data readme wins\r\r",
       "E:\\data\\readme.txt is damaged (\\readme.txt is 18 bytes, CRC-32 "},
      {"an archived file not as listed", List(otherMap, data_), "",
       "E:\\cd1 is damaged (record at byte "},
      {"a listed file the archives lack", List(extraFile, data_), "",
       "E:\\cd1 is damaged (\\extra.dat is in the disc's list of files but was not on the disc)"},
      {"a listed data file not on the disc", List(files_, moreData), "",
       "E:\\data is damaged (\\Movies\\intro.avi is in the disc's list of files but not in this folder)"},
      {"a data file the list lacks", List(files_, lessData), "",
       "E:\\data\\readme.txt is damaged (the file is not in the disc's list of files)"},
      {"an archived file the list lacks", List({files_[0], files_[2]}, data_), "",
       "\\maps\\one.map is not in the disc's list of files)"},
      {"a list of another set", testsupport::ManifestFor({"1", "2"}, files_, data_), "",
       "E:\\setupdata\\manifest.ini is damaged (the list of files is of a set of 2 discs, the setup header of 1)"},
      {"a list cut short", List(files_, data_).substr(0, 90), "",
       "E:\\setupdata\\manifest.ini is damaged (the list of files is cut short)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetRun();
    PutList(c.list);
    Put("disc\\data\\readme.txt", c.dataReadme.empty() ? "data readme wins\r\n" : c.dataReadme);
    const std::string told = Install(kExitFailed);
    EXPECT_NE(told.find(c.told), std::string::npos) << told;
    EXPECT_NE(told.find("The installation was stopped."), std::string::npos);
  }
  // The list itself damaged: nothing was made.
  EXPECT_FALSE(testsupport::ExistsNative(Native("c\\Program Files\\Maker")));
}

// The list and the other setup files in the setupdata package.
TEST_F(ManifestFlowTest, TheListIsReadFromTheSetupdataPackage) {
  std::vector<testsupport::PackageEntry> entries;
  for (const auto& entry : fs::directory_iterator(Native("disc\\setupdata"))) {
    std::string bytes;
    ASSERT_TRUE(testsupport::ReadNative(entry.path().string(), &bytes));
    entries.push_back({entry.path().filename().string(), bytes});
  }
  std::vector<GameFile> otherMap = files_;
  otherMap[1].content[0] ^= 1;
  entries.push_back({"manifest.ini", List(otherMap, data_)});
  fs::remove_all(Native("disc\\setupdata"));
  Put("disc\\setupdata.apkg", testsupport::BuildPackage(entries));
  const std::string told = Install(kExitFailed);
  EXPECT_NE(told.find("\\maps\\one.map is 120,000 bytes, CRC-32"), std::string::npos) << told;
}

// Only disc 1 has the data folder: after the last disc it is asked for again.
TEST_F(ManifestFlowTest, DiscOneIsAskedForAgainForItsDataFolder) {
  discs_.clear();
  LayDisc(200000);
  ASSERT_GE(discs_.size(), 2u);
  PutList(List(files_, data_));
  fs::copy(Native("disc"), Native("disc1"), fs::copy_options::recursive);
  for (int answer : {plat::kAnswerOk, plat::kAnswerCancel}) {
    SCOPED_TRACE(answer);
    ResetRun();
    fs::remove_all(Native("disc"));
    fs::copy(Native("disc1"), Native("disc"), fs::copy_options::recursive);
    for (size_t d = 1; d < discs_.size(); ++d) std::remove(Native("disc\\cd" + std::to_string(d + 1)).c_str());
    // Each disc replaces the one before in the drive.
    for (size_t d = 1; d < discs_.size(); ++d) {
      plat::box_script::PushResponder([this, d](const plat::BoxRecord&) {
        fs::remove_all(Native("disc"));
        Put("disc\\cd" + std::to_string(d + 1), discs_[d]);
        return plat::kAnswerOk;
      });
    }
    plat::box_script::PushResponder([this, answer](const plat::BoxRecord&) {
      if (answer == plat::kAnswerOk) {
        fs::remove_all(Native("disc"));
        fs::copy(Native("disc1"), Native("disc"), fs::copy_options::recursive);
      }
      return answer;
    });
    plat::host::ScriptClick(IDD_PATH, IDC_PATH_OK, 0);
    const int code = Run();
    std::vector<std::string> expected;
    for (size_t d = 1; d < discs_.size(); ++d) expected.push_back("Insert disc " + std::to_string(d + 1));
    expected.push_back("Insert disc 1");
    if (answer == plat::kAnswerOk) {
      EXPECT_EQ(code, kExitInstalled);
      expected.push_back("Sucess!!");
      EXPECT_EQ(Game("readme.txt"), "data readme wins\r\n");
      EXPECT_EQ(Game("kelvora.exe"), "MZ the game");
      EXPECT_TRUE(Registered());
    } else {
      EXPECT_EQ(code, kExitDeclinedDisc);
      expected.push_back("Setup failed");
      EXPECT_FALSE(Registered());
    }
    EXPECT_EQ(BoxTexts(), expected);
  }
}

}  // namespace
