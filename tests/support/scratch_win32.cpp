#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "scratch.h"

namespace fs = std::filesystem;

namespace testsupport {
namespace {

std::string& Base() {
  static std::string* base = new std::string;
  return *base;
}

void RemoveBase() {
  std::error_code ec;
  if (!Base().empty()) fs::remove_all(fs::path(Base()), ec);
}

}  // namespace

Scratch NewScratch() {
  static int counter = 0;
  if (Base().empty()) {
    char temp[MAX_PATH];
    DWORD n = GetTempPathA(MAX_PATH, temp);
    if (n == 0 || n >= MAX_PATH) std::abort();
    std::string base = std::string(temp) + "seamtest-" + std::to_string(GetCurrentProcessId()) +
                       "-" + std::to_string(GetTickCount());
    fs::create_directories(fs::path(base));
    Base() = base;
    std::atexit(RemoveBase);
  }
  std::string path = Base() + "\\c" + std::to_string(++counter);
  fs::create_directories(fs::path(path));
  return Scratch{path, path};
}

std::string NativePath(const Scratch& dir, const std::string& relative) {
  return relative.empty() ? dir.native : dir.native + "\\" + relative;
}

}  // namespace testsupport
