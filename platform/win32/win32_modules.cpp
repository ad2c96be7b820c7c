#include "win32_modules.h"

#include <cstring>

namespace plat::win32 {

HMODULE LoadSystemLibrary(const char* name) {
  // LOAD_LIBRARY_SEARCH_SYSTEM32 exists from Windows 7 with KB2533623 on;
  // an older system refuses the flag, and a whole path into the system
  // folder, with its own folder searched first for its imports, does the
  // same there.
  HMODULE module = ::LoadLibraryExA(name, nullptr, 0x00000800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */);
  if (module != nullptr || ::GetLastError() != ERROR_INVALID_PARAMETER) return module;
  char path[MAX_PATH];
  const UINT length = ::GetSystemDirectoryA(path, MAX_PATH);
  const size_t nameLength = std::strlen(name);
  if (length == 0 || length + 1 + nameLength >= MAX_PATH) return nullptr;
  path[length] = '\\';
  std::memcpy(path + length + 1, name, nameLength + 1);
  return ::LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace plat::win32
