#include "shell.h"

#include <cstdio>
#include <cstring>

#include "a_file.h"
#include "a_name.h"
#include "compose.h"
#include "install_log.h"
#include "setup_state.h"
#include "setup_texts.h"
#include "stored_path.h"

namespace {

constexpr size_t kShellPath = 260;
constexpr uint32_t kInvalidParameter = 87;     // ERROR_INVALID_PARAMETER
constexpr uint32_t kFileNameTooLong = 206;     // ERROR_FILENAME_EXCED_RANGE
constexpr uint32_t kWriteFault = 29;           // ERROR_WRITE_FAULT

// The shortcuts this install tried to make and could not: the closing box
// names them, so that a missing shortcut is never taken for a made one.
constexpr int kMissedShown = kMissedShortcutsShown;
int missedCount = 0;
char missedNames[kMissedShown][kShellPath];

void Miss(const char* format, const char* a, const char* b = "", const char* c = "") {
  if (missedCount < kMissedShown && !Compose(missedNames[missedCount], kShellPath, format, a, b, c)) {
    CopyCut(missedNames[missedCount], kShellPath, a);
  }
  ++missedCount;
}

// The game's folder in the Programs menu: P\company\game. False when the
// Programs folder is not known or the names would not make a folder there.
bool MenuFolder(char* out) {
  char programs[kShellPath];
  if (!GetProgramsFolder(nullptr, programs)) return false;
  const unsigned codePage = plat::GetAnsiCodePage();
  if (!IsSafeName(setupState.header.companyName, codePage) || !IsSafeName(setupState.header.gameName, codePage)) return false;
  return Compose(out, kShellPath, "%s\\%s\\%s", programs, setupState.header.companyName, setupState.header.gameName);
}

// A menu folder, recorded in the install log when this install makes it.
// False when it is not there afterwards.
bool MakeMenuFolder(const char* folder) {
  if (plat::GetAttributes(folder) == plat::kInvalidAttributes) {
    if (!installLog.Entry(disc::kLogMenu, folder)) return false;
    plat::CreateFolder(folder);
  }
  const uint32_t attributes = plat::GetAttributes(folder);
  return attributes != plat::kInvalidAttributes && (attributes & plat::kAttrDirectory) != 0;
}

// A shortcut, recorded in the install log before it is saved.
void SaveLoggedLink(const char* target, const char* iconPath, int showCommand, const char* workingFolder,
                    const char* description, const char* link) {
  if (!installLog.Entry(disc::kLogLink, link) ||
      CreateShellLink(target, nullptr, 0, iconPath, 0, showCommand, workingFolder, description, link) != 0) {
    Miss("%s", link);
  }
}

}  // namespace

long RegisterUninstall(const char* companyName, const char* displayName, const char* keyName,
                       const char* installFolder, const char* uninstallerName, const char* exeName,
                       uint32_t installSize) {
  // An empty name would write onto the list's own key, a nested one below
  // some other program's entry.
  // The registry reads key names in the system's code page, as the file
  // system reads paths.
  if (keyName[0] == '\0' || a_last_backslash(plat::GetAnsiCodePage(), keyName) != nullptr) return kInvalidParameter;
  char keyPath[512];
  char uninstallString[kShellPath + 2];
  if (!Compose(keyPath, sizeof keyPath, "%s\\%s", kUninstallRoot, keyName)) return kInvalidParameter;
  // Quoted: an unquoted path with a blank can be taken for a shorter program.
  if (!Compose(uninstallString, sizeof uninstallString, "\"%s\\%s\"", installFolder, uninstallerName)) {
    return kFileNameTooLong;
  }
  char icon[kShellPath];
  if (!IsSafeRelativePath(exeName, plat::GetAnsiCodePage()) ||
      !Compose(icon, sizeof icon, "%s\\%s", installFolder, exeName)) {
    icon[0] = '\0';
  }
  const plat::Date today = plat::GetLocalDate();
  char date[16];
  Compose(date, sizeof date, "%04d%02d%02d", today.year, today.month, today.day);
  if (!installLog.Entry(disc::kLogRegistry, keyPath)) return kWriteFault;
  plat::RegKey* key = nullptr;
  long rc = plat::RegCreate(keyPath, &key);
  if (rc != 0) return rc;
  plat::RegSetString(key, "DisplayName", displayName);
  plat::RegSetString(key, "company", companyName);
  plat::RegSetString(key, "path", installFolder);
  plat::RegSetString(key, "UninstallString", uninstallString);
  // What the list of installed programs shows besides the name.
  plat::RegSetString(key, "Publisher", companyName);
  plat::RegSetString(key, "InstallLocation", installFolder);
  if (icon[0] != '\0') plat::RegSetString(key, "DisplayIcon", icon);
  plat::RegSetDword(key, "EstimatedSize", static_cast<uint32_t>((static_cast<uint64_t>(installSize) + 1023) / 1024));
  plat::RegSetString(key, "InstallDate", date);
  plat::RegSetDword(key, "NoModify", 1);
  plat::RegSetDword(key, "NoRepair", 1);
  return plat::RegClose(key);
}

