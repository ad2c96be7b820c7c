// ".apkg" packages: the files of one folder in one file. The one definition
// of where a package's fields lie, for the installer's file access and for
// the authoring tool's reader and writer.
//
//   header     0: "APKG"   4: directoryOffset   8: entryCount
//   directory  entryCount records of 40 bytes at directoryOffset:
//              0: name (32 bytes, zero-terminated unless it fills them)
//              32: offset of the entry's data   36: size of the data
//   data       each byte stored complemented (XOR 0xFF)
// All numbers 32-bit little-endian, offsets from the package's start. A
// package may itself be an entry of another package. Readers upper-case
// names before comparing them and take the first match in directory order.
//
// The loads below take the numbers as stored, unsigned; each reader decides
// how it bounds them against its file. a_filepkg reads packages with it, the
// disc library and the authoring tool write and check them with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "little_endian.h"

namespace alib {

constexpr char kPackageMagic[] = "APKG";
constexpr size_t kPackageMagicBytes = 4;
constexpr size_t kPackageDirectoryOffsetAt = 4;
constexpr size_t kPackageEntryCountAt = 8;
constexpr size_t kPackageHeaderBytes = 12;

constexpr size_t kPackageEntryNameAt = 0;
constexpr size_t kPackageNameBytes = 32;
constexpr size_t kPackageEntryDataOffsetAt = 32;
constexpr size_t kPackageEntryDataSizeAt = 36;
constexpr size_t kPackageEntryBytes = 40;

struct PackageHeader {
  bool magic;  // the first four bytes are "APKG"
  uint32_t directoryOffset;
  uint32_t entryCount;
};

// The header in the kPackageHeaderBytes bytes at `bytes`.
inline PackageHeader LoadPackageHeader(const void* bytes) {
  const auto* p = static_cast<const unsigned char*>(bytes);
  return {std::memcmp(p, kPackageMagic, kPackageMagicBytes) == 0, LoadLe32(p + kPackageDirectoryOffsetAt),
          LoadLe32(p + kPackageEntryCountAt)};
}

struct PackageEntryFields {
  size_t nameLength;  // the name's bytes at kPackageEntryNameAt: up to its zero, or all 32
  uint32_t dataOffset;
  uint32_t dataSize;
};

// The directory record in the kPackageEntryBytes bytes at `record`.
inline PackageEntryFields LoadPackageEntry(const void* record) {
  const auto* p = static_cast<const unsigned char*>(record);
  size_t nameLength = 0;
  while (nameLength < kPackageNameBytes && p[kPackageEntryNameAt + nameLength] != '\0') ++nameLength;
  return {nameLength, LoadLe32(p + kPackageEntryDataOffsetAt), LoadLe32(p + kPackageEntryDataSizeAt)};
}

}  // namespace alib
