// ".apkg" packages: one folder's files in one file.
//
//   header     0: "APKG"   4: directoryOffset   8: entryCount
//   data       each entry's bytes complemented (XOR 0xFF)
//   directory  entryCount records of 40 bytes: name (32 bytes, zero-padded),
//              offset of the data, size of the data
// All numbers 32-bit little-endian. Readers upper-case names before
// comparing them and take the first match in directory order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace discformat {

constexpr size_t kPackageHeaderBytes = 12;
constexpr size_t kPackageEntryBytes = 40;
constexpr size_t kPackageNameBytes = 32;

struct PackageEntry {
  std::string name;  // stored as given (at most 32 bytes; 32 leaves no zero)
  std::string data;  // plain bytes; stored complemented
};

// A package holding `entries` in this order: header, data, directory.
std::string BuildPackage(const std::vector<PackageEntry>& entries);

// Bytes complemented, as package data is stored.
std::string Complement(const std::string& bytes);

}  // namespace discformat
