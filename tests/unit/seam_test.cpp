// The seam's system and shell services, asserted the same way on both sides:
// natively over the stand-in and, cross-built, over the real Win32 API.
#include <algorithm>
#include <string>
#include <vector>

#include "readback.h"
#include "lib_test.h"
#include "platform.h"
#include "text_writer.h"

namespace {

using testsupport::LibTest;

class SeamTest : public LibTest {};

TEST_F(SeamTest, ListingAFolderGivesNamesAndFolderAttributes) {
  Put("a.txt", "a");
  Put("b.bin", "bb");
  testsupport::MakeFolderNative(Native("sub"));
  plat::FolderEntry entry;
  plat::FolderList* list = plat::ListFirst("*.*", &entry);
  ASSERT_NE(list, nullptr);
  std::vector<std::string> names, folders;
  do {
    names.push_back(entry.name);
    if (entry.attributes & plat::kAttrDirectory) folders.push_back(entry.name);
  } while (plat::ListNext(list, &entry));
  plat::ListClose(list);
  std::sort(names.begin(), names.end());
  std::sort(folders.begin(), folders.end());
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "a.txt", "b.bin", "sub"}));
  EXPECT_EQ(folders, (std::vector<std::string>{".", "..", "sub"}));

  EXPECT_EQ(plat::ListFirst(Win("missing\\*.*").c_str(), &entry), nullptr);
}

TEST_F(SeamTest, DrivesAndFreeSpace) {
  std::string root = dir_.win.substr(0, 3);
  EXPECT_EQ(plat::GetDriveType(root.c_str()), static_cast<unsigned>(plat::kDriveFixed));
  EXPECT_EQ(plat::GetDriveType("Q:\\"), static_cast<unsigned>(plat::kDriveNoRootDir));
  uint64_t freeBytes = 0;
  ASSERT_TRUE(plat::GetDiskFreeBytes(root.c_str(), &freeBytes));
  EXPECT_GT(freeBytes, 0u);
  uint64_t untouched = 12345;
  EXPECT_FALSE(plat::GetDiskFreeBytes("Q:\\", &untouched));
  EXPECT_EQ(untouched, 12345u);
}

TEST_F(SeamTest, RegistryValuesAreCreatedAndOverwritten) {
  const std::string key = "Software\\SeamTest\\Values";
  testsupport::DeleteRegistryKey(key);
  plat::RegKey* k = nullptr;
  ASSERT_EQ(plat::RegCreate(key.c_str(), &k), 0);
  ASSERT_NE(k, nullptr);
  EXPECT_EQ(plat::RegSetString(k, "DisplayName", "First"), 0);
  EXPECT_EQ(plat::RegSetString(k, "path", "C:\\Program Files\\A B"), 0);
  EXPECT_EQ(plat::RegClose(k), 0);
  ASSERT_EQ(plat::RegCreate(key.c_str(), &k), 0) << "an existing key opens";
  EXPECT_EQ(plat::RegSetString(k, "DisplayName", "Second"), 0);
  EXPECT_EQ(plat::RegClose(k), 0);

  std::string value;
  ASSERT_TRUE(testsupport::ReadRegistryString(key, "DisplayName", &value));
  EXPECT_EQ(value, "Second");
  ASSERT_TRUE(testsupport::ReadRegistryString(key, "path", &value));
  EXPECT_EQ(value, "C:\\Program Files\\A B");
  testsupport::DeleteRegistryKey(key);
}

