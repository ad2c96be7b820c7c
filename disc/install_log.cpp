#include "install_log.h"

#include <cstring>

#include "a_name.h"
#include "compose.h"
#include "path_sizes.h"
#include "platform.h"

const char kInstallLogName[] = "install.log";

bool InstallLogWriter::WriteLine(const char* kind, const char* value) {
  char line[kTargetFolderSize + kPathSize + 32];
  if (!Compose(line, sizeof line, "%s\t%s\r\n", kind, value)) return false;
  const size_t length = std::strlen(line);
  return plat::StreamWrite(stream_, line, length) == length && plat::StreamFlush(stream_);
}

int InstallLogWriter::Open(const char* targetFolder) {
  Close();
  char path[kPathSize];
  if (!Compose(path, sizeof path, "%s\\%s", targetFolder, kInstallLogName)) return 0;
  plat::Stream* stream = plat::StreamOpen(path, "ab");
  if (stream == nullptr) return 0;
  stream_ = stream;
  CopyCut(target_, sizeof target_, targetFolder);
  targetLength_ = std::strlen(target_);
  lastParent_[0] = '\0';
  // A log that is new gets its first line; one that is there is added to.
  if (plat::StreamSeek(stream, 0, plat::kSeekEnd) && plat::StreamTell(stream) == 0 &&
      !WriteLine(disc::kInstallLogTitle, disc::kInstallLogVersion)) {
    Close();
    return 0;
  }
  return 1;
}

int InstallLogWriter::Entry(const char* kind, const char* path) {
  if (stream_ == nullptr) return 1;
  const size_t n = targetLength_;
  const bool inside = n > 0 && std::strncmp(path, target_, n) == 0 && path[n] == '\\';
  return WriteLine(kind, inside ? path + n : path) ? 1 : 0;
}

void InstallLogWriter::Close() {
  if (stream_ == nullptr) return;
  plat::StreamClose(stream_);
  stream_ = nullptr;
}

int InstallLogWriter::MakeLoggedParents(const char* path) {
  const size_t n = targetLength_;
  // Without a log, or outside its folder, opening the file makes its folders.
  if (stream_ == nullptr || std::strncmp(path, target_, n) != 0 || path[n] != '\\') return 1;
  const unsigned codePage = plat::GetAnsiCodePage();
  const char* last = a_last_backslash(codePage, path);
  if (last == nullptr || static_cast<size_t>(last - path) <= n) return 1;
  const size_t parentLength = static_cast<size_t>(last - path);
  if (std::strlen(lastParent_) == parentLength && std::strncmp(lastParent_, path, parentLength) == 0) {
    return 1;
  }
  char prefix[sizeof lastParent_];
  if (parentLength >= sizeof prefix) return 1;  // the open that follows fails on its own
  for (size_t i = n + 1; i <= parentLength; i += a_char_size(codePage, path + i)) {
    if (i < parentLength && path[i] != '\\') continue;
    std::memcpy(prefix, path, i);
    prefix[i] = '\0';
    if (plat::GetAttributes(prefix) != plat::kInvalidAttributes) continue;
    if (!Entry(disc::kLogFolder, prefix)) return 0;
    plat::CreateFolder(prefix);
    if (i == parentLength) break;
  }
  std::memcpy(lastParent_, path, parentLength);
  lastParent_[parentLength] = '\0';
  return 1;
}
