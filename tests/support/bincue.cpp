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
  const size_t sectorSize = layout.mode == Mode::kMode1Cooked ? kDataBytes : kRawBytes;
  const uint32_t pregap = layout.pregap ? 150 : 0;
  const std::string gap(pregap * sectorSize, '\0');
  if (std::fwrite(gap.data(), 1, gap.size(), bin.get()) != gap.size()) return Fail("cannot write", binHostPath, error);
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
    cue = "FILE \"" + binName + "\" BINARY\n  TRACK 01 " + mode + "\n" +
          (pregap != 0 ? "    INDEX 00 00:00:00\n    INDEX 01 " + Msf(pregap) + "\n" : "    INDEX 01 00:00:00\n");
  } else {
    const std::string audioName = binName.substr(0, binName.size() - 4) + " (Track 2).bin";
    for (char& c : binName) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::string named = binName.find(' ') == std::string::npos ? binName : "\"" + binName + "\"";
    cue = "REM a data track and an audio track\r\nFILE " + named + " BINARY\r\n  TRACK 01 " + mode + "\r\n" +
          (pregap != 0 ? "    INDEX 00 00:00:00\r\n    INDEX 01 " + Msf(pregap) + "\r\n" : "    INDEX 01 00:00:00\r\n");
    // The audio track: after the data track's sectors in the same file, or
    // at the start of its own.
    if (layout.audio == Audio::kOwnFile) cue += "FILE \"" + audioName + "\" BINARY\r\n";
    cue += "  TRACK 02 AUDIO\r\n    PREGAP 00:02:00\r\n    INDEX 01 " +
           (layout.audio == Audio::kSameFile ? Msf(pregap + sectorCount) : std::string("00:00:00")) + "\r\n";
  }
  File sheet(std::fopen(cueHostPath.c_str(), "wb"));
  if (!sheet || std::fwrite(cue.data(), 1, cue.size(), sheet.get()) != cue.size() ||
      std::fclose(sheet.release()) != 0) {
    return Fail("cannot write", cueHostPath, error);
  }
  return true;
}

namespace {

// Writes each sector of the ISO image to `out`: `extra` zero bytes after
// each raw sector (or the 2,048 bytes alone when `cooked`); the sectors
// written in `count`.
bool WriteSectors(const std::string& isoHostPath, std::FILE* out, bool cooked, size_t extra, uint32_t* count,
                  std::string* error) {
  File iso(std::fopen(isoHostPath.c_str(), "rb"));
  if (!iso) return Fail("cannot open", isoHostPath, error);
  unsigned char data[kDataBytes];
  std::string raw(kRawBytes + extra, '\0');
  for (*count = 0;; ++*count) {
    const size_t got = std::fread(data, 1, kDataBytes, iso.get());
    if (got == 0) break;
    std::memset(data + got, 0, kDataBytes - got);
    RawSector(data, *count, reinterpret_cast<unsigned char*>(raw.data()));
    const bool written = cooked ? std::fwrite(data, 1, kDataBytes, out) == kDataBytes
                                : std::fwrite(raw.data(), 1, raw.size(), out) == raw.size();
    if (!written) return Fail("cannot write for", isoHostPath, error);
  }
  return std::ferror(iso.get()) == 0 || Fail("cannot read", isoHostPath, error);
}

bool WriteWhole(const std::string& path, const std::string& bytes, std::string* error) {
  File f(std::fopen(path.c_str(), "wb"));
  if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size() || std::fclose(f.release()) != 0) {
    return Fail("cannot write", path, error);
  }
  return true;
}

void PutLe(std::string* b, size_t at, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) (*b)[at + static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
}

void AppendBe(std::string* b, uint64_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) b->push_back(static_cast<char>(v >> (8 * i)));
}

}  // namespace

