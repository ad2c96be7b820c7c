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

Date GetLocalDate() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  return Date{now.wYear, now.wMonth, now.wDay};
}

bool GetProgramPath(char* out, unsigned size) {
  DWORD n = ::GetModuleFileNameA(nullptr, out, size);
  return n > 0 && n < size;
}

bool GetTempFolder(char* out, unsigned size) {
  DWORD n = ::GetTempPathA(size, out);
  return n > 0 && n < size;
}

unsigned GetProcessId() { return ::GetCurrentProcessId(); }

bool StartCopyOfProgram(const char* copyPath, const char* arguments) {
  char self[MAX_PATH];
  if (!GetProgramPath(self, sizeof self) || !::CopyFileA(self, copyPath, FALSE)) return false;
  // The copy is opened for deletion on close and the handle handed down: it
  // goes when the copy's process, the last to hold it, ends. Sharing the
  // deletion lets the loader map the file meanwhile.
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE hold = ::CreateFileA(copyPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, &inherit,
                              OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (hold == INVALID_HANDLE_VALUE) {
    ::DeleteFileA(copyPath);
    return false;
  }
  std::string command = std::string("\"") + copyPath + "\" " + arguments;
  // The copy works in its own folder: a folder that is some process's
  // current folder cannot be removed, and this one's may be the game's.
  std::string folder = copyPath;
  const size_t cut = folder.find_last_of('\\');
  folder = cut == std::string::npos ? std::string() : folder.substr(0, cut + 1);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  BOOL started = ::CreateProcessA(copyPath, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                  folder.empty() ? nullptr : folder.c_str(), &startup, &process);
  ::CloseHandle(hold);  // the copy holds it now, or nobody does and the file goes
  if (!started) return false;
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return true;
}

bool WaitForProcessEnd(unsigned processId, unsigned timeoutMs) {
  HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, processId);
  if (process == nullptr) return true;
  DWORD rc = ::WaitForSingleObject(process, timeoutMs);
  ::CloseHandle(process);
  return rc == WAIT_OBJECT_0;
}

bool RemoveAtRestart(const char* path) { return ::MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0; }

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
