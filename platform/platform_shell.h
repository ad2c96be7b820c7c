// The seam, continued: the registry, the shell's folders, links and folder
// browser.
#pragma once

#include <cstdint>

namespace plat {

using Window = void*;

// ---------------------------------------------------------------------------
// Registry (HKEY_LOCAL_MACHINE is the only root the program writes)
// ---------------------------------------------------------------------------

// An open registry key; RegClose releases it.
struct RegKey;

// RegCreateKeyExA below HKEY_LOCAL_MACHINE with KEY_ALL_ACCESS and default
// options: creates the key or opens it if it exists. Returns the Win32 error
// code (0 = success, `*key` set); on failure `*key` is null.
long RegCreate(const char* subKey, RegKey** key);
// RegSetValueExA of a REG_SZ value, its length counting the terminator.
long RegSetString(RegKey* key, const char* name, const char* value);
// RegSetValueExA of a REG_DWORD value.
long RegSetDword(RegKey* key, const char* name, uint32_t value);
// RegOpenKeyExA below HKEY_LOCAL_MACHINE with KEY_READ: the Win32 error code
// (0 = success, `*key` set; 2 = no such key); on failure `*key` is null.
long RegOpenRead(const char* subKey, RegKey** key);
// RegQueryValueExA of a REG_SZ value into `out` (`size` bytes), always
// terminated. The error code; 234 (ERROR_MORE_DATA) when it does not fit.
long RegGetString(RegKey* key, const char* name, char* out, unsigned size);
// RegDeleteKeyA below HKEY_LOCAL_MACHINE: removes a key that has no subkeys,
// with its values. The error code (2 = there was none).
long RegDeleteKey(const char* subKey);
// RegCloseKey.
long RegClose(RegKey* key);

// ---------------------------------------------------------------------------
// Shell folders, links and the folder browser
// ---------------------------------------------------------------------------

// CSIDL values of the folders the program asks for.
enum SpecialFolder : int {
  kFolderDesktop = 0x0000,   // CSIDL_DESKTOP
  kFolderPrograms = 0x0002,  // CSIDL_PROGRAMS (the user's Programs menu)
  kFolderDrives = 0x0011,    // CSIDL_DRIVES (My Computer)
};

// The file-system path of a special folder of the current user, through the
// shell (SHGetMalloc, SHGetSpecialFolderLocation, SHGetPathFromIDListW), in
// the system's ANSI code page: a component of the path that the code page
// cannot hold (the user's name) is given as its short 8.3 name, so that the
// path works in every call that takes ANSI paths. Fills `out` (260 bytes)
// and returns true; false when the folder cannot be resolved or has no such
// form, leaving `out` unchanged.
bool GetSpecialFolderPath(Window owner, int folder, char* out);

// What a shell link (".lnk") holds. Null strings are not set on the link.
struct ShellLinkFields {
  const char* target;
  const char* arguments;
  uint16_t hotKey;          // not set when 0
  const char* iconPath;     // with iconIndex; not set when null
  int iconIndex;
  int showCommand;          // not set when -1
  const char* workingFolder;
  const char* description;
};

// Where saving a link stopped, and the COM result there.
struct LinkResult {
  enum Stage { kInitialize, kCreate, kQueryPersist, kSave } stage;
  long code;            // the HRESULT of that stage (0 = S_OK)
  unsigned lastError;   // GetLastError() right after a failed stage
};

// Saves a link at `linkPath` (ANSI, converted to UTF-16 within 260
// characters by the caller's contract: callers pass at most 259 bytes).
// COM is initialised and uninitialised around the call; no interface
// outlives it. The result's stage is kSave when everything before the save
// went through; its code is then the save's result.
LinkResult SaveShellLink(const ShellLinkFields& fields, const char* linkPath);

// The system folder browser, rooted at My Computer, titled `title`, for
// file-system folders only. Returns true and copies the chosen folder's path
// into `out` (260 bytes); false when the user cancelled or the choice has no
// file-system path (`out` unchanged).
bool BrowseForFolder(Window owner, const char* title, char* out);

}  // namespace plat
