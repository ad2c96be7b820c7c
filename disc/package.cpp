#include "package.h"

#include <cstring>

#include "le.h"

namespace discformat {

std::string Complement(const std::string& bytes) {
  std::string out(bytes.size(), '\0');
  for (size_t i = 0; i < bytes.size(); ++i) out[i] = static_cast<char>(~static_cast<unsigned char>(bytes[i]));
  return out;
}

std::string BuildPackage(const std::vector<PackageEntry>& entries) {
  std::string data;
  std::vector<uint32_t> offsets;
  for (const PackageEntry& e : entries) {
    offsets.push_back(static_cast<uint32_t>(kPackageHeaderBytes + data.size()));
    data += Complement(e.data);
  }
  std::string out = "APKG";
  out += Le32(static_cast<uint32_t>(kPackageHeaderBytes + data.size()));
  out += Le32(static_cast<uint32_t>(entries.size()));
  out += data;
  for (size_t i = 0; i < entries.size(); ++i) {
    char name[kPackageNameBytes] = {};
    std::memcpy(name, entries[i].name.data(), std::min(entries[i].name.size(), kPackageNameBytes));
    out.append(name, kPackageNameBytes);
    out += Le32(offsets[i]);
    out += Le32(static_cast<uint32_t>(entries[i].data.size()));
  }
  return out;
}

}  // namespace discformat
