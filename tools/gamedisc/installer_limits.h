// What setup.exe can take, as both the build and verify check it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace gamedisc {

// A stored path within the installer's status text, and the default install
// folder with a path within the system's 260 characters.
constexpr size_t kMaxStoredPath = 242;
constexpr size_t kMaxPath = 259;
// The uninstall record the installer writes beside the game.
constexpr uint32_t kUninstallRecordBytes = 40;

// The folder setup.exe offers first: C:\Program Files\COMPANY\GAME.
inline std::string DefaultTargetFolder(const std::string& company, const std::string& game) {
  return "C:\\Program Files\\" + company + "\\" + game;
}

// Names compared as the Windows file systems do for plain ASCII.
inline bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

}  // namespace gamedisc
