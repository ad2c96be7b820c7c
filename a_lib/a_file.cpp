#include "a_file.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "a_filepkg.h"
#include "a_inflate.h"
#include "a_mem.h"
#include "a_name.h"

int32_t openFileCount = 0;

namespace {

bool checkRegistered = false;

void CountOpen() {
  if (!checkRegistered) {
    std::atexit(a_file_report);
    checkRegistered = true;
  }
  ++openFileCount;
}

// The package fallback works on copies of at most this many bytes.
constexpr size_t kFallbackBuffer = 256;
constexpr int kCopyChunk = 512000;

}  // namespace

int FileHandle::OpenRead(const char* path) {
  if (IsOpen()) Close();
  stream_ = plat::StreamOpen(path, "rb");
  if (stream_ == nullptr && !OpenFromPackage(path)) return 0;
  CountOpen();
  return 1;
}

int FileHandle::OpenFromPackage(const char* path) {
  size_t length = std::strlen(path);
  if (length >= kFallbackBuffer) return 0;
  char folder[kFallbackBuffer];
  std::memcpy(folder, path, length + 1);
  // Only the backslash separates here; the last one splits folder and name.
  const char* last = a_last_backslash(plat::GetAnsiCodePage(), folder);
  if (last == nullptr) return 0;
  char* slash = folder + (last - folder);
  char entry[kFallbackBuffer];
  std::strcpy(entry, slash + 1);
  *slash = '\0';
  if (std::strlen(folder) + std::strlen(".apkg") >= kFallbackBuffer) return 0;
  std::strcat(folder, ".apkg");

  void* block = A_ALLOC(static_cast<int>(sizeof(PackageReader)));
  if (block == nullptr) return 0;
  auto* reader = new (block) PackageReader;
  if (!reader->Open(folder, entry)) {
    reader->~PackageReader();
    A_FREE(block);
    return 0;
  }
  reader_ = reader;
  return 1;
}

int FileHandle::OpenWrite(const char* path) {
  if (IsOpen()) Close();
  stream_ = plat::StreamOpen(path, "w+b");
  if (stream_ == nullptr) {
    MakeParentFolders(path);
    stream_ = plat::StreamOpen(path, "w+b");
  }
  if (stream_ == nullptr) return 0;
  CountOpen();
  return 1;
}

int FileHandle::Close() {
  if (!IsOpen()) return 0;
  --openFileCount;
  if (reader_ != nullptr) {
    int result = reader_->file.Close();
    reader_->~PackageReader();
    A_FREE(reader_);
    reader_ = nullptr;
    return result;
  }
  // A stdio stream is gone after fclose even when it reports an error, so the
  // handle is released either way; the result says whether data was lost.
  bool ok = plat::StreamClose(stream_);
  stream_ = nullptr;
  return ok ? 1 : 0;
}

int FileHandle::Size() {
  if (reader_ != nullptr) return reader_->size;
  if (stream_ == nullptr) return 0;
  long here = plat::StreamTell(stream_);
  if (here < 0 || !plat::StreamSeek(stream_, 0, plat::kSeekEnd)) return 0;
  long end = plat::StreamTell(stream_);
  plat::StreamSeek(stream_, here, plat::kSeekSet);
  return end < 0 ? 0 : static_cast<int>(end);
}

int FileHandle::Seek(int offset) {
  if (reader_ != nullptr) {
    reader_->Seek(offset);
    return 1;
  }
  if (stream_ == nullptr || offset < 0) return 0;
  return plat::StreamSeek(stream_, offset, plat::kSeekSet) ? 1 : 0;
}

int FileHandle::Read(void* buffer, int length) {
  if (length <= 0) return 0;
  if (reader_ != nullptr) return reader_->Read(buffer, length);
  if (stream_ == nullptr) return 0;
  return static_cast<int>(plat::StreamRead(stream_, buffer, static_cast<size_t>(length)));
}

int FileHandle::Write(const void* buffer, int length) {
  if (stream_ == nullptr || length <= 0) return 0;
  size_t written = plat::StreamWrite(stream_, buffer, static_cast<size_t>(length));
  return written == static_cast<size_t>(length) ? 1 : 0;
}

int FileHandle::Failed() const {
  if (reader_ != nullptr) return reader_->file.Failed();
  return plat::StreamError(stream_) ? 1 : 0;
}

int FileExists(const char* path) {
  return plat::GetAttributes(path) != plat::kInvalidAttributes ? 1 : 0;
}

int MakeFolder(const char* path) { return plat::CreateFolder(path) ? 0 : -1; }

void MakeParentFolders(const char* path) {
  char copy[1024];
  size_t length = std::strlen(path);
  if (length >= sizeof copy) return;
  std::memcpy(copy, path, length + 1);
  // The second byte of a double-byte character is never a separator; what
  // is one is the file system's reading, in the system's code page.
  const unsigned codePage = plat::GetAnsiCodePage();
  for (size_t i = 0; i < length; i += a_char_size(codePage, copy + i)) {
    char c = copy[i];
    if (c == '\\' || c == '/') {
      copy[i] = '\0';
      if (i > 0) MakeFolder(copy);
      copy[i] = c;
    }
  }
}

int CopyFileData(const char* source, const char* target) {
  uint64_t size = 0;
  uint32_t crc = 0;
  return CopyFileData(source, target, &size, &crc);
}

int CopyFileData(const char* source, const char* target, uint64_t* size, uint32_t* crc) {
  *size = 0;
  *crc = 0;
  FileHandle in;
  if (!in.OpenRead(source)) return 0;
  FileHandle out;
  if (!out.OpenWrite(target)) {
    in.Close();
    return 0;
  }
  void* buffer = A_ALLOC(kCopyChunk);
  bool ok = buffer != nullptr;
  while (ok) {
    int got = in.Read(buffer, kCopyChunk);
    if (got <= 0) break;
    ok = out.Write(buffer, got) == 1;
    if (ok) {
      *crc = UpdateCrc32(*crc, buffer, static_cast<size_t>(got));
      *size += static_cast<uint64_t>(got);
    }
  }
  if (buffer != nullptr) A_FREE(buffer);
  // A read that failed is no end of the file: the copy is short.
  if (in.Failed()) ok = false;
  ok = out.Close() == 1 && ok;
  in.Close();
  return ok ? 1 : 0;
}

void a_file_report() {
  if (openFileCount != 0) {
    plat::MessageBox(nullptr, "Some file is not close", "error", plat::kBoxOk);
  }
}