TEST_F(SeamTest, LinksKeepEveryField) {
  Put("game\\game.exe", "MZ");
  std::string target = Win("game\\game.exe");
  std::string link = Win("Game.lnk");
  plat::ShellLinkFields fields{target.c_str(), nullptr, 0, target.c_str(), 0, 2,
                               Win("game").c_str(), "The Game"};
  std::string working = Win("game");
  fields.workingFolder = working.c_str();
  plat::LinkResult result = plat::SaveShellLink(fields, link.c_str());
  EXPECT_EQ(result.stage, plat::LinkResult::kSave);
  EXPECT_EQ(result.code, 0);
  EXPECT_TRUE(testsupport::ExistsNative(Native("Game.lnk")));

  testsupport::LinkInfo info;
  ASSERT_TRUE(testsupport::ReadLink(link, &info));
  EXPECT_EQ(info.target, target);
  EXPECT_EQ(info.workingFolder, working);
  EXPECT_EQ(info.description, "The Game");
  EXPECT_EQ(info.iconPath, target);
  EXPECT_EQ(info.iconIndex, 0);
  EXPECT_EQ(info.showCommand, 2);
  EXPECT_EQ(info.arguments, "");
  EXPECT_EQ(info.hotKey, 0);
}

TEST_F(SeamTest, ALinkIntoAMissingFolderIsNotSaved) {
  std::string target = Win("x.exe");
  plat::ShellLinkFields fields{target.c_str(), nullptr, 0, nullptr, 0, 0, nullptr, nullptr};
  plat::LinkResult result = plat::SaveShellLink(fields, Win("no\\such\\folder\\x.lnk").c_str());
  EXPECT_EQ(result.stage, plat::LinkResult::kSave);
  EXPECT_NE(result.code, 0);
}

TEST_F(SeamTest, SpecialFoldersResolve) {
  testsupport::ShellFolders folders = testsupport::PrepareShellFolders(dir_);
  ASSERT_FALSE(folders.programs.empty());
  ASSERT_FALSE(folders.desktop.empty());
  char path[260] = "unchanged";
  ASSERT_TRUE(plat::GetSpecialFolderPath(nullptr, plat::kFolderPrograms, path));
  EXPECT_EQ(std::string(path), folders.programs);
  ASSERT_TRUE(plat::GetSpecialFolderPath(nullptr, plat::kFolderDesktop, path));
  EXPECT_EQ(std::string(path), folders.desktop);
}

}  // namespace

// Texts for the disc are converted from UTF-8 the same way on both sides:
// into each language's code page, and refused where a character has no form.
TEST_F(SeamTest, TextsConvertFromUtf8IntoTheCodePagesOfTheDisc) {
  struct Case {
    unsigned codePage;
    std::string utf8;
    bool ok;
    std::string bytes;
  };
  const Case cases[] = {
      {plat::kCodePageBig5, "\xE5\xAE\x89\xE8\xA3\x9D\xE7\xA8\x8B\xE5\xBC\x8F", true, testsupport::kBig5Setup},
      {plat::kCodePageGbk, "\xE5\xAE\x89\xE8\xA3\x85\xE7\xA8\x8B\xE5\xBA\x8F", true,
       "\xB0\xB2\xD7\xB0\xB3\xCC\xD0\xF2"},
      {plat::kCodePageAscii, "Disc 2", true, "Disc 2"},
      {plat::kCodePageWestern, "\xE2\x82\xAC", true, "\x80"},
      {plat::kCodePageAscii, "caf\xC3\xA9", false, ""},                 // no e acute in ASCII
      {plat::kCodePageBig5, "\xE7\xAE\x80", false, ""},                 // a simplified character
      {plat::kCodePageGbk, std::string("\xE5\xAE", 2), false, ""},      // cut UTF-8
  };
  for (const Case& c : cases) {
    std::string out = "untouched";
    EXPECT_EQ(plat::ConvertFromUtf8(c.codePage, c.utf8.data(), c.utf8.size(), &out), c.ok) << c.utf8;
    EXPECT_EQ(out, c.ok ? c.bytes : "untouched") << c.utf8;
  }
  std::string empty = "x";
  EXPECT_TRUE(plat::ConvertFromUtf8(plat::kCodePageBig5, "", 0, &empty));
  EXPECT_EQ(empty, "");
}
