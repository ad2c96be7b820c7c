// The install log as the uninstaller reads it, over a small installed game.
// Property: whatever the log says, nothing outside the game's folder is
// removed but shortcut and web-link files in the shell's folders, empty
// folders on the way to the game's folder and the game's key; nothing is
// removed through a link; nothing stays allocated or open.
#include <strings.h>

#include <string>

#include "fuzz_env.h"
#include "host_control.h"
#include "shell.h"
#include "uninstall.h"

namespace {

// Files that must outlive every run: outside the game, in the shell's
// folders but no shortcut, and behind a link inside the game's folder.
const char* const kKept[] = {"outside/keep.txt", "outside/keep.lnk", "shell/Programs/keep.txt",
                             "shell/Desktop/Sub/keep.dat", "game2/keep.txt"};

void Lay(const std::string& work) {
  for (const char* path : kKept) fuzzenv::WriteFile(work + "/" + path, reinterpret_cast<const uint8_t*>("k"), 1);
  for (const char* path : {"game/a.txt", "game/sub/b.txt", "shell/Programs/Maker/Game/Game.lnk",
                           "shell/Desktop/Game.lnk"}) {
    fuzzenv::WriteFile(work + "/" + path, reinterpret_cast<const uint8_t*>("x"), 1);
  }
  plat::host::MakeHostLink(work + "/outside", work + "/game/into");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzenv::Env& env = fuzzenv::Get();
  static bool once = false;
  if (!once) {
    once = true;
    plat::host::SetSpecialFolder(plat::kFolderPrograms, "T:\\shell\\Programs");
    plat::host::SetSpecialFolder(plat::kFolderDesktop, "T:\\shell\\Desktop");
  }
  if (plat::host::UsingMemoryFiles()) {
    static bool laid = false;
    if (!laid) {
      laid = true;
      Lay(env.work);
      plat::host::SaveMemoryFiles();
    }
  } else {
    Lay(env.work);
  }
  fuzzenv::WriteFile(env.work + "/game/install.log", data, size);
  plat::RegKey* key = nullptr;
  plat::RegCreate("Software\\Other", &key);
  plat::RegClose(key);
  plat::box_script::SetDefaultResponder([](const plat::BoxRecord& b) {
    return b.type == plat::kBoxYesNo ? plat::kAnswerYes : plat::kAnswerOk;
  });
  std::string folders;
  uninstall::RemoveGame(nullptr, "T:\\game", "T:\\game\\uninstall.exe", &folders);
  for (const char* path : kKept) {
    if (!plat::host::HostExists(env.work + "/" + path)) {
      std::fprintf(stderr, "removed outside the game: %s\n", path);
      std::abort();
    }
  }
  if (plat::host::FindKey("Software\\Other") == nullptr) {
    std::fprintf(stderr, "another program's key was removed\n");
    std::abort();
  }
  // The folders left for the copy to remove are the game's and its parents.
  size_t at = 0;
  while ((at = folders.find('"', at)) != std::string::npos) {
    const size_t end = folders.find('"', at + 1);
    const std::string folder = folders.substr(at + 1, end - at - 1);
    if (strcasecmp(folder.c_str(), "T:\\game") != 0 && strcasecmp(folder.c_str(), "T:") != 0) {
      std::fprintf(stderr, "a folder to remove that is no parent of the game: %s\n", folder.c_str());
      std::abort();
    }
    at = end + 1;
  }
  plat::host::ResetRegistry();
  plat::host::ResetUi();  // the progress dialog of each run, kept in the model otherwise
  if (plat::host::UsingMemoryFiles()) {
    plat::host::RestoreMemoryFiles();
  } else {
    fuzzenv::ClearFolder(env.work);
  }
  fuzzenv::CheckBalance();
  return 0;
}
