// The tool's files and folders, through the program's seam: paths are
// Windows paths ("\" separates), on Linux resolved by the seam's Linux port.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform.h"

struct FileSum;

namespace gamedisc {

std::string JoinPath(const std::string& folder, const std::string& name);
// The length of the UTF-8 character at byte `at` of `text`; 0 where none
// begins there (a stray byte, a cut, an overlong form, a surrogate, or past
// U+10FFFF).
size_t Utf8CharacterAt(const std::string& text, size_t at);
bool IsFolder(const std::string& path);
bool Exists(const std::string& path);
// Makes `path` and every missing folder on the way to it.
bool MakeFolders(const std::string& path);

struct FolderItem {
  std::string name;
  bool folder;
  int64_t size;  // a file's bytes as listed; -1 for a link, whose listing does not tell its target's
};
// The entries of `folder` without "." and "..", sorted by their bytes so
// that every build sees them in the same order. Empty when it cannot be
// listed.
std::vector<FolderItem> ListFolder(const std::string& folder);

// The size of a file on disk, or -1 when it cannot be opened (or is a folder).
int64_t DiskFileSize(const std::string& path);
// A whole file on disk (no package is searched).
bool ReadDiskFile(const std::string& path, std::string* bytes);
// Writes a whole file, making missing folders; false when any of it failed.
bool WriteDiskFile(const std::string& path, const std::string& bytes);
// Copies a file, making missing folders, and adds what it read to `sum`
// when one is given.
enum class CopyResult { kCopied, kUnreadable, kUnwritable };
CopyResult CopyDiskFile(const std::string& from, const std::string& to, FileSum* sum = nullptr);

// A file read in pieces; closed when it goes out of scope.
class InputFile {
 public:
  explicit InputFile(const std::string& path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  bool IsOpen() const { return stream_ != nullptr; }
  size_t Read(char* buffer, size_t length);

 private:
  plat::Stream* stream_;
};

// A file written in pieces. Close reports whether every byte reached it.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  // Creates or truncates `path`, making missing folders.
  bool Open(const std::string& path);
  bool Write(const std::string& bytes);
  bool Write(const char* bytes, size_t length);
  bool Close();

 private:
  plat::Stream* stream_ = nullptr;
  bool failed_ = false;
};

}  // namespace gamedisc
