#include <stdlib.h>

#include <cstdlib>
#include <filesystem>

#include "host_control.h"
#include "scratch.h"

namespace fs = std::filesystem;

namespace testsupport {
namespace {

constexpr char kDrive = 'T';

std::string& Base() {
  static std::string* base = new std::string;
  return *base;
}

void RemoveBase() {
  std::error_code ec;
  if (!Base().empty()) fs::remove_all(Base(), ec);
}

}  // namespace

Scratch NewScratch() {
  static int counter = 0;
  if (Base().empty()) {
    std::string pattern = (fs::temp_directory_path() / "seamtest-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    Base() = pattern;
    std::atexit(RemoveBase);
  }
  // Tests may reset the drive table; the scratch drive is mapped anew each time.
  plat::host::MapDrive(kDrive, Base(), plat::kDriveFixed);
  std::string name = "c" + std::to_string(++counter);
  plat::host::MakeHostFolders(Base() + "/" + name);
  return Scratch{std::string(1, kDrive) + ":\\" + name, Base() + "/" + name};
}

std::string NativePath(const Scratch& dir, const std::string& relative) {
  std::string path = dir.native;
  if (!relative.empty()) path += "/" + relative;
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

// On the host these work on whichever file system the stand-in uses, so
// that a test in memory lays out and reads its files the same way.
void WriteNative(const std::string& nativePath, const std::string& bytes) {
  plat::host::WriteHostFile(nativePath, bytes);
}

bool ReadNative(const std::string& nativePath, std::string* bytes) {
  return plat::host::ReadHostFile(nativePath, bytes);
}

bool ExistsNative(const std::string& nativePath) { return plat::host::HostExists(nativePath); }

bool IsFolderNative(const std::string& nativePath) { return plat::host::HostIsFolder(nativePath); }

void MakeFolderNative(const std::string& nativePath) { plat::host::MakeHostFolders(nativePath); }

}  // namespace testsupport
