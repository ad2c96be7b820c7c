#include "record_reader.h"

#include "a_mem.h"
#include "little_endian.h"

namespace disc {

const char* DescribeRecordDamage(RecordDamage damage) {
  switch (damage) {
    case RecordDamage::kCut:
      return "the file ends inside a record";
    case RecordDamage::kTooLong:
      return "a record is longer than any record can be";
    case RecordDamage::kNoUnpack:
      return "a record does not unpack";
    case RecordDamage::kNone:
      break;
  }
  return "no damage";
}

NextResult RecordReader::Next(Record* record) {
  *record = Record();
  record->offset = position_;
  damage_ = RecordDamage::kNone;
  unsigned char tag;
  if (source_->Read(&tag, 1) != 1) return source_->Failed() ? NextResult::kUnreadable : NextResult::kEnd;
  record->tag = static_cast<int8_t>(tag);
  if (record->tag != kTagFolder && record->tag != kTagFileStart && record->tag != kTagFileData) {
    position_ += 1;
    return NextResult::kRecord;
  }
  // A read that fails is the drive's trouble, not the disc's content: the
  // position stays at the record's start, for reading it again.
  unsigned char lengthBytes[4];
  if (source_->Read(lengthBytes, 4) != 4) {
    return source_->Failed() ? NextResult::kUnreadable : Damaged(RecordDamage::kCut);
  }
  record->packedLength = alib::LoadLe32(lengthBytes);
  if (record->packedLength > static_cast<uint32_t>(kPackedBufferSize)) return Damaged(RecordDamage::kTooLong);
  const int length = static_cast<int>(record->packedLength);
  if (source_->Read(packed_, length) != length) {
    return source_->Failed() ? NextResult::kUnreadable : Damaged(RecordDamage::kCut);
  }
  position_ += 1 + 4 + length;
  unsigned long produced = kUnpackedBufferSize;
  if (Unpack(unpacked_, &produced, packed_, record->packedLength) != 0) return Damaged(RecordDamage::kNoUnpack);
  record->payload = unpacked_;
  record->length = produced;
  return NextResult::kRecord;
}

}  // namespace disc