uint32_t CreateShellLink(const char* target, const char* arguments, uint16_t hotKey,
                         const char* iconPath, int iconIndex, int showCommand,
                         const char* workingFolder, const char* description, const char* linkPath) {
  if (target == nullptr || linkPath == nullptr) return kInvalidParameter;
  if (std::strlen(linkPath) >= kShellPath || std::strlen(target) >= kShellPath) return kFileNameTooLong;
  plat::ShellLinkFields fields{target, arguments, hotKey, iconPath, iconIndex,
                               showCommand, workingFolder, description};
  plat::LinkResult r = plat::SaveShellLink(fields, linkPath);
  const char* failed = nullptr;
  switch (r.stage) {
    case plat::LinkResult::kInitialize: failed = "CoInitialize"; break;
    case plat::LinkResult::kCreate: failed = "CoCreateInstance"; break;
    case plat::LinkResult::kQueryPersist: failed = "QueryInterface"; break;
    case plat::LinkResult::kSave: break;
  }
  if (failed != nullptr) {
    std::printf("%s failed, rc(%x),%x\n", failed, static_cast<unsigned>(r.code), r.lastError);
  }
  return static_cast<uint32_t>(r.code);
}

int GetProgramsFolder(plat::Window owner, char* out) {
  return plat::GetSpecialFolderPath(owner, plat::kFolderPrograms, out) ? 1 : 0;
}

int GetDesktopFolder(plat::Window owner, char* out) {
  return plat::GetSpecialFolderPath(owner, plat::kFolderDesktop, out) ? 1 : 0;
}

