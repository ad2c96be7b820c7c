// Where an installed game is registered: the key kUninstallRoot\<uninstall
// key> below HKEY_LOCAL_MACHINE, which setup writes (shell.h) after logging
// it, and the uninstaller removes; and the uninstall record beside the game
// that names the key.
#pragma once

#include "setup_header.h"

// The key below HKEY_LOCAL_MACHINE under which installed programs are listed.
constexpr char kUninstallRoot[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The uninstall record in the install folder: the setup header's uninstall
// key field, its 40 bytes as they are.
// The uninstaller, in the install folder: the registration's uninstall
// command and the Uninstall shortcut run it.
constexpr char kUninstallerName[] = "uninstall.exe";

constexpr char kUninstallRecordName[] = "uninstall.dat";
constexpr int kUninstallRecordBytes = disc::kHeaderTextBytes;
