// The seam over Win32: registry, shell folders, shell links, folder browser.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <cwchar>

#include "platform.h"

#undef RegDeleteKey

namespace plat {

struct RegKey {
  HKEY key;
};

long RegCreate(const char* subKey, RegKey** key) {
  *key = nullptr;
  HKEY handle = nullptr;
  DWORD disposition = 0;
  LONG rc = ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &handle, &disposition);
  if (rc != ERROR_SUCCESS) return rc;
  *key = new RegKey{handle};
  return 0;
}

long RegSetString(RegKey* key, const char* name, const char* value) {
  if (key == nullptr || value == nullptr) return ERROR_INVALID_HANDLE;
  return ::RegSetValueExA(key->key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                          static_cast<DWORD>(std::strlen(value) + 1));
}

long RegSetDword(RegKey* key, const char* name, uint32_t value) {
  if (key == nullptr) return ERROR_INVALID_HANDLE;
  DWORD data = value;
  return ::RegSetValueExA(key->key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
}

long RegOpenRead(const char* subKey, RegKey** key) {
  *key = nullptr;
  HKEY handle = nullptr;
  LONG rc = ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, KEY_READ, &handle);
  if (rc != ERROR_SUCCESS) return rc;
  *key = new RegKey{handle};
  return 0;
}

long RegGetString(RegKey* key, const char* name, char* out, unsigned size) {
  if (key == nullptr || size == 0) return ERROR_INVALID_HANDLE;
  DWORD type = 0, length = size;
  LONG rc = ::RegQueryValueExA(key->key, name, nullptr, &type, reinterpret_cast<BYTE*>(out), &length);
  if (rc == ERROR_SUCCESS && type != REG_SZ) rc = ERROR_INVALID_DATA;
  if (rc != ERROR_SUCCESS) {
    out[0] = '\0';
    return rc;
  }
  // A stored value need not carry its terminator.
  if (length > 0 && out[length - 1] == '\0') return 0;
  if (length < size) {
    out[length] = '\0';
    return 0;
  }
  out[size - 1] = '\0';
  return ERROR_MORE_DATA;
}

long RegDeleteKey(const char* subKey) { return ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, subKey); }

long RegClose(RegKey* key) {
  if (key == nullptr) return ERROR_INVALID_HANDLE;
  LONG rc = ::RegCloseKey(key->key);
  delete key;
  return rc;
}

namespace {

// `wide` in the ANSI code page, without best-fit guesses; false when a
// character has no form there or the result does not fit `size` bytes.
bool ToAnsi(const wchar_t* wide, int length, char* out, int size) {
  BOOL lost = FALSE;
  const int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, length, out, size - 1, nullptr, &lost);
  if ((n == 0 && length != 0) || lost) return false;
  out[n] = '\0';
  return true;
}

// A folder's path as the A calls can take it. The player's own folders
// hold the user's name, which the system's code page need not have (a
// Chinese name on a Western system): the A call gives "?" for it, and every
// folder and link made there fails. Each component that the code page
// cannot hold is replaced by its short (8.3) name, which it always can.
// False when a component has no short name either (their making is off on
// some volumes) or the result does not fit MAX_PATH bytes.
bool AnsiFormOf(const wchar_t* path, char* out) {
  if (ToAnsi(path, -1, out, MAX_PATH)) return true;
  wchar_t shortPath[MAX_PATH];
  const DWORD n = ::GetShortPathNameW(path, shortPath, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  size_t used = 0;
  const wchar_t* longPart = path;
  const wchar_t* shortPart = shortPath;
  for (;;) {
    const wchar_t* longEnd = std::wcschr(longPart, L'\\');
    const wchar_t* shortEnd = std::wcschr(shortPart, L'\\');
    if ((longEnd == nullptr) != (shortEnd == nullptr)) return false;
    const int longLength = static_cast<int>(longEnd ? longEnd - longPart : std::wcslen(longPart));
    const int shortLength = static_cast<int>(shortEnd ? shortEnd - shortPart : std::wcslen(shortPart));
    const int room = static_cast<int>(MAX_PATH - used);
    if (!ToAnsi(longPart, longLength, out + used, room) && !ToAnsi(shortPart, shortLength, out + used, room)) {
      return false;
    }
    used += std::strlen(out + used);
    if (longEnd == nullptr) return true;
    if (used + 1 >= MAX_PATH) return false;
    out[used++] = '\\';
    longPart = longEnd + 1;
    shortPart = shortEnd + 1;
  }
}

}  // namespace

