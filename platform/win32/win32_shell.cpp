// The seam over Win32: registry, shell folders, shell links, folder browser.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>

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

bool GetSpecialFolderPath(Window owner, int folder, char* out) {
  IMalloc* shellMalloc = nullptr;
  if (FAILED(::SHGetMalloc(&shellMalloc))) return false;
  LPITEMIDLIST items = nullptr;
  bool ok = false;
  if (SUCCEEDED(::SHGetSpecialFolderLocation(static_cast<HWND>(owner), folder, &items))) {
    char path[MAX_PATH];
    if (::SHGetPathFromIDListA(items, path)) {
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
