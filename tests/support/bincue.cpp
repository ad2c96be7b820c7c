#include "bincue.h"

#include <array>
#include <cctype>
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

// A zeroed sector with its sync bytes, address and mode.
void Header(uint32_t sector, unsigned char mode, unsigned char* raw) {
  std::memset(raw, 0, kRawBytes);
  std::memset(raw + 1, 0xFF, 10);
  const uint32_t address = sector + 150;  // the 2-second lead-in before sector 0
  raw[12] = Bcd(address / (60 * 75));
  raw[13] = Bcd(address / 75 % 60);
  raw[14] = Bcd(address % 75);
  raw[15] = mode;
}

// A Mode 2 XA form 1 sector: the subheader (file, channel, submode "data",
// coding) twice, then the user bytes; the EDC covers subheader and data.
void XaSector(const unsigned char* data, uint32_t sector, unsigned char* raw) {
  Header(sector, 2, raw);
  raw[18] = raw[22] = 0x08;
  std::memcpy(raw + 24, data, kDataBytes);
  const uint32_t edc = Edc(raw + 16, 8 + kDataBytes);
  for (int i = 0; i < 4; ++i) raw[24 + kDataBytes + i] = static_cast<unsigned char>(edc >> (8 * i));
}

void RawSector(const unsigned char* data, uint32_t sector, unsigned char* raw) {
  Header(sector, 1, raw);
  std::memcpy(raw + 16, data, kDataBytes);
  const uint32_t edc = Edc(raw, kEdcAt);
  for (int i = 0; i < 4; ++i) raw[kEdcAt + i] = static_cast<unsigned char>(edc >> (8 * i));
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string Msf(uint32_t sector) {
  char text[16];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u", sector / (60 * 75), sector / 75 % 60, sector % 75);
  return text;
}

bool Fail(const std::string& what, const std::string& path, std::string* error) {
  *error = what + " " + path;
  return false;
}

}  // namespace

bool WriteBinCue(const std::string& isoHostPath, const std::string& binHostPath, const std::string& cueHostPath,
                 std::string* error, const BinCueLayout& layout) {
  using Mode = BinCueLayout::Mode;
  using Audio = BinCueLayout::Audio;
  File iso(std::fopen(isoHostPath.c_str(), "rb"));
  if (!iso) return Fail("cannot open", isoHostPath, error);
  File bin(std::fopen(binHostPath.c_str(), "wb"));
  if (!bin) return Fail("cannot create", binHostPath, error);
  unsigned char data[kDataBytes];
  unsigned char raw[kRawBytes];
  uint32_t sectorCount = 0;
  for (uint32_t sector = 0;; ++sector, ++sectorCount) {
    const size_t got = std::fread(data, 1, kDataBytes, iso.get());
    if (got == 0) break;
    std::memset(data + got, 0, kDataBytes - got);
    if (layout.mode == Mode::kMode2Raw) {
      XaSector(data, sector, raw);
    } else {
      RawSector(data, sector, raw);
    }
    const unsigned char* out = layout.mode == Mode::kMode1Cooked ? data : raw;
    const size_t size = layout.mode == Mode::kMode1Cooked ? kDataBytes : kRawBytes;
    if (std::fwrite(out, 1, size, bin.get()) != size) return Fail("cannot write", binHostPath, error);
  }
  if (std::ferror(iso.get())) return Fail("cannot read", isoHostPath, error);
  // Two seconds of silence, after the data or in a file of their own.
  const std::string silence(150 * kRawBytes, '\0');
  const std::string stem = binHostPath.substr(0, binHostPath.size() - 4);
  if (layout.audio == Audio::kSameFile && std::fwrite(silence.data(), 1, silence.size(), bin.get()) != silence.size()) {
    return Fail("cannot write", binHostPath, error);
  }
  if (std::fclose(bin.release()) != 0) return Fail("cannot write", binHostPath, error);
  if (layout.audio == Audio::kOwnFile) {
    File audio(std::fopen((stem + " (Track 2).bin").c_str(), "wb"));
    if (!audio || std::fwrite(silence.data(), 1, silence.size(), audio.get()) != silence.size() ||
        std::fclose(audio.release()) != 0) {
      return Fail("cannot write", stem + " (Track 2).bin", error);
    }
  }

  std::string binName = binHostPath.substr(binHostPath.find_last_of("/\\") + 1);
  const char* mode = layout.mode == Mode::kMode1Raw ? "MODE1/2352" : layout.mode == Mode::kMode2Raw ? "MODE2/2352" : "MODE1/2048";
  std::string cue;
  if (layout.audio == Audio::kNone) {
    cue = "FILE \"" + binName + "\" BINARY\n  TRACK 01 " + mode + "\n    INDEX 01 00:00:00\n";
  } else {
    const std::string audioName = binName.substr(0, binName.size() - 4) + " (Track 2).bin";
    for (char& c : binName) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::string named = binName.find(' ') == std::string::npos ? binName : "\"" + binName + "\"";
    cue = "REM a data track and an audio track\r\nFILE " + named + " BINARY\r\n  TRACK 01 " + mode +
          "\r\n    INDEX 01 00:00:00\r\n";
    // The audio track: after the data track's sectors in the same file, or
    // at the start of its own.
    if (layout.audio == Audio::kOwnFile) cue += "FILE \"" + audioName + "\" BINARY\r\n";
    cue += "  TRACK 02 AUDIO\r\n    PREGAP 00:02:00\r\n    INDEX 01 " +
           (layout.audio == Audio::kSameFile ? Msf(sectorCount) : std::string("00:00:00")) + "\r\n";
  }
  File sheet(std::fopen(cueHostPath.c_str(), "wb"));
  if (!sheet || std::fwrite(cue.data(), 1, cue.size(), sheet.get()) != cue.size() ||
      std::fclose(sheet.release()) != 0) {
    return Fail("cannot write", cueHostPath, error);
  }
  return true;
}

}  // namespace testsupport