bool GetSpecialFolderPath(Window owner, int folder, char* out) {
  IMalloc* shellMalloc = nullptr;
  if (FAILED(::SHGetMalloc(&shellMalloc))) return false;
  LPITEMIDLIST items = nullptr;
  bool ok = false;
  if (SUCCEEDED(::SHGetSpecialFolderLocation(static_cast<HWND>(owner), folder, &items))) {
    wchar_t wide[MAX_PATH];
    char path[MAX_PATH];
    if (::SHGetPathFromIDListW(items, wide) && AnsiFormOf(wide, path)) {
      std::memcpy(out, path, std::strlen(path) + 1);
      ok = true;
    }
    shellMalloc->Free(items);
  }
  shellMalloc->Release();
  return ok;
}

LinkResult SaveShellLink(const ShellLinkFields& f, const char* linkPath) {
  HRESULT rc = ::CoInitialize(nullptr);
  if (FAILED(rc)) return LinkResult{LinkResult::kInitialize, rc, ::GetLastError()};
  IShellLinkA* link = nullptr;
  rc = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                          reinterpret_cast<void**>(&link));
  if (FAILED(rc)) {
    unsigned lastError = ::GetLastError();
    ::CoUninitialize();
    return LinkResult{LinkResult::kCreate, rc, lastError};
  }
  link->SetPath(f.target);
  if (f.description) link->SetDescription(f.description);
  if (f.arguments) link->SetArguments(f.arguments);
  if (f.hotKey != 0) link->SetHotkey(f.hotKey);
  if (f.iconPath) link->SetIconLocation(f.iconPath, f.iconIndex);
  if (f.showCommand != -1) link->SetShowCmd(f.showCommand);
  if (f.workingFolder) link->SetWorkingDirectory(f.workingFolder);

  IPersistFile* file = nullptr;
  rc = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  if (FAILED(rc)) {
    unsigned lastError = ::GetLastError();
    link->Release();
    ::CoUninitialize();
    return LinkResult{LinkResult::kQueryPersist, rc, lastError};
  }
  wchar_t widePath[MAX_PATH];
  if (::MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, MAX_PATH) == 0) {
    rc = HRESULT_FROM_WIN32(::GetLastError());
  } else {
    rc = file->Save(widePath, TRUE);
  }
  file->Release();
  link->Release();
  ::CoUninitialize();
  return LinkResult{LinkResult::kSave, rc, 0};
}

bool BrowseForFolder(Window owner, const char* title, char* out) {
  IMalloc* shellMalloc = nullptr;
  if (FAILED(::SHGetMalloc(&shellMalloc))) return false;
  char* name = static_cast<char*>(shellMalloc->Alloc(MAX_PATH));
  if (name == nullptr) {
    shellMalloc->Release();
    return false;
  }
  LPITEMIDLIST root = nullptr;
  if (FAILED(::SHGetSpecialFolderLocation(static_cast<HWND>(owner), CSIDL_DRIVES, &root))) {
    shellMalloc->Free(name);
    shellMalloc->Release();
    return false;
  }
  BROWSEINFOA info = {};
  info.hwndOwner = static_cast<HWND>(owner);
  info.pidlRoot = root;
  info.pszDisplayName = name;
  info.lpszTitle = title;
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
  bool ok = false;
  LPITEMIDLIST chosen = ::SHBrowseForFolderA(&info);
  if (chosen != nullptr) {
    if (::SHGetPathFromIDListA(chosen, name)) {
      std::memcpy(out, name, std::strlen(name) + 1);
      ok = true;
    }
    shellMalloc->Free(chosen);
  }
  shellMalloc->Free(root);
  shellMalloc->Free(name);
  shellMalloc->Release();
  return ok;
}

}  // namespace plat