void CreateGameShortcuts(const char* targetFolder, const char* companyName, const char* gameName,
                         const char* exeName, const char* uninstallKey, const char* uninstallText,
                         int onDesktop) {
  RegisterUninstall(companyName, gameName, uninstallKey, targetFolder, kUninstallerName, exeName,
                    setupState.header.installSize);

  const unsigned codePage = plat::GetAnsiCodePage();
  char gameTarget[kShellPath];
  bool gameOk = IsSafeName(gameName, codePage) && IsSafeRelativePath(exeName, codePage) &&
                Compose(gameTarget, sizeof gameTarget, "%s\\%s", targetFolder, exeName);
  missedCount = 0;
  const bool uninstallOk = IsSafeName(uninstallText, codePage);
  char programs[kShellPath];
  if (IsSafeName(companyName, codePage) && IsSafeName(gameName, codePage)) {
    char company[kShellPath], menu[kShellPath], link[kShellPath], target[kShellPath];
    bool menuOk = GetProgramsFolder(nullptr, programs) &&
                  Compose(company, sizeof company, "%s\\%s", programs, companyName);
    // The company's folder may be there already, another game's.
    if (menuOk) MakeMenuFolder(company);
    menuOk = menuOk && Compose(menu, sizeof menu, "%s\\%s\\%s", programs, companyName, gameName) &&
             MakeMenuFolder(menu);
    if (!menuOk) {
      // No folder to save them in: named as the Programs menu shows them.
      if (uninstallOk) Miss("Programs\\%s\\%s\\%s.lnk", companyName, gameName, uninstallText);
      if (gameOk) Miss("Programs\\%s\\%s\\%s.lnk", companyName, gameName, gameName);
    } else {
      if (uninstallOk && Compose(target, sizeof target, "%s\\uninstall.exe", targetFolder) &&
          Compose(link, sizeof link, "%s\\%s.lnk", menu, uninstallText)) {
        SaveLoggedLink(target, nullptr, 2, targetFolder, uninstallText, link);
      }
      if (gameOk && Compose(link, sizeof link, "%s\\%s.lnk", menu, gameName)) {
        SaveLoggedLink(gameTarget, nullptr, 2, targetFolder, gameName, link);
      }
    }
  }
  if (!onDesktop || !gameOk) return;
  char desktop[kShellPath], link[kShellPath];
  if (!GetDesktopFolder(nullptr, desktop)) {
    Miss("Desktop\\%s.lnk", gameName);
  } else if (Compose(link, sizeof link, "%s\\%s.lnk", desktop, gameName)) {
    SaveLoggedLink(gameTarget, nullptr, 2, targetFolder, gameName, link);
  }
}

void CopyWebLink() {
  char menu[kShellPath], destination[kShellPath];
  const char* name = Text(kUrlName);
  if (!IsSafeName(name, plat::GetAnsiCodePage())) return;
  // A disc without the link's file, or without its name, has no web link:
  // nothing is missing then.
  const char* source = Text(kUrlFileName);
  FileHandle probe;
  if (source[0] == '\0' || !probe.OpenRead(source)) return;
  probe.Close();
  if (!MenuFolder(menu)) {
    Miss("Programs\\%s\\%s\\%s", setupState.header.companyName, setupState.header.gameName, name);
    return;
  }
  if (!Compose(destination, sizeof destination, "%s\\%s", menu, name) || !installLog.Entry(disc::kLogLink, destination) ||
      CopyFileData(source, destination) != 1) {
    Miss("%s\\%s", menu, name);
  }
}

void CreateExtraLinks() {
  ReadExtraLinks();
  const unsigned codePage = plat::GetAnsiCodePage();
  for (int k = 0; k < setupState.extraLinkCount; ++k) {
    const ExtraLink& slot = setupState.extraLinks[k];
    char target[kShellPath], menu[kShellPath], link[kShellPath];
    if (!IsSafeRelativePath(slot.file, codePage) || !IsSafeName(slot.name, codePage)) continue;
    if (!Compose(target, sizeof target, "%s\\%s", setupState.targetFolder, slot.file)) continue;
    if (!MenuFolder(menu)) {
      Miss("Programs\\%s\\%s\\%s.lnk", setupState.header.companyName, setupState.header.gameName, slot.name);
      continue;
    }
    if (!Compose(link, sizeof link, "%s\\%s.lnk", menu, slot.name)) continue;
    SaveLoggedLink(target, target, 0, setupState.targetFolder, slot.name, link);
  }
}

int MissedShortcuts(char* text, size_t size) {
  if (size == 0) return missedCount;
  text[0] = '\0';
  size_t used = 0;
  for (int k = 0; k < missedCount && k < kMissedShown; ++k) {
    if (!Compose(text + used, size - used, "%s%s", k == 0 ? "" : "\n", missedNames[k])) break;
    used += std::strlen(text + used);
  }
  if (missedCount > kMissedShown) {
    char more[48];
    Compose(more, sizeof more, "\nand %d more", missedCount - kMissedShown);
    if (used + std::strlen(more) < size) std::memcpy(text + used, more, std::strlen(more) + 1);
  }
  return missedCount;
}
