#include "apkg_writer.h"

#include <cstring>

namespace testsupport {

std::string Le32(uint32_t value) {
  std::string out(4, '\0');
  PutLe32(&out, 0, value);
  return out;
}

void PutLe32(std::string* bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) (*bytes)[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string BuildPackage(const std::vector<PackageEntry>& entries) {
  std::string data;
  std::vector<uint32_t> offsets;
  for (const PackageEntry& e : entries) {
    offsets.push_back(static_cast<uint32_t>(12 + data.size()));
    for (char c : e.data) data += static_cast<char>(~static_cast<unsigned char>(c));
  }
  std::string out = "APKG";
  out += Le32(static_cast<uint32_t>(12 + data.size()));
  out += Le32(static_cast<uint32_t>(entries.size()));
  out += data;
  for (size_t i = 0; i < entries.size(); ++i) {
    char name[32] = {};
    std::memcpy(name, entries[i].name.data(), entries[i].name.size() < 32 ? entries[i].name.size() : 32);
    out.append(name, 32);
    out += Le32(offsets[i]);
    out += Le32(static_cast<uint32_t>(entries[i].data.size()));
  }
  return out;
}

}  // namespace testsupport
