// The seam over the real Win32 API.
#include <windows.h>
// The seam's own names are the plain ones; <windows.h> maps them to A/W.
#undef MessageBox
#undef DeleteFile

#include <cstdio>

#include "box_script.h"
#include "platform.h"

namespace plat {

struct Stream {
  FILE* file;
};

int MessageBox(Window owner, const char* text, const char* caption, unsigned type,
               unsigned codePage) {
  if (box_script::IsActive()) return box_script::Answer(owner, text, caption, type, codePage);
  if (codePage == 0 || codePage == ::GetACP()) {
    return ::MessageBoxA(static_cast<HWND>(owner), text, caption, type);
  }
  // Texts of another code page (Big5 on a Western system) are widened with
  // that code page, so that they show as written.
  wchar_t wideText[1024];
  wchar_t wideCaption[256];
  if (::MultiByteToWideChar(codePage, 0, text, -1, wideText, 1024) == 0 ||
      ::MultiByteToWideChar(codePage, 0, caption, -1, wideCaption, 256) == 0) {
    return ::MessageBoxA(static_cast<HWND>(owner), text, caption, type);
  }
  return ::MessageBoxW(static_cast<HWND>(owner), wideText, wideCaption, type);
}

void Sleep(unsigned ms) { ::Sleep(ms); }

uint32_t TickCount() { return ::GetTickCount(); }

void PrepareProcess() {
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  // SetDefaultDllDirectories exists from Windows 7 with KB2533623 on; before
  // that, taking the current folder out of the search is what can be done.
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  auto setDefault = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(
                                 reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")))
                           : nullptr;
  if (setDefault == nullptr || !setDefault(0x00000800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */)) {
    ::SetDllDirectoryA("");
  }
}

Stream* StreamOpen(const char* path, const char* mode) {
  FILE* f = std::fopen(path, mode);
  if (f == nullptr) return nullptr;
  return new Stream{f};
}

size_t StreamRead(Stream* stream, void* buffer, size_t length) {
  if (stream == nullptr || length == 0) return 0;
  return std::fread(buffer, 1, length, stream->file);
}

size_t StreamWrite(Stream* stream, const void* buffer, size_t length) {
  if (stream == nullptr || length == 0) return 0;
  return std::fwrite(buffer, 1, length, stream->file);
}

bool StreamError(Stream* stream) { return stream != nullptr && std::ferror(stream->file) != 0; }

bool StreamSeek(Stream* stream, long offset, SeekFrom from) {
  if (stream == nullptr) return false;
  return std::fseek(stream->file, offset, static_cast<int>(from)) == 0;
}

long StreamTell(Stream* stream) {
  if (stream == nullptr) return -1;
  return std::ftell(stream->file);
}

bool StreamFlush(Stream* stream) {
  if (stream == nullptr) return false;
  return std::fflush(stream->file) == 0;
}

bool StreamClose(Stream* stream) {
  if (stream == nullptr) return false;
  bool ok = std::fflush(stream->file) == 0;
  ok = (std::fclose(stream->file) == 0) && ok;
  delete stream;
  return ok;
}

bool DeleteFile(const char* path) { return ::DeleteFileA(path) != 0; }

bool CreateFolder(const char* path) { return ::CreateDirectoryA(path, nullptr) != 0; }

bool RemoveFolder(const char* path) { return ::RemoveDirectoryA(path) != 0; }

uint32_t GetAttributes(const char* path) { return ::GetFileAttributesA(path); }

unsigned GetCurrentFolder(char* buffer, unsigned size) {
  return ::GetCurrentDirectoryA(size, buffer);
}

bool SetCurrentFolder(const char* path) { return ::SetCurrentDirectoryA(path) != 0; }

}  // namespace plat
