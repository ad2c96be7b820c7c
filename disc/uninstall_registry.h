// Where an installed game is registered: the key kUninstallRoot\<uninstall
// key> below HKEY_LOCAL_MACHINE, which setup writes (shell.h) after logging
// it, and the uninstaller removes.
#pragma once

// The key below HKEY_LOCAL_MACHINE under which installed programs are listed.
constexpr char kUninstallRoot[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