bool WriteCloneCd(const std::string& isoHostPath, const std::string& ccdHostPath, const std::string& imgHostPath,
                  const std::string& subHostPath, std::string* error) {
  File img(std::fopen(imgHostPath.c_str(), "wb"));
  if (!img) return Fail("cannot create", imgHostPath, error);
  uint32_t count = 0;
  if (!WriteSectors(isoHostPath, img.get(), false, 0, &count, error)) return false;
  if (std::fclose(img.release()) != 0) return Fail("cannot write", imgHostPath, error);
  if (!WriteWhole(subHostPath, std::string(size_t{count} * 96, '\0'), error)) return false;
  std::string ccd = "[CloneCD]\r\nVersion=3\r\n[Disc]\r\nTocEntries=4\r\nSessions=1\r\nDataTracksScrambled=0\r\n";
  ccd += "[Session 1]\r\nPreGapMode=1\r\nPreGapSubC=0\r\n";
  const struct {
    const char* point;
    int64_t plba;
  } entries[] = {{"0xa0", 4350}, {"0xa1", 4350}, {"0xa2", count}, {"0x01", 0}};
  for (int i = 0; i < 4; ++i) {
    ccd += "[Entry " + std::to_string(i) + "]\r\nSession=1\r\nPoint=" + entries[i].point +
           "\r\nADR=0x01\r\nControl=0x04\r\nTrackNo=0\r\nALBA=-150\r\nZero=0\r\nPLBA=" +
           std::to_string(entries[i].plba) + "\r\n";
  }
  ccd += "[TRACK 1]\r\nMODE=1\r\nINDEX 1=0\r\n";
  return WriteWhole(ccdHostPath, ccd, error);
}

bool WriteAlcohol(const std::string& isoHostPath, const std::string& mdsHostPath, const std::string& mdfHostPath,
                  std::string* error) {
  File mdf(std::fopen(mdfHostPath.c_str(), "wb"));
  if (!mdf) return Fail("cannot create", mdfHostPath, error);
  uint32_t count = 0;
  if (!WriteSectors(isoHostPath, mdf.get(), false, 96, &count, error)) return false;
  if (std::fclose(mdf.release()) != 0) return Fail("cannot write", mdfHostPath, error);
  std::string mds(88 + 24 + 80, '\0');
  std::memcpy(mds.data(), "MEDIA DESCRIPTOR", 16);
  mds[16] = 1, mds[17] = 3;
  PutLe(&mds, 20, 1, 2);    // sessions
  PutLe(&mds, 80, 88, 4);   // the session blocks
  PutLe(&mds, 88 + 4, count, 4);  // the session's end
  PutLe(&mds, 88 + 8, 1, 2);
  mds[88 + 10] = 1;               // track blocks
  PutLe(&mds, 88 + 12, 1, 2);
  PutLe(&mds, 88 + 14, 1, 2);
  PutLe(&mds, 88 + 20, 88 + 24, 4);
  const size_t t = 88 + 24;
  mds[t] = static_cast<char>(0xAA);  // Mode 1
  mds[t + 1] = 8;                    // sub-channel interleaved
  mds[t + 2] = 0x14;
  mds[t + 4] = 1;  // point: track 1
  PutLe(&mds, t + 16, 2448, 2);
  PutLe(&mds, t + 36, 0, 4);
  PutLe(&mds, t + 40, 0, 8);
  PutLe(&mds, t + 48, 1, 4);
  return WriteWhole(mdsHostPath, mds, error);
}

bool WriteNero(const std::string& isoHostPath, const std::string& nrgHostPath, int sectorBytes, std::string* error) {
  File nrg(std::fopen(nrgHostPath.c_str(), "wb"));
  if (!nrg) return Fail("cannot create", nrgHostPath, error);
  uint32_t count = 0;
  if (!WriteSectors(isoHostPath, nrg.get(), sectorBytes == 2048, 0, &count, error)) return false;
  const uint64_t end = uint64_t{count} * static_cast<unsigned>(sectorBytes);
  std::string chunks = "DAOX";
  AppendBe(&chunks, 22 + 42, 4);
  AppendBe(&chunks, 22 + 42, 4);
  chunks += std::string(14, '\0');  // no UPC
  chunks += std::string("\0\0\1\1", 4);  // TOC type, first and last track
  chunks += std::string(12, '\0');       // no ISRC
  AppendBe(&chunks, static_cast<unsigned>(sectorBytes), 2);
  AppendBe(&chunks, sectorBytes == 2048 ? 0x00 : 0x05, 1);  // Mode 1, cooked or raw
  chunks += std::string(3, '\0');
  AppendBe(&chunks, 0, 8);  // INDEX 00
  AppendBe(&chunks, 0, 8);  // INDEX 01
  AppendBe(&chunks, end, 8);
  chunks += std::string("END!\0\0\0\0", 8);
  chunks += "NER5";
  AppendBe(&chunks, end, 8);
  if (std::fwrite(chunks.data(), 1, chunks.size(), nrg.get()) != chunks.size() || std::fclose(nrg.release()) != 0) {
    return Fail("cannot write", nrgHostPath, error);
  }
  return true;
}

}  // namespace testsupport
