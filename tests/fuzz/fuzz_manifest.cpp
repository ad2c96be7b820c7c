// A disc that carries its list of files, installed by the real install run
// into T:\game: the first two bytes give the length of the list
// (setupdata\manifest.ini), the rest is disc 1's archive; the data folder
// holds two fixed files.
// Property: the run ends in "Sucess!!" (exit code 0) only when the game's
// folder holds exactly the files the list names, each with its listed size
// and CRC-32 (a data-folder file over an archived one of the same name);
// otherwise a box told why, and nothing was registered. Nothing is written
// outside the game's and the shell's folders; nothing stays allocated or
// open.
#include <set>
#include <string>

#include "a_inflate.h"
#include "a_util.h"
#include "fuzz_env.h"
#include "fuzz_install.h"
#include "install_run.h"
#include "manifest.h"
#include "startup.h"

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail = "") {
  std::fprintf(stderr, "%s %s\n", what, detail.c_str());
  std::abort();
}

// A box that tells of the install, not of the progress dialog's pictures
// (the disc has none: they are not what is fuzzed here).
bool Told() {
  for (const plat::BoxRecord& b : plat::box_script::Records()) {
    if (b.text.rfind("File not found!! setupdata\\progress", 0) != 0) return true;
  }
  return false;
}

bool Succeeded() {
  for (const plat::BoxRecord& b : plat::box_script::Records()) {
    if (b.text == "Sucess!!") return true;
  }
  return false;
}

// The listed row a file installed as `path` ("\..." below the game's folder)
// must match: its data-folder row, which the copy of the data folder
// writes last, or else its archive row.
const ManifestFile* RowOf(Manifest* list, const std::string& path) {
  const ManifestFile* row = list->Find(ManifestSource::kData, path.data(), path.size());
  return row != nullptr ? row : list->Find(ManifestSource::kArchive, path.data(), path.size());
}

void CheckInstalledExactly(const std::string& game) {
  TextTable table;
  table.Load("E:\\setupdata\\manifest.ini");
  Manifest list;
  std::string reason;
  const bool parsed = list.Parse(table, plat::GetAnsiCodePage(), &reason);
  table.Unload();
  if (!parsed) Fail("installed from a list that does not read:", reason);
  std::set<const ManifestFile*> seen;
  for (const plat::host::HostEntry& entry : plat::host::ListHostTree(game)) {
    if (entry.folder) continue;
    std::string path = entry.path.substr(game.size());
    for (char& c : path) c = c == '/' ? '\\' : c;
    if (path == "\\install.log" || path == "\\uninstall.dat") continue;
    const ManifestFile* row = RowOf(&list, path);
    if (row == nullptr) Fail("installed a file the list lacks:", path);
    std::string bytes;
    if (!plat::host::ReadHostFile(entry.path, &bytes)) Fail("cannot read back", path);
    if (bytes.size() != row->size || UpdateCrc32(0, bytes.data(), bytes.size()) != row->crc) {
      Fail("installed a file unlike its row:", path);
    }
    seen.insert(row);
  }
  for (const ManifestFile& row : list.files) {
    if (seen.count(RowOf(&list, row.path)) == 0) Fail("a listed file is not installed:", row.path);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  fuzzenv::Env& env = fuzzenv::Get();
  size_t listSize = static_cast<size_t>(data[0]) | static_cast<size_t>(data[1]) << 8;
  if (listSize > size - 2) listSize = size - 2;
  fuzzenv::WriteFile(env.disc + "/setupdata/manifest.ini", data + 2, listSize);
  fuzzenv::WriteFile(env.disc + "/cd1", data + 2 + listSize, size - 2 - listSize);
  static bool once = false;
  if (!once) {
    once = true;
    fuzzenv::WriteFile(env.disc + "/data/kelvora.exe", reinterpret_cast<const uint8_t*>("MZ game"), 7);
    fuzzenv::WriteFile(env.disc + "/data/readme.txt", reinterpret_cast<const uint8_t*>("data\r\n"), 6);
  }
  plat::host::ResetShell();
  plat::host::SetSpecialFolder(plat::kFolderPrograms, "T:\\shell\\Programs");
  plat::host::SetSpecialFolder(plat::kFolderDesktop, "T:\\shell\\Desktop");
  fuzzenv::ClearFolder(env.work + "/shell/Programs");
  fuzzenv::ClearFolder(env.work + "/shell/Desktop");

  fuzzenv::StartInstall();
  const int code = RunInstall();

  const std::string game = env.work + "/game";
  // The shell's folders are there and the names are fixed: every shortcut can be made.
  if (code == kExitShortcutsMissing) Fail("a shortcut was not made:", plat::box_script::Records().back().text);
  if (Succeeded() != (code == kExitInstalled)) Fail("the exit code does not tell the outcome:", std::to_string(code));
  if (Succeeded()) {
    CheckInstalledExactly(game);
  } else {
    if (!Told()) Fail("a failed install was not told");
    if (plat::host::HostExists(game + "/uninstall.dat")) Fail("a failed install left its uninstall record");
    if (!plat::host::Registry().empty()) Fail("a failed install was registered");
  }
  fuzzenv::CheckAllBelow(env.work, {game, env.work + "/shell"});

  plat::host::ResetRegistry();
  plat::host::ResetUi();
  fuzzenv::ClearFolder(env.work);
  fuzzenv::CheckBalance();
  return 0;
}
