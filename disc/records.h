// The disc archives "cd1", "cd2", ...: the setup header at the start of cd1,
// then a stream of records on every disc.
//
//   record   0: tag (signed byte)
//            tags 1 to 3 only: 1: length L (32-bit little-endian)
//                              5: L bytes, one complete zlib stream
//   tag 1 Folder     a "\path" below the install folder and its zero
//       2 FileStart  likewise; the file is created and stays open
//       3 FileData   the next piece of the open file, at most 204,800 bytes
//       4 FileEnd    5 DiscEnd (the end of the file ends a disc too)
// A file may go on from one disc to the next: it stays open across the
// change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "disc_format.h"
#include "setup_header.h"

namespace disc {

constexpr size_t kSetupHeaderBytes = kSetupHeaderSize;
constexpr size_t kMaxPieceBytes = kUnpackedBufferSize;  // unpacked payload of one record
constexpr size_t kMaxPackedBytes = kPackedBufferSize;   // packed payload of one record
using ::RecordTag;
using ::kTagFolder;
using ::kTagFileStart;
using ::kTagFileData;
using ::kTagFileEnd;
using ::kTagDiscEnd;

// The setup header as the tool composes it (setup_header.h has its layout):
// the texts may be longer than their fields, which cut them at 40 bytes.
struct HeaderTexts {
  std::string companyName;
  std::string gameName;
  std::string uninstallKey;
  std::string exeName;
  int32_t discCount = 1;
  uint32_t installSize = 0;
};
std::string SetupHeaderBytes(const HeaderTexts& header);

// zlib's compress of `plain` at the best level; deterministic for a given
// zlib.
std::string Deflate(const std::string& plain);
// A zlib stream that keeps the `length` bytes at `data` in `blocks` stored
// (uncompressed) deflate blocks, so that its size is known in advance:
// StoredZlibSize(length, blocks). `blocks` must be at least
// MinStoredBlocks(length).
std::string StoredZlib(const char* data, size_t length, size_t blocks);
size_t StoredZlibSize(size_t length, size_t blocks);
size_t MinStoredBlocks(size_t length);

// A record with `tag` and `payload` as it is (tags 1 to 3 get the length).
std::string RecordBytes(int8_t tag, const std::string& payload);
constexpr size_t kRecordHeadBytes = 5;  // tag and length

// A FileData record keeping the `length` bytes at `data` in `blocks` stored
// blocks (see StoredZlib).
std::string StoredRecord(const char* data, size_t length, size_t blocks);
// The FileData record of a whole piece: packed, or stored in as few blocks
// as possible where that is smaller (data that does not compress).
std::string PieceRecord(const std::string& piece);

// Builds a run of records.
class RecordStream {
 public:
  // A Folder or FileStart record with `path` (its zero is added here).
  RecordStream& Folder(const std::string& path);
  RecordStream& FileStart(const std::string& path);
  // One FileData record with `piece` as it stands.
  RecordStream& FileData(const std::string& piece);
  RecordStream& FileEnd();
  RecordStream& DiscEnd();
  // Any bytes.
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
             size_t piece = kMaxPieceBytes);

}  // namespace disc
