#include "tool_files.h"

#include <algorithm>
#include <cstring>

#include "a_file.h"
#include "manifest.h"

namespace gamedisc {

size_t Utf8CharacterAt(const std::string& text, size_t at) {
  const unsigned char c = static_cast<unsigned char>(text[at]);
  const size_t length = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
  if (length == 0 || at + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((static_cast<unsigned char>(text[at + k]) & 0xC0) != 0x80) return 0;
  }
  const unsigned char second = length > 1 ? static_cast<unsigned char>(text[at + 1]) : 0;
  if ((c == 0xE0 && second < 0xA0) || (c == 0xED && second >= 0xA0) || (c == 0xF0 && second < 0x90) ||
      (c == 0xF4 && second >= 0x90)) {
    return 0;
  }
  return length;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '\\' || folder.back() == '/') return folder + name;
  return folder + "\\" + name;
}

bool IsFolder(const std::string& path) {
  uint32_t a = plat::GetAttributes(path.c_str());
  return a != plat::kInvalidAttributes && (a & plat::kAttrDirectory) != 0;
}

bool Exists(const std::string& path) { return plat::GetAttributes(path.c_str()) != plat::kInvalidAttributes; }

bool MakeFolders(const std::string& path) {
  MakeParentFolders(path.c_str());
  plat::CreateFolder(path.c_str());
  return IsFolder(path);
}

std::vector<FolderItem> ListFolder(const std::string& folder) {
  std::vector<FolderItem> items;
  plat::FolderEntry entry;
  plat::FolderList* list = plat::ListFirst(JoinPath(folder, "*.*").c_str(), &entry);
  if (list == nullptr) return items;
  do {
    if (std::strcmp(entry.name, ".") == 0 || std::strcmp(entry.name, "..") == 0) continue;
    const bool link = (entry.attributes & plat::kAttrReparsePoint) != 0;
    items.push_back({entry.name, (entry.attributes & plat::kAttrDirectory) != 0,
                     link ? -1 : static_cast<int64_t>(entry.size)});
  } while (plat::ListNext(list, &entry));
  plat::ListClose(list);
  std::sort(items.begin(), items.end(), [](const FolderItem& a, const FolderItem& b) { return a.name < b.name; });
  return items;
}

int64_t DiskFileSize(const std::string& path) {
  plat::Stream* s = plat::StreamOpen(path.c_str(), "rb");
  if (s == nullptr) return -1;
  int64_t size = -1;
  if (plat::StreamSeek(s, 0, plat::kSeekEnd)) size = plat::StreamTell(s);
  plat::StreamClose(s);
  return size;
}

bool ReadDiskFile(const std::string& path, std::string* bytes) {
  InputFile in(path);
  if (!in.IsOpen()) return false;
  bytes->clear();
  char buffer[65536];
  size_t n;
  while ((n = in.Read(buffer, sizeof buffer)) > 0) bytes->append(buffer, n);
  return true;
}

bool WriteDiskFile(const std::string& path, const std::string& bytes) {
  OutputFile out;
  if (!out.Open(path)) return false;
  out.Write(bytes);
  return out.Close();
}

CopyResult CopyDiskFile(const std::string& from, const std::string& to, FileSum* sum) {
  InputFile in(from);
  if (!in.IsOpen()) return CopyResult::kUnreadable;
  OutputFile out;
  if (!out.Open(to)) return CopyResult::kUnwritable;
  // One buffer for every copy: a data folder of thousands of small files
  // would otherwise clear half a megabyte for each.
  static std::vector<char> buffer(512000);
  size_t n;
  do {
    n = in.Read(buffer.data(), buffer.size());
    if (sum != nullptr) sum->Add(buffer.data(), n);
    out.Write(buffer.data(), n);
  } while (n == buffer.size());  // a stream reads short only at its end
  return out.Close() ? CopyResult::kCopied : CopyResult::kUnwritable;
}

InputFile::InputFile(const std::string& path) : stream_(plat::StreamOpen(path.c_str(), "rb")) {}

InputFile::~InputFile() {
  if (stream_ != nullptr) plat::StreamClose(stream_);
}

size_t InputFile::Read(char* buffer, size_t length) {
  return stream_ != nullptr ? plat::StreamRead(stream_, buffer, length) : 0;
}

OutputFile::~OutputFile() { Close(); }

bool OutputFile::Open(const std::string& path) {
  Close();
  failed_ = false;
  stream_ = plat::StreamOpen(path.c_str(), "wb");
  if (stream_ == nullptr) {
    MakeParentFolders(path.c_str());
    stream_ = plat::StreamOpen(path.c_str(), "wb");
  }
  return stream_ != nullptr;
}

bool OutputFile::Write(const std::string& bytes) { return Write(bytes.data(), bytes.size()); }

bool OutputFile::Write(const char* bytes, size_t length) {
  if (stream_ == nullptr || (length > 0 && plat::StreamWrite(stream_, bytes, length) != length)) failed_ = true;
  return !failed_;
}

bool OutputFile::Close() {
  if (stream_ == nullptr) return false;
  bool ok = plat::StreamClose(stream_) && !failed_;
  stream_ = nullptr;
  return ok;
}

}  // namespace gamedisc
