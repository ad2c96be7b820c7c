// Ties the installed game into the shell: the uninstall registration, the
// Programs-menu folder with its shortcuts, the desktop shortcut, the web
// link and the extra shortcuts listed on the disc.
//
// No operation here shows a box; a step that fails leaves its item out and
// the next is tried, and the item is counted as missed (MissedShortcuts) so
// that the closing box can name it. Every folder, link and key made here is recorded in the
// install log, when one is open, before it is made. Names and relative paths that come from the disc are
// checked first: one that would lead out of its folder is left out too.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform.h"
#include "uninstall_registry.h"

// Registers the uninstall key, makes the menu folder with the uninstall and
// game shortcuts and, with `onDesktop`, the desktop shortcut.
void CreateGameShortcuts(const char* targetFolder, const char* companyName, const char* gameName,
                         const char* exeName, const char* uninstallKey, const char* uninstallText,
                         int onDesktop);

// Writes the key kUninstallRoot\<keyName> with "DisplayName", "company",
// "path" and "UninstallString" (the uninstaller's path in double quotes),
// and what the list of installed programs shows: "Publisher" (the company),
// "InstallLocation", "DisplayIcon" (installFolder\exeName, left out for an
// exe that would leave the folder), "EstimatedSize" (installSize in KB,
// rounded up), "InstallDate" (YYYYMMDD, today) and "NoModify" and
// "NoRepair" (1). The key is recorded in the install log, when one is open,
// before it is made. Returns the result of closing the key; a key that
// cannot be made or logged, or an empty or nested key name (a "\\" in the
// system's code page), writes nothing and returns the error.
long RegisterUninstall(const char* companyName, const char* displayName, const char* keyName,
                       const char* installFolder, const char* uninstallerName, const char* exeName,
                       uint32_t installSize);

// Saves one shell link. Returns 87 when `target` or `linkPath` is absent, 206
// when either does not fit the shell's 260 characters (nothing is written),
// else the COM result of the step that failed or of the save. A failed COM
// step prints one line to standard output.
uint32_t CreateShellLink(const char* target, const char* arguments, uint16_t hotKey,
                         const char* iconPath, int iconIndex, int showCommand,
                         const char* workingFolder, const char* description, const char* linkPath);

// The user's Programs menu and desktop folders into `out` (260 bytes); 1 when
// filled, 0 when the folder cannot be resolved (`out` unchanged).
int GetProgramsFolder(plat::Window owner, char* out);
int GetDesktopFolder(plat::Window owner, char* out);

// Copies the disc file named by the URL_FILENAME text into the game's menu
// folder under the URL_NAME text.
void CopyWebLink();
// Reads the extra-shortcut rows of "setupdata\setupdata.ini" and makes a
// shortcut in the game's menu folder for each.
void CreateExtraLinks();

// The shortcuts and the web link that the last CreateGameShortcuts and the
// CopyWebLink and CreateExtraLinks after it tried to make and could not
// (an item left out for a name from the disc that would leave its folder
// does not count). Returns their number; `text` (`size` bytes) gets their
// paths, one a line, the first kMissedShortcutsShown of them, then "and N
// more": kMissedShortcutsText bytes hold every path.
constexpr int kMissedShortcutsShown = 4;
constexpr size_t kMissedShortcutsText = kMissedShortcutsShown * 261 + 32;
int MissedShortcuts(char* text, size_t size);
