#include "records.h"

#include <zlib.h>

#include <algorithm>

#include "little_endian.h"
#include "setup_header.h"

namespace disc {

std::string SetupHeaderBytes(const HeaderTexts& h) {
  disc::SetupHeader stored{};
  disc::SetHeaderText(stored.companyName, h.companyName);
  disc::SetHeaderText(stored.gameName, h.gameName);
  disc::SetHeaderText(stored.uninstallKey, h.uninstallKey);
  disc::SetHeaderText(stored.exeName, h.exeName);
  stored.discCount = h.discCount;
  stored.installSize = h.installSize;
  return stored.Bytes();
}

std::string Deflate(const std::string& plain) {
  uLongf room = compressBound(static_cast<uLong>(plain.size()));
  std::string out(room, '\0');
  compress2(reinterpret_cast<Bytef*>(&out[0]), &room, reinterpret_cast<const Bytef*>(plain.data()),
            static_cast<uLong>(plain.size()), Z_BEST_COMPRESSION);
  out.resize(room);
  return out;
}

namespace {
constexpr size_t kStoredBlockMax = 65535;
}

size_t MinStoredBlocks(size_t length) { return length == 0 ? 1 : (length + kStoredBlockMax - 1) / kStoredBlockMax; }

size_t StoredZlibSize(size_t length, size_t blocks) { return 2 + 5 * blocks + length + 4; }

std::string StoredZlib(const char* data, size_t length, size_t blocks) {
  // CMF 0x78 (deflate, 32K window), FLG 0x01: (0x78 * 256 + 0x01) % 31 == 0.
  std::string out("\x78\x01", 2);
  size_t at = 0;
  for (size_t b = 0; b < blocks; ++b) {
    // Spread the bytes evenly; every block holds at most 65,535 of them.
    size_t share = (length - at) / (blocks - b) + ((length - at) % (blocks - b) != 0 ? 1 : 0);
    share = std::min(share, kStoredBlockMax);
    out += static_cast<char>(b + 1 == blocks ? 1 : 0);  // BFINAL, BTYPE 00 (stored)
    out += alib::Le16(static_cast<uint16_t>(share));
    out += alib::Le16(static_cast<uint16_t>(~share & 0xFFFF));
    out.append(data + at, share);
    at += share;
  }
  uLong adler = adler32(0L, Z_NULL, 0);
  adler = adler32(adler, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(length));
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((adler >> shift) & 0xFF);
  return out;
}

std::string RecordBytes(int8_t tag, const std::string& payload) {
  std::string out(1, static_cast<char>(tag));
  if (tag == kTagFolder || tag == kTagFileStart || tag == kTagFileData) {
    out += alib::Le32(static_cast<uint32_t>(payload.size()));
    out += payload;
  }
  return out;
}

std::string StoredRecord(const char* data, size_t length, size_t blocks) {
  return RecordBytes(kTagFileData, StoredZlib(data, length, blocks));
}

std::string PieceRecord(const std::string& piece) {
  std::string record = RecordBytes(kTagFileData, Deflate(piece));
  const size_t blocks = MinStoredBlocks(piece.size());
  if (kRecordHeadBytes + StoredZlibSize(piece.size(), blocks) < record.size()) {
    record = StoredRecord(piece.data(), piece.size(), blocks);
  }
  return record;
}

RecordStream& RecordStream::Packed(int8_t tag, const std::string& payload) {
  bytes_ += static_cast<char>(tag);
  bytes_ += alib::Le32(static_cast<uint32_t>(payload.size()));
  bytes_ += payload;
  return *this;
}

RecordStream& RecordStream::Folder(const std::string& path) {
  return Packed(kTagFolder, Deflate(path + std::string(1, '\0')));
}

RecordStream& RecordStream::FileStart(const std::string& path) {
  return Packed(kTagFileStart, Deflate(path + std::string(1, '\0')));
}

RecordStream& RecordStream::FileData(const std::string& piece) { return Packed(kTagFileData, Deflate(piece)); }

RecordStream& RecordStream::FileEnd() {
  bytes_ += static_cast<char>(kTagFileEnd);
  return *this;
}

RecordStream& RecordStream::DiscEnd() {
  bytes_ += static_cast<char>(kTagDiscEnd);
  return *this;
}

RecordStream& RecordStream::Raw(const std::string& bytes) {
  bytes_ += bytes;
  return *this;
}

void AddFile(RecordStream* stream, const std::string& path, const std::string& content, size_t piece) {
  stream->FileStart(path);
  for (size_t at = 0; at < content.size(); at += piece) stream->FileData(content.substr(at, piece));
  stream->FileEnd();
}

}  // namespace disc
