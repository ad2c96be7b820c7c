#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
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

void WriteNative(const std::string& nativePath, const std::string& bytes) {
  fs::path p(nativePath);
  if (p.has_parent_path()) fs::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool ReadNative(const std::string& nativePath, std::string* bytes) {
  std::ifstream in(fs::path(nativePath), std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool ExistsNative(const std::string& nativePath) {
  std::error_code ec;
  return fs::exists(fs::path(nativePath), ec);
}

bool IsFolderNative(const std::string& nativePath) {
  std::error_code ec;
  return fs::is_directory(fs::path(nativePath), ec);
}

void MakeFolderNative(const std::string& nativePath) {
  fs::create_directories(fs::path(nativePath));
}

}  // namespace testsupport
