#include "package.h"

#include <algorithm>

#include "little_endian.h"

namespace disc {

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
  std::string out(kPackageHeaderBytes, '\0');
  out.replace(0, disc::kPackageMagicBytes, disc::kPackageMagic);
  PutLe32(&out, disc::kPackageDirectoryOffsetAt, static_cast<uint32_t>(kPackageHeaderBytes + data.size()));
  PutLe32(&out, disc::kPackageEntryCountAt, static_cast<uint32_t>(entries.size()));
  out += data;
  for (size_t i = 0; i < entries.size(); ++i) {
    std::string record(kPackageEntryBytes, '\0');
    record.replace(disc::kPackageEntryNameAt, std::min(entries[i].name.size(), kPackageNameBytes), entries[i].name, 0,
                   kPackageNameBytes);
    PutLe32(&record, disc::kPackageEntryDataOffsetAt, offsets[i]);
    PutLe32(&record, disc::kPackageEntryDataSizeAt, static_cast<uint32_t>(entries[i].data.size()));
    out += record;
  }
  return out;
}

}  // namespace disc
