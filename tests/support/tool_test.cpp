#include "tool_test.h"

#include <filesystem>

#include "build.h"
#include "install.h"
#include "setup_state.h"

namespace fs = std::filesystem;

namespace testsupport {

namespace {
constexpr char kUninstallKey[] = "ToolTestGame";
}

void ToolTest::SetUp() {
  CopyTest::SetUp();
  Put(uninstall_, kStandInUninstaller);
}

void ToolTest::TearDown() {
  DeleteRegistryKey(std::string(kUninstallRoot) + "\\" + kUninstallKey);
  CopyTest::TearDown();
}

void ToolTest::WriteGame(const std::map<std::string, std::string>& files) {
  for (const auto& f : files) {
    if (!f.first.empty() && f.first.back() == '\\') {
      MakeFolderNative(Native("game\\" + f.first));
    } else {
      Put("game\\" + f.first, f.second);
    }
  }
}

void ToolTest::WriteProject(const std::string& extra, const std::string& capacity) {
  Put("game.project", std::string("# a test game\n") +
                          "company = Harbor Makers\n"
                          "game = Tool Test\n"
                          "uninstall_key = " + kUninstallKey + "\n"
                          "exe = kelvora.exe\n"
                          "capacity = " + capacity + "\n" + extra);
}

gamedisc::BuildOptions ToolTest::Options(const std::string& out, const std::string& game) const {
  gamedisc::BuildOptions o;
  o.project = Win("game.project");
  o.game = Win(game);
  o.out = Win(out);
  if (!uninstall_.empty()) o.uninstallExe = Win(uninstall_);
  if (!setup_.empty()) o.setupExe = Win(setup_);
  return o;
}

bool ToolTest::Build(const std::string& out, bool iso) {
  gamedisc::BuildOptions o = Options(out);
  o.iso = iso;
  said_.clear();
  error_.clear();
  return gamedisc::BuildDiscSet(o, [this](const std::string& s) { said_.push_back(s); }, &result_, &error_);
}

gamedisc::DiscSet ToolTest::Discs(const std::string& out) const {
  gamedisc::DiscSet set;
  std::string error;
  EXPECT_TRUE(gamedisc::LocateDiscs({Win(out)}, &set, &error)) << error;
  return set;
}

int ToolTest::Install(const std::string& out) {
  const std::string drive = out + "\\disc1";
  CopyCut(setupState.sourceFolder, sizeof setupState.sourceFolder, Win(drive).c_str());
  plat::box_script::SetDefaultResponder([this, out, drive](const plat::BoxRecord& box) {
    if (box.caption != "Next Disc") return static_cast<int>(plat::kAnswerCancel);
    // "Please insert disc N": the disc is changed in the drive.
    const std::string n = box.text.substr(box.text.find_last_not_of("0123456789") + 1);
    std::string bytes;
    EXPECT_TRUE(ReadNative(Native(out + "\\disc" + n + "\\cd" + n), &bytes)) << box.text;
    WriteNative(Native(drive + "\\cd" + n), bytes);
    return static_cast<int>(plat::kAnswerOk);
  });
  int rc = RunDiscs();
  if (rc == 1) CopyTree((Win(drive) + "\\data").c_str(), setupState.targetFolder);
  return rc;
}

std::map<std::string, std::string> ToolTest::Tree(const std::string& relative) const {
  std::map<std::string, std::string> tree;
  const fs::path root(Native(relative));
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(root)) {
    std::string path = fs::relative(e.path(), root).generic_string();
    for (char& c : path) {
      if (c == '/') c = '\\';
    }
    if (e.is_directory()) {
      tree[path + "\\"] = "";
    } else {
      ReadNative(e.path().string(), &tree[path]);
    }
  }
  return tree;
}

std::vector<uint64_t> ToolTest::DiscSizes(const std::string& out) const {
  std::vector<uint64_t> sizes;
  for (int d = 1; IsFolderNative(Native(out + "\\disc" + std::to_string(d))); ++d) {
    uint64_t total = 0;
    for (const auto& f : Tree(out + "\\disc" + std::to_string(d))) total += gamedisc::SectorBytes(f.second.size());
    sizes.push_back(total);
  }
  return sizes;
}

}  // namespace testsupport
