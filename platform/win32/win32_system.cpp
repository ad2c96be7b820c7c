// The seam over Win32: drives, language, disk space, folder listing, the
// private copy.
#include <windows.h>
#include <ntsecapi.h>
#include <sddl.h>

#include <cstring>
#include <string>
#include <vector>

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
  entry->size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
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

unsigned GetProcessId() { return ::GetCurrentProcessId(); }

struct PrivateCopy {
  std::string path;    // the copy
  std::string folder;  // the private folder it lies in
  HANDLE hold;         // the copy, for reading, deleted on close, inheritable
};

namespace {

// Full control for Administrators and SYSTEM, on the folder and what is made
// in it; protected, so that nothing the parent grants (users and CREATOR
// OWNER have rights in Windows\Temp) comes in.
constexpr char kAdministratorsAndSystem[] = "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";
constexpr size_t kRandomBytes = 16;

// Where private copies go: the Windows folder's Temp, where users may create
// entries but, without delete-child rights, not rename or remove anyone
// else's, so the folder stays ours from its creation to its use. Not the
// user's temporary folder: the user owns it and could move our folder away
// and put one of their own in its place. The system's Windows folder, not
// GetWindowsDirectory's, which is the user's own on a terminal server. Where
// this cannot be had, no copy is made (the caller falls back on removal at
// restart).
bool PrivateParent(std::string* out) {
  char windows[MAX_PATH];
  const UINT n = ::GetSystemWindowsDirectoryA(windows, sizeof windows);
  if (n == 0 || n >= sizeof windows) return false;
  *out = windows;
  if (out->back() == '\\') out->pop_back();
  *out += "\\Temp";
  return true;
}

std::string Stem(const std::string& fileName) { return fileName.substr(0, fileName.find_last_of('.')); }

bool RandomHex(std::string* out) {
  unsigned char bytes[kRandomBytes];
  if (!::RtlGenRandom(bytes, sizeof bytes)) return false;
  static const char kDigits[] = "0123456789abcdef";
  out->clear();
  for (unsigned char b : bytes) {
    *out += kDigits[b >> 4];
    *out += kDigits[b & 15];
  }
  return true;
}

// Whether `name` is `stem` followed by "-" and the random digits.
bool IsPrivateName(const std::string& name, const std::string& stem) {
  if (name.size() != stem.size() + 1 + 2 * kRandomBytes || name[stem.size()] != '-' ||
      ::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, name.c_str(), static_cast<int>(stem.size()), stem.c_str(),
                       static_cast<int>(stem.size())) != CSTR_EQUAL) {
    return false;
  }
  return name.find_first_not_of("0123456789abcdef", stem.size() + 1) == std::string::npos;
}

bool SameText(const std::string& a, const std::string& b) {
  return ::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()), b.c_str(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

// Writes the program's own file as `path`, a file that must not exist yet,
// through a handle that shares nothing.
bool WriteOwnFile(const std::string& path, SECURITY_ATTRIBUTES* security) {
  char self[MAX_PATH];
  if (!GetProgramPath(self, sizeof self)) return false;
  HANDLE in = ::CreateFileA(self, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                            nullptr);
  if (in == INVALID_HANDLE_VALUE) return false;
  HANDLE out = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, security, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  bool ok = out != INVALID_HANDLE_VALUE;
  std::vector<char> buffer(64 * 1024);
  for (DWORD got = 0; ok;) {
    ok = ::ReadFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) != 0;
    if (!ok || got == 0) break;
    DWORD put = 0;
    ok = ::WriteFile(out, buffer.data(), got, &put, nullptr) != 0 && put == got;
  }
  ::CloseHandle(in);
  if (out != INVALID_HANDLE_VALUE && !::CloseHandle(out)) ok = false;
  return ok;
}

// Whether `handle` is open on the file at `path`.
bool IsFileAt(HANDLE handle, const std::string& path) {
  BY_HANDLE_FILE_INFORMATION held = {}, there = {};
  if (!::GetFileInformationByHandle(handle, &held)) return false;
  HANDLE file = ::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool same = ::GetFileInformationByHandle(file, &there) && held.dwVolumeSerialNumber == there.dwVolumeSerialNumber &&
                    held.nFileIndexHigh == there.nFileIndexHigh && held.nFileIndexLow == there.nFileIndexLow;
  ::CloseHandle(file);
  return same;
}

