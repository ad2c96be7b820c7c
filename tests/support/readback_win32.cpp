#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "readback.h"
#include "platform.h"

namespace testsupport {

// Read in this program's own view of the registry, the one the installer's
// code in it writes: the 32-bit view in the 32-bit build, the 64-bit one in
// the 64-bit build.
bool ReadRegistryString(const std::string& key, const std::string& name, std::string* value) {
  HKEY k;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) {
    return false;
  }
  char data[1024];
  DWORD size = sizeof data;
  DWORD type = 0;
  LONG rc = RegQueryValueExA(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(k);
  if (rc != ERROR_SUCCESS || type != REG_SZ || size == 0) return false;
  value->assign(data, size - 1);  // the stored length counts the terminator
  return true;
}

bool ReadRegistryDword(const std::string& key, const std::string& name, uint32_t* value) {
  HKEY k;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  DWORD data = 0, size = sizeof data, type = 0;
  LONG rc = RegQueryValueExA(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
  RegCloseKey(k);
  if (rc != ERROR_SUCCESS || type != REG_DWORD) return false;
  *value = data;
  return true;
}

void DeleteRegistryKey(const std::string& key) { RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str()); }

bool ReadLink(const std::string& linkPath, LinkInfo* link) {
  wchar_t wide[MAX_PATH];
  if (MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH) == 0) return false;
  return ReadLinkWide(wide, link);
}

bool ReadLinkWide(const wchar_t* linkPath, LinkInfo* link) {
  // The show command is read from the file's header: IShellLink's getter has
  // been seen to answer 1 for a link that stores 2.
  std::string bytes;
  if (FILE* in = _wfopen(linkPath, L"rb")) {
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, in)) > 0;) bytes.append(chunk, n);
    std::fclose(in);
  }
  if (bytes.size() < 0x4C) return false;
  auto le32 = [&bytes](size_t at) {
    return static_cast<int>(static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8 |
                            static_cast<unsigned char>(bytes[at + 2]) << 16 |
                            static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 3])) << 24);
  };
  link->showCommand = le32(0x3C);
  link->hotKey = static_cast<unsigned char>(bytes[0x40]) | static_cast<unsigned char>(bytes[0x41]) << 8;

  CoInitialize(nullptr);
  IShellLinkA* shellLink = nullptr;
  IPersistFile* file = nullptr;
  bool ok = false;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&shellLink))) &&
      SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    if (SUCCEEDED(file->Load(linkPath, STGM_READ))) {
      char text[MAX_PATH * 2];
      WIN32_FIND_DATAA data;
      if (SUCCEEDED(shellLink->GetPath(text, MAX_PATH, &data, SLGP_RAWPATH))) link->target = text;
      if (SUCCEEDED(shellLink->GetArguments(text, MAX_PATH))) link->arguments = text;
      if (SUCCEEDED(shellLink->GetWorkingDirectory(text, MAX_PATH))) link->workingFolder = text;
      if (SUCCEEDED(shellLink->GetDescription(text, MAX_PATH))) link->description = text;
      int index = 0;
      if (SUCCEEDED(shellLink->GetIconLocation(text, MAX_PATH, &index))) {
        link->iconPath = text;
        link->iconIndex = index;
      }
      ok = true;
    }
  }
  if (file) file->Release();
  if (shellLink) shellLink->Release();
  CoUninitialize();
  return ok;
}

ShellFolders PrepareShellFolders(const Scratch&) {
  ShellFolders f;
  char path[MAX_PATH];
  if (plat::GetSpecialFolderPath(nullptr, plat::kFolderPrograms, path)) f.programs = path;
  if (plat::GetSpecialFolderPath(nullptr, plat::kFolderDesktop, path)) f.desktop = path;
  return f;
}

}  // namespace testsupport
