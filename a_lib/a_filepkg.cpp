#include "a_filepkg.h"

#include <cstring>

#include "a_mem.h"
#include "fold_case.h"
#include "package_format.h"

namespace {

// MakeUpper within a fixed field that need not hold a terminator.
void MakeUpperField(char* field, size_t size) {
  size_t length = 0;
  while (length < size && field[length] != '\0') ++length;
  alib::FoldCase(field, length, alib::PackageChars{});
}

// The stored name is the field up to its first zero, or all 32 bytes.
bool NameEquals(const char* field, const char* name) {
  size_t length = std::strlen(name);
  if (length > alib::kPackageNameBytes) return false;
  if (std::memcmp(field, name, length) != 0) return false;
  return length == alib::kPackageNameBytes || field[length] == '\0';
}

}  // namespace

void MakeUpper(char* text) { MakeUpperField(text, std::strlen(text)); }

int PackageReader::Open(const char* packagePath, char* entryName) {
  if (!file.OpenRead(packagePath)) return 0;

  constexpr int kHeaderBytes = static_cast<int>(alib::kPackageHeaderBytes);
  constexpr int64_t kEntryBytes = static_cast<int64_t>(alib::kPackageEntryBytes);
  unsigned char bytes[kHeaderBytes];
  alib::PackageHeader header{};
  if (file.Read(bytes, kHeaderBytes) == kHeaderBytes) header = alib::LoadPackageHeader(bytes);
  if (!header.magic) {
    file.Close();
    return 0;
  }
  const int64_t directoryOffset = static_cast<int32_t>(header.directoryOffset);
  const int64_t entryCount = static_cast<int32_t>(header.entryCount);
  const int64_t packageSize = file.Size();
  // The directory must lie inside the file; this also keeps its byte size
  // within what the file holds, so no wrapped size is ever allocated.
  if (entryCount < 1 || directoryOffset < kHeaderBytes || directoryOffset + entryCount * kEntryBytes > packageSize) {
    file.Close();
    return 0;
  }
  const int tableSize = static_cast<int>(entryCount * kEntryBytes);
  auto* table = static_cast<unsigned char*>(A_ALLOC(tableSize));
  if (table == nullptr || !file.Seek(static_cast<int>(directoryOffset)) ||
      file.Read(table, tableSize) != tableSize) {
    if (table != nullptr) A_FREE(table);
    file.Close();
    return 0;
  }

  MakeUpper(entryName);
  int found = 0;
  for (int64_t i = 0; i < entryCount; ++i) {
    unsigned char* record = table + i * kEntryBytes;
    char* name = reinterpret_cast<char*>(record + alib::kPackageEntryNameAt);
    MakeUpperField(name, alib::kPackageNameBytes);
    if (!NameEquals(name, entryName)) continue;
    const alib::PackageEntryFields entry = alib::LoadPackageEntry(record);
    const int64_t offset = static_cast<int32_t>(entry.dataOffset);
    const int64_t length = static_cast<int32_t>(entry.dataSize);
    // The first entry of that name is the one; if its data does not lie
    // inside the package, the package is damaged and the open fails.
    if (offset >= 0 && length >= 0 && offset + length <= packageSize) {
      start = static_cast<int32_t>(offset);
      size = static_cast<int32_t>(length);
      position = start;
      found = file.Seek(start);
    }
    break;
  }
  A_FREE(table);
  if (!found) file.Close();
  return found;
}

int PackageReader::Seek(int offset) {
  if (offset < 0) return 0;
  int64_t target = static_cast<int64_t>(start) + offset;
  if (target > static_cast<int64_t>(start) + size) target = static_cast<int64_t>(start) + size;
  position = static_cast<int32_t>(target);
  return file.Seek(position);
}

int PackageReader::Read(void* buffer, int length) {
  const int32_t end = start + size;
  if (length <= 0 || position >= end) return 0;
  int wanted = end - position < length ? end - position : length;
  int got = file.Read(buffer, wanted);
  if (got <= 0) return 0;
  auto* bytes = static_cast<unsigned char*>(buffer);
  for (int i = 0; i < got; ++i) bytes[i] = static_cast<unsigned char>(~bytes[i]);
  position += got;
  return got;
}
