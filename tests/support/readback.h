// Looks at what the program left in the system, the same way on both sides
// of the seam: the host side reads the stand-in's records, the Windows side
// the real registry and link files.
#pragma once

#include <cstdint>
#include <string>

#include "scratch.h"

namespace testsupport {

// A REG_SZ value below HKEY_LOCAL_MACHINE (the 32-bit view on Windows, where
// a 32-bit program's writes land).
bool ReadRegistryString(const std::string& key, const std::string& name, std::string* value);
// A REG_DWORD value, the same way.
bool ReadRegistryDword(const std::string& key, const std::string& name, uint32_t* value);
// Removes a key (and its values) so that a test starts without it.
void DeleteRegistryKey(const std::string& key);

struct LinkInfo {
  std::string target;
  std::string arguments;
  std::string workingFolder;
  std::string description;
  std::string iconPath;
  int iconIndex = 0;
  int showCommand = 0;
  int hotKey = 0;
};
// Reads a link file back.
bool ReadLink(const std::string& linkPath, LinkInfo* link);
// The same by its UTF-16 path (Windows only): a path the code page cannot hold.
bool ReadLinkWide(const wchar_t* linkPath, LinkInfo* link);

// Gives the shell's Programs menu and desktop folders for a test: on the
// host, folders below `dir` that the stand-in is told about; on Windows,
// the real ones of the test run's user. Windows paths.
struct ShellFolders {
  std::string programs;
  std::string desktop;
};
ShellFolders PrepareShellFolders(const Scratch& dir);

}  // namespace testsupport
