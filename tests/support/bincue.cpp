#include "bincue.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

namespace testsupport {

namespace {

constexpr size_t kDataBytes = 2048;
constexpr size_t kRawBytes = 2352;
constexpr size_t kEdcAt = 16 + kDataBytes;  // after sync, address, mode and data

// CRC-32 of the sector's EDC: the polynomial (x^16 + x^15 + x^2 + 1)
// (x^16 + x^2 + x + 1), bits taken least significant first, starting from 0.
uint32_t Edc(const unsigned char* bytes, size_t length) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c >> 1) ^ ((c & 1) != 0 ? 0xD8018001u : 0);
      t[i] = c;
    }
    return t;
  }();
  uint32_t edc = 0;
  for (size_t i = 0; i < length; ++i) edc = (edc >> 8) ^ table[(edc ^ bytes[i]) & 0xFF];
  return edc;
}

unsigned char Bcd(unsigned value) { return static_cast<unsigned char>((value / 10) << 4 | value % 10); }

void RawSector(const unsigned char* data, uint32_t sector, unsigned char* raw) {
  std::memset(raw, 0, kRawBytes);
  std::memset(raw + 1, 0xFF, 10);
  const uint32_t address = sector + 150;  // the 2-second lead-in before sector 0
  raw[12] = Bcd(address / (60 * 75));
  raw[13] = Bcd(address / 75 % 60);
  raw[14] = Bcd(address % 75);
  raw[15] = 1;
  std::memcpy(raw + 16, data, kDataBytes);
  const uint32_t edc = Edc(raw, kEdcAt);
  for (int i = 0; i < 4; ++i) raw[kEdcAt + i] = static_cast<unsigned char>(edc >> (8 * i));
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool Fail(const std::string& what, const std::string& path, std::string* error) {
  *error = what + " " + path;
  return false;
}

}  // namespace

bool WriteBinCue(const std::string& isoHostPath, const std::string& binHostPath, const std::string& cueHostPath,
                 std::string* error) {
  File iso(std::fopen(isoHostPath.c_str(), "rb"));
  if (!iso) return Fail("cannot open", isoHostPath, error);
  File bin(std::fopen(binHostPath.c_str(), "wb"));
  if (!bin) return Fail("cannot create", binHostPath, error);
  unsigned char data[kDataBytes];
  unsigned char raw[kRawBytes];
  for (uint32_t sector = 0;; ++sector) {
    const size_t got = std::fread(data, 1, kDataBytes, iso.get());
    if (got == 0) break;
    std::memset(data + got, 0, kDataBytes - got);
    RawSector(data, sector, raw);
    if (std::fwrite(raw, 1, kRawBytes, bin.get()) != kRawBytes) return Fail("cannot write", binHostPath, error);
  }
  if (std::ferror(iso.get())) return Fail("cannot read", isoHostPath, error);
  if (std::fclose(bin.release()) != 0) return Fail("cannot write", binHostPath, error);

  const std::string binName = binHostPath.substr(binHostPath.find_last_of("/\\") + 1);
  const std::string cue = "FILE \"" + binName + "\" BINARY\n  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n";
  File sheet(std::fopen(cueHostPath.c_str(), "wb"));
  if (!sheet || std::fwrite(cue.data(), 1, cue.size(), sheet.get()) != cue.size() ||
      std::fclose(sheet.release()) != 0) {
    return Fail("cannot write", cueHostPath, error);
  }
  return true;
}

}  // namespace testsupport
