#include "startup.h"

#include <cstring>

#include "a_file.h"
#include "a_name.h"
#include "compose.h"
#include "default_folder.h"
#include "install.h"
#include "install_run.h"
#include "language.h"
#include "path_dialog.h"
#include "setup_state.h"
#include "setup_texts.h"

int FindGameDisc() {
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    char root[] = "A:\\";
    root[0] = letter;
    if (plat::GetDriveType(root) != plat::kDriveCdrom) continue;
    char probe[32];
    Compose(probe, sizeof probe, "%c:\\%s", letter, kDiscProbe);
    plat::Stream* stream = plat::StreamOpen(probe, "rb");
    if (stream == nullptr) continue;
    plat::StreamClose(stream);
    plat::SetCurrentFolder(root);
    return 1;
  }
  return 0;
}

void PickLanguage() { setupState.languageIndex = LanguageForSystem(plat::GetSystemLanguage()); }

int ReadSetupHeader() {
  char path[kPathSize];
  FileHandle file;
  if (!Compose(path, sizeof path, "%s\\cd1", setupState.sourceFolder) || !file.OpenRead(path)) return 0;
  disc::FileSource source(&file);
  setupState.header.Load(&source);
  // A disc that cannot be read (as opposed to a short file) gives no header.
  bool readable = !file.Failed();
  file.Close();
  if (!readable) return 0;
  Compose(setupState.targetFolder, sizeof setupState.targetFolder, "%s",
          disc::DefaultTargetFolder(setupState.header.companyName, setupState.header.gameName).c_str());
  return 1;
}

namespace setup {

int WinMain(plat::Instance instance, plat::Instance, char*, int) {
  if (!FindGameDisc()) {
    plat::MessageBox(nullptr, "Game Disc not found!!", "", plat::kBoxOk);
    return kExitInstalled;
  }
  PickLanguage();
  setupState.instance = instance;
  LoadMessageTexts();
  unsigned length = plat::GetCurrentFolder(setupState.sourceFolder, sizeof setupState.sourceFolder);
  if (length == 0 || length >= sizeof setupState.sourceFolder) setupState.sourceFolder[0] = '\0';
  a_drop_final_backslash(plat::GetAnsiCodePage(), setupState.sourceFolder);
  if (!ReadSetupHeader()) {
    plat::MessageBox(nullptr, "File not fond", "Error", plat::kBoxOk);
    return kExitInstalled;
  }
  if (!RunPathDialog()) return kExitCancelled;
  return RunInstall();
}

}  // namespace setup
