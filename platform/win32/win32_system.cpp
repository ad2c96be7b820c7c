// The seam over Win32: drives, language, disk space, folder listing.
#include <windows.h>

#include <cstring>
#include <string>

#include "platform.h"

#undef GetDriveType

namespace plat {

struct FolderList {
  HANDLE handle;
};

namespace {

void Fill(const WIN32_FIND_DATAA& data, FolderEntry* entry) {
  std::memcpy(entry->name, data.cFileName, sizeof entry->name);
  entry->name[sizeof entry->name - 1] = '\0';
  entry->attributes = data.dwFileAttributes;
}

}  // namespace

unsigned GetDriveType(const char* root) { return ::GetDriveTypeA(root); }

uint16_t GetSystemLanguage() { return ::GetSystemDefaultLangID(); }

unsigned GetAnsiCodePage() { return ::GetACP(); }

bool GetDiskFreeBytes(const char* folder, uint64_t* freeBytes) {
  ULARGE_INTEGER callerFree, total, totalFree;
  if (!::GetDiskFreeSpaceExA(folder, &callerFree, &total, &totalFree)) return false;
  *freeBytes = totalFree.QuadPart;
  return true;
}

FolderList* ListFirst(const char* pattern, FolderEntry* entry) {
  WIN32_FIND_DATAA data;
  HANDLE h = ::FindFirstFileA(pattern, &data);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  Fill(data, entry);
  return new FolderList{h};
}

bool ListNext(FolderList* list, FolderEntry* entry) {
  if (list == nullptr) return false;
  WIN32_FIND_DATAA data;
  if (!::FindNextFileA(list->handle, &data)) return false;
  Fill(data, entry);
  return true;
}

void ListClose(FolderList* list) {
  if (list == nullptr) return;
  ::FindClose(list->handle);
  delete list;
}

bool ConvertFromUtf8(unsigned codePage, const char* utf8, size_t length, std::string* out) {
  if (length == 0) {
    out->clear();
    return true;
  }
  int n = static_cast<int>(length);
  int wide = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, n, nullptr, 0);
  if (wide <= 0) return false;
  std::wstring text(static_cast<size_t>(wide), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, n, &text[0], wide);
  BOOL lost = FALSE;
  int bytes = ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.c_str(), wide, nullptr, 0,
                                    nullptr, &lost);
  if (bytes <= 0 || lost) return false;
  std::string result(static_cast<size_t>(bytes), '\0');
  ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.c_str(), wide, &result[0], bytes, nullptr, &lost);
  if (lost) return false;
  *out = result;
  return true;
}

}  // namespace plat
