// ".apkg" packages as the authoring tool writes them, laid out as
// package_format.h describes: header, data, directory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "package_format.h"

namespace disc {

using alib::kPackageEntryBytes;
using alib::kPackageHeaderBytes;
using alib::kPackageNameBytes;

struct PackageEntry {
  std::string name;  // stored as given (at most 32 bytes; 32 leaves no zero)
  std::string data;  // plain bytes; stored complemented
};

// A package holding `entries` in this order: header, data, directory.
std::string BuildPackage(const std::vector<PackageEntry>& entries);

// Bytes complemented, as package data is stored.
std::string Complement(const std::string& bytes);

}  // namespace disc