// Renames the file open as `handle` to the whole path `target` (which must
// not exist). Through the handle, so that the handle's deletion on close
// follows the file to its new name (Wine deletes by the name the deleting
// handle knows).
bool RenameOpenFile(HANDLE handle, const std::string& target) {
  const int chars = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, target.c_str(), -1, nullptr, 0);
  if (chars <= 1) return false;
  const size_t nameBytes = static_cast<size_t>(chars - 1) * sizeof(WCHAR);
  std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes, 0);
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->FileNameLength = static_cast<DWORD>(nameBytes);
  ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, target.c_str(), -1, info->FileName, chars);
  return ::SetFileInformationByHandle(handle, FileRenameInfo, info, static_cast<DWORD>(buffer.size())) != 0;
}

}  // namespace

PrivateCopy* MakePrivateCopy(const char* fileName) {
  std::string parent;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!PrivateParent(&parent) ||
      !::ConvertStringSecurityDescriptorToSecurityDescriptorA(kAdministratorsAndSystem, SDDL_REVISION_1, &descriptor,
                                                               nullptr)) {
    return nullptr;
  }
  SECURITY_ATTRIBUTES security = {sizeof security, descriptor, FALSE};
  // CreateDirectory fails on any existing entry, a folder, file or link
  // planted under the name: then another name is drawn.
  std::string folder, hex;
  bool made = false;
  for (int tries = 0; tries < 5 && !made && RandomHex(&hex); ++tries) {
    folder = parent + "\\" + Stem(fileName) + "-" + hex;
    made = ::CreateDirectoryA(folder.c_str(), &security) != 0;
    if (!made && ::GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  PrivateCopy* copy = nullptr;
  if (made) {
    const std::string path = folder + "\\" + fileName;
    HANDLE hold = INVALID_HANDLE_VALUE;
    // The loader cannot map a file that is open for writing: the copy is
    // written, closed and opened again for reading at once, the folder's
    // descriptor keeping everyone else out in between. Deletion is shared so
    // that the loader can map it.
    if (WriteOwnFile(path, &security)) {
      SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
      hold = ::CreateFileA(path.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, &inherit,
                           OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    }
    if (hold != INVALID_HANDLE_VALUE) {
      copy = new PrivateCopy{path, folder, hold};
    } else {
      ::DeleteFileA(path.c_str());
      ::RemoveDirectoryA(folder.c_str());
    }
  }
  ::LocalFree(descriptor);
  return copy;
}

const char* PrivateCopyPath(const PrivateCopy* copy) { return copy->path.c_str(); }

bool StartPrivateCopy(PrivateCopy* copy, const char* arguments) {
  if (copy == nullptr) return false;
  std::string command = "\"" + copy->path + "\" " + arguments;
  // Not its own folder, which it is to remove (no process's current folder
  // can be), nor this program's, which may be the game's.
  char system[MAX_PATH];
  const UINT n = ::GetSystemDirectoryA(system, sizeof system);
  // The hold is the copy's standard input: inherited, it keeps the file
  // until the copy's process ends, and LeavePrivateFolder finds it there.
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = copy->hold;
  PROCESS_INFORMATION process = {};
  const BOOL started = n > 0 && n < sizeof system &&
                       ::CreateProcessA(copy->path.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr, system,
                                        &startup, &process);
  if (!started) {
    DropPrivateCopy(copy);
    return false;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  ::CloseHandle(copy->hold);  // the copy holds it now
  delete copy;
  return true;
}

void DropPrivateCopy(PrivateCopy* copy) {
  if (copy == nullptr) return;
  ::CloseHandle(copy->hold);  // the last handle: the file goes
  ::RemoveDirectoryA(copy->folder.c_str());
  delete copy;
}

bool LeavePrivateFolder() {
  char self[MAX_PATH];
  std::string parent;
  if (!GetProgramPath(self, sizeof self) || !PrivateParent(&parent)) return false;
  const std::string path = self;
  const size_t cut = path.find_last_of('\\');
  if (cut == std::string::npos) return false;
  const std::string folder = path.substr(0, cut), fileName = path.substr(cut + 1);
  const size_t nameAt = folder.find_last_of('\\');
  HANDLE held = ::GetStdHandle(STD_INPUT_HANDLE);
  // Only a copy that StartPrivateCopy started: its folder one that
  // MakePrivateCopy makes, and its standard input the hold on its own file.
  if (nameAt == std::string::npos || !SameText(folder.substr(0, nameAt), parent) ||
      !IsPrivateName(folder.substr(nameAt + 1), Stem(fileName)) || held == nullptr || held == INVALID_HANDLE_VALUE ||
      !IsFileAt(held, path)) {
    return false;
  }
  const size_t dot = fileName.find_last_of('.');
  const std::string target = folder + (dot == std::string::npos ? std::string() : fileName.substr(dot));
  if (RenameOpenFile(held, target) && ::RemoveDirectoryA(folder.c_str())) return true;
  return RemoveAtRestart(folder.c_str());
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
