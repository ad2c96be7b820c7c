#include <filesystem>
#include <fstream>
#include <iterator>

#include "scratch.h"

namespace fs = std::filesystem;

namespace testsupport {

std::string WinPath(const Scratch& dir, const std::string& relative) {
  return relative.empty() ? dir.win : dir.win + "\\" + relative;
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
