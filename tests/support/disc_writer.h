// Writes game discs for tests: the setup header, the record streams of the
// disc archives, and damaged variants of them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

struct SetupHeaderFields {
  std::string companyName;
  std::string gameName;
  std::string uninstallKey;
  std::string exeName;
  int32_t discCount = 1;
  uint32_t installSize = 0;
  // Bytes after each name's terminator, to see that they are carried over.
  std::string uninstallKeyTail;
};

// The 168-byte header.
std::string SetupHeaderBytes(const SetupHeaderFields& fields);

// zlib's compress of `plain`.
std::string Deflate(const std::string& plain);

// Builds one disc archive's records.
class RecordStream {
 public:
  // A Folder or FileStart record with `path` (its zero is added here).
  RecordStream& Folder(const std::string& path);
  RecordStream& FileStart(const std::string& path);
  // One FileData record with `piece` as it stands.
  RecordStream& FileData(const std::string& piece);
  RecordStream& FileEnd();
  RecordStream& DiscEnd();
  // A record with any tag byte and payload (tags 1 to 3 get a length).
  RecordStream& Raw(const std::string& bytes);
  // A tag 1-3 record whose payload is `payload`, stored as it is (not packed).
  RecordStream& Packed(int8_t tag, const std::string& payload);

  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

// A whole file: FileStart, its data in pieces of at most `piece` bytes, and
// FileEnd.
void AddFile(RecordStream* stream, const std::string& path, const std::string& content,
             size_t piece = 204800);

struct GameFile {
  std::string path;  // "\dir\name", as stored
  std::string content;
};

// Lays a whole game onto discs whose archives hold at most `discCapacity`
// bytes each (cd1's header included; 0: all on one disc): folders first,
// then the files, each cut into pieces of `piece` bytes, a file continuing
// on the next disc where the capacity runs out. Returns each disc's archive
// bytes; the header's disc count is set to the number of discs.
std::vector<std::string> BuildDiscs(SetupHeaderFields header, const std::vector<std::string>& folders,
                                    const std::vector<GameFile>& files, size_t discCapacity = 0,
                                    size_t piece = 204800);

}  // namespace testsupport
