// Writes ".apkg" packages for tests: header, complemented entry data, then
// the directory. Also builds damaged packages from raw parts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

struct PackageEntry {
  std::string name;  // stored as given (at most 32 bytes; 32 leaves no zero)
  std::string data;  // plain bytes; stored complemented
};

// A well-formed package holding `entries` in this order.
std::string BuildPackage(const std::vector<PackageEntry>& entries);

// Little-endian 32-bit, for tests that build or patch headers by hand.
std::string Le32(uint32_t value);
void PutLe32(std::string* bytes, size_t offset, uint32_t value);

}  // namespace testsupport
