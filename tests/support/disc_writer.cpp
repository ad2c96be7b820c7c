#include "disc_writer.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "apkg_writer.h"

namespace testsupport {

namespace {

std::string Field(const std::string& text, const std::string& tail = "") {
  std::string field(40, '\0');
  std::memcpy(&field[0], text.data(), text.size() < 40 ? text.size() : 40);
  if (text.size() + 1 < 40 && !tail.empty()) {
    std::memcpy(&field[text.size() + 1], tail.data(), std::min(tail.size(), 39 - text.size()));
  }
  return field;
}

}  // namespace

std::string SetupHeaderBytes(const SetupHeaderFields& f) {
  std::string out = Field(f.companyName) + Field(f.gameName) + Field(f.uninstallKey, f.uninstallKeyTail) +
                    Field(f.exeName);
  out += Le32(static_cast<uint32_t>(f.discCount));
  out += Le32(f.installSize);
  return out;
}

std::string Deflate(const std::string& plain) {
  uLongf room = compressBound(plain.size());
  std::string out(room, '\0');
  compress2(reinterpret_cast<Bytef*>(&out[0]), &room, reinterpret_cast<const Bytef*>(plain.data()),
            plain.size(), 6);
  out.resize(room);
  return out;
}

RecordStream& RecordStream::Packed(int8_t tag, const std::string& payload) {
  bytes_ += static_cast<char>(tag);
  bytes_ += Le32(static_cast<uint32_t>(payload.size()));
  bytes_ += payload;
  return *this;
}

RecordStream& RecordStream::Folder(const std::string& path) {
  return Packed(1, Deflate(path + std::string(1, '\0')));
}

RecordStream& RecordStream::FileStart(const std::string& path) {
  return Packed(2, Deflate(path + std::string(1, '\0')));
}

RecordStream& RecordStream::FileData(const std::string& piece) { return Packed(3, Deflate(piece)); }

RecordStream& RecordStream::FileEnd() {
  bytes_ += static_cast<char>(4);
  return *this;
}

RecordStream& RecordStream::DiscEnd() {
  bytes_ += static_cast<char>(5);
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

std::vector<std::string> BuildDiscs(SetupHeaderFields header, const std::vector<std::string>& folders,
                                    const std::vector<GameFile>& files, size_t discCapacity,
                                    size_t piece) {
  // Every record, in order; a disc is closed with DiscEnd when the next
  // record would not fit.
  std::vector<std::string> records;
  for (const std::string& f : folders) records.push_back(RecordStream().Folder(f).bytes());
  for (const GameFile& f : files) {
    records.push_back(RecordStream().FileStart(f.path).bytes());
    for (size_t at = 0; at < f.content.size(); at += piece) {
      records.push_back(RecordStream().FileData(f.content.substr(at, piece)).bytes());
    }
    records.push_back(RecordStream().FileEnd().bytes());
  }
  std::vector<std::string> discs(1, std::string(168, '\0'));
  for (const std::string& r : records) {
    if (discCapacity != 0 && discs.back().size() + r.size() + 1 > discCapacity &&
        discs.back().size() > (discs.size() == 1 ? 168u : 0u)) {
      discs.back() += static_cast<char>(5);
      discs.emplace_back();
    }
    discs.back() += r;
  }
  discs.back() += static_cast<char>(5);
  header.discCount = static_cast<int32_t>(discs.size());
  std::string h = SetupHeaderBytes(header);
  discs[0].replace(0, 168, h);
  return discs;
}

}  // namespace testsupport
