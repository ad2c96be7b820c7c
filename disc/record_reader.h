// The records of a disc archive ("cd1", "cd2", ... in the disc root), read
// one at a time. Setup's copy engine and the authoring tool's list and
// verify walk an archive with this one reader, so a disc that verifies is
// a disc setup reads the same way.
//
// An archive is a stream of records:
//   tag (1 byte, signed)
//   tags 1 to 3 only: length L (32-bit little-endian), then L bytes of one
//   zlib stream: 1 Folder (a "\path" with its zero), 2 FileStart (likewise),
//   3 FileData (the next piece of the open file, at most 204,800 bytes)
//   4 FileEnd, 5 DiscEnd; any other tag is one byte of no meaning.
// "cd1" begins with the 168-byte setup header (setup_header.h); the records
// follow it. The end of the file between records ends a disc too.
//
// The reader checks what makes a record a record: a length no record can
// have, a file that ends inside one, a payload that does not unpack. What a
// record means (a safe stored path, data with a file open) is its caller's.
#pragma once

#include <cstdint>

#include "byte_source.h"
#include "disc_format.h"

namespace disc {

// Why a record is not one.
enum class RecordDamage {
  kNone,
  kCut,       // the file ends inside the record
  kTooLong,   // its length exceeds kPackedBufferSize
  kNoUnpack,  // its payload is not one whole zlib stream of at most kUnpackedBufferSize bytes
};
// The damage as the reports word it: "the file ends inside a record", ...
const char* DescribeRecordDamage(RecordDamage damage);

struct Record {
  int8_t tag = 0;      // any byte; only kTagFolder to kTagDiscEnd mean something
  int64_t offset = 0;  // where the record starts in the archive
  // Tags 1 to 3: the stored length, and the unpacked payload in the
  // reader's buffer, valid until the next call of Next. Other tags: 0 and
  // empty.
  uint32_t packedLength = 0;
  const unsigned char* payload = nullptr;
  unsigned long length = 0;
};

enum class NextResult {
  kRecord,      // *record holds the next record
  kEnd,         // the archive ended between records
  kDamaged,     // the record at record->offset is damaged: damage() says how
  kUnreadable,  // a read failed; position() is the start of the record, to read again from
};

class RecordReader {
 public:
  // Reads from `source`, which stands at archive offset `position` (168 on
  // cd1, 0 on the other discs). `packed` holds kPackedBufferSize bytes and
  // `unpacked` kUnpackedBufferSize; source and buffers stay the caller's.
  RecordReader(ByteSource* source, int64_t position, unsigned char* packed, unsigned char* unpacked)
      : source_(source), position_(position), packed_(packed), unpacked_(unpacked) {}

  // The next record. Reads the tag, then for tags 1 to 3 the length and the
  // payload: three reads, no more. After kDamaged the reader stays where
  // the damage was found; after kUnreadable the caller puts the source back
  // at position() (reopening it if it must) before calling again.
  NextResult Next(Record* record);

  RecordDamage damage() const { return damage_; }
  // Where the next record starts, in archive offsets.
  int64_t position() const { return position_; }

 private:
  NextResult Damaged(RecordDamage damage) {
    damage_ = damage;
    return NextResult::kDamaged;
  }
  ByteSource* source_;
  int64_t position_;
  unsigned char* packed_;
  unsigned char* unpacked_;
  RecordDamage damage_ = RecordDamage::kNone;
};

}  // namespace disc
