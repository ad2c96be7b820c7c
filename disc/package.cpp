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
    offsets.push_back(static_cast<uint32_t>(alib::kPackageHeaderBytes + data.size()));
    data += Complement(e.data);
  }
  std::string out(alib::kPackageHeaderBytes, '\0');
  out.replace(0, alib::kPackageMagicBytes, alib::kPackageMagic);
  alib::PutLe32(&out, alib::kPackageDirectoryOffsetAt, static_cast<uint32_t>(alib::kPackageHeaderBytes + data.size()));
  alib::PutLe32(&out, alib::kPackageEntryCountAt, static_cast<uint32_t>(entries.size()));
  out += data;
  for (size_t i = 0; i < entries.size(); ++i) {
    std::string record(alib::kPackageEntryBytes, '\0');
    record.replace(alib::kPackageEntryNameAt, std::min(entries[i].name.size(), alib::kPackageNameBytes), entries[i].name, 0,
                   alib::kPackageNameBytes);
    alib::PutLe32(&record, alib::kPackageEntryDataOffsetAt, offsets[i]);
    alib::PutLe32(&record, alib::kPackageEntryDataSizeAt, static_cast<uint32_t>(entries[i].data.size()));
    out += record;
  }
  return out;
}

}  // namespace disc
