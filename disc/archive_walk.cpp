#include "archive_walk.h"

#include <cstring>
#include <iterator>

#include "a_inflate.h"
#include "code_pages.h"
#include "stored_path.h"

namespace disc {

WalkEnd ArchiveWalk::Damage(int64_t offset, const std::string& reason, const std::string& detail) {
  WalkDamage damage;
  damage.disc = disc_;
  damage.offset = offset;
  damage.reason = reason;
  damage.detail = detail;
  sink_->Damaged(damage);
  return WalkEnd::kStopped;
}

WalkEnd ArchiveWalk::Disc(int disc, RecordReader* reader, int64_t size, bool last) {
  disc_ = disc;
  if (!sink_->DiscStart(disc)) return WalkEnd::kStopped;
  for (;;) {
    disc::Record record;
    const NextResult next = reader->Next(&record);
    if (next == NextResult::kUnreadable) {
      if (sink_->Unreadable(reader->position())) continue;
      return WalkEnd::kStopped;
    }
    if (next == NextResult::kDamaged) {
      std::string detail;
      if (reader->damage() == RecordDamage::kTooLong) detail = " (" + std::to_string(record.packedLength) + " bytes)";
      return Damage(record.offset, DescribeRecordDamage(reader->damage()), detail);
    }
    if (next == NextResult::kEnd) break;
    if (record.tag == kTagDiscEnd) {
      if (record.offset + 1 < size &&
          !sink_->Odd(Oddity::kBytesAfterEnd, record.offset + 1,
                      std::to_string(size - record.offset - 1) + " bytes follow the end-of-disc record")) {
        return WalkEnd::kStopped;
      }
      break;
    }
    if (!Record(record)) return WalkEnd::kStopped;
    if (!sink_->Next()) return WalkEnd::kStopped;
  }
  if (open_) {
    if (last) {
      WalkDamage damage;
      damage.disc = disc_;
      damage.offset = size;
      damage.atRecord = false;
      damage.reason = "the last disc ends inside a file";
      damage.detail = ": " + file_.path;
      sink_->Damaged(damage);
      return WalkEnd::kStopped;
    }
    mustContinue_ = true;
  }
  return WalkEnd::kDisc;
}

bool ArchiveWalk::Record(const disc::Record& record) {
  const int64_t offset = record.offset;
  const int8_t tag = record.tag;
  if (tag < kTagFolder || tag > kTagDiscEnd) return sink_->Odd(Oddity::kNoTag, offset, std::string());
  if (mustContinue_) {
    mustContinue_ = false;
    if (tag != kTagFileData && tag != kTagFileEnd &&
        !sink_->Odd(Oddity::kNotContinued, offset,
                    file_.path + " is cut off: disc " + std::to_string(disc_ - 1) +
                        " ends inside it and this disc does not go on with it")) {
      return false;
    }
  }
  if (tag == kTagFileEnd) {
    if (!open_) return sink_->Odd(Oddity::kEndWithoutFile, offset, "a file end with no file open");
    file_.lastDisc = disc_;
    return EndFile(offset);
  }
  if (tag != kTagFileData) {
    return NamedRecord(tag, reinterpret_cast<const char*>(record.payload), record.length, offset);
  }
  if (!open_) {
    Damage(offset, "file data with no file to write it to");
    return false;
  }
  file_.size += record.length;
  file_.crc = UpdateCrc32(file_.crc, record.payload, record.length);
  file_.lastDisc = disc_;
  return sink_->FileData(file_, record.payload, record.length, offset);
}

bool ArchiveWalk::NameIsSafe(const char* name, unsigned long length, int64_t offset) {
  if (rules_.codePage != 0) {
    const PathVerdict verdict = CheckStoredPath(name, length, rules_.codePage);
    if (verdict == PathVerdict::kSafe) return true;
    Damage(offset, DescribeVerdict(verdict), " where the code page is " + std::to_string(rules_.codePage));
    return false;
  }
  // Setup reads a name in the code page of the system it runs on: one that
  // some system takes installs there; one that none takes is damage.
  std::string refusedOn;
  PathVerdict western = PathVerdict::kSafe;
  size_t refusals = 0;
  for (const DiscCodePage& page : kDiscCodePages) {
    const PathVerdict verdict = CheckStoredPath(name, length, page.number);
    if (verdict == PathVerdict::kSafe) continue;
    if (page.number == kDiscCodePages[0].number) western = verdict;
    refusedOn += (refusedOn.empty() ? "" : ", ") + std::to_string(page.number);
    ++refusals;
  }
  if (refusals == std::size(kDiscCodePages)) {
    Damage(offset, DescribeVerdict(western));
    return false;
  }
  return refusedOn.empty() ||
         sink_->Odd(Oddity::kRefusedOnSome, offset, std::string(name) + " is refused where the code page is " + refusedOn);
}

bool ArchiveWalk::NamedRecord(int8_t tag, const char* name, unsigned long length, int64_t offset) {
  if (!NameIsSafe(name, length, offset)) return false;
  const std::string path(name);
  if (!sink_->Name(tag, path, length, offset)) return false;
  if (open_ && !sink_->Odd(Oddity::kNameInsideFile, offset, file_.path + " has no end before " + path)) return false;
  if (tag == kTagFolder) return sink_->Folder(path, disc_, offset);
  // A file still open ends where the next one starts.
  if (open_ && !EndFile(offset)) return false;
  ManifestFile* row = nullptr;
  if (rules_.list != nullptr) {
    row = rules_.list->Find(ManifestSource::kArchive, path.data(), path.size());
    if (row == nullptr) {
      Damage(offset, ListedMismatch(nullptr, path, 0, 0, 0));
      return false;
    }
  }
  file_ = WalkFile();
  file_.path = path;
  file_.firstDisc = file_.lastDisc = disc_;
  file_.row = row;
  open_ = true;
  return sink_->FileStart(file_, offset);
}

bool ArchiveWalk::EndFile(int64_t offset) {
  open_ = false;
  if (!sink_->FileEnd(file_, offset)) return false;
  ManifestFile* row = file_.row;
  if (row == nullptr) return true;
  const std::string mismatch = ListedMismatch(row, row->path, 0, file_.size, file_.crc);
  if (!mismatch.empty()) {
    Damage(offset, mismatch);
    return false;
  }
  row->installed = true;
  return true;
}

}  // namespace disc
