// The seam over Win32: drives, language, disk space, folder listing.
#include <windows.h>

#include <cstring>

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

}  // namespace plat
